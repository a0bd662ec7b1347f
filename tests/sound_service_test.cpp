// The sound service and the sound table over the headless sound device:
// the loaded slots and their formats, play and stop, volume, the decoder on
// good, damaged and oversized images, and the committed samples.
#include <gtest/gtest.h>
#include <unistd.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

Bytes Embedded(const char* name) {
  const EmbeddedFile* file = FindEmbeddedFile(name);
  return file != nullptr ? Bytes(file->data, file->data + file->size) : Bytes{};
}

void Put16(Bytes& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

struct WavForm {
  uint32_t formatTag = 1;
  uint32_t channels = 1;
  uint32_t rate = platform::kMixRate;
  uint32_t bits = 16;
  uint32_t formatLength = 16;  // more than 16 appends zero bytes to the fmt chunk
  Bytes chunksBeforeData;      // whole chunks between "fmt " and "data"
};

// A RIFF/WAVE image of 16-bit samples, built by hand.
Bytes Wav(const std::vector<int16_t>& samples, const WavForm& f = {}) {
  Bytes out;
  PutTag(out, "RIFF");
  Put32(out, 0);  // the RIFF length is not read
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, f.formatLength);
  Put16(out, f.formatTag);
  Put16(out, f.channels);
  Put32(out, f.rate);
  Put32(out, f.rate * f.channels * f.bits / 8);
  Put16(out, f.channels * f.bits / 8);
  Put16(out, f.bits);
  out.resize(out.size() + f.formatLength - 16, 0);
  out.insert(out.end(), f.chunksBeforeData.begin(), f.chunksBeforeData.end());
  PutTag(out, "data");
  Put32(out, uint32_t(samples.size() * 2));
  for (int16_t s : samples) Put16(out, uint16_t(s));
  return out;
}

std::vector<int16_t> Ramp(int count) {
  std::vector<int16_t> out;
  for (int i = 0; i < count; ++i) out.push_back(int16_t(100 * (i + 1)));
  return out;
}

// Mixed output of the sound device, left channel only.
std::vector<int16_t> MixLeft(int frames) {
  std::vector<int16_t> out(size_t(2 * frames));
  platform::headless::MixSound(frames, out.data());
  std::vector<int16_t> left;
  for (int i = 0; i < frames; ++i) left.push_back(out[size_t(2 * i)]);
  return left;
}

int32_t Catch(const Bytes& image) { return CatchSound(-1, image.data(), image.size()); }

class SoundService : public testing::Test {
 protected:
  void SetUp() override {
    platform::headless::ResetSound();
    ResetMusic();
    ReleaseSounds();
    settings = Settings{};
    ASSERT_TRUE(InitSound());
  }
  void TearDown() override {
    ReleaseSounds();
    ResetMusic();
    platform::headless::ResetSound();
  }

  static int32_t Attenuation(int32_t handle) {
    const SoundSamples* s = FindSoundSamples(handle);
    return s != nullptr ? s->attenuation : 1;
  }
  static platform::SoundBufferId Buffer(int32_t handle) { return FindSoundSamples(handle)->buffer; }
};

//-----------------------------------------------------------------------------
// The sound table
//-----------------------------------------------------------------------------

struct SlotFormat {
  int32_t slot;
  int32_t channels, rate, frames;
};

// What each slot holds once the samples are loaded; the others stay 0.
const SlotFormat kLoadedSlots[] = {
    {1, 2, 22050, 19715},  {2, 2, 22050, 1536},   {3, 2, 22050, 24255},  {6, 1, 22050, 9779},
    {7, 2, 22050, 10873},  {8, 2, 22050, 22050},  {9, 2, 22050, 20183},  {10, 2, 22050, 17923},
    {11, 1, 22050, 4162},  {13, 2, 22050, 43929}, {14, 1, 8000, 1999},   {15, 1, 8000, 1999},
    {16, 1, 8000, 1999},   {17, 1, 8000, 1999},   {18, 2, 22050, 13230}, {19, 2, 22050, 13230},
    {20, 2, 22050, 13230}, {21, 2, 22050, 13230}, {22, 2, 22050, 8652},  {23, 2, 22050, 8630},
    {24, 2, 22050, 8652},  {25, 2, 22050, 8630},  {26, 2, 22050, 11025}, {27, 2, 22050, 11025},
    {28, 2, 22050, 11025}, {29, 2, 22050, 11025},
};

