#include "app/nowa_wersja.h"

#include "app/common/http_client.h"
#include "app/common/worker_registry.h"
#include "app/update_check.h"

#include <wx/event.h>

void UpdateCheckTarget::Forget() {
  std::lock_guard<std::mutex> guard(lock_);
  target_ = nullptr;
}

void UpdateCheckTarget::Post(const wxThreadEvent& event) {
  std::lock_guard<std::mutex> guard(lock_);
  if (target_) wxQueueEvent(target_, event.Clone());
}

NowaWersja::NowaWersja(std::shared_ptr<UpdateCheckTarget> target, const wxString& version, const wxString& url)
    : wxThread(wxTHREAD_DETACHED), target_(std::move(target)), version_(version), url_(url) {}

NowaWersja::~NowaWersja() { veldrix::Workers().UnregisterThread(this); }

bool NowaWersja::Start(std::shared_ptr<UpdateCheckTarget> target, const wxString& version, const wxString& url) {
  auto* thread = new NowaWersja(std::move(target), version, url);
  veldrix::Workers().RegisterThread(thread);
  if (thread->Create() != wxTHREAD_NO_ERROR || thread->Run() != wxTHREAD_NO_ERROR) {
    // A detached thread that never ran is deleted by hand; its destructor unregisters.
    delete thread;
    return false;
  }
  return true;
}

wxThread::ExitCode NowaWersja::Entry() {
  const veldrix::UpdateCheckAnswer answer =
      veldrix::AskUpdateServer(veldrix::DefaultHttpTransport(), url_, version_,
                               [] { return !veldrix::Workers().IsShuttingDown(); });
  wxThreadEvent event(wxEVT_THREAD, veldrix::kUpdateCheckEventId);
  event.SetInt(answer.result);
  event.SetString(answer.reply);
  target_->Post(event);
  return static_cast<ExitCode>(nullptr);
}
