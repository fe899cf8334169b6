#pragma once
#include "comport/eabort.h"
#include "image/firmwareimage.h"
#include "link/seriallink.h"
#include "tests/support/fakefrontend.h"

#include <QByteArrayView>
#include <algorithm>

// The serial side of the byte channel, answering with the fuzz input byte by
// byte. Once the input is used up the operation ends as a port error would:
// with the silent abort, so no wait sits out its time-out.
class ScriptedSerial : public SerialLink {
public:
    explicit ScriptedSerial(QByteArrayView replies) : m_replies(replies) {}

    bool SendBytes(const char *, int, int, const std::function<bool()> &) override { return true; }
    void SendByte(quint8) override {}
    int PollByte(quint8 &byte) override
    {
        if (m_at >= m_replies.size())
            throw EAbort();
        byte = quint8(m_replies[m_at++]);
        return 1;
    }
    void PurgeInput() override {}
    void SetBaudRate(TBaudRate) override {}
    int readableHandle() const override { return -1; }
    bool isOpen() const override { return true; }

private:
    QByteArrayView m_replies;
    qsizetype m_at = 0;
};

// One image per process, erased for every input: a fresh 2 MiB buffer costs
// more page faults than the whole input costs otherwise.
inline FirmwareImage &erasedImage()
{
    static FirmwareImage image;
    std::fill(image.ImageBuffer.begin(), image.ImageBuffer.end(), quint8(0xFF));
    image.ImageSize = 0;
    image.FileFwDate = 20060000;
    image.FileDeviceKind = KrvModel::None;
    image.FileAnalogInputs = image.FileExdevType = 0;
    image.fileName.clear();
    return image;
}

// The program's state around an operation, the device played by the input.
struct FuzzStation : Station<FakeFrontend> {
    explicit FuzzStation(QByteArrayView replies = {}) : Station(SharedImage{erasedImage()}), scripted(replies)
    {
        link.setSerialLink(&scripted);
    }
    ScriptedSerial scripted;
};
