// Where the windows open. CTest runs these on the offscreen platform's own screen and again on
// scaled desktops (tests/app/CMakeLists.txt): a 1280 x 1024 screen at a scale factor of 1.5, where
// the stored position leaves the main window half off it, and an 800 x 480 one at 1.5, which is
// too small for either window.
#include "AppTestSupport.h"

#include "app/FormTools.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

TEST(Placement, FitIntoKeepsWhatFitsAndMovesTheRestByAsLittleAsItTakes)
{
    struct Row
    {
        const char* What;
        QRect Frame;
        QRect Area;
        QRect Fitted;
    };
    const QRect area(0, 0, 853, 650);
    const QRect second(1280, 40, 1024, 728); // a second screen, or a panel at the left or top
    const Row rows[] = {
        {"fits", QRect(319, 100, 300, 200), area, QRect(319, 100, 300, 200)},
        {"fits to the last pixel", QRect(553, 450, 300, 200), area, QRect(553, 450, 300, 200)},
        {"beyond the right and bottom", QRect(319, 301, 586, 360), area, QRect(267, 290, 586, 360)},
        {"beyond the left and top", QRect(-50, -20, 100, 100), area, QRect(0, 0, 100, 100)},
        // Larger than the area: the top left corner, with the title bar, stays on it.
        {"larger than the area", QRect(100, 100, 900, 700), area, QRect(0, 0, 900, 700)},
        {"as wide as the area", QRect(-300, 100, 853, 100), area, QRect(0, 100, 853, 100)},
        {"before an area not at 0", QRect(0, 0, 100, 100), second, QRect(1280, 40, 100, 100)},
        {"beyond an area not at 0", QRect(2300, 700, 100, 100), second, QRect(2204, 668, 100, 100)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FitInto(row.Frame, row.Area), row.Fitted) << row.What;
}

TEST(Placement, BothWindowsOpenOnTheAvailableScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->availableGeometry();
    Trainer trainer;
    const AboutSnapshot about = trainer.Show();
    ASSERT_TRUE(about.Shown);
    QRect centred(QPoint(), about.Frame.size());
    centred.moveCenter(area.center());
    EXPECT_EQ(about.Frame, FitInto(centred, area));
    EXPECT_TRUE(area.contains(about.Frame.topLeft()));

    // The window stores where its inner area goes; its frame stands around that.
    const QRect main = trainer.Main().frameGeometry();
    const QPoint inset = trainer.Main().geometry().topLeft() - main.topLeft();
    const QRect stored(QPoint(319, 301) - inset, main.size());
    // Too small a screen for the stored position, or this would not show the move.
    ASSERT_FALSE(area.contains(stored)) << "screen " << area.width() << " x " << area.height();
    EXPECT_EQ(main, FitInto(stored, area));
    EXPECT_TRUE(area.contains(main.topLeft()));

    // Opened again through Info, the box is on the learner's screen again.
    const AboutSnapshot again = trainer.WhileAboutOpens([&] { trainer.Main().BButInfoClick(nullptr); });
    EXPECT_EQ(again.Frame, about.Frame);
}
