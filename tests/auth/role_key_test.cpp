// Keys of new roles, in a process of their own so the counter starts where the
// program's does.
#include "auth_fixture.h"

#include <ctime>

using RoleKeys = auth_test::AuthDatabase;

TEST_F(RoleKeys, FirstRoleOfARunCarriesCounterOne) {
  wxString error, first, second;
  const long long before = static_cast<long long>(std::time(nullptr));
  ASSERT_TRUE(service->CreateRole("Pierwsza", &first, &error)) << error;
  ASSERT_TRUE(service->CreateRole("Druga", &second, &error)) << error;
  const long long after = static_cast<long long>(std::time(nullptr));
  EXPECT_TRUE(first.EndsWith("_1")) << first;
  EXPECT_TRUE(second.EndsWith("_2")) << second;
  long long seconds = 0;
  ASSERT_TRUE(first.BeforeLast('_').AfterFirst('_').ToLongLong(&seconds)) << first;
  EXPECT_GE(seconds, before);
  EXPECT_LE(seconds, after);
  EXPECT_TRUE(first.StartsWith("rola_"));
}
