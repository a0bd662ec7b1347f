#include "tools/tune/score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tune {
namespace {

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

int PitchClassOfLetter(char c) {
  switch (c) {
    case 'c': return 0;
    case 'd': return 2;
    case 'e': return 4;
    case 'f': return 5;
    case 'g': return 7;
    case 'a': return 9;
    case 'b': return 11;
    default: return -1;
  }
}

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '|') {
      tokens.push_back(text.substr(i++, 1));
      continue;
    }
    const size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '|') ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

std::string Grid(std::string_view grid) {
  std::string cleaned;
  for (char c : grid)
    if (c != ' ' && c != '|' && c != '\n') cleaned.push_back(c);
  if (cleaned.empty()) Fail("empty grid");
  return cleaned;
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Reads ":n" and the marks after a note or rest; returns the position after them.
size_t ReadSuffix(std::string_view token, size_t i, int& length, Note& note) {
  while (i < token.size()) {
    const char c = token[i];
    if (c == ':') {
      size_t j = i + 1;
      int n = 0;
      while (j < token.size() && std::isdigit(static_cast<unsigned char>(token[j]))) n = n * 10 + (token[j++] - '0');
      if (j == i + 1 || n <= 0) Fail("bad length in '" + std::string(token) + "'");
      length = n;
      i = j;
    } else if (c == '~') {
      note.vibrato = true;
      ++i;
    } else if (c == '>') {
      note.slide = true;
      ++i;
    } else if (c == '!') {
      note.accent = true;
      ++i;
    } else {
      Fail("unexpected '" + std::string(1, c) + "' in '" + std::string(token) + "'");
    }
  }
  return i;
}

}  // namespace

Line ParseLine(std::string_view text) {
  Line line;
  int row = 0, length = 4;
  for (std::string_view token : Tokens(text)) {
    if (token == "|") {
      if (row % kRowsPerBar != 0) Fail("bar line at row " + std::to_string(row) + " in: " + std::string(text));
      continue;
    }
    Note note;
    size_t i = 0;
    if (token[0] == 'r') {
      i = 1;
    } else {
      const int letter = PitchClassOfLetter(token[0]);
      if (letter < 0 || token.size() < 2) Fail("bad note '" + std::string(token) + "'");
      int pitchClass = letter;
      i = 1;
      if (token[i] == '#') ++pitchClass, ++i;
      else if (token[i] == 'b') --pitchClass, ++i;
      if (i >= token.size() || !std::isdigit(static_cast<unsigned char>(token[i])))
        Fail("note without octave '" + std::string(token) + "'");
      note.pitch = Pitch(token[i] - '0', pitchClass);
      ++i;
    }
    ReadSuffix(token, i, length, note);
    note.row = row;
    note.length = length;
    line.push_back(note);
    row += length;
  }
  return line;
}

Line Transposed(Line line, int semitones) {
  for (Note& n : line)
    if (n.pitch) n.pitch += semitones;
  return line;
}

Line Delayed(const Line& line, int rows, int endRow) {
  Line out;
  for (Note n : line) {
    n.row += rows;
    if (n.row >= endRow) break;
    n.length = std::min(n.length, endRow - n.row);
    out.push_back(n);
  }
  return out;
}

Line Slice(const Line& line, int from, int to) {
  Line out;
  for (const Note& n : line)
    if (n.row >= from && n.row < to) out.push_back(n);
  return out;
}

Line Then(Line first, const Line& second) {
  const int offset = LengthOf(first);
  for (Note n : second) {
    n.row += offset;
    first.push_back(n);
  }
  return first;
}

int LengthOf(const Line& line) { return line.empty() ? 0 : line.back().row + line.back().length; }

bool Chord::Has(int pitchClass) const {
  for (int i : intervals)
    if ((root + i) % 12 == pitchClass % 12) return true;
  return false;
}

Chords ParseChords(std::string_view text) {
  Chords chords;
  int row = 0, length = kRowsPerBar;
  for (std::string_view token : Tokens(text)) {
    if (token == "|") continue;
    const size_t colon = token.find(':');
    std::string name(token.substr(0, colon));
    if (colon != std::string_view::npos) length = std::stoi(std::string(token.substr(colon + 1)));
    Chord chord;
    const int letter = PitchClassOfLetter(name[0]);
    if (letter < 0) Fail("bad chord '" + name + "'");
    size_t i = 1;
    chord.root = letter;
    if (i < name.size() && name[i] == '#') chord.root += 1, ++i;
    else if (i < name.size() && name[i] == 'b') chord.root += 11, ++i;
    chord.root %= 12;
    const std::string quality = name.substr(i);
    if (quality.empty()) chord.intervals = {0, 4, 7};
    else if (quality == "m") chord.intervals = {0, 3, 7};
    else if (quality == "7") chord.intervals = {0, 4, 7, 10};
    else if (quality == "m7") chord.intervals = {0, 3, 7, 10};
    else if (quality == "sus4") chord.intervals = {0, 5, 7};
    else Fail("unknown chord quality '" + name + "'");
    chord.row = row;
    chord.length = length;
    chords.push_back(chord);
    row += length;
  }
  return chords;
}

