#include "host/mif.h"
#include "ui/process_state.h"

TMif moduleTableReader;

TMif::TMif() : loadedFlag(0), firstRecord(nullptr), tableSize(0), currentOffset(0) {}

TMif::~TMif() { Close(); }

void TMif::Close() { loadedFlag = 0; }

BOOL TMif::Load(int resourceId) {
  Use(nullptr, 0);
  HRSRC found = FindResourceA(instanceHandle, MAKEINTRESOURCEA(resourceId),
                              reinterpret_cast<LPCSTR>(RT_RCDATA));
  if (!found) return FALSE;
  HGLOBAL resource = LoadResource(instanceHandle, found);
  const void* bytes = resource ? LockResource(resource) : nullptr;
  if (!bytes) return FALSE;
  return Use(bytes, SizeofResource(instanceHandle, found));
}

BOOL TMif::Use(const void* table, size_t size) {
  firstRecord = static_cast<const BYTE*>(table);
  tableSize = table ? size : 0;
  currentOffset = 0;
  loadedFlag = table != nullptr;
  return loadedFlag;
}

BOOL TMif::Next() { return NextModuleRecord(firstRecord, tableSize, &currentOffset); }

BOOL TMif::MoveTo(int index) {
  currentOffset = 0;
  for (int i = 0; i < index; ++i) {
    if (!Next()) return FALSE;
  }
  return index >= 0;
}

BOOL TMif::GetStrings(int count, TTableText* strings) const {
  if (count < 0) return FALSE;
  return ModuleRecordStrings(firstRecord, tableSize, currentOffset, static_cast<size_t>(count),
                             strings);
}

const BYTE* TMif::Find(const char* const* keys, int count) {
  if (count < 0) return nullptr;
  size_t offset = 0;
  if (!FindModuleRecord(firstRecord, tableSize, keys, static_cast<size_t>(count), &offset))
    return nullptr;
  currentOffset = offset;
  return firstRecord + offset;
}

uint32_t TMif::Checksum() const { return ModuleTableChecksum(firstRecord, tableSize); }

BOOL TMif::ReadCurrent(TModuleRecord* record) const {
  return ReadModuleRecord(firstRecord, tableSize, currentOffset, record);
}

const BYTE* TMif::CurrentRecord() const {
  return firstRecord && currentOffset < tableSize ? firstRecord + currentOffset : nullptr;
}
