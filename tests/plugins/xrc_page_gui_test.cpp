// The XRC module page through the real module host: a test module whose layout
// binds every kind the page knows, its grid of 1,000 invoices sorted, filtered and
// rearranged, its context actions and its document preview.
#include "module_host_fixture.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "modal_script.h"
#include "plugins/grid_column_filter_dialog.h"
#include "plugins/plugin_xrc_page_panel.h"
#include "plugins/preview_dialog.h"

#include <wx/aui/auibar.h>
#include <wx/checklst.h>
#include <wx/choicdlg.h>
#include <wx/colordlg.h>
#include <wx/display.h>
#include <wx/dynlib.h>
#include <wx/gauge.h>
#include <wx/grid.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/notebook.h>
#include <wx/rearrangectrl.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/stc/stc.h>

#include <dlfcn.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace veldrix {
namespace {

using test::ModalScript;

constexpr int kInvoices = 1000;
// Generous, since a loaded machine may be slow to show a dialog; met conditions return at once.
constexpr int kPatience = 20000;

// What the test module computes for invoice i (its key is "FV/<i + 1>/2024").
long InvoiceCents(int i) { return (i * 7919L) % 250000L + 1; }
long InvoiceDay(int i) { return (2023 + i % 2) * 10000L + (1 + (i * 7) % 12) * 100L + 1 + (i * 13) % 28; }
int InvoiceIndex(const wxString& key) {
  long number = 0;
  key.Mid(3, 4).ToLong(&number);
  return static_cast<int>(number) - 1;
}

// A log target that keeps warnings, with logging switched on for its life.
class LogCapture : public wxLog {
 public:
  LogCapture() : previous_(wxLog::SetActiveTarget(this)), wasEnabled_(wxLog::EnableLogging(true)) {}
  ~LogCapture() override {
    wxLog::SetActiveTarget(previous_);
    wxLog::EnableLogging(wasEnabled_);
  }
  std::vector<wxString> warnings;

 protected:
  void DoLogTextAtLevel(wxLogLevel level, const wxString& text) override {
    if (level == wxLOG_Warning) warnings.push_back(text);
  }

 private:
  wxLog* previous_;
  bool wasEnabled_;
};

class XrcPageTest : public test::ModuleHostTest {
 protected:
  void InstallPageModule(const wxString& name = "mod_ksef_test") {
    const wxString folder = JoinPath(PluginManager::GetModulesDirectory(), "ksef_test");
    ASSERT_TRUE(EnsureFolder(JoinPath(folder, "ui")));
    library_ = JoinPath(folder, name + ".so");
    ASSERT_TRUE(wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, name + ".so"), library_));
    ASSERT_TRUE(
        wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, "strona.xrc"), JoinPath(JoinPath(folder, "ui"), "strona.xrc")));
  }

  // The invoice grid of a page; fails the test when the page has none.
  wxGrid* Invoices(PluginXrcPagePanel* page) {
    auto* grid = page ? Named<wxGrid>(page, "lstKsefInvoices") : nullptr;
    EXPECT_NE(grid, nullptr);
    return grid;
  }

  PluginXrcPagePanel* OpenPage() {
    PluginManager& host = manager_ ? *manager_ : Load();
    host.OpenModulePage(Index("ksef_test"), false);
    auto* page = dynamic_cast<PluginXrcPagePanel*>(window_->notebook->GetCurrentPage());
    EXPECT_NE(page, nullptr);
    test::PumpEvents(50);
    return page;
  }

  template <typename T>
  T* Named(wxWindow* page, const wxString& name) {
    return dynamic_cast<T*>(wxWindow::FindWindowByName(name, page));
  }

  // The actions the module received since the last call.
  std::vector<wxString> Received() {
    wxDynamicLibrary module(library_);
    auto count = reinterpret_cast<unsigned (*)()>(module.GetSymbol("XrcTestActionCount"));
    auto action = reinterpret_cast<const wchar_t* (*)(unsigned)>(module.GetSymbol("XrcTestAction"));
    auto reset = reinterpret_cast<void (*)()>(module.GetSymbol("XrcTestReset"));
    std::vector<wxString> actions;
    for (unsigned i = 0; i < count(); ++i) actions.emplace_back(action(i));
    reset();
    return actions;
  }

  static std::vector<wxString> Labels(wxGrid* grid) {
    std::vector<wxString> labels;
    for (int col = 0; col < grid->GetNumberCols(); ++col) labels.push_back(grid->GetColLabelValue(col));
    return labels;
  }

  static int Column(wxGrid* grid, const wxString& label) {
    for (int col = 0; col < grid->GetNumberCols(); ++col) {
      if (grid->GetColLabelValue(col) == label) return col;
    }
    ADD_FAILURE() << "no column " << label;
    return -1;
  }

  static void Post(wxGrid* grid, wxEventType type, int row, int col) {
    wxGridEvent event(grid->GetId(), type, grid, row, col);
    grid->ProcessWindowEvent(event);
  }

  static std::vector<int> ShownInvoices(PluginXrcPagePanel* page, wxGrid* grid) {
    std::vector<int> shown;
    for (int row = 0; row < grid->GetNumberRows(); ++row)
      shown.push_back(InvoiceIndex(page->GetGridView(grid)->RowKey(row)));
    return shown;
  }

  // Runs the menu entry with this label as choosing it would.
  static bool Choose(wxMenu& menu, const wxString& label) {
    for (wxMenuItem* item : menu.GetMenuItems()) {
      if (item->IsSeparator() || item->GetItemLabelText() != label) continue;
      if (!item->IsEnabled()) return false;
      wxCommandEvent event(wxEVT_MENU, item->GetId());
      event.SetEventObject(&menu);
      menu.ProcessEvent(event);
      return true;
    }
    ADD_FAILURE() << "no entry " << label;
    return false;
  }

  // Runs the entry and returns the text the preview dialog it opens showed.
  static wxString PreviewOf(wxMenu& menu, const wxString& label, const wxString& screenshot = wxString()) {
    ModalScript script;
    wxString shown;
    script.Then(kPreviewDialogName, [&](wxDialog* dialog) {
      for (wxWindow* child : dialog->GetChildren()) {
        if (auto* view = dynamic_cast<wxStyledTextCtrl*>(child)) shown = view->GetText();
      }
      if (!screenshot.empty()) test::SaveScreenshot(dialog, screenshot);
      ModalScript::Click(dialog, wxID_OK);
    });
    if (!Choose(menu, label)) return shown;
    EXPECT_TRUE(test::WaitFor([&] { return script.Done(); }, kPatience));
    EXPECT_EQ(script.Unexpected(), 0);
    return shown;
  }

  static std::vector<wxString> Entries(const wxMenu& menu) {
    std::vector<wxString> entries;
    for (wxMenuItem* item : menu.GetMenuItems())
      entries.push_back(item->IsSeparator() ? "-" : item->GetItemLabelText());
    return entries;
  }

  static void RunTool(wxWindow* holder, const wxString& help) {
    for (wxWindow* child : holder->GetChildren()) {
      auto* toolbar = dynamic_cast<wxAuiToolBar*>(child);
      if (!toolbar) continue;
      for (size_t i = 0; i < toolbar->GetToolCount(); ++i) {
        wxAuiToolBarItem* tool = toolbar->FindToolByIndex(static_cast<int>(i));
        if (tool->GetShortHelp() != help) continue;
        wxCommandEvent event(wxEVT_MENU, tool->GetId());
        event.SetEventObject(toolbar);
        toolbar->ProcessWindowEvent(event);
        return;
      }
    }
    ADD_FAILURE() << "no tool " << help;
  }

  wxString library_;
};

