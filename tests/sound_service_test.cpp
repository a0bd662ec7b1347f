// The sound service and the sound table over the headless sound device: the loaded slots and their formats,
// play, stop and volume, the decoder on good, damaged and oversized images, and the committed samples.
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "audio/sound_internal.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/sound_device.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;
using Ints = std::vector<int32_t>;

Bytes Embedded(const char* name) {
  const EmbeddedFile* file = FindEmbeddedFile(name);
  return file != nullptr ? Bytes(file->data, file->data + file->size) : Bytes{};
}

uint32_t Tag(const char* t) { return uint32_t(t[0] | t[1] << 8 | t[2] << 16 | t[3] << 24); }
// A RIFF/WAVE image of 16-bit samples (for 8-bit ones, two to a value), built by hand.
Bytes Wav(const Samples& samples, uint32_t channels = 1, uint32_t rate = platform::kMixRate, uint32_t bits = 16) {
  std::vector<std::pair<uint32_t, int>> fields = {  // little-endian values of so many bytes
      {Tag("RIFF"), 4}, {0, 4} /* the RIFF length is not read */, {Tag("WAVE"), 4}, {Tag("fmt "), 4}, {16, 4},
      {1, 2} /* PCM */, {channels, 2}, {rate, 4}, {rate * channels * bits / 8, 4}, {channels * bits / 8, 2},
      {bits, 2}, {Tag("data"), 4}, {uint32_t(samples.size() * 2), 4}};
  for (int16_t s : samples) fields.emplace_back(uint16_t(s), 2);
  Bytes out;
  for (auto [v, bytes] : fields) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
  }
  return out;
}

Samples MixLeft(int frames) {  // the next frames of the sound device's output, left channel only
  Samples out(size_t(2 * frames)), left;
  platform::headless::MixSound(frames, out.data());
  for (int i = 0; i < frames; ++i) left.push_back(out[size_t(2 * i)]);
  return left;
}

int32_t Catch(const Bytes& image) { return CatchSound(-1, image.data(), image.size()); }
Ints Form(const platform::PcmFormat& f) { return {f.channels, f.sampleRate, f.bitsPerSample}; }
size_t Shared(const Bytes& a, const Bytes& b) {  // how many leading bytes agree
  return size_t(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
}

class SoundService : public testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    settings = Settings{};
    ASSERT_TRUE(InitSound());
  }
  void TearDown() override {
    ReleaseSounds();
    ResetMusic();
    platform::headless::ResetSound();
  }
  static int32_t Attenuation(int32_t handle) { return FindSoundSamples(handle)->attenuation; }
  static platform::SoundBufferId Buffer(int32_t handle) { return FindSoundSamples(handle)->buffer; }
};

