// The trainer driven from the keyboard alone: keys reach the focused control first, and the
// window's own keys reach every action of the tool buttons, which take no focus.
#include "AppTestSupport.h"

#include "app/TMemo.h"
#include "app/TRadioGroup.h"
#include "controls/dotmatrix/TRasterLab.h"
#include "util/BinText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

void Activate(QWidget& window)
{
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// The window shows its code in all three places.
void ExpectShowsCode(TFrmMain& main, int code)
{
    EXPECT_EQ(main.Code(), code);
    EXPECT_EQ(main.RLabBin()->Text(), IntToBinText(static_cast<unsigned>(code), 8));
    EXPECT_EQ(main.RLabAscii()->Text(), std::string(1, static_cast<char>(code)));
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_EQ(main.RGB(bit)->ItemIndex(), (code >> bit) & 1) << "bit " << bit;
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

namespace {

void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Types one character as the keyboard gives it: the key, with the character as its text.
void TypeCharacter(const QString& character, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focused = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, character);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, modifiers, character);
    QApplication::sendEvent(focused, &press);
    QApplication::sendEvent(focused, &release);
}

} // namespace

TEST(Keyboard, CtrlArrowsAndPlusMinusStepWhereverTheFocusIsAndStopAtTheEnds)
{
    Trainer trainer;
    TFrmMain& main = trainer.Main();
    trainer.Show();
    Activate(main);

    // Ctrl+arrows step from every control that takes the focus; the control keeps it.
    int code = 65;
    for (QWidget* focus : {static_cast<QWidget*>(main.BButInfo()), static_cast<QWidget*>(main.BButExit()),
                           static_cast<QWidget*>(main.MMExplain()->Editor()),
                           static_cast<QWidget*>(main.RGB(3)->Button(main.RGB(3)->ItemIndex()))}) {
        SCOPED_TRACE(focus->metaObject()->className());
        focus->setFocus();
        Type(Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(main.Code(), ++code);
        EXPECT_EQ(main.RLabAscii()->Text(), std::string(1, static_cast<char>(code)));
        Type(Qt::Key_Up, Qt::ControlModifier);
        Type(Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(main.Code(), code);
        Type(Qt::Key_Plus, Qt::ShiftModifier);
        Type(Qt::Key_Minus, Qt::KeypadModifier);
        TypeCharacter(QStringLiteral("+"));
        EXPECT_EQ(main.Code(), ++code);
        EXPECT_EQ(QApplication::focusWidget(), focus);
    }

    // As the buttons do, the keys stop at 255 and at 0, without a refresh.
    main.BButInfo()->setFocus();
    TypeCharacter(QStringLiteral("\u00FF"));
    ASSERT_EQ(main.Code(), 255);
    int paints = main.RLabBin()->PaintCount();
    Type(Qt::Key_Up, Qt::ControlModifier);
    Type(Qt::Key_Plus);
    EXPECT_EQ(main.Code(), 255);
    EXPECT_EQ(main.RLabBin()->PaintCount(), paints);
    TypeCharacter(QStringLiteral("!"));
    for (int step = 0; step < 33; ++step)
        Type(Qt::Key_Minus);
    ASSERT_EQ(main.Code(), 0);
    paints = main.RLabBin()->PaintCount();
    Type(Qt::Key_Down, Qt::ControlModifier);
    Type(Qt::Key_Minus);
    EXPECT_EQ(main.Code(), 0);
    EXPECT_EQ(main.RLabBin()->PaintCount(), paints);
    EXPECT_TRUE(trainer.Errors().empty());
}

TEST(Keyboard, ATypedCharacterJumpsToItsCodeUnlessTheFocusedControlUsesTheKey)
{
    Trainer trainer;
    TFrmMain& main = trainer.Main();
    trainer.Show();
    Activate(main);
    main.MMExplain()->Editor()->setFocus();

    const struct
    {
        const char16_t* Typed;
        Qt::KeyboardModifiers Modifiers;
        int Code; // -1: the code stays
    } rows[] = {
        {u"Z", Qt::ShiftModifier, 90},
        {u"a", Qt::NoModifier, 97},
        {u"z", Qt::NoModifier, 122},
        {u"0", Qt::NoModifier, 48},
        {u"5", Qt::KeypadModifier, 53},
        {u"~", Qt::NoModifier, 126},
        {u"\u00E9", Qt::NoModifier, 0xE9},
        {u"\u20AC", Qt::NoModifier, 0x80},                 // Windows-1252's euro sign
        {u"@", Qt::ControlModifier | Qt::AltModifier, 64}, // AltGr on some systems
        {u"A", Qt::ShiftModifier, 65},
        {u"\u0142", Qt::NoModifier, -1}, // no Windows-1252 code
        {u"\u0416", Qt::NoModifier, -1},
        {u"b", Qt::ControlModifier, -1}, // the desktop's and other programs' shortcuts
        {u"b", Qt::AltModifier, -1},
        {u"\x7F", Qt::NoModifier, -1}, // not printable
        {u"\u0085", Qt::NoModifier, -1},
        {u"\U0001F600", Qt::NoModifier, -1},
    };
    int code = 65;
    for (const auto& row : rows) {
        const QString typed = QString::fromUtf16(row.Typed);
        SCOPED_TRACE(typed.toStdString());
        const int paints = main.RLabBin()->PaintCount();
        TypeCharacter(typed, row.Modifiers);
        if (row.Code >= 0)
            code = row.Code;
        EXPECT_EQ(main.Code(), code);
        if (row.Code < 0) {
            EXPECT_EQ(main.RLabBin()->PaintCount(), paints);
        }
    }
    ExpectShowsCode(main, 65);

    // The focused control's own keys: the memo pages on Space, a bit selector's arrows choose
    // within it (bit 0 of 65 is cleared: 64, not a step), a button is pressed by Space.
    Type(Qt::Key_Space);
    EXPECT_EQ(main.Code(), 65);
    main.RGB(0)->Button(1)->setFocus();
    Type(Qt::Key_Up);
    EXPECT_EQ(main.Code(), 64);
    EXPECT_EQ(QApplication::focusWidget(), main.RGB(0)->Button(0));
    const AboutSnapshot about = trainer.WhileAboutOpens([&main] {
        main.BButInfo()->setFocus();
        QTest::keyClick(main.BButInfo(), Qt::Key_Space);
    });
    EXPECT_TRUE(about.Shown);
    EXPECT_EQ(main.Code(), 64);
}

TEST(Keyboard, KeysRunTheButtonsHandlersWithTheirErrorBox)
{
    Trainer trainer;
    TFrmMain& main = trainer.Main();
    trainer.Show();
    Activate(main);
    main.BButExit()->setFocus();

    // A refresh that fails part-way: bit 0's selector refuses every change.
    main.RGB(0)->OnClick = [](TRadioGroup*) {
        throw std::runtime_error("Bit 0 refused");
    };
    const auto failsLikeTheButton = [&](const std::function<void()>& press) {
        const std::size_t before = trainer.Errors().size();
        press();
        EXPECT_TRUE(main.isVisible());
        ASSERT_EQ(trainer.Errors().size(), before + 1);
        EXPECT_EQ(trainer.Errors().back().Text, "Bit 0 refused.");
    };
    failsLikeTheButton([&main] { QTest::mouseClick(main.SBPlus(), Qt::LeftButton); }); // 66
    failsLikeTheButton([] { Type(Qt::Key_Up, Qt::ControlModifier); });                 // 67
    failsLikeTheButton([] { Type(Qt::Key_Down, Qt::ControlModifier); });               // 66
    failsLikeTheButton([] { TypeCharacter(QStringLiteral("-")); });                    // 65
    failsLikeTheButton([] { TypeCharacter(QStringLiteral("B")); });                    // 66
    // The rest of the refresh did not run, as after the button: the character display shows the
    // code, the binary digits and selectors beyond bit 0 are behind.
    EXPECT_EQ(main.Code(), 66);
    EXPECT_EQ(main.RLabAscii()->Text(), "B");
}
