#include "recording/format.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <span>

#include "persist/files.h"

namespace {

constexpr std::string_view kMagic = "vantomir-recording";
constexpr int32_t kInputLimit = 32767;  // every value fits a 16-bit sample of input
constexpr size_t kMaxFileBytes = 256 << 20;
// The text of twelve hours of play, each frame on a line of its own, is
// about 130 MB; no recording unpacks to more.
constexpr size_t kMaxTextBytes = 160 << 20;
constexpr char kNameBlank = '~';  // a blank of a table name, so that the name is one word

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

// Exactly 16 hexadecimal digits.
std::optional<uint64_t> Hex64(std::string_view word) {
  if (word.size() != 16) return std::nullopt;
  uint64_t value = 0;
  for (char c : word) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  return value;
}

// A frame line: the frame, and how many frames in a row it held.
bool ReadFrame(std::span<const std::string_view> words, PlayInput* frame, int32_t* repeat, std::string* why) {
  *repeat = 1;
  if (!words.empty() && words.back().size() > 1 && words.back()[0] == 'x') {
    auto n = Integer(words.back().substr(1), 2, static_cast<int32_t>(kMaxRecordedFrames));
    if (!n) {
      *why = "a frame's count is x2 to x" + std::to_string(kMaxRecordedFrames);
      return false;
    }
    *repeat = *n;
    words = words.first(words.size() - 1);
  }
  if (words.size() != 3 && words.size() != 4) {
    *why = "a frame is inputVX inputVY fireHeld [stickX] [xN]";
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

// A table name as one word: its blanks as "~" (never a character of a name).
std::string NameWord(const std::string& name) {
  std::string word = name;
  for (char& c : word) {
    if (c == ' ') c = kNameBlank;
  }
  return word;
}

bool ReadTableLine(const std::vector<std::string_view>& words, TableEntry* entry, std::string* why) {
  if (words.size() != 5 || words[1] != "name" || words[3] != "score") {
    *why = "a table line is 'table name NAME score S'";
    return false;
  }
  std::string name(words[2]);
  for (char& c : name) {
    if (c == kNameBlank) c = ' ';
    if (c < 32 || c > 95) {
      *why = "a table name holds only the characters of the name entry";
      return false;
    }
  }
  if (name.size() > 8) {
    *why = "a table name has at most 8 characters";
    return false;
  }
  auto score = Integer(words[4], 0, 9999999);
  if (!score) {
    *why = "a table score is a whole number from 0 to 9999999";
    return false;
  }
  entry->name = name;
  entry->score = *score;
  return true;
}

constexpr int kGzipWindow = 15 + 16;  // zlib's window bits for a gzip stream

// A gzip stream, compressed as well as zlib can.
void StartGzip(z_stream* z) { deflateInit2(z, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindow, 9, Z_DEFAULT_STRATEGY); }

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

std::string RecordingFrameLine(const PlayInput& f, int32_t repeat) {
  char line[80];
  int n = f.joystick ? std::snprintf(line, sizeof line, "%d %d %d %d", f.inputVX, f.inputVY, f.fireHeld, f.stickX)
                     : std::snprintf(line, sizeof line, "%d %d %d", f.inputVX, f.inputVY, f.fireHeld);
  if (repeat > 1) n += std::snprintf(line + n, sizeof line - n, " x%d", repeat);
  std::snprintf(line + n, sizeof line - n, "\n");
  return line;
}

std::string RecordingEndLine(int32_t score, int32_t lives, int32_t level, int32_t frames,
                             std::optional<uint64_t> digest) {
  char line[128];
  int n = std::snprintf(line, sizeof line, "end score %d lives %d level %d frames %d", score, lives, level, frames);
  if (digest) n += std::snprintf(line + n, sizeof line - n, " digest %016" PRIx64, *digest);
  std::snprintf(line + n, sizeof line - n, "\n");
  return line;
}

std::string EncodeRecording(const Recording& recording) {
  std::string text = RecordingHeaderLine();
  if (recording.entry) {
    text += "table name " + NameWord(recording.entry->name) + " score " + std::to_string(recording.entry->score) +
            "\n";
  }
  for (const RecordedGame& game : recording.games) {
    text += RecordingGameLine(game);
    const std::vector<PlayInput>& frames = game.frames;
    for (size_t i = 0; i < frames.size();) {
      size_t run = 1;
      while (i + run < frames.size() && frames[i + run] == frames[i]) ++run;
      text += RecordingFrameLine(frames[i], static_cast<int32_t>(run));
      i += run;
    }
    if (game.ended) {
      text += RecordingEndLine(game.endScore, game.endLives, game.endLevel, static_cast<int32_t>(frames.size()),
                               game.digest);
    }
  }
  return text;
}

std::optional<Recording> DecodeRecording(std::string_view text, std::string* error) {
  Recording recording;
  int32_t version = 0;
  size_t frameCount = 0;
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
    if (version == 0) {
      if (words[0] != kMagic) return fail("not a Vantomir recording (it must start with 'vantomir-recording')");
      std::optional<int32_t> v = words.size() == 2 ? Integer(words[1], 1, kRecordingVersion) : std::nullopt;
      if (!v) {
        return fail("a recording of another version; this game reads versions 1 to " +
                    std::to_string(kRecordingVersion));
      }
      version = *v;
      continue;
    }
    if (words[0] == "table") {
      if (version < 2 || recording.entry || !recording.games.empty()) {
        return fail("a table line belongs once before the first game");
      }
      TableEntry entry;
      if (!ReadTableLine(words, &entry, &why)) return fail(why);
      recording.entry = entry;
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
      // The digest ends the line in version 2 and later.
      std::vector<std::string_view> fields = words;
      if (version >= 2 && fields.size() == 11 && fields[9] == "digest") {
        game.digest = Hex64(fields[10]);
        if (!game.digest) return fail("a digest is 16 hexadecimal digits");
        fields.resize(9);
      }
      if (!ReadFields(fields,
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
    int32_t repeat = 1;
    if (!ReadFrame(words, &frame, &repeat, &why)) return fail(why);
    if (version < 2 && repeat > 1) return fail("a frame's count belongs to version 2 and later");
    if (frameCount + repeat > kMaxRecordedFrames) {
      return fail("more frames than twelve hours of play (" + std::to_string(kMaxRecordedFrames) + ")");
    }
    frameCount += repeat;
    game.frames.insert(game.frames.end(), static_cast<size_t>(repeat), frame);
  }
  if (version == 0) {
    *error = "empty: not a Vantomir recording";
    return std::nullopt;
  }
  if (recording.games.empty()) {
    *error = "the recording holds no game";
    return std::nullopt;
  }
  return recording;
}

std::string Gzip(std::string_view text) {
  z_stream z{};
  StartGzip(&z);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::optional<std::string> Gunzip(std::string_view bytes, size_t maxBytes, bool* complete, std::string* error) {
  z_stream z{};
  if (inflateInit2(&z, kGzipWindow) != Z_OK) {
    *error = "cannot unpack: out of memory";
    return std::nullopt;
  }
  std::string text;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  char chunk[65536];
  int result = Z_OK;
  while (result == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    result = inflate(&z, Z_NO_FLUSH);
    text.append(chunk, sizeof chunk - z.avail_out);
    if (text.size() > maxBytes) {
      inflateEnd(&z);
      *error = "unpacks to more than " + std::to_string(maxBytes >> 20) + " MB";
      return std::nullopt;
    }
    // No progress with all the input used: the stream was cut short.
    if (result == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  inflateEnd(&z);
  *complete = result == Z_STREAM_END;
  if (result != Z_STREAM_END && result != Z_BUF_ERROR && result != Z_OK) {
    *error = std::string("damaged compressed data (") + (z.msg != nullptr ? z.msg : "zlib error") + ")";
    return std::nullopt;
  }
  return text;
}

std::optional<Recording> DecodeStoredRecording(std::string_view bytes, std::string* error) {
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0x1f ||
      static_cast<unsigned char>(bytes[1]) != 0x8b) {
    return DecodeRecording(bytes, error);
  }
  bool complete = true;
  std::optional<std::string> text = Gunzip(bytes, kMaxTextBytes, &complete, error);
  if (!text) return std::nullopt;
  // A recording cut short ends with its last whole line.
  if (!complete) text->resize(text->rfind('\n') + 1);  // none: npos + 1 is 0
  return DecodeRecording(*text, error);
}

std::optional<Recording> ReadRecordingFile(const std::string& path, std::string* error,
                                           const std::string& shown) {
  const std::string& name = shown.empty() ? path : shown;
  std::string bytes, why;
  const ReadResult read = ReadRegularFile(path, kMaxFileBytes, &bytes, &why);
  if (read != ReadResult::Read) {
    *error = name + ": " + (read == ReadResult::Missing ? "no such file" : why);
    return std::nullopt;
  }
  std::optional<Recording> recording = DecodeStoredRecording(bytes, error);
  if (!recording) *error = name + ": " + *error;
  return recording;
}

bool WriteRecordingFile(const std::string& path, const Recording& recording, std::string* error) {
  std::string why;
  if (!ReplaceFileAtomically(path, Gzip(EncodeRecording(recording)), &why)) {
    *error = "cannot write " + path + ": " + why;
    return false;
  }
  return true;
}

//-----------------------------------------------------------------------------
// RecordingStream
//-----------------------------------------------------------------------------

struct RecordingStream::Compressor {
  z_stream z{};
};

RecordingStream::~RecordingStream() { Close(); }

bool RecordingStream::Open(const std::string& path, std::string* error) {
  Close();
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    *error = "cannot write the recording " + path + ": " + std::strerror(errno);
    return false;
  }
  path_ = path;
  z_ = new Compressor;
  StartGzip(&z_->z);
  Add(RecordingHeaderLine());
  Flush();
  return IsOpen();
}

void RecordingStream::Add(std::string_view line) {
  if (IsOpen()) Deflate(line, Z_NO_FLUSH);
}

void RecordingStream::Flush() {
  if (IsOpen()) Deflate({}, Z_SYNC_FLUSH);
}

void RecordingStream::Close() {
  if (IsOpen()) Deflate({}, Z_FINISH);
  Release();
}

// Compresses what is given and writes whatever zlib hands out.
void RecordingStream::Deflate(std::string_view in, int mode) {
  z_stream& z = z_->z;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  char chunk[16384];
  do {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    deflate(&z, mode);
    if (!WriteAll(fd_, std::string_view(chunk, sizeof chunk - z.avail_out))) return Fail(std::strerror(errno));
  } while (z.avail_out == 0);
}

void RecordingStream::Fail(const char* why) {
  std::fprintf(stderr, "vantomir: recording stopped, cannot write %s: %s\n", path_.c_str(), why);
  Release();
}

void RecordingStream::Release() {
  if (z_ != nullptr) {
    deflateEnd(&z_->z);
    delete z_;
    z_ = nullptr;
  }
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}
