#include "orvabout/orvpicture.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap orvPicture(int width, int height)
{
    QSvgRenderer renderer(QStringLiteral(":/orvabout/orv.svg"));
    QPixmap picture(width, height);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}