TEST_F(SoundService, EverySlotHoldsItsOwnSoundInTheSamplesFormat) {
  LoadSounds();
  std::vector<int32_t> handles;
  std::vector<platform::SoundBufferId> buffers;
  for (int32_t slot = 0; slot < kSoundSlots; ++slot) {
    const auto* expected = std::find_if(std::begin(kLoadedSlots), std::end(kLoadedSlots),
                                        [slot](const SlotFormat& f) { return f.slot == slot; });
    const int32_t handle = soundTable.slot[slot];
    if (expected == std::end(kLoadedSlots)) {
      EXPECT_EQ(handle, 0) << "slot " << slot;
      continue;
    }
    ASSERT_TRUE(IsSound(handle)) << "slot " << slot;
    const SoundSamples& s = *FindSoundSamples(handle);
    EXPECT_EQ(s.format.channels, expected->channels) << "slot " << slot;
    EXPECT_EQ(s.format.sampleRate, expected->rate) << "slot " << slot;
    EXPECT_EQ(s.format.bitsPerSample, 16) << "slot " << slot;
    EXPECT_EQ(s.pcm->size(), size_t(expected->frames * expected->channels * 2)) << "slot " << slot;
    EXPECT_EQ(s.attenuation, 0) << "slot " << slot;
    handles.push_back(handle);
    buffers.push_back(s.buffer);
  }
  // Copies of one sample are separate sounds with separate buffers.
  std::sort(handles.begin(), handles.end());
  std::sort(buffers.begin(), buffers.end());
  EXPECT_EQ(std::unique(handles.begin(), handles.end()), handles.end());
  EXPECT_EQ(std::unique(buffers.begin(), buffers.end()), buffers.end());
  EXPECT_EQ(handles.size(), std::size(kLoadedSlots));

  // The wave sample is carried as a plain 44-byte-header file.
  EXPECT_EQ(Embedded(SoundSlotFile(14)).size(), 4042u);
  EXPECT_EQ(FindSoundSamples(soundTable.slot[14])->pcm->size(), 3998u);
}

TEST_F(SoundService, CopiesOfOneSamplePlayTogether) {
  LoadSounds();
  PlaySound(soundTable.slot[22], 0);
  PlaySound(soundTable.slot[24], 0);  // the same explosion sample
  for (int32_t slot : {22, 24}) EXPECT_TRUE(platform::IsSoundBufferPlaying(Buffer(soundTable.slot[slot])));
  MixLeft(100);
  EXPECT_EQ(platform::GetSoundBufferPosition(Buffer(soundTable.slot[22])),
            platform::GetSoundBufferPosition(Buffer(soundTable.slot[24])));
}

TEST_F(SoundService, ApplyVolumeSetsEveryEffectToHalfTheSettingAndTheMusicToo) {
  LoadSounds();
  const struct {
    int32_t setting, attenuation, musicDivisor;
  } cases[] = {{100, -603, 16}, {50, -1205, 48}, {10, -2603, 74}, {1, -10000, INT32_MAX}, {0, -10000, INT32_MAX}};
  for (const auto& c : cases) {
    settings.volume = c.setting;
    ApplyVolume();
    for (const SlotFormat& f : kLoadedSlots) {
      EXPECT_EQ(Attenuation(soundTable.slot[f.slot]), c.attenuation)
          << "setting " << c.setting << ", slot " << f.slot;
    }
    // 80 - Int(setting x 0.64); 0 silences the music.
    EXPECT_EQ(SongVolumeDivisor(), c.musicDivisor) << "setting " << c.setting;
  }
}

