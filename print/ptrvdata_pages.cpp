// Pagination of the printable data: FormatPages lays the shared items out for
// the printer and FormatNextPage cuts the draw items into pages, splitting
// the draw items that can be split (TRVMultiDrawItemInfo) into page parts;
// the draw items of a page, and the limits of a page saved as RVF.
#include <algorithm>

#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "print/ptrvdata.h"
#include "view/rollview.h"

int TCustomMainPtblRVData::SpaceBeforeOf(int DrawItemNo)
{
    const TCustomRVItemInfo* Item = GetItem(DrawItems[DrawItemNo]->ItemNo);
    return MulDiv(GetRVStyle()->ParaStyles()->Items(Item->ParaNo)->SpaceBefore(), PrnSaD.DevicePpiY,
                  PrnSaD.ScreenPpiY);
}

int TCustomMainPtblRVData::SpaceAfterOf(int DrawItemNo)
{
    const TCustomRVItemInfo* Item = GetItem(DrawItems[DrawItemNo]->ItemNo);
    return MulDiv(GetRVStyle()->ParaStyles()->Items(Item->ParaNo)->SpaceAfter(), PrnSaD.DevicePpiY,
                  PrnSaD.ScreenPpiY);
}

void TCustomMainPtblRVData::AddPage(int StartY, int StartDrawItemNo, int StartPart, bool Report)
{
    const int N = PagesCount();
    TRVPageInfo Page;
    Page.StartY = StartY;
    Page.StartDrawItemNo = StartDrawItemNo;
    Page.StartPart = StartPart;
    Pages.push_back(Page);
    if (Report)
        DoFormatting(N, rvpsProceeding);
}

int TCustomMainPtblRVData::FormatPages()
{
    DoFormatting(0, rvpsStarting);
    // The measuring canvas lives for the layout alone, whatever happens in it.
    std::unique_ptr<TCanvas> Canvas = InitPrinterCanvas();
    if (!Canvas)
        throw ERollViewError(errRVInternalPrinting);
    struct TCanvasScope {
        TCustomMainPtblRVData& Data;
        ~TCanvasScope()
        {
            Data.PrinterCanvas = nullptr;
            Data.FLayoutCanvas = nullptr;
        }
    } Scope{*this};
    PrinterCanvas = Canvas.get();
    FLayoutCanvas = PrinterCanvas;
    Pages.clear();
    if (GetRVStyle() == nullptr)
        throw ERollViewError(errRVNoStyleForPrinting);
    ClearTemporal();
    Prepare();
    // A page that shows nothing, or lines of no width, would never end.
    const int PageHeight = GetHeight() - (TmpTMPix + TmpBMPix);
    const int TextWidthPix =
        GetWidth() - MulDiv(GetLeftMargin() + GetRightMargin(), PrnSaD.DevicePpiX, PrnSaD.ScreenPpiX);
    if (GetWidth() <= 0 || PageHeight <= 0 || TextWidthPix <= 0)
        throw ERollViewError(errRVPrintableAreaEmpty);
    RollView()->SetMaxTextWidth(std::max(1, MulDiv(GetWidth(), PrnSaD.ScreenPpiX, PrnSaD.DevicePpiX) -
                                                GetLeftMargin() - GetRightMargin()));
    Format_(false, true, false, 0, PrinterCanvas, false, false);
    PrinterCanvas = nullptr;
    FLayoutCanvas = nullptr;
    Canvas.reset();

    if (DrawItems.Count() == 0)
        return 0;
    DoFormatting(0, rvpsProceeding);
    int DrawItemNo = 0;
    int StartAt = 0;
    int StartY = 0;
    int Y = 0;
    bool Splitting = false;
    while (DrawItemNo < DrawItems.Count())
        FormatNextPage(DrawItemNo, StartAt, StartY, Y, Splitting, PageHeight);
    const int Count = PagesCount();
    DoFormatting(Count, rvpsFinished);
    return Count;
}

