// What the player asks of the ship each frame: a velocity and fire, from the
// mouse (a virtual stick: the pointer's distance from the screen centre) or
// from the joystick.
#pragma once

#include <cstdint>

struct GameInput {
  int32_t mouseMode;  // 1..4: which response curves the mouse uses
  int32_t weightA;    // blend of the linear curve
  int32_t weightB;    // blend of the cubic (mode 1) or steep (mode 3) curve
  int32_t stickX;     // the joystick's scaled horizontal deflection this frame

  bool operator==(const GameInput&) const = default;
};

extern GameInput gameInput;

// At every new game: the mouse response for sensitivity 0..10.
void SetMouseResponse(int32_t mouseSens);

// Fills the game's inputVX, inputVY and fireHeld from the devices read this
// frame (and stickX with the joystick).
void ReadGameInput();
