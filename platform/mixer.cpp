// The software mixer: buffer table, format conversion, resampling and volume,
// and the buffer operations of the sound device defined over the shared mixer.
#include "platform/mixer.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

namespace platform {

namespace {

constexpr uint32_t kMaxBufferBytes = 256u << 20;
constexpr int32_t kFullGain = 1 << 16;

// One sample scaled to signed 16-bit: 8-bit data is unsigned around 128,
// 16-bit data is signed little-endian.
template <int kBits>
int32_t ReadSample(const uint8_t* p) {
  if constexpr (kBits == 8) {
    return (int32_t{p[0]} - 128) * 256;
  } else {
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
  }
}

int32_t GainOf(int32_t hundredthsOfDb) {
  const int32_t v = std::clamp(hundredthsOfDb, -10000, 0);
  if (v == -10000) return 0;
  return int32_t(std::lround(std::pow(10.0, v / 2000.0) * kFullGain));
}

}  // namespace

Mixer::Buffer* Mixer::Find(SoundBufferId id) {
  if (id == 0) return nullptr;
  for (Buffer& b : buffers_) {
    if (b.id == id) return &b;
  }
  return nullptr;
}

SoundBufferId Mixer::Create(const PcmFormat& format, uint32_t bytes) {
  if ((format.channels != 1 && format.channels != 2) || format.sampleRate < 1 ||
      format.sampleRate > 192000 || (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
    return 0;
  }
  const uint32_t frameBytes = uint32_t(format.channels * format.bitsPerSample / 8);
  if (bytes == 0 || bytes % frameBytes != 0 || bytes > kMaxBufferBytes) return 0;

  // The samples are allocated before taking the lock so that a large buffer
  // does not hold up the audio callback.
  std::vector<uint8_t> pcm;
  try {
    pcm.assign(bytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
  } catch (const std::bad_alloc&) {
    return 0;
  }

  std::lock_guard lock(mutex_);
  auto slot = std::find_if(buffers_.begin(), buffers_.end(), [](const Buffer& b) { return b.id == 0; });
  if (slot == buffers_.end()) {
    if (buffers_.size() >= kMaxBuffers) return 0;
    slot = buffers_.insert(buffers_.end(), Buffer{});
  }
  do {
    lastId_ = lastId_ == INT32_MAX ? 1 : lastId_ + 1;
  } while (Find(lastId_) != nullptr);

  Buffer& b = *slot;
  b = Buffer{};
  b.id = lastId_;
  b.format = format;
  b.frameBytes = frameBytes;
  b.frames = bytes / frameBytes;
  b.pcm = std::move(pcm);
  b.step = (uint64_t(format.sampleRate) << 32) / kMixRate;
  b.gain = kFullGain;
  return b.id;
}

void Mixer::Destroy(SoundBufferId id) {
  std::vector<uint8_t> freed;  // released after the lock is dropped
  std::lock_guard lock(mutex_);
  if (Buffer* b = Find(id)) {
    freed.swap(b->pcm);
    *b = Buffer{};
  }
}

void Mixer::DestroyAll() {
  std::vector<Buffer> freed;
  std::lock_guard lock(mutex_);
  freed.swap(buffers_);
}

bool Mixer::Write(SoundBufferId id, uint32_t offset, const void* data, uint32_t bytes) {
  std::lock_guard lock(mutex_);
  Buffer* b = Find(id);
  if (b == nullptr || (data == nullptr && bytes > 0)) return false;
  const uint32_t size = uint32_t(b->pcm.size());
  if (offset > size || bytes > size - offset) return false;
  if (bytes > 0) std::memcpy(b->pcm.data() + offset, data, bytes);
  return true;
}

void Mixer::Play(SoundBufferId id, bool looping) {
  std::lock_guard lock(mutex_);
  if (Buffer* b = Find(id)) {
    b->playing = true;
    b->looping = looping;
  }
}

void Mixer::Stop(SoundBufferId id) {
  std::lock_guard lock(mutex_);
  if (Buffer* b = Find(id)) b->playing = false;
}

bool Mixer::IsPlaying(SoundBufferId id) {
  std::lock_guard lock(mutex_);
  const Buffer* b = Find(id);
  return b != nullptr && b->playing;
}

void Mixer::SetPosition(SoundBufferId id, uint32_t offset) {
  std::lock_guard lock(mutex_);
  Buffer* b = Find(id);
  if (b == nullptr || offset > b->pcm.size()) return;
  b->position = uint64_t(offset / b->frameBytes) << 32;
}

uint32_t Mixer::GetPosition(SoundBufferId id) {
  std::lock_guard lock(mutex_);
  const Buffer* b = Find(id);
  return b == nullptr ? 0 : uint32_t(b->position >> 32) * b->frameBytes;
}

void Mixer::SetVolume(SoundBufferId id, int32_t hundredthsOfDb) {
  std::lock_guard lock(mutex_);
  if (Buffer* b = Find(id)) b->gain = GainOf(hundredthsOfDb);
}

void Mixer::Mix(int16_t* out, int frames) {
  if (out == nullptr || frames <= 0) return;
  std::lock_guard lock(mutex_);
  while (frames > 0) {
    const int n = std::min(frames, kChunkFrames);
    std::fill_n(acc_.begin(), 2 * n, 0);
    for (Buffer& b : buffers_) {
      if (b.id != 0 && b.playing) MixBuffer(b, acc_.data(), n);
    }
    for (int i = 0; i < 2 * n; ++i) out[i] = int16_t(std::clamp(acc_[i], -32768, 32767));
    out += 2 * n;
    frames -= n;
  }
}

void Mixer::MixBuffer(Buffer& b, int32_t* acc, int frames) {
  // A position at or past the end (set there, or left there by an earlier
  // one-shot play) wraps for a looping buffer and ends a one-shot one.
  const uint64_t end = uint64_t(b.frames) << 32;
  if (b.position >= end) {
    if (!b.looping) {
      b.playing = false;
      b.position = end;
      return;
    }
    b.position %= end;
  }
  const bool stereo = b.format.channels == 2;
  if (b.format.bitsPerSample == 8) {
    stereo ? MixFrames<8, 2>(b, acc, frames) : MixFrames<8, 1>(b, acc, frames);
  } else {
    stereo ? MixFrames<16, 2>(b, acc, frames) : MixFrames<16, 1>(b, acc, frames);
  }
}

// Steps through the source at rate/kMixRate frames per output frame, each
// output value interpolated linearly between the two source frames around the
// position. The frame after the last is the first for a looping buffer and
// the last itself for a one-shot buffer.
template <int kBits, int kChannels>
void Mixer::MixFrames(Buffer& b, int32_t* acc, int frames) {
  constexpr uint32_t kFrameBytes = kBits / 8 * kChannels;
  constexpr uint32_t kRightOffset = kChannels == 2 ? kBits / 8 : 0;
  const uint8_t* pcm = b.pcm.data();
  const uint64_t end = uint64_t(b.frames) << 32;
  const int64_t gain = b.gain;
  uint64_t pos = b.position;
  for (int i = 0; i < frames; ++i) {
    const uint32_t frame = uint32_t(pos >> 32);
    uint32_t next = frame + 1;
    if (next == b.frames) next = b.looping ? 0 : frame;
    const uint8_t* p0 = pcm + frame * kFrameBytes;
    const uint8_t* p1 = pcm + next * kFrameBytes;
    const int64_t frac = int64_t(pos & 0xFFFFFFFFu);

    const int64_t l0 = ReadSample<kBits>(p0);
    const int64_t left = l0 + (((ReadSample<kBits>(p1) - l0) * frac) >> 32);
    int64_t right = left;
    if constexpr (kChannels == 2) {
      const int64_t r0 = ReadSample<kBits>(p0 + kRightOffset);
      right = r0 + (((ReadSample<kBits>(p1 + kRightOffset) - r0) * frac) >> 32);
    }
    acc[2 * i] += int32_t((left * gain) >> 16);
    acc[2 * i + 1] += int32_t((right * gain) >> 16);

    pos += b.step;
    if (pos >= end) {
      if (!b.looping) {
        b.playing = false;
        pos = end;
        break;
      }
      pos %= end;
    }
  }
  b.position = pos;
}

Mixer& SharedMixer() {
  // Never destroyed: the audio callback may still run while static objects
  // are torn down at exit.
  static Mixer* mixer = new Mixer;
  return *mixer;
}

namespace {

using MixCall = void (*)(int frames);
std::atomic<MixCall> beforeMix{nullptr};
std::atomic<MixCall> afterMix{nullptr};

}  // namespace

void WatchMixing(MixWatcher watcher) {
  beforeMix = watcher.beforeMix;
  afterMix = watcher.afterMix;
}

void MixOutput(int16_t* out, int frames) {
  if (const MixCall call = beforeMix.load(std::memory_order_acquire)) call(frames);
  SharedMixer().Mix(out, frames);
  if (const MixCall call = afterMix.load(std::memory_order_acquire)) call(frames);
}

// The buffer operations of the sound device, the same for every backend.

SoundBufferId CreateSoundBuffer(const PcmFormat& format, uint32_t bytes) {
  return SharedMixer().Create(format, bytes);
}
void DestroySoundBuffer(SoundBufferId id) { SharedMixer().Destroy(id); }
bool WriteSoundBuffer(SoundBufferId id, uint32_t offset, const void* data, uint32_t bytes) {
  return SharedMixer().Write(id, offset, data, bytes);
}
void PlaySoundBuffer(SoundBufferId id, bool looping) { SharedMixer().Play(id, looping); }
void StopSoundBuffer(SoundBufferId id) { SharedMixer().Stop(id); }
bool IsSoundBufferPlaying(SoundBufferId id) { return SharedMixer().IsPlaying(id); }
void SetSoundBufferPosition(SoundBufferId id, uint32_t offset) { SharedMixer().SetPosition(id, offset); }
uint32_t GetSoundBufferPosition(SoundBufferId id) { return SharedMixer().GetPosition(id); }
void SetSoundBufferVolume(SoundBufferId id, int32_t hundredthsOfDb) {
  SharedMixer().SetVolume(id, hundredthsOfDb);
}

}  // namespace platform
