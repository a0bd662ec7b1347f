// Reading an XM image: header, packed patterns, instruments and their
// delta-coded samples. See xm_module.h for what is checked and what is forgiven.
#include <algorithm>
#include <cstring>

#include "audio/xm_module.h"

namespace xm {

namespace {

constexpr char kSignature[] = "extended module: ";  // compared without regard to case
constexpr size_t kSignatureLength = 17;
constexpr size_t kFixedHeaderBytes = 60;   // up to the header size field
constexpr size_t kInstrumentHeaderBytes = 263;
constexpr size_t kSampleHeaderBytes = 40;  // what FastTracker 2 uses, whatever the file says
constexpr int kGuardFrames = 2;

// A bounds-checked view of the image.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  bool Has(size_t offset, size_t bytes) const { return offset <= size_ && bytes <= size_ - offset; }
  uint8_t U8(size_t offset) const { return data_[offset]; }
  uint16_t U16(size_t offset) const { return uint16_t(data_[offset] | (data_[offset + 1] << 8)); }
  uint32_t U32(size_t offset) const {
    return uint32_t(data_[offset]) | uint32_t(data_[offset + 1]) << 8 |
           uint32_t(data_[offset + 2]) << 16 | uint32_t(data_[offset + 3]) << 24;
  }
  const uint8_t* At(size_t offset) const { return data_ + offset; }

 private:
  const uint8_t* data_;
  size_t size_;
};

bool Fail(std::string* error, const char* message) {
  if (error != nullptr) *error = message;
  return false;
}

std::string Text(const uint8_t* p, size_t n) {
  std::string s(reinterpret_cast<const char*>(p), n);
  s = s.substr(0, s.find('\0'));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 32) c = ' ';
  }
  return s;
}

// Unpacks one pattern's cells; data beyond what the rows hold is ignored and
// cells the data does not reach stay empty.
void UnpackPattern(const uint8_t* p, size_t bytes, int channels, Pattern* pattern) {
  if (bytes == 0) return;  // an empty pattern keeps no cells
  pattern->cells.assign(size_t(pattern->rows) * size_t(channels), Cell{});
  size_t at = 0;
  for (Cell& cell : pattern->cells) {
    if (at >= bytes) break;
    uint8_t fields = 0x1F;
    if (p[at] & 0x80) fields = p[at++] & 0x1F;
    uint8_t values[5] = {};
    for (int i = 0; i < 5; ++i) {
      if (fields & (1 << i)) {
        if (at >= bytes) return;
        values[i] = p[at++];
      }
    }
    cell.note = values[0] <= kKeyOff ? values[0] : 0;
    cell.instrument = values[1];
    cell.volume = values[2];
    cell.effect = values[3];
    cell.param = values[4];
  }
}

void ReadEnvelope(const uint8_t* header, int pointsAt, int countAt, int sustainAt, int typeAt,
                  Envelope* env) {
  const int count = std::min<int>(header[countAt], kMaxEnvelopePoints);
  const uint8_t type = header[typeAt];
  env->points = count;
  for (int i = 0; i < count; ++i) {
    const uint8_t* point = header + pointsAt + 4 * i;
    uint16_t x = uint16_t(point[0] | point[1] << 8);
    if (i > 0 && x < env->x[i - 1]) x = env->x[i - 1];
    env->x[i] = x;
    env->y[i] = uint8_t(std::min<int>(point[2] | point[3] << 8, 64));
  }
  env->sustain = header[sustainAt];
  env->loopStart = header[sustainAt + 1];
  env->loopEnd = header[sustainAt + 2];
  env->on = (type & 1) && count > 0;
  env->sustainOn = (type & 2) && env->sustain < count;
  env->loopOn = (type & 4) && env->loopEnd < count && env->loopStart <= env->loopEnd;
}

