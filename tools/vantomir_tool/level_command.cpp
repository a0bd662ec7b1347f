// vantomir-tool level N [--image FILE.bmp]
//
// Starts level N from a fresh world and prints what the level start made of
// it as one JSON object; with --image, also draws the level's landscape round
// the whole ring.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "levels/level_generation.h"
#include "levels/level_progression.h"
#include "persist/bmp.h"
#include "render/display.h"
#include "render/graphics.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "world/landscape.h"
#include "world/world.h"

namespace {

const char* kHelp =
    "usage: vantomir-tool level N [--image FILE.bmp]\n\n"
    "Starts level N (1..21) from a fresh world and prints one JSON object:\n"
    "  level, style, tableCursor\n"
    "  heightSum               sum of the height map's rows 0..255\n"
    "  heightMin, heightMax    range of rows 0..207 (what the far layer shows)\n"
    "  midMap                  64 columns of 5 wall tiles, top row first\n"
    "  nearMap                 128 columns of 4 wall tiles\n"
    "  carriers, pods          the records as placed (units, 1/256 pixel)\n"
    "  the level settings by name (creatureFireInterval, bulletSpeedRow, ...)\n\n"
    "  --image FILE.bmp  also draws the landscape across the whole 2048-pixel ring\n"
    "                    as a 2048x224 24-bit BMP: eight views of 256 pixels, each\n"
    "                    with the far, middle and near layers as the game shows them\n"
    "                    from that position (the near layer runs on without a seam;\n"
    "                    the slower far and middle layers repeat).\n";

constexpr int kRingWidth = 2048;
constexpr int kViews = kRingWidth / kPlayfieldWidth;

void PrintRows(const char* name, const int32_t* cells, int columns, int rows) {
  std::printf("  \"%s\": [", name);
  for (int c = 0; c < columns; ++c) {
    std::printf("%s[", c == 0 ? "" : ", ");
    for (int r = 0; r < rows; ++r) std::printf("%s%d", r == 0 ? "" : ", ", cells[c * rows + r]);
    std::printf("]");
  }
  std::printf("],\n");
}

void PrintLevel() {
  const World& w = world;
  int64_t heightSum = 0;
  int32_t heightMin = HeightMap[0][0];
  int32_t heightMax = HeightMap[0][0];
  for (int x = 0; x < 512; ++x) {
    for (int y = 0; y < 256; ++y) heightSum += HeightMap[x][y];
    for (int y = 0; y < 208; ++y) {
      heightMin = std::min(heightMin, HeightMap[x][y]);
      heightMax = std::max(heightMax, HeightMap[x][y]);
    }
  }
  const LevelSettings& s = w.levelSettings;
  std::printf("{\n");
  std::printf("  \"level\": %d,\n", w.game.level);
  std::printf("  \"style\": %d,\n", LevelStyle());
  std::printf("  \"tableCursor\": %d,\n", s.tableCursor);
  std::printf("  \"heightSum\": %lld,\n", static_cast<long long>(heightSum));
  std::printf("  \"heightMin\": %d,\n", heightMin);
  std::printf("  \"heightMax\": %d,\n", heightMax);
  PrintRows("midMap", &MidMap[0][0], 64, 5);
  PrintRows("nearMap", &NearMap[0][0], 128, 4);

  std::printf("  \"carriers\": [");
  bool first = true;
  w.Carriers.ForEach([&](const Carrier& c) {
    std::printf(
        "%s\n    {\"x\": %d, \"y\": %d, \"baseY\": %d, \"vx\": %d, \"phase\": %d, \"launchCountdown\": %d, "
        "\"launchInterval\": %d, \"creatureType\": %d, \"hp\": %d}",
        first ? "" : ",", c.x, c.y, c.baseY, c.vx, c.phase, c.launchCountdown, c.launchInterval,
        c.creatureType, c.hp);
    first = false;
  });
  std::printf("%s],\n", first ? "" : "\n  ");

  std::printf("  \"pods\": [");
  first = true;
  w.Pods.ForEach([&](const Pod& p) {
    std::printf("%s\n    {\"x\": %d, \"y\": %d, \"debrisVX\": %d, \"heading\": %d, \"podType\": %d}",
                first ? "" : ",", p.x, p.y, p.debrisVX, p.heading, p.podType);
    first = false;
  });
  std::printf("%s],\n", first ? "" : "\n  ");

  std::printf("  \"creatureFireTimer\": %d,\n", s.creatureFireTimer);
  std::printf("  \"creatureFireInterval\": %d,\n", s.creatureFireInterval);
  std::printf("  \"bulletSpeedRow\": %d,\n", s.bulletSpeedRow);
  std::printf("  \"swarmAccel\": %d,\n", s.swarmAccel);
  std::printf("  \"swarmPeriod\": %d,\n", s.swarmPeriod);
  std::printf("  \"ringSwarmerPattern\": %d,\n", s.ringSwarmerPattern);
  std::printf("  \"minePodPattern\": %d,\n", s.minePodPattern);
  std::printf("  \"hunterFireTimer\": %d,\n", s.hunterFireTimer);
  std::printf("  \"deathTimer\": %d,\n", w.game.deathTimer);
  std::printf("  \"levelFrame\": %d\n", w.game.levelFrame);
  std::printf("}\n");
}

// The landscape from eight view positions 256 pixels apart, side by side.
bool WriteLandscapeImage(const std::string& path) {
  std::vector<uint32_t> image(static_cast<size_t>(kRingWidth) * kPlayfieldHeight);
  for (int view = 0; view < kViews; ++view) {
    SelectTarget(Playfield);
    ClearTarget(MakeColour(0, 0, 0));
    DrawLandscape(view * kPlayfieldWidth * 256);
    const SpriteView playfield = ViewSprite(Playfield);
    if (playfield.pixels == nullptr || playfield.width != kPlayfieldWidth ||
        playfield.height != kPlayfieldHeight) {
      return false;
    }
    for (int y = 0; y < kPlayfieldHeight; ++y) {
      std::copy_n(playfield.pixels + static_cast<size_t>(y) * kPlayfieldWidth, kPlayfieldWidth,
                  image.begin() + static_cast<ptrdiff_t>(y) * kRingWidth + view * kPlayfieldWidth);
    }
  }
  SelectTarget(ScreenTarget);
  return WriteWholeFile(path, EncodeBmp24(image.data(), kRingWidth, kPlayfieldHeight));
}

}  // namespace

int LevelCommand(const Args& args) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
  }
  std::string imagePath;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--image") {
      if (i + 1 >= args.size()) return UsageError("level", "--image needs a file name");
      imagePath = args[++i];
      if (imagePath.empty()) return UsageError("level", "--image needs a file name");
    } else if (args[i].size() > 1 && args[i][0] == '-' && !ParseInteger(args[i], INT32_MIN, INT32_MAX)) {
      return UsageError("level", "unknown option '" + args[i] + "'");
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 1) return UsageError("level", "expected one level number N");
  auto level = ParseInteger(positional[0], 1, kLastLevel);
  if (!level) {
    return UsageError("level", "N must be a level number 1.." + std::to_string(kLastLevel) + ": '" +
                                   positional[0] + "'");
  }

  LoadLevelTables();
  BuildWaveTables();
  BuildGraphics();
  world = World{};
  world.game.level = static_cast<int32_t>(*level);
  StartLevel();

  PrintLevel();
  if (!imagePath.empty() && !WriteLandscapeImage(imagePath)) {
    std::fprintf(stderr, "vantomir-tool level: cannot write '%s'\n", imagePath.c_str());
    return 1;
  }
  return 0;
}
