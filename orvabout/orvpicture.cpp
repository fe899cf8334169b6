#include "orvabout/orvpicture.h"

#include "widgets/vectorpicture.h"

QPixmap orvPicture(int width, int height)
{
    return QPixmap::fromImage(renderPicture(QStringLiteral(":/orvabout/orv"), width, height));
}
