#pragma once
#include <QString>

class Frontend;
struct Context;
struct FirmwareImage;

enum class LoadResult {
    Loaded,            // image loaded (converted when it was a HEX file)
    TooLarge,          // refused: 0x200000 bytes or more; the previous image stays
    ReadFailed,        // could not be opened or read; the previous image stays
    ConversionFailed,  // a HEX text was refused; the image is empty
};

// Loads a firmware file (binary, or Intel-HEX when the name ends in ".hex" in
// any case), shows what the image says about itself, presets the options
// panel to it and makes the upload commands available.
LoadResult loadFirmwareFile(Frontend &ui, FirmwareImage &image, const QString &path);

// The open command after its file dialog.
LoadResult btOpenClick(Context &ctx, const QString &path);
