// The settings record: the plug-in's one process-wide configuration.
#pragma once
#include <windows.h>
#include <cstdint>

enum { kPathSize = 260 };

// Field order is the order of the INI reading and of the Caps Lock listing.
struct TSettingsRecord {
  int32_t ChgToTempDir;
  int32_t AlwaysSign;
  int32_t SignFrom;
  int32_t AnsiOem;
  int32_t ConvertAttach;
  int32_t NickNames;
  int32_t EncryptForSelf;
  int32_t UseToolBar;
  int32_t CopyToReadOnly;
  int32_t ButtonPos;
  int32_t KeepOpen;
  char* ProgPGP;       // module-heap texts; null when not set
  char* EncryptFor;
  char* PGPtempdir;
  char* PGPPATH;
  uint32_t encryptForLength;  // quotes included
  uint32_t pgpPathLength;
};

extern TSettingsRecord settings;
