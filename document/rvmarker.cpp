// The list-marker item: its level, size, painting and printing, its RVF
// header fields, its styles and its plain text.
#include "document/rvmarker.h"

#include <algorithm>
#include <climits>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"

namespace {

bool IsImageListType(TRVListType ListType)
{
    return ListType == rvlstImageList || ListType == rvlstImageListCounter;
}

// The level's marker font on the canvas: height for the text styles'
// PixelsPerInch when they have one, no character extra, left/top alignment.
void ApplyLevelFont(TCanvas* Canvas, TRVListLevel* Level, TRVStyle* RVStyle)
{
    TRVMarkerFont* Font = Level->Font();
    Canvas->SetFont(Font);
    const int PixelsPerInch = RVStyle != nullptr ? RVStyle->TextStyles()->PixelsPerInch() : 0;
    if (PixelsPerInch != 0 && Font->Size() > 0)
        Canvas->Font()->SetHeight(-MulDiv(Font->Size(), PixelsPerInch, 72));
    Canvas->SetTextCharacterExtra(0);
    Canvas->SetTextAlign(0);
}

// The image of an image-list level: ImageIndex, plus the counter for counting lists.
int64_t LevelImageIndex(const TRVListLevel* Level, int Counter)
{
    int64_t Index = Level->ImageIndex();
    if (Level->ListType() == rvlstImageListCounter)
        Index += static_cast<int64_t>(Counter) - 1;
    return Index;
}

} // namespace

TRVListLevel* RVGetLevelInfo(TRVStyle* RVStyle, int ListNo, int Level)
{
    if (RVStyle == nullptr || ListNo < 0 || Level < 0)
        return nullptr;
    // List numbers and levels come from documents: none outside the style sheet.
    TRVListInfos* Lists = RVStyle->ListStyles();
    if (ListNo >= Lists->Count())
        return nullptr;
    TRVListLevelCollection* Levels = Lists->Items(ListNo)->Levels();
    if (Levels->Count() == 0)
        return nullptr;
    return Levels->Items(std::min(Level, Levels->Count() - 1));
}

// ---------------------------------------------------------------------------
// Construction and level

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData)
{
    ItemOptions.Exclude(rvioSameAsPrev);
}

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* RVData, int AListNo, int ALevel, int AStartFrom,
                                     bool AReset)
    : TRVRectItemInfo(RVData)
{
    StyleNo = rvsListMarker;
    ItemOptions.Exclude(rvioSameAsPrev);
    ListNo = AListNo;
    Level = ALevel;
    StartFrom = AStartFrom;
    Reset = AReset;
}

TRVItemClass TRVMarkerItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVMarkerItemInfo>();
}

TRVListLevel* TRVMarkerItemInfo::GetLevelInfo(TRVStyle* RVStyle) const
{
    return RVGetLevelInfo(RVStyle, ListNo, Level);
}

TRVListLevel* TRVMarkerItemInfo::GetLevelInfoEx(TRVStyle* RVStyle, int ALevel) const
{
    return RVGetLevelInfo(RVStyle, ListNo, ALevel);
}

int TRVMarkerItemInfo::GetIndexInList(TRVMarkerList* List)
{
    if (List == nullptr)
        return -1;
    if (FCachedIndexInList >= 0 && FCachedIndexInList < List->Count() &&
        List->Get(FCachedIndexInList) == this)
        return FCachedIndexInList;
    FCachedIndexInList = List->IndexOfMarker(this);
    return FCachedIndexInList;
}

// ---------------------------------------------------------------------------
// Capabilities and sizes

bool TRVMarkerItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    if (Prop == rvbpDrawingChangesFont || Prop == rvbpCanSaveUnicode)
        return true;
    return TRVRectItemInfo::GetBoolValue(Prop);
}

bool TRVMarkerItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    if (Prop == rvbpPrintToBMP) {
        TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
        if (LevelInfo == nullptr)
            return false;
        if (IsImageListType(LevelInfo->ListType()))
            return true;
        if (LevelInfo->ListType() == rvlstPicture && LevelInfo->HasPicture())
            return dynamic_cast<const TMetafile*>(LevelInfo->Picture()->Graphic()) == nullptr;
        return false;
    }
    if (Prop == rvbpActualPrintSize)
        return true;
    return TRVRectItemInfo::GetBoolValueEx(Prop, RVStyle);
}

int TRVMarkerItemInfo::GetImageWidth(TRVStyle* RVStyle) const
{
    TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
    if (LevelInfo == nullptr)
        return 0;
    if (LevelInfo->ListType() == rvlstPicture)
        return LevelInfo->HasPicture() ? LevelInfo->Picture()->Width() : 0;
    if (IsImageListType(LevelInfo->ListType()) && LevelInfo->ImageList() != nullptr)
        return LevelInfo->ImageList()->Width();
    return 0;
}

