// The SDL window, presenter and input events.
//
// One window, full screen on the desktop (SDL_WINDOW_FULLSCREEN_DESKTOP) or a
// resizable window, with a renderer that scales the game's 640x480 frame to
// fit, keeping its 4:3 shape with black bars (platform/picture_layout.h says
// how it stays sharp at any size). Alt+Enter and F11 switch between the two.
// Mouse input comes as relative motion (the game keeps its own pointer);
// buttons and keys are collected from events so that a press shorter than a
// frame still counts.
#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/picture_layout.h"
#include "platform/sdl/joystick_sdl.h"
#include "platform/sdl/testing.h"

namespace platform {
namespace {

// The desktop entry's id: window managers match the window to it (and so
// find its icon and name) by this class.
constexpr const char* kWindowClass = "vantomir";

struct KeyState {
  bool held = false;
  bool pressedThisPass = false;  // went down since the last PumpEvents
};

struct WindowState {
  bool videoStarted = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;  // the 640x480 frame, as uploaded
  // The frame enlarged by the layout's multiple, drawn by the renderer (a
  // render target), then filtered down to the screen; dropped when the layout
  // changes.
  SDL_Texture* enlarged = nullptr;
  // The largest enlarged picture the renderer can make: its largest texture
  // (0: no limit), or the frame's own size when it has no render targets.
  int enlargedLimitWidth = 0, enlargedLimitHeight = 0;
  int failedFactor = 0;  // the renderer could not make or draw into that multiple
  int outputWidth = -1, outputHeight = -1;  // the output that `layout` was made for
  PictureLayout layout;
  bool active = false;
  bool windowed = false;
  std::vector<uint32_t> icon;
  int iconWidth = 0, iconHeight = 0;
  std::string lastError;
  int pointerX = 0;
  int pointerY = 0;
  bool pointerMoved = false;
  bool otherKeyPressed = false;
  std::string typed;
  KeyState buttons[2];
  KeyState keys[kKeyCount];
};

WindowState w;
volatile std::sig_atomic_t quitSignal = 0;

void OnSignal(int) { quitSignal = 1; }
bool quitEvent = false;

KeyState* KeyFor(SDL_Scancode code) {
  auto key = [](Key k) { return &w.keys[static_cast<int>(k)]; };
  switch (code) {
    case SDL_SCANCODE_ESCAPE: return key(Key::Escape);
    case SDL_SCANCODE_F12: return key(Key::F12);
    case SDL_SCANCODE_P:
    case SDL_SCANCODE_PAUSE: return key(Key::Pause);
    case SDL_SCANCODE_LEFT:
    case SDL_SCANCODE_A: return key(Key::Left);
    case SDL_SCANCODE_RIGHT:
    case SDL_SCANCODE_D: return key(Key::Right);
    case SDL_SCANCODE_UP:
    case SDL_SCANCODE_W: return key(Key::Up);
    case SDL_SCANCODE_DOWN:
    case SDL_SCANCODE_S: return key(Key::Down);
    case SDL_SCANCODE_SPACE:
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return key(Key::Fire);
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return key(Key::Return);
    case SDL_SCANCODE_BACKSPACE: return key(Key::Backspace);
    case SDL_SCANCODE_PERIOD: return key(Key::StepForward);
    case SDL_SCANCODE_COMMA: return key(Key::StepBack);
    default: return nullptr;
  }
}

// Keys that are the window's or the game's own and so do not count as "any
// key" (which ends a demonstration): the window's, the pause keys and those
// that control a recording as it plays.
bool IsOwnKey(SDL_Scancode code) {
  switch (code) {
    case SDL_SCANCODE_F12:
    case SDL_SCANCODE_F11:
    case SDL_SCANCODE_P:
    case SDL_SCANCODE_PAUSE:
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
    case SDL_SCANCODE_LEFT:
    case SDL_SCANCODE_RIGHT:
    case SDL_SCANCODE_UP:
    case SDL_SCANCODE_DOWN:
    case SDL_SCANCODE_W:
    case SDL_SCANCODE_A:
    case SDL_SCANCODE_S:
    case SDL_SCANCODE_D:
    case SDL_SCANCODE_PERIOD:
    case SDL_SCANCODE_COMMA:
      return true;
    default:
      return false;
  }
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
  if (active) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
    ReleaseAll();
  }
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

void Fail(const char* what) { w.lastError = std::string(what) + ": " + SDL_GetError(); }

void ApplyIcon() {
  if (w.window == nullptr || w.icon.empty()) return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(w.icon.data(), w.iconWidth, w.iconHeight, 32,
                                                            w.iconWidth * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return;
  SDL_SetWindowIcon(w.window, surface);
  SDL_FreeSurface(surface);
}

void DropEnlarged() {
  if (w.enlarged != nullptr) SDL_DestroyTexture(w.enlarged);
  w.enlarged = nullptr;
}

// The enlarged picture for the layout's multiple, made when missing; false
// when the renderer cannot make one that large.
bool EnsureEnlarged() {
  if (w.enlarged != nullptr) return true;
  w.enlarged = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                 kFrameWidth * w.layout.factor, kFrameHeight * w.layout.factor);
  if (w.enlarged == nullptr) return false;
  SDL_SetTextureScaleMode(w.enlarged, SDL_ScaleModeLinear);
  // Copied over the back buffer as it is: a texture with an alpha channel
  // would be blended with it by default.
  SDL_SetTextureBlendMode(w.enlarged, SDL_BLENDMODE_NONE);
  return true;
}

// A multiple the renderer could not make or draw into is not tried again
// while the window is open: the frame goes straight to the screen, filtered.
void FallBackToFiltered() {
  w.failedFactor = w.layout.factor;
  DropEnlarged();
  w.layout.scaling = PictureScaling::Filtered;
  SDL_SetTextureScaleMode(w.texture, SDL_ScaleModeLinear);
}

// Lays the picture out again when the output has changed size (a switch
// between window and full screen, a resized window, another monitor). Sizes
// are the renderer's output in pixels, which on a high-DPI screen are more
// than the window's size in points.
void FollowOutputSize() {
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(w.renderer, &width, &height) != 0) width = height = 0;
  if (width == w.outputWidth && height == w.outputHeight) return;
  w.outputWidth = width;
  w.outputHeight = height;
  const PictureLayout old = w.layout;
  w.layout = LayOutPicture(width, height, w.enlargedLimitWidth, w.enlargedLimitHeight);
  if (w.layout.scaling == PictureScaling::UpThenFiltered && w.layout.factor == w.failedFactor) {
    w.layout.scaling = PictureScaling::Filtered;
  }
  if (w.layout.scaling == old.scaling && w.layout.factor == old.factor) return;
  // An enlarged picture of another multiple is only memory now (at 4K it is
  // 3200x2400, 30 MB).
  DropEnlarged();
  // The frame goes straight to the screen the layout's way, or nearest into
  // the enlarged picture.
  SDL_SetTextureScaleMode(w.texture, w.layout.scaling == PictureScaling::Filtered ? SDL_ScaleModeLinear
                                                                                   : SDL_ScaleModeNearest);
}

// Draws the frame (already uploaded) into the window's back buffer.
//
// The SMOOTHING setting is the game's own: it decides how the game draws its
// 640x480 frame, and nothing here changes it. The presenter always scales
// the sharp way, nearest up to a whole multiple, then filtered down: plain
// nearest scaling at a size like 2.25x makes some game pixels 2 screen pixels
// wide and others 3, and plain filtering blurs every edge over two or three
// screen pixels. Only without render targets does the frame go straight to
// the screen, filtered (even, if soft), or nearest at an exact multiple.
void DrawFrame() {
  const PictureLayout& layout = w.layout;
  if (layout.scaling == PictureScaling::UpThenFiltered) {
    if (EnsureEnlarged() && SDL_SetRenderTarget(w.renderer, w.enlarged) == 0) {
      SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr);
      SDL_SetRenderTarget(w.renderer, nullptr);
    } else {
      FallBackToFiltered();
    }
  }
  SDL_RenderClear(w.renderer);
  if (layout.scaling == PictureScaling::None) return;
  const SDL_Rect picture{layout.x, layout.y, layout.width, layout.height};
  SDL_Texture* source = layout.scaling == PictureScaling::UpThenFiltered ? w.enlarged : w.texture;
  SDL_RenderCopy(w.renderer, source, nullptr, &picture);
}

