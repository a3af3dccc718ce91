#pragma once

class QMetaProperty;
class QObject;
class TBabelfish2000;

// The class info by which a class names its one QStringList property that shows lines.
inline constexpr char kLinesPropertyInfo[] = "bytescope.linesProperty";

// The class info by which a class names the inherited properties that it publishes again under
// names of its own, as "inherited=own" pairs separated by commas, e.g.
//     Q_CLASSINFO("bytescope.republishes", "text=Caption")
// The walk then lists the property once, at the inherited one's place, and writes it through
// the class's own property, so that the class's setter runs (a label re-fits its size).
inline constexpr char kRepublishesInfo[] = "bytescope.republishes";

// The walk that replaces the translatable texts of a window and everything it owns. A text is
// translatable when it begins with the engine's KeyPrefix ("BF_", letter case counts); it becomes
// engine.Translate(text without the prefix), also when the table lacks the key.
//
// Owned components are the QObject children with a name (objectName) in creation order; children
// without one, or named "qt_..." by Qt, are a control's own helpers and are not walked. Published
// properties are the Q_PROPERTYs of the class in declaration order, inherited ones first; one
// that a class declares again, under the same name or under a name of its own
// (kRepublishesInfo), is listed once, at its first place. What a property gets:
// - QString: translated when it qualifies; "objectName" (the component's Name) never is.
// - QStringList: lines visited from last to first; a qualifying line is replaced by its
//   translation; lines that do not qualify stay as they are. The translation is split at CR LF
//   into several lines only where the widget shows the list as lines: its class names the
//   property in the class info kLinesPropertyInfo, e.g.
//       Q_CLASSINFO("bytescope.linesProperty", "Lines")
//   Elsewhere (the items of a radio group, ...) a line stays one line, breaks and all.
// - a pointer to a TCollection (i18n/TCollection.h): every item is walked with TranslateObject.
// - anything else (other objects, numbers, fonts, ...): untouched.

// Translates `component` itself, then walks its named children depth-first.
void TranslateComponent(TBabelfish2000& engine, QObject* component);
// Translates the properties of one object, unless the engine's OnTranslateObject says no.
void TranslateObject(TBabelfish2000& engine, QObject* instance);
void TranslateProperty(TBabelfish2000& engine, QObject* instance, const QMetaProperty& property);
