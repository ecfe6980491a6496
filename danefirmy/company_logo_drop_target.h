// The drop target of the company editor's logo box: the first file dropped goes to
// the editor's callback, which checks it and takes it as the logo.
#pragma once

#include <wx/dnd.h>

#include <functional>

class CompanyLogoDropTarget : public wxFileDropTarget {
 public:
  using Callback = std::function<bool(const wxString& fileName)>;
  explicit CompanyLogoDropTarget(Callback callback) : callback_(std::move(callback)) {}
  ~CompanyLogoDropTarget() override = default;

  // The first file only; false (the drop refused) for no file or no callback,
  // otherwise the callback's answer.
  bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& fileNames) override;

 private:
  Callback callback_;
};
