// The table in HTML (a TABLE element with attributes, CSS declarations where
// the page uses CSS, and each cell's document written by the same writer) and
// as plain text (cells joined by the table's separators).
#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "table/rvtable.h"

// The code-page conversion of document/rvuni.h, declared alone: that header's
// RVNT constant would clash with the table's own switch of that name.
AnsiString RVU_AnsiToUnicode(unsigned codePage, const AnsiString& s);

namespace {

// " name=value", nothing for an empty value or the attribute's default.
AnsiString Attr(const char* Name, const AnsiString& Value, const char* Default = "")
{
    if (Value.empty() || Value == Default)
        return AnsiString();
    return Format(" %s=%s", {AnsiString(Name), Value});
}

// A wanted width or height: pixels as a number, a percentage with "%", none for 0.
AnsiString LengthValue(TRVHTMLLength Value)
{
    if (Value > 0)
        return IntToStr(Value);
    if (Value < 0)
        return IntToStr(-static_cast<int64_t>(Value)) + "%";
    return AnsiString();
}

AnsiString VAlignValue(TRVCellVAlign VAlign)
{
    switch (VAlign) {
    case rvcTop:
        return "top";
    case rvcMiddle:
        return "middle";
    case rvcBottom:
        return "bottom";
    default:
        return AnsiString();
    }
}

// Declarations as a style attribute (double-quoted, escaped); none when empty.
AnsiString StyleAttr(const AnsiString& Declarations)
{
    if (Declarations.empty())
        return AnsiString();
    return " style=\"" + RV_EscapeHTMLAttribute(Declarations) + "\"";
}

AnsiString Join(const AnsiString& A, const AnsiString& B)
{
    if (A.empty())
        return B;
    if (B.empty())
        return A;
    return A[A.size() - 1] == ' ' ? A + B : A + " " + B;
}

bool IsPlacedPicture(TRVItemBackgroundStyle Style)
{
    return Style == rvbsStretched || Style == rvbsCentered;
}

const char* const CenteredBackground = "background-position: center center; background-repeat: no-repeat;";

// What one HTML write of a table carries down to its attributes and cells.
struct THTMLTableWriter {
    TRVTableItemInfo* Table;
    TStream& Stream;
    TCustomRVData* RVData;
    int ItemNo;
    const AnsiString& Path;
    const AnsiString& ImagesPrefix;
    int& ImageCounter;
    TColor CurrentFileColor;
    TRVSaveOptions SaveOptions;
    bool CSS;
    TRVList* Bullets;

    // The borders of the cells (of Cell, or of the table's cells for null).
    AnsiString CellBorderStyle(const TRVTableCellData* Cell) const
    {
        const TRVTableItemInfo& T = *Table;
        const TColor D =
            Cell != nullptr && Cell->BorderColor != clNone ? Cell->BorderColor : T.CellBorderColor;
        const TColor L = Cell != nullptr && Cell->BorderLightColor != clNone ? Cell->BorderLightColor
                                                                             : T.CellBorderLightColor;
        AnsiString s;
        if (!(T.CellBorderWidth == T.BorderWidth && T.BorderWidth < 2) &&
            !(T.CellBorderWidth == 1 && T.BorderWidth > 1))
            s = Format("border-width : %dpx; ", {T.CellBorderWidth});
        if (T.CellBorderWidth <= 0)
            return s;
        const AnsiString DS = RV_GetHTMLRGBStr(D);
        const AnsiString LS = RV_GetHTMLRGBStr(L);
        switch (T.CellBorderStyle) {
        case rvtbRaised:
            s += "border-style: outset";
            break;
        case rvtbLowered:
            break;
        case rvtbColor:
            if (!(T.BorderStyle == rvtbColor && T.BorderColor == D))
                s += "border-color : " + DS + "; border-style: solid";
            break;
        case rvtbRaisedColor:
            s += "border-color : " + LS + " " + DS + " " + DS + " " + LS + "; border-style: solid";
            break;
        case rvtbLoweredColor:
            if (!((T.BorderStyle == rvtbRaisedColor || T.BorderStyle == rvtbLoweredColor) &&
                  T.BorderColor == D && T.BorderLightColor == L))
                s += "border-color : " + DS + " " + LS + " " + LS + " " + DS + "; border-style: solid";
            break;
        }
        return s;
    }

