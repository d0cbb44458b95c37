// The table in RTF: its colours in the colour table, then row by row the row
// definition (spacing, padding, width, borders), the cell definitions with
// their merges, widths, borders, colours and right edges, and the cells'
// documents one nesting level deeper.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "document/crvdata_rtfformat.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvfmisc.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "table/rvtable.h"

namespace {

void AddBorderColors(TRVColorList* ColorList, TRVTableBorderStyle Style, TColor Color, TColor LightColor)
{
    switch (Style) {
    case rvtbRaised:
    case rvtbLowered:
        ColorList->AddUnique(clBtnHighlight);
        ColorList->AddUnique(clBtnShadow);
        ColorList->AddUnique(clBtnFace);
        break;
    case rvtbColor:
        ColorList->AddUnique(Color);
        break;
    case rvtbRaisedColor:
    case rvtbLoweredColor:
        ColorList->AddUnique(Color);
        ColorList->AddUnique(LightColor);
        break;
    }
}

// The border control words of the table (prefix "tr") or of a cell ("cl"):
// nothing for a width of 0 or less; otherwise one group per visible side.
AnsiString BorderWords(const char* Prefix, TRVTableBorderStyle Style, int Width, TColor Color,
                       TColor LightColor, const TRVBooleanRect* Visible, double TwipsPerPixel,
                       const TRVColorList* ColorList)
{
    if (Width <= 0)
        return AnsiString();
    const int W = RV_PixelsToTwips(Width, TwipsPerPixel);
    TColor LeftTop = Color;
    TColor RightBottom = Color;
    if (Style == rvtbRaisedColor) {
        LeftTop = LightColor;
        RightBottom = Color;
    } else if (Style == rvtbLoweredColor) {
        LeftTop = Color;
        RightBottom = LightColor;
    }
    const auto Kind = [&](TColor SideColor) -> AnsiString {
        switch (Style) {
        case rvtbRaised:
            return Format("\\brdroutset\\brdrw%d", {W});
        case rvtbLowered:
            return Format("\\brdrinset\\brdrw%d", {W});
        default: {
            AnsiString s = Format("\\brdrs\\brdrw%d", {W});
            const int Index = RVRTFColorIndex(ColorList, SideColor);
            if (Index >= 0)
                s += Format("\\brdrcf%d", {Index});
            return s;
        }
        }
    };
    const bool Sides[4] = {Visible == nullptr || Visible->Left(), Visible == nullptr || Visible->Top(),
                           Visible == nullptr || Visible->Right(), Visible == nullptr || Visible->Bottom()};
    const char* const Names[4] = {"brdrl", "brdrt", "brdrr", "brdrb"};
    AnsiString Result;
    for (int i = 0; i < 4; ++i)
        if (Sides[i])
            Result += AnsiString("\\") + Prefix + Names[i] + Kind(i < 2 ? LeftTop : RightBottom);
    return Result;
}

} // namespace

void TRVTableItemInfo::FillRTFTables(TRVColorList* ColorList, TRVIntegerList* ListOverrideCountList,
                                     TCustomRVData* RVData)
{
    (void)RVData;
    ColorList->AddUnique(Color);
    AddBorderColors(ColorList, BorderStyle, BorderColor, BorderLightColor);
    AddBorderColors(ColorList, CellBorderStyle, CellBorderColor, CellBorderLightColor);
    if (VRuleWidth > 0)
        ColorList->AddUnique(VRuleColor);
    if (HRuleWidth > 0)
        ColorList->AddUnique(HRuleColor);
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* Cell = GetCells(r, c);
            if (Cell == nullptr)
                continue;
            ColorList->AddUnique(Cell->Color);
            ColorList->AddUnique(Cell->BorderColor);
            ColorList->AddUnique(Cell->BorderLightColor);
            Cell->GetRVData()->MakeRTFTables(ColorList, ListOverrideCountList, false);
        }
}

void TRVTableItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Name,
                               double TwipsPerPixel, int Level, TRVColorList* ColorList,
                               TRVIntegerList* StyleToFont, TRVIntegerList* ListOverrideOffsetsList1,
                               TRVIntegerList* ListOverrideOffsetsList2, TRVRTFFontTable* FontTable)
{
    (void)ItemNo;
    (void)Name;
    if (FormattingInfo->Width == 0)
        InternalOnDocWidthChange(600, FormattingInfo.get(), nullptr, false);
    const TRVTableItemFormattingInfo& Fmt = *FormattingInfo;
    // Lengths are summed in 64 bits and the twips clamped to 32 bits: the
    // properties of a table read from a file may hold any values.
    const auto ToInt = [](long double Value) {
        return static_cast<int>(std::clamp<int64_t>(Round(Value), INT32_MIN, INT32_MAX));
    };
    const auto Twips = [&](int64_t Pixels) {
        return ToInt(static_cast<long double>(Pixels) * TwipsPerPixel);
    };
    // Half a pixel length in twips, halved before rounding.
    const auto HalfTwips = [&](int64_t Pixels) {
        return ToInt(static_cast<long double>(Pixels) * TwipsPerPixel / 2);
    };
    const auto Fiftieths = [&](int Percent) { return ToInt(-static_cast<long double>(Percent) * 50); };
    const bool Nested = Level > 0;
    const AnsiString Nest = Nested ? "nest" : "";

    AnsiString Align;
    if (TRVStyle* Style = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
        Style != nullptr && ParaNo >= 0 && ParaNo < Style->ParaStyles()->Count()) {
        const TRVAlignment A = Style->ParaStyles()->Items(ParaNo)->Alignment();
        Align = A == rvaRight ? "\\trqr" : A == rvaCenter ? "\\trqc" : "";
    }
    const int ColCount = Rows->GetColCount();
    for (int r = 0; r < Rows->Count(); ++r) {
        AnsiString s = Format(
            "\\trowd%s\\trgaph%d\\trleft0\\itap%d",
            {Align, HalfTwips((static_cast<int64_t>(CellPadding) + CellBorderWidth) * 2 + CellHSpacing),
             Level + 1});
        if (r < HeadingRowCount)
            s += "\\trhdr";
        if (const int BestHeight = Rows->Get(r)->GetBestHeight(); BestHeight > 0)
            s += Format("\\trrh%d", {Twips(BestHeight)});
        const int Pad = Twips(CellPadding);
        s += Format("\\trpaddl%d\\trpaddt%d\\trpaddr%d\\trpaddb%d", {Pad, Pad, Pad, Pad});
        s += "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3";
        const int HSpace = HalfTwips(CellHSpacing);
        s += Format("\\trspdl%d\\trspdr%d\\trspdfl3\\trspdfr3", {HSpace, HSpace});
        s += Format("\\trspdt%d\\trspdb%d\\trspdft3\\trspdfb3",
                    {HalfTwips(r == 0 ? BorderVSpacing : CellVSpacing),
                     HalfTwips(r == Rows->Count() - 1 ? BorderVSpacing : CellVSpacing)});
        if (BestWidth > 0)
            s += Format("\\trwWidth%d\\trftsWidth3",
                        {Twips(BestWidth + 2 * static_cast<int64_t>(BorderWidth))});
        else if (BestWidth < 0)
            s += Format("\\trwWidth%d\\trftsWidth2", {Fiftieths(BestWidth)});
        else
            s += "\\trftsWidth1";
        if (Options.Contains(rvtoRTFAllowAutofit))
            s += "\\trautofit1";
        s += Format("\\rollviewtbw%d", {BestWidth});
        s += BorderWords("tr", BorderStyle, BorderWidth, BorderColor, BorderLightColor, nullptr,
                         TwipsPerPixel, ColorList);
        if (RVData != nullptr)
            s += RVData->GetExtraRTFCode(rv_rtfs_RowProps, this, r, -1, false);

        for (int c = 0; c < ColCount; ++c) {
            int MRow = r;
            int MCol = c;
            TRVTableCellData* Main = Rows->GetMainCell(r, c, MRow, MCol);
            if (Main == nullptr)
                continue;
            const bool Own = MRow == r && MCol == c;
            if (!Own) {
                if (r > MRow) {
                    s += "\\clvmrg";
                    if (c == MCol && Main->ColSpan > 1)
                        s += "\\clmgf";
                }
                if (c > MCol) {
                    s += "\\clmrg";
                    if (r == MRow && Main->RowSpan > 1)
                        s += "\\clvmgf";
                }
            } else {
                if (Main->RowSpan > 1)
                    s += "\\clvmgf";
                if (Main->ColSpan > 1)
                    s += "\\clmgf";
                if (Main->BestWidth > 0)
                    s += Options.Contains(rvtoRTFSaveCellPixelBestWidth)
                             ? Format("\\clwWidth%d\\clftsWidth3", {Twips(Main->BestWidth)})
                             : AnsiString("\\clwWidth0");
                else if (Main->BestWidth < 0)
                    s += Format("\\clwWidth%d\\clftsWidth2", {Fiftieths(Main->BestWidth)});
                else
                    s += "\\clftsWidth1";
                s += Format("\\rollviewcbw%d\\rollviewcbh%d", {Main->BestWidth, Main->BestHeight});
            }
            s += BorderWords("cl", CellBorderStyle, CellBorderWidth,
                             Main->BorderColor != clNone ? Main->BorderColor : CellBorderColor,
                             Main->BorderLightColor != clNone ? Main->BorderLightColor : CellBorderLightColor,
                             Main->VisibleBorders, TwipsPerPixel, ColorList);
            if (const TColor CellColor = GetCellColor(Main); CellColor != clNone) {
                const int Index = RVRTFColorIndex(ColorList, CellColor);
                if (Index >= 0)
                    s += Format("\\clcbpat%d", {Index});
            }
            const TRVCellVAlign VA = Main->GetRealVAlign();
            if (VA == rvcMiddle)
                s += "\\clvertalc";
            else if (VA == rvcBottom)
                s += "\\clvertalb";
            if (RVData != nullptr)
                s += RVData->GetExtraRTFCode(rv_rtfs_CellProps, this, c, r, false);
            const int64_t Right = c < Fmt.ColStarts.Count() && c < Fmt.ColWidths.Count()
                                      ? static_cast<int64_t>(Fmt.ColStarts.Get(c)) + Fmt.ColWidths.Get(c)
                                      : 0;
            s += Format("\\cellx%d", {ToInt(static_cast<long double>(Right) * TwipsPerPixel +
                                            static_cast<long double>(CellHSpacing) * TwipsPerPixel / 2)});
        }
        // A row of the outermost table: its definition, then its cells. A
        // nested row: its cells first, then its definition in a group that
        // readers without nested tables skip, so that they keep the text.
        const AnsiString Cells = Format("\\pard\\intbl\\itap%d{", {Level + 1});
        RVFWrite(Stream, Nested ? "{" + Cells : "{" + s + Cells);
        for (int c = 0; c < ColCount; ++c) {
            RVFWrite(Stream, "{");
            if (TRVTableCellData* Cell = GetCells(r, c))
                Cell->GetRVData()->SaveRTFToStream(Stream, false, Level + 1, clNone, nullptr, ColorList,
                                                   StyleToFont, ListOverrideOffsetsList1,
                                                   ListOverrideOffsetsList2, FontTable, TwipsPerPixel);
            RVFWrite(Stream, Format("\\%scell}", {Nest}));
        }
        if (Nested)
            RVFWrite(Stream,
                     Format("}\\pard\\intbl\\itap%d{\\*\\nesttableprops%s\\nestrow}}", {Level + 1, s}));
        else
            RVFWrite(Stream, Format("}\\pard\\intbl\\itap%d\\row}", {Level + 1}));
    }
    if (RVData != nullptr)
        RVData->State.Include(rvstRTFSkipPar);
}
