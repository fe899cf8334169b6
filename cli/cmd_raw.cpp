// raw COMMAND [--crc] [--timeout MS]: one command frame and its answer.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/showtext.h"
#include "cli/jsonoutput.h"
#include "link/link.h"

namespace {
// The frame buffer holds command text and password in 56 characters.
constexpr int kMaxCommandText = 56;

// Why the answer is no answer; empty for a good frame.
QString answerProblem(const FrameResult &result, const QByteArray &answer, int timeoutMs)
{
    switch (result.kind) {
    case FrameResult::Kind::Frame: return {};
    case FrameResult::Kind::NoAnswer: return QStringLiteral("Keine Antwort (Timeout nach %1 ms)").arg(timeoutMs);
    case FrameResult::Kind::BadCrc: return QStringLiteral("CRC-Fehler in der Antwort: ") + QString::fromLatin1(answer.toHex(' '));
    case FrameResult::Kind::MissingCrc: return QStringLiteral("Antwort ohne CRC: ") + printable(answer);
    }
    return {};
}

int runRaw(CliSession &s, const QStringList &args)
{
    QString command;
    bool crc = false;
    int timeoutMs = 2000;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--crc")) {
            crc = true;
        } else if (args[i] == QLatin1String("--timeout")) {
            bool ok = false;
            timeoutMs = args[++i].toInt(&ok);
            if (!ok || timeoutMs < 0 || timeoutMs > 600000) {
                s.err << "raw: --timeout nimmt Millisekunden von 0 bis 600000" << Qt::endl;
                return ExitUsage;
            }
        } else if (command.isEmpty()) {
            command = args[i];
        } else {
            s.err << "raw: unerwartetes Argument " << args[i] << Qt::endl;
            return ExitUsage;
        }
    }
    Link &link = s.ctx.link;
    // The device wants the read password in every frame, as the wake-up would put it there.
    link.ReadPassword = s.ui.password;
    const QByteArray text = command.toLatin1();
    if (text.isEmpty() || text.size() + link.ReadPassword.size() > kMaxCommandText || text.contains('\x02') || text.contains('\x03')) {
        s.err << "raw: einen Befehlstext von 1 bis " << kMaxCommandText - link.ReadPassword.size() << " Zeichen ohne STX/ETX angeben" << Qt::endl;
        return ExitUsage;
    }

    QString error = s.openLink();
    FrameResult result;
    QByteArray answer;
    if (error.isEmpty()) {
        link.SendCommand(text, crc);
        result = link.ReceiveFrame(answer, crc, timeoutMs);
        error = link.CancelRequested ? cancelText(s) : answerProblem(result, answer, timeoutMs);
        if (!error.isEmpty() && !link.CancelRequested)
            s.err << error << Qt::endl;
    }
    const QByteArray frame = result.ok() ? answer.left(result.length) : answer;

    const int code = result.ok() ? ExitOk : link.CancelRequested ? cancelExit(s) : ExitFailed;
    if (s.json) {
        // No bytes received: no text to show.
        OrderedJson o = jsonOutput();
        o.add("result", result.code())
            .add("text", answer.isEmpty() ? QJsonValue() : QJsonValue(printable(frame)))
            .add("hex", answer.isEmpty() ? QJsonValue() : QJsonValue(QString::fromLatin1(answer.toHex(' '))))
            .add("linkFailed", bool(link.LinkFailed));
        s.out << jsonLine(o, error, code, s.reasonOf(error)) << Qt::flush;
    } else if (result.ok()) {
        s.out << printable(frame) << Qt::endl << answer.toHex(' ') << Qt::endl;
    }
    return code;
}

const QList<CliOption> kOptions = {
    {"--crc", nullptr, "Rahmen mit CRC senden und die Antwort mit CRC erwarten"},
    {"--timeout", "MS", "so lange auf die Antwort warten (Vorgabe 2000)"},
};

const CliCommand registration("raw", "BEFEHL", "einen Befehlsrahmen senden, die Antwort als Text und hex zeigen", kOptions, true, &runRaw);
}
