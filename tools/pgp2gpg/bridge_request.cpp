#include "bridge_request.h"

namespace pgp2gpg {

bool MakeBridgeRequest(const standin::StandinArguments& arguments, BridgeRequest& request,
                       std::string& error) {
  request = BridgeRequest();
  standin::StandinMode mode;
  if (!standin::DetermineMode(arguments, mode, error)) return false;
  request.inputFile = arguments.inputFile;
  if (mode == standin::StandinMode::AddKey) {
    request.operation = BridgeOperation::AddKey;
    return true;
  }
  if (!standin::ResultPath(arguments, mode, request.resultFile, error)) return false;
  request.eyesOnly = arguments.Has('m');
  if (mode == standin::StandinMode::Decode) {
    request.operation = BridgeOperation::Decode;
    return true;
  }
  request.operation = BridgeOperation::Encode;
  request.encrypt = arguments.Has('e');
  request.sign = arguments.Has('s');
  request.clearsign = request.sign && !request.encrypt && arguments.clearsig;
  request.armour = arguments.Has('a');
  request.textMode = arguments.Has('t');
  request.wipeInput = arguments.Has('w');
  request.recipients = arguments.recipients;
  // -u without s names nobody to sign as; PGP 2 ignored it too.
  if (request.sign && arguments.hasSignUser) request.signUser = arguments.signUser;
  return true;
}

}  // namespace pgp2gpg
