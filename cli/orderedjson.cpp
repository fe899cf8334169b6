#include "cli/orderedjson.h"

#include <QJsonArray>
#include <QJsonDocument>

OrderedJson &OrderedJson::add(const char *key, const QJsonValue &value)
{
    // Qt encodes values only inside a document: encode [value] and unwrap it.
    return addRaw(key, QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).chopped(1).mid(1));
}

OrderedJson &OrderedJson::addRaw(const char *key, const QByteArray &encodedValue)
{
    m_members.append('"' + QByteArray(key) + "\":" + encodedValue);
    return *this;
}

OrderedJson &OrderedJson::add(const char *key, const QList<OrderedJson> &objects)
{
    QByteArrayList texts;
    for (const OrderedJson &o : objects)
        texts.append(o.text());
    return addRaw(key, '[' + texts.join(',') + ']');
}
