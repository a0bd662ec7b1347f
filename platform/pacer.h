// Frame pacing and time.
//
// The game runs one loop pass per 1/60 s, whatever the monitor's refresh rate.
// The pacer holds that rate from the monotonic clock: each pass is due exactly
// one period after the one before (in whole nanoseconds, the remainder carried
// on, so 60 passes take exactly one second), and the wait sleeps until that
// deadline. A pass that comes late does not make the next ones hurry: when the
// loop falls more than a few passes behind (the machine was suspended, a level
// took long to build), the schedule restarts from now.
#pragma once

#include <cstdint>

namespace platform {

constexpr int kPassesPerSecond = 60;

// Returns when the next loop pass is due.
void WaitForNextPass();

// Forgets the schedule; the next WaitForNextPass returns at once.
void ResetPacer();

// Milliseconds since some fixed point, wrapping at 2^32.
uint32_t TickCount();

// Sleeps for about ms milliseconds.
void SleepMs(int ms);

// The schedule of the passes, apart from any clock. Times are nanoseconds
// on a monotonic clock.
class PassSchedule {
 public:
  explicit PassSchedule(int passesPerSecond = kPassesPerSecond);

  // Falling this many passes behind restarts the schedule instead of racing
  // through the missed passes.
  static constexpr int64_t kMaxLatePasses = 4;

  // Called when the loop wants its next pass, at time now: returns the time
  // the pass is due (now or earlier: at once) and moves the schedule on by
  // one period. The first call, and a call more than kMaxLatePasses periods
  // after the due time, start the schedule afresh: due now, the next one a
  // period later.
  int64_t Claim(int64_t now);
  void Reset();

 private:
  int64_t passesPerSecond_;
  int64_t period_;     // whole nanoseconds per pass
  int64_t remainder_;  // nanoseconds per second left over by period_ * passesPerSecond_
  int64_t due_ = 0;    // when the next pass is due
  int64_t carry_ = 0;  // remainder accumulated since the schedule started, < passesPerSecond_
  bool scheduled_ = false;
};

// The clock-driven pacer itself, usable on its own (vantomir-tool pace).
class FramePacer {
 public:
  explicit FramePacer(int passesPerSecond = kPassesPerSecond);
  void Wait();
  void Reset();

 private:
  PassSchedule schedule_;
};

// The monotonic clock the pacer runs on, in nanoseconds.
int64_t MonotonicNanoseconds();

}  // namespace platform
