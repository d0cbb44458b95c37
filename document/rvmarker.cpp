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

bool IsImageListType(TRVListType listType)
{
    return listType == rvlstImageList || listType == rvlstImageListCounter;
}

// The level's marker font on the canvas: height for the text styles'
// PixelsPerInch when they have one, no character extra, left/top alignment.
void ApplyLevelFont(TCanvas* canvas, TRVListLevel* level, TRVStyle* rvStyle)
{
    TRVMarkerFont* font = level->Font();
    canvas->SetFont(font);
    const int pixelsPerInch = rvStyle != nullptr ? rvStyle->TextStyles()->PixelsPerInch() : 0;
    if (pixelsPerInch != 0 && font->Size() > 0)
        canvas->Font()->SetHeight(-MulDiv(font->Size(), pixelsPerInch, 72));
    canvas->SetTextCharacterExtra(0);
    canvas->SetTextAlign(0);
}

// The image of an image-list level: ImageIndex, plus the counter for counting lists.
int64_t LevelImageIndex(const TRVListLevel* level, int counter)
{
    int64_t index = level->ImageIndex();
    if (level->ListType() == rvlstImageListCounter)
        index += static_cast<int64_t>(counter) - 1;
    return index;
}

} // namespace

TRVListLevel* RVGetLevelInfo(TRVStyle* rvStyle, int listNo, int level)
{
    if (rvStyle == nullptr || listNo < 0 || level < 0)
        return nullptr;
    // List numbers and levels come from documents: none outside the style sheet.
    TRVListInfos* lists = rvStyle->ListStyles();
    if (listNo >= lists->Count())
        return nullptr;
    TRVListLevelCollection* levels = lists->Items(listNo)->Levels();
    if (levels->Count() == 0)
        return nullptr;
    return levels->Items(std::min(level, levels->Count() - 1));
}

// ---------------------------------------------------------------------------
// Construction and level

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* rvData) : TRVRectItemInfo(rvData)
{
    ItemOptions.Exclude(rvioSameAsPrev);
}

TRVMarkerItemInfo::TRVMarkerItemInfo(TCustomRVData* rvData, int aListNo, int aLevel, int aStartFrom,
                                     bool aReset)
    : TRVRectItemInfo(rvData)
{
    StyleNo = rvsListMarker;
    ItemOptions.Exclude(rvioSameAsPrev);
    ListNo = aListNo;
    Level = aLevel;
    StartFrom = aStartFrom;
    Reset = aReset;
}

TRVItemClass TRVMarkerItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVMarkerItemInfo>();
}

TRVListLevel* TRVMarkerItemInfo::GetLevelInfo(TRVStyle* rvStyle) const
{
    return RVGetLevelInfo(rvStyle, ListNo, Level);
}

TRVListLevel* TRVMarkerItemInfo::GetLevelInfoEx(TRVStyle* rvStyle, int aLevel) const
{
    return RVGetLevelInfo(rvStyle, ListNo, aLevel);
}

int TRVMarkerItemInfo::GetIndexInList(TRVMarkerList* list)
{
    if (list == nullptr)
        return -1;
    if (FCachedIndexInList >= 0 && FCachedIndexInList < list->Count() &&
        list->Get(FCachedIndexInList) == this)
        return FCachedIndexInList;
    FCachedIndexInList = list->IndexOfMarker(this);
    return FCachedIndexInList;
}

// ---------------------------------------------------------------------------
// Capabilities and sizes

bool TRVMarkerItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    if (prop == rvbpDrawingChangesFont || prop == rvbpCanSaveUnicode)
        return true;
    return TRVRectItemInfo::GetBoolValue(prop);
}

bool TRVMarkerItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    if (prop == rvbpPrintToBMP) {
        TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
        if (levelInfo == nullptr)
            return false;
        if (IsImageListType(levelInfo->ListType()))
            return true;
        if (levelInfo->ListType() == rvlstPicture && levelInfo->HasPicture())
            return dynamic_cast<const TMetafile*>(levelInfo->Picture()->Graphic()) == nullptr;
        return false;
    }
    if (prop == rvbpActualPrintSize)
        return true;
    return TRVRectItemInfo::GetBoolValueEx(prop, rvStyle);
}

