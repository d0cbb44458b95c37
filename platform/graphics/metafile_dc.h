// Internal to platform/graphics: the drawing state that metafile records
// change (pens, brushes, fonts, colours, modes, the mapping from logical
// units onto the picture, the world transform, the clip, an open path) and
// the drawing that both players (old-format and enhanced) share, onto the
// pixels of the bitmap a metafile is drawn into. Every drawing is charged to
// a fill budget first: the pixels it touches in that bitmap (those a fill
// fills and the rows its edges cross, each segment of an outline, the boxes
// of text and bitmaps); once the
// budget is spent nothing more is drawn, so that a small file cannot ask
// for unbounded work.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/pixelbuffer.h"

namespace metafileplayer {

// Pen styles, end caps, joins and types (the LOGPEN and EXTLOGPEN values).
enum : uint32_t {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8,
    PS_STYLE_MASK = 0xF,
    PS_ENDCAP_SQUARE = 0x100,
    PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x10000,
};
// Brush styles and hatches.
enum : uint32_t {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
    BS_DIBPATTERN = 5,
    BS_DIBPATTERNPT = 6
};
enum : uint32_t { HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS };
// Mixing modes of pens and brushes with what lies under them (SetROP2).
enum : int { R2_BLACK = 1, R2_NOT = 6, R2_NOP = 11, R2_COPYPEN = 13, R2_WHITE = 16 };
// Background modes, fill modes, mapping modes, region combinations, arc directions.
enum : int { TRANSPARENT_MODE = 1, OPAQUE_MODE = 2 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int {
    MAP_TEXT = 1,
    MAP_LOMETRIC = 2,
    MAP_HIMETRIC = 3,
    MAP_LOENGLISH = 4,
    MAP_HIENGLISH = 5,
    MAP_TWIPS = 6,
    MAP_ISOTROPIC = 7,
    MAP_ANISOTROPIC = 8,
};
// Layouts: right to left mirrors the picture, bitmaps too unless their
// orientation is kept.
enum : uint32_t { LAYOUT_RTL = 1, LAYOUT_BITMAPORIENTATIONPRESERVED = 8 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : int { HALFTONE = 4 };
// Text output options beyond those of the canvas.
enum : unsigned { ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000 };
// Raster operations of bitmaps and pattern fills.
enum : uint32_t {
    SRCCOPY = 0x00CC0020u,
    PATCOPY = 0x00F00021u,
    PATINVERT = 0x005A0049u,
    DSTINVERT = 0x00550009u,
    BLACKNESS = 0x00000042u,
    WHITENESS = 0x00FF0062u,
};

// Work one playing may do: the pixels its drawings may touch, FillPerPixel
// per pixel of the bitmap drawn into and a floor for small ones (FillFloor,
// unless SetFillBudgetFloor set another). A fill
// counts the pixels it fills (not its box: a thin band across the picture
// is cheap), each of its edges EdgeCost for every row it crosses (a
// rasteriser's work for an edge is per row, and a polygon of thousands of
// edges across the picture costs far more than its area), and a row that
// C edges cross C * C / CrowdedRowDivisor more (the rasteriser keeps them
// sorted along the row); every record counts at least RecordCost.
constexpr int64_t FillPerPixel = 9;
constexpr int64_t FillFloor = int64_t(1) << 22;
constexpr int64_t EdgeCost = 2;
constexpr int64_t CrowdedRowDivisor = 4;
constexpr int64_t RecordCost = 16;
// Each rectangle of a region made, combined with the clip or filled.
constexpr int64_t RegionRectCost = 16;
// A raster operation worked out pixel by pixel, and a flood fill, cost this
// many times a fill of their pixels.
constexpr int64_t RopCost = 8;
// Bitmap pixels decoded in one playing: more are left out.
constexpr int64_t MaxPlayedBitmapPixels = int64_t(1) << 24;
// The largest pattern brush bitmap, pixels a side.
constexpr int MaxPatternSide = 256;
// The largest font drawn, in pixels of the bitmap (text larger is drawn at it).
constexpr int MaxTextPixels = 4000;
constexpr size_t MaxSavedStates = 256;

struct TMetaPen {
    uint32_t Style = PS_SOLID; // with end cap, join and type bits (none: round caps and joins)
    double Width = 0;          // logical units; 0 (and a cosmetic pen) is one pixel
    bool Extended = false;     // made as an extended pen (a wide one draws its dashes)
    bool Cosmetic = false;     // one pixel wide whatever its width
    TColor Color = 0;
    std::vector<double> Dashes; // a user style's dashes and gaps, logical units
};

struct TMetaBrush {
    uint32_t Style = BS_SOLID;
    TColor Color = 0xFFFFFF;
    uint32_t Hatch = 0;
    QImage Pattern;          // BS_PATTERN and BS_DIBPATTERN: the bitmap repeated
    bool Monochrome = false; // a pattern drawn in the text and background colours
};

struct TMetaFont {
    double Height = -12; // logical units: negative the character height, positive the cell's
    int Escapement = 0;  // tenths of a degree, counterclockwise
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Charset = 1;
    std::string Face; // UTF-8
};

// What SaveDC keeps.
struct TMetaState {
    int MapMode = MAP_TEXT;
    QPointF WindowOrg{0, 0};
    QSizeF WindowExt{1, 1};
    QPointF ViewportOrg{0, 0};
    QSizeF ViewportExt{1, 1};
    QTransform World;
    uint32_t Layout = 0; // LAYOUT_RTL, LAYOUT_BITMAPORIENTATIONPRESERVED
    TMetaPen Pen;
    TMetaBrush Brush;
    TMetaFont Font;
    TColor TextColor = 0;
    TColor BkColor = 0xFFFFFF;
    int BkMode = OPAQUE_MODE;
    unsigned TextAlign = 0;
    int Rop2 = R2_COPYPEN;
    int PolyFillMode = ALTERNATE;
    int StretchMode = 1;   // HALFTONE (4) smooths stretched bitmaps
    double CharExtra = 0;  // logical units added to every character
    double BreakExtra = 0; // logical units spread over the breaks of a text
    int BreakCount = 0;
    int ArcDirection = AD_COUNTERCLOCKWISE;
    double MiterLimit = 10;
    QPointF Position;              // logical
    QPointF BrushOrigin;           // the metafile device's units
    std::vector<uint32_t> Palette; // the palette selected, 0xRRGGBB
    std::optional<QRegion> Clip;   // pixels of the bitmap; none: the whole bitmap
};

// The device a playing draws on: the bitmap's pixels behind a painter, the
// state, the saved states, an open path and the fill budget. The logical
// units map onto the bitmap through the world transform, the page mapping
// (window and viewport) and a fixed mapping from the metafile's device onto
// the bitmap, then mirrored about the bitmap's width in a right-to-left
// layout.
class TMetaDC {
public:
    TMetaDC(TPixelBuffer& target, TMetafilePlayStats* stats);
    ~TMetaDC();
    TMetaDC(const TMetaDC&) = delete;
    TMetaDC& operator=(const TMetaDC&) = delete;

