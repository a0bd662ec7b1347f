// An extended module (XM, FastTracker 2 format 0x0104) as the music player
// holds it: patterns unpacked into cells, instruments with their envelopes,
// and samples decoded to signed 16-bit with their loops laid out for the mixer.
//
// The loader trusts nothing in the file: every count, length and offset is
// checked against the data, so a damaged or foreign file is refused with a
// message and never read out of bounds. The one leniency is sample data that
// runs past the end of the file (many modules in the wild are cut short
// there): the sample keeps the part that is present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

constexpr int kMaxChannels = 64;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 128;
constexpr int kMaxRows = 256;
constexpr int kMaxEnvelopePoints = 12;
constexpr int kEmptyPatternRows = 64;  // an order past the last pattern plays this many empty rows

constexpr uint8_t kKeyOff = 97;  // the note that releases the key

struct Cell {
  uint8_t note = 0;        // 0 none, 1..96 C-0..B-7, 97 key off
  uint8_t instrument = 0;  // 0 none, 1..128
  uint8_t volume = 0;      // volume column byte
  uint8_t effect = 0;      // 0..35 (0..F, then G = 16 ... X = 33)
  uint8_t param = 0;

  bool operator==(const Cell&) const = default;
};

struct Pattern {
  int32_t rows = kEmptyPatternRows;
  std::vector<Cell> cells;  // rows x channels, row by row; none when the pattern is empty
};

struct Envelope {
  int32_t points = 0;  // 0..12; an envelope without points is off
  uint16_t x[kMaxEnvelopePoints] = {};  // ticks, never decreasing
  uint8_t y[kMaxEnvelopePoints] = {};   // 0..64
  int32_t sustain = 0, loopStart = 0, loopEnd = 0;  // point indices
  bool on = false, sustainOn = false, loopOn = false;
};

enum class LoopType : uint8_t { None, Forward, PingPong };

struct Sample {
  int32_t length = 0;      // frames as stored in the file
  int32_t loopStart = 0;   // frames
  int32_t loopLength = 0;  // frames; 0 when there is no loop
  LoopType loop = LoopType::None;
  uint8_t volume = 64;     // 0..64
  int8_t finetune = 0;     // 1/128 semitone
  uint8_t panning = 128;   // 0..255
  int8_t relativeNote = 0;

  // What the mixer plays: the sample up to the loop's end, then (ping-pong)
  // the loop backwards, then guard frames so that interpolation may always
  // read one frame beyond the playing one. A loop plays from loopStart up to
  // playEnd and then goes on at loopStart again.
  std::vector<int16_t> data;
  int32_t playEnd = 0;
};

struct Instrument {
  uint8_t sampleMap[96] = {};  // note 1..96 -> sample index
  Envelope volumeEnvelope, panningEnvelope;
  uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
  uint16_t fadeout = 0;
  std::vector<Sample> samples;
};

struct Module {
  std::string name;
  std::string tracker;
  int32_t channels = 0;
  bool linearFrequencies = true;
  int32_t restart = 0;
  int32_t speed = 6;    // ticks per row
  int32_t tempo = 125;  // beats per minute
  std::vector<uint8_t> orders;
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;  // instrument n is instruments[n - 1]
};

// Reads a module image. On failure returns false, leaves a short reason in
// *error (may be null) and *module in an unspecified but valid state.
bool LoadModule(const uint8_t* data, size_t size, Module* module, std::string* error);

}  // namespace xm