TEST_F(SoundService, EverySlotHoldsItsOwnSoundAndTheTableIsPlayedStoppedAndSetInVolume) {
  LoadSounds();
  const struct { int32_t first, last, channels, rate, frames; } loaded[] = {  // slots first..last; others stay 0
      {1, 1, 2, 22050, 19715},  {2, 2, 2, 22050, 1536},    {3, 3, 2, 22050, 24255},  {6, 6, 1, 22050, 9779},
      {7, 7, 2, 22050, 10873},  {8, 8, 2, 22050, 22050},   {9, 9, 2, 22050, 20183},  {10, 10, 2, 22050, 17923},
      {11, 11, 1, 22050, 4162}, {13, 13, 2, 22050, 43929}, {14, 17, 1, 8000, 1999},  {18, 21, 2, 22050, 13230},
      {22, 22, 2, 22050, 8652}, {23, 23, 2, 22050, 8630},  {24, 24, 2, 22050, 8652}, {25, 25, 2, 22050, 8630},
      {26, 29, 2, 22050, 11025}};
  std::set<int32_t> handles, buffers;
  for (const auto& f : loaded) {
    for (int32_t slot = f.first; slot <= f.last; ++slot) {
      const int32_t handle = soundTable.slot[slot];
      ASSERT_TRUE(IsSound(handle)) << "slot " << slot;
      EXPECT_EQ(Form(FindSoundSamples(handle)->format), (Ints{f.channels, f.rate, 16})) << "slot " << slot;
      EXPECT_EQ(FindSoundSamples(handle)->pcm->size(), size_t(f.frames * f.channels * 2)) << "slot " << slot;
      handles.insert(handle);
      buffers.insert(Buffer(handle));
    }
  }
  // Copies of one sample are separate sounds with their own buffers; the empty slots hold 0.
  const size_t empty = size_t(std::count(std::begin(soundTable.slot), std::end(soundTable.slot), 0));
  EXPECT_EQ((std::vector<size_t>{handles.size(), buffers.size(), empty}), (std::vector<size_t>{26, 26, 13}));
  // Every effect to half the setting, the music to 80 - Int(setting x 0.64); 0 silences it.
  const int32_t volumes[][3] = {
      {100, -603, 16}, {50, -1205, 48}, {10, -2603, 74}, {1, -10000, INT32_MAX}, {0, -10000, INT32_MAX}};
  for (auto [setting, attenuation, musicDivisor] : volumes) {
    settings.volume = setting;
    ApplyVolume();
    for (int32_t h : handles) EXPECT_EQ(Attenuation(h), attenuation) << "setting " << setting << ", handle " << h;
    EXPECT_EQ(SongVolumeDivisor(), musicDivisor) << "setting " << setting;
  }
  // They all play together, copies of one sample too, and all stop, rewound.
  for (int32_t h : handles) PlaySound(h, 0);
  MixLeft(500);
  for (int32_t buffer : buffers) EXPECT_GT(platform::GetSoundBufferPosition(buffer), 0u) << "buffer " << buffer;
  StopAllSounds();
  for (int32_t buffer : buffers) {
    EXPECT_TRUE(!platform::IsSoundBufferPlaying(buffer) && platform::GetSoundBufferPosition(buffer) == 0) << buffer;
  }
}

TEST_F(SoundService, HandlesNameLoadedSoundsOnly) {
  const Bytes image = Wav({0x7F80}, 1, platform::kMixRate, 8);  // two 8-bit samples, loaded as they are
  const int32_t first = Catch(image), second = Catch(image);
  EXPECT_TRUE(first > 0 && second > 0 && first != second) << first << ", " << second;
  EXPECT_EQ(Form(FindSoundSamples(first)->format), (Ints{1, platform::kMixRate, 8}));
  EXPECT_EQ(*FindSoundSamples(first)->pcm, (Bytes{0x80, 0x7F}));
  EXPECT_TRUE(CatchSound(40, image.data(), image.size()) == 40 && IsSound(40));
  for (int32_t slot : {0, -2}) EXPECT_EQ(CatchSound(slot, image.data(), image.size()), 0) << slot;
  for (int32_t h : {0, -1, 39, 41, 100000}) EXPECT_FALSE(IsSound(h)) << h;
  EXPECT_TRUE(CatchSound(40, image.data(), 20) == 0 && !IsSound(40));  // a failed load there leaves nothing
  PlaySound(0, 0);  // calls on a handle that is no sound do nothing
  SoundVolume(0, 50);
  StopSound(12345);
  ReleaseSounds();
  EXPECT_FALSE(IsSound(first));
}

