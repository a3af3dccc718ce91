#pragma once

#include "controls/qt/ExceptionSink.h"

#include <QApplication>

#include <functional>
#include <string>

// The program's application object. Its title comes from the program file's name ("Bytescope"
// for /opt/bytescope/bytescope). An error that leaves an event handler or a window's show
// handling is shown in the standard error box and the program carries on.
class TApplication : public QApplication, public ExceptionSink
{
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    const std::string& Title() const { return FTitle; }

    // Shows the error box for the error: the message with the full-stop rule applied, the title
    // as caption, an error icon. Where nobody can see a box (no display, or errors sent to
    // stderr) the same caption and text go to stderr as one line "caption: text".
    void HandleException(std::exception_ptr error) override;

    // An error that kept the windows from being built ends the program: it is reported as
    // HandleException reports it, and the result is the exit code to end with (not 0).
    int ReportStartFailure(std::exception_ptr error);

    bool notify(QObject* receiver, QEvent* event) override;

    // Whether the platform shows windows to anyone ("offscreen" and "minimal" do not).
    bool HasDisplay() const;

    // For runs without anyone to press OK on a display: errors go to stderr instead of a box.
    void SetErrorsToStderr(bool value) { FErrorsToStderr = value; }

    // When set, the error box is not shown but handed here (caption, text), for tests.
    std::function<void(const std::string& caption, const std::string& text)> OnErrorBox;

private:
    std::string FTitle;
    bool FErrorsToStderr = false;
};

// The text the error box shows for an error message: a full stop is appended when the last
// character's code is above that of ".".
std::string ErrorBoxText(const std::string& message);
