#pragma once

#include <string>
#include <vector>

// The sub-commands of bytescope-tool. Each gets the arguments after its own name and returns the
// process's exit code: 0 done, 1 the work failed (a message is on stderr), 2 bad usage.
using CommandArgs = std::vector<std::string>;

int RunBinCommand(const CommandArgs& args);
int RunRenderCommand(const CommandArgs& args, int argc, char** argv);
int RunItlCommand(const CommandArgs& args, int argc, char** argv);
int RunItlTemplateCommand(const CommandArgs& args, int argc, char** argv);
int RunMentixCommand(const CommandArgs& args, int argc, char** argv);

// Writes `message` and a line break to stderr and returns `code`.
int Fail(int code, const std::string& message);
