// Starting and stopping songs ten thousand times while the device plays the
// stream on another thread and the volume changes. Run under ThreadSanitizer
// in scripts/test (MusicStress.*).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/sound_device.h"
#include "tests/music_xm_builder.h"

namespace {

using namespace xmtest;

TEST(MusicStress, TenThousandPlayAndStopCyclesWithTheDevicePlaying) {
  ResetMusic();
  platform::headless::ResetSound();
  const platform::SoundBufferId stream = CreateMusicStream();
  ASSERT_NE(stream, 0);
  // Cheap to render (long ticks, a short sample), so that the cycles, not
  // the mixing, take the time.
  TestModule m;
  m.speed = 1;
  m.tempo = 32;
  m.patterns[0].rows = 8;
  m.instruments[0].samples[0].frames.assign(64, 1000);
  m.Set(0, 0, 0, C(kC4, 1)).Set(0, 4, 0, C(kC4 + 5, 1, 0x30));
  const std::vector<uint8_t> tune = Build(m);

  std::atomic<bool> done{false};
  std::thread device([&] {
    std::vector<int16_t> out(2 * 512);
    while (!done.load()) {
      platform::headless::MixSound(512, out.data());
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  for (int i = 0; i < 10000; ++i) {
    PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory | (i % 5 == 0 ? kSongPlayOnce : 0), stream);
    if (i % 3 == 0) SetSongVolume(uint32_t(i % 70));
    if (i % 64 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));  // let the thread render
    if (i % 2 == 0) StopSong();
  }
  StopSong();
  done = true;
  device.join();
  EXPECT_FALSE(IsSongPlaying());
  EXPECT_FALSE(platform::IsSoundBufferPlaying(stream));
  ResetMusic();
  platform::headless::ResetSound();
}

}  // namespace
