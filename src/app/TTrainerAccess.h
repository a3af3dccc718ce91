#pragma once

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

class TBabelfish2000;
class TFrmMain;

// What the trainer window tells a learner who does not use the mouse or cannot see its pictures:
// tooltips that name the keys, and the accessible names and descriptions of its controls, those
// of the two displays following the code. The texts are looked up in the language table like
// the window's own; they are not gathered for a generated language file, which lists the texts
// stored in the windows (lang/bytescope.en.itl lists these as well).
class TTrainerAccess
{
public:
    explicit TTrainerAccess(TBabelfish2000& engine);

    // Tooltips, names and descriptions of the controls whose meaning never changes.
    void LabelControls(TFrmMain& window) const;
    // The displays' names and the character display's tooltip and description, for the code that
    // the character display shows.
    void ShowCode(TFrmMain& window) const;

    // The character display's line: "A, code 65", "LF, line feed, code 10", "space, code 32".
    QString CharacterLine(std::uint8_t code) const;
    // The character's name, then the code in decimal, hexadecimal and octal.
    QString CharacterHint(std::uint8_t code) const;
    // The binary display's line: each digit on its own, so that it is read digit by digit.
    static QString BinaryLine(std::string_view digits);

private:
    QString Text(std::string_view key, std::initializer_list<std::string> params = {}) const;
    QString Spoken(std::uint8_t code) const;

    TBabelfish2000& FEngine;
};
