// The streamed WAV file of render-xm must be the file that encoding all the
// samples at once gives, whatever pieces they come in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/vantomir_tool/wav.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::vector<int16_t> Ramp(size_t count) {
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) samples[i] = int16_t(uint16_t(i * 40503u));  // every byte pattern
  return samples;
}

class WavFileWriterTest : public testing::Test {
 protected:
  std::string path_ = testing::TempDir() + "wav_writer_" + std::to_string(getpid()) + ".wav";
  void TearDown() override { std::remove(path_.c_str()); }

  // Streams samples in pieces of the given sizes (cycled), announcing expected.
  bool Stream(const std::vector<int16_t>& samples, std::vector<size_t> pieces, uint64_t expected) {
    WavFileWriter wav;
    if (!wav.Open(path_, 2, 44100, expected)) return false;
    size_t at = 0;
    for (size_t k = 0; at < samples.size(); ++k) {
      const size_t n = std::min(pieces[k % pieces.size()], samples.size() - at);
      if (!wav.Write(samples.data() + at, n)) return false;
      at += n;
    }
    return wav.samplesWritten() == samples.size() && wav.Close();
  }
};

TEST_F(WavFileWriterTest, StreamedFileEqualsTheWholeBufferEncoding) {
  // Pieces smaller and larger than the file buffer, empty ones among them.
  const std::vector<int16_t> samples = Ramp(2 * 70001);
  const std::vector<uint8_t> whole = EncodeWav16(samples, 2, 44100);
  ASSERT_TRUE(Stream(samples, {0, 1, 2047, 100000, 3}, 0));
  EXPECT_EQ(ReadBytes(path_), whole);
  // Announced right, announced too long (a song that ended early), or too short.
  for (uint64_t expected : {uint64_t(samples.size()), uint64_t(samples.size() + 2048), uint64_t(2)}) {
    ASSERT_TRUE(Stream(samples, {2048}, expected));
    EXPECT_EQ(ReadBytes(path_), whole) << "announced " << expected;
  }
  ASSERT_TRUE(Stream({}, {1}, 0));
  EXPECT_EQ(ReadBytes(path_), EncodeWav16({}, 2, 44100));
}

TEST_F(WavFileWriterTest, UnwritableFileFailsAndWritesNothing) {
  WavFileWriter wav;
  EXPECT_FALSE(wav.Open(testing::TempDir() + "no-such-dir/out.wav", 2, 44100));
  const int16_t s[2] = {1, 2};
  EXPECT_FALSE(wav.Write(s, 2));
  EXPECT_FALSE(wav.Close());
}

}  // namespace
