// A message's address list, and the recipient list offered for an encryption.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/address_list.h"
#include "core/pgp_job.h"
#include "core/recipient_text.h"

TEST(RecipientText, AddressListOwnsCopiesAndGrows) {
  TAddressList list;
  std::string text = "a@x";
  TAddress* first = TAddress::Make(text.c_str(), "Alice", nullptr);
  ASSERT_NE(first, nullptr);
  text[0] = 'b';  // the entry holds its own copies
  EXPECT_STREQ(first->address, "a@x");
  EXPECT_STREQ(first->second, "Alice");
  EXPECT_EQ(first->third, nullptr);
  ASSERT_TRUE(list.Add(first));
  for (int i = 0; i < 13; ++i)  // past the first capacity twice
    ASSERT_TRUE(list.Add(TAddress::Make(std::to_string(i).c_str(), nullptr, "third")));
  EXPECT_EQ(list.Count(), 14u);
  EXPECT_STREQ(list[13]->address, "12");
  EXPECT_STREQ(list[13]->third, "third");
  EXPECT_EQ(list[14], nullptr);
  EXPECT_FALSE(list.Add(nullptr));
  list.Flush();  // every entry and copy is freed: a leak or a double free would show
  EXPECT_TRUE(list.IsEmpty());
}

TEST(RecipientText, SenderRulesEncryptForAndTheStopAt110) {
  const std::string a49(49, 'a'), b50(50, 'b'), c8(8, 'c'), d9(9, 'd'), u130(130, 'u'), v109(109, 'v');
  const std::string quoted = "\"" + std::string(120, 'q') + " x\"";
  struct Case {
    const char* name; std::vector<const char*> addresses; bool self; const char* encryptFor; size_t size;
    std::string text;
  };
  const Case cases[] = {
      {"the sender is left out", {"me@a", "b@c", "d@e"}, false, nullptr, kRecipientsSize, " b@c d@e"},
      {"EncryptFor needs self", {"me@a", "b@c", "d@e"}, false, "Me Myself", kRecipientsSize, " b@c d@e"},
      {"EncryptFor first", {"me@a", "b@c", "d@e"}, true, "\"Me Myself\"", kRecipientsSize, "\"Me Myself\" b@c d@e"},
      {"self without EncryptFor", {"me@a", "b@c", "d@e"}, true, nullptr, kRecipientsSize, " me@a b@c d@e"},
      {"an empty EncryptFor", {"me@a", "b@c"}, true, "", kRecipientsSize, " me@a b@c"},
      {"null entries skipped", {"me@a", nullptr, "d@e"}, false, nullptr, kRecipientsSize, " d@e"},
      {"the sender alone", {"me@a"}, false, nullptr, kRecipientsSize, ""},
      {"no addresses", {}, true, nullptr, kRecipientsSize, ""},
      {"109 + 8 is 110 characters", {"s", a49.c_str(), b50.c_str(), c8.c_str()}, false, nullptr, kRecipientsSize,
       " " + a49 + " " + b50 + " " + c8},
      {"adding stops at the first misfit", {"s", a49.c_str(), b50.c_str(), d9.c_str(), "x"}, false, nullptr,
       kRecipientsSize, " " + a49 + " " + b50},
      {"a long EncryptFor is cut", {"s", "r@x"}, true, u130.c_str(), kRecipientsSize, u130.substr(0, 111)},
      {"a cut quoted one keeps its quote", {"s", "r@x"}, true, quoted.c_str(), kRecipientsSize,
       "\"" + std::string(109, 'q') + "\""},
      {"109 characters leave no room", {"s", "r@x"}, true, v109.c_str(), kRecipientsSize, v109},
      {"a smaller buffer is respected", {"s", "r@x", "t@y"}, false, nullptr, 6, " r@x"},
      {"an address and NUL exactly fill it", {"s", "r@x"}, false, nullptr, 5, " r@x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> buffer(c.size, 'X');
    EXPECT_EQ(BuildRecipientText(buffer.data(), c.size, c.addresses.data(), c.addresses.size(), c.self, c.encryptFor),
              c.text.size());
    EXPECT_EQ(std::string(buffer.data()), c.text);
  }
}
