//-----------------------------------------------------------------------------
// The sound service: sounds loaded from file images in memory into buffers
// of the sound device, played, stopped and set in volume by handle.
//
// A WAV image is taken as it is; an Ogg Vorbis image is decoded completely
// to 16-bit PCM at load time. The service keeps a copy of every sound's
// samples, from which it makes the copies that overlapping play asks for.
//-----------------------------------------------------------------------------
#include "audio/sound.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "audio/sound_internal.h"

namespace {

// Decoding reads up to this much at a time, and stops once less than that
// is left of the space reserved: the rest of the buffer stays silent.
constexpr size_t kDecodePiece = 4096;

// A damaged stream may report errors without end; after this many in a row
// the decoder gives up and keeps what it has.
constexpr int kMaxDecodeErrorsInARow = 64;

// Handles above this are refused, so that a stray slot number cannot grow the
// table without bound.
constexpr int32_t kMaxHandle = 4096;

struct SoundObject {
  platform::SoundBufferId buffer = 0;  // 0: no sound under this handle
  platform::PcmFormat format{};
  std::vector<uint8_t> pcm;
  int32_t attenuation = 0;
  std::vector<platform::SoundBufferId> duplicates;  // copies made for overlapping play
  SoundSamples view{};
};

struct SoundService {
  std::vector<SoundObject> sounds;  // handle h is sounds[h - 1]
  int32_t volumeTable[101] = {};    // volume 0..100 -> attenuation + 10000
};

SoundService service;

SoundObject* Find(int32_t handle) {
  if (handle < 1 || size_t(handle) > service.sounds.size()) return nullptr;
  SoundObject& s = service.sounds[size_t(handle) - 1];
  return s.buffer != 0 ? &s : nullptr;
}

void Free(SoundObject& s) {
  for (platform::SoundBufferId id : s.duplicates) platform::DestroySoundBuffer(id);
  platform::DestroySoundBuffer(s.buffer);
  s = SoundObject{};
}

//-----------------------------------------------------------------------------
// RIFF/WAVE
//-----------------------------------------------------------------------------

uint32_t Read16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Read32(const uint8_t* p) { return Read16(p) | Read16(p + 2) << 16; }
bool HasTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

bool IsWave(const uint8_t* p, size_t n) { return n >= 16 && HasTag(p, "RIFF") && HasTag(p + 12, "fmt "); }

// The format is the structure at byte 20; the chunks after the fmt chunk are
// stepped over until "data", whose contents are the samples.
std::optional<DecodedSound> DecodeWave(const uint8_t* p, size_t n) {
  constexpr size_t kFormatAt = 20, kFormatBytes = 16;
  if (n < kFormatAt + kFormatBytes) return std::nullopt;
  const uint32_t formatLength = Read32(p + 16);
  const uint32_t formatTag = Read16(p + 20);
  const uint32_t channels = Read16(p + 22);
  const uint32_t bits = Read16(p + 34);
  const uint32_t frameBytes = channels * bits / 8;
  if (formatLength < kFormatBytes || formatTag != 1 || frameBytes == 0) return std::nullopt;  // PCM only
  DecodedSound sound;
  sound.format = {int32_t(channels), int32_t(std::min<uint32_t>(Read32(p + 24), INT32_MAX)), int32_t(bits)};

  uint64_t at = kFormatAt + uint64_t(formatLength);
  while (at + 8 <= n) {
    const uint64_t length = Read32(p + at + 4);
    const uint64_t start = at + 8;
    if (HasTag(p + at, "data")) {
      if (start + length > n) return std::nullopt;  // cut short
      const size_t bytes = size_t(length - length % frameBytes);
      sound.pcm.assign(p + start, p + start + bytes);
      return sound;
    }
    at = start + length;
  }
  return std::nullopt;
}

//-----------------------------------------------------------------------------
// Ogg Vorbis, read from memory through vorbisfile's callbacks
//-----------------------------------------------------------------------------

struct MemoryStream {
  const uint8_t* data;
  size_t size;
  size_t position;
};

size_t ReadStream(void* into, size_t size, size_t count, void* source) {
  auto* s = static_cast<MemoryStream*>(source);
  if (size == 0 || count == 0) return 0;
  const size_t items = std::min(count, (s->size - s->position) / size);
  std::memcpy(into, s->data + s->position, items * size);
  s->position += items * size;
  return items;
}

int SeekStream(void* source, ogg_int64_t offset, int whence) {
  auto* s = static_cast<MemoryStream*>(source);
  int64_t base = 0;
  if (whence == SEEK_CUR) base = int64_t(s->position);
  else if (whence == SEEK_END) base = int64_t(s->size);
  else if (whence != SEEK_SET) return -1;
  if (offset < -base || offset > int64_t(s->size) - base) return -1;
  s->position = size_t(base + offset);
  return 0;
}

int CloseStream(void*) { return 0; }

long TellStream(void* source) { return long(static_cast<MemoryStream*>(source)->position); }

std::optional<DecodedSound> DecodeVorbis(const uint8_t* p, size_t n, size_t maxBytes) {
  MemoryStream stream{p, n, 0};
  const ov_callbacks callbacks{ReadStream, SeekStream, CloseStream, TellStream};
  OggVorbis_File file;
  if (ov_open_callbacks(&stream, &file, nullptr, 0, callbacks) != 0) return std::nullopt;

  std::optional<DecodedSound> result;
  const vorbis_info* info = ov_info(&file, -1);
  const ogg_int64_t frames = ov_pcm_total(&file, -1);
  if (info != nullptr && info->channels >= 1 && info->channels <= 2 && info->rate > 0 &&
      info->rate <= INT32_MAX && frames > 0) {
    DecodedSound sound;
    sound.format = {info->channels, int32_t(info->rate), 16};
    const uint64_t frameBytes = uint64_t(info->channels) * 2;
    uint64_t bytes = std::min<uint64_t>(uint64_t(frames) * frameBytes, maxBytes);
    bytes -= bytes % frameBytes;
    try {
      sound.pcm.assign(size_t(bytes), 0);
    } catch (const std::bad_alloc&) {
      ov_clear(&file);
      return std::nullopt;
    }

    size_t done = 0;
    int errorsInARow = 0;
    int section = 0;
    do {
      const size_t piece = std::min(kDecodePiece, sound.pcm.size() - done);
      if (piece == 0) break;
      const long got = ov_read(&file, reinterpret_cast<char*>(sound.pcm.data() + done), int(piece),
                               0 /* little-endian */, 2 /* 16-bit */, 1 /* signed */, &section);
      if (got == 0) break;
      if (got > 0) {
        done += size_t(got);
        errorsInARow = 0;
      } else if (++errorsInARow == kMaxDecodeErrorsInARow) {
        break;
      }
    } while (sound.pcm.size() - done >= kDecodePiece);
    if (!sound.pcm.empty()) result = std::move(sound);
  }
  ov_clear(&file);
  return result;
}

// A buffer on the sound device holding the samples; 0 if it cannot be made.
platform::SoundBufferId MakeBuffer(const platform::PcmFormat& format, const std::vector<uint8_t>& pcm) {
  if (pcm.empty() || pcm.size() > UINT32_MAX) return 0;
  const platform::SoundBufferId id = platform::CreateSoundBuffer(format, uint32_t(pcm.size()));
  if (id == 0) return 0;
  if (!platform::WriteSoundBuffer(id, 0, pcm.data(), uint32_t(pcm.size()))) {
    platform::DestroySoundBuffer(id);
    return 0;
  }
  return id;
}

SoundWatcher soundWatcher = nullptr;
bool soundsMuted = false;  // MuteSounds

}  // namespace