TEST_F(SoundService, PlayRestartsFromTheBeginningOnceLoopsOrOverlapsAsAskedAtItsVolume) {
  int32_t h = Catch(Wav({100, 200, 300, 400, 500, 600}));
  PlaySound(h, 0);
  EXPECT_EQ(MixLeft(3), (Samples{100, 200, 300}));
  PlaySound(h, 0);  // still playing: back to the start
  EXPECT_EQ(MixLeft(8), (Samples{100, 200, 300, 400, 500, 600, 0, 0}));
  EXPECT_FALSE(platform::IsSoundBufferPlaying(Buffer(h)));
  PlaySound(h, 0);  // finished: plays again
  EXPECT_EQ(MixLeft(2), (Samples{100, 200}));
  StopSound(h);
  EXPECT_EQ(MixLeft(1), (Samples{0}));
  EXPECT_EQ(platform::GetSoundBufferPosition(Buffer(h)), 0u);
  h = Catch(Wav({100, 200, 300}));
  PlaySound(h, kPlayLooping);
  EXPECT_EQ(MixLeft(7), (Samples{100, 200, 300, 100, 200, 300, 100}));
  StopSound(h);
  PlaySound(h, 0);
  MixLeft(1);
  PlaySound(h, kPlayDuplicate);  // a duplicate overlaps the sound itself, at its volume
  EXPECT_EQ(MixLeft(4), (Samples{300, 500, 300, 0}));
  SoundVolume(h, 0);
  PlaySound(h, kPlayDuplicate);  // a copy made now is silent
  EXPECT_EQ(MixLeft(1), (Samples{0}));
  // Volume follows the decibel table, clamped, and reaches the output.
  h = Catch(Wav(Samples(64, 20000)));
  const int32_t volumes[][2] = {{100, 0}, {99, -9},     {50, -603}, {10, -2000},  {5, -2603},  // volume, attenuation
                                {1, -4000}, {0, -10000}, {150, 0},   {-5, -10000}, {INT32_MIN, -10000}};
  for (auto [volume, attenuation] : volumes) {
    SoundVolume(h, volume);
    EXPECT_EQ(Attenuation(h), attenuation) << "volume " << volume;
  }
  SoundVolume(h, 50);
  PlaySound(h, 0);
  EXPECT_NEAR(MixLeft(1)[0], 9991, 2);  // 20000 at -6.03 dB
}

TEST_F(SoundService, WaveImagesLoadAsTheyAreInWholeFramesPastOtherChunksAndDamagedOnesNot) {
  // An 18-byte fmt chunk (with the extension size field), then a LIST chunk holding "data".
  Bytes image = Wav({1, -2, 3, -4, 5}, 2, 11025);
  image[16] = 18;
  image.insert(image.begin() + 36, {0, 0, 'L', 'I', 'S', 'T', 6, 0, 0, 0, 'd', 'a', 't', 'a', 0, 0});
  const auto decoded = DecodeSoundImage(image.data(), image.size());
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(Form(decoded->format), (Ints{2, 11025, 16}));
  EXPECT_EQ(decoded->pcm, (Bytes{1, 0, 0xFE, 0xFF, 3, 0, 0xFC, 0xFF}));  // two whole frames of two and a half
  const Bytes good = Embedded("sfx_laser.wav");  // a plain 44-byte header
  ASSERT_EQ(good.size(), 4042u);
  ASSERT_NE(Catch(good), 0);
  for (size_t length = 0; length < good.size(); ++length) {
    EXPECT_EQ(CatchSound(-1, good.data(), length), 0) << "cut to " << length << " bytes";
  }
  // Floating point, no or six channels, 24-bit, rate 0, fmt chunk too short or past the end, no data chunk, data
  // past the end, no samples, not RIFF (and not Ogg either).
  const std::pair<size_t, Bytes> damage[] = {
      {20, {3, 0}}, {22, {0, 0}}, {22, {6, 0}}, {34, {24, 0}}, {24, {0, 0, 0, 0}}, {16, {12, 0, 0, 0}},
      {16, {0xF0, 0xFF, 0xFF, 0xFF}}, {36, {'d', 'a', 't', 'x'}}, {40, {0xFF, 0xFF, 0xFF, 0xFF}}, {40, {0, 0, 0, 0}},
      {0, {'R', 'I', 'F', 'X'}}};
  for (const auto& [at, bytes] : damage) {
    Bytes damaged = good;
    std::copy(bytes.begin(), bytes.end(), damaged.begin() + long(at));
    EXPECT_EQ(Catch(damaged), 0) << "damage at " << at;
  }
  EXPECT_EQ(CatchSound(-1, nullptr, 100), 0);
}

