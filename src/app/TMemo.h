#pragma once

#include "controls/qt/CheckedEnum.h"

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

enum TDragMode
{
    dmManual,
    dmAutomatic,
};

// A multi-line text box whose contents are a list of lines. With DragMode dmAutomatic a press
// of the left mouse button starts dragging the box instead of selecting text.
//
// The editor is a child rather than the base class: the box's texts are published only as Lines,
// so a walk over its properties sees each line on its own and not the whole text at once.
class TMemo : public QWidget
{
    Q_OBJECT
    // A translation with line breaks becomes several lines of the box (i18n/TranslateComponent.h).
    Q_CLASSINFO("bytescope.linesProperty", "Lines")
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(int DragMode READ DragModeValue WRITE SetDragModeValue)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit TMemo(QWidget* parent = nullptr);

    QStringList Lines() const;
    void SetLines(const QStringList& lines);

    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode value) { FDragMode = value; }

    bool ReadOnly() const;
    void SetReadOnly(bool value);

    // The box's background colour.
    void SetColor(const QColor& color);

    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

    QPlainTextEdit* Editor() const { return FEditor; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int DragModeValue() const { return FDragMode; }
    void SetDragModeValue(int value) { SetDragMode(CheckedEnum(*this, "DragMode", value, dmAutomatic)); }
    void StartDrag();

    QPlainTextEdit* FEditor;
    TDragMode FDragMode = dmManual;
    int FTag = 0;
};
