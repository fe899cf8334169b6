// quillon-cli: the command-line twin of Quillon.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/commandline.h"
#include "cli/interrupts.h"
#include "cli/modemcall.h"
#include "cli/serialsetup.h"
#include "cli/tcpcheck.h"
#include "cli/terminal.h"
#include "cli/tracer.h"
#include "cli/usage.h"
#include "comport/eabort.h"
#include "comport/portlist.h"
#include "orvabout/versinfo.h"
#include "settings/filespelling.h"
#include "station/recordlinkof.h"
#include "station/station.h"

#include <QCoreApplication>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    prepareConsole();
    QTextStream out(stdout);
    QTextStream err(stderr);

    keepCommandLineSpellings(argc, argv);
    const CommandLine line = parseCommandLine(app.arguments());
    if (line.want == CommandLine::Want::Help) {
        if (line.command)
            printCommandHelp(out, *line.command);
        else
            printUsage(out);
        return ExitOk;
    }
    if (line.want == CommandLine::Want::Version) {
        printVersion(out);
        return ExitOk;
    }
    if (line.want == CommandLine::Want::Error) {
        err << "quillon-cli: " << line.error << "\n"
            << "Hilfe: quillon-cli " << (line.command ? line.command->name + QStringLiteral(" ") : QString()) << "--help" << Qt::endl;
        return ExitUsage;
    }
    const GlobalOptions &options = line.options;
    const CliCommand *command = line.command;

    Station<CliFrontend> station(err, options.quiet);
    CliFrontend &ui = station.ui;
    ui.password = options.password;
    Link &link = station.link;
    // The test suite's runs against the simulator; never set in use.
    if (qEnvironmentVariable("QUILLON_TEST_SHORT_LIMITS") == QLatin1String("1"))
        link.limits = TimeLimits::shortForTests();
    // The test suite's made-up /sys and /dev for the port list; never set in use.
    if (const QString root = qEnvironmentVariable("QUILLON_TEST_PORT_ROOT"); !root.isEmpty())
        SetPortListRoot(root);

    std::unique_ptr<Tracer> tracer;
    if (options.trace) {
        tracer = std::make_unique<Tracer>(err, link.ReadPassword);
        link.trace = [&tracer](bool sent, const QByteArray &bytes) { tracer->bytes(sent, bytes); };
    }

    bool serialOpen = false;
    // Why the link cannot carry the command; the command reports it (also in its JSON).
    QString linkProblem;
    QString linkReason;
    if (command->needsLink) {
        if (!options.tcpHost.isEmpty()) {
            link.useTcp();
            link.setTcpTarget(options.tcpHost, options.tcpPort);
        } else if (!options.port.isEmpty()) {
            // The upload goes back to this speed once it has sent.
            link.SavedBaudRate = *baudRateOf(options.baud.value_or(9600));
            try {
                openSerialLink(station.serial, ui, options.port, link.SavedBaudRate);
                serialOpen = true;
            } catch (const PortOpenFailure &e) {  // shown already
                linkProblem = QString::fromUtf8(e.what());
                linkReason = e.reason;
            }
        } else {
            err << "quillon-cli: " << command->name << " braucht --tcp HOST:PORT oder --port GERÄT\n"
                << "Hilfe: quillon-cli --help" << Qt::endl;
            return ExitUsage;
        }
    }

    // Through a modem the command's JSON object gets the call's facts added.
    const bool dial = serialOpen && options.dial;
    QByteArray commandJson;
    QTextStream commandJsonStream(&commandJson);
    QTextStream &commandOut = dial && options.json ? commandJsonStream : out;
    CliSession session{station.ctx, station.upload, ui, options.json, commandOut, err, {}, {}};
    session.openLink = [&]() -> QString {
        if (!linkProblem.isEmpty() || !link.TcpMode)
            return linkProblem;
        // A target that is not there must not cost the device questions and their waits.
        const QString reason = tcpConnectProblem(options.tcpHost, options.tcpPort, link.limits.connectCheckMs);
        if (reason.isEmpty())
            return {};
        const QString message = QStringLiteral("Keine Verbindung zu %1: %2").arg(options.tcpTarget(), reason);
        err << message << Qt::endl;
        return message;
    };
    session.portProblem = linkProblem;
    session.portReason = linkReason;
    session.onInterrupt = [&link] { link.cancel(); };
    if (command->needsLink)
        session.recordLink = recordLinkOf(station, options.dial);

    // Ctrl-C, a fleet job's time limit and a closed terminal go to the
    // running command; every wait notices them.
    routeInterrupts(&app, [&session, &ui](const QString &reason) {
        if (session.interruptReason.isEmpty())
            session.interruptReason = reason;
        // The user ends the program: an operation this ends failed by
        // that, not by the device.
        ui.setExitRequested();
        session.onInterrupt();
    });

    ModemCall call;
    int code = ExitFailed;
    try {
        if (dial) {
            call = dialThroughModem(station.addModem(), ui, link, *options.dial, options.modemInit);
            if (!call.connected) {
                linkProblem = callFailure(call);
                err << linkProblem << Qt::endl;
            }
        }
        code = command->run(session, line.args);
        if (station.modem && link.ModemConnected)
            station.modem->HangUp();
    } catch (const EAbort &) {
        // A serial port error, already shown, ended the operation.
    }
    if (dial && options.json) {
        commandJsonStream.flush();
        out << withModemJson(commandJson, call);
    }
    if (tracer)
        tracer->flush();
    out.flush();
    err.flush();
    return code;
}
