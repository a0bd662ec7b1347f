// Display services: the screen, the sprite bank, blits, light maps, cuts,
// painting and image loading, checked by reading pixels back.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display.h"
#include "platform/headless.h"
#include "render/display.h"

namespace {

constexpr Colour kMagenta = MakeColour(255, 0, 255);

class DisplayFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    ResetDisplayServices();
  }
  void TearDown() override {
    if (IsDisplayOpen()) CloseDisplay();
    ResetDisplayServices();
  }
};
using DisplayBlit = DisplayFixture;
using DisplayTarget = DisplayFixture;
using DisplayImage = DisplayFixture;
using DisplayPaint = DisplayFixture;
using DisplayScreen = DisplayFixture;

uint32_t PixelAt(int n, int x, int y) { return ViewSprite(n).pixels[y * ViewSprite(n).width + x]; }

// A sprite whose pixels all differ: red = 1 + x, green = 1 + y.
void MakeNumberedSprite(int n, int width, int height) {
  ASSERT_TRUE(CreateSprite(n, width, height, false));
  uint32_t* pixels = SpritePixelsForWriting(n);
  for (int i = 0; i < width * height; ++i) {
    pixels[i] = static_cast<uint32_t>((1 + i % width) << 16 | (1 + i / width) << 8);
  }
}

