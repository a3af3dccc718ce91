#include "ItlOutput.h"

#include "Commands.h"

#include "i18n/TBabelfish2000.h"
#include "platform/BytePath.h"

#include <exception>

int WriteGeneratedItlFile(TBabelfish2000& engine, const std::string& out, const std::string& command)
{
    engine.SetAutoCreateItlFile(false);
    try {
        engine.WriteItlFile(PathFromBytes(out));
    } catch (const std::exception& error) {
        return Fail(1, command + ": " + error.what());
    }
    return 0;
}
