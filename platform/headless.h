// Controls of the headless platform, for tests and vantomir-tool.
//
// The headless platform has no window and no audio output. Input comes from
// these calls and reaches the game at the next PumpEvents, exactly as real
// events would. Each PumpEvents also advances the sound device by one loop
// pass (735 frames at 44100 Hz), so sound output is reproducible; the mixed
// output is kept while capturing is on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input.h"

namespace platform::headless {

// Everything back to the state of a fresh process: no events pending,
// pointer at (0, 0), nothing held, focus on, video available, no sounds.
void Reset();

// Input, delivered at the next PumpEvents.
void MovePointer(int dx, int dy);
void PlacePointer(int x, int y);
void SetMouseButton(MouseButton button, bool down);
void SetKey(Key key, bool down);
// Text typed (as a keyboard would deliver it), and any key that is not one of
// the game's own (OtherKeyPressed).
void TypeText(const std::string& text);
void PressOtherKey();
void SetStick(int32_t x, int32_t y);  // 0..65535 each, 32767 centred
void SetJoystickButton(int button, bool down);
void SetJoystickStart(bool down);
void SetJoystickConnected(bool connected);  // a pad is there (true after Reset)
void SetFocus(bool active);
void RequestQuit();

// Failure simulation: no display at all, or a display that refuses windows.
void SetVideoAvailable(bool available);
void SetWindowAvailable(bool available);
// The display's refresh rate in Hz (60 unless set).
void SetDisplayRefreshRate(int hz);

// What the window would look like: full screen or a window.
bool WindowIsWindowed();

// The last frame handed to PresentFrame (640x480, 0x00RRGGBB), empty if none.
const std::vector<uint32_t>& LastPresentedFrame();
int PresentCount();

// Sound output: the frames mixed since capturing started, interleaved stereo.
void StartAudioCapture();
std::vector<int16_t> TakeCapturedAudio();
constexpr int kFramesPerPass = 735;

// Mixes frames of output now (PumpEvents does this once per pass).
void MixSound(int frames, int16_t* out);

}  // namespace platform::headless
