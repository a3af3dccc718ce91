#include "controls/hyperlink/UrlShell.h"

#include "platform/Shell.h"

namespace {

class PlatformUrlShell final : public TUrlShell
{
public:
    void OpenAddress(const std::string& url) override { OpenWebAddress(url); }

    int StartProgram(const std::string& path, const std::string& params) override
    {
        const int error = ::StartProgram(std::string_view(path), std::string_view(params));
        // The Windows shell reports success with a value above 32.
        return error == ssOk ? 33 : error;
    }
};

} // namespace

TUrlShell& DefaultUrlShell()
{
    static PlatformUrlShell shell;
    return shell;
}
