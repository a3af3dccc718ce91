#include "app/TPanel.h"

#include <QPainter>

namespace {

// One pixel of bevel around `rect`: light at the top and left for a raised cut, dark for a
// lowered one, and the other colour at the bottom and right.
void DrawBevel(QPainter& painter, const QRect& rect, TBevelCut cut, const QPalette& colours)
{
    if (cut == bvNone)
        return;
    const QColor light = colours.color(QPalette::Light);
    const QColor dark = colours.color(QPalette::Dark);
    const QColor& topLeft = cut == bvRaised ? light : dark;
    const QColor& bottomRight = cut == bvRaised ? dark : light;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

} // namespace

TPanel::TPanel(QWidget* parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void TPanel::SetBevelInner(TBevelCut value)
{
    FBevelInner = value;
    update();
}

void TPanel::SetBevelOuter(TBevelCut value)
{
    FBevelOuter = value;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect edge = rect();
    if (FBevelOuter != bvNone) {
        DrawBevel(painter, edge, FBevelOuter, palette());
        edge.adjust(1, 1, -1, -1);
    }
    DrawBevel(painter, edge, FBevelInner, palette());
}