int TRVMarkerItemInfo::GetImageWidth(TRVStyle* rvStyle) const
{
    TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
    if (levelInfo == nullptr)
        return 0;
    if (levelInfo->ListType() == rvlstPicture)
        return levelInfo->HasPicture() ? levelInfo->Picture()->Width() : 0;
    if (IsImageListType(levelInfo->ListType()) && levelInfo->ImageList() != nullptr)
        return levelInfo->ImageList()->Width();
    return 0;
}

int TRVMarkerItemInfo::GetImageHeight(TRVStyle* rvStyle) const
{
    TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
    if (levelInfo == nullptr)
        return 0;
    if (levelInfo->ListType() == rvlstPicture)
        return levelInfo->HasPicture() ? levelInfo->Picture()->Height() : 0;
    if (IsImageListType(levelInfo->ListType()) && levelInfo->ImageList() != nullptr)
        return levelInfo->ImageList()->Height();
    return 0;
}

TRVMarkerItemInfo::TMarkerSize TRVMarkerItemInfo::CalcSize(TCanvas* canvas, TRVStyle* rvStyle,
                                                           const TRVScreenAndDevice* sad,
                                                           bool rightToLeft) const
{
    TMarkerSize size;
    TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
    if (levelInfo == nullptr)
        return size;
    auto scaleX = [sad](int v) { return sad != nullptr ? MulDiv(v, sad->DevicePpiX, sad->ScreenPpiX) : v; };
    auto scaleY = [sad](int v) { return sad != nullptr ? MulDiv(v, sad->DevicePpiY, sad->ScreenPpiY) : v; };
    int w = 0;
    const TRVListType listType = levelInfo->ListType();
    if (listType == rvlstPicture || IsImageListType(listType)) {
        w = scaleX(GetImageWidth(rvStyle));
        size.Height = scaleY(GetImageHeight(rvStyle));
    } else if (canvas != nullptr) {
        ApplyLevelFont(canvas, levelInfo, rvStyle);
        ::TSize extent;
        if (listType == rvlstUnicodeBullet) {
            const WideString& s = levelInfo->FormatStringW();
            canvas->GetTextExtentPoint32W(s.data(), static_cast<int>(s.size()), extent);
        } else {
            canvas->GetTextExtentPoint32A(DisplayString.data(), static_cast<int>(DisplayString.size()),
                                          extent);
        }
        w = extent.cx;
        size.Height = extent.cy;
        TTextMetric metrics;
        if (canvas->GetTextMetrics(metrics))
            size.Descent = metrics.tmDescent;
    }
    size.ContentWidth = w;
    // a: the part of the content left of the marker position, b: right of it.
    int a = 0, b = w;
    if (levelInfo->MarkerAlignment() == rvmaRight) {
        a = w;
        b = 0;
    } else if (levelInfo->MarkerAlignment() == rvmaCenter) {
        b = w / 2;
        a = w - b;
    }
    const int room = scaleX(levelInfo->LeftIndent() + levelInfo->FirstIndent() - levelInfo->MarkerIndent());
    b = std::max(b, room);
    size.MinWidth = b;
    size.Width = a + b;
    size.Offset = rightToLeft ? a : -a;
    size.ContentShift = rightToLeft ? a + b - w : 0;
    return size;
}

int TRVMarkerItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData)
{
    TRVStyle* rvStyle = rvData != nullptr ? rvData->GetRVStyle() : nullptr;
    return CalcSize(canvas, rvStyle, sad, false).MinWidth;
}

void TRVMarkerItemInfo::OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                                         TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift,
                                         int& desc, bool reformat)
{
    (void)docWidth;
    (void)reformat;
    TRVStyle* rvStyle = rvData != nullptr ? rvData->GetRVStyle() : nullptr;
    const bool rightToLeft = rvData != nullptr && rvData->GetParaBiDiMode(ParaNo) == rvbdRightToLeft;
    const TMarkerSize size = CalcSize(canvas, rvStyle, sad, rightToLeft);
    if (dli != nullptr) {
        dli->SetSize(size.Width, size.Height);
        dli->MarkerOffset = size.Offset;
    }
    hShift = size.ContentShift;
    desc = size.Descent;
    // Printing lays the shared items out at the printer's resolution: the
    // marker keeps its screen size for the viewer.
    if (!printing) {
        Width = size.Width;
        Height = size.Height;
        Descent = size.Descent;
        Overhang = size.Offset;
    }
}

// ---------------------------------------------------------------------------
// Painting and printing