// Decodes delta-coded sample data into 16-bit frames; a stereo sample
// (channels stored one after the other) is mixed down to mono.
std::vector<int16_t> DecodeSampleData(const uint8_t* p, size_t bytes, bool sixteenBit,
                                      bool stereo) {
  const size_t width = sixteenBit ? 2 : 1;
  const size_t channels = stereo ? 2 : 1;
  const size_t frames = bytes / (width * channels);
  std::vector<int16_t> out(frames);
  for (size_t c = 0; c < channels; ++c) {
    const uint8_t* src = p + c * frames * width;
    uint16_t acc = 0;
    for (size_t i = 0; i < frames; ++i) {
      int32_t value;
      if (sixteenBit) {
        acc = uint16_t(acc + (src[2 * i] | src[2 * i + 1] << 8));
        value = int16_t(acc);
      } else {
        acc = uint8_t(acc + src[i]);
        value = int8_t(uint8_t(acc)) * 256;
      }
      if (stereo) {
        out[i] = c == 0 ? int16_t(value / 2) : int16_t(out[i] + value / 2);
      } else {
        out[i] = int16_t(value);
      }
    }
  }
  return out;
}

// Lays out the decoded frames for the mixer (see Sample::data).
void PrepareForMixing(std::vector<int16_t> frames, Sample* s) {
  s->length = int32_t(frames.size());
  if (s->loop != LoopType::None) {
    const int32_t end = std::min(s->length, s->loopStart + s->loopLength);
    if (s->loopStart >= s->length || end <= s->loopStart) {
      s->loop = LoopType::None;
    } else {
      s->loopLength = end - s->loopStart;
    }
  }
  if (s->loop == LoopType::None) {
    s->loopStart = 0;
    s->loopLength = 0;
    s->playEnd = s->length;
    frames.resize(size_t(s->length) + kGuardFrames, 0);
  } else {
    const int32_t end = s->loopStart + s->loopLength;
    frames.resize(size_t(end));
    if (s->loop == LoopType::PingPong) {
      for (int32_t i = end - 1; i >= s->loopStart; --i) frames.push_back(frames[size_t(i)]);
    }
    s->playEnd = int32_t(frames.size());
    for (int i = 0; i < kGuardFrames; ++i) frames.push_back(frames[size_t(s->loopStart + i % s->loopLength)]);
  }
  s->data = std::move(frames);
}

bool ReadInstrument(const Reader& in, size_t* offset, Instrument* inst, std::string* error) {
  const size_t start = *offset;
  if (!in.Has(start, 29)) return Fail(error, "instrument header cut short");
  const uint32_t declared = in.U32(start);
  // Some writers store a header size smaller than the fields they wrote; the
  // header is never less than the 29 bytes that every instrument has.
  const size_t headerBytes = std::max<size_t>(declared, 29);
  if (!in.Has(start, headerBytes)) return Fail(error, "instrument header cut short");
  uint8_t header[kInstrumentHeaderBytes] = {};
  std::memcpy(header, in.At(start), std::min(headerBytes, kInstrumentHeaderBytes));
  const uint16_t sampleCount = uint16_t(header[27] | header[28] << 8);
  size_t at = start + headerBytes;
  *offset = at;
  if (sampleCount == 0) return true;

  std::memcpy(inst->sampleMap, header + 33, 96);
  ReadEnvelope(header, 129, 225, 227, 233, &inst->volumeEnvelope);
  ReadEnvelope(header, 177, 226, 230, 234, &inst->panningEnvelope);
  inst->vibratoType = header[235] <= 3 ? header[235] : 0;
  inst->vibratoSweep = header[236];
  inst->vibratoDepth = header[237];
  inst->vibratoRate = header[238];
  inst->fadeout = uint16_t(header[239] | header[240] << 8);

  if (!in.Has(at, size_t(sampleCount) * kSampleHeaderBytes)) {
    return Fail(error, "sample headers cut short");
  }
  struct Pending {
    uint32_t bytes;
    bool sixteenBit, stereo;
  };
  std::vector<Pending> pending(sampleCount);
  inst->samples.resize(sampleCount);
  for (uint16_t i = 0; i < sampleCount; ++i) {
    const size_t h = at + i * kSampleHeaderBytes;
    Sample& s = inst->samples[i];
    const uint8_t type = in.U8(h + 14);
    pending[i] = {in.U32(h), (type & 0x10) != 0, (type & 0x20) != 0};
    const uint32_t frameBytes = (pending[i].sixteenBit ? 2 : 1) * (pending[i].stereo ? 2 : 1);
    s.loopStart = int32_t(std::min<uint32_t>(in.U32(h + 4) / frameBytes, INT32_MAX / 4));
    s.loopLength = int32_t(std::min<uint32_t>(in.U32(h + 8) / frameBytes, INT32_MAX / 4));
    s.volume = std::min<uint8_t>(in.U8(h + 12), 64);
    s.finetune = int8_t(in.U8(h + 13));
    s.loop = (type & 3) == 0 ? LoopType::None : (type & 3) == 1 ? LoopType::Forward : LoopType::PingPong;
    s.panning = in.U8(h + 15);
    s.relativeNote = int8_t(in.U8(h + 16));
  }
  at += size_t(sampleCount) * kSampleHeaderBytes;

  for (uint16_t i = 0; i < sampleCount; ++i) {
    const size_t available = at <= in.size() ? in.size() - at : 0;
    const size_t bytes = std::min<size_t>(pending[i].bytes, available);
    std::vector<int16_t> frames;
    if (bytes > 0) frames = DecodeSampleData(in.At(at), bytes, pending[i].sixteenBit, pending[i].stereo);
    PrepareForMixing(std::move(frames), &inst->samples[i]);
    at += bytes;
  }
  *offset = at;
  return true;
}

}  // namespace

