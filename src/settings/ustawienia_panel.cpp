#include "settings/ustawienia_panel.h"

#include "app/common/config_access.h"
#include "app/common/delayed_loading_bar.h"
#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/lazy_loadable_panel.h"
#include "app/common/message_box.h"
#include "app/common/unsaved_changes.h"
#include "settings/database_pages.h"
#include "settings/lazy_settings_page.h"
#include "settings/settings_application.h"
#include "settings/settings_page_factories.h"

#include <wx/artprov.h>
#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/config.h>
#include <wx/imaglist.h>
#include <wx/sizer.h>
#include <wx/treebook.h>
#include <wx/treectrl.h>

#include <vector>

namespace {

// The tree's own images, by index.
enum TreeImage {
  kImageFolder = 0,
  kImageHarddisk,
  kImageNormalFile,
  kImageFileSave,
  kImageReportView,
  kImageListView,
  kImageVariants,
  kImagePlus,
};

const char* const kTreeArt[] = {"wxART_FOLDER",      "wxART_HARDDISK",  "wxART_NORMAL_FILE", "wxART_FILE_SAVE",
                                "wxART_REPORT_VIEW", "wxART_LIST_VIEW", "wxART_REPORT_VIEW", "wxART_PLUS"};

using PageBuilder = wxWindow* (*)(wxWindow*, ISettingsApplication*);

veldrix::SettingsPageFactory Factory(PageBuilder build, ISettingsApplication* app) {
  return [build, app](wxWindow* parent) { return build(parent, app); };
}

}  // namespace

UstawieniaPanel::UstawieniaPanel(wxWindow* parent, ISettingsApplication* app)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL), app_(app) {
  SetLabel(_("Ustawienia"));
  loadingBar_ = new veldrix::DelayedLoadingBar(this);

  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* toolbarRow = new wxBoxSizer(wxHORIZONTAL);
  auto* toolbarBox = new wxBoxSizer(wxHORIZONTAL);
  toolbarRow->Add(toolbarBox, 1, wxALIGN_CENTER_VERTICAL);
  sizer->Add(toolbarRow, 0, wxEXPAND);
  auto* treeRow = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(treeRow, 1, wxEXPAND | wxALL, 5);

  tree_ = new wxTreebook(this, wxID_ANY);
  treeRow->Add(tree_, 1, wxEXPAND | wxALL, 5);
  BuildTree();
  BuildToolbar(toolbarBox);
  SetSizer(sizer);
  Layout();

  tree_->Bind(wxEVT_TREEBOOK_PAGE_CHANGED, &UstawieniaPanel::OnPageChanged, this);
  CallAfter(&UstawieniaPanel::ScheduleCurrentPageLoad);
}

UstawieniaPanel::~UstawieniaPanel() {
  if (loadingBar_) loadingBar_->Stop();
}

