// Bytescope: a trainer for the 8-bit encoding of characters.
#include "app/StartupProbe.h"
#include "app/TApplication.h"
#include "app/TFrmAbout.h"
#include "app/TFrmMain.h"
#include "app/TScreenshotTour.h"

#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

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
    "                     PNG files in DIR, print their paths and end (works without a display\n"
    "                     on QT_QPA_PLATFORM=offscreen)\n"
    "  --help             show this text and end\n"
    "  --version          show the version and end\n";

} // namespace

int main(int argc, char** argv)
{
    QString screenshots;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
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
            screenshots = QString::fromLocal8Bit(argv[++i]);
        }
    }

    TApplication application(argc, argv);
    if (!screenshots.isEmpty()) {
        QDir().mkpath(screenshots);
        // Nobody is there to press OK: errors go to stderr.
        application.OnErrorBox = [](const std::string&, const std::string& text) {
            std::fprintf(stderr, "bytescope: %s\n", text.c_str());
        };
    }

    TFrmMain FrmMain;
    TFrmAbout FrmAbout;
    FrmMain.SetAboutBox(&FrmAbout);
    WatchFirstShow(&FrmAbout); // start-up benchmark only: see StartupProbe.h

    std::unique_ptr<TScreenshotTour> tour;
    if (!screenshots.isEmpty())
        tour = std::make_unique<TScreenshotTour>(FrmMain, FrmAbout, screenshots);

    // The message loop shows the main window, which runs its first show.
    QTimer::singleShot(0, &FrmMain, [&FrmMain] { FrmMain.show(); });
    const int code = application.exec();
    return tour != nullptr ? tour->ExitCode() : code;
}
