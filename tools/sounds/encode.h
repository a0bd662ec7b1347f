// Turning finished clips into the files the game carries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sounds/synth.h"

namespace sfx {

// The clip as interleaved signed 16-bit samples, rounded and clipped.
std::vector<int16_t> ToPcm16(const Clip& clip);

// An Ogg Vorbis stream of the clip at the given VBR quality (-0.1..1), in one
// logical stream with the given serial number. The same clip, quality and
// serial always give the same bytes.
std::vector<uint8_t> EncodeVorbis(const Clip& clip, float quality, int serial);

// What a decoder makes of an Ogg Vorbis image.
struct VorbisFacts {
  bool ok = false;
  int channels = 0;
  int rate = 0;
  int64_t frames = 0;  // the stream's own length
};
VorbisFacts ReadVorbisFacts(const std::vector<uint8_t>& image);

}  // namespace sfx