void TCustomMainPtblRVData::FormatNextPage(int& DrawItemNo, int& StartAt, int& StartY, int& Y,
                                           bool& Splitting, int PageHeight)
{
    if (Pages.empty()) {
        AddPage(0, 0, 0, false);
        StartY = 0;
        DrawItemNo = 0;
        StartAt = GetStartAt();
        Splitting = false;
    }
    const int Count = DrawItems.Count();
    if (Splitting) {
        auto* D = static_cast<TRVMultiDrawItemInfo*>(DrawItems[DrawItemNo]);
        const int SpaceBefore = SpaceBeforeOf(DrawItemNo);
        const int SpaceAfter = SpaceAfterOf(DrawItemNo);
        // A part is never cut at less than one pixel: the rest then moves on.
        if (Y > 0 && D->SplitAt(Y)) {
            const int Parts = D->PartsList.Count();
            AddPage(-SpaceBefore, DrawItemNo, Parts, true);
            TRVPageInfo& Ended = Pages[Pages.size() - 2];
            if (Ended.StartDrawItemNo == DrawItemNo)
                Ended.StartY2 = D->Top + D->Height - D->GetPart(Parts - 2)->Height - SpaceBefore;
            StartAt = 0;
            StartY = 0;
            Y = PageHeight + Pages.back().StartY - SpaceAfter;
            // Spacing that leaves no room still leaves one pixel per part.
            Y = std::max(Y, 1);
            return;
        }
        TRVPageInfo& Last = Pages.back();
        if (Last.StartDrawItemNo == DrawItemNo) {
            StartY = D->Top + D->Height - D->GetPart(D->PartsList.Count() - 1)->Height - SpaceBefore;
            Last.StartY2 = StartY;
        }
        ++DrawItemNo;
        Splitting = false;
    }
    while (DrawItemNo < Count) {
        TRVDrawLineInfo* D = DrawItems[DrawItemNo];
        TRVPageInfo& Last = Pages.back();
        const bool StartsLast = Last.StartDrawItemNo == DrawItemNo;
        const bool PageBreak = DrawItemNo > 0 && DrawItems[DrawItemNo - 1]->ItemNo != D->ItemNo &&
                               GetItem(D->ItemNo)->GetPageBreakBefore() && !StartsLast;
        auto* Multi = dynamic_cast<TRVMultiDrawItemInfo*>(D);
        if (Multi && Multi->InitSplit()) {
            const int SpaceBefore = SpaceBeforeOf(DrawItemNo);
            const int SpaceAfter = SpaceAfterOf(DrawItemNo);
            if (StartsLast) {
                Last.StartPart = 1;
                Last.StartY = -SpaceBefore;
            }
            Y = StartY + PageHeight - StartAt - D->Top - SpaceAfter;
            if (!PageBreak && (StartsLast || (Y > 0 && Multi->CanSplitFirst(Y)))) {
                Splitting = true;
                Y = std::max(Y, 1);
                FormatNextPage(DrawItemNo, StartAt, StartY, Y, Splitting, PageHeight);
                return;
            }
            AddPage(-SpaceBefore, DrawItemNo, 1, true);
            StartY = 0;
            StartAt = 0;
            Y = std::max(PageHeight - SpaceBefore - SpaceAfter, 1);
            Splitting = true;
            return;
        }
        Y = D->Top + D->Height + SpaceAfterOf(DrawItemNo);
        if (Y > StartY + PageHeight - StartAt || PageBreak) {
            int LineStart = DrawItemNo;
            while (LineStart > 0 && !DrawItems[LineStart]->FromNewLine)
                --LineStart;
            if (!DrawItems[LineStart]->FromNewLine)
                LineStart = DrawItemNo;
            // A page that begins inside a line (after a split part) is not left again.
            LineStart = std::max(LineStart, Last.StartDrawItemNo);
            if (StartAt <= 0 && Last.StartDrawItemNo == LineStart) {
                // The line is alone on its page and still does not fit: it stays.
                int Next = LineStart + 1;
                while (Next < Count && !DrawItems[Next]->FromNewLine)
                    ++Next;
                LineStart = Next;
            }
            if (LineStart < Count) {
                int Top = DrawItems[LineStart]->Top;
                for (int j = LineStart + 1; j < Count && !DrawItems[j]->FromNewLine; ++j)
                    Top = std::min(Top, DrawItems[j]->Top);
                StartY = Top - SpaceBeforeOf(LineStart);
                AddPage(StartY, LineStart, 0, true);
                StartAt = 0;
            }
            DrawItemNo = LineStart;
            if (DrawItemNo >= Count)
                FinishPagination(DrawItemNo);
            return;
        }
        ++DrawItemNo;
    }
    FinishPagination(DrawItemNo);
}

