#include "image/hexconvert.h"

#include "image/firmwareimage.h"
#include "image/hexreader.h"
#include "frontend/frontend.h"

#include <algorithm>
#include <vector>

namespace {
constexpr int SmallImage = 0x40000;
constexpr int LargeImage = 0x80000;
constexpr qsizetype LargeText = 0x100000;  // a HEX text this long always gives a large image
// Files linked for the upper address 0x17 start at image offset 0.
constexpr quint32 FlashWindow = 0x170000;

QString hexAddress(quint64 address) { return QString::number(address, 16).toUpper().rightJustified(6, QLatin1Char('0')); }

// Places data records into the work area; remembers the highest byte written.
// A record must not change bytes an earlier one wrote: which of the two the
// linker meant cannot be told, and the last one would win unseen.
class RecordPlacer {
public:
    explicit RecordPlacer(std::vector<quint8> &work) : m_work(work), m_written(work.size(), false) {}

    bool place(const HexRecord &record)
    {
        switch (record.type) {
        case 0x00:
            return placeData(record);
        case 0x02:  // extended segment address: base = value * 16
            return setBase(record, 4);
        case 0x04:  // extended linear address: base = value * 65536
            return setBase(record, 16);
        default:  // end of file is the reader's; start addresses do not place data
            return true;
        }
    }

    int highest() const { return m_highest; }
    QString error() const { return m_error; }

private:
    bool setBase(const HexRecord &record, int shift)
    {
        if (record.data.size() != 2) {
            m_error = QStringLiteral("Formatfehler in Zeile %1").arg(record.line);
            return false;
        }
        m_base = quint32(record.data[0] << 8 | record.data[1]) << shift;
        return true;
    }

    bool placeData(const HexRecord &record)
    {
        if (record.data.empty())
            return true;
        // 64 bits: a record near the top of the 32-bit address space must not
        // wrap round into the work area.
        const quint64 fileAddress = quint64(m_base) + record.address;
        const quint64 offset = (m_base == FlashWindow ? 0 : m_base) + quint64(record.address);
        const quint64 last = offset + record.data.size() - 1;
        if (last >= m_work.size()) {
            m_error = QStringLiteral("Adresse 0x%1 liegt außerhalb des Abbilds (Zeile %2)").arg(hexAddress(fileAddress)).arg(record.line);
            return false;
        }
        for (std::size_t i = 0; i < record.data.size(); ++i) {
            if (m_written[offset + i] && m_work[offset + i] != record.data[i]) {
                m_error = QStringLiteral("Adresse 0x%1 ist schon mit anderen Daten belegt (Zeile %2)")
                              .arg(hexAddress(fileAddress + i))
                              .arg(record.line);
                return false;
            }
        }
        std::copy(record.data.begin(), record.data.end(), m_work.begin() + std::ptrdiff_t(offset));
        std::fill_n(m_written.begin() + std::ptrdiff_t(offset), record.data.size(), true);
        m_highest = std::max(m_highest, int(last));
        return true;
    }

    std::vector<quint8> &m_work;
    std::vector<bool> m_written;  // bytes a data record has placed
    quint32 m_base = 0;
    int m_highest = -1;
    QString m_error;
};

QString readerError(const HexReader &reader, const RecordPlacer &placer)
{
    switch (reader.result()) {
    case HexReader::Result::SyntaxError:
        return QStringLiteral("Formatfehler in Zeile %1").arg(reader.line());
    case HexReader::Result::ChecksumError:
        return QStringLiteral("Prüfsummenfehler in Zeile %1").arg(reader.line());
    case HexReader::Result::Truncated:
        return QStringLiteral("Kein Dateiende-Satz bis Zeile %1").arg(reader.line());
    case HexReader::Result::Stopped:
        return placer.error();
    case HexReader::Result::Reading:
    case HexReader::Result::EndOfFile:
        break;
    }
    return QString();
}
}

HexConversion convertHex(QByteArrayView text, std::span<quint8> image)
{
    Q_ASSERT(image.size() >= std::size_t(LargeImage));
    std::vector<quint8> work(LargeImage, 0xFF);
    RecordPlacer placer(work);
    HexReader reader([&placer](const HexRecord &record) { return placer.place(record); });
    reader.begin();
    reader.feed(text);
    if (reader.end() != HexReader::Result::EndOfFile)
        return {0, readerError(reader, placer)};

    const int size = (text.size() >= LargeText || placer.highest() >= SmallImage) ? LargeImage : SmallImage;
    std::copy_n(work.begin(), size, image.begin());
    return {size, QString()};
}

bool convertHexFile(Frontend &ui, FirmwareImage &image, QByteArrayView text)
{
    ui.setStatus(0, QStringLiteral("Konvertiere HEX nach BIN!"));
    const HexConversion result = convertHex(text, image.ImageBuffer);
    image.ImageSize = result.imageSize;
    if (!result.error.isEmpty())
        ui.setStatus(1, result.error);
    ui.setCaption(Control::lbConv, result.imageSize > 0 ? QStringLiteral("Konvertiert!") : QStringLiteral("Fehler!!!!"));
    return result.imageSize > 0;
}
