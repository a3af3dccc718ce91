#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
inline void MessagesToStderr(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}
#endif

// Runs every test under an application object of the given type. CTest runs the test programs on
// the offscreen platform; started by hand, they pick it too unless QT_QPA_PLATFORM says otherwise.
template <class Application>
int RunQtTests(int& argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef _WIN32
    // A Windows program without a console window has Qt's warnings sent to the debugger; the tests
    // read them from stderr, as a developer does who starts the program from a console. Not set
    // through the environment, which the programs that tests start would inherit.
    qInstallMessageHandler(&MessagesToStderr);
#endif
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
