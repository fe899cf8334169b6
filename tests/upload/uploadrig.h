#pragma once
// An upload wired to a simulated device, with a scripted window: over a
// loopback port (UploadRig) or over a pseudo-terminal through the program's
// own serial port (SerialUploadRig).
#include "image/fileload.h"
#include "frontend/context.h"
#include "link/devicedescription.h"
#include "link/link.h"
#include "sim/sampleimage.h"
#include "tests/support/fakefrontend.h"
#include "tests/support/simpeer.h"
#include "tests/upload/ptypeer.h"
#include "upload/upload.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Kind = FlashSide::Kind;
using Record = FlashSide::Record;

// The TCP link to the simulator; nothing to switch, so the device may answer at once.
inline void attach(SimPeer &sim, Link &link, Frontend &)
{
    link.TcpMode = 1;
    link.setTcpTarget(QStringLiteral("127.0.0.1"), sim.tcp.port());
    sim.device.flash.goOnDelayMs = 10;
}

template <typename Peer>
struct BasicUploadRig {
    TestStation st;
    DeviceDescription device;
    Link link{st.ui};
    Context ctx{link, st.ui, device, st.image};
    Upload upload{ctx};
    Peer sim;
    QTemporaryDir dir;

    explicit BasicUploadRig(const DeviceProfile &profile = DeviceProfile::fromJson({})) : sim(profile)
    {
        link.limits = TimeLimits::shortForTests();
        attach(sim, link, st.ui);
        link.UseCrc = profile.crc;
        // As a readout of the simulator's default profile leaves it.
        device.DeviceInfoRead = true;
        device.DeviceKind = 1;
        device.DeviceFwDate = 20080115;
        device.FlashClass = 2;
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
