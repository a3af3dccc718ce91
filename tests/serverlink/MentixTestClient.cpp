// A small program with a server-link component on an owner object, for the cross-process tests:
// single instance, hand-over, registration and quit. It ends when its standard input closes.
// With --exit-with it is only a program for the server to start, which Windows has none of at hand
// (no /bin/true, no /bin/sh): it makes the file named by --touch and ends with the code given.
//
//   mentix-test-client --events FILE [--server] [--multi] [--deny-quit] [--hang-on-quit] [ARGS...]
//   mentix-test-client [--touch FILE] --exit-with CODE
#include "serverlink/TkdbDemonClient.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

void Log(const std::string& file, const std::string& line)
{
    // Binary: lines end in LF on every system, as the test compares them (text mode writes CR LF
    // on Windows, and a handle read back as "131150\r" is no number).
    std::ofstream out(file, std::ios::app | std::ios::binary);
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

// Ends the event loop once standard input has closed. The pipe is read on a thread of its own, as
// Windows has nothing that watches a pipe from the event loop; unbuffered, so no lock of C stdio is
// held there when the program ends.
void WatchInputForItsEnd()
{
    std::thread([] {
        QFile input;
        if (input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            char buffer[64];
            while (input.read(buffer, sizeof buffer) > 0) {
            }
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }).detach();
}

} // namespace

int main(int argc, char** argv)
{
    if (HasOption(argc, argv, "--exit-with")) {
        if (HasOption(argc, argv, "--touch"))
            std::ofstream(OptionValue(argc, argv, "--touch"));
        return std::atoi(OptionValue(argc, argv, "--exit-with").c_str());
    }
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

    WatchInputForItsEnd();
    const int code = QCoreApplication::exec();
    Log(events, demon.isNull() ? "ended destroyed" : "ended");
    delete owner;
    return code;
}
