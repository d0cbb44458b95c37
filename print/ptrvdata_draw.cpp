// Painting one page of printable data: the page background by colour mode or
// picture, paragraph backgrounds and borders (each block measured once), text
// with its letter spacing, non-text items through a work bitmap or their own
// printing, the parts of split draw items, and the page events. The caller's
// canvas keeps its clip, origins, character extra and font.
#include <algorithm>
#include <memory>

#include "document/rvfuncs.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "print/ptrvdata.h"
#include "view/rollview.h"
#include "view/rvback.h"

namespace {

// The canvas's state that painting a page changes, put back on every way out.
class TCanvasStateKeeper {
public:
    explicit TCanvasStateKeeper(TCanvas* canvas) : FCanvas(canvas), FFont(std::make_unique<TFont>())
    {
        FFont->Assign(canvas->Font());
        FBrush.Assign(canvas->Brush());
        FPen.Assign(canvas->Pen());
        FLevel = canvas->SaveDC();
    }
    ~TCanvasStateKeeper()
    {
        FCanvas->RestoreDC(FLevel);
        FCanvas->SetFont(FFont.get());
        FCanvas->SetBrush(&FBrush);
        FCanvas->SetPen(&FPen);
    }
    TCanvasStateKeeper(const TCanvasStateKeeper&) = delete;
    TCanvasStateKeeper& operator=(const TCanvasStateKeeper&) = delete;

private:
    TCanvas* FCanvas;
    std::unique_ptr<TFont> FFont;
    TBrush FBrush;
    TPen FPen;
    int FLevel;
};

// The height of a split draw item's part, or of the whole draw item.
int PartHeight(const TRVDrawLineInfo* dli, int part)
{
    auto* multi = dynamic_cast<const TRVMultiDrawItemInfo*>(dli);
    if (multi && part >= 0 && part < multi->PartsList.Count())
        return multi->GetPart(part)->Height;
    return dli->Height;
}

bool IsSplit(const TRVDrawLineInfo* dli)
{
    auto* multi = dynamic_cast<const TRVMultiDrawItemInfo*>(dli);
    return multi && multi->PartsList.Count() > 0;
}

} // namespace

void TCustomPrintableRVData::DrawPage(int pageNo, TCanvas* canvas, bool preview, bool correction)
{
    CurrentPageNo = pageNo;
    TRVStyle* style = GetRVStyle();
    if (style == nullptr)
        throw ERollViewError(errRVNoStyleForPrinting);
    TCanvasStateKeeper keeper(canvas);
    std::unique_ptr<TBitmap> work;
    struct TCleanup {
        TCustomPrintableRVData& Data;
        ~TCleanup()
        {
            delete Data.BackBitmap;
            Data.BackBitmap = nullptr;
            Data.CurrentDrawItem = nullptr;
        }
    } cleanup{*this};

    TRVScreenAndDevice sad;
    GetSADForFormatting(canvas, sad);
    int startNo = 0;
    int endNo = -1;
    int part = -1;
    GetDrawItemsRange(pageNo, startNo, endNo, part);
    int topCoord = GetTopCoord(pageNo);
    const int areaLeft = GetPrintableAreaLeft(pageNo);
    canvas->Brush()->SetStyle(bsClear);

    DrawPageBackground(canvas, pageNo, sad, preview, correction);
    work = std::make_unique<TBitmap>();

    for (int i = startNo; i <= endNo; ++i) {
        TRVDrawLineInfo* dli = DrawItems[i];
        TCustomRVItemInfo* item = GetItem(dli->ItemNo);
        CurrentDrawItem = dli;
        if (i == endNo && endNo != startNo && IsSplit(dli))
            part = 0;
        const bool blockStart =
            i == startNo || (DrawItems[i - 1]->ItemNo != dli->ItemNo && item->CanBeBorderStart());
        if (blockStart && item->StyleNo != rvsBreak)
            DrawParaBackAndBorder(canvas, i, endNo, part, startNo, topCoord, areaLeft, sad);
        if (item->StyleNo >= 0)
            DrawTextItem(canvas, i, topCoord, areaLeft, sad, preview, correction);
        else
            DrawNonTextItem(canvas, dli, i, startNo, part, topCoord, areaLeft, sad, work.get(), preview,
                            correction);
    }
    DoPagePostpaint(canvas, pageNo, preview);
}

