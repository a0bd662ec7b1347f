// Screenshots: the BMP layout, the choice of the next free name, and a folder
// that cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "persist/bmp.h"
#include "persist/screenshot.h"
#include "platform/headless.h"
#include "render/display.h"

namespace {

namespace fs = std::filesystem;

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

TEST(Bmp, LayoutIsBottomUpBgrWithPaddedRows) {
  // 3x2 picture: top row red, green, blue; bottom row white, black, grey.
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
  std::vector<uint8_t> bmp = EncodeBmp24(pixels, 3, 2);
  const size_t row = 3 * 3 + 3;  // width AND 3 = 3 bytes of padding
  ASSERT_EQ(bmp.size(), 54 + 2 * row);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Read32(bmp, 2), bmp.size());
  EXPECT_EQ(Read32(bmp, 10), 54u);
  EXPECT_EQ(Read32(bmp, 14), 40u);
  EXPECT_EQ(Read32(bmp, 18), 3u);
  EXPECT_EQ(Read32(bmp, 22), 2u);
  EXPECT_EQ(bmp[28], 24);
  for (size_t at = 30; at < 54; ++at) EXPECT_EQ(bmp[at], 0) << "header byte " << at;
  // The bottom row comes first: white (blue, green, red) ...
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 57), (std::vector<uint8_t>{255, 255, 255}));
  // ... and the top row's blue pixel is stored blue first.
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54 + row + 6, bmp.begin() + 54 + row + 9),
            (std::vector<uint8_t>{255, 0, 0}));
}

TEST(SnapFileName, RightAlignedSixDigits) {
  EXPECT_EQ(SnapFileName(1), "snap000001.bmp");
  EXPECT_EQ(SnapFileName(123456), "snap123456.bmp");
  EXPECT_EQ(SnapFileName(1234567), "snap123456.bmp");  // a longer number keeps its first digits
}

class Screenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("vantomir-snap-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    platform::headless::Reset();
    ResetDisplayServices();
    snapCounter = 0;
    SelectTarget(ScreenTarget);
    ClearTarget(MakeColour(10, 20, 30));
  }
  void TearDown() override {
    fs::current_path(original_);
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  fs::path original_, dir_;
};

TEST_F(Screenshot, TakesTheNextFreeNameAndNeverGoesBack) {
  std::ofstream("snap000001.bmp") << "x";
  fs::create_directory("snap000002.bmp");  // a directory is skipped like a file
  TakeScreenshot();
  ASSERT_TRUE(fs::exists("snap000003.bmp"));
  std::vector<uint8_t> bmp = ReadFile("snap000003.bmp");
  ASSERT_EQ(bmp.size(), 921654u);
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 57), (std::vector<uint8_t>{30, 20, 10}));
  EXPECT_FALSE(SpriteExists(993));

  fs::remove("snap000001.bmp");
  TakeScreenshot();
  EXPECT_TRUE(fs::exists("snap000004.bmp"));
  EXPECT_FALSE(fs::exists("snap000001.bmp"));
}

TEST_F(Screenshot, FirstFilePixelIsTheBottomLeftOfTheScreen) {
  SelectTarget(993);  // nothing: not a sprite yet, the selection stays on the screen
  CreateSprite(7, 1, 1, false);
  SelectTarget(7);
  ClearTarget(MakeColour(200, 100, 50));
  SelectTarget(ScreenTarget);
  Blit(7, 0, kScreenHeight - 1);
  FreeSprite(7);
  TakeScreenshot();
  std::vector<uint8_t> bmp = ReadFile("snap000001.bmp");
  ASSERT_EQ(bmp.size(), 921654u);
  EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.begin() + 57), (std::vector<uint8_t>{50, 100, 200}));
}

TEST_F(Screenshot, UnwritableFolderLosesTheShotAndGoesOn) {
  // Root may write into any ordinary folder; /proc refuses new files to anyone.
  if (geteuid() == 0) {
    fs::current_path("/proc");
  } else {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  }
  TakeScreenshot();
  EXPECT_EQ(snapCounter, 1);
  EXPECT_FALSE(fs::exists("snap000001.bmp"));
  EXPECT_FALSE(SpriteExists(993));
}

}  // namespace
