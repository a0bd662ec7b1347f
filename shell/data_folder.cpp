#include "shell/data_folder.h"

#include <pwd.h>
#include <unistd.h>

std::string DefaultDataFolder(const char* xdgDataHome, const char* home) {
  // The XDG rules ignore a relative XDG_DATA_HOME.
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return std::string(xdgDataHome) + "/vantomir";
  std::string base = home != nullptr ? home : "";
  if (base.empty() || base[0] != '/') {
    const passwd* user = getpwuid(getuid());
    base = user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
  }
  if (base.empty() || base[0] != '/') return "";
  return base + "/.local/share/vantomir";
}
