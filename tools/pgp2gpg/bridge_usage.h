// The text of pgp2gpg -h: what the bridge takes, what it runs and what it answers.
#pragma once

namespace pgp2gpg {

const char* BridgeUsageText();

}  // namespace pgp2gpg
