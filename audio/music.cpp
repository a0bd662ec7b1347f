// The music service: the song, its rendering thread and the stream blocks.
#include "audio/music.h"

#include <pthread.h>
#include <sched.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/xm_player.h"

namespace {

constexpr int32_t kFullVolumeDivisor = 16;
constexpr int32_t kSilentDivisor = INT32_MAX;  // 32767 * 16 / INT32_MAX == 0
constexpr auto kThreadSleep = std::chrono::milliseconds(5);
constexpr uint64_t kMaxModuleFileBytes = 64u << 20;

// Everything one song owns; made by PlaySong, destroyed by StopSong. While
// the thread runs, only the thread touches it.
struct Song {
  xm::Player player;
  platform::SoundBufferId buffer = 0;
  uint32_t nextBlock = 0;
  int32_t silentBlocks = 0;  // blocks written since a play-once song ended
  float mix[2 * kMusicBlockFrames];
  int16_t pcm[2 * kMusicBlockFrames];
};

struct MusicState {
  std::unique_ptr<Song> song;
  std::thread thread;
  std::mutex mutex;  // guards the stop request for the thread's sleep
  std::condition_variable wake;
  bool stopRequested = false;
  std::atomic<bool> finished{false};  // a play-once song has ended and its buffer stopped
  std::atomic<int32_t> divisor{0};
  MusicDriver driver = MusicDriver::Thread;
};

MusicState music;

int32_t PlayingBlock(platform::SoundBufferId buffer) {
  return int32_t((platform::GetSoundBufferPosition(buffer) >> 12) & (kMusicBlocks - 1));
}

// Renders the next block into the stream buffer. Returns false once a
// play-once song has ended and every block of it has been heard.
bool RenderBlock(Song& song) {
  std::fill(std::begin(song.mix), std::end(song.mix), 0.0f);
  song.player.Render(song.mix, kMusicBlockFrames);
  if (song.player.Ended() && ++song.silentBlocks > int32_t(kMusicBlocks)) return false;
  ConvertMusicBlock(song.mix, kMusicBlockFrames, music.divisor.load(std::memory_order_relaxed),
                    song.pcm);
  // A block that cannot be written is skipped.
  platform::WriteSoundBuffer(song.buffer, song.nextBlock * kMusicBlockBytes, song.pcm,
                             kMusicBlockBytes);
  song.nextBlock = (song.nextBlock + 1) % kMusicBlocks;
  return true;
}

void EndPlayOnceSong(Song& song) {
  platform::StopSoundBuffer(song.buffer);
  platform::SetSoundBufferPosition(song.buffer, 0);
  music.finished = true;
}

// Sleeps 5 ms unless a stop is requested first; true when it is.
bool SleepUnlessStopped() {
  std::unique_lock lock(music.mutex);
  return music.wake.wait_for(lock, kThreadSleep, [] { return music.stopRequested; });
}

void RenderingThread(Song* song) {
  for (;;) {
    const int32_t playing = PlayingBlock(song->buffer);
    for (;;) {
      if (SleepUnlessStopped()) return;
      if (int32_t(song->nextBlock) == playing) break;
      if (!RenderBlock(*song)) {
        EndPlayOnceSong(*song);
        return;
      }
    }
  }
}

// Asks for the highest priority the system grants a thread; the song plays
// at normal priority when none is granted.
void RaisePriority(std::thread& thread) {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO);
  pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
}

bool ReadModuleFile(const char* path, std::vector<uint8_t>* bytes) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff size = file.tellg();
  if (size <= 0 || uint64_t(size) > kMaxModuleFileBytes) return false;
  bytes->resize(size_t(size));
  file.seekg(0);
  return bool(file.read(reinterpret_cast<char*>(bytes->data()), size));
}

}  // namespace

platform::SoundBufferId CreateMusicStream() {
  return platform::CreateSoundBuffer({2, platform::kMixRate, 16}, kMusicBlocks * kMusicBlockBytes);
}

void PlaySong(const void* data, uint32_t length, uint32_t flags, platform::SoundBufferId streamBuffer) {
  StopSong();
  if (data == nullptr) return;
  if (music.divisor.load() == 0) music.divisor = kFullVolumeDivisor;

  std::vector<uint8_t> file;
  const uint8_t* image = nullptr;
  size_t size = 0;
  if (flags & kSongInMemory) {
    image = static_cast<const uint8_t*>(data);
    size = length;
  } else if (flags & kSongFile) {
    if (!ReadModuleFile(static_cast<const char*>(data), &file)) return;
    image = file.data();
    size = file.size();
  } else {
    return;  // no other source is supported
  }

  auto song = std::make_unique<Song>();
  if (!song->player.Load(image, size, nullptr)) return;
  song->player.SetLooping((flags & kSongPlayOnce) == 0);
  song->buffer = streamBuffer;
  for (uint32_t i = 0; i < kMusicBlocks; ++i) RenderBlock(*song);
  platform::PlaySoundBuffer(streamBuffer, true);

  music.stopRequested = false;
  music.finished = false;
  music.song = std::move(song);
  if (music.driver == MusicDriver::Thread) {
    music.thread = std::thread(RenderingThread, music.song.get());
    RaisePriority(music.thread);
  }
}

