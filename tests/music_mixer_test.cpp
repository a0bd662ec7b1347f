// The XM player's mixing: periods to frequencies and steps, gains and
// panning, ramps, interpolation, and the length of a tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/music_xm_builder.h"

namespace {

using namespace xmtest;

uint64_t StepOf(int frequency) {
  return (uint64_t(frequency / 44100) << 32) + (uint64_t(frequency % 44100) << 32) / 44100;
}

xm::Channel FirstTick(TestModule m) {
  xm::Player p;
  EXPECT_TRUE(Load(p, m));
  p.StepTick();
  return p.channel(0);
}

TestModule OneNote(xm::Cell cell) {
  TestModule m;
  m.Set(0, 0, 0, cell);
  return m;
}

TEST(MusicMixer, FrequencyFromEitherTableAndTheStepThroughTheSample) {
  xm::Channel c = FirstTick(OneNote(C(kC4, 1)));
  EXPECT_EQ(c.frequency, 8363);
  EXPECT_EQ(c.voice.step, StepOf(8363));
  c = FirstTick(OneNote(C(kC4 + 12, 1)));
  EXPECT_EQ(c.finalPeriod, 3840);
  EXPECT_EQ(c.frequency, 16726);
  c = FirstTick(OneNote(C(kC4 + 7, 1)));  // 8363 x 2^(7/12) = 12529.5
  EXPECT_EQ(c.frequency, 12530);

  TestModule amiga = OneNote(C(kC4 + 12, 1));
  amiga.linear = false;
  c = FirstTick(amiga);
  EXPECT_EQ(c.finalPeriod, 856);
  EXPECT_EQ(c.frequency, 14317056 / 856);

  // Sliding far down the scale stops at 100 Hz.
  TestModule low;
  low.speed = 31;
  low.Set(0, 0, 0, C(1, 1, 0, 0x2, 0xFF));
  xm::Player p;
  ASSERT_TRUE(Load(p, low));
  for (int i = 0; i < 31; ++i) p.StepTick();
  EXPECT_EQ(p.channel(0).finalPeriod, 31999);
  EXPECT_EQ(p.channel(0).frequency, 100);
}

TEST(MusicMixer, GainSplitsByPanning) {
  struct Case {
    int volumeColumn, pan, gain, left, right;
  };
  // Volume 32: 32 x 256 x 32768 x 64 x 255 / 2^35 = 127.5, rounded.
  for (const Case& k : {Case{0x30, 0x00, 128, 128, 0}, Case{0x30, 0xFF, 128, 0, 128},
                        Case{0x30, 0x80, 128, 63, 64}, Case{0x50, 0x40, 255, 191, 64},
                        Case{0x10, 0x80, 0, 0, 0}}) {
    const xm::Channel c = FirstTick(OneNote(C(kC4, 1, k.volumeColumn, 0x8, k.pan)));
    EXPECT_EQ(c.gain, k.gain);
    EXPECT_EQ(c.voice.leftGain, k.left) << "pan " << k.pan;
    EXPECT_EQ(c.voice.rightGain, k.right) << "pan " << k.pan;
  }
}

TEST(MusicMixer, RampsGainsOver128FramesAndInterpolatesLinearly) {
  // A rising line of samples: interpolation gives 10 x position exactly.
  TestModule m = OneNote(C(kC4, 1, 0, 0x8, 0x00));
  m.instruments[0].samples[0].frames.resize(3000);
  for (int i = 0; i < 3000; ++i) m.instruments[0].samples[0].frames[size_t(i)] = int16_t(10 * i);
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  std::vector<float> out(2 * 400);
  ASSERT_EQ(p.Render(out.data(), 400), 400);
  for (int k : {0, 1, 64, 127, 128, 300, 399}) {
    const double position = double(uint64_t(k) * StepOf(8363)) / 4294967296.0;
    const double gain = k < 128 ? 255.0 * k / 128.0 : 255.0;
    EXPECT_NEAR(out[2 * size_t(k)], 10.0 * position * gain / 255.0, 0.05) << "frame " << k;
    EXPECT_EQ(out[2 * size_t(k) + 1], 0.0f);
  }

  // A volume change ramps from where the gain is.
  m.Set(0, 1, 0, C(0, 0, 0x30));
  m.speed = 1;
  xm::Player q;
  ASSERT_TRUE(Load(q, m));
  std::vector<float> tick(2 * 882);
  q.Render(tick.data(), 882);
  q.Render(tick.data(), 1);
  EXPECT_EQ(q.channel(0).voice.leftGain, 128);
  EXPECT_EQ(q.channel(0).voice.rampLeft, 127);
  EXPECT_NEAR(q.channel(0).voice.left, 255.0 - 127.0 / 128.0, 1e-3);
}

// At a constant gain the mixer works four frames at a time: every frame must
// still be the interpolation of its own two samples at its own fraction, in
// the same float arithmetic as one frame at a time, however the output is
// cut into blocks.
TEST(MusicMixer, ConstantGainFramesAreExactWhateverTheBlockSizes) {
  for (int note : {kC4 + 5, kC4 + 31}) {  // 0.25 and 1.2 sample frames a step
    TestModule m = OneNote(C(note, 1, 0, 0x8, 0x00));  // all to the left at full gain
    TestSample& s = m.instruments[0].samples[0];
    s.frames.resize(4000);
    uint32_t seed = 99;
    for (int16_t& f : s.frames) {
      seed = seed * 1664525u + 1013904223u;
      f = int16_t(seed >> 16);
    }
    constexpr int kFrames = 2000;
    xm::Player whole, pieces;
    ASSERT_TRUE(Load(whole, m));
    ASSERT_TRUE(Load(pieces, m));
    std::vector<float> a(2 * kFrames), b(2 * kFrames);
    ASSERT_EQ(whole.Render(a.data(), kFrames), kFrames);
    for (int done = 0, k = 1; done < kFrames; k = k % 9 + 1) {
      const int n = std::min(k, kFrames - done);
      ASSERT_EQ(pieces.Render(b.data() + 2 * done, n), n);
      done += n;
    }
    // (Within the ramp a block boundary moves the gain by a product instead
    // of a sum of steps: the frames after it are the ones to compare.)
    EXPECT_TRUE(std::equal(a.begin() + 2 * 128, a.end(), b.begin() + 2 * 128)) << "note " << note;

    const uint64_t step = whole.channel(0).voice.step;
    const float gain = 255.0f * (1.0f / 255.0f);
    for (int k = 128; k < kFrames; ++k) {  // after the ramp from silence
      const uint64_t position = uint64_t(k) * step;
      const float fraction = float(uint32_t(position)) * (1.0f / 4294967296.0f);
      const float first = s.frames[position >> 32], second = s.frames[(position >> 32) + 1];
      const float value = first + (second - first) * fraction;
      ASSERT_EQ(a[2 * size_t(k)], value * gain) << "note " << note << ", frame " << k;
      ASSERT_EQ(a[2 * size_t(k) + 1], 0.0f);
    }
  }
}

TEST(MusicMixer, ANewNoteFadesTheOldOneOutAndComesInFromSilence) {
  TestModule m;
  m.speed = 1;
  m.Set(0, 0, 0, C(kC4, 1)).Set(0, 1, 0, C(kC4 + 12, 1));
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  std::vector<float> out(2 * 882);
  p.Render(out.data(), 882);
  p.Render(out.data(), 64);
  const xm::Channel& c = p.channel(0);
  EXPECT_TRUE(c.fading.playing);
  EXPECT_NEAR(c.fading.left, 63.5, 1e-3);  // halfway down from 127 (centre panning)
  EXPECT_NEAR(c.voice.left, 63.5, 1e-3);   // halfway up from 0
  p.Render(out.data(), 64);
  EXPECT_FALSE(p.channel(0).fading.playing);
}

TEST(MusicMixer, TicksLastWholeFramesAt2Point5SecondsOverTheTempo) {
  EXPECT_EQ(xm::Player::TickFrames(125), 882);
  EXPECT_EQ(xm::Player::TickFrames(162), 680);  // 680.6, rounded down
  EXPECT_EQ(xm::Player::TickFrames(32), 3445);
  EXPECT_EQ(xm::Player::TickFrames(255), 432);

  TestModule m;
  m.speed = 1;
  m.tempo = 162;
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  std::vector<float> out(2 * 680);
  p.Render(out.data(), 680);
  EXPECT_EQ(p.row(), 0);
  p.Render(out.data(), 1);
  EXPECT_EQ(p.row(), 1);
  EXPECT_EQ(p.FramesRendered(), 681);
}

TEST(MusicMixer, PingPongLoopsPlayForwardAndBack) {
  TestModule m = OneNote(C(kC4 + 36, 1));  // 66904 Hz: 1.52 frames a step
  TestSample& s = m.instruments[0].samples[0];
  s.frames.resize(40);
  for (int i = 0; i < 40; ++i) s.frames[size_t(i)] = int16_t(100 * i);
  s.loopType = 2;
  s.loopStart = 20;
  s.loopLength = 20;
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  std::vector<float> out(2 * 2000);
  p.Render(out.data(), 2000);
  int turns = 0;
  for (int k = 200; k + 1 < 2000; ++k) {
    const float v = out[2 * size_t(k)] * 255 / 127;  // centre panning: 127 / 255 on the left
    EXPECT_GE(v, 2000.0f - 0.5f);
    EXPECT_LE(v, 3900.0f + 0.5f);
    const float before = out[2 * size_t(k - 1)], after = out[2 * size_t(k + 1)], now = out[2 * size_t(k)];
    if ((now > before && now >= after) || (now < before && now <= after)) ++turns;
  }
  // 40 frames a round trip at 1.52 a step: a turn every 13 frames or so.
  EXPECT_GT(turns, 100);
}

}  // namespace
