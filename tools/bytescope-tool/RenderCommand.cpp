#include "Commands.h"

// Placeholder until the render command is built.
int RunRenderCommand(const CommandArgs&, int, char**)
{
    return Fail(1, "render: not available in this build");
}
