// The mark of the program's own changes, which the screens' handlers test.
#include "app/common/scoped_flag.h"

#include <gtest/gtest.h>

TEST(ScopedFlag, RestoresWhatTheFlagWasBefore) {
  bool flag = false;
  {
    const veldrix::ScopedFlag outer(flag);
    EXPECT_TRUE(flag);
    {
      const veldrix::ScopedFlag inner(flag);
      EXPECT_TRUE(flag);
    }
    // The inner stretch ends inside the outer one, which is still the program's.
    EXPECT_TRUE(flag);
  }
  EXPECT_FALSE(flag);
}
