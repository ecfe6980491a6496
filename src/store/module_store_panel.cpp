#include "store/module_store_panel.h"

#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/literal_label.h"
#include "app/common/message_box.h"
#include "app/common/min_width.h"
#include "app/common/text_folding.h"
#include "app/common/web_browser.h"
#include "app/common/window_placement.h"
#include "pluginmanager/module_staging.h"
#include "pluginmanager/plugin_manager.h"
#include "store/module_card_state.h"
#include "store/store_client.h"
#include "store/store_package.h"
#include "store/store_versions.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/progdlg.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace veldrix {

namespace {

const wxColour kPageBackground(246, 249, 252);
const wxColour kDescriptionColour(45, 54, 64);
const wxColour kDetailColour(98, 108, 119);
const wxSize kIconSize(42, 42);
constexpr int kTextWrap = 520;
constexpr int kCardMinHeight = 104;
constexpr int kPrimaryButtonWidth = 220;
// How long a catalogue request may run before its cancel dialog shows.
constexpr long kQuietWaitMs = 700;

// Bold, `larger` points above the default size.
wxStaticText* BoldText(wxWindow* parent, const wxString& text, int larger, long style = 0) {
  auto* label = new wxStaticText(parent, wxID_ANY, LiteralLabel(text), wxDefaultPosition, wxDefaultSize, style);
  wxFont font = label->GetFont();
  font.SetPointSize(font.GetPointSize() + larger);
  font.SetWeight(wxFONTWEIGHT_BOLD);
  label->SetFont(font);
  return label;
}

// Where the text may be broken without splitting a character as the reader sees it
// (a letter with its combining accents, an emoji sequence): one flag per position,
// the text's end included.
std::vector<bool> CharacterBoundaries(const wxString& text) {
  std::vector<bool> boundary(text.length() + 1, false);
  boundary.front() = boundary.back() = true;
  const std::wstring wide = text.ToStdWstring();
  const icu::UnicodeString unicode =
      icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(wide.data()), static_cast<int32_t>(wide.size()));
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::BreakIterator> characters(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) {
    std::fill(boundary.begin(), boundary.end(), true);
    return boundary;
  }
  characters->setText(unicode);
  // The iterator counts UTF-16 units, the text whole characters.
  int32_t unit = 0;
  std::size_t position = 0;
  for (int32_t next = characters->next(); next != icu::BreakIterator::DONE; next = characters->next()) {
    position += static_cast<std::size_t>(unicode.countChar32(unit, next - unit));
    unit = next;
    if (position < boundary.size()) boundary[position] = true;
  }
  return boundary;
}

// The text in lines of at most `width` pixels in the window's font: broken between
// words, and inside a word wider than that (a link, a long version), which GTK
// would leave whole and cut at the label's edge; never inside a character. Each
// line is measured whole: on GTK the partial extents come one per glyph cluster,
// not one per character.
wxString WrapWithin(wxWindow* window, const wxString& text, int width) {
  wxClientDC dc(window);
  dc.SetFont(window->GetFont());
  wxString wrapped;
  const wxArrayString paragraphs = wxSplit(text, '\n', '\0');
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) wrapped << '\n';
    const wxString& paragraph = paragraphs[i];
    const std::vector<bool> boundary = CharacterBoundaries(paragraph);
    const std::size_t length = paragraph.length();
    auto wide = [&](std::size_t from, std::size_t to) { return dc.GetTextExtent(paragraph.Mid(from, to - from)).x; };
    auto isSpace = [&](std::size_t at) { return paragraph[at] == ' ' && boundary[at] && boundary[at + 1]; };
    std::size_t start = 0;
    while (start < length && wide(start, length) > width) {
      // The longest run of whole characters that fits, found by halving (a run's
      // width grows with its length); the first one even when it does not.
      std::vector<std::size_t> ends;
      for (std::size_t end = start + 1; end <= length; ++end) {
        if (boundary[end]) ends.push_back(end);
      }
      std::size_t low = 0;
      std::size_t high = ends.size() - 1;
      while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (wide(start, ends[middle]) > width) {
          high = middle - 1;
        } else {
          low = middle;
        }
      }
      const std::size_t fits = ends[low];
      // Between words where there is a space to break at.
      std::size_t cut = fits;
      for (std::size_t at = std::min(fits, length - 1); at > start; --at) {
        if (isSpace(at)) {
          cut = at;
          break;
        }
      }
      std::size_t lineEnd = cut;
      while (lineEnd > start && isSpace(lineEnd - 1)) --lineEnd;
      wrapped << paragraph.Mid(start, lineEnd - start) << '\n';
      start = cut;
      while (start < length && isSpace(start)) ++start;
    }
    wrapped << paragraph.Mid(start);
  }
  return wrapped;
}

