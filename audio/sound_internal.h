// The sound service's decoder, open to tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sound_device.h"

// The most an Ogg Vorbis stream may decode to; a longer one is cut.
constexpr size_t kMaxDecodedBytes = 64000000;

struct DecodedSound {
  platform::PcmFormat format;
  std::vector<uint8_t> pcm;
};

// A file image as PCM: a RIFF/WAVE file's samples as they are, an Ogg
// Vorbis stream decoded to 16-bit (at most maxBytes of it). Nothing when the
// image is neither or is damaged.
std::optional<DecodedSound> DecodeSoundImage(const void* address, size_t length,
                                             size_t maxBytes = kMaxDecodedBytes);
