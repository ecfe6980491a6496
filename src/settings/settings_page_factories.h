// The builders of the settings tab's lazy pages: the dictionary and custom-field
// editors, and the invoice numbering and article variants pages that modules
// supply. Each builds its page on the given parent and returns it, or null when it
// cannot; the settings tab wraps them into SettingsPageFactory objects.
#pragma once

class ISettingsApplication;
class wxString;
class wxWindow;

wxWindow* CreateInvoiceNumberingPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateInvoiceDictionariesPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateInvoiceCustomFieldsPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateArticleDictionariesPage(wxWindow* parent, ISettingsApplication* app);
// The module's variants page, else a page saying the module is unavailable (never null).
wxWindow* CreateArticleVariantsPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateArticleCustomFieldsPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateContractorDictionariesPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateContractorCustomFieldsPage(wxWindow* parent, ISettingsApplication* app);
wxWindow* CreateLedgerDictionariesPage(wxWindow* parent, ISettingsApplication* app);

// A module's page created on the parent through the module host; null without a
// host or when the module is not active, permitted or does not supply the page.
wxWindow* CreateModuleSettingsPage(ISettingsApplication* app, const wxString& module, wxWindow* parent,
                                   const wxString& pageKey);
