// Frame pacing and time.
//
// The game runs one loop pass per 1/60 s, whatever the monitor's refresh rate.
// The pacer holds that rate from a monotonic clock: it sleeps until shortly
// before the next pass is due and spins for the rest. A pass that comes late
// does not make the next ones hurry: when the loop falls more than a few
// passes behind (the machine was suspended, a level took long to build), the
// schedule restarts from now.
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

// The clock-driven pacer itself, usable on its own (vantomir-tool pace).
class FramePacer {
 public:
  explicit FramePacer(int passesPerSecond = kPassesPerSecond);
  void Wait();
  void Reset();

 private:
  uint64_t frequency_;  // clock counts per second
  uint64_t period_;     // clock counts per pass
  uint64_t due_;        // clock count at which the next pass is due; 0 = unscheduled
};

}  // namespace platform