// Wrapped within `wrap` pixels when that is given.
wxStaticText* ColouredText(wxWindow* parent, const wxString& text, const wxColour& colour, int wrap = 0) {
  auto* label = new wxStaticText(parent, wxID_ANY, LiteralLabel(wrap > 0 ? WrapWithin(parent, text, wrap) : text));
  label->SetForegroundColour(colour);
  return label;
}

// An application-modal progress dialog whose "Anuluj" ends the wait. It shows itself
// as Create ends, so it is made in two steps to be shown where it is placed.
std::unique_ptr<wxGenericProgressDialog> ShowProgressDialog(wxWindow* parent, const wxString& title,
                                                            const wxString& message, int maximum) {
  auto dialog = std::make_unique<wxGenericProgressDialog>();
  KeepPositionOnFirstShow(dialog.get());
  dialog->Create(title, message, maximum, parent, wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE);
  return dialog;
}

}  // namespace

ModuleStorePanel::ModuleStorePanel(wxWindow* parent, PluginManager* plugins, const wxString& programVersion)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      plugins_(plugins),
      baseUrl_(ConfiguredStoreBaseUrl()),
      programVersion_(programVersion) {
  SetBackgroundColour(kPageBackground);
  auto* main = new wxBoxSizer(wxVERTICAL);

  auto* top = new wxBoxSizer(wxHORIZONTAL);
  auto* title = BoldText(this, _("Moduły i dodatki"), 5);
  top->Add(title, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 18);

  filter_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxSize(150, -1));
  filter_->Append(_("Wszystkie"));
  filter_->Append(_("Zainstalowane"));
  filter_->Append(_("Aktualizacje"));
  filter_->SetSelection(0);
  top->Add(filter_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);

  search_ = new wxSearchCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(210, -1));
  search_->SetDescriptiveText(_("Szukaj dodatku"));
  top->Add(search_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);

  refresh_ = new wxButton(this, wxID_REFRESH, _("Odśwież"));
  top->Add(refresh_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  main->Add(top, 0, wxALL | wxEXPAND, 18);

  cardList_ = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL | wxNO_BORDER);
  cardList_->SetBackgroundColour(kPageBackground);
  cardList_->SetScrollRate(0, 16);
  cardSizer_ = new wxBoxSizer(wxVERTICAL);
  cardList_->SetSizer(cardSizer_);
  main->Add(cardList_, 1, wxEXPAND | wxLEFT | wxRIGHT, 18);

  status_ = new wxStaticText(this, wxID_ANY, _("Katalog nie został jeszcze pobrany."));
  main->Add(status_, 0, wxALL | wxEXPAND, 18);
  SetSizer(main);

  refresh_->Bind(wxEVT_BUTTON, &ModuleStorePanel::OnRefresh, this);
  search_->Bind(wxEVT_TEXT, &ModuleStorePanel::OnFilterChanged, this);
  filter_->Bind(wxEVT_CHOICE, &ModuleStorePanel::OnFilterChanged, this);
}

ModuleStorePanel::~ModuleStorePanel() = default;

wxString ModuleStorePanel::ModulesFolder() const { return PluginManager::GetModulesDirectory(); }

