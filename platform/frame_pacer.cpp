// The frame pacer on the monotonic clock.
//
// The wait sleeps with clock_nanosleep to the pass's absolute deadline: an
// absolute deadline does not drift when the sleep is interrupted or woken
// late, and the kernel wakes the thread within a few tens of microseconds of
// it, which is well inside what a frame can show. Sleeping is all the wait
// does: spinning on the clock for the last stretch measured no steadier (see
// vantomir-tool pace) and costs a core's worth of battery.
#include <cerrno>
#include <ctime>

#include "platform/pacer.h"

namespace platform {

namespace {

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;

}  // namespace

//-----------------------------------------------------------------------------
// The schedule
//-----------------------------------------------------------------------------

PassSchedule::PassSchedule(int passesPerSecond)
    : passesPerSecond_(passesPerSecond),
      period_(kNanosecondsPerSecond / passesPerSecond),
      remainder_(kNanosecondsPerSecond % passesPerSecond) {}

void PassSchedule::Reset() { scheduled_ = false; }

int64_t PassSchedule::Claim(int64_t now) {
  if (!scheduled_ || now > due_ + kMaxLatePasses * period_) {
    scheduled_ = true;
    due_ = now;
    carry_ = 0;
  }
  const int64_t due = due_;
  // One period on; the nanoseconds the division left over are handed out one
  // at a time, so every passesPerSecond_ passes add up to exactly a second.
  due_ += period_;
  carry_ += remainder_;
  if (carry_ >= passesPerSecond_) {
    carry_ -= passesPerSecond_;
    ++due_;
  }
  return due;
}

//-----------------------------------------------------------------------------
// The pacer
//-----------------------------------------------------------------------------

int64_t MonotonicNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t(t.tv_sec) * kNanosecondsPerSecond + t.tv_nsec;
}

FramePacer::FramePacer(int passesPerSecond) : schedule_(passesPerSecond) {}

void FramePacer::Reset() { schedule_.Reset(); }

void FramePacer::Wait() {
  const int64_t due = schedule_.Claim(MonotonicNanoseconds());
  const timespec deadline{time_t(due / kNanosecondsPerSecond), long(due % kNanosecondsPerSecond)};
  // A signal cuts the sleep short; the deadline stays the same.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

}  // namespace platform