void StopSong() {
  if (!music.song) return;
  if (music.thread.joinable()) {
    {
      std::lock_guard lock(music.mutex);
      music.stopRequested = true;
    }
    music.wake.notify_all();
    music.thread.join();
  }
  platform::StopSoundBuffer(music.song->buffer);
  platform::SetSoundBufferPosition(music.song->buffer, 0);
  music.song.reset();
  music.stopRequested = false;
  music.finished = false;
}

void SetSongVolume(uint32_t volume) {
  volume = std::min<uint32_t>(volume, 64);
  music.divisor = volume == 0 ? kSilentDivisor : int32_t(80 - volume);
}

bool IsSongPlaying() { return music.song != nullptr && !music.finished; }

void SetMusicDriver(MusicDriver driver) { music.driver = driver; }

void ServiceSong() {
  if (!music.song || music.thread.joinable() || music.finished) return;
  Song& song = *music.song;
  const int32_t playing = PlayingBlock(song.buffer);
  while (int32_t(song.nextBlock) != playing) {
    if (!RenderBlock(song)) {
      EndPlayOnceSong(song);
      return;
    }
  }
}

int32_t SongVolumeDivisor() { return music.divisor.load(); }

void ResetMusic() {
  StopSong();
  music.divisor = 0;
  music.driver = MusicDriver::Thread;
}

//------------------------------------------------------------------------------
// Block conversion. lround (half away from zero) is done by truncating and
// stepping one away from zero when the dropped part is at least a half; the
// part is exact, so this is lround on every value. A divisor of 16 leaves
// the rounded value as it is. With SSE2 (every x86-64) four values go at a
// time and the division is a float one: the dividend (at most 2^19) and any
// divisor up to 2^24 are exact floats, and a quotient that is not a whole
// number lies at least 1/divisor from one, far more than the division's
// rounding error, so truncating it gives the integer quotient. Larger
// divisors give 0 both ways.
//------------------------------------------------------------------------------

namespace {

// The portable form, also the SSE2 loop's tail.
void ConvertValues(const float* mix, int count, int32_t divisor, int16_t* out) {
  for (int i = 0; i < count; ++i) {
    float v = mix[i] > -32768.0f ? mix[i] : -32768.0f;
    v = v < 32767.0f ? v : 32767.0f;
    int32_t rounded = int32_t(v);
    const float dropped = v - float(rounded);
    rounded += int32_t(dropped >= 0.5f) - int32_t(dropped <= -0.5f);
    out[i] = int16_t(divisor == 16 ? rounded : rounded * 16 / divisor);
  }
}

}  // namespace

void ConvertMusicBlock(const float* mix, int frames, int32_t divisor, int16_t* out) {
  const int count = 2 * frames;
  int i = 0;
#if defined(__SSE2__)
  const __m128 low = _mm_set1_ps(-32768.0f), high = _mm_set1_ps(32767.0f);
  const __m128 half = _mm_set1_ps(0.5f), minusHalf = _mm_set1_ps(-0.5f);
  const __m128 sixteen = _mm_set1_ps(16.0f), divisorFloat = _mm_set1_ps(float(divisor));
  const auto round = [&](const float* values) {
    const __m128 v = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(values), low), high);
    __m128i rounded = _mm_cvttps_epi32(v);
    const __m128 dropped = _mm_sub_ps(v, _mm_cvtepi32_ps(rounded));
    // Comparison masks are -1 where true.
    rounded = _mm_sub_epi32(rounded, _mm_castps_si128(_mm_cmpge_ps(dropped, half)));
    rounded = _mm_add_epi32(rounded, _mm_castps_si128(_mm_cmple_ps(dropped, minusHalf)));
    if (divisor != 16) {
      const __m128 scaled = _mm_mul_ps(_mm_cvtepi32_ps(rounded), sixteen);
      rounded = _mm_cvttps_epi32(_mm_div_ps(scaled, divisorFloat));
      // Keeps the low 16 bits as the integer conversion does (only divisors
      // below 16 reach beyond them).
      rounded = _mm_srai_epi32(_mm_slli_epi32(rounded, 16), 16);
    }
    return rounded;
  };
  for (; i + 8 <= count; i += 8) {
    const __m128i packed = _mm_packs_epi32(round(mix + i), round(mix + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
  }
#endif
  ConvertValues(mix + i, count - i, divisor, out + i);
}
