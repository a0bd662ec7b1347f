#include "input/input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "persist/settings.h"
#include "platform/input.h"

InputState input{};
int32_t MouseResponseX[3][641];
int32_t MouseResponseY[3][481];

namespace {

constexpr int32_t kResponseLimit = 1536;  // 6 pixels per frame
constexpr int32_t kStickDeadZone = 8192;
constexpr int32_t kStickPointerDivisor = 6144;

int32_t ClampResponse(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -kResponseLimit, kResponseLimit));
}

// d^3 / divisor, the cube in single precision, the division in double,
// rounded to nearest with ties to even.
int32_t CubicResponse(int d, double divisor) {
  float cube = static_cast<float>(d) * static_cast<float>(d) * static_cast<float>(d);
  return ClampResponse(static_cast<int64_t>(std::nearbyint(static_cast<double>(cube) / divisor)));
}

}  // namespace

void BuildMouseResponseTables() {
  for (int i = 0; i <= 640; ++i) {
    int d = i - 320;
    MouseResponseX[Linear][i] = ClampResponse((1024 * d + 512) / 213);
    MouseResponseX[Cubic][i] = CubicResponse(d, 21333.0);
    MouseResponseX[Steep][i] = ClampResponse(6 * d);
  }
  for (int i = 0; i <= 480; ++i) {
    int d = i - 240;
    MouseResponseY[Linear][i] = ClampResponse(1024 * d / 160);
    MouseResponseY[Cubic][i] = CubicResponse(d, 16000.0);
    MouseResponseY[Steep][i] = ClampResponse(7 * d);
  }
}

void ReadPointer() {
  int x = 0, y = 0;
  platform::GetPointer(&x, &y);
  input.pointerX = std::clamp(x, 0, 639);
  input.pointerY = std::clamp(y, 0, 639);
  input.leftDown = platform::IsMouseButtonDown(platform::MouseButton::Left);
  input.rightDown = platform::IsMouseButtonDown(platform::MouseButton::Right);
  input.pointerMoved = platform::PointerMoved();
}

void ReadKeyboard() {
  using platform::IsKeyDown;
  using platform::Key;
  input.escapeDown = IsKeyDown(Key::Escape);
  input.snapDown = IsKeyDown(Key::F12);
  input.pauseDown = IsKeyDown(Key::Pause);
  input.leftKey = IsKeyDown(Key::Left);
  input.rightKey = IsKeyDown(Key::Right);
  input.upKey = IsKeyDown(Key::Up);
  input.downKey = IsKeyDown(Key::Down);
  input.fireKey = IsKeyDown(Key::Fire);
  input.returnDown = IsKeyDown(Key::Return);
  input.backspaceDown = IsKeyDown(Key::Backspace);
  input.stepForwardKey = IsKeyDown(Key::StepForward);
  input.stepBackKey = IsKeyDown(Key::StepBack);
  input.otherKeyPressed = platform::OtherKeyPressed();
  input.typed = platform::TakeTypedText();
  // The last device touched steers: a steering key hands the ship to the
  // keyboard, a move of the mouse hands it back.
  if (input.leftKey || input.rightKey || input.upKey || input.downKey) {
    input.keyboardSteering = 1;
  } else if (input.pointerMoved) {
    input.keyboardSteering = 0;
  }
}

void SteerPointerWithJoystick() {
  platform::JoystickState stick = platform::ReadJoystick();
  input.joyX = stick.x;
  input.joyY = stick.y;
  input.joyXMax = stick.xMax;
  input.joyYMax = stick.yMax;
  input.joyButtons = stick.buttons;
  input.joyStart = stick.start;
  input.joyConnected = stick.connected;
  int32_t x = input.pointerX;
  int32_t y = input.pointerY;
  int32_t dx = stick.x - (stick.xMax >> 1);
  int32_t dy = stick.y - (stick.yMax >> 1);
  if (std::abs(dx) > kStickDeadZone) x += dx / kStickPointerDivisor;
  if (std::abs(dy) > kStickDeadZone) y += dy / kStickPointerDivisor;
  MoveCursor(x, y);
}

bool MenuFireDown() {
  return input.leftDown != 0 || (settings.joystick == 1 && input.joyButtons != 0);
}

bool PadPlays() { return settings.joystick == 1 && input.joyConnected != 0; }

void MoveCursor(int x, int y) { platform::SetPointer(x, y); }
