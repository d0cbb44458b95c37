// The picture, hypertext picture and control items, with the interface a
// printing viewer offers for pictures of controls.
#pragma once

#include <memory>

#include "document/rvitem.h"

// What a printing viewer answers for the controls of the document it prints:
// a picture of the control (the print component's OnPrintComponent when it
// is assigned, else the control painted into a bitmap), or null when it has
// none. The printing viewer implements it beside TRVPrintingViewer; control
// items ask for it when they print, and print nothing without it.
class TRVControlPrintImageSource {
public:
    virtual std::unique_ptr<TBitmap> GetControlPrintImage(TControl* control) = 0;

protected:
    ~TRVControlPrintImageSource() = default;
};

// Where a picture (or a control's image) is drawn in the bitmap of page part
// Part of its printing draw item: -ImgTop of the part when dli is a
// TRVMultiImagePrintInfo and Part one of its parts, else 0.
int RVGetPrintPartOffset(const TRVDrawLineInfo* dli, int part);

// A window control of the class library shown inside the text (item-type code
// -5). The item owns its control and frees it with itself; the control should
// have no owner component. PercentWidth from 1 to 100 makes the control's width
// follow the document's width; it is never negative.
class TRVControlItemInfo : public TRVRectItemInfo {
public:
    explicit TRVControlItemInfo(TCustomRVData* rvData);
    TRVControlItemInfo(TCustomRVData* rvData, TControl* aControl, TRVVAlign avAlign);
    ~TRVControlItemInfo() override;
    const char* ClassName() const override { return "TRVControlItemInfo"; }
    TRVItemClass GetItemClass() const override;

    bool Resizable = false;

    TControl* Control() const { return FControl; }
    // The owned control's field itself, for the control-action receivers,
    // which may replace or clear it.
    TControl*& ControlRef() { return FControl; }
    // Takes the control over, freeing the one held before (unless it is the same).
    void SetControl(TControl* value);
    int PercentWidth() const { return FPercentWidth; }
    // A negative value is stored as 0.
    void SetPercentWidth(int value);

    // The control's size (0 without one); GetWidth and GetHeight add the spacing.
    int GetImageWidth(TRVStyle* rvStyle) const override;
    int GetImageHeight(TRVStyle* rvStyle) const override;
    int GetWidth() const override;
    int GetHeight() const override;
    // 20 when the width follows the document, else the item's width; scaled to the device with sad.
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData) override;
    bool GetBoolValue(TRVItemBoolProperty prop) const override;
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    bool OwnsControl(TControl* aControl) const override;
    // Places the control at (X, Y) plus the spacing: Left directly, the true
    // vertical position in its Tag (Top follows it with AdjustY); shows it.
    void AdjustInserted(int x, int y, bool adjustY) override;
    // Hides the control and gives it the document's parent control (none in safe mode).
    void Inserting(TCustomRVData* rvData, AnsiString& text, bool safe) override;
    void MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem) override;
    // Its moves and destruction are told to the program (OnControlAction).
    bool CallsProgramCode() const override { return true; }
    void MovingFromUndoList(int itemNo, TCustomRVData* rvData) override;
    void Focusing() override;
    void OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                          TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift, int& desc,
                          bool reformat) override;
    // Only the hover and selection frames: the control paints itself.
    void Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
               TRVDrawLineInfo* dli) override;
    TRVDrawLineInfo* CreatePrintingDrawItem(TCustomRVData* rvData, const TRVScreenAndDevice& sad) override;
    // The control's picture from the printing viewer (TRVControlPrintImageSource);
    // false when there is none.
    bool PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli,
                       int part, TRVColorMode colorMode) override;

    // PercentWidth and Resizable, then the rectangle's fields; never the control.
    void Assign(const TPersistent* source) override;
    bool SetExtraIntProperty(TRVExtraItemProperty prop, int value) override;
    bool GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const override;
    int GetRVFExtraPropertyCount() const override;
    void SaveRVFExtraProperties(TStream& stream) override;
    void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo, const AnsiString& name,
                 TRVMultiDrawItemPart* part, bool forceSameAsPrev) override;
    bool ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo, int lineCount,
                     AnsiString& name, TRVFReadMode& readMode, TRVFReadState& readState) override;
    // What the document's SaveComponentToFile gives for the control, when not empty.
    void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                 double twipsPerPixel, int level, TRVColorList* colorList, TRVIntegerList* styleToFont,
                 TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2,
                 TRVRTFFontTable* fontTable) override;
    void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                    TRVList* bullets) override;
    AnsiString AsText(int lineWidth, TCustomRVData* rvData, const AnsiString& text, const AnsiString& path,
                      bool textOnly, bool unicode) override;

