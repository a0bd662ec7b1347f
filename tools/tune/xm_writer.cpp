#include "tools/tune/xm_writer.h"

#include <algorithm>
#include <stdexcept>

namespace tune {
namespace {

class Bytes {
 public:
  void U8(unsigned v) { out_.push_back(static_cast<uint8_t>(v)); }
  void U16(unsigned v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  // A text field of fixed width, padded with `pad`.
  void Text(const std::string& text, size_t width, char pad = '\0') {
    if (text.size() > width) throw std::runtime_error("text too long for its field: " + text);
    for (size_t i = 0; i < width; ++i) U8(static_cast<uint8_t>(i < text.size() ? text[i] : pad));
  }
  void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }
  size_t Size() const { return out_.size(); }
  void Append(const std::vector<uint8_t>& bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
  std::vector<uint8_t>& Data() { return out_; }

 private:
  std::vector<uint8_t> out_;
};

// Packed pattern data: a cell with every field present is written as its five
// bytes; any other cell as a flag byte (bit 7 set, bits 0..4 for note,
// instrument, volume, effect, parameter) followed by the fields it names.
std::vector<uint8_t> PackPattern(const Pattern& pattern) {
  Bytes packed;
  for (int row = 0; row < pattern.rows; ++row) {
    for (int channel = 0; channel < pattern.channels; ++channel) {
      const Cell& c = pattern.At(row, channel);
      unsigned flags = (c.note ? 1u : 0u) | (c.instrument ? 2u : 0u) | (c.volume ? 4u : 0u) |
                       (c.effect ? 8u : 0u) | (c.param ? 16u : 0u);
      if (flags == 31) {
        packed.U8(c.note);
        packed.U8(c.instrument);
        packed.U8(c.volume);
        packed.U8(c.effect);
        packed.U8(c.param);
        continue;
      }
      packed.U8(0x80 | flags);
      if (c.note) packed.U8(c.note);
      if (c.instrument) packed.U8(c.instrument);
      if (c.volume) packed.U8(c.volume);
      if (c.effect) packed.U8(c.effect);
      if (c.param) packed.U8(c.param);
    }
  }
  return std::move(packed.Data());
}

void WriteEnvelopePoints(Bytes& out, const Envelope& envelope) {
  if (envelope.points.size() > 12) throw std::runtime_error("envelope with more than 12 points");
  for (const auto& [tick, value] : envelope.points) {
    out.U16(tick);
    out.U16(value);
  }
  out.Zeros(4 * (12 - envelope.points.size()));
}

unsigned EnvelopeFlags(const Envelope& envelope) {
  if (!envelope.Enabled()) return 0;
  return 1u | (envelope.sustain >= 0 ? 2u : 0u) | (envelope.loopStart >= 0 ? 4u : 0u);
}

void WriteInstrument(Bytes& out, const Instrument& instrument) {
  const Sample& s = instrument.sample;
  const size_t start = out.Size();
  out.U32(263);  // instrument header size, as FastTracker 2 writes it
  out.Text(instrument.name, 22);
  out.U8(0);  // type
  out.U16(1);  // one sample
  out.U32(40);  // sample header size
  out.Zeros(96);  // every key plays sample 0
  WriteEnvelopePoints(out, instrument.volumeEnvelope);
  WriteEnvelopePoints(out, instrument.panningEnvelope);
  out.U8(static_cast<unsigned>(instrument.volumeEnvelope.points.size()));
  out.U8(static_cast<unsigned>(instrument.panningEnvelope.points.size()));
  // Sustain point, loop start and loop end: volume first, then panning.
  for (const Envelope* e : {&instrument.volumeEnvelope, &instrument.panningEnvelope}) {
    out.U8(static_cast<unsigned>(std::max(e->sustain, 0)));
    out.U8(static_cast<unsigned>(std::max(e->loopStart, 0)));
    out.U8(static_cast<unsigned>(std::max(e->loopEnd, 0)));
  }
  out.U8(EnvelopeFlags(instrument.volumeEnvelope));
  out.U8(EnvelopeFlags(instrument.panningEnvelope));
  out.U8(instrument.vibratoType);
  out.U8(instrument.vibratoSweep);
  out.U8(instrument.vibratoDepth);
  out.U8(instrument.vibratoRate);
  out.U16(instrument.fadeout);
  out.Zeros(263 - (out.Size() - start));  // reserved

  // The sample header; lengths and loop points count bytes.
  const uint32_t bytesPerFrame = s.sixteenBit ? 2 : 1;
  if (s.loop != Loop::kNone && (s.loopLength == 0 || s.loopStart + s.loopLength > s.data.size()))
    throw std::runtime_error("sample loop outside the sample: " + s.name);
  out.U32(static_cast<uint32_t>(s.data.size()) * bytesPerFrame);
  out.U32(s.loop == Loop::kNone ? 0 : s.loopStart * bytesPerFrame);
  out.U32(s.loop == Loop::kNone ? 0 : s.loopLength * bytesPerFrame);
  out.U8(s.volume);
  out.U8(static_cast<uint8_t>(s.finetune));
  out.U8(static_cast<unsigned>(s.loop) | (s.sixteenBit ? 0x10u : 0u));
  out.U8(s.panning);
  out.U8(static_cast<uint8_t>(s.relativeNote));
  out.U8(0);  // delta-coded data
  out.Text(s.name, 22);

  // Delta-coded data: each value is the difference from the one before it.
  int previous = 0;
  for (int16_t v : s.data) {
    if (s.sixteenBit) {
      out.U16(static_cast<uint16_t>(v - previous));
      previous = v;
    } else {
      const int v8 = v >> 8;
      out.U8(static_cast<uint8_t>(v8 - previous));
      previous = v8;
    }
  }
}

}  // namespace

std::vector<uint8_t> WriteXm(const Module& m) {
  if (m.orders.empty() || m.orders.size() > 256) throw std::runtime_error("order list must hold 1..256 entries");
  Bytes out;
  out.Text("Extended Module: ", 17);
  out.Text(m.name, 20);
  out.U8(0x1A);
  out.Text(m.tracker, 20, ' ');
  out.U16(0x0104);
  out.U32(276);  // header size from here: 20 bytes of fields and the order table
  out.U16(static_cast<unsigned>(m.orders.size()));
  out.U16(static_cast<unsigned>(m.restart));
  out.U16(static_cast<unsigned>(m.channels));
  out.U16(static_cast<unsigned>(m.patterns.size()));
  out.U16(static_cast<unsigned>(m.instruments.size()));
  out.U16(m.linearFrequencies ? 1 : 0);
  out.U16(static_cast<unsigned>(m.speed));
  out.U16(static_cast<unsigned>(m.tempo));
  for (size_t i = 0; i < 256; ++i) out.U8(i < m.orders.size() ? m.orders[i] : 0);

  for (const Pattern& pattern : m.patterns) {
    if (pattern.channels != m.channels || pattern.rows < 1 || pattern.rows > 256)
      throw std::runtime_error("pattern does not fit the module");
    const std::vector<uint8_t> packed = PackPattern(pattern);
    out.U32(9);  // pattern header size
    out.U8(0);   // packing type
    out.U16(static_cast<unsigned>(pattern.rows));
    out.U16(static_cast<unsigned>(packed.size()));
    out.Append(packed);
  }
  for (const Instrument& instrument : m.instruments) WriteInstrument(out, instrument);
  return std::move(out.Data());
}

}  // namespace tune
