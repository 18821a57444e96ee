#include "import_patch.h"

namespace {

// A pointer `rva` bytes into the loaded image.
template <typename T>
T* AtRva(HMODULE module, DWORD rva) {
  return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

// The import directory of a loaded image of this program's own architecture, or null.
IMAGE_IMPORT_DESCRIPTOR* ImportDirectory(HMODULE module) {
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
  if (module == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto* nt = AtRva<IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
  if (nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC ||
      nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
    return nullptr;
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0 || imports.Size == 0) return nullptr;
  return AtRva<IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress);
}

// Whether the name-table entry (the unbound copy of the address table) names `function`.
bool NamesFunction(HMODULE module, const IMAGE_THUNK_DATA& nameEntry, const char* function) {
  if (IMAGE_SNAP_BY_ORDINAL(nameEntry.u1.Ordinal)) return false;
  auto* byName = AtRva<IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(nameEntry.u1.AddressOfData));
  return lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0;
}

bool Overwrite(ULONG_PTR* slot, ULONG_PTR value) {
  DWORD previous = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) return false;
  *slot = value;
  VirtualProtect(slot, sizeof *slot, previous, &previous);
  return true;
}

}  // namespace

int RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  IMAGE_IMPORT_DESCRIPTOR* descriptor = ImportDirectory(module);
  if (descriptor == nullptr) return -1;
  // Without a name table (an old-style bound image) the entry is known by its address.
  HMODULE dllModule = GetModuleHandleA(dll);
  FARPROC real = dllModule != nullptr ? GetProcAddress(dllModule, function) : nullptr;
  int changed = 0;
  // The directory ends with an all-zero descriptor; each address table with a zero entry.
  for (; descriptor->Name != 0; ++descriptor) {
    if (lstrcmpiA(AtRva<const char>(module, descriptor->Name), dll) != 0) continue;
    auto* addresses = AtRva<IMAGE_THUNK_DATA>(module, descriptor->FirstThunk);
    IMAGE_THUNK_DATA* names = descriptor->OriginalFirstThunk != 0
                                  ? AtRva<IMAGE_THUNK_DATA>(module, descriptor->OriginalFirstThunk)
                                  : nullptr;
    for (size_t i = 0; addresses[i].u1.Function != 0; ++i) {
      bool match = names != nullptr
                       ? NamesFunction(module, names[i], function)
                       : real != nullptr &&
                             addresses[i].u1.Function == reinterpret_cast<ULONG_PTR>(real);
      if (match && Overwrite(reinterpret_cast<ULONG_PTR*>(&addresses[i].u1.Function),
                             reinterpret_cast<ULONG_PTR>(replacement)))
        ++changed;
    }
  }
  return changed;
}
