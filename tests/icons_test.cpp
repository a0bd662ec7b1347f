// The application icons: the generator still writes the committed files and the game carries the window icon; every
// PNG reads back whole through a decoder of our own (chunk CRCs, zlib check, filters) as a square RGBA picture of its
// size, with the atlas's ship on whole pixels at a whole scale, transparent corners; the window icon is the 64 px
// picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "assets/embedded.h"
#include "render/graphics.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
fs::path Assets() { return fs::path(VANTOMIR_SOURCE_DIR) / "assets"; }

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

uint32_t Be32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
uint32_t Le32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint32_t BitwiseCrc32(const uint8_t* p, size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// Inflates stored and fixed-code blocks (RFC 1951), the only kinds the encoder writes; false on anything else.
struct Inflater {
  const Bytes& in;
  size_t bit = 0;
  bool overrun = false;  // read past the end of the data
  Bytes out;

  bool More(int n) const { return bit + n <= in.size() * 8; }
  uint32_t Bits(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++bit) {
      if (bit / 8 >= in.size()) overrun = true;
      else v |= uint32_t(in[bit / 8] >> (bit % 8) & 1) << i;
    }
    return v;
  }
  // A fixed literal/length symbol: read bit by bit from its most significant bit.
  int Symbol() {
    uint32_t code = 0;
    for (int len = 1; len <= 9 && More(1); ++len) {
      code = code << 1 | Bits(1);
      if (len == 7 && code <= 0x17) return int(code) + 256;
      if (len == 8 && code >= 0x30 && code <= 0xBF) return int(code) - 0x30;
      if (len == 8 && code >= 0xC0 && code <= 0xC7) return int(code) - 0xC0 + 280;
      if (len == 9 && code >= 0x190) return int(code) - 0x190 + 144;
    }
    return -1;
  }
  bool Run() {
    static const int lbase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int lextra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    for (bool last = false; !last;) {
      if (!More(3)) return false;
      last = Bits(1) == 1;
      const uint32_t type = Bits(2);
      if (type == 0) {
        bit = (bit + 7) / 8 * 8;
        if (!More(32)) return false;
        const uint32_t len = Bits(16), nlen = Bits(16);
        if ((len ^ 0xFFFFu) != nlen || !More(int(len) * 8)) return false;
        for (uint32_t i = 0; i < len; ++i) out.push_back(uint8_t(Bits(8)));
        continue;
      }
      if (type != 1) return false;
      for (;;) {
        const int s = Symbol();
        if (s < 0 || s > 285) return false;
        if (s < 256) {
          out.push_back(uint8_t(s));
          continue;
        }
        if (s == 256) break;
        const int length = lbase[s - 257] + int(Bits(lextra[s - 257]));
        uint32_t d = 0;
        for (int i = 0; i < 5; ++i) d = d << 1 | Bits(1);
        if (d > 29) return false;
        const int dextra = d < 4 ? 0 : int(d) / 2 - 1;
        const int dbase = d < 4 ? int(d) + 1 : ((2 + (int(d) & 1)) << dextra) + 1;
        const size_t distance = size_t(dbase) + Bits(dextra);
        if (distance > out.size() || overrun) return false;
        for (int i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
      }
    }
    return !overrun;
  }
};

struct Picture {
  int width = 0, height = 0;
  Bytes rgba;
  const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Reads an 8-bit RGBA PNG, checking every chunk's CRC, the zlib header and Adler-32; fails the test on a fault.
Picture DecodePng(const Bytes& png, const std::string& name) {
  Picture p;
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(png.size() > 8 && Bytes(png.begin(), png.begin() + 8) == signature) << name;
  Bytes idat;
  std::vector<std::string> chunks;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = Be32(png, at);
    if (at + 12 + length > png.size()) {
      ADD_FAILURE() << name << ": chunk runs past the end";
      return p;
    }
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    EXPECT_EQ(Be32(png, at + 8 + length), BitwiseCrc32(&png[at + 4], length + 4)) << name << " " << type;
    chunks.push_back(type);
    if (type == "IHDR") {
      p.width = int(Be32(png, at + 8));
      p.height = int(Be32(png, at + 12));
      EXPECT_EQ(Bytes(png.begin() + at + 16, png.begin() + at + 21), (Bytes{8, 6, 0, 0, 0})) << name;
    }
    if (type == "IDAT") idat.insert(idat.end(), png.begin() + at + 8, png.begin() + at + 8 + length);
    at += 12 + length;
  }
  EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"})) << name;
  if (idat.size() < 6 || (idat[0] * 256 + idat[1]) % 31 != 0 || (idat[0] & 0x0F) != 8) {
    ADD_FAILURE() << name << ": bad zlib header";
    return p;
  }
  const Bytes deflated(idat.begin() + 2, idat.end() - 4);
  Inflater inflate{deflated};
  const size_t stride = size_t(p.width) * 4;
  if (!inflate.Run() || inflate.out.size() != (stride + 1) * size_t(p.height)) {
    ADD_FAILURE() << name << ": deflate data does not inflate to the picture";
    return p;
  }
  uint32_t a = 1, b = 0;
  for (uint8_t v : inflate.out) a = (a + v) % 65521, b = (b + a) % 65521;
  EXPECT_EQ(Be32(idat, idat.size() - 4), b << 16 | a) << name;

  p.rgba.resize(stride * size_t(p.height));
  for (int y = 0; y < p.height; ++y) {
    const uint8_t filter = inflate.out[y * (stride + 1)];
    EXPECT_LE(filter, 4) << name;
    for (size_t i = 0; i < stride; ++i) {
      const int left = i >= 4 ? p.rgba[y * stride + i - 4] : 0;
      const int up = y > 0 ? p.rgba[(y - 1) * stride + i] : 0;
      const int corner = i >= 4 && y > 0 ? p.rgba[(y - 1) * stride + i - 4] : 0;
      const int pa = std::abs(up - corner), pb = std::abs(left - corner), pc = std::abs(left + up - 2 * corner);
      const int paeth = pa <= pb && pa <= pc ? left : (pb <= pc ? up : corner);
      const int predicted[5] = {0, left, up, (left + up) / 2, paeth};
      p.rgba[y * stride + i] = uint8_t(inflate.out[y * (stride + 1) + 1 + i] + predicted[filter % 5]);
    }
  }
  return p;
}

// The ship facing right, read from the committed atlas: 0x00RRGGBB, or -1 where transparent (magenta).
std::vector<int64_t> AtlasShip() {
  const Bytes bmp = ReadFile(Assets() / "atlas.bmp");
  const AtlasCut* cut = nullptr;
  for (const AtlasCut& c : kAtlasCuts) cut = c.sprite == 19 ? &c : cut;
  std::vector<int64_t> ship;
  for (int y = 0; y < cut->height; ++y) {
    for (int x = 0; x < cut->width; ++x) {
      const size_t index = bmp[1078 + size_t(75 - 1 - (cut->y + y)) * 512 + size_t(cut->x + x)];
      const uint32_t rgb = uint32_t(bmp[54 + 4 * index + 2]) << 16 | bmp[54 + 4 * index + 1] << 8 | bmp[54 + 4 * index];
      ship.push_back(rgb == 0xFF00FF ? -1 : int64_t(rgb));
    }
  }
  return ship;
}

// Where each size puts the 16x8 sprite and at what scale: whole pixels, centred across, from 48 px a little above
// the middle.
struct Placement {
  int size, scale, x, y;
};
constexpr Placement kPlacements[] = {{16, 1, 0, 4},   {22, 1, 3, 7},   {24, 1, 4, 8},    {32, 2, 0, 8},
                                     {48, 2, 8, 15},  {64, 3, 8, 18},  {128, 6, 16, 36}, {256, 12, 32, 72}};

TEST(Icons, GeneratorReproducesTheCommittedFilesAndTheGameCarriesTheWindowIcon) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-icons-" + std::to_string(getpid()));
  ASSERT_EQ(std::system(("\"" + std::string(GENERATE_ICONS) + "\" \"" + dir.string() + "\"").c_str()), 0);
  std::vector<std::string> names = {"icons/vantomir.svg", "window_icon.bmp"};
  for (int size : kSizes) names.push_back("icons/vantomir-" + std::to_string(size) + ".png");
  for (const std::string& name : names) {
    const Bytes drawn = ReadFile(dir / name);
    EXPECT_FALSE(drawn.empty()) << name;
    EXPECT_TRUE(drawn == ReadFile(Assets() / name)) << "assets/" << name << " differs from what generate-icons writes";
  }
  const EmbeddedFile* embedded = FindEmbeddedFile("window_icon.bmp");
  ASSERT_NE(embedded, nullptr);
  EXPECT_TRUE(Bytes(embedded->data, embedded->data + embedded->size) == ReadFile(Assets() / "window_icon.bmp"));
  fs::remove_all(dir);
  EXPECT_NE(std::system(("\"" + std::string(GENERATE_ICONS) + "\" 2> /dev/null").c_str()), 0);
}

