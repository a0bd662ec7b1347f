// Pieces of the headless platform that call one another.
#pragma once

namespace platform::headless {

// Mixes one loop pass of sound (kFramesPerPass frames), keeping it while
// capturing is on. Called by PumpEvents.
void AdvanceSoundOnePass();

// Stops and destroys every sound buffer and ends capturing.
void ResetSound();

}  // namespace platform::headless
