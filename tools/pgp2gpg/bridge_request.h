// What one command line asks of the bridge, in GnuPG's terms: taken from the PGP 2
// argument grammar shared with the stand-in (standin_arguments.h).
#pragma once
#include <string>
#include <vector>

#include "standin_arguments.h"

namespace pgp2gpg {

enum class BridgeOperation { Decode, Encode, AddKey };

struct BridgeRequest {
  BridgeOperation operation = BridgeOperation::Decode;
  std::string inputFile;
  std::string resultFile;  // empty for AddKey
  std::vector<std::string> recipients;
  std::string signUser;  // empty: gpg's default key
  bool encrypt = false;
  bool sign = false;
  bool clearsign = false;  // s without e, with +clearsig=on
  bool armour = false;
  bool textMode = false;
  bool wipeInput = false;  // w, encoding only
  bool eyesOnly = false;   // m
};

// False with a message in `error` for a command line the bridge refuses.
bool MakeBridgeRequest(const standin::StandinArguments& arguments, BridgeRequest& request,
                       std::string& error);

}  // namespace pgp2gpg
