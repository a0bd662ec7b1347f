// generate-icons OUTDIR: writes OUTDIR/icons/vantomir-N.png, OUTDIR/icons/vantomir.svg and OUTDIR/window_icon.bmp.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/icons/icons.h"

namespace {

bool WriteFile(const std::string& path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFile(path, bytes.data(), bytes.size());
}

bool Write(const std::string& path, const std::string& text) { return WriteFile(path, text.data(), text.size()); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: generate-icons OUTDIR\n"
                 "Draws the application icon and writes OUTDIR/icons/vantomir-N.png (N = 16, 22, 24, 32, 48, 64,\n"
                 "128, 256), OUTDIR/icons/vantomir.svg and the 64x64 window icon OUTDIR/window_icon.bmp.\n");
    return argc == 2 ? 0 : 2;
  }
  const std::string dir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(dir + "/icons", error);
  if (error) {
    std::fprintf(stderr, "generate-icons: cannot create %s/icons: %s\n", dir.c_str(), error.message().c_str());
    return 1;
  }
  const ShipSprite ship = ReadShipSprite();
  for (int size : kIconSizes) {
    const std::string path = dir + "/icons/vantomir-" + std::to_string(size) + ".png";
    if (!Write(path, EncodePng(DrawIcon(ship, size)))) {
      std::fprintf(stderr, "generate-icons: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const std::string svg = dir + "/icons/vantomir.svg";
  const std::string bmp = dir + "/window_icon.bmp";
  if (!Write(svg, DrawIconSvg(ship))) {
    std::fprintf(stderr, "generate-icons: cannot write %s\n", svg.c_str());
    return 1;
  }
  if (!Write(bmp, EncodeBmp32(DrawIcon(ship, 64)))) {
    std::fprintf(stderr, "generate-icons: cannot write %s\n", bmp.c_str());
    return 1;
  }
  return 0;
}
