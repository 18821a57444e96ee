// Base64 and the 24-bit armour checksum (the radix-64 of PGP armour).
#pragma once
#include <cstdint>
#include <string>

namespace standin {

std::string EncodeBase64(const std::string& bytes);

// Decodes a Base64 text without line breaks; '=' padding may only end it.
// False for any other character or a length that is not a multiple of 4.
bool DecodeBase64(const std::string& text, std::string& bytes);

// The armour checksum: CRC-24 with the initial value 0xB704CE and polynomial 0x1864CFB.
uint32_t Crc24(const std::string& bytes);

// The checksum line of an armour block: '=' and the Base64 of the three checksum bytes.
std::string ChecksumLine(const std::string& bytes);

}  // namespace standin
