// EUDORA.EXE: a stand-in for the Eudora mail client that loads EMS plug-ins from its
// Plugins folder and calls them the way Eudora does, reporting every call and what the
// plug-ins do to its main window, its menus and the user (message boxes, dialogs).
//
// Run without options it is an ordinary window: menu Special asks a translation of a chosen
// file or opens the plug-ins' settings, File > Exit finishes the plug-ins and quits.
// The options, the builds per Eudora identity and the report's line formats are in the
// usage text (host_options.cpp, shown by /?).
// The order of events is Eudora's: ems_plugin_version, ems_plugin_init and
// ems_translator_info for each plug-in before the main window exists; the scripted steps
// inside the message loop; ems_plugin_finish when the main window closes; every block a
// plug-in hands over goes back through its ems_free as soon as it has been reported.
// Exit code: 0 done, 1 an error was reported, 2 wrong command line.
#include <windows.h>
#include <string>
#include "ems_plugin.h"
#include "host_actions.h"
#include "host_identity.h"
#include "host_options.h"
#include "host_session.h"
#include "main_window.h"

namespace {

// The usage text and command-line errors go to standard output, or into a message box
// when the program was started without one.
void ShowText(const Report& report, const std::string& text, UINT icon) {
  if (report.HasStandardOutput()) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.c_str(), static_cast<DWORD>(text.size()),
              &written, nullptr);
    return;
  }
  MessageBoxA(nullptr, text.c_str(), "Eudora stand-in", MB_OK | icon);
}

std::string ProgramDirectory() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return ".";
  std::string directory(path, length);
  size_t slash = directory.find_last_of("\\/");
  return slash == std::string::npos ? "." : directory.substr(0, slash);
}

// The full path of `path`; empty when Windows cannot make one.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = "";
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return std::string();
  std::string result(full, length);
  while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
  return result;
}

bool IsDirectory(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int main(int argc, char** argv) {
  HostSession session;
  session.instance = GetModuleHandleA(nullptr);
  std::string error = ParseHostOptions(argc - 1, argv + 1, session.options);
  if (!error.empty()) {
    ShowText(session.report, "EUDORA.EXE: " + error + "\r\n\r\n" + hostUsage, MB_ICONERROR);
    return 2;
  }
  if (session.options.help) {
    ShowText(session.report, hostUsage, MB_ICONINFORMATION);
    return 0;
  }
  const HostOptions& options = session.options;
  if (!options.reportPath.empty() && !session.report.OpenFile(options.reportPath.c_str())) {
    ShowText(session.report,
             "EUDORA.EXE: the report file \"" + options.reportPath + "\" cannot be written\r\n",
             MB_ICONERROR);
    return 2;
  }

  session.pluginsDir =
      FullPath(options.pluginsDir.empty() ? ProgramDirectory() + "\\Plugins" : options.pluginsDir);
  session.user.configDir =
      options.configDir.empty() ? session.pluginsDir : FullPath(options.configDir);
  session.user.name = "Eudora User";
  session.user.address =
      options.addresses.empty() ? "user@localhost" : options.addresses.front().address;
  Report& report = session.report;
  char productName[128], productVersion[128];
  QuoteForReport(productName, sizeof productName, hostIdentity.productName);
  QuoteForReport(productVersion, sizeof productVersion, hostIdentity.productVersion);
  report.Line("host: Eudora stand-in %s %s", productName, productVersion);
  report.Line("host: plugins folder \"%s\"", session.pluginsDir.c_str());
  report.Line("host: configuration folder \"%s\"", session.user.configDir.c_str());
  if (session.pluginsDir.empty() || session.user.configDir.empty())
    report.Error("a folder name on the command line is not a usable path");
  else if (!IsDirectory(session.user.configDir))
    report.Error("the configuration folder does not exist");

  session.commands.Install();
  // Dialogs may come as early as ems_plugin_init.
  session.dialogs.Start();
  if (!session.pluginsDir.empty())
    LoadPluginsFolder(session.pluginsDir, session.plugins, report);
  for (EmsPlugin& plugin : session.plugins) session.messageBoxes.Watch(plugin.module, plugin.name);
  for (EmsPlugin& plugin : session.plugins) StartPlugin(plugin, session.user, report);

  if (RegisterMainWindowClass(session.instance))
    RunMainWindow(session, SW_SHOWNORMAL);
  else
    report.Error("the window classes cannot be registered (Windows error %lu)", GetLastError());
  // Also reached when the window could not be made: the plug-ins still get their finish.
  FinishAllPlugins(session);
  session.dialogs.Stop();
  session.messageBoxes.ReportUnused();
  UnloadPlugins(session.plugins, report);
  int exitCode = report.ErrorCount() == 0 ? 0 : 1;
  report.Line("host: exit code %d", exitCode);
  return exitCode;
}
