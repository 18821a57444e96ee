// The choice of the module definition for the running host, made once by the attach
// sequence, and the offer to remember it, made at shutdown.
#pragma once
#include <windows.h>

class TMailerIfc;
class TModuleDefinition;

// The host interface object of the chosen row; null until a choice succeeded.
extern TMailerIfc* mailerIfc;
// The running host as found, and the identity used for the lookup (after a choice in the
// selection dialog: the chosen row's keys). Each exists after the choice only while it may
// still have to be written to the INI file.
extern TModuleDefinition* programInformation;
extern TModuleDefinition* selectedDefinition;

// INI sections of the choice.
extern const char kSectionModuleDefinition[];
extern const char kSectionSelectedModDefinition[];
extern const char kSectionMailerInformation[];
extern const char kKeyMailerInformationId[];

// Identifies the host behind hostMainWindow, looks it up in moduleTableReader (through the
// choice remembered in the INI file when host and table are unchanged, else through the
// selection dialog when no row matches) and installs the interface object. Returns 0, or
// the message to show: 8 (no usable definition) or 43 (out of memory).
int ChooseModuleDefinition();

// At shutdown: after a choice in the dialog asks (message 88) and on Yes writes the selected
// definition and the program information; otherwise writes the program information when it
// differs from what the INI file holds.
void SaveModuleDefinitions();

// Deletes the interface object and both definitions and clears their pointers.
void ReleaseModuleDefinitions();
