// TMetafile: a vector picture in the old (WMF) or enhanced (EMF) metafile
// format, kept as its bytes, and TMetafileCanvas, the minimal metafile writer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbudget.h"
#include "platform/graphics/pixelbuffer.h"

class TBitmap;

// The work of one playing of a metafile's records: the pixels its drawings
// were allowed to touch and those they touched, the records played, whether
// the budget stopped the playing, and the bitmap pixels it decoded.
struct TMetafilePlayStats {
    int64_t FillBudget = 0;
    int64_t Filled = 0;
    int Records = 0;
    bool Stopped = false;
    int64_t BitmapPixels = 0;
};

// A metafile is kept as the bytes it was read from. Its size comes from its
// header (the placeable header of an old-format file, the frame of an enhanced
// one). It is drawn by playing its records (see metafileplayer) into a
// bitmap of the size it is shown at, which is kept and drawn again until it
// is shown at another size. That bitmap is held within the decoded-pixel
// budget: its pixels count as decoded pixels (and may be given back for
// others while not pinned, to be drawn again when next shown), and a picture shown larger than
// the budget allows is drawn into a smaller bitmap that is stretched over it.
//
// Sizes: MMWidth and MMHeight are in 0.01 mm; Width and Height are pixels at
// 96 per inch (MulDiv(MMWidth, 96, 2540)). Inch is the placeable header's
// units per inch (old format only); a header giving 0 is kept as 0 and the
// size is then read at 96 units per inch.
//
// Saving writes the bytes that were read, unchanged while the size and Inch
// are; after a change of either, an old-format file gets a placeable header
// rebuilt from them (box (0, 0) to MulDiv(MMWidth, Inch, 2540), ...); a metafile
// made by TMetafileCanvas is written anew in either format. Old-format
// files are read only with a placeable header, as the class library does.
//
// Writing: TMetafileCanvas gives a canvas of the metafile's size; when it is
// destroyed the metafile holds what was drawn as one bitmap record (see there).
// Enhanced tells the format of the bytes held. Setting it rewrites a metafile
// made by TMetafileCanvas in the other format; any other metafile cannot be
// converted (records are not rewritten in the other format here), so it keeps
// its bytes and Enhanced keeps its value: a caller that needs one format
// checks Enhanced afterwards. A new metafile is enhanced, as in the class library.
class TMetafile : public TGraphic, public TPixelHolder {
public:
    TMetafile();
    ~TMetafile() override;
    const char* ClassName() const override { return "TMetafile"; }

    // From a metafile, or null (empty, enhanced, no size).
    void Assign(const TPersistent* source) override;

    bool Empty() const override { return FData.empty(); }
    int Width() const override;
    int Height() const override;
    // The size in pixels (96 per inch), kept as MMWidth / MMHeight.
    void SetWidth(int value) override;
    void SetHeight(int value) override;

    int MMWidth() const { return FMMWidth; }
    int MMHeight() const { return FMMHeight; }
    void SetMMWidth(int value);
    void SetMMHeight(int value);
    int Inch() const { return FInch; }
    void SetInch(int value);
    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool value);

    // A metafile from the stream's position: an enhanced one (its header
    // record gives its length) or an old-format one with a placeable header (its
    // header gives its length; one that reaches past the stream, as writers that
    // count the placeable header in it give, ends with its end record). An empty rest gives an empty
    // metafile. Raises EInvalidGraphic "Metafile is not valid" otherwise, and EOutOfResources when the
    // document load in progress has no room for its frame's pixels, leaving it unchanged.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    // The records played into a bitmap of Rect's size on the device (see
    // Render), which is then drawn into Rect; the canvas's state is left as
    // it was.
    void Draw(TCanvas* aCanvas, const TRect& rect) override;

    // The picture drawn into a bitmap of Width x Height pixels (transparent
    // where nothing is drawn), or of the largest size of the same shape
    // within the decoded-pixel budget when that is smaller: the bitmap kept
    // from the last call when it was asked for the same size and still holds
    // its pixels, else one drawn now. The pixels are pinned while the handle
    // lives (see TPinnedPixels); a call for another size replaces them.
    TPinnedPixels Render(int width, int height);
    // The size of the bitmap Render last drew (0 x 0 when it holds none).
    TSize RenderedSize() const { return TSize{FRendered.Width, FRendered.Height}; }
    // What the last playing did (the work it was allowed and the work done),
    // and how many times the records were played.
    const TMetafilePlayStats& LastPlay() const { return FLastPlay; }
    int Plays() const { return FPlays; }