TEST_F(SoundService, StopAllSoundsStopsAndRewindsEveryEffect) {
  LoadSounds();
  for (const SlotFormat& f : kLoadedSlots) PlaySound(soundTable.slot[f.slot], 0);
  MixLeft(500);
  StopAllSounds();
  for (const SlotFormat& f : kLoadedSlots) {
    const platform::SoundBufferId id = Buffer(soundTable.slot[f.slot]);
    EXPECT_FALSE(platform::IsSoundBufferPlaying(id)) << "slot " << f.slot;
    EXPECT_EQ(platform::GetSoundBufferPosition(id), 0u) << "slot " << f.slot;
  }
}

//-----------------------------------------------------------------------------
// Handles, play and stop
//-----------------------------------------------------------------------------

TEST_F(SoundService, HandlesNameLoadedSoundsOnly) {
  const Bytes image = Wav(Ramp(8));
  const int32_t first = Catch(image);
  const int32_t second = Catch(image);
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(CatchSound(40, image.data(), image.size()), 40);
  EXPECT_TRUE(IsSound(40));
  EXPECT_EQ(CatchSound(0, image.data(), image.size()), 0);
  EXPECT_EQ(CatchSound(-2, image.data(), image.size()), 0);
  for (int32_t h : {0, -1, 39, 41, 100000}) EXPECT_FALSE(IsSound(h)) << h;

  // A failed load under a handle leaves nothing there.
  EXPECT_EQ(CatchSound(40, image.data(), 20), 0);
  EXPECT_FALSE(IsSound(40));

  // Calls on a handle that is no sound do nothing.
  PlaySound(0, 0);
  SoundVolume(0, 50);
  StopSound(12345);
  ReleaseSounds();
  EXPECT_FALSE(IsSound(first));
}

TEST_F(SoundService, PlaySoundRestartsFromTheBeginningAndPlaysOnce) {
  const int32_t h = Catch(Wav(Ramp(6)));
  PlaySound(h, 0);
  EXPECT_EQ(MixLeft(3), (std::vector<int16_t>{100, 200, 300}));
  PlaySound(h, 0);  // still playing: back to the start
  EXPECT_EQ(MixLeft(8), (std::vector<int16_t>{100, 200, 300, 400, 500, 600, 0, 0}));
  EXPECT_FALSE(platform::IsSoundBufferPlaying(Buffer(h)));
  PlaySound(h, 0);  // finished: plays again
  EXPECT_EQ(MixLeft(2), (std::vector<int16_t>{100, 200}));

  StopSound(h);
  EXPECT_EQ(MixLeft(1), (std::vector<int16_t>{0}));
  EXPECT_EQ(platform::GetSoundBufferPosition(Buffer(h)), 0u);
}

TEST_F(SoundService, LoopingAndDuplicatePlay) {
  const int32_t h = Catch(Wav(Ramp(3)));
  PlaySound(h, kPlayLooping);
  EXPECT_EQ(MixLeft(7), (std::vector<int16_t>{100, 200, 300, 100, 200, 300, 100}));
  StopSound(h);

  // A duplicate overlaps the sound itself, at its volume.
  SoundVolume(h, 100);
  PlaySound(h, 0);
  MixLeft(1);
  PlaySound(h, kPlayDuplicate);
  EXPECT_EQ(MixLeft(4), (std::vector<int16_t>{300, 500, 300, 0}));
  SoundVolume(h, 0);
  PlaySound(h, kPlayDuplicate);  // a copy made now is silent
  EXPECT_EQ(MixLeft(1), (std::vector<int16_t>{0}));
}

//-----------------------------------------------------------------------------
// Volume
//-----------------------------------------------------------------------------