void TCustomPrintableRVData::DrawPageBackground(TCanvas* canvas, int pageNo, const TRVScreenAndDevice& sad,
                                                bool preview, bool correction)
{
    const int w = RV_XToScreen(GetWidth(), sad);
    const int h = RV_YToScreen(GetHeight(), sad);
    TRVBackground* back = GetBack();
    if (back && back->BackgroundStyle() != bsNoBitmap && back->Image() && !back->Image()->Empty() && w > 0 &&
        h > 0) {
        const TBackgroundStyle oldStyle = back->BackgroundStyle();
        if (oldStyle == bsTiledAndScrolled)
            back->SetBackgroundStyle(bsTiled);
        BackBitmap = new TBitmap;
        BackBitmap->SetSize(w, h);
        try {
            back->Draw(BackBitmap->Canvas(), Rect(0, 0, w, h), 0, 0, 0, 0, w, h,
                       RV_GetBackColor(GetColor(), GetColorMode()), false);
        } catch (...) {
            back->SetBackgroundStyle(oldStyle);
            throw;
        }
        back->SetBackgroundStyle(oldStyle);
        RV_PictureToDevice(canvas, GetPrintableAreaLeft(pageNo), GetPrintableAreaTop(), -1, -1, sad,
                           BackBitmap, false);
    } else if (!NoBackColor && GetColor() != clNone) {
        canvas->Pen()->SetStyle(psClear);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(RV_GetBackColor(GetColor(), GetColorMode()));
        const int l = GetPrintableAreaLeft(pageNo);
        const int t = GetPrintableAreaTop();
        canvas->FillRect(Rect(l, t, l + GetWidth(), t + GetHeight()));
        canvas->Brush()->SetStyle(bsClear);
        canvas->Pen()->SetStyle(psSolid);
    }
    DoPagePrepaint(canvas, pageNo, preview, correction);
}

void TCustomPrintableRVData::DrawParaBackAndBorder(TCanvas* canvas, int i, int EndNo, int Part, int startNo,
                                                   int topCoord, int areaLeft, const TRVScreenAndDevice& sad)
{
    TRVStyle* style = GetRVStyle();
    const TRVDrawLineInfo* dli = DrawItems[i];
    const TCustomRVItemInfo* item = GetItem(dli->ItemNo);
    const TParaInfo* para = style->ParaStyles()->Items(item->ParaNo);
    if (para->Border()->Style() == rvbNone && para->Background()->Color() == clNone && !style->OnDrawParaBack)
        return;
    // The extent of a draw item on this page: a leading part fills the top.
    auto extent = [&](int j, int& top, int& bottom) {
        const TRVDrawLineInfo* d = DrawItems[j];
        if (j == startNo && Part >= 0) {
            top = 0;
            bottom = PartHeight(d, Part);
        } else if (j == EndNo && j != startNo && IsSplit(d)) {
            top = d->Top;
            bottom = d->Top + PartHeight(d, 0);
        } else {
            top = d->Top;
            bottom = d->Top + d->Height + d->ExtraSpaceBelow;
        }
    };
    int left = areaLeft + RV_XToDevice(GetLeftMargin() + para->LeftIndent(), sad);
    if (para->FirstIndent() < 0)
        left += RV_XToDevice(para->FirstIndent(), sad);
    const int right = areaLeft + GetWidth() - RV_XToDevice(GetRightMargin() + para->RightIndent(), sad);
    int top = 0;
    int bottom = 0;
    extent(i, top, bottom);
    for (int j = i + 1; j <= EndNo; ++j) {
        if (DrawItems[j]->ItemNo != DrawItems[j - 1]->ItemNo &&
            GetItem(DrawItems[j]->ItemNo)->CanBeBorderStart())
            break;
        int t = 0;
        int b = 0;
        extent(j, t, b);
        top = std::min(top, t);
        bottom = std::max(bottom, b);
    }
    const TRect r = Rect(left, top - topCoord, right, bottom - topCoord);
    TRect backRect = r;
    para->Background()->PrepareDrawSaD(backRect, sad);
    style->DrawParaBack(canvas, item->ParaNo, backRect, true, GetColorMode());
    para->Border()->DrawSaD(r, canvas, sad, GetColorMode());
}

void TCustomPrintableRVData::DrawTextItem(TCanvas* canvas, int i, int topCoord, int areaLeft,
                                          const TRVScreenAndDevice& sad, bool preview, bool correction)
{
    TRVStyle* style = GetRVStyle();
    const TRVDrawLineInfo* dli = DrawItems[i];
    const TCustomRVItemInfo* item = GetItem(dli->ItemNo);
    const TFontInfo* textStyle = style->TextStyles()->Items(item->StyleNo);
    const TRVBiDiMode paraBiDi = GetParaBiDiMode(item->ParaNo);
    style->ApplyStyleColor(canvas, item->StyleNo, TRVTextDrawStates(), true, GetColorMode());
    style->ApplyStyle(canvas, item->StyleNo, paraBiDi);
    TRVBiDiMode biDi = textStyle->BiDiMode();
    if (biDi == rvbdUnspecified)
        biDi = paraBiDi;
    // Every run sets its own spacing, so that none inherits the last one's.
    canvas->SetTextCharacterExtra(biDi == rvbdUnspecified && textStyle->CharSpacing() != 0
                                      ? RV_XToDevice(textStyle->CharSpacing(), sad)
                                      : 0);
    const int left = dli->Left + areaLeft;
    const int top = dli->Top - topCoord;
    style->DrawTextBack(canvas, dli->ItemNo, item->StyleNo, this, left, top, dli->Width, dli->Height,
                        TRVTextDrawStates());
    style->DrawStyleText(DrawItems.GetStringView(i, Items), canvas, dli->ItemNo, dli->Offs, item->StyleNo,
                         this, dli->SpaceBefore, left, top, dli->Width, dli->Height, TRVTextDrawStates(),
                         true, preview && correction, GetColorMode(), GetItemBiDiMode(dli->ItemNo));
}

