#pragma once
#include <QByteArray>
#include <QString>
#include <Qt>

class Frontend;
struct FirmwareImage;

// The ImageSize bytes of the image, as a saved file holds them.
QByteArray imageBytes(const FirmwareImage &image);

// Writes the ImageSize bytes of the image to path, replacing a regular file
// only once everything was written, and nothing else. Empty on success, else
// the path and why not.
QString writeImageFile(const FirmwareImage &image, const QString &path);

// Mouse press on lbConv: the right button saves a converted HEX file's image
// as the ".BIN" file beside it; the current file name then ends in ".HEX".
// Any other button, or a file that was not a HEX file, does nothing.
// A failed write is named in status panel 1.
void lbConvMouseDown(Frontend &ui, FirmwareImage &image, Qt::MouseButton button);
