// The EMS (Eudora Extended Message Services, API version 2) declarations this plug-in
// and the host stand-in share: only the records and values the two exchange.
#pragma once
#include <windows.h>

#define EMS_VERSION 2

// Result codes
#define EMSR_OK              0
#define EMSR_UNKNOWN_FAIL    1
#define EMSR_CANT_TRANS      2
#define EMSR_INVALID_TRANS   3
#define EMSR_NOW             10

// Translator contexts and flags
#define EMSF_ON_ARRIVAL      1
#define EMSF_ON_DISPLAY      2
#define EMSF_ON_REQUEST      4
#define EMSF_Q4_COMPLETION   8

struct emsMIMEparam {
  char* name;
  char* value;
  emsMIMEparam* next;
};

struct emsMIMEtype {
  char* version;
  char* type;
  char* subtype;
  emsMIMEparam* params;
};
typedef emsMIMEtype* emsMIMEtypeP;

// One address record handed to ems_translate_file: three text pointers.
struct emsAddressRecord {
  char* address;
  char* second;
  char* third;
};

extern "C" {
typedef long(WINAPI* ems_plugin_version_t)(short* apiVersion);
typedef long(WINAPI* ems_plugin_init_t)(void* globals, char* configDir, char* userName,
                                        char* userAddress, short* numTrans, char** description,
                                        short* id, HICON** icon);
typedef long(WINAPI* ems_translator_info_t)(void* globals, short transId, long* type,
                                            long* subtype, unsigned long* flags,
                                            char** description, HICON** icon);
typedef long(WINAPI* ems_can_translate_t)(void* globals, long context, short transId,
                                          emsMIMEtypeP inMime, char** addresses,
                                          char* properties, char** error, long* errorCode);
typedef long(WINAPI* ems_translate_file_t)(void* globals, long context, short transId,
                                           emsMIMEtypeP inMime, char* inFile,
                                           emsAddressRecord* addresses, void* progress,
                                           char** properties, emsMIMEtypeP* outMime,
                                           char* outFile, HICON** icon, char** result,
                                           char** error, long* errorCode);
typedef long(WINAPI* ems_plugin_finish_t)(void* globals);
typedef long(WINAPI* ems_free_t)(void* block);
typedef long(WINAPI* ems_plugin_config_t)(void* globals, char* configDir, char* userName,
                                          char* userAddress);
}
