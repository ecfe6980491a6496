#include "app/common/message_box.h"

#include "app/common/text_folding.h"
#include "app/common/window_placement.h"

#include <wx/msgdlg.h>
// Needs the base class that wx/msgdlg.h declares.
#include <wx/generic/msgdlgg.h>

#include <initializer_list>
#include <utility>

namespace veldrix {

const char* const kMessageDangerWords[12] = {"usun",     "usuń",     "nadpisa",  "zastąpi", "zastap",   "wyłączyć",
                                             "wylaczyc", "anulować", "anulowac", "zapisa",  "przerwać", "przerwac"};

const char* const kMessageErrorWords[7] = {
    "nie udało",         "błąd", "wystąpił problem", "nie można uruchomić", "nie można otworzyć", "nie można załadować",
    "nie można utworzyć"};

const char* const kMessageWarningWords[9] = {"podaj",          "wybierz",        "uzupełnij", "nie może", "nieprawidł",
                                             "brak uprawnień", "nie znaleziono", "musi",      "zaznacz"};

namespace {

constexpr long kButtonBits = wxYES | wxOK | wxNO | wxCANCEL | wxAPPLY | wxCLOSE | wxHELP;  // 0x107E
constexpr long kIconBits = 0xF00;

bool HasYesNo(long style) { return (style & (wxYES | wxNO)) != 0; }

bool ContainsAny(const wxString& normalized, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (normalized.find(FoldCase(wxString::FromUTF8(word))) != wxString::npos) return true;
  }
  return false;
}

template <std::size_t N>
bool ContainsList(const wxString& text, const char* const (&words)[N]) {
  return ContainsAnyKeyword(text, words, N);
}

// A question that opens by asking to delete is about deleting, whatever else it
// mentions ("Usunąć ...? Zapisane dane pozostaną.").
bool AsksToDelete(const wxString& normalized) {
  wxString rest = normalized;
  rest.StartsWith("czy ", &rest);
  rest.StartsWith("na pewno ", &rest);
  return rest.StartsWith(wxString::FromUTF8("usunąć")) || rest.StartsWith("usunac");
}

bool IsGenericCaption(const wxString& caption) {
  static const char* const kGeneric[] = {"",     "message", "komunikat",    "pytanie", "informacja", "komunikat błędu",
                                         "blad", "błąd",    "welcome to..."};
  const wxString normalized = NormalizeMessageText(caption);
  for (const char* generic : kGeneric) {
    if (normalized == wxString::FromUTF8(generic)) return true;
  }
  return false;
}

int ResultToStyleFlag(int dialogResult) {
  switch (dialogResult) {
    case wxID_OK:
      return wxOK;
    case wxID_CANCEL:
      return wxCANCEL;
    case wxID_YES:
      return wxYES;
    case wxID_NO:
      return wxNO;
    default:
      return dialogResult;
  }
}

// Room the window manager's title bar takes beside the caption: the window's icon
// and its buttons.
constexpr int kTitleBarRoom = 120;

// The box of the library, whose width the program decides: GTK's own is only as wide
// as its message, and the window manager cuts a longer caption in its title bar.
class MessageDialog : public wxGenericMessageDialog {
 public:
  MessageDialog(wxWindow* parent, const MessageBoxLook& look)
      : wxGenericMessageDialog(parent, look.message, look.caption, look.style) {
    KeepPositionOnFirstShow(this);
  }

  // The controls exist once the first showing has begun.
  bool Show(bool show) override {
    if (show) {
      // Title bars show their captions in bold, seldom larger than the window's text.
      wxFont font = GetFont();
      font.MakeBold();
      int caption = 0;
      GetTextExtent(GetTitle(), &caption, nullptr, nullptr, nullptr, &font);
      if (GetSize().x < caption + kTitleBarRoom) {
        SetSize(caption + kTitleBarRoom, GetSize().y);
        Centre(wxBOTH | wxCENTER_FRAME);
      }
    }
    return wxGenericMessageDialog::Show(show);
  }
};

MessageBoxHandler& InstalledHandler() {
  static MessageBoxHandler handler;
  return handler;
}

}  // namespace

wxString NormalizeMessageText(const wxString& text) {
  wxString trimmed(text);
  trimmed.Trim(true).Trim(false);
  return FoldCase(trimmed);
}

bool ContainsAnyKeyword(const wxString& text, const char* const* words, std::size_t count) {
  const wxString normalized = NormalizeMessageText(text);
  for (std::size_t i = 0; i < count; ++i) {
    if (normalized.find(FoldCase(wxString::FromUTF8(words[i]))) != wxString::npos) return true;
  }
  return false;
}

long ChooseMessageStyle(const wxString& message, long style) {
  style |= wxCENTRE;
  if ((style & kButtonBits) == 0) style |= wxOK;

  const long icon = style & kIconBits;
  const bool yesNo = HasYesNo(style);
  // A Yes/No box never shows the question icon: a risky question gets the
  // exclamation mark, any other the information icon.
  if ((yesNo && (icon & wxICON_QUESTION)) || (yesNo && icon == 0)) {
    const long chosen = ContainsList(message, kMessageDangerWords) ? wxICON_EXCLAMATION : wxICON_INFORMATION;
    return (style & ~kIconBits) | chosen;
  }
  if (icon == 0) {
    if (ContainsList(message, kMessageErrorWords)) return style | wxICON_ERROR;
    if (ContainsList(message, kMessageWarningWords)) return style | wxICON_EXCLAMATION;
    return style | wxICON_INFORMATION;
  }
  return style;
}

