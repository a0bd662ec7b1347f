// Loading XM images: what is read, how samples are laid out for the mixer,
// and damaged, hostile or foreign data refused without harm.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/music_xm_builder.h"

namespace {

using namespace xmtest;

xm::Module LoadBuilt(const TestModule& tune) {
  const std::vector<uint8_t> image = Build(tune);
  xm::Module m;
  std::string error;
  EXPECT_TRUE(xm::LoadModule(image.data(), image.size(), &m, &error)) << error;
  return m;
}

std::string Refusal(const std::vector<uint8_t>& image) {
  xm::Module m;
  std::string error;
  EXPECT_FALSE(xm::LoadModule(image.data(), image.size(), &m, &error));
  EXPECT_FALSE(error.empty());
  return error;
}

void Poke16(std::vector<uint8_t>& d, size_t at, uint16_t v) {
  d[at] = uint8_t(v);
  d[at + 1] = uint8_t(v >> 8);
}
void Poke32(std::vector<uint8_t>& d, size_t at, uint32_t v) {
  Poke16(d, at, uint16_t(v));
  Poke16(d, at + 2, uint16_t(v >> 16));
}

// Where the first pattern and the first instrument start in Build's images
// of a module with one pattern.
constexpr size_t kPatternAt = 336;
size_t InstrumentAt(const std::vector<uint8_t>& d) {
  return kPatternAt + 9 + (d[kPatternAt + 7] | d[kPatternAt + 8] << 8);
}

TEST(MusicLoader, ReadsTheHeaderPatternsAndInstruments) {
  TestModule tune;
  tune.channels = 3;
  tune.speed = 5;
  tune.tempo = 162;
  tune.linear = false;
  tune.orders = {0, 1, 0};
  tune.restart = 1;
  tune.patterns.push_back(TestPattern{16, {}});
  tune.Set(1, 15, 2, C(97, 3, 0x40, 0xF, 0x20));
  tune.instruments[0].volume = {{{0, 64}, {10, 80}}, 1 | 2, 1, 0, 0};
  tune.instruments[0].fadeout = 777;
  const xm::Module m = LoadBuilt(tune);
  EXPECT_EQ(m.name, "test");
  EXPECT_EQ(m.channels, 3);
  EXPECT_EQ(m.speed, 5);
  EXPECT_EQ(m.tempo, 162);
  EXPECT_FALSE(m.linearFrequencies);
  EXPECT_EQ(m.orders, (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(m.restart, 1);
  ASSERT_EQ(m.patterns.size(), 2u);
  EXPECT_EQ(m.patterns[1].rows, 16);
  EXPECT_EQ(m.patterns[1].cells[15 * 3 + 2], C(97, 3, 0x40, 0xF, 0x20));
  EXPECT_EQ(m.patterns[1].cells[0], C(0));
  const xm::Envelope& e = m.instruments[0].volumeEnvelope;
  EXPECT_TRUE(e.on && e.sustainOn && !e.loopOn);
  EXPECT_EQ(e.points, 2);
  EXPECT_EQ(e.y[1], 64);  // values above 64 are 64
  EXPECT_EQ(m.instruments[0].fadeout, 777);
}

TEST(MusicLoader, DecodesDeltaSamplesOfBothWidths) {
  TestModule tune;
  TestSample wide, narrow;
  wide.frames = {0, 1000, -2000, 32767, -32768, 5};
  narrow.frames = {0, 256, -512, 127 * 256, -128 * 256};
  narrow.sixteenBit = false;
  tune.instruments[0].samples = {wide, narrow};
  const xm::Module m = LoadBuilt(tune);
  const auto& s = m.instruments[0].samples;
  EXPECT_EQ(std::vector<int16_t>(s[0].data.begin(), s[0].data.begin() + 6), wide.frames);
  EXPECT_EQ(std::vector<int16_t>(s[1].data.begin(), s[1].data.begin() + 5), narrow.frames);
  EXPECT_EQ(s[0].length, 6);
  EXPECT_EQ(s[1].length, 5);
}

TEST(MusicLoader, LaysOutLoopsForTheMixer) {
  TestModule tune;
  TestSample forward, pingPong, overlong, outside, empty;
  forward.frames = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  forward.loopType = 1;
  forward.loopStart = 2;
  forward.loopLength = 3;
  pingPong = forward;
  pingPong.loopType = 2;
  overlong = forward;
  overlong.loopStart = 8;
  overlong.loopLength = 10;
  outside = forward;
  outside.loopStart = 12;
  empty = forward;
  empty.loopLength = 0;
  tune.instruments[0].samples = {forward, pingPong, overlong, outside, empty};
  const xm::Module m = LoadBuilt(tune);
  const auto& s = m.instruments[0].samples;
  using D = std::vector<int16_t>;
  // The loop's end, then two guard frames from its start.
  EXPECT_EQ(s[0].data, (D{0, 1, 2, 3, 4, 2, 3}));
  EXPECT_EQ(s[0].playEnd, 5);
  // Ping-pong: the loop forwards and backwards, then the guard.
  EXPECT_EQ(s[1].data, (D{0, 1, 2, 3, 4, 4, 3, 2, 2, 3}));
  EXPECT_EQ(s[1].playEnd, 8);
  EXPECT_EQ(s[2].loopLength, 2);
  EXPECT_EQ(s[3].loop, xm::LoopType::None);
  EXPECT_EQ(s[4].loop, xm::LoopType::None);
  EXPECT_EQ(s[4].playEnd, 10);
}

TEST(MusicLoader, RefusesForeignAndDamagedHeaders) {
  const std::vector<uint8_t> good = Build(TestModule{});
  xm::Module m;
  std::string error;
  EXPECT_FALSE(xm::LoadModule(nullptr, 0, &m, &error));
  const std::vector<uint8_t> tooShort(good.begin(), good.begin() + 40);
  EXPECT_NE(Refusal(tooShort).find("not an XM"), std::string::npos);
  std::vector<uint8_t> wave = good;
  std::memcpy(wave.data(), "RIFF\x24\x00\x00\x00WAVEfmt ", 16);
  EXPECT_NE(Refusal(wave).find("not an XM"), std::string::npos);
  std::vector<uint8_t> d = good;
  Poke16(d, 58, 0x0103);
  EXPECT_NE(Refusal(d).find("version"), std::string::npos);

  struct Damage {
    size_t at;
    int bytes;
    uint32_t value;
  };
  const size_t ins = InstrumentAt(good);
  const Damage damages[] = {
      {60, 4, 0xFFFFFFF0},    // header size past the end
      {64, 2, 0},             // no orders
      {64, 2, 257},           // too many orders
      {68, 2, 0},             // no channels
      {68, 2, 65},            // too many channels
      {70, 2, 257},           // too many patterns
      {72, 2, 129},           // too many instruments
      {kPatternAt, 4, 3},     // pattern header too short
      {kPatternAt + 5, 2, 257},     // too many rows
      {kPatternAt + 7, 2, 60000},   // packed data past the end
      {ins, 4, 0x7FFFFFFF},   // instrument header past the end
      {ins + 27, 2, 0xFFFF},  // sample headers past the end
  };
  for (const Damage& damage : damages) {
    d = good;
    if (damage.bytes == 2) Poke16(d, damage.at, uint16_t(damage.value));
    if (damage.bytes == 4) Poke32(d, damage.at, damage.value);
    Refusal(d);
  }
}

TEST(MusicLoader, EveryTruncationFailsCleanlyUntilTheSampleData) {
  TestModule tune;
  tune.instruments.push_back(TestInstrument{});
  tune.Set(0, 0, 0, C(49, 1, 0x40, 0xA, 0x0F));
  const std::vector<uint8_t> good = Build(tune);
  const size_t lastSampleData = good.size() - 2000;  // the second instrument's 1000 16-bit frames
  for (size_t n = 0; n < good.size(); n += (n < lastSampleData ? 1 : 97)) {
    xm::Module m;
    std::string error;
    const bool loaded = xm::LoadModule(good.data(), n, &m, &error);
    EXPECT_EQ(loaded, n >= lastSampleData) << "cut at " << n;
    if (loaded) {
      EXPECT_EQ(m.instruments[1].samples[0].length, int32_t((n - lastSampleData) / 2));
    }
  }
}

TEST(MusicLoader, RandomDamageNeverHurtsLoadingOrPlaying) {
  TestModule tune;
  tune.channels = 2;
  tune.instruments[0].volume = {{{0, 64}, {4, 20}, {9, 40}}, 7, 1, 0, 2};
  tune.instruments[0].samples[0].loopType = 2;
  tune.instruments[0].samples[0].loopLength = 400;
  tune.Set(0, 0, 0, C(49, 1, 0x40, 0x4, 0x37)).Set(0, 1, 1, C(60, 1, 0xF3, 0xE, 0x61));
  const std::vector<uint8_t> good = Build(tune);
  std::mt19937 random(7);
  std::vector<float> out(2 * 2048);
  int loaded = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    std::vector<uint8_t> d = good;
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes; ++i) d[random() % d.size()] = uint8_t(random());
    xm::Player player;
    if (!player.Load(d.data(), d.size(), nullptr)) continue;
    ++loaded;
    for (int block = 0; block < 4; ++block) player.Render(out.data(), 2048);
  }
  EXPECT_GT(loaded, 100);
}

}  // namespace
