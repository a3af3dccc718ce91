#pragma once

#include <QAccessibleWidget>

class TRadioGroup;

// How a radio group appears to assistive technology: a group whose name is its accessible name
// (else its caption without the blanks around it), whose value is the chosen item's text, and
// which labels its buttons, as Qt's own group boxes do.
class TRadioGroupAccessible : public QAccessibleWidget
{
public:
    explicit TRadioGroupAccessible(TRadioGroup* group);

    QString text(QAccessible::Text kind) const override;
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override;

    // Makes Qt ask for this interface for every radio group; calling it again changes nothing.
    static void Install();
    // Tells assistive technology that another item (or none) is chosen.
    static void ItemChanged(TRadioGroup* group);

private:
    const TRadioGroup* Group() const;
};
