// The table in RTF: its colours in the colour table, then row by row the row
// definition (spacing, padding, width, borders), the cell definitions with
// their merges, widths, borders, colours and right edges, and the cells'
// documents one nesting level deeper.
#include <cstdint>

#include "document/crvdata_rtfformat.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvfmisc.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "table/rvtable.h"

namespace {

void AddBorderColors(TRVColorList* colorList, TRVTableBorderStyle style, TColor color, TColor lightColor)
{
    switch (style) {
    case rvtbRaised:
    case rvtbLowered:
        colorList->AddUnique(clBtnHighlight);
        colorList->AddUnique(clBtnShadow);
        colorList->AddUnique(clBtnFace);
        break;
    case rvtbColor:
        colorList->AddUnique(color);
        break;
    case rvtbRaisedColor:
    case rvtbLoweredColor:
        colorList->AddUnique(color);
        colorList->AddUnique(lightColor);
        break;
    }
}

// The border control words of the table (prefix "tr") or of a cell ("cl"):
// nothing for a width of 0 or less; otherwise one group per visible side.
AnsiString BorderWords(const char* prefix, TRVTableBorderStyle style, int width, TColor color,
                       TColor lightColor, const TRVBooleanRect* visible, double twipsPerPixel,
                       const TRVColorList* ColorList)
{
    if (width <= 0)
        return AnsiString();
    const int W = RV_PixelsToTwips(width, twipsPerPixel);
    TColor leftTop = color;
    TColor rightBottom = color;
    if (style == rvtbRaisedColor) {
        leftTop = lightColor;
        rightBottom = color;
    } else if (style == rvtbLoweredColor) {
        leftTop = color;
        rightBottom = lightColor;
    }
    const auto kind = [&](TColor sideColor) -> AnsiString {
        switch (style) {
        case rvtbRaised:
            return Format("\\brdroutset\\brdrw%d", {W});
        case rvtbLowered:
            return Format("\\brdrinset\\brdrw%d", {W});
        default: {
            AnsiString s = Format("\\brdrs\\brdrw%d", {W});
            const int index = RVRTFColorIndex(ColorList, sideColor);
            if (index >= 0)
                s += Format("\\brdrcf%d", {index});
            return s;
        }
        }
    };
    const bool sides[4] = {visible == nullptr || visible->Left(), visible == nullptr || visible->Top(),
                           visible == nullptr || visible->Right(), visible == nullptr || visible->Bottom()};
    const char* const names[4] = {"brdrl", "brdrt", "brdrr", "brdrb"};
    AnsiString result;
    for (int i = 0; i < 4; ++i)
        if (sides[i])
            result += AnsiString("\\") + prefix + names[i] + kind(i < 2 ? leftTop : rightBottom);
    return result;
}

} // namespace

void TRVTableItemInfo::FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                                     TCustomRVData* rvData)
{
    (void)rvData;
    colorList->AddUnique(Color);
    AddBorderColors(colorList, BorderStyle, BorderColor, BorderLightColor);
    AddBorderColors(colorList, CellBorderStyle, CellBorderColor, CellBorderLightColor);
    if (VRuleWidth > 0)
        colorList->AddUnique(VRuleColor);
    if (HRuleWidth > 0)
        colorList->AddUnique(HRuleColor);
    for (int r = 0; r < Rows->Count(); ++r)
        for (int c = 0; c < Rows->Get(r)->Count(); ++c) {
            TRVTableCellData* cell = GetCells(r, c);
            if (cell == nullptr)
                continue;
            colorList->AddUnique(cell->Color);
            colorList->AddUnique(cell->BorderColor);
            colorList->AddUnique(cell->BorderLightColor);
            cell->GetRVData()->MakeRTFTables(colorList, listOverrideCountList, false);
        }
}