// Full screen on the desktop, or a window of the frame's size centred on the
// display the first time (later it keeps the size and place the player gave
// it).
void ApplyWindowMode() {
  if (w.window == nullptr) return;
  if (!w.windowed) {
    SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    return;
  }
  SDL_SetWindowFullscreen(w.window, 0);
  SDL_SetWindowResizable(w.window, SDL_TRUE);
}

// Alt+Enter and F11.
bool IsWindowModeKey(const SDL_KeyboardEvent& e) {
  return e.keysym.scancode == SDL_SCANCODE_F11 ||
         ((e.keysym.scancode == SDL_SCANCODE_RETURN || e.keysym.scancode == SDL_SCANCODE_KP_ENTER) &&
          (e.keysym.mod & KMOD_ALT) != 0);
}

// Keys and clicks reach only the window that has the keyboard or the
// pointer, so they count even before the focus event: SDL reports the focus
// of an X11 window a fifth of a second late.
void HandleKeyDown(const SDL_KeyboardEvent& e) {
  if (e.repeat != 0) return;
  if (IsWindowModeKey(e)) {
    SetWindowed(!w.windowed);
    return;
  }
  Press(KeyFor(e.keysym.scancode));
  if (!IsOwnKey(e.keysym.scancode)) w.otherKeyPressed = true;
}

