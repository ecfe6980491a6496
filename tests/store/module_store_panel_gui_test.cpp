// The store tab under Xvfb against a loopback HTTPS store: the cards and their
// states before and after an install or a removal is staged, the filters and the
// search, blocked installs, and a store that is unreachable or does not answer.
#include "store/module_store_panel.h"

#include "app/common/config_access.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "app/common/web_browser.h"
#include "gui_support.h"
#include "http_test_server.h"
#include "store_test_support.h"
#include "package_builder.h"
#include "pluginmanager/module_staging.h"
#include "pluginmanager/plugin_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dir.h>
#include <wx/eventfilter.h>
#include <wx/filefn.h>
#include <wx/frame.h>
#include <wx/memconf.h>
#include <wx/progdlg.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace veldrix {
namespace {

using test::HttpTestRequest;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::Sha256Hex;
using test::U;

// What one card shows: its texts and its buttons.
struct Card {
  wxWindow* window = nullptr;
  std::vector<wxString> texts;
  std::vector<wxButton*> buttons;

  bool Says(const wxString& text) const { return std::find(texts.begin(), texts.end(), text) != texts.end(); }
  wxStaticText* Text(const wxString& text) const {
    for (wxWindow* w : window->GetChildren()) {
      if (auto* label = dynamic_cast<wxStaticText*>(w); label && label->GetLabel() == text) return label;
    }
    return nullptr;
  }
  wxButton* Button(const wxString& label) const {
    for (wxButton* b : buttons) {
      if (b->GetLabel() == label) return b;
    }
    return nullptr;
  }
};

std::vector<Card> Cards(ModuleStorePanel* panel) {
  std::vector<Card> cards;
  for (wxWindow* child : panel->GetCardList()->GetChildren()) {
    Card card;
    card.window = child;
    for (wxWindow* w : child->GetChildren()) {
      if (auto* text = dynamic_cast<wxStaticText*>(w)) card.texts.push_back(text->GetLabel());
      if (auto* button = dynamic_cast<wxButton*>(w)) card.buttons.push_back(button);
    }
    cards.push_back(card);
  }
  return cards;
}

// Takes the addresses meant for the browser while it lives.
class BrowserStandIn {
 public:
  explicit BrowserStandIn(BrowserHandler handler) : previous_(SetBrowserHandler(std::move(handler))) {}
  ~BrowserStandIn() { SetBrowserHandler(std::move(previous_)); }

 private:
  BrowserHandler previous_;
};

class ModuleStorePanelTest : public ::testing::Test {
 protected:
  ModuleStorePanelTest()
      : config_(new wxMemoryConfig),
        server_([this](const HttpTestRequest& request) { return Answer(request); }, HttpTestServer::Tls::Trusted) {
    delete InstallConfig(config_);
    config_->Write("/Network/CaFile", server_.CaFile());
    config_->Write("/store/api_base_url", wxString::FromUTF8(server_.BaseUrl() + "/api/v1"));
    const wxString zip = temp_.file("kpir.zip");
    test::WritePackage(zip, {{"lib/kpir.so", test::ReadFileBytes(JoinPath(VELDRIX_TEST_MODULE_DIR, "mod_alpha.so"))}});
    package_ = test::ReadFileBytes(zip);
  }

  ~ModuleStorePanelTest() override {
    if (frame_) frame_->Destroy();
    test::PumpEvents(20);
    host_.reset();
    delete InstallConfig(nullptr);
  }

