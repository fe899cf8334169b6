#pragma once
#include <QString>
#include <optional>

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

// What the file-open dialog keeps between two openings; the settings file
// stores it.
struct OpenDialog {
    static const QString Filter;  // "Binärdatei|*.bin|Intel-HEX|*.hex|Alle Dateien|*.*"
    QString FileName;
    int FilterIndex = 0;  // 1-based like the filter's pairs; 0 means the first
};

// The open command (btOpen, sbOpen, smOpen): asks for a file and loads it.
// Nothing when the dialog is cancelled.
std::optional<LoadResult> btOpenClick(Context &ctx, OpenDialog &dialog);
