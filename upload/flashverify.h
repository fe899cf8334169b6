#pragma once
#include "upload/firmwareidentity.h"

#include <QStringList>

struct Context;

// After "P" the device restarts into its new firmware. The check waits for it
// to answer again (the wake-up repeated until limits.verifyRestartMs; over TCP
// the link reconnects by itself when the device side closed it), reads the
// version and the build date again and compares them with the image's identity.
class FlashVerify {
public:
    enum class Status {
        Verified,  // the device runs the image
        Mismatch,  // it answers, but with another firmware
        NoAnswer,  // it did not come back within the limit
        Cancelled,
    };
    struct Result {
        Status status = Status::NoAnswer;
        FirmwareIdentity device;  // as read; empty when it did not answer
        QStringList differences;
        qint64 elapsedMs = 0;
        QString text;  // what to tell the user, German
    };

    explicit FlashVerify(Context &ctx) : m_ctx(ctx) {}

    Result run(const FirmwareIdentity &image);

    // For scripts and records: "verified", "mismatch", "no-answer", "cancelled".
    static const char *statusName(Status status);

private:
    Context &m_ctx;
};
