// TMif: the reader of the module-definition table, a resource of the plug-in. The table's
// memory belongs to the loaded resource; it is never copied or freed.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include "core/module_table.h"

class TMif {
 public:
  TMif();
  // Not virtual: the one instance is never deleted through a base.
  ~TMif();

  // Clears the loaded flag; the table stays readable until the module unloads.
  virtual void Close();

  // Finds the RCDATA resource `resourceId` of the plug-in module and makes its first record
  // current. FALSE when it is missing.
  BOOL Load(int resourceId);
  // Reads the table from the given bytes instead (they must outlive the use).
  BOOL Use(const void* table, size_t size);

  // Advances to the next record; FALSE when the current one ends the table.
  BOOL Next();
  // Makes record `index` (0 = the first) current; FALSE when fewer records precede it.
  BOOL MoveTo(int index);
  // The first `count` strings of the current record's section 1 (at most kMainStringCount).
  BOOL GetStrings(int count, TTableText* strings) const;
  // The first record whose strings match the keys (a null key matches anything); it is
  // left current. Null when none does.
  const BYTE* Find(const char* const* keys, int count);
  // Over the bytes before the end of the table.
  uint32_t Checksum() const;

  // The current record as read; FALSE when it ends the table.
  BOOL ReadCurrent(TModuleRecord* record) const;
  // The current record's start, or null when it lies at or beyond the end of the data.
  const BYTE* CurrentRecord() const;
  BOOL loaded() const { return loadedFlag; }

 private:
  int loadedFlag;
  const BYTE* firstRecord;
  size_t tableSize;
  size_t currentOffset;  // from firstRecord
};

// The process-wide table reader: constructed when the module loads, loaded by the start-up.
extern TMif moduleTableReader;
