#include "support/PrivateEnvironment.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

struct Variable
{
    const char* Name;
    std::string Value;
    bool Had;

    explicit Variable(const char* name) : Name(name)
    {
        const char* value = std::getenv(name);
        Had = value != nullptr;
        Value = Had ? value : "";
    }
    void Restore() const
    {
        if (Had)
            ::setenv(Name, Value.c_str(), 1);
        else
            ::unsetenv(Name);
    }
};

} // namespace

class PrivateEnvironment::Saved
{
public:
    Variable Runtime{"XDG_RUNTIME_DIR"};
    Variable Config{"XDG_CONFIG_DIRS"};
};

PrivateEnvironment::PrivateEnvironment() : FSaved(std::make_unique<Saved>())
{
    ::chmod(FBase.Path().c_str(), 0700);
    std::filesystem::create_directories(FBase / "config" / "Norvane");
    ::setenv("XDG_RUNTIME_DIR", FBase.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (FBase / "config").c_str(), 1);
}

PrivateEnvironment::~PrivateEnvironment()
{
    FSaved->Runtime.Restore();
    FSaved->Config.Restore();
}

void PrivateEnvironment::WriteViewerHandle(const std::string& line)
{
    WriteFileBytes(FBase / "config" / "Norvane" / "valdora.conf", "[demon]\n" + line + "\n");
}