void ModuleStorePanel::RefreshCatalogue(bool showErrors) {
  wxBusyCursor busy;
  status_->SetLabel(_("Pobieranie aktualnego katalogu..."));
  wxYieldIfNeeded();
  wxString error;
  bool cancelled = false;
  bool ok = false;
  {
    // A store slow to answer gets an application-modal dialog whose "Anuluj" ends
    // the wait; a quick answer shows none.
    std::unique_ptr<wxGenericProgressDialog> waiting;
    const wxStopWatch watch;
    ok = FetchCatalogue(baseUrl_, kStorePlatform, kStoreArchitecture, &entries_, &error,
                        [&](std::uint64_t, std::uint64_t) {
                          if (!waiting && watch.Time() < kQuietWaitMs) return true;
                          if (!waiting) {
                            waiting = ShowProgressDialog(this, _("Sklep modułów"),
                                                         _("Pobieranie aktualnego katalogu..."), 100);
                          }
                          cancelled = !waiting->Pulse();
                          return !cancelled;
                        });
  }
  if (!ok) {
    status_->SetLabelText(_("Nie udało się pobrać katalogu: ") + error);
    // The user who cancelled knows.
    if (showErrors && !cancelled) ShowMessageBox(error, _("Sklep modułów"), wxOK | wxICON_WARNING, this);
    return;
  }
  status_->SetLabel(wxString::Format(_("Katalog aktualny. Pozycje: %u. Platforma: %s/%s."),
                                     static_cast<unsigned>(entries_.size()), kStorePlatform, kStoreArchitecture));
  ApplyFilter();
}

void ModuleStorePanel::ApplyFilter() {
  const wxString search = FoldText(search_->GetValue());
  const int filter = filter_->GetSelection();
  cardList_->Freeze();
  cardSizer_->Clear(true);
  bool added = false;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const StoreModuleEntry& entry = entries_[i];
    if (!MatchesStoreSearch(entry, search)) continue;
    ModuleCardInput input;
    input.installedVersion = GetInstalledModuleVersion(entry.code);
    input.programVersion = programVersion_;
    if (!PassesStoreFilter(filter, DescribeModuleCard(entry, input))) continue;
    AddModuleCard(i);
    added = true;
  }
  if (!added) AddEmptyState();
  cardSizer_->Layout();
  cardList_->FitInside();
  cardList_->Thaw();
}

void ModuleStorePanel::AddEmptyState() {
  auto* empty = new wxPanel(cardList_, wxID_ANY);
  empty->SetBackgroundColour(*wxWHITE);
  empty->SetMinSize(wxSize(-1, 180));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->AddStretchSpacer();
  auto* headline = BoldText(empty, _("Nie znaleziono pasujących modułów"), 2);
  sizer->Add(headline, 0, wxALIGN_CENTER_HORIZONTAL | wxBOTTOM, 8);
  sizer->Add(new wxStaticText(empty, wxID_ANY, _("Zmień wyszukiwaną frazę albo wybierz inny filtr.")), 0,
             wxALIGN_CENTER_HORIZONTAL);
  sizer->AddStretchSpacer();
  empty->SetSizer(sizer);
  cardSizer_->Add(empty, 0, wxEXPAND | wxBOTTOM, 10);
}

