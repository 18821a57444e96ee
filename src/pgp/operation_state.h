// The state of the one PGP operation that runs at a time.
#pragma once
#include <windows.h>
#include <cstdint>
#include "config/settings.h"

enum WindowKind : int32_t { NoWindow = 0, Reading = 1, Composing = 2 };

struct TOperationState {
  HGLOBAL textHandle;       // whole text worked on (kept after the operation for undo)
  uint32_t textLength;      // bytes, without the terminator
  uint32_t blockStart;      // offset of the block's header (or the attachment marker)
  uint32_t blockEnd;        // offset just after the footer type text (or the path)
  BOOL quoted;              // the header follows a '>' directly
  BOOL quotedAtConfirm;
  BOOL readOnly;
  int32_t windowKind;       // WindowKind
  char attachmentPath[kPathSize];
};

extern TOperationState operationState;
