// Lettering: the 8x8 font, the score labels, the title logo and the credit line.
#include <cstdio>
#include <cstring>

#include "tools/art/atlas.h"

//-----------------------------------------------------------------------------
// The font: 64 bold glyphs of 7x7 for the codes 32..95, shaded from white at
// the top to orange at the bottom, with a dark shadow one pixel down and
// right that fills the 8x8 cell. "<", "=" and ">" are drawn across the whole
// cell so that "<=====>" reads as one bar with pointed ends: the menus'
// underlines.
//-----------------------------------------------------------------------------

namespace {

constexpr const char* kGlyphs[64][7] = {
    {".......", ".......", ".......", ".......", ".......", ".......", "......."},  // space
    {"..##...", "..##...", "..##...", "..##...", "..##...", ".......", "..##..."},  // !
    {".##.##.", ".##.##.", ".##.##.", ".......", ".......", ".......", "......."},  // "
    {".##.##.", "#######", ".##.##.", ".##.##.", "#######", ".##.##.", "......."},  // #
    {"...#...", ".######", "##.#...", ".#####.", "...#.##", "######.", "...#..."},  // $
    {"##...##", "##..##.", "...##..", "..##...", ".##....", "##..##.", "#...##."},  // %
    {".###...", "##.##..", ".###...", ".###.##", "##.###.", "##..##.", ".###.##"},  // &
    {"..##...", "..##...", ".##....", ".......", ".......", ".......", "......."},  // '
    {"...##..", "..##...", ".##....", ".##....", ".##....", "..##...", "...##.."},  // (
    {".##....", "..##...", "...##..", "...##..", "...##..", "..##...", ".##...."},  // )
    {".......", ".##.##.", "..###..", "#######", "..###..", ".##.##.", "......."},  // *
    {".......", "..##...", "..##...", "#######", "..##...", "..##...", "......."},  // +
    {".......", ".......", ".......", ".......", "..##...", "..##...", ".##...."},  // ,
    {".......", ".......", ".......", "#######", ".......", ".......", "......."},  // -
    {".......", ".......", ".......", ".......", ".......", "..##...", "..##..."},  // .
    {".....##", "....##.", "...##..", "..##...", ".##....", "##.....", "#......"},  // /
    {".#####.", "##...##", "##..###", "##.#.##", "###..##", "##...##", ".#####."},  // 0
    {"..##...", ".###...", "..##...", "..##...", "..##...", "..##...", "######."},  // 1
    {".#####.", "##...##", ".....##", "..####.", ".##....", "##.....", "#######"},  // 2
    {"######.", ".....##", ".....##", "..####.", ".....##", ".....##", "######."},  // 3
    {"...###.", "..####.", ".##.##.", "##..##.", "#######", "....##.", "....##."},  // 4
    {"#######", "##.....", "######.", ".....##", ".....##", "##...##", ".#####."},  // 5
    {"..####.", ".##....", "##.....", "######.", "##...##", "##...##", ".#####."},  // 6
    {"#######", "##...##", "....##.", "...##..", "..##...", "..##...", "..##..."},  // 7
    {".#####.", "##...##", "##...##", ".#####.", "##...##", "##...##", ".#####."},  // 8
    {".#####.", "##...##", "##...##", ".######", ".....##", "....##.", ".####.."},  // 9
    {".......", "..##...", "..##...", ".......", "..##...", "..##...", "......."},  // :
    {".......", "..##...", "..##...", ".......", "..##...", "..##...", ".##...."},  // ;
    {".......", ".......", ".......", ".......", ".......", ".......", "......."},  // < (drawn below)
    {".......", ".......", ".......", ".......", ".......", ".......", "......."},  // = (drawn below)
    {".......", ".......", ".......", ".......", ".......", ".......", "......."},  // > (drawn below)
    {".#####.", "##...##", "....##.", "...##..", "..##...", ".......", "..##..."},  // ?
    {".#####.", "##...##", "##.####", "##.#.##", "##.####", "##.....", ".#####."},  // @
    {"..###..", ".##.##.", "##...##", "##...##", "#######", "##...##", "##...##"},  // A
    {"######.", "##...##", "##...##", "######.", "##...##", "##...##", "######."},  // B
    {"..####.", ".##..##", "##.....", "##.....", "##.....", ".##..##", "..####."},  // C
    {"#####..", "##..##.", "##...##", "##...##", "##...##", "##..##.", "#####.."},  // D
    {"#######", "##.....", "##.....", "######.", "##.....", "##.....", "#######"},  // E
    {"#######", "##.....", "##.....", "######.", "##.....", "##.....", "##....."},  // F
    {"..#####", ".##....", "##.....", "##..###", "##...##", ".##..##", "..#####"},  // G
    {"##...##", "##...##", "##...##", "#######", "##...##", "##...##", "##...##"},  // H
    {"######.", "..##...", "..##...", "..##...", "..##...", "..##...", "######."},  // I
    {"....###", ".....##", ".....##", ".....##", "##...##", "##...##", ".#####."},  // J
    {"##...##", "##..##.", "##.##..", "####...", "##.##..", "##..##.", "##...##"},  // K
    {"##.....", "##.....", "##.....", "##.....", "##.....", "##.....", "#######"},  // L
    {"##...##", "###.###", "#######", "##.#.##", "##...##", "##...##", "##...##"},  // M
    {"##...##", "###..##", "####.##", "##.####", "##..###", "##...##", "##...##"},  // N
    {".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", ".#####."},  // O
    {"######.", "##...##", "##...##", "######.", "##.....", "##.....", "##....."},  // P
    {".#####.", "##...##", "##...##", "##...##", "##.####", "##..##.", ".###.##"},  // Q
    {"######.", "##...##", "##...##", "######.", "##.##..", "##..##.", "##...##"},  // R
    {".#####.", "##...##", "##.....", ".#####.", ".....##", "##...##", ".#####."},  // S
    {"######.", "..##...", "..##...", "..##...", "..##...", "..##...", "..##..."},  // T
    {"##...##", "##...##", "##...##", "##...##", "##...##", "##...##", ".#####."},  // U
    {"##...##", "##...##", "##...##", "##...##", ".##.##.", "..###..", "...#..."},  // V
    {"##...##", "##...##", "##...##", "##.#.##", "#######", "###.###", "##...##"},  // W
    {"##...##", "##...##", ".##.##.", "..###..", ".##.##.", "##...##", "##...##"},  // X
    {"##..##.", "##..##.", "##..##.", ".####..", "..##...", "..##...", "..##..."},  // Y
    {"#######", "....##.", "...##..", "..##...", ".##....", "##.....", "#######"},  // Z
    {"..####.", "..##...", "..##...", "..##...", "..##...", "..##...", "..####."},  // [
    {"##.....", ".##....", "..##...", "...##..", "....##.", ".....##", "......#"},  // backslash
    {".####..", "...##..", "...##..", "...##..", "...##..", "...##..", ".####.."},  // ]
    {"...#...", "..###..", ".##.##.", "##...##", ".......", ".......", "......."},  // ^
    {".......", ".......", ".......", ".......", ".......", "#######", "#######"},  // _
};

// Shading of the glyphs, top row first.
constexpr uint8_t kFontRows[7] = {White, Yellow4, Yellow3, Yellow3, Yellow2, Orange3, Orange2};

void DrawGlyph(const Pen& pen, int left, const char* const rows[7]) {
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      if (rows[y][x] == '#') pen.Pixel(left + x + 1, y + 1, Shade);
    }
  }
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 7; ++x) {
      if (rows[y][x] == '#') pen.Pixel(left + x, y, kFontRows[y]);
    }
  }
}

