// The start page's data: the company caption, the database texts, the tiles with
// their record counts and the news, when they are rebuilt, and the mouse.
#include "app/dashboard_panel.h"

#include "app/application_state.h"
#include "app/common/delayed_loading_bar.h"
#include "app/common/i18n.h"
#include "app/common/image_tint.h"
#include "app/common/images.h"
#include "app/common/web_browser.h"
#include "app/veldrix_frame.h"
#include "appmenu/company_menu.h"
#include "db/connection_info.h"
#include "pluginmanager/plugin_manager.h"
#include "sqldata/sql_data.h"

#include <wx/artprov.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/time.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>

const char kProductWebAddress[] = "https://veldrix.pl";
const char kProductWebDomain[] = "veldrix.pl";

namespace {

using veldrix::dashboard::ModuleAccentColour;
using veldrix::dashboard::ModuleTileRank;

constexpr int kCompanyMenuSize = 512;
const wxColour kWatermarkColour(118, 125, 136);

wxBitmap MakeGreyscaleBitmap(const wxBitmap& bitmap) {
  if (!bitmap.IsOk()) return bitmap;
  const wxImage image = bitmap.ConvertToImage();
  if (!image.IsOk()) return bitmap;
  return wxBitmap(image.ConvertToGreyscale());
}

// The visible part of a sprite cell: pixels with alpha of at least 21, or all of
// them in a picture without alpha. False when the cell shows nothing.
bool VisibleBounds(const wxImage& image, const wxRect& cell, wxRect* bounds) {
  int left = cell.GetRight() + 1, top = cell.GetBottom() + 1, right = cell.x - 1, bottom = cell.y - 1;
  const bool hasAlpha = image.HasAlpha();
  const unsigned char* alpha = hasAlpha ? image.GetAlpha() : nullptr;
  const int width = image.GetWidth();
  for (int y = cell.y; y <= cell.GetBottom(); ++y) {
    for (int x = cell.x; x <= cell.GetRight(); ++x) {
      if (alpha && alpha[y * width + x] < 21) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < left || bottom < top) return false;
  *bounds = wxRect(wxPoint(left, top), wxPoint(right, bottom));
  return true;
}

}  // namespace

int DashboardPanel::CompanyMenuFirstId() {
  static const int first = wxWindow::NewControlId(kCompanyMenuSize);
  return first;
}

DashboardPanel::DashboardPanel(wxWindow* parent, VeldrixFrame* frame, veldrix::PluginManager* plugins)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE),
      frame_(frame),
      plugins_(plugins),
      database_(std::make_unique<SQLData>(AppState().GetActiveConnection())) {
  SetLabel("dashboard");
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  loadingBar_ = new veldrix::DelayedLoadingBar(this);
  loadingBar_->Start();

  if (!veldrix::LoadNamedImage("module-icons-transparent.png", &sprite_)) sprite_ = wxImage();
  wxImage watermark;
  if (veldrix::LoadNamedImage("quillmore_znak_wodny.xpm", &watermark) && watermark.IsOk()) {
    watermark_ = wxBitmap(veldrix::TintOpaquePixels(watermark, kWatermarkColour, 142));
  }

  // Without a database the tiles simply carry no counts.
  database_->IniciujBazeDanych();

  UpdateCompanyCaption(true);
  UpdateDatabaseInfo(true);
  BuildNewsItems();
  BuildTiles();
  refreshKey_ = MakeRefreshKey();
  lastRefreshMs_ = wxGetUTCTimeMillis().GetValue();

  Bind(wxEVT_PAINT, &DashboardPanel::OnPaint, this);
  Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
  Bind(wxEVT_SIZE, &DashboardPanel::OnSize, this);
  Bind(wxEVT_MOTION, &DashboardPanel::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, &DashboardPanel::OnLeaveWindow, this);
  Bind(wxEVT_LEFT_UP, &DashboardPanel::OnLeftUp, this);
  Bind(wxEVT_MENU, &DashboardPanel::OnCompanyMenu, this, CompanyMenuFirstId(),
       CompanyMenuFirstId() + kCompanyMenuSize - 1);
  loadingBar_->Stop();
}

DashboardPanel::~DashboardPanel() {
  if (loadingBar_) loadingBar_->Stop();
}

wxString DashboardPanel::MakeRefreshKey() const {
  return AppState().GetWorkingCompanyId() + "\n" + AppState().GetActiveConnection();
}