Chords TransposedChords(Chords chords, int semitones) {
  for (Chord& c : chords) c.root = ((c.root + semitones) % 12 + 12) % 12;
  return chords;
}

const Chord& ChordAt(const Chords& chords, int row) {
  for (const Chord& c : chords)
    if (row >= c.row && row < c.row + c.length) return c;
  Fail("no chord at row " + std::to_string(row));
}

int AtOrAbove(int pitchClass, int low) {
  int p = low;
  while ((p - 1) % 12 != pitchClass % 12) ++p;
  return p;
}

int ChordTone(const Chord& chord, char which, int low) {
  const int root = AtOrAbove(chord.root, low);
  switch (which) {
    case '1': return root;
    case '3': return root + chord.intervals[1];
    case '5': return root + chord.intervals[2];
    case '7': return root + (chord.intervals.size() > 3 ? chord.intervals[3] : 12);
    case '8': return root + 12;
    case 't': return root + 12 + chord.intervals[1];
    case 'f': return root + 12 + chord.intervals[2];
    default: Fail(std::string("no chord tone '") + which + "'");
  }
}

Line FollowChords(const Chords& chords, int rows, std::string_view rhythm,
                  const std::function<int(const Chord&, char)>& pitchOf) {
  const std::string grid = Grid(rhythm);
  Line line;
  for (int row = 0; row < rows; ++row) {
    const char c = grid[static_cast<size_t>(row) % grid.size()];
    if (c == '.') continue;
    Note n;
    n.row = row;
    n.pitch = c == '-' ? 0 : pitchOf(ChordAt(chords, row), c);
    if (!line.empty()) line.back().length = row - line.back().row;
    line.push_back(n);
  }
  if (!line.empty()) line.back().length = rows - line.back().row;
  return line;
}

std::vector<Line> PadVoices(const Chords& chords, int centre) {
  std::vector<Line> voices(3);
  std::vector<int> previous;
  for (const Chord& chord : chords) {
    std::vector<int> best;
    double bestCost = std::numeric_limits<double>::max();
    for (size_t lowest = 0; lowest < 3; ++lowest) {
      for (int octave = 2; octave <= 6; ++octave) {
        std::vector<int> v = {Pitch(octave, (chord.root + chord.intervals[lowest]) % 12)};
        for (size_t k = 1; k < 3; ++k)
          v.push_back(AtOrAbove((chord.root + chord.intervals[(lowest + k) % 3]) % 12, v.back() + 1));
        const double mean = (v[0] + v[1] + v[2]) / 3.0;
        double cost = std::abs(mean - centre) * (previous.empty() ? 1.0 : 0.3);
        if (!previous.empty())
          for (size_t k = 0; k < 3; ++k) cost += std::abs(v[k] - previous[k]);
        if (cost < bestCost) bestCost = cost, best = v;
      }
    }
    for (size_t k = 0; k < 3; ++k) {
      Line& line = voices[k];
      if (!previous.empty() && previous[k] == best[k]) {
        line.back().length += chord.length;
      } else {
        Note n;
        n.row = chord.row;
        n.length = chord.length;
        n.pitch = best[k];
        line.push_back(n);
      }
    }
    previous = best;
  }
  return voices;
}

Line Harmony(const Line& line, const Chords& chords, int tonic, int steps) {
  static const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
  Line out = line;
  for (Note& n : out) {
    if (!n.pitch) continue;
    const Chord& chord = ChordAt(chords, n.row);
    const int relative = n.pitch - 1 - tonic;
    const int octave = FloorDiv(relative, 12);
    const int pc = relative - 12 * octave;
    int degree = 6;  // the raised seventh falls here too
    for (int d = 0; d < 7; ++d)
      if (kMinor[d] == pc) degree = d;
    if (pc != 11 && kMinor[degree] != pc) Fail("harmony of a note outside the scale");
    const int target = degree - steps;
    const int targetOctave = FloorDiv(target, 7);
    const int d = target - 7 * targetOctave;
    int semis = kMinor[d];
    if (d == 6 && chord.Has((tonic + 11) % 12)) semis = 11;
    n.pitch = (octave + targetOctave) * 12 + semis + tonic + 1;
    // A held harmony note settles on a tone of the chord.
    if (n.length >= 4)
      while (!chord.Has((n.pitch - 1) % 12)) --n.pitch;
  }
  return out;
}

