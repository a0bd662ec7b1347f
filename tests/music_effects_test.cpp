// The XM player's effect logic, traced tick by tick on small modules written
// by the tests: what a channel's volume, period and panning are after each
// tick, grouped by feature.
#include <gtest/gtest.h>

#include <vector>

#include "tests/music_xm_builder.h"

namespace {

using namespace xmtest;
using V = std::vector<int>;

constexpr int kC4Period = 4608;  // linear period of C-4 with finetune 0
constexpr int kSemitone = 64;

// One channel at speed 4; row r of pattern 0 holds cells[r].
TestModule Rows(const std::vector<xm::Cell>& cells, int speed = 4) {
  TestModule m;
  m.speed = speed;
  for (size_t r = 0; r < cells.size(); ++r) m.Set(0, int(r), 0, cells[r]);
  return m;
}

TEST(MusicVolumeSlides, EffectAndVolumeColumnSlidesFineSlidesAndSetVolume) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 0xA, 0x02), C(0, 0, 0, 0xA, 0x00), C(0, 0, 0x75),
                            C(0, 0, 0x83, 0xE, 0xA2), C(0, 0, 0, 0xE, 0xB4), C(0, 0, 0, 0xE, 0xB0),
                            C(0, 0, 0x60, 0xC, 0x50)})));
  EXPECT_EQ(Trace(p, 28, Volume), (V{64, 62, 60, 58,    // A02 slides on ticks after the first
                                     58, 56, 54, 52,    // A00 remembers 02
                                     52, 57, 62, 64,    // volume column +5 per tick, at most 64
                                     63, 63, 63, 63,    // column fine -3, then EA2 +2, on tick 0
                                     59, 59, 59, 59,    // EB4
                                     55, 55, 55, 55,    // EB0 remembers 4
                                     64, 64, 64, 64})); // C50 is above 64; a column slide of 0 does nothing
}

TEST(MusicVolumeSlides, GlobalVolumeSetAndSlideScaleTheGain) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 16, 0x20), C(0, 0, 0, 17, 0x02), C(0, 0, 0, 17, 0x00),
                            C(0, 0, 0, 17, 0x50), C(0, 0, 0, 16, 0x99)})));
  std::vector<int> global;
  for (int i = 0; i < 20; ++i) {
    p.StepTick();
    global.push_back(p.globalVolume());
  }
  EXPECT_EQ(global, (V{32, 32, 32, 32, 32, 30, 28, 26, 26, 24, 22, 20, 20, 25, 30, 35, 64, 64, 64, 64}));
  xm::Player q;
  ASSERT_TRUE(Load(q, Rows({C(kC4, 1, 0, 16, 0x20)})));
  // 64 x 256 x 32768 x 32 x 255 / 2^35 = 127.5, rounded.
  EXPECT_EQ(Trace(q, 1, Gain), (V{128}));
}

TEST(MusicPortamentos, SlidesUpDownFineAndExtraFineWithTheirMemories) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 0x1, 0x04), C(0, 0, 0, 0x1, 0x00), C(0, 0, 0, 0x2, 0x08),
                            C(0, 0, 0, 0xE, 0x12), C(0, 0, 0, 0xE, 0x10), C(0, 0, 0, 33, 0x13),
                            C(0, 0, 0, 33, 0x25)})));
  EXPECT_EQ(Trace(p, 28, Period),
            (V{4608, 4592, 4576, 4560,  // 104: 4 x 4 per tick
               4560, 4544, 4528, 4512,  // 100 remembers
               4512, 4544, 4576, 4608,  // 208
               4600, 4600, 4600, 4600,  // E12: once, on tick 0
               4592, 4592, 4592, 4592,  // E10 remembers 2
               4589, 4589, 4589, 4589,  // X13: 3 periods
               4594, 4594, 4594, 4594}));  // X25
}

