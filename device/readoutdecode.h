#pragma once
#include <QByteArray>
#include <QString>

struct Context;
class OptionsModel;
struct DeviceDescription;

// What each readout answer means for the options panel and the device
// description. Offsets count from the answer's STX.

// A decimal field read like atol: leading blanks, a sign, then digits up to
// the first other character or the end of the field.
long answerNumber(const QByteArray &frame, int offset, int length);

// The twelve characters of the factory number at offset 5; from the first
// control or non-ASCII byte on (ETX included) the rest is blanks.
QString factoryNumber(const QByteArray &frame);

// yyyymmdd from the build answer: day at 7-8, month at 9-10, year at 11-14.
int firmwareDate(const QByteArray &frame);

// The hardware word of "B939", bit by bit.
void applyHardwareWord(Context &ctx, int word);

// The analog-input count of "B144" (0 when the device has none).
void applyAnalogInputs(OptionsModel &panel, int count);

// The flash identification of "B941": manufacturer and device code, four hex characters.
void applyFlashId(OptionsModel &panel, DeviceDescription &device, const QByteArray &id);

// The networking value of "B940".
void applyNetwork(OptionsModel &panel, long value);

// The EXDEV number of "B942": a byte, 255 meaning none.
void applyExdev(OptionsModel &panel, DeviceDescription &device, long value);