// Typed text as printable ASCII; anything else is left out.
void AddTypedText(const char* utf8) {
  for (const char* c = utf8; *c != '\0'; ++c) {
    const unsigned char ch = static_cast<unsigned char>(*c);
    if (ch >= 32 && ch <= 126) w.typed += static_cast<char>(ch);
  }
}

// StartVideo, and with acceptNoDisplay the same on a driver that shows
// nothing (see platform/sdl/testing.h).
bool StartVideoSystem(bool acceptNoDisplay) {
  if (w.videoStarted) return true;
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  SDL_SetHint(SDL_HINT_APP_NAME, "Vantomir");
  // SDL 2 takes the window class (X11) and application id (Wayland) from the
  // environment, unless the player set them.
  setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", kWindowClass, 0);
  // One count of mouse motion moves the game's pointer one frame pixel, on any
  // screen size: the pointer is a virtual stick, and its feel must not
  // depend on the monitor.
  SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_SCALING, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    Fail("cannot start the video system");
    return false;
  }
  // With no display at all SDL falls back to drivers that show nothing; a
  // game nobody can see has not started.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool noDisplay =
      driver == nullptr || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
  if (noDisplay && !acceptNoDisplay) {
    w.lastError = std::string("no display to show a window on (video driver '") +
                  (driver != nullptr ? driver : "none") + "')";
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return false;
  }
  w.videoStarted = true;
  // Closing from outside (Ctrl+C, a logout, a hang-up) ends the game the
  // normal way, so the settings are saved. SDL's own handler only covers
  // SIGINT and SIGTERM.
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGHUP, OnSignal);
  SDL_StopTextInput();
  StartJoystick();
  return true;
}

}  // namespace

bool StartVideo() { return StartVideoSystem(false); }

