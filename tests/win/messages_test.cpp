// The string table as the plug-in loads it, error-message formatting, message boxes, and the
// plug-in's other fixed resources (icons, version block).
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "core/text_utils.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui/process_state.h"
#include "ui_robot.h"

namespace {

// Every text of the plug-in's own table, exactly as the user must see it: a line per text,
// its id and the text in quotes with its line breaks written \n.
std::map<UINT, std::string> ExpectedTexts() {
  std::map<UINT, std::string> texts;
  for (const std::string& line : support::SplitLines(support::ReadFixture("texts/string-table.txt"))) {
    std::string text = line.substr(line.find('"') + 1, line.rfind('"') - line.find('"') - 1);
    for (size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\n");
    texts[std::stoul(line)] = text;
  }
  return texts;
}

std::string Loaded(UINT id) {
  char buffer[kMessageBufferSize];
  std::memset(buffer, 'x', sizeof buffer);
  const int length = LoadText(id, buffer, sizeof buffer);
  EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer)) << "id " << id;
  return buffer;
}

// Makes another module the string module for one test, as a language module would be.
struct WithStringModule {
  HINSTANCE previous = stringModule;
  explicit WithStringModule(HINSTANCE module) { stringModule = module; }
  ~WithStringModule() { stringModule = previous; }
};

std::string VersionValue(const char* name) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(instanceHandle, path, sizeof path);
  return support::VersionText(path, name);
}

}  // namespace

TEST(StringTable, EveryIdLoadsItsExactTextAndNoOtherIdHasOne) {
  const std::map<UINT, std::string> texts = ExpectedTexts();
  ASSERT_EQ(texts.size(), 55u) << "the expected texts were not all read";
  for (UINT id = 0; id < 2000; ++id) {
    const auto known = texts.find(id);
    EXPECT_EQ(Loaded(id), known == texts.end() ? "" : known->second) << "id " << id;
  }
}

