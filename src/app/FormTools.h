#pragma once

#include "controls/TColor.h"
#include "controls/TFont.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <string>

// Small steps that every window of the program takes while it sets up its stored contents.

// A font as a window stores it: name, height in pixels (negative: without internal leading),
// style, colour and character set.
TFont StoredFont(const std::string& name, int height, TFontStyles style = 0, TColor color = clWindowText,
                 TFontCharset charset = DEFAULT_CHARSET);

// Gives the control the font and its colour as the colour of its text.
void ApplyFont(QWidget* control, const TFont& font);

// Sets a colour role of the control's palette from a stored colour; fills the background when
// the role is the window's.
void ApplyColor(QWidget* control, QPalette::ColorRole role, TColor color);

// A label as windows store them: plain text (an "&" stands for itself), no automatic size.
QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& caption, Qt::Alignment alignment,
                  const QRect& bounds);

// A button with a picture beside its caption (Info, Exit, OK): a TBitBtn. As the windows store
// them, none is a default button, so a dialog does not press one when Enter is pressed elsewhere
// in it; Return and Enter press the one that has the focus.
QPushButton* MakePictureButton(QWidget* parent, const char* name, const QIcon& icon, int iconSize,
                               const char* caption, const QRect& bounds);

// Where a window of `frame` (its outer bounds) goes so that it lies in `area`: where it is when
// it fits, otherwise moved by as little as it takes. A window larger than the area keeps its
// top or left edge on the area's, so that its title bar and first controls can be reached.
QRect FitInto(const QRect& frame, const QRect& area);

// Moves a window that would reach beyond the available part of its screen (the screen under its
// middle, else the primary one) onto it, as FitInto says. Stored positions are made for one
// screen size; a smaller or scaled desktop must not leave the window where nothing brings it back.
void KeepOnScreen(QWidget* window);

// Keyboard focus moves through the controls in the order given. A control that takes no focus
// itself is entered through its descendants that do, in their creation order (a radio group
// through its buttons, of which Tab visits the chosen one).
void ApplyTabOrder(std::initializer_list<QWidget*> order);