TEST_F(XrcPageTest, PageShowsItsToolbarsValuesAndEveryRow) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->GetXrcPanel(), nullptr);
  EXPECT_EQ(window_->notebook->GetPageText(window_->notebook->GetSelection()), "Faktury KSeF");
  EXPECT_EQ(wxFileName(page->GetModuleFolder()).GetFullName(), "ksef_test");  // not its "ui" subfolder

  auto tools = [&](const char* panel) {
    std::vector<std::pair<wxString, wxString>> found;
    for (wxWindow* child : Named<wxWindow>(page, panel)->GetChildren()) {
      if (auto* toolbar = dynamic_cast<wxAuiToolBar*>(child)) {
        for (size_t i = 0; i < toolbar->GetToolCount(); ++i) {
          wxAuiToolBarItem* tool = toolbar->FindToolByIndex(static_cast<int>(i));
          found.emplace_back(tool->GetLabel(), tool->GetShortHelp());
        }
      }
    }
    return found;
  };
  const auto left = tools("pnlPluginToolbarLeft");
  ASSERT_EQ(left.size(), 5u);
  EXPECT_EQ(left[0], std::make_pair(wxString(), _("Odśwież")));  // an icon with its help only
  EXPECT_EQ(left[1].first, wxString::FromUTF8("Do wysłania"));
  EXPECT_EQ(left[3].first, "async:slow");  // the fixed words match whole actions only
  ASSERT_EQ(tools("pnlPluginToolbarRight").size(), 1u);

  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->GetNumberRows(), kInvoices);  // more than the module's first buffer holds
  EXPECT_EQ(Labels(grid), (std::vector<wxString>{"", "Numer", "Kontrahent", "Kwota", "Data"}));
  EXPECT_EQ(grid->GetCellValue(999, 1), "FV/1000/2024");

  EXPECT_EQ(Named<wxStaticText>(page, "lblLiczba")->GetLabel(), "Faktur: 1000");
  // The layout gives its search box no hint: the placeholder is Polish all the same.
  EXPECT_EQ(Named<wxSearchCtrl>(page, "txtSzukaj")->GetDescriptiveText(), "Szukaj");
  EXPECT_FALSE(Named<wxWindow>(page, "pnlSzczegoly")->IsShown());  // "2" is no truth value
  EXPECT_TRUE(Named<wxWindow>(page, "btnPolicz")->IsEnabled());
  auto* contractors = Named<wxListCtrl>(page, "lstKontrahenci");
  ASSERT_EQ(contractors->GetItemCount(), 5);
  EXPECT_EQ(contractors->GetColumnCount(), 2);  // the host's "Nazwa" and "Wartość"
  EXPECT_EQ(contractors->GetItemText(4), wxString::FromUTF8("<b>Wiśniewska</b>"));
  test::SaveScreenshot(window_, "plugins_xrc_page");
}

