// Drives modal dialogs from a GUI test: each step waits for a shown modal dialog of
// a given window name (an XRC dialog is named after its object) and acts on it.
// Clicks and choices are queued, so the step returns before the handler runs and
// the handler may open further modal dialogs that later steps answer. A modal
// dialog that no step expects is cancelled after a while and counted, so a test
// fails instead of hanging.
#pragma once

#include "app/common/message_box.h"
#include "gui_support.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/xrc/xmlres.h>

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace veldrix::test {

class ModalScript : public wxEvtHandler {
 public:
  using Action = std::function<void(wxDialog* dialog)>;

  ModalScript() : timer_(this) {
    Bind(wxEVT_TIMER, &ModalScript::OnTick, this);
    timer_.Start(20);
  }
  ~ModalScript() override { timer_.Stop(); }

  // The next modal dialog named `name` gets `action`, once it has been shown a moment.
  ModalScript& Then(const wxString& name, Action action) {
    steps_.push_back({name, std::move(action)});
    return *this;
  }

  bool Done() const { return steps_.empty(); }
  std::size_t Remaining() const { return steps_.size(); }
  // Modal dialogs that no step expected and that were cancelled.
  int Unexpected() const { return unexpected_; }
  const wxArrayString& UnexpectedNames() const { return unexpectedNames_; }
  // Names of the dialogs the steps acted on, in order.
  const wxArrayString& Seen() const { return seen_; }

  // The innermost shown modal dialog: a dialog opened over another comes later in
  // the list of top-level windows.
  static wxDialog* ShownModalDialog() {
    for (auto it = wxTopLevelWindows.rbegin(); it != wxTopLevelWindows.rend(); ++it) {
      auto* dialog = dynamic_cast<wxDialog*>(*it);
      if (dialog && dialog->IsModal() && dialog->IsShown()) return dialog;
    }
    return nullptr;
  }

  template <typename T>
  static T* Find(wxWindow* dialog, const char* name) {
    return dynamic_cast<T*>(dialog->FindWindow(XRCID(name)));
  }

  static void Type(wxWindow* dialog, const char* name, const wxString& text) {
    if (auto* control = Find<wxTextCtrl>(dialog, name)) control->SetValue(text);
  }

  // Queues a click on the button with this id, as the user's click would arrive.
  static void Click(wxWindow* dialog, int id) {
    wxWindow* button = dialog->FindWindow(id);
    if (!button) return;
    auto* event = new wxCommandEvent(wxEVT_BUTTON, id);
    event->SetEventObject(button);
    button->GetEventHandler()->QueueEvent(event);
  }
  static void Click(wxWindow* dialog, const char* name) { Click(dialog, XRCID(name)); }

  // Selects an entry of a combo box and queues the change event.
  static void Choose(wxWindow* dialog, const char* name, int index) {
    auto* combo = Find<wxComboBox>(dialog, name);
    if (!combo) return;
    combo->SetSelection(index);
    auto* event = new wxCommandEvent(wxEVT_COMBOBOX, combo->GetId());
    event->SetEventObject(combo);
    event->SetInt(index);
    combo->GetEventHandler()->QueueEvent(event);
  }

  static void Cancel(wxDialog* dialog) { dialog->EndModal(wxID_CANCEL); }

 private:
  struct Step {
    wxString name;
    Action action;
  };

  void OnTick(wxTimerEvent&) {
    if (busy_) return;
    wxDialog* dialog = ShownModalDialog();
    if (dialog != current_) {
      current_ = dialog;
      shownTicks_ = 0;
    }
    if (!dialog) return;
    ++shownTicks_;
    // Let the dialog be mapped and painted before acting on it.
    if (shownTicks_ < 8) return;
    busy_ = true;
    if (!steps_.empty() && steps_.front().name == dialog->GetName()) {
      Step step = std::move(steps_.front());
      steps_.pop_front();
      seen_.Add(step.name);
      current_ = nullptr;
      step.action(dialog);
    } else if (shownTicks_ > 250) {
      ++unexpected_;
      unexpectedNames_.Add(dialog->GetName());
      current_ = nullptr;
      dialog->EndModal(wxID_CANCEL);
    }
    busy_ = false;
  }

  wxTimer timer_;
  std::deque<Step> steps_;
  wxDialog* current_ = nullptr;
  int shownTicks_ = 0;
  bool busy_ = false;
  int unexpected_ = 0;
  wxArrayString unexpectedNames_;
  wxArrayString seen_;
};

// Shows every message box of the program as a real modal dialog named "dialog",
// for ModalScript steps to answer, instead of answering at once as
// MessageBoxRecorder does: what the program draws while a question waits can be tested.
class MessageBoxesAsDialogs {
 public:
  MessageBoxesAsDialogs()
      : previous_(SetMessageBoxHandler([this](const MessageBoxLook& box, wxWindow* parent) {
          shown.push_back(box.message);
          return ShowMessageDialog(box, parent);
        })) {}
  ~MessageBoxesAsDialogs() { SetMessageBoxHandler(std::move(previous_)); }
  MessageBoxesAsDialogs(const MessageBoxesAsDialogs&) = delete;
  MessageBoxesAsDialogs& operator=(const MessageBoxesAsDialogs&) = delete;

  // A step that clicks the button with this id in the next box.
  static ModalScript::Action Press(int id) {
    return [id](wxDialog* dialog) { ModalScript::Click(dialog, id); };
  }

  std::vector<wxString> shown;

 private:
  MessageBoxHandler previous_;
};

}  // namespace veldrix::test
