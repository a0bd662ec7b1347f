// vantomir-picture-check SCREEN.ppm columns|rows: measures how the screen
// shows the picture of vantomir-picture-probe, whose game columns (or rows)
// are pure red, green and blue in turn.
//
// It finds the picture (everything that is not black) and checks that it is
// 4:3 and centred, then walks one line of screen pixels across it. Every
// screen pixel must be a game column's pure colour or a blend of two
// neighbouring game columns' colours (their channels add up to full
// brightness: nothing of the black bars or a third column is mixed in).
// Every line across the picture must be the same. Passes when:
//   - all 640 columns (480 rows) are there, in order;
//   - the pure screen pixels of any two game columns differ in number by at
//     most one;
//   - between two game columns there is at most one blended screen pixel;
//   - every game column gets the same share of the screen (its pure pixels
//     plus its part of the blended ones) within 0.6 of a screen pixel: the
//     picture is even. Exact filtering stays within half a pixel at any
//     size, rounding adds a little; plain nearest scaling at a size like
//     2.25x makes some columns 2 and others 3 pixels wide, a whole pixel
//     apart.
// Prints what it measured. Exit status 0: passed; 1: failed; 2: usage or
// unreadable file; 3: no picture of the probe on the screen (yet).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "platform/display.h"

namespace {

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

// A binary PPM (P6) with 8-bit samples, as ImageMagick writes it.
bool ReadPpm(const char* path, Image* image) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  auto skipComments = [&in] {
    while (in >> std::ws && in.peek() == '#') in.ignore(1 << 20, '\n');
  };
  in >> magic;
  for (int* value : {&image->width, &image->height, &maxValue}) {
    skipComments();
    in >> *value;
  }
  if (!in || magic != "P6" || maxValue != 255 || image->width <= 0 || image->height <= 0) return false;
  in.get();
  image->rgb.resize(size_t(image->width) * image->height * 3);
  in.read(reinterpret_cast<char*>(image->rgb.data()), std::streamsize(image->rgb.size()));
  return bool(in);
}

bool IsBlack(const uint8_t* p) { return p[0] + p[1] + p[2] <= 24; }

// One screen pixel of the pattern: the game column's colour index (0 red,
// 1 green, 2 blue) and how much of it there is; for a blend, `first` is the
// earlier of the two neighbouring colours in the pattern's order.
struct Sample {
  enum Kind { Pure, Blend, Other } kind = Other;
  int first = 0;
  double firstShare = 1;  // of the screen pixel; the next colour has the rest
};

Sample Classify(const uint8_t* p) {
  constexpr int kTrace = 6;  // what rounding may leave of a colour that is not there
  Sample s;
  const int total = p[0] + p[1] + p[2];
  if (std::abs(total - 255) > 3 * kTrace) return s;
  int present[3], count = 0;
  for (int c = 0; c < 3; ++c) {
    if (p[c] > kTrace) present[count++] = c;
  }
  if (count == 1) {
    s.kind = Sample::Pure;
    s.first = present[0];
  } else if (count == 2) {
    // Neighbours in the pattern: 0 then 1, 1 then 2, 2 then 0.
    const int a = present[0], b = present[1];
    s.first = (a + 1) % 3 == b ? a : b;
    s.kind = Sample::Blend;
    s.firstShare = double(p[s.first]) / total;
  }
  return s;
}

struct Measure {
  std::string error;     // empty when the line reads as the pattern
  std::vector<int> pure;  // per game column
  std::vector<int> blended;  // per edge between game column j and j+1
  std::vector<double> share;
};