TEST(MusicPortamentos, TonePortamentoSlidesToTheNoteWithoutPlayingIt) {
  xm::Player p;
  TestModule m = Rows({C(kC4), C(kC4 + 2, 0, 0, 0x3, 0x08), C(0, 0, 0, 0x3, 0x00), C(kC4, 0, 0xF2),
                       C(0, 0, 0xF0)});
  m.Set(0, 0, 0, C(kC4, 1));
  ASSERT_TRUE(Load(p, m));
  EXPECT_EQ(Trace(p, 20, Period),
            (V{4608, 4608, 4608, 4608,
               4608, 4576, 4544, 4512,    // 308 toward D-4 (4480), 32 a tick
               4512, 4480, 4480, 4480,    // 300 remembers and stops on the note
               4480, 4608, 4608, 4608,    // volume column F2: 128 a tick, back to C-4
               4608, 4608, 4608, 4608}));
  EXPECT_EQ(p.channel(0).note, kC4);  // the slides never played D-4
}

TEST(MusicPortamentos, GlissandoMovesInSemitonesAndAmigaPeriodsSlideToo) {
  xm::Player p;
  TestModule m = Rows({C(kC4, 1, 0, 0xE, 0x31), C(kC4 + 2, 0, 0, 0x3, 0x08)});
  ASSERT_TRUE(Load(p, m));
  EXPECT_EQ(Trace(p, 8, Period), (V{4608, 4608, 4608, 4608, 4608, 4608, 4544, 4544}));

  xm::Player amiga;
  m = Rows({C(kC4, 1, 0, 0x2, 0x01)});
  m.linear = false;
  ASSERT_TRUE(Load(amiga, m));
  EXPECT_EQ(Trace(amiga, 4, Period), (V{1712, 1716, 1720, 1724}));
}

TEST(MusicVibratoTremolo, VibratoFollowsTheSineAndStopsWithTheEffect) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 0x4, 0x4F), C(0, 0, 0, 0x4, 0x00), C(0)})));
  // Speed 16 (4 x 4) through the 64-step wave, depth 15: 255 * sin / 32 * 15.
  EXPECT_EQ(Trace(p, 12, Period), (V{4608, 4608, 4653, 4692,
                                     4692, 4718, 4727, 4718,   // depth and speed remembered
                                     4608, 4608, 4608, 4608}));  // no vibrato: the period comes back
}

TEST(MusicVibratoTremolo, SquareVibratoAndVolumeColumnVibrato) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 0xE, 0x42), C(0, 0, 0xA8, 0x4, 0x08), C(0, 0, 0xB4)})));
  EXPECT_EQ(Trace(p, 12, Period), (V{4608, 4608, 4608, 4608,
                                     4608, 4671, 4671, 4671,     // square: 255 * 8 / 32, column speed 8 x 4
                                     4608, 4639, 4577, 4577}));  // column vibrato, depth 4
}

TEST(MusicVibratoTremolo, TremoloMovesTheVolumeAndLeavesItWhereItWas) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0x30, 0x7, 0x4F), C(0, 0, 0, 0x7, 0x00), C(0)})));
  EXPECT_EQ(Trace(p, 12, Volume), (V{32, 32, 54, 64,
                                     64, 64, 64, 64,
                                     64, 64, 64, 64}));
  EXPECT_EQ(p.channel(0).volume, 32);  // the underlying volume never moved
}

TEST(MusicArpeggio, StepsCountTheTicksLeftInTheRow) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 0x0, 0x37), C(0)}, 6)));
  const int c = kC4Period, e = kC4Period - 3 * kSemitone, g = kC4Period - 7 * kSemitone;
  EXPECT_EQ(Trace(p, 7, Period), (V{c, g, e, c, g, e, c}));
}

TEST(MusicEnvelopes, SustainHoldsUntilKeyOffThenFadeOut) {
  TestModule m = Rows({C(kC4, 1), C(xm::kKeyOff)}, 8);
  TestInstrument& ins = m.instruments[0];
  ins.volume = {{{0, 64}, {4, 32}, {8, 0}}, 1 | 2, 1, 0, 0};
  ins.fadeout = 4096;
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  std::vector<int> env, fade, gain;
  for (int i = 0; i < 13; ++i) {
    p.StepTick();
    env.push_back(p.channel(0).volumeEnvelope.value);
    fade.push_back(p.channel(0).fadeout);
    gain.push_back(p.channel(0).gain);
  }
  EXPECT_EQ(env, (V{256, 224, 192, 160, 128, 128, 128, 128, 128, 96, 64, 32, 0}));
  EXPECT_EQ(fade, (V{32768, 32768, 32768, 32768, 32768, 32768, 32768, 32768,
                     28672, 24576, 20480, 16384, 12288}));
  EXPECT_EQ(gain, (V{255, 223, 191, 159, 128, 128, 128, 128, 112, 72, 40, 16, 0}));
}