  HttpTestResponse Answer(const HttpTestRequest& request) {
    if (request.target == "/files/kpir.zip") return HttpTestResponse{200, {}, package_};
    if (!catalogue_.empty()) return HttpTestResponse{200, {{"Content-Type", "application/json"}}, catalogue_};
    const std::string files = "/files/kpir.zip";
    const std::string url = server_.BaseUrl() + files;
    const std::string good = Sha256Hex(package_);
    const std::string bad(64, 'a');
    auto release = [&](const char* version, const std::string& sha, const char* minimum) {
      return std::string("{\"version\":\"") + version + "\",\"notes\":\"Nowe raporty i poprawki.\",\"files\":[{" +
             "\"download_url\":\"" + url + "\",\"sha256\":\"" + sha + "\",\"min_app_version\":\"" + minimum +
             "\",\"size_bytes\":" + std::to_string(package_.size()) + "}]}";
    };
    const std::string body =
        "{\"data\":{\"modules\":["
        "{\"code\":\"alpha\",\"name\":\"Alfa\",\"description\":\"Moduł testowy zainstalowany w programie.\","
        "\"details_url\":\"https://sklep.example/alfa\",\"latest_release\":" + release("1.3.0", good, "") + "},"
        "{\"code\":\"kpir\",\"name\":\"KPiR\",\"description\":\"Podatkowa księga przychodów i rozchodów.\","
        "\"latest_release\":" + release("2.1", good, "0.20") + "},"
        "{\"code\":\"future\",\"name\":\"Przyszłość\",\"description\":\"Wymaga nowszego programu.\","
        "\"latest_release\":" + release("1.0", good, "9.0") + "},"
        "{\"code\":\"nopkg\",\"name\":\"Bez paczki\",\"description\":\"Jeszcze nie wydany.\","
        "\"latest_release\":{\"version\":\"0.1\",\"files\":[]}},"
        "{\"code\":\"nosha\",\"name\":\"Bez sumy\",\"description\":\"Paczka bez sumy kontrolnej.\","
        "\"latest_release\":" + release("1.0", "", "") + "},"
        "{\"code\":\"badsha\",\"name\":\"Zła suma\",\"description\":\"Paczka z nieprawidłową sumą.\","
        "\"latest_release\":" + release("1.0", bad, "") + "}"
        "]}}";
    return HttpTestResponse{200, {{"Content-Type", "application/json"}}, body};
  }

  ModuleStorePanel* Open() {
    const wxString folder = JoinPath(PluginManager::GetModulesDirectory(), "alpha");
    EnsureFolder(folder);
    wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, "mod_alpha.so"), JoinPath(folder, "mod_alpha.so"));
    frame_ = new wxFrame(nullptr, wxID_ANY, "Sklep", wxDefaultPosition, wxSize(1180, 900));
    notebook_ = new wxAuiNotebook(frame_, wxID_ANY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(notebook_, 1, wxEXPAND);
    frame_->SetSizer(sizer);
    host_ = std::make_unique<PluginManager>(frame_, notebook_, nullptr);
    host_->LoadModules();
    auto* panel = new ModuleStorePanel(notebook_, host_.get(), "0.25.9 Alpha");
    notebook_->AddPage(panel, U("Sklep modułów"), true);
    frame_->Show();
    test::PumpEvents(50);
    return panel;
  }

  const Card* Find(const std::vector<Card>& cards, const char* name) {
    for (const Card& card : cards) {
      if (card.Says(U(name))) return &card;
    }
    ADD_FAILURE() << "no card " << name;
    return nullptr;
  }

  bool TemporaryEmpty() const {
    wxDir dir(temporary_);
    return dir.IsOpened() && !dir.HasFiles() && !dir.HasSubDirs();
  }

  void Click(wxButton* button) {
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
    test::PumpEvents(100);
  }

  test::IsolatedFolders folders_;
  test::TempDir temp_;
  std::string catalogue_;  // answered instead of the usual catalogue when set
  wxMemoryConfig* config_;
  std::string package_;
  HttpTestServer server_;
  // The system temporary folder of the test, where downloads must leave nothing.
  wxString temporary_ = [this] {
    EnsureFolder(temp_.file("tmp"));
    return temp_.file("tmp");
  }();
  test::ScopedEnv tmpdir_{"TMPDIR", temporary_};
  wxFrame* frame_ = nullptr;
  wxAuiNotebook* notebook_ = nullptr;
  std::unique_ptr<PluginManager> host_;
};