    TMetaState& State() { return FState; }
    int TargetWidth() const { return FImage.width(); }
    int TargetHeight() const { return FImage.height(); }
    // The metafile's device mapped onto the bitmap (its reference device's
    // pixels for enhanced files, the placeable header's frame for
    // old-format ones).
    void SetDeviceTransform(const QTransform& transform)
    {
        FDevice = transform;
        FTransformValid = false;
    }
    // Resolution of the metafile's device, pixels per millimetre, for the
    // metric mapping modes.
    void SetDevicePixelsPerMM(double x, double y)
    {
        FPixelsPerMMX = x;
        FPixelsPerMMY = y;
        FTransformValid = false;
    }
    // The isotropic mode centres the window in the viewport (as pictures
    // drawn into a rectangle are) rather than keeping the viewport's origin.
    void SetIsotropicCentred(bool centred)
    {
        FIsotropicCentred = centred;
        FTransformValid = false;
    }
    // Call after any change of the mapping or the world transform.
    void MappingChanged() { FTransformValid = false; }
    // The mapping records both formats share: a mode (others are left
    // out), the window's or the viewport's origin (device units for the
    // viewport), moved by an offset, and their extents, which count only in
    // the isotropic and anisotropic modes and are never zero.
    void SetMapMode(int64_t mode);
    void SetOrigin(bool window, const QPointF& origin);
    void OffsetOrigin(bool window, const QPointF& offset);
    void SetExtent(bool window, double x, double y);
    void ScaleExtent(bool window, double xNum, double xDenom, double yNum, double yDenom);
    // Right to left (LAYOUT_RTL): what is drawn after is mirrored about the
    // picture's width.
    void SetLayout(uint32_t layout);
    bool Mirrored() const { return (FState.Layout & LAYOUT_RTL) != 0; }
    const QTransform& Transform();
    QPointF Map(const QPointF& p) { return Transform().map(p); }

    // ---- Budget
    // Charges Cost (at least RecordCost); false, and nothing more is drawn
    // from then on, when the budget cannot pay it.
    bool Charge(int64_t cost);
    bool Spent() const { return FSpent; }
    // Bitmap pixels about to be decoded; false when the playing has decoded
    // its share already.
    bool ChargeBitmap(int64_t pixels);
    void CountRecord();

