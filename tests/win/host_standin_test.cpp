// EUDORA.EXE with the real Tavix32.dll in its Plugins folder, and the identity it carries.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using support::BesideProgram;

TEST(HostStandin, CallsThePlugInInEudorasOrderAndGivesEveryBlockBack) {
  const std::string root = support::MakeScratchDirectory("eudora-standin-");
  ASSERT_TRUE(CreateDirectoryA((root + "\\Plugins").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(BesideProgram("Tavix32.dll").c_str(), (root + "\\Plugins\\Tavix32.dll").c_str(), FALSE));
  ASSERT_TRUE(support::WriteFileBytes(root + "\\in.txt", "Hello Bob,\r\n"));
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA((root + "\\report.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const support::ProcessRun run = support::RunProcess(
      "\"" + BesideProgram("EUDORA.EXE") + "\" /plugins Plugins /config . /translate in.txt out.txt "
      "/addr alice@example.com /addr \"bob@example.com|Bob Example|bob\" /exit-after 0",
      60000, output, nullptr, root.c_str());
  CloseHandle(output);
  const std::vector<std::string> lines = support::SplitLines(support::ReadFileBytes(root + "\\report.txt"));
  support::RemoveTree(root);
  EXPECT_TRUE(run.started && run.exitCode == 0) << "start error " << run.startError << ", exit code " << run.exitCode;

  // The calls as the host made them and their results; block addresses change from run to run.
  const std::regex call("^(?:Tavix32\\.dll: )?((?:ems_|host: main window (?:class|destroyed)).*?(?: -> -?[0-9]+|$))");
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
      "host: main window class \"EudoraMainWindow\"; menu keys E100 E12B 8100 801D 8101 8030 803A E132 8048; "
      "control bar \"AfxControlBar42\" at (0,0) size 632x30 in the client area",
      "ems_can_translate(context 4, translator 1) -> 10",
      "ems_translate_file(context 4, translator 1, in \"in.txt\", out \"out.txt\", addresses 2 "
      "{\"alice@example.com\", null, null} {\"bob@example.com\", \"Bob Example\", \"bob\"}) -> 1",
      "ems_free(outMime version block 0x#) -> 0", "ems_free(outMime type block 0x#) -> 0",
      "ems_free(outMime subtype block 0x#) -> 0", "ems_free(outMime block 0x#) -> 0", "ems_plugin_finish -> 0",
      "host: main window destroyed",
  };
  EXPECT_EQ(shown, expected);
}

TEST(HostStandin, CarriesTheEudoraIdentity) {
  const std::string exe = BesideProgram("EUDORA.EXE");
  std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), nullptr) + 1);
  GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data());
  char *name = nullptr, *version = nullptr;
  UINT length = 0;
  VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\ProductName", reinterpret_cast<void**>(&name), &length);
  VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\ProductVersion", reinterpret_cast<void**>(&version),
                 &length);
  EXPECT_STREQ(name, "Eudora Pro");
  EXPECT_STREQ(version, "3.0.5");
}

}  // namespace
