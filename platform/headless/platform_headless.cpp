// The headless platform: no window, no clock, input from calls.
//
// Input set through platform::headless reaches the game at the next
// PumpEvents, as real events would; each PumpEvents also advances the sound
// device by one loop pass. Passes are never waited for: time is the pass
// count.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/pacer.h"

namespace platform {
namespace {

struct KeyState {
  bool held = false;
  bool pressedThisPass = false;
};

struct Headless {
  bool videoAvailable = true;
  bool windowAvailable = true;
  bool videoStarted = false;
  bool windowOpen = false;
  bool focus = true;
  bool quit = false;
  int refreshRate = kPassesPerSecond;
  int pointerX = 0;
  int pointerY = 0;
  KeyState buttons[2];
  KeyState keys[kKeyCount];
  bool pointerMoved = false;     // during the last pass
  bool otherKeyPressed = false;  // during the last pass
  std::string typed;             // during the last pass
  bool windowed = false;
  JoystickState stick{32767, 32767, 65535, 65535, 0, false, true};
  std::vector<std::function<void()>> pending;  // events for the next PumpEvents
  std::vector<uint32_t> lastFrame;
  int presentCount = 0;
  uint32_t ticks = 0;
};

Headless h;

void Press(KeyState& k, bool down) {
  if (down && !k.held) k.pressedThisPass = true;
  k.held = down;
}

}  // namespace

//-----------------------------------------------------------------------------
// Display
//-----------------------------------------------------------------------------

bool StartVideo() {
  h.videoStarted = h.videoAvailable;
  return h.videoStarted;
}

void StopVideo() {
  CloseWindow();
  h.videoStarted = false;
}

bool OpenWindow(const char*, bool) {
  if (!h.videoStarted || !h.windowAvailable) return false;
  h.windowOpen = true;
  return true;
}

void SetWindowed(bool windowed) { h.windowed = windowed; }
bool IsWindowed() { return h.windowed; }
void SetWindowIcon(const uint32_t*, int, int) {}

const char* LastVideoError() {
  if (!h.videoAvailable) return "no display (headless test)";
  if (!h.windowAvailable) return "the display refused the window (headless test)";
  return "";
}

void CloseWindow() { h.windowOpen = false; }

bool IsWindowOpen() { return h.windowOpen; }

void PresentFrame(const uint32_t* pixels) {
  h.lastFrame.assign(pixels, pixels + kFrameWidth * kFrameHeight);
  ++h.presentCount;
}

void PumpEvents() {
  for (KeyState& k : h.buttons) k.pressedThisPass = false;
  for (KeyState& k : h.keys) k.pressedThisPass = false;
  h.pointerMoved = false;
  h.otherKeyPressed = false;
  h.typed.clear();
  std::vector<std::function<void()>> events;
  events.swap(h.pending);
  for (auto& apply : events) apply();
  headless::AdvanceSoundOnePass();
  h.ticks += 16;
}

bool IsWindowActive() { return h.windowOpen && h.focus; }

bool QuitRequested() { return h.quit; }

int DisplayRefreshRate() { return h.videoStarted ? h.refreshRate : 0; }

//-----------------------------------------------------------------------------
// Pacing: passes follow one another at once.
//-----------------------------------------------------------------------------

void WaitForNextPass() {}
void ResetPacer() {}
uint32_t TickCount() { return h.ticks; }
void SleepMs(int) {}

//-----------------------------------------------------------------------------
// Input
//-----------------------------------------------------------------------------

void GetPointer(int* x, int* y) {
  *x = h.pointerX;
  *y = h.pointerY;
}

void SetPointer(int x, int y) {
  h.pointerX = std::clamp(x, 0, kFrameWidth - 1);
  h.pointerY = std::clamp(y, 0, kFrameHeight - 1);
}

bool IsMouseButtonDown(MouseButton button) {
  const KeyState& k = h.buttons[static_cast<int>(button)];
  return k.held || k.pressedThisPass;
}

bool IsKeyDown(Key key) {
  const KeyState& k = h.keys[static_cast<int>(key)];
  return k.held || k.pressedThisPass;
}

JoystickState ReadJoystick() {
  if (h.stick.connected) return h.stick;
  return JoystickState{32767, 32767, 65535, 65535, 0, false, false};
}

bool PointerMoved() { return h.pointerMoved; }
bool OtherKeyPressed() { return h.otherKeyPressed; }

std::string TakeTypedText() {
  std::string text;
  text.swap(h.typed);
  return text;
}

void InjectMouseMotion(int dx, int dy) { headless::MovePointer(dx, dy); }

void ShowMessageBox(const char* title, const char* text) {
  std::fprintf(stderr, "%s: %s\n", title, text);
}

//-----------------------------------------------------------------------------
// Controls
//-----------------------------------------------------------------------------

namespace headless {

void Reset() {
  ResetSound();
  h = Headless{};
}

void MovePointer(int dx, int dy) {
  h.pending.push_back([dx, dy] {
    if (!h.focus) return;
    SetPointer(h.pointerX + dx, h.pointerY + dy);
    h.pointerMoved = h.pointerMoved || dx != 0 || dy != 0;
  });
}

void PlacePointer(int x, int y) {
  h.pending.push_back([x, y] {
    h.pointerMoved = h.pointerMoved || x != h.pointerX || y != h.pointerY;
    SetPointer(x, y);
  });
}

void TypeText(const std::string& text) {
  h.pending.push_back([text] {
    if (h.focus) h.typed += text;
  });
}

void PressOtherKey() {
  h.pending.push_back([] {
    if (h.focus) h.otherKeyPressed = true;
  });
}

void SetMouseButton(MouseButton button, bool down) {
  h.pending.push_back([button, down] { Press(h.buttons[static_cast<int>(button)], down); });
}

void SetKey(Key key, bool down) {
  h.pending.push_back([key, down] { Press(h.keys[static_cast<int>(key)], down); });
}

void SetStick(int32_t x, int32_t y) {
  h.pending.push_back([x, y] {
    h.stick.x = std::clamp(x, 0, h.stick.xMax);
    h.stick.y = std::clamp(y, 0, h.stick.yMax);
  });
}

void SetJoystickButton(int button, bool down) {
  if (button < 0 || button > 31) return;
  h.pending.push_back([button, down] {
    uint32_t bit = 1u << button;
    h.stick.buttons = down ? (h.stick.buttons | bit) : (h.stick.buttons & ~bit);
  });
}

void SetJoystickStart(bool down) {
  h.pending.push_back([down] { h.stick.start = down; });
}

void SetJoystickConnected(bool connected) {
  h.pending.push_back([connected] { h.stick.connected = connected; });
}

void SetFocus(bool active) {
  h.pending.push_back([active] {
    h.focus = active;
    if (!active) {
      for (KeyState& k : h.buttons) k.held = false;
      for (KeyState& k : h.keys) k.held = false;
    }
  });
}

void RequestQuit() {
  h.pending.push_back([] { h.quit = true; });
}

void SetVideoAvailable(bool available) { h.videoAvailable = available; }
void SetWindowAvailable(bool available) { h.windowAvailable = available; }
void SetDisplayRefreshRate(int hz) { h.refreshRate = hz; }

bool WindowIsWindowed() { return h.windowed; }

const std::vector<uint32_t>& LastPresentedFrame() { return h.lastFrame; }
int PresentCount() { return h.presentCount; }

}  // namespace headless
}  // namespace platform
