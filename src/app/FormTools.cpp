#include "app/FormTools.h"

#include "app/TBitBtn.h"
#include "controls/qt/QtBridge.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <vector>

TFont StoredFont(const std::string& name, int height, TFontStyles style, TColor color, TFontCharset charset)
{
    TFont font;
    font.SetName(name);
    font.SetHeight(height);
    font.SetStyle(style);
    font.SetColor(color);
    font.SetCharset(charset);
    return font;
}

void ApplyFont(QWidget* control, const TFont& font)
{
    control->setFont(ToQFont(font));
    QPalette colours = control->palette();
    const QColor colour = ToQColor(font.Color(), colours);
    colours.setColor(QPalette::WindowText, colour);
    colours.setColor(QPalette::ButtonText, colour);
    colours.setColor(QPalette::Text, colour);
    control->setPalette(colours);
}

void ApplyColor(QWidget* control, QPalette::ColorRole role, TColor color)
{
    QPalette colours = control->palette();
    colours.setColor(role, ToQColor(color, colours));
    control->setPalette(colours);
    if (role == QPalette::Window)
        control->setAutoFillBackground(true);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& caption, Qt::Alignment alignment,
                  const QRect& bounds)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(ToQString(caption));
    label->setAlignment(alignment);
    label->setGeometry(bounds);
    return label;
}

QPushButton* MakePictureButton(QWidget* parent, const char* name, const QIcon& icon, int iconSize,
                               const char* caption, const QRect& bounds)
{
    auto* button = new TBitBtn(icon, QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIconSize(QSize(iconSize, iconSize));
    button->setGeometry(bounds);
    return button;
}

namespace {

// The start of a span of `length` moved into [areaStart, areaStart + areaLength) by as little as
// it takes; one too long for the area starts where the area does.
int FitSpan(int start, int length, int areaStart, int areaLength)
{
    if (length >= areaLength)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

} // namespace

QRect FitInto(const QRect& frame, const QRect& area)
{
    QRect fitted = frame;
    fitted.moveTo(FitSpan(frame.x(), frame.width(), area.x(), area.width()),
                  FitSpan(frame.y(), frame.height(), area.y(), area.height()));
    return fitted;
}

void KeepOnScreen(QWidget* window)
{
    QRect frame = window->frameGeometry();
    // Before its first showing the window system has not told us the frame yet.
    if (frame == window->geometry() && window->windowHandle() != nullptr)
        frame = frame.marginsAdded(window->windowHandle()->frameMargins());
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect fitted = FitInto(frame, screen->availableGeometry());
    // Moved by its inner rectangle: before the first showing, move() and pos() may still mean it.
    if (fitted != frame)
        window->setGeometry(window->geometry().translated(fitted.topLeft() - frame.topLeft()));
}

namespace {

// Qt chains only widgets that take focus: a control that takes none (a group box) stands in the
// chain through its descendants that do. A control with a focus proxy (the memo and its editor)
// stands for itself: Qt moves it together with the parts behind it.
void CollectFocusStops(QWidget* control, std::vector<QWidget*>& stops)
{
    if (control->focusProxy() != nullptr || control->focusPolicy() != Qt::NoFocus) {
        stops.push_back(control);
        return;
    }
    for (QObject* child : control->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        // A part that passes its focus up to the control (a scroll area's viewport) is no stop.
        const bool passesUp = widget != nullptr && widget->focusProxy() != nullptr &&
                              widget->focusProxy()->isAncestorOf(widget);
        if (widget != nullptr && !widget->isWindow() && !passesUp)
            CollectFocusStops(widget, stops);
    }
}

} // namespace

void ApplyTabOrder(std::initializer_list<QWidget*> order)
{
    std::vector<QWidget*> stops;
    for (QWidget* control : order)
        CollectFocusStops(control, stops);
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
}
