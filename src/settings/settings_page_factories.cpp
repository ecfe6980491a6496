#include "settings/settings_page_factories.h"

#include "app/common/i18n.h"
#include "pluginmanager/plugin_manager.h"
#include "settings/article_custom_fields_panel.h"
#include "settings/module_dictionaries_panel.h"
#include "settings/settings_application.h"

#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {

wxWindow* Dictionaries(wxWindow* parent, ISettingsApplication* app, std::vector<DictionaryKind> kinds) {
  auto* page = new ModuleDictionariesPanel(parent, _("Słowniki"), std::move(kinds), app);
  page->EnsureLoaded();
  return page;
}

wxWindow* CustomFields(wxWindow* parent, ISettingsApplication* app, const wxString& objectType, const wxString& title,
                       bool articleTable, const wxString& valueTable) {
  auto* page = new ArticleCustomFieldsPanel(parent, objectType, title, articleTable, valueTable, app);
  page->EnsureLoaded();
  return page;
}

}  // namespace

wxWindow* CreateModuleSettingsPage(ISettingsApplication* app, const wxString& module, wxWindow* parent,
                                   const wxString& pageKey) {
  veldrix::PluginManager* host = app ? app->GetPluginManager() : nullptr;
  return host ? host->CreateModulePage(module, parent, pageKey, wxString(), nullptr) : nullptr;
}

wxWindow* CreateInvoiceNumberingPage(wxWindow* parent, ISettingsApplication* app) {
  return CreateModuleSettingsPage(app, "faktury", parent, "faktury.ustawienia-numeracji");
}

wxWindow* CreateInvoiceDictionariesPage(wxWindow* parent, ISettingsApplication* app) {
  return Dictionaries(parent, app, {kDictionaryPaymentForm});
}

wxWindow* CreateInvoiceCustomFieldsPage(wxWindow* parent, ISettingsApplication* app) {
  return CustomFields(parent, app, "faktury", _("Pola dodatkowe faktur"), false,
                      "dokument_handlowy_pole_dodatkowe_wartosc");
}

wxWindow* CreateArticleDictionariesPage(wxWindow* parent, ISettingsApplication* app) {
  return Dictionaries(parent, app, {kDictionaryArticleCategory, kDictionaryUnit, kDictionaryPriceKind});
}

wxWindow* CreateArticleVariantsPage(wxWindow* parent, ISettingsApplication* app) {
  if (wxWindow* page = CreateModuleSettingsPage(app, "artykuly", parent, "artykuly.ustawienia-wariantow")) {
    return page;
  }
  auto* fallback = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(fallback, wxID_ANY, _("Moduł Artykuły wymaga aktualizacji lub jest niedostępny.")), 0,
             wxALL, 12);
  fallback->SetSizer(sizer);
  return fallback;
}

wxWindow* CreateArticleCustomFieldsPage(wxWindow* parent, ISettingsApplication* app) {
  return CustomFields(parent, app, "artykuly", _("Pola dodatkowe artykułów"), true, wxString());
}

wxWindow* CreateContractorDictionariesPage(wxWindow* parent, ISettingsApplication* app) {
  return Dictionaries(parent, app, {kDictionaryContractorClassification});
}

wxWindow* CreateContractorCustomFieldsPage(wxWindow* parent, ISettingsApplication* app) {
  return CustomFields(parent, app, "kontrahenci", _("Pola dodatkowe kontrahentów"), false,
                      "kontrahent_pole_dodatkowe_wartosc");
}

wxWindow* CreateLedgerDictionariesPage(wxWindow* parent, ISettingsApplication* app) {
  return Dictionaries(parent, app, {kDictionaryLedgerEvent});
}