wxString ChooseMessageCaption(const wxString& caption, long style, const wxString& message) {
  if (!IsGenericCaption(caption)) return caption;
  if (HasYesNo(style)) {
    const wxString text = NormalizeMessageText(message);
    return ContainsAny(text, {"zapisa"}) && !AsksToDelete(text) ? wxString(L"Niezapisane zmiany")
                                                                : wxString(L"Potwierdzenie");
  }
  if (style & wxICON_ERROR) return L"Błąd";
  if (style & wxICON_EXCLAMATION) return L"Sprawdź dane";
  if (style & wxICON_INFORMATION) return L"Informacja";
  if (ContainsList(message, kMessageWarningWords) || ContainsList(message, kMessageErrorWords)) return L"Informacja";
  return "Veldrix";
}

bool ChooseMessageButtonLabels(const wxString& message, long style, wxString* yesLabel, wxString* noLabel) {
  if (!HasYesNo(style)) return false;
  const wxString text = NormalizeMessageText(message);
  struct Rule {
    std::initializer_list<const char*> words;
    const wchar_t* yes;
    const wchar_t* no;
  };
  static const Rule kSave{{"zapisa"}, L"Zapisz", L"Nie zapisuj"};
  static const Rule kDelete{{"usun", "usuń", "usunąć", "usunac"}, L"Usuń", L"Nie usuwaj"};
  static const Rule kSwitchOff{{"wyłączyć", "wylaczyc"}, L"Wyłącz", L"Nie wyłączaj"};
  static const Rule kUpdate{{"zaktualizować", "zaktualizowac"}, L"Aktualizuj", L"Później"};
  static const Rule kCancel{{"anulować", "anulowac"}, L"Anuluj zmiany", L"Wróć"};
  static const Rule kRenumber{{"przenumer"}, L"Przenumeruj", L"Anuluj"};
  // The first whose word the message holds wins; a delete question wins over all.
  static const Rule* const kRules[] = {&kSave, &kDelete, &kSwitchOff, &kUpdate, &kCancel, &kRenumber};
  const Rule* match = AsksToDelete(text) ? &kDelete : nullptr;
  for (const Rule* rule : kRules) {
    if (!match && ContainsAny(text, rule->words)) match = rule;
  }
  const wchar_t* yes = match ? match->yes : L"Tak";
  const wchar_t* no = match ? match->no : L"Nie";
  if (yesLabel) *yesLabel = yes;
  if (noLabel) *noLabel = no;
  return true;
}

MessageBoxLook DescribeMessageBox(const wxString& message, const wxString& caption, long style) {
  MessageBoxLook look;
  look.message = message;
  look.style = ChooseMessageStyle(message, style);
  look.caption = ChooseMessageCaption(caption, look.style, message);
  ChooseMessageButtonLabels(message, look.style, &look.yesLabel, &look.noLabel);
  return look;
}

int ShowMessageDialog(const MessageBoxLook& look, wxWindow* parent) {
  MessageDialog dialog(parent, look);
  if (!look.cancelLabel.empty()) {
    dialog.SetYesNoCancelLabels(look.yesLabel, look.noLabel, look.cancelLabel);
  } else if (!look.yesLabel.empty() || !look.noLabel.empty()) {
    dialog.SetYesNoLabels(look.yesLabel, look.noLabel);
  }
  return dialog.ShowModal();
}

int ShowMessageBox(const wxString& message, const wxString& caption, long style, wxWindow* parent) {
  const MessageBoxLook look = DescribeMessageBox(message, caption, style);
  if (InstalledHandler()) return ResultToStyleFlag(InstalledHandler()(look, parent));
  return ResultToStyleFlag(ShowMessageDialog(look, parent));
}

int AskWithLabels(const wxString& message, const wxString& caption, long style, wxWindow* parent,
                  const wxString& yesLabel, const wxString& noLabel, const wxString& cancelLabel) {
  MessageBoxLook look;
  look.message = message;
  look.caption = caption;
  look.style = style | wxCENTRE;
  look.yesLabel = yesLabel;
  look.noLabel = noLabel;
  if (style & wxCANCEL) look.cancelLabel = cancelLabel;
  if (InstalledHandler()) return ResultToStyleFlag(InstalledHandler()(look, parent));
  return ResultToStyleFlag(ShowMessageDialog(look, parent));
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return std::exchange(InstalledHandler(), std::move(handler));
}

MessageBoxRecorder::MessageBoxRecorder(int defaultAnswer) : defaultAnswer_(defaultAnswer) {
  previous_ = SetMessageBoxHandler([this](const MessageBoxLook& box, wxWindow*) {
    shown_.push_back(box);
    if (answers_.empty()) return defaultAnswer_;
    const int answer = answers_.front();
    answers_.erase(answers_.begin());
    return answer;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler(std::move(previous_)); }

void MessageBoxRecorder::AnswerNext(int dialogResult) { answers_.push_back(dialogResult); }

}  // namespace veldrix
