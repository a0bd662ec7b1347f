// Reading the pointer, the mouse buttons, the keys and the joystick once per
// frame, and the mouse response tables that turn the pointer into a velocity.
#pragma once

#include <cstdint>
#include <string>

struct InputState {
  int32_t pointerX;     // pointer in screen pixels, clamped to 0..639 every frame
  int32_t pointerY;     // likewise 0..639 (the screen keeps it below 480)
  int32_t leftDown;     // mouse buttons this frame
  int32_t rightDown;
  int32_t pointerMoved; // the mouse moved since the last frame
  int32_t escapeDown;   // keys this frame
  int32_t snapDown;     // F12
  int32_t pauseDown;    // P or Pause
  int32_t leftKey;      // steering keys: arrows or W, A, S, D
  int32_t rightKey;
  int32_t upKey;
  int32_t downKey;
  int32_t fireKey;      // Space or Ctrl
  int32_t returnDown;
  int32_t backspaceDown;
  int32_t stepForwardKey;  // "." and ",": a recording one frame forward or back
  int32_t stepBackKey;
  int32_t otherKeyPressed;   // a key that is not one of the game's own went down
  int32_t keyboardSteering;  // the keys steer the ship until the mouse moves again
  std::string typed;    // text typed since the last frame, in the font's characters
  int32_t joyX;         // joystick 0 this frame (read only with the joystick setting on)
  int32_t joyY;
  int32_t joyXMax;
  int32_t joyYMax;
  uint32_t joyButtons;
  int32_t joyStart;     // a game controller's Start button
  int32_t joyConnected; // a pad is there

  bool operator==(const InputState&) const = default;
};

extern InputState input;

// Rows of the mouse response tables.
enum MouseResponseRow { Linear = 0, Cubic = 1, Steep = 2 };

// Requested velocity (1/256 pixel per frame, clamped to -1536..1536) by
// pointer position: horizontal by x 0..640, vertical by y 0..480.
extern int32_t MouseResponseX[3][641];
extern int32_t MouseResponseY[3][481];
void BuildMouseResponseTables();

// Step 4 of the main loop: the pointer (clamped) and the mouse buttons.
void ReadPointer();
// Step 5: the keyboard: Escape and F12, the pause key, the steering and fire
// keys, Return and Backspace, and the text typed.
void ReadKeyboard();
// Step 6, with the joystick setting on: the stick nudges the pointer (seen
// from the next frame on).
void SteerPointerWithJoystick();

// Fire on the menus: the left button, or any joystick button with the
// joystick setting on.
bool MenuFireDown();

// Whether the joystick plays the game this frame: the setting is on and a
// pad is connected. Otherwise the mouse (or the keyboard) plays.
bool PadPlays();

// Moves the pointer; the game sees it from the next frame's ReadPointer.
void MoveCursor(int x, int y);