// The underline pieces share rows 1..3 so that they join across cells.
void DrawBarGlyphs(const Pen& pen) {
  const Legend bar{{'w', White}, {'y', Yellow3}, {'o', Orange2}, {'s', Shade}};
  Paint(pen, ('<' - 32) * 8, 0,
        {"..w.....",
         ".wyyyyyy",
         "wyyooooo",
         ".ooossss",
         "..os....",
         "...s....",
         "........",
         "........"},
        bar);
  Paint(pen, ('=' - 32) * 8, 0,
        {"........",
         "yyyyyyyy",
         "oooooooo",
         "ssssssss",
         "........",
         "........",
         "........",
         "........"},
        bar);
  Paint(pen, ('>' - 32) * 8, 0,
        {".....w..",
         "yyyyyyw.",
         "oooooyyw",
         "sssssoos",
         ".....os.",
         "......s.",
         "........",
         "........"},
        bar);
}

}  // namespace

void DrawFont(Canvas& atlas) {
  const Pen pen = CellPen(atlas, 0);
  for (int c = 0; c < 64; ++c) DrawGlyph(pen, c * 8, kGlyphs[c]);
  DrawBarGlyphs(pen);
}

//-----------------------------------------------------------------------------
// Small lettering: 3x5 digits and capitals for the score labels and the
// credit line. Glyphs are 3 wide except M, N and W.
//-----------------------------------------------------------------------------

