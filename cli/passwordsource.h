#pragma once
#include <QByteArray>
#include <QString>

// The read password kept off the command line, where ps and the shell's
// history would show it: the first line of a file, or QUILLON_PASSWORD.

// Reads the password from the first line of path; the error text, or empty
// when password was set.
QString readPasswordFile(const QString &path, QByteArray &password);

// Why the device cannot take password (it wants 4 to 8 characters); empty when it can.
QString passwordLengthProblem(const QByteArray &password, const QString &source);

inline constexpr char PasswordVariable[] = "QUILLON_PASSWORD";
