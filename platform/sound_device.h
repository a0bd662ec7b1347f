// The sound device: a software mixer of PCM buffers, played through the
// system's audio output at 44100 Hz, stereo, 16-bit.
//
// A buffer holds PCM samples in its own format (8-bit unsigned or 16-bit
// signed, mono or stereo, any rate); the mixer converts as it plays. Every
// buffer has a play position (in bytes), a volume in hundredths of a decibel
// (-10000 = silent, 0 = full level) and plays once or looping. A looping
// buffer that is written while it plays is a stream: its play position tells
// the writer which part is being heard.
//
// With no audio output available the device still works, silently, and the
// game plays on without sound.
//
// The functions may be called from any thread; each call is atomic with
// respect to the mixer.
#pragma once

#include <cstdint>

namespace platform {

constexpr int kMixRate = 44100;  // output frames per second, stereo 16-bit

struct PcmFormat {
  int32_t channels;       // 1 or 2
  int32_t sampleRate;     // frames per second, 1..192000
  int32_t bitsPerSample;  // 8 (unsigned) or 16 (signed little-endian)
};

using SoundBufferId = int32_t;  // 0 names no buffer

// Opens the audio output. Always succeeds; IsSoundOutputLive tells whether
// anything is heard.
bool StartSoundDevice();
void StopSoundDevice();
bool IsSoundOutputLive();

// The audio output as it was opened: the driver's name (empty when nothing
// is heard), the output rate and the frames the output takes from the mixer
// at a time, each piece queued behind the one before (both above 0 when a
// driver is named).
struct SoundOutputInfo {
  const char* driver;
  int32_t rate;
  int32_t framesPerPiece;
};
SoundOutputInfo DescribeSoundOutput();

// Tools may watch the mixing (vantomir-tool latency): beforeMix and afterMix
// are called on the thread that mixes (the audio output's), around each
// piece of output it mixes, outside the mixer's lock. Null watchers stop
// watching; the watcher may be changed while the output runs.
struct MixWatcher {
  void (*beforeMix)(int frames) = nullptr;
  void (*afterMix)(int frames) = nullptr;
};
void WatchMixing(MixWatcher watcher);

// Makes a silent buffer of bytes bytes (whole frames). 0 on a bad format or size.
SoundBufferId CreateSoundBuffer(const PcmFormat& format, uint32_t bytes);
void DestroySoundBuffer(SoundBufferId id);

// Copies bytes into the buffer at offset; false (nothing written) when the
// range does not lie inside it.
bool WriteSoundBuffer(SoundBufferId id, uint32_t offset, const void* data, uint32_t bytes);

// Starts playing from the current position.
void PlaySoundBuffer(SoundBufferId id, bool looping);
void StopSoundBuffer(SoundBufferId id);
bool IsSoundBufferPlaying(SoundBufferId id);

// Play position in bytes from the buffer's start (a multiple of the frame size).
void SetSoundBufferPosition(SoundBufferId id, uint32_t offset);
uint32_t GetSoundBufferPosition(SoundBufferId id);

// Volume in hundredths of a decibel, clamped to -10000..0.
void SetSoundBufferVolume(SoundBufferId id, int32_t hundredthsOfDb);

}  // namespace platform
