#pragma once

class Link;
class Frontend;
struct DeviceDescription;
struct FirmwareImage;

// The shared state a device operation works on. One per program run.
struct Context {
    Link &link;
    Frontend &ui;
    DeviceDescription &device;
    FirmwareImage &image;
};
