#include "controls/qt/CheckedEnum.h"

#include <QDebug>
#include <QObject>

#include <algorithm>

int checked_enum_detail::Clamped(const QObject& owner, const char* property, int value, int last)
{
    const int used = std::clamp(value, 0, last);
    if (used != value)
        qWarning().noquote().nospace()
            << "Component \"" << owner.objectName() << "\": " << property << ' ' << value
            << " is out of range 0.." << last << ", " << used << " is used";
    return used;
}
