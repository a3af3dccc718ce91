#include "controls/dotmatrix/TRasterLab.h"

#include "support/AccessibilityListener.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Heard = AccessibilityListener::Heard;

TEST(TRasterLabAccessible, ADisplayIsStaticTextNamedByItsTextUnlessTheWindowNamesIt)
{
    TRasterLab display;
    display.SetText("Caf\xE9");
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&display);
    ASSERT_NE(access, nullptr);
    EXPECT_EQ(access->role(), QAccessible::StaticText);
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(access->text(QAccessible::Value), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(access->text(QAccessible::Description), QString());

    display.SetHint(QStringLiteral("the menu of the day"));
    EXPECT_EQ(access->text(QAccessible::Description), QStringLiteral("the menu of the day"));
    display.setAccessibleName(QStringLiteral("C, a, f, e acute"));
    display.setAccessibleDescription(QStringLiteral("four letters"));
    EXPECT_EQ(access->text(QAccessible::Name), QStringLiteral("C, a, f, e acute"));
    EXPECT_EQ(access->text(QAccessible::Value), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(access->text(QAccessible::Description), QStringLiteral("four letters"));
}

TEST(TRasterLabAccessible, ANewTextIsAnnouncedAndAnEqualOneIsNot)
{
    TRasterLab display;
    TRasterLab named;
    named.setAccessibleName(QStringLiteral("the window's name"));
    if (!AccessibilityListener::Available())
        GTEST_SKIP() << AccessibilityListener::kUnavailable;
    AccessibilityListener listener;

    display.SetText("01000010");
    const std::vector<Heard> heard = listener.Take();
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].Type, QAccessible::ValueChanged);
    EXPECT_EQ(heard[0].Object, &display);
    EXPECT_EQ(heard[0].Value, QStringLiteral("01000010"));
    EXPECT_EQ(heard[1].Type, QAccessible::NameChanged);
    EXPECT_EQ(heard[1].Object, &display);

    display.SetText("01000010");
    EXPECT_TRUE(listener.Take().empty());

    // A display that the window names keeps its name: only its value changes.
    named.SetText("B");
    const std::vector<Heard> valueOnly = listener.Take();
    ASSERT_EQ(valueOnly.size(), 1u);
    EXPECT_EQ(valueOnly[0].Type, QAccessible::ValueChanged);
    EXPECT_EQ(valueOnly[0].Value, QStringLiteral("B"));
}