TEST_F(SoundService, OggDecodesLikeVorbisfileUpToTheLastWholePieceOrTheLimitAndDamagedToLessOrNothing) {
  for (const char* name : {"sfx_click.ogg", "sfx_enemy_fire.ogg", "sfx_level_clear.ogg"}) {
    Bytes image = Embedded(name), reference;  // the whole stream, read by vorbisfile itself through stdio
    OggVorbis_File file;
    char piece[4096];
    int section = 0;
    ASSERT_EQ(ov_open(fmemopen(image.data(), image.size(), "rb"), &file, nullptr, 0), 0) << name;
    for (long got; (got = ov_read(&file, piece, sizeof piece, 0, 2, 1, &section)) != 0;) {
      if (got > 0) reference.insert(reference.end(), piece, piece + got);
    }
    ov_clear(&file);
    const auto decoded = DecodeSoundImage(image.data(), image.size());
    ASSERT_TRUE(decoded.has_value()) << name;
    ASSERT_EQ(decoded->pcm.size(), reference.size()) << name;
    // Decoding stops when less than a 4096-byte piece of room is left; the rest stays silent.
    const size_t same = Shared(decoded->pcm, reference);
    EXPECT_GT(same + 4096, reference.size()) << name;
    EXPECT_TRUE(std::all_of(decoded->pcm.begin() + long(same), decoded->pcm.end(), [](uint8_t b) { return b == 0; }))
        << name;
  }
  // A longer stream is cut at the limit, in whole frames, keeping its beginning.
  const Bytes good = Embedded("sfx_level_clear.ogg");
  const auto whole = DecodeSoundImage(good.data(), good.size());
  for (size_t limit : {size_t(40000), size_t(40002), size_t(4096), size_t(1000)}) {
    const auto cut = DecodeSoundImage(good.data(), good.size(), limit);
    ASSERT_TRUE(cut.has_value()) << limit;
    EXPECT_EQ(cut->pcm.size(), limit - limit % 4) << limit;
    EXPECT_GT(Shared(cut->pcm, whole->pcm) + 4096, cut->pcm.size()) << limit;
  }
  EXPECT_FALSE(DecodeSoundImage(good.data(), good.size(), 3).has_value());  // not one frame
  size_t firstAudioPage = 0;  // after the identification page and the page of the other headers
  for (int page = 0; page < 2; ++page) {
    const size_t at = firstAudioPage, segments = good.at(at + 26);
    firstAudioPage += 27 + segments;
    for (size_t i = 0; i < segments; ++i) firstAudioPage += good.at(at + 27 + i);
  }
  ASSERT_EQ(std::memcmp(&good.at(firstAudioPage), "OggS", 4), 0);
  // Cut anywhere, whole or with a garbled byte anywhere (its page fails its checksum and is dropped): before any
  // audio nothing loads, later at most a shorter sound, never a crash or a hang.
  uint32_t state = 12345;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  int garbledLoads = 0;
  for (size_t length = 0; length < good.size(); length += 211) {
    for (bool garble : {false, true}) {
      Bytes image = good;
      if (garble) image[(next() >> 8) % image.size()] = uint8_t(next() >> 24);
      const auto decoded = DecodeSoundImage(image.data(), length);
      EXPECT_TRUE(length > firstAudioPage || !decoded.has_value()) << "cut to " << length;
      EXPECT_LE(decoded ? decoded->pcm.size() : 0, whole->pcm.size()) << "cut to " << length;
      garbledLoads += garble && decoded.has_value();
    }
  }
  EXPECT_GT(garbledLoads, 0);  // some of the garbling lies past the headers
}

TEST(SoundFiles, GeneratorMakesExactlyTheCommittedSamplesTheGameLoads) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-sounds-" + std::to_string(getpid()));
  fs::create_directories(dir);
  ASSERT_EQ(std::system(("\"" + std::string(GENERATE_SOUNDS) + "\" \"" + dir.string() + "\" > /dev/null").c_str()), 0);
  std::set<std::string> made, loaded;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    std::ifstream in(entry.path(), std::ios::binary);
    EXPECT_TRUE(Bytes(std::istreambuf_iterator<char>(in), {}) == Embedded(name.c_str())) << name << " differs";
    made.insert(name);
  }
  for (int32_t slot = 0; slot < kSoundSlots; ++slot) {
    if (const char* file = SoundSlotFile(slot)) loaded.insert(file);
  }
  EXPECT_EQ(made, loaded);
  EXPECT_EQ(made.size(), 18u);
  fs::remove_all(dir);
}

}  // namespace
