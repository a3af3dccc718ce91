#include "app/FormTools.h"

#include "controls/qt/QtBridge.h"

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

void ApplyTabOrder(std::initializer_list<QWidget*> order)
{
    QWidget* previous = nullptr;
    for (QWidget* control : order) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
