#include "host/module_choice.h"

#include <cstdio>
#include <new>

#include "config/settings.h"
#include "core/module_table.h"
#include "host/dlg_mod_list.h"
#include "host/mailer_ifc.h"
#include "host/mif.h"
#include "host/module_definition.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "ui/process_state.h"

TMailerIfc* mailerIfc = nullptr;
TModuleDefinition* programInformation = nullptr;
TModuleDefinition* selectedDefinition = nullptr;

const char kSectionModuleDefinition[] = "ModuleDefinition";
const char kSectionSelectedModDefinition[] = "SelectedModDefinition";
const char kSectionMailerInformation[] = "MailerInformation";
const char kKeyMailerInformationId[] = "MailerInformationID";

namespace {

enum { kIniValueSize = 256 };

// The checksum stored with the last choice; false when there is none, or the value is not a
// number that a checksum could be.
bool StoredChecksum(uint32_t* value) {
  if (!iniPath[0]) return false;
  char text[kIniValueSize];
  GetPrivateProfileStringA(kSectionMailerInformation, kKeyMailerInformationId, "", text,
                           sizeof text, iniPath);
  return ParseStoredChecksum(text, value);
}

void WriteChecksum(uint32_t checksum) {
  if (!iniPath[0]) return;
  char text[16];
  std::snprintf(text, sizeof text, "%ld", static_cast<long>(static_cast<int32_t>(checksum)));
  WritePrivateProfileStringA(kSectionMailerInformation, kKeyMailerInformationId, text, iniPath);
}

void DeleteDefinition(TModuleDefinition** definition) {
  delete *definition;
  *definition = nullptr;
}

}  // namespace

int ChooseModuleDefinition() {
  ReleaseModuleDefinitions();
  TMif& table = moduleTableReader;
  const uint32_t checksum = table.Checksum();
  uint32_t stored = 0;
  const bool tableUnchanged = StoredChecksum(&stored) && stored == checksum;

  programInformation = new (std::nothrow) TModuleDefinition;
  if (!programInformation) return IDS_ERR_NO_MEMORY;
  // A host that cannot be identified keeps its (unmodified) object until shutdown.
  if (!programInformation->FillFromWindow(hostMainWindow)) return IDS_INIT_FAILED;

  bool iniMatches;
  {
    TModuleDefinition remembered;
    remembered.ReadIni(kSectionModuleDefinition, iniPath);
    iniMatches = remembered.SameAs(*programInformation) != 0;
  }
  if (iniMatches) programInformation->modified = 0;

  selectedDefinition = new (std::nothrow) TModuleDefinition;
  if (!selectedDefinition || !selectedDefinition->CopyFrom(*programInformation))
    return IDS_ERR_NO_MEMORY;
  if (iniMatches && tableUnchanged)
    selectedDefinition->ReadIni(kSectionSelectedModDefinition, iniPath);

  const char* keys[kMatchKeyCount];
  selectedDefinition->MatchKeys(keys);
  const BYTE* row = table.Find(keys, kMatchKeyCount);
  bool chosenInDialog = false;
  int failure = IDS_INIT_FAILED;
  if (row) {
    selectedDefinition->modified = 0;
  } else {
    TDlgModList dialog(selectedDefinition, &table);
    // A dialog that cannot be shown counts as cancelled. OK leaves the chosen row current.
    if (dialog.Execute(stringModule, kDlgModListTemplate, hostMainWindow) == IDOK &&
        dialog.chosenRecord) {
      if (selectedDefinition->FillFromRecord(table)) {
        row = dialog.chosenRecord;
        chosenInDialog = true;
      } else {
        failure = IDS_ERR_NO_MEMORY;
      }
    }
  }
  if (!chosenInDialog) {
    // Nothing of them is to be saved, except a host identity the INI file does not hold.
    if (iniMatches) DeleteDefinition(&programInformation);
    DeleteDefinition(&selectedDefinition);
  }
  if (!row) return failure;

  TMailerIfc* created = CreateMailerIfc(table);
  if (!created || !created->Parse(table)) {
    delete created;
    return IDS_INIT_FAILED;
  }
  mailerIfc = created;
  // The same table as last time has its checksum stored already.
  if (!tableUnchanged) WriteChecksum(checksum);
  return 0;
}

void SaveModuleDefinitions() {
  if (!programInformation) return;
  // A choice made in the dialog is offered even when the INI file knows the host already
  // (its remembered row was of no use): otherwise the dialog would come back at every start.
  if (selectedDefinition && selectedDefinition->modified) {
    if (ShowMessageId(nullptr, IDS_SAVE_MODDEF, MB_YESNO) != IDYES) return;
    selectedDefinition->WriteIni(kSectionSelectedModDefinition, iniPath);
    programInformation->WriteIni(kSectionModuleDefinition, iniPath);
    return;
  }
  if (programInformation->modified) programInformation->WriteIni(kSectionModuleDefinition, iniPath);
}

void ReleaseModuleDefinitions() {
  delete mailerIfc;
  mailerIfc = nullptr;
  DeleteDefinition(&programInformation);
  DeleteDefinition(&selectedDefinition);
}
