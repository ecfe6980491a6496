#include "plugins/module_pages.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/page_header.h"
#include "pluginmanager/module_calls.h"
#include "plugins/plugin_main_page_panel.h"
#include "plugins/plugin_settings_form_panel.h"
#include "plugins/plugin_settings_xrc_panel.h"
#include "plugins/plugin_xrc_page_panel.h"
#include "plugins/windows_below.h"

#include <wx/datectrl.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

namespace veldrix {

void AddModulePageHeading(wxWindow* page, wxSizer* sizer, const wxString& title, const wxString& description) {
  AddPageHeader(page, sizer, title);
  if (description.empty()) return;
  // Shown as written: an "&" in a module's text or a file name marks no mnemonic.
  auto* text = new wxStaticText(page, wxID_ANY, wxString());
  text->SetLabelText(description);
  text->Wrap(650);
  sizer->Add(text, 0, wxEXPAND | wxALL, 5);
}

void ReportUnsavedModuleSettings(wxWindow* page, const wxString& title, const wxString& reason) {
  wxString message = _("Nie udało się zapisać ustawień modułu. Zmiany nie zostały zachowane.");
  if (!reason.empty()) message += "\n" + reason;
  ShowMessageBox(message, title.empty() ? _("Moduł") : title, wxOK | wxICON_ERROR, page);
}

namespace {

// A search box whose layout gives no hint shows the GUI library's own placeholder,
// which is English when the library's catalogue is missing.
void SetSearchPlaceholders(wxWindow* window, const wxString& libraryPlaceholder) {
  for (wxSearchCtrl* search : WindowsBelow<wxSearchCtrl>(window)) {
    if (search->GetDescriptiveText() == libraryPlaceholder) search->SetDescriptiveText(_("Szukaj"));
  }
}

}  // namespace

wxWindow* LoadModuleXrcPanel(wxWindow* page, const wxString& title, const wxString& xrcFile,
                             const wxString& objectName) {
  wxLogNull quiet;
  wxXmlResource resource(wxXRC_USE_LOCALE, wxEmptyString);
  resource.InitAllHandlers();
  wxWindow* panel = nullptr;
  wxString error;
  if (!resource.LoadFile(wxFileName(xrcFile))) {
    error = _("Nie udało się załadować pliku XRC: ") + xrcFile;
  } else if (!(panel = resource.LoadPanel(page, objectName))) {
    error = _("Nie udało się utworzyć panelu XRC: ") + objectName;
  }
  if (panel) {
    SetSearchPlaceholders(panel, wxGetTranslation("Search"));
    page->GetSizer()->Add(panel, 1, wxEXPAND);
  } else {
    AddModulePageHeading(page, page->GetSizer(), title.empty() ? _("Moduł") : title, error);
  }
  return panel;
}

bool IsBeingTyped(wxWindow* control) {
  if (!dynamic_cast<wxTextCtrl*>(control) && !dynamic_cast<wxSearchCtrl*>(control) &&
      !dynamic_cast<wxDatePickerCtrl*>(control)) {
    return false;
  }
  for (wxWindow* focus = wxWindow::FindFocus(); focus; focus = focus->GetParent()) {
    if (focus == control) return true;
    if (focus->IsTopLevel()) break;
  }
  return false;
}

SettingsPageFactory MakeModuleSettingsPage(const PluginModule& module) {
  const wxString title = module.settingsTitle;
  const wxString path = module.settingsPath;
  const std::vector<PluginSettingsFieldInfo> fields = module.settingsFields;
  if (module.hasXrcSettings) {
    const wxString file = module.xrcSettingsFile;
    const wxString object = module.xrcSettingsObject;
    const wxString saveButton = module.xrcSettingsSaveButton;
    const PluginTextPairs bindings = module.xrcSettingsBindings;
    const PluginTextPairs actions = module.xrcSettingsActions;
    const ModuleCalls calls(module);
    return [=](wxWindow* parent) -> wxWindow* {
      return new PluginSettingsXrcPanel(parent, title, file, object, path, saveButton, fields, bindings, actions,
                                        calls);
    };
  }
  const wxString text = module.settingsText;
  return [=](wxWindow* parent) -> wxWindow* { return new PluginSettingsFormPanel(parent, title, text, path, fields); };
}

wxWindow* BuildModuleMainPage(wxWindow* parent, const PluginModule& module) {
  if (!module.hasMainPage) return nullptr;
  if (module.hasXrcPage) {
    return new PluginXrcPagePanel(parent, module.mainPageTitle, module.xrcPageFile, module.xrcPageObject,
                                  module.xrcPageMainControl, module.xrcPageBindings, module.xrcPageColumns,
                                  ModuleCalls(module));
  }
  return new PluginMainPagePanel(parent, module.mainPageTitle, module.mainPageText, module.mainPageItems,
                                 ModuleCalls(module));
}

}  // namespace veldrix