TEST_F(XrcPageTest, HeaderClicksSortAmountsAndDatesByValue) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);

  Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, Column(grid, "Kwota"));
  std::vector<int> shown = ShownInvoices(page, grid);
  ASSERT_EQ(shown.size(), static_cast<size_t>(kInvoices));
  EXPECT_TRUE(
      std::is_sorted(shown.begin(), shown.end(), [](int a, int b) { return InvoiceCents(a) < InvoiceCents(b); }));
  EXPECT_TRUE(page->GetGridView(grid)->IsSortedColumn(Column(grid, "Kwota")));

  Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, Column(grid, "Kwota"));
  shown = ShownInvoices(page, grid);
  EXPECT_TRUE(
      std::is_sorted(shown.begin(), shown.end(), [](int a, int b) { return InvoiceCents(a) > InvoiceCents(b); }));

  Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, Column(grid, "Data"));
  shown = ShownInvoices(page, grid);
  // Chronological, and invoices of one day keep the module's order.
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(), [](int a, int b) {
    return InvoiceDay(a) != InvoiceDay(b) ? InvoiceDay(a) < InvoiceDay(b) : a < b;
  }));
  // The check column sorts nothing.
  Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, 0);
  EXPECT_EQ(ShownInvoices(page, grid), shown);
  test::SaveScreenshot(window_, "plugins_xrc_page_sorted");
}

TEST_F(XrcPageTest, ColumnFiltersNarrowTheGridByTextAndByValues) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  const int contractor = Column(grid, "Kontrahent");

  ModalScript script;
  script.Then("GridColumnFilterDialog", [](wxDialog* dialog) {
    auto* filter = static_cast<GridColumnFilterDialog*>(dialog);
    EXPECT_EQ(dialog->GetTitle(), wxString::Format(_("Filtr: %s"), "Kontrahent"));
    EXPECT_EQ(filter->GetValueList()->GetCount(), 5u);  // the column's distinct values
    filter->GetTextControl()->ChangeValue("kowal");
    test::SaveScreenshot(dialog, "plugins_xrc_page_filter");
    ModalScript::Click(dialog, wxID_OK);
  });
  Post(grid, wxEVT_GRID_LABEL_RIGHT_CLICK, -1, contractor);
  ASSERT_TRUE(test::WaitFor([&] { return script.Done(); }, kPatience));
  test::PumpEvents(50);
  // "Kowalski Sp. z o.o." and "ZAKŁAD KOWALCZYK": letter case ignored.
  EXPECT_EQ(grid->GetNumberRows(), 400);
  for (int i : ShownInvoices(page, grid)) EXPECT_TRUE(i % 5 == 0 || i % 5 == 3) << i;

  // The values page offers what the grid shows now; the result replaces the text.
  script.Then("GridColumnFilterDialog", [](wxDialog* dialog) {
    auto* filter = static_cast<GridColumnFilterDialog*>(dialog);
    wxCheckListBox* list = filter->GetValueList();
    EXPECT_EQ(list->GetCount(), 2u);
    list->Check(static_cast<unsigned>(list->FindString(wxString::FromUTF8("ZAKŁAD KOWALCZYK"), true)));
    filter->GetTextControl()->ChangeValue("");
    ModalScript::Click(dialog, wxID_OK);
  });
  Post(grid, wxEVT_GRID_LABEL_RIGHT_CLICK, -1, contractor);
  ASSERT_TRUE(test::WaitFor([&] { return script.Done(); }, kPatience));
  test::PumpEvents(50);
  EXPECT_EQ(grid->GetNumberRows(), 200);
  EXPECT_EQ(page->GetGridView(grid)->Filters().size(), 1u);
  test::SaveScreenshot(window_, "plugins_xrc_page_filtered");

  // Sorting keeps the filter; clearing the filters shows every row again.
  Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, Column(grid, "Kwota"));
  EXPECT_EQ(grid->GetNumberRows(), 200);
  std::unique_ptr<wxMenu> menu = page->MakeGridContextMenu(grid, -1);
  ASSERT_TRUE(Choose(*menu, _("Wyczyść filtry")));
  test::PumpEvents(50);
  EXPECT_EQ(grid->GetNumberRows(), kInvoices);
  EXPECT_TRUE(page->GetGridView(grid)->Filters().empty());
  EXPECT_EQ(script.Unexpected(), 0);
}

