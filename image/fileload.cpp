#include "image/fileload.h"

#include "image/firmwareimage.h"
#include "image/hexconvert.h"
#include "image/imagefacts.h"
#include "frontend/context.h"
#include "frontend/frontend.h"
#include "options/optionsmodel.h"
#include "settings/regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {
// At most size bytes of the file, or nothing when it cannot be read. The size
// checked before bounds the read: a file that grew meanwhile cannot overrun the buffer.
std::optional<QByteArray> readFile(QFile &file, qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;  // the file shrank meanwhile
        got += n;
    }
    bytes.truncate(got);
    return bytes;
}

// Shows what the loaded image says about itself and presets the panel to it.
void evaluateImage(Frontend &ui, FirmwareImage &image)
{
    OptionsModel &panel = ui.options();
    ui.setCaption(Control::lbFileInfo,
                  QStringLiteral("Bytes: %1, 256-Byteblöcke: %2").arg(image.ImageSize).arg(image.ImageSize / 256));
    image.FileFwDate = firmwareDate(image);
    if (image.ImageSize == 0x80000)
        panel.box(OptionBox::Image512).setChecked(true);

    image.FileExdevType = infoBlockByte(image, 30).value_or(0);
    if (image.FileExdevType == 0 || image.FileExdevType == 0xFF)
        panel.setLabel(panel.lbExdev, panel.lbExdev.caption, false);
    else
        panel.setLabel(panel.lbExdev, QString::number(qint8(image.FileExdevType)), true);

    const quint8 analog = infoBlockByte(image, 31).value_or(0);
    image.FileAnalogInputs = analog == 0xFF ? 2 : analog;
    CheckBoxModel &analogBox = panel.box(OptionBox::Analog);
    analogBox.setCaption(panel.fileAnalogCaption(image.FileAnalogInputs));
    analogBox.setChecked(image.FileAnalogInputs != 0);

    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.imageMask)
            panel.box(entry.box).setChecked((infoBlockByte(image, entry.imageByte).value_or(0) & entry.imageMask) != 0);
    }
    for (const OptionBoxEntry &entry : optionBoxes()) {
        if (entry.has(FileLocks))
            panel.box(entry.box).setEnabled(false);
    }

    const QString identification = identificationText(image);
    if (const std::optional<quint8> options = infoBlockByte(image, 21)) {
        if (*options & 0x80) {
            image.FileDeviceKind = KrvModel::KRV470;
            panel.box(OptionBox::KRV465).setChecked(false);
            panel.setLabel(panel.lbF4, QStringLiteral("Funktion der F4-Taste"), panel.lbF4.visible);
            panel.box(OptionBox::DSfG).setChecked(identification == QLatin1String("DSfG"));
        } else {
            image.FileDeviceKind = KrvModel::KRV465;
            panel.box(OptionBox::KRV465).setChecked(true);
            // Unticking the rack variant runs its rule, which frees the boxes
            // it ties: all of them are locked only afterwards.
            for (const OptionBoxEntry &entry : optionBoxes()) {
                if (entry.on465 == On465::Absent)
                    panel.box(entry.box).setChecked(false);
            }
            for (const OptionBoxEntry &entry : optionBoxes()) {
                if (entry.on465 == On465::Absent)
                    panel.box(entry.box).setEnabled(false);
                else if (entry.on465 == On465::Present)
                    panel.box(entry.box).setChecked(true);
            }
            panel.setLabel(panel.lbF4, QStringLiteral("Funktion der 'Doppel-C-Taste'"), panel.lbF4.visible);
        }
    }

    ui.setCaption(Control::lbDSfGFile, identification);
    ui.setEnabled(UploadCommands, true);
}
}

LoadResult loadFirmwareFile(Frontend &ui, FirmwareImage &image, const QString &path)
{
    ui.setCaption(Control::lbConv, QString());
    ui.setCaption(Control::lbDSfGFile, QString());
    ui.options().box(OptionBox::Image512).setChecked(false);
    image.FileDeviceKind = KrvModel::None;
    image.FileAnalogInputs = 0;
    image.FileExdevType = 0;

    // Only a regular file: a FIFO would hold the open, a device node has no end.
    QFile file;
    if (!openRegularFile(file, path).isEmpty()) {
        ui.showMessageBox(QStringLiteral("Fehler beim Öffnen!"), QStringLiteral("Dateifehler"));
        return LoadResult::ReadFailed;
    }
    const qint64 size = file.size();
    if (size >= FirmwareImage::BufferSize) {
        file.close();
        ui.showMessageBox(QStringLiteral("Die Datei ist zu groß!"), QStringLiteral("Nachdenken!"));
        return LoadResult::TooLarge;
    }
    // Read aside first, so a failed read leaves the previous image whole.
    const std::optional<QByteArray> bytes = readFile(file, size);
    file.close();
    if (!bytes) {
        ui.showMessageBox(QStringLiteral("Fehler beim Öffnen!"), QStringLiteral("Dateifehler"));
        return LoadResult::ReadFailed;
    }

    image.fileName = QFileInfo(path).absoluteFilePath();
    ui.setCaption(Control::lbFileName, image.fileName);

    LoadResult result = LoadResult::Loaded;
    if (image.fileName.endsWith(QLatin1String(".HEX"), Qt::CaseInsensitive)) {
        if (!convertHexFile(ui, image, *bytes))
            result = LoadResult::ConversionFailed;
    } else {
        std::copy(bytes->begin(), bytes->end(), image.ImageBuffer.begin());
        image.ImageSize = int(bytes->size());
    }
    evaluateImage(ui, image);
    return result;
}

const QString OpenDialog::Filter = QStringLiteral("Binärdatei|*.bin|Intel-HEX|*.hex|Alle Dateien|*.*");

std::optional<LoadResult> btOpenClick(Context &ctx, OpenDialog &dialog)
{
    ctx.ui.setCaption(Control::lbConv, QString());
    ctx.ui.setCaption(Control::lbDSfGFile, QString());
    if (!ctx.ui.askOpenFile(dialog))
        return std::nullopt;
    return loadFirmwareFile(ctx.ui, ctx.image, dialog.FileName);
}
