#pragma once
#include <QPixmap>

// The maker's picture, drawn for the About boxes, at the given size.
QPixmap orvPicture(int width, int height);
