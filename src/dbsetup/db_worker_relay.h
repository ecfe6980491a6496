// Stands between the database worker and the window that shows its progress. The
// worker thread posts to the relay, which outlives the window: it hands each event
// on while the window is attached and deletes itself after the run's final event.
// A window that goes while its worker still runs detaches, and nothing reaches it.
#pragma once

#include <wx/event.h>

#include <functional>

class DbWorkerRelay : public wxEvtHandler {
 public:
  using Receiver = std::function<void(wxThreadEvent& event)>;

  // Create with new; the relay owns itself from then on.
  explicit DbWorkerRelay(Receiver receiver);
  DbWorkerRelay(const DbWorkerRelay&) = delete;
  DbWorkerRelay& operator=(const DbWorkerRelay&) = delete;

  // Later events are dropped. GUI thread only.
  void Detach();

  // For a worker that never started: no final event will come to delete it.
  void Discard();

  // Relays alive in this process (waiting for a final event or for deletion).
  static int LiveCount();

 private:
  ~DbWorkerRelay() override;
  void OnWorkerEvent(wxThreadEvent& event);

  Receiver receiver_;
};
