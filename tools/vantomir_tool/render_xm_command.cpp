// vantomir-tool render-xm FILE OUT.wav [--seconds S]
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "audio/music.h"
#include "audio/xm_player.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/wav.h"

namespace {

const char* kHelp =
    "usage: vantomir-tool render-xm FILE OUT.wav [--seconds S]\n\n"
    "Renders an XM module with the game's music player at full volume into a\n"
    "44100 Hz stereo 16-bit WAV file: one pass of the order list, or S seconds\n"
    "of looping playback with --seconds. FILE \"-\" is the game's own tune.\n\n"
    "  --seconds S   render S seconds (0 < S <= 3600, decimals allowed)\n";

constexpr uint64_t kMaxFileBytes = 64u << 20;
constexpr double kMaxSeconds = 3600.0;

bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) {
    *error = "cannot read '" + path + "'";
    return false;
  }
  const std::streamoff size = file.tellg();
  if (size < 0 || uint64_t(size) > kMaxFileBytes) {
    *error = "'" + path + "' is too large to be a module";
    return false;
  }
  bytes->resize(size_t(size));
  file.seekg(0);
  if (size > 0 && !file.read(reinterpret_cast<char*>(bytes->data()), size)) {
    *error = "cannot read '" + path + "'";
    return false;
  }
  return true;
}

}  // namespace

int RenderXmCommand(const Args& args) {
  std::vector<std::string> positional;
  double seconds = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--seconds") {
      if (i + 1 >= args.size()) return UsageError("render-xm", "--seconds needs a value");
      const std::string& v = args[++i];
      char* end = nullptr;
      errno = 0;
      seconds = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0' || errno != 0 || !(seconds > 0) || seconds > kMaxSeconds) {
        return UsageError("render-xm", "--seconds takes a number above 0, at most 3600: '" + v + "'");
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError("render-xm", "unknown option '" + a + "'");
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) return UsageError("render-xm", "expected FILE OUT.wav");
  const std::string& input = positional[0];
  const std::string& output = positional[1];

  std::vector<uint8_t> bytes;
  const uint8_t* image = nullptr;
  size_t size = 0;
  if (input == "-") {
    const EmbeddedFile* tune = FindEmbeddedFile("vantomir.xm");
    if (tune == nullptr) {
      std::fprintf(stderr, "vantomir-tool render-xm: this build has no embedded tune (assets/vantomir.xm)\n");
      return 1;
    }
    image = tune->data;
    size = tune->size;
  } else {
    std::string error;
    if (!ReadFile(input, &bytes, &error)) {
      std::fprintf(stderr, "vantomir-tool render-xm: %s\n", error.c_str());
      return 1;
    }
    image = bytes.data();
    size = bytes.size();
  }

  xm::Player player;
  std::string error;
  if (!player.Load(image, size, &error)) {
    std::fprintf(stderr, "vantomir-tool render-xm: %s: not a playable XM module: %s\n",
                 input == "-" ? "the embedded tune" : input.c_str(), error.c_str());
    return 1;
  }

  // One pass ends by itself; a module whose pass never ends is cut at the
  // limit. Blocks go to the file as they are rendered, so memory does not
  // grow with the song; a looping render's length is known from the start.
  const bool onePass = seconds == 0;
  player.SetLooping(!onePass);
  const int64_t limit = int64_t(std::llround((onePass ? kMaxSeconds : seconds) * xm::kOutputRate));
  WavFileWriter wav;
  if (!wav.Open(output, 2, xm::kOutputRate, onePass ? 0 : uint64_t(2 * limit))) {
    std::fprintf(stderr, "vantomir-tool render-xm: cannot write %s\n", output.c_str());
    return 1;
  }
  std::vector<float> mix(2 * kMusicBlockFrames);
  std::vector<int16_t> block(2 * kMusicBlockFrames);
  int64_t done = 0;
  bool written = true;
  while (done < limit && written) {
    const int want = int(std::min<int64_t>(kMusicBlockFrames, limit - done));
    const int got = player.Render(mix.data(), want);
    ConvertMusicBlock(mix.data(), got, 16, block.data());
    written = wav.Write(block.data(), 2 * size_t(got));
    done += got;
    if (got < want) break;
  }
  if (!wav.Close() || !written) {
    std::fprintf(stderr, "vantomir-tool render-xm: cannot write %s\n", output.c_str());
    std::error_code ignored;
    if (std::filesystem::is_regular_file(output, ignored)) std::filesystem::remove(output, ignored);
    return 1;
  }
  if (onePass && !player.Ended()) {
    std::fprintf(stderr, "vantomir-tool render-xm: warning: the pass did not end within %.0f s\n",
                 kMaxSeconds);
  }
  std::printf("%s: %lld frames (%.3f s)\n", output.c_str(), static_cast<long long>(done),
              double(done) / xm::kOutputRate);
  return 0;
}
