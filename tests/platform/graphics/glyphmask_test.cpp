// Glyph masks: what the canvas blends from a glyph's mask must be, pixel for
// pixel, what the toolkit draws for the glyph with the canvas's painter set-up,
// over any pixels, in any colour, under a clip; glyphs it cannot blend so are
// left to the toolkit.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>
#include <QRawFont>

#include <string>
#include <vector>

#include "platform/graphics/glyphmask_qt.h"
#include "platform/graphics/qtsupport.h"

namespace {

QRawFont RawFont(const char* family, int pixelSize, bool bold, bool italic)
{
    EnsureQtApplication();
    QFont font(family);
    font.setKerning(false);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return QRawFont::fromFont(font);
}

quint32 GlyphOf(const QRawFont& font, QChar c)
{
    const QList<quint32> indexes = font.glyphIndexesForString(QString(c));
    return indexes.isEmpty() ? 0 : indexes.front();
}

// Pixels of many values, partly see-through where the format has alpha.
QImage Varied(QImage::Format format)
{
    QImage image(64, 64, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const uint32_t alpha = format == QImage::Format_RGB32 || (x + y) % 5 ? 0xFF : 0x80;
            const uint32_t c = (x * 37u + y * 11u) & 0x7F;
            reinterpret_cast<uint32_t*>(image.scanLine(y))[x] =
                (alpha << 24) | (c << 16) | ((c / 2) << 8) | c;
        }
    return image;
}

// The glyph drawn by the toolkit with the pen at Pen, as the canvas draws text.
void ToolkitDraws(QImage& image, const QRawFont& font, quint32 index, const QPointF& at, const QPoint& pen,
                  const QColor& color, const QRect& clip)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(clip);
    p.setPen(color);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes({index});
    run.setPositions({at + QPointF(pen)});
    p.drawGlyphRun(QPointF(0, 0), run);
}

// The mask blended in Color with the pen at Pen into Image, inside Clip.
void MaskBlends(TGlyphMask& mask, QImage& image, QRgb color, const QPoint& pen, const TRect& clip)
{
    TCoverageBlend blend;
    blend.MakeFor(color);
    BlendGlyphMask(mask, blend, TGlyphTarget{image.bits(), image.bytesPerLine(), clip}, pen.x(), pen.y());
}

} // namespace

TEST(GlyphMaskTest, BlendsWhatTheToolkitDraws)
{
    struct TFace {
        const char* Family;
        int PixelSize;
        bool Bold;
        bool Italic;
    };
    const TFace faces[] = {{"DejaVu Sans Mono", 12, false, false},
                           {"DejaVu Sans", 13, true, false},
                           {"DejaVu Serif", 11, false, true},
                           {"DejaVu Sans", 30, false, false}};
    const QColor colors[] = {Qt::black, QColor(0xCC, 0x33, 0x66), Qt::white};
    const QRect clips[] = {QRect(0, 0, 64, 64), QRect(0, 0, 21, 26), QRect(19, 20, 30, 30),
                           QRect(23, 12, 6, 30)};
    for (const TFace& face : faces) {
        const QRawFont font = RawFont(face.Family, face.PixelSize, face.Bold, face.Italic);
        ASSERT_TRUE(font.isValid());
        // Down to the baseline, as the canvas places a character's glyphs:
        // whole, but for the noise of the sums that place it.
        const QPointF at(0, std::round(font.ascent()) + 1e-9);
        for (QChar c : QString("Ag@W,|j")) {
            SCOPED_TRACE(std::string(face.Family) + " " + std::to_string(face.PixelSize) + " " +
                         char(c.unicode()));
            const quint32 index = GlyphOf(font, c);
            TGlyphMask mask;
            TakeGlyphMask(font, {}, index, at, mask);
            ASSERT_EQ(mask.State, TGlyphMask::Ready);
            ASSERT_GT(mask.Width * mask.Height, 0);
            for (QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32})
                for (const QColor& color : colors)
                    for (const QRect& clip : clips) {
                        QImage toolkit = Varied(format);
                        QImage blended = toolkit.copy();
                        const QPoint pen(20, 8);
                        ToolkitDraws(toolkit, font, index, at, pen, color, clip);
                        MaskBlends(mask, blended, color.rgb(), pen,
                                   TRect{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
                        ASSERT_TRUE(toolkit == blended) << color.name().toStdString() << " " << format;
                    }
        }
    }
}

TEST(GlyphMaskTest, AGlyphOverOneColourAgainIsWhatTheToolkitDraws)
{
    // A glyph met again over the same background copies what it blended
    // there before; a neighbour's ink under part of it, a background of
    // another colour or a pen of another colour must still show as the
    // toolkit draws them.
    const QRawFont font = RawFont("DejaVu Serif", 15, false, true);
    ASSERT_TRUE(font.isValid());
    const QPointF at(0, std::round(font.ascent()));
    const quint32 index = GlyphOf(font, 'W');
    TGlyphMask mask;
    TakeGlyphMask(font, {}, index, at, mask);
    ASSERT_EQ(mask.State, TGlyphMask::Ready);
    struct TCase {
        QRgb Background;
        QColor Pen;
        bool Neighbour;
    };
    const TCase cases[] = {
        {0xFFFFFFFFu, Qt::black, false},  {0xFFFFFFFFu, Qt::black, false}, {0xFFFFFFFFu, Qt::black, true},
        {0xFFFFFFFFu, Qt::black, false},  {0xFF203040u, Qt::black, false}, {0xFF203040u, Qt::black, false},
        {0xFF203040u, Qt::yellow, false}, {0xFFFFFFFFu, Qt::black, false}, {0xFF203040u, Qt::black, true},
    };
    int round = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(round++);
        for (int pass = 0; pass < 2; ++pass) {
            QImage toolkit(48, 40, QImage::Format_RGB32);
            toolkit.fill(c.Background);
            if (c.Neighbour)
                for (int y = 0; y < toolkit.height(); ++y)
                    toolkit.setPixel(12 + y % 3, y, 0xFF808080u);
            QImage blended = toolkit.copy();
            const QPoint pen(6, 4);
            ToolkitDraws(toolkit, font, index, at, pen, c.Pen, toolkit.rect());
            MaskBlends(mask, blended, c.Pen.rgb(), pen, TRect{0, 0, 48, 40});
            ASSERT_TRUE(toolkit == blended) << pass;
        }
    }
}

