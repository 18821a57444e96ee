#include "ui/messages.h"
#include "core/text_utils.h"
#include "resources/resource_ids.h"
#include <cstring>

HINSTANCE stringModule = nullptr;
char sharedMessageBuffer[kMessageBufferSize];
char operationCaption[kOperationCaptionSize];
const char kPluginCaption[] = "Tavix Light ";

namespace {

UINT ErrorMessageId(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return IDS_ERR_FILE_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND: return IDS_ERR_PATH_NOT_FOUND;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return IDS_ERR_NO_MEMORY;
    case ERROR_SHARING_VIOLATION: return IDS_ERR_SHARING;
    case ERROR_BAD_PATHNAME: return IDS_ERR_BAD_PATH;
    case kErrorNoData: return IDS_ERR_NO_DATA;
    default: return IDS_ERR_UNKNOWN;
  }
}

// A relative name is shown as the full path it resolves to against the current directory;
// a name with a colon, or one that cannot be expanded, is shown as given.
const char* DisplayFileName(const char* fileName, char* work, DWORD workSize) {
  if (!fileName || !*fileName) return "";
  if (std::strchr(fileName, ':')) return fileName;
  DWORD length = GetFullPathNameA(fileName, workSize, work, nullptr);
  if (length == 0 || length >= workSize) return fileName;
  return work;
}

}  // namespace

int LoadText(UINT id, char* buffer, int limit) {
  if (!buffer || limit <= 0) return 0;
  int length = LoadStringA(stringModule, id, buffer, limit);
  if (length <= 0) {
    buffer[0] = '\0';
    return 0;
  }
  return length;
}

size_t LoadTextWithLines(UINT id, char* buffer, size_t capacity, const char* const* names,
                         size_t count) {
  if (!buffer || capacity == 0) return 0;
  int limit = capacity > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(capacity);
  LoadText(id, buffer, limit);
  for (size_t i = 0; i < count; ++i) {
    if (names[i]) AppendLine(buffer, capacity, names[i]);
  }
  return std::strlen(buffer);
}

void FormatErrorMessage(DWORD code, char* buffer, const char* fileName) {
  UINT id = ErrorMessageId(code);
  LoadText(id, buffer, kMessageBufferSize);
  if (!std::strstr(buffer, "%s")) return;

  char work[MAX_PATH];
  work[0] = '\0';
  const char* name = DisplayFileName(fileName, work, sizeof work);

  // The loaded text may come from a language module, so it is formatted by a bounded
  // formatter that never reads more arguments than given; the result is cut to 255
  // characters, since a 255-character text and a long path do not fit together.
  char format[kMessageBufferSize];
  CopyText(format, sizeof format, buffer);
  if (id == IDS_ERR_UNKNOWN) {
    const TextArgument arguments[] = {NumberArg(code), TextArg(name)};
    FormatText(buffer, kMessageBufferSize, format, arguments, 2);
  } else {
    const TextArgument arguments[] = {TextArg(name)};
    FormatText(buffer, kMessageBufferSize, format, arguments, 1);
  }
}

int ShowMessage(HWND owner, const char* text, const char* caption, UINT flags) {
  return MessageBoxA(owner, text, caption, flags);
}

int ShowMessageId(HWND owner, UINT id, UINT flags) {
  LoadText(id, sharedMessageBuffer, kMessageBufferSize);
  return ShowMessage(owner, sharedMessageBuffer, kPluginCaption, flags);
}