void DashboardPanel::RefreshDashboard() {
  const wxString key = MakeRefreshKey();
  const std::int64_t now = wxGetUTCTimeMillis().GetValue();
  if (key == refreshKey_ && lastRefreshMs_ > 0 && now >= lastRefreshMs_ && now - lastRefreshMs_ < 2000) {
    Refresh(false);
    return;
  }
  loadingBar_->Start();
  // The company tab may have renamed, added or deleted companies since the last look.
  if (frame_) frame_->LoadCompanyList();
  UpdateCompanyCaption(true);
  UpdateDatabaseInfo(true);
  BuildTiles();
  refreshKey_ = key;
  lastRefreshMs_ = wxGetUTCTimeMillis().GetValue();
  Refresh(false);
  loadingBar_->Stop();
}

void DashboardPanel::UpdateCompanyCaption(bool force) {
  const wxString id = AppState().GetWorkingCompanyId();
  if (!force && id == companyIdSeen_ && !companyCaption_.empty()) return;
  companyIdSeen_ = id;
  companyCaption_ = _("Brak wybranej firmy");
  long number = 0;
  if (!id.ToLong(&number, 10) || number < 1) return;
  const int index = frame_ ? frame_->FindCurrentCompanyIndex() : -1;
  const wxString name = index != -1 ? frame_->GetCompanyName(static_cast<unsigned>(index)) : wxString();
  companyCaption_ = !name.empty() ? name : wxString::Format(_("Firma ID %ld"), number);
}

void DashboardPanel::UpdateDatabaseInfo(bool force) {
  const wxString connection = AppState().GetActiveConnection();
  if (!force && connection == connectionSeen_ && !engineText_.empty()) return;
  connectionSeen_ = connection;
  engineText_ = _("Nieznane");
  serverText_ = _("Nie można odczytać ustawionego połączenia.");
  databaseText_.clear();
  DbConnectionInfo info;
  if (!ParseConnectionInfo(connection, &info, nullptr)) return;
  engineText_ = ServerTypeOf(info);
  serverText_ = ServerInputOf(info);
  if (serverText_.empty()) serverText_ = "-";
  databaseText_ = engineText_.IsSameAs("SQLite", false) ? wxFileName(info.server).GetFullName() : info.database;
  if (databaseText_.empty()) databaseText_ = "-";
}

void DashboardPanel::BuildNewsItems() {
  news_.clear();
  const wxString link = kProductWebAddress;
  news_.push_back({_("Aktualności Veldrix"), _("Testowy wpis z ") + kProductWebDomain, link, wxRect()});
  news_.push_back({"KSeF", _("Komunikaty i status prac"), link, wxRect()});
  news_.push_back({"KPiR", _("Notatki do modułu księgi"), link, wxRect()});
  news_.push_back({_("Pomoc"), _("Instrukcje i kontakt"), link, wxRect()});
}

