#include "pgp/armour_search.h"

#include <cstring>

#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/text_utils.h"
#include "pgp/operation_state.h"
#include "pgp/transfer_files.h"
#include "ui/messages.h"

namespace {

// A failing call that left no error code must still not read as success.
DWORD LastErrorOr(DWORD fallback) {
  const DWORD code = GetLastError();
  return code ? code : fallback;
}

size_t MarkerLength() {
  if (attachmentMarkerLength <= 0) return 0;
  const size_t length = static_cast<size_t>(attachmentMarkerLength);
  return length < kAttachmentMarkerSize ? length : kAttachmentMarkerSize - 1;
}

// Reports a path too long for the attachmentPath field. The message shows as much of it
// as the field holds; the file itself is never opened under a shortened name.
DWORD RefuseLongPath(const char* text, const ArmourBlock& line) {
  char shown[kPathSize];
  const size_t runStart = line.start + MarkerLength();
  size_t count = line.end - runStart;
  if (count > sizeof shown - 1) count = sizeof shown - 1;
  memcpy(shown, text + runStart, count);
  shown[count] = '\0';
  FormatErrorMessage(ERROR_BAD_PATHNAME, sharedMessageBuffer, shown);
  return ERROR_BAD_PATHNAME;
}

}  // namespace

PgpFunction FindArmourBlock(const char* text, DWORD textLength, DWORD position) {
  // Starting from the current values, what the search leaves alone stays as it was.
  ArmourBlock block{operationState.blockStart, operationState.blockEnd,
                    operationState.quoted != FALSE};
  const PgpFunction kind = FindArmourBlock(text, textLength, position,
                                           operationState.windowKind == Reading, &block);
  operationState.blockStart = static_cast<uint32_t>(block.start);
  operationState.blockEnd = static_cast<uint32_t>(block.end);
  operationState.quoted = block.quoted;
  return kind;
}

DWORD FindAttachmentBlock(const char* text, DWORD textLength, DWORD position, PgpJob* job) {
  size_t next = position;
  for (;;) {
    ArmourBlock line{};
    const AttachmentScan scan = NextAttachmentLine(
        text, textLength, &next, attachmentMarker, MarkerLength(), &line,
        operationState.attachmentPath, sizeof operationState.attachmentPath);
    if (scan == AttachmentScan::None) return 0;
    if (scan == AttachmentScan::TooLong) return RefuseLongPath(text, line);

    operationState.blockStart = static_cast<uint32_t>(line.start);
    operationState.blockEnd = static_cast<uint32_t>(line.end);
    operationState.quoted = line.quoted;
    const DWORD error = ReadAttachment(job);
    if (error) return error;
    if (operationState.attachmentPath[0]) return 0;
  }
}

DWORD ReadAttachment(PgpJob* job) {
  char* path = operationState.attachmentPath;
  HGLOBAL file = nullptr;
  DWORD size = 0;
  DWORD error = ReadTransferFile(&file, path, &size, FALSE);
  if (error) {
    FormatErrorMessage(error, sharedMessageBuffer, path);
    return error;
  }
  const char* bytes = static_cast<const char*>(GlobalLock(file));
  if (!bytes) {
    error = LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    GlobalFree(file);
    FormatErrorMessage(error, sharedMessageBuffer, path);
    return error;
  }

  const size_t extent = TextExtent(bytes, size);
  const size_t header = FindText(bytes, extent, 0, kHeaderPrefix, kHeaderPrefixLength);
  if (header == kNotFound) {
    path[0] = '\0';
  } else {
    const size_t place = header + kHeaderPrefixLength;
    const PgpFunction kind = ClassifyArmour(bytes + place, extent - place);
    job->function = kind;  // a public key counts here whatever the window kind
    if (kind == Encrypt) {
      path[0] = '\0';
    } else if (!WriteTransferFile(bytes, size, transferFileArmoured, FALSE)) {
      error = LastErrorOr(ERROR_WRITE_FAULT);
      FormatErrorMessage(error, sharedMessageBuffer, transferFileArmoured);
    }
  }
  GlobalUnlock(file);
  GlobalFree(file);
  return error;
}

BOOL FindKeyBlock(HGLOBAL output, char* preview, size_t limit) {
  preview[0] = '\0';
  const char* text = output ? static_cast<const char*>(GlobalLock(output)) : nullptr;
  if (!text) return FALSE;
  const bool found = FindKeyBlock(text, GlobalSize(output), preview, limit + 1);
  GlobalUnlock(output);
  return found ? TRUE : FALSE;
}