void Section::Put(int row, int channel, const Cell& cell) {
  if (row < 0 || row >= pattern_.rows) Fail("row " + std::to_string(row) + " outside the section");
  Cell& c = pattern_.At(row, channel);
  auto merge = [&](uint8_t& into, uint8_t value, const char* field) {
    if (!value) return;
    if (into && into != value)
      Fail(std::string("two ") + field + "s in row " + std::to_string(row) + ", channel " + std::to_string(channel));
    into = value;
  };
  merge(c.note, cell.note, "note");
  merge(c.instrument, cell.instrument, "instrument");
  merge(c.volume, cell.volume, "volume");
  if (cell.effect || cell.param) {
    if ((c.effect || c.param) && (c.effect != cell.effect || c.param != cell.param))
      Fail("two effects in row " + std::to_string(row) + ", channel " + std::to_string(channel));
    c.effect = cell.effect;
    c.param = cell.param;
  }
}

void Section::Play(int channel, const Line& line, const Voice& voice, int fromRow) {
  for (const Note& n : line) {
    const int row = fromRow + n.row;
    if (row >= Rows()) Fail("line runs past the end of the section");
    if (!n.pitch) {
      Put(row, channel, {.note = kKeyOff});
      continue;
    }
    if (n.pitch < 1 || n.pitch > 96) Fail("note out of range");
    Cell cell{.note = static_cast<uint8_t>(n.pitch)};
    int vibratoFrom = row + voice.vibratoDelay;
    if (n.slide) {
      cell.effect = kTonePorta;
      cell.param = voice.glide;
      if (n.length > 1) Put(row + 1, channel, {.effect = kTonePorta, .param = voice.glide});
      vibratoFrom = std::max(vibratoFrom, row + 2);
    } else {
      cell.instrument = voice.instrument;
      cell.volume = VolumeColumn(std::min(64, voice.volume + (n.accent ? 8 : 0)));
      if (voice.panning >= 0) {
        cell.effect = kSetPanning;
        cell.param = static_cast<uint8_t>(voice.panning);
      }
    }
    Put(row, channel, cell);
    if (n.vibrato)
      for (int r = vibratoFrom; r < row + n.length && r < Rows(); ++r)
        Put(r, channel, {.effect = kVibrato, .param = voice.vibrato});
  }
}

void Section::Hits(int channel, std::string_view grid, const Kit& kit, int fromRow) {
  const std::string cells = Grid(grid);
  for (size_t i = 0; i < cells.size(); ++i) {
    if (cells[i] == '.') continue;
    auto hit = std::find_if(kit.begin(), kit.end(), [&](const Hit& h) { return h.symbol == cells[i]; });
    if (hit == kit.end()) Fail(std::string("no hit for '") + cells[i] + "'");
    Put(fromRow + static_cast<int>(i), channel,
        {.note = static_cast<uint8_t>(hit->pitch), .instrument = hit->instrument,
         .volume = VolumeColumn(hit->volume), .effect = hit->effect, .param = hit->param});
  }
}

void Section::ChipArpeggio(int channel, const Chords& chords, std::string_view rhythm, const Voice& voice,
                           int fromRow, int toRow, int lowPitch) {
  const std::string grid = Grid(rhythm);
  for (int row = fromRow; row < toRow; ++row) {
    const Chord& chord = ChordAt(chords, row);
    Cell cell{.effect = kArpeggio,
              .param = static_cast<uint8_t>(chord.intervals[1] << 4 | chord.intervals[2])};
    if (grid[static_cast<size_t>(row - fromRow) % grid.size()] == 'x') {
      cell.note = static_cast<uint8_t>(AtOrAbove(chord.root, lowPitch));
      cell.instrument = voice.instrument;
      cell.volume = VolumeColumn(voice.volume);
    }
    Put(row, channel, cell);
  }
}

void Section::VolumeColumnRun(int channel, int fromRow, int toRow, uint8_t byte) {
  for (int row = fromRow; row < toRow; ++row) Put(row, channel, {.volume = byte});
}

void Section::EffectRun(int channel, int fromRow, int toRow, uint8_t effect, uint8_t param) {
  for (int row = fromRow; row < toRow; ++row) Put(row, channel, {.effect = effect, .param = param});
}

}  // namespace tune
