#include "host_actions.h"

#include <commdlg.h>
#include <cstdio>
#include <string>
#include "main_window.h"

namespace {

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

}  // namespace

void RunScriptSteps(HostSession& session) {
  for (const ScriptStep& step : session.options.steps) {
    if (step.action == ScriptAction::Translate) {
      session.report.Line("script: translate \"%s\" into \"%s\"", step.inFile.c_str(),
                          step.outFile.c_str());
      TranslateWithAll(session, step.inFile, step.outFile);
    } else {
      session.report.Line("script: plug-in settings");
      if (!OpenAllPluginSettings(session))
        session.report.Error("no loaded plug-in has settings to open");
    }
  }
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
