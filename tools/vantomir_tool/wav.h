// 16-bit PCM WAV files: encoded into memory, or streamed into a file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The 44-byte header of a file with dataBytes of samples.
std::vector<uint8_t> WavHeader16(int channels, int rate, uint32_t dataBytes);

std::vector<uint8_t> EncodeWav16(const std::vector<int16_t>& samples, int channels, int rate);

// Streams samples into a WAV file without holding them: the header goes
// first, the samples follow in whatever pieces they come, and Close writes
// the final sizes into the header unless they are the ones announced at
// Open. The file is the same, byte for byte, as EncodeWav16 of all the
// samples.
class WavFileWriter {
 public:
  WavFileWriter() = default;
  WavFileWriter(const WavFileWriter&) = delete;
  WavFileWriter& operator=(const WavFileWriter&) = delete;
  ~WavFileWriter();  // closes a file left open as it stands

  // expectedSamples: how many samples will come, when that is known (the
  // header is then right from the start), else 0.
  bool Open(const std::string& path, int channels, int rate, uint64_t expectedSamples = 0);
  // False when the file cannot be written or would outgrow the format's 4 GB.
  bool Write(const int16_t* samples, size_t count);
  // Completes the header and closes; false when any write failed.
  bool Close();

  uint64_t samplesWritten() const { return samples_; }

 private:
  std::FILE* file_ = nullptr;
  int channels_ = 0, rate_ = 0;
  uint64_t announced_ = 0, samples_ = 0;
  bool failed_ = false;
  std::vector<int16_t> swapped_;  // big-endian machines only
};
