// Copies between our pixel buffers and the toolkit's images, for the code of
// platform/ that hands pixels to the toolkit or takes them from it.
#pragma once

#include <QImage>

#include "platform/graphics/pixelbuffer.h"

// A copy of Pixels as a 32-bit image with premultiplied alpha, as the buffer holds them.
QImage ImageOfPixels(const TPixelBuffer& pixels);
// The pixels of Image, converted to 32 bits with premultiplied alpha first.
TPixelBuffer PixelsOfImage(const QImage& image);
