// level-tables: writes the game's three level tables as the program carries
// them: signed 32-bit little-endian values, row by row, each placement table
// closed by its end row (level -999).
//
//   level-tables DIR    writes DIR/level_table.bin, DIR/carrier_table.bin and
//                       DIR/pod_table.bin (the committed copies are in assets/)
//
// The tables below are the source of those files: change a value here, run
// `level-tables assets` and rebuild.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// One row per level 1..21.
const int32_t kLevelTable[21][6] = {
    // creatureFireInterval, bulletSpeedRow, swarmAccel, swarmPeriod, ringSwarmerPattern, minePodPattern
    {384, 0, 32, 20, 1, 1},  // 1
    {376, 0, 32, 20, 1, 1},  // 2
    {368, 0, 32, 20, 1, 1},  // 3
    {360, 0, 32, 20, 1, 1},  // 4
    {256, 0, 32, 20, 1, 1},  // 5
    {256, 0, 32, 20, 1, 1},  // 6
    {640, 1, 32, 20, 1, 1},  // 7
    {512, 1, 36, 18, 1, 1},  // 8
    {248, 1, 42, 18, 1, 1},  // 9
    {384, 1, 44, 18, 1, 1},  // 10
    {384, 1, 46, 18, 2, 2},  // 11
    {384, 1, 48, 18, 2, 2},  // 12
    {256, 1, 50, 16, 2, 2},  // 13
    {256, 1, 52, 16, 3, 2},  // 14
    {512, 1, 54, 16, 3, 3},  // 15
    {384, 1, 56, 16, 3, 3},  // 16
    {192, 2, 58, 16, 4, 3},  // 17
    {192, 2, 60, 16, 4, 3},  // 18
    {192, 2, 62, 14, 5, 4},  // 19
    {192, 2, 64, 14, 5, 4},  // 20
    {180, 2, 66, 14, 5, 4},  // 21
};

// Carriers in placement order; x and y in whole pixels.
const std::vector<std::vector<int32_t>> kCarrierTable = {
    // level, x, y, vx, phase, launchInterval, creatureType, hp
    {1, 600, 104, 32, 0, 40, 1, 12},
    {1, 768, 104, 32, 128, 40, 1, 12},
    {2, 512, 104, 64, 32, 32, 2, 13},
    {2, -512, 104, 64, 64, 32, 1, 13},
    {3, -512, 64, 64, 0, 32, 2, 14},
    {3, -512, 160, -64, 128, 32, 1, 14},
    {3, 512, 64, 64, 0, 32, 1, 14},
    {3, 512, 160, -64, 128, 32, 2, 14},
    {4, 512, 104, 64, 0, 24, 3, 15},
    {4, -512, 104, 64, 128, 24, 3, 15},
    {5, 512, 104, -64, 0, 24, 3, 15},
    {5, 768, 104, -64, 128, 24, 4, 15},
    {5, -512, 104, -64, 0, 24, 3, 15},
    {5, -768, 104, -64, 128, 24, 4, 15},
    {6, 342, 64, 64, 64, 24, 4, 15},
    {6, 342, 160, 64, 192, 23, 4, 15},
    {6, -342, 64, 64, 64, 24, 4, 15},
    {6, -342, 160, 64, 192, 23, 4, 15},
    {6, 1020, 64, 64, 64, 24, 5, 15},
    {6, 1020, 160, 64, 192, 23, 5, 15},
    {7, 512, 64, -72, 0, 16, 1, 15},
    {7, -512, 160, 72, 128, 16, 1, 15},
    {8, 1020, 28, 16, 32, 17, 2, 15},
    {8, 1020, 72, 16, 64, 17, 3, 15},
    {8, 1020, 116, 16, 96, 17, 5, 15},
    {8, 1020, 160, 16, 128, 17, 4, 15},
    {9, 512, 64, 64, 0, 16, 5, 15},
    {9, 512, 160, 64, 64, 16, 5, 15},
    {9, 416, 104, 64, 128, 16, 6, 15},
    {9, 608, 104, 64, 192, 16, 6, 15},
    {10, 512, 80, -96, 0, 16, 3, 15},
    {10, 768, 140, 96, 128, 16, 6, 15},
    {10, -512, 140, 96, 0, 16, 3, 15},
    {10, -768, 80, -96, 128, 16, 6, 15},
    {11, 512, 104, 72, 0, 6, 6, 31},
    {12, 342, 64, 96, 0, 12, 5, 15},
    {12, 342, 160, -96, 32, 12, 7, 15},
    {12, -342, 64, 96, 64, 11, 5, 15},
    {12, -342, 160, -96, 96, 12, 7, 15},
    {12, 1020, 64, 96, 128, 10, 5, 15},
    {12, 1020, 160, -96, 160, 11, 7, 15},
    {13, 512, 80, 64, 0, 12, 7, 31},
    {13, 768, 140, -72, 64, 10, 8, 31},
    {13, -512, 64, 96, 128, 10, 7, 31},
    {13, -768, 160, -80, 192, 12, 8, 31},
    {14, 0, 80, 64, 20, 10, 1, 31},
    {14, 256, 130, 64, 40, 10, 2, 31},
    {14, 512, 80, 64, 60, 10, 3, 31},
    {14, 768, 130, 64, 80, 10, 4, 31},
    {14, 1023, 80, 64, 100, 10, 5, 31},
    {14, -768, 130, 64, 120, 10, 6, 31},
    {14, -512, 80, 64, 140, 10, 7, 31},
    {14, -256, 130, 64, 180, 10, 8, 31},
    {15, 512, 103, 64, 0, 6, 9, 47},
    {16, 576, 80, 32, 0, 11, 9, 31},
    {16, 720, 80, 32, 128, 9, 10, 31},
    {16, -576, 130, -32, 0, 8, 10, 31},
    {16, -720, 130, -32, 128, 10, 9, 31},
    {17, 512, 28, 70, 32, 7, 4, 31},
    {17, 512, 72, 70, 64, 9, 8, 31},
    {17, -512, 116, 70, 96, 10, 7, 31},
    {17, -512, 160, 70, 128, 8, 9, 31},
    {18, 512, 104, 72, 0, 5, 11, 63},
    {19, 512, 84, -160, 0, 8, 11, 31},
    {19, 512, 140, -160, 64, 8, 12, 31},
    {19, 576, 84, -160, 128, 8, 11, 31},
    {19, 576, 140, -160, 192, 8, 12, 31},
    {20, 352, 84, 100, 32, 8, 5, 31},
    {20, 544, 84, 100, 96, 7, 6, 31},
    {20, -352, 140, 100, 160, 8, 7, 31},
    {20, -544, 140, 100, 224, 9, 8, 31},
    {21, 256, 84, 100, 0, 8, 9, 31},
    {21, 600, 84, 100, 64, 9, 10, 31},
    {21, -256, 140, 100, 128, 8, 11, 31},
    {21, -600, 140, 100, 192, 9, 12, 31},
    {-999, 0, 0, 0, 0, 0, 0, 0},  // end row
};

