// The music service over the headless sound device: the stream blocks and
// their arithmetic, the song volume, starting and stopping, damaged modules,
// play-once songs, and the thread keeping up with the device.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <climits>
#include <cstdio>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/sound_device.h"
#include "tests/music_xm_builder.h"

namespace {

using namespace xmtest;
namespace headless = platform::headless;

// A short looping tune on two channels.
std::vector<uint8_t> Tune(int rows = 16) {
  TestModule m;
  m.channels = 2;
  m.speed = 3;
  m.patterns[0].rows = rows;
  TestSample& s = m.instruments[0].samples[0];
  s.frames.resize(2000);
  for (int i = 0; i < 2000; ++i) s.frames[size_t(i)] = int16_t((i % 50) * 600 - 15000);
  s.loopType = 1;
  s.loopStart = 1000;
  s.loopLength = 1000;
  for (int r = 0; r < rows; r += 2) m.Set(0, r, r % 4 / 2, C(kC4 + r, 1, 0x10 + 4 * r));
  return Build(m);
}

// What the stream should carry: the renderer's output, block by block.
std::vector<int16_t> Reference(const std::vector<uint8_t>& image, int frames, int32_t divisor) {
  xm::Player p;
  EXPECT_TRUE(p.Load(image.data(), image.size(), nullptr));
  std::vector<int16_t> out;
  std::vector<float> mix(2 * kMusicBlockFrames);
  std::vector<int16_t> block(2 * kMusicBlockFrames);
  while (int(out.size()) < 2 * frames) {
    p.Render(mix.data(), kMusicBlockFrames);
    ConvertMusicBlock(mix.data(), kMusicBlockFrames, divisor, block.data());
    out.insert(out.end(), block.begin(), block.end());
  }
  out.resize(size_t(2 * frames));
  return out;
}

class MusicService : public testing::Test {
 protected:
  void SetUp() override {
    ResetMusic();
    headless::ResetSound();
    stream = CreateMusicStream();
    ASSERT_NE(stream, 0);
  }
  void TearDown() override {
    ResetMusic();
    headless::ResetSound();
  }

  // Loop passes of the device, with the song served after each as the
  // headless game loop does; returns the output.
  std::vector<int16_t> Passes(int passes, bool serve = true) {
    std::vector<int16_t> out, pass(2 * headless::kFramesPerPass);
    for (int i = 0; i < passes; ++i) {
      headless::MixSound(headless::kFramesPerPass, pass.data());
      out.insert(out.end(), pass.begin(), pass.end());
      if (serve) ServiceSong();
    }
    return out;
  }

  platform::SoundBufferId stream = 0;
};

TEST(MusicBlocks, RoundClampScaleAndDivideTowardsZero) {
  const std::vector<float> mix = {1.4f, 1.5f, -1.5f, 40000.0f, -40000.0f, 1000.0f, -1000.0f, 32767.0f};
  std::vector<int16_t> out(8);
  ConvertMusicBlock(mix.data(), 4, 16, out.data());
  EXPECT_EQ(out, (std::vector<int16_t>{1, 2, -2, 32767, -32768, 1000, -1000, 32767}));
  ConvertMusicBlock(mix.data(), 4, 74, out.data());  // volume 10 in the options: 80 - 6
  EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 0, 7084, -7084, 216, -216, 7084}));
  ConvertMusicBlock(mix.data(), 4, 48, out.data());  // song volume 32: a third
  EXPECT_EQ(out[5], 333);
}

