// quillon-cli.exe ends in order on the console's Ctrl-C, also when it was
// started with Ctrl-C switched off (a process group of its own, as a
// scheduler starts jobs): the running command stops, says why and ends with
// exit code 130. The command here waits for an update server that accepts
// and answers nothing (this process). Needs a console; Wine delivers no
// Ctrl-Break to a group.
#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <windows.h>

class TestInterruptsWin32 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The event is the program's, not this test's.
        SetConsoleCtrlHandler(nullptr, TRUE);
    }

    void ctrlC()
    {
        const QString cli = qEnvironmentVariable("QUILLON_CLI");
        QVERIFY2(QFileInfo::exists(cli), "QUILLON_CLI not set");
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QProcess process;
        // A group of its own: Ctrl-C starts switched off there.
        process.setCreateProcessArgumentsModifier(
            [](QProcess::CreateProcessArguments *args) { args->flags |= CREATE_NEW_PROCESS_GROUP; });
        process.start(cli, {QStringLiteral("check-update"), QStringLiteral("--url"),
                            QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort())});
        QVERIFY(process.waitForStarted());
        // The request has arrived: the program waits for the answer.
        QVERIFY(silent.waitForNewConnection(60000));
        QTcpSocket *request = silent.nextPendingConnection();
        QTRY_VERIFY_WITH_TIMEOUT(request->bytesAvailable() > 0, 60000);

        QVERIFY2(GenerateConsoleCtrlEvent(CTRL_C_EVENT, DWORD(process.processId())), qPrintable(QString::number(GetLastError())));
        QVERIFY2(process.waitForFinished(60000), "no end after the event");
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QVERIFY2(err.contains("Abbruch mit Strg-C"), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestInterruptsWin32)
#include "tst_interrupts_win32.moc"
