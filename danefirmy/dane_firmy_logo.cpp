// The company editor's logo: the preview in the header (click to choose a file,
// drop a file on it, "X" to remove), reading the logo of the shown company, and
// the logo's part of the save. A chosen file is only remembered until the save,
// which reads, converts and checks it before the company's transaction writes it.
#include "danefirmy/dane_firmy.h"

#include "app/common/base64.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "danefirmy/company_logo_drop_target.h"
#include "sqldata/sql_data.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/generic/statbmpg.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>

#include <algorithm>

namespace {

void ShowLogoMessage(const wxString& message, wxWindow* parent) {
  veldrix::ShowMessageBox(message, _("Logo firmy"), wxOK | wxICON_WARNING, parent);
}

}  // namespace

void DaneFirmy::BindLogoHandlers() {
  auto take = [this](const wxString& file) { return LoadCompanyLogoFromFile(file); };
  for (wxWindow* window : {static_cast<wxWindow*>(logoPreview_), static_cast<wxWindow*>(logoPanel_)}) {
    window->SetDropTarget(new CompanyLogoDropTarget(take));
    window->Bind(wxEVT_LEFT_UP, &DaneFirmy::OnChooseLogo, this);
    window->SetCursor(wxCursor(wxCURSOR_HAND));
  }
  logoPanel_->Bind(wxEVT_SIZE, &DaneFirmy::OnLogoPreviewSize, this);
  removeLogoButton_->Bind(wxEVT_BUTTON, &DaneFirmy::OnRemoveLogo, this);
}

wxString DaneFirmy::LogoCacheDir() const {
  return db_ ? CompanyLogoCacheDir(db_->GetConnectionString(), db_->GetServer()) : wxString();
}

bool DaneFirmy::EnsureCompanyLogoColumns() {
  if (!db_) return false;
  for (const char* column : {"logo_base64", "logo_format", "logo_size"}) {
    if (db_->ColumnExists("firma", column)) continue;
    // A look-up that failed tells nothing of the schema; errorFlag tells the caller.
    if (!db_->errorFlag) {
      wxLogWarning("%s", _("Schemat danych firmy nie jest aktualny. Uruchom aktualizację bazy z pliku "
                           "baza_aktualizacja.json."));
    }
    return false;
  }
  return true;
}

void DaneFirmy::LoadCompanyLogo() {
  logoFilePath_.clear();
  logoBase64_.clear();
  logoFormat_ = "png";
  long id = 0;
  if (currentId_.ToLong(&id, 10) && id >= 1 && EnsureCompanyLogoColumns()) {
    wxArrayString cells;
    Read([&] {
      cells = db_->FrameData(wxString::Format(
          "select coalesce(logo_base64,''),coalesce(logo_format,'png') from firma where id_firmy=%ld", id));
    });
    if (cells.size() >= 2) {
      logoBase64_ = cells[0];
      logoFormat_ = cells[1].empty() ? wxString("png") : cells[1];
    }
  }
  if (logoBase64_.empty()) {
    // The company's file in the logo folder stands in for an empty row. A file that
    // is no image is not offered: every save would fail on it.
    const wxString file = CompanyLogoCachePath(LogoCacheDir(), currentId_);
    wxImage image;
    if (!file.empty() && LoadLogoImage(file, &image)) logoFilePath_ = file;
  }
  logoRemoved_ = false;
  UpdateLogoPreview();
}

bool DaneFirmy::LoadCompanyLogoFromFile(const wxString& path) {
  LogoError error = LogoError::None;
  if (!PrepareLogoFile(path, nullptr, &error)) {
    ShowLogoMessage(LogoErrorMessage(error), this);
    return false;
  }
  // Only the path is kept: the save reads and converts the file again.
  logoFilePath_ = path;
  logoBase64_.clear();
  logoFormat_ = "png";
  logoRemoved_ = false;
  UpdateLogoPreview();
  MarkModified();
  return true;
}

void DaneFirmy::OnChooseLogo(wxMouseEvent& event) {
  event.Skip();
  wxFileDialog dialog(this, _("Wybierz logo firmy"), wxString(), wxString(),
                      _("Logo (*.png;*.jpg;*.jpeg)|*.png;*.jpg;*.jpeg"), wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() == wxID_OK) LoadCompanyLogoFromFile(dialog.GetPath());
}

void DaneFirmy::OnRemoveLogo(wxCommandEvent&) {
  logoRemoved_ = true;
  logoFilePath_.clear();
  UpdateLogoPreview();
  MarkModified();
}

void DaneFirmy::OnLogoPreviewSize(wxSizeEvent& event) {
  UpdateLogoPreview();
  event.Skip();
}

