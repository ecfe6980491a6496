#include "plugins/module_action_runner.h"

#include "app/common/i18n.h"
#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/window.h>

#include <vector>

namespace veldrix {
namespace {

constexpr int kPollMilliseconds = 150;
const wxString kAsyncPrefix = "async:";
const wxString kCancelAction = "cancel-operation";

template <typename T>
T* FindNamed(const wxString& name, wxWindow* panel) {
  return dynamic_cast<T*>(wxWindow::FindWindowByName(name, panel));
}

}  // namespace

ModuleActionRunner::ModuleActionRunner(wxWindow* page, const ModuleCalls& calls, Hooks hooks)
    : page_(page), calls_(calls), hooks_(std::move(hooks)), eventId_(wxWindow::NewControlId(1)), timer_(page) {
  page_->Bind(wxEVT_THREAD, &ModuleActionRunner::OnActionFinished, this, eventId_);
  page_->Bind(wxEVT_TIMER, &ModuleActionRunner::OnOperationTimer, this, timer_.GetId());
}

ModuleActionRunner::~ModuleActionRunner() {
  Shutdown();
  wxWindow::UnreserveControlId(eventId_, 1);
}

bool ModuleActionRunner::IsAsyncAction(const wxString& action, wxString* name) {
  if (!action.StartsWith(kAsyncPrefix)) return false;
  if (name) *name = action.Mid(kAsyncPrefix.length());
  return true;
}

void ModuleActionRunner::Call(const std::function<void()>& hook) {
  if (hook) hook();
}

void ModuleActionRunner::FindOperationStrip(wxWindow* xrcPanel) {
  xrcPanel_ = xrcPanel;
  if (!xrcPanel) return;
  strip_ = wxWindow::FindWindowByName("pnlKsefOperation", xrcPanel);
  status_ = FindNamed<wxStaticText>("lblKsefOperationStatus", xrcPanel);
  gauge_ = FindNamed<wxGauge>("gaugeKsefOperation", xrcPanel);
  stopButton_ = FindNamed<wxButton>("btnKsefOperationStop", xrcPanel);
  toggleButton_ = FindNamed<wxButton>("btnKsefOperationToggle", xrcPanel);
  if (stopButton_) stopButton_->Bind(wxEVT_BUTTON, &ModuleActionRunner::OnStopButton, this);
  if (toggleButton_) toggleButton_->Bind(wxEVT_BUTTON, &ModuleActionRunner::OnToggleButton, this);
}

bool ModuleActionRunner::Start(const wxString& actionName) {
  if (shutDown_ || busy_.exchange(true)) return false;
  // Normally the completion handler has joined it already.
  if (worker_.joinable()) worker_.join();
  StartOperationStrip();
  timer_.Start(kPollMilliseconds);
  Call(hooks_.started);
  // The copy the worker reads is made here, on the GUI thread.
  worker_ = std::thread(&ModuleActionRunner::RunActionThreadBody, this, wxString(actionName.wc_str()));
  return true;
}

void ModuleActionRunner::RunActionThreadBody(const wxString& actionName) {
  std::vector<wchar_t> buffer(VELDRIX_ASYNC_ACTION_TEXT, L'\0');
  const int result = calls_.RunAction(actionName, buffer.data(), VELDRIX_ASYNC_ACTION_TEXT);
  if (closing_.load()) return;
  auto* event = new wxThreadEvent(wxEVT_THREAD, eventId_);
  event->SetInt(result);
  event->SetString(BufferText(buffer.data(), buffer.size()));
  wxQueueEvent(page_, event);
}

void ModuleActionRunner::OnActionFinished(wxThreadEvent& event) {
  timer_.Stop();
  if (worker_.joinable()) worker_.join();
  busy_.store(false);
  Call(hooks_.finished);
  wxString text = event.GetString();
  if (text.empty()) {
    text = event.GetInt() != 0 ? _("Operacja została zakończona.") : _("Nie udało się wykonać akcji modułu.");
  }
  SetStatus(text);
  if (event.GetInt() != 0 && gauge_) {
    gauge_->SetValue(gauge_->GetRange());
    // GTK lays the new fill out at its next layout but draws the bar again only when
    // something else moves: it is drawn once that layout is done.
    wxGauge* gauge = gauge_;
    gauge->CallAfter([gauge] { gauge->Refresh(); });
  }
  if (stopButton_) stopButton_->Disable();
  Call(hooks_.layout);
}

void ModuleActionRunner::OnOperationTimer(wxTimerEvent&) {
  if (busy_.load()) Call(hooks_.poll);
}

void ModuleActionRunner::Stop() {
  if (!busy_.load() || !calls_.HasRunAction()) return;
  std::vector<wchar_t> buffer(VELDRIX_ACTION_TEXT, L'\0');
  calls_.RunAction(kCancelAction, buffer.data(), VELDRIX_ACTION_TEXT);
  const wxString text = BufferText(buffer.data(), buffer.size());
  SetStatus(text.empty() ? _("Zatrzymywanie operacji...") : text);
  if (stopButton_) stopButton_->Disable();
  Call(hooks_.stopped);
}

void ModuleActionRunner::OnStopButton(wxCommandEvent&) { Stop(); }

void ModuleActionRunner::OnToggleButton(wxCommandEvent&) {
  stripCollapsed_ = true;
  ShowControl(strip_, false);
  LayoutStrip();
}

void ModuleActionRunner::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  closing_.store(true);
  timer_.Stop();
  if (busy_.load() && calls_.HasRunAction()) {
    wchar_t ignored[VELDRIX_IGNORED_ACTION_TEXT] = {L'\0'};
    calls_.RunAction(kCancelAction, ignored, VELDRIX_IGNORED_ACTION_TEXT);
  }
  // The GUI thread waits here until the module's action returns.
  if (worker_.joinable()) worker_.join();
  page_->Unbind(wxEVT_THREAD, &ModuleActionRunner::OnActionFinished, this, eventId_);
  page_->Unbind(wxEVT_TIMER, &ModuleActionRunner::OnOperationTimer, this, timer_.GetId());
  if (stopButton_) stopButton_->Unbind(wxEVT_BUTTON, &ModuleActionRunner::OnStopButton, this);
  if (toggleButton_) toggleButton_->Unbind(wxEVT_BUTTON, &ModuleActionRunner::OnToggleButton, this);
}

void ModuleActionRunner::ShowControl(wxWindow* control, bool show) {
  if (!control) return;
  if (wxSizer* sizer = control->GetContainingSizer()) {
    sizer->Show(control, show);
  } else {
    control->Show(show);
  }
}

void ModuleActionRunner::StartOperationStrip() {
  stripStarted_ = true;
  stripCollapsed_ = false;
  ShowControl(strip_, true);
  SetStatus(_("Rozpoczynanie operacji..."));
  ShowControl(gauge_, true);
  if (gauge_) gauge_->SetValue(0);
  if (stopButton_) stopButton_->Enable();
  if (toggleButton_) toggleButton_->SetLabel(_("Zwiń"));
  LayoutStrip();
}

void ModuleActionRunner::LayoutStrip() {
  if (xrcPanel_) xrcPanel_->Layout();
}

void ModuleActionRunner::SetStatus(const wxString& text) {
  if (status_) status_->SetLabelText(text);
}

}  // namespace veldrix
