// The records the plug-in hands to the host through its EMS exports, and the one it
// reads from the host (the recipient records). Everything handed out comes from the
// module heap, so that the host can give it back through ems_free.
#pragma once
#include <cstddef>
#include "core/address_list.h"
#include "plugin/ems_types.h"
#include "resources/resource_ids.h"

// "Tavix Light " (with its blank), a second blank, a short description and the version.
extern const char kPluginDescription[];
extern const char kTranslatorDescription[];  // "PGP functions"

enum : short { kPluginId = 500, kTranslatorCount = 1, kTranslatorId = 1 };
enum : long { kTranslatorType = 0x10, kTranslatorSubtype = 1 };
enum : unsigned long { kTranslatorFlags = EMSF_ON_REQUEST };
enum : int { kPluginIcon = IDI_PLUGIN, kTranslatorIcon = IDI_TRANSLATOR };

// A heap block holding the handle of icon `iconId` of the plug-in; null (and no icon
// loaded) when the block cannot be allocated.
HICON* MakeIconBlock(int iconId);

// Where MIME records get their memory; tests use it to make allocations fail.
struct BlockAllocator {
  void* (*allocate)(size_t size);
  void (*release)(void* block);
};
extern const BlockAllocator moduleHeapAllocator;

// A MIME type record with copies of type and subtype and the version ("1.0" when null),
// no parameters. Null when anything cannot be allocated; nothing is left allocated then.
emsMIMEtypeP MakeMimeType(const char* type, const char* subtype, const char* version,
                          const BlockAllocator& allocator = moduleHeapAllocator);
// Frees a MIME type record with its texts and every parameter node with its name and value.
void FreeMimeType(emsMIMEtypeP record, const BlockAllocator& allocator = moduleHeapAllocator);

// Reads the host's recipient records (three text pointers each, ended by a record whose
// first pointer is null) into a new owning list, keeping the host's order.
// Returns false when the list or an entry cannot be allocated (*list is then null): an
// incomplete list would shift the sender or drop a recipient. A null `records` gives
// true and no list; a terminator at once gives an empty list.
bool BuildAddressList(const emsAddressRecord* records, TAddressList** list);
