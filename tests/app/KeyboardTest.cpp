// The trainer driven from the keyboard alone: keys reach the focused control first, and the
// window's own keys reach every action of the tool buttons, which take no focus.
#include "AppTestSupport.h"

#include "app/TRadioGroup.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void Activate(QWidget& window)
{
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace

TEST(Keyboard, ReturnAndEnterPressTheFocusedButtonAndNoOther)
{
    Trainer trainer;
    TFrmMain& main = trainer.Main();
    TFrmAbout& about = trainer.About();
    trainer.Show();
    Activate(main);

    // Return on a bit selector presses no button: none is a default button.
    main.RGB(0)->Button(1)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(main.isVisible());

    // Info by Return opens the About box, which starts with OK focused; the keypad's Enter closes it.
    QWidget* focusedInAbout = nullptr;
    bool closedByEnter = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (!about.isVisible() || closedByEnter)
            return;
        focusedInAbout = about.focusWidget();
        QTest::keyClick(about.BButOK(), Qt::Key_Enter, Qt::KeypadModifier);
        closedByEnter = !about.isVisible();
        if (!closedByEnter)
            about.close();
    });
    watcher.start(5);
    main.BButInfo()->setFocus();
    QTest::keyClick(main.BButInfo(), Qt::Key_Return);
    watcher.stop();
    EXPECT_EQ(focusedInAbout, about.BButOK());
    EXPECT_TRUE(closedByEnter);

    // A held Return presses once: the repeats that follow press nothing. Exit by Return ends the window.
    const AboutSnapshot repeated = trainer.WhileAboutOpens([&main] {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
        QApplication::sendEvent(main.BButInfo(), &repeat);
    });
    EXPECT_FALSE(repeated.Shown);
    QTest::keyClick(main.BButExit(), Qt::Key_Return);
    EXPECT_FALSE(main.isVisible());
}
