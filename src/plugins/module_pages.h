// The pages the host builds from what a module describes: the deferred settings
// page's factory, the module's main tab for a module without its own page
// function, and what the two XRC-based pages share. PluginManager builds through these; each page copies what it needs of
// the module record, so it can be built later and outlive the record's changes.
#pragma once

#include "app/common/lazy_loadable_panel.h"
#include "pluginmanager/plugin_module.h"

class wxSizer;
class wxWindow;

namespace veldrix {

// The opening of a host-built module page: the page header with the title, then
// the description wrapped at 650 pixels when there is one.
void AddModulePageHeading(wxWindow* page, wxSizer* sizer, const wxString& title, const wxString& description);

// The panel `objectName` of the module's XRC file, made a child of `page` with a
// resource of its own (nothing stays registered once the page is built) and added
// to the page's sizer. When the file or the object does not load, the page shows
// its heading (`title`, else "Moduł") with the reason instead, and the result is null.
wxWindow* LoadModuleXrcPanel(wxWindow* page, const wxString& title, const wxString& xrcFile,
                             const wxString& objectName);

// Whether the user is typing in the control: a text, search or date control that
// has the keyboard focus (or whose inner editor has it). Module values leave such
// a control alone.
bool IsBeingTyped(wxWindow* control);

// Tells the user of a settings page, under its title, that the values were not
// stored, and why when the reason is known; the page then stays unsaved.
void ReportUnsavedModuleSettings(wxWindow* page, const wxString& title, const wxString& reason);

// Builds the module's XRC settings page when it has one, else its settings form.
SettingsPageFactory MakeModuleSettingsPage(const PluginModule& module);

// The module's main tab as a child of `parent`: its main page (rows and actions).
// Null when the module describes none.
wxWindow* BuildModuleMainPage(wxWindow* parent, const PluginModule& module);

}  // namespace veldrix