TEST_F(XrcPageTest, ColumnsRearrangedAndHiddenStayAfterARestart) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);

  ModalScript script;
  script.Then(kColumnsDialogName, [](wxDialog* dialog) {
    auto* list = static_cast<wxRearrangeDialog*>(dialog)->GetList();
    list->Check(0, false);  // "Numer"
    list->SetSelection(3);  // "Data" to the front
    for (int i = 0; i < 3; ++i) list->MoveCurrentUp();
    test::SaveScreenshot(dialog, "plugins_xrc_page_columns");
    ModalScript::Click(dialog, wxID_OK);
  });
  std::unique_ptr<wxMenu> menu = page->MakeGridContextMenu(grid, 0);
  ASSERT_TRUE(Choose(*menu, _("Konfiguracja kolumn")));
  ASSERT_TRUE(test::WaitFor([&] { return script.Done(); }, kPatience));
  test::PumpEvents(50);
  EXPECT_EQ(Labels(grid), (std::vector<wxString>{"", "Data", "Kontrahent", "Kwota"}));

  Restart();
  page = OpenPage();
  grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(Labels(grid), (std::vector<wxString>{"", "Data", "Kontrahent", "Kwota"}));
  EXPECT_EQ(grid->GetCellValue(0, 1), "01.01.2023");

  // Hiding every column keeps the first definition on the screen.
  script.Then(kColumnsDialogName, [](wxDialog* dialog) {
    auto* list = static_cast<wxRearrangeDialog*>(dialog)->GetList();
    for (unsigned i = 0; i < list->GetCount(); ++i) list->Check(i, false);
    ModalScript::Click(dialog, wxID_OK);
  });
  menu = page->MakeGridContextMenu(grid, 0);
  ASSERT_TRUE(Choose(*menu, _("Konfiguracja kolumn")));
  ASSERT_TRUE(test::WaitFor([&] { return script.Done(); }, kPatience));
  test::PumpEvents(50);
  EXPECT_EQ(Labels(grid), (std::vector<wxString>{"", "Numer"}));
}

// Picks a colour in the GTK colour selection the colour dialog shows and presses its "Select",
// as the user would.
void PickColour(wxDialog* picker, const wxColour& colour) {
  struct Rgba {
    double red, green, blue, alpha;
  };
  using Selection = void* (*)(void*);
  using SetRgba = void (*)(void*, const Rgba*);
  using Respond = void (*)(void*, int);
  auto selection = reinterpret_cast<Selection>(dlsym(RTLD_DEFAULT, "gtk_color_selection_dialog_get_color_selection"));
  auto set = reinterpret_cast<SetRgba>(dlsym(RTLD_DEFAULT, "gtk_color_selection_set_current_rgba"));
  auto respond = reinterpret_cast<Respond>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
  ASSERT_TRUE(selection && set && respond);
  const Rgba rgba{colour.Red() / 255.0, colour.Green() / 255.0, colour.Blue() / 255.0, 1.0};
  set(selection(picker->GetHandle()), &rgba);
  constexpr int kGtkResponseOk = -5;
  respond(picker->GetHandle(), kGtkResponseOk);
}

class ColourPickerHook : public wxModalDialogHook {
 public:
  ColourPickerHook() { Register(); }
  ~ColourPickerHook() override { Unregister(); }
  wxDialog* picker = nullptr;

 protected:
  int Enter(wxDialog* dialog) override {
    if (dynamic_cast<wxColourDialog*>(dialog)) picker = dialog;
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override {
    if (dialog == picker) picker = nullptr;
  }
};

TEST_F(XrcPageTest, ColoursAreChosenAppliedAndKept) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);

  ModalScript script;
  script.Then(kColoursDialogName, [](wxDialog* dialog) {
    static_cast<wxSingleChoiceDialog*>(dialog)->SetSelection(0);  // the header
    test::SaveScreenshot(dialog, "plugins_xrc_page_colours");
    ModalScript::Click(dialog, wxID_OK);
  });
  // The colour chooser is a GTK dialog outside the list of top-level windows: the
  // modal dialog hook sees it open, and a timer then acts on it.
  ColourPickerHook hook;
  wxTimer picking;
  bool picked = false;
  picking.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!hook.picker || picked) return;
    EXPECT_EQ(hook.picker->GetName(), kColourPickerName);
    picked = true;
    PickColour(hook.picker, wxColour(200, 220, 240));
  });
  picking.Start(200);
  std::unique_ptr<wxMenu> menu = page->MakeGridContextMenu(grid, 0);
  ASSERT_TRUE(Choose(*menu, _("Konfiguracja kolorów")));
  ASSERT_TRUE(test::WaitFor([&] { return script.Done() && picked; }, kPatience));
  picking.Stop();
  test::PumpEvents(100);
  EXPECT_EQ(grid->GetLabelBackgroundColour().GetAsString(wxC2S_CSS_SYNTAX), "rgb(200, 220, 240)");
  test::SaveScreenshot(window_, "plugins_xrc_page_coloured");

  // "Domyślne" puts every colour back and keeps that.
  page->GetGridView(grid)->SetColour(2, wxColour(10, 20, 30));
  script.Then(kColoursDialogName, [](wxDialog* dialog) {
    for (wxWindow* child : dialog->GetChildren()) {
      auto* button = dynamic_cast<wxButton*>(child);
      if (!button || button->GetLabel() != _("Domyślne")) continue;
      auto* click = new wxCommandEvent(wxEVT_BUTTON, button->GetId());
      click->SetEventObject(button);
      button->GetEventHandler()->QueueEvent(click);
    }
  });
  menu = page->MakeGridContextMenu(grid, 0);
  ASSERT_TRUE(Choose(*menu, _("Konfiguracja kolorów")));
  ASSERT_TRUE(test::WaitFor([&] { return script.Done(); }, kPatience));
  test::PumpEvents(100);
  EXPECT_EQ(grid->GetLabelBackgroundColour(), GridLayout::DefaultHeaderColour());
  EXPECT_EQ(grid->GetGridLineColour(), GridLayout::DefaultLineColour());

  page->GetGridView(grid)->SetColour(1, wxColour(10, 20, 30));
  Restart();
  page = OpenPage();
  grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->GetSelectionBackground(), wxColour(10, 20, 30));
  EXPECT_EQ(grid->GetLabelBackgroundColour(), GridLayout::DefaultHeaderColour());
  EXPECT_EQ(script.Unexpected(), 0);
}

