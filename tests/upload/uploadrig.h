#pragma once
// An upload wired to a simulated device, with a scripted window: over a
// loopback port (UploadRig) or over a pseudo-terminal through the program's
// own serial port (SerialUploadRig).
#include "image/fileload.h"
#include "sim/defaultreadout.h"
#include "sim/sampleimage.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/simpeer.h"
#include "tests/upload/ptypeer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Kind = FlashSide::Kind;
using Record = FlashSide::Record;

// The TCP link to the simulator; nothing to switch, so the device may answer at once.
inline void attach(SimPeer &sim, TestStation &station)
{
    station.link.useTcp();
    station.link.setTcpTarget(QStringLiteral("127.0.0.1"), sim.tcp.port());
    sim.device.flash.goOnDelayMs = 10;
}

template <typename Peer>
struct BasicUploadRig {
    Peer sim;
    TestStation st;  // after the peer: its port closes before the terminal
    DeviceDescription &device = st.device;
    Link &link = st.link;
    Context &ctx = st.ctx;
    Upload &upload = st.upload;
    QTemporaryDir dir;

    explicit BasicUploadRig(const DeviceProfile &profile = DeviceProfile::fromJson({})) : sim(profile)
    {
        link.limits = TimeLimits::shortForTests();
        attach(sim, st);
        link.UseCrc = profile.crc;
        device = defaultProfileReadout();
    }

    FlashSide &flash() { return sim.device.flash; }

    // Loads the image through the program's own file load, as a user would.
    void load(const QByteArray &bytes, const QString &name = QStringLiteral("image.bin"))
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        QCOMPARE(loadFirmwareFile(st.ui, st.image, file.fileName()), LoadResult::Loaded);
    }
    void load(const SampleImage &sample) { load(sample.build()); }

    QByteArray image() const
    {
        return QByteArray(reinterpret_cast<const char *>(st.image.ImageBuffer.data()), st.image.ImageSize);
    }

    bool sentCommand(const QByteArray &text) const
    {
        for (const QByteArray &frame : sim.device.frames)
            if (frame.contains(text))
                return true;
        return false;
    }
};

using UploadRig = BasicUploadRig<SimPeer>;
using SerialUploadRig = BasicUploadRig<PtyPeer>;

// A 64 KiB image with the given 256-byte blocks in use; the identification
// block (which holds the information block too) is always in use.
inline QByteArray blockImage(std::initializer_list<int> blocks, int date = 20090301)
{
    SampleImage sample;
    sample.size = 0x10000;
    sample.firmwareDate = date;
    QByteArray full = sample.build();
    QByteArray image(sample.size, char(0xFF));
    for (int block : blocks)
        image.replace(block * 256, 256, full.mid(block * 256, 256));
    image.replace(0xFF00, 256, full.mid(0xFF00, 256));
    return image;
}
