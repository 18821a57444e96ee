#include "gpg_status.h"

#include "bridge_exit_codes.h"

namespace pgp2gpg {

namespace {

const char kStatusPrefix[] = "[GNUPG:] ";

class StatusSet {
 public:
  explicit StatusSet(const std::vector<StatusLine>& lines) : lines_(lines) {}

  size_t Count(const char* keyword) const {
    size_t n = 0;
    for (const StatusLine& line : lines_) n += line.keyword == keyword ? 1 : 0;
    return n;
  }
  bool Has(const char* keyword) const { return Count(keyword) > 0; }
  const StatusLine* First(const char* keyword) const {
    for (const StatusLine& line : lines_) {
      if (line.keyword == keyword) return &line;
    }
    return nullptr;
  }
  std::vector<std::string> All(const char* keyword) const {
    std::vector<std::string> values;
    for (const StatusLine& line : lines_) {
      if (line.keyword == keyword) values.push_back(line.rest);
    }
    return values;
  }

 private:
  const std::vector<StatusLine>& lines_;
};

// What follows the first field: the user id of "<key id> <user id>" (GOODSIG and its kin),
// the name of "<reason> <name>" (INV_RECP); the whole text when it has one field only.
std::string AfterFirstField(const std::string& rest) {
  size_t blank = rest.find(' ');
  return blank == std::string::npos ? rest : rest.substr(blank + 1);
}

// The field at `index` (0 first) of a blank-separated status text.
std::string Field(const std::string& rest, size_t index) {
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) {
    start = rest.find(' ', start);
    if (start == std::string::npos) return std::string();
    ++start;
  }
  return rest.substr(start, rest.find(' ', start) - start);
}

Verdict Fail(int code, const std::string& message) {
  Verdict verdict;
  verdict.exitCode = code;
  verdict.message = message;
  return verdict;
}

bool GpgReportedFailure(const StatusSet& status, unsigned gpgExitCode) {
  return gpgExitCode != 0 || status.Has("FAILURE") || status.Has("ERROR");
}

Verdict JudgeDecode(const StatusSet& status, unsigned gpgExitCode) {
  static const struct {
    const char* keyword;
    const char* problem;
  } kBadSignatures[] = {
      {"BADSIG", "BAD signature from "},
      {"EXPSIG", "expired signature from "},
      {"EXPKEYSIG", "signature by an expired key: "},
      {"REVKEYSIG", "signature by a revoked key: "},
  };
  for (const auto& bad : kBadSignatures) {
    if (const StatusLine* line = status.First(bad.keyword)) {
      return Fail(kExitBadSignature, bad.problem + AfterFirstField(line->rest));
    }
  }
  if (const StatusLine* line = status.First("ERRSIG")) {
    if (status.Has("NO_PUBKEY")) {
      return Fail(kExitKeyMissing, "the signer's public key " + Field(line->rest, 0) +
                                       " is not in the key ring: the signature cannot be checked");
    }
    return Fail(kExitBadSignature, "the signature cannot be checked");
  }
  const bool encrypted = status.Has("ENC_TO") || status.Has("BEGIN_DECRYPTION") ||
                         status.Has("DECRYPTION_INFO") || status.Has("DECRYPTION_OKAY") ||
                         status.Has("DECRYPTION_FAILED");
  if (status.Has("DECRYPTION_FAILED") || (encrypted && !status.Has("DECRYPTION_OKAY"))) {
    size_t recipients = status.Count("ENC_TO");
    if (recipients > 0 && status.Count("NO_SECKEY") >= recipients) {
      return Fail(kExitKeyMissing, "the message is not for any secret key in the key ring");
    }
    return Fail(kExitDecryptionFailed, "the message could not be decrypted");
  }
  const size_t goodSignatures = status.Count("GOODSIG");
  const bool signedData = goodSignatures > 0 || status.Has("NEWSIG");
  if (status.Has("NODATA") && !status.Has("PLAINTEXT")) {
    return Fail(kExitNoPgpData, "no OpenPGP data found");
  }
  // Every signature begun must have ended good; several texts in one run are refused
  // because the signature need not cover the one that is handed back.
  if (status.Count("NEWSIG") > goodSignatures) {
    return Fail(kExitBadSignature, "a signature was not found good");
  }
  if (status.Count("PLAINTEXT") > 1 || GpgReportedFailure(status, gpgExitCode)) {
    int code = signedData ? kExitBadSignature : encrypted ? kExitDecryptionFailed : kExitGpgFailed;
    return Fail(code, "gpg reported an error: the text is not handed back");
  }
  if (!status.Has("DECRYPTION_OKAY") && goodSignatures == 0) {
    return Fail(kExitNoPgpData, "the data is neither encrypted nor signed");
  }
  Verdict verdict;
  if (status.Has("DECRYPTION_OKAY")) verdict.notes.push_back("Decrypted.");
  for (const std::string& rest : status.All("GOODSIG")) {
    verdict.notes.push_back("Good signature from " + AfterFirstField(rest) + ".");
  }
  if (const StatusLine* plain = status.First("PLAINTEXT")) {
    verdict.eyesOnlyText = Field(plain->rest, 2) == "_CONSOLE";
  }
  return verdict;
}

Verdict JudgeEncode(const BridgeRequest& request, const StatusSet& status, unsigned gpgExitCode) {
  if (const StatusLine* line = status.First("INV_RECP")) {
    const std::string reason = Field(line->rest, 0);
    const std::string who = AfterFirstField(line->rest);
    return Fail(kExitKeyMissing, reason == "10"
                                     ? "the key for \"" + who + "\" is not valid (not certified)"
                                     : "no usable public key for \"" + who + "\"");
  }
  if (const StatusLine* line = status.First("INV_SGNR")) {
    return Fail(kExitKeyMissing,
                "no usable secret key to sign as \"" + AfterFirstField(line->rest) + "\"");
  }
  if (request.sign && !status.Has("SIG_CREATED")) {
    return Fail(kExitSigningFailed, "no signature was made (was the passphrase given?)");
  }
  if (request.encrypt && !status.Has("END_ENCRYPTION")) {
    return Fail(kExitGpgFailed, "the text was not encrypted");
  }
  if (GpgReportedFailure(status, gpgExitCode)) {
    return Fail(kExitGpgFailed, "gpg reported an error: no result is written");
  }
  Verdict verdict;
  if (request.encrypt) verdict.notes.push_back("Encrypted.");
  if (request.sign) verdict.notes.push_back("Signed.");
  return verdict;
}

Verdict JudgeImport(const StatusSet& status, unsigned gpgExitCode) {
  const size_t added = status.Count("IMPORT_OK");
  if (added == 0) {
    if (status.Has("NODATA")) return Fail(kExitNoPgpData, "no OpenPGP key found");
    return Fail(kExitKeyImportFailed, "no key was added");
  }
  if (GpgReportedFailure(status, gpgExitCode)) {
    return Fail(kExitKeyImportFailed, "gpg reported an error: not every key was added");
  }
  Verdict verdict;
  verdict.notes.push_back(std::to_string(added) + " key(s) in the key ring.");
  return verdict;
}

}  // namespace