TEST_F(XrcPageTest, DeleteLocalReceivesTheCheckedRows) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  MessageBoxRecorder boxes;
  wxWindow* tools = Named<wxWindow>(page, "pnlPluginToolbarLeft");
  Received();

  RunTool(tools, "delete-local");
  EXPECT_EQ(Received().front(), "delete-local");  // nothing checked: the action alone

  Post(grid, wxEVT_GRID_CELL_LEFT_CLICK, 5, 0);
  Post(grid, wxEVT_GRID_CELL_LEFT_CLICK, 2, 0);
  Post(grid, wxEVT_GRID_CELL_LEFT_CLICK, 7, 0);
  Post(grid, wxEVT_GRID_CELL_LEFT_CLICK, 7, 0);  // unchecked again
  // A check click selects the row and runs its select action.
  EXPECT_EQ(Received(), (std::vector<wxString>{"select|FV/0006/2024", "select|FV/0003/2024", "select|FV/0008/2024",
                                               "select|FV/0008/2024"}));
  EXPECT_EQ(grid->GetCellValue(2, 0), "1");
  test::SaveScreenshot(window_, "plugins_xrc_page_checked");
  RunTool(tools, "delete-local");
  const std::vector<wxString> sent = Received();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), "delete-local|FV/0003/2024\nFV/0006/2024");  // in row order
  ASSERT_FALSE(boxes.shown().empty());
  EXPECT_EQ(boxes.shown().back().message, wxString::FromUTF8("Usunięto z listy."));
  EXPECT_EQ(grid->GetCellValue(2, 0), "");  // the refresh starts unchecked

  std::unique_ptr<wxMenu> menu = page->MakeGridContextMenu(grid, 0);
  ASSERT_TRUE(Choose(*menu, _("Zaznacz wszystko")));
  menu = page->MakeGridContextMenu(grid, 0);
  ASSERT_TRUE(Choose(*menu, _("Odwróć zaznaczenie")));
  EXPECT_EQ(page->GetGridView(grid)->CheckedKeys(), "");
}

TEST_F(XrcPageTest, ContextActionsShowTheModulesDocumentsAsText) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);

  std::unique_ptr<wxMenu> menu = page->MakeGridContextMenu(grid, 0);
  EXPECT_EQ(Entries(*menu),
            (std::vector<wxString>{_("Podgląd XML"), wxString::FromUTF8("Szczegóły logu"), "-",
                                   wxString::FromUTF8("Usuń z pobranej listy"), "-", _("Zaznacz wszystko"),
                                   _("Odznacz wszystko"), _("Odwróć zaznaczenie"), "-", _("Wyczyść filtry"),
                                   _("Konfiguracja kolumn"), _("Konfiguracja kolorów")}));
  // Below the last row only the host's own entries remain.
  std::unique_ptr<wxMenu> below = page->MakeGridContextMenu(grid, -1);
  EXPECT_EQ(Entries(*below).front(), _("Zaznacz wszystko"));

  wxString shown = PreviewOf(*menu, _("Podgląd XML"), "plugins_xrc_page_preview");
  EXPECT_TRUE(shown.StartsWith("<?xml")) << shown;
  EXPECT_NE(shown.Find("<Numer>FV/0001/2024</Numer>"), wxNOT_FOUND);
  EXPECT_NE(shown.Find("Nowak &amp; Syn"), wxNOT_FOUND);  // entities stay as written
  EXPECT_NE(shown.Find("<![CDATA[<b>nie pogrubiaj</b>]]>"), wxNOT_FOUND);

  menu = page->MakeGridContextMenu(grid, 0);
  shown = PreviewOf(*menu, wxString::FromUTF8("Szczegóły logu"));
  EXPECT_NE(shown.Find("<b>200</b> &amp; OK"), wxNOT_FOUND) << shown;

  // A reply that does not begin with "<" is no document: the module's text is shown.
  MessageBoxRecorder boxes;
  menu = page->MakeGridContextMenu(grid, 1);
  ASSERT_TRUE(Choose(*menu, _("Podgląd XML")));
  test::PumpEvents(50);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, " <Faktura/>");
  EXPECT_EQ(boxes.shown()[0].caption, "Faktury w KSeF");

  // The contractors' list: its one entry shows "&" as written; a silent failure is reported.
  auto* contractors = Named<wxListCtrl>(page, "lstKontrahenci");
  std::unique_ptr<wxMenu> listMenu = page->MakeListContextMenu(contractors, 1);
  EXPECT_EQ(Entries(*listMenu), (std::vector<wxString>{"note & remember"}));
  ASSERT_TRUE(Choose(*listMenu, "note & remember"));
  test::PumpEvents(50);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[1].message, _("Nie udało się wykonać akcji modułu."));
}