TEST(GlyphMaskTest, WhatCannotBeBlendedIsLeftToTheToolkit)
{
    // Images the toolkit draws on scaled, or in other formats.
    QImage scaled(8, 8, QImage::Format_RGB32);
    EXPECT_TRUE(TakesGlyphMasks(&scaled));
    scaled.setDevicePixelRatio(2);
    EXPECT_FALSE(TakesGlyphMasks(&scaled));
    const QImage indexed(8, 8, QImage::Format_Indexed8);
    EXPECT_FALSE(TakesGlyphMasks(&indexed));

    const QRawFont font = RawFont("DejaVu Sans", 13, false, false);
    ASSERT_TRUE(font.isValid());
    const quint32 a = GlyphOf(font, 'a');
    TGlyphMask mask;
    // Between pixels across: the toolkit draws another form of the glyph there.
    TakeGlyphMask(font, {}, a, QPointF(0.25, 12), mask);
    EXPECT_EQ(mask.State, TGlyphMask::Toolkit);
    // Half a pixel down: where it rounds to depends on the place of the pen.
    TakeGlyphMask(font, {}, a, QPointF(0, 12.5), mask);
    EXPECT_EQ(mask.State, TGlyphMask::Toolkit);
    // A space has no ink: nothing to blend, and blending it changes nothing.
    TakeGlyphMask(font, {}, GlyphOf(font, ' '), QPointF(0, 12), mask);
    EXPECT_EQ(mask.State, TGlyphMask::Ready);
    EXPECT_EQ(mask.Width * mask.Height, 0);
    QImage image = Varied(QImage::Format_RGB32);
    const QImage before = image.copy();
    MaskBlends(mask, image, 0xFF000000u, QPoint(10, 10), TRect{0, 0, 64, 64});
    EXPECT_TRUE(image == before);
}

TEST(GlyphMaskTest, ABlendStaysInsideTheClipAndTheImage)
{
    // A large glyph blended with its pen far off every edge of a small clip
    // writes nothing outside the clip, however far its box reaches.
    const QRawFont font = RawFont("DejaVu Sans", 40, true, false);
    ASSERT_TRUE(font.isValid());
    TGlyphMask mask;
    TakeGlyphMask(font, {}, GlyphOf(font, 'W'), QPointF(0, 30), mask);
    ASSERT_EQ(mask.State, TGlyphMask::Ready);
    const TRect clip{30, 30, 34, 34};
    for (QPoint pen : {QPoint(0, 0), QPoint(-20, -20), QPoint(28, 0), QPoint(33, 33), QPoint(-2147483000, 5),
                       QPoint(2147483000, 2147483000)}) {
        QImage image = Varied(QImage::Format_ARGB32_Premultiplied);
        const QImage before = image.copy();
        MaskBlends(mask, image, 0xFF102030u, pen, clip);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom)
                    continue;
                ASSERT_EQ(image.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
    }
}