void TCustomMainPtblRVData::FinishPagination(int)
{
    const int Count = DrawItems.Count();
    int Bottom = 0;
    for (int j = Count - 1; j >= 0; --j) {
        Bottom = std::max(Bottom, DrawItems[j]->Top + DrawItems[j]->Height);
        if (DrawItems[j]->FromNewLine)
            break;
    }
    Bottom += SpaceAfterOf(Count - 1);
    const TRVPageInfo& Last = Pages.back();
    int EndAt = Last.StartPart == 0 ? Bottom - Last.StartY : Bottom - Last.StartY2;
    if (PagesCount() == 1)
        EndAt += GetStartAt();
    SetEndAt(EndAt);
    DoFormatting(PagesCount(), rvpsProceeding);
}

void TCustomMainPtblRVData::GetDrawItemsRange(int PageNo, int& StartNo, int& EndNo, int& Part)
{
    const TRVPageInfo& R = Pages[PageNo - 1];
    StartNo = R.StartDrawItemNo;
    Part = R.StartPart - 1;
    if (PageNo == PagesCount()) {
        EndNo = DrawItems.Count() - 1;
    } else {
        const TRVPageInfo& Next = Pages[PageNo];
        EndNo = Next.StartDrawItemNo - 1;
        if (Next.StartPart > 1)
            ++EndNo;
    }
}

bool TCustomMainPtblRVData::SavePageAsRVF(TStream& Stream, int PageNo, TColor Color,
                                          TRVFBackground* Background, TRVLayoutInfo* Layout)
{
    CheckPageNo(PageNo);
    PageNoToSave = PageNo;
    return SaveRVFToStreamEx(Stream, rvfss_Page, Color, Background, Layout);
}

void TCustomMainPtblRVData::RVFGetLimits(TRVFSaveScope SaveScope, int& StartItemNo, int& EndItemNo,
                                         int& StartOffs, int& EndOffs, TRVMultiDrawItemPart*& StartPart,
                                         TRVMultiDrawItemPart*& EndPart)
{
    if (SaveScope != rvfss_Page) {
        TCustomPrintableRVData::RVFGetLimits(SaveScope, StartItemNo, EndItemNo, StartOffs, EndOffs, StartPart,
                                             EndPart);
        return;
    }
    const int p = PageNoToSave;
    int StartItem = 0;
    int EndItem = 0;
    int StartPartNo = -1;
    int EndPartNo = -1;
    GetDrawItemsRange(p, StartItem, EndItem, StartPartNo);
    const int StartDrawOffs = GetOffsBeforeDrawItem(StartItem);
    const int EndDrawOffs = GetOffsAfterDrawItem(EndItem);
    if (EndItem > StartItem && p < PagesCount() && Pages[p].StartPart > 1)
        EndPartNo = 0;
    auto PartOf = [&](int DrawItemNo, int PartNo) -> TRVMultiDrawItemPart* {
        auto* Multi = dynamic_cast<TRVMultiDrawItemInfo*>(DrawItems[DrawItemNo]);
        if (PartNo < 0 || Multi == nullptr || PartNo >= Multi->PartsList.Count())
            return nullptr;
        return Multi->GetPart(PartNo);
    };
    StartPart = PartOf(StartItem, StartPartNo);
    EndPart = PartOf(EndItem, EndPartNo);
    DrawItem2Item(StartItem, StartDrawOffs, StartItemNo, StartOffs);
    DrawItem2Item(EndItem, EndDrawOffs, EndItemNo, EndOffs);
}
