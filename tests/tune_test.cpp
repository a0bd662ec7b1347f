// The tune: the generator still writes the committed module, the game carries
// the same bytes, the header says what the music player is promised, and every
// pattern and instrument reads back whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }

std::vector<uint8_t> Tune() {
  const EmbeddedFile* file = FindEmbeddedFile("vantomir.xm");
  if (!file) return {};
  return {file->data, file->data + file->size};
}

TEST(Tune, GeneratorReproducesTheCommittedModule) {
  const fs::path out = fs::temp_directory_path() / ("vantomir-tune-" + std::to_string(getpid()) + ".xm");
  const std::string command = std::string("\"") + GENERATE_TUNE + "\" \"" + out.string() + "\" > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<uint8_t> written = ReadFile(out);
  fs::remove(out);
  const std::vector<uint8_t> committed = ReadFile(fs::path(VANTOMIR_SOURCE_DIR) / "assets" / "vantomir.xm");
  ASSERT_FALSE(written.empty());
  EXPECT_TRUE(written == committed) << "assets/vantomir.xm differs from what generate-tune writes";
  EXPECT_TRUE(Tune() == committed) << "the game carries another tune";
}

TEST(Tune, HeaderHasTheExpectedFacts) {
  const std::vector<uint8_t> xm = Tune();
  ASSERT_GT(xm.size(), 336u);
  EXPECT_GE(xm.size(), 50000u);
  EXPECT_LE(xm.size(), 65000u);
  EXPECT_EQ(std::string(xm.begin(), xm.begin() + 17), "Extended Module: ");
  EXPECT_EQ(std::string(xm.begin() + 17, xm.begin() + 37), std::string("Vantomir") + std::string(12, '\0'));
  EXPECT_EQ(xm[37], 0x1A);
  EXPECT_EQ(Le16(xm, 58), 0x0104u);  // version
  EXPECT_EQ(Le32(xm, 60), 276u);     // header size
  EXPECT_EQ(Le16(xm, 64), 7u);       // song length
  EXPECT_EQ(Le16(xm, 66), 0u);       // restart position
  EXPECT_EQ(Le16(xm, 68), 12u);      // channels
  EXPECT_EQ(Le16(xm, 70), 9u);       // patterns
  EXPECT_EQ(Le16(xm, 72), 17u);      // instruments
  EXPECT_EQ(Le16(xm, 74), 1u);       // linear frequency table
  EXPECT_EQ(Le16(xm, 76), 6u);       // speed
  EXPECT_EQ(Le16(xm, 78), 162u);     // tempo
  EXPECT_EQ(std::vector<uint8_t>(xm.begin() + 80, xm.begin() + 88), (std::vector<uint8_t>{2, 3, 4, 5, 6, 7, 8, 0}));
}

// Walks the whole module as a loader would: each pattern unpacks to exactly
// rows x channels cells with valid notes and instruments, each instrument has
// one sample whose loop lies inside it, and the walk ends at the last byte.
TEST(Tune, EveryPatternAndInstrumentReadsBackWhole) {
  const std::vector<uint8_t> xm = Tune();
  ASSERT_GT(xm.size(), 336u);
  size_t at = 60 + Le32(xm, 60);
  for (int p = 0; p < 9; ++p) {
    SCOPED_TRACE("pattern " + std::to_string(p));
    ASSERT_EQ(Le32(xm, at), 9u);
    const uint32_t rows = Le16(xm, at + 5), packed = Le16(xm, at + 7);
    EXPECT_GE(rows, 16u);
    EXPECT_LE(rows, 256u);
    size_t cell = at + 9, cells = 0;
    const size_t end = cell + packed;
    while (cell < end) {
      const uint8_t flags = xm[cell] & 0x80 ? xm[cell++] : 0x1F;
      uint8_t note = 0, instrument = 0;
      if (flags & 1) note = xm[cell++];
      if (flags & 2) instrument = xm[cell++];
      cell += (flags >> 2 & 1) + (flags >> 3 & 1) + (flags >> 4 & 1);
      EXPECT_LE(note, 97);
      EXPECT_LE(instrument, 17);
      ++cells;
    }
    EXPECT_EQ(cell, end);
    EXPECT_EQ(cells, rows * 12);
    at = end;
  }
  for (int i = 0; i < 17; ++i) {
    SCOPED_TRACE("instrument " + std::to_string(i + 1));
    ASSERT_LT(at + 263 + 40, xm.size());
    ASSERT_EQ(Le16(xm, at + 27), 1u);  // one sample
    const size_t sample = at + Le32(xm, at);
    const uint32_t length = Le32(xm, sample), loopStart = Le32(xm, sample + 4), loopLength = Le32(xm, sample + 8);
    EXPECT_GT(length, 0u);
    if (xm[sample + 14] & 3) {
      EXPECT_GT(loopLength, 0u);
      EXPECT_LE(loopStart + loopLength, length);
    }
    at = sample + 40 + length;
  }
  EXPECT_EQ(at, xm.size());
}

}  // namespace
