#include "support/PrivateEnvironment.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

std::string GetEnv(const char* name, bool& had)
{
    const char* value = std::getenv(name);
    had = value != nullptr;
    return had ? value : "";
}

void RestoreEnv(const char* name, const std::string& value, bool had)
{
    if (had)
        ::setenv(name, value.c_str(), 1);
    else
        ::unsetenv(name);
}

} // namespace

PrivateEnvironment::PrivateEnvironment()
{
    FSavedRuntime = GetEnv("XDG_RUNTIME_DIR", FHadRuntime);
    FSavedConfig = GetEnv("XDG_CONFIG_DIRS", FHadConfig);
    ::chmod(FBase.Path().c_str(), 0700);
    std::filesystem::create_directories(FBase / "config" / "Norvane");
    ::setenv("XDG_RUNTIME_DIR", FBase.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (FBase / "config").c_str(), 1);
}

PrivateEnvironment::~PrivateEnvironment()
{
    RestoreEnv("XDG_RUNTIME_DIR", FSavedRuntime, FHadRuntime);
    RestoreEnv("XDG_CONFIG_DIRS", FSavedConfig, FHadConfig);
}

void PrivateEnvironment::WriteViewerHandle(const std::string& line)
{
    WriteFileBytes(FBase / "config" / "Norvane" / "valdora.conf", "[demon]\n" + line + "\n");
}
