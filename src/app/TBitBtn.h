#pragma once

#include <QPushButton>

// A button with a picture beside its caption (Info, Exit, OK). Like any push button it is pressed
// by Space while it has the focus, and also by Return and the keypad's Enter, as desktop users
// expect. It never becomes a dialog's default button, so Return pressed elsewhere in a dialog
// does not press it.
class TBitBtn : public QPushButton
{
    Q_OBJECT

public:
    TBitBtn(const QIcon& icon, const QString& caption, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
