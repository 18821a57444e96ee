#include "standin_armour.h"

#include "standin_base64.h"
#include "standin_text.h"

namespace standin {

const char kArmourHeaderPrefix[] = "-----BEGIN PGP ";
const char kArmourFooterPrefix[] = "-----END PGP ";
const char kArmourDashes[] = "-----";
const char kStandinVersionLine[] = "Version: Tavix PGP stand-in (NOT real cryptography)";

static const size_t kBase64LineLength = 64;

std::string WriteArmourBlock(const std::string& type, const std::string& payload) {
  std::string out;
  out += kArmourHeaderPrefix + type + kArmourDashes + "\r\n";
  out += kStandinVersionLine;
  out += "\r\n\r\n";
  std::string encoded = EncodeBase64(payload);
  for (size_t pos = 0; pos < encoded.size(); pos += kBase64LineLength) {
    out += encoded.substr(pos, kBase64LineLength) + "\r\n";
  }
  out += ChecksumLine(payload) + "\r\n";
  out += kArmourFooterPrefix + type + kArmourDashes + "\r\n";
  return out;
}

// The type of a header or footer line, or false when the line is not one.
static bool ArmourLineType(const std::string& line, const std::string& prefix, std::string& type) {
  std::string trimmed = TrimBlanks(line);
  size_t dashes = sizeof kArmourDashes - 1;
  if (!StartsWith(trimmed, prefix) || trimmed.size() < prefix.size() + dashes + 1) return false;
  if (trimmed.compare(trimmed.size() - dashes, dashes, kArmourDashes) != 0) return false;
  type = trimmed.substr(prefix.size(), trimmed.size() - prefix.size() - dashes);
  return true;
}

bool FindArmourHeader(const std::string& text, size_t from, size_t& headerStart, std::string& type) {
  for (size_t pos = FindAtLineStart(text, kArmourHeaderPrefix, from); pos != std::string::npos;
       pos = FindAtLineStart(text, kArmourHeaderPrefix, pos + 1)) {
    size_t cursor = pos;
    std::string line;
    ReadLine(text, cursor, line);
    if (ArmourLineType(line, kArmourHeaderPrefix, type)) {
      headerStart = pos;
      return true;
    }
  }
  return false;
}

bool ReadArmourBlock(const std::string& text, size_t headerStart, ArmourBlock& block,
                     std::string& problem) {
  size_t pos = headerStart;
  std::string line;
  if (!ReadLine(text, pos, line) || !ArmourLineType(line, kArmourHeaderPrefix, block.type)) {
    problem = "no armour header";
    return false;
  }
  block.begin = headerStart;

  // Header lines ("Name: value") end at an empty line; Base64 never holds a colon, so a
  // block written without the empty line still reads.
  size_t dataStart = pos;
  while (ReadLine(text, pos, line)) {
    std::string trimmed = TrimBlanks(line);
    if (trimmed.empty()) {
      dataStart = pos;
      break;
    }
    if (trimmed.find(':') == std::string::npos) break;
    dataStart = pos;
  }

  pos = dataStart;
  std::string encoded;
  std::string checksum;
  std::string footerType;
  bool footerFound = false;
  while (ReadLine(text, pos, line)) {
    std::string trimmed = TrimBlanks(line);
    if (StartsWith(trimmed, kArmourFooterPrefix)) {
      if (!ArmourLineType(trimmed, kArmourFooterPrefix, footerType) || footerType != block.type) {
        problem = "the armour ends with a footer of another type";
        return false;
      }
      footerFound = true;
      break;
    }
    if (trimmed.empty()) continue;
    if (!checksum.empty()) {
      problem = "data after the armour checksum";
      return false;
    }
    if (trimmed[0] == '=' && trimmed.size() == 5) {
      checksum = trimmed;
    } else {
      encoded += trimmed;
    }
  }
  if (!footerFound) {
    problem = "the armour has no footer \"" + std::string(kArmourFooterPrefix) + block.type +
              kArmourDashes + "\"";
    return false;
  }
  if (!DecodeBase64(encoded, block.payload)) {
    problem = "the armour holds broken Base64 data";
    return false;
  }
  if (!checksum.empty() && checksum != ChecksumLine(block.payload)) {
    problem = "the armour checksum does not match its data";
    return false;
  }
  block.end = pos;
  return true;
}

}  // namespace standin
