#include "dbsetup/db_worker_relay.h"

#include "dbsetup/db_worker.h"

#include <wx/app.h>

#include <atomic>

namespace {

std::atomic<int> liveRelays{0};

}  // namespace

DbWorkerRelay::DbWorkerRelay(Receiver receiver) : receiver_(std::move(receiver)) {
  ++liveRelays;
  Bind(wxEVT_THREAD, &DbWorkerRelay::OnWorkerEvent, this, DbWorkerEventId);
}

DbWorkerRelay::~DbWorkerRelay() { --liveRelays; }

void DbWorkerRelay::Detach() { receiver_ = nullptr; }

void DbWorkerRelay::Discard() { delete this; }

int DbWorkerRelay::LiveCount() { return liveRelays.load(); }

void DbWorkerRelay::OnWorkerEvent(wxThreadEvent& event) {
  const bool final = event.GetInt() >= DbWorkerProgressEnd;
  if (receiver_) receiver_(event);
  if (!final) return;
  // The worker posts nothing after its final event. Deleted later, not here: the
  // event loop still holds this handler while it runs the handler.
  receiver_ = nullptr;
  if (wxTheApp) {
    wxTheApp->ScheduleForDestruction(this);
  } else {
    delete this;
  }
}
