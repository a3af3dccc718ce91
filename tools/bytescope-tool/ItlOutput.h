#pragma once

#include <string>

class TBabelfish2000;

// Writes the language file that `engine` has generated to `out`, and keeps the engine from writing
// it to the current directory as well when it goes. Returns the exit code: 0, or 1 with the reason
// on stderr after "COMMAND: ".
int WriteGeneratedItlFile(TBabelfish2000& engine, const std::string& out, const std::string& command);
