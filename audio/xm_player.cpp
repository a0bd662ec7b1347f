// The renderer's song position: ticks, rows, pattern delays and loops, jumps,
// the end of a pass, and the render loop that interleaves ticks with mixing.
#include "audio/xm_player.h"

#include <algorithm>
#include <cstring>

namespace xm {

namespace {

constexpr size_t kVisitedBits = 256 * 256;

size_t VisitedBit(int32_t order, int32_t row) { return size_t(order) * 256 + size_t(row); }

}  // namespace

bool Player::Load(const uint8_t* data, size_t size, std::string* error) {
  loaded_ = LoadModule(data, size, &module_, error);
  if (!loaded_) module_ = Module{};
  Restart();
  return loaded_;
}

void Player::Restart() {
  channels_.assign(size_t(module_.channels), Channel{});
  order_ = 0;
  row_ = 0;
  tick_ = 0;
  currentTick_ = 0;
  rowFinished_ = false;
  speed_ = module_.speed;
  tempo_ = module_.tempo;
  globalVolume_ = 64;
  breakRow_ = 0;
  jump_ = false;
  jumpOrder_ = -1;
  loopJump_ = false;
  patternDelay_ = 0;
  patternDelayLeft_ = 0;
  ended_ = !loaded_;
  passes_ = 0;
  framesRendered_ = 0;
  tickFramesLeft_ = 0;
  visited_.assign(kVisitedBits / 8, 0);
  if (loaded_) visited_[VisitedBit(0, 0) / 8] |= 1;
}

int32_t Player::PatternRows(int32_t order) const {
  const uint8_t pattern = module_.orders[size_t(order)];
  return pattern < module_.patterns.size() ? module_.patterns[pattern].rows : kEmptyPatternRows;
}

const Cell* Player::RowCells() const {
  const uint8_t pattern = module_.orders[size_t(order_)];
  if (pattern >= module_.patterns.size()) return nullptr;
  const Pattern& p = module_.patterns[pattern];
  if (row_ >= p.rows || p.cells.empty()) return nullptr;
  return p.cells.data() + size_t(row_) * size_t(module_.channels);
}

void Player::ProcessTick() {
  if (rowFinished_) {
    rowFinished_ = false;
    AdvanceRow();
    if (ended_) return;
  }
  currentTick_ = tick_;
  if (tick_ == 0 && patternDelayLeft_ == 0) {
    const Cell* cells = RowCells();
    for (size_t i = 0; i < channels_.size(); ++i) {
      NewRow(channels_[i], cells != nullptr ? cells[i] : Cell{});
      UpdateEnvelopes(channels_[i]);
    }
  } else {
    // Rows repeated by a pattern delay run their tick effects on tick 0 too.
    for (Channel& ch : channels_) {
      TickEffects(ch);
      UpdateEnvelopes(ch);
    }
  }
  for (Channel& ch : channels_) UpdateVoice(ch);

  if (++tick_ >= speed_) {
    tick_ = 0;
    rowFinished_ = true;
  }
}

void Player::AdvanceRow() {
  const int32_t playedRow = row_;
  bool repeat = false;
  bool wrapped = false;
  ++row_;
  if (patternDelay_ > 0) {
    patternDelayLeft_ = patternDelay_;
    patternDelay_ = 0;
  }
  if (patternDelayLeft_ > 0 && --patternDelayLeft_ > 0) {
    --row_;
    repeat = true;
  }
  if (loopJump_) {
    // The rows of the loop are played again: they do not end the pass.
    loopJump_ = false;
    for (int32_t r = breakRow_; r <= playedRow; ++r) {
      const size_t bit = VisitedBit(order_, r);
      visited_[bit / 8] &= uint8_t(~(1u << (bit % 8)));
    }
    row_ = breakRow_;
    repeat = false;
  }
  if (row_ >= PatternRows(order_) || jump_) {
    // The break row is kept after a pattern loop, so the next pattern starts
    // at the loop's row unless a jump or break came since, as in FastTracker 2.
    row_ = breakRow_;
    breakRow_ = 0;
    int32_t next = jump_ && jumpOrder_ >= 0 ? jumpOrder_ : order_ + 1;
    jump_ = false;
    jumpOrder_ = -1;
    if (next >= int32_t(module_.orders.size())) {
      next = module_.restart;
      wrapped = true;
    }
    order_ = next;
    if (row_ >= PatternRows(order_)) row_ = 0;
    repeat = false;
  }
  if (repeat) return;

  const size_t bit = VisitedBit(order_, row_);
  if (wrapped || (visited_[bit / 8] & (1u << (bit % 8)))) {
    ++passes_;
    if (!looping_) {
      ended_ = true;
      return;
    }
    std::fill(visited_.begin(), visited_.end(), 0);
  }
  visited_[bit / 8] |= uint8_t(1u << (bit % 8));
}

void Player::StepTick() {
  if (ended_) return;
  ProcessTick();
  if (!ended_) tickFramesLeft_ = 0;
}

int Player::Render(float* out, int frames) {
  std::memset(out, 0, sizeof(float) * 2 * size_t(std::max(frames, 0)));
  int done = 0;
  while (done < frames && !ended_) {
    if (tickFramesLeft_ == 0) {
      ProcessTick();
      if (ended_) break;
      tickFramesLeft_ = TickFrames(tempo_);
    }
    const int n = std::min(frames - done, tickFramesLeft_);
    for (Channel& ch : channels_) {
      if (ch.fading.playing) {
        MixVoice(ch.fading, out + 2 * done, std::min(n, ch.fading.rampLeft));
        if (ch.fading.rampLeft == 0) ch.fading.playing = false;
      }
      MixVoice(ch.voice, out + 2 * done, n);
    }
    done += n;
    tickFramesLeft_ -= n;
    framesRendered_ += n;
  }
  return done;
}

}  // namespace xm