TEST(MusicEnvelopes, LoopsAndSustainLoopsAndLxx) {
  TestModule m = Rows({C(kC4, 1)}, 16);
  m.instruments[0].volume = {{{0, 64}, {2, 0}, {4, 64}}, 1 | 4, 0, 0, 2};
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  auto env = [](const xm::Channel& c) { return c.volumeEnvelope.value; };
  EXPECT_EQ(Trace(p, 9, env), (V{256, 128, 0, 128, 256, 128, 0, 128, 256}));

  // A loop ending on the sustain point loops while the key is held, and
  // runs on past it once released.
  m = Rows({C(kC4, 1), C(xm::kKeyOff)}, 6);
  m.instruments[0].volume = {{{0, 0}, {2, 64}, {4, 32}, {6, 0}}, 1 | 2 | 4, 2, 1, 2};
  xm::Player q;
  ASSERT_TRUE(Load(q, m));
  EXPECT_EQ(Trace(q, 12, env), (V{0, 128, 256, 192, 256, 192, 128, 64, 0, 0, 0, 0}));

  // L03 moves the envelope to tick 3.
  m = Rows({C(kC4, 1), C(0, 0, 0, 21, 0x03)}, 2);
  m.instruments[0].volume = {{{0, 64}, {8, 0}}, 1, 0, 0, 0};
  xm::Player r;
  ASSERT_TRUE(Load(r, m));
  EXPECT_EQ(Trace(r, 4, env), (V{256, 224, 160, 128}));
}

TEST(MusicEnvelopes, KeyOffWithoutEnvelopeCutsAndKxxWaitsForItsTick) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1), C(0, 0, 0, 20, 0x02), C(kC4, 1), C(kC4 + 2, 0, 0, 20, 0x00)})));
  EXPECT_EQ(Trace(p, 16, Volume), (V{64, 64, 64, 64,
                                     64, 64, 0, 0,      // K02 releases on tick 2
                                     64, 64, 64, 64,
                                     0, 0, 0, 0}));     // K00 releases at once and swallows its note
  EXPECT_FALSE(p.channel(0).keyOn);
  EXPECT_EQ(p.channel(0).note, kC4);
  EXPECT_EQ(p.channel(0).finalPeriod, kC4Period);
}

TEST(MusicEnvelopes, PanningEnvelopeMovesWithinTheRoomLeftByThePanning) {
  TestModule m = Rows({C(kC4, 1, 0xC8), C(0, 0, 0xC4), C(0, 0, 0, 0x8, 0xFF)}, 1);
  m.instruments[0].panning = {{{0, 64}}, 1, 0, 0, 0};
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  // pan + (64 - 32) x ((128 - |pan - 128|) >> 5), within 0..255.
  EXPECT_EQ(Trace(p, 3, Panning), (V{255, 128, 255}));
}

TEST(MusicEnvelopes, AutoVibratoWaveAndSweep) {
  TestModule m = Rows({C(kC4, 1)}, 8);
  TestInstrument& ins = m.instruments[0];
  ins.vibratoType = 1;  // square
  ins.vibratoDepth = 8;
  ins.vibratoRate = 64;
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  EXPECT_EQ(Trace(p, 4, Period), (V{4600, 4616, 4616, 4600}));

  ins.vibratoSweep = 4;
  xm::Player q;
  ASSERT_TRUE(Load(q, m));
  auto depth = [](const xm::Channel& c) { return c.autoVibratoDepth; };
  EXPECT_EQ(Trace(q, 6, depth), (V{512, 1024, 1536, 2048, 2048, 2048}));
}

// The order and row played at each tick.
std::vector<std::pair<int, int>> Positions(xm::Player& p, int ticks) {
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < ticks; ++i) {
    p.StepTick();
    if (p.Ended()) break;
    out.emplace_back(p.order(), p.row());
  }
  return out;
}

