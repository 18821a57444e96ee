#include "message_box_recorder.h"

#include "import_patch.h"

namespace {

// The redirected import is a plain function pointer and cannot carry the recorder, so the
// recorder of this run is found here.
MessageBoxRecorder* activeRecorder = nullptr;

// Whether a box with these flags has the button.
bool IsButtonOf(UINT flags, int button) {
  switch (flags & MB_TYPEMASK) {
    case MB_OK: return button == IDOK;
    case MB_OKCANCEL: return button == IDOK || button == IDCANCEL;
    case MB_ABORTRETRYIGNORE: return button == IDABORT || button == IDRETRY || button == IDIGNORE;
    case MB_YESNOCANCEL: return button == IDYES || button == IDNO || button == IDCANCEL;
    case MB_YESNO: return button == IDYES || button == IDNO;
    case MB_RETRYCANCEL: return button == IDRETRY || button == IDCANCEL;
    case MB_CANCELTRYCONTINUE:
      return button == IDCANCEL || button == IDTRYAGAIN || button == IDCONTINUE;
    default: return false;
  }
}

// The owner as the report shows it: its window class in quotes, or none.
std::string DescribeOwner(HWND owner) {
  if (owner == nullptr) return "none";
  char className[64] = "";
  if (!IsWindow(owner) || GetClassNameA(owner, className, sizeof className) == 0)
    return "not a window";
  char quoted[80];
  QuoteForReport(quoted, sizeof quoted, className);
  return quoted;
}

}  // namespace

MessageBoxRecorder::MessageBoxRecorder(const HostOptions& options, Report& report)
    : options_(options), report_(report) {
  activeRecorder = this;
}

MessageBoxRecorder::~MessageBoxRecorder() {
  if (activeRecorder == this) activeRecorder = nullptr;
}

void MessageBoxRecorder::Watch(HMODULE plugin, const std::string& name) {
  int changed = RedirectImport(plugin, "USER32.dll", "MessageBoxA",
                               reinterpret_cast<void*>(&RecordedMessageBox));
  if (changed > 0)
    report_.Line("%s: its message boxes are recorded", name.c_str());
  else
    report_.Line("%s: imports no MessageBoxA; its message boxes are not recorded", name.c_str());
}

void MessageBoxRecorder::ReportUnused() {
  used_.resize(options_.answers.size(), false);
  for (size_t i = 0; i < used_.size(); ++i) {
    if (used_[i]) continue;
    char caption[512];
    QuoteForReport(caption, sizeof caption, options_.answers[i].caption.c_str());
    report_.Line("msgbox: script entry %u %s=%s answered no box", static_cast<unsigned>(i + 1),
                 caption, ButtonName(options_.answers[i].button).c_str());
  }
}

int WINAPI MessageBoxRecorder::RecordedMessageBox(HWND owner, LPCSTR text, LPCSTR caption,
                                                  UINT flags) {
  if (activeRecorder == nullptr) return MessageBoxA(owner, text, caption, flags);
  return activeRecorder->Record(owner, text, caption, flags);
}

int MessageBoxRecorder::Record(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  int number = ++recorded_;
  char quotedCaption[512], quotedText[2048];
  QuoteForReport(quotedCaption, sizeof quotedCaption, caption);
  QuoteForReport(quotedText, sizeof quotedText, text);
  report_.Line("msgbox %d: owner %s caption %s text %s flags 0x%X", number,
               DescribeOwner(owner).c_str(), quotedCaption, quotedText, flags);

  // The first unused entry for this caption, in the order given.
  used_.resize(options_.answers.size(), false);
  int button = options_.answerFallback;
  const char* source = "by fallback";
  for (size_t i = 0; i < used_.size(); ++i) {
    const std::string& wanted = options_.answers[i].caption;
    if (used_[i] || !(wanted == "*" || (caption != nullptr && wanted == caption))) continue;
    used_[i] = true;
    button = options_.answers[i].button;
    source = "by script";
    break;
  }
  if (button == kShowTheBox) {
    button = MessageBoxA(owner, text, caption, flags);
    source = "on the shown box";
    if (button == 0)
      report_.Error("msgbox %d: the box cannot be shown (Windows error %lu)", number,
                    GetLastError());
  } else if (!IsButtonOf(flags, button)) {
    // Answered all the same: the test that wrote the script sees the error and exit code.
    report_.Error("msgbox %d: %s is not a button of a box with flags 0x%X", number,
                  ButtonName(button).c_str(), flags);
  }
  report_.Line("msgbox %d: answered %s (%d) %s", number, ButtonName(button).c_str(), button,
               source);
  ++answered_;
  return button;
}
