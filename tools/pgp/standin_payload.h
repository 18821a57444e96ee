// What an armour block carries: field lines "Name: value", one empty line, then the body
// bytes unchanged. Message payloads are also scrambled (ScrambleBytes) before Base64: a
// reversible stand-in for encryption that keeps nothing secret.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace standin {

struct Payload {
  std::vector<std::pair<std::string, std::string>> fields;
  std::string body;
};

extern const char kFieldRecipient[];  // "Recipient": a user id the message is addressed to
extern const char kFieldSigner[];     // "Signer": the user id that signed
extern const char kFieldChecksum[];   // "Checksum": the signature value (SignatureChecksum)
extern const char kFieldEyesOnly[];   // "Eyes-only": "yes" when the text is only to be shown
extern const char kFieldUserId[];     // "User-ID": a user id in a public key block

std::string FormatPayload(const Payload& payload);

// False when the field lines are not "Name: value" or the empty line is missing.
bool ParsePayload(const std::string& bytes, Payload& payload);

std::vector<std::string> FieldValues(const Payload& payload, const std::string& name);

// The value of the first field of that name, or the empty text.
std::string FieldValue(const Payload& payload, const std::string& name);

// XORs every byte with 0x5A: applying it twice gives the bytes back.
void ScrambleBytes(std::string& bytes);

}  // namespace standin
