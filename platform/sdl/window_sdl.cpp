// The SDL window, presenter and input events.
//
// One borderless full-screen window on the desktop (SDL_WINDOW_FULLSCREEN_DESKTOP)
// with a renderer that scales the game's 640x480 frame to fit, keeping its
// 4:3 shape with black bars. Mouse input comes as relative motion (the game
// keeps its own pointer); buttons and keys are collected from events so that
// a press shorter than a frame still counts.
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "platform/display.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/sdl/joystick_sdl.h"

namespace platform {
namespace {

struct KeyState {
  bool held = false;
  bool pressedThisPass = false;  // went down since the last PumpEvents
};

struct WindowState {
  bool videoStarted = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  bool active = false;
  volatile std::sig_atomic_t quit = 0;
  int pointerX = 0;
  int pointerY = 0;
  KeyState buttons[2];
  KeyState keys[2];
};

WindowState w;

void OnSignal(int) { w.quit = 1; }

KeyState* KeyFor(SDL_Scancode code) {
  if (code == SDL_SCANCODE_ESCAPE) return &w.keys[static_cast<int>(Key::Escape)];
  if (code == SDL_SCANCODE_F12) return &w.keys[static_cast<int>(Key::F12)];
  return nullptr;
}

KeyState* ButtonFor(Uint8 button) {
  if (button == SDL_BUTTON_LEFT) return &w.buttons[static_cast<int>(MouseButton::Left)];
  if (button == SDL_BUTTON_RIGHT) return &w.buttons[static_cast<int>(MouseButton::Right)];
  return nullptr;
}

void Press(KeyState* k) {
  if (k == nullptr) return;
  if (!k->held) k->pressedThisPass = true;
  k->held = true;
}

void Release(KeyState* k) {
  if (k != nullptr) k->held = false;
}

void ReleaseAll() {
  for (KeyState& k : w.buttons) k.held = false;
  for (KeyState& k : w.keys) k.held = false;
}

void SetActive(bool active) {
  if (w.active == active) return;
  w.active = active;
  // Relative mode hides the system cursor and keeps it in the window; give it
  // back while the player is elsewhere.
  SDL_SetRelativeMouseMode(active ? SDL_TRUE : SDL_FALSE);
  if (!active) ReleaseAll();
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      SetActive(true);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
      SetActive(false);
      break;
    default:
      break;
  }
}

}  // namespace

bool StartVideo() {
  if (w.videoStarted) return true;
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  // One count of mouse motion moves the game's pointer one frame pixel, on any
  // screen size: the pointer is a virtual stick, and its feel must not
  // depend on the monitor.
  SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  // With no display at all SDL falls back to drivers that show nothing; a
  // game nobody can see has not started.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  w.videoStarted = true;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  StartJoystick();
  return true;
}

void StopVideo() {
  if (!w.videoStarted) return;
  CloseWindow();
  StopJoystick();
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  w.videoStarted = false;
}

bool OpenWindow(const char* title, bool vsyncAssist) {
  if (!w.videoStarted) return false;
  CloseWindow();
  w.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kFrameWidth,
                              kFrameHeight, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
  if (w.window == nullptr) return false;
  Uint32 flags = SDL_RENDERER_ACCELERATED | (vsyncAssist ? SDL_RENDERER_PRESENTVSYNC : 0);
  w.renderer = SDL_CreateRenderer(w.window, -1, flags);
  if (w.renderer == nullptr) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
  if (w.renderer != nullptr) {
    SDL_RenderSetLogicalSize(w.renderer, kFrameWidth, kFrameHeight);
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  kFrameWidth, kFrameHeight);
  }
  if (w.texture == nullptr) {
    CloseWindow();
    return false;
  }
  SDL_ShowCursor(SDL_DISABLE);
  SDL_RaiseWindow(w.window);
  Uint32 windowFlags = SDL_GetWindowFlags(w.window);
  SetActive((windowFlags & SDL_WINDOW_INPUT_FOCUS) != 0);
  SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
  SDL_RenderClear(w.renderer);
  SDL_RenderPresent(w.renderer);
  return true;
}

void CloseWindow() {
  SetActive(false);
  if (w.texture != nullptr) SDL_DestroyTexture(w.texture);
  if (w.renderer != nullptr) SDL_DestroyRenderer(w.renderer);
  if (w.window != nullptr) SDL_DestroyWindow(w.window);
  w.texture = nullptr;
  w.renderer = nullptr;
  w.window = nullptr;
  if (w.videoStarted) SDL_ShowCursor(SDL_ENABLE);
}

bool IsWindowOpen() { return w.window != nullptr; }

void PresentFrame(const uint32_t* pixels) {
  if (w.texture == nullptr) return;
  SDL_UpdateTexture(w.texture, nullptr, pixels, kFrameWidth * 4);
  SDL_RenderClear(w.renderer);
  SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr);
  SDL_RenderPresent(w.renderer);
}

void PumpEvents() {
  for (KeyState& k : w.buttons) k.pressedThisPass = false;
  for (KeyState& k : w.keys) k.pressedThisPass = false;
  if (!w.videoStarted) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        w.quit = 1;
        break;
      case SDL_WINDOWEVENT:
        HandleWindowEvent(e.window);
        break;
      case SDL_MOUSEMOTION:
        if (w.active) {
          w.pointerX = std::clamp(w.pointerX + e.motion.xrel, 0, kFrameWidth - 1);
          w.pointerY = std::clamp(w.pointerY + e.motion.yrel, 0, kFrameHeight - 1);
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (w.active) Press(ButtonFor(e.button.button));
        break;
      case SDL_MOUSEBUTTONUP:
        Release(ButtonFor(e.button.button));
        break;
      case SDL_KEYDOWN:
        if (w.active && e.key.repeat == 0) Press(KeyFor(e.key.keysym.scancode));
        break;
      case SDL_KEYUP:
        Release(KeyFor(e.key.keysym.scancode));
        break;
      default:
        HandleJoystickEvent(e);
        break;
    }
  }
}

bool IsWindowActive() { return w.window != nullptr && w.active; }

bool QuitRequested() { return w.quit != 0; }

int DisplayRefreshRate() {
  if (!w.videoStarted) return 0;
  int index = w.window != nullptr ? SDL_GetWindowDisplayIndex(w.window) : 0;
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(index < 0 ? 0 : index, &mode) != 0) return 0;
  return mode.refresh_rate;
}

void GetPointer(int* x, int* y) {
  *x = w.pointerX;
  *y = w.pointerY;
}

void SetPointer(int x, int y) {
  w.pointerX = std::clamp(x, 0, kFrameWidth - 1);
  w.pointerY = std::clamp(y, 0, kFrameHeight - 1);
}

bool IsMouseButtonDown(MouseButton button) {
  const KeyState& k = w.buttons[static_cast<int>(button)];
  return k.held || k.pressedThisPass;
}

bool IsKeyDown(Key key) {
  const KeyState& k = w.keys[static_cast<int>(key)];
  return k.held || k.pressedThisPass;
}

void ShowMessageBox(const char* title, const char* text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, w.window) != 0) {
    std::fprintf(stderr, "%s: %s\n", title, text);
  }
}

}  // namespace platform