TEST_F(ModuleStorePanelTest, CardsShowEachModulesStateBeforeAndAfterStaging) {
  MessageBoxRecorder boxes(wxID_YES);
  ModuleStorePanel* panel = Open();
  EXPECT_EQ(panel->GetStatusText()->GetLabel(), U("Katalog nie został jeszcze pobrany."));
  panel->RefreshCatalogue(true);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(panel->GetStatusText()->GetLabel(), U("Katalog aktualny. Pozycje: 6. Platforma: linux/x86_64."));

  std::vector<Card> cards = Cards(panel);
  ASSERT_EQ(cards.size(), 6u);
  const Card* alpha = Find(cards, "Alfa");
  ASSERT_TRUE(alpha);
  EXPECT_TRUE(alpha->Says(U("● Zainstalowany • wersja 1.2.3 • dostępna aktualizacja")));
  EXPECT_TRUE(alpha->Says(U("Zainstalowana: 1.2.3   •   Dostępna: 1.3.0")));
  EXPECT_TRUE(alpha->Says(U("Ostatnie wydanie: Nowe raporty i poprawki.")));
  ASSERT_TRUE(alpha->Button(U("Pobierz i przygotuj aktualizację")));
  EXPECT_TRUE(alpha->Button(U("Pobierz i przygotuj aktualizację"))->IsEnabled());
  EXPECT_TRUE(alpha->Button(U("Odinstaluj")) && alpha->Button(U("Szczegóły")));

  const Card* kpir = Find(cards, "KPiR");
  ASSERT_TRUE(kpir);
  EXPECT_TRUE(kpir->Says(U("● Dostępny")));
  EXPECT_TRUE(kpir->Says(U("Zainstalowana: —   •   Dostępna: 2.1   •   Wymaga Veldrix 0.20+")));
  ASSERT_TRUE(kpir->Button(U("Zainstaluj moduł")));
  EXPECT_FALSE(kpir->Button(U("Odinstaluj")));

  const Card* future = Find(cards, "Przyszłość");
  ASSERT_TRUE(future && future->Button(U("Wymaga Veldrix 9.0 lub nowszej")));
  EXPECT_FALSE(future->Button(U("Wymaga Veldrix 9.0 lub nowszej"))->IsEnabled());
  const Card* nopkg = Find(cards, "Bez paczki");
  ASSERT_TRUE(nopkg && nopkg->Button(U("Paczka jeszcze niedostępna")));
  EXPECT_FALSE(nopkg->Button(U("Paczka jeszcze niedostępna"))->IsEnabled());
  EXPECT_TRUE(nopkg->Says(U("Zainstalowana: —   •   Dostępna: brak paczki dla Linux/x86_64")));
  test::SaveScreenshot(frame_, "store-catalogue");

  // Filters: installed, then updatable, modules; the search reads names and
  // descriptions in any case, never codes.
  const auto names = [panel] {
    std::vector<wxString> shown;
    for (const Card& card : Cards(panel)) shown.push_back(card.texts.empty() ? wxString() : card.texts[0]);
    return shown;
  };
  for (int filter : {1, 2}) {
    panel->GetFilterChoice()->SetSelection(filter);
    panel->ApplyFilter();
    EXPECT_EQ(names(), std::vector<wxString>{"Alfa"}) << filter;
  }
  panel->GetFilterChoice()->SetSelection(0);
  panel->GetSearchControl()->SetValue(U("KSIĘGA"));
  test::PumpEvents(20);
  EXPECT_EQ(names(), std::vector<wxString>{"KPiR"});
  panel->GetSearchControl()->SetValue("nopkg");
  test::PumpEvents(20);
  ASSERT_EQ(Cards(panel).size(), 1u);
  EXPECT_TRUE(Cards(panel)[0].Says(U("Nie znaleziono pasujących modułów")));
  test::SaveScreenshot(frame_, "store-nothing-found");
  panel->GetSearchControl()->SetValue(wxString());
  test::PumpEvents(20);
  cards = Cards(panel);
  kpir = Find(cards, "KPiR");

  Click(kpir->Button(U("Zainstaluj moduł")));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U("Instalacja modułu"));
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_INFORMATION) << boxes.shown()[0].message;
  EXPECT_TRUE(IsModuleInstallPending(PluginManager::GetModulesDirectory(), "kpir"));
  EXPECT_TRUE(TemporaryEmpty());

  cards = Cards(panel);
  kpir = Find(cards, "KPiR");
  ASSERT_TRUE(kpir);
  EXPECT_TRUE(kpir->Says(U("● Instalacja przygotowana • wymagany restart")));
  ASSERT_TRUE(kpir->Button(U("Wymagany restart programu")));
  EXPECT_FALSE(kpir->Button(U("Wymagany restart programu"))->IsEnabled());

  boxes.Clear();
  Click(Find(cards, "Alfa")->Button(U("Odinstaluj")));
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_TRUE(boxes.shown()[0].message.Contains(U("„Alfa”"))) << boxes.shown()[0].message;
  EXPECT_EQ(boxes.shown()[1].caption, U("Odinstalowanie modułu"));
  EXPECT_TRUE(IsModuleRemovalPending(PluginManager::GetModulesDirectory(), "alpha"));
  cards = Cards(panel);
  alpha = Find(cards, "Alfa");
  ASSERT_TRUE(alpha);
  EXPECT_TRUE(alpha->Says(U("● Odinstalowanie przygotowane • wymagany restart")));
  EXPECT_FALSE(alpha->Button(U("Odinstaluj")));
  EXPECT_TRUE(alpha->Button(U("Szczegóły")));
  test::SaveScreenshot(frame_, "store-after-staging");

  // The pending states come from the modules folder: a new tab shows them too.
  notebook_->DeletePage(0);
  auto* again = new ModuleStorePanel(notebook_, host_.get(), "0.25.9 Alpha");
  notebook_->AddPage(again, U("Sklep modułów"), true);
  again->RefreshCatalogue(true);
  cards = Cards(again);
  EXPECT_TRUE(Find(cards, "KPiR")->Says(U("● Instalacja przygotowana • wymagany restart")));
  EXPECT_TRUE(Find(cards, "Alfa")->Says(U("● Odinstalowanie przygotowane • wymagany restart")));
}