TEST(MusicPatternFlow, PatternLoopAndTheBreakRowItLeaves) {
  TestModule m;
  m.speed = 1;
  m.patterns[0].rows = 4;
  m.orders = {0, 0};
  m.Set(0, 1, 0, C(0, 0, 0, 0xE, 0x60)).Set(0, 2, 0, C(0, 0, 0, 0xE, 0x62));
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  p.SetLooping(false);
  using P = std::vector<std::pair<int, int>>;
  // The next pattern starts at the loop's row, as in FastTracker 2.
  EXPECT_EQ(Positions(p, 100), (P{{0, 0}, {0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 1}, {0, 2}, {0, 3},
                                  {1, 1}, {1, 2}, {1, 1}, {1, 2}, {1, 1}, {1, 2}, {1, 3}}));
  EXPECT_TRUE(p.Ended());
}

TEST(MusicPatternFlow, PatternDelayRepeatsTheRowWithItsTickEffects) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 0xE, 0xE2), C(0, 0, 0, 0xA, 0x01)}, 2)));
  std::vector<int> rows;
  for (int i = 0; i < 8; ++i) {
    p.StepTick();
    rows.push_back(p.row());
  }
  EXPECT_EQ(rows, (V{0, 0, 0, 0, 0, 0, 1, 1}));
  TestModule m;
  m.channels = 2;
  m.speed = 2;
  m.Set(0, 0, 0, C(kC4, 1, 0, 0xA, 0x01)).Set(0, 0, 1, C(0, 0, 0, 0xE, 0xE2));
  xm::Player r;
  ASSERT_TRUE(Load(r, m));
  // Played three times over two ticks, the slide runs on five of the six.
  EXPECT_EQ(Trace(r, 6, Volume), (V{64, 63, 62, 61, 60, 59}));
}

TEST(MusicPatternFlow, BreakAndJumpInEitherChannelOrder) {
  auto run = [](xm::Cell first, xm::Cell second) {
    TestModule m;
    m.channels = 2;
    m.speed = 1;
    m.orders = {0, 0, 0};
    m.Set(0, 0, 0, first).Set(0, 0, 1, second);
    xm::Player p;
    EXPECT_TRUE(Load(p, m));
    p.StepTick();
    p.StepTick();
    return std::make_pair(p.order(), p.row());
  };
  EXPECT_EQ(run(C(0, 0, 0, 0xD, 0x12), C(0)), std::make_pair(1, 12));  // BCD
  EXPECT_EQ(run(C(0, 0, 0, 0xD, 0x64), C(0)), std::make_pair(1, 0));   // beyond 63: row 0
  EXPECT_EQ(run(C(0, 0, 0, 0xB, 0x02), C(0, 0, 0, 0xD, 0x03)), std::make_pair(2, 3));
  EXPECT_EQ(run(C(0, 0, 0, 0xD, 0x03), C(0, 0, 0, 0xB, 0x02)), std::make_pair(2, 0));  // B clears D's row
}

TEST(MusicPatternFlow, AJumpBackEndsThePassAndOrdersPastTheLastPatternPlayEmptyRows) {
  TestModule m;
  m.speed = 1;
  m.patterns[0].rows = 4;
  m.orders = {0, 7, 0};  // pattern 7 does not exist
  m.Set(0, 0, 0, C(kC4, 1));
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  p.SetLooping(false);
  const auto positions = Positions(p, 1000);
  EXPECT_EQ(positions.size(), 4u + 64u + 4u);
  EXPECT_EQ(positions[4], std::make_pair(1, 0));
  EXPECT_EQ(positions[67], std::make_pair(1, 63));
  EXPECT_TRUE(p.Ended());
  EXPECT_EQ(p.PassesCompleted(), 1);

  m.orders = {0, 0};
  m.Set(0, 3, 0, C(0, 0, 0, 0xB, 0x01));  // B01 on the last order: back to order 1
  xm::Player q;
  ASSERT_TRUE(Load(q, m));
  EXPECT_EQ(Positions(q, 12).back(), std::make_pair(1, 3));
  EXPECT_EQ(q.PassesCompleted(), 1);  // order 1 row 0 came round again
  EXPECT_FALSE(q.Ended());            // looping goes on
}

