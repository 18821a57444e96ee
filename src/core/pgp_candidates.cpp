#include "core/pgp_candidates.h"
#include <cstring>

namespace {

// Adds `directory` + `name` when it fits; a candidate that does not fit is not tried.
void Add(TPgpCandidates* candidates, const char* directory, const char* name) {
  const size_t directoryLength = std::strlen(directory);
  const size_t nameLength = std::strlen(name);
  if (directoryLength + nameLength >= kPgpProgramPathSize) return;
  char* slot = candidates->names[candidates->count++];
  std::memcpy(slot, directory, directoryLength);
  std::memcpy(slot + directoryLength, name, nameLength + 1);
}

}  // namespace

void ListPgpCandidates(const char* pgpPath, const char* progPgp, int32_t keepOpen,
                       TPgpCandidates* candidates) {
  candidates->count = 0;
  if (!pgpPath) pgpPath = "";
  if (progPgp && progPgp[0]) {
    if (!std::strchr(progPgp, ':')) Add(candidates, pgpPath, progPgp);
    Add(candidates, "", progPgp);
    return;
  }
  // A program-information file only makes sense when Windows handles the console.
  const bool withPif = keepOpen < 0;
  if (withPif) Add(candidates, pgpPath, "pgp.pif");
  Add(candidates, pgpPath, "pgp.exe");
  if (withPif) Add(candidates, "", "pgp.pif");
  Add(candidates, "", "pgp.exe");
}
