// What assistive technology learns of the trainer through Qt's accessibility interfaces.
#include "AppTestSupport.h"

#include "app/TMemo.h"
#include "app/TRadioGroup.h"
#include "app/TTrainerAccess.h"
#include "controls/dotmatrix/TRasterLab.h"
#include "i18n/TBabelfish2000.h"
#include "support/AccessibilityListener.h"
#include "util/Stream.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

QAccessibleInterface* Access(QObject* control)
{
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(control);
    EXPECT_NE(access, nullptr) << control->objectName().toStdString();
    return access;
}

QString Name(QObject* control)
{
    return Access(control)->text(QAccessible::Name);
}

QString Description(QObject* control)
{
    return Access(control)->text(QAccessible::Description);
}

QString Value(QObject* control)
{
    return Access(control)->text(QAccessible::Value);
}

} // namespace

TEST(Accessibility, EveryControlIsNamedAndTheToolButtonsNameTheirKeysInEnglishAndGerman)
{
    const struct
    {
        const char* File;
        const char16_t* StepDown;
        const char16_t* StepDownHint;
        const char16_t* JumpToSmallA;
        const char16_t* JumpToSmallAHint;
        const char16_t* Bit7Hint;
        const char16_t* Explanation;
        const char16_t* CharacterLine;
        const char16_t* CharacterHint;
    } languages[] = {
        {"", u"Step down", u"Step down: code minus 1 (Ctrl+Down or -)", u"Jump to a",
         u"Jump to a: code 97 (type a)", u"Counts 128 when it is 1", u"Explanation", u"A, code 65",
         u"latin capital letter a; decimal 65, hexadecimal 41, octal 101"},
        {"bytescope.en.itl", u"Step down", u"Step down: code minus 1 (Ctrl+Down or -)", u"Jump to a",
         u"Jump to a: code 97 (type a)", u"Counts 128 when it is 1", u"Explanation", u"A, code 65",
         u"latin capital letter a\nDecimal 65, hexadecimal 41, octal 101"},
        {"bytescope.de.itl", u"Schritt abw\u00E4rts",
         u"Schritt abw\u00E4rts: Code minus 1 (Strg+Pfeil ab oder -)", u"Zu a springen",
         u"Zu a springen: Code 97 (a tippen)", u"Z\u00E4hlt 128, wenn es 1 ist", u"Erkl\u00E4rung",
         u"A, Code 65", u"latin capital letter a\nDezimal 65, hexadezimal 41, oktal 101"},
    };
    for (const auto& language : languages) {
        SCOPED_TRACE(language.File);
        Trainer trainer(*language.File != '\0' ? LanguageFile(language.File) : std::string());
        TFrmMain& main = trainer.Main();

        // Every control that the window stores has a name; the panels only hold others.
        for (QWidget* control : main.findChildren<QWidget*>()) {
            const QString name = control->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1StringView("qt_")) || name.startsWith("Panel"))
                continue;
            EXPECT_FALSE(Name(control).isEmpty()) << name.toStdString();
        }

        EXPECT_EQ(Name(main.SBMinus()), QString::fromUtf16(language.StepDown));
        EXPECT_EQ(Description(main.SBMinus()), QString::fromUtf16(language.StepDownHint));
        EXPECT_EQ(main.SBMinus()->toolTip(), QString::fromUtf16(language.StepDownHint));
        EXPECT_EQ(Name(main.SBSetA_lc()), QString::fromUtf16(language.JumpToSmallA));
        EXPECT_EQ(main.SBSetA_lc()->toolTip(), QString::fromUtf16(language.JumpToSmallAHint));
        EXPECT_EQ(Name(main.RGB(7)), QStringLiteral("Bit 7"));
        EXPECT_EQ(Value(main.RGB(7)), QStringLiteral("0"));
        EXPECT_EQ(Value(main.RGB(6)), QStringLiteral("1"));
        EXPECT_EQ(Description(main.RGB(7)), QString::fromUtf16(language.Bit7Hint));
        EXPECT_EQ(Name(main.MMExplain()->Editor()), QString::fromUtf16(language.Explanation));

        // The displays as the stored window shows them, before the first show.
        EXPECT_EQ(Name(main.RLabBin()), QStringLiteral("0 1 0 0 0 0 0 1"));
        EXPECT_EQ(Value(main.RLabBin()), QStringLiteral("01000001"));
        EXPECT_EQ(Name(main.RLabAscii()), QString::fromUtf16(language.CharacterLine));
        EXPECT_EQ(Value(main.RLabAscii()), QStringLiteral("A"));
        EXPECT_EQ(Description(main.RLabAscii()), QString::fromUtf16(language.CharacterHint));
        EXPECT_EQ(main.RLabAscii()->toolTip(), QString::fromUtf16(language.CharacterHint));

        // The selector labels its buttons, whose names stay its items.
        const auto labelled = Access(main.RGB(7))->relations(QAccessible::Labelled);
        ASSERT_EQ(labelled.size(), 2);
        EXPECT_EQ(labelled.at(1).first->object(), main.RGB(7)->Button(1));
        EXPECT_EQ(Name(main.RGB(7)->Button(1)), QStringLiteral("1"));
    }
}

