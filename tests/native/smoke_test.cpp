#include <gtest/gtest.h>
#include "core/pgp_function.h"
TEST(Core, PgpFunctionCodes) { EXPECT_EQ(NothingToDo, 4); }
