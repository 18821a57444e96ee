// Resource and command ids of the Eudora stand-in; shared by its resource script and code.
#pragma once

// The host's own attachment marker, which the plug-in prefers to its own copy.
#define IDS_ATTACHMENT_CONVERTED 1410

// First items of the top-level menus: the plug-in finds each menu by these command ids.
// Eudora 3.0.1 shows the system menu of a maximised message window first.
#define IDC_CHILD_RESTORE 0xF120
#define IDC_FILE_NEW_TEXT 0xE100
#define IDC_EDIT_UNDO 0xE12B
#define IDC_MAILBOX_IN 0x8100
#define IDC_MESSAGE_NEW 0x801D
#define IDC_TRANSFER_IN 0x8101
#define IDC_MAILBOX_IN_PRO4 0x820A   // Eudora Pro 4.0 numbers these two menus anew
#define IDC_TRANSFER_IN_PRO4 0x820D
#define IDC_SPECIAL_FIND 0x8030
#define IDC_TOOLS_FILTERS 0x803A
#define IDC_WINDOW_CASCADE 0xE132
#define IDC_HELP_ABOUT 0x8048

// Further commands of the stand-in itself, clear of the plug-in's own ids.
#define IDC_FILE_EXIT 0xE141
#define IDC_SPECIAL_TRANSLATE 0x9101
#define IDC_SPECIAL_PLUGIN_SETTINGS 0x9102

// First id of the window list that the MDI client appends to the Window menu.
#define IDC_FIRST_MDI_CHILD 0xFF00
