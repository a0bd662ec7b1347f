// The headless sound device: the shared mixer with no audio output. The mixer
// advances only when asked (one loop pass of 735 frames per PumpEvents, or
// MixSound), so what it produces is the same on every run, and the output can
// be captured for tests and audio dumps.
#include <array>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/mixer.h"
#include "platform/sound_device.h"

namespace platform {

bool StartSoundDevice() { return true; }
void StopSoundDevice() { SharedMixer().DestroyAll(); }
bool IsSoundOutputLive() { return false; }
SoundOutputInfo DescribeSoundOutput() { return {"", kMixRate, headless::kFramesPerPass}; }

}  // namespace platform

namespace platform::headless {

namespace {

std::mutex captureMutex;
bool capturing = false;
std::vector<int16_t> captured;

}  // namespace

void StartAudioCapture() {
  std::lock_guard lock(captureMutex);
  captured.clear();
  capturing = true;
}

std::vector<int16_t> TakeCapturedAudio() {
  std::lock_guard lock(captureMutex);
  return std::exchange(captured, {});
}

void MixSound(int frames, int16_t* out) {
  if (frames <= 0 || out == nullptr) return;
  MixOutput(out, frames);
  std::lock_guard lock(captureMutex);
  if (capturing) captured.insert(captured.end(), out, out + 2 * frames);
}

void AdvanceSoundOnePass() {
  std::array<int16_t, 2 * kFramesPerPass> pass;
  MixSound(kFramesPerPass, pass.data());
}

void ResetSound() {
  SharedMixer().DestroyAll();
  std::lock_guard lock(captureMutex);
  capturing = false;
  captured = {};
}

}  // namespace platform::headless
