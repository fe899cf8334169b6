#pragma once
#include "sim/sampleimage.h"

// A small image: few records, so few programming letters.
inline QByteArray smallImage(int date = 20090301)
{
    SampleImage sample;
    sample.size = 0x10000;
    sample.firmwareDate = date;
    return sample.build();
}

// Blocks of 256 bytes not all erased: the data records an upload sends.
inline int nonBlankBlocks(const QByteArray &image)
{
    int blocks = 0;
    for (int a = 0; a < image.size(); a += 256)
        blocks += image.mid(a, 256) != QByteArray(256, char(0xFF));
    return blocks;
}