void TRVMarkerItemInfo::DoPaint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                                TRVDrawLineInfo* dli, TRVColorMode colorMode) const
{
    (void)state;
    if (ListNo < 0 || Level < 0)
        return;
    if (dli != nullptr)
        x += dli->MarkerOffset;
    TRVListLevel* levelInfo = GetLevelInfo(style);
    if (levelInfo == nullptr)
        return;
    switch (levelInfo->ListType()) {
    case rvlstPicture:
        if (levelInfo->HasPicture())
            canvas->Draw(x, y, levelInfo->Picture()->Graphic());
        return;
    case rvlstImageList:
    case rvlstImageListCounter: {
        const TCustomImageList* list = levelInfo->ImageList();
        const int64_t index = LevelImageIndex(levelInfo, Counter);
        if (list != nullptr && index >= 0 && index < list->Count())
            list->Draw(canvas, x, y, static_cast<int>(index));
        return;
    }
    default:
        break;
    }
    ApplyLevelFont(canvas, levelInfo, style);
    canvas->Font()->SetColor(RV_GetColor(levelInfo->Font()->Color(), colorMode));
    canvas->Brush()->SetStyle(bsClear);
    if (levelInfo->ListType() == rvlstUnicodeBullet) {
        const WideString& s = levelInfo->FormatStringW();
        canvas->TextOutW(x, y, s.data(), static_cast<int>(s.size()));
    } else {
        canvas->TextOut(x, y, DisplayString);
    }
}

void TRVMarkerItemInfo::Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                              TRVDrawLineInfo* dli)
{
    DoPaint(x, y, canvas, state, style, dli, rvcmColor);
}

void TRVMarkerItemInfo::Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
                              const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer,
                              TRVDrawLineInfo* dli, int part, TRVColorMode colorMode, TCustomRVData* rvData)
{
    (void)x2;
    (void)preview;
    (void)correction;
    (void)sad;
    (void)part;
    (void)rvData;
    DoPaint(x, y, canvas, TRVItemDrawStates{rvidsPrinting},
            printViewer != nullptr ? printViewer->GetPrintRVStyle() : nullptr, dli, colorMode);
}

bool TRVMarkerItemInfo::PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer* printViewer,
                                      TRVDrawLineInfo* dli, int part, TRVColorMode colorMode)
{
    (void)preview;
    (void)dli;
    (void)part;
    // The bitmap is the marker's own picture: drawn at its corner.
    DoPaint(0, 0, bkgnd->Canvas(), TRVItemDrawStates{rvidsPrinting},
            printViewer != nullptr ? printViewer->GetPrintRVStyle() : nullptr, nullptr, colorMode);
    return true;
}

// ---------------------------------------------------------------------------
// Copying, RVF header, styles

void TRVMarkerItemInfo::Assign(const TPersistent* source)
{
    if (const auto* marker = dynamic_cast<const TRVMarkerItemInfo*>(source)) {
        ListNo = marker->ListNo;
        Level = marker->Level;
        StartFrom = marker->StartFrom;
        Reset = marker->Reset;
    }
    TRVRectItemInfo::Assign(source);
}

AnsiString TRVMarkerItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return Format("%d %d %d %d", {ListNo, Level, StartFrom, Reset ? 1 : 0});
}

void TRVMarkerItemInfo::SaveRVF(TStream& stream, TCustomRVData* rvData, int, int paraNo, const AnsiString&,
                                TRVMultiDrawItemPart*, bool)
{
    WriteRVFHeader(stream, rvData, paraNo, 0, 0, false);
}

bool TRVMarkerItemInfo::ReadRVFHeader(TRVFLineCursor& p, TCustomRVData*)
{
    int aListNo = 0, aLevel = 0, aStartFrom = 0, aReset = 0;
    if (!RVFReadInteger(p, aListNo) || !RVFReadInteger(p, aLevel) || !RVFReadInteger(p, aStartFrom) ||
        !RVFReadInteger(p, aReset))
        return false;
    ListNo = aListNo;
    Level = aLevel;
    StartFrom = aStartFrom;
    Reset = aReset != 0;
    return true;
}

// ---------------------------------------------------------------------------
// Undo: a marker in the undo list is no part of the numbering

