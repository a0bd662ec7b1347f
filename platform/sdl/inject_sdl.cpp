// Input fed in from outside on SDL, for measurements: the event goes into
// SDL's queue, which is safe from any thread, and PumpEvents takes it in the
// order it came, exactly as motion from the mouse.
#include <SDL.h>

#include "platform/input.h"

namespace platform {

void InjectMouseMotion(int dx, int dy) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.xrel = dx;
  e.motion.yrel = dy;
  SDL_PushEvent(&e);
}

}  // namespace platform
