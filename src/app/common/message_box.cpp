#include "app/common/message_box.h"

#include <wx/msgdlg.h>

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

wxUniChar FoldChar(wxUniChar c) {
  const wxUint32 v = c.GetValue();
  if (v >= 'A' && v <= 'Z') return wxUniChar(v + 32);
  if (v < 0x80) return c;
  if ((v >= 0xC0 && v <= 0xDE) && v != 0xD7) return wxUniChar(v + 32);
  switch (v) {
    case 0x0104:
    case 0x0106:
    case 0x0118:
    case 0x0141:
    case 0x0143:
    case 0x015A:
    case 0x0179:
    case 0x017B:
      return wxUniChar(v + 1);
    default:
      break;
  }
  return wxUniChar(static_cast<wxUint32>(wxTolower(static_cast<wxChar>(v))));
}

wchar_t FoldSearchChar(wchar_t c) {
  // Polish letters with their marks, lower case, and the letter each folds to.
  static constexpr wchar_t kMarked[] = L"\u0105\u0107\u0119\u0142\u0144\u00F3\u015B\u017A\u017C";
  static constexpr wchar_t kPlain[] = L"acelnoszz";
  const wchar_t lower = FoldWideChar(c);
  if (lower < 0x80) return lower;
  for (std::size_t i = 0; kMarked[i]; ++i) {
    if (kMarked[i] == lower) return kPlain[i];
  }
  return lower;
}

namespace {

constexpr long kButtonBits = wxYES | wxOK | wxNO | wxCANCEL | wxAPPLY | wxCLOSE | wxHELP;  // 0x107E
constexpr long kIconBits = 0xF00;

template <typename CharFold>
wxString FoldEach(const wxString& text, CharFold fold) {
  std::wstring out;
  out.reserve(text.length());
  for (wxUniChar c : text) out.push_back(fold(static_cast<wchar_t>(c.GetValue())));
  return wxString(out);
}

wxString Fold(const wxString& text) { return FoldEach(text, FoldWideChar); }

bool HasYesNo(long style) { return (style & (wxYES | wxNO)) != 0; }

bool ContainsAny(const wxString& normalized, std::initializer_list<const char*> words) {
  for (const char* word : words) {
    if (normalized.find(Fold(wxString::FromUTF8(word))) != wxString::npos) return true;
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

MessageBoxHandler& InstalledHandler() {
  static MessageBoxHandler handler;
  return handler;
}

}  // namespace

wxString FoldText(const wxString& text) { return FoldEach(text, FoldSearchChar); }

wxString NormalizeMessageText(const wxString& text) {
  wxString trimmed(text);
  trimmed.Trim(true).Trim(false);
  return Fold(trimmed);
}

bool ContainsFolded(std::wstring_view text, std::wstring_view foldedNeedle) {
  const std::size_t needle = foldedNeedle.size();
  const std::size_t length = text.size();
  if (needle == 0) return true;
  if (length < needle) return false;
  const wchar_t* chars = text.data();
  // Candidates are found by the first character in either letter case, which
  // skips most positions without folding anything.
  const wchar_t first = foldedNeedle[0];
  const wchar_t firstUpper = first >= L'a' && first <= L'z' ? static_cast<wchar_t>(first - 32) : first;
  const std::size_t last = length - needle;
  for (std::size_t start = 0; start <= last; ++start) {
    const wchar_t c = chars[start];
    if (c != first && c != firstUpper && (c < 0x80 || FoldSearchChar(c) != first)) continue;
    std::size_t matched = 1;
    while (matched < needle && FoldSearchChar(chars[start + matched]) == foldedNeedle[matched]) ++matched;
    if (matched == needle) return true;
  }
  return false;
}

bool ContainsAnyKeyword(const wxString& text, const char* const* words, std::size_t count) {
  const wxString normalized = NormalizeMessageText(text);
  for (std::size_t i = 0; i < count; ++i) {
    if (normalized.find(Fold(wxString::FromUTF8(words[i]))) != wxString::npos) return true;
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
  static const Rule kRules[] = {
      {{"zapisa"}, L"Zapisz", L"Nie zapisuj"},
      {{"usun", "usuń", "usunąć", "usunac"}, L"Usuń", L"Nie usuwaj"},
      {{"wyłączyć", "wylaczyc"}, L"Wyłącz", L"Nie wyłączaj"},
      {{"zaktualizować", "zaktualizowac"}, L"Aktualizuj", L"Później"},
      {{"anulować", "anulowac"}, L"Anuluj zmiany", L"Wróć"},
      {{"przenumer"}, L"Przenumeruj", L"Anuluj"},
  };
  constexpr std::size_t kDeleteRule = 1;
  const Rule* match = AsksToDelete(text) ? &kRules[kDeleteRule] : nullptr;
  for (const Rule& rule : kRules) {
    if (!match && ContainsAny(text, rule.words)) match = &rule;
  }
  const wchar_t* yes = match ? match->yes : L"Tak";
  const wchar_t* no = match ? match->no : L"Nie";
  if (yesLabel) *yesLabel = yes;
  if (noLabel) *noLabel = no;
  return true;
}

void SetMessageButtonLabels(wxMessageDialog& dialog, const wxString& message, long style) {
  wxString yes;
  wxString no;
  // Plain texts, not stock ids, so that the dialog shows exactly these words.
  if (ChooseMessageButtonLabels(message, style, &yes, &no)) dialog.SetYesNoLabels(yes, no);
}

MessageBoxLook DescribeMessageBox(const wxString& message, const wxString& caption, long style) {
  MessageBoxLook look;
  look.message = message;
  look.style = ChooseMessageStyle(message, style);
  look.caption = ChooseMessageCaption(caption, look.style, message);
  ChooseMessageButtonLabels(message, look.style, &look.yesLabel, &look.noLabel);
  return look;
}

int ShowMessageBox(const wxString& message, const wxString& caption, long style, wxWindow* parent) {
  const MessageBoxLook look = DescribeMessageBox(message, caption, style);
  if (InstalledHandler()) return ResultToStyleFlag(InstalledHandler()(look, parent));

  wxMessageDialog dialog(parent, look.message, look.caption, look.style, wxDefaultPosition);
  SetMessageButtonLabels(dialog, message, look.style);
  return ResultToStyleFlag(dialog.ShowModal());
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

  wxMessageDialog dialog(parent, look.message, look.caption, look.style, wxDefaultPosition);
  if (style & wxCANCEL) {
    dialog.SetYesNoCancelLabels(yesLabel, noLabel, cancelLabel);
  } else {
    dialog.SetYesNoLabels(yesLabel, noLabel);
  }
  return ResultToStyleFlag(dialog.ShowModal());
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
