// A firmware file as the user opens it: Intel-HEX when it starts like one,
// else a binary image; converted, evaluated, shown on the options panel.
#include "image/fileload.h"
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
    return 0;
}
