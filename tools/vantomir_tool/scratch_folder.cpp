#include "tools/vantomir_tool/scratch_folder.h"

#include <cstdlib>
#include <string>
#include <system_error>

std::filesystem::path MakeScratchFolder(const char* what) {
  std::error_code ec;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
  if (ec) return {};
  std::string pattern = (temporary / ("vantomir-" + std::string(what) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}
