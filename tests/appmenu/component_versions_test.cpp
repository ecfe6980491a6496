#include "appmenu/component_versions.h"

#include "db/libpq_api.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

namespace {

wxString VersionOf(const std::vector<LinkedComponent>& components, const wxString& name) {
  for (const LinkedComponent& component : components) {
    if (component.name == name) return component.version;
  }
  return wxString();
}

}  // namespace

TEST(LinkedComponents, NameEveryLibraryOfTheBuildWithAVersionAndLicence) {
  const std::vector<LinkedComponent> components = LinkedComponents();
  for (const char* name : {"wxWidgets", "SQLite", "wxSQLite3", "FreeTDS", "MariaDB Connector/C", "OpenSSL", "libcurl",
                           "nlohmann-json"}) {
    const wxString version = VersionOf(components, name);
    ASSERT_FALSE(version.empty()) << name;
    EXPECT_TRUE(wxIsdigit(version[0])) << name << ": " << version;
  }
  for (const LinkedComponent& component : components) EXPECT_FALSE(component.licence.empty()) << component.name;
  // The SQLite named is the one the program's databases run on.
  veldrix::test::TempDir folder;
  SQLData db(folder.file("wersja.db"));
  ASSERT_TRUE(db.IniciujBazeDanych());
  const wxArrayString cells = db.FrameData("SELECT sqlite_version()");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(VersionOf(components, "SQLite"), cells[0]);
  // One line per component, in list order.
  const wxString text = DescribeComponents(components);
  EXPECT_EQ(text.Freq('\n') + 1, components.size());
  EXPECT_TRUE(text.StartsWith(components[0].name + " " + components[0].version + " - "));
}

TEST(LinkedComponents, ListThePostgreSqlClientOnlyOnceTheProcessLoadedIt) {
  EXPECT_TRUE(VersionOf(LinkedComponents(), "libpq").empty());
  wxString error;
  if (!LoadLibpq(&error)) {
    if (veldrix::test::RunningInCi()) FAIL() << error;
    GTEST_SKIP() << error;
  }
  const wxString version = VersionOf(LinkedComponents(), "libpq");
  ASSERT_FALSE(version.empty());
  EXPECT_TRUE(wxIsdigit(version[0])) << version;
}
