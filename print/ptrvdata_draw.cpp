// Painting one page of printable data: the page background by colour mode or
// picture, paragraph backgrounds and borders (each block measured once), text
// with its letter spacing, non-text items through a work bitmap or their own
// printing, the parts of split draw items, and the page events. The caller's
// canvas keeps its clip, origins, character extra and font.
#include <algorithm>
#include <memory>

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
    explicit TCanvasStateKeeper(TCanvas* Canvas) : FCanvas(Canvas), FFont(std::make_unique<TFont>())
    {
        FFont->Assign(Canvas->Font());
        FBrush.Assign(Canvas->Brush());
        FPen.Assign(Canvas->Pen());
        FLevel = Canvas->SaveDC();
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

TColor PageColorByMode(TColor Color, TRVColorMode Mode)
{
    switch (Mode) {
    case rvcmColor:
        return Color;
    case rvcmPrinterColor:
        return RV_GetPrnColor(Color);
    case rvcmGrayScale:
        return RV_GetGray(RV_GetPrnColor(Color));
    case rvcmBlackAndWhite:
    case rvcmBlackOnWhite:
        break;
    }
    return clWhite;
}

// The height of a split draw item's part, or of the whole draw item.
int PartHeight(const TRVDrawLineInfo* dli, int Part)
{
    auto* Multi = dynamic_cast<const TRVMultiDrawItemInfo*>(dli);
    if (Multi && Part >= 0 && Part < Multi->PartsList.Count())
        return Multi->GetPart(Part)->Height;
    return dli->Height;
}

bool IsSplit(const TRVDrawLineInfo* dli)
{
    auto* Multi = dynamic_cast<const TRVMultiDrawItemInfo*>(dli);
    return Multi && Multi->PartsList.Count() > 0;
}

} // namespace

void TCustomPrintableRVData::DrawPage(int PageNo, TCanvas* Canvas, bool Preview, bool Correction)
{
    CurrentPageNo = PageNo;
    TRVStyle* Style = GetRVStyle();
    if (Style == nullptr)
        throw ERollViewError(errRVNoStyleForPrinting);
    TCanvasStateKeeper Keeper(Canvas);
    std::unique_ptr<TBitmap> Work;
    struct TCleanup {
        TCustomPrintableRVData& Data;
        ~TCleanup()
        {
            delete Data.BackBitmap;
            Data.BackBitmap = nullptr;
            Data.CurrentDrawItem = nullptr;
        }
    } Cleanup{*this};

    TRVScreenAndDevice sad;
    GetSADForFormatting(Canvas, sad);
    int StartNo = 0;
    int EndNo = -1;
    int Part = -1;
    GetDrawItemsRange(PageNo, StartNo, EndNo, Part);
    int TopCoord = GetTopCoord(PageNo);
    const int AreaLeft = GetPrintableAreaLeft(PageNo);
    Canvas->Brush()->SetStyle(bsClear);

    DrawPageBackground(Canvas, PageNo, sad, Preview, Correction);
    Work = std::make_unique<TBitmap>();

    for (int i = StartNo; i <= EndNo; ++i) {
        TRVDrawLineInfo* dli = DrawItems[i];
        TCustomRVItemInfo* Item = GetItem(dli->ItemNo);
        CurrentDrawItem = dli;
        if (i == EndNo && EndNo != StartNo && IsSplit(dli))
            Part = 0;
        const bool BlockStart =
            i == StartNo || (DrawItems[i - 1]->ItemNo != dli->ItemNo && Item->CanBeBorderStart());
        if (BlockStart && Item->StyleNo != rvsBreak)
            DrawParaBackAndBorder(Canvas, i, EndNo, Part, StartNo, TopCoord, AreaLeft, sad);
        if (Item->StyleNo >= 0)
            DrawTextItem(Canvas, i, TopCoord, AreaLeft, sad, Preview, Correction);
        else
            DrawNonTextItem(Canvas, dli, i, StartNo, Part, TopCoord, AreaLeft, sad, Work.get(), Preview,
                            Correction);
    }
    DoPagePostpaint(Canvas, PageNo, Preview);
}