void TRVTableItemInfo::SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                               double twipsPerPixel, int level, TRVColorList* colorList,
                               TRVIntegerList* styleToFont, TRVIntegerList* listOverrideOffsetsList1,
                               TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable)
{
    (void)itemNo;
    (void)name;
    if (FormattingInfo->Width == 0)
        InternalOnDocWidthChange(600, FormattingInfo.get(), nullptr, false);
    const TRVTableItemFormattingInfo& fmt = *FormattingInfo;
    // Lengths are summed in 64 bits and the twips clamped to 32 bits: the
    // properties of a table read from a file may hold any values.
    const auto ToInt = [](long double value) { return RV_Clamp32(Round(value)); };
    const auto twips = [&](int64_t pixels) {
        return ToInt(static_cast<long double>(pixels) * twipsPerPixel);
    };
    // Half a pixel length in twips, halved before rounding.
    const auto halfTwips = [&](int64_t pixels) {
        return ToInt(static_cast<long double>(pixels) * twipsPerPixel / 2);
    };
    const auto fiftieths = [&](int percent) { return ToInt(-static_cast<long double>(percent) * 50); };
    const bool nested = level > 0;
    const AnsiString nest = nested ? "nest" : "";

    AnsiString align;
    if (TRVStyle* style = rvData != nullptr ? rvData->GetRVStyle() : nullptr;
        style != nullptr && ParaNo >= 0 && ParaNo < style->ParaStyles()->Count()) {
        const TRVAlignment a = style->ParaStyles()->Items(ParaNo)->Alignment();
        align = a == rvaRight ? "\\trqr" : a == rvaCenter ? "\\trqc" : "";
    }
    const int colCount = Rows->GetColCount();
    for (int r = 0; r < Rows->Count(); ++r) {
        AnsiString s = Format(
            "\\trowd%s\\trgaph%d\\trleft0\\itap%d",
            {align, halfTwips((static_cast<int64_t>(CellPadding) + CellBorderWidth) * 2 + CellHSpacing),
             level + 1});
        if (r < HeadingRowCount)
            s += "\\trhdr";
        if (const int bestHeight = Rows->Get(r)->GetBestHeight(); bestHeight > 0)
            s += Format("\\trrh%d", {twips(bestHeight)});
        const int pad = twips(CellPadding);
        s += Format("\\trpaddl%d\\trpaddt%d\\trpaddr%d\\trpaddb%d", {pad, pad, pad, pad});
        s += "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3";
        const int hSpace = halfTwips(CellHSpacing);
        s += Format("\\trspdl%d\\trspdr%d\\trspdfl3\\trspdfr3", {hSpace, hSpace});
        s += Format("\\trspdt%d\\trspdb%d\\trspdft3\\trspdfb3",
                    {halfTwips(r == 0 ? BorderVSpacing : CellVSpacing),
                     halfTwips(r == Rows->Count() - 1 ? BorderVSpacing : CellVSpacing)});
        if (BestWidth > 0)
            s += Format("\\trwWidth%d\\trftsWidth3",
                        {twips(BestWidth + 2 * static_cast<int64_t>(BorderWidth))});
        else if (BestWidth < 0)
            s += Format("\\trwWidth%d\\trftsWidth2", {fiftieths(BestWidth)});
        else
            s += "\\trftsWidth1";
        if (Options.Contains(rvtoRTFAllowAutofit))
            s += "\\trautofit1";
        s += Format("\\rollviewtbw%d", {BestWidth});
        s += BorderWords("tr", BorderStyle, BorderWidth, BorderColor, BorderLightColor, nullptr,
                         twipsPerPixel, colorList);
        if (rvData != nullptr)
            s += rvData->GetExtraRTFCode(rv_rtfs_RowProps, this, r, -1, false);

        for (int c = 0; c < colCount; ++c) {
            int mRow = r;
            int mCol = c;
            TRVTableCellData* main = Rows->GetMainCell(r, c, mRow, mCol);
            if (main == nullptr)
                continue;
            const bool own = mRow == r && mCol == c;
            if (!own) {
                if (r > mRow) {
                    s += "\\clvmrg";
                    if (c == mCol && main->ColSpan > 1)
                        s += "\\clmgf";
                }
                if (c > mCol) {
                    s += "\\clmrg";
                    if (r == mRow && main->RowSpan > 1)
                        s += "\\clvmgf";
                }
            } else {
                if (main->RowSpan > 1)
                    s += "\\clvmgf";
                if (main->ColSpan > 1)
                    s += "\\clmgf";
                if (main->BestWidth > 0)
                    s += Options.Contains(rvtoRTFSaveCellPixelBestWidth)
                             ? Format("\\clwWidth%d\\clftsWidth3", {twips(main->BestWidth)})
                             : AnsiString("\\clwWidth0");
                else if (main->BestWidth < 0)
                    s += Format("\\clwWidth%d\\clftsWidth2", {fiftieths(main->BestWidth)});
                else
                    s += "\\clftsWidth1";
                s += Format("\\rollviewcbw%d\\rollviewcbh%d", {main->BestWidth, main->BestHeight});
            }
            s += BorderWords("cl", CellBorderStyle, CellBorderWidth,
                             main->BorderColor != clNone ? main->BorderColor : CellBorderColor,
                             main->BorderLightColor != clNone ? main->BorderLightColor : CellBorderLightColor,
                             main->VisibleBorders, twipsPerPixel, colorList);
            if (const TColor cellColor = GetCellColor(main); cellColor != clNone) {
                const int index = RVRTFColorIndex(colorList, cellColor);
                if (index >= 0)
                    s += Format("\\clcbpat%d", {index});
            }
            const TRVCellVAlign va = main->GetRealVAlign();
            if (va == rvcMiddle)
                s += "\\clvertalc";
            else if (va == rvcBottom)
                s += "\\clvertalb";
            if (rvData != nullptr)
                s += rvData->GetExtraRTFCode(rv_rtfs_CellProps, this, c, r, false);
            const int64_t right = c < fmt.ColStarts.Count() && c < fmt.ColWidths.Count()
                                      ? static_cast<int64_t>(fmt.ColStarts.Get(c)) + fmt.ColWidths.Get(c)
                                      : 0;
            s += Format("\\cellx%d", {ToInt(static_cast<long double>(right) * twipsPerPixel +
                                            static_cast<long double>(CellHSpacing) * twipsPerPixel / 2)});
        }
        // A row of the outermost table: its definition, then its cells. A
        // nested row: its cells first, then its definition in a group that
        // readers without nested tables skip, so that they keep the text.
        const AnsiString cells = Format("\\pard\\intbl\\itap%d{", {level + 1});
        RVFWrite(stream, nested ? "{" + cells : "{" + s + cells);
        for (int c = 0; c < colCount; ++c) {
            RVFWrite(stream, "{");
            if (TRVTableCellData* cell = GetCells(r, c))
                cell->GetRVData()->SaveRTFToStream(stream, false, level + 1, clNone, nullptr, colorList,
                                                   styleToFont, listOverrideOffsetsList1,
                                                   listOverrideOffsetsList2, fontTable, twipsPerPixel);
            RVFWrite(stream, Format("\\%scell}", {nest}));
        }
        if (nested)
            RVFWrite(stream,
                     Format("}\\pard\\intbl\\itap%d{\\*\\nesttableprops%s\\nestrow}}", {level + 1, s}));
        else
            RVFWrite(stream, Format("}\\pard\\intbl\\itap%d\\row}", {level + 1}));
    }
    if (rvData != nullptr)
        rvData->State.Include(rvstRTFSkipPar);
}