// An 8-bit palettised BMP file image, rows given top first; palette entry i
// is (red i, green 255 - i, blue i / 2).
std::vector<uint8_t> MakeBmp(int width, int height, const std::vector<uint8_t>& topFirst) {
  const int stride = (width + 3) & ~3;
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::vector<uint8_t> file(offset + static_cast<size_t>(stride) * height, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  file[26] = 1;
  file[28] = 8;
  for (int i = 0; i < 256; ++i) put32(54 + 4 * i, static_cast<uint32_t>(i << 16 | (255 - i) << 8 | i / 2));
  for (int i = 0; i < width * height; ++i) {
    file[offset + static_cast<size_t>(height - 1 - i / width) * stride + i % width] = topFirst[i];
  }
  return file;
}

uint32_t PaletteColour(int i) { return static_cast<uint32_t>(i << 16 | (255 - i) << 8 | i / 2); }

// Every placement around and across each edge of the target, with and
// without a source rectangle: exactly the part of the source that lands
// inside is drawn, and nothing else changes.
TEST_F(DisplayBlit, ClipsAtEveryEdge) {
  constexpr int kTarget = 1, kSource = 2, kW = 10, kH = 7;
  MakeNumberedSprite(kSource, 4, 3);
  struct Rect {
    int x, y, w, h;
  };
  for (Rect src : {Rect{0, 0, 4, 3}, Rect{1, 1, 2, 2}}) {
    SetSourceRect(kSource, src.x, src.y, src.w, src.h);
    for (int y = -src.h - 1; y <= kH + 1; ++y) {
      for (int x = -src.w - 1; x <= kW + 1; ++x) {
        ASSERT_TRUE(CreateSprite(kTarget, kW, kH, false));
        SelectTarget(kTarget);
        ClearTarget(MakeColour(9, 9, 9));
        Blit(kSource, x, y);
        for (int ty = 0; ty < kH; ++ty) {
          for (int tx = 0; tx < kW; ++tx) {
            const int sx = tx - x, sy = ty - y;
            const bool covered = sx >= 0 && sx < src.w && sy >= 0 && sy < src.h;
            ASSERT_EQ(PixelAt(kTarget, tx, ty), covered ? PixelAt(kSource, src.x + sx, src.y + sy) : 0x090909u)
                << "blit at " << x << "," << y << " pixel " << tx << "," << ty;
          }
        }
      }
    }
  }
}

TEST_F(DisplayBlit, KeyedBlitSkipsOnlyTheSpritesOwnKey) {
  ASSERT_TRUE(CreateSprite(1, 8, 8, false));
  SetTransparentColour(-1, kMagenta);  // the default key, for sprites made from now on
  ASSERT_TRUE(CreateSprite(2, 5, 4, false));
  SelectTarget(2);
  ClearTarget(kMagenta);
  SelectTarget(1);
  ClearTarget(MakeColour(1, 2, 3));
  BlitKeyed(2, 2, 2);  // all key: the target stays as it was
  for (int i = 0; i < 64; ++i) ASSERT_EQ(ViewSprite(1).pixels[i], 0x010203u);

  // Top row black, the rest key; then black becomes the key.
  for (int i = 0; i < 5; ++i) SpritePixelsForWriting(2)[i] = 0;
  BlitKeyed(2, 0, 0);
  EXPECT_EQ(PixelAt(1, 4, 0), 0u);
  EXPECT_EQ(PixelAt(1, 4, 1), 0x010203u);
  SetTransparentColour(2, MakeColour(0, 0, 0));
  ClearTarget(MakeColour(1, 2, 3));
  BlitKeyed(2, 0, 0);
  EXPECT_EQ(PixelAt(1, 4, 0), 0x010203u);
  EXPECT_EQ(PixelAt(1, 4, 1), 0xFF00FFu);
}

TEST_F(DisplayBlit, SourceRectIsCutToTheSpriteAndCanBeRestored) {
  MakeNumberedSprite(2, 128, 16);
  ASSERT_TRUE(CreateSprite(1, 32, 16, false));
  SelectTarget(1);
  SetSourceRect(2, 120, 0, 16, 16);  // runs 8 pixels past the right edge
  Blit(2, 0, 0);
  EXPECT_EQ(PixelAt(1, 7, 15), PixelAt(2, 127, 15));
  EXPECT_EQ(PixelAt(1, 8, 0), 0u);  // only 8 columns came
  SetSourceRect(2, -1, -1, -1, -1);
  Blit(2, -100, 0);
  EXPECT_EQ(PixelAt(1, 27, 5), PixelAt(2, 127, 5));
  EXPECT_EQ(PixelAt(1, 28, 5), 0u);
}

// Each byte v other than 128 moves every channel by v - 128, clamped.
TEST_F(DisplayBlit, LightMapShiftsAndClampsEachChannel) {
  const std::vector<uint8_t> bmp = MakeBmp(3, 1, {116, 136, 128});
  ASSERT_TRUE(LoadSpriteImage(7, bmp.data(), bmp.size(), ImageKind::LightMapImage));
  ASSERT_TRUE(CreateSprite(1, 3, 2, false));
  SelectTarget(1);
  ClearTarget(MakeColour(5, 250, 128));
  BlitLightMap(7, 0, 0);
  EXPECT_EQ(PixelAt(1, 0, 0), 0x00EE74u);  // 5 -> 0, 250 -> 238, 128 -> 116
  EXPECT_EQ(PixelAt(1, 1, 0), 0x0DFF88u);  // 5 -> 13, 250 -> 255, 128 -> 136
  EXPECT_EQ(PixelAt(1, 2, 0), 0x05FA80u);  // 128: unchanged
  EXPECT_EQ(PixelAt(1, 0, 1), 0x05FA80u);  // below the light map
  SelectTarget(7);  // a light map cannot be a target
  EXPECT_EQ(SelectedTarget(), 1);
}

TEST_F(DisplayTarget, CutMustLieInsideTheTarget) {
  MakeNumberedSprite(255, 512, 75);
  SetTransparentColour(-1, kMagenta);
  SelectTarget(255);
  ASSERT_TRUE(CutSprite(0, 0, 0, 512, 8));
  EXPECT_EQ(ViewSprite(0).width, 512);
  EXPECT_EQ(PixelAt(0, 511, 7), PixelAt(255, 511, 7));
  ASSERT_TRUE(CutSprite(3, 492, 67, 20, 8));  // touching the bottom-right corner
  EXPECT_EQ(PixelAt(3, 19, 7), PixelAt(255, 511, 74));
  EXPECT_FALSE(CutSprite(1, 500, 0, 16, 8));
  EXPECT_FALSE(CutSprite(1, -1, 0, 8, 8));
  EXPECT_FALSE(CutSprite(1, 0, 68, 8, 8));
  EXPECT_FALSE(SpriteExists(1));

  // Cuts are keyed with the default key.
  SelectTarget(0);
  ClearTarget(kMagenta);
  SelectTarget(3);
  BlitKeyed(0, 0, 0);
  EXPECT_EQ(PixelAt(3, 19, 7), PixelAt(255, 511, 74));
}

TEST_F(DisplayTarget, SelectionIgnoresFreeNumbersAndPresentReturnsToTheScreen) {
  ASSERT_TRUE(CreateSprite(5, 4, 4, false));
  SelectTarget(5);
  SelectTarget(6);  // free
  ClearTarget(MakeColour(0, 0, 200));
  EXPECT_EQ(PixelAt(5, 3, 3), 0x0000C8u);
  FreeSprite(5);
  ClearTarget(MakeColour(2, 2, 2));  // the selected sprite is gone: nothing to draw into
  PresentFrame();
  EXPECT_EQ(SelectedTarget(), ScreenTarget);
  SelectTarget(5);
  BeginPass();
  EXPECT_EQ(SelectedTarget(), ScreenTarget);
  ClearTarget(MakeColour(10, 20, 30));
  EXPECT_EQ(BackBuffer()[kScreenWidth * kScreenHeight - 1], 0x0A141Eu);
}

TEST_F(DisplayPaint, LinesLeaveOutTheEndPointAndEverythingClips) {
  ASSERT_TRUE(CreateSprite(1, 8, 8, false));
  BeginPaint(1);
  PaintLine(2, 1, 3, 0, MakeColour(255, 0, 0));    // (2..4, 1)
  PaintLine(7, 7, -4, -4, MakeColour(0, 255, 0));  // (7, 7) up to (4, 4)
  PaintLine(6, 0, 1, 4, MakeColour(9, 9, 9));      // steep: (6, 0), (6, 1), (7, 2), (7, 3)
  PaintLine(-5, 6, 100, 0, MakeColour(1, 1, 1));   // runs off both sides of row 6
  PaintBox(6, -2, 10, 3, MakeColour(2, 2, 2));     // clipped to (6..7, 0)
  PaintPixel(0, 7, MakeColour(3, 4, 5));
  EndPaint();
  const char* expected[8] = {"......##", "..rrr.s.", ".......s", ".......s",
                             "....g...", ".....g..", "wwwwwwww", "p......g"};
  const std::pair<char, uint32_t> colours[] = {{'.', 0u},       {'r', 0xFF0000u}, {'g', 0x00FF00u}, {'s', 0x090909u},
                                               {'w', 0x010101u}, {'#', 0x020202u}, {'p', 0x030405u}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      for (const auto& [c, pixel] : colours) {
        if (c == expected[y][x]) {
          EXPECT_EQ(PixelAt(1, x, y), pixel) << x << "," << y;
        }
      }
    }
  }
}