bool LoadModule(const uint8_t* data, size_t size, Module* module, std::string* error) {
  *module = Module{};
  if (data == nullptr) return Fail(error, "no data");
  const Reader in(data, size);
  if (!in.Has(0, kFixedHeaderBytes + 20)) return Fail(error, "not an XM module (too short)");
  for (size_t i = 0; i < kSignatureLength; ++i) {
    char c = char(data[i]);
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != kSignature[i]) return Fail(error, "not an XM module (no 'Extended Module' signature)");
  }
  const uint16_t version = in.U16(58);
  if (version != 0x0104) return Fail(error, "unsupported XM version (only 0x0104 is played)");

  Module& m = *module;
  m.name = Text(data + 17, 20);
  m.tracker = Text(data + 38, 20);
  const uint32_t headerSize = in.U32(60);
  const uint16_t songLength = in.U16(64);
  const uint16_t restart = in.U16(66);
  const uint16_t channels = in.U16(68);
  const uint16_t patterns = in.U16(70);
  const uint16_t instruments = in.U16(72);
  const uint16_t flags = in.U16(74);
  const uint16_t speed = in.U16(76);
  const uint16_t tempo = in.U16(78);
  if (songLength < 1 || songLength > 256) return Fail(error, "bad song length");
  if (channels < 1 || channels > kMaxChannels) return Fail(error, "bad number of channels");
  if (patterns > kMaxPatterns) return Fail(error, "too many patterns");
  if (instruments > kMaxInstruments) return Fail(error, "too many instruments");
  if (headerSize < 20u + songLength || !in.Has(kFixedHeaderBytes, headerSize)) {
    return Fail(error, "bad header size");
  }
  m.channels = channels;
  m.linearFrequencies = (flags & 1) != 0;
  m.restart = restart < songLength ? restart : 0;
  m.speed = speed == 0 ? 6 : std::min<int>(speed, 31);
  m.tempo = tempo < 32 ? 125 : std::min<int>(tempo, 255);
  m.orders.assign(data + 80, data + 80 + songLength);

  size_t at = kFixedHeaderBytes + headerSize;
  m.patterns.resize(patterns);
  for (Pattern& pattern : m.patterns) {
    if (!in.Has(at, 9)) return Fail(error, "pattern header cut short");
    const uint32_t headerLength = in.U32(at);
    const uint16_t rows = in.U16(at + 5);
    const uint16_t packedBytes = in.U16(at + 7);
    if (headerLength < 9 || !in.Has(at, headerLength)) return Fail(error, "bad pattern header");
    if (rows > kMaxRows) return Fail(error, "pattern with too many rows");
    at += headerLength;
    if (!in.Has(at, packedBytes)) return Fail(error, "pattern data cut short");
    pattern.rows = rows == 0 ? kEmptyPatternRows : rows;
    UnpackPattern(data + at, packedBytes, channels, &pattern);
    at += packedBytes;
  }

  m.instruments.resize(instruments);
  for (Instrument& inst : m.instruments) {
    if (!ReadInstrument(in, &at, &inst, error)) return false;
  }
  return true;
}

}  // namespace xm
