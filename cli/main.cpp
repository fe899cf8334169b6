// quillon-cli: the command-line twin of Quillon.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/serialsetup.h"
#include "cli/tracer.h"
#include "image/firmwareimage.h"
#include "comport/eabort.h"
#include "link/comportlink.h"
#include "link/devicedescription.h"
#include "link/link.h"
#include "options/optionsmodel.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onSigint(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

void printUsage(QTextStream &err)
{
    err << "usage: quillon-cli [--tcp HOST:PORT | --port DEVICE [--baud N]] [--password TEXT] [--json] [--trace] [--quiet] COMMAND ...\n";
    for (const CliCommand *command : CliCommand::all())
        err << "  " << command->usage << "\n";
    err << "exit codes: 0 success; 1 the device did not answer or the operation failed; 2 usage error or bad input file;\n"
           "            3 a pre-check failed and --yes was not given; 4 calibration switch closed; 130 cancelled (Ctrl-C)"
        << Qt::endl;
}

struct GlobalOptions {
    QString tcp;
    QString port;
    int baud = 9600;
    QByteArray password;
    bool json = false;
    bool trace = false;
    bool quiet = false;
    QString command;
    QStringList args;
};

// Empty error text when the options are good.
QString parseOptions(const QStringList &words, GlobalOptions &o)
{
    int i = 1;
    for (; i < words.size() && words[i].startsWith(QLatin1String("--")); ++i) {
        const QString &w = words[i];
        const bool hasValue = i + 1 < words.size();
        if (w == QLatin1String("--json")) {
            o.json = true;
        } else if (w == QLatin1String("--trace")) {
            o.trace = true;
        } else if (w == QLatin1String("--quiet")) {
            o.quiet = true;
        } else if (w == QLatin1String("--tcp") && hasValue) {
            o.tcp = words[++i];
        } else if (w == QLatin1String("--port") && hasValue) {
            o.port = words[++i];
        } else if (w == QLatin1String("--baud") && hasValue) {
            bool ok = false;
            o.baud = words[++i].toInt(&ok);
            if (!ok || o.baud <= 0)
                return QStringLiteral("--baud takes a positive number");
        } else if (w == QLatin1String("--password") && hasValue) {
            o.password = words[++i].toLatin1();
            if (o.password.size() < 4 || o.password.size() > 8)
                return QStringLiteral("--password takes 4 to 8 characters");
        } else if (w == QLatin1String("--help")) {
            return QStringLiteral("help");
        } else {
            return QStringLiteral("unknown or incomplete option ") + w;
        }
    }
    if (i >= words.size())
        return QStringLiteral("no command given");
    o.command = words[i];
    o.args = words.mid(i + 1);
    if (!o.tcp.isEmpty() && !o.port.isEmpty())
        return QStringLiteral("give either --tcp or --port, not both");
    return {};
}

// HOST:PORT; the host may be a name or an address.
bool parseTcpTarget(const QString &target, QString &host, quint16 &port)
{
    const qsizetype colon = target.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    bool ok = false;
    const uint value = target.mid(colon + 1).toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return false;
    host = target.left(colon);
    port = quint16(value);
    return true;
}
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    GlobalOptions options;
    const QString problem = parseOptions(app.arguments(), options);
    if (!problem.isEmpty()) {
        if (problem != QLatin1String("help"))
            err << "quillon-cli: " << problem << "\n";
        printUsage(err);
        return problem == QLatin1String("help") ? ExitOk : ExitUsage;
    }
    const CliCommand *command = CliCommand::find(options.command);
    if (!command) {
        err << "quillon-cli: unknown command " << options.command << "\n";
        printUsage(err);
        return ExitUsage;
    }

    FirmwareImage image;
    OptionsModel panel(image.FileAnalogInputs);
    CliFrontend ui(panel, err, options.quiet);
    ui.password = options.password;
    Link link(ui);
    DeviceDescription device;

    std::unique_ptr<Tracer> tracer;
    if (options.trace) {
        tracer = std::make_unique<Tracer>(err);
        link.trace = [&tracer](bool sent, const QByteArray &bytes) { tracer->bytes(sent, bytes); };
    }

    std::unique_ptr<ComPortLink> serial;
    if (command->needsLink) {
        if (!options.tcp.isEmpty()) {
            QString host;
            quint16 port = 0;
            if (!parseTcpTarget(options.tcp, host, port)) {
                err << "quillon-cli: --tcp takes HOST:PORT" << Qt::endl;
                return ExitUsage;
            }
            link.TcpMode = 1;
            link.setTcpTarget(host, port);
        } else if (!options.port.isEmpty()) {
            try {
                serial = openSerialLink(ui, options.port, options.baud);
            } catch (const std::exception &) {  // the port's error handler has shown it
                return ExitFailed;
            }
            link.setSerialLink(serial.get());
        } else {
            err << "quillon-cli: " << options.command << " needs --tcp HOST:PORT or --port DEVICE" << Qt::endl;
            return ExitUsage;
        }
    }

    // Ctrl-C asks the running operation to stop; every wait notices it.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&link] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(g_signalPipe[0], &c, 1);
            link.CancelRequested = true;
        });
        std::signal(SIGINT, onSigint);
    }

    CliSession session{Context{link, ui, device, image}, ui, options.json, out, err};
    int code = ExitFailed;
    try {
        code = command->run(session, options.args);
    } catch (const EAbort &) {
        // A serial port error, already shown, ended the operation.
    }
    if (tracer)
        tracer->flush();
    out.flush();
    err.flush();
    return code;
}
