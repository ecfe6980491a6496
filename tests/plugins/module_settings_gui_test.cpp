// Module entries of the settings tree through the real host: the "Moduły" page,
// deferred settings pages, the settings form and the XRC settings page, whose
// values survive a restart of the program.
#include "module_host_fixture.h"

#include "app/common/message_box.h"
#include "plugins/plugin_modules_panel.h"
#include "plugins/plugin_settings_form_panel.h"
#include "plugins/plugin_settings_xrc_panel.h"

#include <wx/checkbox.h>
#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veldrix {
namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

using ModuleSettings = test::SettingsTreeTest;

TEST_F(ModuleSettings, EntriesFollowTheModulesAndAreBuiltOnFirstSelection) {
  Install("a", "mod_notatki");  // XRC settings
  Install("b", "mod_kasa");     // settings form
  Install("c", "mod_kpir");     // settings form; the ledger dictionaries go below it
  Install("d", "mod_alpha");    // no settings marker
  PluginManager& host = Load();
  auto* ledger = new wxPanel(tree_);
  host.AddSettingsPages(tree_, ledger, 0);
  EXPECT_EQ(Entries(), (std::vector<wxString>{U8("Moduły"), "Ustawienia KPiR", U8("Słowniki"), "Ustawienia Notatki",
                                              "Ustawienia Kasa"}));
  EXPECT_EQ(tree_->GetPageParent(2), 1);
  EXPECT_GE(tree_->GetPageImage(0), 0);

  auto* entry = dynamic_cast<PluginLazySettingsPanel*>(tree_->GetPage(3));
  ASSERT_NE(entry, nullptr);
  EXPECT_FALSE(entry->IsLoaded());
  entry->EnsureLoaded();
  wxWindow* built = entry->GetContent();
  entry->EnsureLoaded();
  EXPECT_EQ(entry->GetContent(), built);
  EXPECT_NE(dynamic_cast<PluginSettingsXrcPanel*>(built), nullptr);

  // At logout every module page leaves the tree; the ledger page is not the host's.
  manager_.reset();
  EXPECT_EQ(tree_->GetPageCount(), 0u);
  EXPECT_EQ(ledger->GetParent(), tree_);
}

TEST_F(ModuleSettings, TheModulesPageListsEveryModuleAndStoresItsSwitch) {
  Install("a", "mod_notatki");
  Install("b", "mod_api10");
  Install("c", "mod_kasa");
  window_->administrator = false;
  Load().AddSettingsPages(tree_, nullptr, -1);
  EXPECT_EQ(Entries(), (std::vector<wxString>{"Ustawienia Notatki", "Ustawienia Kasa"}));  // no permissions.manage

  window_->granted.insert("permissions.manage");
  manager_.reset();
  Load().AddSettingsPages(tree_, nullptr, -1);
  auto* page = Open<PluginModulesPanel>(U8("Moduły"));
  ASSERT_NE(page, nullptr);
  wxCheckListBox* list = page->GetList();
  ASSERT_EQ(list->GetCount(), 3u);
  EXPECT_EQ(list->GetString(0), "Notatki 2.0 - aktywny");
  EXPECT_EQ(list->GetString(1), U8("Moduł - Niezgodna wersja API modułu."));  // no name: it failed before telling it
  EXPECT_EQ(list->GetString(2), "Kasa 2.0 - aktywny");
  EXPECT_TRUE(list->IsChecked(1));
  test::SaveScreenshot(settings_, "module_settings_modules");

  list->Check(2, false);
  wxCommandEvent toggled(wxEVT_CHECKLISTBOX, list->GetId());
  toggled.SetInt(2);
  list->ProcessWindowEvent(toggled);
  EXPECT_FALSE((*config_)->ReadBool("/Plugins/kasa/Enabled", true));
  EXPECT_EQ(list->GetString(2), "Kasa 2.0 - aktywny");  // fully after a restart
}

// A switch that a dependency moves along with the clicked one shows it at once.
TEST_F(ModuleSettings, TheModulesPageShowsTheSwitchesDependenciesMoved) {
  Install("a", "mod_alpha");
  Install("b", "mod_beta");  // needs alpha
  PluginManager& host = Load();
  host.AddSettingsPages(tree_, nullptr, -1);
  auto* page = Open<PluginModulesPanel>(U8("Moduły"));
  ASSERT_NE(page, nullptr);
  wxCheckListBox* list = page->GetList();
  ASSERT_EQ(host.GetModuleId(1), "beta");
  auto toggle = [list](unsigned item, bool on) {
    list->Check(item, on);
    wxCommandEvent toggled(wxEVT_CHECKLISTBOX, list->GetId());
    toggled.SetInt(static_cast<int>(item));
    list->ProcessWindowEvent(toggled);
  };
  toggle(0, false);
  EXPECT_FALSE(list->IsChecked(1));
  toggle(1, true);
  EXPECT_TRUE(list->IsChecked(0));
}

