// vantomir-tool sounds DIR
//
// Loads the sound effects as the game does at start-up and writes every
// loaded slot of the sound table as a WAV file of its decoded samples.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/sound.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/wav.h"

namespace {

const char* kHelp =
    "usage: vantomir-tool sounds DIR\n\n"
    "Loads the embedded sound effects into the sound table as the game does at\n"
    "start-up and writes each loaded slot N as DIR/slot_NN.wav: the decoded\n"
    "samples in their own channels and rate, 16-bit. DIR must exist. Prints one\n"
    "line per slot: slot, sample file, channels, rate, frames.\n";

// The samples as 16-bit values (8-bit samples are unsigned around 128).
std::vector<int16_t> As16Bit(const SoundSamples& s) {
  const std::vector<uint8_t>& pcm = *s.pcm;
  std::vector<int16_t> out;
  if (s.format.bitsPerSample == 8) {
    for (uint8_t v : pcm) out.push_back(int16_t((int(v) - 128) * 256));
  } else {
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) out.push_back(int16_t(uint16_t(pcm[i] | pcm[i + 1] << 8)));
  }
  return out;
}

}  // namespace

int SoundsCommand(const Args& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::printf("%s", kHelp);
    return 0;
  }
  if (args.size() != 1) return UsageError("sounds", "expected DIR");
  const std::string dir = args[0];
  std::error_code error;
  if (!std::filesystem::is_directory(dir, error)) return UsageError("sounds", "not a directory: '" + dir + "'");

  if (!InitSound()) {
    std::fprintf(stderr, "vantomir-tool sounds: the sound device does not start\n");
    return 1;
  }
  LoadSounds();
  int written = 0;
  for (int32_t slot = 0; slot < kSoundSlots; ++slot) {
    const SoundSamples* s = FindSoundSamples(soundTable.slot[slot]);
    if (s == nullptr) continue;
    const std::vector<int16_t> samples = As16Bit(*s);
    const std::vector<uint8_t> wav = EncodeWav16(samples, s->format.channels, s->format.sampleRate);
    char name[32];
    std::snprintf(name, sizeof name, "slot_%02d.wav", slot);
    const std::string path = (std::filesystem::path(dir) / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()));
    if (!out) {
      std::fprintf(stderr, "vantomir-tool sounds: cannot write %s\n", path.c_str());
      ReleaseSounds();
      return 1;
    }
    const char* file = SoundSlotFile(slot);
    std::printf("slot %2d  %-26s %d ch %5d Hz %6zu frames\n", slot, file != nullptr ? file : "?",
                s->format.channels, s->format.sampleRate, samples.size() / size_t(s->format.channels));
    ++written;
  }
  ReleaseSounds();
  if (written == 0) {
    std::fprintf(stderr, "vantomir-tool sounds: no sound could be loaded\n");
    return 1;
  }
  return 0;
}
