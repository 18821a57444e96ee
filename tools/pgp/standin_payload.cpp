#include "standin_payload.h"

#include "standin_text.h"

namespace standin {

const char kFieldRecipient[] = "Recipient";
const char kFieldSigner[] = "Signer";
const char kFieldChecksum[] = "Checksum";
const char kFieldEyesOnly[] = "Eyes-only";
const char kFieldUserId[] = "User-ID";

std::string FormatPayload(const Payload& payload) {
  std::string out;
  for (const auto& field : payload.fields) out += field.first + ": " + field.second + "\n";
  out += "\n";
  out += payload.body;
  return out;
}

bool ParsePayload(const std::string& bytes, Payload& payload) {
  payload.fields.clear();
  payload.body.clear();
  size_t pos = 0;
  for (;;) {
    size_t lineFeed = bytes.find('\n', pos);
    if (lineFeed == std::string::npos) return false;  // no empty line before the body
    std::string line = bytes.substr(pos, lineFeed - pos);
    pos = lineFeed + 1;
    if (line.empty()) break;
    size_t colon = line.find(": ");
    if (colon == std::string::npos || colon == 0) return false;
    payload.fields.emplace_back(line.substr(0, colon), line.substr(colon + 2));
  }
  payload.body = bytes.substr(pos);
  return true;
}

std::vector<std::string> FieldValues(const Payload& payload, const std::string& name) {
  std::vector<std::string> values;
  for (const auto& field : payload.fields) {
    if (EqualIgnoringCase(field.first, name)) values.push_back(field.second);
  }
  return values;
}

std::string FieldValue(const Payload& payload, const std::string& name) {
  std::vector<std::string> values = FieldValues(payload, name);
  return values.empty() ? std::string() : values.front();
}

void ScrambleBytes(std::string& bytes) {
  for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x5A);
}

}  // namespace standin
