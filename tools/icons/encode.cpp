// The PNG encoder (with its own deflate) and the 32-bit BMP encoder.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

#include "tools/icons/icons.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBig32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutLittle(Bytes& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

//-----------------------------------------------------------------------------
// Deflate with the fixed Huffman codes (RFC 1951, 3.2.6)
//-----------------------------------------------------------------------------

// Bits go out least significant first; Huffman codes are sent from their
// most significant bit.
struct BitWriter {
  Bytes& out;
  uint32_t pending = 0;
  int count = 0;

  void Bits(uint32_t value, int n) {
    pending |= value << count;
    count += n;
    while (count >= 8) {
      out.push_back(static_cast<uint8_t>(pending));
      pending >>= 8;
      count -= 8;
    }
  }
  void Code(uint32_t code, int n) {
    uint32_t reversed = 0;
    for (int i = 0; i < n; ++i) reversed |= ((code >> i) & 1u) << (n - 1 - i);
    Bits(reversed, n);
  }
  void Finish() {
    if (count > 0) out.push_back(static_cast<uint8_t>(pending));
    pending = 0;
    count = 0;
  }
};

// Literal/length symbols 0-143: 8 bits from 0x30; 144-255: 9 bits from
// 0x190; 256-279: 7 bits from 0; 280-287: 8 bits from 0xC0.
void Symbol(BitWriter& w, int s) {
  if (s < 144) w.Code(0x30 + s, 8);
  else if (s < 256) w.Code(0x190 + (s - 144), 9);
  else if (s < 280) w.Code(s - 256, 7);
  else w.Code(0xC0 + (s - 280), 8);
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                   193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void Match(BitWriter& w, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  Symbol(w, 257 + l);
  w.Bits(static_cast<uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistanceBase[d] > distance) --d;
  w.Code(static_cast<uint32_t>(d), 5);
  w.Bits(static_cast<uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

// One final block of fixed codes. Matches are found greedily through hash
// chains of the last 32 KiB, following at most kChain links.
Bytes Deflate(const Bytes& data) {
  constexpr int kWindow = 32768, kMinMatch = 3, kMaxMatch = 258, kChain = 128;
  constexpr int kHashBits = 15;
  std::vector<int> head(1 << kHashBits, -1);
  std::vector<int> previous(data.size(), -1);
  auto hash = [&](size_t i) {
    const uint32_t v = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
    return static_cast<int>((v * 2654435761u) >> (32 - kHashBits));
  };
  auto insert = [&](size_t i) {
    if (i + kMinMatch > data.size()) return;
    const int h = hash(i);
    previous[i] = head[h];
    head[h] = static_cast<int>(i);
  };

  Bytes out;
  BitWriter w{out};
  w.Bits(1, 1);  // final block
  w.Bits(1, 2);  // fixed Huffman codes
  size_t i = 0;
  while (i < data.size()) {
    int bestLength = 0, bestDistance = 0;
    if (i + kMinMatch <= data.size()) {
      const int limit = static_cast<int>(std::min<size_t>(kMaxMatch, data.size() - i));
      int candidate = head[hash(i)];
      for (int chain = 0; candidate >= 0 && chain < kChain; ++chain, candidate = previous[candidate]) {
        const int distance = static_cast<int>(i) - candidate;
        if (distance > kWindow) break;
        int length = 0;
        while (length < limit && data[candidate + length] == data[i + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = distance;
          if (length == limit) break;
        }
      }
    }
    if (bestLength >= kMinMatch) {
      Match(w, bestLength, bestDistance);
      for (int j = 0; j < bestLength; ++j) insert(i + j);
      i += bestLength;
    } else {
      Symbol(w, data[i]);
      insert(i);
      ++i;
    }
  }
  Symbol(w, 256);  // end of block
  w.Finish();
  return out;
}

//-----------------------------------------------------------------------------
// PNG row filters (PNG 9.2): 0 none, 1 sub, 2 up, 3 average, 4 Paeth
//-----------------------------------------------------------------------------

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

Bytes FilterRow(int type, const uint8_t* row, const uint8_t* above, size_t length) {
  Bytes out(length + 1);
  out[0] = static_cast<uint8_t>(type);
  for (size_t i = 0; i < length; ++i) {
    const int a = i >= 4 ? row[i - 4] : 0;
    const int b = above != nullptr ? above[i] : 0;
    const int c = i >= 4 && above != nullptr ? above[i - 4] : 0;
    int predicted = 0;
    switch (type) {
      case 1: predicted = a; break;
      case 2: predicted = b; break;
      case 3: predicted = (a + b) / 2; break;
      case 4: predicted = Paeth(a, b, c); break;
      default: break;
    }
    out[i + 1] = static_cast<uint8_t>(row[i] - predicted);
  }
  return out;
}

// The filter with the smallest sum of its outputs read as signed bytes;
// ties go to the lower type.
Bytes BestFilteredRow(const uint8_t* row, const uint8_t* above, size_t length) {
  Bytes best;
  long bestCost = -1;
  for (int type = 0; type <= 4; ++type) {
    Bytes filtered = FilterRow(type, row, above, length);
    long cost = 0;
    for (size_t i = 1; i < filtered.size(); ++i) cost += std::abs(static_cast<int8_t>(filtered[i]));
    if (bestCost < 0 || cost < bestCost) {
      bestCost = cost;
      best = std::move(filtered);
    }
  }
  return best;
}

void Chunk(Bytes& png, const char type[4], const Bytes& body) {
  PutBig32(png, static_cast<uint32_t>(body.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), body.begin(), body.end());
  PutBig32(png, Crc32(png.data() + start, png.size() - start));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521u;
    b = (b + a) % 65521u;
  }
  return b << 16 | a;
}

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  const size_t stride = static_cast<size_t>(image.width) * 4;
  Bytes raw;
  raw.reserve((stride + 1) * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = &image.rgba[stride * y];
    const Bytes filtered = BestFilteredRow(row, y > 0 ? row - stride : nullptr, stride);
    raw.insert(raw.end(), filtered.begin(), filtered.end());
  }
  Bytes zlib = {0x78, 0x01};  // deflate, 32 KiB window, no dictionary; header check (0x7801 % 31 == 0)
  const Bytes compressed = Deflate(raw);
  zlib.insert(zlib.end(), compressed.begin(), compressed.end());
  PutBig32(zlib, Adler32(raw.data(), raw.size()));

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, static_cast<uint32_t>(image.width));
  PutBig32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits a channel, RGBA, deflate, filters, no interlace
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", zlib);
  Chunk(png, "IEND", {});
  return png;
}

std::vector<uint8_t> EncodeBmp32(const RgbaImage& image) {
  constexpr uint32_t kPixelOffset = 14 + 108;
  const uint32_t imageSize = static_cast<uint32_t>(image.width) * static_cast<uint32_t>(image.height) * 4;
  Bytes out = {'B', 'M'};
  PutLittle(out, kPixelOffset + imageSize, 4);
  PutLittle(out, 0, 4);  // two reserved words
  PutLittle(out, kPixelOffset, 4);

  PutLittle(out, 108, 4);  // BITMAPV4HEADER
  PutLittle(out, static_cast<uint32_t>(image.width), 4);
  PutLittle(out, static_cast<uint32_t>(image.height), 4);  // positive: rows run bottom-up
  PutLittle(out, 1, 2);                                     // planes
  PutLittle(out, 32, 2);                                    // bits per pixel
  PutLittle(out, 3, 4);                                     // BI_BITFIELDS: the masks below
  PutLittle(out, imageSize, 4);
  PutLittle(out, 2835, 4);  // 72 dots per inch
  PutLittle(out, 2835, 4);
  PutLittle(out, 0, 4);  // colours used
  PutLittle(out, 0, 4);  // important colours
  PutLittle(out, 0x00FF0000u, 4);  // red
  PutLittle(out, 0x0000FF00u, 4);  // green
  PutLittle(out, 0x000000FFu, 4);  // blue
  PutLittle(out, 0xFF000000u, 4);  // alpha
  out.insert(out.end(), {'B', 'G', 'R', 's'});  // colour space: sRGB, stored little-endian as the format says
  out.insert(out.end(), 36 + 12, 0);            // end points and gamma: unused for sRGB
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
  }
  return out;
}