TEST_F(SoundService, VolumeFollowsTheDecibelTableAndIsClamped) {
  const int32_t h = Catch(Wav(Ramp(4)));
  const struct {
    int32_t volume, attenuation;
  } cases[] = {{100, 0},   {99, -9},      {50, -603},   {10, -2000},   {5, -2603},
               {1, -4000}, {0, -10000},   {150, 0},     {-5, -10000},  {INT32_MIN, -10000}};
  for (const auto& c : cases) {
    SoundVolume(h, c.volume);
    EXPECT_EQ(Attenuation(h), c.attenuation) << "volume " << c.volume;
  }
  // The whole table falls steadily from full level to silence.
  int32_t previous = 1;
  for (int32_t v = 100; v >= 0; --v) {
    SoundVolume(h, v);
    EXPECT_LT(Attenuation(h), previous) << "volume " << v;
    previous = Attenuation(h);
  }
}

TEST_F(SoundService, VolumeReachesTheOutput) {
  const int32_t h = Catch(Wav(std::vector<int16_t>(64, 20000)));
  SoundVolume(h, 50);
  PlaySound(h, 0);
  EXPECT_NEAR(MixLeft(1)[0], 20000 * std::pow(10.0, -603 / 2000.0), 2);
  SoundVolume(h, 0);
  EXPECT_EQ(MixLeft(1)[0], 0);
  SoundVolume(h, 150);
  EXPECT_EQ(MixLeft(1)[0], 20000);
}

//-----------------------------------------------------------------------------
// Decoding
//-----------------------------------------------------------------------------

TEST_F(SoundService, WaveChunksAreSteppedOverToTheData) {
  WavForm form;
  form.channels = 2;
  form.rate = 11025;
  form.formatLength = 18;  // with the extension size field
  PutTag(form.chunksBeforeData, "LIST");
  Put32(form.chunksBeforeData, 6);
  form.chunksBeforeData.insert(form.chunksBeforeData.end(), {'d', 'a', 't', 'a', 0, 0});
  const Bytes image = Wav({1, -2, 3, -4}, form);
  const auto decoded = DecodeSoundImage(image.data(), image.size());
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->format.channels, 2);
  EXPECT_EQ(decoded->format.sampleRate, 11025);
  EXPECT_EQ(decoded->format.bitsPerSample, 16);
  EXPECT_EQ(decoded->pcm, (Bytes{1, 0, 0xFE, 0xFF, 3, 0, 0xFC, 0xFF}));

  // 8-bit samples load as they are.
  WavForm bytes8;
  bytes8.bits = 8;
  const Bytes image8 = Wav({0x7F80}, bytes8);  // two 8-bit samples: 0x80, 0x7F
  const auto decoded8 = DecodeSoundImage(image8.data(), image8.size());
  ASSERT_TRUE(decoded8.has_value());
  EXPECT_EQ(decoded8->format.bitsPerSample, 8);
  EXPECT_EQ(decoded8->pcm, (Bytes{0x80, 0x7F}));
}

TEST_F(SoundService, DamagedWaveImagesLoadNothing) {
  const Bytes good = Embedded("sfx_laser.wav");
  ASSERT_EQ(good.size(), 4042u);
  ASSERT_NE(Catch(good), 0);
  for (size_t length = 0; length < good.size(); ++length) {
    EXPECT_EQ(CatchSound(-1, good.data(), length), 0) << "cut to " << length << " bytes";
  }

  auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes image = good;
    for (uint8_t b : bytes) image.at(at++) = b;
    return image;
  };
  const Bytes damaged[] = {
      patched(20, {3, 0}),                  // floating-point samples
      patched(22, {0, 0}),                  // no channels
      patched(22, {6, 0}),                  // six channels
      patched(34, {24, 0}),                 // 24-bit samples
      patched(24, {0, 0, 0, 0}),            // rate 0
      patched(16, {12, 0, 0, 0}),           // fmt chunk too short for the format
      patched(16, {0xF0, 0xFF, 0xFF, 0xFF}),  // fmt chunk longer than the file
      patched(36, {'d', 'a', 't', 'x'}),    // no data chunk
      patched(40, {0xFF, 0xFF, 0xFF, 0xFF}),  // data longer than the file
      patched(40, {0, 0, 0, 0}),            // no samples
      patched(0, {'R', 'I', 'F', 'X'}),     // not RIFF, and not Ogg either
  };
  for (const Bytes& image : damaged) EXPECT_EQ(Catch(image), 0);
  EXPECT_EQ(CatchSound(-1, nullptr, 100), 0);
}

