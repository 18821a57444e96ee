// The string table as the plug-in loads it, error-message formatting and message boxes,
// and the plug-in's other fixed resources (icons, version block).
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "core/text_utils.h"
#include "ui/process_state.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui_robot.h"
#include "ui/messages.h"

namespace {

// Every text of the plug-in's own table, exactly as the user must see it.
const std::map<UINT, std::string>& ExpectedTexts() {
  static const std::map<UINT, std::string> texts = {
      {2, "Tavix found a previously loaded DLL. If you agree, it will be unloaded."},
      {3, "Could not find a valid version of Eudora."},
      {5, "Tavix(32) does not work with  Eudora(16). "},
      {6, "PGP not found. Tried these files:"},
      {7, "Tavix will overwrite this/these file(s):\n"},
      {8, "Initialisation failed."},
      {10, "Tavix found an encrypted text in the message window. It will be passed to PGP for "
           "decoding.\nTip: Choose 'Message|Reply' first, and then 'Run PGP...' Then you will "
           "get the decoded text in your edit window."},
      {11, "Tavix found a signature in the message window. PGP will check if it is valid."},
      {12, "Tavix could not find an encrypted or clearsigned text.Because you did not type a "
           "recipient name (someone to encrypt for) it will tell PGP to clearsign your message."},
      {13, "Tavix found (at least) one public key. If you choose <OK>, PGP will add it to your "
           "public keyring."},
      {15, "Tavix could not find an encrypted or clearsigned text so it will tell PGP to encrypt "
           "your message for the user in the editfield below."},
      {16, "This attached file will be passed to PGP:\n  "},
      {20, "Functions"},
      {21, "Encrypt "},
      {22, "Decode "},
      {23, "Check signature "},
      {24, "Clearsign "},
      {26, "Add key "},
      {30, "This is just an interface between PGP and Eudora."},
      {31, "It does NOT replace either of these programs."},
      {40, "Unknown error %lu\nFile: %s"},
      {41, "File not found:\n  %s"},
      {42, "Path not found:\n  %s"},
      {43, "Not enough memory"},
      {44, "File create/write error:\n  %s"},
      {45, "Rename %s to %s failed"},
      {46, "Time-out"},
      {47, "Directory for temporary files not found.\nSet environment variables TEMP, TMP or "
           "'TMP' in pgp's config.txt."},
      {48, "Sharing violation: the file %s is in use by another application"},
      {49, "Bad pathname:\n  %s"},
      {50, " PGP returned errorcode: %u"},
      {53, " Copy to clipboard failed "},
      {54, " Could not open clipboard"},
      {55, "PGP succeeded. Korvanel can copy the text\nto the message window or to the "
           "clipboard.\nIn the message window you can only read the text.\nEverything else will "
           "be done with the original\nencrypted text. Copy to clipboard?"},
      {56, "Could not insert '>' signs.\nMaybe too large (>32kB) text?\nDo you like to continue?"},
      {57, "+++ Nothing to do +++\nThis is a read-only window and\nTavix could not find an "
           "encrypted text,\na signature or a key"},
      {58, " No text found  "},
      {59, "Bad error: Cannot find window where text came from"},
      {60, "Could not change window text"},
      {61, "PGP is still running. \nYou cannot close Eudora now."},
      {62, "Adding the button failed, because Tavix could not find the appropriate window"},
      {63, "Attachment Converted: "},
      {65, "About &Tavix Light ..."},
      {66, "R&un PGP..."},
      {74, "Press any key or click in this window..."},
      {75, "File has no or invalid data"},
      {77, "Programs (*.EXE)|*.exe|Program Info Files (*.PIF)|*.pif|"},
      {78, "All files (*.*)|*.*|"},
      {80, "Select PGP program to use"},
      {83, "Attachment error"},
      {84, "Attachment ignored"},
      {85, "It seems PGP is still running, but Tavix could not find it.\nIgnore and close "
           "Eudora now?"},
      {86, "Retrieving the window text failed."},
      {88, "Save module definition? If you agree, then you do not have to choose the correct "
           "module on start-up."},
      {92, "Translated by"},
  };
  return texts;
}

std::string Loaded(UINT id) {
  char buffer[kMessageBufferSize];
  std::memset(buffer, 'x', sizeof buffer);
  int length = LoadText(id, buffer, sizeof buffer);
  EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer)) << "id " << id;
  return std::string(buffer, std::strlen(buffer));
}

