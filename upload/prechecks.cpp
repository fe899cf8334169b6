#include "upload/prechecks.h"

#include "image/firmwareimage.h"
#include "device/devicedescription.h"
#include "options/optionsmodel.h"

namespace {
constexpr int kSmallFlashImageSize = 0x40000;
// The first firmware that takes the factory data on their own.
constexpr int kOnlyFabdataSince = 20071201;
}

PreCheckResult runPreChecks(const FirmwareImage &image, const DeviceDescription &device,
                            const OptionsModel &options, bool deviceAnswered)
{
    const bool onlyFabdata = options.cbOnlyFabdata.checked();
    const bool fitsFlash = image.ImageSize <= kSmallFlashImageSize ||
                           (device.FlashClass == FlashChip::Chip512K && image.ImageSize <= FirmwareImage::LargestFlash);
    if (deviceAnswered && !fitsFlash)
        return {Phase::FlashTooSmall, QStringLiteral("FLASH im KRV ist zu klein!")};
    if (image.FileDeviceKind != device.DeviceKind)
        return {Phase::WrongDevice, QStringLiteral("Datei passt nicht zum KRV!")};
    if (onlyFabdata && image.FileFwDate < kOnlyFabdataSince)
        return {Phase::FeatureUnsupported, QStringLiteral("Die FW unterstützt dieses Feature nicht!")};
    if (!onlyFabdata && device.DeviceFwDate > image.FileFwDate)
        return {Phase::DeviceFirmwareNewer, QStringLiteral("Im KRV ist eine aktueller FW!")};
    if (!onlyFabdata && device.DeviceFwDate == image.FileFwDate)
        return {Phase::SameFirmware, QStringLiteral("Die FW-Versionen sind gleich!")};
    return {};
}
