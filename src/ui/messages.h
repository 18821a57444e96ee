// Message texts (loaded by id from the string module) and error reporting.
#pragma once
#include <windows.h>
#include <cstddef>

enum { kMessageBufferSize = 256, kOperationCaptionSize = 64 };

// The module texts and dialog templates are loaded from: the plug-in itself, or an
// accepted language module.
extern HINSTANCE stringModule;
// Where most messages are prepared just before they are shown.
extern char sharedMessageBuffer[kMessageBufferSize];
// " PGP - " and the function name: the console title and the caption of operation messages.
extern char operationCaption[kOperationCaptionSize];

// Caption of the plug-in's own message boxes (the trailing blank is part of it).
extern const char kPluginCaption[];

// Loads string `id` of the string module into `buffer` (limit in bytes, NUL included);
// an absent id gives an empty text. Returns the number of characters loaded.
int LoadText(UINT id, char* buffer, int limit);

// Loads string `id` into `buffer` (`capacity` bytes) and adds each of the `count` names on
// a line of its own; a name that would not fit with its NUL is left out. Returns the length.
size_t LoadTextWithLines(UINT id, char* buffer, size_t capacity, const char* const* names,
                         size_t count);

// Turns a Windows error code (or the plug-in's own code kErrorNoData) and an optional
// file name into a message text in `buffer` (kMessageBufferSize bytes). A text that would
// be longer than 255 characters is cut there.
void FormatErrorMessage(DWORD code, char* buffer, const char* fileName);

// A PGP result file shorter than 3 bytes.
const DWORD kErrorNoData = static_cast<DWORD>(-14);

// MessageBoxA with the given owner, text, caption and flags.
int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags);
// Loads `id` into the shared message buffer and shows it with the plug-in caption.
int ShowMessageId(HWND owner, UINT id, UINT flags);
