// Following attachment lines to real files: copying a file that holds PGP armour to the
// armoured transfer file, passing over files without a block, and the errors for files
// that cannot be read or written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/text_utils.h"
#include "pgp/armour_search.h"
#include "pgp/operation_state.h"
#include "test_support.h"
#include "ui/messages.h"

namespace {

const char kMarker[] = "Attachment Converted: ";

// The fixtures live on the build machine's file system, which Wine shows as drive Z:.
std::string FixturePath(const char* name) {
  std::string path = std::string(TAVIX_FIXTURES_DIR) + "/armour/" + name;
  return path[0] == '/' ? "Z:" + path : path;
}

using support::ReadFileBytes;
using support::WriteFileBytes;

std::string Fixture(const char* name) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(FixturePath(name), &bytes)) << name;
  return bytes;
}

class ArmourSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::MakeScratchDirectory("tavix armour ") + "\\";
    ASSERT_NE(dir_, "\\");
    armoured_ = dir_ + "TAVIX.asc";
    savedArmoured_ = transferFileArmoured;
    transferFileArmoured = armoured_.c_str();
    memcpy(savedMarker_, attachmentMarker, sizeof savedMarker_);
    savedMarkerLength_ = attachmentMarkerLength;
    attachmentMarkerLength = static_cast<int>(CopyText(attachmentMarker, sizeof attachmentMarker, kMarker));
    savedState_ = operationState;
    operationState = TOperationState{};
    operationState.windowKind = Composing;
    savedSettings_ = settings;
    job_ = PgpJob{};
    job_.function = NothingToDo;
    sharedMessageBuffer[0] = '\0';
  }

  void TearDown() override {
    for (const std::string& name : created_) DeleteFileA(name.c_str());
    DeleteFileA(armoured_.c_str());
    RemoveDirectoryA(dir_.c_str());
    transferFileArmoured = savedArmoured_;
    memcpy(attachmentMarker, savedMarker_, sizeof savedMarker_);
    attachmentMarkerLength = savedMarkerLength_;
    operationState = savedState_;
    settings = savedSettings_;
  }

  // Writes `bytes` to a file of that name in the test folder; returns its path.
  std::string Attach(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
    created_.push_back(path);
    return path;
  }

  DWORD Follow(const std::string& text, DWORD position = 0) {
    return FindAttachmentBlock(text.c_str(), static_cast<DWORD>(text.size()), position, &job_);
  }

  std::string Armoured() {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(armoured_, &bytes));
    return bytes;
  }

  std::string dir_, armoured_;
  std::vector<std::string> created_;
  const char* savedArmoured_ = nullptr;
  char savedMarker_[kAttachmentMarkerSize];
  int savedMarkerLength_ = 0;
  TOperationState savedState_;
  TSettingsRecord savedSettings_;
  PgpJob job_;
};

}  // namespace

TEST_F(ArmourSearch, QuotedPathWithBlanksIsCopiedByteForByte) {
  // CR LF and a high byte must reach the transfer file unchanged, even with AnsiOem on.
  settings.AnsiOem = 1;
  const std::string content = Fixture("two-messages-crlf.txt") + "\xE4\r\n";
  const std::string path = Attach("msg one.asc", content);
  const std::string text = "Hello\r\n>" + std::string(kMarker) + "\"" + path + "\"\r\nBye\r\n";

  ASSERT_EQ(Follow(text), 0u);
  EXPECT_EQ(std::string(operationState.attachmentPath), path);
  EXPECT_EQ(job_.function, Decode);
  EXPECT_EQ(operationState.blockStart, text.find(kMarker));
  EXPECT_EQ(operationState.blockEnd, text.find("\r\nBye"));
  EXPECT_TRUE(operationState.quoted);
  EXPECT_EQ(Armoured(), content);
  std::string left;
  ASSERT_TRUE(ReadFileBytes(path, &left));
  EXPECT_EQ(left, content);  // the attachment itself is untouched
}

TEST_F(ArmourSearch, FilesWithoutAKnownBlockArePassedOver) {
  const std::string plain = Attach("letter.txt", "Just a letter.\r\n");
  const std::string secret = Attach("private.txt", Fixture("private-key-block.txt"));
  const std::string key = Attach("key.asc", Fixture("public-key.asc"));
  const std::string text = std::string(kMarker) + plain + "\r\n" + kMarker + secret + "\r\n" +
                           "text\r\n" + kMarker + key + "\r\n";

  ASSERT_EQ(Follow(text), 0u);
  EXPECT_EQ(std::string(operationState.attachmentPath), key);
  // A public key counts in an attachment even while composing.
  EXPECT_EQ(job_.function, AddKey);
  EXPECT_EQ(operationState.blockStart, text.rfind(kMarker));
  EXPECT_EQ(operationState.blockEnd, text.size() - 2);
  EXPECT_FALSE(operationState.quoted);
  EXPECT_EQ(Armoured(), Fixture("public-key.asc"));

  // Only files without a block: nothing followed, nothing written.
  DeleteFileA(armoured_.c_str());
  const std::string none = std::string(kMarker) + plain + "\r\n" + kMarker + secret;
  EXPECT_EQ(Follow(none), 0u);
  EXPECT_STREQ(operationState.attachmentPath, "");
  EXPECT_FALSE(support::FileExists(armoured_));
}