void TCustomPrintableRVData::DrawPageBackground(TCanvas* Canvas, int PageNo, const TRVScreenAndDevice& sad,
                                                bool Preview, bool Correction)
{
    const int W = RV_XToScreen(GetWidth(), sad);
    const int H = RV_YToScreen(GetHeight(), sad);
    TRVBackground* Back = GetBack();
    if (Back && Back->BackgroundStyle() != bsNoBitmap && Back->Image() && !Back->Image()->Empty() && W > 0 &&
        H > 0) {
        const TBackgroundStyle OldStyle = Back->BackgroundStyle();
        if (OldStyle == bsTiledAndScrolled)
            Back->SetBackgroundStyle(bsTiled);
        BackBitmap = new TBitmap;
        BackBitmap->SetSize(W, H);
        try {
            Back->Draw(BackBitmap->Canvas(), Rect(0, 0, W, H), 0, 0, 0, 0, W, H,
                       PageColorByMode(GetColor(), GetColorMode()), false);
        } catch (...) {
            Back->SetBackgroundStyle(OldStyle);
            throw;
        }
        Back->SetBackgroundStyle(OldStyle);
        RV_PictureToDevice(Canvas, GetPrintableAreaLeft(PageNo), GetPrintableAreaTop(), -1, -1, sad,
                           BackBitmap, false);
    } else if (!NoBackColor && GetColor() != clNone) {
        Canvas->Pen()->SetStyle(psClear);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(PageColorByMode(GetColor(), GetColorMode()));
        const int L = GetPrintableAreaLeft(PageNo);
        const int T = GetPrintableAreaTop();
        Canvas->FillRect(Rect(L, T, L + GetWidth(), T + GetHeight()));
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Pen()->SetStyle(psSolid);
    }
    DoPagePrepaint(Canvas, PageNo, Preview, Correction);
}

void TCustomPrintableRVData::DrawParaBackAndBorder(TCanvas* Canvas, int i, int EndNo, int Part, int StartNo,
                                                   int TopCoord, int AreaLeft, const TRVScreenAndDevice& sad)
{
    TRVStyle* Style = GetRVStyle();
    const TRVDrawLineInfo* dli = DrawItems[i];
    const TCustomRVItemInfo* Item = GetItem(dli->ItemNo);
    const TParaInfo* Para = Style->ParaStyles()->Items(Item->ParaNo);
    if (Para->Border()->Style() == rvbNone && Para->Background()->Color() == clNone && !Style->OnDrawParaBack)
        return;
    // The extent of a draw item on this page: a leading part fills the top.
    auto Extent = [&](int j, int& Top, int& Bottom) {
        const TRVDrawLineInfo* d = DrawItems[j];
        if (j == StartNo && Part >= 0) {
            Top = 0;
            Bottom = PartHeight(d, Part);
        } else if (j == EndNo && j != StartNo && IsSplit(d)) {
            Top = d->Top;
            Bottom = d->Top + PartHeight(d, 0);
        } else {
            Top = d->Top;
            Bottom = d->Top + d->Height + d->ExtraSpaceBelow;
        }
    };
    int Left = AreaLeft + RV_XToDevice(GetLeftMargin() + Para->LeftIndent(), sad);
    if (Para->FirstIndent() < 0)
        Left += RV_XToDevice(Para->FirstIndent(), sad);
    const int Right = AreaLeft + GetWidth() - RV_XToDevice(GetRightMargin() + Para->RightIndent(), sad);
    int Top = 0;
    int Bottom = 0;
    Extent(i, Top, Bottom);
    for (int j = i + 1; j <= EndNo; ++j) {
        if (DrawItems[j]->ItemNo != DrawItems[j - 1]->ItemNo &&
            GetItem(DrawItems[j]->ItemNo)->CanBeBorderStart())
            break;
        int T = 0;
        int B = 0;
        Extent(j, T, B);
        Top = std::min(Top, T);
        Bottom = std::max(Bottom, B);
    }
    const TRect R = Rect(Left, Top - TopCoord, Right, Bottom - TopCoord);
    TRect BackRect = R;
    Para->Background()->PrepareDrawSaD(BackRect, sad);
    Style->DrawParaBack(Canvas, Item->ParaNo, BackRect, true, GetColorMode());
    Para->Border()->DrawSaD(R, Canvas, sad, GetColorMode());
}

void TCustomPrintableRVData::DrawTextItem(TCanvas* Canvas, int i, int TopCoord, int AreaLeft,
                                          const TRVScreenAndDevice& sad, bool Preview, bool Correction)
{
    TRVStyle* Style = GetRVStyle();
    const TRVDrawLineInfo* dli = DrawItems[i];
    const TCustomRVItemInfo* Item = GetItem(dli->ItemNo);
    const TFontInfo* TextStyle = Style->TextStyles()->Items(Item->StyleNo);
    const TRVBiDiMode ParaBiDi = GetParaBiDiMode(Item->ParaNo);
    Style->ApplyStyleColor(Canvas, Item->StyleNo, TRVTextDrawStates(), true, GetColorMode());
    Style->ApplyStyle(Canvas, Item->StyleNo, ParaBiDi);
    TRVBiDiMode BiDi = TextStyle->BiDiMode();
    if (BiDi == rvbdUnspecified)
        BiDi = ParaBiDi;
    // Every run sets its own spacing, so that none inherits the last one's.
    Canvas->SetTextCharacterExtra(BiDi == rvbdUnspecified && TextStyle->CharSpacing() != 0
                                      ? RV_XToDevice(TextStyle->CharSpacing(), sad)
                                      : 0);
    const int Left = dli->Left + AreaLeft;
    const int Top = dli->Top - TopCoord;
    Style->DrawTextBack(Canvas, dli->ItemNo, Item->StyleNo, this, Left, Top, dli->Width, dli->Height,
                        TRVTextDrawStates());
    const AnsiString Text = DrawItems.GetString(i, Items);
    Style->DrawStyleText(Text, Canvas, dli->ItemNo, dli->Offs, Item->StyleNo, this, dli->SpaceBefore, Left,
                         Top, dli->Width, dli->Height, TRVTextDrawStates(), true, Preview && Correction,
                         GetColorMode(), GetItemBiDiMode(dli->ItemNo));
}

