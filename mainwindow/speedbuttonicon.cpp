#include "mainwindow/speedbuttonicon.h"

#include "widgets/vectorpicture.h"

#include <QImage>
#include <QPixmap>

#include <initializer_list>

// The pictures live in a static library; nothing would pull them into the
// program unless they are registered by name.
static void registerIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {
QImage render(const QString &name, int logicalSize, qreal pixelRatio)
{
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
    const int side = qRound(logicalSize * pixelRatio);
    QImage image = renderPicture(QStringLiteral(":/icons/") + name, side, side);
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

// The disabled look: the same drawing in light grey, half transparent, so
// it recedes like disabled text does.
QImage greyed(const QImage &picture)
{
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = 96 + qGray(line[x]) * 110 / 255;
            line[x] = qRgba(level, level, level, qAlpha(line[x]) * 7 / 10);
        }
    }
    return grey;
}
}  // namespace

QIcon speedButtonIcon(const QString &name)
{
    if (render(name, 1, 1.0).isNull())
        return {};
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage normal = render(name, SpeedButtonIconSize, ratio);
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(greyed(normal)), QIcon::Disabled);
    }
    return icon;
}

QIcon windowIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 256})
        icon.addPixmap(QPixmap::fromImage(render(QStringLiteral("quillon"), size, 1.0)));
    return icon;
}
