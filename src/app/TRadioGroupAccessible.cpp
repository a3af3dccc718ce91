#include "app/TRadioGroupAccessible.h"

#include "app/TRadioGroup.h"

#include <QRadioButton>

namespace {

QAccessibleInterface* CreateForGroup(const QString& className, QObject* object)
{
    if (className != QLatin1StringView("TRadioGroup"))
        return nullptr;
    auto* group = qobject_cast<TRadioGroup*>(object);
    return group != nullptr ? new TRadioGroupAccessible(group) : nullptr;
}

QString ChosenItem(const TRadioGroup& group)
{
    const int index = group.ItemIndex();
    return index >= 0 && index < group.Items().size() ? group.Items().at(index) : QString();
}

} // namespace

TRadioGroupAccessible::TRadioGroupAccessible(TRadioGroup* group)
    : QAccessibleWidget(group, QAccessible::Grouping)
{}

const TRadioGroup* TRadioGroupAccessible::Group() const
{
    return static_cast<const TRadioGroup*>(widget());
}

QString TRadioGroupAccessible::text(QAccessible::Text kind) const
{
    switch (kind) {
    case QAccessible::Name:
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        return Group()->title().trimmed();
    case QAccessible::Value:
        return ChosenItem(*Group());
    default:
        return QAccessibleWidget::text(kind);
    }
}

QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
TRadioGroupAccessible::relations(QAccessible::Relation match) const
{
    auto related = QAccessibleWidget::relations(match);
    if (!(match & QAccessible::Labelled))
        return related;
    for (int i = 0; i < Group()->Items().size(); ++i) {
        if (QAccessibleInterface* button = QAccessible::queryAccessibleInterface(Group()->Button(i)))
            related.append({button, QAccessible::Label});
    }
    return related;
}

void TRadioGroupAccessible::Install()
{
    QAccessible::installFactory(CreateForGroup);
}

void TRadioGroupAccessible::ItemChanged(TRadioGroup* group)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent value(group, ChosenItem(*group));
    QAccessible::updateAccessibility(&value);
}
