// The RTF parser's table words: the row record of the current state (made
// when missing) and the cell record opened by the last \cellx.
#include <cstdlib>

#include "rtf/rvrtfreader.h"

namespace {

// A width in twips, or minus fiftieths of a percent when percent is set.
int WidthOf(int value, bool percent)
{
    return percent ? -RVRTFClamp(std::abs(RVRTFClamp(value, -10000, 10000)), 0, 10000)
                   : RVRTFClampLength(value);
}

} // namespace

// Table words: the row record (made when missing) and its last cell.
TRVRTFErrorCode TRVRTFReader::ApplyTableProp(TRTFIPROP prop, int value)
{
    TRVRTFReaderState& state = *FState;
    TRVRTFParaProperties& para = state.ParaProps;
    switch (prop) {
    case ipropRowEnd:
        state.GetRowProps().Finalize();
        CheckTable(true);
        // The paragraph begun before a row's end is the row's mark, none of
        // a cell's.
        FBreakPending = false;
        DoTable(rvf_tbl_RowEnd);
        return rtf_ec_OK;
    case ipropCellEnd: {
        CheckTable(true);
        TRVRTFErrorCode ec = FlushOpeningTables();
        // \cell ends the cell's last paragraph as \par would: a line or
        // paragraph that a paragraph or line end or a \pard began and no text
        // followed is an empty one, the cell's last.
        if (ec == rtf_ec_OK && FBreakPending) {
            FForceText = true;
            ec = Flush();
        }
        FPosition = rtf_ts_NewPara;
        DoTable(rvf_tbl_CellEnd);
        return ec;
    }
    case ipropInTbl:
        para.InTable = true;
        return rtf_ec_OK;
    case ipropItap:
        para.NestingLevel = RVRTFClamp(value, 0, rtfMaxTableNesting);
        if (value > 0)
            para.InTable = true;
        return rtf_ec_OK;
    case ipropNoTableEv:
        para.NoTableEvents = true;
        return rtf_ec_OK;
    default:
        break;
    }
    const bool rowWord = (prop >= ipropRowAlign && prop <= ipropTRftsWidth) || prop == ipropTRBorderSide ||
                         prop == ipropRVTableBestWidth;
    const bool cellWord = (prop >= ipropCLVMerge && prop <= ipropCellX) || prop == ipropCLBorderSide ||
                          prop == ipropRVCellBestWidth || prop == ipropRVCellBestHeight;
    if (!rowWord && !cellWord)
        return rtf_ec_OK;
    ApplyRowProp(state.GetRowProps(), prop, value);
    return rtf_ec_OK;
}

// Words of the row record; the others go to the row's last cell.
void TRVRTFReader::ApplyRowProp(TRVRTFRowProperties& row, TRTFIPROP prop, int value)
{
    TRVRTFReaderState& state = *FState;
    const int side = prop >= ipropTRPaddL && prop <= ipropTRSpdFB ? (prop - ipropTRPaddL) % 4 : 0;
    // The words name the sides left, right, top, bottom; the records index them left, top, right, bottom.
    static constexpr int SideIndex[4] = {rtf_side_Left, rtf_side_Right, rtf_side_Top, rtf_side_Bottom};
    switch (prop) {
    case ipropRowAlign:
        row.Alignment = static_cast<TRVRTFAlignment>(RVRTFClamp(value, 0, 2));
        break;
    case ipropTRGapH:
        row.GapH = RVRTFClampLength(value);
        break;
    case ipropTRLeft:
        row.Left = RVRTFClampLength(value);
        break;
    case ipropTRRowHeight:
        row.Height = RVRTFClampLength(value);
        break;
    case ipropTRHeader:
        row.Heading = true;
        break;
    case ipropTRPaddL:
    case ipropTRPaddR:
    case ipropTRPaddT:
    case ipropTRPaddB:
        row.Padding[SideIndex[side]] = RVRTFClampLength(value);
        break;
    case ipropTRPaddFL:
    case ipropTRPaddFR:
    case ipropTRPaddFT:
    case ipropTRPaddFB:
        row.UsePadding[SideIndex[side]] = value == 3;
        break;
    case ipropTRSpdL:
    case ipropTRSpdR:
    case ipropTRSpdT:
    case ipropTRSpdB:
        row.Spacing[SideIndex[side]] = RVRTFClampLength(value);
        break;
    case ipropTRSpdFL:
    case ipropTRSpdFR:
    case ipropTRSpdFT:
    case ipropTRSpdFB:
        row.UseSpacing[SideIndex[side]] = value == 3;
        break;
    case ipropTRwWidth:
        row.BestWidth = WidthOf(value, row.PercentWidth);
        break;
    case ipropTRftsWidth:
        if (value == 2) {
            row.PercentWidth = true;
            row.BestWidth = WidthOf(row.BestWidth, true);
        } else if (value != 3) {
            row.BestWidth = 0;
        }
        break;
    case ipropTRBorderSide:
        state.CurrentBorderType = rtf_bt_Row;
        row.CurBorderSide = static_cast<TRVRTFSide>(RVRTFClamp(value, 0, 3));
        break;
    case ipropRVTableBestWidth:
        row.BestWidth = WidthOf(value, value < 0);
        row.HasPrivateWidths = true;
        break;
    case ipropCellX:
        if (TRVRTFCellProperties* cell = row.GetLastCellProp())
            cell->RightBoundary = RVRTFClampLength(value);
        if (row.AddCell())
            row.LastCellOpen = true;
        break;
    default:
        ApplyCellProp(row, prop, value);
        break;
    }
}

// Words of the cell opened by the last \cellx.
void TRVRTFReader::ApplyCellProp(TRVRTFRowProperties& row, TRTFIPROP prop, int value)
{
    TRVRTFCellProperties* cell = row.GetLastCellProp();
    if (!cell)
        return;
    TRVRTFReaderState& state = *FState;
    TColor color = 0;
    switch (prop) {
    case ipropCLVMerge:
        cell->VMerge = static_cast<TRVRTFCellMerge>(RVRTFClamp(value, 0, 2));
        break;
    case ipropCLHMerge:
        cell->HMerge = static_cast<TRVRTFCellMerge>(RVRTFClamp(value, 0, 2));
        break;
    case ipropCLwWidth:
        cell->BestWidth = WidthOf(value, cell->PercentWidth);
        break;
    case ipropCLftsWidth:
        if (value == 2) {
            cell->PercentWidth = true;
            cell->BestWidth = WidthOf(cell->BestWidth, true);
        } else if (value != 3) {
            cell->BestWidth = 0;
        }
        break;
    case ipropCLColor:
        if (ColorOf(value, color))
            cell->Color = color == rtfAutoColor ? rtfNoColor : color;
        break;
    case ipropCLFColor:
        if (ColorOf(value, color))
            cell->ForeColor = color;
        break;
    case ipropCLShading:
        cell->Shading = RVRTFClamp(value, 0, 10000);
        break;
    case ipropCLVertAl:
        cell->VAlign = static_cast<TRVRTFVAlign>(RVRTFClamp(value, 0, 2));
        break;
    case ipropCLBorderSide:
        state.CurrentBorderType = rtf_bt_Cell;
        cell->CurBorderSide = static_cast<TRVRTFSide>(RVRTFClamp(value, 0, 3));
        break;
    case ipropRVCellBestWidth:
        cell->BestWidth = WidthOf(value, value < 0);
        row.HasPrivateWidths = true;
        break;
    case ipropRVCellBestHeight:
        cell->BestHeight = RVRTFClampLength(value);
        row.HasPrivateWidths = true;
        break;
    default:
        break;
    }
}
