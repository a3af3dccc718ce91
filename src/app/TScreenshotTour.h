#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class TFrmAbout;
class TFrmMain;

// A run without anyone at the screen: saves a picture of the About box as it opens at start,
// closes it, takes the trainer through a few steps, saves a picture of the main window, prints
// where both pictures are and ends the program.
class TScreenshotTour : public QObject
{
    Q_OBJECT

public:
    TScreenshotTour(TFrmMain& main, TFrmAbout& about, const QString& folder);

    // The program's exit code once the tour is over: 0 when both pictures were saved.
    int ExitCode() const { return FExitCode; }

private:
    void Poll();
    bool Save(QWidget& window, const QString& name);
    void TakeSteps();
    void Finish(int exitCode);

    TFrmMain& FMain;
    TFrmAbout& FAbout;
    QString FFolder;
    QTimer FTimer;
    int FPolls = 0;
    bool FAboutDone = false;
    int FExitCode = 1;
};
