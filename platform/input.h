// Pointer, mouse buttons, keys and joystick.
//
// The pointer is the game's own, in 640x480 frame pixels, moved by relative
// mouse motion (so it behaves the same in a window or full screen, on X11 and
// on Wayland) and set by the game when it "moves the cursor".
//
// Buttons and keys read as down while they are held, and also during the pass
// after a press that was released again before the game looked (a quick click
// or tap is never lost). Key repeats are ignored.
//
// Joystick 0 reads as two axes 0..xMax and 0..yMax and a button mask. A game
// controller is used where SDL knows its mapping, any joystick otherwise;
// sticks may come and go while the game runs. With no stick both axes read
// centred and no button is down.
#pragma once

#include <cstdint>

namespace platform {

enum class MouseButton { Left, Right };
enum class Key { Escape, F12 };

struct JoystickState {
  int32_t x;         // 0..xMax
  int32_t y;         // 0..yMax
  int32_t xMax;
  int32_t yMax;
  uint32_t buttons;  // bit n: button n is down
};

void GetPointer(int* x, int* y);
void SetPointer(int x, int y);
bool IsMouseButtonDown(MouseButton button);
bool IsKeyDown(Key key);
JoystickState ReadJoystick();

}  // namespace platform