TEST_F(ModuleSettings, TheFormSavesEveryFieldAndTheValuesSurviveARestart) {
  Install("a", "mod_kasa");
  (*config_)->Write("/TestModules/kasa/mode", "EXACT");  // matches no choice value exactly
  Load().AddSettingsPages(tree_, nullptr, -1);
  auto* form = Open<PluginSettingsFormPanel>("Ustawienia Kasa");
  ASSERT_NE(form, nullptr);
  auto texts = form->GetChildren();
  std::vector<wxTextCtrl*> edits;
  std::vector<wxChoice*> choices;
  for (wxWindow* child : texts) {
    if (auto* edit = dynamic_cast<wxTextCtrl*>(child)) edits.push_back(edit);
    if (auto* choice = dynamic_cast<wxChoice*>(child)) choices.push_back(choice);
  }
  ASSERT_EQ(edits.size(), 4u);    // server, notes, active, token
  ASSERT_EQ(choices.size(), 2u);  // mode, kind
  EXPECT_EQ(edits[0]->GetValue(), "localhost");
  EXPECT_EQ(edits[1]->GetSize().GetHeight(), 72);
  EXPECT_EQ(choices[0]->GetStringSelection(), "Szybki");  // the default's choice
  EXPECT_FALSE(form->GetSaveButton()->IsEnabled());

  edits[0]->SetValue("db.firma.pl");
  edits[1]->SetValue(U8("pierwsza\ndruga linia"));
  choices[0]->SetSelection(1);
  EXPECT_TRUE(form->GetSaveButton()->IsEnabled());
  test::SaveScreenshot(settings_, "module_settings_form");
  Press(form->GetSaveButton());
  EXPECT_FALSE(form->GetSaveButton()->IsEnabled());
  EXPECT_EQ(Stored("kasa/server"), "db.firma.pl");
  EXPECT_EQ(Stored("kasa/mode"), "exact");
  EXPECT_EQ(Stored("kasa/kind"), "a");  // unchanged fields are written too

  Restart().AddSettingsPages(tree_, nullptr, -1);
  form = Open<PluginSettingsFormPanel>("Ustawienia Kasa");
  ASSERT_NE(form, nullptr);
  std::vector<wxString> shown;
  for (wxWindow* child : form->GetChildren()) {
    if (auto* edit = dynamic_cast<wxTextCtrl*>(child)) shown.push_back(edit->GetValue());
    if (auto* choice = dynamic_cast<wxChoice*>(child)) shown.push_back(choice->GetStringSelection());
  }
  EXPECT_EQ(shown, (std::vector<wxString>{"db.firma.pl", U8("pierwsza\ndruga linia"), U8("Dokładny"), "A", "1",
                                          "brak"}));
}

TEST_F(ModuleSettings, TheXrcPageSavesItsBoundControlsAndKeepsWhatItCannotShow) {
  Install("a", "mod_notatki");
  (*config_)->Write("/TestModules/notatki/server", "stary.serwer");
  (*config_)->Write("/TestModules/notatki/token", "sekret");  // bound to a control the layout lacks
  Load().AddSettingsPages(tree_, nullptr, -1);
  auto* page = Open<PluginSettingsXrcPanel>("Ustawienia Notatki");
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->GetXrcPanel(), nullptr);
  auto* server = Named<wxTextCtrl>(page, "txtServer");
  auto* mode = Named<wxChoice>(page, "chMode");
  auto* kind = Named<wxComboBox>(page, "cbKind");
  auto* active = Named<wxCheckBox>(page, "chkActive");
  ASSERT_TRUE(server && mode && kind && active);
  EXPECT_EQ(server->GetValue(), "stary.serwer");
  EXPECT_EQ(mode->GetCount(), 2u);
  EXPECT_EQ(mode->GetStringSelection(), "Szybki");
  EXPECT_TRUE(active->GetValue());
  EXPECT_EQ(Named<wxStaticText>(page, "lblInfo")->GetLabel(), "Zapisany serwer: stary.serwer");
  EXPECT_FALSE(page->GetSaveButton()->IsEnabled());

  server->SetValue("nowy.serwer");
  mode->SetSelection(1);
  kind->SetValue("C");  // typed, no such choice
  active->SetValue(false);
  EXPECT_TRUE(page->GetSaveButton()->IsEnabled());
  Press(page->GetSaveButton());
  EXPECT_EQ(Stored("notatki/server"), "nowy.serwer");
  EXPECT_EQ(Stored("notatki/mode"), "exact");
  EXPECT_EQ(Stored("notatki/kind"), "C");
  EXPECT_EQ(Stored("notatki/active"), "0");
  EXPECT_EQ(Stored("notatki/token"), "sekret");
  EXPECT_EQ(Named<wxStaticText>(page, "lblInfo")->GetLabel(), "Zapisany serwer: nowy.serwer");

  // Actions save first; a synchronous one shows its text, or the failure.
  MessageBoxRecorder boxes;
  server->SetValue("trzeci.serwer");
  Press(Named<wxButton>(page, "btnCheck"));
  Press(Named<wxButton>(page, "btnFail"));
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0].message, "Przeliczono");
  EXPECT_EQ(boxes.shown()[0].caption, "Ustawienia Notatki");
  EXPECT_EQ(boxes.shown()[1].message, "Brak danych do przeliczenia");
  EXPECT_EQ(Stored("notatki/server"), "trzeci.serwer");
  test::SaveScreenshot(settings_, "module_settings_xrc");

  Restart().AddSettingsPages(tree_, nullptr, -1);
  page = Open<PluginSettingsXrcPanel>("Ustawienia Notatki");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Named<wxTextCtrl>(page, "txtServer")->GetValue(), "trzeci.serwer");
  EXPECT_EQ(Named<wxChoice>(page, "chMode")->GetStringSelection(), U8("Dokładny"));
  EXPECT_EQ(Named<wxComboBox>(page, "cbKind")->GetValue(), "C");
  EXPECT_FALSE(Named<wxCheckBox>(page, "chkActive")->GetValue());
}

