// A small writer of FastTracker 2 extended modules (XM, format version 0x0104):
// the module header, patterns in the packed form, instruments with one sample
// each, and delta-coded 8- or 16-bit sample data.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tune {

// Note values of a pattern cell: 1 = C-0 ... 96 = B-7, 97 = key off.
constexpr uint8_t kKeyOff = 97;

// Effect numbers of the effect column, as far as the tune uses them.
enum Effect : uint8_t {
  kArpeggio = 0x0,
  kPortaUp = 0x1,
  kTonePorta = 0x3,
  kVibrato = 0x4,
  kSetPanning = 0x8,
  kExtended = 0xE,  // E9x: retrigger the note every x ticks
};

// Volume column: 0x10..0x50 set volume 0..64; 0x60/0x70 slide down/up and
// 0x80/0x90 fine slide down/up by the low nibble.
inline uint8_t VolumeColumn(int volume) { return static_cast<uint8_t>(0x10 + volume); }

struct Cell {
  uint8_t note = 0;        // 0 = none
  uint8_t instrument = 0;  // 0 = none, 1..128
  uint8_t volume = 0;      // volume column byte, 0 = none
  uint8_t effect = 0;
  uint8_t param = 0;

};

struct Pattern {
  int rows = 64;
  int channels = 0;
  std::vector<Cell> cells;  // row by row, channel by channel

  Pattern(int rowCount, int channelCount)
      : rows(rowCount), channels(channelCount), cells(static_cast<size_t>(rowCount * channelCount)) {}
  Cell& At(int row, int channel) { return cells[static_cast<size_t>(row * channels + channel)]; }
  const Cell& At(int row, int channel) const { return cells[static_cast<size_t>(row * channels + channel)]; }
};

// Envelope points are (tick, value 0..64); at most 12 points.
struct Envelope {
  std::vector<std::pair<uint16_t, uint16_t>> points;
  int sustain = -1;  // point index, or -1 for none
  int loopStart = -1;
  int loopEnd = -1;
  bool Enabled() const { return !points.empty(); }
};

enum class Loop : uint8_t { kNone = 0, kForward = 1, kPingPong = 2 };

struct Sample {
  std::string name;
  std::vector<int16_t> data;  // full 16-bit range; stored as 8 bits unless sixteenBit
  bool sixteenBit = false;
  Loop loop = Loop::kNone;
  uint32_t loopStart = 0;  // in sample frames
  uint32_t loopLength = 0;
  uint8_t volume = 64;
  int8_t finetune = 0;       // 1/128 semitone
  uint8_t panning = 128;     // 0 = left, 255 = right
  int8_t relativeNote = 0;   // semitones; 0 plays C-4 at 8363 Hz
};

struct Instrument {
  std::string name;
  Sample sample;
  Envelope volumeEnvelope;
  Envelope panningEnvelope;
  uint8_t vibratoType = 0;  // 0 sine, 1 square, 2 ramp down, 3 ramp up
  uint8_t vibratoSweep = 0;
  uint8_t vibratoDepth = 0;
  uint8_t vibratoRate = 0;
  uint16_t fadeout = 0;
};

struct Module {
  std::string name;
  std::string tracker = "Vantomir tune maker";
  int channels = 0;
  int speed = 6;    // ticks per row
  int tempo = 125;  // BPM
  int restart = 0;
  bool linearFrequencies = true;
  std::vector<uint8_t> orders;
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;
};

// The module as an XM file image.
std::vector<uint8_t> WriteXm(const Module& module);

}  // namespace tune
