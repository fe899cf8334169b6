#pragma once
#include "image/krvmodel.h"

#include <QString>
#include <QtGlobal>
#include <vector>

// The firmware image held for the whole run and what it says about itself.
struct FirmwareImage {
    static constexpr int BufferSize = 0x200000;
    static constexpr int InfoBlockSize = 32;
    // The largest flash of any corrector (512 KiB); a larger image fits none.
    static constexpr int LargestFlash = 0x80000;
    // The identification text starts here; the firmware date ends before IdentificationEnd.
    static constexpr int IdentificationOffset = 0xFF00;
    static constexpr int IdentificationEnd = 0xFF0F;

    std::vector<quint8> ImageBuffer = std::vector<quint8>(BufferSize, 0xFF);
    int ImageSize = 0;
    int FileFwDate = 20060000;  // yyyymmdd
    KrvModel FileDeviceKind = KrvModel::None;
    quint8 FileAnalogInputs = 0;
    quint8 FileExdevType = 0;
    QString fileName;  // full path of the file last opened

    int InfoBlockOffset() const { return ImageSize - InfoBlockSize; }
    bool hasInfoBlock() const { return ImageSize >= InfoBlockSize; }
    // The identification text and the firmware date lie wholly inside the image.
    bool hasIdentification() const { return ImageSize >= IdentificationEnd; }
};