// The whole stream through vorbisfile, read straight from a file.
Bytes ReferenceDecode(const Bytes& image) {
  const fs::path path = fs::temp_directory_path() / ("vantomir-ref-" + std::to_string(getpid()) + ".ogg");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), long(image.size()));
  OggVorbis_File file;
  Bytes out;
  if (ov_fopen(path.c_str(), &file) == 0) {
    char piece[4096];
    int section = 0;
    long got;
    while ((got = ov_read(&file, piece, sizeof piece, 0, 2, 1, &section)) != 0) {
      if (got > 0) out.insert(out.end(), piece, piece + got);
    }
    ov_clear(&file);
  }
  fs::remove(path);
  return out;
}

TEST_F(SoundService, OggDecodesToTheStreamsSamplesUpToTheLastWholePiece) {
  for (const char* name : {"sfx_click.ogg", "sfx_enemy_fire.ogg", "sfx_level_clear.ogg"}) {
    const Bytes image = Embedded(name);
    const Bytes reference = ReferenceDecode(image);
    const auto decoded = DecodeSoundImage(image.data(), image.size());
    ASSERT_TRUE(decoded.has_value()) << name;
    ASSERT_EQ(decoded->pcm.size(), reference.size()) << name;
    // Decoding stops when less than a 4096-byte piece of room is left; the
    // rest stays silent.
    size_t same = 0;
    while (same < reference.size() && decoded->pcm[same] == reference[same]) ++same;
    EXPECT_GT(same + 4096, reference.size()) << name;
    for (size_t i = same; i < decoded->pcm.size(); ++i) ASSERT_EQ(decoded->pcm[i], 0) << name << " byte " << i;
  }
}

TEST_F(SoundService, LongStreamsAreCutAtTheLimit) {
  const Bytes image = Embedded("sfx_level_clear.ogg");  // 175716 bytes decoded
  const auto whole = DecodeSoundImage(image.data(), image.size());
  ASSERT_TRUE(whole.has_value());
  ASSERT_EQ(whole->pcm.size(), 43929u * 4);
  for (size_t limit : {size_t(40000), size_t(40002), size_t(4096), size_t(1000)}) {
    const auto cut = DecodeSoundImage(image.data(), image.size(), limit);
    ASSERT_TRUE(cut.has_value()) << limit;
    EXPECT_EQ(cut->pcm.size(), limit - limit % 4) << limit;  // whole frames
    // What was decoded is the beginning of the stream.
    size_t same = 0;
    while (same < cut->pcm.size() && cut->pcm[same] == whole->pcm[same]) ++same;
    EXPECT_GT(same + 4096, cut->pcm.size()) << limit;
  }
  EXPECT_FALSE(DecodeSoundImage(image.data(), image.size(), 3).has_value());  // not one frame
}

// The pages of an Ogg stream: where each starts and how long it is.
std::vector<std::pair<size_t, size_t>> OggPages(const Bytes& image) {
  std::vector<std::pair<size_t, size_t>> pages;
  size_t at = 0;
  while (at + 27 <= image.size() && std::memcmp(&image[at], "OggS", 4) == 0) {
    const size_t segments = image[at + 26];
    size_t length = 27 + segments;
    for (size_t i = 0; i < segments && at + 27 + i < image.size(); ++i) length += image[at + 27 + i];
    pages.emplace_back(at, length);
    at += length;
  }
  return pages;
}