namespace testing {

bool StartVideoWithoutDisplay() {
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);  // over SDL_VIDEODRIVER too
  return StartVideoSystem(true);
}

}  // namespace testing

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
  const Uint32 mode = w.windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_FULLSCREEN_DESKTOP;
  w.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kFrameWidth,
                              kFrameHeight, mode | SDL_WINDOW_ALLOW_HIGHDPI);
  if (w.window == nullptr) {
    Fail("cannot open the window");
    return false;
  }
  Uint32 flags = SDL_RENDERER_ACCELERATED | (vsyncAssist ? SDL_RENDERER_PRESENTVSYNC : 0);
  w.renderer = SDL_CreateRenderer(w.window, -1, flags);
  if (w.renderer == nullptr) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
  if (w.renderer != nullptr) {
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  kFrameWidth, kFrameHeight);
  }
  if (w.texture == nullptr) {
    Fail("cannot draw in the window");
    CloseWindow();
    return false;
  }
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(w.renderer, &info);
  const bool targets = SDL_RenderTargetSupported(w.renderer);
  w.enlargedLimitWidth = targets ? info.max_texture_width : kFrameWidth;
  w.enlargedLimitHeight = targets ? info.max_texture_height : kFrameHeight;
  ApplyIcon();
  SDL_SetWindowMinimumSize(w.window, kFrameWidth / 4, kFrameHeight / 4);
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
  DropEnlarged();
  w.failedFactor = 0;
  w.outputWidth = w.outputHeight = -1;
  w.layout = PictureLayout{};  // the next window's frame texture gets its scale mode
  if (w.texture != nullptr) SDL_DestroyTexture(w.texture);
  if (w.renderer != nullptr) SDL_DestroyRenderer(w.renderer);
  if (w.window != nullptr) SDL_DestroyWindow(w.window);
  w.texture = nullptr;
  w.renderer = nullptr;
  w.window = nullptr;
  if (w.videoStarted) SDL_ShowCursor(SDL_ENABLE);
}

bool IsWindowOpen() { return w.window != nullptr; }

void SetWindowed(bool windowed) {
  if (w.windowed == windowed) return;
  w.windowed = windowed;
  ApplyWindowMode();
}

bool IsWindowed() { return w.windowed; }

void SetWindowIcon(const uint32_t* pixels, int width, int height) {
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  w.icon.assign(pixels, pixels + width * height);
  w.iconWidth = width;
  w.iconHeight = height;
  ApplyIcon();
}

const char* LastVideoError() { return w.lastError.c_str(); }

void PresentFrame(const uint32_t* pixels) {
  if (w.texture == nullptr) return;
  SDL_UpdateTexture(w.texture, nullptr, pixels, kFrameWidth * 4);
  FollowOutputSize();
  DrawFrame();
  SDL_RenderPresent(w.renderer);
}

void PumpEvents() {
  for (KeyState& k : w.buttons) k.pressedThisPass = false;
  for (KeyState& k : w.keys) k.pressedThisPass = false;
  w.pointerMoved = false;
  w.otherKeyPressed = false;
  w.typed.clear();
  if (!w.videoStarted) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        quitEvent = true;
        break;
      case SDL_WINDOWEVENT:
        HandleWindowEvent(e.window);
        break;
      case SDL_MOUSEMOTION:
        if (w.active && (e.motion.xrel != 0 || e.motion.yrel != 0)) {
          w.pointerX = std::clamp(w.pointerX + e.motion.xrel, 0, kFrameWidth - 1);
          w.pointerY = std::clamp(w.pointerY + e.motion.yrel, 0, kFrameHeight - 1);
          w.pointerMoved = true;
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        Press(ButtonFor(e.button.button));
        break;
      case SDL_MOUSEBUTTONUP:
        Release(ButtonFor(e.button.button));
        break;
      case SDL_KEYDOWN:
        HandleKeyDown(e.key);
        break;
      case SDL_KEYUP:
        Release(KeyFor(e.key.keysym.scancode));
        break;
      case SDL_TEXTINPUT:
        AddTypedText(e.text.text);
        break;
      default:
        HandleJoystickEvent(e);
        break;
    }
  }
}

bool IsWindowActive() { return w.window != nullptr && w.active; }

bool QuitRequested() { return quitEvent || quitSignal != 0; }

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

bool PointerMoved() { return w.pointerMoved; }

bool OtherKeyPressed() { return w.otherKeyPressed; }

std::string TakeTypedText() {
  std::string text;
  text.swap(w.typed);
  return text;
}

// The message goes to standard error as well, where a player who started
// the game from a terminal (or a log) finds it.
void ShowMessageBox(const char* title, const char* text) {
  std::fprintf(stderr, "%s: %s\n", title, text);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, w.window);
}

}  // namespace platform
