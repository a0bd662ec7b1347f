// The window and the presenter.
//
// The game composes every frame itself into a 640x480 buffer of 0x00RRGGBB
// pixels; this service only puts that buffer on the screen. The window is a
// borderless full-screen window on the desktop (no display mode switch ever
// happens), titled "Vantomir", and the frame is scaled to fit it with its 4:3
// shape kept and black bars around it.
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
void CloseWindow();
bool IsWindowOpen();

// Shows one 640x480 frame.
void PresentFrame(const uint32_t* pixels);

// Delivers pending window and input events (see above).
void PumpEvents();

// True while the window is open and has the input focus.
bool IsWindowActive();

// True once the user asked to close the window (or the process got an
// interrupt); the game then ends at once.
bool QuitRequested();

// The refresh rate of the window's display in Hz, or 0 when unknown.
int DisplayRefreshRate();

}  // namespace platform
