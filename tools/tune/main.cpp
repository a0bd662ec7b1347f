// generate-tune: composes the game's tune and writes it as an XM module.
//
//   generate-tune OUT.xm     (the committed copy is assets/vantomir.xm)
//
// The notes, the instruments and their synthesis all live in this directory;
// change them here, run the generator and rebuild.
#include <cstdio>
#include <exception>
#include <fstream>

#include "tools/tune/song.h"
#include "tools/tune/xm_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate-tune OUT.xm\n");
    return 2;
  }
  try {
    const std::vector<uint8_t> image = tune::WriteXm(tune::ComposeTune());
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "generate-tune: cannot write %s\n", argv[1]);
      return 1;
    }
    std::printf("%s: %zu bytes\n", argv[1], image.size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "generate-tune: %s\n", e.what());
    return 1;
  }
  return 0;
}
