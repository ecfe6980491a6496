#include "plugins/plugin_modules_panel.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/page_header.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/checklst.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace veldrix {

PluginModulesPanel::PluginModulesPanel(wxWindow* parent, PluginManager* manager)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), manager_(manager) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  AddPageHeader(this, sizer, _("Moduły"));
  sizer->Add(new wxStaticText(this, wxID_ANY, _("Folder: ") + PluginManager::GetModulesDirectory()), 0,
             wxEXPAND | wxALL, 5);

  list_ = new wxCheckListBox(this, wxID_ANY);
  for (std::size_t i = 0; i < manager_->GetModuleCount(); ++i) {
    const PluginModule& module = manager_->GetModule(i);
    wxString text = module.Name().empty() ? _("Moduł") : module.Name();
    if (!module.Version().empty()) text += " " + module.Version();
    text += " - " + manager_->GetModuleStateText(i);
    const int item = list_->Append(text);
    list_->Check(static_cast<unsigned>(item), module.enabled);
  }
  list_->Bind(wxEVT_CHECKLISTBOX, &PluginModulesPanel::OnModuleToggled, this);
  sizer->Add(list_, 1, wxEXPAND | wxALL, 5);
  sizer->Add(new wxStaticText(this, wxID_ANY,
                              _("Zmiana włączenia modułu będzie w pełni widoczna po ponownym uruchomieniu programu.")),
             0, wxEXPAND | wxALL, 5);
  SetSizer(sizer);
}

void PluginModulesPanel::OnModuleToggled(wxCommandEvent& event) {
  const int index = event.GetInt();
  if (index < 0) return;
  const unsigned item = static_cast<unsigned>(index);
  wxString error;
  const bool switched = manager_->SetModuleEnabled(static_cast<std::size_t>(index), list_->IsChecked(item), &error);
  // Dependencies come on and dependants go off with the module; a failure changed nothing.
  for (unsigned i = 0; i < list_->GetCount() && i < manager_->GetModuleCount(); ++i) {
    list_->Check(i, manager_->GetModule(i).enabled);
  }
  if (!switched) ShowMessageBox(error, _("Moduły"), wxOK | wxICON_ERROR, this);
}

}  // namespace veldrix
