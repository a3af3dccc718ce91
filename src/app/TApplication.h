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
    // as caption, an error icon.
    void HandleException(std::exception_ptr error) override;

    bool notify(QObject* receiver, QEvent* event) override;

    // When set, the error box is not shown but handed here (caption, text), for tests and for
    // runs without anyone to press OK.
    std::function<void(const std::string& caption, const std::string& text)> OnErrorBox;

private:
    std::string FTitle;
};

// The text the error box shows for an error message: a full stop is appended when the last
// character's code is above that of ".".
std::string ErrorBoxText(const std::string& message);
