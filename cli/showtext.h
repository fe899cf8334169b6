#pragma once
#include <QByteArray>
#include <QString>

// How the terminal shows device bytes and values.

// Printable ASCII as it is, every other byte as '.'.
QString printable(const QByteArray &bytes);

