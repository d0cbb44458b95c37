// The printable document data: the document data of the print component's
// hidden viewer, which shares the printed document's items, lays them out at
// the printer's resolution, cuts the draw items into pages and paints any
// page on a printer or a preview canvas. TRectPtblRVData is the data laid
// out inside a rectangle of a page (headers and footers).
//
//   ptrvdata.cpp        construction, the layout environment, Prepare
//   ptrvdata_pages.cpp  FormatPages, FormatNextPage, page ranges, saving a page
//   ptrvdata_draw.cpp   DrawPage, DrawBackToBitmap
//   ptrvdata_rect.cpp   rectangle data, header and footer
#pragma once

#include <memory>
#include <vector>

#include "document/rvprintsvc.h"
#include "view/rvrvdata.h"

class TBitmap;
class TCustomPrintableRV;
class TRVBackground;

// The stages of formatting and printing that the print component reports.
enum TRVPrintingStep { rvpsStarting, rvpsProceeding, rvpsFinished };

// ERollViewError messages of printing.
inline constexpr const char* errRVInvalidPageNo = "Invalid page number is specified for printing";
inline constexpr const char* errRVNoStyleForPrinting =
    "Style of printable TRollView component is not assigned";
inline constexpr const char* errRVPrintableAreaEmpty = "The printable area of the page is empty";

// Where one page starts. StartY is the document Y shown at the top of the
// printable area; StartPart is 0 when the page begins with a whole draw item,
// n when it begins with the n-th part of a split one; StartY2 is then the
// document Y at the page's top for the draw items that follow that part.
class TRVPageInfo : public TPersistent {
public:
    TRVPageInfo() = default;
    TRVPageInfo(const TRVPageInfo& other) : TPersistent() { Assign(&other); }
    TRVPageInfo& operator=(const TRVPageInfo& other)
    {
        Assign(&other);
        return *this;
    }
    const char* ClassName() const override { return "TRVPageInfo"; }
    // From another page record: all four fields; anything else as TPersistent.
    void Assign(const TPersistent* source) override;

    int StartY = 0;
    int StartDrawItemNo = 0;
    int StartPart = 0;
    int StartY2 = 0;
};

// Any printable data: paints a page of draw items (device pixels) on a
// canvas. Does not own its items (it shares another store's). BackBitmap and
// CurrentDrawItem exist only while DrawPage runs.
class TCustomPrintableRVData : public TRollViewRVData, public TRVPrintableDataServices {
public:
    explicit TCustomPrintableRVData(TCustomRollView* aRollView);
    ~TCustomPrintableRVData() override;
    const char* ClassName() const override { return "TCustomPrintableRVData"; }

    bool ShareItems() const override { return true; }

    // ---- Page queries (device pixels)
    virtual TRVBackground* GetBack() { return nullptr; }
    virtual int GetTopCoord(int pageNo);
    virtual int GetTopCoord2(int pageNo);
    virtual int GetPrintableAreaTop() { return 0; }
    virtual int GetPrintableAreaLeft(int pageNo);
    virtual void DoPagePrepaint(TCanvas* canvas, int pageNo, bool preview, bool correction);
    virtual void DoPagePostpaint(TCanvas* canvas, int pageNo, bool preview);
    // The draw items page PageNo shows, and the part its first one starts with (-1: whole).
    virtual void GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part);
    virtual void CheckPageNo(int pageNo);
    virtual TRVColorMode GetColorMode() { return rvcmPrinterColor; }

    // Paints one page. Preview: painting a preview; with Correction too, text
    // is drawn with the preview width correction. ERollViewError without a
    // style sheet, before anything is painted.
    virtual void DrawPage(int pageNo, TCanvas* canvas, bool preview, bool correction);
    void DrawBackToBitmap(int left, int top, TBitmap* bitmap, const TRVScreenAndDevice& sad,
                          int itemBackgroundLayer, bool relativeToItem) override;

    // ---- The layout happens on a measuring canvas, never on a window
    TCanvas* GetCanvas() override { return FLayoutCanvas; }
    void ScrollTo(int, bool) override {}
    void HScrollTo(int) override {}
    void SetDocumentAreaSize(int, int, bool) override {}
    void AdjustVScrollUnits() override {}
    int GetHOffs() override { return 0; }
    int GetVOffs() override { return 0; }

    TBitmap* BackBitmap = nullptr;
    TRVDrawLineInfo* CurrentDrawItem = nullptr;
    int CurrentItemTop = 0;
    int CurrentPageNo = 0;
    bool NoBackColor = false;

protected:
    // The canvas of the layout in progress (not owned).
    TCanvas* FLayoutCanvas = nullptr;

