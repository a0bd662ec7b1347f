#include "input/game_input.h"

#include <algorithm>

#include "input/input.h"
#include "persist/settings.h"
#include "world/world.h"

GameInput gameInput{};

namespace {

constexpr int32_t kStickDeadZone = 8192;
constexpr int32_t kStickDeadZoneStep = 8000;  // the response starts at 192 just outside
constexpr int32_t kStickDivisorX = 22;
constexpr int32_t kStickDivisorY = 29;
constexpr int32_t kStickSlew = 96;  // the most a request changes per frame
constexpr int32_t kKeyStickMax = 65535;  // the keyboard's stick spans a pad's full range

struct MouseResponse {
  int32_t mode, weightA, weightB;
};

// By sensitivity 0..10: low values blend the linear curve with the cubic one
// (gentle near the centre), high ones with the steep one; 5 is plain linear.
constexpr MouseResponse kResponses[11] = {
    {1, 1, 5}, {1, 2, 4}, {1, 3, 3}, {1, 4, 2}, {1, 5, 1}, {2, 0, 0},
    {3, 4, 1}, {3, 3, 2}, {3, 2, 3}, {3, 1, 4}, {4, 0, 0},
};

template <size_t N>
int32_t MouseVelocity(const int32_t (&table)[3][N], int32_t p) {
  const int32_t linear = table[Linear][p];
  switch (gameInput.mouseMode) {
    case 1: return (linear * gameInput.weightA + table[Cubic][p] * gameInput.weightB) / 6;
    case 2: return linear;
    case 3: return (linear * gameInput.weightA + table[Steep][p] * gameInput.weightB) / 5;
    default: return table[Steep][p];
  }
}

int32_t DeadZone(int32_t d) {
  if (d > kStickDeadZone) return d - kStickDeadZoneStep;
  if (d < -kStickDeadZone) return d + kStickDeadZoneStep;
  return 0;
}

// Moves value towards target by at most kStickSlew.
int32_t Slew(int32_t value, int32_t target) {
  return target > value ? std::min(target, value + kStickSlew) : std::max(target, value - kStickSlew);
}

}  // namespace

void SetMouseResponse(int32_t mouseSens) {
  const MouseResponse& r = kResponses[std::clamp(mouseSens, 0, 10)];
  gameInput.mouseMode = r.mode;
  gameInput.weightA = r.weightA;
  gameInput.weightB = r.weightB;
}

PlayInput ReadGameInput() {
  const GameState& g = world.game;
  PlayInput in{};
  const bool pad = PadPlays();
  if (pad || input.keyboardSteering) {
    // Held steering keys are a digital stick at full deflection; without
    // them the pad's stick (centred when there is none) steers.
    int32_t x = input.joyX, y = input.joyY, xMax = input.joyXMax, yMax = input.joyYMax;
    if (!pad) {
      xMax = yMax = kKeyStickMax;
      x = y = kKeyStickMax / 2;
    }
    if (input.leftKey != input.rightKey) x = input.leftKey ? 0 : xMax;
    if (input.upKey != input.downKey) y = input.upKey ? 0 : yMax;
    const int32_t jx = DeadZone(x - (xMax >> 1));
    const int32_t jy = DeadZone(y - (yMax >> 1));
    in.stickX = jx / kStickDivisorX;
    in.inputVX = Slew(g.inputVX, in.stickX);
    in.inputVY = Slew(g.inputVY, jy / kStickDivisorY);
    in.fireHeld = (pad ? input.joyButtons != 0 : input.leftDown != 0) || input.fireKey != 0;
    in.joystick = 1;
  } else {
    // A pointer row past the table's end cannot occur on the 640x480 screen;
    // it counts as the last row.
    in.inputVX = MouseVelocity(MouseResponseX, std::clamp(input.pointerX, 0, 640));
    in.inputVY = MouseVelocity(MouseResponseY, std::clamp(input.pointerY, 0, 480));
    in.fireHeld = input.leftDown != 0 || input.fireKey != 0;
  }
  return in;
}
