#pragma once

#include <QList>
#include <QObject>

#include <memory>

// An ordered list of items that an object publishes as one property, for example the columns of
// a header. The component walk translates the properties of each item. A collection is not a
// component: the object that publishes it keeps it without making it a QObject child, so the
// walk over owned components meets it only through the property.
class TCollection : public QObject
{
    Q_OBJECT
public:
    explicit TCollection(QObject* parent = nullptr);

    int Count() const { return static_cast<int>(FItems.size()); }
    QObject* Items(int index) const { return FItems.at(index); }
    // Takes the item over and returns it.
    QObject* Add(std::unique_ptr<QObject> item);

private:
    QList<QObject*> FItems;
};