private:
    void DrawPageBackground(TCanvas* canvas, int pageNo, const TRVScreenAndDevice& sad, bool preview,
                            bool correction);
    void DrawParaBackAndBorder(TCanvas* canvas, int i, int endNo, int part, int startNo, int topCoord,
                               int areaLeft, const TRVScreenAndDevice& sad);
    void DrawTextItem(TCanvas* canvas, int i, int topCoord, int areaLeft, const TRVScreenAndDevice& sad,
                      bool preview, bool correction);
    void DrawNonTextItem(TCanvas* canvas, TRVDrawLineInfo* dli, int i, int startNo, int& part, int& topCoord,
                         int areaLeft, const TRVScreenAndDevice& sad, TBitmap* work, bool preview,
                         bool correction);
};

// Printable data cut into pages. Pages are rebuilt by every FormatPages.
class TCustomMainPtblRVData : public TCustomPrintableRVData {
public:
    explicit TCustomMainPtblRVData(TCustomRollView* aRollView);
    ~TCustomMainPtblRVData() override;
    const char* ClassName() const override { return "TCustomMainPtblRVData"; }

    void Clear() override;
    bool GetFirstItemMarker(int& listNo, int& level) override;
    void GetSADForFormatting(TCanvas* canvas, TRVScreenAndDevice& sad) override;
    TColor GetColor() override;
    int GetWidth() override { return FClientWidth; }
    int GetHeight() override { return FClientHeight; }
    int GetAreaWidth() override { return FClientWidth; }

    TRVBackground* GetBack() override;
    int GetTopCoord(int pageNo) override;
    int GetTopCoord2(int pageNo) override;
    int GetPrintableAreaTop() override { return TopMarginPix; }
    int GetPrintableAreaLeft(int pageNo) override;
    void GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part) override;
    void CheckPageNo(int pageNo) override;
    TRVColorMode GetColorMode() override { return ColorMode; }
    void DrawPage(int pageNo, TCanvas* canvas, bool preview, bool correction) override;
    // The printable area less the source viewer's own top and bottom margins.
    int GetPrintablePageHeight() override { return GetHeight() - (TmpTMPix + TmpBMPix); }

    // Lays the items out for the printer and cuts them into pages; the page
    // count (0 without draw items). ERollViewError when the printable area or
    // the text width is 0 or less. The measuring canvas is released on every path.
    int FormatPages();
    // One step of pagination (the state persists between calls; the first
    // call, with no pages yet, initialises it).
    void FormatNextPage(int& drawItemNo, int& startAt, int& startY, int& y, bool& splitting, int pageHeight);
    int PagesCount() const { return static_cast<int>(Pages.size()); }

    bool SavePageAsRVF(TStream& stream, int pageNo, TColor color, TRVFBackground* background,
                       TRVLayoutInfo* layout);
    void RVFGetLimits(TRVFSaveScope saveScope, int& startItemNo, int& endItemNo, int& startOffs, int& endOffs,
                      TRVMultiDrawItemPart*& startPart, TRVMultiDrawItemPart*& endPart) override;

    // The size of the printable area (the viewer's client area), device pixels.
    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }

    std::vector<TRVPageInfo> Pages;
    int TmpTMPix = 0;
    int TmpBMPix = 0;
    int PageNoToSave = 0;
    TCanvas* PrinterCanvas = nullptr;
    TRVScreenAndDevice PrnSaD;
    int TmpTM = 0;
    int TmpBM = 0;
    bool Transparent = false;
    int LeftMarginPix = 0;
    int TopMarginPix = 0;
    int RightMarginPix = 0;
    int BottomMarginPix = 0;
    TRVColorMode ColorMode = rvcmPrinterColor;
    int FirstMarkerListNo = -1;
    int FirstMarkerLevel = -1;

protected:
    // The measuring canvas for the layout (owned by the caller of FormatPages).
    virtual std::unique_ptr<TCanvas> InitPrinterCanvas() { return nullptr; }
    virtual void DoFormatting(int pageCompleted, TRVPrintingStep step);
    virtual int GetPageWidth() { return 0; }
    virtual int GetPageHeight() { return 0; }
    // The print component's StartAt, and where its EndAt is written.
    virtual int GetStartAt() { return 0; }
    virtual void SetEndAt(int value) { (void)value; }
    virtual void Prepare();
    // Sets the client area (the printable area) without laying anything out.
    void SetClientSize(int width, int height);