// Pods in placement order; podType 80 plain, 81 ring, 82 hunter, 83 mine,
// 84 treasure. Levels 1, 2, 3, 6, 12, 16, 20 and 21 have none.
const std::vector<std::vector<int32_t>> kPodTable = {
    // level, x, y, debrisVX, heading, podType
    {4, 480, 104, 64, 0, 83},
    {4, 576, 104, 64, 0, 83},
    {4, -544, 104, 64, 128, 83},
    {4, -448, 104, 64, 128, 83},
    {5, 656, 104, -64, 64, 83},
    {5, -608, 104, -64, 64, 83},
    {7, 576, 64, -72, 32, 80},
    {7, -544, 160, 72, 160, 80},
    {8, -512, 28, 16, 32, 83},
    {8, -512, 72, 16, 64, 83},
    {8, -512, 116, 16, 96, 83},
    {8, -512, 160, 16, 128, 83},
    {8, 512, 28, 16, 32, 83},
    {8, 512, 72, 16, 64, 83},
    {8, 512, 116, 16, 96, 83},
    {8, 512, 160, 16, 128, 83},
    {8, 128, 28, 16, 128, 84},
    {9, 512, 104, 64, 32, 80},
    {10, 256, 104, 32, 0, 81},
    {10, 1020, 104, 32, 0, 81},
    {11, 480, 104, 72, 0, 83},
    {11, 576, 104, 72, 0, 83},
    {11, 528, 72, 72, 0, 83},
    {11, 528, 136, 72, 0, 83},
    {11, -512, 104, 72, 0, 84},
    {13, 1020, 90, 72, 32, 81},
    {13, 1020, 120, -72, 224, 81},
    {14, 160, 40, 16, 128, 84},
    {15, -512, 72, -48, 128, 81},
    {15, -512, 104, -48, 128, 84},
    {15, -512, 136, -48, 128, 81},
    {17, 1020, 104, -48, 128, 84},
    {17, -512, 28, 70, 32, 83},
    {17, -512, 72, 70, 64, 80},
    {17, 512, 116, 70, 96, 80},
    {17, 512, 160, 70, 128, 83},
    {18, 480, 104, 72, 0, 82},
    {18, 576, 104, 72, 0, 82},
    {18, 528, 72, 72, 0, 82},
    {18, 528, 136, 72, 0, 82},
    {19, -512, 104, -160, 128, 84},
    {-999, 0, 0, 0, 0, 0},  // end row
};

void Append(std::vector<uint8_t>& bytes, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
}

bool WriteTable(const std::string& dir, const char* name, const std::vector<std::vector<int32_t>>& rows,
                size_t columns) {
  std::vector<uint8_t> bytes;
  for (const auto& row : rows) {
    if (row.size() != columns) {
      std::fprintf(stderr, "level-tables: a row of %s has %zu values, not %zu\n", name, row.size(), columns);
      return false;
    }
    for (int32_t value : row) Append(bytes, value);
  }
  const std::string path = dir + "/" + name;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) {
    std::fprintf(stderr, "level-tables: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s: %zu rows\n", path.c_str(), rows.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: level-tables DIR\n\n"
                 "Writes level_table.bin, carrier_table.bin and pod_table.bin into DIR\n"
                 "(the game carries them from assets/).\n");
    return argc == 2 ? 0 : 2;
  }
  const std::string dir = argv[1];
  std::vector<std::vector<int32_t>> levels;
  for (const auto& row : kLevelTable) levels.emplace_back(std::begin(row), std::end(row));
  const bool ok = WriteTable(dir, "level_table.bin", levels, 6) &&
                  WriteTable(dir, "carrier_table.bin", kCarrierTable, 8) &&
                  WriteTable(dir, "pod_table.bin", kPodTable, 6);
  return ok ? 0 : 1;
}
