// Joystick 0 through SDL: the window code starts it and feeds it events.
#pragma once

#include <SDL.h>

namespace platform {

void StartJoystick();
void StopJoystick();
void HandleJoystickEvent(const SDL_Event& e);

}  // namespace platform
