#include "app/TRadioGroup.h"

#include "app/TRadioGroupAccessible.h"
#include "controls/qt/Guarded.h"

#include <QEvent>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent)
{
    TRadioGroupAccessible::Install();
}

void TRadioGroup::SetItemIndex(int index)
{
    index = std::clamp(index, -1, static_cast<int>(FItems.size()) - 1);
    if (index == FItemIndex)
        return;
    FItemIndex = index;
    CheckButtons();
    TRadioGroupAccessible::ItemChanged(this);
    if (OnClick)
        OnClick(this);
}

void TRadioGroup::SetItems(const QStringList& items)
{
    if (items == FItems)
        return;
    FItems = items;
    for (QRadioButton* button : FButtons)
        delete button;
    FButtons.clear();
    for (int i = 0; i < FItems.size(); ++i) {
        auto* button = new QRadioButton(FItems.at(i), this);
        connect(button, &QRadioButton::clicked, this, [this, i] { Guarded([&] { ButtonClicked(i); }); });
        button->show();
        FButtons.push_back(button);
    }
    FItemIndex = std::min(FItemIndex, static_cast<int>(FItems.size()) - 1);
    CheckButtons();
    ArrangeButtons();
}

// Every click is a choice, also one on the item already chosen: the handler decides what a
// repeated choice means. Only SetItemIndex skips an unchanged index, which keeps handlers that
// set their own group from recursing without end.
void TRadioGroup::ButtonClicked(int index)
{
    const bool changed = index != FItemIndex;
    FItemIndex = index;
    UpdateTabStop();
    if (changed)
        TRadioGroupAccessible::ItemChanged(this);
    if (OnClick)
        OnClick(this);
}

void TRadioGroup::CheckButtons()
{
    for (std::size_t i = 0; i < FButtons.size(); ++i) {
        // Exclusive buttons refuse to be unchecked, which "no item" needs.
        FButtons[i]->setAutoExclusive(false);
        FButtons[i]->setChecked(static_cast<int>(i) == FItemIndex);
        FButtons[i]->setAutoExclusive(true);
    }
    UpdateTabStop();
}

// Tab enters the group at its chosen item (the first when none is chosen); the arrow keys move
// within the group.
void TRadioGroup::UpdateTabStop()
{
    const std::size_t stop = FItemIndex >= 0 ? static_cast<std::size_t>(FItemIndex) : 0;
    for (std::size_t i = 0; i < FButtons.size(); ++i)
        FButtons[i]->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

// One column: the buttons share the height below the caption line and fill the width.
void TRadioGroup::ArrangeButtons()
{
    if (FButtons.empty())
        return;
    const int count = static_cast<int>(FButtons.size());
    const int textHeight = fontMetrics().height();
    const int free = height() - textHeight - 5;
    const int buttonHeight = std::max(free / count, 1);
    const int topMargin = textHeight + 1 + (free % count) / 2;
    for (int i = 0; i < count; ++i)
        FButtons[static_cast<std::size_t>(i)]->setGeometry(8, topMargin + i * buttonHeight,
                                                           std::max(width() - 10, 1), buttonHeight);
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    ArrangeButtons();
}

void TRadioGroup::changeEvent(QEvent* event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        ArrangeButtons();
}