protected:
    void ReleasePixels() override;

private:
    friend class TMetafileCanvas;
    void SetContent(const TPixelBuffer& pixels);
    void Encode();
    void SizeChanged();
    void DropRendered();

    std::vector<uint8_t> FData; // the whole file (for the old format, with its placeable header)
    TPixelBuffer FPixels;       // what TMetafileCanvas drew; empty for a metafile read from a stream
    int FMMWidth = 0;
    int FMMHeight = 0;
    int FInch = 0;
    bool FEnhanced = true;
    bool FHeaderChanged = false; // size or Inch set since the bytes were read
    TPixelBuffer FRendered;      // the records played at the size last shown
    TSize FRenderedFor;          // the size asked for when they were played
    TMetafilePlayStats FLastPlay;
    int FPlays = 0;
};

// The minimal metafile writer: a canvas of the metafile's size (Width x Height,
// at least 1 x 1) over a white bitmap. When this object is destroyed, the
// metafile gets what was drawn as one bitmap record: an old-format metafile
// (placeable header at the metafile's Inch units per inch, 96 when it has none,
// the anisotropic mapping mode, window extent = the size in those units, one
// StretchDIB record of a 24-bit bitmap) or an enhanced
// one (header, one StretchDIBits record, end record), by its Enhanced. What it
// cannot do: keep vector drawing or text as records (everything becomes
// pixels at 96 per inch), keep transparency (the bitmap is opaque, on white),
// or grow beyond the size set before it was made.
class TMetafileCanvas {
public:
    explicit TMetafileCanvas(TMetafile* aMetafile);
    ~TMetafileCanvas();
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    TCanvas* Canvas();

private:
    TMetafile* FMetafile;
    std::unique_ptr<TBitmap> FBitmap;
};

// Playing a metafile's records into Target (pixels of the picture's bitmap,
// drawn over as they are): an old-format one (with its placeable header, the
// whole file's bytes) with its frame, or the window its records set, mapped
// onto the whole bitmap (one that carries an enhanced metafile whole in its
// comments is played as that one); an enhanced one with its frame so mapped (the
// reference device's pixels scaled onto the bitmap). Records:
// mapping (window, viewport and world transforms), saved and restored states,
// clipping (rectangles, regions, paths), pens, brushes (hatched and
// patterned) and fonts, colours and modes, lines, polylines, beziers,
// rectangles, rounded rectangles, ellipses, arcs, chords, pies, polygons,
// regions, paths, text (with its advances, alignment and rotation) and
// bitmaps under any raster operation; other records are skipped (comments
// among them, with the records of the extended format they may carry: the
// records around them draw the same picture). A file whose
// mixing modes or raster operations read what lies under them is drawn over
// white. Every count is checked against its record and every record against
// the file; playing stops at the first that does not fit, and once the fill
// budget (FillBudget of the bitmap's size) is spent. True when the records
// ran to the end record. Stats (optional) gets the work done.
namespace metafileplayer {
bool PlayWmf(const uint8_t* data, size_t size, TPixelBuffer& target, TMetafilePlayStats* stats = nullptr);
bool PlayEmf(const uint8_t* data, size_t size, TPixelBuffer& target, TMetafilePlayStats* stats = nullptr);
// The pixels the drawings of one playing into a bitmap of this size may touch:
// so many for each of its pixels and a floor for small ones.
int64_t FillBudget(int width, int height);
// The floor in force (4 Mi unless set); the setter gives the value it
// replaces. Fuzz targets set a smaller one, so that an input that asks for
// much drawing is stopped sooner.
int64_t FillBudgetFloor();
int64_t SetFillBudgetFloor(int64_t floor);
// The window an old-format metafile without a placeable header (as the
// desktop's clipboard carries one) sets with its records; false when it sets
// none.
bool WindowOfWmf(const uint8_t* data, size_t size, TRect& window);
} // namespace metafileplayer

// The bytes of a metafile that shows the pixels (opaque, on white) stretched
// over a picture of MMWidth x MMHeight (0.01 mm): old format in units of which
// there are Inch to the inch (96 for 0), enhanced in pixels at 96 per inch.
namespace metafilewriter {
std::vector<uint8_t> WriteWmf(const TPixelBuffer& pixels, int mmWidth, int mmHeight, int inch);
std::vector<uint8_t> WriteEmf(const TPixelBuffer& pixels, int mmWidth, int mmHeight);
// The 22-byte placeable header of an old-format metafile.
std::vector<uint8_t> PlaceableHeader(int right, int bottom, int inch);
} // namespace metafilewriter
