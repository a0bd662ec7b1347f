// Snapshots of a game in play, for jumping about in a replay.
//
// The whole state a frame of play reads and changes is the world, the
// random generator, the mouse response and the screen with its frame count;
// the landscape follows from the level. A GameSnapshot holds all of it, so
// that one copy takes the game back to any moment.
//
// A replay keeps a snapshot every so many frames (SnapshotStore) as it goes.
// A jump restores the last snapshot before the frame it wants and plays on
// from there, so it costs at most the frames between two snapshots. The
// snapshots stay within a memory budget: when they would pass it, every
// other one goes and the spacing doubles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "input/game_input.h"
#include "levels/random.h"
#include "shell/shell.h"
#include "world/world.h"

struct GameSnapshot {
  int64_t frame = 0;  // frames of the game played before this moment
  World world;
  Rng rng{};
  GameInput gameInput{};
  ScreenState screenState = ScreenState::Play;
  int32_t screenTimer = 0;

  // The memory the snapshot takes, its lists' storage included.
  size_t Bytes() const;
};

// The game as it is now, frame frames into the replay.
GameSnapshot CaptureGame(int64_t frame);

// Puts the game back to the snapshot's moment; the landscape is rebuilt when
// the snapshot is of another level.
void RestoreGame(const GameSnapshot& snapshot);

class SnapshotStore {
 public:
  static constexpr size_t kDefaultBudget = 64u << 20;  // an hour's replay fits this
  static constexpr int64_t kDefaultSpacing = 60;       // frames: one second

  explicit SnapshotStore(size_t budgetBytes = kDefaultBudget, int64_t spacing = kDefaultSpacing);

  // Whether a snapshot is wanted before frame frame is played: the frame is
  // on the spacing and beyond the last snapshot kept.
  bool Due(int64_t frame) const;
  void Keep(GameSnapshot snapshot);

  // The last snapshot taken before frame frame, or null when there is none.
  const GameSnapshot* Before(int64_t frame) const;

  void Clear();
  size_t Count() const { return snapshots_.size(); }
  size_t Bytes() const { return bytes_; }
  int64_t Spacing() const { return spacing_; }

 private:
  void Thin();

  std::vector<GameSnapshot> snapshots_;  // by frame, rising
  size_t budget_;
  int64_t firstSpacing_;
  int64_t spacing_;
  size_t bytes_ = 0;
};
