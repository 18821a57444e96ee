// What the plug-in relies on of the Eudora stand-in: each identity build's version resource and
// window layout, and the calls into the real Tavix32.dll in Eudora's order.
#include <gtest/gtest.h>
#include <windows.h>
#include <regex>
#include <string>
#include <vector>
#include "test_support.h"

namespace {

using support::BesideProgram;

// Runs an EUDORA.EXE build in a scratch folder with a Plugins folder; its report lines.
std::vector<std::string> RunHost(const std::string& exe, const std::string& arguments, bool withPlugin,
                                 DWORD* exitCode, std::string* root = nullptr) {
  const std::string folder = support::MakeScratchDirectory("eudora-standin-");
  CreateDirectoryA((folder + "\\Plugins").c_str(), nullptr);
  support::WriteFileBytes(folder + "\\in.txt", "Hello Bob,\r\n");
  if (withPlugin) CopyFileA(BesideProgram("Tavix32.dll").c_str(), (folder + "\\Plugins\\Tavix32.dll").c_str(), FALSE);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA((folder + "\\report.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const support::ProcessRun run = support::RunProcess("\"" + BesideProgram(exe) + "\" /plugins Plugins " + arguments,
                                                      60000, output, nullptr, folder.c_str());
  CloseHandle(output);
  *exitCode = run.ended ? run.exitCode : 0xFFFFFFFF;
  std::vector<std::string> lines = support::SplitLines(support::ReadFileBytes(folder + "\\report.txt"));
  support::RemoveTree(folder);
  if (root) *root = folder;
  return lines;
}

}  // namespace

TEST(HostStandin, EachBuildCarriesItsIdentityAndDrawsItsRowsLayout) {
  const char* keys301 = "F120 E100 E12B 8100 801D 8101 8030 803A E132 8048";
  const char* keys305 = "E100 E12B 8100 801D 8101 8030 803A E132 8048";
  const struct { const char *exe, *name, *version, *bar, *keys; } cases[] = {
      {"EUDORA.EXE", "Eudora Pro", "3.0.5", "AfxControlBar42", keys305},
      {"hosts\\light-301\\EUDORA.EXE", "Eudora Light", "3.0.1", "AfxControlBar40", keys301},
      {"hosts\\pro-301\\EUDORA.EXE", "Eudora Pro", "3.0.1", "AfxControlBar40", keys301},
      {"hosts\\pro-305\\EUDORA.EXE", "Eudora Pro", "3.0.5", "AfxControlBar42", keys305},
      {"hosts\\pro-40b4\\EUDORA.EXE", "Eudora Pro", "4.0 Beta 4 (build 205)", "AfxControlBar42",
       "E100 E12B 820A 801D 820D 8030 803A E132 8048"},
      {"hosts\\pro-3012\\EUDORA.EXE", "Eudora Pro", "3.0.1.2", "AfxControlBar40", keys301},
      {"hosts\\unknown\\EUDORA.EXE", "Eudora Web", "7.1", "AfxControlBar42", keys305},
      {"hosts\\no-product-name\\EUDORA.EXE", "<missing>", "3.0.5", "AfxControlBar42", keys305},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    const std::string exe = BesideProgram(c.exe);
    EXPECT_EQ(support::VersionText(exe, "ProductName") + "|" + support::VersionText(exe, "ProductVersion"),
              std::string(c.name) + "|" + c.version);
    DWORD exitCode = 0;
    const std::vector<std::string> lines = RunHost(c.exe, "/exit-after 0", false, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    // Read back from the live windows: the class, each popup's first item, the bar's place.
    const std::regex layout(std::string("host: main window class \"EudoraMainWindow\"; menu keys ") + c.keys +
                            "; control bar \"" + c.bar + "\" at \\(0,0\\) size [1-9][0-9]*x30 in the client area");
    bool found = false;
    for (const std::string& line : lines) found = found || std::regex_match(line, layout);
    EXPECT_TRUE(found) << (lines.empty() ? "no report" : lines[0]);
  }
}

TEST(HostStandin, CallsThePlugInInEudorasOrderAndGivesEveryBlockBack) {
  DWORD exitCode = 0;
  std::string root;
  const std::vector<std::string> lines = RunHost(
      "EUDORA.EXE", "/config . /translate in.txt out.txt /addr alice@example.com "
      "/addr \"bob@example.com|Bob Example|bob\" /exit-after 0", true, &exitCode, &root);
  EXPECT_EQ(exitCode, 0u);
  // The calls and their results; block addresses change from run to run.
  const std::regex call("^(?:Tavix32\\.dll: )?((?:ems_|host: main window destroyed).*?(?: -> -?[0-9]+|$))");
  std::vector<std::string> shown;
  for (std::string line : lines) {
    std::smatch match;
    for (size_t at; (at = line.find(root)) != std::string::npos;) line.replace(at, root.size(), "%T%");
    if (std::regex_search(line, match, call))
      shown.push_back(std::regex_replace(match[1].str(), std::regex("0x[0-9a-f]+"), "0x#"));
  }
  // Before its first timer tick the plug-in has not attached yet and refuses the translation.
  const std::vector<std::string> expected = {
      "ems_plugin_version -> 0", "ems_plugin_init(configDir \"%T%\") -> 0", "ems_free(description block 0x#) -> 0",
      "ems_free(icon block 0x#) -> 0", "ems_translator_info(translator 1) -> 0",
      "ems_free(description block 0x#) -> 0", "ems_free(icon block 0x#) -> 0",
      "ems_can_translate(context 4, translator 1) -> 10",
      "ems_translate_file(context 4, translator 1, in \"in.txt\", out \"out.txt\", addresses 2 "
      "{\"alice@example.com\", null, null} {\"bob@example.com\", \"Bob Example\", \"bob\"}) -> 1",
      "ems_free(outMime version block 0x#) -> 0", "ems_free(outMime type block 0x#) -> 0",
      "ems_free(outMime subtype block 0x#) -> 0", "ems_free(outMime block 0x#) -> 0", "ems_plugin_finish -> 0",
      "host: main window destroyed"};
  EXPECT_EQ(shown, expected);
}
