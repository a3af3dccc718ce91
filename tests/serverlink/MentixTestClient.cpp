// A small program with a server-link component on an owner object, for the cross-process tests:
// single instance, hand-over, registration and quit. It ends when its standard input closes.
//
//   mentix-test-client --events FILE [--server] [--multi] [--deny-quit] [--hang-on-quit] [ARGS...]
#include "serverlink/TkdbDemonClient.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

void Log(const std::string& file, const std::string& line)
{
    std::ofstream out(file, std::ios::app);
    out << line << '\n';
}

bool HasOption(int argc, char** argv, const char* option)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0)
            return true;
    }
    return false;
}

std::string OptionValue(int argc, char** argv, const char* option)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0)
            return argv[i + 1];
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const std::string events = OptionValue(argc, argv, "--events");
    const bool denyQuit = HasOption(argc, argv, "--deny-quit");
    const bool hangOnQuit = HasOption(argc, argv, "--hang-on-quit");

    auto* owner = new QObject;
    QPointer<TkdbDemonClient> demon;
    try {
        demon = new TkdbDemonClient(owner);
        demon->SetUseValdoraServer(HasOption(argc, argv, "--server"));
        demon->SetMultiStart(HasOption(argc, argv, "--multi"));
        demon->SetAutoTranslate(false);
        demon->OnParamsChange = [&](TkdbCustomDemon& sender) {
            std::string line = "params";
            for (const std::string& param : sender.Params())
                line += " " + param;
            Log(events, line);
            Log(events, "paramstr0 " + sender.ParamStr(0));
        };
        demon->OnQuitMsgReceived = [&](TkdbCustomDemon&, bool serverDown, bool& allowQuit) {
            Log(events, std::string("quit ") + (serverDown ? "1" : "0"));
            while (hangOnQuit)
                std::this_thread::sleep_for(std::chrono::seconds(1));
            allowQuit = !denyQuit;
        };
        demon->Loaded();
    } catch (const std::exception& e) {
        Log(events, std::string("error ") + e.what());
        return 1;
    }
    Log(events, "ready " + std::to_string(demon->OwnEntity.Handle));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
    });
    const int code = QCoreApplication::exec();
    Log(events, demon.isNull() ? "ended destroyed" : "ended");
    delete owner;
    return code;
}
