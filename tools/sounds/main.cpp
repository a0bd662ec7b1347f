// generate-sounds: synthesises the game's sound effects and writes them as
// the program carries them: Ogg Vorbis streams and one 8000 Hz WAV file.
//
//   generate-sounds DIR    writes every effect into DIR (the committed
//                          copies are in assets/)
//
// The recipes are in effects.cpp; the same program always writes the same
// bytes.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/sounds/effects.h"
#include "tools/sounds/encode.h"
#include "tools/vantomir_tool/wav.h"

namespace {

using namespace sfx;

// Room for the codec's overshoot above the clip's own peak.
constexpr double kPeakDb = -2.0;
constexpr int kFirstSerial = 0x56540000;  // one Ogg serial number per effect, counting up

// The game decodes an Ogg effect in pieces of up to 4096 bytes and stops
// once less than a whole piece of room is left, so the last part of a stream
// may never be heard: every Ogg effect is silent for that long at its end.
int SilentFrames(const Effect& e) { return e.container == Container::Ogg ? 4096 / (2 * e.channels) : 0; }

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// Makes, checks and writes one effect; false with a message on failure.
bool Generate(const Effect& e, int serial, const std::string& dir) {
  Clip clip{e.rate, std::vector<Signal>(size_t(e.channels), Signal(size_t(e.frames), 0.0)), SilentFrames(e)};
  e.make(clip);
  Finish(clip, e.loudDb, kPeakDb);
  const Loudness loudness = Measure(clip);

  std::vector<uint8_t> bytes;
  if (e.container == Container::Wav) {
    bytes = EncodeWav16(ToPcm16(clip), e.channels, e.rate);
  } else {
    bytes = EncodeVorbis(clip, e.quality, serial);
    const VorbisFacts facts = ReadVorbisFacts(bytes);
    if (!facts.ok || facts.channels != e.channels || facts.rate != e.rate || facts.frames != e.frames) {
      std::fprintf(stderr, "generate-sounds: %s decodes as %d channels, %d Hz, %lld frames\n", e.file,
                   facts.channels, facts.rate, (long long)facts.frames);
      return false;
    }
  }
  const std::string path = dir + "/" + e.file;
  if (!WriteFile(path, bytes)) {
    std::fprintf(stderr, "generate-sounds: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%-26s %d ch %5d Hz %6d frames %6zu bytes  peak %6.1f dB  rms %6.1f dB  loudest %6.1f dB\n",
              e.file, e.channels, e.rate, e.frames, bytes.size(), loudness.peakDb, loudness.rmsDb,
              loudness.loudDb);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (argc == 2 && (first == "--help" || first == "-h")) {
    std::printf(
        "usage: generate-sounds DIR\n\n"
        "Synthesises the game's sound effects and writes them into DIR\n"
        "(the committed copies live in assets/).\n");
    return 0;
  }
  if (argc != 2 || first.empty() || first[0] == '-') {
    std::fprintf(stderr, "usage: generate-sounds DIR\n");
    return 2;
  }
  int serial = kFirstSerial;
  for (const Effect& e : kEffects) {
    if (!Generate(e, serial++, first)) return 1;
  }
  return 0;
}
