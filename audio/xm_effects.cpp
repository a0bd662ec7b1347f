// What a channel does with each row and tick: notes and instruments, the
// volume column, effects 0-F, E1-EE, G, H, K, L, P, R, T, X1/X2, envelopes,
// fade-out and auto-vibrato. The behaviour follows FastTracker 2, whose
// player defines the format, down to the quirks that modules depend on
// (noted where they happen).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/xm_player.h"

namespace xm {

namespace {

enum Effect : uint8_t {
  kArpeggio = 0x0, kPortaUp = 0x1, kPortaDown = 0x2, kTonePorta = 0x3, kVibrato = 0x4,
  kTonePortaVolSlide = 0x5, kVibratoVolSlide = 0x6, kTremolo = 0x7, kSetPanning = 0x8,
  kSampleOffset = 0x9, kVolumeSlide = 0xA, kPositionJump = 0xB, kSetVolume = 0xC,
  kPatternBreak = 0xD, kExtended = 0xE, kSetSpeed = 0xF, kSetGlobalVolume = 16,
  kGlobalVolumeSlide = 17, kKeyOffEffect = 20, kEnvelopePosition = 21, kPanningSlide = 25,
  kMultiRetrig = 27, kTremor = 29, kExtraFinePorta = 33,
};

constexpr int32_t kPeriodTableSize = 1936;  // 120 notes x 16 finetune steps, plus 16
constexpr int32_t kMinPeriod = 1;
constexpr int32_t kMaxPeriod = 31999;

// The vibrato and tremolo half-wave: 255 * sin(i * pi / 32), truncated.
struct HalfSine {
  uint8_t v[32];
  HalfSine() {
    for (int i = 0; i < 32; ++i) v[i] = uint8_t(255.0 * std::sin(i * std::numbers::pi / 32.0));
  }
};
const HalfSine& HalfSineTable() {
  static const HalfSine table;
  return table;
}

// The auto-vibrato wave: -64 * sin(i * 2 pi / 256), rounded.
struct AutoVibratoSine {
  int8_t v[256];
  AutoVibratoSine() {
    for (int i = 0; i < 256; ++i) {
      v[i] = int8_t(std::lround(-64.0 * std::sin(i * 2.0 * std::numbers::pi / 256.0)));
    }
  }
};
const AutoVibratoSine& AutoVibratoSineTable() {
  static const AutoVibratoSine table;
  return table;
}

// Amiga periods for every table index (C-0 with finetune 0 at index 16 is
// 1712 * 16; each index is 1/16 semitone).
struct AmigaPeriods {
  int32_t v[kPeriodTableSize];
  AmigaPeriods() {
    for (int i = 0; i < kPeriodTableSize; ++i) {
      v[i] = int32_t(std::lround(1712.0 * 16.0 * std::exp2(-(i - 16) / 192.0)));
    }
  }
};
const AmigaPeriods& AmigaPeriodTable() {
  static const AmigaPeriods table;
  return table;
}

int32_t SlideDown(int32_t value, int32_t amount) { return value >= amount ? value - amount : 0; }
int32_t SlideUp(int32_t value, int32_t amount, int32_t max) {
  return value <= max - amount ? value + amount : max;
}

// The envelope's value at a position, linear between points: for the volume
// envelope in quarter steps (0..256), for panning in whole steps (0..64).
int32_t EnvelopeValue(const Envelope& e, int32_t position, int32_t scale) {
  if (position <= e.x[0]) return e.y[0] * scale;
  for (int i = 0; i + 1 < e.points; ++i) {
    if (position < e.x[i + 1]) {
      const int32_t dx = e.x[i + 1] - e.x[i];
      const int32_t dy = (e.y[i + 1] - e.y[i]) * scale;
      return e.y[i] * scale + dy * (position - e.x[i]) / dx;
    }
  }
  return e.y[e.points - 1] * scale;
}

// One tick of an envelope: it stays at a sustain point while the key is
// held, and jumps from the loop's end back to its start (except, after the
// key is released, when the loop ends at the sustain point).
void AdvanceEnvelope(const Envelope& e, bool keyOn, EnvelopeState& s) {
  if (s.hold) {
    s.hold = false;
    return;
  }
  if (keyOn && e.sustainOn && s.position == e.x[e.sustain]) return;
  ++s.position;
  if (e.loopOn && s.position == e.x[e.loopEnd] &&
      !(e.sustainOn && e.loopEnd == e.sustain && !keyOn)) {
    s.position = e.x[e.loopStart];
  }
}

}  // namespace

int32_t Player::NotePeriod(int32_t index) const {
  index = std::clamp(index, 0, kPeriodTableSize - 1);
  return module_.linearFrequencies ? 7744 - index * 4 : AmigaPeriodTable().v[index];
}

// The period of the note nearest to period (on the channel's finetune grid)
// moved by semitones, for arpeggio and glissando.
int32_t Player::SnapToNote(const Channel& ch, int32_t period, int32_t semitones) const {
  const int32_t fine = (ch.finetune >> 3) + 16;
  int32_t low = 0, high = 96;
  for (int i = 0; i < 8; ++i) {
    const int32_t mid = (low + high) / 2;
    // Half a semitone below note mid is where the notes under it begin.
    if (period >= NotePeriod(16 * mid + fine - 8)) {
      high = mid;
    } else {
      low = mid;
    }
  }
  return NotePeriod(std::min(16 * (low + semitones) + fine, 1551));
}

void Player::ResetVolumeAndPanning(Channel& ch) {
  ch.volume = ch.outVolume = ch.sampleVolume;
  ch.panning = ch.samplePanning;
}

void Player::RetriggerEnvelopes(Channel& ch) {
  if (!(ch.waveControl & 0x04)) ch.vibratoPosition = 0;
  if (!(ch.waveControl & 0x40)) ch.tremoloPosition = 0;
  ch.retrigCount = 0;
  ch.tremorPosition = 0;
  ch.keyOn = true;
  const Instrument* ins = ch.instrument;
  if (ins == nullptr) {
    ch.fadeoutSpeed = 0;
    ch.fadeout = 32768;
    return;
  }
  if (ins->volumeEnvelope.on) ch.volumeEnvelope = EnvelopeState{};
  if (ins->panningEnvelope.on) ch.panningEnvelope = EnvelopeState{};
  ch.fadeoutSpeed = ins->fadeout;
  ch.fadeout = 32768;
  if (ins->vibratoDepth > 0) {
    ch.autoVibratoPosition = 0;
    if (ins->vibratoSweep > 0) {
      ch.autoVibratoDepth = 0;
      ch.autoVibratoSweep = (ins->vibratoDepth << 8) / ins->vibratoSweep;
    } else {
      ch.autoVibratoDepth = ins->vibratoDepth << 8;
      ch.autoVibratoSweep = 0;
    }
  }
}

void Player::KeyOff(Channel& ch) {
  ch.keyOn = false;
  const Instrument* ins = ch.instrument;
  if (ins != nullptr && ins->volumeEnvelope.on) {
    // Held at the sustain point: the next tick still shows that point.
    const Envelope& e = ins->volumeEnvelope;
    if (e.sustainOn && ch.volumeEnvelope.position == e.x[e.sustain]) ch.volumeEnvelope.hold = true;
  } else {
    // Without a volume envelope the release cuts the note.
    ch.volume = ch.outVolume = 0;
  }
}

void Player::StartNote(Channel& ch, int note, uint8_t effect, uint8_t param) {
  if (note == kKeyOff) {
    KeyOff(ch);
    return;
  }
  if (note == 0) {
    note = ch.note;  // a retrigger plays the last note again
    if (note == 0) return;
  }
  ch.note = note;
  const int32_t n = ch.instrumentNumber;
  const Instrument* ins =
      n >= 1 && n <= int32_t(module_.instruments.size()) ? &module_.instruments[size_t(n - 1)] : nullptr;
  ch.instrument = ins;
  ch.sampleIndex = ins != nullptr ? ins->sampleMap[note - 1] : -1;
  ch.sample = ins != nullptr && ch.sampleIndex < int32_t(ins->samples.size())
                  ? &ins->samples[size_t(ch.sampleIndex)]
                  : nullptr;
  ch.relativeNote = ch.sample != nullptr ? ch.sample->relativeNote : 0;
  const int32_t realNote = note + ch.relativeNote;
  if (realNote < 0 || realNote >= 120) return;  // out of range: nothing plays anew

  ch.sampleVolume = ch.sample != nullptr ? ch.sample->volume : 0;
  ch.samplePanning = ch.sample != nullptr ? ch.sample->panning : 128;
  if (effect == kExtended && (param & 0xF0) == 0x50) {
    ch.finetune = ((param & 0x0F) << 4) - 128;  // E5x
  } else {
    ch.finetune = ch.sample != nullptr ? ch.sample->finetune : 0;
  }
  if (realNote != 0) ch.period = ch.outPeriod = NotePeriod((realNote - 1) * 16 + (ch.finetune >> 3) + 16);
  ch.trigger = true;
  if (effect == kSampleOffset) {
    if (param != 0) ch.sampleOffset = param;
    ch.startFrame = uint32_t(ch.sampleOffset) * 256;
  } else {
    ch.startFrame = 0;
  }
}

// A note with tone portamento becomes the goal of the slide; it does not play.
void Player::PreparePortamento(Channel& ch, const Cell& cell, bool instrumentGiven) {
  if (cell.note == kKeyOff) {
    KeyOff(ch);
  } else if (cell.note > 0) {
    const int32_t note = (cell.note - 1 + ch.relativeNote) & 0xFF;
    const int32_t index = note * 16 + (((ch.finetune >> 3) + 16) & 0xFF);
    if (index < kPeriodTableSize) {
      ch.targetPeriod = NotePeriod(index);
      ch.portaDirection = ch.targetPeriod == ch.period ? 0 : ch.targetPeriod > ch.period ? 1 : 2;
    }
  }
  if (instrumentGiven) {
    ResetVolumeAndPanning(ch);
    if (cell.note != kKeyOff) RetriggerEnvelopes(ch);
  }
}

void Player::NewRow(Channel& ch, const Cell& cell) {
  // An arpeggio, or a vibrato that does not go on, gives the period back.
  if (ch.effect == kArpeggio) {
    if (ch.param != 0) ch.outPeriod = ch.period;
  } else if ((ch.effect == kVibrato || ch.effect == kVibratoVolSlide) && cell.effect != kVibrato &&
             cell.effect != kVibratoVolSlide) {
    ch.outPeriod = ch.period;
  }
  ch.cell = cell;
  ch.effect = cell.effect;
  ch.param = cell.param;

  bool instrumentGiven = cell.instrument > 0 && cell.instrument <= kMaxInstruments;
  if (instrumentGiven) ch.instrumentNumber = cell.instrument;

  bool rowEffects = true;
  if (cell.effect == kExtended) {
    if (cell.param >= 0xD1 && cell.param <= 0xDF) return;  // note delay: all waits for its tick
    if (cell.param == 0x90) rowEffects = false;            // E90 plays the note as it is
  }
  if (rowEffects) {
    if ((cell.volume & 0xF0) == 0xF0) {
      if (cell.volume & 0x0F) ch.portaSpeed = (cell.volume & 0x0F) << 6;
      PreparePortamento(ch, cell, instrumentGiven);
      RowEffects(ch, cell.volume);
      return;
    }
    if (cell.effect == kTonePorta || cell.effect == kTonePortaVolSlide) {
      if (cell.effect == kTonePorta && cell.param != 0) ch.portaSpeed = cell.param << 2;
      PreparePortamento(ch, cell, instrumentGiven);
      RowEffects(ch, cell.volume);
      return;
    }
    if (cell.effect == kKeyOffEffect && cell.param == 0) {
      // K00 releases the key at once and swallows the row's note.
      KeyOff(ch);
      if (instrumentGiven) ResetVolumeAndPanning(ch);
      RowEffects(ch, cell.volume);
      return;
    }
    if (cell.note == 0) {
      if (instrumentGiven) {
        ResetVolumeAndPanning(ch);
        RetriggerEnvelopes(ch);
      }
      RowEffects(ch, cell.volume);
      return;
    }
  }
  StartNote(ch, cell.note, cell.effect, cell.param);
  if (instrumentGiven) {
    ResetVolumeAndPanning(ch);
    if (cell.note != kKeyOff) RetriggerEnvelopes(ch);
  }
  RowEffects(ch, cell.volume);
}

// Tick 0: the volume column's immediate commands, then the row effects.
void Player::RowEffects(Channel& ch, uint8_t volumeColumn) {
  // What is left of the volume column decides whether Rxy retriggers on
  // tick 0 (FastTracker 2 reuses the byte it has just worked on).
  uint8_t left = volumeColumn;
  const uint8_t v = volumeColumn;
  if (v >= 0x10 && v <= 0x50) {
    left = uint8_t(v - 0x10);
    ch.volume = ch.outVolume = left;
  } else if ((v & 0xF0) == 0x80) {
    left = v & 0x0F;
    ch.volume = ch.outVolume = SlideDown(ch.volume, left);
  } else if ((v & 0xF0) == 0x90) {
    left = v & 0x0F;
    ch.volume = ch.outVolume = SlideUp(ch.volume, left, 64);
  } else if ((v & 0xF0) == 0xA0) {
    left = uint8_t((v & 0x0F) << 2);
    ch.vibratoSpeed = left;
  } else if ((v & 0xF0) == 0xC0) {
    left = uint8_t(v << 4);
    ch.panning = left;
  }

  const uint8_t param = ch.param;
  if (ch.effect == 0 && param == 0) return;
  switch (ch.effect) {
    case kSetVolume:
      ch.volume = ch.outVolume = std::min<int32_t>(param, 64);
      return;
    case kSetPanning:
      ch.panning = param;
      return;
    case kMultiRetrig:
      if (param & 0x0F) ch.retrigSpeed = param & 0x0F;
      if (param >> 4) ch.retrigVolume = param >> 4;
      if (left == 0) MultiRetrig(ch);
      return;
    case kExtraFinePorta: {
      const uint8_t x = param & 0x0F;
      if ((param & 0xF0) == 0x10) {
        if (x != 0) ch.extraFineUpSpeed = x;
        ch.period = ch.outPeriod = std::max(ch.period - ch.extraFineUpSpeed, kMinPeriod);
      } else if ((param & 0xF0) == 0x20) {
        if (x != 0) ch.extraFineDownSpeed = x;
        ch.period = ch.outPeriod = std::min(ch.period + ch.extraFineDownSpeed, kMaxPeriod);
      }
      return;
    }
    default:
      MoreRowEffects(ch);
  }
}

void Player::MoreRowEffects(Channel& ch) {
  const uint8_t param = ch.param;
  const uint8_t x = param & 0x0F;
  switch (ch.effect) {
    case kPositionJump:
      jumpOrder_ = param;
      breakRow_ = 0;
      jump_ = true;
      break;
    case kPatternBreak: {
      const int32_t row = (param >> 4) * 10 + x;
      breakRow_ = row <= 63 ? row : 0;
      jump_ = true;
      break;
    }
    case kExtended:
      switch (param >> 4) {
        case 0x1:  // fine portamento up
          if (x != 0) ch.finePortaUpSpeed = x;
          ch.period = ch.outPeriod = std::max(ch.period - ch.finePortaUpSpeed * 4, kMinPeriod);
          break;
        case 0x2:  // fine portamento down
          if (x != 0) ch.finePortaDownSpeed = x;
          ch.period = ch.outPeriod = std::min(ch.period + ch.finePortaDownSpeed * 4, kMaxPeriod);
          break;
        case 0x3:
          ch.glissando = x;
          break;
        case 0x4:
          ch.waveControl = uint8_t((ch.waveControl & 0xF0) | x);
          break;
        case 0x6:  // pattern loop
          if (x == 0) {
            ch.loopRow = uint8_t(row_);
          } else if (ch.loopCount == 0) {
            ch.loopCount = x;
            breakRow_ = ch.loopRow;
            loopJump_ = true;
          } else if (--ch.loopCount > 0) {
            breakRow_ = ch.loopRow;
            loopJump_ = true;
          }
          break;
        case 0x7:
          ch.waveControl = uint8_t((x << 4) | (ch.waveControl & 0x0F));
          break;
        case 0xA:  // fine volume slide up
          if (x != 0) ch.fineVolumeUp = x;
          ch.volume = ch.outVolume = SlideUp(ch.volume, ch.fineVolumeUp, 64);
          break;
        case 0xB:  // fine volume slide down
          if (x != 0) ch.fineVolumeDown = x;
          ch.volume = ch.outVolume = SlideDown(ch.volume, ch.fineVolumeDown);
          break;
        case 0xC:  // EC0 cuts at once; ECx (x > 0) on its tick
          if (x == 0) ch.volume = ch.outVolume = 0;
          break;
        case 0xE:  // pattern delay (not while one is running)
          if (patternDelayLeft_ == 0) patternDelay_ = x + 1;
          break;
        default:
          break;
      }
      break;
    case kSetSpeed:
      if (param >= 32) {
        tempo_ = param;
      } else if (param > 0) {
        speed_ = param;
      }
      // F00 would halt FastTracker 2 for good; like the established players
      // the song simply goes on.
      break;
    case kSetGlobalVolume:
      globalVolume_ = std::min<int32_t>(param, 64);
      break;
    case kEnvelopePosition:
      SetEnvelopePosition(ch, param);
      break;
    default:
      break;
  }
}

void Player::SetEnvelopePosition(Channel& ch, int32_t position) {
  const Instrument* ins = ch.instrument;
  if (ins == nullptr) return;
  if (ins->volumeEnvelope.on) ch.volumeEnvelope = EnvelopeState{position, true, 0};
  // FastTracker 2 moves the panning envelope only when the volume envelope
  // has its sustain flag set; modules are written for that.
  if (ins->volumeEnvelope.sustainOn && ins->panningEnvelope.on) {
    ch.panningEnvelope = EnvelopeState{position, true, 0};
  }
}

void Player::MultiRetrig(Channel& ch) {
  const uint8_t count = uint8_t(ch.retrigCount + 1);
  if (count < ch.retrigSpeed) {
    ch.retrigCount = count;
    return;
  }
  ch.retrigCount = 0;
  int32_t v = ch.volume;
  switch (ch.retrigVolume) {
    case 0x1: v -= 1; break;
    case 0x2: v -= 2; break;
    case 0x3: v -= 4; break;
    case 0x4: v -= 8; break;
    case 0x5: v -= 16; break;
    case 0x6: v = (v >> 1) + (v >> 3) + (v >> 4); break;
    case 0x7: v >>= 1; break;
    case 0x9: v += 1; break;
    case 0xA: v += 2; break;
    case 0xB: v += 4; break;
    case 0xC: v += 8; break;
    case 0xD: v += 16; break;
    case 0xE: v = (v >> 1) + v; break;
    case 0xF: v += v; break;
    default: break;
  }
  ch.volume = ch.outVolume = std::clamp(v, 0, 64);
  const uint8_t column = ch.cell.volume;
  if (column >= 0x10 && column <= 0x50) {
    ch.volume = ch.outVolume = column - 0x10;
  } else if ((column & 0xF0) == 0xC0) {
    ch.panning = (column & 0x0F) << 4;
  }
  StartNote(ch, 0, 0, 0);
}

void Player::TonePortamento(Channel& ch) {
  if (ch.portaDirection == 0) return;
  if (ch.portaDirection > 1) {
    ch.period -= ch.portaSpeed;
    if (ch.period <= ch.targetPeriod) {
      ch.portaDirection = 1;
      ch.period = ch.targetPeriod;
    }
  } else {
    ch.period += ch.portaSpeed;
    if (ch.period >= ch.targetPeriod) {
      ch.portaDirection = 1;
      ch.period = ch.targetPeriod;
    }
  }
  ch.outPeriod = ch.glissando ? SnapToNote(ch, ch.period, 0) : ch.period;
}

void Player::VolumeSlide(Channel& ch) {
  if (ch.param != 0) ch.volumeSlide = ch.param;
  const uint8_t s = ch.volumeSlide;
  ch.volume = ch.outVolume = (s & 0xF0) == 0 ? SlideDown(ch.volume, s) : SlideUp(ch.volume, s >> 4, 64);
}

// The size (0..255) of a vibrato or tremolo oscillator at position (0..255)
// for waveform 0 (sine), 1 (ramp, turned by rampPosition) or 2..3 (square).
static int32_t OscillatorWave(int32_t waveform, int32_t position, int32_t rampPosition) {
  const int32_t index = (position / 4) & 0x1F;
  switch (waveform) {
    case 0:
      return HalfSineTable().v[index];
    case 1:
      return rampPosition >= 128 ? (index * 8) ^ 0xFF : index * 8;
    default:
      return 255;
  }
}

void Player::Vibrato(Channel& ch) {
  const int32_t delta = OscillatorWave(ch.waveControl & 3, ch.vibratoPosition, ch.vibratoPosition) *
                        ch.vibratoDepth / 32;
  ch.outPeriod = ch.vibratoPosition >= 128 ? ch.period - delta : ch.period + delta;
  ch.vibratoPosition = uint8_t(ch.vibratoPosition + ch.vibratoSpeed);
}

// Ticks after the first (and every tick of a row repeated by EEx).
void Player::TickEffects(Channel& ch) {
  const uint8_t v = ch.cell.volume;
  switch (v & 0xF0) {
    case 0x60:
      ch.volume = ch.outVolume = SlideDown(ch.volume, v & 0x0F);
      break;
    case 0x70:
      ch.volume = ch.outVolume = SlideUp(ch.volume, v & 0x0F, 64);
      break;
    case 0xB0:
      if (v != 0xB0) ch.vibratoDepth = v & 0x0F;
      Vibrato(ch);
      break;
    case 0xD0:
      // A slide of 0 sends the panning hard left, as in FastTracker 2.
      ch.panning = (v & 0x0F) == 0 ? 0 : SlideDown(ch.panning, v & 0x0F);
      break;
    case 0xE0:
      ch.panning = SlideUp(ch.panning, v & 0x0F, 255);
      break;
    case 0xF0:
      TonePortamento(ch);
      break;
    default:
      break;
  }

  const uint8_t param = ch.param;
  const uint8_t x = param & 0x0F;
  if ((ch.effect == 0 && param == 0) || ch.effect >= 36) return;
  switch (ch.effect) {
    case kArpeggio: {
      // The step follows the ticks left in the row, as FastTracker 2 counts
      // them; long rows repeat its table's last entries.
      const int32_t left = speed_ - tick_;
      const int32_t step = left < 16 ? left % 3 : left == 16 ? 0 : 2;
      if (step == 0) {
        ch.outPeriod = ch.period;
      } else {
        ch.outPeriod = SnapToNote(ch, ch.period, step == 1 ? param >> 4 : x);
      }
      break;
    }
    case kPortaUp:
      if (param != 0) ch.portaUpSpeed = param;
      ch.period = ch.outPeriod = std::max(ch.period - ch.portaUpSpeed * 4, kMinPeriod);
      break;
    case kPortaDown:
      if (param != 0) ch.portaDownSpeed = param;
      ch.period = ch.outPeriod = std::min(ch.period + ch.portaDownSpeed * 4, kMaxPeriod);
      break;
    case kTonePorta:
      TonePortamento(ch);
      break;
    case kVibrato:
      if (x != 0) ch.vibratoDepth = x;
      if (param >> 4) ch.vibratoSpeed = uint8_t((param >> 4) * 4);
      Vibrato(ch);
      break;
    case kTonePortaVolSlide:
      TonePortamento(ch);
      VolumeSlide(ch);
      break;
    case kVibratoVolSlide:
      Vibrato(ch);
      VolumeSlide(ch);
      break;
    case kTremolo: {
      if (x != 0) ch.tremoloDepth = x;
      if (param >> 4) ch.tremoloSpeed = uint8_t((param >> 4) * 4);
      // FastTracker 2 turns the tremolo's ramp by the vibrato's position.
      const int32_t delta =
          OscillatorWave((ch.waveControl >> 4) & 3, ch.tremoloPosition, ch.vibratoPosition) * ch.tremoloDepth / 64;
      ch.outVolume = ch.tremoloPosition >= 128 ? std::max(ch.volume - delta, 0)
                                               : std::min(ch.volume + delta, 64);
      ch.tremoloPosition = uint8_t(ch.tremoloPosition + ch.tremoloSpeed);
      break;
    }
    case kVolumeSlide:
      VolumeSlide(ch);
      break;
    case kExtended:
      switch (param >> 4) {
        case 0x9:  // retrigger every x ticks
          if (x != 0 && tick_ % x == 0) {
            StartNote(ch, 0, 0, 0);
            RetriggerEnvelopes(ch);
          }
          break;
        case 0xC:  // note cut
          if (tick_ == x) ch.volume = ch.outVolume = 0;
          break;
        case 0xD:  // note delay: the row's note starts now
          if (tick_ == x) {
            StartNote(ch, ch.cell.note, 0, 0);
            if (ch.cell.instrument != 0) ResetVolumeAndPanning(ch);
            RetriggerEnvelopes(ch);
            const uint8_t column = ch.cell.volume;
            if (column >= 0x10 && column <= 0x50) {
              ch.volume = ch.outVolume = column - 0x10;
            } else if ((column & 0xF0) == 0xC0) {
              ch.panning = (column & 0x0F) << 4;
            }
          }
          break;
        default:
          break;
      }
      break;
    case kGlobalVolumeSlide:
      if (param != 0) ch.globalVolumeSlide = param;
      globalVolume_ = (ch.globalVolumeSlide & 0xF0) == 0
                          ? SlideDown(globalVolume_, ch.globalVolumeSlide)
                          : SlideUp(globalVolume_, ch.globalVolumeSlide >> 4, 64);
      break;
    case kKeyOffEffect:
      if ((tick_ & 31) == x) KeyOff(ch);
      break;
    case kPanningSlide:
      if (param != 0) ch.panningSlide = param;
      ch.panning = (ch.panningSlide & 0xF0) == 0 ? SlideDown(ch.panning, ch.panningSlide)
                                                 : SlideUp(ch.panning, ch.panningSlide >> 4, 255);
      break;
    case kMultiRetrig:
      MultiRetrig(ch);
      break;
    case kTremor: {
      if (param != 0) ch.tremorParam = param;
      // Bit 7: the note sounds; bits 0-6: ticks left in this phase, minus one.
      bool on = (ch.tremorPosition & 0x80) != 0;
      uint8_t left = uint8_t((ch.tremorPosition & 0x7F) - 1);
      if (left & 0x80) {
        on = !on;
        left = on ? uint8_t(ch.tremorParam >> 4) : uint8_t(ch.tremorParam & 0x0F);
      }
      ch.tremorPosition = uint8_t(left | (on ? 0x80 : 0));
      ch.outVolume = on ? ch.volume : 0;
      break;
    }
    default:
      break;
  }
}

// Once per tick after the effects: fade-out, envelopes, auto-vibrato, and
// the gain and panning the mixer will use.
void Player::UpdateEnvelopes(Channel& ch) {
  if (!ch.keyOn) {
    if (ch.fadeout >= ch.fadeoutSpeed) {
      ch.fadeout -= ch.fadeoutSpeed;
    } else {
      ch.fadeout = 0;
      ch.fadeoutSpeed = 0;
    }
  }
  const Instrument* ins = ch.instrument;

  int32_t envelope = 256;
  if (ins != nullptr && ins->volumeEnvelope.on) {
    AdvanceEnvelope(ins->volumeEnvelope, ch.keyOn, ch.volumeEnvelope);
    envelope = EnvelopeValue(ins->volumeEnvelope, ch.volumeEnvelope.position, 4);
    ch.volumeEnvelope.value = envelope;
  }
  const uint64_t product =
      uint64_t(ch.outVolume) * uint64_t(envelope) * uint64_t(ch.fadeout) * uint64_t(globalVolume_);
  ch.gain = int32_t((product * 255 + (uint64_t(1) << 34)) >> 35);

  if (ins != nullptr && ins->panningEnvelope.on) {
    AdvanceEnvelope(ins->panningEnvelope, ch.keyOn, ch.panningEnvelope);
    const int32_t e = EnvelopeValue(ins->panningEnvelope, ch.panningEnvelope.position, 1);
    ch.panningEnvelope.value = e;
    const int32_t room = (128 - std::abs(ch.panning - 128)) >> 5;
    ch.finalPanning = std::clamp(ch.panning + (e - 32) * room, 0, 255);
  } else {
    ch.finalPanning = ch.panning;
  }

  if (ins != nullptr && ins->vibratoDepth > 0) {
    int32_t depth;
    if (ch.autoVibratoSweep > 0) {
      // While the sweep runs the depth grows with every tick the key is held;
      // once released, FastTracker 2 uses the sweep step alone.
      depth = ch.autoVibratoSweep;
      if (ch.keyOn) {
        depth += ch.autoVibratoDepth;
        if ((depth >> 8) > ins->vibratoDepth) {
          depth = ins->vibratoDepth << 8;
          ch.autoVibratoSweep = 0;
        }
        ch.autoVibratoDepth = depth;
      }
    } else {
      depth = ch.autoVibratoDepth;
    }
    ch.autoVibratoPosition = (ch.autoVibratoPosition + ins->vibratoRate) & 0xFF;
    const int32_t pos = ch.autoVibratoPosition;
    int32_t wave;
    switch (ins->vibratoType) {
      case 1:
        wave = pos > 127 ? 64 : -64;
        break;
      case 2:
        wave = (((pos >> 1) + 64) & 127) - 64;
        break;
      case 3:
        wave = (((-(pos >> 1)) + 64) & 127) - 64;
        break;
      default:
        wave = AutoVibratoSineTable().v[pos];
        break;
    }
    const int32_t period = ch.outPeriod + ((wave * 4 * int16_t(depth)) >> 16);
    ch.finalPeriod = period > kMaxPeriod || period < 0 ? 0 : period;
  } else {
    ch.finalPeriod = ch.outPeriod;
  }
}

}  // namespace xm
