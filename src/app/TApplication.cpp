#include "app/TApplication.h"

#include "app/Pictures.h"
#include "controls/qt/QtBridge.h"
#include "platform/ProgramPath.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace {

std::string MessageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv), FTitle(ApplicationTitle(ProgramPath()))
{
    setApplicationName(ToQString(FTitle));
    // The built-in icon until a language file names another one (first show of the main window).
    setWindowIcon(Pictures::AppIcon());
}

void TApplication::HandleException(std::exception_ptr error)
{
    const std::string text = ErrorBoxText(MessageOf(error));
    if (OnErrorBox) {
        OnErrorBox(FTitle, text);
        return;
    }
    if (FErrorsToStderr || !HasDisplay()) {
        // A modal box that nobody can see would wait for ever; the texts are Windows-1252 bytes.
        const QByteArray line = (ToQString(FTitle) + QStringLiteral(": ") + ToQString(text)).toLocal8Bit();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return;
    }
    QMessageBox::critical(activeWindow(), ToQString(FTitle), ToQString(text));
}

int TApplication::ReportStartFailure(std::exception_ptr error)
{
    HandleException(error);
    return 1;
}

bool TApplication::HasDisplay() const
{
    const QString platform = platformName();
    return platform != QLatin1String("offscreen") && !platform.startsWith(QLatin1String("minimal"));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // The last line of defence: handlers of this program catch their errors where Qt calls them,
    // but whatever still comes through here is shown rather than ending the program.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}
