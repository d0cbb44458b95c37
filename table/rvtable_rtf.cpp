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

// Lengths of the table in RTF's twips. Lengths are summed in 64 bits and the
// twips clamped to 32 bits: the properties of a table read from a file may hold
// any values.
int ToInt(long double value)
{
    return RV_Clamp32(Round(value));
}

struct TTwips {
    double PerPixel;
    int Of(int64_t pixels) const { return ToInt(static_cast<long double>(pixels) * PerPixel); }
    // Half a pixel length in twips, halved before rounding.
    int HalfOf(int64_t pixels) const { return ToInt(static_cast<long double>(pixels) * PerPixel / 2); }
};

// A width in percent as RTF's fiftieths of a percent (the table keeps it negative).
int Fiftieths(int percent)
{
    return ToInt(-static_cast<long double>(percent) * 50);
}

// The row definition of row R: spacing, padding, heading, height, width and the
// table's borders.
AnsiString RowWords(TRVTableItemInfo& table, int r, const AnsiString& align, int level, TCustomRVData* rvData,
                    const TTwips& twips, const TRVColorList* colorList)
{
    const TRVTableRows* Rows = table.Rows.get();
    AnsiString s =
        Format("\\trowd%s\\trgaph%d\\trleft0\\itap%d",
               {align,
                twips.HalfOf((static_cast<int64_t>(table.CellPadding) + table.CellBorderWidth) * 2 +
                             table.CellHSpacing),
                level + 1});
    if (r < table.HeadingRowCount)
        s += "\\trhdr";
    if (const int bestHeight = Rows->Get(r)->GetBestHeight(); bestHeight > 0)
        s += Format("\\trrh%d", {twips.Of(bestHeight)});
    const int pad = twips.Of(table.CellPadding);
    s += Format("\\trpaddl%d\\trpaddt%d\\trpaddr%d\\trpaddb%d", {pad, pad, pad, pad});
    s += "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3";
    const int hSpace = twips.HalfOf(table.CellHSpacing);
    s += Format("\\trspdl%d\\trspdr%d\\trspdfl3\\trspdfr3", {hSpace, hSpace});
    s += Format("\\trspdt%d\\trspdb%d\\trspdft3\\trspdfb3",
                {twips.HalfOf(r == 0 ? table.BorderVSpacing : table.CellVSpacing),
                 twips.HalfOf(r == Rows->Count() - 1 ? table.BorderVSpacing : table.CellVSpacing)});
    if (table.BestWidth > 0)
        s += Format("\\trwWidth%d\\trftsWidth3",
                    {twips.Of(table.BestWidth + 2 * static_cast<int64_t>(table.BorderWidth))});
    else if (table.BestWidth < 0)
        s += Format("\\trwWidth%d\\trftsWidth2", {Fiftieths(table.BestWidth)});
    else
        s += "\\trftsWidth1";
    if (table.Options.Contains(rvtoRTFAllowAutofit))
        s += "\\trautofit1";
    s += Format("\\rollviewtbw%d", {table.BestWidth});
    s += BorderWords("tr", table.BorderStyle, table.BorderWidth, table.BorderColor, table.BorderLightColor,
                     nullptr, twips.PerPixel, colorList);
    if (rvData != nullptr)
        s += rvData->GetExtraRTFCode(rv_rtfs_RowProps, &table, r, -1, false);
    return s;
}

// The cell definition of the place at row R, column C: its merges, width,
// borders, colour, vertical alignment and right edge; nothing for a place
// that no cell covers.
AnsiString CellWords(TRVTableItemInfo& table, int r, int c, TCustomRVData* rvData, const TTwips& twips,
                     const TRVColorList* colorList)
{
    int mRow = r;
    int mCol = c;
    TRVTableCellData* main = table.Rows->GetMainCell(r, c, mRow, mCol);
    if (main == nullptr)
        return AnsiString();
    AnsiString s;
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
            s += table.Options.Contains(rvtoRTFSaveCellPixelBestWidth)
                     ? Format("\\clwWidth%d\\clftsWidth3", {twips.Of(main->BestWidth)})
                     : AnsiString("\\clwWidth0");
        else if (main->BestWidth < 0)
            s += Format("\\clwWidth%d\\clftsWidth2", {Fiftieths(main->BestWidth)});
        else
            s += "\\clftsWidth1";
        s += Format("\\rollviewcbw%d\\rollviewcbh%d", {main->BestWidth, main->BestHeight});
    }
    s += BorderWords("cl", table.CellBorderStyle, table.CellBorderWidth,
                     main->BorderColor != clNone ? main->BorderColor : table.CellBorderColor,
                     main->BorderLightColor != clNone ? main->BorderLightColor : table.CellBorderLightColor,
                     main->VisibleBorders, twips.PerPixel, colorList);
    if (const TColor cellColor = table.GetCellColor(main); cellColor != clNone) {
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
        s += rvData->GetExtraRTFCode(rv_rtfs_CellProps, &table, c, r, false);
    const TRVTableItemFormattingInfo& fmt = *table.FormattingInfo;
    const int64_t right = c < fmt.ColStarts.Count() && c < fmt.ColWidths.Count()
                              ? static_cast<int64_t>(fmt.ColStarts.Get(c)) + fmt.ColWidths.Get(c)
                              : 0;
    s += Format("\\cellx%d", {ToInt(static_cast<long double>(right) * twips.PerPixel +
                                    static_cast<long double>(table.CellHSpacing) * twips.PerPixel / 2)});
    return s;
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
    const TTwips twips{twipsPerPixel};
    const bool nested = level > 0;
    const AnsiString nest = nested ? "nest" : "";

    AnsiString align;
    if (TRVStyle* style = rvData != nullptr ? rvData->GetRVStyle() : nullptr;
        style != nullptr && ParaNo >= 0 && ParaNo < style->ParaStyles()->Count()) {
        const TRVAlignment a = style->ParaStyles()->Items(ParaNo)->Alignment();
        align = a == rvaRight ? "\\trqr" : a == rvaCenter ? "\\trqc" : "";
    }
    const int colCount = Rows->GetColCount();
    // RTF has no row without cells (readers drop it, or stop at it): a table
    // whose rows have no slots writes no rows, as one without rows.
    const int rowCount = colCount > 0 ? Rows->Count() : 0;
    for (int r = 0; r < rowCount; ++r) {
        AnsiString s = RowWords(*this, r, align, level, rvData, twips, colorList);
        for (int c = 0; c < colCount; ++c)
            s += CellWords(*this, r, c, rvData, twips, colorList);
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