void TRVMarkerItemInfo::MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem)
{
    TRVRectItemInfo::MovingToUndoList(itemNo, rvData, aContainerUndoItem);
    // The markers after it are numbered without it.
    if (rvData != nullptr)
        rvData->DeleteMarkerFromList(this, false);
}

void TRVMarkerItemInfo::MovingFromUndoList(int itemNo, TCustomRVData* rvData)
{
    TRVRectItemInfo::MovingFromUndoList(itemNo, rvData);
    // Back at ItemNo, it takes its place in document order and counts again.
    if (rvData != nullptr && itemNo >= 0 && itemNo < rvData->GetItemCount() &&
        rvData->GetItem(itemNo) == this)
        rvData->AddMarkerInList(itemNo);
}

void TRVMarkerItemInfo::MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                        TRVIntegerList* usedListStyles)
{
    TRVRectItemInfo::MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
    if (usedListStyles != nullptr && ListNo >= 0 && ListNo < usedListStyles->Count())
        usedListStyles->Put(ListNo, 1);
}

void TRVMarkerItemInfo::UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                                     TRVIntegerList* listStylesShift)
{
    TRVRectItemInfo::UpdateStyles(textStylesShift, paraStylesShift, listStylesShift);
    if (listStylesShift != nullptr && ListNo >= 0 && ListNo < listStylesShift->Count())
        ListNo -= listStylesShift->Get(ListNo) - 1;
}

void TRVMarkerItemInfo::FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                                      TCustomRVData* rvData)
{
    (void)colorList;
    if (!Reset || ListNo < 0 || Level < 0 || listOverrideCountList == nullptr || rvData == nullptr)
        return;
    const TRVListLevel* levelInfo = GetLevelInfo(rvData->GetRVStyle());
    if (levelInfo == nullptr || !levelInfo->HasNumbering() || levelInfo->ListType() == rvlstImageListCounter)
        return;
    if (ListNo < listOverrideCountList->Count())
        listOverrideCountList->Put(ListNo, listOverrideCountList->Get(ListNo) + 1);
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
    } replacements[] = {{'\xA7', "*"},   {'\xA8', "*"},  {'\xA9', "*"},   {'\xAA', "*"},  {'\xB7', "*"},
                        {'\xD7', "*"},   {'\xE0', "*"},  {'\xDB', "<=>"}, {'\xDC', "<="}, {'\xDE', "=>"},
                        {'\xAB', "<->"}, {'\xAC', "<-"}, {'\xAE', "->"}};
    for (const auto& r : replacements)
        RV_ReplaceStr(s, AnsiString(1, r.Symbol), r.Text);
    return s;
}

// Raw UTF-16 text in the ANSI code page, each character that the code page
// cannot show ("?" where the source has none) written as "*".
AnsiString UnicodeBulletToAnsi(const WideString& w)
{
    AnsiString result;
    for (size_t i = 0; i < w.size(); ++i) {
        size_t n = 1;
        if (w[i] >= 0xD800 && w[i] <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF)
            n = 2;
        const AnsiString ansi = RVU_UnicodeToAnsi(0, RVU_GetRawUnicode(w.substr(i, n)));
        result += (ansi == "?" && w[i] != u'?') ? AnsiString("*") : ansi;
        i += n - 1;
    }
    return result;
}

} // namespace

AnsiString TRVMarkerItemInfo::AsText(int lineWidth, TCustomRVData* rvData, const AnsiString& text,
                                     const AnsiString& path, bool textOnly, bool unicode)
{
    (void)lineWidth;
    (void)text;
    (void)path;
    (void)textOnly;
    TRVListLevel* levelInfo = GetLevelInfo(rvData != nullptr ? rvData->GetRVStyle() : nullptr);
    if (levelInfo == nullptr)
        return AnsiString();
    AnsiString s;
    switch (levelInfo->ListType()) {
    case rvlstUnicodeBullet: {
        const WideString w = levelInfo->FormatStringW() + u" ";
        return unicode ? RVU_GetRawUnicode(w) : UnicodeBulletToAnsi(w);
    }
    case rvlstPicture:
    case rvlstImageList:
    case rvlstImageListCounter:
        s = "* ";
        break;
    default:
        s = DisplayString;
        if (CompareText(levelInfo->Font()->Name(), "Symbol") == 0)
            s = ReplaceSymbolChars(s);
        s += " ";
        break;
    }
    return unicode ? RVU_AnsiToUnicode(0, s) : s;
}
