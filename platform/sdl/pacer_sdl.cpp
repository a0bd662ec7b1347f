// The main loop's pacing and time on SDL.
#include <SDL.h>

#include "platform/pacer.h"

namespace platform {
namespace {

FramePacer& LoopPacer() {
  static FramePacer pacer;
  return pacer;
}

}  // namespace

void WaitForNextPass() { LoopPacer().Wait(); }

void ResetPacer() { LoopPacer().Reset(); }

uint32_t TickCount() { return SDL_GetTicks(); }

void SleepMs(int ms) { SDL_Delay(static_cast<Uint32>(ms)); }

}  // namespace platform
