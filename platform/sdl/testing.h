// For the SDL platform's own tests (platform/sdl/tests/); the game never
// calls these.
#pragma once

namespace platform::testing {

// StartVideo on SDL's dummy video driver, which StartVideo itself refuses as
// "no display". Everything else starts as in the game (its hints, the events,
// game controller and joystick systems, the signal handlers), so PumpEvents
// runs the game's own event loop, hot-plug included, on a machine without a
// display. No window can be opened on it. StopVideo stops it.
bool StartVideoWithoutDisplay();

}  // namespace platform::testing
