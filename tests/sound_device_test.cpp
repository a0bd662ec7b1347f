// The sound device's mixer, driven through the headless platform: formats,
// resampling, volume, play control, looping streams, clipping, bad requests,
// the captured output and the mix watcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/sound_device.h"

namespace {

using namespace platform;

class SoundDevice : public testing::Test {
 protected:
  void SetUp() override { headless::ResetSound(); }
  void TearDown() override { headless::ResetSound(); }

  // A buffer of 16-bit samples (interleaved when stereo; the host is little-endian).
  static SoundBufferId Make16(int channels, int rate, const std::vector<int16_t>& samples) {
    const auto bytes = uint32_t(samples.size() * 2);
    const SoundBufferId id = CreateSoundBuffer({channels, rate, 16}, bytes);
    EXPECT_NE(id, 0);
    EXPECT_TRUE(WriteSoundBuffer(id, 0, samples.data(), bytes));
    return id;
  }

  // A looping mono buffer at the mix rate holding one value, playing.
  static SoundBufferId PlayConstant(int16_t value) {
    const SoundBufferId id = Make16(1, kMixRate, std::vector<int16_t>(8, value));
    PlaySoundBuffer(id, true);
    return id;
  }

  static std::vector<int16_t> Mix(int frames) {
    std::vector<int16_t> out(2 * frames, 12345);
    headless::MixSound(frames, out.data());
    return out;
  }

