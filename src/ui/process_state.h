// Process-wide handles that the plug-in keeps from loading to unloading; every layer reads
// them, the module entry point and the attach sequence set them.
#pragma once
#include <windows.h>

// The plug-in's own instance handle, stored when a process attaches.
extern HINSTANCE instanceHandle;
// Eudora's main window and instance, known once the attach sequence found the window.
extern HWND hostMainWindow;
extern HINSTANCE hostInstance;
// Set when the attach sequence has completed; PGP operations run only then.
extern BOOL attachedFlag;
// The fonts of the painted dialog lines: "helvetica" (height 14, weight 500) and "courier"
// (height 12, weight 300). Created by the attach sequence; a painter that finds one null
// creates it itself, and it is deleted with the other resources at shutdown.
extern HFONT helveticaFont;
extern HFONT courierFont;
