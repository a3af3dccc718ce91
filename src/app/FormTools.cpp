#include "app/FormTools.h"

#include "controls/qt/QtBridge.h"

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
