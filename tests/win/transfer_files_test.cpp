// Transfer files with real files: writing and reading with the OEM conversion, wiping,
// and composing PGP's output into the operation's text buffer.
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

std::string Pattern(size_t size) {
  std::string bytes;
  for (size_t i = 0; i < size % 256; ++i) bytes += static_cast<char>(i);
  for (size_t block = 0; block < size / 256; ++block) {
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  }
  return bytes;
}

HGLOBAL TextBuffer(const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  char* bytes = static_cast<char*>(GlobalLock(block));
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  return block;
}

std::string BufferText(HGLOBAL block) {
  std::string text(static_cast<const char*>(GlobalLock(block)));
  GlobalUnlock(block);
  return text;
}

class TransferFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::MakeScratchDirectory("tavix_transfer_");
    file_ = dir_ + "\\TAVIX.asc";
    link_ = dir_ + "\\witness";
  }
  void TearDown() override {
    if (operationState.textHandle) GlobalFree(operationState.textHandle);
    operationState = TOperationState{};
    DeleteFileA(file_.c_str());
    DeleteFileA(link_.c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  // Writes through the plug-in and reads back through it; returns the text read.
  std::string RoundTrip(const std::string& text, BOOL convert, DWORD* length) {
    EXPECT_TRUE(WriteTransferFile(text.data(), static_cast<DWORD>(text.size()), file_.c_str(), convert));
    HGLOBAL block = nullptr;
    EXPECT_EQ(ReadTransferFile(&block, file_.c_str(), length, convert), 0u);
    if (!block) return "";
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u) << "the buffer comes back unlocked";
    EXPECT_GE(GlobalSize(block), *length + 1);
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    std::string read(bytes, *length);
    EXPECT_EQ(bytes[*length], '\0');
    GlobalUnlock(block);
    GlobalFree(block);
    return read;
  }

  std::string dir_, file_, link_;
};

}  // namespace

TEST_F(TransferFiles, BytesTravelUnchangedWithoutConversion) {
  std::string text("line one\r\n\xE4\x84 and a NUL \0 inside\r\n", 32);
  DWORD length = 0;
  EXPECT_EQ(RoundTrip(text, FALSE, &length), text);
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(ReadFileBytes(file_), text) << "no terminator, header or length is written";
}

TEST_F(TransferFiles, AnsiOemConversionOnTheWayOutAndBack) {
  ASSERT_EQ(GetACP(), 1252u);
  ASSERT_EQ(GetOEMCP(), 437u);
  DWORD length = 0;
  EXPECT_EQ(RoundTrip("K\xE4se", TRUE, &length), "K\xE4se");
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(ReadFileBytes(file_), "K\x84se");

  // The caller's text is not converted in place.
  std::string original = "\xE4";
  ASSERT_TRUE(WriteTransferFile(original.data(), 1, file_.c_str(), TRUE));
  EXPECT_EQ(original, "\xE4");
}

TEST_F(TransferFiles, EmptyFileGivesOnlyTheTerminator) {
  DWORD length = 99;
  EXPECT_EQ(RoundTrip("", TRUE, &length), "");
  EXPECT_EQ(length, 0u);
  EXPECT_TRUE(FileExists(file_));
}