std::vector<StatusLine> ParseStatusLines(const std::string& statusText) {
  std::vector<StatusLine> lines;
  const size_t prefixLength = sizeof kStatusPrefix - 1;
  size_t pos = 0;
  for (size_t end = statusText.find('\n'); end != std::string::npos;
       pos = end + 1, end = statusText.find('\n', pos)) {
    std::string line = statusText.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, prefixLength, kStatusPrefix) != 0) continue;
    StatusLine status;
    size_t blank = line.find(' ', prefixLength);
    status.keyword = line.substr(prefixLength, blank - prefixLength);
    if (blank != std::string::npos) status.rest = line.substr(blank + 1);
    if (!status.keyword.empty()) lines.push_back(status);
  }
  return lines;
}

Verdict JudgeGpgRun(const BridgeRequest& request, const std::vector<StatusLine>& lines,
                    unsigned gpgExitCode) {
  StatusSet status(lines);
  switch (request.operation) {
    case BridgeOperation::Decode:
      return JudgeDecode(status, gpgExitCode);
    case BridgeOperation::Encode:
      return JudgeEncode(request, status, gpgExitCode);
    case BridgeOperation::AddKey:
      break;
  }
  return JudgeImport(status, gpgExitCode);
}

}  // namespace pgp2gpg
