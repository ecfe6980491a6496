#include "app/nowa_wersja.h"

#include "app/common/http_client.h"
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
    : target_(std::move(target)), version_(version), url_(url) {}

bool NowaWersja::Start(std::shared_ptr<UpdateCheckTarget> target, const wxString& version, const wxString& url) {
  return veldrix::StartWorker(new NowaWersja(std::move(target), version, url)) == wxTHREAD_NO_ERROR;
}

wxThread::ExitCode NowaWersja::Entry() {
  // A program shutting down stops the request: the workers are waited for.
  const veldrix::UpdateCheckAnswer answer =
      veldrix::AskUpdateServer(veldrix::DefaultHttpTransport(), url_, version_,
                               [] { return !veldrix::Workers().IsShuttingDown(); });
  wxThreadEvent event(wxEVT_THREAD, veldrix::kUpdateCheckEventId);
  event.SetInt(answer.result);
  event.SetString(answer.version);
  target_->Post(event);
  return static_cast<ExitCode>(nullptr);
}