TEST_F(XrcPageTest, FilterInputSelectionAndButtonsTalkToTheModule) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  auto* search = Named<wxSearchCtrl>(page, "txtSzukaj");
  ASSERT_NE(search, nullptr);
  Received();

  search->SetValue("Kowal");  // typing: the module filters its own rows
  test::PumpEvents(20);
  EXPECT_EQ(Received().back(), "search|Kowal");
  EXPECT_EQ(grid->GetNumberRows(), 200);
  EXPECT_EQ(Named<wxStaticText>(page, "lblLiczba")->GetLabel(), "Faktur: 200");

  wxCommandEvent cancel(wxEVT_SEARCH_CANCEL, search->GetId());
  cancel.SetEventObject(search);
  search->ProcessWindowEvent(cancel);
  EXPECT_EQ(search->GetValue(), "");
  EXPECT_EQ(Received().front(), "search|");
  EXPECT_EQ(grid->GetNumberRows(), kInvoices);

  // Selecting an invoice fills its details, which the module then shows.
  auto* items = Named<wxGrid>(page, "gridPozycje");
  grid->SetGridCursor(3, 1);
  test::PumpEvents(20);
  EXPECT_EQ(Received().front(), "select|FV/0004/2024");
  ASSERT_EQ(items->GetNumberRows(), 3);
  EXPECT_EQ(Labels(items), (std::vector<wxString>{"Towar", wxString::FromUTF8("Ilość"), "Cena"}));
  EXPECT_EQ(items->GetCellValue(0, 0), "Pozycja 1 z FV/0004/2024");
  page->RefreshPage();
  EXPECT_TRUE(Named<wxWindow>(page, "pnlSzczegoly")->IsShown());  // "TAK"

  MessageBoxRecorder boxes;
  auto* button = Named<wxButton>(page, "btnPolicz");
  wxCommandEvent click(wxEVT_BUTTON, button->GetId());
  click.SetEventObject(button);
  button->ProcessWindowEvent(click);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, "Policzono.");
  const std::vector<wxString> sent = Received();
  EXPECT_NE(std::find(sent.begin(), sent.end(), "count"), sent.end());
  EXPECT_NE(Named<wxStaticText>(page, "lblPoliczono")->GetLabel(), "0");  // the module's new value

  // A contractor picked in the list reaches the module with its key.
  auto* contractors = Named<wxListCtrl>(page, "lstKontrahenci");
  contractors->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  test::PumpEvents(20);
  EXPECT_EQ(Received().front(), "contractor|Nowak & Syn");

  // While the user types, the module's value does not overwrite the input.
  search->SetFocus();
  ASSERT_TRUE(
      test::WaitFor([&] { return wxWindow::FindFocus() && search->IsDescendant(wxWindow::FindFocus()); }, kPatience));
  search->ChangeValue("Now");
  page->RefreshPage();
  EXPECT_EQ(search->GetValue(), "Now");
  grid->SetFocus();
  ASSERT_TRUE(test::WaitFor([&] { return !search->IsDescendant(wxWindow::FindFocus()); }, kPatience));
  page->RefreshPage();
  EXPECT_EQ(search->GetValue(), "");  // the module's value once the focus has left

  // The close tool closes the page's tab.
  const size_t tabs = window_->notebook->GetPageCount();
  RunTool(Named<wxWindow>(page, "pnlPluginToolbarRight"), _("Zamknij"));
  EXPECT_TRUE(test::WaitFor([&] { return window_->notebook->GetPageCount() == tabs - 1; }, kPatience));
}

