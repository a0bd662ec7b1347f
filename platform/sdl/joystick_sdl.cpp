// Joystick 0: the first attached device, as a game controller where SDL knows
// its mapping or as a plain joystick otherwise. A controller steers with its
// left stick or its d-pad and fires with its face buttons, shoulders and
// triggers; Start is reported on its own. A plain joystick steers with axes 0
// and 1 or its first hat and fires with any button. Devices may be plugged in
// and out at any time; with none attached the stick reads centred with no
// button down.
#include "platform/sdl/joystick_sdl.h"

#include "platform/input.h"

namespace platform {
namespace {

constexpr int32_t kAxisMax = 65535;

struct Joystick {
  bool started = false;
  SDL_GameController* controller = nullptr;
  SDL_Joystick* joystick = nullptr;  // set for both kinds
  SDL_JoystickID id = -1;
};

Joystick j;

void Close() {
  if (j.controller != nullptr) {
    SDL_GameControllerClose(j.controller);
  } else if (j.joystick != nullptr) {
    SDL_JoystickClose(j.joystick);
  }
  j.controller = nullptr;
  j.joystick = nullptr;
  j.id = -1;
}

// Opens the first device that can be opened, if none is open.
void OpenFirst() {
  if (j.joystick != nullptr) return;
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_IsGameController(i)) {
      j.controller = SDL_GameControllerOpen(i);
      if (j.controller != nullptr) j.joystick = SDL_GameControllerGetJoystick(j.controller);
    } else {
      j.joystick = SDL_JoystickOpen(i);
    }
    if (j.joystick != nullptr) {
      j.id = SDL_JoystickInstanceID(j.joystick);
      return;
    }
    Close();
  }
}

int32_t AxisPosition(Sint16 value) { return static_cast<int32_t>(value) + 32768; }

}  // namespace

void StartJoystick() {
  if (j.started) return;
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK) != 0) return;
  j.started = true;
  OpenFirst();
}

void StopJoystick() {
  if (!j.started) return;
  Close();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK);
  j.started = false;
}

void HandleJoystickEvent(const SDL_Event& e) {
  if (!j.started) return;
  if (e.type == SDL_JOYDEVICEADDED) {
    OpenFirst();
  } else if (e.type == SDL_JOYDEVICEREMOVED && e.jdevice.which == j.id) {
    Close();
    OpenFirst();
  }
}

JoystickState ReadJoystick() {
  JoystickState s{kAxisMax / 2, kAxisMax / 2, kAxisMax, kAxisMax, 0, false, false};
  if (j.controller != nullptr) {
    SDL_GameController* c = j.controller;
    s.connected = true;
    s.x = AxisPosition(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
    s.y = AxisPosition(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    // The d-pad is a digital stick: a pressed direction is a full deflection.
    auto pressed = [c](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(c, b) != 0; };
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) s.x = 0;
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) s.x = kAxisMax;
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_UP)) s.y = 0;
    if (pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) s.y = kAxisMax;
    const SDL_GameControllerButton fire[] = {
        SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y,
        SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER};
    for (SDL_GameControllerButton b : fire) {
      if (pressed(b)) s.buttons |= 1u << b;
    }
    // A trigger counts as a button once pulled a third of the way.
    constexpr Sint16 kTriggerPulled = 32767 / 3;
    if (SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kTriggerPulled) s.buttons |= 1u << 20;
    if (SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kTriggerPulled) s.buttons |= 1u << 21;
    s.start = pressed(SDL_CONTROLLER_BUTTON_START);
  } else if (j.joystick != nullptr) {
    s.connected = true;
    if (SDL_JoystickNumAxes(j.joystick) >= 2) {
      s.x = AxisPosition(SDL_JoystickGetAxis(j.joystick, 0));
      s.y = AxisPosition(SDL_JoystickGetAxis(j.joystick, 1));
    }
    if (SDL_JoystickNumHats(j.joystick) >= 1) {
      const Uint8 hat = SDL_JoystickGetHat(j.joystick, 0);
      if (hat & SDL_HAT_LEFT) s.x = 0;
      if (hat & SDL_HAT_RIGHT) s.x = kAxisMax;
      if (hat & SDL_HAT_UP) s.y = 0;
      if (hat & SDL_HAT_DOWN) s.y = kAxisMax;
    }
    int count = SDL_JoystickNumButtons(j.joystick);
    for (int b = 0; b < count && b < 32; ++b) {
      if (SDL_JoystickGetButton(j.joystick, b)) s.buttons |= 1u << b;
    }
  }
  return s;
}

}  // namespace platform
