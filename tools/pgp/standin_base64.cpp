#include "standin_base64.h"

namespace standin {

static const char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string EncodeBase64(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                 static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                 static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += kAlphabet[v >> 6 & 63];
    out += kAlphabet[v & 63];
  }
  size_t rest = bytes.size() - i;
  if (rest > 0) {
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (rest == 2) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out += kAlphabet[v >> 18 & 63];
    out += kAlphabet[v >> 12 & 63];
    out += rest == 2 ? kAlphabet[v >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

static int Sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool DecodeBase64(const std::string& text, std::string& bytes) {
  bytes.clear();
  if (text.size() % 4 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 4) {
    bool last = i + 4 == text.size();
    int padding = 0;
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) {
      char c = text[i + k];
      int s = Sextet(c);
      if (c == '=' && last && k >= 2) {
        s = 0;
        ++padding;
      } else if (s < 0 || padding > 0) {
        return false;  // a foreign character, or data after the padding
      }
      v = v << 6 | static_cast<uint32_t>(s);
    }
    bytes += static_cast<char>(v >> 16 & 0xFF);
    if (padding < 2) bytes += static_cast<char>(v >> 8 & 0xFF);
    if (padding < 1) bytes += static_cast<char>(v & 0xFF);
  }
  return true;
}

uint32_t Crc24(const std::string& bytes) {
  uint32_t crc = 0xB704CE;
  for (char c : bytes) {
    crc ^= static_cast<uint32_t>(static_cast<unsigned char>(c)) << 16;
    for (int bit = 0; bit < 8; ++bit) {
      crc <<= 1;
      if (crc & 0x1000000) crc ^= 0x1864CFB;
    }
  }
  return crc & 0xFFFFFF;
}

std::string ChecksumLine(const std::string& bytes) {
  uint32_t crc = Crc24(bytes);
  std::string raw;
  raw += static_cast<char>(crc >> 16 & 0xFF);
  raw += static_cast<char>(crc >> 8 & 0xFF);
  raw += static_cast<char>(crc & 0xFF);
  return "=" + EncodeBase64(raw);
}

}  // namespace standin