    // ---- States
    void SaveDC();
    // Negative: that many states back; positive: that state (from 1).
    void RestoreDC(int level);

    // ---- Clipping: logical rectangles, and regions (sets of pixels of the
    // bitmap) made of rectangles in logical units or, for the clip regions
    // of enhanced files, in the metafile's device units
    void IntersectClipRect(const QRectF& rect);
    void ExcludeClipRect(const QRectF& rect);
    void OffsetClip(double dx, double dy);
    // Combines the region with the clip; none (with RGN_COPY) removes the clip.
    void SelectClip(const std::optional<QRegion>& region, int mode);
    QRegion LogicalRegion(const std::vector<QRectF>& rects) { return RegionOf(rects, Transform()); }
    QRegion DeviceRegion(const std::vector<QRectF>& rects) { return RegionOf(rects, FDevice * Mirror()); }

    // ---- Lines and shapes (logical coordinates)
    void MoveTo(const QPointF& p);
    void LineTo(const QPointF& p);
    void Polyline(const std::vector<QPointF>& points);
    void PolylineTo(const std::vector<QPointF>& points);
    void PolyBezier(const std::vector<QPointF>& points, bool fromPosition);
    void Polygons(const std::vector<std::vector<QPointF>>& polygons);
    void Polylines(const std::vector<std::vector<QPointF>>& lines);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, const QSizeF& corner);
    void Ellipse(const QRectF& box);
    enum TArcKind { akArc, akChord, akPie, akArcTo };
    void Arc(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind);
    // An arc of a circle from the position (with a line to its start).
    void AngleArc(const QPointF& center, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(const QPointF& p, TColor color);
    // Fills with the brush from P: the pixels around it of Color (Surface),
    // or those up to a border of Color; a pixel nothing was drawn on counts
    // as white.
    void FloodFill(const QPointF& p, TColor color, bool surface);

    // ---- Regions (pixels of the bitmap); a frame's width and height are logical
    void FillRegion(const QRegion& region, const TMetaBrush& brush);
    void FrameRegion(const QRegion& region, const TMetaBrush& brush, double width, double height);
    void InvertRegion(const QRegion& region);

    // ---- Paths
    void BeginPath();
    void EndPath() { FPathOpen = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath(bool stroke, bool fill);
    void SelectClipPath(int mode);
    void WidenPath();

    // ---- Text: Text is UTF-16; Dx (optional) one advance a code unit, in
    // logical units (pairs of x and y with ETO_PDY).
    void Text(QPointF reference, unsigned options, const QRectF* rect, const std::u16string& text,
              const std::vector<double>* dx);

    // ---- Bitmaps: Source's SourceRect drawn into Dest (logical) under the
    // raster operation; with KeepAlpha the source's alpha tells how much of
    // each pixel it covers (else it is opaque), ConstantAlpha fades it all.
    // PatBlt fills Dest with the brush under one. ParallelogramBits draws
    // the source rectangle into the parallelogram of its upper-left,
    // upper-right and lower-left corners.
    // Source's alpha may be changed (made opaque).
    void StretchBits(const QRectF& dest, TPixelBuffer& source, const QRectF& sourceRect, uint32_t rop,
                     bool keepAlpha = false, int constantAlpha = 255);
    void PatBlt(const QRectF& dest, uint32_t rop);
    void ParallelogramBits(const QPointF corners[3], const TPixelBuffer& source, const QRectF& sourceRect);

    // ---- Gradients (colours 0xRRGGBB): a rectangle shaded from its left
    // (top) edge to its right (bottom) one, and a triangle shaded between
    // its corners.
    void GradientRect(const QRectF& rect, uint32_t from, uint32_t to, bool vertical);
    void GradientTriangle(const QPointF corners[3], const uint32_t colours[3]);

    // ---- Lines and beziers by point types (PT_MOVETO, PT_LINETO,
    // PT_BEZIERTO, with PT_CLOSEFIGURE), from the current position.
    void PolyDraw(const std::vector<QPointF>& points, const std::vector<uint8_t>& types);

    // Whether a mixing mode or a raster operation reads what lies under it
    // (a metafile that uses such a one is drawn over white).
    static bool Rop2ReadsDestination(int rop2);
    static bool RopReadsDestination(uint32_t rop);

private:
    QPainter& Painter();
    void ApplyClip();
    // The geometry as drawn: Shape outlines a little inside its box, as the
    // platform's pens follow a shape's pixels.
    QPainterPath StrokeGeometry(const QPainterPath& fill) const;
    // Path (logical coordinates) outlined, or added to the path being
    // recorded (Connect: joined to its last figure).
    void StrokeOrAddToPath(const QPainterPath& path, bool connect);
    // Polygons (Closed: filled and outlined) or polylines (outlined); those
    // of fewer than two points are left out.
    void PolyPaths(const std::vector<std::vector<QPointF>>& paths, bool closed);
    // A rectangle or an ellipse (Add) in Box, filled and outlined.
    void BoxShape(const QRectF& box, void (QPainterPath::*add)(const QRectF&));
    // Fills and outlines a shape (in pixels of the bitmap), or adds it to
    // the open path; false when the budget stopped it.
    bool Draw(const QPainterPath& fillPath, const QPainterPath& strokePath, bool fill, bool stroke);
    void AddToPath(const QPainterPath& path, bool continueFigure);
    QPen MakePen() const;
    QBrush MakeBrush(const TMetaBrush& brush) const;
    void SetMixing(QPainter& painter);
    // What drawings may reach: the bitmap within the clip's bounds.
    QRectF Visible() const;
    // The pixels of Box within reach.
    int64_t AreaCost(const QRectF& box) const;
    int64_t StrokeCost(const QPainterPath& path, double width) const;
    int64_t FillCost(const QPainterPath& path) const;
    double PenPixels() const;
    QRectF Bounds() const { return QRectF(0, 0, FImage.width(), FImage.height()); }
    // The bitmap mirrored about its width in a right-to-left layout.
    QTransform Mirror() const
    {
        return Mirrored() ? QTransform(-1, 0, 0, 1, FImage.width(), 0) : QTransform();
    }
    // The pixels of rectangles mapped onto the bitmap (within reach of it),
    // charged to the budget; the whole shape's pixels for a shape.
    QRegion RegionOf(const std::vector<QRectF>& rects, const QTransform& map);
    QRegion RegionOf(const QPainterPath& path);
    QPainterPath ArcPath(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind);
    void RopBlit(const QRect& area, const std::function<void(QPainter&)>& source, uint32_t rop);
    QColor Color(TColor c) const;

    TPixelBuffer& FTarget;
    QImage FImage;
    QPainter FPainter;
    TMetafilePlayStats* FStats;
    TMetaState FState;
    std::vector<TMetaState> FSaved;
    QTransform FDevice;
    QTransform FTransform;
    bool FTransformValid = false;
    bool FIsotropicCentred = false;
    double FPixelsPerMMX = 96 / 25.4;
    double FPixelsPerMMY = 96 / 25.4;
    bool FClipApplied = false;
    QPainterPath FPath;
    bool FPathOpen = false;
    bool FFigureClosed = false; // the open path's last figure was closed: the next starts anew
    int64_t FBudget;
    int64_t FUsed = 0;
    int64_t FBitmapPixels = 0;
    bool FSpent = false;
};

// Colour use of a record's bitmap: its table holds colours, or indexes into
// the palette selected, or it has no table (its pixels are the indexes).
enum : uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1, DIB_PAL_INDICES = 2 };

// The DIB of a record (header and colours at Info, bits at Bits) decoded,
// a table of palette indexes through Palette when given; false when it is
// not one.
bool DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, TPixelBuffer& out,
               const std::vector<uint32_t>* palette = nullptr);
// A packed DIB (header, table and bits in a row) decoded likewise; Header
// gets its header.
bool DecodePackedDib(const uint8_t* p, size_t size, TPixelBuffer& out, dib::THeader& header,
                     const std::vector<uint32_t>* palette = nullptr);
// Whether a pattern brush's DIB (its header at Info) may be decoded: a brush
// shows at most MaxPatternSide pixels a side of it (one larger is left out
// before any of it is decoded), and its pixels are charged to the playing's
// bitmap pixels as every bitmap's are.
bool PatternAllowed(TMetaDC& dc, const uint8_t* info, size_t infoSize);
// A pattern brush's bitmap: the DIB decoded when PatternAllowed.
bool PatternOfDib(TMetaDC& dc, const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                  TMetaBrush& brush, const std::vector<uint32_t>* palette = nullptr);
// A monochrome brush's bitmap (of colour use Usage), drawn in the text and
// background colours: a DIB of one bit a pixel that comes without its table
// of colours (DIB_PAL_INDICES, or a header alone) has its clear bits taken
// as black (the text colour) and its set ones as white (the background);
// any other is decoded as PatternOfDib decodes it.
bool MonochromePatternOfDib(TMetaDC& dc, const uint8_t* info, size_t infoSize, uint32_t usage,
                            const uint8_t* bits, size_t bitsSize, TMetaBrush& brush);
// Palette entries (red, green, blue, flags) as 0xRRGGBB.
std::vector<uint32_t> PaletteEntries(const uint8_t* p, size_t count);
// ANSI text of a font's character set as UTF-16.
std::u16string AnsiText(const char* text, size_t count, int charset);

} // namespace metafileplayer
