#include "app/TTrainerAccess.h"

#include "app/TFrmMain.h"
#include "app/TMemo.h"
#include "app/TRadioGroup.h"
#include "controls/dotmatrix/TRasterLab.h"
#include "controls/qt/QtBridge.h"
#include "i18n/TBabelfish2000.h"
#include "util/CharacterNames.h"

#include <QPlainTextEdit>
#include <QToolButton>

#include <cstdio>
#include <vector>

namespace {

std::string Formatted(const char* format, unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void Describe(QWidget* control, const QString& name, const QString& hint)
{
    control->setToolTip(hint);
    control->setAccessibleName(name);
    control->setAccessibleDescription(hint);
}

} // namespace

TTrainerAccess::TTrainerAccess(TBabelfish2000& engine) : FEngine(engine) {}

QString TTrainerAccess::Text(std::string_view key, std::initializer_list<std::string> params) const
{
    const std::vector<std::string> values(params);
    // A tooltip shows a plain line break; the language file's "\n" gives CR LF.
    return ToQString(FEngine.Translate(key, values)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void TTrainerAccess::LabelControls(TFrmMain& window) const
{
    Describe(window.SBMinus(), Text("Step down"), Text("Step down: code minus 1 (Ctrl+Down or -)"));
    Describe(window.SBPlus(), Text("Step up"), Text("Step up: code plus 1 (Ctrl+Up or +)"));
    for (QToolButton* button :
         {window.SBSetA(), window.SBSetZ(), window.SBSetA_lc(), window.SBSetZ_lc(), window.SBSet0()}) {
        const std::string caption = ToCp1252(button->text()).substr(0, 1);
        const unsigned code = caption.empty() ? 0 : static_cast<unsigned char>(caption.front());
        Describe(button, Text("Jump to <%1%>", {caption}),
                 Text("Jump to <%1%>: code <%2%> (type <%1%>)", {caption, std::to_string(code)}));
    }
    for (int bit = 0; bit < 8; ++bit) {
        window.RGB(bit)->setAccessibleName(Text("Bit <%1%>", {std::to_string(bit)}));
        window.RGB(bit)->setAccessibleDescription(
            Text("Counts <%1%> when it is 1", {std::to_string(1u << bit)}));
    }
    const QString explanation = Text("Explanation");
    window.MMExplain()->setAccessibleName(explanation);
    window.MMExplain()->Editor()->setAccessibleName(explanation);
    window.RLabBin()->setAccessibleDescription(Text("The code in binary, bit 7 first"));
}

void TTrainerAccess::ShowCode(TFrmMain& window) const
{
    window.RLabBin()->setAccessibleName(BinaryLine(window.RLabBin()->Text()));
    const std::string& shown = window.RLabAscii()->Text();
    if (shown.size() != 1)
        return;
    const auto code = static_cast<std::uint8_t>(shown.front());
    window.RLabAscii()->setAccessibleName(CharacterLine(code));
    const QString hint = CharacterHint(code);
    window.RLabAscii()->setToolTip(hint);
    window.RLabAscii()->setAccessibleDescription(hint);
}

QString TTrainerAccess::BinaryLine(std::string_view digits)
{
    QString line;
    for (const char digit : digits) {
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += QLatin1Char(digit);
    }
    return line;
}

// How the character is best spoken: a letter or digit as itself; a control code by its
// abbreviation and name; a blank by its name alone; any other sign as itself and by its name,
// since a screen reader may pass over punctuation.
QString TTrainerAccess::Spoken(std::uint8_t code) const
{
    const std::string_view name = CharacterName(code);
    if (name.empty())
        return Text("no character in Windows-1252");
    const std::string_view abbreviation = ControlCodeAbbreviation(code);
    if (!abbreviation.empty())
        return ToQString(abbreviation) + QStringLiteral(", ") + ToQString(name);
    const QString character = ToQString(std::string(1, static_cast<char>(code)));
    if (character.front().isLetterOrNumber())
        return character;
    if (character.front().isSpace() || code == 0xAD)
        return ToQString(name);
    return character + QStringLiteral(", ") + ToQString(name);
}

QString TTrainerAccess::CharacterLine(std::uint8_t code) const
{
    return Text("<%1%>, code <%2%>", {ToCp1252(Spoken(code)), std::to_string(code)});
}

QString TTrainerAccess::CharacterHint(std::uint8_t code) const
{
    const std::string_view abbreviation = ControlCodeAbbreviation(code);
    std::string name(CharacterName(code));
    if (name.empty())
        name = ToCp1252(Text("no character in Windows-1252"));
    else if (!abbreviation.empty())
        name = std::string(abbreviation) + ", " + name;
    return Text("<%1%>; decimal <%2%>, hexadecimal <%3%>, octal <%4%>",
                {name, std::to_string(code), Formatted("%02X", code), Formatted("%03o", code)});
}
