#include "upload/prechecks.h"

#include "image/firmwareimage.h"
#include "link/devicedescription.h"
#include "options/optionsmodel.h"

namespace {
constexpr int kSmallFlashImageSize = 0x40000;
constexpr int kLargestFlashImageSize = 0x80000;  // no device has more flash
constexpr int kFlashClass512K = 2;
// The first firmware that takes the factory data on their own.
constexpr int kOnlyFabdataSince = 20071201;
}

PreCheckResult runPreChecks(const FirmwareImage &image, const DeviceDescription &device,
                            const OptionsModel &options, bool deviceAnswered)
{
    const bool onlyFabdata = options.cbOnlyFabdata.checked();
    const bool fitsFlash = image.ImageSize <= kSmallFlashImageSize ||
                           (device.FlashClass == kFlashClass512K && image.ImageSize <= kLargestFlashImageSize);
    if (deviceAnswered && !fitsFlash)
        return {-1, QStringLiteral("FLASH im KRV ist zu klein!")};
    if (image.FileDeviceKind != device.DeviceKind)
        return {-2, QStringLiteral("Datei passt nicht zum KRV!")};
    if (onlyFabdata && image.FileFwDate < kOnlyFabdataSince)
        return {-3, QStringLiteral("Die FW unterstützt dieses Feature nicht!")};
    if (!onlyFabdata && device.DeviceFwDate > image.FileFwDate)
        return {-4, QStringLiteral("Im KRV ist eine aktueller FW!")};
    if (!onlyFabdata && device.DeviceFwDate == image.FileFwDate)
        return {-5, QStringLiteral("Die FW-Versionen sind gleich!")};
    return {};
}
