// Uncompressed 24-bit BMP files, written into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A width x height picture of 0x00RRGGBB pixels (rows top to bottom) as a
// complete BMP file: 54 bytes of headers, then the rows bottom-up, each pixel
// blue, green, red, each row padded with (width AND 3) bytes.
std::vector<uint8_t> EncodeBmp24(const uint32_t* pixels, int width, int height);

// Reads an uncompressed 24- or 32-bit BMP file image (32-bit: blue, green,
// red, alpha) into 0xAARRGGBB pixels, rows top to bottom. In a 24-bit image
// magenta (255, 0, 255) is transparent. False on anything else.
bool DecodeBmp32(const uint8_t* data, size_t size, std::vector<uint32_t>* pixels, int* width, int* height);

// Writes bytes to path, replacing any file there. On any failure nothing
// stays behind, the result is false and error (when given) says why.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error = nullptr);

// -1 when nothing of that name exists, -2 for a directory, else the size.
int64_t FileSize(const std::string& path);
