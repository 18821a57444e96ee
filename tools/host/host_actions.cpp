#include "host_actions.h"

#include <commdlg.h>
#include <cstdio>
#include <string>
#include "main_window.h"
#include "menu_bar.h"

namespace {

constexpr UINT kPollMs = 20;  // how often a /wait-for step looks again

const char* DescribeTranslationResult(long result) {
  switch (result) {
    case -1: return "not asked";
    case EMSR_OK: return "translated";
    case EMSR_UNKNOWN_FAIL: return "failed";
    case EMSR_CANT_TRANS: return "cannot translate";
    case EMSR_INVALID_TRANS: return "invalid translator";
    default: return "unexpected result";
  }
}

TranslationRequest MakeRequest(const HostSession& session, const std::string& inFile,
                               const std::string& outFile) {
  TranslationRequest request;
  request.context = session.options.context;
  request.translatorId = static_cast<short>(session.options.translatorId);
  request.inFile = inFile;
  request.outFile = outFile;
  request.addresses = session.options.nullAddresses ? nullptr : &session.options.addresses;
  request.evenIfDeclined = session.options.alwaysTranslate;
  return request;
}

// Translates with every plug-in; returns one summary line per plug-in.
std::string TranslateWithAll(HostSession& session, const std::string& inFile,
                             const std::string& outFile) {
  if (session.plugins.empty()) {
    session.report.Error("no EMS plug-in loaded; \"%s\" not translated", inFile.c_str());
    return "No EMS plug-in is loaded.";
  }
  std::string summary;
  for (EmsPlugin& plugin : session.plugins) {
    long result = RequestTranslation(plugin, MakeRequest(session, inFile, outFile),
                                     session.report);
    char line[512];
    snprintf(line, sizeof line, "%s: %ld (%s)\n", plugin.name.c_str(), result,
             DescribeTranslationResult(result));
    summary += line;
  }
  return summary;
}

bool ChooseFile(HWND owner, bool forSaving, char* path, DWORD size) {
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = size;
  dialog.lpstrTitle = forSaving ? "Translation output" : "Message to translate";
  if (forSaving) {
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return GetSaveFileNameA(&dialog) != 0;
  }
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return GetOpenFileNameA(&dialog) != 0;
}

const char* DescribeCondition(const ScriptStep& step, char* text, size_t size) {
  switch (step.condition) {
    case WaitCondition::Subclass: snprintf(text, size, "subclass"); break;
    case WaitCondition::Command: snprintf(text, size, "command=%lX", step.number); break;
    case WaitCondition::MessageBoxes: snprintf(text, size, "msgboxes=%ld", step.number); break;
    case WaitCondition::Dialogs: snprintf(text, size, "dialogs"); break;
  }
  return text;
}

bool ConditionHolds(const HostSession& session, const ScriptStep& step) {
  switch (step.condition) {
    case WaitCondition::Subclass: return MainWindowSubclassed(session);
    case WaitCondition::Command: return session.commands.Seen(static_cast<unsigned>(step.number));
    case WaitCondition::MessageBoxes: return session.messageBoxes.AnsweredCount() >= step.number;
    case WaitCondition::Dialogs: return session.dialogs.Done();
  }
  return false;
}

// True when the /wait-for step is over: its condition holds or its time is up (reported).
bool WaitIsOver(HostSession& session, const ScriptStep& step) {
  ScriptState& script = session.script;
  unsigned long now = session.report.ElapsedMs();
  if (!script.waiting) {
    script.waiting = true;
    script.waitStartedAt = now;
  }
  char what[64];
  DescribeCondition(step, what, sizeof what);
  if (ConditionHolds(session, step)) {
    session.report.Line("script: wait-for %s met at +%lu ms", what, now);
  } else if (now - script.waitStartedAt >= static_cast<unsigned long>(step.timeoutMs)) {
    session.report.Error("script: wait-for %s not met within %ld ms", what, step.timeoutMs);
  } else {
    return false;
  }
  script.waiting = false;
  return true;
}

// Runs one step that does not wait; false when the script ends with it.
bool RunStep(HostSession& session, const ScriptStep& step, size_t number) {
  switch (step.action) {
    case ScriptAction::Translate:
      session.report.Line("script: translate \"%s\" into \"%s\"", step.inFile.c_str(),
                          step.outFile.c_str());
      TranslateWithAll(session, step.inFile, step.outFile);
      return true;
    case ScriptAction::PluginSettings:
      session.report.Line("script: plug-in settings");
      if (!OpenAllPluginSettings(session))
        session.report.Error("no loaded plug-in has settings to open");
      return true;
    case ScriptAction::ReportMenu: {
      char moment[32];
      snprintf(moment, sizeof moment, "step %u", static_cast<unsigned>(number));
      ReportMenuBar(GetMenu(session.mainWindow), moment, session.report);
      return true;
    }
    case ScriptAction::Close:
      session.report.Line("script: close the main window");
      PostMessageA(session.mainWindow, WM_CLOSE, 0, 0);
      return false;
    case ScriptAction::WaitFor:
      return true;
  }
  return true;
}

}  // namespace

