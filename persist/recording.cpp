#include "persist/recording.h"

#include "persist/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::string_view kMagic = "vantomir-recording";
constexpr int32_t kInputLimit = 32767;  // every value fits a 16-bit sample of input
constexpr size_t kMaxFileBytes = 256 << 20;

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// The whole word as a decimal integer in [min, max].
std::optional<int32_t> Integer(std::string_view word, int32_t min, int32_t max) {
  if (word.empty() || word.size() > 12) return std::nullopt;
  std::string text(word);
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < min || value > max) return std::nullopt;
  return static_cast<int32_t>(value);
}

struct Field {
  std::string_view name;
  int32_t* value;
  int32_t min, max;
};

// Reads "name value name value ..." after the first word, each name once and
// in the given order, all of them present.
bool ReadFields(const std::vector<std::string_view>& words, std::initializer_list<Field> fields,
                std::string* why) {
  if (words.size() != 1 + 2 * fields.size()) {
    *why = "expected " + std::to_string(fields.size()) + " named values";
    return false;
  }
  size_t i = 1;
  for (const Field& f : fields) {
    if (words[i] != f.name) {
      *why = "expected '" + std::string(f.name) + "' where '" + std::string(words[i]) + "' stands";
      return false;
    }
    auto v = Integer(words[i + 1], f.min, f.max);
    if (!v) {
      *why = std::string(f.name) + " must be a whole number from " + std::to_string(f.min) + " to " +
             std::to_string(f.max);
      return false;
    }
    *f.value = *v;
    i += 2;
  }
  return true;
}

bool ReadFrame(const std::vector<std::string_view>& words, PlayInput* frame, std::string* why) {
  if (words.size() != 3 && words.size() != 4) {
    *why = "a frame is inputVX inputVY fireHeld [stickX]";
    return false;
  }
  auto vx = Integer(words[0], -kInputLimit, kInputLimit);
  auto vy = Integer(words[1], -kInputLimit, kInputLimit);
  auto fire = Integer(words[2], 0, 1);
  auto stick = words.size() == 4 ? Integer(words[3], -kInputLimit, kInputLimit) : std::optional<int32_t>(0);
  if (!vx || !vy || !fire || !stick) {
    *why = "a frame is inputVX inputVY (-32767..32767), fireHeld (0 or 1) and an optional stickX";
    return false;
  }
  *frame = PlayInput{*vx, *vy, *fire, *stick, words.size() == 4 ? 1 : 0};
  return true;
}

}  // namespace

std::string RecordingHeaderLine() {
  return std::string(kMagic) + " " + std::to_string(kRecordingVersion) + "\n";
}

std::string RecordingGameLine(const RecordedGame& g) {
  char line[160];
  std::snprintf(line, sizeof line, "game seed %d level %d score %d lives %d mousesens %d joystick %d\n",
                g.seed, g.level, g.score, g.lives, g.mouseSens, g.joystick);
  return line;
}

std::string RecordingFrameLine(const PlayInput& f) {
  char line[64];
  if (f.joystick) {
    std::snprintf(line, sizeof line, "%d %d %d %d\n", f.inputVX, f.inputVY, f.fireHeld, f.stickX);
  } else {
    std::snprintf(line, sizeof line, "%d %d %d\n", f.inputVX, f.inputVY, f.fireHeld);
  }
  return line;
}

std::string RecordingEndLine(int32_t score, int32_t lives, int32_t level, int32_t frames) {
  char line[96];
  std::snprintf(line, sizeof line, "end score %d lives %d level %d frames %d\n", score, lives, level,
                frames);
  return line;
}

std::string EncodeRecording(const Recording& recording) {
  std::string text = RecordingHeaderLine();
  for (const RecordedGame& game : recording.games) {
    text += RecordingGameLine(game);
    for (const PlayInput& frame : game.frames) text += RecordingFrameLine(frame);
    if (game.ended) {
      text += RecordingEndLine(game.endScore, game.endLives, game.endLevel,
                               static_cast<int32_t>(game.frames.size()));
    }
  }
  return text;
}

std::optional<Recording> DecodeRecording(std::string_view text, std::string* error) {
  Recording recording;
  bool headerSeen = false;
  int number = 0;
  std::string why;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> words = Words(line);
    if (words.empty() || words[0][0] == '#') continue;
    auto fail = [&](const std::string& message) {
      *error = "line " + std::to_string(number) + ": " + message;
      return std::nullopt;
    };
    if (!headerSeen) {
      if (words[0] != kMagic) return fail("not a Vantomir recording (it must start with 'vantomir-recording')");
      if (words.size() != 2 || Integer(words[1], 1, kRecordingVersion) != kRecordingVersion) {
        return fail("a recording of another version; this game reads version " +
                    std::to_string(kRecordingVersion));
      }
      headerSeen = true;
      continue;
    }
    if (words[0] == "game") {
      RecordedGame game;
      if (!ReadFields(words,
                      {{"seed", &game.seed, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
                       {"level", &game.level, 1, 21},
                       {"score", &game.score, 0, 9999999},
                       {"lives", &game.lives, 0, 1000},
                       {"mousesens", &game.mouseSens, 0, 10},
                       {"joystick", &game.joystick, 0, 1}},
                      &why)) {
        return fail(why);
      }
      recording.games.push_back(std::move(game));
      continue;
    }
    if (recording.games.empty() || recording.games.back().ended) {
      return fail("'" + std::string(words[0]) + "' outside a game (a 'game' line must come first)");
    }
    RecordedGame& game = recording.games.back();
    if (words[0] == "end") {
      int32_t frames = 0;
      if (!ReadFields(words,
                      {{"score", &game.endScore, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()},
                       {"lives", &game.endLives, -1, std::numeric_limits<int32_t>::max()},
                       {"level", &game.endLevel, 0, std::numeric_limits<int32_t>::max()},
                       {"frames", &frames, 0, std::numeric_limits<int32_t>::max()}},
                      &why)) {
        return fail(why);
      }
      if (static_cast<size_t>(frames) != game.frames.size()) {
        return fail("the game has " + std::to_string(game.frames.size()) + " frames, its end line says " +
                    std::to_string(frames));
      }
      game.ended = true;
      continue;
    }
    PlayInput frame;
    if (!ReadFrame(words, &frame, &why)) return fail(why);
    game.frames.push_back(frame);
  }
  if (!headerSeen) {
    *error = "empty: not a Vantomir recording";
    return std::nullopt;
  }
  if (recording.games.empty()) {
    *error = "the recording holds no game";
    return std::nullopt;
  }
  return recording;
}

std::optional<Recording> ReadRecordingFile(const std::string& path, std::string* error) {
  std::string text, why;
  if (ReadRegularFile(path, kMaxFileBytes, &text, &why) != ReadResult::Read) {
    *error = path + ": " + (why.empty() ? "no such file" : why);
    return std::nullopt;
  }
  std::optional<Recording> recording = DecodeRecording(text, error);
  if (!recording) *error = path + ": " + *error;
  return recording;
}
