// The host interface: what the rest of the plug-in knows of the running Eudora's windows,
// built from the chosen row of the module table. TEudora3MailerIfc serves the Eudora
// versions from 3 on; the two differ in how they find a message body (added with the
// message-window access, as the first virtual operation).
#pragma once
#include <windows.h>
#include <cstdint>
#include "core/module_table.h"

class TMif;

class TMailerIfc {
 public:
  TMailerIfc();
  virtual ~TMailerIfc();
  TMailerIfc(const TMailerIfc&) = delete;
  TMailerIfc& operator=(const TMailerIfc&) = delete;

  // Fills the object from the table's current record. FALSE when the record cannot be read
  // (it ends the table) or memory runs out. A section of length 0 leaves its fields 0 and
  // its texts absent.
  BOOL Parse(const TMif& table);

  int32_t MenuKeyIndex[kMenuSlotCount];
  int32_t MenuKeys[kMenuSlotCount];  // the keys of menu slots 0 to 4
  int32_t AddressCommandId;
  int32_t TextCommandId;
  int32_t Reserved2;
  int32_t Reserved3;
  int32_t HeaderFieldIds[kHeaderFieldCount];
  int32_t BodyPaneId;
  int32_t Reserved4;
  int32_t ViewId;
  char* HeaderDialogClass;  // module-heap texts; null when absent
  char* ViewParentPrefix;
  char* HeaderFieldClass;  // the class of every header field
  char* BodyClass;
  char* ViewClass;
  char* MainWindowClass;
  char* ModuleName;
  char* ProductName;
  char* ProductVersion;
  char* ControlBarClass;

 private:
  void ReleaseTexts();
};

class TEudora3MailerIfc : public TMailerIfc {};

// The interface object for the table's current record: a TEudora3MailerIfc when the row's
// main-window class is the start of "EudoraMainWindow" (letter case aside) and its product
// version starts with '3' or a higher character, else a TMailerIfc. Null when the record
// cannot be read or memory runs out. The object is not yet parsed.
TMailerIfc* CreateMailerIfc(const TMif& table);
