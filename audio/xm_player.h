// The XM renderer: plays a loaded module into interleaved stereo floats at
// 44100 frames per second. It needs no thread and no device; the music
// thread, vantomir-tool render-xm, the tests and the benchmark all use it.
//
// Timing. A tick lasts 110250 / tempo frames (2.5 s / tempo at 44100 Hz),
// rounded down to whole frames, as the established players do; ticks, rows
// and orders advance as FastTracker 2 advances them, including its quirks
// where modules rely on them.
//
// Mixing. On every tick each channel's period gives its frequency (linear
// table: 8363 * 2^((4608 - period) / 768) Hz rounded; Amiga table:
// 14317056 / period; at least 100 Hz), stepped through the sample in 32.32
// fixed point with linear interpolation between neighbouring frames. Its
// volume, envelope, fade-out and the global volume make a gain 0..255, split
// left and right by the panning; a change of either side's gain is spread
// over the next 128 frames. A new note comes in from silence over those 128
// frames while the sound it replaces fades out over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/xm_module.h"

namespace xm {

constexpr int kOutputRate = 44100;
constexpr int kRampFrames = 128;

// Where an envelope is: its position in ticks, and whether the next tick
// leaves it there (just after a trigger or an Lxx).
struct EnvelopeState {
  int32_t position = 0;
  bool hold = true;
  int32_t value = 0;  // volume: 0..256 (quarter steps of 0..64); panning: 0..64
};

// A sample being played: position and step through its data, and the left
// and right gains with their ramps (in gain units, 0..255).
struct Voice {
  const Sample* sample = nullptr;
  bool playing = false;
  uint64_t position = 0;  // 32.32 frames into sample->data
  uint64_t step = 0;      // 32.32 frames per output frame
  int32_t leftGain = 0, rightGain = 0;  // where the ramps go
  float left = 0, right = 0;            // where the ramps are
  float leftStep = 0, rightStep = 0;
  int32_t rampLeft = 0;                 // frames of ramp to go
};

// One channel: what the pattern asked for, the effect memories and the
// voice that the mixer plays. Fields are public so that tests can trace them.
struct Channel {
  // The current row's cell.
  Cell cell;
  uint8_t effect = 0, param = 0;  // the effect running on this row

  // Instrument, sample and pitch.
  int32_t instrumentNumber = 0;  // last instrument given, 1-based; 0 none
  const Instrument* instrument = nullptr;
  const Sample* sample = nullptr;
  int32_t sampleIndex = -1;
  int32_t note = 0;  // last note played from the pattern, 1..96
  int32_t relativeNote = 0;
  int32_t finetune = 0;       // -128..127
  int32_t period = 0;         // the period slides work on
  int32_t outPeriod = 0;      // with vibrato and arpeggio
  int32_t finalPeriod = 0;    // with auto-vibrato: what the mixer plays
  int32_t targetPeriod = 0;   // tone portamento goal
  int32_t portaDirection = 0; // 0 none, 1 up in period or arrived, 2 down

  // Volume and panning.
  int32_t volume = 0;         // 0..64, what slides work on
  int32_t outVolume = 0;      // with tremolo and tremor
  int32_t sampleVolume = 0;   // the sample's default volume (restored by an instrument number)
  int32_t samplePanning = 128;
  int32_t panning = 128;      // 0..255
  int32_t finalPanning = 128; // with the panning envelope
  bool keyOn = true;          // false once the key is released
  int32_t fadeout = 32768;    // 32768 .. 0
  int32_t fadeoutSpeed = 0;
  EnvelopeState volumeEnvelope, panningEnvelope;
  int32_t autoVibratoPosition = 0, autoVibratoDepth = 0, autoVibratoSweep = 0;

  // Effect memories.
  uint8_t portaUpSpeed = 0, portaDownSpeed = 0, finePortaUpSpeed = 0, finePortaDownSpeed = 0;
  uint8_t extraFineUpSpeed = 0, extraFineDownSpeed = 0;
  int32_t portaSpeed = 0;
  uint8_t vibratoSpeed = 0, vibratoDepth = 0, vibratoPosition = 0;
  uint8_t tremoloSpeed = 0, tremoloDepth = 0, tremoloPosition = 0;
  uint8_t waveControl = 0, glissando = 0;
  uint8_t volumeSlide = 0, fineVolumeUp = 0, fineVolumeDown = 0;
  uint8_t globalVolumeSlide = 0, panningSlide = 0;
  uint8_t retrigSpeed = 0, retrigVolume = 0, retrigCount = 0;
  uint8_t tremorParam = 0, tremorPosition = 0;
  uint8_t sampleOffset = 0;
  uint8_t loopRow = 0, loopCount = 0;
  uint32_t startFrame = 0;  // where the next trigger starts the sample
  bool trigger = false;     // the voice restarts at the end of this tick

