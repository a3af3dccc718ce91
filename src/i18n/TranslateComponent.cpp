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

#include <vector>

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

// Whether the instance's class shows this list property as lines on the screen (a memo) rather
// than as items that each stand for one thing (the choices of a radio group).
bool ShowsLines(const QObject* instance, const QMetaProperty& property)
{
    const QMetaObject* meta = instance->metaObject();
    const int index = meta->indexOfClassInfo(kLinesPropertyInfo);
    return index >= 0 && qstrcmp(meta->classInfo(index).value(), property.name()) == 0;
}

void TranslateLines(TBabelfish2000& engine, QObject* instance, const QMetaProperty& property)
{
    QStringList lines = property.read(instance).toStringList();
    const bool split = ShowsLines(instance, property);
    bool changed = false;
    // Backwards, so that splitting a line does not move the lines still to visit.
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const std::string line = ToBytes(lines.at(i));
        if (!Qualifies(engine, line))
            continue;
        const QString translated = FromBytes(TranslateValue(engine, line));
        changed = true;
        if (!split) {
            lines[i] = translated;
            continue;
        }
        const QStringList parts = translated.split(QStringLiteral("\r\n"));
        lines.removeAt(i);
        for (qsizetype j = 0; j < parts.size(); ++j)
            lines.insert(i + j, parts.at(j));
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

// The index of the property through which the one at `index` is written: a property that the
// class publishes again under a name of its own (kRepublishesInfo), or under the same name, is
// read and written through the most derived declaration, so that the control's own setter runs.
int PublishedIndex(const QMetaObject* meta, int index)
{
    const QByteArray name(meta->property(index).name());
    QByteArray published = name;
    for (int i = 0; i < meta->classInfoCount(); ++i) {
        const QMetaClassInfo info = meta->classInfo(i);
        if (qstrcmp(info.name(), kRepublishesInfo) != 0)
            continue;
        for (const QByteArray& pair : QByteArray(info.value()).split(',')) {
            const qsizetype equals = pair.indexOf('=');
            if (equals > 0 && pair.left(equals).trimmed() == name)
                published = pair.mid(equals + 1).trimmed();
        }
    }
    const int found = meta->indexOfProperty(published.constData());
    return found >= 0 ? found : index;
}

// The controls of a window carry the names its stored contents give them. The objects that Qt
// makes for itself (layouts, scroll bars, the editor and text document inside a memo, the
// buttons of a radio group) have none, or one beginning with "qt_"; their texts mirror the
// control's and must be neither translated a second time nor gathered as keys.
bool IsComponent(const QObject* child)
{
    const QString& name = child->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1StringView("qt_"));
}

} // namespace

void TranslateComponent(TBabelfish2000& engine, QObject* component)
{
    TranslateObject(engine, component);
    // The list is taken once: components that a translation creates are not walked.
    const QObjectList owned = component->children();
    for (QObject* child : owned) {
        if (IsComponent(child))
            TranslateComponent(engine, child);
    }
}

void TranslateObject(TBabelfish2000& engine, QObject* instance)
{
    bool doTranslate = true;
    if (engine.OnTranslateObject)
        engine.OnTranslateObject(engine, instance, doTranslate);
    if (!doTranslate)
        return;
    // Each property once, at the place where the class or its ancestors first publish it.
    const QMetaObject* meta = instance->metaObject();
    std::vector<bool> listed(static_cast<std::size_t>(meta->propertyCount()), false);
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const int published = PublishedIndex(meta, i);
        if (listed[static_cast<std::size_t>(published)])
            continue;
        listed[static_cast<std::size_t>(published)] = true;
        TranslateProperty(engine, instance, meta->property(published));
    }
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
