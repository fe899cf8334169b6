#include "widgets/vectorpicture.h"

#include <QPainter>
#ifdef QUILLON_HAVE_SVG
#include <QSvgRenderer>
#endif

QImage renderPicture(const QString &base, int width, int height)
{
#ifdef QUILLON_HAVE_SVG
    QSvgRenderer renderer(base + QStringLiteral(".svg"));
    if (!renderer.isValid())
        return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
#else
    const QImage large(base + QStringLiteral(".png"));
    if (large.isNull())
        return {};
    return large.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
#endif
}