void DashboardPanel::BuildTiles() {
  tiles_.clear();
  if (plugins_) {
    for (std::size_t i = 0; i < plugins_->GetModuleCount(); ++i) {
      const veldrix::PluginModule& module = plugins_->GetModule(i);
      if (!module.loaded || !module.info.toolMarker) continue;
      DashboardTile tile;
      tile.key = plugins_->GetModuleId(i);
      tile.title = module.Name().empty() ? _("Moduł") : module.Name();
      const bool active = module.IsActive();
      tile.enabled = active && plugins_->IsModuleAllowed(i);
      if (tile.enabled) {
        tile.status = _("aktywny");
      } else {
        tile.status = active ? _("brak uprawnień") : plugins_->GetModuleStateText(i);
      }
      tile.tooltip = tile.enabled ? _("Kliknij, aby otworzyć moduł ") + tile.title + "."
                                  : tile.title + ": " + tile.status + ".";
      tile.accent = ModuleAccentColour(tile.key, static_cast<int>(tiles_.size()));
      tile.icon = CutModuleIcon(tile.key, tile.enabled);
      if (!tile.icon.IsOk()) {
        tile.icon = plugins_->GetModuleBitmap(i, wxSize(30, 30));
        if (!tile.enabled) tile.icon = MakeGreyscaleBitmap(tile.icon);
      }
      tiles_.push_back(tile);
    }
    std::sort(tiles_.begin(), tiles_.end(), [](const DashboardTile& a, const DashboardTile& b) {
      const int rankA = ModuleTileRank(a.key);
      const int rankB = ModuleTileRank(b.key);
      if (rankA != rankB) return rankA < rankB;
      return a.title.CmpNoCase(b.title) < 0;
    });
  }

  DashboardTile settings;
  settings.key = "settings";
  settings.title = _("Ustawienia");
  settings.enabled = frame_ && frame_->HasPermission("settings.view");
  settings.opensSettings = true;
  settings.status = settings.enabled ? _("konfiguracja") : _("brak uprawnień");
  settings.tooltip = settings.enabled ? _("Kliknij, aby otworzyć ustawienia programu.")
                                      : _("Brak uprawnień do ustawień programu.");
  settings.accent = wxColour(111, 119, 132);
  settings.icon = CutModuleIcon(settings.key, settings.enabled);
  if (!settings.icon.IsOk()) {
    settings.icon = wxArtProvider::GetBitmap(wxART_HELP_SETTINGS, wxART_OTHER, wxSize(30, 30));
    if (!settings.enabled) settings.icon = MakeGreyscaleBitmap(settings.icon);
  }
  tiles_.push_back(settings);

  static const char* const placeholders[][2] = {{"magazyn", "Magazyn"}, {"raporty", "Raporty"},
                                                {"platnosci", "Płatności"}};
  for (const auto& placeholder : placeholders) {
    const wxString key = placeholder[0];
    const bool taken = std::any_of(tiles_.begin(), tiles_.end(), [&](const DashboardTile& tile) {
      return !tile.opensSettings && tile.key.IsSameAs(key, false);
    });
    if (taken) continue;
    DashboardTile tile;
    tile.key = key;
    tile.title = _(placeholder[1]);
    tile.status = _("w przygotowaniu");
    tile.tooltip = tile.title + _(" - moduł nie jest jeszcze dostępny.");
    tile.accent = wxColour(176, 181, 188);
    tile.icon = CutModuleIcon(key, false);
    tiles_.push_back(tile);
  }
  LoadTileCounts();
}

void DashboardPanel::LoadTileCounts() {
  long companyId = 0;
  if (!AppState().GetWorkingCompanyId().ToLong(&companyId, 10)) companyId = 0;
  const bool sqlServer = engineText_.IsSameAs("SQL Server", false);
  for (DashboardTile& tile : tiles_) {
    if (!tile.enabled) continue;
    const wxString table = veldrix::dashboard::RecordCountTable(tile.key);
    if (table.empty()) continue;
    // A count that cannot be read (the module's table is missing) leaves the state.
    const long count = CountRecords(table, sqlServer, companyId);
    if (count >= 0) tile.status = veldrix::dashboard::FormatRecordCount(tile.key, count);
  }
}

long DashboardPanel::CountRecords(const wxString& table, bool sqlServer, long companyId) {
  if (!database_ || !database_->IsOpen()) return -1;
  // A missing module table is an ordinary state here: the tile keeps its text, the
  // GUI library's log is not told at every refresh, and the page's own object
  // forgets the failure, so the next count starts clean.
  wxLogNull quiet;
  const wxArrayString cells = database_->FrameData(veldrix::dashboard::CountRecordsSql(table, sqlServer, companyId));
  database_->errorFlag = false;
  database_->lastError.clear();
  long count = -1;
  if (cells.empty() || !cells[0].ToLong(&count, 10)) return -1;
  return count;
}

wxBitmap DashboardPanel::CutModuleIcon(const wxString& key, bool enabled) const {
  if (!sprite_.IsOk()) return wxBitmap();
  const int index = veldrix::dashboard::SpriteCellIndex(key);
  if (index < 0) return wxBitmap();
  const int cellWidth = sprite_.GetWidth() / 3;
  const int cellHeight = sprite_.GetHeight() / 3;
  if (cellWidth < 1 || cellHeight < 1) return wxBitmap();
  const wxRect cell((index % 3) * cellWidth, (index / 3) * cellHeight, cellWidth, cellHeight);
  wxRect box;
  if (!VisibleBounds(sprite_, cell, &box)) return wxBitmap();
  box.Inflate(5, 5);
  box.Intersect(cell);
  wxImage icon = sprite_.GetSubImage(box);
  const double scale = std::min(32.0 / box.height, 32.0 / box.width);
  icon.Rescale(std::max(static_cast<int>(box.width * scale), 1), std::max(static_cast<int>(box.height * scale), 1),
               wxIMAGE_QUALITY_HIGH);
  const wxBitmap bitmap(icon);
  return enabled ? bitmap : MakeGreyscaleBitmap(bitmap);
}