TEST_F(ArmourSearch, MissingFileEndsTheSearchWithItsMessage) {
  const std::string missing = dir_ + "gone.asc";
  const std::string good = Attach("good.asc", Fixture("encrypted.asc"));
  const std::string text = std::string(kMarker) + missing + "\r\n" + kMarker + good + "\r\n";

  EXPECT_EQ(Follow(text), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(std::string(sharedMessageBuffer), "File not found:\n  " + missing);
  EXPECT_FALSE(support::FileExists(armoured_));
  // From behind the failed line the next attachment is found.
  EXPECT_EQ(Follow(text, text.find("\r\n")), 0u);
  EXPECT_EQ(std::string(operationState.attachmentPath), good);
}

TEST_F(ArmourSearch, UnwritableTransferFileIsReported) {
  const std::string good = Attach("good.asc", Fixture("clearsigned.asc"));
  const std::string nowhere = dir_ + "no such folder\\TAVIX.asc";
  transferFileArmoured = nowhere.c_str();
  EXPECT_EQ(Follow(std::string(kMarker) + good), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(std::string(sharedMessageBuffer), "Path not found:\n  " + nowhere);
  EXPECT_EQ(job_.function, CheckSignature);
}

TEST_F(ArmourSearch, OverlongPathIsRefusedNotShortened) {
  // A file named by the first 259 characters exists: a cut path would open it.
  const std::string name(259 - dir_.size(), 'k');
  const std::string shortened = Attach(name, Fixture("encrypted.asc"));
  ASSERT_EQ(shortened.size(), 259u);
  const std::string text = "x" + std::string(kMarker) + shortened + "z.asc\r\n";

  EXPECT_EQ(Follow(text), static_cast<DWORD>(ERROR_BAD_PATHNAME));
  EXPECT_STREQ(operationState.attachmentPath, "");
  EXPECT_EQ(std::string(sharedMessageBuffer).rfind("Bad pathname:\n  ", 0), 0u);
  EXPECT_FALSE(support::FileExists(armoured_));

  const std::string fits = "x" + std::string(kMarker) + shortened + "\r\n";
  EXPECT_EQ(Follow(fits), 0u);
  EXPECT_EQ(std::string(operationState.attachmentPath), shortened);
}

TEST_F(ArmourSearch, ArmourBlockResultsGoIntoTheOperationState) {
  const std::string key = Fixture("mixed-crlf.txt");
  const DWORD length = static_cast<DWORD>(key.size());
  const size_t keyStart = key.find("-----BEGIN PGP PUBLIC KEY BLOCK-----");
  const DWORD from = static_cast<DWORD>(key.find("-----END PGP MESSAGE-----"));

  operationState.windowKind = Reading;
  EXPECT_EQ(FindArmourBlock(key.c_str(), length, from), AddKey);
  EXPECT_EQ(operationState.blockStart, keyStart);
  EXPECT_FALSE(operationState.quoted);

  operationState = TOperationState{};
  operationState.windowKind = Composing;
  EXPECT_EQ(FindArmourBlock(key.c_str(), length, from), Encrypt);
  EXPECT_EQ(operationState.blockStart, keyStart);  // bounds recorded all the same

  // Nothing found: the state keeps what it held.
  operationState.blockStart = 7;
  operationState.blockEnd = 9;
  operationState.quoted = TRUE;
  EXPECT_EQ(FindArmourBlock(key.c_str(), length, operationState.blockEnd + length), Encrypt);
  EXPECT_EQ(operationState.blockStart, 7u);
  EXPECT_EQ(operationState.blockEnd, 9u);
  EXPECT_TRUE(operationState.quoted);
}

TEST_F(ArmourSearch, KeyPreviewFromATextBuffer) {
  const std::string output = "Decoded.\r\n" + Fixture("public-key.asc");
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, output.size() + 1);
  ASSERT_NE(block, nullptr);
  memcpy(GlobalLock(block), output.c_str(), output.size() + 1);
  GlobalUnlock(block);
  EXPECT_TRUE(FindKeyBlock(block, sharedMessageBuffer, kMessageBufferSize - 1));
  EXPECT_EQ(std::string(sharedMessageBuffer), output.substr(10, 255));
  GlobalFree(block);
  EXPECT_FALSE(FindKeyBlock(static_cast<HGLOBAL>(nullptr), sharedMessageBuffer, 255));
  EXPECT_STREQ(sharedMessageBuffer, "");
}
