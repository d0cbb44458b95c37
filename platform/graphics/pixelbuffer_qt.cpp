// Copies between pixel buffers and the toolkit's images, row by row.
#include "platform/graphics/pixelbuffer_qt.h"

#include <cstring>

QImage ImageOfPixels(const TPixelBuffer& Pixels)
{
    QImage image(Pixels.Width, Pixels.Height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < Pixels.Height; ++y)
        std::memcpy(image.scanLine(y), &Pixels.Pixels[static_cast<size_t>(y) * Pixels.Width],
                    static_cast<size_t>(Pixels.Width) * 4);
    return image;
}

TPixelBuffer PixelsOfImage(const QImage& Image)
{
    const QImage image = Image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    TPixelBuffer pixels(image.width(), image.height());
    for (int y = 0; y < pixels.Height; ++y)
        std::memcpy(&pixels.Pixels[static_cast<size_t>(y) * pixels.Width], image.constScanLine(y),
                    static_cast<size_t>(pixels.Width) * 4);
    return pixels;
}
