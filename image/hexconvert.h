#pragma once
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <span>

class Frontend;
struct FirmwareImage;

// Outcome of converting an Intel-HEX text into a binary image.
struct HexConversion {
    int imageSize = 0;  // 0: the text was refused
    QString error;      // why it was refused, for the status line
};

// Converts HEX text into a 256 KiB or 512 KiB image written to the start of
// `image` (at least 512 KiB). Gaps hold 0xFF (erased flash). The image is 512
// KiB when the text is 1 MiB or longer or when data lie at 0x40000 or above.
// Data under the upper address 0x17 belong at the start of the image. A
// checksum or grammar fault, data outside the image, a record that changes
// bytes an earlier one placed (also through the 0x17 window; the same bytes
// again pass) or a missing end-of-file record refuse the whole text; `image`
// is then left as it was.
HexConversion convertHex(QByteArrayView text, std::span<quint8> image);

// The load's conversion step: converts the HEX text into image.ImageBuffer,
// sets ImageSize and reports in the status line and lbConv.
bool convertHexFile(Frontend &ui, FirmwareImage &image, QByteArrayView text);
