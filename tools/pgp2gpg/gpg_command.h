// gpg's arguments for one request, as an array: nothing goes through a shell. Status lines
// go to a channel of their own. A decoded text goes to standard output, for the bridge to
// write once the verdict is good; an encoded result goes to the result file itself.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "bridge_request.h"

namespace pgp2gpg {

struct GpgInvocation {
  std::vector<std::string> arguments;  // after the program name
  size_t statusChannelArgument = 0;    // the value of --status-fd, filled in by the runner
};

// `homeDirectory` empty: gpg chooses its home (GNUPGHOME or its default).
GpgInvocation MakeGpgInvocation(const BridgeRequest& request, const std::string& homeDirectory);

}  // namespace pgp2gpg