void TCustomPrintableRVData::DrawNonTextItem(TCanvas* Canvas, TRVDrawLineInfo* dli, int i, int StartNo,
                                             int& Part, int& TopCoord, int AreaLeft,
                                             const TRVScreenAndDevice& sad, TBitmap* Work, bool Preview,
                                             bool Correction)
{
    TRVStyle* Style = GetRVStyle();
    TCustomRVItemInfo* Item = GetItem(dli->ItemNo);
    CurrentItemTop = (Part > 0 || (Part == 0 && i == StartNo)) ? -TopCoord : dli->Top - TopCoord;
    auto* Viewer = dynamic_cast<TRVPrintingViewer*>(RollView());
    if (Item->GetBoolValueEx(rvbpPrintToBMP, Style)) {
        int W;
        if (Item->GetBoolValue(rvbpFullWidth))
            W = RV_XToScreen(GetWidth() - RV_XToDevice(GetRightMargin(), sad) - dli->Left, sad);
        else
            W = Item->GetImageWidth(Style);
        const int H = Part >= 0 ? RV_YToScreen(PartHeight(dli, Part), sad) : Item->GetImageHeight(Style);
        if (W > 0 && H > 0) {
            Work->SetSize(W, H);
            DrawBackToBitmap(RV_XToScreen(dli->Left, sad) + Item->GetBorderWidth(),
                             RV_YToScreen(CurrentItemTop - GetPrintableAreaTop(), sad) +
                                 Item->GetBorderHeight(),
                             Work, sad, -1, false);
            if (Item->PrintToBitmap(Work, Preview, Viewer, dli, Part, GetColorMode()))
                RV_PictureToDevice(Canvas, dli->Left + AreaLeft + RV_XToDevice(Item->GetBorderWidth(), sad),
                                   CurrentItemTop + RV_YToDevice(Item->GetBorderHeight(), sad), -1, -1, sad,
                                   Work, false);
        }
    } else {
        Item->Print(Canvas, dli->Left + AreaLeft, CurrentItemTop,
                    GetWidth() + AreaLeft - RV_XToDevice(GetRightMargin(), sad), Preview, Correction, sad,
                    Viewer, dli, Part, GetColorMode(), this);
    }
    if (Part != -1) {
        if (i == StartNo)
            TopCoord = GetTopCoord2(CurrentPageNo);
        Part = -1;
    }
}

void TCustomPrintableRVData::DrawBackToBitmap(int Left, int Top, TBitmap* Bitmap,
                                              const TRVScreenAndDevice& sad, int ItemBackgroundLayer,
                                              bool RelativeToItem)
{
    const TCustomRVItemInfo* Item = CurrentDrawItem ? GetItem(CurrentDrawItem->ItemNo) : nullptr;
    if (RelativeToItem && CurrentDrawItem) {
        Left += RV_XToScreen(CurrentDrawItem->Left, sad);
        Top += RV_YToScreen(CurrentItemTop - GetPrintableAreaTop(), sad);
    }
    TColor ParaColor = clNone;
    if (Item)
        ParaColor = GetRVStyle()->ParaStyles()->Items(Item->ParaNo)->Background()->Color();
    TCanvas* C = Bitmap->Canvas();
    if (ParaColor != clNone || BackBitmap == nullptr) {
        TColor Color = ParaColor != clNone ? ParaColor : GetColor();
        if (Color == clNone)
            Color = clWhite;
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(PageColorByMode(Color, GetColorMode()));
        C->FillRect(Rect(0, 0, Bitmap->Width(), Bitmap->Height()));
    } else {
        C->CopyRect(Rect(0, 0, Bitmap->Width(), Bitmap->Height()), BackBitmap->Canvas(),
                    Rect(Left, Top, Left + Bitmap->Width(), Top + Bitmap->Height()));
    }
    if (ItemBackgroundLayer != 0 && CurrentDrawItem)
        GetItem(CurrentDrawItem->ItemNo)
            ->DrawBackgroundForPrinting(C, Rect(0, 0, Bitmap->Width(), Bitmap->Height()),
                                        Rect(0, 0, Bitmap->Width(), Bitmap->Height()), GetColorMode(),
                                        ItemBackgroundLayer);
}
