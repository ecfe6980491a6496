// Background module actions on an XRC settings page through the real host: the
// operation strip, progress polling, completion, the stop button, one action at a
// time, and the cancel-and-join when the page closes or the user logs out.
#include "module_host_fixture.h"

#include "pluginmanager/module_calls.h"
#include "plugins/plugin_settings_xrc_panel.h"

#include <wx/gauge.h>
#include <wx/stattext.h>

#include <cstdio>

namespace veldrix {
namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// What the test module counts of its background work.
struct ActionCounts {
  int runs = 0;
  int cancels = 0;
  int finished = 0;
  int running = 0;
};

class ModuleActions : public test::SettingsTreeTest {
 protected:
  PluginSettingsXrcPanel* OpenPage() {
    Install("a", "mod_notatki");
    Load().AddSettingsPages(tree_, nullptr, -1);
    return Open<PluginSettingsXrcPanel>("Ustawienia Notatki");
  }

  // The module's counters, asked on the GUI thread as any synchronous action is;
  // the library stays loaded between tests, so tests compare before and after.
  ActionCounts Counts() {
    ModuleCalls calls(manager_->GetModule(Index("notatki")));
    std::vector<wchar_t> out(VELDRIX_ACTION_TEXT);
    calls.RunAction("status", out.data(), VELDRIX_ACTION_TEXT);
    ActionCounts counts;
    std::swscanf(out.data(), L"runs=%d cancels=%d finished=%d running=%d", &counts.runs, &counts.cancels,
                 &counts.finished, &counts.running);
    return counts;
  }

  static wxString Status(const ModuleActionRunner& runner) { return runner.StatusLine()->GetLabel(); }
};

TEST_F(ModuleActions, TheStripShowsProgressAndTheOutcome) {
  PluginSettingsXrcPanel* page = OpenPage();
  ASSERT_NE(page, nullptr);
  ModuleActionRunner& runner = page->GetActionRunner();
  ASSERT_NE(runner.StatusLine(), nullptr);
  EXPECT_FALSE(runner.Strip()->IsShown());

  Press(Named<wxButton>(page, "btnQuick"));  // "async:quick": succeeds without a text
  EXPECT_TRUE(runner.IsBusy());
  EXPECT_TRUE(runner.Strip()->IsShown());
  EXPECT_EQ(Status(runner), "Rozpoczynanie operacji...");
  ASSERT_TRUE(test::WaitFor([&] { return !runner.IsBusy(); }));
  EXPECT_EQ(Status(runner), U8("Operacja została zakończona."));
  EXPECT_EQ(runner.Gauge()->GetValue(), runner.Gauge()->GetRange());
  EXPECT_FALSE(runner.StopButton()->IsEnabled());

  const ActionCounts before = Counts();
  Press(Named<wxButton>(page, "btnSync"));  // "async:slow", ten seconds unless stopped
  ASSERT_TRUE(test::WaitFor([&] { return runner.Gauge()->GetValue() > 0; }));
  EXPECT_TRUE(Status(runner).StartsWith(U8("Postęp ")));
  Press(Named<wxButton>(page, "btnSync"));  // a second one while it runs is dropped
  test::SaveScreenshot(settings_, "module_settings_background_action");

  Press(runner.StopButton());
  EXPECT_EQ(Status(runner), "Anulowanie...");
  EXPECT_FALSE(runner.StopButton()->IsEnabled());
  ASSERT_TRUE(test::WaitFor([&] { return !runner.IsBusy(); }));
  EXPECT_EQ(Status(runner), "Przerwano");  // failed with a text: the text, not the failure message
  EXPECT_LT(runner.Gauge()->GetValue(), runner.Gauge()->GetRange());
  const ActionCounts after = Counts();
  EXPECT_EQ(after.runs - before.runs, 1);
  EXPECT_EQ(after.cancels - before.cancels, 1);
  EXPECT_EQ(after.running, 0);

  // Collapsing hides the strip; the next action shows it again.
  Press(runner.ToggleButton());
  EXPECT_FALSE(runner.Strip()->IsShown());
  EXPECT_TRUE(runner.StripCollapsed());
}

TEST_F(ModuleActions, ClosingThePageCancelsItsActionAndWaitsForIt) {
  PluginSettingsXrcPanel* page = OpenPage();
  ASSERT_NE(page, nullptr);
  const ActionCounts before = Counts();
  Press(Named<wxButton>(page, "btnSync"));
  ASSERT_TRUE(test::WaitFor([&] { return Counts().running == 1; }));

  tree_->DeletePage(static_cast<size_t>(tree_->FindPage(page->GetParent())));  // the entry goes with its tab
  // The worker has been joined by now: the module's action returned.
  const ActionCounts after = Counts();
  EXPECT_EQ(after.running, 0);
  EXPECT_EQ(after.cancels - before.cancels, 1);
  EXPECT_EQ(after.finished - before.finished, 1);
  EXPECT_EQ(manager_->GetPages().size(), 1u);  // the "Moduły" page stays
  test::PumpEvents(100);  // no completion arrives for the page that went
}

TEST_F(ModuleActions, AtLogoutPagesAndTheirWorkersGoBeforeTheModulesShutDown) {
  PluginSettingsXrcPanel* page = OpenPage();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(manager_->OpenModulePageById("notatki"));
  Press(Named<wxButton>(page, "btnSync"));
  ASSERT_TRUE(test::WaitFor([&] { return Counts().running == 1; }));

  manager_.reset();
  // The module wrote at its shutdown whether an action was still running.
  EXPECT_EQ(Stored("notatki/shutdown"), "idle");
  EXPECT_EQ(tree_->GetPageCount(), 0u);
  EXPECT_EQ(window_->notebook->GetPageCount(), 0u);
}

TEST_F(ModuleActions, OnlyTheExactPrefixMakesAnActionBackgroundWork) {
  wxString name = "unchanged";
  EXPECT_TRUE(ModuleActionRunner::IsAsyncAction("async:", &name));
  EXPECT_EQ(name, "");
  EXPECT_TRUE(ModuleActionRunner::IsAsyncAction("async:slow", &name));
  EXPECT_EQ(name, "slow");
  EXPECT_FALSE(ModuleActionRunner::IsAsyncAction("Async:slow", &name));
  EXPECT_FALSE(ModuleActionRunner::IsAsyncAction(" async:slow", &name));
}

}  // namespace
}  // namespace veldrix
