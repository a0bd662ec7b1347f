#include "persist/bmp.h"

#include <sys/stat.h>

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

}  // namespace

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

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::remove(path.c_str());
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
