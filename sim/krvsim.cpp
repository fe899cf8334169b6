// krvsim: a simulated KRV470/KRV465 for tests and the demo.
#include "sim/devicesim.h"
#include "sim/tcptransport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krvsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated gas-volume corrector on a TCP port or a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("TCP port on 127.0.0.1 (0 = a free one)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption profileOption(QStringLiteral("profile"), QStringLiteral("Device profile (JSON)."), QStringLiteral("FILE"));
    const QCommandLineOption silentOption(QStringLiteral("silent"), QStringLiteral("Answer nothing."));
    const QCommandLineOption noiseOption(QStringLiteral("noise"), QStringLiteral("Send these bytes in front of every answer."), QStringLiteral("TEXT"));
    const QCommandLineOption splitOption(QStringLiteral("split"), QStringLiteral("Send every answer in two parts, split after N bytes."), QStringLiteral("N"));
    parser.addOptions({portOption, profileOption, silentOption, noiseOption, splitOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    DeviceProfile profile;
    if (parser.isSet(profileOption)) {
        QString error;
        profile = DeviceProfile::load(parser.value(profileOption), &error);
        if (!error.isEmpty()) {
            err << "krvsim: " << error << Qt::endl;
            return 2;
        }
    } else {
        profile = DeviceProfile::fromJson({});
    }

    DeviceSim device(profile);
    device.faults.silent = parser.isSet(silentOption);
    device.faults.noiseBefore = parser.value(noiseOption).toLatin1();
    device.faults.splitAt = parser.value(splitOption).toInt();

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535) {
        err << "krvsim: --port takes a number from 0 to 65535" << Qt::endl;
        return 2;
    }
    TcpTransport tcp(device);
    if (!tcp.listen(quint16(port))) {
        err << "krvsim: cannot listen on 127.0.0.1:" << port << ": " << tcp.errorString() << Qt::endl;
        return 1;
    }
    // Scripts read this line to find the port.
    out << "port " << tcp.port() << Qt::endl;
    return app.exec();
}