TEST(Icons, EveryPngShowsTheAtlasShipOnWholePixelsInsideTransparentCorners) {
  const std::vector<int64_t> ship = AtlasShip();
  ASSERT_EQ(ship.size(), 128u);
  for (const Placement& at : kPlacements) {
    const std::string name = "vantomir-" + std::to_string(at.size) + ".png";
    const Picture p = DecodePng(ReadFile(Assets() / "icons" / name), name);
    ASSERT_EQ(p.width, at.size) << name;
    ASSERT_EQ(p.height, at.size) << name;
    int wrong = 0;
    for (int y = 0; y < 8 * at.scale; ++y) {
      for (int x = 0; x < 16 * at.scale; ++x) {
        const int64_t ink = ship[(y / at.scale) * 16 + x / at.scale];
        if (ink < 0) continue;
        const uint8_t* q = p.At(at.x + x, at.y + y);
        wrong += (int64_t(q[0]) << 16 | q[1] << 8 | q[2]) != ink || q[3] != 255;
      }
    }
    EXPECT_EQ(wrong, 0) << name << ": pixels of the ship that are not the sprite's";
    const int last = at.size - 1;
    const std::pair<int, int> corners[] = {{0, 0}, {last, 0}, {0, last}, {last, last}};
    for (const auto& [x, y] : corners) {
      EXPECT_EQ(p.At(x, y)[3], 0) << name << " corner " << x << "," << y;
    }
    EXPECT_EQ(p.At(at.size / 2, at.size - 1 - at.size / 10)[3], 255) << name << ": the square is opaque";
  }
}