TEST_F(XrcPageTest, TheHighlightedInvoiceAndTheDetailsNameOneRecordWhateverTheRows) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  auto* items = Named<wxGrid>(page, "gridPozycje");
  auto* details = Named<wxWindow>(page, "pnlSzczegoly");
  auto* search = Named<wxSearchCtrl>(page, "txtSzukaj");
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  // The highlighted invoices, then the one whose items the page shows.
  auto shown = [&] {
    wxString text;
    for (int row : grid->GetSelectedRows()) text += page->GetGridView(grid)->RowKey(row) + " ";
    return text + "| " + (details->IsShown() && items->GetNumberRows() > 0 ? items->GetCellValue(0, 0) : "");
  };
  struct Step {
    int click;
    const char* search;
    const char* expected;
  } const steps[] = {
      {1, nullptr, "FV/0002/2024 | Pozycja 1 z FV/0002/2024"},
      {-1, "Nowak", "FV/0002/2024 | Pozycja 1 z FV/0002/2024"},  // now the first row
      {-1, "", "FV/0002/2024 | Pozycja 1 z FV/0002/2024"},
      {-1, "FV/001", "| "},  // not listed: nothing highlighted, no details
      {-1, "", "| "},
      {347, "FV/00", "| "},  // FV/0348 lay beyond the rows that stay
      {2, "", "FV/0003/2024 | Pozycja 1 z FV/0003/2024"},
  };
  for (const Step& step : steps) {
    if (step.click >= 0) {  // as a click does
      grid->SetGridCursor(step.click, 1);
      grid->SelectRow(step.click);
    }
    if (step.search) search->SetValue(step.search);
    test::PumpEvents(20);
    EXPECT_EQ(shown().utf8_string(), step.expected) << step.click;
  }

  // "Odśwież" with the long list: the details keep room below the grid, every item and column in sight.
  RunTool(Named<wxWindow>(page, "pnlPluginToolbarLeft"), _("Odśwież"));
  EXPECT_EQ(shown().utf8_string(), "FV/0003/2024 | Pozycja 1 z FV/0003/2024");
  test::SaveScreenshot(window_, "plugins_xrc_page_details");
  EXPECT_LE(grid->GetRect().GetBottom(), details->GetPosition().y);
  EXPECT_LE(details->GetRect().GetBottom(), page->GetXrcPanel()->GetClientSize().y);
  EXPECT_GE(items->GetSize().y, items->GetColLabelSize() + 3 * items->GetDefaultRowSize());
  EXPECT_GE(items->GetSize().x, items->GetColSize(0) + items->GetColSize(1) + items->GetColSize(2));

  // Wherever a sort, a filter or a refresh puts the highlighted invoice, it is scrolled into sight.
  ModuleGridView* view = page->GetGridView(grid);
  const int amount = Column(grid, "Kwota");
  const std::vector<std::pair<const char*, std::function<void()>>> moves = {
      {"up", [&] { Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, amount); }},
      {"down", [&] { Post(grid, wxEVT_GRID_LABEL_LEFT_CLICK, -1, amount); }},
      {"filter",
       [&] { view->ApplyColumnFilter(Column(grid, "Kontrahent"), ColumnFilter::Make(wxString::FromUTF8("Łąka"), {})); }},
      {"refresh", [&] {
         grid->Scroll(0, grid->GetNumberRows());  // the user scrolled away
         RunTool(Named<wxWindow>(page, "pnlPluginToolbarLeft"), _("Odśwież"));
       }}};
  for (const auto& [name, move] : moves) {
    move();
    test::PumpEvents(20);
    ASSERT_EQ(grid->GetSelectedRows().size(), 1u) << name;
    const int row = grid->GetSelectedRows()[0];
    EXPECT_EQ(view->RowKey(row), "FV/0003/2024") << name;
    EXPECT_TRUE(grid->IsVisible(row, grid->GetGridCursorCol())) << name << " row " << row;
  }
  test::SaveScreenshot(window_, "plugins_xrc_page_highlight_in_sight");
}

// On a 1024x768 screen a row clicked at the foot of the grid stays in sight when
// the details open below and the grid gives them room, drawn highlighted.
TEST_F(XrcPageTest, ARowClickedLowStaysInSightWhenTheDetailsOpen) {
  InstallPageModule();
  window_->SetSize(wxDisplay(window_).GetClientArea());
  PluginXrcPagePanel* page = OpenPage();
  wxGrid* grid = Invoices(page);
  ASSERT_NE(grid, nullptr);
  auto* details = Named<wxWindow>(page, "pnlSzczegoly");
  ASSERT_FALSE(details->IsShown());
  wxWindow* cells = grid->GetGridWindow();
  test::PumpEvents(100);
  int row = 0;
  while (grid->IsVisible(row + 1, 0, true)) ++row;
  ASSERT_GT(row, 5);
  const auto shownRect = [&] {
    return wxRect(grid->CalcScrolledPosition(grid->CellToRect(row, 1).GetPosition()),
                  wxSize(grid->GetColSize(1), grid->GetRowSize(row)));
  };
  test::ClickOnScreen(cells, shownRect().GetPosition() + wxPoint(10, grid->GetRowSize(row) / 2));
  ASSERT_TRUE(test::WaitFor([&] { return details->IsShown(); }, kPatience));
  test::PumpEvents(200);
  ASSERT_EQ(grid->GetSelectedRows().size(), 1u);
  EXPECT_EQ(grid->GetSelectedRows()[0], row);
  EXPECT_LT(grid->GetRect().GetBottom(), details->GetPosition().y);
  const wxRect rect = shownRect();
  EXPECT_TRUE(wxRect(cells->GetClientSize()).Contains(rect)) << rect.y << " of " << cells->GetClientSize().y;
  // What the screen shows there is the highlighted row.
  const wxImage drawn = test::CaptureScreen(wxRect(cells->ClientToScreen(rect.GetPosition()), rect.GetSize()));
  const wxColour highlight = grid->GetSelectionBackground();
  int highlighted = 0;
  for (int x = 0; x < drawn.GetWidth(); ++x) {
    for (int y = 0; y < drawn.GetHeight(); ++y) {
      highlighted += wxColour(drawn.GetRed(x, y), drawn.GetGreen(x, y), drawn.GetBlue(x, y)) == highlight;
    }
  }
  EXPECT_GT(highlighted, drawn.GetWidth() * drawn.GetHeight() / 2);
  test::SaveScreenshot(window_, "plugins_xrc_page_low_row_in_sight");
}

