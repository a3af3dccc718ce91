#include "Commands.h"

// Placeholder until the itl command is built.
int RunItlCommand(const CommandArgs&, int, char**)
{
    return Fail(1, "itl: not available in this build");
}
