#include "Commands.h"

// Placeholder until the mentix command is built.
int RunMentixCommand(const CommandArgs&, int, char**)
{
    return Fail(1, "mentix: not available in this build");
}
