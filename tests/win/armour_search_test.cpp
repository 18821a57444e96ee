// Following attachment lines to real files that hold PGP armour, and the errors for files
// that cannot be read or written.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/text_utils.h"
#include "pgp/armour_search.h"
#include "pgp/operation_state.h"
#include "test_support.h"
#include "ui/messages.h"

namespace {

const std::string kMarker = "Attachment Converted: ";
using support::FileExists;
using support::ReadFileBytes;

std::string Fixture(const char* name) {
  const std::string bytes = support::ReadFixture(std::string("armour/") + name);
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

class ArmourSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(dir_, "\\");
    transferFileArmoured = armoured_.c_str();
    attachmentMarkerLength = static_cast<int>(CopyText(attachmentMarker, sizeof attachmentMarker, kMarker.c_str()));
    operationState = TOperationState{};
    operationState.windowKind = Composing;
    job_.function = NothingToDo;
    sharedMessageBuffer[0] = '\0';
  }
  void TearDown() override {
    support::RemoveTree(dir_);
    transferFileArmoured = savedArmoured_;
    std::memcpy(attachmentMarker, savedMarker_, sizeof savedMarker_);
    attachmentMarkerLength = savedMarkerLength_;
    operationState = savedState_;
    settings = savedSettings_;
  }
  std::string Attach(const std::string& name, const std::string& bytes) {
    EXPECT_TRUE(support::WriteFileBytes(dir_ + name, bytes)) << name;
    return dir_ + name;
  }
  DWORD Follow(const std::string& text, DWORD position = 0) {
    return FindAttachmentBlock(text.c_str(), static_cast<DWORD>(text.size()), position, &job_);
  }

  const std::string dir_ = support::MakeScratchDirectory("tavix armour ") + "\\";
  const std::string armoured_ = dir_ + "TAVIX.asc";
  const char* savedArmoured_ = transferFileArmoured;
  char savedMarker_[kAttachmentMarkerSize];
  int savedMarkerLength_ = (std::memcpy(savedMarker_, attachmentMarker, sizeof savedMarker_), attachmentMarkerLength);
  const TOperationState savedState_ = operationState;
  const TSettingsRecord savedSettings_ = settings;
  PgpJob job_ = {};
};

}  // namespace

