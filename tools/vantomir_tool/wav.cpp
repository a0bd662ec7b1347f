#include "tools/vantomir_tool/wav.h"

#include <algorithm>
#include <bit>

namespace {

// The largest data chunk whose RIFF size (36 + data) still fits 32 bits.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;
constexpr size_t kFileBufferBytes = 1 << 16;

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

uint32_t DataBytes(uint64_t samples) { return static_cast<uint32_t>(std::min(samples * 2, kMaxDataBytes)); }

}  // namespace

std::vector<uint8_t> WavHeader16(int channels, int rate, uint32_t dataBytes) {
  std::vector<uint8_t> out;
  out.reserve(44);
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
  return out;
}

std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, int channels, int rate) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out = WavHeader16(channels, rate, dataBytes);
  out.reserve(44 + dataBytes);
  for (int16_t s : samples) Append16(out, static_cast<uint16_t>(s));
  return out;
}

WavFileWriter::~WavFileWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool WavFileWriter::Open(const std::string& path, int channels, int rate, uint64_t expectedSamples) {
  if (file_ != nullptr) std::fclose(file_);
  channels_ = channels;
  rate_ = rate;
  announced_ = expectedSamples;
  samples_ = 0;
  failed_ = false;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return false;
  std::setvbuf(file_, nullptr, _IOFBF, kFileBufferBytes);
  const std::vector<uint8_t> header = WavHeader16(channels, rate, DataBytes(expectedSamples));
  failed_ = std::fwrite(header.data(), 1, header.size(), file_) != header.size();
  return !failed_;
}

bool WavFileWriter::Write(const int16_t* samples, size_t count) {
  if (file_ == nullptr || failed_) return false;
  if ((samples_ + count) * 2 > kMaxDataBytes) {
    failed_ = true;
    return false;
  }
  const int16_t* little = samples;
  if constexpr (std::endian::native == std::endian::big) {
    swapped_.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const auto u = static_cast<uint16_t>(samples[i]);
      swapped_[i] = static_cast<int16_t>(static_cast<uint16_t>(u << 8 | u >> 8));
    }
    little = swapped_.data();
  }
  failed_ = std::fwrite(little, sizeof(int16_t), count, file_) != count;
  samples_ += count;
  return !failed_;
}

bool WavFileWriter::Close() {
  if (file_ == nullptr) return false;
  bool ok = !failed_;
  if (ok && samples_ != announced_) {
    const std::vector<uint8_t> header = WavHeader16(channels_, rate_, DataBytes(samples_));
    ok = std::fseek(file_, 0, SEEK_SET) == 0 &&
         std::fwrite(header.data(), 1, header.size(), file_) == header.size();
  }
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  return ok;
}