TEST_F(DisplayImage, LoadsPalettisedBitmapsTopRowFirst) {
  const std::vector<uint8_t> values = {0, 1, 2, 200, 254, 255};
  const std::vector<uint8_t> bmp = MakeBmp(3, 2, values);  // rows padded from 3 to 4 bytes
  ASSERT_TRUE(LoadSpriteImage(256, bmp.data(), bmp.size(), ImageKind::TextureImage));
  ASSERT_TRUE(LoadSpriteImage(120, bmp.data(), bmp.size(), ImageKind::LightMapImage));
  ASSERT_EQ(ViewSprite(256).width, 3);
  ASSERT_EQ(ViewSprite(256).height, 2);
  EXPECT_EQ(ViewSprite(120).pixels, nullptr);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ViewSprite(256).pixels[i], PaletteColour(values[i])) << i;
    EXPECT_EQ(ViewSprite(120).levels[i], values[i]) << i;
  }
}

TEST_F(DisplayImage, DamagedImagesMakeNothing) {
  const std::vector<uint8_t> good = MakeBmp(5, 3, std::vector<uint8_t>(15, 7));
  // Every truncation short of the last row's pixels fails, reading nothing
  // past the end (each copy is exactly as long as it claims).
  const size_t needed = good.size() - 3;  // the last row may come without its padding
  for (size_t size = 0; size < good.size(); ++size) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    ASSERT_EQ(LoadSpriteImage(1, cut.data(), cut.size(), ImageKind::PlainImage), size >= needed) << size;
  }
  const std::pair<size_t, uint8_t> damage[] = {
      {0, 'X'},   // not "BM"
      {11, 64},   // pixels said to start far past the end
      {10, 20},   // pixels said to start inside the palette
      {28, 24},   // 24 bits per pixel
      {30, 1},    // compressed
      {21, 64},   // a billion pixels wide
      {25, 128},  // minus two billion high
      {47, 2},    // 512 palette entries
      {16, 1},    // an information header running past the palette
  };
  ASSERT_TRUE(CreateSprite(2, 1, 1, false));
  for (const auto& [at, value] : damage) {
    std::vector<uint8_t> bad = good;
    bad[at] = value;
    EXPECT_FALSE(LoadSpriteImage(2, bad.data(), bad.size(), ImageKind::TextureImage)) << at;
    EXPECT_FALSE(LoadSpriteImage(3, bad.data(), bad.size(), ImageKind::LightMapImage)) << at;
  }
  EXPECT_EQ(ViewSprite(2).width, 1);  // what the number held stays
  EXPECT_FALSE(SpriteExists(3));
}

