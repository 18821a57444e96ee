// The PGP program files to try, in the order they are tried.
#pragma once
#include <cstddef>
#include <cstdint>

enum { kPgpProgramPathSize = 256, kMaxPgpCandidates = 4 };

struct TPgpCandidates {
  size_t count;
  char names[kMaxPgpCandidates][kPgpProgramPathSize];
};

// Lists the candidates for the PGP program. With `progPgp` set: `pgpPath` + `progPgp`
// when `progPgp` names no drive, then `progPgp` itself. Otherwise `pgpPath` + "pgp.pif"
// (console handled by Windows: keepOpen < 0 only), `pgpPath` + "pgp.exe", "pgp.pif"
// (keepOpen < 0 only), "pgp.exe". A null text counts as empty. A candidate that does not
// fit kPgpProgramPathSize bytes is left out rather than cut, since a cut path could
// name another file.
void ListPgpCandidates(const char* pgpPath, const char* progPgp, int32_t keepOpen,
                       TPgpCandidates* candidates);
