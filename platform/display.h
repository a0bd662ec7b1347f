// The window and the presenter.
//
// The game composes every frame itself into a 640x480 buffer of 0x00RRGGBB
// pixels; this service only puts that buffer on the screen. The window is a
// borderless full-screen window on the desktop (no display mode switch ever
// happens) or a resizable window, titled "Vantomir", and the frame is scaled
// to fit it with its 4:3 shape kept and black bars around it, sharp at any
// size (platform/picture_layout.h). Alt+Enter and
// F11 switch between the two at any time; the service handles them itself.
//
// PumpEvents is the boundary between two loop passes: it delivers the
// window's messages, updates the focus and collects the input events that the
// input service reports during the next pass.
#pragma once

#include <cstdint>

namespace platform {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

// Brings up the video system. False when there is no display to show a
// window on.
bool StartVideo();
void StopVideo();

// Opens the game window. vsyncAssist asks the presenter to wait for the
// display's vertical blank as well; the loop's speed is still set by the pacer.
// False when no window can be opened; nothing stays open then.
bool OpenWindow(const char* title, bool vsyncAssist);

// Full screen (the default) or a window, 640x480 when first made. Takes
// effect at once on an open window, and lasts for the rest of the run.
void SetWindowed(bool windowed);
bool IsWindowed();

// The window's icon: width x height pixels of 0xAARRGGBB, copied.
void SetWindowIcon(const uint32_t* pixels, int width, int height);

// Why the last StartVideo or OpenWindow failed, in the system's own words.
const char* LastVideoError();
void CloseWindow();
bool IsWindowOpen();

// Shows one 640x480 frame.
void PresentFrame(const uint32_t* pixels);

// Delivers pending window and input events (see above).
void PumpEvents();

// True while the window is open and has the input focus.
bool IsWindowActive();

// True once the user asked to close the window, or the process was asked to
// end (SIGINT, SIGTERM, SIGHUP); the game then ends through its normal
// shutdown.
bool QuitRequested();

// The refresh rate of the window's display in Hz, or 0 when unknown.
int DisplayRefreshRate();

}  // namespace platform