private:
    int SpaceBeforeOf(int drawItemNo);
    int SpaceAfterOf(int drawItemNo);
    void AddPage(int startY, int startDrawItemNo, int startPart, bool report);
    void FinishPagination(int drawItemNo);

    int FClientWidth = 0;
    int FClientHeight = 0;
};

class TRVHeaderFooterRVData;

// The data of the print component's viewer: millimetre margins, mirrored
// margins, header and footer (owned).
class TPrintableRVData : public TCustomMainPtblRVData {
public:
    explicit TPrintableRVData(TCustomRollView* aRollView);
    ~TPrintableRVData() override;
    const char* ClassName() const override { return "TPrintableRVData"; }
    static TRollViewRVData* Create(TCustomRollView* aRollView) { return new TPrintableRVData(aRollView); }

    int GetPrintableAreaLeft(int pageNo) override;
    void DoPagePrepaint(TCanvas* canvas, int pageNo, bool preview, bool correction) override;
    void DoPagePostpaint(TCanvas* canvas, int pageNo, bool preview) override;

    // Replaces the header or footer (null: none).
    void SetHeader(std::unique_ptr<TRVHeaderFooterRVData> value);
    void SetFooter(std::unique_ptr<TRVHeaderFooterRVData> value);
    TRVHeaderFooterRVData* Header() const { return FHeader.get(); }
    TRVHeaderFooterRVData* Footer() const { return FFooter.get(); }

    int MirroredLeftMarginPix = 0;
    int HeaderYMM = 10;
    int FooterYMM = 10;

protected:
    std::unique_ptr<TCanvas> InitPrinterCanvas() override;
    void DoFormatting(int pageCompleted, TRVPrintingStep step) override;
    int GetPageWidth() override;
    int GetPageHeight() override;
    int GetStartAt() override;
    void SetEndAt(int value) override;
    void Prepare() override;

private:
    TCustomPrintableRV* PrintableRV() const;
    TRect PageRect() const;
    TRect PrintArea(int pageNo);

    std::unique_ptr<TRVHeaderFooterRVData> FHeader;
    std::unique_ptr<TRVHeaderFooterRVData> FFooter;
};

// Data laid out inside a rectangle of a parent printable data's page,
// sharing the items of SourceDataForPrinting (neither is owned).
class TRectPtblRVData : public TCustomPrintableRVData {
public:
    TRectPtblRVData(TCustomRollView* aRollView, TCustomRVFormattedData* sourceData,
                    TCustomPrintableRVData* parentData);
    const char* ClassName() const override { return "TRectPtblRVData"; }

    int GetTopCoord(int pageNo) override;
    int GetPrintableAreaTop() override { return Top + DY; }
    int GetPrintableAreaLeft(int pageNo) override;
    TRVColorMode GetColorMode() override;
    void DrawBackToBitmap(int left, int top, TBitmap* bitmap, const TRVScreenAndDevice& sad,
                          int itemBackgroundLayer, bool relativeToItem) override;
    // The page's, of the root printable data.
    int GetPrintablePageHeight() override;

    void GetSADForFormatting(TCanvas* canvas, TRVScreenAndDevice& sad) override;
    TColor GetColor() override { return Color; }
    int GetWidth() override { return Width; }
    int GetHeight() override { return Height; }
    int GetAreaWidth() override { return Width; }
    int GetLeftMargin() override { return 0; }
    int GetRightMargin() override { return 0; }
    int GetTopMargin() override { return 0; }
    int GetBottomMargin() override { return 0; }
    TCustomRVData* GetParentData() override { return ParentPrintData; }
    TCustomRVData* GetRootData() override { return ParentPrintData->GetRootData(); }

    // Lays the shared items out on the root printable data's measuring canvas.
    void FormatOn(TCanvas* canvas);

    TCustomRVFormattedData* SourceDataForPrinting;
    TCustomPrintableRVData* ParentPrintData;
    int Left = 0;
    int Top = 0;
    int DX = 0;
    int DY = 0;
    int Width = 0;
    int Height = 0;
    bool Transparent = false;
    TColor Color = clWhite;

protected:
    TCustomMainPtblRVData* RootPrintData() const;
};

// A page's header or footer: no colour of its own, the source's style sheet,
// no text width limit.
class TRVHeaderFooterRVData : public TRectPtblRVData {
public:
    TRVHeaderFooterRVData(TCustomRollView* aRollView, TCustomRVFormattedData* sourceData,
                          TCustomPrintableRVData* parentData);
    const char* ClassName() const override { return "TRVHeaderFooterRVData"; }
    TRVStyle* GetRVStyle() override { return SourceDataForPrinting->GetRVStyle(); }
    int GetMaxTextWidth() override { return 0; }
};