TEST_F(ModuleSettings, ASaveThatCannotBeStoredSaysSoAndStaysToBeSaved) {
  Install("a", "mod_kasa");     // settings form
  Install("b", "mod_notatki");  // XRC settings
  Load().AddSettingsPages(tree_, nullptr, -1);
  auto* form = Open<PluginSettingsFormPanel>("Ustawienia Kasa");
  auto* page = Open<PluginSettingsXrcPanel>("Ustawienia Notatki");
  ASSERT_TRUE(form && page && page->GetXrcPanel());
  wxTextCtrl* formServer = nullptr;
  for (wxWindow* child : form->GetChildren()) {
    if (!formServer) formServer = dynamic_cast<wxTextCtrl*>(child);
  }
  auto* server = Named<wxTextCtrl>(page, "txtServer");
  ASSERT_TRUE(formServer && server);
  // A folder where the configuration file goes: nothing can be written to it.
  wxRemoveFile(ConfigFilePath());
  ASSERT_TRUE(EnsureFolder(ConfigFilePath()));

  MessageBoxRecorder boxes;
  formServer->SetValue("db.firma.pl");
  Press(form->GetSaveButton());
  EXPECT_TRUE(form->GetSaveButton()->IsEnabled());
  server->SetValue("nowy.serwer");
  Press(page->GetSaveButton());
  EXPECT_TRUE(page->GetSaveButton()->IsEnabled());
  Press(Named<wxButton>(page, "btnCheck"));  // the action needs its settings stored first
  test::SaveScreenshot(settings_, "module_settings_unsaved");
  ASSERT_EQ(boxes.shown().size(), 3u);
  EXPECT_EQ(boxes.shown()[0].caption, "Ustawienia Kasa");
  EXPECT_EQ(boxes.shown()[1].caption, "Ustawienia Notatki");
  for (const auto& box : boxes.shown()) EXPECT_EQ(box.message, boxes.shown()[0].message);

  // Once the file can be written, the same save goes through.
  ASSERT_TRUE(wxRmdir(ConfigFilePath()));
  Press(form->GetSaveButton());
  Press(page->GetSaveButton());
  EXPECT_FALSE(form->GetSaveButton()->IsEnabled());
  EXPECT_FALSE(page->GetSaveButton()->IsEnabled());
  EXPECT_EQ(boxes.shown().size(), 3u);
  Restart();
  EXPECT_EQ(Stored("kasa/server"), "db.firma.pl");
  EXPECT_EQ(Stored("notatki/server"), "nowy.serwer");
}

TEST_F(ModuleSettings, AnXrcPageThatCannotBeLoadedSaysWhyOnThePage) {
  Install("a", "mod_notatki");
  wxRemoveFile(JoinPath(JoinPath(PluginManager::GetModulesDirectory(), "a"), "ustawienia.xrc"));
  Load().AddSettingsPages(tree_, nullptr, -1);
  auto* page = Open<PluginSettingsXrcPanel>("Ustawienia Notatki");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->GetXrcPanel(), nullptr);
  bool told = false;
  for (wxWindow* child : page->GetChildren()) {
    auto* text = dynamic_cast<wxStaticText*>(child);
    if (text && text->GetLabel().StartsWith(U8("Nie udało się załadować pliku XRC: "))) told = true;
  }
  EXPECT_TRUE(told);
}

}  // namespace
}  // namespace veldrix
