// PLACEHOLDER (replaced by the EMS face): lets the DLL link while it is being written.
#include "plugin/exports.h"

extern "C" {
long WINAPI ems_plugin_version(short* apiVersion) { *apiVersion = EMS_VERSION; return 0; }
long WINAPI ems_plugin_init(void*, char*, char*, char*, short*, char**, short*, HICON**) { return 1; }
long WINAPI ems_translator_info(void*, short, long*, long*, unsigned long*, char**, HICON**) { return 3; }
long WINAPI ems_can_translate(void*, long, short, emsMIMEtypeP, char**, char*, char**, long*) { return 2; }
long WINAPI ems_translate_file(void*, long, short, emsMIMEtypeP, char*, emsAddressRecord*, void*,
                               char**, emsMIMEtypeP*, char*, HICON**, char**, char**, long*) { return 2; }
long WINAPI ems_plugin_finish(void*) { return 0; }
long WINAPI ems_free(void*) { return 0; }
long WINAPI ems_plugin_config(void*, char*, char*, char*) { return 0; }
}