TEST_F(ModuleStorePanelTest, BlockedInstallsSayWhyAndStageNothing) {
  MessageBoxRecorder boxes;
  ModuleStorePanel* panel = Open();
  panel->RefreshCatalogue(true);
  const std::vector<StoreModuleEntry>& entries = panel->GetEntries();
  const auto index = [&entries](const char* code) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].code == code) return i;
    }
    return entries.size();
  };
  const struct {
    const char* code;
    const char* message;
    long icon;
  } cases[] = {
      {"nosha",
       "Administrator nie opublikował jeszcze sumy SHA-256 tej paczki. Instalacja jest zablokowana dla "
       "bezpieczeństwa.",
       wxICON_WARNING},
      {"badsha", "Suma SHA-256 paczki jest nieprawidłowa. Instalacja została przerwana.", wxICON_ERROR},
      {"future", "Ten moduł wymaga Veldrix 9.0 lub nowszej. Najpierw zaktualizuj program.", wxICON_WARNING},
  };
  for (const auto& c : cases) {
    boxes.Clear();
    panel->InstallModule(index(c.code));
    ASSERT_EQ(boxes.shown().size(), 1u) << c.code;
    EXPECT_EQ(boxes.shown()[0].message, U(c.message));
    EXPECT_TRUE(boxes.shown()[0].style & c.icon) << c.code;
    EXPECT_FALSE(IsModuleInstallPending(PluginManager::GetModulesDirectory(), c.code));
  }
  const std::size_t requests = server_.Requests().size();
  boxes.Clear();
  panel->InstallModule(index("nopkg"));
  panel->InstallModule(entries.size());
  panel->UninstallModule(index("kpir"));  // not installed
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(server_.Requests().size(), requests);
  EXPECT_TRUE(TemporaryEmpty());
}

