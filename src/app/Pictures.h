#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the program's buttons and windows, drawn here so that nothing is borrowed.
// The button pictures carry a grey image for the disabled state where the buttons need one.
namespace Pictures {

QIcon ArrowDown();   // blue, 21 x 21, with a grey disabled image
QIcon ArrowUp();     // blue, 21 x 21, with a grey disabled image
QIcon Exclamation(); // red, 20 x 20, with a grey disabled image
QIcon ExitArrow();   // grey-blue, pointing down and to the left, 21 x 21
QIcon CheckMark();   // blue, 21 x 21
QIcon AboutIcon();   // the About box's own icon, 32 x 32
QIcon AppIcon();     // the program's icon: a dot-matrix "A", 16 to 256 pixels
QPixmap AppIconPixmap(int size);

} // namespace Pictures
