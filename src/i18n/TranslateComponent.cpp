#include "i18n/TranslateComponent.h"

#include "i18n/TBabelfish2000.h"
#include "i18n/TCollection.h"
#include "util/Cp1252.h"

#include <QMetaObject>
#include <QMetaProperty>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace {

std::string ToBytes(const QString& text)
{
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<std::size_t>(text.size())));
}

QString FromBytes(std::string_view bytes)
{
    const std::u16string utf16 = Cp1252ToUtf16(bytes);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

bool Qualifies(const TBabelfish2000& engine, std::string_view value)
{
    return value.starts_with(engine.KeyPrefix());
}

std::string TranslateValue(TBabelfish2000& engine, std::string_view value)
{
    return engine.Translate(value.substr(engine.KeyPrefix().size()));
}

void TranslateText(TBabelfish2000& engine, QObject* instance, const QMetaProperty& property)
{
    // objectName is the component's Name: it identifies the component and is never a text.
    const QLatin1StringView name(property.name());
    if (name == QLatin1StringView("objectName") || name == QLatin1StringView("Name"))
        return;
    const std::string value = ToBytes(property.read(instance).toString());
    if (Qualifies(engine, value))
        property.write(instance, FromBytes(TranslateValue(engine, value)));
}

// A translation with line breaks becomes several lines, as a box that shows lines would show it.
QStringList SplitLines(const QString& text)
{
    return text.split(QStringLiteral("\r\n"));
}

void TranslateLines(TBabelfish2000& engine, QObject* instance, const QMetaProperty& property)
{
    QStringList lines = property.read(instance).toStringList();
    bool changed = false;
    // Backwards, so that splitting a line does not move the lines still to visit.
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const std::string line = ToBytes(lines.at(i));
        if (!Qualifies(engine, line))
            continue;
        const QStringList translated = SplitLines(FromBytes(TranslateValue(engine, line)));
        lines.removeAt(i);
        for (qsizetype j = 0; j < translated.size(); ++j)
            lines.insert(i + j, translated.at(j));
        changed = true;
    }
    if (changed)
        property.write(instance, lines);
}

void TranslateObjectProperty(TBabelfish2000& engine, QObject* instance, const QMetaProperty& property)
{
    auto* collection = qobject_cast<TCollection*>(property.read(instance).value<QObject*>());
    if (collection == nullptr)
        return;
    for (int i = 0; i < collection->Count(); ++i)
        TranslateObject(engine, collection->Items(i));
}

} // namespace

void TranslateComponent(TBabelfish2000& engine, QObject* component)
{
    TranslateObject(engine, component);
    // The list is taken once: components that a translation creates are not walked.
    const QObjectList owned = component->children();
    for (QObject* child : owned)
        TranslateComponent(engine, child);
}

void TranslateObject(TBabelfish2000& engine, QObject* instance)
{
    bool doTranslate = true;
    if (engine.OnTranslateObject)
        engine.OnTranslateObject(engine, instance, doTranslate);
    if (!doTranslate)
        return;
    const QMetaObject* meta = instance->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        TranslateProperty(engine, instance, meta->property(i));
}

void TranslateProperty(TBabelfish2000& engine, QObject* instance, const QMetaProperty& property)
{
    if (!property.isReadable())
        return;
    const QMetaType type = property.metaType();
    if (type.id() == QMetaType::QString)
        TranslateText(engine, instance, property);
    else if (type.id() == QMetaType::QStringList)
        TranslateLines(engine, instance, property);
    else if (type.flags().testFlag(QMetaType::PointerToQObject))
        TranslateObjectProperty(engine, instance, property);
}
