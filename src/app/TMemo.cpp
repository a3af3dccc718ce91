#include "app/TMemo.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

TMemo::TMemo(QWidget* parent) : QWidget(parent), FEditor(new QPlainTextEdit(this))
{
    FEditor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // The box takes no tab characters: Tab moves on to the next control.
    FEditor->setTabChangesFocus(true);
    FEditor->viewport()->installEventFilter(this);
    setFocusProxy(FEditor);
    setFocusPolicy(Qt::StrongFocus);
}

// Block by block: the document's plain text would turn non-breaking spaces into blanks, and
// every byte of a line must come back as it was set.
QStringList TMemo::Lines() const
{
    QStringList lines;
    for (QTextBlock block = FEditor->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
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
