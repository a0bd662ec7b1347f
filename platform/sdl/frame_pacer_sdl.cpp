// The frame pacer on SDL's monotonic high-resolution counter.
//
// Each pass is due one period after the previous one. The wait sleeps while
// more than two milliseconds remain (sleeping is coarse) and spins for the
// rest, so passes start within a fraction of a millisecond of their time.
#include <SDL.h>

#include "platform/pacer.h"

namespace platform {
namespace {

// Falling this many passes behind restarts the schedule instead of racing
// through the missed passes.
constexpr uint64_t kMaxLatePasses = 4;

}  // namespace

FramePacer::FramePacer(int passesPerSecond)
    : frequency_(SDL_GetPerformanceFrequency()),
      period_(frequency_ / static_cast<uint64_t>(passesPerSecond)),
      due_(0) {}

void FramePacer::Reset() { due_ = 0; }

void FramePacer::Wait() {
  uint64_t now = SDL_GetPerformanceCounter();
  if (due_ == 0 || now > due_ + kMaxLatePasses * period_) {
    due_ = now + period_;
    return;
  }
  const uint64_t sleepMargin = frequency_ / 500;  // 2 ms
  while (now < due_) {
    if (due_ - now > sleepMargin) {
      SDL_Delay(static_cast<Uint32>((due_ - now - sleepMargin) * 1000 / frequency_));
    }
    now = SDL_GetPerformanceCounter();
  }
  due_ += period_;
}

}  // namespace platform
