#include "app/TBitBtn.h"

#include <QKeyEvent>

TBitBtn::TBitBtn(const QIcon& icon, const QString& caption, QWidget* parent)
    : QPushButton(icon, caption, parent)
{
    setAutoDefault(false);
}

void TBitBtn::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || modifiers != Qt::NoModifier) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // A held key presses once, as a held Space does.
    if (!event->isAutoRepeat())
        click();
}
