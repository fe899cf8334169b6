// A firmware file as the user opens it: Intel-HEX when it starts like one,
// else a binary image; converted, evaluated, shown on the options panel, and
// judged whether it is a firmware at all.
#include "image/fileload.h"
#include "image/imagefacts.h"
#include "tests/fuzz/targets/fuzztargets.h"
#include "tests/fuzz/targets/fuzzstation.h"

int fuzzHexImage(const quint8 *data, std::size_t size)
{
    const bool hex = size > 0 && data[0] == ':';
    const QString path = fuzzInputFile(hex ? "f.hex" : "f.bin", data, size);

    FuzzStation st;
    const LoadResult result = loadFirmwareFile(st.ui, st.image, path);
    FUZZ_CHECK(result == LoadResult::Loaded || result == LoadResult::ConversionFailed);
    FUZZ_CHECK(st.image.ImageSize >= 0 && st.image.ImageSize < FirmwareImage::BufferSize);
    if (hex)
        FUZZ_CHECK(st.image.ImageSize == 0 || st.image.ImageSize == 0x40000 || st.image.ImageSize == 0x80000);
    // What passes as firmware has what the upload relies on.
    if (notFirmwareReason(st.image, 2026).isEmpty()) {
        FUZZ_CHECK(st.image.hasInfoBlock() && st.image.hasIdentification());
        FUZZ_CHECK(!identificationText(st.image).isEmpty());
        FUZZ_CHECK(st.image.FileFwDate >= 19900101 && st.image.FileFwDate <= 20271231);
        FUZZ_CHECK(st.image.FileDeviceKind == KrvModel::KRV470 || st.image.FileDeviceKind == KrvModel::KRV465);
    }
    return 0;
}
