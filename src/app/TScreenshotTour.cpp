#include "app/TScreenshotTour.h"

#include "app/TFrmAbout.h"
#include "app/TFrmMain.h"
#include "app/TRadioGroup.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>

#include <cstdio>

namespace {

constexpr int kPollMs = 50;
constexpr int kMaxPolls = 600; // a window that never appears must not keep the run alive

} // namespace

TScreenshotTour::TScreenshotTour(TFrmMain& main, TFrmAbout& about, const QString& folder)
    : FMain(main), FAbout(about), FFolder(folder)
{
    connect(&FTimer, &QTimer::timeout, this, &TScreenshotTour::Poll);
    FTimer.start(kPollMs);
}

void TScreenshotTour::Poll()
{
    if (++FPolls > kMaxPolls) {
        std::fprintf(stderr, "bytescope: the windows did not appear; no screenshots\n");
        Finish(1);
        return;
    }
    if (!FAboutDone && FAbout.isVisible()) {
        FAboutDone = true;
        const bool saved = Save(FAbout, QStringLiteral("about.png"));
        FAbout.close();
        if (!saved)
            Finish(1);
        return;
    }
    if (FMain.isVisible() && !FAbout.isVisible()) {
        if (!FAboutDone)
            std::fprintf(stderr, "bytescope: the About box did not open at start\n");
        TakeSteps();
        Finish(Save(FMain, QStringLiteral("main.png")) && FAboutDone ? 0 : 1);
    }
}

// What a learner might do first: step up twice from "A", then switch on the top bit.
void TScreenshotTour::TakeSteps()
{
    FMain.SBPlus()->click();
    FMain.SBPlus()->click();
    FMain.RGB(7)->Button(1)->click();
}

bool TScreenshotTour::Save(QWidget& window, const QString& name)
{
    QApplication::processEvents();
    const QString path = QDir(FFolder).absoluteFilePath(name);
    // Qt's paths use "/"; a Windows user reads and pastes them with the system's "\\".
    const QString shown = QDir::toNativeSeparators(path);
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "bytescope: cannot write %s\n", qPrintable(shown));
        return false;
    }
    std::printf("%s\n", qPrintable(shown));
    std::fflush(stdout);
    return true;
}

void TScreenshotTour::Finish(int exitCode)
{
    FTimer.stop();
    FExitCode = exitCode;
    FMain.close();
    QApplication::exit(exitCode);
}
