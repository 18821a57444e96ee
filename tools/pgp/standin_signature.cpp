#include "standin_signature.h"

#include <cstdint>
#include <cstdio>

#include "standin_armour.h"
#include "standin_payload.h"
#include "standin_text.h"

namespace standin {

const char kSignedMessageType[] = "SIGNED MESSAGE";
const char kSignatureType[] = "SIGNATURE";

std::string CanonicalText(const std::string& text) {
  std::string out;
  size_t pos = 0;
  std::string line;
  bool first = true;
  while (ReadLine(text, pos, line)) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) --end;
    if (!first) out += "\r\n";
    out.append(line, 0, end);
    first = false;
  }
  return out;
}

std::string SignatureChecksum(const std::string& signer, const std::string& text) {
  uint64_t hash = 0xCBF29CE484222325ull;
  auto mix = [&hash](const std::string& bytes) {
    for (char c : bytes) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 0x100000001B3ull;
    }
  };
  mix(signer);
  mix("\n");
  mix(CanonicalText(text));
  char hex[17];
  std::snprintf(hex, sizeof hex, "%08lx%08lx", static_cast<unsigned long>(hash >> 32),
                static_cast<unsigned long>(hash & 0xFFFFFFFFu));
  return hex;
}

std::string DashEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '-' && AtLineStart(text, i)) out += "- ";
    out += text[i];
  }
  return out;
}

std::string DashUnescape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (AtLineStart(text, i) && text.compare(i, 2, "- ") == 0) {
      ++i;  // drops the dash here and the blank with the loop step
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string MakeClearSigned(const std::string& text, const std::string& signer) {
  std::string out = kArmourHeaderPrefix + std::string(kSignedMessageType) + kArmourDashes + "\r\n\r\n";
  out += DashEscape(text);
  if (!text.empty() && text.back() != '\n') out += "\r\n";
  Payload signature;
  signature.fields.emplace_back(kFieldSigner, signer);
  signature.fields.emplace_back(kFieldChecksum, SignatureChecksum(signer, text));
  out += WriteArmourBlock(kSignatureType, FormatPayload(signature));
  return out;
}

bool ReadClearSigned(const std::string& fileText, size_t headerStart, ClearSigned& signedText,
                     std::string& problem) {
  size_t pos = headerStart;
  std::string line;
  const std::string header = kArmourHeaderPrefix + std::string(kSignedMessageType) + kArmourDashes;
  if (!ReadLine(fileText, pos, line) || TrimBlanks(line) != header) {
    problem = "no \"" + header + "\" line";
    return false;
  }
  // Header lines such as "Hash: ..." end at the empty line before the text.
  size_t textStart = pos;
  size_t lineStart = pos;
  while (ReadLine(fileText, pos, line)) {
    std::string trimmed = TrimBlanks(line);
    if (trimmed.empty()) {
      textStart = pos;
      break;
    }
    if (trimmed.find(':') == std::string::npos) {
      textStart = lineStart;
      break;
    }
    lineStart = pos;
    textStart = pos;
  }

  const std::string signatureHeader = kArmourHeaderPrefix + std::string(kSignatureType) + kArmourDashes;
  size_t signatureStart = FindAtLineStart(fileText, signatureHeader, textStart);
  if (signatureStart == std::string::npos) {
    problem = "no signature block follows the signed text";
    return false;
  }
  ArmourBlock block;
  if (!ReadArmourBlock(fileText, signatureStart, block, problem)) return false;
  Payload signature;
  if (!ParsePayload(block.payload, signature)) {
    problem = "the signature block holds no signature";
    return false;
  }
  signedText.signer = FieldValue(signature, kFieldSigner);
  signedText.checksum = FieldValue(signature, kFieldChecksum);
  if (signedText.signer.empty() || signedText.checksum.empty()) {
    problem = "the signature block names no signer or checksum";
    return false;
  }
  signedText.text = DashUnescape(fileText.substr(textStart, signatureStart - textStart));
  return true;
}

}  // namespace standin