bool DashboardPanel::CompanyClickable() const { return frame_ && frame_->GetCompanyCount() > 0; }

int DashboardPanel::HitTestNews(const wxPoint& p) const {
  for (std::size_t i = 0; i < news_.size(); ++i) {
    if (news_[i].hitRect.Contains(p)) return static_cast<int>(i);
  }
  return -1;
}

int DashboardPanel::HitTestTile(const wxPoint& p) const {
  for (std::size_t i = 0; i < tiles_.size(); ++i) {
    if (tiles_[i].labelRect.Contains(p) || tiles_[i].iconRect.Contains(p)) return static_cast<int>(i);
  }
  return veldrix::dashboard::HitTestRing(wheel_, static_cast<int>(tiles_.size()), p);
}

void DashboardPanel::OnSize(wxSizeEvent& event) {
  Refresh(false);
  event.Skip();
}

void DashboardPanel::OnMotion(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  bool company = false;
  int news = -1;
  int tile = -1;
  if (CompanyClickable() && companyRect_.Contains(p)) {
    company = true;
  } else {
    news = HitTestNews(p);
    if (news < 0) tile = HitTestTile(p);
  }
  if (company == hoverCompany_ && news == hoverNews_ && tile == hoverTile_) {
    event.Skip();
    return;
  }
  hoverCompany_ = company;
  hoverNews_ = news;
  hoverTile_ = tile;
  if (company) {
    SetToolTip(_("Zmień firmę"));
    SetCursor(wxCursor(wxCURSOR_HAND));
  } else if (news >= 0) {
    SetToolTip(news_[news].title + "\n" + news_[news].link);
    SetCursor(wxCursor(wxCURSOR_HAND));
  } else if (tile >= 0) {
    SetToolTip(tiles_[tile].tooltip);
    SetCursor(wxCursor(tiles_[tile].enabled ? wxCURSOR_HAND : wxCURSOR_ARROW));
  } else {
    UnsetToolTip();
    SetCursor(wxCursor(wxCURSOR_ARROW));
  }
  Refresh(false);
  event.Skip();
}

void DashboardPanel::OnLeaveWindow(wxMouseEvent& event) {
  if (hoverTile_ >= 0 || hoverNews_ >= 0 || hoverCompany_) {
    hoverTile_ = -1;
    hoverNews_ = -1;
    hoverCompany_ = false;
    UnsetToolTip();
    SetCursor(wxCursor(wxCURSOR_ARROW));
    Refresh(false);
  }
  event.Skip();
}

void DashboardPanel::OnLeftUp(wxMouseEvent& event) {
  event.Skip();
  const wxPoint p = event.GetPosition();
  if (CompanyClickable() && companyRect_.Contains(p)) {
    frame_->LoadCompanyList();
    if (frame_->GetCompanyCount() == 0) return;
    const std::unique_ptr<wxMenu> menu = MakeCompanyMenu();
    PopupMenu(menu.get(), companyRect_.x, companyRect_.y + companyRect_.height + 3);
    return;
  }
  const int news = HitTestNews(p);
  if (news >= 0) {
    veldrix::OpenInBrowser(news_[news].link, this, _("Pulpit"));
    return;
  }
  const int tile = HitTestTile(p);
  if (tile < 0 || !tiles_[tile].enabled) return;
  if (tiles_[tile].opensSettings) {
    if (frame_) frame_->OpenSettingsPage();
  } else if (plugins_) {
    plugins_->OpenModulePageById(tiles_[tile].key);
  }
}

std::unique_ptr<wxMenu> DashboardPanel::MakeCompanyMenu() const {
  if (!frame_) return std::make_unique<wxMenu>();
  return veldrix::MakeCompanyMenu(std::min<std::size_t>(frame_->GetCompanyCount(), kCompanyMenuSize),
                                  [this](unsigned i) { return frame_->GetCompanyName(i); },
                                  frame_->FindCurrentCompanyIndex(), CompanyMenuFirstId());
}

void DashboardPanel::OnCompanyMenu(wxCommandEvent& event) {
  const int index = event.GetId() - CompanyMenuFirstId();
  if (!frame_ || index < 0 || index >= static_cast<int>(frame_->GetCompanyCount())) return;
  if (!frame_->SwitchCompany(static_cast<unsigned>(index))) return;
  hoverCompany_ = false;
  UpdateCompanyCaption(true);
  Refresh(false);
}
