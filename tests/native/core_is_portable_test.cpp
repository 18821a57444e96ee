// The portable core must build without Windows: no file in src/core may include a Windows
// header, directly or through one of the Windows-side folders of the plug-in.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsWindowsHeader(const std::string& header) {
  static const char* const kNames[] = {
      "windows.h", "windowsx.h", "winbase.h", "windef.h", "winuser.h", "wingdi.h",
      "winnt.h",   "winreg.h",   "winver.h",  "winerror.h", "winnls.h", "wincon.h",
      "winsock.h", "winsock2.h", "shellapi.h", "commdlg.h", "commctrl.h", "shlobj.h",
      "shlwapi.h", "objbase.h", "ole2.h",   "tchar.h",   "mmsystem.h", "richedit.h",
      "process.h", "io.h",      "direct.h"};
  std::string name = Lower(header);
  std::replace(name.begin(), name.end(), '\\', '/');
  for (const char* windowsName : kNames) {
    if (name == windowsName) return true;
  }
  // The Windows side of the plug-in lives in these folders.
  for (const char* folder : {"plugin/", "config/", "host/", "pgp/", "ui/", "resources/"}) {
    if (name.rfind(folder, 0) == 0) return true;
  }
  return false;
}

// The Windows headers that a source text includes (any spelling of #include, <> or "").
std::vector<std::string> WindowsIncludes(const std::string& text) {
  static const std::regex include(R"(^[ \t]*#[ \t]*include[ \t]*[<"]([^>"]+)[>"])");
  std::vector<std::string> found;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (std::regex_search(line, match, include) && IsWindowsHeader(match[1].str())) {
      found.push_back(match[1].str());
    }
  }
  return found;
}

fs::path CoreFolder() { return fs::path(TAVIX_FIXTURES_DIR) / ".." / ".." / "src" / "core"; }

}  // namespace

TEST(CoreIsPortable, DetectorFindsWindowsIncludesInAnySpelling) {
  EXPECT_EQ(WindowsIncludes("#include <windows.h>\n").size(), 1u);
  EXPECT_EQ(WindowsIncludes("  #  include \"Windows.H\"\n").size(), 1u);
  EXPECT_EQ(WindowsIncludes("#include <winuser.h>\r\n#include <cstring>\n").size(), 1u);
  EXPECT_EQ(WindowsIncludes("#include \"ui/messages.h\"\n").size(), 1u);
  EXPECT_EQ(WindowsIncludes("#include \"pgp\\operation_state.h\"\n").size(), 1u);
  EXPECT_TRUE(WindowsIncludes("#include <cstring>\n#include \"core/text_utils.h\"\n").empty());
  EXPECT_TRUE(WindowsIncludes("// portable: never #include <windows.h> here\n").empty());
}

TEST(CoreIsPortable, NoCoreFileIncludesAWindowsHeader) {
  ASSERT_TRUE(fs::is_directory(CoreFolder())) << CoreFolder();
  int checked = 0;
  bool sawTextUtils = false;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(CoreFolder())) {
    std::string extension = Lower(entry.path().extension().string());
    if (!entry.is_regular_file() ||
        (extension != ".h" && extension != ".hpp" && extension != ".cpp" && extension != ".c")) {
      continue;
    }
    std::ifstream file(entry.path(), std::ios::binary);
    ASSERT_TRUE(file) << entry.path();
    std::ostringstream text;
    text << file.rdbuf();
    for (const std::string& header : WindowsIncludes(text.str())) {
      ADD_FAILURE() << entry.path().filename() << " includes " << header;
    }
    ++checked;
    if (entry.path().filename() == "text_utils.cpp") sawTextUtils = true;
  }
  EXPECT_TRUE(sawTextUtils) << "the core folder was not the one expected";
  EXPECT_GE(checked, 4);
}
