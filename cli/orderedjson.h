#pragma once
#include <QByteArrayList>
#include <QJsonValue>

// A JSON object that keeps its keys in the order they were added, so the
// output reads the way the program shows the same facts.
class OrderedJson {
public:
    OrderedJson &add(const char *key, const QJsonValue &value);
    OrderedJson &add(const char *key, const OrderedJson &object) { return addRaw(key, object.text()); }
    OrderedJson &add(const char *key, const QList<OrderedJson> &objects);
    QByteArray text() const { return '{' + m_members.join(',') + '}'; }

private:
    OrderedJson &addRaw(const char *key, const QByteArray &encodedValue);
    QByteArrayList m_members;
};
