// Transfer files with real files: the OEM conversion, failures, the wipe, and composing
// PGP's output into the operation's text.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "pgp/operation_state.h"
#include "pgp/transfer_files.h"
#include "test_support.h"

namespace {

using support::FileExists;
using support::ReadFileBytes;

std::string BufferText(HGLOBAL block, size_t length) {
  const char* bytes = static_cast<const char*>(GlobalLock(block));
  std::string text(bytes, length);
  EXPECT_EQ(bytes[length], '\0') << "terminated";
  GlobalUnlock(block);
  return text;
}

class TransferFiles : public testing::Test {
 protected:
  void TearDown() override {
    if (operationState.textHandle) GlobalFree(operationState.textHandle);
    operationState = TOperationState{};
    support::RemoveTree(dir_);
  }
  const std::string dir_ = support::MakeScratchDirectory("tavix_transfer_");
  const std::string file_ = dir_ + "\\TAVIX.asc";
};

}  // namespace

TEST_F(TransferFiles, TextTravelsWholeAndConvertedOnlyWhenAsked) {
  ASSERT_EQ(GetACP(), 1252u);
  ASSERT_EQ(GetOEMCP(), 437u);
  struct Case {
    const char* name;
    std::string text;
    BOOL convert;
    std::string onDisk;
  } cases[] = {
      {"bytes as they are", std::string("a\r\n\xE4 NUL \0 in\r\n", 14), FALSE, std::string("a\r\n\xE4 NUL \0 in\r\n", 14)},
      {"ANSI to OEM and back", "K\xE4se", TRUE, "K\x84se"},
      {"empty", "", TRUE, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string original = c.text;
    ASSERT_TRUE(WriteTransferFile(c.text.data(), static_cast<DWORD>(c.text.size()), file_.c_str(), c.convert));
    EXPECT_EQ(c.text, original) << "the caller's text is not converted in place";
    EXPECT_EQ(ReadFileBytes(file_), c.onDisk) << "no terminator, header or length is written";
    HGLOBAL block = nullptr;
    DWORD length = 99;
    ASSERT_EQ(ReadTransferFile(&block, file_.c_str(), &length, c.convert), 0u);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u) << "the buffer comes back unlocked";
    EXPECT_EQ(length, c.text.size());
    EXPECT_EQ(BufferText(block, length), c.text);
    GlobalFree(block);
  }
}

TEST_F(TransferFiles, FailuresGiveTheWindowsCodeNoBufferAndLeaveTheFile) {
  ASSERT_TRUE(WriteTransferFile("secret", 6, file_.c_str(), FALSE));
  HANDLE holder = CreateFileA(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  struct Case {
    std::string path;
    DWORD code;
  } cases[] = {{dir_ + "\\missing", ERROR_FILE_NOT_FOUND},
               {dir_ + "\\no\\such", ERROR_PATH_NOT_FOUND},
               {file_, ERROR_SHARING_VIOLATION}};  // held open by another without sharing
  for (const Case& c : cases) {
    HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
    DWORD length = 0;
    EXPECT_EQ(ReadTransferFile(&block, c.path.c_str(), &length, FALSE), c.code) << c.path;
    EXPECT_EQ(block, nullptr);
    if (c.code == ERROR_FILE_NOT_FOUND) continue;  // a write makes that one
    SetLastError(0);
    EXPECT_FALSE(WriteTransferFile("other", 5, c.path.c_str(), FALSE)) << c.path;
    EXPECT_EQ(GetLastError(), c.code) << c.path;
  }
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(file_), "secret") << "a refused write leaves the file as it was";
}

TEST_F(TransferFiles, WipeOverwritesEveryByteWithThePatternThenDeletesOnlyTheFileNamed) {
  const std::string link = dir_ + "\\witness";
  for (size_t size : {600u, 256u, 1u, 0u}) {
    ASSERT_TRUE(WriteTransferFile(std::string(size, 'S').data(), static_cast<DWORD>(size), file_.c_str(), FALSE));
    // A second name for the same data shows what the wipe wrote before the file went.
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), file_.c_str(), nullptr));
    WipeFile(file_.c_str());
    EXPECT_FALSE(FileExists(file_)) << size;
    std::string pattern;
    for (size_t i = 0; i < size % 256 + size / 256 * 256; ++i) pattern += static_cast<char>(i < size % 256 ? i : i - size % 256);
    EXPECT_EQ(ReadFileBytes(link), pattern) << size;
    ASSERT_TRUE(DeleteFileA(link.c_str()));
  }
  // A bare name means the file in the current directory, not one beside the program.
  const std::string besideProgram = support::BesideProgram("tavix_wipe_probe"), previous = support::CurrentDirectory();
  ASSERT_TRUE(WriteTransferFile("keep", 4, besideProgram.c_str(), FALSE));
  ASSERT_TRUE(WriteTransferFile("gone", 4, (dir_ + "\\tavix_wipe_probe").c_str(), FALSE));
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  WipeFile("tavix_wipe_probe");
  WipeFile("tavix_wipe_probe");  // nothing left to wipe: nothing happens
  SetCurrentDirectoryA(previous.c_str());
  EXPECT_EQ(ReadFileBytes(besideProgram), "keep");
  DeleteFileA(besideProgram.c_str());
  EXPECT_FALSE(FileExists(dir_ + "\\tavix_wipe_probe"));
}

TEST_F(TransferFiles, ComposePlacesTheOutputInsideTheTextWhateverTheOffsetsSay) {
  const std::string message = "Hi\r\n> -----BEGIN-----\r\n> x\r\n> -----END-----\r\nBye";
  const DWORD end = static_cast<DWORD>(message.find("\r\nBye"));
  struct Case {
    const char* name;
    DWORD textLength, blockStart, blockEnd;
    const char* output;
    char quote;
    PgpFunction function;
    const char* composed;
  } cases[] = {
      {"decode, quoted", static_cast<DWORD>(message.size()), 6, end, "a\nb\n", '>', Decode, "Hi\r\n> a\n>b\n>\r\nBye"},
      {"check", static_cast<DWORD>(message.size()), 6, end, "plain", 0, CheckSignature, "Hi\r\n> plain\r\nBye"},
      {"encryption replaces all", static_cast<DWORD>(message.size()), 6, end, "M\n", '>', Encrypt, "M\n>"},
      {"length unknown, end far out", 0x7FFFFFFE, 7, 100000, "out", 0, Decode, "Hi\r\n> -out"},
  };
  operationState.textHandle = support::GlobalText(message);
  for (const Case& c : cases) {
    operationState.textLength = c.textLength;
    operationState.blockStart = c.blockStart;
    operationState.blockEnd = c.blockEnd;
    HGLOBAL output = support::GlobalText(c.output);
    EXPECT_TRUE(ComposeResult(&output, c.quote, c.function)) << c.name;
    EXPECT_EQ(BufferText(output, std::strlen(c.composed)), c.composed) << c.name;
    GlobalFree(output);
  }
  EXPECT_EQ(BufferText(operationState.textHandle, message.size()), message) << "the undo text stays as it was";
  HGLOBAL same = operationState.textHandle;
  EXPECT_FALSE(ComposeResult(&same, 0, Decode)) << "the output cannot be composed around itself";
  EXPECT_EQ(same, operationState.textHandle);
}