void DaneFirmy::UpdateLogoPreview() {
  if (!logoPreview_) return;
  const int width = LogoPreviewCanvasWidth(logoPreview_->GetClientSize().x);
  wxBitmap canvas(width, kLogoPreviewHeight);
  wxMemoryDC dc(canvas);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();

  wxImage image;
  bool drawn = false;
  if (!logoRemoved_) {
    if (!logoBase64_.empty()) {
      const wxMemoryBuffer bytes = veldrix::DecodeBase64(logoBase64_, wxBase64DecodeMode_SkipWS);
      drawn = DecodeLogoImage(bytes.GetData(), bytes.GetDataLen(), &image);
    }
    if (!drawn && !logoFilePath_.empty()) drawn = LoadLogoImage(logoFilePath_, &image);
  }
  if (drawn) {
    const wxSize size = LogoPreviewImageSize(image.GetSize(), width);
    image.Rescale(size.x, size.y, wxIMAGE_QUALITY_HIGH);
    dc.DrawBitmap(wxBitmap(image), (width - size.x) / 2, (kLogoPreviewHeight - size.y) / 2, true);
  } else {
    DrawLogoPlaceholder(dc, width);
  }
  dc.SelectObject(wxNullBitmap);
  logoPreview_->SetBitmap(canvas);

  // A logo that is kept but cannot be drawn (its file went away) can be removed too.
  const bool hasLogo = drawn || (!logoRemoved_ && (!logoBase64_.empty() || !logoFilePath_.empty()));
  removeLogoButton_->Show(hasLogo);
  removeLogoButton_->Enable(hasLogo);
  logoPanel_->Layout();
}

void DaneFirmy::DrawLogoPlaceholder(wxDC& dc, int width) {
  const wxBitmap icon = wxArtProvider::GetBitmap(wxART_NORMAL_FILE, wxART_OTHER, wxSize(28, 28));
  if (icon.IsOk()) {
    dc.DrawBitmap(icon, (width - icon.GetWidth()) / 2, std::max(6, (kLogoPreviewHeight - icon.GetHeight()) / 2 - 12),
                  true);
  }
  const wxString hint = _("Upuść logo, aby dodać");
  dc.SetFont(GetFont());
  dc.SetTextForeground(wxColour(100, 100, 100));
  const wxSize extent = dc.GetTextExtent(hint);
  dc.DrawText(hint, std::max(2, (width - extent.x) / 2), 64 - extent.y);

  // A dashed frame of 2-pixel dashes, 3 long and 3 apart.
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(wxColour(170, 170, 170)));
  const int right = std::max(1, width - 3);
  for (int x = 1; x < right; x += 6) {
    const int length = std::min(3, right - x + 1);
    dc.DrawRectangle(x, 1, length, 2);
    dc.DrawRectangle(x, 69, length, 2);
  }
  for (int y = 1; y < 69; y += 6) {
    const int length = std::min(3, 70 - y);
    dc.DrawRectangle(1, y, 2, length);
    dc.DrawRectangle(right, y, 2, length);
  }
}

bool DaneFirmy::PrepareLogoSave(CompanyLogoUpdate* update) {
  *update = CompanyLogoUpdate();
  // Without the columns nothing is written for the logo: a file in the logo folder
  // would be seen by this workstation only. A look-up that failed (the file locked
  // by another program, a silent server) stops the save, which would wait for the
  // same lock again or store the company without its logo.
  if (!EnsureCompanyLogoColumns()) {
    if (!db_ || !db_->errorFlag) return true;
    ShowSaveReadFailure();
    return false;
  }
  if (logoRemoved_ || (logoFilePath_.empty() && logoBase64_.empty())) {
    update->action = CompanyLogoUpdate::Action::Clear;
    return true;
  }
  CompanyLogoUpdate logo;
  logo.action = CompanyLogoUpdate::Action::Store;
  logo.base64 = logoBase64_;
  logo.format = logoFormat_.empty() ? wxString("png") : logoFormat_;
  LogoError error = LogoError::None;
  if (!logoFilePath_.empty()) {
    PreparedLogo prepared;
    if (PrepareLogoFile(logoFilePath_, &prepared, &error)) {
      logo.base64 = prepared.base64;
      logo.format = prepared.format;
    }
  }
  logo.size = DecodedBase64Size(logo.base64);
  if (error == LogoError::None && (logo.base64.empty() || logo.size > kCompanyLogoMaxBytes)) {
    error = logo.base64.empty() ? LogoError::Unreadable : LogoError::TooLarge;
  }
  if (error != LogoError::None) {
    ShowLogoMessage(_("Nie udało się zapisać logo firmy.") + "\n" + LogoErrorMessage(error), this);
    return false;
  }
  *update = logo;
  return true;
}

bool DaneFirmy::FinishLogoSave(const CompanyLogoUpdate& update, const wxString& companyId) {
  if (update.action == CompanyLogoUpdate::Action::Keep) {
    veldrix::ShowMessageBox(_("Nie udało się zapisać logo firmy."), _("Logo firmy"), wxOK | wxICON_EXCLAMATION,
                            this);
    return false;
  }
  // The row holds the logo, or none: the company's file has served its turn.
  RemoveLogoFile(companyId);
  const bool stored = update.action == CompanyLogoUpdate::Action::Store;
  logoFilePath_.clear();
  logoBase64_ = stored ? update.base64 : wxString();
  logoFormat_ = stored ? update.format : wxString("png");
  logoRemoved_ = false;
  return true;
}

void DaneFirmy::RemoveLogoFile(const wxString& companyId) {
  const wxString file = CompanyLogoCachePath(LogoCacheDir(), companyId);
  if (!file.empty() && wxFileName::FileExists(file)) wxRemoveFile(file);
}