std::string Formatted(DWORD code, const char* fileName) {
  char buffer[kMessageBufferSize];
  std::memset(buffer, 'x', sizeof buffer);
  FormatErrorMessage(code, buffer, fileName);
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

using support::CurrentDirectory;

// Runs a test body in a fresh directory made current, and puts the old one back.
class InTemporaryDirectory {
 public:
  InTemporaryDirectory() : previous_(CurrentDirectory()) {
    path_ = support::TempDirectory() + "tavix_msg_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
    made_ = SetCurrentDirectoryA(path_.c_str()) != 0;
  }
  ~InTemporaryDirectory() {
    SetCurrentDirectoryA(previous_.c_str());
    RemoveDirectoryA(path_.c_str());
  }
  bool made() const { return made_; }

 private:
  std::string previous_;
  std::string path_;
  bool made_ = false;
};

// Makes another module the string module for one test, as a language module would be.
class WithStringModule {
 public:
  explicit WithStringModule(HINSTANCE module) : previous_(stringModule) { stringModule = module; }
  ~WithStringModule() { stringModule = previous_; }

 private:
  HINSTANCE previous_;
};

}  // namespace

TEST(StringTable, EveryIdLoadsItsExactText) {
  for (const auto& [id, text] : ExpectedTexts()) {
    EXPECT_EQ(Loaded(id), text) << "id " << id;
  }
}

TEST(StringTable, LoadedButUnfilledIdsAndAllOthersAreAbsent) {
  for (UINT id : {14u, 27u, 52u, 132u}) {
    EXPECT_EQ(Loaded(id), "") << "id " << id;
  }
  // No stray text anywhere else in the range the plug-in uses.
  for (UINT id = 0; id < 2000; ++id) {
    if (ExpectedTexts().count(id) == 0) {
      EXPECT_EQ(Loaded(id), "") << "id " << id;
    }
  }
}

