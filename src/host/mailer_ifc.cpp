#include "host/mailer_ifc.h"

#include <initializer_list>
#include <new>

#include "core/module_heap.h"
#include "host/mif.h"

namespace {

const char kEudoraMainWindowClass[] = "EudoraMainWindow";

// A copy of a section's text; an empty section's texts stay absent.
bool CopySectionText(char** field, TTableText text, bool sectionPresent) {
  if (!sectionPresent) return true;
  *field = HeapCopyTableText(text);
  return *field != nullptr;
}

}  // namespace

TMailerIfc::TMailerIfc()
    : MenuKeyIndex{}, MenuKeys{}, AddressCommandId(0), TextCommandId(0), Reserved2(0),
      Reserved3(0), HeaderFieldIds{}, BodyPaneId(0), Reserved4(0), ViewId(0),
      HeaderDialogClass(nullptr), ViewParentPrefix(nullptr), HeaderFieldClass(nullptr),
      BodyClass(nullptr), ViewClass(nullptr), MainWindowClass(nullptr), ModuleName(nullptr),
      ProductName(nullptr), ProductVersion(nullptr), ControlBarClass(nullptr) {}

TMailerIfc::~TMailerIfc() { ReleaseTexts(); }

void TMailerIfc::ReleaseTexts() {
  for (char** text : {&HeaderDialogClass, &ViewParentPrefix, &HeaderFieldClass, &BodyClass,
                      &ViewClass, &MainWindowClass, &ModuleName, &ProductName, &ProductVersion,
                      &ControlBarClass}) {
    HeapFreeBlock(*text);
    *text = nullptr;
  }
}

BOOL TMailerIfc::Parse(const TMif& table) {
  TModuleRecord row;
  if (!table.ReadCurrent(&row)) return FALSE;
  ReleaseTexts();
  for (int slot = 0; slot < kMenuSlotCount; ++slot) {
    MenuKeyIndex[slot] = row.menuKeyIndex[slot];
    MenuKeys[slot] = row.menuKeys[slot];
  }
  AddressCommandId = row.addressCommandId;
  TextCommandId = row.textCommandId;
  Reserved2 = row.reserved2;
  Reserved3 = row.reserved3;
  for (int i = 0; i < kHeaderFieldCount; ++i) HeaderFieldIds[i] = row.headerFieldIds[i];
  BodyPaneId = row.bodyPaneId;
  Reserved4 = row.reserved4;
  ViewId = row.viewId;
  const bool copied =
      CopySectionText(&HeaderDialogClass, row.headerDialogClass, row.hasComposeSection) &&
      CopySectionText(&ViewParentPrefix, row.viewParentPrefix, row.hasViewSection) &&
      CopySectionText(&HeaderFieldClass, row.headerFieldClasses[0], row.hasComposeSection) &&
      CopySectionText(&BodyClass, row.bodyClass, row.hasComposeSection) &&
      CopySectionText(&ViewClass, row.viewClass, row.hasViewSection) &&
      CopySectionText(&MainWindowClass, row.mainStrings[kMainWindowClass], row.hasMainSection) &&
      CopySectionText(&ModuleName, row.mainStrings[kModuleName], row.hasMainSection) &&
      CopySectionText(&ProductName, row.mainStrings[kProductName], row.hasMainSection) &&
      CopySectionText(&ProductVersion, row.mainStrings[kProductVersion], row.hasMainSection) &&
      CopySectionText(&ControlBarClass, row.mainStrings[kControlBarClass], row.hasMainSection);
  if (!copied) ReleaseTexts();
  return copied;
}

TMailerIfc* CreateMailerIfc(const TMif& table) {
  TTableText strings[kMatchKeyCount];
  if (!table.GetStrings(kMatchKeyCount, strings)) return nullptr;
  const TTableText& className = strings[kMainWindowClass];
  const TTableText& version = strings[kProductVersion];
  // The row's class, over its own length, against the start of the known class name.
  const bool eudoraWindow = MatchesRowPrefix(kEudoraMainWindowClass, className);
  // An empty version has no first character, so it counts as below '3'.
  const bool version3 = version.length > 0 && static_cast<unsigned char>(version.text[0]) >= '3';
  if (eudoraWindow && version3) return new (std::nothrow) TEudora3MailerIfc;
  return new (std::nothrow) TMailerIfc;
}
