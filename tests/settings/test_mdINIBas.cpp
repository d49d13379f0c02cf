#include <gtest/gtest.h>
#include "mdINIBas.h"
TEST(Placeholder, Builds) { EXPECT_EQ(mdINIBas::GetIniValue("a", "b", "d", ""), "d"); }