TEST(MusicChannelEffects, PanningSlidesAndSetPanning) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 25, 0x02), C(0, 0, 0, 25, 0x30), C(0, 0, 0, 25, 0x00),
                            C(0, 0, 0xE4), C(0, 0, 0xD0)})));
  EXPECT_EQ(Trace(p, 20, Panning), (V{128, 126, 124, 122,
                                      122, 125, 128, 131,
                                      131, 134, 137, 140,      // P00 remembers
                                      140, 144, 148, 152,      // volume column right 4
                                      152, 0, 0, 0}));         // column left 0 sends it hard left
}

TEST(MusicChannelEffects, MultiRetrigChangesTheVolumeAndRestartsTheSample) {
  TestModule m = Rows({C(kC4, 1, 0, 27, 0x12)}, 6);
  m.instruments[0].samples[0].frames.assign(20000, 1000);
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  std::vector<int> volume, position;
  std::vector<float> out(2 * 882);
  for (int i = 0; i < 6; ++i) {
    p.Render(out.data(), 882);
    volume.push_back(p.channel(0).outVolume);
    position.push_back(int(p.channel(0).voice.position >> 32));
  }
  EXPECT_EQ(volume, (V{64, 63, 63, 62, 62, 61}));
  // 8363 Hz: 167.3 frames of the sample per tick; a retrigger starts again.
  EXPECT_EQ(position, (V{167, 167, 334, 167, 334, 167}));
}

TEST(MusicChannelEffects, TremorAlternatesOnAndOff) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0, 29, 0x12)}, 8)));
  EXPECT_EQ(Trace(p, 8, Volume), (V{64, 64, 64, 0, 0, 0, 64, 64}));
}

TEST(MusicChannelEffects, NoteCutDelayAndRetrigger) {
  xm::Player p;
  ASSERT_TRUE(Load(p, Rows({C(kC4, 1, 0x20), C(0, 0, 0, 0xE, 0xC2), C(kC4, 1, 0x30, 0xE, 0xD2)})));
  EXPECT_EQ(Trace(p, 12, Volume), (V{16, 16, 16, 16,
                                     16, 16, 0, 0,       // EC2
                                     0, 0, 32, 32}));    // ED2 plays the note, volume column too, on tick 2
  TestModule m = Rows({C(kC4, 1, 0, 0xE, 0x93)}, 6);
  m.instruments[0].samples[0].frames.assign(20000, 1000);
  xm::Player q;
  ASSERT_TRUE(Load(q, m));
  std::vector<int> position;
  std::vector<float> out(2 * 882);
  for (int i = 0; i < 6; ++i) {
    q.Render(out.data(), 882);
    position.push_back(int(q.channel(0).voice.position >> 32));
  }
  EXPECT_EQ(position, (V{167, 334, 501, 167, 334, 501}));  // E93: again on tick 3
}

TEST(MusicChannelEffects, SampleOffsetIsRememberedAndBeyondTheEndIsSilent) {
  TestModule m = Rows({C(kC4, 1, 0, 0x9, 0x04), C(kC4, 1, 0, 0x9, 0x00), C(kC4, 1, 0, 0x9, 0x50)}, 1);
  m.instruments[0].samples[0].frames.assign(5000, 1000);
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  p.StepTick();
  EXPECT_EQ(p.channel(0).voice.position >> 32, 1024u);
  p.StepTick();
  EXPECT_EQ(p.channel(0).voice.position >> 32, 1024u);
  p.StepTick();  // 0x50 x 256 is past the 5000 frames
  EXPECT_FALSE(p.channel(0).voice.playing);
}

TEST(MusicChannelEffects, InstrumentAloneRestoresTheSampleVolumeAndPanning) {
  TestModule m = Rows({C(kC4, 1, 0x20, 0x8, 0x10), C(0, 1)}, 1);
  m.instruments[0].samples[0].volume = 48;
  m.instruments[0].samples[0].panning = 200;
  xm::Player p;
  ASSERT_TRUE(Load(p, m));
  EXPECT_EQ(Trace(p, 2, Volume), (V{16, 48}));
  EXPECT_EQ(p.channel(0).panning, 200);
}

}  // namespace
