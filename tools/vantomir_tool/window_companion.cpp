#include "tools/vantomir_tool/window_companion.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

int RunWindowCompanion(const std::string& command, const std::vector<std::string>& args) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    std::fprintf(stderr, "vantomir-tool %s: cannot find my own directory: %s\n", command.c_str(),
                 error.message().c_str());
    return 1;
  }
  const std::string program = (self.parent_path() / kWindowProgram).string();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);
  execv(program.c_str(), argv.data());
  std::fprintf(stderr, "vantomir-tool %s: cannot run %s: %s\n", command.c_str(), program.c_str(),
               std::strerror(errno));
  return 1;
}
