// Backgrounds of documents, tables and cells (TRVBackground: a colour given at
// each drawing and a picture placed stretched, tiled, scrolled or centred) drawn
// on the screen and on devices, and control images: a control rendered into a
// new bitmap so that it can be printed or saved as a picture.
#pragma once

#include <memory>

#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "platform/core/object.h"
#include "platform/graphics/graphic.h"

class TBitmap;
class TButton;
class TCanvas;
class TControl;
class TEdit;
class TMemo;
class TPanel;
class TCustomRVData;
class TRVPrintableDataServices;

// How the picture of a background is placed.
enum TBackgroundStyle { bsNoBitmap, bsStretched, bsTiled, bsTiledAndScrolled, bsCentered };

// The placements a table or cell background offers.
enum TRVItemBackgroundStyle { rvbsColor, rvbsStretched, rvbsTiled, rvbsCentered };

// A background owns its picture (any graphic class; a bitmap for the viewer,
// which constructs it with CreateBitmap so that the picture always exists) and
// the palette-adjusted copy of it (ImageCopy), which is drawn instead of the
// picture while it exists. Drawing restores the canvas's state on every way out.
// It is also the document format's view of a background (TRVFBackground), so
// RVF, HTML and RTF output and RVF input can reach it from the document layer.
class TRVBackground : public TObject, public TRVFBackground {
public:
    explicit TRVBackground(bool createBitmap);
    ~TRVBackground() override;
    const char* ClassName() const override { return "TRVBackground"; }

    TBackgroundStyle BackgroundStyle() const { return FBackgroundStyle; }
    void SetBackgroundStyle(TBackgroundStyle value) { FBackgroundStyle = value; }
    TGraphic* Image() const { return FImage.get(); }
    TGraphic* ImageCopy() const { return FImageCopy.get(); }
    // The picture as a bitmap; null when it is none or another class.
    TBitmap* GetBitmap() const;

    // TRVFBackground: the style as its ordinal, and the picture taken over.
    int GetRVFBackgroundStyle() const override { return static_cast<int>(FBackgroundStyle); }
    void SetRVFBackgroundStyle(int style) override;
    TGraphic* GetRVFBackgroundImage() const override { return FImage.get(); }
    void SetRVFBackgroundImage(TGraphic* image) override { AssignImage(image, nullptr, false); }

    // Scrolling must repaint everything: a picture that does not move with the
    // document (stretched, tiled to the area, centred).
    bool ScrollRequiresFullRedraw() const;
    // No placement and no picture to show.
    bool Empty() const;
    // Lets what lies under it show through: a transparent or a centred picture.
    bool IsSemitransparent() const;
    // Draw fills the whole rectangle with Color before any picture.
    bool FillsWithColor(TColor color) const;
    TRVItemBackgroundStyle GetItemBackStyle() const;
    void SetItemBackStyle(TRVItemBackgroundStyle value);

    // Frees the picture and its copy.
    void FreeImage();
    // Copy: the picture becomes a copy of Graphic; else the background takes
    // Graphic over (and frees it later). The palette copy is then made again
    // with the palette mode of RVData's root (none when RVData is null).
    void AssignImage(TGraphic* graphic, TCustomRVData* rvData, bool copy);
    // Drops the palette copy, then applies LogPalette as the action says.
    void UpdatePaletted(TRVPaletteAction action, ::HPALETTE palette, PLogPalette logPalette);

    // Paints the part Rect (canvas coordinates) of an area whose origin is
    // (AreaLeft, AreaTop) and whose size is AreaWidth x AreaHeight: the colour
    // where the picture does not cover, then the picture. The drawing is placed
    // with Rect's top-left at the canvas's logical (0, 0); with Clip, the canvas
    // is clipped to Rect and its origin moved there for the drawing. HOffs and
    // VOffs are the scroll offsets a scrolled tiling follows. clNone: no colour.
    void Draw(TCanvas* canvas, const TRect& rect, int hOffs, int vOffs, int areaLeft, int areaTop,
              int areaWidth, int areaHeight, TColor color, bool clip);
    // Paints the part ARect of the area FullRect on a device (device pixels),
    // the picture scaled from screen to device resolution by sad. A transparent
    // picture without colour is drawn over what RVData paints under it (the
    // printed page: DrawBackToBitmap), or over white without RVData. LogPalette,
    // when given, is given to the picture copies made for the device.
    void Print(TCanvas* canvas, const TRect& aRect, const TRect& fullRect, const TRVScreenAndDevice& sad,
               TColor color, bool toScreen, PLogPalette logPalette, TRVPrintableDataServices* rvData,
               int itemBackgroundLayer);

private:
    // The picture drawn: the palette copy when there is one.
    TGraphic* Picture() const { return FImageCopy ? FImageCopy.get() : FImage.get(); }

    std::unique_ptr<TGraphic> FImageCopy;
    TBackgroundStyle FBackgroundStyle = bsNoBitmap;
    std::unique_ptr<TGraphic> FImage;
};

// The placement of a table's or cell's optional background (rvbsColor when it
// has none). Setting a placement other than rvbsColor makes the background
// when there is none; one left with nothing to show is dropped, so an item
// holds a background only while it has a placement or a picture.
TRVItemBackgroundStyle RV_GetItemBackgroundStyle(const TRVBackground* background);
void RV_SetItemBackgroundStyle(std::unique_ptr<TRVBackground>& background, TRVItemBackgroundStyle value);

// Control images: each is a new bitmap the size of the control (Width x
// Height) with the control's picture (TControl::PaintImage: buttons, edit
// boxes, memos and panels by their own painters, any other window as the
// platform's picture of it) drawn at (0, 0), null for a null control; a
// control that is no window leaves the bitmap white.
std::unique_ptr<TBitmap> DrawButton(TButton* button);
std::unique_ptr<TBitmap> DrawEdit(TEdit* edit);
std::unique_ptr<TBitmap> DrawMemo(TMemo* memo);
std::unique_ptr<TBitmap> DrawPanel(TPanel* panel);
std::unique_ptr<TBitmap> DrawControl(TControl* control);
// What those draw: Control's picture on Canvas at (X, Y) (nothing for a null control).
void DrawControlAt(TCanvas* canvas, TControl* control, int x, int y);
