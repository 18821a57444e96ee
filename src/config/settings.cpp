#include "config/settings.h"

#include <cstdio>
#include <cstring>

#include "config/file_system.h"
#include "core/ini_path.h"
#include "core/module_heap.h"
#include "core/settings_listing.h"
#include "core/text_utils.h"
#include "ui/process_state.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"

TSettingsRecord settings;
TSettingsRecord savedSettings;
TStringChanged stringChanged;
BOOL settingsDirty = FALSE;
char pluginFolder[kPathSize];
char iniPath[kPathSize];
char attachmentMarker[kAttachmentMarkerSize];
int attachmentMarkerLength = 0;

const TSettingsRecord kDefaultSettings = {
    0,   // ChgToTempDir
    0,   // AlwaysSign
    0,   // SignFrom
    0,   // AnsiOem
    1,   // ConvertAttach
    0,   // NickNames
    1,   // EncryptForSelf
    1,   // UseToolBar
    1,   // CopyToReadOnly
    0,   // ButtonPos
    -1,  // KeepOpen
    nullptr, nullptr, nullptr, nullptr,
    0, 0,
};

namespace {

const char kIniFileName[] = "TAVIX.INI";
const char kSectionSettings[] = "Settings";
const char kSectionFlags[] = "PGPflags";
const char kSectionPgp[] = "PGP settings";
// The host's own attachment marker in its string table.
const UINT kHostAttachmentMarkerId = 1410;
// INI values longer than this are cut by the read.
const DWORD kIniValueSize = 256;

struct TIntegerSetting {
  const char* section;
  const char* key;
  int32_t TSettingsRecord::*field;
};

struct TTextSetting {
  const char* section;
  const char* key;
  char* TSettingsRecord::*field;
};

// Record order; every layer is read from the last entry to the first.
const TIntegerSetting kIntegerSettings[] = {
    {kSectionSettings, "ChgToTempDir", &TSettingsRecord::ChgToTempDir},
    {kSectionFlags, "AlwaysSign", &TSettingsRecord::AlwaysSign},
    {kSectionFlags, "SignFrom", &TSettingsRecord::SignFrom},
    {kSectionSettings, "AnsiOem", &TSettingsRecord::AnsiOem},
    {kSectionSettings, "ConvertAttach", &TSettingsRecord::ConvertAttach},
    {kSectionSettings, "NickNames", &TSettingsRecord::NickNames},
    {kSectionPgp, "EncryptForSelf", &TSettingsRecord::EncryptForSelf},
    {kSectionSettings, "UseToolBar", &TSettingsRecord::UseToolBar},
    {kSectionSettings, "CopyToReadOnly", &TSettingsRecord::CopyToReadOnly},
    {kSectionSettings, "ButtonPos", &TSettingsRecord::ButtonPos},
    {kSectionPgp, "KeepOpen", &TSettingsRecord::KeepOpen},
};
const size_t kIntegerCount = sizeof kIntegerSettings / sizeof kIntegerSettings[0];

const TTextSetting kTextSettings[] = {
    {kSectionPgp, "ProgPGP", &TSettingsRecord::ProgPGP},
    {kSectionPgp, "EncryptFor", &TSettingsRecord::EncryptFor},
    {kSectionPgp, "PGPtempdir", &TSettingsRecord::PGPtempdir},
    {kSectionPgp, "PGPPATH", &TSettingsRecord::PGPPATH},
};
const size_t kTextCount = sizeof kTextSettings / sizeof kTextSettings[0];

void ReleaseTextSettings() {
  for (const TTextSetting& text : kTextSettings) ReplaceTextSetting(&(settings.*text.field), nullptr);
}

void ReadLayer(const char* fileName) {
  for (size_t i = kIntegerCount; i-- > 0;) {
    const TIntegerSetting& entry = kIntegerSettings[i];
    int32_t& value = settings.*entry.field;
    // The profile functions read signed decimal text; -1 comes back as -1.
    value = static_cast<int32_t>(GetPrivateProfileIntA(entry.section, entry.key, value, fileName));
  }
  for (size_t i = kTextCount; i-- > 0;) {
    const TTextSetting& entry = kTextSettings[i];
    char*& value = settings.*entry.field;
    char buffer[kIniValueSize];
    GetPrivateProfileStringA(entry.section, entry.key, value ? value : "", buffer,
                             sizeof buffer, fileName);
    ReplaceTextSetting(&value, buffer);
  }
}

void LoadAttachmentMarker() {
  attachmentMarkerLength = 0;
  attachmentMarker[0] = '\0';
  if (hostInstance) {
    attachmentMarkerLength =
        LoadStringA(hostInstance, kHostAttachmentMarkerId, attachmentMarker, sizeof attachmentMarker);
  }
  if (attachmentMarkerLength <= 0) {
    attachmentMarkerLength = LoadText(IDS_ATTACHMENT_MARKER, attachmentMarker, sizeof attachmentMarker);
  }
  if (attachmentMarkerLength < 0) attachmentMarkerLength = 0;
}

void TakeSnapshot() {
  savedSettings = settings;
  for (const TTextSetting& text : kTextSettings) savedSettings.*text.field = nullptr;
}

bool CapsLockHeld() { return (GetAsyncKeyState(VK_CAPITAL) & 0x8000) != 0; }

void WriteInteger(const TIntegerSetting& entry, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
  WritePrivateProfileStringA(entry.section, entry.key, text, iniPath);
}

void WriteTextIfChanged(const char* key, BOOL changed) {
  if (!changed) return;
  for (const TTextSetting& entry : kTextSettings) {
    if (std::strcmp(entry.key, key) != 0) continue;
    const char* value = settings.*entry.field;
    WritePrivateProfileStringA(entry.section, entry.key, value ? value : "", iniPath);
  }
}

}  // namespace

