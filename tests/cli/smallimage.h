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
