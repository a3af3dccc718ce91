#pragma once

#include <QAccessibleWidget>

class TRasterLab;

// How a dot-matrix display appears to assistive technology: as a line of static text, since a
// listener cannot read the dots. Its value is the display's Text. Its name is the accessible
// name that the window gives it, where the window knows how its text is best spoken (digits one
// by one, a character with its code); otherwise it is the Text too. Its description is the
// accessible description, or else the display's hint.
class TRasterLabAccessible : public QAccessibleWidget
{
public:
    explicit TRasterLabAccessible(TRasterLab* display);

    QString text(QAccessible::Text kind) const override;

    // Makes Qt ask for this interface for every display. Every display's constructor calls it,
    // so that a display is never seen without it; calling it again changes nothing.
    static void Install();
    // Tells assistive technology that the display's Text has changed: its value, and its name
    // where the name is the Text.
    static void TextChanged(TRasterLab* display);

private:
    const TRasterLab* Display() const;
};
