#pragma once
#include <QByteArray>

class OptionsModel;
struct FirmwareImage;

// The 32-byte factory data record the upload writes over the image's
// information block. Bytes 18, 21 and 22 are encoded the way the firmware of
// the image's date (FileFwDate) expects them.
QByteArray buildFactoryData(const OptionsModel &options, const FirmwareImage &image);

// Writes the record into ImageBuffer at InfoBlockOffset; the image must have
// an information block.
void writeFactoryData(const OptionsModel &options, FirmwareImage &image);