void ModuleStorePanel::AddModuleCard(std::size_t index) {
  if (index >= entries_.size()) return;
  const StoreModuleEntry& entry = entries_[index];
  ModuleCardInput input;
  input.installedVersion = GetInstalledModuleVersion(entry.code);
  input.programVersion = programVersion_;
  if (plugins_) {
    input.installPending = IsModuleInstallPending(ModulesFolder(), entry.code);
    input.removalPending = IsModuleRemovalPending(ModulesFolder(), entry.code);
  }
  const ModuleCardState state = DescribeModuleCard(entry, input);

  auto* card = new wxPanel(cardList_, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SIMPLE);
  card->SetBackgroundColour(state.background);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  // The least height goes on the sizer, not on the card: a minimum set on the card
  // would hold it there, and the card grows with its texts.
  row->SetMinSize(wxSize(-1, kCardMinHeight - card->GetWindowBorderSize().y));

  wxBitmap icon = LoadToolbarBitmap("module-" + entry.code.Lower() + ".png", wxART_EXECUTABLE_FILE, kIconSize);
  if (plugins_) {
    for (std::size_t i = 0; i < plugins_->GetModuleCount(); ++i) {
      if (!plugins_->GetModuleId(i).IsSameAs(entry.code, false)) continue;
      const wxBitmap own = plugins_->GetModuleBitmap(i, kIconSize);
      if (own.IsOk()) icon = own;
      break;
    }
  }
  auto* picture = new wxStaticBitmap(card, wxID_ANY, icon, wxDefaultPosition, wxSize(44, 44));
  row->Add(picture, 0, wxALL, 12);

  auto* text = new wxBoxSizer(wxVERTICAL);
  auto* titleRow = new wxBoxSizer(wxHORIZONTAL);
  // A name too long for the row is shortened, never the state beside it; a short
  // one keeps its width, so the state follows right after it. That width comes from
  // the font (and the pixel wxGTK adds to a label): wxGTK measures a label with its
  // old font until the new one is in effect.
  auto* name = BoldText(card, entry.name, 2, wxST_ELLIPSIZE_END);
  name->SetToolTip(entry.name);
  name->SetMinSize(wxSize(0, -1));
  name->SetMaxSize(wxSize(name->GetTextExtent(name->GetLabelText()).x + 1, -1));
  titleRow->Add(name, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
  titleRow->Add(ColouredText(card, state.stateText, state.stateColour), 0, wxALIGN_CENTER_VERTICAL);
  text->Add(titleRow, 0, wxEXPAND | wxBOTTOM, 4);

  if (!entry.description.empty()) {
    text->Add(ColouredText(card, entry.description, kDescriptionColour, kTextWrap), 0, wxEXPAND | wxBOTTOM, 5);
  }
  text->Add(ColouredText(card, state.versionsText, kDetailColour, kTextWrap), 0, wxEXPAND | wxBOTTOM, 2);
  if (!entry.release_notes.empty()) {
    text->Add(ColouredText(card, _("Ostatnie wydanie: ") + entry.release_notes, kDetailColour, kTextWrap), 0,
              wxEXPAND);
  }
  row->Add(text, 1, wxEXPAND | wxTOP | wxBOTTOM, 10);

  // Card handlers run after the click has been handled: an install or a removal
  // rebuilds the cards, which deletes the button that was clicked.
  auto* actions = new wxBoxSizer(wxVERTICAL);
  auto* primary = new wxButton(card, wxID_ANY, state.primaryLabel);
  veldrix::SetMinWidthAtLeast(primary, kPrimaryButtonWidth);
  primary->Enable(state.primaryEnabled);
  primary->Bind(wxEVT_BUTTON, [this, index](wxCommandEvent&) { CallAfter([this, index] { OnPrimaryAction(index); }); });
  actions->Add(primary, 0, wxEXPAND | wxBOTTOM, 5);
  auto* secondary = new wxBoxSizer(wxHORIZONTAL);
  if (state.offersUninstall) {
    auto* uninstall = new wxButton(card, wxID_ANY, _("Odinstaluj"));
    uninstall->Bind(wxEVT_BUTTON,
                    [this, index](wxCommandEvent&) { CallAfter([this, index] { UninstallModule(index); }); });
    secondary->Add(uninstall, 1, wxEXPAND | wxRIGHT, 4);
  }
  if (state.offersDetails) {
    auto* details = new wxButton(card, wxID_ANY, _("Szczegóły"));
    details->Bind(wxEVT_BUTTON, [this, index](wxCommandEvent&) { OpenDetailsPage(index); });
    secondary->Add(details, 1, wxEXPAND);
  }
  if (!secondary->IsEmpty()) {
    actions->Add(secondary, 0, wxEXPAND);
  } else {
    delete secondary;
  }
  row->Add(actions, 0, wxALL | wxEXPAND, 9);

  card->SetSizer(row);
  cardSizer_->Add(card, 0, wxEXPAND | wxBOTTOM, 6);
}

void ModuleStorePanel::InstallModule(std::size_t index) {
  if (index >= entries_.size() || !entries_[index].has_file) return;
  const StoreModuleEntry entry = entries_[index];
  const wxString required = RequiredProgramVersion(entry);
  if (!required.empty() && CompareVersions(programVersion_, required) < 0) {
    ShowMessageBox(wxString::Format(_("Ten moduł wymaga Veldrix %s lub nowszej. Najpierw zaktualizuj program."),
                                    required),
                   _("Instalacja modułu"), wxOK | wxICON_WARNING, this);
    return;
  }
  if (entry.file.sha256.empty()) {
    ShowMessageBox(_("Administrator nie opublikował jeszcze sumy SHA-256 tej paczki. Instalacja jest zablokowana "
                     "dla bezpieczeństwa."),
                   _("Instalacja modułu"), wxOK | wxICON_WARNING, this);
    return;
  }
  wxString error;
  bool ok = false;
  bool cancelled = false;
  {
    // Application-modal: nothing else may be clicked while the download runs.
    const std::unique_ptr<wxGenericProgressDialog> progress =
        ShowProgressDialog(this, _("Instalacja modułu"), _("Pobieranie i sprawdzanie paczki modułu..."), 1000);
    wxYieldIfNeeded();
    ok = DownloadAndStagePackage(ModulesFolder(), entry, &error, [&](std::uint64_t received, std::uint64_t total) {
      const bool go = total > 0
                          ? progress->Update(static_cast<int>(std::min<std::uint64_t>(999, received * 1000 / total)))
                          : progress->Pulse();
      cancelled = cancelled || !go;
      return go;
    });
  }
  if (!ok) {
    // The user who cancelled knows; the package is gone already.
    if (!cancelled) ShowMessageBox(error, _("Instalacja modułu"), wxOK | wxICON_ERROR, this);
    return;
  }
  ApplyFilter();
  ShowMessageBox(_("Paczka została zweryfikowana i przygotowana. Uruchom ponownie Veldrix, aby bezpiecznie "
                   "zastosować instalację lub aktualizację."),
                 _("Instalacja modułu"), wxOK | wxICON_INFORMATION, this);
}

void ModuleStorePanel::UninstallModule(std::size_t index) {
  if (index >= entries_.size() || !plugins_) return;
  const StoreModuleEntry entry = entries_[index];
  if (GetInstalledModuleVersion(entry.code).empty()) return;
  const wxString question = wxString::Format(
      _("Odinstalować moduł „%s” po ponownym uruchomieniu programu?\n\nUsunięte zostaną tylko pliki modułu. Jego "
        "tabele i dane w bazie pozostaną bez zmian."),
      entry.name);
  if (ShowMessageBox(question, _("Odinstalowanie modułu"), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, this) != wxYES) {
    return;
  }
  wxString error;
  if (!PrepareModuleUninstall(ModulesFolder(), entry.code, &error)) {
    ShowMessageBox(error, _("Odinstalowanie modułu"), wxOK | wxICON_ERROR, this);
    return;
  }
  ApplyFilter();
  ShowMessageBox(_("Odinstalowanie zostało przygotowane. Uruchom ponownie Veldrix, aby usunąć pliki modułu. Dane "
                   "w bazie nie zostaną usunięte."),
                 _("Odinstalowanie modułu"), wxOK | wxICON_INFORMATION, this);
}

void ModuleStorePanel::OpenDetailsPage(std::size_t index) {
  if (index >= entries_.size()) return;
  const wxString url = entries_[index].details_url;
  OpenInBrowser(url, this, _("Sklep modułów"));
}

wxString ModuleStorePanel::GetInstalledModuleVersion(const wxString& code) const {
  if (!plugins_) return wxString();
  for (std::size_t i = 0; i < plugins_->GetModuleCount(); ++i) {
    if (!plugins_->GetModuleId(i).IsSameAs(code, false)) continue;
    const wxString version = plugins_->GetModule(i).Version();
    return version.empty() ? wxString("0") : version;
  }
  return wxString();
}

void ModuleStorePanel::OnRefresh(wxCommandEvent&) { RefreshCatalogue(true); }

void ModuleStorePanel::OnFilterChanged(wxCommandEvent&) { ApplyFilter(); }

void ModuleStorePanel::OnPrimaryAction(std::size_t index) {
  if (index < entries_.size()) InstallModule(index);
}

}  // namespace veldrix
