#include "persist/bmp.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

uint32_t Get16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

}  // namespace

bool DecodeBmp32(const uint8_t* data, size_t size, std::vector<uint32_t>* pixels, int* width, int* height) {
  if (data == nullptr || size < 54 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t offset = Get32(data + 10);
  const int32_t w = static_cast<int32_t>(Get32(data + 18));
  const int32_t h = static_cast<int32_t>(Get32(data + 22));
  const uint32_t bits = Get16(data + 28);
  const uint32_t compression = Get32(data + 30);
  // Uncompressed, or 32-bit with the usual channel masks (BI_BITFIELDS).
  if ((bits != 24 && bits != 32) || (compression != 0 && !(compression == 3 && bits == 32))) return false;
  if (w <= 0 || w > 4096 || h == 0 || h < -4096 || h > 4096) return false;
  const int32_t rows = h < 0 ? -h : h;
  const size_t rowLength = (static_cast<size_t>(w) * bits / 8 + 3) & ~size_t{3};
  if (offset > size || rowLength * rows > size - offset) return false;
  pixels->assign(static_cast<size_t>(w) * rows, 0);
  for (int32_t r = 0; r < rows; ++r) {
    const uint8_t* src = data + offset + rowLength * (h < 0 ? r : rows - 1 - r);
    uint32_t* dst = pixels->data() + static_cast<size_t>(w) * r;
    for (int32_t x = 0; x < w; ++x, src += bits / 8) {
      const uint32_t rgb = src[2] << 16 | src[1] << 8 | src[0];
      const uint32_t alpha = bits == 32 ? src[3] : (rgb == 0xFF00FF ? 0 : 255);
      dst[x] = alpha << 24 | rgb;
    }
  }
  *width = w;
  *height = rows;
  return true;
}

std::vector<uint8_t> EncodeBmp24(const uint32_t* pixels, int width, int height) {
  const size_t rowLength = 3 * static_cast<size_t>(width) + (width & 3);
  const size_t fileSize = 54 + rowLength * height;
  std::vector<uint8_t> out(fileSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(fileSize));
  Put32(out, 10, 54);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  // Compression, image size, resolutions and colour counts stay 0.
  for (int r = 0; r < height; ++r) {
    const uint32_t* row = pixels + static_cast<size_t>(height - 1 - r) * width;
    uint8_t* dst = out.data() + 54 + rowLength * r;
    for (int x = 0; x < width; ++x) {
      *dst++ = static_cast<uint8_t>(row[x]);        // blue
      *dst++ = static_cast<uint8_t>(row[x] >> 8);   // green
      *dst++ = static_cast<uint8_t>(row[x] >> 16);  // red
    }
  }
  return out;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr;
  if (ok) {
    ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
  }
  if (!ok) {
    if (error != nullptr) *error = path + ": " + std::strerror(errno != 0 ? errno : EIO);
    if (f != nullptr) std::remove(path.c_str());
  }
  return ok;
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    // A name that exists but cannot be looked at (a dangling link, a folder we
    // may not search) is not free either.
    struct stat lst;
    return lstat(path.c_str(), &lst) == 0 ? 0 : -1;
  }
  if (S_ISDIR(st.st_mode)) return -2;
  return static_cast<int64_t>(st.st_size);
}
