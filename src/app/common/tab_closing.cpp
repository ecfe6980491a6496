#include "app/common/tab_closing.h"

#include <wx/event.h>

#include <cstdint>
#include <mutex>

static_assert(sizeof(long) >= sizeof(void*), "a page pointer must fit the event's long");

namespace veldrix {
namespace {

std::mutex& TargetLock() {
  static std::mutex lock;
  return lock;
}

wxEvtHandler* g_target = nullptr;

}  // namespace

ZamykanieZakladki::ZamykanieZakladki(wxEvtHandler* target, wxWindow* page)
    : wxThread(wxTHREAD_DETACHED), target_(target), page_(page) {}

wxThread::ExitCode ZamykanieZakladki::Entry() {
  std::lock_guard<std::mutex> lock(TargetLock());
  if (!target_ || target_ != g_target) return 0;
  wxThreadEvent event(wxEVT_THREAD, kTabClosingEventId);
  // The page travels as a number: it is only compared with live pages, never
  // dereferenced (nor cast, which a sanitizer would check against the object).
  event.SetExtraLong(static_cast<long>(reinterpret_cast<std::uintptr_t>(page_)));
  wxQueueEvent(target_, event.Clone());
  return 0;
}

void SetTabClosingTarget(wxEvtHandler* target) {
  std::lock_guard<std::mutex> lock(TargetLock());
  g_target = target;
}

wxEvtHandler* TabClosingTarget() {
  std::lock_guard<std::mutex> lock(TargetLock());
  return g_target;
}

wxThreadError StartTabClosingThread(wxEvtHandler* target, wxWindow* page) {
  auto* thread = new ZamykanieZakladki(target, page);
  wxThreadError error = thread->Create();
  if (error == wxTHREAD_NO_ERROR) error = thread->Run();
  // A detached thread that never ran does not delete itself.
  if (error != wxTHREAD_NO_ERROR) delete thread;
  return error;
}

wxThreadError RequestTabClose(wxWindow* page) {
  wxEvtHandler* target = TabClosingTarget();
  if (!target) return wxTHREAD_NO_RESOURCE;
  return StartTabClosingThread(target, page);
}

wxWindow* TabClosingPage(const wxThreadEvent& event) {
  if (event.GetId() != kTabClosingEventId) return nullptr;
  return reinterpret_cast<wxWindow*>(static_cast<std::uintptr_t>(event.GetExtraLong()));
}

}  // namespace veldrix