TEST_F(DisplayScreen, OnlyThe32BitModeOpensAndTheCapFollowsTheRate) {
  ASSERT_TRUE(StartDisplayService());
  EXPECT_TRUE(Start3DService());
  RequestRefreshRate(60);
  EXPECT_FALSE(OpenDisplay(640, 480, 16, "Vantomir"));
  EXPECT_FALSE(OpenDisplay(640, 480, 24, "Vantomir"));
  EXPECT_FALSE(IsDisplayOpen());
  ASSERT_TRUE(OpenDisplay(640, 480, 32, "Vantomir"));  // the headless display runs at 60 Hz
  EXPECT_TRUE(IsDisplayActive());
  EXPECT_TRUE(SetFrameCap(60));
  EXPECT_FALSE(IsFrameCapActive());  // 60 granted: the display paces
  ASSERT_TRUE(CreateSprite(29, 4, 4, false));
  CloseDisplay();
  EXPECT_FALSE(SpriteExists(29));

  RequestRefreshRate(0);
  ASSERT_TRUE(OpenDisplay(640, 480, 32, "Vantomir"));
  SetFrameCap(60);
  EXPECT_TRUE(IsFrameCapActive());  // the display reports 60, not the 0 asked for
  StopDisplayService();
  EXPECT_FALSE(IsDisplayOpen());
  EXPECT_FALSE(IsFrameCapActive());

  platform::headless::SetWindowAvailable(false);
  ASSERT_TRUE(StartDisplayService());
  EXPECT_FALSE(OpenDisplay(640, 480, 32, "Vantomir"));
  EXPECT_FALSE(IsDisplayOpen());
  EXPECT_FALSE(platform::IsWindowOpen());
}

TEST_F(DisplayScreen, PresentShowsTheBackBufferAndKeepsIt) {
  ASSERT_TRUE(StartDisplayService());
  ASSERT_TRUE(OpenDisplay(640, 480, 32, "Vantomir"));
  ClearTarget(MakeColour(0x12, 0x34, 0x56));
  PresentFrame();
  ASSERT_EQ(platform::headless::PresentCount(), 1);
  EXPECT_EQ(platform::headless::LastPresentedFrame()[1234], 0x123456u);
  // Not flipped away: a screenshot cut right after the present shows the frame.
  ASSERT_TRUE(CutSprite(993, 0, 0, 640, 480));
  EXPECT_EQ(PixelAt(993, 639, 479), 0x123456u);

  platform::headless::SetFocus(false);
  BeginPass();  // the focus change arrives with the pass's events
  EXPECT_FALSE(IsDisplayActive());
  PresentFrame();  // nothing is shown in the background
  EXPECT_EQ(platform::headless::PresentCount(), 1);
}

}  // namespace
