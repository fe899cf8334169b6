#pragma once
// The program started as a technician starts it, with its own settings file,
// on a system whose serial ports the test decides.
#include "comport/portlist.h"
#include "mainwindow/program.h"
#include "tests/comport/ptypair.h"
#include "tests/support/modalanswerer.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Serial ports of a made-up system: n built-in UARTs (COM1..COMn, none of
// which can be opened) and the given pseudo-terminals by their paths.
struct FakeSystem {
    QTemporaryDir root;

    explicit FakeSystem(int uarts, const QStringList &ptys = {})
    {
        for (int i = 0; i < uarts; ++i) {
            const QString tty = root.filePath(QStringLiteral("sys/class/tty/ttyS%1").arg(i));
            QDir().mkpath(tty + QStringLiteral("/device"));
            QFile type(tty + QStringLiteral("/type"));
            type.open(QIODevice::WriteOnly);
            type.write("4\n");
        }
        QDir().mkpath(root.filePath(QStringLiteral("dev/pts")));
        for (const QString &pty : ptys)
            QFile::link(pty, root.path() + pty);
        SetPortListRoot(root.path());
    }
    ~FakeSystem() { SetPortListRoot(QString()); }
};

struct StartupRig {
    QTemporaryDir dir;
    QString settingsPath = dir.filePath(QStringLiteral("quillon.INI"));
    ModalAnswerer answerer;
    std::unique_ptr<Program> program;

    void writeSettings(const QByteArray &text)
    {
        QFile file(settingsPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray settings() const
    {
        QFile file(settingsPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TForm1 &start()
    {
        program = std::make_unique<Program>(settingsPath);
        program->form1.station.link.limits = TimeLimits::shortForTests();
        program->start();
        return program->form1;
    }
    TForm1 &form() { return program->form1; }

    // Waits until the one-second tick has done what cond waits for.
    static bool waitFor(const std::function<bool()> &cond, int ms = 3000) { return QTest::qWaitFor(cond, ms); }
};

// Picks a port in the interface dialog and confirms it, as a user would.
inline ModalAnswerer::Answer choosePort(const QString &name, int baudIndex)
{
    return [name, baudIndex](QWidget *w) {
        auto *dialog = qobject_cast<TCommDialog *>(w);
        QVERIFY(dialog);
        dialog->cbName->setEditText(name);
        dialog->cbNameChange();
        dialog->cbBaud->setCurrentIndex(baudIndex);
        QVERIFY(dialog->btOK->isEnabled());
        dialog->btOK->click();
    };
}

// Chooses the TCP client in the interface dialog, with address and port.
inline ModalAnswerer::Answer chooseTcp(quint16 port)
{
    return [port](QWidget *w) {
        auto *dialog = qobject_cast<TCommDialog *>(w);
        QVERIFY(dialog);
        dialog->cbName->setEditText(TCommDialog::TcpClientItem);
        dialog->cbNameChange();
        dialog->EditIP->setText(QStringLiteral("127.0.0.1"));
        dialog->EditPort->setText(QString::number(port));
        dialog->btOK->click();
    };
}