// The catalogue names the details page: only a web page gets the button and is
// handed to the browser.
TEST_F(ModuleStorePanelTest, DetailsOpenOnlyWebPagesAndSayWhenNoBrowserStarts) {
  const std::vector<std::string> opened = {"https://sklep.example/alfa?v=1#opis", "http://127.0.0.1:8080/kpir"};
  const std::vector<std::string> refused = {"http://sklep.example/kpir", "file:///etc/passwd", "javascript:alert(1)",
                                            "/etc/passwd", "https://sklep.example/a b"};
  std::string modules;
  for (const std::vector<std::string>* list : {&opened, &refused}) {
    for (const std::string& url : *list) {
      const std::string code = "m" + std::to_string(modules.size());
      modules += std::string(modules.empty() ? "" : ",") + "{\"code\":\"" + code + "\",\"name\":\"" + code +
                 "\",\"details_url\":\"" + url + "\"}";
    }
  }
  catalogue_ = "{\"data\":{\"modules\":[" + modules + "]}}";
  std::vector<wxString> asked;
  bool starts = true;
  const BrowserStandIn browser([&](const wxString& url) {
    asked.push_back(url);
    return starts;
  });
  MessageBoxRecorder boxes;
  ModuleStorePanel* panel = Open();
  panel->RefreshCatalogue(true);
  const std::vector<Card> cards = Cards(panel);
  ASSERT_EQ(cards.size(), opened.size() + refused.size());
  std::size_t offered = 0;
  for (const Card& card : cards) {
    if (wxButton* details = card.Button(U("Szczegóły"))) {
      Click(details);
      ++offered;
    }
  }
  EXPECT_EQ(offered, opened.size());  // a refused address gets no button
  std::vector<wxString> expected;
  for (const std::string& url : opened) expected.push_back(U(url));
  EXPECT_EQ(asked, expected);
  EXPECT_TRUE(boxes.shown().empty());

  // No browser could be started: the user is told, in the program's own box.
  starts = false;
  Click(cards[0].Button(U("Szczegóły")));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U("Sklep modułów"));
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_ERROR);
  EXPECT_TRUE(boxes.shown()[0].message.Contains(U(opened[0]))) << boxes.shown()[0].message;
}

