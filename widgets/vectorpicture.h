#pragma once
#include <QImage>
#include <QString>

// A picture of the program's resources drawn at any size. base is the
// resource path without extension (":/icons/open"): an SVG file where the
// platform's Qt has Qt Svg, else a large PNG rendered from it at build time.
// A missing picture gives a null image.
QImage renderPicture(const QString &base, int width, int height);
