// Marks a stretch of the program's own work that its handlers tell apart from the
// user's: filling a screen's controls (whose events are then ignored), reading a
// file into the configuration, a login under way. The flag goes back to what it
// was, so a stretch inside another keeps it marked.
#pragma once

namespace veldrix {

class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag), earlier_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = earlier_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  const bool earlier_;
};

}  // namespace veldrix