int TRVMarkerItemInfo::GetImageHeight(TRVStyle* RVStyle) const
{
    TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
    if (LevelInfo == nullptr)
        return 0;
    if (LevelInfo->ListType() == rvlstPicture)
        return LevelInfo->HasPicture() ? LevelInfo->Picture()->Height() : 0;
    if (IsImageListType(LevelInfo->ListType()) && LevelInfo->ImageList() != nullptr)
        return LevelInfo->ImageList()->Height();
    return 0;
}

TRVMarkerItemInfo::TMarkerSize TRVMarkerItemInfo::CalcSize(TCanvas* Canvas, TRVStyle* RVStyle,
                                                           const TRVScreenAndDevice* sad,
                                                           bool RightToLeft) const
{
    TMarkerSize Size;
    TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
    if (LevelInfo == nullptr)
        return Size;
    auto ScaleX = [sad](int v) { return sad != nullptr ? MulDiv(v, sad->DevicePpiX, sad->ScreenPpiX) : v; };
    auto ScaleY = [sad](int v) { return sad != nullptr ? MulDiv(v, sad->DevicePpiY, sad->ScreenPpiY) : v; };
    int W = 0;
    const TRVListType ListType = LevelInfo->ListType();
    if (ListType == rvlstPicture || IsImageListType(ListType)) {
        W = ScaleX(GetImageWidth(RVStyle));
        Size.Height = ScaleY(GetImageHeight(RVStyle));
    } else if (Canvas != nullptr) {
        ApplyLevelFont(Canvas, LevelInfo, RVStyle);
        ::TSize Extent;
        if (ListType == rvlstUnicodeBullet) {
            const WideString& s = LevelInfo->FormatStringW();
            Canvas->GetTextExtentPoint32W(s.data(), static_cast<int>(s.size()), Extent);
        } else {
            Canvas->GetTextExtentPoint32A(DisplayString.data(), static_cast<int>(DisplayString.size()),
                                          Extent);
        }
        W = Extent.cx;
        Size.Height = Extent.cy;
        TTextMetric Metrics;
        if (Canvas->GetTextMetrics(Metrics))
            Size.Descent = Metrics.tmDescent;
    }
    Size.ContentWidth = W;
    // a: the part of the content left of the marker position, b: right of it.
    int a = 0, b = W;
    if (LevelInfo->MarkerAlignment() == rvmaRight) {
        a = W;
        b = 0;
    } else if (LevelInfo->MarkerAlignment() == rvmaCenter) {
        b = W / 2;
        a = W - b;
    }
    const int Room = ScaleX(LevelInfo->LeftIndent() + LevelInfo->FirstIndent() - LevelInfo->MarkerIndent());
    b = std::max(b, Room);
    Size.MinWidth = b;
    Size.Width = a + b;
    Size.Offset = RightToLeft ? a : -a;
    Size.ContentShift = RightToLeft ? a + b - W : 0;
    return Size;
}

int TRVMarkerItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* RVData)
{
    TRVStyle* RVStyle = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
    return CalcSize(Canvas, RVStyle, sad, false).MinWidth;
}

void TRVMarkerItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, bool Printing, TCanvas* Canvas,
                                         TCustomRVData* RVData, const TRVScreenAndDevice* sad, int& HShift,
                                         int& Desc, bool Reformat)
{
    (void)DocWidth;
    (void)Reformat;
    TRVStyle* RVStyle = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
    const bool RightToLeft = RVData != nullptr && RVData->GetParaBiDiMode(ParaNo) == rvbdRightToLeft;
    const TMarkerSize Size = CalcSize(Canvas, RVStyle, sad, RightToLeft);
    if (dli != nullptr) {
        dli->SetSize(Size.Width, Size.Height);
        dli->MarkerOffset = Size.Offset;
    }
    HShift = Size.ContentShift;
    Desc = Size.Descent;
    // Printing lays the shared items out at the printer's resolution: the
    // marker keeps its screen size for the viewer.
    if (!Printing) {
        Width = Size.Width;
        Height = Size.Height;
        Descent = Size.Descent;
        Overhang = Size.Offset;
    }
}

// ---------------------------------------------------------------------------
// Painting and printing