// The block conversion rounds without a library call, four values at a
// time where it can: it must still give what clamping, lround and integer
// division give, on halves, values just beside them and the extremes, both
// in the vector loop and in the scalar tail.
TEST(MusicBlocks, ConversionEqualsLroundAndIntegerDivision) {
  std::vector<float> mix = {32767.5f, 32767.49f, -32768.5f, -32767.5f, -32767.49f, 40000.0f, -40000.0f,
                            1e30f, -1e30f, HUGE_VALF, -HUGE_VALF, 0.0f, -0.0f};
  for (float k = -4.0f; k <= 4.0f; k += 1.0f) {
    for (float v : {k + 0.5f, k - 0.5f}) {
      mix.insert(mix.end(), {v, std::nextafter(v, 0.0f), std::nextafter(v, v * 2)});
    }
  }
  for (float k : {-32766.5f, -8191.5f, 8191.5f, 32766.5f}) {
    mix.insert(mix.end(), {k, std::nextafter(k, 0.0f), std::nextafter(k, k * 2)});
  }
  uint32_t seed = 12345;
  while (mix.size() < 2000) {
    seed = seed * 1664525u + 1013904223u;
    mix.push_back((float(seed >> 8) / 16777216.0f - 0.5f) * 80000.0f);
  }
  if (mix.size() % 2) mix.push_back(0.25f);
  std::vector<int32_t> divisors = {INT32_MAX};
  for (int32_t d = 16; d <= 79; ++d) divisors.push_back(d);
  for (int32_t divisor : divisors) {
    std::vector<int16_t> whole(mix.size()), alone(2);
    ConvertMusicBlock(mix.data(), int(mix.size() / 2), divisor, whole.data());
    for (size_t i = 0; i < mix.size(); i += 2) {
      ConvertMusicBlock(mix.data() + i, 1, divisor, alone.data());  // a single frame: the scalar form
      for (size_t j = i; j < i + 2; ++j) {
        const int32_t rounded = int32_t(std::lround(std::clamp(mix[j], -32768.0f, 32767.0f)));
        const int16_t expected = int16_t(rounded * 16 / divisor);
        ASSERT_EQ(whole[j], expected) << "value " << mix[j] << ", divisor " << divisor;
        ASSERT_EQ(alone[j - i], expected) << "value " << mix[j] << ", divisor " << divisor;
      }
    }
  }
}

TEST_F(MusicService, SongVolumeSetsTheDivisor) {
  EXPECT_EQ(SongVolumeDivisor(), 0);
  const std::vector<uint8_t> tune = Tune();
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory, stream);
  EXPECT_EQ(SongVolumeDivisor(), 16);  // full volume before any setting
  struct Case {
    uint32_t volume;
    int32_t divisor;
  };
  for (const Case& c :
       {Case{6, 74}, Case{64, 16}, Case{65, 16}, Case{UINT32_MAX, 16}, Case{1, 79}, Case{32, 48}}) {
    SetSongVolume(c.volume);
    EXPECT_EQ(SongVolumeDivisor(), c.divisor) << c.volume;
  }
  SetSongVolume(0);
  const float loudest[2] = {32767.0f, -32768.0f};
  int16_t out[2];
  ConvertMusicBlock(loudest, 1, SongVolumeDivisor(), out);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], 0);
  StopSong();
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory, stream);
  EXPECT_GT(SongVolumeDivisor(), 32768 * 16);  // still silent: kept across songs
  SetSongVolume(6);
  StopSong();
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory, stream);
  EXPECT_EQ(SongVolumeDivisor(), 74);
}

TEST_F(MusicService, CallerDrivenStreamCarriesTheRenderAndVolumeChangesFollow) {
  SetMusicDriver(MusicDriver::Caller);
  const std::vector<uint8_t> tune = Tune();
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory, stream);
  EXPECT_TRUE(IsSongPlaying());
  EXPECT_TRUE(platform::IsSoundBufferPlaying(stream));
  const int passes = 120;  // 88200 frames: the song loops and the buffer wraps several times
  EXPECT_EQ(Passes(passes), Reference(tune, passes * headless::kFramesPerPass, 16));

  // From the next block rendered, the new divisor; what was rendered before stays.
  SetSongVolume(32);
  const std::vector<int16_t> later = Passes(40);
  const std::vector<int16_t> full = Reference(tune, (passes + 40) * headless::kFramesPerPass, 16);
  const std::vector<int16_t> third = Reference(tune, (passes + 40) * headless::kFramesPerPass, 48);
  const size_t start = size_t(2 * passes * headless::kFramesPerPass);
  const size_t ahead = 2 * 15 * kMusicBlockFrames;  // at most 15 blocks were rendered ahead
  EXPECT_EQ(later[0], full[start]);
  EXPECT_TRUE(std::equal(later.begin() + ahead + 2 * kMusicBlockFrames, later.end(),
                         third.begin() + long(start + ahead + 2 * kMusicBlockFrames)));
}

