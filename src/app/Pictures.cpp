#include "app/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <functional>

namespace {

using Drawing = std::function<void(QPainter&, const QColor& fill, const QColor& edge)>;

const QColor kBlue(0, 0, 192);
const QColor kDarkBlue(0, 0, 96);
const QColor kGreyFill(160, 160, 160);
const QColor kGreyEdge(128, 128, 128);

QPixmap Paint(int width, int height, const Drawing& drawing, const QColor& fill, const QColor& edge)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawing(painter, fill, edge);
    return pixmap;
}

// The disabled image in the manner of the desktop: the shape in grey with a white shadow.
QPixmap PaintDisabled(int width, int height, const Drawing& drawing)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(1, 1);
    drawing(painter, Qt::white, Qt::white);
    painter.translate(-1, -1);
    drawing(painter, kGreyFill, kGreyEdge);
    return pixmap;
}

QIcon MakeIcon(int width, int height, const Drawing& drawing, const QColor& fill, const QColor& edge,
               bool withDisabled)
{
    QIcon icon;
    icon.addPixmap(Paint(width, height, drawing, fill, edge), QIcon::Normal);
    if (withDisabled)
        icon.addPixmap(PaintDisabled(width, height, drawing), QIcon::Disabled);
    return icon;
}

void DrawShape(QPainter& painter, const QPolygonF& shape, const QColor& fill, const QColor& edge)
{
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(fill);
    painter.drawPolygon(shape);
}

// The arrow pointing down; the one pointing up is its mirror image, so both stay alike.
QPolygonF ArrowShape(bool pointingUp)
{
    QPolygonF shape(
        {{7.5, 2.5}, {13.5, 2.5}, {13.5, 10.5}, {18.5, 10.5}, {10.5, 18.5}, {2.5, 10.5}, {7.5, 10.5}});
    if (pointingUp)
        for (QPointF& point : shape)
            point.setY(21.0 - point.y());
    return shape;
}

void DrawArrowDown(QPainter& painter, const QColor& fill, const QColor& edge)
{
    DrawShape(painter, ArrowShape(false), fill, edge);
}

void DrawArrowUp(QPainter& painter, const QColor& fill, const QColor& edge)
{
    DrawShape(painter, ArrowShape(true), fill, edge);
}

void DrawExclamation(QPainter& painter, const QColor& fill, const QColor& edge)
{
    DrawShape(painter, QPolygonF({{7.0, 1.5}, {13.0, 1.5}, {11.5, 12.5}, {8.5, 12.5}}), fill, edge);
    painter.drawEllipse(QRectF(7.5, 14.5, 5, 4.5));
}

void DrawExitArrow(QPainter& painter, const QColor& fill, const QColor& edge)
{
    // A door frame, and an arrow leaving it down and to the left.
    painter.setPen(QPen(edge, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(9.5, 1.5, 10, 13));
    QPainterPath arrow;
    arrow.moveTo(16.5, 4.5);
    arrow.lineTo(19.0, 7.0);
    arrow.lineTo(9.5, 16.5);
    arrow.lineTo(13.5, 16.5);
    arrow.lineTo(13.5, 19.5);
    arrow.lineTo(2.5, 19.5);
    arrow.lineTo(2.5, 8.5);
    arrow.lineTo(5.5, 8.5);
    arrow.lineTo(5.5, 13.5);
    arrow.closeSubpath();
    painter.setBrush(fill);
    painter.drawPath(arrow);
}

void DrawCheckMark(QPainter& painter, const QColor& fill, const QColor& edge)
{
    DrawShape(painter,
              QPolygonF({{1.5, 11.5}, {5.0, 8.0}, {8.5, 11.5}, {16.5, 2.5}, {19.5, 5.5}, {8.5, 18.5}}), fill,
              edge);
}

// A small dot-matrix "A" in green on a dark panel: the program in one picture.
void DrawDotMatrixA(QPainter& painter, int size)
{
    static constexpr const char* kRows[] = {
        "..###..", ".#...#.", "#.....#", "#.....#", "#######", "#.....#", "#.....#",
    };
    const double pitch = size / 9.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 7; ++col) {
            const bool lit = kRows[row][col] == '#';
            painter.setBrush(lit ? QColor(0, 255, 0) : QColor(0, 0, 80));
            painter.drawEllipse(QRectF((col + 1) * pitch + pitch * 0.1, (row + 1) * pitch + pitch * 0.1,
                                       pitch * 0.8, pitch * 0.8));
        }
    }
}

} // namespace

namespace Pictures {

QIcon ArrowDown()
{
    return MakeIcon(21, 21, DrawArrowDown, kBlue, kDarkBlue, true);
}

QIcon ArrowUp()
{
    return MakeIcon(21, 21, DrawArrowUp, kBlue, kDarkBlue, true);
}

QIcon Exclamation()
{
    return MakeIcon(20, 20, DrawExclamation, QColor(224, 0, 0), QColor(128, 0, 0), true);
}

QIcon ExitArrow()
{
    return MakeIcon(21, 21, DrawExitArrow, QColor(96, 112, 160), QColor(48, 56, 96), false);
}

QIcon CheckMark()
{
    return MakeIcon(21, 21, DrawCheckMark, kBlue, kDarkBlue, false);
}

QIcon AboutIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.setBrush(QColor(255, 255, 192));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawEllipse(QRectF(14, 7, 4, 4));
    painter.drawRect(QRectF(14, 13, 4, 12));
    return QIcon(pixmap);
}

QPixmap AppIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawDotMatrixA(painter, size);
    return pixmap;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(AppIconPixmap(size));
    return icon;
}

} // namespace Pictures