// Puts right the checksum of every page, so that damage inside a page
// reaches the decoder instead of being dropped with the page.
void FixOggChecksums(Bytes& image) {
  for (auto [at, length] : OggPages(image)) {
    if (at + length > image.size()) break;
    std::memset(&image[at + 22], 0, 4);
    uint32_t crc = 0;
    for (size_t i = at; i < at + length; ++i) {
      crc ^= uint32_t(image[i]) << 24;
      for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    for (int k = 0; k < 4; ++k) image[at + 22 + size_t(k)] = uint8_t(crc >> (8 * k));
  }
}

TEST_F(SoundService, DamagedOggImagesLoadAShorterSoundOrNothing) {
  const Bytes good = Embedded("sfx_level_clear.ogg");
  const size_t goodBytes = size_t(43929) * 4;
  const auto pages = OggPages(good);
  ASSERT_GE(pages.size(), 5u);
  const size_t firstAudioPage = pages[2].first;  // after the identification page and the rest of the headers

  // Cut before any audio nothing loads; cut later, at most a shorter sound.
  for (size_t length = 0; length < good.size(); length += 211) {
    const auto decoded = DecodeSoundImage(good.data(), length);
    if (length <= firstAudioPage) {
      EXPECT_FALSE(decoded.has_value()) << "cut to " << length;
    }
    if (decoded) {
      EXPECT_LE(decoded->pcm.size(), goodBytes) << "cut to " << length;
    }
  }

  // Garbled bytes anywhere: the damaged pages fail their checksums and are
  // dropped, leaving a sound or nothing, never a crash or a hang.
  uint32_t state = 12345;
  auto next = [&state] { return state = state * 1664525u + 1013904223u; };
  auto garble = [&](Bytes& image, size_t from) {
    const int hits = 1 + int(next() >> 28);
    for (int i = 0; i < hits; ++i) image[from + (next() >> 8) % (image.size() - from)] = uint8_t(next() >> 24);
  };
  int loaded = 0;
  for (int trial = 0; trial < 100; ++trial) {
    Bytes image = good;
    garble(image, 0);
    if (Catch(image) != 0) ++loaded;
  }
  EXPECT_GT(loaded, 0);  // some of the damage lies past the headers

  // Garbled audio pages with their checksums put right reach the Vorbis
  // decoder itself; a garbled granule position may claim any length, which
  // the limit bounds. (Headers altered that way are left out: a setup header
  // with impossible codebooks can reach a division by zero inside libvorbis,
  // an open defect of the library; our samples are built into the program.)
  for (int trial = 0; trial < 100; ++trial) {
    Bytes image = good;
    garble(image, firstAudioPage);
    FixOggChecksums(image);
    const auto decoded = DecodeSoundImage(image.data(), image.size());
    if (decoded) {
      EXPECT_LE(decoded->pcm.size(), kMaxDecodedBytes);
    }
  }

  // Random bytes that merely start like an Ogg page.
  Bytes noise(5000);
  for (uint8_t& b : noise) b = uint8_t(next() >> 24);
  std::memcpy(noise.data(), "OggS", 4);
  EXPECT_EQ(Catch(noise), 0);
}

//-----------------------------------------------------------------------------
// The committed samples
//-----------------------------------------------------------------------------

TEST(SoundFiles, GeneratorReproducesTheCommittedSamples) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-sounds-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string command = std::string("\"") + GENERATE_SOUNDS + "\" \"" + dir.string() + "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int files = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes made{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(made == Embedded(name.c_str())) << name << " differs from the committed sample";
    ++files;
  }
  EXPECT_EQ(files, 18);
  // Every sample the game loads is one the generator makes.
  for (int32_t slot = 0; slot < kSoundSlots; ++slot) {
    const char* file = SoundSlotFile(slot);
    if (file != nullptr) {
      EXPECT_TRUE(fs::exists(dir / file)) << file;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
