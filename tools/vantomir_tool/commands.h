// The subcommands of vantomir-tool; each takes its own arguments (without the
// command name) and returns the exit code.
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::string>;

int RandomCommand(const Args& args);
int RunCommand(const Args& args);
int PlayCommand(const Args& args);
int PaceCommand(const Args& args);
int LatencyCommand(const Args& args);
int LevelCommand(const Args& args);
int SettingsCommand(const Args& args);
int SoundsCommand(const Args& args);
int RenderXmCommand(const Args& args);
int SoakCommand(const Args& args);
int VerifyCommand(const Args& args);
