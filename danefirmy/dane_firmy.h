// DaneFirmy: the company editor of the "Dane firmy" tab. The company list on the
// left, the form of the selected company on the right (identity, address, bank
// accounts, document texts, identity history, registry ids). The hosting tab drives
// it through the record operations of CustomNotebookPanel.
#pragma once

#include "app/common/custom_notebook_panel.h"
#include "app/common/failure_notice.h"
#include "danefirmy/company_logo.h"
#include "danefirmy/company_record.h"
#include "danefirmy/company_validation.h"

#include <wx/dataview.h>
#include <wx/datetime.h>
#include <wx/dynarray.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CompanyLookupTarget;
struct CompanyData;
class DaneFirmyMainPanel;
class DVModel;
class ICompanyApplication;
class Querys;
class SQLData;
class wxButton;
class wxCheckBox;
class wxComboBox;
class wxDC;
class wxDatePickerCtrl;
class wxGenericStaticBitmap;
class wxNotebook;
class wxPanel;
class wxScrolledWindow;
class wxSplitterEvent;
class wxSplitterWindow;
class wxStaticText;
class wxTextCtrl;

// The company list's search columns (the codes the tab passes to SearchRecords).
enum SearchColumn { SearchByName = 0, SearchByNip = 1, SearchByCity = 2 };

class DaneFirmy : public CustomNotebookPanel {
 public:
  // id is not used: the panel takes any id. host may not be null.
  DaneFirmy(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, DaneFirmyMainPanel* host);
  ~DaneFirmy() override;

  void NewRecord() override;
  bool SaveRecord() override;
  void DeleteRecord() override;
  // Shows the record as stored (an empty form for "0"), unmodified: "Zapisz" and
  // "Anuluj" go off.
  bool LoadRecord(const wxString& id) override;
  void SearchRecords(int column, const wxString& text) override;
  wxString GetRecordId() override { return currentId_; }
  bool IsModified() override { return modified_; }

  // The one change-tracking entry: the first change after a load or save enables
  // the host's Save and Cancel.
  void MarkModified();
  // Clears the modified flag and switches the host's Save and Cancel off: the form
  // holds a stored or an empty record again, which "Wybierz" may choose or not.
  void MarkUnmodified();
  // Recomputes the title and the status line from the form.
  void UpdateStatusLine();
  // Breaks the status line into lines of the width the header gives it.
  void WrapStatusLine();

  // Record operations below the CustomNotebookPanel ones.
  bool ValidateCompany();
  bool SaveCompany(const wxString& id);
  void DeleteCompany();
  void ClearForm(bool focusName);
  void ShowSelectedCompany();
  void SelectCompanyRow(int row);
  void ShowFirstAccount();
  void ResetAccountEditor();

  // Bank accounts: every change stays in the account list until the company is
  // saved. Shows the selected account row in the account editor.
  void ShowAccount();
  // Whether the company's table has the logo columns; logs why not.
  bool EnsureCompanyLogoColumns();
  // Checks a chosen or dropped file and takes it as the logo until the save.
  bool LoadCompanyLogoFromFile(const wxString& path);
  // Reads the current company's logo from its row or its file in the logo folder.
  void LoadCompanyLogo();
  void UpdateLogoPreview();

  // Read by tests and by the tab.
  wxDataViewCtrl* GetCompanyList() const { return companyList_; }
  DVModel* GetCompanyModel() const { return companyModel_.get(); }
  DVModel* GetAccountModel() const { return accountModel_.get(); }
  DVModel* GetHistoryModel() const { return historyModel_.get(); }
  wxString GetTitleText() const;
  wxWindow* GetTitleLabel() const;
  wxString GetStatusText() const;
  // The text field of a validated field (null for CompanyField::None).
  wxWindow* FieldWindow(CompanyField field) const;

 private:
  void BuildWindow();
  wxWindow* BuildCompanyPage(wxWindow* parent);
  wxWindow* BuildAdvancedPage(wxWindow* parent);
  void BindHandlers();
  // The lists' columns and first rows, and the payment forms.
  void LoadLists();
  void SizeAfterConstruction();
  // Runs reads of the editor's database. When one fails, the user is told once the
  // current event has been handled, instead of seeing empty lists as if there were
  // no companies. True when every read succeeded.
  bool Read(const std::function<void()>& reads);
  void NoteReadFailure();

  CompanyRecord ReadForm() const;
  void FillForm(const CompanyRecord& company);
  CompanyValidationFields ValidationFields() const;
  void EnableDeleteTool(bool enable);
  void AnnounceNewCompany(const wxString& id);
  ICompanyApplication* Application() const;

