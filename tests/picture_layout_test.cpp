// Where the frame goes on screens of common and awkward sizes, and by which
// multiple it is enlarged before it is filtered down.
#include "platform/picture_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using platform::LayOutPicture;
using platform::PictureLayout;
using platform::PictureScaling;

struct Expected {
  int outputWidth, outputHeight;
  PictureScaling scaling;
  int x, y, width, height, factor;
};

TEST(PictureLayout, MonitorsAndWindows) {
  const Expected cases[] = {
      // Wide monitors: bars left and right, the multiple just above the height.
      {1920, 1080, PictureScaling::UpThenFiltered, 240, 0, 1440, 1080, 3},
      {1280, 800, PictureScaling::UpThenFiltered, 106, 0, 1067, 800, 2},
      {1366, 768, PictureScaling::UpThenFiltered, 171, 0, 1024, 768, 2},
      {3840, 2160, PictureScaling::UpThenFiltered, 480, 0, 2880, 2160, 5},
      // Exact multiples need no second step.
      {2560, 1440, PictureScaling::Nearest, 320, 0, 1920, 1440, 3},
      {1280, 960, PictureScaling::Nearest, 0, 0, 1280, 960, 2},
      {640, 480, PictureScaling::Nearest, 0, 0, 640, 480, 1},
      // Taller than 4:3: bars above and below.
      {1280, 1024, PictureScaling::Nearest, 0, 32, 1280, 960, 2},
      {1000, 1000, PictureScaling::UpThenFiltered, 0, 125, 1000, 750, 2},
      // Smaller than the frame: straight down, filtered.
      {320, 240, PictureScaling::Filtered, 0, 0, 320, 240, 1},
      {161, 120, PictureScaling::Filtered, 0, 0, 160, 120, 1},
  };
  for (const Expected& e : cases) {
    SCOPED_TRACE(std::to_string(e.outputWidth) + "x" + std::to_string(e.outputHeight));
    const PictureLayout got = LayOutPicture(e.outputWidth, e.outputHeight);
    EXPECT_EQ(got.scaling, e.scaling);
    EXPECT_EQ(got.x, e.x);
    EXPECT_EQ(got.y, e.y);
    EXPECT_EQ(got.width, e.width);
    EXPECT_EQ(got.height, e.height);
    EXPECT_EQ(got.factor, e.factor);
  }
}

// Over every output size up to 4K's, the picture is 4:3 within a pixel,
// touches two opposite sides, is centred, and the enlarged picture is at
// least its size but less than twice it (so filtering it down never skips
// a screen pixel's worth of it).
TEST(PictureLayout, EverySizeKeepsShapeAndMultiple) {
  for (int height = 1; height <= 2160; height += 7) {
    for (int width = 1; width <= 3840; width += 13) {
      const PictureLayout l = LayOutPicture(width, height);
      ASSERT_NE(l.scaling, PictureScaling::None);
      ASSERT_TRUE(l.width == width || l.height == height) << width << "x" << height;
      ASSERT_LE(l.width, width);
      ASSERT_LE(l.height, height);
      ASSERT_LE(std::abs(l.width * 3 - l.height * 4), 3) << width << "x" << height;
      ASSERT_LE(std::abs((width - l.width) - 2 * l.x), 1);
      ASSERT_LE(std::abs((height - l.height) - 2 * l.y), 1);
      if (l.scaling == PictureScaling::UpThenFiltered) {
        ASSERT_GE(l.factor * 640, l.width);
        ASSERT_GE(l.factor * 480, l.height);
        ASSERT_LT(l.factor * 640, 2 * l.width) << width << "x" << height;
      }
    }
  }
}

TEST(PictureLayout, NoAreaAndTextureLimits) {
  EXPECT_EQ(LayOutPicture(0, 768).scaling, PictureScaling::None);
  EXPECT_EQ(LayOutPicture(1024, 0).scaling, PictureScaling::None);
  // A renderer whose textures stop at 2048 pixels gets 3x instead of 5x at
  // 4K; one that cannot hold 1280x960 gets the frame filtered straight up.
  const PictureLayout limited = LayOutPicture(3840, 2160, 2048, 2048);
  EXPECT_EQ(limited.scaling, PictureScaling::UpThenFiltered);
  EXPECT_EQ(limited.factor, 3);
  EXPECT_EQ(LayOutPicture(1920, 1080, 1024, 1024).scaling, PictureScaling::Filtered);
  // An exact multiple is drawn straight from the frame, whatever the limit.
  EXPECT_EQ(LayOutPicture(2560, 1440, 1024, 1024).scaling, PictureScaling::Nearest);
}

}  // namespace