void WatchSounds(SoundWatcher watcher) { soundWatcher = watcher; }

std::optional<DecodedSound> DecodeSoundImage(const void* address, size_t length, size_t maxBytes) {
  if (address == nullptr) return std::nullopt;
  const auto* p = static_cast<const uint8_t*>(address);
  if (IsWave(p, length)) return DecodeWave(p, length);
  return DecodeVorbis(p, length, maxBytes);
}

bool InitSound() {
  if (!platform::StartSoundDevice()) return false;
  int32_t* table = service.volumeTable;
  table[0] = 0;
  table[100] = 10000;
  for (int v = 1; v <= 99; ++v) table[v] = int32_t(100.0 * (20.0 * std::log10(1000.0 * v)));
  return true;
}

int32_t CatchSound(int32_t slot, const void* address, size_t length) {
  if (slot != -1 && (slot < 1 || slot > kMaxHandle)) return 0;
  const int32_t handle = slot == -1 ? int32_t(service.sounds.size()) + 1 : slot;
  if (handle > kMaxHandle) return 0;
  if (size_t(handle) > service.sounds.size()) service.sounds.resize(size_t(handle));
  SoundObject& s = service.sounds[size_t(handle) - 1];
  Free(s);

  std::optional<DecodedSound> sound = DecodeSoundImage(address, length);
  if (!sound) return 0;
  s.buffer = MakeBuffer(sound->format, sound->pcm);
  if (s.buffer == 0) return 0;
  s.format = sound->format;
  s.pcm = std::move(sound->pcm);
  return handle;
}

void MuteSounds(bool muted) { soundsMuted = muted; }

void PlaySound(int32_t handle, int32_t flags) {
  SoundObject* s = Find(handle);
  if (s == nullptr || soundsMuted) return;
  if (soundWatcher != nullptr) soundWatcher(handle);
  const bool looping = (flags & kPlayLooping) != 0;
  if ((flags & kPlayDuplicate) != 0) {
    // Copies that have finished make room first.
    std::erase_if(s->duplicates, [](platform::SoundBufferId id) {
      if (platform::IsSoundBufferPlaying(id)) return false;
      platform::DestroySoundBuffer(id);
      return true;
    });
    const platform::SoundBufferId copy = MakeBuffer(s->format, s->pcm);
    if (copy == 0) return;
    platform::SetSoundBufferVolume(copy, s->attenuation);
    platform::PlaySoundBuffer(copy, looping);
    s->duplicates.push_back(copy);
    return;
  }
  platform::StopSoundBuffer(s->buffer);
  platform::SetSoundBufferPosition(s->buffer, 0);
  platform::PlaySoundBuffer(s->buffer, looping);
}

void SoundVolume(int32_t handle, int32_t volume) {
  SoundObject* s = Find(handle);
  if (s == nullptr) return;
  s->attenuation = service.volumeTable[std::clamp(volume, 0, 100)] - 10000;
  platform::SetSoundBufferVolume(s->buffer, s->attenuation);
}

bool IsSound(int32_t handle) { return Find(handle) != nullptr; }

void StopSound(int32_t handle) {
  SoundObject* s = Find(handle);
  if (s == nullptr) return;
  platform::StopSoundBuffer(s->buffer);
  platform::SetSoundBufferPosition(s->buffer, 0);
}

void ReleaseSounds() {
  for (SoundObject& s : service.sounds) Free(s);
  service.sounds.clear();
  soundTable = SoundTable{};
}

const SoundSamples* FindSoundSamples(int32_t handle) {
  SoundObject* s = Find(handle);
  if (s == nullptr) return nullptr;
  s->view = SoundSamples{s->format, &s->pcm, s->attenuation, s->buffer};
  return &s->view;
}
