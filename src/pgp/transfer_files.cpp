#include "pgp/transfer_files.h"

#include <cstring>

#include "core/compose_result.h"
#include "pgp/operation_state.h"

namespace {

// A failing call that left no error code must still not read as success.
DWORD LastErrorOr(DWORD fallback) {
  DWORD code = GetLastError();
  return code ? code : fallback;
}

BOOL WriteAll(HANDLE file, const char* bytes, DWORD length) {
  DWORD written = 0;
  if (!WriteFile(file, bytes, length, &written, nullptr)) return FALSE;
  if (written != length) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return TRUE;
}

// Bytes of a locked text buffer that belong to its text: the stated length when the
// block holds it and its terminator, else up to the first NUL inside the block.
size_t TextBytes(const char* text, SIZE_T blockSize, DWORD statedLength) {
  if (statedLength < blockSize) return statedLength;
  const void* nul = std::memchr(text, 0, blockSize);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : blockSize;
}

}  // namespace

BOOL WriteTransferFile(const char* text, DWORD length, const char* fileName, BOOL convert) {
  HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;

  BOOL ok;
  char* scratch = nullptr;
  if (convert && length < MAXDWORD) {
    scratch = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(length) + 1));
  }
  if (scratch) {
    CharToOemBuffA(text, scratch, length);
    ok = WriteAll(file, scratch, length);
    HeapFree(GetProcessHeap(), 0, scratch);
  } else {
    // Without room to convert, the text goes out as it is rather than not at all.
    ok = WriteAll(file, text, length);
  }
  DWORD error = ok ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
  CloseHandle(file);
  if (!ok) {
    // A partial copy of the message must not stay behind.
    WipeFile(fileName);
    SetLastError(error);
  }
  return ok;
}

DWORD ReadTransferFile(HGLOBAL* handle, const char* fileName, DWORD* length, BOOL convert) {
  *handle = nullptr;
  HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastErrorOr(ERROR_OPEN_FAILED);

  DWORD result = 0;
  LONG sizeHigh = 0;
  SetLastError(0);
  DWORD size = SetFilePointer(file, 0, &sizeHigh, FILE_END);
  if (size == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
    result = GetLastError();
  } else if (sizeHigh != 0 || size >= kMaxTextLength) {
    // Beyond what one text buffer may hold.
    result = ERROR_NOT_ENOUGH_MEMORY;
  }

  HGLOBAL block = nullptr;
  char* bytes = nullptr;
  if (!result) {
    block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size) + 1);
    if (!block) result = LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
  }
  if (!result) {
    bytes = static_cast<char*>(GlobalLock(block));
    if (!bytes) result = LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
  }
  if (!result && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    result = LastErrorOr(ERROR_SEEK);
  }
  DWORD read = 0;
  if (!result && !ReadFile(file, bytes, size, &read, nullptr)) {
    result = LastErrorOr(ERROR_READ_FAULT);
  }
  if (!result) {
    // A file that shrank meanwhile gives what was read, never bytes that were not.
    bytes[read] = '\0';
    *length = read;
    if (convert && read) OemToCharBuffA(bytes, bytes, read);
  }
  if (bytes) GlobalUnlock(block);
  if (result && block) {
    GlobalFree(block);
    block = nullptr;
  }
  CloseHandle(file);
  *handle = block;
  return result;
}

void WipeFile(const char* fileName) {
  HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_DELETE_ON_CLOSE | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char pattern[256];
    for (int i = 0; i < 256; ++i) pattern[i] = static_cast<char>(i);
    LARGE_INTEGER size{};
    LARGE_INTEGER start{};
    if (SetFilePointerEx(file, start, &size, FILE_END) &&
        SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
      ULONGLONG total = static_cast<ULONGLONG>(size.QuadPart);
      DWORD written = 0;
      bool ok = WriteFile(file, pattern, static_cast<DWORD>(total % 256), &written, nullptr) != 0;
      for (ULONGLONG blocks = total / 256; ok && blocks > 0; --blocks) {
        ok = WriteFile(file, pattern, sizeof pattern, &written, nullptr) != 0;
      }
      // The pattern must reach the disk before the file is deleted; otherwise the cache
      // may drop it and leave the old bytes on the disk.
      FlushFileBuffers(file);
    }
    CloseHandle(file);
  }
  // DeleteFileA, not a search for the name: a bare transfer-file name means the file in
  // the current directory and no other, and long paths are fine.
  DeleteFileA(fileName);
}

bool ComposeResult(HGLOBAL* handle, char quoteMark, PgpFunction function) {
  if (!handle || !*handle) return false;
  HGLOBAL textHandle = operationState.textHandle;
  // The output cannot be laid out around a text it is itself.
  if (*handle == textHandle) return false;

  const bool keepSurrounding = (function == Decode || function == CheckSignature) && textHandle;
  const char* text = nullptr;
  size_t textBytes = 0;
  if (keepSurrounding) {
    text = static_cast<const char*>(GlobalLock(textHandle));
    if (!text) return false;
    textBytes = TextBytes(text, GlobalSize(textHandle), operationState.textLength);
  }

  TComposePlan plan{};
  const char* output = static_cast<const char*>(GlobalLock(*handle));
  if (output) {
    plan = PlanComposeResult(output, GlobalSize(*handle), quoteMark, keepSurrounding, textBytes,
                             operationState.blockStart, operationState.blockEnd);
    GlobalUnlock(*handle);
  }
  HGLOBAL enlarged = output ? GlobalReAlloc(*handle, plan.totalLength() + 1, GMEM_MOVEABLE) : nullptr;
  char* block = enlarged ? static_cast<char*>(GlobalLock(enlarged)) : nullptr;
  if (block) {
    LayOutComposeResult(block, plan, quoteMark, text);
    GlobalUnlock(enlarged);
  }
  if (keepSurrounding) GlobalUnlock(textHandle);
  if (!enlarged) return false;
  *handle = enlarged;
  return block && !plan.cut;
}
