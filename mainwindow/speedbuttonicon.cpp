#include "mainwindow/speedbuttonicon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <initializer_list>

// The pictures live in a static library; nothing would pull them into the
// program unless they are registered by name.
static void registerIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {
// The SVG is drawn by QSvgRenderer directly, so no image-format plugin is
// needed wherever the program runs.
class IconPicture
{
public:
    explicit IconPicture(const QString &name) : m_renderer(pathOf(name)) {}

    bool isValid() const { return m_renderer.isValid(); }

    QImage render(int logicalSize, qreal pixelRatio)
    {
        const int side = qRound(logicalSize * pixelRatio);
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        m_renderer.render(&painter);
        painter.end();
        image.setDevicePixelRatio(pixelRatio);
        return image;
    }

private:
    static QString pathOf(const QString &name)
    {
        static const bool registered = (registerIconResources(), true);
        Q_UNUSED(registered);
        return QStringLiteral(":/icons/%1.svg").arg(name);
    }

    QSvgRenderer m_renderer;
};

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
    IconPicture picture(name);
    if (!picture.isValid())
        return {};
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage normal = picture.render(SpeedButtonIconSize, ratio);
        icon.addPixmap(QPixmap::fromImage(normal), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(greyed(normal)), QIcon::Disabled);
    }
    return icon;
}

QIcon windowIcon()
{
    IconPicture picture(QStringLiteral("quillon"));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 256})
        icon.addPixmap(QPixmap::fromImage(picture.render(size, 1.0)));
    return icon;
}
