// The sound device on SDL2: an audio device at 44100 Hz, stereo 16-bit, whose
// callback pulls its output from the shared mixer. When the audio subsystem or
// the device cannot be opened the mixer still works and nothing is heard.
#include <SDL.h>

#include <atomic>
#include <cstdio>

#include "platform/mixer.h"
#include "platform/sound_device.h"

namespace platform {

namespace {

// SDL mixes a piece of output when the device has taken the one before, so a
// sound asked for now waits for the next piece to begin and then for the one
// queued ahead of it: up to two pieces. 512 frames (11.6 ms) keep a sound
// within about 23 ms of the request; 1024 took up to 46 ms (vantomir-tool
// latency). Smaller pieces leave less queued to ride out a late wake of the
// audio thread: with every core busy, PulseAudio already runs dry now and
// then between pieces of 512, where it did not with 1024 (PULSE_LATENCY_MSEC
// gives the server more to hold where that is heard).
constexpr int kDeviceFrames = 512;

bool subsystemUp = false;
SDL_AudioDeviceID device = 0;
std::atomic<bool> live{false};
SDL_AudioSpec obtained{};

void FillFromMixer(void* /*userdata*/, Uint8* stream, int len) {
  // The device format is exactly the mixer's (SDL converts if the hardware
  // wants otherwise), so len is a whole number of 4-byte stereo frames.
  MixOutput(reinterpret_cast<int16_t*>(stream), len / 4);
}

}  // namespace

bool StartSoundDevice() {
  if (subsystemUp) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "vantomir: no audio (%s); playing without sound\n", SDL_GetError());
    return true;
  }
  subsystemUp = true;

  SDL_AudioSpec want{};
  want.freq = kMixRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kDeviceFrames;
  want.callback = FillFromMixer;
  device = SDL_OpenAudioDevice(nullptr, 0, &want, &obtained, 0);
  if (device == 0) {
    std::fprintf(stderr, "vantomir: cannot open audio device (%s); playing without sound\n",
                 SDL_GetError());
    return true;
  }
  SDL_PauseAudioDevice(device, 0);
  live = true;
  return true;
}

void StopSoundDevice() {
  live = false;
  if (device != 0) {
    SDL_CloseAudioDevice(device);  // waits for a running callback to finish
    device = 0;
  }
  if (subsystemUp) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp = false;
  }
  SharedMixer().DestroyAll();
}

bool IsSoundOutputLive() { return live; }

SoundOutputInfo DescribeSoundOutput() {
  if (!live) return {"", kMixRate, 0};
  const char* driver = SDL_GetCurrentAudioDriver();
  return {driver != nullptr ? driver : "?", obtained.freq, obtained.samples};
}

}  // namespace platform
