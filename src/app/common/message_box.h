// The program's one message box. Callers pass a message and a plain style; the box
// picks its icon, caption and Polish Yes/No labels from keywords of the message.
// The choice is made by DescribeMessageBox, which needs no display.
#pragma once

#include <wx/defs.h>
#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <vector>

class wxWindow;

namespace veldrix {

// What a message box shows: the final style (buttons, centring and icon bits), the
// caption, and the Yes/No labels when the style has Yes or No (empty otherwise).
struct MessageBoxLook {
  wxString message;
  wxString caption;
  long style = 0;
  wxString yesLabel;
  wxString noLabel;
  wxString cancelLabel;  // only for AskWithLabels with wxCANCEL
};

// Shows the message box chosen by DescribeMessageBox and returns the pressed button
// as a style flag: wxOK, wxCANCEL, wxYES or wxNO; any other dialog result (wxID_APPLY,
// a help id) is returned unchanged. parent may be null. GUI thread only.
int ShowMessageBox(const wxString& message, const wxString& caption = wxString(), long style = wxOK,
                   wxWindow* parent = nullptr);

// A question whose buttons carry the caller's own words: the style, caption and
// labels are shown as given (wxCENTRE added), no keyword chooses anything. Returns
// wxYES, wxNO or wxCANCEL like ShowMessageBox and goes through the same test hook.
int AskWithLabels(const wxString& message, const wxString& caption, long style, wxWindow* parent,
                  const wxString& yesLabel, const wxString& noLabel, const wxString& cancelLabel);

// Shows the box as described, at least as wide as its caption needs in the window
// manager's title bar, and returns the dialog result (wxID_OK, wxID_YES, ...). The
// dialog of ShowMessageBox and AskWithLabels, without the test hook.
int ShowMessageDialog(const MessageBoxLook& look, wxWindow* parent);

// Everything ShowMessageBox decides, without showing anything.
MessageBoxLook DescribeMessageBox(const wxString& message, const wxString& caption, long style);

// The style ShowMessageBox shows: wxCENTRE always, wxOK when no button was asked for,
// the question icon of a Yes/No box and a missing icon replaced by keyword.
long ChooseMessageStyle(const wxString& message, long style);

// The caption to show for a final style; a caption that is not generic stays.
wxString ChooseMessageCaption(const wxString& caption, long style, const wxString& message);

// The Yes/No labels for a style with wxYES or wxNO; false (labels untouched) otherwise.
bool ChooseMessageButtonLabels(const wxString& message, long style, wxString* yesLabel, wxString* noLabel);

// The text trimmed at both ends and lower-cased. Polish capitals are folded whatever
// the process locale (towlower of the "C" locale leaves "Ł" as it is).
wxString NormalizeMessageText(const wxString& text);

// Whether the normalized text contains any of the first `count` UTF-8 words.
bool ContainsAnyKeyword(const wxString& text, const char* const* words, std::size_t count);

// The keyword lists, lower case UTF-8, in the order they are tried.
extern const char* const kMessageDangerWords[12];
extern const char* const kMessageErrorWords[7];
extern const char* const kMessageWarningWords[9];

// --- Test hook ---------------------------------------------------------------
// A handler installed here receives every message box instead of the screen: it gets
// the box as DescribeMessageBox chose it and the parent, and returns the dialog
// result the user would have given (wxID_OK, wxID_CANCEL, wxID_YES, wxID_NO, ...),
// which ShowMessageBox maps to its return value as for a real dialog. GUI tests
// install one (usually through MessageBoxRecorder) so that no modal dialog blocks them.
using MessageBoxHandler = std::function<int(const MessageBoxLook& box, wxWindow* parent)>;

// Installs the handler (an empty one restores the real dialog); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Records every message box shown while it lives and answers each with the next
// queued answer, or with the default answer when the queue is empty. Restores the
// previous handler on destruction. Typical use in a GUI test:
//
//   veldrix::MessageBoxRecorder boxes(wxID_YES);
//   panel->DeleteRecord();                      // asks "Czy usunąć ...?"
//   ASSERT_EQ(boxes.shown().size(), 1u);
//   EXPECT_EQ(boxes.shown()[0].yesLabel, L"Usuń");
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int defaultAnswer = wxID_OK);
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  // Queues the dialog result of the next unanswered box.
  void AnswerNext(int dialogResult);

  const std::vector<MessageBoxLook>& shown() const { return shown_; }
  void Clear() { shown_.clear(); }

 private:
  int defaultAnswer_;
  std::vector<int> answers_;
  std::vector<MessageBoxLook> shown_;
  MessageBoxHandler previous_;
};

}  // namespace veldrix