void ReplaceTextSetting(char** field, const char* value) {
  char* copy = (value && value[0]) ? HeapCopyText(value) : nullptr;
  HeapFreeBlock(*field);
  *field = copy;
}

BOOL ComputePluginFolder() {
  pluginFolder[0] = '\0';
  char moduleFileName[kPathSize];
  DWORD length = GetModuleFileNameA(instanceHandle, moduleFileName, sizeof moduleFileName);
  if (length == 0 || length >= sizeof moduleFileName) return FALSE;
  return DerivePluginFolder(moduleFileName, [](const char* path) { return IsDirectory(path) != 0; },
                            pluginFolder, sizeof pluginFolder);
}

BOOL ComputeIniPath(const char* configDir) {
  return DeriveIniPath(configDir, [](const char* path) { return IsDirectory(path) != 0; },
                       iniPath, sizeof iniPath);
}

void QuoteEncryptFor() {
  char* text = settings.EncryptFor;
  size_t length = text ? std::strlen(text) : 0;
  settings.encryptForLength = static_cast<uint32_t>(length);
  if (length == 0 || text[0] == '"' || !std::strchr(text, ' ')) return;
  char* quoted = QuoteText(text, length);
  if (!quoted) return;
  settings.EncryptFor = quoted;
  settings.encryptForLength = static_cast<uint32_t>(length + 2);
}

void ListSettings(char* buffer, size_t capacity) {
  TListedInteger integers[kIntegerCount];
  for (size_t i = 0; i < kIntegerCount; ++i) {
    integers[i] = {kIntegerSettings[i].key, settings.*kIntegerSettings[i].field};
  }
  TListedText texts[kTextCount];
  for (size_t i = 0; i < kTextCount; ++i) {
    texts[i] = {kTextSettings[i].key, settings.*kTextSettings[i].field};
  }
  AppendSettingsListing(buffer, capacity, integers, kIntegerCount, texts, kTextCount);
}

void LoadSettings() {
  ReleaseTextSettings();
  settings = kDefaultSettings;
  stringChanged = TStringChanged{};

  CopyText(sharedMessageBuffer, sizeof sharedMessageBuffer, kIniFileName);
  // A bare name: the profile functions take the copy in the Windows directory.
  ReadLayer(kIniFileName);

  char pluginIni[kPathSize];
  int written = std::snprintf(pluginIni, sizeof pluginIni, "%s%s", pluginFolder, kIniFileName);
  // A plug-in folder too long for its INI file leaves that layer out rather than read a
  // cut name.
  if (written > 0 && static_cast<size_t>(written) < sizeof pluginIni) {
    AppendLine(sharedMessageBuffer, sizeof sharedMessageBuffer, pluginIni);
    ReadLayer(pluginIni);
  }

  if (iniPath[0]) {
    AppendLine(sharedMessageBuffer, sizeof sharedMessageBuffer, iniPath);
    ReadLayer(iniPath);
  }

  QuoteEncryptFor();
  settings.pgpPathLength = settings.PGPPATH ? static_cast<uint32_t>(std::strlen(settings.PGPPATH)) : 0;

  LoadAttachmentMarker();

  if (CapsLockHeld()) {
    ListSettings(sharedMessageBuffer, sizeof sharedMessageBuffer);
    MessageBoxA(nullptr, sharedMessageBuffer, kPluginCaption, 0);
  }

  TakeSnapshot();
  settingsDirty = FALSE;
}

void SaveSettings() {
  // Without an INI path there is nowhere of the plug-in's own to write to; the profile
  // functions would otherwise pick a file in the Windows directory.
  if (iniPath[0]) {
    for (size_t i = kIntegerCount; i-- > 0;) {
      const TIntegerSetting& entry = kIntegerSettings[i];
      int32_t value = settings.*entry.field;
      if (value != savedSettings.*entry.field) WriteInteger(entry, value);
    }
    if (settingsDirty) {
      WriteTextIfChanged("EncryptFor", stringChanged.EncryptFor);
      WriteTextIfChanged("ProgPGP", stringChanged.ProgPGP);
    }
    // A second save writes nothing that the first one wrote.
    TakeSnapshot();
  }
  settingsDirty = FALSE;
}