  // The company list (dane_firmy_list.cpp).
  void LoadCompanyList();
  // Reads the companies of the search condition into the list; *row (when given)
  // gets the row of `key`, -1 when it is not listed. False when the read failed.
  bool ReadCompanyList(const wxString& condition, const wxString& key, int* row);
  wxString IdOfRow(int row) const;
  int RowOfId(const wxString& id) const;
  void SelectItemQuietly(const wxDataViewItem& item);
  void OnCompanySelected(wxDataViewEvent& event);

  // The page "Dokumenty" (dane_firmy_documents.cpp).
  wxWindow* BuildDocumentsPage(wxWindow* parent);
  void LoadPaymentForms();

  // The page "Historia" (dane_firmy_history.cpp).
  wxWindow* BuildHistoryPage(wxWindow* parent);
  void LoadHistoryList();
  // The shown company's history.
  void ShowHistory();

  // The account page (dane_firmy_accounts.cpp).
  wxWindow* BuildAccountsPage(wxWindow* parent);
  void LoadAccountList();
  void BindAccountHandlers();
  int SelectedAccountRow() const;
  void SelectAccountQuietly(const wxDataViewItem& item);
  CompanyAccountRow ReadAccountEditor() const;
  void FillAccountEditor();
  void ShowCurrentAccount();
  void RemoveSelectedAccount();
  void StoreAccountFields();
  wxString GetAccountCurrency() const;
  // Every account a save writes has a valid number; otherwise the account is shown
  // with the message and the focus in its number.
  bool ValidateAccounts();
  // "Dodaj"/"Zmień": false when the number was refused (the user told).
  bool ApplyAccountEditor();
  // An account typed after "Nowy" and not added: the save adds it as "Dodaj" does.
  bool ApplyTypedAccount();
  void OnAccountSelected(wxDataViewEvent& event);
  void OnAccountValueChanged(wxDataViewEvent& event);
  void OnNewAccount(wxCommandEvent& event);
  void OnApplyAccount(wxCommandEvent& event);
  void OnRemoveAccount(wxCommandEvent& event);
  void OnAccountFieldChanged(wxCommandEvent& event);

  // The logo (dane_firmy_logo.cpp). The logo is read, converted and checked before
  // the company's transaction, which then writes it with the company. Without the
  // logo columns it is kept nowhere (Keep), and the finished save says so.
  void BindLogoHandlers();
  wxString LogoCacheDir() const;
  bool PrepareLogoSave(CompanyLogoUpdate* update);
  // A read the save depends on failed: nothing was saved, the box says so first.
  void ShowSaveReadFailure();
  // After the commit, with the stored company's id; false when the database could
  // not hold the logo (the company is saved).
  bool FinishLogoSave(const CompanyLogoUpdate& update, const wxString& companyId);
  void RemoveLogoFile(const wxString& companyId);
  void DrawLogoPlaceholder(wxDC& dc, int width);
  void OnChooseLogo(wxMouseEvent& event);
  void OnRemoveLogo(wxCommandEvent& event);
  void OnLogoPreviewSize(wxSizeEvent& event);

  void OnIdentityFieldChanged(wxCommandEvent& event);
  void OnFieldChanged(wxCommandEvent& event);
  // "Pobierz z GUS" (dane_firmy_lookup.cpp): the lookup by the typed NIP and its result.
  void OnFetchFromGus(wxCommandEvent& event);
  void OnCompanyLookupResult(bool ok, const CompanyData& data, const wxString& error);
  void OnSashChanging(wxSplitterEvent& event);
  void OnSashChanged(wxSplitterEvent& event);
  void OnSashResize(wxSplitterEvent& event);

