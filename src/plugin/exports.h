// The plug-in's exported functions (names and ordinals are fixed by Tavix32.def).
#pragma once
#include <windows.h>
#include "plugin/ems_types.h"
#include "ui/kv_dialog.h"
#include "ui/kv_win_enumerator.h"

extern "C" {
long WINAPI ems_plugin_version(short* apiVersion);
long WINAPI ems_plugin_init(void* globals, char* configDir, char* userName, char* userAddress,
                            short* numTrans, char** description, short* id, HICON** icon);
long WINAPI ems_translator_info(void* globals, short transId, long* type, long* subtype,
                                unsigned long* flags, char** description, HICON** icon);
long WINAPI ems_can_translate(void* globals, long context, short transId, emsMIMEtypeP inMime,
                              char** addresses, char* properties, char** error, long* errorCode);
long WINAPI ems_translate_file(void* globals, long context, short transId, emsMIMEtypeP inMime,
                               char* inFile, emsAddressRecord* addresses, void* progress,
                               char** properties, emsMIMEtypeP* outMime, char* outFile,
                               HICON** icon, char** result, char** error, long* errorCode);
long WINAPI ems_plugin_finish(void* globals);
long WINAPI ems_free(void* block);
long WINAPI ems_plugin_config(void* globals, char* configDir, char* userName, char* userAddress);

LRESULT CALLBACK P07(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK P08(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK P09(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK P10(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
VOID CALLBACK P14(HWND window, UINT message, UINT_PTR timerId, DWORD time);
}
