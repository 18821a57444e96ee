// The Eudora identity this build of the stand-in carries: what its version resource says
// and the window layout it draws (one build per identity, see CMakeLists.txt).
#pragma once
#include <cstddef>

struct HostIdentity {
  const char* productName;  // null: the version resource has no ProductName
  const char* productVersion;
  const char* controlBarClass;
  const unsigned* menuKeys;  // first-item command id of each top-level menu, in order
  size_t menuKeyCount;
  const char* folder;  // the build's folder under bin/hosts
};

extern const HostIdentity hostIdentity;
