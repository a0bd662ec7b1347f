// Small XM modules written by the tests, and per-tick traces of how the
// player runs them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "audio/xm_player.h"

namespace xmtest {

struct TestSample {
  std::vector<int16_t> frames = std::vector<int16_t>(1000, 8000);
  bool sixteenBit = true;
  int loopType = 0;  // 0 none, 1 forward, 2 ping-pong
  int loopStart = 0, loopLength = 0;
  int volume = 64, finetune = 0, panning = 128, relativeNote = 0;
};

struct TestEnvelope {
  std::vector<std::pair<int, int>> points;  // (tick, value)
  int type = 0;                             // 1 on, 2 sustain, 4 loop
  int sustain = 0, loopStart = 0, loopEnd = 0;
};

struct TestInstrument {
  std::vector<TestSample> samples = {TestSample{}};
  uint8_t sampleMap[96] = {};
  TestEnvelope volume, panning;
  int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
  int fadeout = 0;
};

struct TestPattern {
  int rows = 64;
  std::vector<xm::Cell> cells;  // rows x channels, filled with empty cells on Build
};

struct TestModule {
  int channels = 1;
  bool linear = true;
  int speed = 6, tempo = 125, restart = 0;
  std::vector<int> orders = {0};
  std::vector<TestPattern> patterns = {TestPattern{}};
  std::vector<TestInstrument> instruments = {TestInstrument{}};

  // Puts a cell at row, channel of pattern p.
  TestModule& Set(int p, int row, int channel, xm::Cell cell) {
    TestPattern& pat = patterns[size_t(p)];
    pat.cells.resize(size_t(pat.rows) * size_t(channels));
    pat.cells[size_t(row) * size_t(channels) + size_t(channel)] = cell;
    return *this;
  }
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
inline void PutText(std::vector<uint8_t>& out, const std::string& s, size_t n) {
  for (size_t i = 0; i < n; ++i) out.push_back(i < s.size() ? uint8_t(s[i]) : 0);
}

// The module as an XM 0x0104 image (patterns packed, samples delta-coded).
inline std::vector<uint8_t> Build(const TestModule& m) {
  std::vector<uint8_t> out;
  PutText(out, "Extended Module: ", 17);
  PutText(out, "test", 20);
  out.push_back(0x1A);
  PutText(out, "builder", 20);
  Put16(out, 0x0104);
  Put32(out, 276);
  Put16(out, uint32_t(m.orders.size()));
  Put16(out, uint32_t(m.restart));
  Put16(out, uint32_t(m.channels));
  Put16(out, uint32_t(m.patterns.size()));
  Put16(out, uint32_t(m.instruments.size()));
  Put16(out, m.linear ? 1 : 0);
  Put16(out, uint32_t(m.speed));
  Put16(out, uint32_t(m.tempo));
  for (int i = 0; i < 256; ++i) out.push_back(i < int(m.orders.size()) ? uint8_t(m.orders[size_t(i)]) : 0);

  for (const TestPattern& p : m.patterns) {
    std::vector<xm::Cell> cells = p.cells;
    cells.resize(size_t(p.rows) * size_t(m.channels));
    std::vector<uint8_t> packed;
    for (const xm::Cell& c : cells) {
      const uint8_t v[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
      uint8_t flags = 0x80;
      for (int i = 0; i < 5; ++i) flags |= v[i] ? uint8_t(1 << i) : 0;
      packed.push_back(flags);
      for (int i = 0; i < 5; ++i) {
        if (v[i]) packed.push_back(v[i]);
      }
    }
    Put32(out, 9);
    out.push_back(0);
    Put16(out, uint32_t(p.rows));
    Put16(out, uint32_t(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
  }

  for (const TestInstrument& ins : m.instruments) {
    Put32(out, 263);
    PutText(out, "instrument", 22);
    out.push_back(0);
    Put16(out, uint32_t(ins.samples.size()));
    Put32(out, 40);
    out.insert(out.end(), ins.sampleMap, ins.sampleMap + 96);
    for (const TestEnvelope* e : {&ins.volume, &ins.panning}) {
      for (size_t i = 0; i < 12; ++i) {
        Put16(out, i < e->points.size() ? uint32_t(e->points[i].first) : 0);
        Put16(out, i < e->points.size() ? uint32_t(e->points[i].second) : 0);
      }
    }
    out.push_back(uint8_t(ins.volume.points.size()));
    out.push_back(uint8_t(ins.panning.points.size()));
    for (const TestEnvelope* e : {&ins.volume, &ins.panning}) {
      out.push_back(uint8_t(e->sustain));
      out.push_back(uint8_t(e->loopStart));
      out.push_back(uint8_t(e->loopEnd));
    }
    out.push_back(uint8_t(ins.volume.type));
    out.push_back(uint8_t(ins.panning.type));
    out.push_back(uint8_t(ins.vibratoType));
    out.push_back(uint8_t(ins.vibratoSweep));
    out.push_back(uint8_t(ins.vibratoDepth));
    out.push_back(uint8_t(ins.vibratoRate));
    Put16(out, uint32_t(ins.fadeout));
    PutText(out, "", 22);
    for (const TestSample& s : ins.samples) {
      const uint32_t width = s.sixteenBit ? 2 : 1;
      Put32(out, uint32_t(s.frames.size()) * width);
      Put32(out, uint32_t(s.loopStart) * width);
      Put32(out, uint32_t(s.loopLength) * width);
      out.push_back(uint8_t(s.volume));
      out.push_back(uint8_t(int8_t(s.finetune)));
      out.push_back(uint8_t(s.loopType | (s.sixteenBit ? 0x10 : 0)));
      out.push_back(uint8_t(s.panning));
      out.push_back(uint8_t(int8_t(s.relativeNote)));
      out.push_back(0);
      PutText(out, "sample", 22);
    }
    for (const TestSample& s : ins.samples) {
      int32_t previous = 0;
      for (int16_t f : s.frames) {
        if (s.sixteenBit) {
          Put16(out, uint16_t(f - previous));
          previous = f;
        } else {
          const int8_t v = int8_t(f / 256);
          out.push_back(uint8_t(v - previous));
          previous = v;
        }
      }
    }
  }
  return out;
}

// A cell: note (0 none, 97 off), instrument, volume column, effect, parameter.
inline xm::Cell C(int note, int instrument = 0, int volume = 0, int effect = 0, int param = 0) {
  return xm::Cell{uint8_t(note), uint8_t(instrument), uint8_t(volume), uint8_t(effect), uint8_t(param)};
}

constexpr int kC4 = 49;  // C-4: the sample's own pitch

// Loads the module into player; fails the test when it does not load.
inline bool Load(xm::Player& player, const TestModule& m) {
  const std::vector<uint8_t> image = Build(m);
  std::string error;
  const bool ok = player.Load(image.data(), image.size(), &error);
  if (!ok) ADD_FAILURE() << "module did not load: " << error;
  return ok;
}

// One value of channel 0 after each of the next ticks.
inline std::vector<int> Trace(xm::Player& player, int ticks, const std::function<int(const xm::Channel&)>& f,
                              int channel = 0) {
  std::vector<int> values;
  for (int i = 0; i < ticks; ++i) {
    player.StepTick();
    values.push_back(f(player.channel(channel)));
  }
  return values;
}

inline int Volume(const xm::Channel& c) { return c.outVolume; }
inline int Period(const xm::Channel& c) { return c.finalPeriod; }
inline int Panning(const xm::Channel& c) { return c.finalPanning; }
inline int Gain(const xm::Channel& c) { return c.gain; }

}  // namespace xmtest