TEST(StringTable, LoadCutsAtTheLimitAndAddsOnlyLinesThatFit) {
  const std::string kOverwrite = "Tavix will overwrite this/these file(s):\n";
  char buffer[kMessageBufferSize];
  EXPECT_EQ(LoadText(IDS_FN_CHECK, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Check");
  EXPECT_EQ(LoadText(IDS_EXPLAIN_NOTHING, buffer, sizeof buffer), 0);  // absent: emptied
  EXPECT_STREQ(buffer, "");
  // Id 7 has 41 characters: 41 + 1 + 213 fills 255, a 214-character line no longer fits.
  const std::string fits(213, 'E'), over(214, 'O');
  const char* names[] = {"C:\\PGP\\pgp.exe", over.c_str(), nullptr, "C:\\PGP\\pgp.pif"};
  const size_t length = LoadTextWithLines(IDS_OVERWRITE_FILES, buffer, sizeof buffer, names, 4);
  EXPECT_EQ(std::string(buffer), kOverwrite + "\nC:\\PGP\\pgp.exe\nC:\\PGP\\pgp.pif");
  EXPECT_EQ(length, std::strlen(buffer));
  const char* edge[] = {over.c_str(), fits.c_str()};
  LoadTextWithLines(IDS_OVERWRITE_FILES, buffer, sizeof buffer, edge, 2);
  EXPECT_EQ(std::string(buffer), kOverwrite + "\n" + fits);
}

TEST(FormatErrorMessage, EachCodeTakesItsTextAndRelativeNamesBecomeFullPaths) {
  const std::string here = support::MakeScratchDirectory("tavix-msg-");
  const std::string previous = support::CurrentDirectory();
  ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));
  const struct { DWORD code; const char* file; std::string expected; } cases[] = {
      {2, "C:\\x.txt", "File not found:\n  C:\\x.txt"}, {2, nullptr, "File not found:\n  "},
      {2, "", "File not found:\n  "}, {2, "sub\\..\\b.txt", "File not found:\n  " + here + "\\b.txt"},
      {2, "C:relative.txt", "File not found:\n  C:relative.txt"}, {3, "C:\\no\\f", "Path not found:\n  C:\\no\\f"},
      {32, "a.txt", "Sharing violation: the file " + here + "\\a.txt is in use by another application"},
      {161, "D:x", "Bad pathname:\n  D:x"}, {8, "C:\\x.txt", "Not enough memory"}, {14, nullptr, "Not enough memory"},
      {kErrorNoData, "C:\\out.txt", "File has no or invalid data"},
      {5, "a.txt", "Unknown error 5\nFile: " + here + "\\a.txt"},
      {0, "C:\\x.txt", "Unknown error 0\nFile: C:\\x.txt"}, {0xFFFFFFFFu, nullptr, "Unknown error 4294967295\nFile: "},
  };
  for (const auto& c : cases) {
    char buffer[kMessageBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    FormatErrorMessage(c.code, buffer, c.file);
    EXPECT_EQ(std::string(buffer, strnlen(buffer, sizeof buffer)), c.expected)
        << c.code << " " << (c.file ? c.file : "(null)");
  }
  SetCurrentDirectoryA(previous.c_str());
  support::RemoveTree(here);
}

TEST(FormatErrorMessage, ALongNameIsCutInsideTheBufferAndAModuleWithoutTextsGivesNothing) {
  struct { char buffer[kMessageBufferSize]; char guard[32]; } area;
  const std::string longPath = "C:\\" + std::string(600, 'p');
  for (const char* name : {longPath.c_str(), longPath.c_str() + 3}) {  // with and without colon
    std::memset(area.guard, 0x5A, sizeof area.guard);
    FormatErrorMessage(5, area.buffer, name);
    const std::string text(area.buffer, strnlen(area.buffer, sizeof area.buffer));
    ASSERT_EQ(text.size(), kMessageBufferSize - 1u);
    EXPECT_EQ(text.rfind("Unknown error 5\nFile: ", 0), 0u);
    EXPECT_EQ(text.back(), 'p');
    for (char c : area.guard) ASSERT_EQ(c, 0x5A) << "written past the buffer";
  }
  HMODULE textless = GetModuleHandleA("ntdll.dll");
  ASSERT_EQ(FindResourceA(textless, MAKEINTRESOURCEA(41 / 16 + 1), MAKEINTRESOURCEA(6)), nullptr);
  WithStringModule language(textless);
  FormatErrorMessage(2, area.buffer, "C:\\x.txt");
  EXPECT_STREQ(area.buffer, "");
}

TEST(MessageBoxes, ShowTheCaptionTextAndFlagsAndReturnTheAnswer) {
  CopyText(operationCaption, sizeof operationCaption, " PGP - Decode ");
  RobotAnswer byId = robot::Expect("Tavix Light ", IDOK);
  EXPECT_EQ(ShowMessageId(nullptr, IDS_INIT_FAILED, MB_OK | MB_ICONEXCLAMATION), IDOK);
  byId.Wait();
  ASSERT_TRUE(byId.ok()) << byId.error();
  EXPECT_EQ(byId.text(), "Initialisation failed.");
  EXPECT_EQ(byId.seen().flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  RobotAnswer direct = robot::Expect(" PGP - Decode ", IDNO);
  EXPECT_EQ(ShowMessage(nullptr, "Continue?", operationCaption, 0x124), IDNO);
  direct.Wait();
  ASSERT_TRUE(direct.ok()) << direct.error();
  EXPECT_EQ(direct.text(), "Continue?");
  EXPECT_EQ(direct.seen().flags, 0x124u);
}

TEST(Resources, VersionBlockAndIconsInTheirSizes) {
  EXPECT_EQ(VersionValue("ProductName"), "Tavix Light (32)");
  EXPECT_EQ(VersionValue("ProductVersion"), "1.28");
  EXPECT_EQ(VersionValue("FileVersion"), "1.28");
  const struct { LPCSTR name; int size; } icons[] = {
      {MAKEINTRESOURCEA(IDI_PLUGIN), 32}, {MAKEINTRESOURCEA(IDI_TRANSLATOR), 16}, {"KORVANEL", 32}};
  for (const auto& c : icons) {
    HICON icon = static_cast<HICON>(LoadImageA(instanceHandle, c.name, IMAGE_ICON, 0, 0, 0));
    ICONINFO info{};
    BITMAP mask{};
    ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << c.size;
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, c.size);
    EXPECT_EQ(info.hbmColor ? mask.bmHeight : mask.bmHeight / 2, c.size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}