TEST(Accessibility, TheCharacterDisplaySpeaksEveryKindOfCodeAndGivesItInThreeNotations)
{
    TBabelfish2000 engine("");
    TMemoryStream language(LanguageFile("bytescope.en.itl"));
    engine.LoadFromStream(language);
    const TTrainerAccess access(engine);
    const struct
    {
        int Code;
        const char16_t* Line;
        const char16_t* Hint;
    } rows[] = {
        {65, u"A, code 65", u"latin capital letter a\nDecimal 65, hexadecimal 41, octal 101"},
        {48, u"0, code 48", u"digit zero\nDecimal 48, hexadecimal 30, octal 060"},
        {0, u"NUL, null, code 0", u"NUL, null\nDecimal 0, hexadecimal 00, octal 000"},
        {10, u"LF, line feed, code 10", u"LF, line feed\nDecimal 10, hexadecimal 0A, octal 012"},
        {32, u"space, code 32", u"space\nDecimal 32, hexadecimal 20, octal 040"},
        {46, u"., full stop, code 46", u"full stop\nDecimal 46, hexadecimal 2E, octal 056"},
        {127, u"DEL, delete, code 127", u"DEL, delete\nDecimal 127, hexadecimal 7F, octal 177"},
        {128, u"\u20AC, euro sign, code 128", u"euro sign\nDecimal 128, hexadecimal 80, octal 200"},
        {129, u"no character in Windows-1252, code 129",
         u"no character in Windows-1252\nDecimal 129, hexadecimal 81, octal 201"},
        {160, u"no-break space, code 160", u"no-break space\nDecimal 160, hexadecimal A0, octal 240"},
        {173, u"soft hyphen, code 173", u"soft hyphen\nDecimal 173, hexadecimal AD, octal 255"},
        {228, u"\u00E4, code 228",
         u"latin small letter a with diaeresis\nDecimal 228, hexadecimal E4, octal 344"},
        {255, u"\u00FF, code 255",
         u"latin small letter y with diaeresis\nDecimal 255, hexadecimal FF, octal 377"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Code);
        EXPECT_EQ(access.CharacterLine(static_cast<std::uint8_t>(row.Code)), QString::fromUtf16(row.Line));
        EXPECT_EQ(access.CharacterHint(static_cast<std::uint8_t>(row.Code)), QString::fromUtf16(row.Hint));
    }
    // Gathered like the windows' texts, so a generated language file offers them to translators.
    TBabelfish2000 empty("");
    empty.SetAutoCreateItlFile(true);
    EXPECT_EQ(TTrainerAccess(empty).CharacterLine(65), QStringLiteral("A, code 65"));
    EXPECT_EQ(empty.OutputLines().size(), 1u);
    empty.SetAutoCreateItlFile(false); // nothing to write at the end
}

TEST(Accessibility, AStepIsAnnouncedAndTheNamesFollowTheCode)
{
    Trainer trainer;
    TFrmMain& main = trainer.Main();
    trainer.Show();
    const bool listening = AccessibilityListener::Available();
    AccessibilityListener listener;

    main.SBPlus()->click();
    EXPECT_EQ(Name(main.RLabBin()), QStringLiteral("0 1 0 0 0 0 1 0"));
    EXPECT_EQ(Value(main.RLabBin()), QStringLiteral("01000010"));
    EXPECT_EQ(Name(main.RLabAscii()), QStringLiteral("B, code 66"));
    EXPECT_EQ(Value(main.RGB(0)), QStringLiteral("0"));
    EXPECT_EQ(Value(main.RGB(1)), QStringLiteral("1"));
    if (!listening)
        GTEST_SKIP() << AccessibilityListener::kUnavailable;

    // The values that changed, each once, with the new value, and the names that follow them.
    std::vector<std::pair<QObject*, QString>> values;
    std::vector<QObject*> names;
    for (const auto& heard : listener.Take()) {
        if (heard.Type == QAccessible::ValueChanged)
            values.emplace_back(heard.Object, heard.Value);
        else if (heard.Type == QAccessible::NameChanged)
            names.push_back(heard.Object);
    }
    const std::vector<std::pair<QObject*, QString>> expected{{main.RLabBin(), QStringLiteral("01000010")},
                                                             {main.RLabAscii(), QStringLiteral("B")},
                                                             {main.RGB(0), QStringLiteral("0")},
                                                             {main.RGB(1), QStringLiteral("1")}};
    EXPECT_EQ(values, expected);
    EXPECT_NE(std::find(names.begin(), names.end(), main.RLabBin()), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), main.RLabAscii()), names.end());

    // A bit chosen with the mouse is announced by its selector too.
    QTest::mouseClick(main.RGB(7)->Button(1), Qt::LeftButton);
    bool bit7 = false;
    for (const auto& heard : listener.Take())
        bit7 = bit7 || (heard.Type == QAccessible::ValueChanged && heard.Object == main.RGB(7) &&
                        heard.Value == QStringLiteral("1"));
    EXPECT_TRUE(bit7);
    EXPECT_EQ(Name(main.RLabAscii()), QStringLiteral("\u00C2, code 194"));
}
