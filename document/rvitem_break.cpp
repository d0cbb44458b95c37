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
int ScaleDiv(int Value, int Num, int Den)
{
    if (Den == 0)
        return Value;
    return static_cast<int>(static_cast<int64_t>(Value) * Num / Den);
}

} // namespace

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* RVData) : TRVFullLineItemInfo(RVData) {}

TRVBreakItemInfo::TRVBreakItemInfo(TCustomRVData* RVData, uint8_t ALineWidth, TRVBreakStyle AStyle,
                                   TColor AColor)
    : TRVFullLineItemInfo(RVData)
{
    StyleNo = rvsBreak;
    LineWidth = ALineWidth;
    Style = AStyle;
    Color = AColor;
}

TRVItemClass TRVBreakItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVBreakItemInfo>();
}

bool TRVBreakItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    if (Prop == rvbpRequiresRVFLines)
        return false;
    return TRVFullLineItemInfo::GetBoolValue(Prop);
}

bool TRVBreakItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    if (Prop == rvbpPrintToBMP)
        return false;
    return TRVFullLineItemInfo::GetBoolValueEx(Prop, RVStyle);
}

TColor TRVBreakItemInfo::ActualColor(TRVStyle* RVStyle) const
{
    if (Color == clNone && RVStyle != nullptr)
        return RVStyle->TextStyles()->Items(0)->Color();
    return Color;
}

void TRVBreakItemInfo::PaintFullWidth(int Left, int Right, int Top, TCanvas* Canvas, TRVItemDrawStates State,
                                      TRVStyle* Style, const TRect& ClipRect, TRVDrawLineInfo* dli)
{
    (void)ClipRect;
    (void)dli;
    const int x1 = Left + 5;
    const int x2 = Right - 5;
    const int y = Top + 5;
    Canvas->Pen()->SetColor(ActualColor(Style));
    Canvas->Pen()->SetWidth(LineWidth);
    Canvas->MoveTo(x1, y);
    Canvas->LineTo(x2, y);
    Canvas->Pen()->SetWidth(1);
    if (State.Contains(rvidsSelected) && Style != nullptr) {
        const TColor SelColor =
            State.Contains(rvidsControlFocused) ? Style->SelColor() : Style->InactiveSelColor();
        if (SelColor != clNone) {
            Canvas->Pen()->SetColor(SelColor);
            Canvas->MoveTo(x1, y - 1);
            Canvas->LineTo(x2, y - 1);
            Canvas->MoveTo(x1, y + 1);
            Canvas->LineTo(x2, y + 1);
        }
    }
}

void TRVBreakItemInfo::Print(TCanvas* Canvas, int X, int Y, int X2, bool Preview, bool Correction,
                             const TRVScreenAndDevice& sad, TRVPrintingViewer* RichView, TRVDrawLineInfo* dli,
                             int Part, TRVColorMode ColorMode, TCustomRVData* RVData)
{
    (void)Preview;
    (void)Correction;
    (void)dli;
    (void)Part;
    (void)RVData;
    TPen* Pen = Canvas->Pen();
    Pen->SetStyle(psInsideFrame);
    Pen->SetMode(pmCopy);
    Pen->SetColor(
        RV_GetColor(ActualColor(RichView != nullptr ? RichView->GetPrintRVStyle() : nullptr), ColorMode));
    Pen->SetWidth(ScaleDiv(LineWidth, sad.DevicePpiY, sad.ScreenPpiY));
    const int dy = ScaleDiv(5, sad.DevicePpiY, sad.ScreenPpiY);
    const int dx = ScaleDiv(5, sad.DevicePpiX, sad.ScreenPpiX);
    Canvas->MoveTo(X + dx, Y + dy);
    Canvas->LineTo(X2 - dx, Y + dy);
    Pen->SetStyle(psSolid);
}

void TRVBreakItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TRVBreakItemInfo*>(Source)) {
        LineWidth = Item->LineWidth;
        Style = Item->Style;
        Color = Item->Color;
    }
    TRVFullLineItemInfo::Assign(Source);
}

AnsiString TRVBreakItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return Format("%d %d %d",
                  {static_cast<int>(Color), static_cast<int>(Style), static_cast<int>(LineWidth)});
}

void TRVBreakItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int, int ParaNo, const AnsiString&,
                               TRVMultiDrawItemPart*, bool)
{
    WriteRVFHeader(Stream, RVData, ParaNo, 0, 0, false);
}

bool TRVBreakItemInfo::ReadRVFHeader(TRVFLineCursor& P, TCustomRVData*)
{
    const char c = P.Peek();
    if (c == '\0' || c == '\n' || c == '\r') {
        Color = clNone;
        Style = rvbsLine;
        LineWidth = 1;
        return true;
    }
    int AColor = 0, AStyle = 0, AWidth = 0;
    if (!RVFReadInteger(P, AColor) || !RVFReadInteger(P, AStyle) || !RVFReadInteger(P, AWidth))
        return false;
    Color = AColor;
    // Both fields hold a byte, as the record was written; the style is kept as read.
    Style = static_cast<TRVBreakStyle>(static_cast<uint8_t>(AStyle));
    LineWidth = static_cast<uint8_t>(AWidth);
    return true;
}

void TRVBreakItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Name,
                               double TwipsPerPixel, int Level, TRVColorList* ColorList,
                               TRVIntegerList* StyleToFont, TRVIntegerList* ListOverrideOffsetsList1,
                               TRVIntegerList* ListOverrideOffsetsList2, TRVRTFFontTable* FontTable)
{
    (void)RVData;
    (void)ItemNo;
    (void)Name;
    (void)StyleToFont;
    (void)ListOverrideOffsetsList1;
    (void)ListOverrideOffsetsList2;
    (void)FontTable;
    AnsiString Prefix;
    if (Level == 1)
        Prefix = "\\intbl\\itap1";
    else if (Level > 1)
        Prefix = Format("\\itap%d", {Level});
    int ColorIndex = 0;
    if (Color != clNone && ColorList != nullptr)
        // A colour the tables were not filled with has no entry: the default colour.
        ColorIndex = std::max(ColorList->IndexOf(Color), 0);
    const int Width = static_cast<int>(Round(static_cast<long double>(LineWidth) * TwipsPerPixel));
    RVWrite(&Stream, Format("\\pard%s\\plain\\fs6\\brdrb\\brdrs\\brdrw%d\\brdrcf%d\\par\\pard%s",
                            {Prefix, Width, ColorIndex, Prefix}));
}

void TRVBreakItemInfo::FillRTFTables(TRVColorList* ColorList, TRVIntegerList* ListOverrideCountList,
                                     TCustomRVData* RVData)
{
    (void)ListOverrideCountList;
    (void)RVData;
    if (ColorList != nullptr)
        ColorList->AddUnique(Color);
}

void TRVBreakItemInfo::SaveToHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Text,
                                  const AnsiString& Path, const AnsiString& ImagesPrefix, int& ImageCounter,
                                  TColor CurrentFileColor, TRVSaveOptions SaveOptions, bool UseCSS,
                                  TRVList* Bullets)
{
    (void)RVData;
    (void)ItemNo;
    (void)Text;
    (void)Path;
    (void)ImagesPrefix;
    (void)ImageCounter;
    (void)CurrentFileColor;
    (void)Bullets;
    const int Size = LineWidth;
    if ((UseCSS || SaveOptions.Contains(rvsoForceNonTextCSS)) && Color != clNone)
        RVWrite(&Stream, Format("<HR noshade size=%d style=\"color: %s\">", {Size, RV_GetHTMLRGBStr(Color)}));
    else
        RVWrite(&Stream, Format("<HR noshade size=%d>", {Size}));
}

AnsiString TRVBreakItemInfo::AsText(int TextWidth, TCustomRVData* RVData, const AnsiString& Text,
                                    const AnsiString& Path, bool TextOnly, bool Unicode)
{
    (void)RVData;
    (void)Text;
    (void)Path;
    (void)TextOnly;
    (void)Unicode;
    return AnsiString(static_cast<size_t>(std::max(TextWidth, 1)), LineWidth < 2 ? '-' : '=');
}
