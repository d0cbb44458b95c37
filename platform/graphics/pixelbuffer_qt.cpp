// Copies between pixel buffers and the toolkit's images, row by row.
#include "platform/graphics/pixelbuffer_qt.h"

#include <cstring>

QImage ImageOfPixels(const TPixelBuffer& pixels)
{
    QImage image(pixels.Width, pixels.Height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixels.Height; ++y)
        std::memcpy(image.scanLine(y), &pixels.Pixels[static_cast<size_t>(y) * pixels.Width],
                    static_cast<size_t>(pixels.Width) * 4);
    return image;
}

TPixelBuffer PixelsOfImage(const QImage& image)
{
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    TPixelBuffer pixels(converted.width(), converted.height());
    for (int y = 0; y < pixels.Height; ++y)
        std::memcpy(&pixels.Pixels[static_cast<size_t>(y) * pixels.Width], converted.constScanLine(y),
                    static_cast<size_t>(pixels.Width) * 4);
    return pixels;
}