void TCustomPrintableRVData::DrawNonTextItem(TCanvas* canvas, TRVDrawLineInfo* dli, int i, int startNo,
                                             int& part, int& topCoord, int areaLeft,
                                             const TRVScreenAndDevice& sad, TBitmap* work, bool preview,
                                             bool correction)
{
    TRVStyle* style = GetRVStyle();
    TCustomRVItemInfo* item = GetItem(dli->ItemNo);
    CurrentItemTop = (part > 0 || (part == 0 && i == startNo)) ? -topCoord : dli->Top - topCoord;
    auto* viewer = dynamic_cast<TRVPrintingViewer*>(RollView());
    if (item->GetBoolValueEx(rvbpPrintToBMP, style)) {
        int w;
        if (item->GetBoolValue(rvbpFullWidth))
            w = RV_XToScreen(GetWidth() - RV_XToDevice(GetRightMargin(), sad) - dli->Left, sad);
        else
            w = item->GetImageWidth(style);
        int h = part >= 0 ? RV_YToScreen(PartHeight(dli, part), sad) : item->GetImageHeight(style);
        // An item laid out smaller than its picture (scaled down to fit the
        // page) is painted at the size it was given.
        if (item->GetBoolValueEx(rvbpActualPrintSize, style) && !item->GetBoolValue(rvbpFullWidth)) {
            w = std::min(w, std::max(1, RV_XToScreen(dli->Width, sad) - 2 * item->GetBorderWidth()));
            if (part < 0)
                h = std::min(h, std::max(1, RV_YToScreen(dli->Height, sad) - 2 * item->GetBorderHeight()));
        }
        if (w > 0 && h > 0) {
            work->SetSize(w, h);
            DrawBackToBitmap(RV_XToScreen(dli->Left, sad) + item->GetBorderWidth(),
                             RV_YToScreen(CurrentItemTop - GetPrintableAreaTop(), sad) +
                                 item->GetBorderHeight(),
                             work, sad, -1, false);
            if (item->PrintToBitmap(work, preview, viewer, dli, part, GetColorMode()))
                RV_PictureToDevice(canvas, dli->Left + areaLeft + RV_XToDevice(item->GetBorderWidth(), sad),
                                   CurrentItemTop + RV_YToDevice(item->GetBorderHeight(), sad), -1, -1, sad,
                                   work, false);
        }
    } else {
        item->Print(canvas, dli->Left + areaLeft, CurrentItemTop,
                    GetWidth() + areaLeft - RV_XToDevice(GetRightMargin(), sad), preview, correction, sad,
                    viewer, dli, part, GetColorMode(), this);
    }
    if (part != -1) {
        if (i == startNo)
            topCoord = GetTopCoord2(CurrentPageNo);
        part = -1;
    }
}

void TCustomPrintableRVData::DrawBackToBitmap(int left, int top, TBitmap* bitmap,
                                              const TRVScreenAndDevice& sad, int itemBackgroundLayer,
                                              bool relativeToItem)
{
    const TCustomRVItemInfo* item = CurrentDrawItem ? GetItem(CurrentDrawItem->ItemNo) : nullptr;
    if (relativeToItem && CurrentDrawItem) {
        left += RV_XToScreen(CurrentDrawItem->Left, sad);
        top += RV_YToScreen(CurrentItemTop - GetPrintableAreaTop(), sad);
    }
    TColor paraColor = clNone;
    if (item)
        paraColor = GetRVStyle()->ParaStyles()->Items(item->ParaNo)->Background()->Color();
    TCanvas* c = bitmap->Canvas();
    if (paraColor != clNone || BackBitmap == nullptr) {
        TColor color = paraColor != clNone ? paraColor : GetColor();
        if (color == clNone)
            color = clWhite;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(RV_GetBackColor(color, GetColorMode()));
        c->FillRect(Rect(0, 0, bitmap->Width(), bitmap->Height()));
    } else {
        c->CopyRect(Rect(0, 0, bitmap->Width(), bitmap->Height()), BackBitmap->Canvas(),
                    Rect(left, top, left + bitmap->Width(), top + bitmap->Height()));
    }
    if (itemBackgroundLayer != 0 && CurrentDrawItem)
        GetItem(CurrentDrawItem->ItemNo)
            ->DrawBackgroundForPrinting(c, Rect(0, 0, bitmap->Width(), bitmap->Height()),
                                        Rect(0, 0, bitmap->Width(), bitmap->Height()), GetColorMode(),
                                        itemBackgroundLayer);
}
