// Pagination of the printable data: FormatPages lays the shared items out for
// the printer and FormatNextPage cuts the draw items into pages, splitting
// the draw items that can be split (TRVMultiDrawItemInfo) into page parts;
// the draw items of a page, and the limits of a page saved as RVF.
#include <algorithm>

#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "print/ptrvdata.h"
#include "view/rollview.h"

int TCustomMainPtblRVData::SpaceBeforeOf(int drawItemNo)
{
    const TCustomRVItemInfo* item = GetItem(DrawItems[drawItemNo]->ItemNo);
    return MulDiv(GetRVStyle()->ParaStyles()->Items(item->ParaNo)->SpaceBefore(), PrnSaD.DevicePpiY,
                  PrnSaD.ScreenPpiY);
}

int TCustomMainPtblRVData::SpaceAfterOf(int drawItemNo)
{
    const TCustomRVItemInfo* item = GetItem(DrawItems[drawItemNo]->ItemNo);
    return MulDiv(GetRVStyle()->ParaStyles()->Items(item->ParaNo)->SpaceAfter(), PrnSaD.DevicePpiY,
                  PrnSaD.ScreenPpiY);
}

void TCustomMainPtblRVData::AddPage(int startY, int startDrawItemNo, int startPart, bool report)
{
    const int n = PagesCount();
    TRVPageInfo page;
    page.StartY = startY;
    page.StartDrawItemNo = startDrawItemNo;
    page.StartPart = startPart;
    Pages.push_back(page);
    if (report)
        DoFormatting(n, rvpsProceeding);
}

int TCustomMainPtblRVData::FormatPages()
{
    DoFormatting(0, rvpsStarting);
    // The measuring canvas lives for the layout alone, whatever happens in it.
    std::unique_ptr<TCanvas> canvas = InitPrinterCanvas();
    if (!canvas)
        throw ERollViewError(errRVInternalPrinting);
    struct TCanvasScope {
        TCustomMainPtblRVData& Data;
        ~TCanvasScope()
        {
            Data.PrinterCanvas = nullptr;
            Data.FLayoutCanvas = nullptr;
        }
    } scope{*this};
    PrinterCanvas = canvas.get();
    FLayoutCanvas = PrinterCanvas;
    Pages.clear();
    if (GetRVStyle() == nullptr)
        throw ERollViewError(errRVNoStyleForPrinting);
    ClearTemporal();
    Prepare();
    // A page that shows nothing, or lines of no width, would never end.
    const int pageHeight = GetHeight() - (TmpTMPix + TmpBMPix);
    const int textWidthPix =
        GetWidth() - MulDiv(GetLeftMargin() + GetRightMargin(), PrnSaD.DevicePpiX, PrnSaD.ScreenPpiX);
    if (GetWidth() <= 0 || pageHeight <= 0 || textWidthPix <= 0)
        throw ERollViewError(errRVPrintableAreaEmpty);
    RollView()->SetMaxTextWidth(std::max(1, MulDiv(GetWidth(), PrnSaD.ScreenPpiX, PrnSaD.DevicePpiX) -
                                                GetLeftMargin() - GetRightMargin()));
    Format_(false, true, false, 0, PrinterCanvas, false, false);
    PrinterCanvas = nullptr;
    FLayoutCanvas = nullptr;
    canvas.reset();

    if (DrawItems.Count() == 0)
        return 0;
    DoFormatting(0, rvpsProceeding);
    int drawItemNo = 0;
    int startAt = 0;
    int startY = 0;
    int y = 0;
    bool splitting = false;
    while (drawItemNo < DrawItems.Count())
        FormatNextPage(drawItemNo, startAt, startY, y, splitting, pageHeight);
    const int count = PagesCount();
    DoFormatting(count, rvpsFinished);
    return count;
}

