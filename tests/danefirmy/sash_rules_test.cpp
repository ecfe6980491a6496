// The company editor's sash: where it starts and which drags are refused.
#include "danefirmy/sash_rules.h"

#include <gtest/gtest.h>

TEST(CompanySash, StartsLeavingTheFormAtLeast930PixelsOrHalf) {
  EXPECT_EQ(InitialCompanySash(1600), 670);
  EXPECT_EQ(InitialCompanySash(2400), 1200);
  EXPECT_EQ(InitialCompanySash(1000), 460);
  EXPECT_EQ(InitialCompanySash(801), 460);
  EXPECT_EQ(InitialCompanySash(800), -1);
  EXPECT_EQ(InitialCompanySash(0), -1);
}

TEST(CompanySash, DragKeepsTheFormSideWide) {
  // 1000 wide: the form keeps 540 pixels.
  EXPECT_FALSE(CompanySashRefused(1000, 460));
  EXPECT_TRUE(CompanySashRefused(1000, 461));
  // 600 wide: it keeps 260.
  EXPECT_FALSE(CompanySashRefused(600, 340));
  EXPECT_TRUE(CompanySashRefused(600, 341));
  // 1200 wide: at most 620.
  EXPECT_FALSE(CompanySashRefused(1200, 580));
  EXPECT_TRUE(CompanySashRefused(1200, 581));
  EXPECT_FALSE(CompanySashRefused(0, 5000));
}
