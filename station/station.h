#pragma once
#include "frontend/context.h"
#include "image/firmwareimage.h"
#include "link/comportlink.h"
#include "device/devicedescription.h"
#include "link/link.h"
#include "link/modem.h"
#include "options/optionsmodel.h"
#include "upload/upload.h"

#include <memory>
#include <optional>
#include <utility>

// An image that outlives the station: the fuzz targets erase one buffer for
// every input instead of faulting in a fresh 2 MiB.
struct SharedImage {
    FirmwareImage &image;
};

// The program's state for one run, wired in this one place: the firmware
// image, the options model, the front end on it, the link with the serial
// port Comm1 as its serial side, the device description, the operations'
// context and the upload. Each user brings its own front end (window,
// terminal, a test's fake): Ui is built on the options model and the
// arguments given to the station.
template <typename Ui>
class Station {
public:
    template <typename... UiArgs>
    explicit Station(UiArgs &&...uiArgs)
        : m_ownImage(std::make_unique<FirmwareImage>()), image(*m_ownImage), ui(options, std::forward<UiArgs>(uiArgs)...)
    {
        link.setSerialLink(&serial);
    }
    template <typename... UiArgs>
    explicit Station(SharedImage shared, UiArgs &&...uiArgs) : image(shared.image), ui(options, std::forward<UiArgs>(uiArgs)...)
    {
        link.setSerialLink(&serial);
    }
    Station(const Station &) = delete;
    Station &operator=(const Station &) = delete;

    // The modem on Comm1. Made on request only: it puts the carrier into the
    // port's events, which a direct line without a modem must not react to.
    Modem &addModem() { return modem.emplace(link, ui, Comm1); }

private:
    std::unique_ptr<FirmwareImage> m_ownImage;

public:
    FirmwareImage &image;
    OptionsModel options{image.FileAnalogInputs};
    Ui ui;
    Link link{ui};
    ComPortLink serial{ui};
    TComPort &Comm1 = serial.Comm1;
    std::optional<Modem> modem;
    DeviceDescription device;
    Context ctx{link, ui, device, image};
    Upload upload{ctx};
};
