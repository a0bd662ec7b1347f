// Where the game keeps the player's files (vantomir.ini and the screenshots)
// unless told otherwise: $XDG_DATA_HOME/vantomir when that is an absolute
// path, else $HOME/.local/share/vantomir. Empty when neither is known.
#pragma once

#include <string>

std::string DefaultDataFolder(const char* xdgDataHome, const char* home);
