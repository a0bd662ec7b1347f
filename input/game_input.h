// What the player asks of the ship each frame: a velocity and fire, from the
// mouse (a virtual stick: the pointer's distance from the screen centre) or
// from the joystick.
#pragma once

#include <cstdint>

struct GameInput {
  int32_t mouseMode;  // 1..4: which response curves the mouse uses
  int32_t weightA;    // blend of the linear curve
  int32_t weightB;    // blend of the cubic (mode 1) or steep (mode 3) curve

  bool operator==(const GameInput&) const = default;
};

extern GameInput gameInput;

// One frame of the player's input as the game takes it: read from the
// devices, or replayed from a recording in their place.
struct PlayInput {
  int32_t inputVX;   // requested velocity, units per frame
  int32_t inputVY;
  int32_t fireHeld;  // 0/1
  int32_t stickX;    // the joystick's scaled horizontal deflection
  int32_t joystick;  // 1: the ship turns by stickX (joystick rule); 0: by inputVX (mouse rule)

  bool operator==(const PlayInput&) const = default;
};

// At every new game: the mouse response for sensitivity 0..10.
void SetMouseResponse(int32_t mouseSens);

// The input of this frame from the devices read by the main loop. The
// joystick's request slews from the game's inputVX and inputVY of the
// previous frame.
PlayInput ReadGameInput();
