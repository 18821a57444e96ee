// The settings record: the plug-in's one process-wide configuration, loaded from up to
// three copies of TAVIX.INI and written back, for what changed, to the plug-in's own one.
#pragma once
#include <windows.h>
#include <cstdint>

enum { kPathSize = 260 };
enum { kAttachmentMarkerSize = 32 };

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

// The built-in defaults (every text not set); the settings dialog's Defaults button
// shows these.
extern const TSettingsRecord kDefaultSettings;

// Taken at the end of loading; saving writes the integer settings that differ from it.
// Its text pointers are always null: the texts are owned by `settings` alone.
extern TSettingsRecord savedSettings;

// Set by the settings dialog when it changes the text; cleared by loading.
struct TStringChanged {
  BOOL ProgPGP;
  BOOL EncryptFor;
};
extern TStringChanged stringChanged;

// Set by the settings dialog when it ends with OK and something changed; cleared by
// loading and by saving. Without it no text setting is written.
extern BOOL settingsDirty;

// The module's folder (or its "TAVIX" sub-folder) with a trailing backslash.
extern char pluginFolder[kPathSize];
// The plug-in's own TAVIX.INI; empty when it could not be derived (then it is neither
// read nor written).
extern char iniPath[kPathSize];

// The text that starts an attachment line in a message: the host's string 1410, else the
// plug-in's string 63.
extern char attachmentMarker[kAttachmentMarkerSize];
extern int attachmentMarkerLength;

// From the file name of `instanceHandle`; FALSE (folder empty) when it cannot be found or
// is too long.
BOOL ComputePluginFolder();
// From the configuration directory the host passed; FALSE (INI path empty) when the INI
// path would be longer than 259 characters.
BOOL ComputeIniPath(const char* configDir);

// Fills the record from the defaults and the three INI layers; called once at attach.
void LoadSettings();
// Writes the integer settings that changed and, when the dialog changed them, ProgPGP
// and EncryptFor, to the INI path only. Write failures are ignored.
void SaveSettings();
// Encloses an EncryptFor holding a blank in double quotes and sets its length.
void QuoteEncryptFor();

// Replaces a text setting with a module-heap copy of `value` and releases the old copy;
// a null or empty value (or a failed copy) makes it not set.
void ReplaceTextSetting(char** field, const char* value);

// Appends the settings listing of the Caps Lock diagnostic ("---" and one line per
// setting) to the text in `buffer` of `capacity` bytes.
void ListSettings(char* buffer, size_t capacity);