void UstawieniaPanel::BuildTree() {
  programPage_ = new DatabaseInfoPage(
      tree_, _("Baza programu"), _("Źródło danych aplikacji"),
      _("Wspólne okno konfiguracji pozwala testować połączenie, zarządzać profilami oraz — po autoryzacji "
        "administratora — tworzyć i aktualizować bazę programu."),
      {_("Skonfiguruj połączenie...")});
  reportPage_ = new DatabaseInfoPage(tree_, _("Baza raportow"), _("Źródło danych do wydruków"),
                                     _("Raporty i wydruki korzystają z aktualnie wybranej bazy programu."),
                                     {_("Konfiguruj bazę programu..."), _("Użyj bieżącej bazy programu")});

  wxWindow* program = CreateSettingsCategoryPage(tree_, _("Program"));
  wxWindow* invoices = CreateSettingsCategoryPage(tree_, _("Faktury"));
  wxWindow* articles = CreateSettingsCategoryPage(tree_, _("Artykuły"));
  wxWindow* contractors = CreateSettingsCategoryPage(tree_, _("Kontrahenci"));
  const auto lazy = [&](const char* title, PageBuilder build) {
    return new LazySettingsPagePanel(tree_, _(title), Factory(build, app_));
  };
  wxWindow* numbering = lazy("Numeracja", &CreateInvoiceNumberingPage);
  wxWindow* invoiceDictionaries = lazy("Słowniki", &CreateInvoiceDictionariesPage);
  wxWindow* invoiceFields = lazy("Pola dodatkowe", &CreateInvoiceCustomFieldsPage);
  wxWindow* articleDictionaries = lazy("Słowniki", &CreateArticleDictionariesPage);
  wxWindow* variants = lazy("Warianty", &CreateArticleVariantsPage);
  wxWindow* articleFields = lazy("Pola dodatkowe", &CreateArticleCustomFieldsPage);
  wxWindow* contractorDictionaries = lazy("Słowniki", &CreateContractorDictionariesPage);
  wxWindow* contractorFields = lazy("Pola dodatkowe", &CreateContractorCustomFieldsPage);
  ledgerPage_ = lazy("Słowniki", &CreateLedgerDictionariesPage);

  auto* images = new wxImageList(16, 16, true);
  for (const char* art : kTreeArt) {
    images->Add(wxArtProvider::GetBitmap(wxART_MAKE_ART_ID_FROM_STR(wxString(art)), wxART_OTHER, wxSize(16, 16)));
  }
  tree_->AssignImageList(images);

  // Each own page's index is the page count just before it goes in, so the pages
  // the main window and the module host insert do not shift it.
  std::vector<std::pair<int, int>> pageImages;
  const auto top = [&](wxWindow* page, const wxString& title, int image) {
    const int index = static_cast<int>(tree_->GetPageCount());
    tree_->AddPage(page, title, false);
    pageImages.emplace_back(index, image);
    return index;
  };
  const auto sub = [&](wxWindow* page, const wxString& title, int image) {
    pageImages.emplace_back(static_cast<int>(tree_->GetPageCount()), image);
    tree_->AddSubPage(page, title, false);
  };
  std::vector<int> expanded;
  expanded.push_back(top(program, _("Program"), kImageFolder));
  sub(programPage_, _("Baza programu"), kImageHarddisk);
  if (app_) app_->AddSettingsPages(tree_, ledgerPage_, kImageListView);
  expanded.push_back(top(invoices, _("Faktury"), kImageNormalFile));
  sub(numbering, _("Numeracja"), kImageFileSave);
  sub(reportPage_, _("Raporty"), kImageReportView);
  sub(invoiceDictionaries, _("Słowniki"), kImageListView);
  sub(invoiceFields, _("Pola dodatkowe"), kImagePlus);
  expanded.push_back(top(articles, _("Artykuły"), kImageNormalFile));
  sub(articleDictionaries, _("Słowniki"), kImageListView);
  sub(variants, _("Warianty"), kImageVariants);
  sub(articleFields, _("Pola dodatkowe"), kImagePlus);
  expanded.push_back(top(contractors, _("Kontrahenci"), kImageNormalFile));
  sub(contractorDictionaries, _("Słowniki"), kImageListView);
  sub(contractorFields, _("Pola dodatkowe"), kImagePlus);

  for (const auto& [index, image] : pageImages) tree_->SetPageImage(static_cast<size_t>(index), image);
  for (int index : expanded) tree_->ExpandNode(static_cast<size_t>(index));
  HideUnplacedPages();

  programPage_->GetButton(0)->Bind(wxEVT_BUTTON, &UstawieniaPanel::OnConfigureConnection, this);
  reportPage_->GetButton(0)->Bind(wxEVT_BUTTON, &UstawieniaPanel::OnConfigureReportDatabase, this);
  reportPage_->GetButton(1)->Bind(wxEVT_BUTTON, &UstawieniaPanel::OnUseProgramDatabaseForReports, this);
}

void UstawieniaPanel::HideUnplacedPages() {
  // A page created on the tree but never inserted (the ledger dictionaries without
  // the ledger module, a module page the host gave up on) would otherwise be drawn
  // over the tree at its top-left corner.
  for (wxWindow* child : tree_->GetChildren()) {
    if (child != tree_->GetTreeCtrl() && tree_->FindPage(child) == wxNOT_FOUND) child->Hide();
  }
}

void UstawieniaPanel::BuildToolbar(wxSizer* row) {
  const wxSize toolSize(36, 36);
  toolbar_ = new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxSize(900, 50), wxAUI_TB_HORZ_LAYOUT);
  toolbar_->SetToolBitmapSize(toolSize);
  toolbar_->AddStretchSpacer();
  closeToolId_ = wxWindow::NewControlId();
  toolbar_->AddTool(closeToolId_, _("Zamknij"), veldrix::LoadToolbarBitmap("zamknij.png", wxART_CLOSE, toolSize),
                    wxNullBitmap, wxITEM_NORMAL, wxString(), wxString(), nullptr);
  toolbar_->Realize();
  row->Add(toolbar_, 1, wxEXPAND);
  toolbar_->Bind(wxEVT_TOOL, &UstawieniaPanel::OnClose, this, closeToolId_);
}