    // " background=..." for a background picture saved beside the page.
    AnsiString BackgroundAttr(TRVBackground* Background, TColor Color, int PictureItemNo) const
    {
        if (Background == nullptr || Background->Empty() || Background->Image() == nullptr ||
            RVData == nullptr)
            return AnsiString();
        if (Color == clNone)
            Color = CurrentFileColor;
        AnsiString Location;
        bool DoDefault = true;
        RVData->HTMLSaveImage(RVData, PictureItemNo, Path, Color, Location, DoDefault);
        if (DoDefault)
            Location =
                RVData->SavePicture(rvsfHTML, ImagesPrefix, Path, ImageCounter,
                                    SaveOptions.Contains(rvsoOverrideImages), Color, Background->Image());
        if (Location.empty())
            return AnsiString();
        return " background=\"" + RV_EscapeHTMLAttribute(RV_GetHTMLPath(Location)) + "\"";
    }

    AnsiString TableTag() const
    {
        const TRVTableItemInfo& T = *Table;
        AnsiString BorderPart;
        AnsiString Border = Format(" border=%d", {T.BorderWidth});
        if (CSS && T.BorderWidth < 1 && T.CellBorderWidth != 0) {
            // The cells' borders show only inside a bordered table; its own
            // border is then drawn 0 pixels wide.
            Border = " border=1";
            BorderPart = "border-width : 0px;";
        }
        AnsiString Colors;
        if (T.BorderStyle == rvtbColor)
            Colors = Attr("bordercolor", RV_GetHTMLRGBStr(T.BorderColor));
        else if (T.BorderStyle == rvtbRaisedColor || T.BorderStyle == rvtbLoweredColor)
            Colors = Attr("bordercolordark", RV_GetHTMLRGBStr(T.BorderColor)) +
                     Attr("bordercolorlight", RV_GetHTMLRGBStr(T.BorderLightColor));
        AnsiString Style;
        if (CSS) {
            if (T.BorderStyle == rvtbLowered)
                BorderPart = Join(BorderPart, "border-style: inset;");
            else if (T.BorderStyle == rvtbLoweredColor)
                BorderPart = Join(BorderPart, "border-color : " + RV_GetHTMLRGBStr(T.BorderColor) + " " +
                                                  RV_GetHTMLRGBStr(T.BorderLightColor) + " " +
                                                  RV_GetHTMLRGBStr(T.BorderLightColor) + " " +
                                                  RV_GetHTMLRGBStr(T.BorderColor) + "; border-style: solid;");
            Style = Join(BorderPart, IsPlacedPicture(T.GetBackgroundStyle()) ? CenteredBackground : "");
        }
        return "<TABLE" + Attr("width", LengthValue(T.BestWidth)) +
               Attr("bgcolor", RV_GetHTMLRGBStr(T.Color)) + Border +
               Attr("cellpadding", IntToStr(T.CellPadding), "1") + Colors +
               Attr("cellspacing", IntToStr((static_cast<int64_t>(T.CellVSpacing) + T.CellHSpacing) / 2),
                    "2") +
               BackgroundAttr(T.Background.get(), T.Color, ItemNo) + StyleAttr(Style) + ">";
    }

    AnsiString CellStyle(const TRVTableCellData* Cell, const AnsiString& TableCellBorder) const
    {
        if (!CSS)
            return AnsiString();
        const TRVTableItemInfo& T = *Table;
        AnsiString s = Cell->BorderColor == clNone && Cell->BorderLightColor == clNone
                           ? TableCellBorder
                           : CellBorderStyle(Cell);
        if (s.size() >= 2 && s[s.size() - 1] != ';' && s[s.size() - 2] != ';')
            s += "; ";
        if (IsPlacedPicture(Cell->GetBackgroundStyle()))
            s = Join(s, CenteredBackground);
        else if (IsPlacedPicture(T.GetBackgroundStyle()))
            s = Join(s, "background-position: left top; background-repeat: repeat;");
        if (T.CellBorderWidth > 0) {
            const TRVBooleanRect* V = Cell->VisibleBorders;
            if (!V->Top())
                s += "border-top: none; ";
            if (!V->Right())
                s += "border-right: none; ";
            if (!V->Bottom())
                s += "border-bottom: none; ";
            if (!V->Left())
                s += "border-left: none; ";
        }
        return StyleAttr(s);
    }

