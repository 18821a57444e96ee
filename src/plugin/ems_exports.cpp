// The plug-in's face to Eudora: the EMS entry points, their out-values and records.
#include "plugin/exports.h"
#include <cstring>
#include "config/dlg_settings.h"
#include "core/module_heap.h"
#include "plugin/ems_records.h"
#include "ui/process_state.h"
#include "plugin/instance_guard.h"
#include "plugin/startup.h"
#include "plugin/translate_incoming.h"
#include "ui/messages.h"

const char kPluginDescription[] = "Tavix Light  PGP for Eudora through command-line PGP, v1.28";
const char kTranslatorDescription[] = "PGP functions";

const BlockAllocator moduleHeapAllocator = {HeapAllocBlock, HeapFreeBlock};

namespace {

char* CopyWith(const BlockAllocator& allocator, const char* text) {
  size_t size = strlen(text) + 1;
  char* copy = static_cast<char*>(allocator.allocate(size));
  if (copy) memcpy(copy, text, size);
  return copy;
}

}  // namespace

HICON* MakeIconBlock(int iconId) {
  // The host expects a block holding one icon handle (a pointer, so 8 bytes on x64).
  auto* block = static_cast<HICON*>(HeapAllocBlock(sizeof(HICON)));
  if (block) *block = LoadIconA(instanceHandle, MAKEINTRESOURCEA(iconId));
  return block;
}

void FreeMimeType(emsMIMEtypeP record, const BlockAllocator& allocator) {
  if (!record) return;
  for (emsMIMEparam* node = record->params; node;) {
    emsMIMEparam* next = node->next;
    allocator.release(node->name);
    allocator.release(node->value);
    allocator.release(node);
    node = next;
  }
  allocator.release(record->version);
  allocator.release(record->type);
  allocator.release(record->subtype);
  allocator.release(record);
}

emsMIMEtypeP MakeMimeType(const char* type, const char* subtype, const char* version,
                          const BlockAllocator& allocator) {
  auto* record = static_cast<emsMIMEtypeP>(allocator.allocate(sizeof(emsMIMEtype)));
  if (!record) return nullptr;
  record->type = CopyWith(allocator, type);
  record->subtype = CopyWith(allocator, subtype);
  record->version = CopyWith(allocator, version ? version : "1.0");
  record->params = nullptr;
  if (!record->type || !record->subtype || !record->version) {
    FreeMimeType(record, allocator);
    return nullptr;
  }
  return record;
}

bool BuildAddressList(const emsAddressRecord* records, TAddressList** list) {
  *list = nullptr;
  if (!records) return true;
  auto* built = new (std::nothrow) TAddressList;
  if (!built) return false;
  for (const emsAddressRecord* record = records; record->address; ++record) {
    TAddress* entry = TAddress::Make(record->address, record->second, record->third);
    if (!entry || !built->Add(entry)) {
      delete entry;
      delete built;
      return false;
    }
  }
  *list = built;
  return true;
}

extern "C" {

long WINAPI ems_plugin_version(short* apiVersion) {
  if (apiVersion) *apiVersion = EMS_VERSION;
  return 0;
}

long WINAPI ems_plugin_init(void*, char* configDir, char*, char*, short* numTrans,
                            char** description, short* id, HICON** icon) {
  // Texts come from the plug-in itself until a language module is accepted.
  stringModule = instanceHandle;
  if (!SingleInstanceGuard()) return 1;
  if (numTrans) *numTrans = kTranslatorCount;
  if (description) *description = HeapCopyText(kPluginDescription);
  if (id) *id = kPluginId;
  if (icon) *icon = MakeIconBlock(kPluginIcon);
  return StartUp(configDir) ? 0 : 1;
}

long WINAPI ems_translator_info(void*, short transId, long* type, long* subtype,
                                unsigned long* flags, char** description, HICON** icon) {
  if (transId != kTranslatorId) return EMSR_INVALID_TRANS;
  if (type) *type = kTranslatorType;
  if (subtype) *subtype = kTranslatorSubtype;
  if (flags) *flags = kTranslatorFlags;
  if (description) *description = HeapCopyText(kTranslatorDescription);
  if (icon) *icon = MakeIconBlock(kTranslatorIcon);
  return EMSR_OK;
}

long WINAPI ems_can_translate(void*, long context, short transId, emsMIMEtypeP, char**, char*,
                              char**, long*) {
  return transId == kTranslatorId && context == EMSF_ON_REQUEST ? EMSR_NOW : EMSR_CANT_TRANS;
}

long WINAPI ems_translate_file(void*, long context, short transId, emsMIMEtypeP, char* inFile,
                               emsAddressRecord* addresses, void*, char**,
                               emsMIMEtypeP* outMime, char* outFile, HICON**, char**, char**,
                               long*) {
  if (transId != kTranslatorId) return EMSR_CANT_TRANS;
  // The host gets its record even for a context refused below.
  if (outMime) *outMime = MakeMimeType("text", "plain", "1.0");
  if (context != EMSF_ON_REQUEST) return EMSR_CANT_TRANS;
  TAddressList* list = nullptr;
  // Out of memory while copying the addresses: refuse rather than encrypt for a list that
  // lost its sender or a recipient.
  if (!BuildAddressList(addresses, &list)) return EMSR_UNKNOWN_FAIL;
  long result = TranslateIncoming(inFile, outFile, list);
  delete list;
  return result;
}

long WINAPI ems_plugin_finish(void*) {
  // The shutdown steps (timer, settings, subclasses, leftover files) are added by the
  // shutdown work; nothing has been started that needs undoing yet.
  return 0;
}

long WINAPI ems_free(void* block) {
  // Only the block itself: a MIME record's texts are separate blocks the host frees.
  HeapFreeBlock(block);
  return 0;
}

long WINAPI ems_plugin_config(void*, char*, char*, char*) {
  // No control is chosen for the first focus: Windows gives it to the first check box.
  return static_cast<long>(OpenSettingsDialog(0));
}

}  // extern "C"
