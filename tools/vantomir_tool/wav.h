// 16-bit PCM WAV files, written into memory.
#pragma once

#include <cstdint>
#include <vector>

std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, int channels, int rate);