void TRVMarkerItemInfo::DoPaint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
                                TRVDrawLineInfo* dli, TRVColorMode ColorMode) const
{
    (void)State;
    if (ListNo < 0 || Level < 0)
        return;
    if (dli != nullptr)
        X += dli->MarkerOffset;
    TRVListLevel* LevelInfo = GetLevelInfo(Style);
    if (LevelInfo == nullptr)
        return;
    switch (LevelInfo->ListType()) {
    case rvlstPicture:
        if (LevelInfo->HasPicture())
            Canvas->Draw(X, Y, LevelInfo->Picture()->Graphic());
        return;
    case rvlstImageList:
    case rvlstImageListCounter: {
        const TCustomImageList* List = LevelInfo->ImageList();
        const int64_t Index = LevelImageIndex(LevelInfo, Counter);
        if (List != nullptr && Index >= 0 && Index < List->Count())
            List->Draw(Canvas, X, Y, static_cast<int>(Index));
        return;
    }
    default:
        break;
    }
    ApplyLevelFont(Canvas, LevelInfo, Style);
    Canvas->Font()->SetColor(RV_GetColor(LevelInfo->Font()->Color(), ColorMode));
    Canvas->Brush()->SetStyle(bsClear);
    if (LevelInfo->ListType() == rvlstUnicodeBullet) {
        const WideString& s = LevelInfo->FormatStringW();
        Canvas->TextOutW(X, Y, s.data(), static_cast<int>(s.size()));
    } else {
        Canvas->TextOut(X, Y, DisplayString);
    }
}

void TRVMarkerItemInfo::Paint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
                              TRVDrawLineInfo* dli)
{
    DoPaint(X, Y, Canvas, State, Style, dli, rvcmColor);
}

void TRVMarkerItemInfo::Print(TCanvas* Canvas, int X, int Y, int X2, bool Preview, bool Correction,
                              const TRVScreenAndDevice& sad, TRVPrintingViewer* RichView,
                              TRVDrawLineInfo* dli, int Part, TRVColorMode ColorMode, TCustomRVData* RVData)
{
    (void)X2;
    (void)Preview;
    (void)Correction;
    (void)sad;
    (void)Part;
    (void)RVData;
    DoPaint(X, Y, Canvas, TRVItemDrawStates{rvidsPrinting},
            RichView != nullptr ? RichView->GetPrintRVStyle() : nullptr, dli, ColorMode);
}

bool TRVMarkerItemInfo::PrintToBitmap(TBitmap* Bkgnd, bool Preview, TRVPrintingViewer* RichView,
                                      TRVDrawLineInfo* dli, int Part, TRVColorMode ColorMode)
{
    (void)Preview;
    (void)dli;
    (void)Part;
    // The bitmap is the marker's own picture: drawn at its corner.
    DoPaint(0, 0, Bkgnd->Canvas(), TRVItemDrawStates{rvidsPrinting},
            RichView != nullptr ? RichView->GetPrintRVStyle() : nullptr, nullptr, ColorMode);
    return true;
}

// ---------------------------------------------------------------------------
// Copying, RVF header, styles

void TRVMarkerItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Marker = dynamic_cast<const TRVMarkerItemInfo*>(Source)) {
        ListNo = Marker->ListNo;
        Level = Marker->Level;
        StartFrom = Marker->StartFrom;
        Reset = Marker->Reset;
    }
    TRVRectItemInfo::Assign(Source);
}

AnsiString TRVMarkerItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return Format("%d %d %d %d", {ListNo, Level, StartFrom, Reset ? 1 : 0});
}

void TRVMarkerItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int, int ParaNo, const AnsiString&,
                                TRVMultiDrawItemPart*, bool)
{
    WriteRVFHeader(Stream, RVData, ParaNo, 0, 0, false);
}

bool TRVMarkerItemInfo::ReadRVFHeader(TRVFLineCursor& P, TCustomRVData*)
{
    int AListNo = 0, ALevel = 0, AStartFrom = 0, AReset = 0;
    if (!RVFReadInteger(P, AListNo) || !RVFReadInteger(P, ALevel) || !RVFReadInteger(P, AStartFrom) ||
        !RVFReadInteger(P, AReset))
        return false;
    ListNo = AListNo;
    Level = ALevel;
    StartFrom = AStartFrom;
    Reset = AReset != 0;
    return true;
}

// ---------------------------------------------------------------------------
// Undo: a marker in the undo list is no part of the numbering

void TRVMarkerItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* RVData, TObject* AContainerUndoItem)
{
    TRVRectItemInfo::MovingToUndoList(ItemNo, RVData, AContainerUndoItem);
    // The markers after it are numbered without it.
    if (RVData != nullptr)
        RVData->DeleteMarkerFromList(this, false);
}

void TRVMarkerItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* RVData)
{
    TRVRectItemInfo::MovingFromUndoList(ItemNo, RVData);
    // Back at ItemNo, it takes its place in document order and counts again.
    if (RVData != nullptr && ItemNo >= 0 && ItemNo < RVData->GetItemCount() &&
        RVData->GetItem(ItemNo) == this)
        RVData->AddMarkerInList(ItemNo);
}

void TRVMarkerItemInfo::MarkStylesInUse(TRVIntegerList* UsedTextStyles, TRVIntegerList* UsedParaStyles,
                                        TRVIntegerList* UsedListStyles)
{
    TRVRectItemInfo::MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
    if (UsedListStyles != nullptr && ListNo >= 0 && ListNo < UsedListStyles->Count())
        UsedListStyles->Put(ListNo, 1);
}

void TRVMarkerItemInfo::UpdateStyles(TRVIntegerList* TextStylesShift, TRVIntegerList* ParaStylesShift,
                                     TRVIntegerList* ListStylesShift)
{
    TRVRectItemInfo::UpdateStyles(TextStylesShift, ParaStylesShift, ListStylesShift);
    if (ListStylesShift != nullptr && ListNo >= 0 && ListNo < ListStylesShift->Count())
        ListNo -= ListStylesShift->Get(ListNo) - 1;
}

void TRVMarkerItemInfo::FillRTFTables(TRVColorList* ColorList, TRVIntegerList* ListOverrideCountList,
                                      TCustomRVData* RVData)
{
    (void)ColorList;
    if (!Reset || ListNo < 0 || Level < 0 || ListOverrideCountList == nullptr || RVData == nullptr)
        return;
    const TRVListLevel* LevelInfo = GetLevelInfo(RVData->GetRVStyle());
    if (LevelInfo == nullptr || !LevelInfo->HasNumbering() || LevelInfo->ListType() == rvlstImageListCounter)
        return;
    if (ListNo < ListOverrideCountList->Count())
        ListOverrideCountList->Put(ListNo, ListOverrideCountList->Get(ListNo) + 1);
}

// ---------------------------------------------------------------------------
// Plain text

namespace {

// The Symbol font's bullets and arrows as readable text.
AnsiString ReplaceSymbolChars(AnsiString s)
{
    static const struct {
        char Symbol;
        const char* Text;
    } Replacements[] = {{'\xA7', "*"},   {'\xA8', "*"},  {'\xA9', "*"},   {'\xAA', "*"},  {'\xB7', "*"},
                        {'\xD7', "*"},   {'\xE0', "*"},  {'\xDB', "<=>"}, {'\xDC', "<="}, {'\xDE', "=>"},
                        {'\xAB', "<->"}, {'\xAC', "<-"}, {'\xAE', "->"}};
    for (const auto& r : Replacements)
        RV_ReplaceStr(s, AnsiString(1, r.Symbol), r.Text);
    return s;
}

// Raw UTF-16 text in the ANSI code page, each character that the code page
// cannot show ("?" where the source has none) written as "*".
AnsiString UnicodeBulletToAnsi(const WideString& w)
{
    AnsiString Result;
    for (size_t i = 0; i < w.size(); ++i) {
        size_t n = 1;
        if (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF)
            n = 2;
        const AnsiString Ansi = RVU_UnicodeToAnsi(0, RVU_GetRawUnicode(w.substr(i, n)));
        Result += (Ansi == "?" && w[i] != u'?') ? AnsiString("*") : Ansi;
        i += n - 1;
    }
    return Result;
}

} // namespace

AnsiString TRVMarkerItemInfo::AsText(int LineWidth, TCustomRVData* RVData, const AnsiString& Text,
                                     const AnsiString& Path, bool TextOnly, bool Unicode)
{
    (void)LineWidth;
    (void)Text;
    (void)Path;
    (void)TextOnly;
    TRVListLevel* LevelInfo = GetLevelInfo(RVData != nullptr ? RVData->GetRVStyle() : nullptr);
    if (LevelInfo == nullptr)
        return AnsiString();
    AnsiString s;
    switch (LevelInfo->ListType()) {
    case rvlstUnicodeBullet: {
        const WideString w = LevelInfo->FormatStringW() + u" ";
        return Unicode ? RVU_GetRawUnicode(w) : UnicodeBulletToAnsi(w);
    }
    case rvlstPicture:
    case rvlstImageList:
    case rvlstImageListCounter:
        s = "* ";
        break;
    default:
        s = DisplayString;
        if (CompareText(LevelInfo->Font()->Name(), "Symbol") == 0)
            s = ReplaceSymbolChars(s);
        s += " ";
        break;
    }
    return Unicode ? RVU_AnsiToUnicode(0, s) : s;
}
