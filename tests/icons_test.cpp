// The application icons: the generator still writes the committed files,
// and the game carries the window icon and reads it as a picture with
// transparent corners. (That every PNG reads as an image of its size with
// alpha is checked on the installed files, tests/install/install_test.sh.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "persist/bmp.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
fs::path Assets() { return fs::path(VANTOMIR_SOURCE_DIR) / "assets"; }

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Runs generate-icons on a folder, or with no folder (and its complaint
// silenced); its exit status. The command is appended piece by piece: g++ 12
// at -O3 warns falsely (-Wrestrict) on "x" + std::string.
int RunGenerator(const fs::path& folder) {
  std::string command = "\"";
  command += GENERATE_ICONS;
  command += "\" ";
  if (folder.empty()) {
    command += "2> /dev/null";
  } else {
    command += '"';
    command += folder.string();
    command += '"';
  }
  return std::system(command.c_str());
}

TEST(Icons, GeneratorReproducesTheCommittedFilesAndTheGameCarriesTheWindowIcon) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-icons-" + std::to_string(getpid()));
  ASSERT_EQ(RunGenerator(dir), 0);
  std::vector<std::string> names = {"icons/vantomir.svg", "window_icon.bmp"};
  for (int size : kSizes) names.push_back(std::string("icons/vantomir-").append(std::to_string(size)).append(".png"));
  for (const std::string& name : names) {
    const Bytes drawn = ReadFile(dir / name);
    EXPECT_FALSE(drawn.empty()) << name;
    EXPECT_TRUE(drawn == ReadFile(Assets() / name)) << "assets/" << name << " differs from what generate-icons writes";
  }
  const EmbeddedFile* embedded = FindEmbeddedFile("window_icon.bmp");
  ASSERT_NE(embedded, nullptr);
  EXPECT_TRUE(Bytes(embedded->data, embedded->data + embedded->size) == ReadFile(Assets() / "window_icon.bmp"));
  fs::remove_all(dir);
  EXPECT_NE(RunGenerator({}), 0);
}

TEST(Icons, TheWindowIconReadsWithItsTransparency) {
  const EmbeddedFile* file = FindEmbeddedFile("window_icon.bmp");
  ASSERT_NE(file, nullptr);
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(DecodeBmp32(file->data, file->size, &pixels, &width, &height));
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 64);
  for (int corner : {0, 63, 64 * 63, 64 * 64 - 1}) EXPECT_EQ(pixels[corner] >> 24, 0u) << corner;
  EXPECT_EQ(pixels[32 * 64 + 32] >> 24, 255u);  // the square is opaque
  // A damaged header is refused, not read past its end.
  Bytes cut(file->data, file->data + 200);
  EXPECT_FALSE(DecodeBmp32(cut.data(), cut.size(), &pixels, &width, &height));
}

}  // namespace