TEST_F(MusicService, NullDataStopsTheSongAndIsHarmlessTwice) {
  const std::vector<uint8_t> tune = Tune();
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory, stream);
  Passes(3, false);
  EXPECT_NE(platform::GetSoundBufferPosition(stream), 0u);
  PlaySong(nullptr, 0, kSongInMemory, stream);
  EXPECT_FALSE(IsSongPlaying());
  EXPECT_FALSE(platform::IsSoundBufferPlaying(stream));
  EXPECT_EQ(platform::GetSoundBufferPosition(stream), 0u);
  PlaySong(nullptr, 0, kSongInMemory, stream);
  StopSong();
  EXPECT_FALSE(IsSongPlaying());
}

TEST_F(MusicService, DamagedModulesAndOtherSourcesStartNoSongButFilesDo) {
  std::vector<uint8_t> tune = Tune();
  std::vector<uint8_t> damaged(tune.begin(), tune.begin() + 300);
  PlaySong(damaged.data(), uint32_t(damaged.size()), kSongInMemory, stream);
  EXPECT_FALSE(IsSongPlaying());
  EXPECT_FALSE(platform::IsSoundBufferPlaying(stream));
  PlaySong(tune.data(), uint32_t(tune.size()), 0, stream);  // neither memory nor file
  EXPECT_FALSE(IsSongPlaying());
  PlaySong("/nonexistent/tune.xm", 0, kSongFile, stream);
  EXPECT_FALSE(IsSongPlaying());

  const std::string path = testing::TempDir() + "music_service_tune.xm";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(tune.data(), 1, tune.size(), f);
  std::fclose(f);
  PlaySong(path.c_str(), 0, kSongFile, stream);
  EXPECT_TRUE(IsSongPlaying());
  std::remove(path.c_str());
}

TEST_F(MusicService, APlayOnceSongStopsAfterItsLastBlockIsHeard) {
  SetMusicDriver(MusicDriver::Caller);
  const std::vector<uint8_t> tune = Tune(4);  // 4 rows of 3 ticks: 10584 frames, 10.3 blocks
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory | kSongPlayOnce, stream);
  int passes = 0;
  while (IsSongPlaying() && passes < 200) {
    Passes(1);
    ++passes;
  }
  EXPECT_FALSE(IsSongPlaying());
  EXPECT_FALSE(platform::IsSoundBufferPlaying(stream));
  // It stops once the block holding the end (block 10) has been played out.
  EXPECT_GE(passes * headless::kFramesPerPass, 11 * kMusicBlockFrames);
  EXPECT_LE(passes * headless::kFramesPerPass, 11 * kMusicBlockFrames + headless::kFramesPerPass);
  StopSong();
}

TEST_F(MusicService, TheThreadKeepsAheadOfTheDevice) {
  const std::vector<uint8_t> tune = Tune();
  PlaySong(tune.data(), uint32_t(tune.size()), kSongInMemory, stream);
  std::vector<int16_t> out, pass(2 * headless::kFramesPerPass);
  for (int i = 0; i < 40; ++i) {
    headless::MixSound(headless::kFramesPerPass, pass.data());
    out.insert(out.end(), pass.begin(), pass.end());
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
  }
  EXPECT_EQ(out, Reference(tune, 40 * headless::kFramesPerPass, 16));
  StopSong();
  EXPECT_FALSE(platform::IsSoundBufferPlaying(stream));
}

}  // namespace