namespace {

struct TinyGlyph {
  char c;
  const char* rows[5];
};

constexpr TinyGlyph kTiny[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}}, {'3', {"###", "..#", ".##", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", "..#", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "###"}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
};

const TinyGlyph* FindTiny(char c) {
  for (const TinyGlyph& g : kTiny) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

int TinyWidth(const char* text) {
  int width = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    const TinyGlyph* g = FindTiny(*p);
    width += (g != nullptr ? static_cast<int>(std::strlen(g->rows[0])) : 2) + (p[1] != '\0' ? 1 : 0);
  }
  return width;
}

// Writes text with its top-left at (x, y), one ink per row.
void DrawTiny(const Pen& pen, int x, int y, const char* text, const uint8_t rowInks[5]) {
  for (const char* p = text; *p != '\0'; ++p) {
    const TinyGlyph* g = FindTiny(*p);
    if (g == nullptr) {  // a space
      x += 3;
      continue;
    }
    const int width = static_cast<int>(std::strlen(g->rows[0]));
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < width; ++col) {
        if (g->rows[row][col] == '#') pen.Pixel(x + col, y + row, rowInks[row]);
      }
    }
    x += width + 1;
  }
}

}  // namespace

// "20" to "200", bright on a dark outline so they read over anything.
void DrawScoreLabels(Canvas& atlas) {
  constexpr uint8_t kInks[5] = {White, Yellow4, Yellow3, Yellow2, Orange2};
  for (int i = 0; i < 10; ++i) {
    const Pen pen = CellPen(atlas, 100 + i);
    char text[8];
    std::snprintf(text, sizeof text, "%d", 20 * (i + 1));
    DrawTiny(pen, (pen.width - TinyWidth(text)) / 2, 1, text, kInks);
    pen.Outline(Key, Shade, true);
  }
}

void DrawCreditLine(Canvas& atlas) {
  constexpr uint8_t kInks[5] = {Grey4, Grey3, Grey3, Grey2, Grey2};
  const Pen pen = CellPen(atlas, 144);
  const char* text = "VANTOMIR 2026";
  const int x = pen.width - 1 - TinyWidth(text);
  // Shadow first, then the letters over it.
  constexpr uint8_t kShadow[5] = {Shade, Shade, Shade, Shade, Shade};
  DrawTiny(pen, x + 1, 1, text, kShadow);
  DrawTiny(pen, x, 0, text, kInks);
}

//-----------------------------------------------------------------------------
// The title logo, 121x39: VANTOMIR in chrome letters 24 pixels high with a
// dark outline and a drop shadow, over an underline bar with pointed ends.
//-----------------------------------------------------------------------------