  DaneFirmyMainPanel* host_;
  wxWindow* parent_;
  std::unique_ptr<SQLData> db_;
  veldrix::FailureNotice readFailures_;
  std::unique_ptr<Querys> queries_;
  wxObjectDataPtr<DVModel> companyModel_;
  wxObjectDataPtr<DVModel> accountModel_;
  wxObjectDataPtr<DVModel> historyModel_;
  wxArrayInt paymentIds_;
  wxString currentId_ = "0";
  wxString accountId_ = "0";
  wxString accountState_;
  wxDataViewItem currentCompanyItem_;
  wxDataViewItem currentAccountItem_;
  bool modified_ = false;
  // Set (through veldrix::ScopedFlag) while the program fills the form, whose
  // events are no edits of the user's.
  bool loading_ = false;
  // Set while the program moves the list selection, whose events are not the user's.
  bool selecting_ = false;
  wxString logoFilePath_;
  wxString logoBase64_;
  wxString logoFormat_ = "png";
  bool logoRemoved_ = false;
  std::vector<long> removedAccounts_;
  wxDateTime loadedValidFrom_;
  // The stored company as loaded, and as the form showed it then: the save writes
  // what the user changed since over what is stored by then. None for a new company.
  std::optional<CompanySnapshot> loaded_;
  CompanyRecord shown_;
  // The default company as the form was loaded or cleared (CompanyStore::
  // DefaultCompanies); none when it could not be read.
  std::optional<wxString> loadedDefaultCompanies_;
  // Detached first thing on destruction, so a lookup still running never calls in.
  std::unique_ptr<CompanyLookupTarget> lookupTarget_;

  wxSplitterWindow* splitter_ = nullptr;
  wxDataViewCtrl* companyList_ = nullptr;
  wxScrolledWindow* scrolled_ = nullptr;
  wxPanel* form_ = nullptr;
  wxButton* saveButton_ = nullptr;
  wxButton* cancelButton_ = nullptr;
  wxStaticText* titleLabel_ = nullptr;
  wxStaticText* statusLabel_ = nullptr;
  wxString statusText_;  // the status line unbroken
  wxPanel* logoPanel_ = nullptr;
  wxGenericStaticBitmap* logoPreview_ = nullptr;
  wxButton* removeLogoButton_ = nullptr;
  wxNotebook* notebook_ = nullptr;

  wxDatePickerCtrl* datePicker_ = nullptr;
  wxCheckBox* aktywna_ = nullptr;
  wxCheckBox* domyslna_ = nullptr;
  wxTextCtrl* nazwa_ = nullptr;
  wxTextCtrl* nazwaPelna_ = nullptr;
  wxTextCtrl* nip_ = nullptr;
  wxButton* gusButton_ = nullptr;
  wxTextCtrl* regon_ = nullptr;
  wxCheckBox* platnikVat_ = nullptr;
  wxCheckBox* czynnyVat_ = nullptr;
  wxCheckBox* malyPodatnik_ = nullptr;
  wxCheckBox* vatKwartalny_ = nullptr;
  wxCheckBox* metodaKasowa_ = nullptr;
  wxComboBox* kraj_ = nullptr;
  wxTextCtrl* kod_ = nullptr;
  wxTextCtrl* miejscowosc_ = nullptr;
  wxTextCtrl* ulica_ = nullptr;
  wxTextCtrl* wojewodztwo_ = nullptr;
  wxTextCtrl* telefon_ = nullptr;
  wxTextCtrl* email_ = nullptr;
  wxTextCtrl* www_ = nullptr;
  wxTextCtrl* uwagi_ = nullptr;

  wxTextCtrl* accNazwa_ = nullptr;
  wxTextCtrl* accNumer_ = nullptr;
  wxTextCtrl* accBank_ = nullptr;
  wxComboBox* accWaluta_ = nullptr;
  wxTextCtrl* accSwift_ = nullptr;
  wxTextCtrl* accIban_ = nullptr;
  wxTextCtrl* accOpis_ = nullptr;
  wxCheckBox* accDomyslny_ = nullptr;
  wxCheckBox* accAktywny_ = nullptr;
  wxButton* accNew_ = nullptr;
  wxButton* accApply_ = nullptr;
  wxButton* accRemove_ = nullptr;
  wxDataViewCtrl* accountList_ = nullptr;
  wxWindow* accountsPage_ = nullptr;
  // Set while the account list reacts to its own value change.
  bool togglingAccount_ = false;

  wxCheckBox* pokazujLogo_ = nullptr;
  wxTextCtrl* naglowek_ = nullptr;
  wxTextCtrl* stopka_ = nullptr;
  wxTextCtrl* informacja_ = nullptr;
  wxTextCtrl* miejsceWystawienia_ = nullptr;
  wxComboBox* formaPlatnosci_ = nullptr;
  wxTextCtrl* termin_ = nullptr;
  wxComboBox* waluta_ = nullptr;

  wxDataViewCtrl* historyList_ = nullptr;

  wxTextCtrl* krs_ = nullptr;
  wxTextCtrl* bdo_ = nullptr;
  wxTextCtrl* eori_ = nullptr;
  wxTextCtrl* gln_ = nullptr;
  wxTextCtrl* ksefId_ = nullptr;

  wxDECLARE_EVENT_TABLE();
};
