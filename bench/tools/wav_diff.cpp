// wav-diff: compares two 16-bit PCM WAV files sample by sample.
//
//   wav-diff [--tolerance N] A.wav B.wav
//
// Prints the frames, the largest difference of one sample in LSB and how
// many samples differ. Exit status: 0 when both files have the same format
// and length and no sample differs by more than N (default 1), 1 when they
// do not, 2 when a file cannot be read as 16-bit PCM.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wav {
  int channels = 0, rate = 0;
  std::vector<int16_t> samples;
};

uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }

bool ReadWav(const char* path, Wav* wav) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::vector<uint8_t> d((std::istreambuf_iterator<char>(file)), {});
  if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(d.data() + 8, "WAVE", 4) != 0) {
    return false;
  }
  int bits = 0;
  for (size_t at = 12; at + 8 <= d.size();) {
    const uint32_t size = U32(d, at + 4);
    const size_t body = at + 8;
    if (std::memcmp(d.data() + at, "fmt ", 4) == 0 && body + 16 <= d.size()) {
      if (U16(d, body) != 1) return false;  // not PCM
      wav->channels = U16(d, body + 2);
      wav->rate = int(U32(d, body + 4));
      bits = U16(d, body + 14);
    } else if (std::memcmp(d.data() + at, "data", 4) == 0) {
      if (bits != 16 || wav->channels == 0 || size > d.size() - body) return false;
      wav->samples.resize(size / 2);
      for (size_t i = 0; i < wav->samples.size(); ++i) wav->samples[i] = int16_t(U16(d, body + 2 * i));
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  long tolerance = 1;
  std::vector<const char*> paths;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--tolerance") == 0 && i + 1 < argc) {
      tolerance = std::strtol(argv[++i], nullptr, 10);
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.size() != 2) {
    std::fputs("usage: wav-diff [--tolerance N] A.wav B.wav\n", stderr);
    return 2;
  }
  Wav a, b;
  for (int k = 0; k < 2; ++k) {
    if (!ReadWav(paths[size_t(k)], k == 0 ? &a : &b)) {
      std::fprintf(stderr, "wav-diff: %s is not a 16-bit PCM WAV file\n", paths[size_t(k)]);
      return 2;
    }
  }
  if (a.channels != b.channels || a.rate != b.rate) {
    std::printf("formats differ: %d channels at %d Hz against %d at %d Hz\n", a.channels, a.rate, b.channels,
                b.rate);
    return 1;
  }
  const size_t common = std::min(a.samples.size(), b.samples.size());
  long worst = 0;
  size_t differing = 0;
  for (size_t i = 0; i < common; ++i) {
    const long d = std::labs(long(a.samples[i]) - long(b.samples[i]));
    if (d > worst) worst = d;
    if (d != 0) ++differing;
  }
  const size_t frames = a.samples.size() / size_t(a.channels);
  const size_t otherFrames = b.samples.size() / size_t(b.channels);
  std::printf("%zu frames", frames);
  if (otherFrames != frames) std::printf(" against %zu", otherFrames);
  std::printf(", largest difference %ld LSB, %zu samples differ\n", worst, differing);
  return otherFrames == frames && worst <= tolerance ? 0 : 1;
}
