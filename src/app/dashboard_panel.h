// The start tab "Pulpit" (label "dashboard"): the working company, a wheel of
// module tiles with record counts, the program and database information with the
// update state, a few news links and the signature. It is drawn by hand; the main
// window makes it after every login and never closes it while a user is logged in.
#pragma once

#include "app/dashboard_layout.h"

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/image.h>
#include <wx/panel.h>

#include <cstdint>
#include <memory>
#include <vector>

class SQLData;
class VeldrixFrame;
class wxDC;
class wxGraphicsContext;
class wxMenu;
namespace veldrix {
class DelayedLoadingBar;
class PluginManager;
}  // namespace veldrix

struct DashboardTile {
  wxString key;  // module id, "settings" or a placeholder key
  wxString title;
  wxString status;
  wxString tooltip;
  wxColour accent;
  wxBitmap icon;
  bool enabled = false;
  bool opensSettings = false;
  wxRect labelRect;
  wxRect iconRect;
  double startAngle = 0;
  double endAngle = 0;
};

struct DashboardNewsItem {
  wxString title;
  wxString text;
  wxString link;
  wxRect hitRect;
};

// The web address the news items lead to and the domain shown with it.
extern const char kProductWebAddress[];
extern const char kProductWebDomain[];

class DashboardPanel : public wxPanel {
 public:
  // frame and plugins may be null: then the company, settings and module features
  // they serve are off.
  DashboardPanel(wxWindow* parent, VeldrixFrame* frame, veldrix::PluginManager* plugins);
  ~DashboardPanel() override;

  // Rebuilds what the page shows, unless the company and connection are unchanged
  // and the last rebuild is under two seconds old; then it only repaints.
  void RefreshDashboard();

  // What the page shows, for tests.
  const wxString& GetCompanyCaption() const { return companyCaption_; }
  const std::vector<DashboardTile>& GetTiles() const { return tiles_; }
  const std::vector<DashboardNewsItem>& GetNews() const { return news_; }
  const wxString& GetEngineText() const { return engineText_; }
  const wxString& GetServerText() const { return serverText_; }
  const wxString& GetDatabaseText() const { return databaseText_; }
  const wxRect& GetCompanyRect() const { return companyRect_; }
  const wxRect& GetInfoPanelRect() const { return infoPanelRect_; }
  const veldrix::dashboard::WheelGeometry& GetWheel() const { return wheel_; }
  std::int64_t GetLastRefreshMs() const { return lastRefreshMs_; }
  int GetHoverTile() const { return hoverTile_; }

  // The tile or news item under p as the mouse sees them; -1 none.
  int HitTestTile(const wxPoint& p) const;
  int HitTestNews(const wxPoint& p) const;

  // The first id of the company menu; item i is company i.
  static int CompanyMenuFirstId();
  // The company menu the caption drops down.
  std::unique_ptr<wxMenu> MakeCompanyMenu() const;

 private:
  wxString MakeRefreshKey() const;
  void UpdateCompanyCaption(bool force);
  void UpdateDatabaseInfo(bool force);
  void BuildNewsItems();
  void BuildTiles();
  void LoadTileCounts();
  long CountRecords(const wxString& table, bool sqlServer, long companyId);
  wxBitmap CutModuleIcon(const wxString& key, bool enabled) const;
  bool CompanyClickable() const;

  void OnPaint(wxPaintEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeaveWindow(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCompanyMenu(wxCommandEvent& event);

  // Drawing (dashboard_drawing.cpp).
  void DrawCompanyCaption(wxDC& dc, const wxSize& size);
  void DrawSignature(wxDC& dc, const wxSize& size);
  void DrawInfoPanel(wxDC& dc, wxGraphicsContext* gc);
  void DrawWheel(wxDC& dc, wxGraphicsContext* gc, const wxSize& size);
  void DrawTileLabel(wxDC& dc, wxGraphicsContext* gc, DashboardTile& tile, int index, const wxSize& size);

  VeldrixFrame* frame_;
  veldrix::PluginManager* plugins_;
  std::unique_ptr<SQLData> database_;
  veldrix::DelayedLoadingBar* loadingBar_ = nullptr;
  wxString companyIdSeen_;
  wxString companyCaption_;
  wxString connectionSeen_;
  wxString engineText_;
  wxString serverText_;
  wxString databaseText_;
  wxString refreshKey_;
  std::int64_t lastRefreshMs_ = 0;
  wxRect companyRect_;
  wxImage sprite_;
  wxBitmap watermark_;
  std::vector<DashboardTile> tiles_;
  std::vector<DashboardNewsItem> news_;
  wxRect infoPanelRect_;
  bool hoverCompany_ = false;
  int hoverTile_ = -1;
  int hoverNews_ = -1;
  veldrix::dashboard::WheelGeometry wheel_;
};
