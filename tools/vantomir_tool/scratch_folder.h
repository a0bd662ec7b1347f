// A folder of a tool's own for a headless run of the game, so that nothing
// of the player's is read or written.
#pragma once

#include <filesystem>

// A new, private folder "vantomir-<what>-XXXXXX" in the temporary folder
// ($TMPDIR, or /tmp); empty when it cannot be made.
std::filesystem::path MakeScratchFolder(const char* what);