    void WriteCell(TRVTableCellData* Cell, const AnsiString& TableCellBorder)
    {
        const TRVTableItemInfo& T = *Table;
        const AnsiString TableColor = RV_GetHTMLRGBStr(T.Color);
        AnsiString CellColor = RV_GetHTMLRGBStr(Cell->Color);
        if (CellColor == TableColor)
            CellColor.clear();
        const TColor PaintColor = T.GetCellColor(Cell);
        RVFWrite(Stream, "<TD" + Attr("colspan", IntToStr(Cell->ColSpan), "1") +
                             Attr("rowspan", IntToStr(Cell->RowSpan), "1") +
                             Attr("width", LengthValue(Cell->BestWidth)) +
                             Attr("height", LengthValue(Cell->BestHeight)) + Attr("bgcolor", CellColor) +
                             Attr("valign", VAlignValue(Cell->VAlign)) +
                             BackgroundAttr(Cell->Background.get(), PaintColor, -1) +
                             CellStyle(Cell, TableCellBorder) + ">");
        if (Cell->HasData(false)) {
            TRVSaveOptions Options = SaveOptions;
            Options.Include(rvsoMiddleOnly);
            Options.Exclude(rvsoFirstOnly);
            Options.Exclude(rvsoLastOnly);
            TCustomRVData* Doc = Cell->GetRVData();
            if (CSS) {
                TColor FileColor = PaintColor;
                Doc->SaveHTMLToStreamEx(Stream, Path, AnsiString(), ImagesPrefix, AnsiString(), AnsiString(),
                                        AnsiString(), Options, PaintColor, FileColor, ImageCounter, 0, 0, 0,
                                        0, nullptr, Bullets);
            } else {
                Doc->SaveHTMLToStream(Stream, Path, AnsiString(), ImagesPrefix, Options, PaintColor,
                                      ImageCounter, 0, 0, 0, 0, nullptr, Bullets);
            }
        } else {
            RVFWriteLine(Stream, "&nbsp;");
        }
        RVFWriteLine(Stream, "</TD>");
    }

    void Write()
    {
        const AnsiString TableCellBorder = CSS ? CellBorderStyle(nullptr) : AnsiString();
        RVFWriteLine(Stream, TableTag());
        for (int r = 0; r < Table->Rows->Count(); ++r) {
            TRVTableRow* Row = Table->Rows->Get(r);
            RVFWriteLine(Stream, "<TR" + Attr("valign", VAlignValue(Row->VAlign)) + ">");
            for (int c = 0; c < Row->Count(); ++c)
                if (TRVTableCellData* Cell = Row->Get(c))
                    WriteCell(Cell, TableCellBorder);
            RVFWriteLine(Stream, "</TR>");
        }
        RVFWriteLine(Stream, "</TABLE>");
    }
};

} // namespace

void TRVTableItemInfo::SaveToHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Text,
                                  const AnsiString& Path, const AnsiString& ImagesPrefix, int& ImageCounter,
                                  TColor CurrentFileColor, TRVSaveOptions SaveOptions, bool UseCSS,
                                  TRVList* Bullets)
{
    (void)Text;
    THTMLTableWriter Writer{this,         Stream,
                            RVData,       ItemNo,
                            Path,         ImagesPrefix,
                            ImageCounter, CurrentFileColor,
                            SaveOptions,  UseCSS || SaveOptions.Contains(rvsoForceNonTextCSS),
                            Bullets};
    Writer.Write();
}

AnsiString TRVTableItemInfo::AsText(int LineWidth, TCustomRVData* RVData, const AnsiString& Text,
                                    const AnsiString& Path, bool TextOnly, bool Unicode)
{
    (void)Text;
    AnsiString RowSep = TextRowSeparator;
    AnsiString ColSep = TextColSeparator;
    if (Unicode) {
        TRVStyle* Style = RVData != nullptr ? RVData->GetRVStyle() : nullptr;
        const unsigned CodePage = Style != nullptr ? Style->DefCodePage() : 0;
        RowSep = RVU_AnsiToUnicode(CodePage, RowSep);
        ColSep = RVU_AnsiToUnicode(CodePage, ColSep);
    }
    TMemoryStream Out;
    for (int r = 0; r < Rows->Count(); ++r) {
        TRVTableRow* Row = Rows->Get(r);
        for (int c = 0; c < Row->Count(); ++c) {
            if (TRVTableCellData* Cell = Row->Get(c))
                Cell->GetRVData()->SaveTextToStream(Path, Out, LineWidth, false, TextOnly, Unicode);
            if (c < Row->Count() - 1)
                RVFWrite(Out, ColSep);
        }
        RVFWrite(Out, RowSep);
    }
    return AnsiString(static_cast<const char*>(Out.Memory()), static_cast<size_t>(Out.Size()));
}