TEST_F(TransferFiles, FailuresReportTheWindowsCodeAndReturnNoBuffer) {
  HGLOBAL block = reinterpret_cast<HGLOBAL>(1);
  DWORD length = 0;
  EXPECT_EQ(ReadTransferFile(&block, (dir_ + "\\missing").c_str(), &length, FALSE),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(ReadTransferFile(&block, (dir_ + "\\no\\such").c_str(), &length, FALSE),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(block, nullptr);

  SetLastError(0);
  EXPECT_FALSE(WriteTransferFile("x", 1, (dir_ + "\\no\\such").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  // Held open by another without sharing: both directions report the sharing violation.
  ASSERT_TRUE(WriteTransferFile("secret", 6, file_.c_str(), FALSE));
  HANDLE holder = CreateFileA(file_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  block = reinterpret_cast<HGLOBAL>(1);
  EXPECT_EQ(ReadTransferFile(&block, file_.c_str(), &length, FALSE),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(block, nullptr);
  SetLastError(0);
  EXPECT_FALSE(WriteTransferFile("other", 5, file_.c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(holder);
  EXPECT_EQ(ReadFileBytes(file_), "secret") << "a refused write leaves the file as it was";
}

TEST_F(TransferFiles, WipeOverwritesEveryByteWithThePatternThenDeletes) {
  for (size_t size : {600u, 256u, 1u, 0u}) {
    std::string secret(size, 'S');
    ASSERT_TRUE(WriteTransferFile(secret.data(), static_cast<DWORD>(size), file_.c_str(), FALSE));
    // A second name for the same data shows what the wipe wrote before the file went.
    ASSERT_TRUE(CreateHardLinkA(link_.c_str(), file_.c_str(), nullptr));
    WipeFile(file_.c_str());
    EXPECT_FALSE(FileExists(file_)) << size;
    std::string left = ReadFileBytes(link_);
    EXPECT_EQ(left.size(), size);
    EXPECT_EQ(left, Pattern(size)) << size;
    ASSERT_TRUE(DeleteFileA(link_.c_str()));
  }
}

TEST_F(TransferFiles, WipeOfAMissingFileDoesNothing) {
  WipeFile((dir_ + "\\missing").c_str());
  WipeFile((dir_ + "\\no\\such\\file").c_str());
  EXPECT_FALSE(FileExists(dir_ + "\\missing"));
}

TEST_F(TransferFiles, WipeOfABareNameTouchesOnlyTheCurrentDirectory) {
  // A file of the same name beside the program must survive: a bare transfer-file name
  // means the one in the current directory.
  const std::string besideProgram = support::BesideProgram("tavix_wipe_probe");
  ASSERT_TRUE(WriteTransferFile("keep", 4, besideProgram.c_str(), FALSE));
  char previous[MAX_PATH];
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));

  WipeFile("tavix_wipe_probe");
  std::string kept = ReadFileBytes(besideProgram);
  ASSERT_TRUE(WriteTransferFile("gone", 4, "tavix_wipe_probe", FALSE));
  WipeFile("tavix_wipe_probe");
  bool localGone = !FileExists(dir_ + "\\tavix_wipe_probe");

  SetCurrentDirectoryA(previous);
  DeleteFileA(besideProgram.c_str());
  EXPECT_EQ(kept, "keep");
  EXPECT_TRUE(localGone);
}

TEST_F(TransferFiles, ComposeDecodePlacesTheQuotedOutputBetweenTheSurroundingText) {
  const std::string message = "Hi\r\n> -----BEGIN-----\r\n> x\r\n> -----END-----\r\nBye";
  operationState.textHandle = TextBuffer(message);
  operationState.textLength = static_cast<DWORD>(message.size());
  operationState.blockStart = 6;
  operationState.blockEnd = static_cast<DWORD>(message.find("\r\nBye"));

  ASSERT_TRUE(WriteTransferFile("a\nb\n", 4, file_.c_str(), FALSE));
  HGLOBAL output = nullptr;
  DWORD length = 0;
  ASSERT_EQ(ReadTransferFile(&output, file_.c_str(), &length, FALSE), 0u);
  ASSERT_TRUE(ComposeResult(&output, '>', Decode));
  EXPECT_EQ(BufferText(output), "Hi\r\n> a\n>b\n>\r\nBye");
  GlobalFree(output);

  output = TextBuffer("plain");
  ASSERT_TRUE(ComposeResult(&output, 0, CheckSignature));
  EXPECT_EQ(BufferText(output), "Hi\r\n> plain\r\nBye");
  GlobalFree(output);

  // An encryption result replaces the whole text; the block position does not matter.
  output = TextBuffer("-----BEGIN PGP MESSAGE-----\n");
  ASSERT_TRUE(ComposeResult(&output, '>', Encrypt));
  EXPECT_EQ(BufferText(output), "-----BEGIN PGP MESSAGE-----\n>");
  GlobalFree(output);
  EXPECT_EQ(BufferText(operationState.textHandle), message) << "the undo text stays as it was";
}

TEST_F(TransferFiles, ComposeStaysInsideTheTextWhatEverTheOffsetsSay) {
  const std::string message = "before BLOCK";
  operationState.textHandle = TextBuffer(message);
  // The window did not report its length; the block end lies far beyond the text.
  operationState.textLength = 0x7FFFFFFE;
  operationState.blockStart = 7;
  operationState.blockEnd = 100000;
  HGLOBAL output = TextBuffer("out");
  ASSERT_TRUE(ComposeResult(&output, 0, Decode));
  EXPECT_EQ(BufferText(output), "before out");
  GlobalFree(output);

  operationState.textLength = static_cast<DWORD>(message.size());
  operationState.blockStart = 500;
  operationState.blockEnd = 400;
  output = TextBuffer("!");
  ASSERT_TRUE(ComposeResult(&output, '>', Decode));
  EXPECT_EQ(BufferText(output), "before BLOCK!");
  GlobalFree(output);

  // The output cannot be composed around itself.
  HGLOBAL same = operationState.textHandle;
  EXPECT_FALSE(ComposeResult(&same, 0, Decode));
  EXPECT_EQ(same, operationState.textHandle);
  EXPECT_EQ(BufferText(same), message);
}