  // The output expected from mono values: each on both sides.
  static std::vector<int16_t> Both(const std::vector<int16_t>& mono) {
    std::vector<int16_t> out;
    for (int16_t v : mono) out.insert(out.end(), {v, v});
    return out;
  }
};

TEST_F(SoundDevice, SamplesAtMixRatePassUnchangedThenStopAtTheEnd) {
  const SoundBufferId id = Make16(1, kMixRate, {1000, -2000, 32767, -32768, 5});
  PlaySoundBuffer(id, false);
  EXPECT_TRUE(IsSoundBufferPlaying(id));
  EXPECT_EQ(Mix(7), Both({1000, -2000, 32767, -32768, 5, 0, 0}));
  EXPECT_FALSE(IsSoundBufferPlaying(id));
  EXPECT_EQ(GetSoundBufferPosition(id), 10u);

  // 8-bit data is unsigned around 128; a new buffer is silent in its own format.
  const SoundBufferId bytes8 = CreateSoundBuffer({1, kMixRate, 8}, 6);
  const uint8_t data[] = {0x80, 0xFF, 0x00, 0x90};
  ASSERT_TRUE(WriteSoundBuffer(bytes8, 0, data, sizeof data));
  PlaySoundBuffer(bytes8, false);
  EXPECT_EQ(Mix(6), Both({0, 32512, -32768, 4096, 0, 0}));
}

TEST_F(SoundDevice, OtherRatesAreResampledWithLinearInterpolation) {
  // Stereo at half the mix rate: twice as long, odd frames halfway between
  // neighbours, the last frame held at the end.
  const SoundBufferId half = Make16(2, 22050, {0, -4000, 1000, 0, 3000, 4000});
  PlaySoundBuffer(half, false);
  EXPECT_EQ(Mix(7), (std::vector<int16_t>{0, -4000, 500, -2000, 1000, 0, 2000, 2000, 3000, 4000,
                                          3000, 4000, 0, 0}));

  // A looping buffer interpolates from its last frame back to its first.
  const SoundBufferId loop = Make16(1, 22050, {0, 1000});
  PlaySoundBuffer(loop, true);
  EXPECT_EQ(Mix(6), Both({0, 500, 1000, 500, 0, 500}));
  DestroySoundBuffer(loop);

  // A rate that does not divide the mix rate still lasts its true length.
  const SoundBufferId slow = Make16(1, 8000, std::vector<int16_t>(1999, 1000));
  PlaySoundBuffer(slow, false);
  const std::vector<int16_t> out = Mix(12000);
  EXPECT_NEAR(std::count(out.begin(), out.end(), 1000) / 2, 1999 * 44100.0 / 8000, 1.0);
}

TEST_F(SoundDevice, VolumeScalesEachBufferAndTheSumIsClampedOnce) {
  // Hundredths of a decibel, clamped to silence and full level.
  const SoundBufferId id = PlayConstant(20000);
  SetSoundBufferVolume(id, -602);
  EXPECT_NEAR(Mix(1)[1], 10000, 5);
  SetSoundBufferVolume(id, -10000);
  EXPECT_EQ(Mix(1), Both({0}));
  SetSoundBufferVolume(id, 500);
  EXPECT_EQ(Mix(1), Both({20000}));
  EXPECT_EQ(GetSoundBufferPosition(id), 6u);  // it went on playing while silent

  // Clamped after all buffers are added, not after each.
  PlayConstant(20000);
  const SoundBufferId negative = PlayConstant(-20000);
  EXPECT_EQ(Mix(1), Both({20000}));
  StopSoundBuffer(negative);
  EXPECT_EQ(Mix(1), Both({32767}));
  StopSoundBuffer(id);
  for (int i = 0; i < 4; ++i) PlayConstant(-30000);
  EXPECT_EQ(Mix(1), Both({-32768}));
}

TEST_F(SoundDevice, PlayGoesOnFromThePositionAndRewindingRestarts) {
  const SoundBufferId id = Make16(1, kMixRate, {10, 20, 30, 40, 50, 60});
  PlaySoundBuffer(id, false);
  EXPECT_EQ(Mix(2), Both({10, 20}));
  StopSoundBuffer(id);
  EXPECT_EQ(Mix(1), Both({0}));
  PlaySoundBuffer(id, false);
  EXPECT_EQ(Mix(1), Both({30}));
  StopSoundBuffer(id);  // what the game does to restart an effect
  SetSoundBufferPosition(id, 0);
  PlaySoundBuffer(id, false);
  EXPECT_EQ(Mix(2), Both({10, 20}));

  SetSoundBufferPosition(id, 7);  // inside the fourth frame: its start
  EXPECT_EQ(GetSoundBufferPosition(id), 6u);
  EXPECT_EQ(Mix(1), Both({40}));
  SetSoundBufferPosition(id, 14);  // beyond the end: ignored
  EXPECT_EQ(GetSoundBufferPosition(id), 8u);
}

TEST_F(SoundDevice, LoopingStreamWrapsAndPlaysWhatIsWrittenAheadOfIt) {
  // A stream of 16 blocks of 64 stereo frames (256 bytes each).
  constexpr int kBlockFrames = 64;
  auto blocks = [](std::vector<int16_t> values) {
    std::vector<int16_t> out;
    for (int16_t v : values) out.insert(out.end(), 2 * kBlockFrames, v);
    return out;
  };
  const SoundBufferId stream = Make16(2, kMixRate, blocks(std::vector<int16_t>(16, 100)));
  PlaySoundBuffer(stream, true);
  Mix(5 * kBlockFrames);
  ASSERT_EQ(GetSoundBufferPosition(stream), 5u * 256);

  const std::vector<int16_t> ahead = blocks({800}), behind = blocks({200});
  ASSERT_TRUE(WriteSoundBuffer(stream, 8 * 256, ahead.data(), 256));
  ASSERT_TRUE(WriteSoundBuffer(stream, 2 * 256, behind.data(), 256));
  EXPECT_EQ(Mix(11 * kBlockFrames), blocks({100, 100, 100, 800, 100, 100, 100, 100, 100, 100, 100}));
  EXPECT_EQ(Mix(3 * kBlockFrames), blocks({100, 100, 200}));
  EXPECT_TRUE(IsSoundBufferPlaying(stream));
  EXPECT_EQ(GetSoundBufferPosition(stream), 3u * 256);
}

TEST_F(SoundDevice, BadRequestsAreRefusedAndDeadHandlesIgnored) {
  for (PcmFormat bad : {PcmFormat{0, 44100, 16}, PcmFormat{3, 44100, 16}, PcmFormat{1, 0, 16},
                        PcmFormat{1, 192001, 16}, PcmFormat{1, 44100, 12}}) {
    EXPECT_EQ(CreateSoundBuffer(bad, 12), 0);
  }
  for (uint32_t badSize : {0u, 6u, 0xFFFFFFFCu}) EXPECT_EQ(CreateSoundBuffer({2, 44100, 16}, badSize), 0);

  // Four frames, shorter than one step of the output: looping still works.
  const SoundBufferId id = CreateSoundBuffer({2, 192000, 8}, 8);
  ASSERT_NE(id, 0);
  const uint8_t bytes[16] = {};
  EXPECT_FALSE(WriteSoundBuffer(id, 4, bytes, 5) || WriteSoundBuffer(id, 9, bytes, 0) ||
               WriteSoundBuffer(id, 0, nullptr, 4));
  EXPECT_FALSE(WriteSoundBuffer(id, 4, bytes, 0xFFFFFFFEu));  // offset + size wraps around
  EXPECT_TRUE(WriteSoundBuffer(id, 0, bytes, 8));
  PlaySoundBuffer(id, true);
  EXPECT_EQ(Mix(100), Both(std::vector<int16_t>(100, -32768)));
  EXPECT_TRUE(IsSoundBufferPlaying(id));

  DestroySoundBuffer(id);
  for (SoundBufferId gone : {id, 0, 12345}) {
    PlaySoundBuffer(gone, true);
    SetSoundBufferPosition(gone, 2);
    EXPECT_FALSE(WriteSoundBuffer(gone, 0, bytes, 2) || IsSoundBufferPlaying(gone));
    EXPECT_EQ(GetSoundBufferPosition(gone), 0u);
    DestroySoundBuffer(gone);
  }
  EXPECT_NE(Make16(1, kMixRate, {1}), id);  // a dead handle never names a new buffer
}

TEST_F(SoundDevice, HeadlessPassesAreCapturedUntilReset) {
  const SoundBufferId id = PlayConstant(7);
  headless::AdvanceSoundOnePass();
  headless::StartAudioCapture();
  headless::AdvanceSoundOnePass();
  headless::AdvanceSoundOnePass();
  EXPECT_EQ(headless::TakeCapturedAudio(), Both(std::vector<int16_t>(2 * headless::kFramesPerPass, 7)));
  EXPECT_TRUE(headless::TakeCapturedAudio().empty());

  headless::ResetSound();  // destroys the buffers and ends capturing
  headless::AdvanceSoundOnePass();
  EXPECT_FALSE(IsSoundBufferPlaying(id));
  EXPECT_TRUE(headless::TakeCapturedAudio().empty());
}

// What vantomir-tool latency relies on: the watcher hears of every piece
// before and after it is mixed, and a buffer has not moved until a piece
// after its play request has been mixed.
struct MixLog {
  std::vector<int> before, after;
  std::vector<uint32_t> positionAfter;
  SoundBufferId watched = 0;
};
MixLog mixLog;

TEST_F(SoundDevice, TheMixWatcherIsToldOfEveryPieceAroundItsMixing) {
  mixLog = MixLog{};
  mixLog.watched = Make16(1, kMixRate, std::vector<int16_t>(4096, 1));
  WatchMixing({[](int frames) { mixLog.before.push_back(frames); },
               [](int frames) {
                 mixLog.after.push_back(frames);
                 mixLog.positionAfter.push_back(GetSoundBufferPosition(mixLog.watched));
               }});
  Mix(100);
  PlaySoundBuffer(mixLog.watched, false);
  headless::AdvanceSoundOnePass();
  WatchMixing({});
  Mix(100);
  EXPECT_EQ(mixLog.before, (std::vector<int>{100, headless::kFramesPerPass}));
  EXPECT_EQ(mixLog.after, mixLog.before);
  EXPECT_EQ(mixLog.positionAfter, (std::vector<uint32_t>{0, 2 * headless::kFramesPerPass}));
}

}  // namespace