void RunScript(HostSession& session) {
  ScriptState& script = session.script;
  if (script.running || script.finished) return;
  script.running = true;
  const std::vector<ScriptStep>& steps = session.options.steps;
  bool goOn = true;
  while (goOn && script.nextStep < steps.size() && session.mainWindow != nullptr) {
    const ScriptStep& step = steps[script.nextStep];
    if (step.action == ScriptAction::WaitFor && !WaitIsOver(session, step)) {
      SetTimer(session.mainWindow, kPollTimerId, kPollMs, nullptr);
      script.running = false;
      return;
    }
    size_t number = ++script.nextStep;
    goOn = RunStep(session, step, number);
    char moment[32];
    snprintf(moment, sizeof moment, "after step %u", static_cast<unsigned>(number));
    ReportWindowProcedure(session, moment);
  }
  script.finished = true;
  script.running = false;
  if (!goOn || session.mainWindow == nullptr) return;  // closed by the script itself
  long exitAfter = session.options.exitAfterMs;
  if (exitAfter == 0) PostMessageA(session.mainWindow, WM_CLOSE, 0, 0);
  else if (exitAfter > 0) SetTimer(session.mainWindow, kExitTimerId, static_cast<UINT>(exitAfter), nullptr);
}

void TranslateChosenFile(HostSession& session) {
  char inFile[MAX_PATH] = "";
  char outFile[MAX_PATH] = "";
  if (!ChooseFile(session.mainWindow, false, inFile, sizeof inFile)) return;
  if (!ChooseFile(session.mainWindow, true, outFile, sizeof outFile)) return;
  if (lstrcmpiA(inFile, outFile) == 0) {
    MessageBoxA(session.mainWindow, "The output file must differ from the message file.",
                "Translate File", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // The user agreed to replace it; the plug-in is handed a fresh output name, as Eudora does.
  if (GetFileAttributesA(outFile) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(outFile)) {
    MessageBoxA(session.mainWindow, "The output file cannot be replaced.", "Translate File",
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  session.report.Line("menu: translate \"%s\" into \"%s\"", inFile, outFile);
  std::string summary = "Translation results:\n" + TranslateWithAll(session, inFile, outFile) +
                        "\nThe report lists every call.";
  MessageBoxA(session.mainWindow, summary.c_str(), "Translate File", MB_OK | MB_ICONINFORMATION);
}

bool OpenAllPluginSettings(HostSession& session) {
  bool opened = false;
  for (EmsPlugin& plugin : session.plugins) {
    if (OpenPluginSettings(plugin, session.user, session.report) != -1) opened = true;
  }
  return opened;
}

void FinishAllPlugins(HostSession& session) {
  for (EmsPlugin& plugin : session.plugins) FinishPlugin(plugin, session.report);
}