// Every text and button of a card shows whole, the disabled buttons too, from the
// main window's smallest size up: a card grows with a long description and long
// release notes, a long versions line and a link wider than the column wrap, and a
// name too long for its row gives way to the state beside it.
TEST_F(ModuleStorePanelTest, CardsShowTheirTextsAndButtonsWholeAtEveryWidth) {
  const std::string file = "\"files\":[{\"download_url\":\"" + server_.BaseUrl() + "/files/kpir.zip\",\"sha256\":\"" +
                           Sha256Hex(package_) + "\",\"min_app_version\":\"9.0.0\"}]";
  const std::string name = "Elektroniczny obieg dokumentów, magazyny wysokiego składowania i rozliczenia VAT";
  const std::string description =
      "Moduł prowadzi elektroniczny obieg dokumentów od zamówienia do księgowania: faktury zakupu i sprzedaży, "
      "noty, korekty i dokumenty magazynowe trafiają do jednej kolejki, w której każdy wpis ma swojego opiekuna, "
      "termin i historię zmian. Dokumenty można opisywać, dekretować i zatwierdzać w kilku krokach, z podpisem "
      "każdej osoby. Raporty pokazują zaległości i koszty według miejsc powstawania.";
  const std::string notes =
      "Nowy kreator deklaracji VAT-UE, szybsze wczytywanie dużych magazynów, poprawione zaokrąglenia w korektach "
      "faktur walutowych oraz dziennik zmian każdego dokumentu, który zapisuje, kto i kiedy zmienił jego opis, "
      "dekret lub stan zatwierdzenia.";
  // Long version texts, and a link wider than the text column in the description and the notes.
  const std::string link = "https://sklep.example/moduly/ksiega-przychodow-i-rozchodow/dokumentacja/"
                           "instrukcja-obslugi-wydanie-2026-12-10-z-przykladami-ksiegowan-i-deklaracji.pdf";
  // More long cards than the list shows at once.
  std::string modules =
      "{\"code\":\"future\",\"name\":\"Przyszłość\",\"latest_release\":{\"version\":\"1.0\"," + file + "}}"
      ",{\"code\":\"beta\",\"name\":\"Beta\",\"latest_release\":{\"version\":\"2.1.0-beta.3+build.20261210.abcd\","
      "\"files\":[{\"download_url\":\"" + server_.BaseUrl() + "/files/kpir.zip\",\"min_app_version\":\"0.26.0-rc.1\"}]}}"
      ",{\"code\":\"links\",\"name\":\"Linki\",\"description\":\"Instrukcja: " + link +
      "\",\"latest_release\":{\"version\":\"1.0\",\"notes\":\"" + link + "\"}}";
  for (const char* code : {"alpha", "kpir", "nopkg"}) {
    modules += std::string(",{\"code\":\"") + code + "\",\"name\":\"" + name + "\",\"description\":\"" +
               description + "\",\"details_url\":\"https://sklep.example/alfa\",\"latest_release\":{" +
               "\"version\":\"1.3.0\",\"notes\":\"" + notes + "\",\"files\":[{\"download_url\":\"" +
               server_.BaseUrl() + "/files/kpir.zip\"}]}}";
  }
  catalogue_ = "{\"data\":{\"modules\":[" + modules + "]}}";
  ModuleStorePanel* panel = Open();
  panel->RefreshCatalogue(true);
  for (const wxSize& size : {wxSize(1024, 768), wxSize(1200, 800), wxSize(1920, 1040)}) {
    frame_->SetSize(size);
    test::PumpEvents(50);
    const std::vector<Card> cards = Cards(panel);
    ASSERT_EQ(cards.size(), 6u);
    ASSERT_TRUE(cards[0].Button(U("Wymaga Veldrix 9.0.0 lub nowszej")));
    EXPECT_EQ(cards[0].window->GetSize().y, 104) << "the least a card is high";
    ASSERT_EQ(cards[3].buttons.size(), 3u);
    for (const Card& card : cards) {
      EXPECT_EQ(test::LayoutFaults(card.window).utf8_string(), "") << size.x;
      for (wxButton* button : card.buttons) {
        EXPECT_TRUE(wxRect(card.window->GetClientSize()).Contains(button->GetRect())) << button->GetLabel();
      }
    }
    // A name shows whole where it has room, and always in its tool tip.
    wxStaticText* shortName = cards[0].Text(U("Przyszłość"));
    wxStaticText* longName = cards[3].Text(U(name));
    ASSERT_TRUE(shortName && longName);
    EXPECT_EQ(longName->GetToolTipText(), U(name));
    const auto whole = [](wxStaticText* label) {
      label->InvalidateBestSize();
      return label->GetSize().x >= label->GetBestSize().x;
    };
    EXPECT_TRUE(whole(shortName)) << size.x;
    EXPECT_EQ(whole(longName), size.x > 1200);
    wxScrolledWindow* list = panel->GetCardList();
    const wxRect last = cards.back().window->GetRect();
    EXPECT_LE(list->CalcUnscrolledPosition(last.GetBottomLeft()).y, list->GetVirtualSize().y) << size.x;
    test::SaveScreenshot(frame_, wxString::Format("store-card-texts-%d", size.x));
  }
}

