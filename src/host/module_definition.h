// TModuleDefinition: the identity of a host program (its main window's class, its module
// file and the product name and version of its version resource), as found on the running
// host, as remembered in the INI file, or as taken from a row of the module table.
#pragma once
#include <windows.h>

class TMif;

// At most this many characters of a product name or version are kept.
enum { kProductTextLength = 62 };

class TModuleDefinition {
 public:
  TModuleDefinition();
  ~TModuleDefinition();
  TModuleDefinition(const TModuleDefinition&) = delete;
  TModuleDefinition& operator=(const TModuleDefinition&) = delete;

  // Identifies the program that owns `window`: its class name, its module's file name and
  // the product name and version of that file. FALSE (nothing changed) when one of them
  // cannot be read; a version resource without ProductName counts as unreadable.
  BOOL FillFromWindow(HWND window);
  // Reads the five keys of `section`, each defaulting to the field's current value; an
  // empty result leaves the field absent. Sets the valid flag. Without an INI path nothing
  // is read.
  void ReadIni(const char* section, const char* iniFile);
  // Writes FullModName and the four match keys that are present; clears the modified flag
  // when every write succeeded.
  BOOL WriteIni(const char* section, const char* iniFile);
  // Fresh copies of the other's five strings and its two flags; FALSE when out of memory.
  BOOL CopyFrom(const TModuleDefinition& other);
  // The four match keys from the table's current record (FullModName stays); sets the valid
  // and modified flags. FALSE when the record cannot be read or memory runs out.
  BOOL FillFromRecord(const TMif& table);
  // All four match keys present on both sides and equal without regard to letter case.
  BOOL SameAs(const TModuleDefinition& other) const;

  // The four match keys, in table order, for the lookup.
  void MatchKeys(const char* keys[4]) const;

  int valid;
  char* ClassName;  // module-heap texts; null when absent
  char* ModName;
  char* ProductName;
  char* ProductVersion;
  char* FullModName;
  int modified;  // set when the definition is to be written to the INI file
};
