#include "device/deviceclock.h"

#include "device/devicecommand.h"
#include "frontend/context.h"
#include "frontend/frontend.h"
#include "link/link.h"

#include <QDateTime>

namespace {
constexpr int kTimeDigits = 12;
constexpr char kSeparator = 0x1F;  // between the set answer's two fields
// A long failure answer is shown with this many body characters and "...".
constexpr int kShownBodyChars = 14;


// The answer echoes the command and carries the twelve time digits at
// offset, all inside the frame (before its ETX).
bool holdsTime(const FrameResult &result, const QByteArray &frame, const char *echo, int offset)
{
    return result.ok() && result.length >= offset + kTimeDigits + 1 && frame.mid(1, 4) == echo;
}

bool finish(Context &ctx, bool accepted, const QByteArray &answer, const FrameResult &result, int timeOffset)
{
    if (accepted)
        ShowDeviceTime(ctx, answer, timeOffset);
    else
        ShowClockFailure(ctx, answer, result);
    return accepted;
}
}

bool readDeviceClock(Context &ctx)
{
    Link &link = ctx.link;
    QByteArray answer;
    const FrameResult result = askDevice(link, DeviceCommands::Clock, answer);
    return finish(ctx, holdsTime(result, answer, DeviceCommands::Clock.text, 5), answer, result, 5);
}

bool setDeviceClock(Context &ctx, const QDateTime &now)
{
    Link &link = ctx.link;
    const QByteArray command = "C2186093 " + now.toString(QStringLiteral("ddMMyyHHmmss")).toLatin1();
    link.SendCommand(command, link.UseCrc);
    QByteArray answer;
    const FrameResult result = link.ReceiveFrame(answer, link.UseCrc, link.limits.commandTimeoutMs);
    const bool accepted = holdsTime(result, answer, "C218", 18) && answer.at(17) == kSeparator;
    return finish(ctx, accepted, answer, result, 18);
}

void ShowDeviceTime(Context &ctx, const QByteArray &buffer, int offset)
{
    const QString d = QString::fromLatin1(buffer.mid(offset, kTimeDigits)).leftJustified(kTimeDigits, u' ');
    ctx.ui.setCaption(Control::lbTime, QStringLiteral("%1.%2.20%3 %4:%5:%6")
                                  .arg(d.mid(0, 2), d.mid(2, 2), d.mid(4, 2), d.mid(6, 2), d.mid(8, 2), d.mid(10, 2)));
}

void ShowClockFailure(Context &ctx, const QByteArray &buffer, const FrameResult &result)
{
    if (result.kind == FrameResult::Kind::NoAnswer) {
        ctx.ui.setCaption(Control::lbTime, QStringLiteral("Timeout!"));
        return;
    }
    QByteArray text;
    if (result.ok() && result.length > kShownBodyChars + 1) {
        text = buffer.left(kShownBodyChars + 1) + "...";
    } else {
        int end = 1;
        while (end < buffer.size() && quint8(buffer.at(end)) >= 0x20 && quint8(buffer.at(end)) <= 0x7F)
            ++end;
        text = buffer.left(end);
    }
    if (text.isEmpty())
        text.append('\0');
    text[0] = 'F';
    ctx.ui.setCaption(Control::lbTime, QString::fromLatin1(text));
}