// Some systems send Polish letters decomposed, a letter followed by its combining
// accent: the description still breaks between words only, and each line takes as
// many words as the text column holds.
TEST_F(ModuleStorePanelTest, DecomposedLettersWrapLikeTheComposedOnes) {
  wxString description = U("Moduł prowadzi podatkową księgę przychodów i rozchodów, zestawienia miesięczne, "
                           "spis z natury oraz ewidencję wyposażenia; każdą zmianę wpisu ślad w dzienniku "
                           "zachowuje z datą, godziną i nazwiskiem osoby, która ją wprowadziła.");
  for (const auto& [composed, decomposed] : {std::pair<const char*, const char*>{"ą", "a\u0328"}, {"ę", "e\u0328"},
                                             {"ó", "o\u0301"}, {"ś", "s\u0301"}, {"ć", "c\u0301"},
                                             {"ń", "n\u0301"}, {"ż", "z\u0307"}}) {
    description.Replace(U(composed), U(decomposed));
  }
  catalogue_ = "{\"data\":{\"modules\":[{\"code\":\"kpir\",\"name\":\"KPiR\",\"description\":\"" +
               std::string(description.utf8_str()) + "\",\"latest_release\":{\"version\":\"1.0\"}}]}}";
  ModuleStorePanel* panel = Open();
  panel->RefreshCatalogue(true);
  const std::vector<Card> cards = Cards(panel);
  ASSERT_EQ(cards.size(), 1u);
  wxStaticText* shown = nullptr;
  for (wxWindow* child : cards[0].window->GetChildren()) {
    auto* label = dynamic_cast<wxStaticText*>(child);
    if (label && label->GetLabelText().Contains("\n")) shown = label;
  }
  ASSERT_NE(shown, nullptr);
  const wxArrayString lines = wxSplit(shown->GetLabelText(), '\n', '\0');
  EXPECT_EQ(wxJoin(lines, ' ', '\0'), description);
  constexpr int kColumn = 520;  // the text column of a card
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(shown->GetTextExtent(lines[i]).x, kColumn) << lines[i];
    const wxUniChar first = lines[i][0];
    EXPECT_FALSE(first >= 0x300 && first <= 0x36F) << "a line begins with a lone accent: " << lines[i];
    // Filled: the next word would not have fitted.
    if (i + 1 < lines.size()) {
      const wxString longer = lines[i] + " " + lines[i + 1].BeforeFirst(' ');
      EXPECT_GT(shown->GetTextExtent(longer).x, kColumn) << lines[i];
    }
  }
  test::SaveScreenshot(frame_, "store-card-decomposed");
}

TEST_F(ModuleStorePanelTest, UnreachableStoreIsReportedAndListsNothing) {
  MessageBoxRecorder boxes;
  {
    HttpTestServer gone;
    config_->Write("/store/api_base_url", wxString::FromUTF8(gone.BaseUrl() + "/api/v1"));
  }
  ModuleStorePanel* panel = Open();
  panel->RefreshCatalogue(true);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U("Sklep modułów"));
  EXPECT_EQ(panel->GetStatusText()->GetLabel(), U("Nie udało się pobrać katalogu: ") + boxes.shown()[0].message);
  EXPECT_TRUE(panel->GetCardList()->GetChildren().empty());
  EXPECT_TRUE(panel->GetEntries().empty());
  test::SaveScreenshot(frame_, "store-unreachable");
}

// Presses "Anuluj" in the first progress dialog once it is painted. The dialog
// lets through only native events while the request holds the GUI thread, so the
// press is made from a filter of those, as a click would arrive.
class CancelProgressDialog : public wxEventFilter {
 public:
  CancelProgressDialog() { wxEvtHandler::AddFilter(this); }
  ~CancelProgressDialog() override { wxEvtHandler::RemoveFilter(this); }
  bool pressed() const { return pressed_; }

  int FilterEvent(wxEvent& event) override {
    auto* dialog = dynamic_cast<wxGenericProgressDialog*>(event.GetEventObject());
    if (pressed_ || !dialog || event.GetEventType() != wxEVT_PAINT) return Event_Skip;
    wxWindow* cancel = dialog->FindWindow(wxID_CANCEL);
    if (!cancel) return Event_Skip;
    pressed_ = true;
    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
    click.SetEventObject(cancel);
    cancel->GetEventHandler()->ProcessEvent(click);
    return Event_Skip;
  }

 private:
  bool pressed_ = false;
};

TEST_F(ModuleStorePanelTest, AStoreThatDoesNotAnswerCanBeCancelledWhileItIsAwaited) {
  MessageBoxRecorder boxes;
  ModuleStorePanel* panel = Open();
  server_.SetMode(HttpTestServer::Mode::Silent);
  CancelProgressDialog user;
  panel->RefreshCatalogue(true);
  EXPECT_TRUE(user.pressed());
  EXPECT_TRUE(boxes.shown().empty()) << "the user who cancelled needs no message";
  EXPECT_TRUE(panel->GetEntries().empty());
  EXPECT_EQ(server_.Requests().size(), 1u);
  test::SaveScreenshot(frame_, "store-catalogue-cancelled");
}

}  // namespace
}  // namespace veldrix
