#pragma once

#include <QGroupBox>
#include <QStringList>

#include <functional>
#include <vector>

class QRadioButton;

// A framed group of radio buttons, one per line of Items, stacked in one column. ItemIndex is the
// chosen button (-1: none). OnClick runs on every click on a button, also on the one already
// chosen, and whenever the program changes ItemIndex.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    int ItemIndex() const { return FItemIndex; }
    // Clamped to -1 .. Items count - 1; a change checks its button and runs OnClick.
    void SetItemIndex(int index);

    const QStringList& Items() const { return FItems; }
    void SetItems(const QStringList& items);

    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

    QRadioButton* Button(int index) const { return FButtons.at(static_cast<std::size_t>(index)); }

    std::function<void(TRadioGroup* sender)> OnClick;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ButtonClicked(int index);
    void CheckButtons();
    void UpdateTabStop();
    void ArrangeButtons();

    QStringList FItems;
    std::vector<QRadioButton*> FButtons;
    int FItemIndex = -1;
    int FTag = 0;
};
