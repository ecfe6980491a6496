// The shipped scripts as SQL Server receives them: every statement of "baza.json"
// and "baza_aktualizacja.json", chosen for the engine and with its placeholders
// filled, comes out of the T-SQL rewriting with nothing of the SQLite dialect left.
#include "dbsetup/baza_skrypt.h"
#include "test_support.h"
#include "transact_sql_check.h"

#include <gtest/gtest.h>

namespace {

const wxString kEngine = "SQL Server";

wxString ScriptPath(const wxString& name) { return veldrix::test::SourceDir() + "/src/dbsetup/scripts/" + name; }

void ExpectScript(const BazaSkrypt& script, int* checked) {
  for (size_t i = 0; i < script.GetCount(); ++i) {
    const wxString sql =
        FillStatementPlaceholders(script.names[i], script.sql[i], script.kinds[i], script.version, script.module);
    SCOPED_TRACE(script.names[i].ToStdString());
    veldrix::test::ExpectTransactSql(sql);
    ++*checked;
  }
}

}  // namespace

TEST(ShippedScriptsOnSqlServer, EveryStatementTranslates) {
  int checked = 0;
  BazaSkrypt create;
  ASSERT_EQ(LoadCreateScript(kEngine, ScriptPath("baza.json"), &create), ScriptLoaded);
  ASSERT_GT(create.GetCount(), 0u);
  ExpectScript(create, &checked);

  UpdateScriptList steps;
  int statements = 0;
  ASSERT_EQ(LoadUpdateScript(kEngine, ScriptPath("baza_aktualizacja.json"), &steps, &statements), ScriptLoaded);
  ASSERT_FALSE(steps.empty());
  for (const auto& step : steps) ExpectScript(*step, &checked);
  EXPECT_EQ(checked, static_cast<int>(create.GetCount()) + statements);
}
