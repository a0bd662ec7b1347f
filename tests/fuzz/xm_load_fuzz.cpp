// libFuzzer target over the XM loader: any input either fails to load or
// loads and then plays a little, with no out-of-bounds access, no undefined
// behaviour and no outsized allocation. Built and run by scripts/test:
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/fuzz/xm_load_fuzz.cpp audio/xm_load.cpp audio/xm_player.cpp \
//     audio/xm_effects.cpp audio/xm_mixer.cpp -o xm_load_fuzz
//   ./xm_load_fuzz CORPUS_DIR tests/fuzz/xm_seeds
#include <cstddef>
#include <cstdint>

#include "audio/xm_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  xm::Player player;
  if (!player.Load(data, size, nullptr)) return 0;
  static float out[2 * 1024];
  for (int i = 0; i < 6 && !player.Ended(); ++i) player.Render(out, 1024);
  return 0;
}
