#include "danefirmy/company_logo_drop_target.h"

bool CompanyLogoDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& fileNames) {
  if (fileNames.empty() || !callback_) return false;
  return callback_(fileNames[0]);
}
