// The software mixer behind the sound device: a table of PCM buffers, each
// with its own format, play position, flags and volume, mixed on demand into
// interleaved stereo 16-bit at kMixRate. Both backends (SDL and headless) share
// one mixer; the buffer operations of sound_device.h are defined over it in
// mixer.cpp, and each backend only decides who calls Mix and when.
//
// Every member function takes the mixer's one lock, so the audio callback, the
// music thread and the main thread may call in at the same time. Mix never
// allocates.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/sound_device.h"

namespace platform {

class Mixer {
 public:
  SoundBufferId Create(const PcmFormat& format, uint32_t bytes);
  void Destroy(SoundBufferId id);
  void DestroyAll();
  bool Write(SoundBufferId id, uint32_t offset, const void* data, uint32_t bytes);
  void Play(SoundBufferId id, bool looping);
  void Stop(SoundBufferId id);
  bool IsPlaying(SoundBufferId id);
  void SetPosition(SoundBufferId id, uint32_t offset);
  uint32_t GetPosition(SoundBufferId id);
  void SetVolume(SoundBufferId id, int32_t hundredthsOfDb);

  // Writes frames of output (2 * frames samples, left then right) and
  // advances every playing buffer by as much.
  void Mix(int16_t* out, int frames);

  static constexpr int kMaxBuffers = 4096;

 private:
  struct Buffer {
    SoundBufferId id = 0;  // 0: free slot
    PcmFormat format{};
    uint32_t frameBytes = 0;
    uint32_t frames = 0;
    std::vector<uint8_t> pcm;
    uint64_t position = 0;  // 32.32 fixed point, in source frames
    uint64_t step = 0;      // source frames per output frame, 32.32
    int32_t gain = 0;       // 16.16 fixed point, 1 << 16 = full level
    bool playing = false;
    bool looping = false;
  };

  static constexpr int kChunkFrames = 1024;

  Buffer* Find(SoundBufferId id);
  void MixBuffer(Buffer& buffer, int32_t* acc, int frames);
  template <int kBits, int kChannels>
  void MixFrames(Buffer& buffer, int32_t* acc, int frames);

  std::mutex mutex_;
  std::vector<Buffer> buffers_;
  SoundBufferId lastId_ = 0;
  std::array<int32_t, 2 * kChunkFrames> acc_{};
};

// The one mixer the sound device plays; lives until the process ends.
Mixer& SharedMixer();

// A piece of the sound device's output from the shared mixer, with the mix
// watcher (WatchMixing) told before and after: what each backend's output
// calls.
void MixOutput(int16_t* out, int frames);

}  // namespace platform
