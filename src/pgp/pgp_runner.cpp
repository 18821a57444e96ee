#include "pgp/pgp_runner.h"
#include <cstring>
#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/pgp_arguments.h"
#include "core/text_utils.h"
#include "core/address_list.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"

DWORD runningCount = 0;
PROCESS_INFORMATION pgpProcessInformation;

namespace {

const char kCaptionPrefix[] = " PGP - ";
constexpr int kFunctionNameLimit = 57;  // 56 characters and the NUL
constexpr WORD kPromptAttribute = 0xE4;  // red on bright yellow

UINT FunctionNameId(int32_t function) {
  switch (function) {
    case Decode: return IDS_FN_DECODE;
    case CheckSignature: return IDS_FN_CHECK;
    case Encrypt: return IDS_FN_ENCRYPT;
    case AddKey: return IDS_FN_ADDKEY;
    default: return IDS_FN_FUNCTIONS;  // NothingToDo, and any unknown value
  }
}

UINT CaptionNameId(const PgpJob& job) {
  switch (job.flags & kJobEncryptsOrSigns) {
    case kJobEncrypt: return IDS_FN_ENCRYPT;
    case kJobSign: return IDS_FN_CLEARSIGN;
    case kJobEncryptsOrSigns: return IDS_FN_ENCRYPT_SIGN;
  }
  if (job.flags == 0 && job.function == Encrypt && job.recipients[0] == '\0')
    return IDS_FN_CLEARSIGN;
  return FunctionNameId(job.function);
}

// Program path, one blank, the arguments: false when that exceeds the buffer.
bool BuildCommandLine(const PgpJob& job, char* line, size_t size) {
  size_t pathLength = strnlen(pgpProgramPath, sizeof pgpProgramPath);
  size_t argumentLength = strnlen(job.arguments, sizeof job.arguments);
  if (pathLength == sizeof pgpProgramPath || argumentLength == sizeof job.arguments) return false;
  if (pathLength + 1 + argumentLength >= size) return false;
  std::memcpy(line, pgpProgramPath, pathLength);
  line[pathLength] = ' ';
  std::memcpy(line + pathLength + 1, job.arguments, argumentLength);
  line[pathLength + 1 + argumentLength] = '\0';
  return true;
}

bool IsUsableHandle(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

void PaintPrompt(HANDLE output, const char* text) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(output, &info)) return;
  SHORT row = info.srWindow.Bottom;
  int right = info.srWindow.Right;
  int length = static_cast<int>(std::strlen(text));
  DWORD written = 0;
  FillConsoleOutputAttribute(output, kPromptAttribute, static_cast<DWORD>(right + 1), COORD{0, row},
                             &written);
  // Centred. A text wider than the window would start at a negative column, which the
  // console refuses: it starts at column 0 instead and is cut to the row.
  int column = right > length ? (right - length) / 2 : 0;
  if (length > right + 1) length = right + 1;
  WriteConsoleOutputCharacterA(output, text, static_cast<DWORD>(length),
                               COORD{static_cast<SHORT>(column), row}, &written);
}

bool EndsTheWait(const INPUT_RECORD& record) {
  if (record.EventType == KEY_EVENT) return record.Event.KeyEvent.bKeyDown != FALSE;
  if (record.EventType == MOUSE_EVENT)
    return record.Event.MouseEvent.dwEventFlags == 0 && record.Event.MouseEvent.dwButtonState != 0;
  return false;
}

}  // namespace

int BuildArguments(PgpJob& job) {
  const char* sender = nullptr;
  if (job.addresses && job.addresses->Count() > 0) sender = (*job.addresses)[0]->address;
  return BuildArguments(job, sender, transferFileText);
}

BOOL RunPgp(PgpJob& job) {
  char* commandLine = sharedMessageBuffer;
  if (!BuildCommandLine(job, commandLine, kMessageBufferSize)) {
    // Cutting the line would hand PGP other files or recipients: refuse the run.
    FormatErrorMessage(ERROR_BAD_PATHNAME, sharedMessageBuffer, pgpProgramPath);
    return FALSE;
  }

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;

  const bool ownConsole = settings.KeepOpen >= 0;
  if (ownConsole) {
    FreeConsole();
    AllocConsole();
  }

  DWORD error = ERROR_SUCCESS;
  bool failed = false;
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &pgpProcessInformation)) {
    error = GetLastError();
    failed = true;
  } else {
    if (ownConsole) SetConsoleTitleA(commandLine);
    ++runningCount;
    job.exitCode = 0;
    CloseHandle(pgpProcessInformation.hThread);
    pgpProcessInformation.hThread = nullptr;

    DWORD exitCode = 0;
    if (WaitForSingleObject(pgpProcessInformation.hProcess, INFINITE) == WAIT_FAILED ||
        !GetExitCodeProcess(pgpProcessInformation.hProcess, &exitCode)) {
      error = GetLastError();
      failed = true;
    } else {
      job.exitCode = exitCode;
    }
    CloseHandle(pgpProcessInformation.hProcess);
    pgpProcessInformation.hProcess = nullptr;
    --runningCount;

    if (ownConsole &&
        (settings.KeepOpen == 0 || !JobSucceeded(job) || !JobEncryptsOrSigns(job)))
      WaitForKeypress();
  }

  if (ownConsole) FreeConsole();
  SetForegroundWindow(job.owner);

  if (failed) {
    FormatErrorMessage(error, sharedMessageBuffer, pgpProgramPath);
    return FALSE;
  }
  return TRUE;
}

void WaitForKeypress() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!IsUsableHandle(input)) return;
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  LoadText(IDS_PRESS_ANY_KEY, sharedMessageBuffer, kMessageBufferSize);
  if (IsUsableHandle(output) && sharedMessageBuffer[0] != '\0') PaintPrompt(output, sharedMessageBuffer);

  FlushConsoleInputBuffer(input);
  for (;;) {
    INPUT_RECORD record;
    DWORD count = 0;
    if (!ReadConsoleInputA(input, &record, 1, &count) || count == 0) return;
    if (EndsTheWait(record)) return;
  }
}

void ReportExitCode(const PgpJob& job) {
  LoadText(IDS_PGP_ERRORCODE, sharedMessageBuffer, kMessageBufferSize);
  char text[kMessageBufferSize];
  const TextArgument code[] = {NumberArg(job.exitCode & 0xFFFF)};
  FormatText(text, sizeof text, sharedMessageBuffer, code, 1);
  MessageBeep(MB_ICONEXCLAMATION);
  SetOperationCaption(job);
  ShowMessage(job.owner, text, operationCaption, MB_OK | MB_ICONEXCLAMATION);
}

void SetOperationCaption(const PgpJob& job) {
  size_t prefixLength = CopyText(operationCaption, sizeof operationCaption, kCaptionPrefix);
  LoadText(CaptionNameId(job), operationCaption + prefixLength, kFunctionNameLimit);
}
