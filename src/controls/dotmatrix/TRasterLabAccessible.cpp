#include "controls/dotmatrix/TRasterLabAccessible.h"

#include "controls/dotmatrix/TRasterLab.h"
#include "controls/qt/QtBridge.h"

namespace {

QAccessibleInterface* CreateForDisplay(const QString& className, QObject* object)
{
    // Qt asks once per class up the hierarchy, so a display's subclass is met here as well.
    if (className != QLatin1StringView("TRasterLab"))
        return nullptr;
    auto* display = qobject_cast<TRasterLab*>(object);
    return display != nullptr ? new TRasterLabAccessible(display) : nullptr;
}

} // namespace

TRasterLabAccessible::TRasterLabAccessible(TRasterLab* display)
    : QAccessibleWidget(display, QAccessible::StaticText)
{}

const TRasterLab* TRasterLabAccessible::Display() const
{
    return static_cast<const TRasterLab*>(widget());
}

QString TRasterLabAccessible::text(QAccessible::Text kind) const
{
    switch (kind) {
    case QAccessible::Name:
        if (!widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        return ToQString(Display()->Text());
    case QAccessible::Value:
        return ToQString(Display()->Text());
    default:
        return QAccessibleWidget::text(kind);
    }
}

void TRasterLabAccessible::Install()
{
    QAccessible::installFactory(CreateForDisplay);
}

void TRasterLabAccessible::TextChanged(TRasterLab* display)
{
    // Without a listener nobody asks, and a display may change its text on every timer tick.
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent value(display, ToQString(display->Text()));
    QAccessible::updateAccessibility(&value);
    if (display->accessibleName().isEmpty()) {
        QAccessibleEvent name(display, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&name);
    }
}