// Walks one line of screen pixels across the picture.
Measure Walk(const std::vector<const uint8_t*>& line, int gameCount) {
  Measure m;
  m.pure.assign(gameCount, 0);
  m.blended.assign(gameCount, 0);
  m.share.assign(gameCount, 0);
  int j = 0;  // the game column of the last pure pixel, or just after the last blend
  bool afterBlend = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const Sample s = Classify(line[i]);
    auto fail = [&](const std::string& what) {
      m.error = what + " at screen pixel " + std::to_string(i) + " of the line";
      return m;
    };
    if (s.kind == Sample::Other) {
      const uint8_t* p = line[i];
      return fail("colour " + std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]) +
                  " is no colour of the pattern nor a blend of two neighbours");
    }
    // How many game columns on from j this pixel starts.
    const int step = (s.first - j % 3 + 3) % 3;
    if (s.kind == Sample::Pure) {
      if (step == 2) return fail("game column " + std::to_string(j + 1) + " is missing");
      j += step;
      afterBlend = false;
      if (j >= gameCount) break;
      m.pure[j]++;
      m.share[j] += 1;
      continue;
    }
    // A blend of column j + step and the next one. Just after a blend that
    // moved on to j, a blend of j - 1 and j is a second one at that edge.
    int edge = j + step;
    if (step == 2) {
      if (!afterBlend) return fail("a blend skips game column " + std::to_string(j));
      edge = j - 1;
    }
    if (edge + 1 >= gameCount) return fail("a blend beyond the last game column");
    m.blended[edge]++;
    m.share[edge] += s.firstShare;
    m.share[edge + 1] += 1 - s.firstShare;
    j = edge + 1;
    afterBlend = true;
  }
  if (j != gameCount - 1) {
    m.error = "the line ends at game column " + std::to_string(j) + " of " + std::to_string(gameCount);
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[2], "columns") != 0 && std::strcmp(argv[2], "rows") != 0)) {
    std::fprintf(stderr, "usage: vantomir-picture-check SCREEN.ppm columns|rows\n");
    return 2;
  }
  Image image;
  if (!ReadPpm(argv[1], &image)) {
    std::fprintf(stderr, "vantomir-picture-check: cannot read %s as an 8-bit binary PPM\n", argv[1]);
    return 2;
  }
  const bool rows = std::strcmp(argv[2], "rows") == 0;
  const char* what = rows ? "rows" : "columns";

  // The picture: the bounding box of everything that is not black.
  int left = image.width, right = -1, top = image.height, bottom = -1;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (IsBlack(image.At(x, y))) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0 || Classify(image.At((left + right) / 2, (top + bottom) / 2)).kind == Sample::Other) {
    std::printf("%s: no picture of the probe on the %dx%d screen\n", what, image.width, image.height);
    return 3;
  }
  const int width = right - left + 1, height = bottom - top + 1;
  std::printf("%s: screen %dx%d, picture %dx%d at (%d, %d)", what, image.width, image.height, width, height,
              left, top);
  bool passed = true;
  auto failure = [&passed](const std::string& text) {
    std::printf("\n  FAILED: %s", text.c_str());
    passed = false;
  };
  if (std::abs(width * 3 - height * 4) > 4) failure("the picture is not 4:3");
  if (width != image.width && height != image.height) failure("the picture touches no two sides of the screen");
  if (std::abs(left - (image.width - 1 - right)) > 1 || std::abs(top - (image.height - 1 - bottom)) > 1) {
    failure("the picture is not centred");
  }

  // The lines across the picture: screen rows for columns, screen columns
  // for rows. They must all be the same; the middle one is measured.
  const int gameCount = rows ? platform::kFrameHeight : platform::kFrameWidth;
  const int across = rows ? width : height, along = rows ? height : width;
  auto line = [&](int k) {
    std::vector<const uint8_t*> pixels(along);
    for (int i = 0; i < along; ++i) pixels[i] = rows ? image.At(left + k, top + i) : image.At(left + i, top + k);
    return pixels;
  };
  const std::vector<const uint8_t*> middle = line(across / 2);
  auto samePixel = [](const uint8_t* a, const uint8_t* b) { return std::memcmp(a, b, 3) == 0; };
  for (int k = 0; k < across; ++k) {
    const std::vector<const uint8_t*> other = line(k);
    const auto differs = std::mismatch(other.begin(), other.end(), middle.begin(), samePixel).first;
    if (differs != other.end()) {
      failure("line " + std::to_string(k) + " across the picture differs from the middle one at pixel " +
              std::to_string(differs - other.begin()));
      break;
    }
  }
  const Measure m = Walk(middle, gameCount);
  if (!m.error.empty()) {
    failure(m.error);
    std::printf("\n");
    return 1;
  }
  const auto [pureMin, pureMax] = std::minmax_element(m.pure.begin(), m.pure.end());
  const auto [shareMin, shareMax] = std::minmax_element(m.share.begin(), m.share.end());
  const int blendedTotal = std::accumulate(m.blended.begin(), m.blended.end(), 0);
  const int blendedMost = *std::max_element(m.blended.begin(), m.blended.end());
  std::printf("\n  %d %s, each %d to %d pure screen pixels; %d blended screen pixels, at most %d at one edge;"
              " share of the screen %.3f to %.3f (scale %.3f)",
              gameCount, what, *pureMin, *pureMax, blendedTotal, blendedMost, *shareMin, *shareMax,
              double(along) / gameCount);
  if (*pureMax - *pureMin > 1) failure("pure widths differ by more than one");
  if (blendedMost > 1) failure("more than one blended screen pixel at one edge");
  if (*shareMax - *shareMin > 0.6) failure("the game's " + std::string(what) + " get uneven shares of the screen");
  std::printf("\n");
  return passed ? 0 : 1;
}