TEST(StringTable, LoadCutsToTheLimitAndEmptiesTheBufferForAnAbsentId) {
  char buffer[16];
  EXPECT_EQ(LoadText(IDS_FN_CHECK, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Check");
  std::strcpy(buffer, "stale");
  EXPECT_EQ(LoadText(IDS_EXPLAIN_NOTHING, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
}

TEST(StringTable, LinesAreAddedOnlyWhileTheyFit) {
  char buffer[kMessageBufferSize];
  std::string longName(220, 'L');  // 48 + 1 + 220 does not fit 256
  const char* names[] = {"C:\\PGP\\pgp.exe", longName.c_str(), nullptr, "C:\\PGP\\pgp.pif"};
  size_t length = LoadTextWithLines(IDS_PGP_NOT_FOUND, buffer, sizeof buffer, names, 4);
  std::string expected = "PGP not found. Tried these files:\nC:\\PGP\\pgp.exe\nC:\\PGP\\pgp.pif";
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(length, expected.size());
  // The text of id 7 is 41 characters: 41 + 1 + 213 = 255 still fits, 214 no longer does.
  std::string exact(213, 'E'), over(214, 'O');
  const char* edge[] = {over.c_str(), exact.c_str()};
  LoadTextWithLines(IDS_OVERWRITE_FILES, buffer, sizeof buffer, edge, 2);
  EXPECT_EQ(std::string(buffer), "Tavix will overwrite this/these file(s):\n\n" + exact);
}

TEST(FormatErrorMessage, EachCodeTakesItsText) {
  EXPECT_EQ(Formatted(2, "C:\\x.txt"), "File not found:\n  C:\\x.txt");
  EXPECT_EQ(Formatted(2, nullptr), "File not found:\n  ");
  EXPECT_EQ(Formatted(2, ""), "File not found:\n  ");
  EXPECT_EQ(Formatted(3, "C:\\no\\dir\\f"), "Path not found:\n  C:\\no\\dir\\f");
  EXPECT_EQ(Formatted(32, "C:\\a.txt"),
            "Sharing violation: the file C:\\a.txt is in use by another application");
  EXPECT_EQ(Formatted(161, "C:\\bad|name"), "Bad pathname:\n  C:\\bad|name");
}

TEST(FormatErrorMessage, MemoryAndNoDataNeverShowTheName) {
  EXPECT_EQ(Formatted(8, "C:\\x.txt"), "Not enough memory");
  EXPECT_EQ(Formatted(14, "C:\\x.txt"), "Not enough memory");
  EXPECT_EQ(Formatted(14, nullptr), "Not enough memory");
  EXPECT_EQ(Formatted(kErrorNoData, "C:\\out.txt"), "File has no or invalid data");
  EXPECT_EQ(Formatted(0xFFFFFFF2u, nullptr), "File has no or invalid data");
}

TEST(FormatErrorMessage, OtherCodesShowTheNumberAndTheName) {
  EXPECT_EQ(Formatted(5, "C:\\x.txt"), "Unknown error 5\nFile: C:\\x.txt");
  EXPECT_EQ(Formatted(0, "C:\\x.txt"), "Unknown error 0\nFile: C:\\x.txt");
  EXPECT_EQ(Formatted(0xFFFFFFFFu, nullptr), "Unknown error 4294967295\nFile: ");
  EXPECT_EQ(Formatted(ERROR_ACCESS_DENIED, "D:"), "Unknown error 5\nFile: D:");
}

TEST(FormatErrorMessage, RelativeNamesExpandAgainstCurrentDirectoryColonNamesDoNot) {
  InTemporaryDirectory scope;
  ASSERT_TRUE(scope.made());
  const std::string here = CurrentDirectory();
  EXPECT_EQ(Formatted(32, "a.txt"),
            "Sharing violation: the file " + here + "\\a.txt is in use by another application");
  EXPECT_EQ(Formatted(2, "sub\\..\\b.txt"), "File not found:\n  " + here + "\\b.txt");
  EXPECT_EQ(Formatted(5, "a.txt"), "Unknown error 5\nFile: " + here + "\\a.txt");
  EXPECT_EQ(Formatted(161, "D:x"), "Bad pathname:\n  D:x");
  EXPECT_EQ(Formatted(2, "C:relative.txt"), "File not found:\n  C:relative.txt");
}

TEST(FormatErrorMessage, AVeryLongNameIsCutWithinTheBuffer) {
  struct {
    char buffer[kMessageBufferSize];
    char guard[32];
  } area;
  std::string longPath = "C:\\" + std::string(600, 'p');
  const char* cases[] = {longPath.c_str(), longPath.c_str() + 3};  // with and without colon
  for (const char* name : cases) {
    std::memset(area.guard, 0x5A, sizeof area.guard);
    FormatErrorMessage(5, area.buffer, name);
    std::string text(area.buffer, strnlen(area.buffer, sizeof area.buffer));
    ASSERT_EQ(text.size(), kMessageBufferSize - 1u);
    EXPECT_EQ(text.rfind("Unknown error 5\nFile: ", 0), 0u);
    EXPECT_EQ(text.back(), 'p');
    for (char c : area.guard) ASSERT_EQ(c, 0x5A) << "written past the buffer";
  }
}

TEST(FormatErrorMessage, ALanguageModuleWithoutTheIdGivesAnEmptyText) {
  HMODULE textless = GetModuleHandleA("ntdll.dll");
  ASSERT_NE(textless, nullptr);
  // The stand-in language module must really lack the table's first block.
  ASSERT_EQ(FindResourceA(textless, MAKEINTRESOURCEA(41 / 16 + 1), MAKEINTRESOURCEA(6)),
            nullptr);
  WithStringModule language(textless);
  EXPECT_EQ(Formatted(2, "C:\\x.txt"), "");
  EXPECT_EQ(Formatted(5, "C:\\x.txt"), "");
}

TEST(MessageBoxes, ShowMessageIdUsesThePluginCaptionAndTheLoadedText) {
  RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
  int result = ShowMessageId(nullptr, IDS_INIT_FAILED, MB_OK | MB_ICONEXCLAMATION);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(answer.text(), "Initialisation failed.");
  EXPECT_EQ(answer.buttons(), std::vector<int>{IDOK});
  EXPECT_STREQ(sharedMessageBuffer, "Initialisation failed.");
}

TEST(MessageBoxes, ShowMessagePassesCaptionFlagsAndAnswer) {
  CopyText(operationCaption, sizeof operationCaption, " PGP - Decode ");
  RobotAnswer answer = robot::Expect(" PGP - Decode ", IDNO);
  int result = ShowMessage(nullptr, "Continue?", operationCaption, 0x124);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(result, IDNO);
  EXPECT_EQ(answer.text(), "Continue?");
  EXPECT_EQ(answer.buttons(), (std::vector<int>{IDYES, IDNO}));
}

namespace {

std::string VersionValue(const std::vector<char>& block, const char* name) {
  std::string path = std::string("\\StringFileInfo\\040904E4\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || !value) return "<none>";
  return static_cast<const char*>(value);
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  SIZE size{0, 0};
  if (!GetIconInfo(icon, &info)) return size;
  BITMAP bitmap{};
  GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
  size.cx = bitmap.bmWidth;
  size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return size;
}

}  // namespace

TEST(Resources, VersionBlockNamesTheProductAndVersion) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(instanceHandle, path, sizeof path), 0u);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
  EXPECT_EQ(VersionValue(block, "ProductName"), "Tavix Light (32)");
  EXPECT_EQ(VersionValue(block, "ProductVersion"), "1.28");
  EXPECT_EQ(VersionValue(block, "FileVersion"), "1.28");
}

TEST(Resources, IconsLoadInTheirSizes) {
  struct Case { const char* name; int size; };
  const Case cases[] = {{MAKEINTRESOURCEA(IDI_PLUGIN), 32},
                        {MAKEINTRESOURCEA(IDI_TRANSLATOR), 16},
                        {"KORVANEL", 32}};
  for (const Case& c : cases) {
    HICON icon = static_cast<HICON>(LoadImageA(instanceHandle, c.name, IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(icon, nullptr) << "icon " << (IS_INTRESOURCE(c.name) ? "" : c.name);
    SIZE size = IconSize(icon);
    EXPECT_EQ(size.cx, c.size);
    EXPECT_EQ(size.cy, c.size);
    DestroyIcon(icon);
  }
  EXPECT_NE(LoadIconA(instanceHandle, MAKEINTRESOURCEA(IDI_TRANSLATOR)), nullptr);
}