private:
    // Gives the control the document's parent control (none without a document).
    void ParentTo(TCustomRVData* rvData);

    TControl* FControl = nullptr; // owned
    int FPercentWidth = 0;
};

// A picture shown inside the text (item-type code -3). The item owns its
// picture and, while the document shows in palette mode, a copy of it made for
// the palette (ImageCopy). ImageWidth and ImageHeight below 1 show the
// picture's own width or height.
class TRVGraphicItemInfo : public TRVRectItemInfo {
public:
    explicit TRVGraphicItemInfo(TCustomRVData* rvData);
    TRVGraphicItemInfo(TCustomRVData* rvData, TGraphic* aImage, TRVVAlign avAlign);
    ~TRVGraphicItemInfo() override;
    const char* ClassName() const override { return "TRVGraphicItemInfo"; }
    TRVItemClass GetItemClass() const override;

    int ImageWidth = 0;
    int ImageHeight = 0;

    TGraphic* Image() const { return FImage.get(); }
    // Takes the picture over, freeing the one held before (unless it is the
    // same) and the palette copy.
    void SetImage(TGraphic* value);
    TGraphic* ImageCopy() const { return FImageCopy.get(); }

    int GetImageWidth(TRVStyle* rvStyle) const override;
    int GetImageHeight(TRVStyle* rvStyle) const override;
    int GetWidth() const override;
    int GetHeight() const override;
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData) override;
    TGraphic* AsImage() override;
    bool GetBoolValue(TRVItemBoolProperty prop) const override;
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    void Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
               TRVDrawLineInfo* dli) override;
    // Stretched on the device at device resolution.
    void Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
               const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli, int part,
               TRVColorMode colorMode, TCustomRVData* rvData) override;
    bool PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli,
                       int part, TRVColorMode colorMode) override;
    // A draw item that pagination may split when MinHeightOnPage is set and the
    // picture is shown at its own height.
    // Its draw item has the size it prints at: on a device, a picture larger
    // than the line's width or the page's printable height is scaled down into
    // them, its proportions kept (the stored size stays).
    void OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                          TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift, int& desc,
                          bool reformat) override;
    TRVDrawLineInfo* CreatePrintingDrawItem(TCustomRVData* rvData, const TRVScreenAndDevice& sad) override;
    void UpdatePaletteInfo(TRVPaletteAction paletteAction, bool forceRecreateCopy, HPALETTE palette,
                           const TLogPalette* logPalette) override;
    void MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem) override;

    // The displayed size and new pictures of the source's classes, then the rectangle's fields.
    void Assign(const TPersistent* source) override;
    bool SetExtraIntProperty(TRVExtraItemProperty prop, int value) override;
    bool GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const override;
    int GetRVFExtraPropertyCount() const override;
    void SaveRVFExtraProperties(TStream& stream) override;
    void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo, const AnsiString& name,
                 TRVMultiDrawItemPart* part, bool forceSameAsPrev) override;
    bool ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo, int lineCount,
                     AnsiString& name, TRVFReadMode& readMode, TRVFReadState& readState) override;
    // RVSaveImageToRTF with the document's RTF options.
    void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                 double twipsPerPixel, int level, TRVColorList* colorList, TRVIntegerList* styleToFont,
                 TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2,
                 TRVRTFFontTable* fontTable) override;
    // An IMG tag of the picture written beside the page (or of the location the
    // document's HTMLSaveImage gives); nothing without a location.
    void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                    TRVList* bullets) override;

private:
    // The picture's RVF body arrives in Data (hex text or raw bytes): loaded,
    // or replaced by the invalid-picture graphic with a warning when it cannot be.
    void LoadRVFImage(const AnsiString& data, bool binary, TCustomRVData* rvData);

    std::unique_ptr<TGraphic> FImage;
    std::unique_ptr<TGraphic> FImageCopy;
};

// A picture that is a hyperlink (item-type code -10).
class TRVHotGraphicItemInfo : public TRVGraphicItemInfo {
public:
    explicit TRVHotGraphicItemInfo(TCustomRVData* rvData);
    TRVHotGraphicItemInfo(TCustomRVData* rvData, TGraphic* aImage, TRVVAlign avAlign);
    const char* ClassName() const override { return "TRVHotGraphicItemInfo"; }
    TRVItemClass GetItemClass() const override;

    // rvbpJump, rvbpAllowsFocus and rvbpXORFocus: true.
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    void Execute(TCustomRVData* rvData) override;
};
