// libFuzzer target: the reader of game recordings over arbitrary file
// contents, plain or compressed. A recording it accepts must write back to a
// text it reads the same way, and its stored form must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "recording/format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const auto recording =
      DecodeStoredRecording(std::string_view(reinterpret_cast<const char*>(data), size), &error);
  if (!recording) {
    if (error.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  const std::string text = EncodeRecording(*recording);
  const auto again = DecodeRecording(text, &error);
  if (!again || EncodeRecording(*again) != text) __builtin_trap();
  const auto stored = DecodeStoredRecording(Gzip(text), &error);
  if (!stored || !(*stored == *again)) __builtin_trap();
  return 0;
}
