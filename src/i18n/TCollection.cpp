#include "i18n/TCollection.h"

TCollection::TCollection(QObject* parent) : QObject(parent) {}

QObject* TCollection::Add(std::unique_ptr<QObject> item)
{
    QObject* added = item.release();
    added->setParent(this);
    FItems.append(added);
    return added;
}
