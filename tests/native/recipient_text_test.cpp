// The recipient list offered for an encryption.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "core/pgp_job.h"
#include "core/recipient_text.h"

namespace {

std::string Build(std::initializer_list<const char*> list, bool self, const char* encryptFor,
                  size_t size = kRecipientsSize) {
  std::string buffer(size, 'X');
  const std::vector<const char*> addresses(list);
  size_t length = BuildRecipientText(&buffer[0], size, addresses.data(), addresses.size(),
                                     self, encryptFor);
  EXPECT_EQ(length, std::strlen(buffer.c_str()));
  EXPECT_LT(length, size);
  return buffer.c_str();
}

TEST(RecipientText, SenderRulesAndEncryptFor) {
  EXPECT_EQ(Build({"me@a", "b@c", "d@e"}, false, nullptr), " b@c d@e");
  EXPECT_EQ(Build({"me@a", "b@c", "d@e"}, false, "Me Myself"), " b@c d@e");
  EXPECT_EQ(Build({"me@a", "b@c", "d@e"}, true, "\"Me Myself\""), "\"Me Myself\" b@c d@e");
  EXPECT_EQ(Build({"me@a", "b@c", "d@e"}, true, nullptr), " me@a b@c d@e");
  EXPECT_EQ(Build({"me@a", "b@c"}, true, ""), " me@a b@c");
  EXPECT_EQ(Build({"me@a", nullptr, "d@e"}, false, nullptr), " d@e");
  EXPECT_EQ(Build({"me@a"}, false, nullptr), "");
  EXPECT_EQ(Build({}, true, nullptr), "");
}

TEST(RecipientText, StopsBeforeReaching110Characters) {
  const std::string a49(49, 'a'), b50(50, 'b'), c8(8, 'c'), d9(9, 'd');
  // 1+49+1+50 = 101; then 101 + 8 = 109 < 110 fits (110 chars), 101 + 9 = 110 does not.
  EXPECT_EQ(Build({"s", a49.c_str(), b50.c_str(), c8.c_str()}, false, nullptr).size(), 110u);
  // Adding stops there: a shorter address after the first misfit is not added either.
  EXPECT_EQ(Build({"s", a49.c_str(), b50.c_str(), d9.c_str(), "x"}, false, nullptr),
            " " + a49 + " " + b50);
}

TEST(RecipientText, LongEncryptForIsCutToTheField) {
  const std::string plain(130, 'u');
  EXPECT_EQ(Build({"s", "r@x"}, true, plain.c_str()), plain.substr(0, 111));
  const std::string quoted = "\"" + std::string(120, 'q') + " x\"";
  std::string cut = Build({"s", "r@x"}, true, quoted.c_str());
  EXPECT_EQ(cut, "\"" + std::string(109, 'q') + "\"");
  // 109 characters leave no room for any address.
  const std::string fits(109, 'v');
  EXPECT_EQ(Build({"s", "r@x"}, true, fits.c_str()), fits);
  // A smaller buffer than the field is respected too.
  EXPECT_EQ(Build({"s", "r@x", "t@y"}, false, nullptr, 6), " r@x");
}

}  // namespace
