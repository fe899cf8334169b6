// A firmware file named on the command line ("quillon FILE", the desktop's
// "open with").
#include "image/fileload.h"
#include "mainwindow/form1.h"

#include <QFileInfo>

void TForm1::openAtStart(const QString &path)
{
    // What "Öffnen" does once its dialog has returned the file.
    station.ui.setCaption(Control::lbConv, QString());
    station.ui.setCaption(Control::lbDSfGFile, QString());
    openDialog.FileName = QFileInfo(path).absoluteFilePath();
    loadFirmwareFile(station.ui, station.image, openDialog.FileName);
}