TEST_F(ArmourSearch, FollowsTheFirstAttachmentThatHoldsABlock) {
  settings.AnsiOem = 1;  // the copy is byte for byte all the same
  const std::string content = Fixture("two-messages-crlf.txt") + "\xE4\r\n";
  const std::string quoted = Attach("msg one.asc", content), key = Attach("key.asc", Fixture("public-key.asc"));
  const std::string plain = Attach("letter.txt", "Just a letter.\r\n");
  const std::string secret = Attach("private.txt", Fixture("private-key-block.txt"));
  const std::string passedOver = kMarker + plain + "\r\n" + kMarker + secret + "\r\n";
  struct Case {
    const char* name;
    std::string text, path;  // path "": nothing followed, no transfer file
    PgpFunction function;
    size_t blockStart, blockEnd;
    bool quoted;
  } cases[] = {
      {"quoted path with blanks", "Hi\r\n>" + kMarker + "\"" + quoted + "\"\r\nBye", quoted, Decode, 5, 7 + kMarker.size() + quoted.size(), true},
      {"files without a block passed over; a key counts while composing", passedOver + "x\r\n" + kMarker + key + "\r\n",
       key, AddKey, passedOver.size() + 3, passedOver.size() + 3 + kMarker.size() + key.size(), false},
      {"only files without a block", passedOver, "", NothingToDo, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(armoured_.c_str());
    operationState = TOperationState{};
    operationState.windowKind = Composing;
    job_.function = NothingToDo;
    ASSERT_EQ(Follow(c.text), 0u) << sharedMessageBuffer;
    EXPECT_EQ(std::string(operationState.attachmentPath), c.path);
    if (!c.path.empty()) {
      EXPECT_EQ(job_.function, c.function);
      EXPECT_EQ(operationState.blockStart, c.blockStart);
      EXPECT_EQ(operationState.blockEnd, c.blockEnd);
      EXPECT_EQ(operationState.quoted != FALSE, c.quoted);
    }
    EXPECT_EQ(ReadFileBytes(armoured_), c.path.empty() ? "" : ReadFileBytes(c.path));
    EXPECT_EQ(FileExists(armoured_), !c.path.empty());
  }
  EXPECT_EQ(ReadFileBytes(quoted), content) << "the attachment itself is untouched";
}

TEST_F(ArmourSearch, UnreadableFileOrTransferFileEndsTheSearchWithItsMessage) {
  const std::string good = Attach("good.asc", Fixture("encrypted.asc"));
  // A file named by the first 259 characters exists: a cut path would open it.
  const std::string shortened = Attach(std::string(259 - dir_.size(), 'k'), Fixture("clearsigned.asc"));
  const std::string missing = dir_ + "gone.asc", nowhere = dir_ + "no such folder\\TAVIX.asc";
  struct Case {
    const char* name;
    std::string text, armoured;
    DWORD code;
    std::string message;
  } cases[] = {
      {"missing file", kMarker + missing + "\r\n" + kMarker + good, armoured_, ERROR_FILE_NOT_FOUND, "File not found:\n  " + missing},
      {"unwritable transfer file", kMarker + shortened, nowhere, ERROR_PATH_NOT_FOUND, "Path not found:\n  " + nowhere},
      {"path too long", "x" + kMarker + shortened + "z.asc\r\n", armoured_, ERROR_BAD_PATHNAME,
       ("Bad pathname:\n  " + shortened + "z.asc").substr(0, 255)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    transferFileArmoured = c.armoured.c_str();
    EXPECT_EQ(Follow(c.text), c.code);
    EXPECT_EQ(std::string(sharedMessageBuffer), c.message);
    EXPECT_FALSE(FileExists(c.armoured));
  }
  transferFileArmoured = armoured_.c_str();
  EXPECT_EQ(Follow(cases[0].text, static_cast<DWORD>(cases[0].text.find("\r\n"))), 0u) << "from behind the failed line";
  EXPECT_EQ(std::string(operationState.attachmentPath), good);
  EXPECT_EQ(Follow("x" + kMarker + shortened + "\r\n"), 0u) << "259 characters fit";
  EXPECT_EQ(std::string(operationState.attachmentPath), shortened);
  EXPECT_EQ(job_.function, CheckSignature);
}

TEST_F(ArmourSearch, BlockBoundsGoIntoTheOperationStateOnlyOnAFind) {
  const std::string text = Fixture("mixed-crlf.txt");
  const DWORD length = static_cast<DWORD>(text.size());
  const size_t keyStart = text.find("-----BEGIN PGP PUBLIC KEY BLOCK-----");
  const DWORD from = static_cast<DWORD>(text.find("-----END PGP MESSAGE-----"));
  operationState.windowKind = Reading;
  EXPECT_EQ(FindArmourBlock(text.c_str(), length, from), AddKey);
  EXPECT_EQ(operationState.blockStart, keyStart);
  operationState = TOperationState{};
  operationState.windowKind = Composing;
  EXPECT_EQ(FindArmourBlock(text.c_str(), length, from), Encrypt) << "no key to add while composing";
  EXPECT_EQ(operationState.blockStart, keyStart) << "the bounds are recorded all the same";
  operationState.blockStart = 7;
  operationState.blockEnd = 9;
  operationState.quoted = TRUE;
  EXPECT_EQ(FindArmourBlock(text.c_str(), length, length), Encrypt);
  EXPECT_EQ(operationState.blockStart, 7u);
  EXPECT_EQ(operationState.blockEnd, 9u);
  EXPECT_TRUE(operationState.quoted);
}

TEST_F(ArmourSearch, KeyPreviewIsCutToItsLimit) {
  const std::string output = "Decoded.\r\n" + Fixture("public-key.asc");
  HGLOBAL block = support::GlobalText(output);
  std::memset(sharedMessageBuffer, 'X', kMessageBufferSize);
  EXPECT_TRUE(FindKeyBlock(block, sharedMessageBuffer, kMessageBufferSize - 1));
  EXPECT_EQ(std::string(sharedMessageBuffer), output.substr(10, kMessageBufferSize - 1));
  GlobalFree(block);
  EXPECT_FALSE(FindKeyBlock(static_cast<HGLOBAL>(nullptr), sharedMessageBuffer, 255));
  EXPECT_STREQ(sharedMessageBuffer, "");
}
