// What the document and the viewer ask of printing, as interfaces that the
// printing classes implement: the viewer that prints items, the printable
// document data that paints what lies behind a printed item, and the print
// component's pagination. The library links and runs without printing; only
// a print job hands these objects out.
#pragma once

#include "document/rvfuncs.h"

class TBitmap;
class TRVStyle;

// The viewer that prints a document (the print component's hidden viewer),
// as the items printing themselves see it.
class TRVPrintingViewer {
public:
    // The style sheet of the printed document; may be null.
    virtual TRVStyle* GetPrintRVStyle() const = 0;

protected:
    ~TRVPrintingViewer() = default;
};

// The printable document data, as the backgrounds of printed items use it.
class TRVPrintableDataServices {
public:
    // Fills Bitmap (already sized, screen pixels) with what the printed page
    // shows behind the rectangle whose top-left is (Left, Top), screen pixels:
    // the paragraph background of the item being printed, else the document's
    // colour, else white; or the matching part of a pre-rendered page
    // background when the paragraph has no colour. With ItemBackgroundLayer
    // not 0 the item then draws its own printing background over it. With
    // RelativeToItem, Left and Top count from the printed item's position.
    virtual void DrawBackToBitmap(int left, int top, TBitmap* bitmap, const TRVScreenAndDevice& sad,
                                  int itemBackgroundLayer, bool relativeToItem) = 0;
    // The height of a page's printable area in device pixels (0: no limit), so
    // that an item can be made to fit on one page.
    virtual int GetPrintablePageHeight() { return 0; }

protected:
    ~TRVPrintableDataServices() = default;
};

// The print component's pagination, as the viewer's soft page breaks use it.
class TRVPrintServices {
public:
    // Pages of the last pagination; 0 before any.
    virtual int GetPagesCount() const = 0;
    // The first position of page PageNo (1 .. GetPagesCount()) in the printed
    // document: its item, the offset at the start of the page's first draw
    // item (1 for text, 0 for other items) and, when the page starts with a
    // part of a split draw item, that part's GetSoftPageBreakInfo (else -1).
    virtual void GetFirstItemOnPageEx(int pageNo, int& itemNo, int& offsetInItem, int& extraData) = 0;

protected:
    ~TRVPrintServices() = default;
};
