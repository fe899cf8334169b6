// raw COMMAND [--crc] [--timeout MS]: one command frame and its answer.
#include "cli/clifrontend.h"
#include "cli/clisession.h"
#include "cli/showtext.h"
#include "link/link.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
// The frame buffer holds command text and password in 56 characters.
constexpr int kMaxCommandText = 56;

int runRaw(CliSession &s, const QStringList &args)
{
    QString command;
    bool crc = false;
    int timeoutMs = 2000;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--crc")) {
            crc = true;
        } else if (args[i] == QLatin1String("--timeout") && i + 1 < args.size()) {
            bool ok = false;
            timeoutMs = args[++i].toInt(&ok);
            if (!ok || timeoutMs < 0 || timeoutMs > 600000) {
                s.err << "raw: --timeout takes milliseconds from 0 to 600000" << Qt::endl;
                return ExitUsage;
            }
        } else if (command.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            command = args[i];
        } else {
            s.err << "raw: unexpected argument " << args[i] << Qt::endl;
            return ExitUsage;
        }
    }
    const QByteArray text = command.toLatin1();
    if (text.isEmpty() || text.size() + s.ctx.link.ReadPassword.size() > kMaxCommandText || text.contains('\x02') || text.contains('\x03')) {
        s.err << "raw: give one command text of 1 to " << kMaxCommandText << " characters without STX/ETX" << Qt::endl;
        return ExitUsage;
    }

    Link &link = s.ctx.link;
    link.SendCommand(text, crc);
    QByteArray answer;
    const int result = link.ReceiveFrame(answer, crc, timeoutMs);
    const QByteArray frame = result > 0 ? answer.left(result) : answer;

    if (s.json) {
        QJsonObject o{{"result", result},
                      {"text", printable(frame)},
                      {"hex", QString::fromLatin1(answer.toHex(' '))},
                      {"LinkFailed", link.LinkFailed}};
        s.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << Qt::endl;
    } else if (result > 0) {
        s.out << printable(frame) << Qt::endl << answer.toHex(' ') << Qt::endl;
    }
    if (result > 0)
        return ExitOk;
    if (link.CancelRequested)
        return ExitCancelled;
    if (!s.json) {
        if (result == 0)
            s.err << "Keine Antwort (Timeout nach " << timeoutMs << " ms)" << Qt::endl;
        else if (result == -1)
            s.err << "CRC-Fehler in der Antwort: " << answer.toHex(' ') << Qt::endl;
        else
            s.err << "Antwort ohne CRC: " << printable(answer) << Qt::endl;
    }
    return ExitFailed;
}

const CliCommand registration("raw", "raw COMMAND [--crc] [--timeout MS]   send one command frame, print the answer (text and hex)", true, &runRaw);
}
