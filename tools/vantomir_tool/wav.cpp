#include "tools/vantomir_tool/wav.h"

#include <cstring>

namespace {

void Append32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Append16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void AppendTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, int channels, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  AppendTag(out, "RIFF");
  Append32(out, 36 + dataBytes);
  AppendTag(out, "WAVE");
  AppendTag(out, "fmt ");
  Append32(out, 16);
  Append16(out, 1);  // PCM
  Append16(out, static_cast<uint32_t>(channels));
  Append32(out, static_cast<uint32_t>(rate));
  Append32(out, static_cast<uint32_t>(rate * channels * 2));
  Append16(out, static_cast<uint32_t>(channels * 2));
  Append16(out, 16);
  AppendTag(out, "data");
  Append32(out, dataBytes);
  for (int16_t s : samples) Append16(out, static_cast<uint16_t>(s));
  return out;
}
