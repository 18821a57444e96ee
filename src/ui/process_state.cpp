#include "ui/process_state.h"

HINSTANCE instanceHandle = nullptr;
HWND hostMainWindow = nullptr;
HINSTANCE hostInstance = nullptr;
BOOL attachedFlag = FALSE;
HFONT helveticaFont = nullptr;
HFONT courierFont = nullptr;
