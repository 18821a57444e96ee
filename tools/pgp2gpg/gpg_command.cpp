#include "gpg_command.h"

namespace pgp2gpg {

namespace {

void AddEncodeArguments(const BridgeRequest& request, std::vector<std::string>& args) {
  if (request.armour) args.push_back("--armor");
  if (request.textMode) args.push_back("--textmode");
  if (request.eyesOnly) args.push_back("--for-your-eyes-only");
  if (!request.signUser.empty()) {
    args.push_back("--local-user");
    args.push_back(request.signUser);
  }
  if (request.encrypt) {
    args.push_back("--encrypt");
    if (request.sign) args.push_back("--sign");
    for (const std::string& recipient : request.recipients) {
      args.push_back("--recipient");
      args.push_back(recipient);
    }
  } else {
    args.push_back(request.clearsign ? "--clearsign" : "--sign");
  }
}

}  // namespace

GpgInvocation MakeGpgInvocation(const BridgeRequest& request, const std::string& homeDirectory) {
  GpgInvocation invocation;
  std::vector<std::string>& args = invocation.arguments;
  if (!homeDirectory.empty()) {
    args.push_back("--homedir");
    args.push_back(homeDirectory);
  }
  // --batch: never ask on the console (the passphrase is the agent's business);
  // a status line that cannot be written ends gpg rather than losing a verdict.
  args.insert(args.end(), {"--batch", "--no-tty", "--exit-on-status-write-error", "--status-fd"});
  invocation.statusChannelArgument = args.size();
  args.push_back("");
  switch (request.operation) {
    case BridgeOperation::Decode:
      // The text comes through a pipe: it reaches a file only after a good verdict.
      args.insert(args.end(), {"--output", "-", "--decrypt"});
      break;
    case BridgeOperation::Encode:
      // Armour or ciphertext may go straight to the result file; --yes replaces that one
      // file only (the bridge removed any older one already).
      args.insert(args.end(), {"--yes", "--output", request.resultFile});
      AddEncodeArguments(request, args);
      break;
    case BridgeOperation::AddKey:
      args.push_back("--import");
      break;
  }
  args.push_back("--");
  args.push_back(request.inputFile);
  return invocation;
}

}  // namespace pgp2gpg
