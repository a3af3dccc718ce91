#pragma once

class QObject;

namespace checked_enum_detail {
int Clamped(const QObject& owner, const char* property, int value, int last);
}

// An enumeration property set as a number, as the meta-object system and stored windows set
// them. The enumerations of the controls run from 0 to `last`; a number outside that range is
// clamped to the nearest end, as the controls clamp every other bad number, and a warning names
// the component, the property, the number given and the one used.
template <class Enum>
Enum CheckedEnum(const QObject& owner, const char* property, int value, Enum last)
{
    return static_cast<Enum>(checked_enum_detail::Clamped(owner, property, value, static_cast<int>(last)));
}
