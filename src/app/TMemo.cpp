#include "app/TMemo.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>

TMemo::TMemo(QWidget* parent) : QWidget(parent), FEditor(new QPlainTextEdit(this))
{
    FEditor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    FEditor->viewport()->installEventFilter(this);
    setFocusProxy(FEditor);
    setFocusPolicy(Qt::StrongFocus);
}

QStringList TMemo::Lines() const
{
    return FEditor->toPlainText().split(QLatin1Char('\n'));
}

void TMemo::SetLines(const QStringList& lines)
{
    FEditor->setPlainText(lines.join(QLatin1Char('\n')));
}

bool TMemo::ReadOnly() const
{
    return FEditor->isReadOnly();
}

void TMemo::SetReadOnly(bool value)
{
    FEditor->setReadOnly(value);
}

void TMemo::SetColor(const QColor& color)
{
    QPalette colours = FEditor->palette();
    colours.setColor(QPalette::Base, color);
    FEditor->setPalette(colours);
}

void TMemo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FEditor->setGeometry(rect());
}

bool TMemo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FEditor->viewport() && event->type() == QEvent::MouseButtonPress &&
        FDragMode == dmAutomatic && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        StartDrag();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// The box itself is what is dragged; nothing in this program accepts it as a drop.
void TMemo::StartDrag()
{
    auto* drag = new QDrag(this);
    drag->setMimeData(new QMimeData);
    drag->setPixmap(grab().scaledToWidth(std::max(width() / 3, 1)));
    drag->exec(Qt::MoveAction);
}
