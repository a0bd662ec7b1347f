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
// Keys are read by what they do. The arrow keys and W, A, S, D steer; Space
// and either Ctrl fire; P and the Pause key pause. Typing reaches the game as
// text (TakeTypedText), apart from Return and Backspace, which are keys.
//
// Joystick 0 reads as two axes 0..xMax and 0..yMax and a button mask. A game
// controller is used where SDL knows its mapping (left stick and d-pad steer,
// face buttons, shoulders and triggers fire, Start is reported on its own),
// any joystick otherwise (its first two axes and its hat steer, every button
// fires); pads may come and go while the game runs. With no pad both axes
// read centred, no button is down and connected is false.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class MouseButton { Left, Right };
enum class Key {
  Escape,
  F12,
  Pause,      // P or the Pause key
  Left,       // Left arrow or A
  Right,      // Right arrow or D
  Up,         // Up arrow or W
  Down,       // Down arrow or S
  Fire,       // Space, left or right Ctrl
  Return,     // Return or keypad Enter
  Backspace,
  StepForward,  // "." : a recording one frame forward
  StepBack,     // "," : a recording one frame back
};
constexpr int kKeyCount = 12;

struct JoystickState {
  int32_t x;         // 0..xMax
  int32_t y;         // 0..yMax
  int32_t xMax;
  int32_t yMax;
  uint32_t buttons;  // the buttons that fire; bit n: button n is down
  bool start;        // a game controller's Start button
  bool connected;    // a pad is there
};

void GetPointer(int* x, int* y);
void SetPointer(int x, int y);
bool IsMouseButtonDown(MouseButton button);
bool IsKeyDown(Key key);
JoystickState ReadJoystick();

// True when the mouse moved during the last pass (the pointer's own moves by
// SetPointer do not count).
bool PointerMoved();

// True when a key went down during the last pass that is not one of the
// window's or the game's own keys (F12, the pause keys, F11, Alt+Enter, and
// the keys that control a recording as it plays: the arrows and W, A, S, D,
// "." and ",").
bool OtherKeyPressed();

// The text typed during the last pass, printable ASCII only.
std::string TakeTypedText();

// Mouse movement by (dx, dy) counts fed in as if the mouse had moved: the
// next PumpEvents takes it like any other. For measuring how fast the game
// answers (vantomir-tool latency); on SDL it may be called from any thread.
void InjectMouseMotion(int dx, int dy);

}  // namespace platform
