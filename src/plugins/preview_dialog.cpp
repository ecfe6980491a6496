#include "plugins/preview_dialog.h"

#include "app/common/i18n.h"
#include "app/common/window_placement.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stc/stc.h>

namespace veldrix {

const char kPreviewDialogName[] = "PluginPreviewDialog";

namespace {

struct StyleColour {
  int style;
  unsigned char red, green, blue;
};

// Foreground colours of the XML lexer's styles.
const StyleColour kXmlColours[] = {
    {wxSTC_H_TAG, 0, 72, 150},          {wxSTC_H_TAGUNKNOWN, 180, 0, 0},
    {wxSTC_H_ATTRIBUTE, 145, 60, 0},    {wxSTC_H_ATTRIBUTEUNKNOWN, 180, 0, 0},
    {wxSTC_H_NUMBER, 80, 80, 180},      {wxSTC_H_DOUBLESTRING, 0, 120, 55},
    {wxSTC_H_SINGLESTRING, 0, 120, 55}, {wxSTC_H_OTHER, 90, 90, 90},
    {wxSTC_H_COMMENT, 120, 120, 120},   {wxSTC_H_ENTITY, 150, 0, 150},
    {wxSTC_H_XMLSTART, 90, 90, 90},     {wxSTC_H_XMLEND, 90, 90, 90},
    {wxSTC_H_CDATA, 80, 80, 80},
};

}  // namespace

void SetUpPreviewText(wxStyledTextCtrl* control, const wxString& text) {
  const wxFont font(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE));
  // The default style is set before the reset, so every style, the XML ones
  // included, takes the fixed-pitch font and the lines of a document align.
  control->StyleSetFont(wxSTC_STYLE_DEFAULT, font);
  control->StyleSetForeground(wxSTC_STYLE_DEFAULT, wxColour(25, 25, 25));
  control->StyleSetBackground(wxSTC_STYLE_DEFAULT, *wxWHITE);
  control->StyleClearAll();
  control->SetLexer(wxSTC_LEX_XML);
  control->SetCodePage(wxSTC_CP_UTF8);
  control->SetUseTabs(false);
  control->SetTabWidth(4);
  control->SetIndent(4);
  control->SetWrapMode(wxSTC_WRAP_NONE);
  control->SetViewWhiteSpace(wxSTC_WS_INVISIBLE);

  control->SetMarginType(0, wxSTC_MARGIN_NUMBER);
  control->SetMarginWidth(0, 48);
  control->SetMarginWidth(1, 0);
  control->SetMarginWidth(2, 0);

  control->StyleSetFont(wxSTC_STYLE_LINENUMBER, font);
  control->StyleSetForeground(wxSTC_STYLE_LINENUMBER, wxColour(115, 115, 115));
  control->StyleSetBackground(wxSTC_STYLE_LINENUMBER, wxColour(240, 240, 240));
  control->StyleSetFont(wxSTC_STYLE_BRACELIGHT, font);
  control->StyleSetBackground(wxSTC_STYLE_BRACELIGHT, wxColour(230, 242, 255));
  control->StyleSetForeground(wxSTC_STYLE_BRACELIGHT, wxColour(0, 80, 160));
  for (const StyleColour& entry : kXmlColours) {
    control->StyleSetForeground(entry.style, wxColour(entry.red, entry.green, entry.blue));
  }

  control->SetReadOnly(false);
  control->SetText(text);
  control->EmptyUndoBuffer();
  control->Colourise(0, -1);
  control->SetReadOnly(true);
}

void ShowPreviewDialog(wxWindow* parent, const wxString& title, const wxString& text) {
  wxDialog dialog(parent, wxID_ANY, title, wxDefaultPosition, wxSize(900, 650),
                  wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER, kPreviewDialogName);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* view = new wxStyledTextCtrl(&dialog, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN);
  SetUpPreviewText(view, text);
  sizer->Add(view, 1, wxEXPAND | wxALL, 8);
  sizer->Add(new wxButton(&dialog, wxID_OK, _("Zamknij")), 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 8);
  dialog.SetSizer(sizer);
  dialog.Layout();
  dialog.CentreOnParent(wxBOTH);
  KeepPositionOnFirstShow(&dialog);
  view->SetFocus();
  dialog.ShowModal();
}

}  // namespace veldrix
