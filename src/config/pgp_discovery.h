// Discovery of PGP's directory, the temporary directory, the transfer file names and the
// PGP program, done once while the plug-in attaches to the host.
#pragma once
#include <windows.h>
#include "core/pgp_candidates.h"

// The built-in transfer file names: plain text and armoured text.
extern const char kTransferFileText[];      // "TAVIX"
extern const char kTransferFileArmoured[];  // "TAVIX.asc"

// The transfer file names in use: the bare built-in names (at module load, and while
// ChgToTempDir is set) or module-heap paths in the temporary directory.
extern const char* transferFileText;
extern const char* transferFileArmoured;

// The PGP program file found by FindPgpProgram, exactly as it was tried.
extern char pgpProgramPath[kPgpProgramPathSize];

// Takes PGPPATH from the settings (and exports it to the environment) or from the
// environment; stores it with a trailing backslash, or empty, with its length.
void ResolvePgpPath();

// Reads the TMP line of PGPPATH's config.txt (or pgp.ini) into PGPtempdir unless that is
// already set. Silent on every failure.
void ReadPgpConfig();

// Chooses and checks the temporary directory (message 47 when it does not exist), builds
// the transfer file names and asks about leftover files. Non-zero when attaching may go on.
BOOL ChooseTempDirectory();

// Rebuilds both transfer file names from PGPtempdir and ChgToTempDir.
void MakeTransferFileNames();

// Asks before leftover transfer files are overwritten (message 7, OK wipes them).
// 1 when work may go on, 0 when the user refused or the directory could not be changed.
BOOL CheckLeftoverFiles();

// Tries the PGP program candidates, appending each to the tried list in the shared message
// buffer (which the caller has loaded with message 6). Non-zero when one exists; it is
// then in pgpProgramPath.
BOOL FindPgpProgram();