TEST(Icons, WindowIconIsThe64PixelPictureAsA32BitBmpWithAlpha) {
  const Bytes bmp = ReadFile(Assets() / "window_icon.bmp");
  ASSERT_EQ(bmp.size(), 122u + 64 * 64 * 4);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  // File size, pixel offset, a BITMAPV4HEADER of 64x64 bottom-up, 1 plane of 32 bits, BI_BITFIELDS; masks R G B A.
  const std::vector<uint32_t> header = {Le32(bmp, 2),  Le32(bmp, 10), Le32(bmp, 14), Le32(bmp, 18), Le32(bmp, 22),
                                        Le32(bmp, 26), Le32(bmp, 30), Le32(bmp, 54), Le32(bmp, 58), Le32(bmp, 62),
                                        Le32(bmp, 66)};
  EXPECT_EQ(header, (std::vector<uint32_t>{16506, 122, 108, 64, 64, 0x00200001, 3, 0x00FF0000, 0x0000FF00, 0x000000FF,
                                           0xFF000000}));
  const Picture png = DecodePng(ReadFile(Assets() / "icons" / "vantomir-64.png"), "vantomir-64.png");
  ASSERT_EQ(png.width, 64);
  int differ = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t* b = &bmp[122 + (size_t(63 - y) * 64 + x) * 4];
      const uint8_t* q = png.At(x, y);
      differ += b[0] != q[2] || b[1] != q[1] || b[2] != q[0] || b[3] != q[3];
    }
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace
