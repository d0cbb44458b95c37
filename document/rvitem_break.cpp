// The horizontal rule: a line across the text width, on the screen and on a
// printer, and its RTF, HTML and plain-text forms.
#include "document/rvitem.h"

#include <algorithm>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/canvas.h"

namespace {

// Value * Num div Den in integers; the value itself when Den is 0 (a device
// record that was never filled in).
int ScaleDiv(int value, int num, int den)
{
    if (den == 0)
        return value;
    return static_cast<int>(static_cast<int64_t>(value) * num / den);
}

} // namespace

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* rvData) : TRVFullLineItemInfo(rvData) {}

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* rvData, uint8_t aLineWidth, TRVBreakStyle aStyle,
                                   TColor aColor)
    : TRVFullLineItemInfo(rvData)
{
    StyleNo = rvsBreak;
    LineWidth = aLineWidth;
    Style = aStyle;
    Color = aColor;
}

TRVItemClass TRVBreakItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVBreakItemInfo>();
}

bool TRVBreakItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    if (prop == rvbpRequiresRVFLines)
        return false;
    return TRVFullLineItemInfo::GetBoolValue(prop);
}

bool TRVBreakItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    if (prop == rvbpPrintToBMP)
        return false;
    return TRVFullLineItemInfo::GetBoolValueEx(prop, rvStyle);
}

TColor TRVBreakItemInfo::ActualColor(TRVStyle* rvStyle) const
{
    if (Color == clNone && rvStyle != nullptr)
        return rvStyle->TextStyles()->Items(0)->Color();
    return Color;
}

void TRVBreakItemInfo::PaintFullWidth(int left, int right, int top, TCanvas* canvas, TRVItemDrawStates state,
                                      TRVStyle* style, const TRect& clipRect, TRVDrawLineInfo* dli)
{
    (void)clipRect;
    (void)dli;
    const int x1 = left + 5;
    const int x2 = right - 5;
    const int y = top + 5;
    canvas->Pen()->SetColor(ActualColor(style));
    canvas->Pen()->SetWidth(LineWidth);
    canvas->MoveTo(x1, y);
    canvas->LineTo(x2, y);
    canvas->Pen()->SetWidth(1);
    if (state.Contains(rvidsSelected) && style != nullptr) {
        const TColor selColor =
            state.Contains(rvidsControlFocused) ? style->SelColor() : style->InactiveSelColor();
        if (selColor != clNone) {
            canvas->Pen()->SetColor(selColor);
            canvas->MoveTo(x1, y - 1);
            canvas->LineTo(x2, y - 1);
            canvas->MoveTo(x1, y + 1);
            canvas->LineTo(x2, y + 1);
        }
    }
}

void TRVBreakItemInfo::Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
                             const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer,
                             TRVDrawLineInfo* dli, int part, TRVColorMode colorMode, TCustomRVData* rvData)
{
    (void)preview;
    (void)correction;
    (void)dli;
    (void)part;
    (void)rvData;
    TPen* pen = canvas->Pen();
    pen->SetStyle(psInsideFrame);
    pen->SetMode(pmCopy);
    pen->SetColor(RV_GetColor(ActualColor(printViewer != nullptr ? printViewer->GetPrintRVStyle() : nullptr),
                              colorMode));
    pen->SetWidth(ScaleDiv(LineWidth, sad.DevicePpiY, sad.ScreenPpiY));
    const int dy = ScaleDiv(5, sad.DevicePpiY, sad.ScreenPpiY);
    const int dx = ScaleDiv(5, sad.DevicePpiX, sad.ScreenPpiX);
    canvas->MoveTo(x + dx, y + dy);
    canvas->LineTo(x2 - dx, y + dy);
    pen->SetStyle(psSolid);
}

void TRVBreakItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TRVBreakItemInfo*>(source)) {
        LineWidth = item->LineWidth;
        Style = item->Style;
        Color = item->Color;
    }
    TRVFullLineItemInfo::Assign(source);
}

AnsiString TRVBreakItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return Format("%d %d %d",
                  {static_cast<int>(Color), static_cast<int>(Style), static_cast<int>(LineWidth)});
}

void TRVBreakItemInfo::SaveRVF(TStream& stream, TCustomRVData* rvData, int, int paraNo, const AnsiString&,
                               TRVMultiDrawItemPart*, bool)
{
    WriteRVFHeader(stream, rvData, paraNo, 0, 0, false);
}

bool TRVBreakItemInfo::ReadRVFHeader(TRVFLineCursor& p, TCustomRVData*)
{
    const char c = p.Peek();
    if (c == '\0' || c == '\n' || c == '\r') {
        Color = clNone;
        Style = rvbsLine;
        LineWidth = 1;
        return true;
    }
    int aColor = 0, aStyle = 0, aWidth = 0;
    if (!RVFReadInteger(p, aColor) || !RVFReadInteger(p, aStyle) || !RVFReadInteger(p, aWidth))
        return false;
    Color = aColor;
    // Both fields hold a byte, as the record was written; the style is kept as read.
    Style = static_cast<TRVBreakStyle>(static_cast<uint8_t>(aStyle));
    LineWidth = static_cast<uint8_t>(aWidth);
    return true;
}

void TRVBreakItemInfo::SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                               double twipsPerPixel, int level, TRVColorList* colorList,
                               TRVIntegerList* styleToFont, TRVIntegerList* listOverrideOffsetsList1,
                               TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable)
{
    (void)rvData;
    (void)itemNo;
    (void)name;
    (void)styleToFont;
    (void)listOverrideOffsetsList1;
    (void)listOverrideOffsetsList2;
    (void)fontTable;
    AnsiString prefix;
    if (level == 1)
        prefix = "\\intbl\\itap1";
    else if (level > 1)
        prefix = Format("\\itap%d", {level});
    int colorIndex = 0;
    if (Color != clNone && colorList != nullptr)
        // A colour the tables were not filled with has no entry: the default colour.
        colorIndex = std::max(colorList->IndexOf(Color), 0);
    const int width = static_cast<int>(Round(static_cast<long double>(LineWidth) * twipsPerPixel));
    RVWrite(&stream, Format("\\pard%s\\plain\\fs6\\brdrb\\brdrs\\brdrw%d\\brdrcf%d\\par\\pard%s",
                            {prefix, width, colorIndex, prefix}));
}

void TRVBreakItemInfo::FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                                     TCustomRVData* rvData)
{
    (void)listOverrideCountList;
    (void)rvData;
    if (colorList != nullptr)
        colorList->AddUnique(Color);
}

void TRVBreakItemInfo::SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                                  const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                                  TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                                  TRVList* bullets)
{
    (void)rvData;
    (void)itemNo;
    (void)text;
    (void)path;
    (void)imagesPrefix;
    (void)imageCounter;
    (void)currentFileColor;
    (void)bullets;
    const int size = LineWidth;
    if ((useCss || saveOptions.Contains(rvsoForceNonTextCSS)) && Color != clNone)
        RVWrite(&stream, Format("<HR noshade size=%d style=\"color: %s\">", {size, RV_GetHTMLRGBStr(Color)}));
    else
        RVWrite(&stream, Format("<HR noshade size=%d>", {size}));
}

AnsiString TRVBreakItemInfo::AsText(int textWidth, TCustomRVData* rvData, const AnsiString& text,
                                    const AnsiString& path, bool textOnly, bool unicode)
{
    (void)rvData;
    (void)text;
    (void)path;
    (void)textOnly;
    (void)unicode;
    return AnsiString(static_cast<size_t>(std::max(textWidth, 1)), LineWidth < 2 ? '-' : '=');
}
