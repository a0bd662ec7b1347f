// generate-art OUTDIR: writes atlas.bmp, glow.bmp and lightmap.bmp.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/art/art.h"

namespace {

bool WriteImage(const std::string& path, const Image& image) {
  const std::vector<uint8_t> bytes = EncodeBmp8(image.canvas, image.palette);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "usage: generate-art OUTDIR\n"
                 "Draws the game's images and writes OUTDIR/atlas.bmp, OUTDIR/glow.bmp and OUTDIR/lightmap.bmp.\n");
    return argc == 2 ? 0 : 2;
  }
  const std::string dir = argv[1];
  const std::pair<const char*, Image (*)()> images[] = {
      {"atlas.bmp", DrawAtlas}, {"glow.bmp", DrawGlow}, {"lightmap.bmp", DrawLightMap}};
  for (const auto& [name, draw] : images) {
    const std::string path = dir + "/" + name;
    if (!WriteImage(path, draw())) {
      std::fprintf(stderr, "generate-art: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
