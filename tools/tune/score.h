// The note language of the tune and the building blocks that turn lines,
// chords and drum grids into pattern cells.
//
// Lines: whitespace-separated tokens, one row per sixteenth note, 16 rows a bar.
//   a4 c#5 bb3     a note (letter, optional # or b, octave); C-4 is middle C
//   r              a rest (the sounding note is released)
//   :n             after a note or rest: it lasts n rows; the length carries on
//                  to the following tokens until another is given (start: 4)
//   ~              vibrato on the held part of the note
//   >              glide into the note from the one before (tone portamento)
//   !              accent
//   |              bar line; it must fall on a bar boundary
//
// Chords: tokens like "am", "f", "c#m", "e7", "esus4", each with an optional
// ":n" length in rows (start: 16, carried on like note lengths).
//
// Grids (drums, rhythms): one character a row; spaces and bar lines are
// ignored, '.' is an empty row.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "tools/tune/instruments.h"
#include "tools/tune/xm_writer.h"

namespace tune {

constexpr int kRowsPerBar = 16;
constexpr int kChannels = 12;

enum Channel : int {
  kLeadCh,   // melody
  kEchoCh,   // echo, harmony or doubling of the melody
  kBellCh,   // bells, counter-lines, stabs
  kArpCh,    // chip arpeggios
  kPadCh1,   // three pad voices
  kPadCh2,
  kPadCh3,
  kBassCh,
  kKickCh,
  kSnareCh,
  kHatCh,
  kFxCh,     // crash, toms, risers
};

// XM note number of a pitch: C-0 = 1.
constexpr int Pitch(int octave, int pitchClass) { return 12 * octave + pitchClass + 1; }

struct Note {
  int row = 0;
  int length = 0;
  int pitch = 0;  // XM note number; 0 for a rest
  bool vibrato = false;
  bool slide = false;
  bool accent = false;
};
using Line = std::vector<Note>;

Line ParseLine(std::string_view text);
Line Transposed(Line line, int semitones);
// The line shifted later by `rows`; notes are cut at `endRow`.
Line Delayed(const Line& line, int rows, int endRow);
// The notes of a line that start in [from, to).
Line Slice(const Line& line, int from, int to);
// Joins lines end to end.
Line Then(Line first, const Line& second);
int LengthOf(const Line& line);

struct Chord {
  int row = 0;
  int length = 0;
  int root = 0;                // pitch class, C = 0
  std::vector<int> intervals;  // semitones above the root, starting with 0
  bool Has(int pitchClass) const;
};
using Chords = std::vector<Chord>;

Chords ParseChords(std::string_view text);
Chords TransposedChords(Chords chords, int semitones);
const Chord& ChordAt(const Chords& chords, int row);

// The lowest pitch of a pitch class at or above `low`.
int AtOrAbove(int pitchClass, int low);

// A tone of the chord counted from its root at or above `low`: '1' root,
// '3' third, '5' fifth, '7' seventh (root an octave up in a triad), '8' root
// an octave up, 't' third an octave up, 'f' fifth an octave up.
int ChordTone(const Chord& chord, char which, int low);

// A line that follows the chords: `rhythm` (a grid, repeated) says where notes
// start; at a row with character c, pitchOf(chord, c) gives the pitch (0 for
// a rest). A note lasts until the next character that is not '.'; '-' only ends it.
Line FollowChords(const Chords& chords, int rows, std::string_view rhythm,
                  const std::function<int(const Chord&, char)>& pitchOf);

// Three pad voices, close voicings led smoothly from chord to chord around
// `centre`; a voice plays again only when its pitch changes.
std::vector<Line> PadVoices(const Chords& chords, int centre);

// The melody moved down `steps` degrees of the minor scale on `tonic` (its
// seventh raised under chords that hold the raised seventh); notes of four
// rows or more move further down to the nearest tone of the chord.
Line Harmony(const Line& line, const Chords& chords, int tonic, int steps);

// How a channel plays a line.
struct Voice {
  Ins instrument;
  int volume = 48;
  int panning = -1;         // 0..255 set with each note, or -1 for the sample's own
  uint8_t vibrato = 0x54;   // 4xy parameter for held notes marked '~'
  int vibratoDelay = 3;     // rows into the note before the vibrato starts
  uint8_t glide = 0x0C;     // 3xx speed for notes marked '>'
};

struct Hit {
  char symbol;
  Ins instrument;
  int pitch;
  int volume;
  uint8_t effect = 0;
  uint8_t param = 0;
};
using Kit = std::vector<Hit>;

class Section {
 public:
  explicit Section(int bars) : pattern_(bars * kRowsPerBar, kChannels) {}
  int Rows() const { return pattern_.rows; }
  const Pattern& Result() const { return pattern_; }

  // Merges the given fields into a cell; two different values for one field
  // are a mistake in the score and stop the build of the tune.
  void Put(int row, int channel, const Cell& cell);

  void Play(int channel, const Line& line, const Voice& voice, int fromRow = 0);
  // A grid of hits: each character names a hit of the kit.
  void Hits(int channel, std::string_view grid, const Kit& kit, int fromRow = 0);
  // Arpeggio effect (0xy) with the chord's next two tones on every row of
  // [fromRow, toRow), notes struck where `rhythm` has 'x'.
  void ChipArpeggio(int channel, const Chords& chords, std::string_view rhythm, const Voice& voice, int fromRow,
                    int toRow, int lowPitch);
  // Same volume-column byte on every row of [fromRow, toRow) (e.g. fine slides).
  void VolumeColumnRun(int channel, int fromRow, int toRow, uint8_t byte);
  void EffectRun(int channel, int fromRow, int toRow, uint8_t effect, uint8_t param);

 private:
  Pattern pattern_;
};

}  // namespace tune
