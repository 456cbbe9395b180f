// When a long loop reports its progress: on a clock rather than every so
// many steps, so that a fast loop repaints the status line a few times a
// second instead of thousands of times, and a slow one still reports.
#pragma once

#include <chrono>
#include <cstddef>

namespace zv {

class ProgressClock {
 public:
  // The clock starts now; the first report is due one period later.
  explicit ProgressClock(std::chrono::milliseconds period)
      : period_(period), next_(std::chrono::steady_clock::now() + period) {}

  // True when step `step` should report: the clock is read every 64 steps
  // only, and answers true once the period has passed since the last true
  // (or since the clock was made). A period of 0 reports every 64 steps.
  bool Due(std::size_t step) {
    if (step % 64 != 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return false;
    next_ = now + period_;
    return true;
  }

 private:
  std::chrono::milliseconds period_;
  std::chrono::steady_clock::time_point next_;
};

}  // namespace zv