void UstawieniaPanel::OnPageChanged(wxBookCtrlEvent& event) {
  event.Skip();
  CallAfter(&UstawieniaPanel::ScheduleCurrentPageLoad);
}

void UstawieniaPanel::ScheduleCurrentPageLoad() {
  if (loadPending_) return;
  const int selection = tree_->GetSelection();
  if (selection == wxNOT_FOUND) return;
  wxWindow* page = tree_->GetPage(static_cast<size_t>(selection));
  if (!page) return;
  auto* lazy = dynamic_cast<veldrix::ILazyLoadablePanel*>(page);
  const bool needed = (page == programPage_ && !programPageLoaded_) || (page == reportPage_ && !reportPageLoaded_) ||
                      (lazy && !lazy->IsLoaded());
  if (!needed) return;
  loadPending_ = true;
  ShowLoadingBar();
  CallAfter([this, page] {
    // The module host may have destroyed one of its pages meanwhile.
    if (tree_->FindPage(page) != wxNOT_FOUND) LoadPage(page);
    loadingBar_->Stop();
    loadPending_ = false;
    ScheduleCurrentPageLoad();
  });
}

void UstawieniaPanel::ShowLoadingBar() {
  if (!loadingBar_) return;
  // The page is built on this thread right after: the bar must be painted first.
  loadingBar_->StartAndShowNow();
  Update();
}

void UstawieniaPanel::LoadPage(wxWindow* page) {
  if (!page) return;
  if (page == programPage_) {
    if (!programPageLoaded_) {
      const wxString fallback = app_ ? app_->DefaultSqliteConnection() : wxString();
      programPage_->ShowConnection(DescribeConnectionString(ActiveConnection(), fallback), true);
      programPageLoaded_ = true;
    }
    return;
  }
  if (page == reportPage_) {
    if (!reportPageLoaded_) {
      RefreshReportDatabaseLabels();
      reportPageLoaded_ = true;
    }
    return;
  }
  if (auto* lazy = dynamic_cast<veldrix::ILazyLoadablePanel*>(page)) lazy->EnsureLoaded();
}

namespace {

// The pages under `window` that can hold unsaved changes, wherever the tree has put them.
void CollectPages(wxWindow* window, std::vector<veldrix::IUnsavedChangesPage*>* pages) {
  if (auto* page = dynamic_cast<veldrix::IUnsavedChangesPage*>(window)) pages->push_back(page);
  for (wxWindow* child : window->GetChildren()) CollectPages(child, pages);
}

}  // namespace

bool UstawieniaPanel::ConfirmClose(const wxString& caption) {
  std::vector<veldrix::IUnsavedChangesPage*> pages;
  CollectPages(tree_, &pages);
  return veldrix::SettleUnsavedChanges(pages, nullptr, {}, caption);
}

void UstawieniaPanel::OnClose(wxCommandEvent&) {
  if (app_) app_->RequestTabClose();
}

wxString UstawieniaPanel::ActiveConnection() const { return app_ ? app_->GetActiveConnection() : wxString(); }

void UstawieniaPanel::RefreshReportDatabaseLabels() {
  // Reports always use the active program connection.
  const wxString active = ActiveConnection();
  reportPage_->ShowConnection(DescribeConnectionString(active, active), false);
}

void UstawieniaPanel::ConfigureConnection() {
  if (!app_ || !app_->ShowDatabaseConfigDialog()) return;
  programPage_->ShowConnection(ActiveConnection(), true);
  veldrix::ShowMessageBox(_("Nowa konfiguracja bazy zostanie użyta przy następnym logowaniu lub uruchomieniu programu."),
                          _("Baza programu"), wxOK | wxICON_INFORMATION, this);
}

void UstawieniaPanel::OnConfigureConnection(wxCommandEvent&) { ConfigureConnection(); }

void UstawieniaPanel::OnConfigureReportDatabase(wxCommandEvent&) {
  ConfigureConnection();
  RefreshReportDatabaseLabels();
}

void UstawieniaPanel::OnUseProgramDatabaseForReports(wxCommandEvent&) {
  wxString error;
  bool stored = true;
  {
    // Only the installed configuration: none is created here when there is none,
    // and without one no report database is stored either.
    veldrix::ConfigAccess config;
    if (config) {
      const wxString previous = config->GetPath();
      config->SetPath("/Reports");
      config->DeleteEntry("ConnectionString", false);
      config->SetPath(previous);
      stored = veldrix::FlushConfig(config.get(), &error);
    }
  }
  if (!stored) veldrix::ShowMessageBox(error, _("Baza raportów"), wxOK | wxICON_ERROR, this);
  RefreshReportDatabaseLabels();
}
