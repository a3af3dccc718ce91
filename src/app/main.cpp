// Bytescope: a trainer for the 8-bit encoding of characters.
#include "app/StartupProbe.h"
#include "app/TApplication.h"
#include "app/TFrmAbout.h"
#include "app/TFrmMain.h"
#include "app/TScreenshotTour.h"

#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

namespace {

const char* const kUsage =
    "usage: bytescope [--screenshots DIR] [PARAMETER...]\n"
    "\n"
    "Bytescope shows how a character is encoded as an 8-bit code: as eight binary digits, as the\n"
    "character itself and as eight bit switches. Step the code, jump to A, Z, a, z or 0, or flip\n"
    "single bits.\n"
    "\n"
    "The window texts come from bytescope.itl beside the program. Only one instance runs at a time;\n"
    "a second start ends at once. Parameters are kept as start parameters.\n"
    "\n"
    "options:\n"
    "  --screenshots DIR  save the About box at start and the main window after a few steps as\n"
    "                     PNG files in DIR, print their paths and end; also while the trainer\n"
    "                     runs, and without a display (on Qt's offscreen platform)\n"
    "  -h, --help         show this text and end\n"
    "  --version          show the version and end\n";

struct Options
{
    QString Screenshots; // empty: the trainer as a learner uses it
};

// The options this program answers itself; anything else is a start parameter. Returns the exit
// code when the program has nothing more to do.
std::optional<int> ReadOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("Bytescope 1.0");
            return 0;
        }
        if (std::strcmp(argv[i], "--screenshots") == 0) {
            if (i + 1 >= argc) {
                std::fputs("bytescope: --screenshots needs a folder\n", stderr);
                return 2;
            }
            options.Screenshots = QString::fromLocal8Bit(argv[++i]);
        }
    }
    return std::nullopt;
}

// Screenshots need no one to look at the screen, so without a display they are taken on Qt's
// offscreen platform; a platform the user chose is kept.
void ChoosePlatformForScreenshots()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Qt ends the process with abort(), and a core dump, when it cannot open its platform (no
// display, a display that refuses us, a missing plugin). While the application object is built
// such a message ends the start like any other failed start instead.
class FatalStartMessages
{
public:
    FatalStartMessages() : FPrevious(qInstallMessageHandler(&Handle)) {}
    ~FatalStartMessages() { qInstallMessageHandler(FPrevious); }
    FatalStartMessages(const FatalStartMessages&) = delete;
    FatalStartMessages& operator=(const FatalStartMessages&) = delete;

private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
        if (type != QtFatalMsg)
            return;
        std::fputs("bytescope: no window system to show the trainer on (without a display, "
                   "bytescope --screenshots DIR takes its pictures on QT_QPA_PLATFORM=offscreen)\n",
                   stderr);
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(1); // nothing has been built that needs taking down
    }

    QtMessageHandler FPrevious;
};

std::unique_ptr<TApplication> StartApplication(int& argc, char** argv)
{
    const FatalStartMessages fatalMessages;
    return std::make_unique<TApplication>(argc, argv);
}

int RunTrainer(TApplication& application, const Options& options)
{
    const bool screenshots = !options.Screenshots.isEmpty();
    if (screenshots) {
        QDir().mkpath(options.Screenshots);
        application.SetErrorsToStderr(true); // nobody is there to press OK
    }
    // Screenshots are no second start of the trainer: they are taken beside a running one.
    TFrmMainSetup setup;
    setup.MultiStart = screenshots;
    std::unique_ptr<TFrmMain> FrmMain;
    std::unique_ptr<TFrmAbout> FrmAbout;
    try {
        FrmMain = std::make_unique<TFrmMain>(setup);
        FrmAbout = std::make_unique<TFrmAbout>();
    } catch (...) {
        // Without its windows the program has nothing to run: the error is reported, then it ends.
        return application.ReportStartFailure(std::current_exception());
    }
    FrmMain->SetAboutBox(FrmAbout.get());
    WatchFirstShow(FrmAbout.get()); // start-up benchmark only: see StartupProbe.h

    std::unique_ptr<TScreenshotTour> tour;
    if (screenshots)
        tour = std::make_unique<TScreenshotTour>(*FrmMain, *FrmAbout, options.Screenshots);

    // The message loop shows the main window, which runs its first show.
    QTimer::singleShot(0, FrmMain.get(), [main = FrmMain.get()] { main->show(); });
    const int code = application.exec();
    return tour != nullptr ? tour->ExitCode() : code;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (const std::optional<int> done = ReadOptions(argc, argv, options))
        return *done;
    if (!options.Screenshots.isEmpty())
        ChoosePlatformForScreenshots();
    const std::unique_ptr<TApplication> application = StartApplication(argc, argv);
    return RunTrainer(*application, options);
}
