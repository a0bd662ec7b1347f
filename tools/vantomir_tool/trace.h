// The game's state as JSON fields, for the per-frame traces of
// vantomir-tool play and vantomir-tool run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The effects played since the last call, by slot, in the order played.
void StartWatchingSounds();
void StopWatchingSounds();
std::vector<int32_t> TakePlayedSounds();

// "score":..,"lives":.., ... ,"hash":"...": the player and game state, the
// level settings the game moves, the ten list lengths by list name and the
// lists' hash (HashEntityLists), without braces.
std::string GameStateFields();

// The lists' hash as 16 lower-case hex digits.
std::string HashText(uint64_t hash);

// "[1,14,22]"
std::string SoundsField(const std::vector<int32_t>& slots);
