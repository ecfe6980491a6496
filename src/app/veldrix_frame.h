// The program's one top-level window: it installs the configuration file as the
// process configuration, reads the working company, starts the update check and
// lays out the two toolbars and the notebook of tabs. Its destructor tears the
// login-time objects down in a fixed order and tells running workers to stop.
#pragma once

#include <wx/arrstr.h>
#include <wx/dynarray.h>
#include <wx/frame.h>

class IAuthService;
class PluginManager;
class Querys;
class SQLData;
class wxAuiManager;
class wxAuiNotebook;
class wxAuiToolBar;
class wxFileConfig;

// Control ids, allocated once at start-up from the GUI library's id counter.
struct VeldrixControlIds {
  int notebook;
  int mainToolbar;
  int storeToolbar;
  int appMenuTool;
  int moduleStoreTool;
};
const VeldrixControlIds& ControlIds();

// The notebook's colour (also the watermark tint).
extern const wxColour kNotebookColour;

class VeldrixFrame : public wxFrame {
 public:
  VeldrixFrame();
  ~VeldrixFrame() override;

  wxAuiManager* GetAuiManager() const { return auiManager_; }
  wxAuiNotebook* GetNotebook() const { return notebook_; }
  wxAuiToolBar* GetMainToolbar() const { return mainToolbar_; }
  wxAuiToolBar* GetStoreToolbar() const { return storeToolbar_; }
  wxFileConfig* GetConfig() const { return config_; }
  // "0.25.9 Alpha": the about box and the module store show it.
  const wxString& GetVersionText() const { return versionText_; }
  // The title without the logged-in user.
  const wxString& GetWindowTitle() const { return windowTitle_; }
  const wxString& GetUpdateStatusText() const { return updateStatusText_; }
  int GetUpdateState() const { return updateState_; }

 private:
  void OpenConfiguration();
  void CreateLayout();
  void CreateStoreToolbar();

  wxFileConfig* config_ = nullptr;
  wxAuiManager* auiManager_ = nullptr;
  wxAuiNotebook* notebook_ = nullptr;
  wxAuiToolBar* mainToolbar_ = nullptr;
  wxAuiToolBar* storeToolbar_ = nullptr;
  wxArrayString companyNames_;
  wxArrayLong companyIds_;
  int currentCompanyIndex_ = 0;
  PluginManager* pluginManager_ = nullptr;  // made after login
  IAuthService* authService_ = nullptr;
  bool loggedIn_ = false;
  wxString windowTitle_;
  wxString versionText_;
  wxString updateStatusText_;
  int updateState_ = 0;
  bool upgradeRequired_ = false;
  SQLData* database_ = nullptr;
  Querys* querys_ = nullptr;
};
