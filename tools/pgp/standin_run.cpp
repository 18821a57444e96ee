#include "standin_run.h"

#include <vector>

#include "standin_armour.h"
#include "standin_files.h"
#include "standin_key_ring.h"
#include "standin_payload.h"
#include "standin_signature.h"
#include "standin_text.h"

namespace standin {

namespace {

const char kMessageType[] = "MESSAGE";

StandinResult& Fail(StandinResult& result, int code, const std::string& error) {
  result.exitCode = code;
  result.error = error;
  result.hasResult = false;
  result.resultBytes.clear();
  return result;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

StandinResult& Encode(const StandinArguments& arguments, const std::string& ringDirectory,
                      const std::string& input, StandinResult& result) {
  std::string signer;
  if (arguments.Has('s')) {
    std::string ringPath = JoinPath(ringDirectory, kSecretRingName);
    std::vector<std::string> ids = ReadUserIds(ringPath);
    if (ids.empty()) return Fail(result, ExitKeyNotFound, "no secret key for signing: " + Quoted(ringPath) + " holds no user id");
    int index = arguments.hasSignUser ? FindUserId(ids, arguments.signUser) : 0;
    if (index < 0) {
      return Fail(result, ExitKeyNotFound, "no secret key for user id " + Quoted(arguments.signUser) +
                                               " in " + Quoted(ringPath));
    }
    signer = ids[static_cast<size_t>(index)];
    result.report += "Signing as user " + Quoted(signer) + ".\n";
  } else if (arguments.hasSignUser) {
    result.report += "Note: -u " + Quoted(arguments.signUser) + " ignored, nothing is signed.\n";
  }
  for (const std::string& recipient : arguments.recipients) {
    if (!IsValidUserId(recipient)) return Fail(result, ExitBadArgument, "a recipient holds a control character");
  }

  if (arguments.Has('s') && !arguments.Has('e') && arguments.clearsig) {
    result.resultBytes = MakeClearSigned(input, signer);
  } else {
    Payload message;
    for (const std::string& recipient : arguments.recipients) {
      message.fields.emplace_back(kFieldRecipient, recipient);
      result.report += "Encoding for user " + Quoted(recipient) + " (stand-in: NOT encrypted).\n";
    }
    if (!signer.empty()) {
      message.fields.emplace_back(kFieldSigner, signer);
      message.fields.emplace_back(kFieldChecksum, SignatureChecksum(signer, input));
    }
    if (arguments.Has('m')) message.fields.emplace_back(kFieldEyesOnly, "yes");
    message.body = input;
    std::string bytes = FormatPayload(message);
    ScrambleBytes(bytes);
    result.resultBytes = WriteArmourBlock(kMessageType, bytes);
  }
  result.hasResult = true;
  result.wipeInput = arguments.Has('w');
  result.report += "Transport armor file: " + result.resultPath + "\n";
  return result;
}

// A message addressed to recipients must name one of the user's own ids.
bool AddressedToUser(const std::vector<std::string>& recipients, const std::vector<std::string>& ownIds) {
  for (const std::string& recipient : recipients) {
    if (FindUserId(ownIds, recipient) >= 0) return true;
  }
  return false;
}

StandinResult& CheckSignature(const std::string& signer, const std::string& checksum,
                              const std::string& text, const std::string& ringDirectory,
                              StandinResult& result) {
  if (SignatureChecksum(signer, text) != checksum) {
    return Fail(result, ExitBadSignature, "WARNING: Bad signature from user " + Quoted(signer) +
                                              ", doesn't match file contents!");
  }
  std::vector<std::string> known = ReadUserIds(JoinPath(ringDirectory, kPublicRingName));
  for (const std::string& id : ReadUserIds(JoinPath(ringDirectory, kSecretRingName))) known.push_back(id);
  bool inRing = false;
  for (const std::string& id : known) inRing = inRing || EqualIgnoringCase(id, signer);
  result.report += "Good signature from user " + Quoted(signer) + "." +
                   (inRing ? "" : " (The signer's key is not in the key ring.)") + "\n";
  return result;
}

StandinResult& DecodeMessage(const StandinArguments& arguments, const std::string& ringDirectory,
                             const std::string& input, size_t headerStart, StandinResult& result) {
  ArmourBlock block;
  std::string problem;
  if (!ReadArmourBlock(input, headerStart, block, problem)) return Fail(result, ExitDamaged, "damaged message: " + problem);
  ScrambleBytes(block.payload);
  Payload message;
  if (!ParsePayload(block.payload, message)) return Fail(result, ExitDamaged, "damaged message: its payload has no field lines");

  std::vector<std::string> recipients = FieldValues(message, kFieldRecipient);
  if (!recipients.empty()) {
    std::string ringPath = JoinPath(ringDirectory, kSecretRingName);
    if (!AddressedToUser(recipients, ReadUserIds(ringPath))) {
      std::string names;
      for (const std::string& r : recipients) names += (names.empty() ? "" : ", ") + Quoted(r);
      return Fail(result, ExitNotForThisKey, "This message can only be read by: " + names +
                                                 "; none of them is in " + Quoted(ringPath) + ".");
    }
    result.report += "File is encoded for you (stand-in: it was NOT encrypted).\n";
  }
  std::string signer = FieldValue(message, kFieldSigner);
  if (!signer.empty()) {
    CheckSignature(signer, FieldValue(message, kFieldChecksum), message.body, ringDirectory, result);
    if (result.exitCode != ExitOk) return result;
  }
  if (arguments.Has('m') || EqualIgnoringCase(FieldValue(message, kFieldEyesOnly), "yes")) {
    // For the eyes only: shown on the console, never written to a file.
    result.report += "Plaintext message follows (for your eyes only):\n" + message.body + "\n";
    return result;
  }
  result.resultBytes = message.body;
  result.hasResult = true;
  return result;
}

StandinResult& Decode(const StandinArguments& arguments, const std::string& ringDirectory,
                      const std::string& input, StandinResult& result) {
  size_t headerStart = 0;
  std::string type;
  if (!FindArmourHeader(input, 0, headerStart, type)) {
    return Fail(result, ExitNoArmour, "no PGP armour found in " + Quoted(arguments.inputFile));
  }
  if (type == kMessageType) {
    DecodeMessage(arguments, ringDirectory, input, headerStart, result);
  } else if (type == kSignedMessageType) {
    ClearSigned signedText;
    std::string problem;
    if (!ReadClearSigned(input, headerStart, signedText, problem)) {
      return Fail(result, ExitDamaged, "damaged signed text: " + problem);
    }
    CheckSignature(signedText.signer, signedText.checksum, signedText.text, ringDirectory, result);
    if (result.exitCode != ExitOk) return result;
    result.resultBytes = signedText.text;
    result.hasResult = true;
  } else if (type == kPublicKeyType) {
    return Fail(result, ExitNoArmour, Quoted(arguments.inputFile) + " holds a public key block; add it with -ka");
  } else {
    return Fail(result, ExitNoArmour, "the armour type " + Quoted(type) + " is not supported by the stand-in");
  }
  if (result.exitCode == ExitOk && result.hasResult) {
    result.report += "Plaintext filename: " + result.resultPath + "\n";
  }
  return result;
}

StandinResult& AddKeys(const StandinArguments& arguments, const std::string& ringDirectory,
                       const std::string& input, StandinResult& result) {
  std::vector<std::string> ids;
  bool blockFound = false;
  size_t pos = 0;
  size_t headerStart = 0;
  std::string type;
  while (FindArmourHeader(input, pos, headerStart, type)) {
    pos = headerStart + 1;
    if (type != kPublicKeyType) continue;
    blockFound = true;
    ArmourBlock block;
    std::string problem;
    Payload key;
    if (!ReadArmourBlock(input, headerStart, block, problem)) return Fail(result, ExitDamaged, "damaged key block: " + problem);
    if (!ParsePayload(block.payload, key)) return Fail(result, ExitDamaged, "damaged key block: no field lines");
    for (const std::string& id : FieldValues(key, kFieldUserId)) {
      if (!IsValidUserId(id)) return Fail(result, ExitDamaged, "damaged key block: a user id holds a control character");
      ids.push_back(id);
    }
    pos = block.end;
  }
  if (!blockFound) return Fail(result, ExitNoArmour, "no public key block found in " + Quoted(arguments.inputFile));
  if (ids.empty()) return Fail(result, ExitDamaged, "the key block holds no user id");

  std::string ringPath = JoinPath(ringDirectory, kPublicRingName);
  std::vector<std::string> added;
  if (!AddUserIds(ringPath, ids, added)) return Fail(result, ExitKeyRingError, "cannot write the key ring " + Quoted(ringPath));
  for (const std::string& id : added) result.report += "Added user id " + Quoted(id) + " to " + ringPath + ".\n";
  if (added.empty()) result.report += "No new keys: every user id is already in " + ringPath + ".\n";
  return result;
}

}  // namespace

StandinResult RunStandin(const StandinArguments& arguments, const std::string& keyRingDirectory) {
  StandinResult result;
  StandinMode mode;
  std::string error;
  if (!DetermineMode(arguments, mode, error)) return Fail(result, ExitBadArgument, error);
  if (mode != StandinMode::AddKey && !ResultPath(arguments, mode, result.resultPath, error)) {
    return Fail(result, ExitBadArgument, error);
  }
  std::string input;
  switch (ReadFileBytes(arguments.inputFile, input)) {
    case FileReadStatus::NotFound:
      return Fail(result, ExitFileNotFound, "file " + Quoted(arguments.inputFile) + " does not exist");
    case FileReadStatus::Unreadable:
      return Fail(result, ExitFileError, "cannot read the file " + Quoted(arguments.inputFile));
    case FileReadStatus::Ok:
      break;
  }
  switch (mode) {
    case StandinMode::Encode: return Encode(arguments, keyRingDirectory, input, result);
    case StandinMode::Decode: return Decode(arguments, keyRingDirectory, input, result);
    case StandinMode::AddKey: return AddKeys(arguments, keyRingDirectory, input, result);
  }
  return result;
}

}  // namespace standin