  // The voices: the one playing, and the one a new note replaced, fading out.
  Voice voice;
  Voice fading;
  int32_t frequency = 0;  // Hz
  int32_t gain = 0;       // 0..255
};

class Player {
 public:
  Player() = default;
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Loads a module image and sets everything to the song's start. On failure
  // the player holds no song and error (may be null) says why.
  bool Load(const uint8_t* data, size_t size, std::string* error);
  bool Loaded() const { return loaded_; }
  const Module& module() const { return module_; }

  // Back to the song's start: order 0, row 0, the module's speed and tempo.
  void Restart();

  // Looping (the default) goes on at the restart position at the end of the
  // order list; otherwise the song ends there. Either way the end of a pass
  // is also reached when playback comes back to a row it has played (a jump
  // backwards), and PassesCompleted counts the passes.
  void SetLooping(bool looping) { looping_ = looping; }

  // Renders frames of stereo (left, right) into out, adding nothing but
  // writing every value; returns the frames rendered, fewer than asked only
  // when a song that does not loop has ended (the rest of out is zeroed).
  int Render(float* out, int frames);

  // Test access: processes the next tick as Render would, without mixing.
  void StepTick();

  bool Ended() const { return ended_; }
  int32_t PassesCompleted() const { return passes_; }
  int64_t FramesRendered() const { return framesRendered_; }

  // Where the song is: the order and row of the row being played, the tick
  // within it, and the global settings.
  int32_t order() const { return order_; }
  int32_t row() const { return row_; }
  int32_t tick() const { return currentTick_; }
  int32_t speed() const { return speed_; }
  int32_t tempo() const { return tempo_; }
  int32_t globalVolume() const { return globalVolume_; }
  int32_t channelCount() const { return int32_t(channels_.size()); }
  const Channel& channel(int i) const { return channels_[size_t(i)]; }

  // Frames in a tick at a tempo.
  static int32_t TickFrames(int32_t tempo) { return 110250 / tempo; }

 private:
  // Song position.
  const Cell* RowCells() const;
  int32_t PatternRows(int32_t order) const;
  void ProcessTick();
  void AdvanceRow();
  void EnterRow();

  // Channels (xm_effects.cpp).
  void NewRow(Channel& ch, const Cell& cell);
  void RowEffects(Channel& ch, uint8_t volumeColumnForRetrig);
  void MoreRowEffects(Channel& ch);
  void TickEffects(Channel& ch);
  void StartNote(Channel& ch, int note, uint8_t effect, uint8_t param);
  void PreparePortamento(Channel& ch, const Cell& cell, bool instrumentGiven);
  void ResetVolumeAndPanning(Channel& ch);
  void RetriggerEnvelopes(Channel& ch);
  void KeyOff(Channel& ch);
  void MultiRetrig(Channel& ch);
  void TonePortamento(Channel& ch);
  void VolumeSlide(Channel& ch);
  void Vibrato(Channel& ch);
  void SetEnvelopePosition(Channel& ch, int32_t position);
  void UpdateEnvelopes(Channel& ch);
  int32_t NotePeriod(int32_t tableIndex) const;
  int32_t SnapToNote(const Channel& ch, int32_t period, int32_t semitones) const;

  // Voices (xm_mixer.cpp).
  void UpdateVoice(Channel& ch);
  static void MixVoice(Voice& voice, float* out, int frames);

  Module module_;
  bool loaded_ = false;
  bool looping_ = true;
  std::vector<Channel> channels_;

  int32_t order_ = 0, row_ = 0, tick_ = 0;  // tick_: the next tick of the row
  int32_t currentTick_ = 0;                   // the tick processed last
  bool rowFinished_ = false;                  // the row's last tick has been processed
  int32_t speed_ = 6, tempo_ = 125, globalVolume_ = 64;
  int32_t breakRow_ = 0;
  bool jump_ = false;       // Bxx or Dxx: go on at another order
  int32_t jumpOrder_ = -1;  // Bxx's order; -1: the next one
  bool loopJump_ = false;   // E6x: back to the loop row
  int32_t patternDelay_ = 0, patternDelayLeft_ = 0;
  bool ended_ = false;
  int32_t passes_ = 0;
  int64_t framesRendered_ = 0;
  int32_t tickFramesLeft_ = 0;
  std::vector<uint8_t> visited_;  // 256 orders x 256 rows, one bit each
};

}  // namespace xm
