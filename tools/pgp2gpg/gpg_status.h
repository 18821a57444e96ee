// gpg's status lines and the verdicts drawn from them. Only the status channel counts:
// a "[GNUPG:] GOODSIG" line inside a message, on gpg's standard error or in a half-written
// last line is never seen, so a message cannot fake a good signature.
#pragma once
#include <string>
#include <vector>

#include "bridge_request.h"

namespace pgp2gpg {

struct StatusLine {
  std::string keyword;  // GOODSIG, DECRYPTION_OKAY, ...
  std::string rest;     // what follows the keyword and its blank
};

// The complete lines (ended by a line feed) that begin with "[GNUPG:] "; others are dropped.
std::vector<StatusLine> ParseStatusLines(const std::string& statusText);

struct Verdict {
  int exitCode = 0;                // BridgeExitCode
  std::string message;             // why it failed; empty on success
  std::vector<std::string> notes;  // what went well, for the console
  bool eyesOnlyText = false;       // the sender marked the text for the eyes only
};

// `gpgExitCode` can only spoil a verdict, never make one good.
Verdict JudgeGpgRun(const BridgeRequest& request, const std::vector<StatusLine>& lines,
                    unsigned gpgExitCode);

}  // namespace pgp2gpg