TEST_F(XrcPageTest, ALayoutThatDoesNotLoadIsReportedInThePage) {
  InstallPageModule();
  ASSERT_TRUE(wxRemoveFile(
      JoinPath(JoinPath(JoinPath(PluginManager::GetModulesDirectory(), "ksef_test"), "ui"), "strona.xrc")));
  PluginXrcPagePanel* page = OpenPage();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->GetXrcPanel(), nullptr);
  std::vector<wxString> texts;
  for (wxWindow* child : page->GetChildren()) {
    wxString label = child->GetLabel();
    label.Replace("\n", " ");  // lines wrapped at 650 pixels
    if (dynamic_cast<wxStaticText*>(child)) texts.push_back(label);
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Faktury w KSeF");
  EXPECT_TRUE(texts[1].StartsWith(_("Nie udało się załadować pliku XRC: "))) << texts[1];
  EXPECT_TRUE(texts[1].EndsWith("strona.xrc")) << texts[1];
  page->RefreshPage();  // nothing to fill, nothing to fail
  test::SaveScreenshot(window_, "plugins_xrc_page_error");
}

TEST_F(XrcPageTest, WhileAnActionRunsOthersAreRefusedAndTheStripReports) {
  InstallPageModule();
  PluginXrcPagePanel* page = OpenPage();
  wxWindow* tools = Named<wxWindow>(page, "pnlPluginToolbarLeft");
  MessageBoxRecorder boxes;
  RunTool(tools, "async:slow");
  ASSERT_TRUE(page->IsActionRunning());
  EXPECT_TRUE(Named<wxWindow>(page, "pnlKsefOperation")->IsShown());
  ASSERT_TRUE(test::WaitFor(
      [&] { return Named<wxStaticText>(page, "lblKsefOperationStatus")->GetLabel().StartsWith("Krok"); }, kPatience));
  RunTool(tools, "count");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, _("Najpierw zatrzymaj lub poczekaj na zakończenie bieżącej operacji."));
  test::SaveScreenshot(window_, "plugins_xrc_page_running");

  page->DoAction("cancel-operation", true);
  ASSERT_TRUE(test::WaitFor([&] { return !page->IsActionRunning(); }, kPatience));
  test::PumpEvents(50);
  EXPECT_EQ(Named<wxStaticText>(page, "lblKsefOperationStatus")->GetLabel(), "Przerwano");
  // The action ended well: its bar is full, and drawn so; drawn anew, it looks the same.
  auto* gauge = Named<wxGauge>(page, "gaugeKsefOperation");
  EXPECT_EQ(gauge->GetValue(), gauge->GetRange());
  const wxImage shown = test::CaptureWindow(gauge);
  gauge->Refresh();
  EXPECT_TRUE(test::SamePixels(shown, test::CaptureWindow(gauge)));
  test::SaveScreenshot(window_, "plugins_xrc_page_finished");
}

TEST_F(XrcPageTest, BindingsToMissingControlsAreReportedOnceAndIgnored) {
  InstallPageModule("mod_ksef_missing");
  LogCapture log;
  PluginXrcPagePanel* page = OpenPage();
  ASSERT_NE(page, nullptr);
  std::vector<wxString> named;
  for (const wxString& warning : log.warnings) {
    for (const char* control : {"txtBrak", "gridBrak", "btnBrak"}) {
      if (warning.Contains(wxString("'") + control + "'")) named.push_back(control);
    }
  }
  std::sort(named.begin(), named.end());
  EXPECT_EQ(named, (std::vector<wxString>{"btnBrak", "gridBrak", "txtBrak"}));
  page->RefreshPage();  // nothing more is reported
  EXPECT_EQ(log.warnings.size(), 3u);
  EXPECT_EQ(Invoices(page)->GetNumberRows(), kInvoices);
}

}  // namespace
}  // namespace veldrix