namespace {

// A row of a big letter, repeated `count` times.
struct BigRow {
  int count;
  const char* row;
};

struct BigLetter {
  int width;
  std::initializer_list<BigRow> rows;
};

const BigLetter kLogoLetters[] = {
    {13, {{10, "###.......###"}, {3, ".###.....###."}, {3, "..###...###.."}, {3, "...###.###..."},
          {3, "....#####...."}, {2, ".....###....."}}},                                                    // V
    {13, {{2, "....#####...."}, {2, "...###.###..."}, {2, "..###...###.."}, {2, ".###.....###."},
          {5, "###.......###"}, {3, "#############"}, {8, "###.......###"}}},                              // A
    {13, {{3, "####......###"}, {3, "#####.....###"}, {3, "######....###"}, {3, "###.###...###"},
          {3, "###..###..###"}, {3, "###...###.###"}, {3, "###....######"}, {3, "###.....#####"}}},     // N
    {13, {{3, "#############"}, {21, ".....###....."}}},                                                  // T
    {13, {{1, "..#########.."}, {1, ".###########."}, {1, "#############"}, {1, "####.....####"},
          {16, "###.......###"}, {1, "####.....####"}, {1, "#############"}, {1, ".###########."},
          {1, "..#########.."}}},                                                                          // O
    {15, {{3, "####.......####"}, {3, "#####.....#####"}, {3, "######...######"}, {3, "###.###.###.###"},
          {3, "###..#####..###"}, {3, "###...###...###"}, {6, "###.........###"}}},                        // M
    {5, {{3, "#####"}, {18, ".###."}, {3, "#####"}}},                                                      // I
    {13, {{1, "###########.."}, {1, "############."}, {1, "#############"}, {6, "###.......###"},
          {1, "#############"}, {1, "############."}, {1, "###########.."}, {2, "###....###..."},
          {2, "###.....###.."}, {3, "###......###."}, {5, "###.......###"}}},                              // R
};

constexpr int kLetterHeight = 24;
constexpr int kLetterTop = 1;
constexpr int kLetterGap = 2;

// Chrome: a light sky over a warm horizon, split by a bright line.
constexpr uint8_t kChrome[kLetterHeight] = {
    White,  Blue4,  Blue4,  Blue4,  Blue3,   Blue3,   Blue3,   Blue2,   Blue2,   Blue2,   Blue1,   Blue1,
    White,  Purple3, Pink3, Pink3,  Pink2,   Pink2,   Orange2, Orange2, Orange3, Orange3, Yellow3, Yellow4,
};

constexpr int kBarTop = 30;     // first row of the underline's fill
constexpr int kBarHeight = 4;
constexpr uint8_t kBarRows[kBarHeight] = {White, Cyan3, Cyan2, Blue2};

}  // namespace

void DrawTitleLogo(Canvas& atlas) {
  const Pen pen = CellPen(atlas, 142);
  // The letter fills, centred.
  int total = -kLetterGap;
  for (const BigLetter& letter : kLogoLetters) total += letter.width + kLetterGap;
  int x = (pen.width - total) / 2;
  for (const BigLetter& letter : kLogoLetters) {
    int y = kLetterTop;
    for (const BigRow& row : letter.rows) {
      for (int n = 0; n < row.count; ++n, ++y) {
        for (int col = 0; col < letter.width; ++col) {
          if (row.row[col] == '#') pen.Pixel(x + col, y, kChrome[y - kLetterTop]);
        }
      }
    }
    x += letter.width + kLetterGap;
  }
  // The underline: a bar with diamond ends, under the whole word.
  const int barLeft = (pen.width - total) / 2 + 2;
  const int barRight = pen.width - 1 - barLeft;
  for (int row = 0; row < kBarHeight; ++row) pen.HLine(barLeft + 3, kBarTop + row, barRight - barLeft - 5, kBarRows[row]);
  for (int side = 0; side < 2; ++side) {
    const int cx = side == 0 ? barLeft + 2 : barRight - 2;
    for (int r = 0; r < 8; ++r) {
      const int half = r < 4 ? r : 7 - r;
      pen.HLine(cx - half, kBarTop - 2 + r, 2 * half + 1, r < 4 ? White : Cyan2);
    }
  }
  pen.Outline(Key, Shade, true);
  // A drop shadow two pixels down and right, behind everything.
  for (int y = pen.height - 1; y >= 0; --y) {
    for (int col = pen.width - 1; col >= 0; --col) {
      if (pen.At(col, y) != Key) continue;
      if (col >= 2 && y >= 2 && pen.At(col - 2, y - 2) != Key) pen.Pixel(col, y, Purple0);
    }
  }
}