void TCustomMainPtblRVData::FormatNextPage(int& drawItemNo, int& startAt, int& startY, int& y,
                                           bool& splitting, int pageHeight)
{
    if (Pages.empty()) {
        AddPage(0, 0, 0, false);
        startY = 0;
        drawItemNo = 0;
        startAt = GetStartAt();
        splitting = false;
    }
    const int count = DrawItems.Count();
    if (splitting) {
        auto* d = static_cast<TRVMultiDrawItemInfo*>(DrawItems[drawItemNo]);
        const int spaceBefore = SpaceBeforeOf(drawItemNo);
        const int spaceAfter = SpaceAfterOf(drawItemNo);
        // A part is never cut at less than one pixel: the rest then moves on.
        if (y > 0 && d->SplitAt(y)) {
            const int parts = d->PartsList.Count();
            AddPage(-spaceBefore, drawItemNo, parts, true);
            TRVPageInfo& ended = Pages[Pages.size() - 2];
            if (ended.StartDrawItemNo == drawItemNo)
                ended.StartY2 = d->Top + d->Height - d->GetPart(parts - 2)->Height - spaceBefore;
            startAt = 0;
            startY = 0;
            y = pageHeight + Pages.back().StartY - spaceAfter;
            // Spacing that leaves no room still leaves one pixel per part.
            y = std::max(y, 1);
            return;
        }
        TRVPageInfo& last = Pages.back();
        if (last.StartDrawItemNo == drawItemNo) {
            startY = d->Top + d->Height - d->GetPart(d->PartsList.Count() - 1)->Height - spaceBefore;
            last.StartY2 = startY;
        }
        ++drawItemNo;
        splitting = false;
    }
    while (drawItemNo < count) {
        TRVDrawLineInfo* d = DrawItems[drawItemNo];
        TRVPageInfo& last = Pages.back();
        const bool startsLast = last.StartDrawItemNo == drawItemNo;
        const bool pageBreak = drawItemNo > 0 && DrawItems[drawItemNo - 1]->ItemNo != d->ItemNo &&
                               GetItem(d->ItemNo)->GetPageBreakBefore() && !startsLast;
        auto* multi = dynamic_cast<TRVMultiDrawItemInfo*>(d);
        if (multi && multi->InitSplit()) {
            const int spaceBefore = SpaceBeforeOf(drawItemNo);
            const int spaceAfter = SpaceAfterOf(drawItemNo);
            if (startsLast) {
                last.StartPart = 1;
                last.StartY = -spaceBefore;
            }
            y = startY + pageHeight - startAt - d->Top - spaceAfter;
            if (!pageBreak && (startsLast || (y > 0 && multi->CanSplitFirst(y)))) {
                splitting = true;
                y = std::max(y, 1);
                FormatNextPage(drawItemNo, startAt, startY, y, splitting, pageHeight);
                return;
            }
            AddPage(-spaceBefore, drawItemNo, 1, true);
            startY = 0;
            startAt = 0;
            y = std::max(pageHeight - spaceBefore - spaceAfter, 1);
            splitting = true;
            return;
        }
        y = d->Top + d->Height + SpaceAfterOf(drawItemNo);
        if (y > startY + pageHeight - startAt || pageBreak) {
            int lineStart = drawItemNo;
            while (lineStart > 0 && !DrawItems[lineStart]->FromNewLine)
                --lineStart;
            if (!DrawItems[lineStart]->FromNewLine)
                lineStart = drawItemNo;
            // A page that begins inside a line (after a split part) is not left again.
            lineStart = std::max(lineStart, last.StartDrawItemNo);
            if (startAt <= 0 && last.StartDrawItemNo == lineStart) {
                // The line is alone on its page and still does not fit: it stays.
                int next = lineStart + 1;
                while (next < count && !DrawItems[next]->FromNewLine)
                    ++next;
                lineStart = next;
            }
            if (lineStart < count) {
                int top = DrawItems[lineStart]->Top;
                for (int j = lineStart + 1; j < count && !DrawItems[j]->FromNewLine; ++j)
                    top = std::min(top, DrawItems[j]->Top);
                startY = top - SpaceBeforeOf(lineStart);
                AddPage(startY, lineStart, 0, true);
                startAt = 0;
            }
            drawItemNo = lineStart;
            if (drawItemNo >= count)
                FinishPagination(drawItemNo);
            return;
        }
        ++drawItemNo;
    }
    FinishPagination(drawItemNo);
}

void TCustomMainPtblRVData::FinishPagination(int)
{
    const int count = DrawItems.Count();
    int bottom = 0;
    for (int j = count - 1; j >= 0; --j) {
        bottom = std::max(bottom, DrawItems[j]->Top + DrawItems[j]->Height);
        if (DrawItems[j]->FromNewLine)
            break;
    }
    bottom += SpaceAfterOf(count - 1);
    const TRVPageInfo& last = Pages.back();
    int endAt = last.StartPart == 0 ? bottom - last.StartY : bottom - last.StartY2;
    if (PagesCount() == 1)
        endAt += GetStartAt();
    SetEndAt(endAt);
    DoFormatting(PagesCount(), rvpsProceeding);
}

void TCustomMainPtblRVData::GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part)
{
    const TRVPageInfo& r = Pages[pageNo - 1];
    startNo = r.StartDrawItemNo;
    part = r.StartPart - 1;
    if (pageNo == PagesCount()) {
        endNo = DrawItems.Count() - 1;
    } else {
        const TRVPageInfo& next = Pages[pageNo];
        endNo = next.StartDrawItemNo - 1;
        if (next.StartPart > 1)
            ++endNo;
    }
}

bool TCustomMainPtblRVData::SavePageAsRVF(TStream& stream, int pageNo, TColor color,
                                          TRVFBackground* background, TRVLayoutInfo* layout)
{
    CheckPageNo(pageNo);
    PageNoToSave = pageNo;
    return SaveRVFToStreamEx(stream, rvfss_Page, color, background, layout);
}

void TCustomMainPtblRVData::RVFGetLimits(TRVFSaveScope saveScope, int& startItemNo, int& endItemNo,
                                         int& startOffs, int& endOffs, TRVMultiDrawItemPart*& startPart,
                                         TRVMultiDrawItemPart*& endPart)
{
    if (saveScope != rvfss_Page) {
        TCustomPrintableRVData::RVFGetLimits(saveScope, startItemNo, endItemNo, startOffs, endOffs, startPart,
                                             endPart);
        return;
    }
    const int p = PageNoToSave;
    int startItem = 0;
    int endItem = 0;
    int startPartNo = -1;
    int endPartNo = -1;
    GetDrawItemsRange(p, startItem, endItem, startPartNo);
    const int startDrawOffs = GetOffsBeforeDrawItem(startItem);
    const int endDrawOffs = GetOffsAfterDrawItem(endItem);
    if (endItem > startItem && p < PagesCount() && Pages[p].StartPart > 1)
        endPartNo = 0;
    auto partOf = [&](int drawItemNo, int partNo) -> TRVMultiDrawItemPart* {
        auto* multi = dynamic_cast<TRVMultiDrawItemInfo*>(DrawItems[drawItemNo]);
        if (partNo < 0 || multi == nullptr || partNo >= multi->PartsList.Count())
            return nullptr;
        return multi->GetPart(partNo);
    };
    startPart = partOf(startItem, startPartNo);
    endPart = partOf(endItem, endPartNo);
    DrawItem2Item(startItem, startDrawOffs, startItemNo, startOffs);
    DrawItem2Item(endItem, endDrawOffs, endItemNo, endOffs);
}
