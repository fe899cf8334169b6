// krvsim: a simulated KRV470/KRV465 for tests and the demo.
#include "sim/devicesim.h"
#include "sim/hayesmodem.h"
#include "sim/ptytransport.h"
#include "sim/tcptransport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>
#include <optional>

namespace {
// The value of a number option, or nothing (with a message) when it is not a
// number from 0 to max.
std::optional<int> numberOption(const QCommandLineParser &parser, const QCommandLineOption &option, int max,
                                QTextStream &err)
{
    if (!parser.isSet(option))
        return 0;
    bool ok = false;
    const uint value = parser.value(option).toUInt(&ok);
    if (ok && value <= uint(max))
        return int(value);
    err << "krvsim: --" << option.names().constFirst() << " takes a number from 0 to " << max << Qt::endl;
    return std::nullopt;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("krvsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated gas-volume corrector on a TCP port or a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("TCP port on 127.0.0.1, or ::1 with --ipv6 (0 = a free one)."), QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption ipv6Option(QStringLiteral("ipv6"), QStringLiteral("Listen on ::1 instead of 127.0.0.1."));
    const QCommandLineOption ptyOption(QStringLiteral("pty"), QStringLiteral("Serve on a pseudo-terminal instead of TCP; prints \"pty PATH\"."));
    const QCommandLineOption slowLineOption(QStringLiteral("slow-line"), QStringLiteral("Pace the device's own bytes at the line speed (pseudo-terminal only)."));
    const QCommandLineOption profileOption(QStringLiteral("profile"), QStringLiteral("Device profile (JSON)."), QStringLiteral("FILE"));
    const QCommandLineOption silentOption(QStringLiteral("silent"), QStringLiteral("Answer nothing."));
    const QCommandLineOption noiseOption(QStringLiteral("noise"), QStringLiteral("Send these bytes in front of every answer."), QStringLiteral("TEXT"));
    const QCommandLineOption splitOption(QStringLiteral("split"), QStringLiteral("Send every answer in two parts, split after N bytes."), QStringLiteral("N"));
    // Flash records are counted from 1: address, data and end records.
    const QCommandLineOption nakOption(QStringLiteral("nak"), QStringLiteral("NAK the N-th flash record once."), QStringLiteral("N"));
    const QCommandLineOption nakStormOption(QStringLiteral("nak-storm"), QStringLiteral("NAK N records in a row from the --nak record on (default 1)."), QStringLiteral("N"));
    const QCommandLineOption garbageOption(QStringLiteral("garbage"), QStringLiteral("Answer the N-th flash record with a byte outside the protocol."), QStringLiteral("N"));
    const QCommandLineOption silentFromOption(QStringLiteral("silent-from"), QStringLiteral("Answer nothing from the N-th flash record on."), QStringLiteral("N"));
    const QCommandLineOption dropAtOption(QStringLiteral("drop-at"), QStringLiteral("Drop the link when the N-th flash record arrives."), QStringLiteral("N"));
    const QCommandLineOption endAckOption(QStringLiteral("end-ack"), QStringLiteral("Answer the end record with ACK instead of \"F\"."));
    const QCommandLineOption loseFOption(QStringLiteral("lose-f"), QStringLiteral("Program after the end record, but lose its \"F\" on the line: only the letters arrive."));
    const QCommandLineOption noGoOnOption(QStringLiteral("no-goon"), QStringLiteral("Never answer \"1FLASH\"."));
    const QCommandLineOption letterIntervalOption(QStringLiteral("letter-interval"), QStringLiteral("Milliseconds between programming letters (0 = all at once)."), QStringLiteral("MS"));
    const QCommandLineOption restartOption(QStringLiteral("restart"), QStringLiteral("After programming, restart: close a TCP line, answer nothing for MS, then read out as the flashed firmware."), QStringLiteral("MS"));
    const QCommandLineOption restartOldOption(QStringLiteral("restart-old"), QStringLiteral("The restart comes back with the old firmware (implies --restart 3000 unless given)."));
    const QCommandLineOption neverBackOption(QStringLiteral("never-back"), QStringLiteral("The restart never ends: no answer after programming."));
    const QCommandLineOption flashOutOption(QStringLiteral("flash-out"), QStringLiteral("After every programming, write the whole flash to FILE."), QStringLiteral("FILE"));
    const QCommandLineOption modemOption(QStringLiteral("modem"), QStringLiteral("Put a Hayes modem in front of the device (pseudo-terminal only)."));
    const QCommandLineOption modemAnswerOption(QStringLiteral("modem-answer"), QStringLiteral("The modem's answer to a dial: connect, nocarrier, busy, ring or silent."), QStringLiteral("ANSWER"), QStringLiteral("connect"));
    parser.addOptions({portOption, ipv6Option, ptyOption, slowLineOption, profileOption, silentOption, noiseOption, splitOption,
                       nakOption, nakStormOption, garbageOption, silentFromOption, dropAtOption, endAckOption, loseFOption, noGoOnOption,
                       letterIntervalOption, restartOption, restartOldOption, neverBackOption, flashOutOption, modemOption, modemAnswerOption});
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

    const auto port = numberOption(parser, portOption, 65535, err);
    const auto split = numberOption(parser, splitOption, 1 << 20, err);
    const auto nak = numberOption(parser, nakOption, 1 << 20, err);
    const auto nakStorm = numberOption(parser, nakStormOption, 1 << 20, err);
    const auto garbage = numberOption(parser, garbageOption, 1 << 20, err);
    const auto silentFrom = numberOption(parser, silentFromOption, 1 << 20, err);
    const auto dropAt = numberOption(parser, dropAtOption, 1 << 20, err);
    const auto letterInterval = numberOption(parser, letterIntervalOption, 60000, err);
    const auto restartMs = numberOption(parser, restartOption, 600000, err);
    if (!port || !split || !nak || !nakStorm || !garbage || !silentFrom || !dropAt || !letterInterval || !restartMs)
        return 2;
    const bool pty = parser.isSet(ptyOption);
    if (parser.isSet(ipv6Option) && pty) {
        err << "krvsim: --ipv6 chooses the TCP address and does not go with --pty" << Qt::endl;
        return 2;
    }
    if (parser.isSet(slowLineOption) && !pty) {
        err << "krvsim: --slow-line models the serial line and needs --pty" << Qt::endl;
        return 2;
    }

    if ((parser.isSet(modemOption) || parser.isSet(modemAnswerOption)) && !pty) {
        err << "krvsim: --modem sits on the serial line and needs --pty" << Qt::endl;
        return 2;
    }
    const auto modemAnswer = HayesModem::answerNamed(parser.value(modemAnswerOption));
    if (!modemAnswer) {
        err << "krvsim: --modem-answer takes connect, nocarrier, busy, ring or silent" << Qt::endl;
        return 2;
    }

    DeviceSim device(profile);
    device.faults.silent = parser.isSet(silentOption);
    device.faults.noiseBefore = parser.value(noiseOption).toLatin1();
    device.faults.splitAt = *split;
    FlashSide::Faults &flash = device.flash.faults;
    flash.nakRecord = *nak;
    if (parser.isSet(nakStormOption))
        flash.nakCount = *nakStorm;
    flash.garbageAtRecord = *garbage;
    flash.silentFromRecord = *silentFrom;
    flash.dropLinkAtRecord = *dropAt;
    flash.endAnsweredWithAck = parser.isSet(endAckOption);
    flash.startLetterLost = parser.isSet(loseFOption);
    flash.noGoOnFlashing = parser.isSet(noGoOnOption);
    device.flash.letterIntervalMs = *letterInterval;
    FlashSide::Restart &restart = device.flash.restart;
    restart.modelled = parser.isSet(restartOption) || parser.isSet(restartOldOption) || parser.isSet(neverBackOption);
    if (parser.isSet(restartOption))
        restart.silentMs = *restartMs;
    restart.oldFirmware = parser.isSet(restartOldOption);
    restart.neverBack = parser.isSet(neverBackOption);
    // Tests compare what the device burnt with what the program sent.
    if (parser.isSet(flashOutOption)) {
        QObject::connect(&device.flash, &FlashSide::programmingDone, &app, [&device, &err, path = parser.value(flashOutOption)] {
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(device.flash.flash) != device.flash.flash.size() || !file.commit())
                err << "krvsim: cannot write " << path << ": " << file.errorString() << Qt::endl;
        });
    }

    if (pty) {
        PtyTransport line(device);
        line.setSlowLine(parser.isSet(slowLineOption));
        HayesModem modem(device);
        modem.answer = *modemAnswer;
        if (parser.isSet(modemOption) || parser.isSet(modemAnswerOption))
            line.setModem(&modem);
        if (!line.open()) {
            err << "krvsim: cannot create a pseudo-terminal: " << line.errorString() << Qt::endl;
            return 1;
        }
        // An unplugged device leaves nothing to serve: the pseudo-terminal is gone.
        QObject::connect(&line, &PtyTransport::hungUp, &app, [&err] {
            err << "krvsim: line hung up" << Qt::endl;
            QCoreApplication::exit(0);
        });
        // Scripts read this line to find the device.
        out << "pty " << line.slavePath() << Qt::endl;
        return app.exec();
    }

    TcpTransport tcp(device);
    const bool ipv6 = parser.isSet(ipv6Option);
    if (!tcp.listen(quint16(*port), ipv6)) {
        err << "krvsim: cannot listen on " << (ipv6 ? "[::1]:" : "127.0.0.1:") << *port << ": " << tcp.errorString() << Qt::endl;
        return 1;
    }
    // Scripts read this line to find the port.
    out << "port " << tcp.port() << Qt::endl;
    return app.exec();
}
