// The table in HTML (a TABLE element with attributes, CSS declarations where
// the page uses CSS, and each cell's document written by the same writer) and
// as plain text (cells joined by the table's separators).
#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/streams.h"
#include "table/rvtable.h"

namespace {

// " name=value", nothing for an empty value or the attribute's default.
AnsiString Attr(const char* name, const AnsiString& value, const char* Default = "")
{
    if (value.empty() || value == Default)
        return AnsiString();
    return Format(" %s=%s", {AnsiString(name), value});
}

// A wanted width or height: pixels as a number, a percentage with "%", none for 0.
AnsiString LengthValue(TRVHTMLLength value)
{
    if (value > 0)
        return IntToStr(value);
    if (value < 0)
        return IntToStr(-static_cast<int64_t>(value)) + "%";
    return AnsiString();
}

AnsiString VAlignValue(TRVCellVAlign vAlign)
{
    switch (vAlign) {
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
AnsiString StyleAttr(const AnsiString& declarations)
{
    if (declarations.empty())
        return AnsiString();
    return " style=\"" + RV_EscapeHTMLAttribute(declarations) + "\"";
}

AnsiString Join(const AnsiString& a, const AnsiString& b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return a[a.size() - 1] == ' ' ? a + b : a + " " + b;
}

bool IsPlacedPicture(TRVItemBackgroundStyle style)
{
    return style == rvbsStretched || style == rvbsCentered;
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
    AnsiString CellBorderStyle(const TRVTableCellData* cell) const
    {
        const TRVTableItemInfo& t = *Table;
        const TColor d =
            cell != nullptr && cell->BorderColor != clNone ? cell->BorderColor : t.CellBorderColor;
        const TColor l = cell != nullptr && cell->BorderLightColor != clNone ? cell->BorderLightColor
                                                                             : t.CellBorderLightColor;
        AnsiString s;
        if (!(t.CellBorderWidth == t.BorderWidth && t.BorderWidth < 2) &&
            !(t.CellBorderWidth == 1 && t.BorderWidth > 1))
            s = Format("border-width : %dpx; ", {t.CellBorderWidth});
        if (t.CellBorderWidth <= 0)
            return s;
        const AnsiString ds = RV_GetHTMLRGBStr(d);
        const AnsiString ls = RV_GetHTMLRGBStr(l);
        switch (t.CellBorderStyle) {
        case rvtbRaised:
            s += "border-style: outset";
            break;
        case rvtbLowered:
            break;
        case rvtbColor:
            if (!(t.BorderStyle == rvtbColor && t.BorderColor == d))
                s += "border-color : " + ds + "; border-style: solid";
            break;
        case rvtbRaisedColor:
            s += "border-color : " + ls + " " + ds + " " + ds + " " + ls + "; border-style: solid";
            break;
        case rvtbLoweredColor:
            if (!((t.BorderStyle == rvtbRaisedColor || t.BorderStyle == rvtbLoweredColor) &&
                  t.BorderColor == d && t.BorderLightColor == l))
                s += "border-color : " + ds + " " + ls + " " + ls + " " + ds + "; border-style: solid";
            break;
        }
        return s;
    }

    // " background=..." for a background picture saved beside the page.
    AnsiString BackgroundAttr(TRVBackground* background, TColor color, int pictureItemNo) const
    {
        if (background == nullptr || background->Empty() || background->Image() == nullptr ||
            RVData == nullptr)
            return AnsiString();
        if (color == clNone)
            color = CurrentFileColor;
        AnsiString location;
        bool doDefault = true;
        RVData->HTMLSaveImage(RVData, pictureItemNo, Path, color, location, doDefault);
        if (doDefault)
            location =
                RVData->SavePicture(rvsfHTML, ImagesPrefix, Path, ImageCounter,
                                    SaveOptions.Contains(rvsoOverrideImages), color, background->Image());
        if (location.empty())
            return AnsiString();
        return " background=\"" + RV_EscapeHTMLAttribute(RV_GetHTMLPath(location)) + "\"";
    }

    AnsiString TableTag() const
    {
        const TRVTableItemInfo& t = *Table;
        AnsiString borderPart;
        AnsiString border = Format(" border=%d", {t.BorderWidth});
        if (CSS && t.BorderWidth < 1 && t.CellBorderWidth != 0) {
            // The cells' borders show only inside a bordered table; its own
            // border is then drawn 0 pixels wide.
            border = " border=1";
            borderPart = "border-width : 0px;";
        }
        AnsiString colors;
        if (t.BorderStyle == rvtbColor)
            colors = Attr("bordercolor", RV_GetHTMLRGBStr(t.BorderColor));
        else if (t.BorderStyle == rvtbRaisedColor || t.BorderStyle == rvtbLoweredColor)
            colors = Attr("bordercolordark", RV_GetHTMLRGBStr(t.BorderColor)) +
                     Attr("bordercolorlight", RV_GetHTMLRGBStr(t.BorderLightColor));
        AnsiString style;
        if (CSS) {
            if (t.BorderStyle == rvtbLowered)
                borderPart = Join(borderPart, "border-style: inset;");
            else if (t.BorderStyle == rvtbLoweredColor)
                borderPart = Join(borderPart, "border-color : " + RV_GetHTMLRGBStr(t.BorderColor) + " " +
                                                  RV_GetHTMLRGBStr(t.BorderLightColor) + " " +
                                                  RV_GetHTMLRGBStr(t.BorderLightColor) + " " +
                                                  RV_GetHTMLRGBStr(t.BorderColor) + "; border-style: solid;");
            style = Join(borderPart, IsPlacedPicture(t.GetBackgroundStyle()) ? CenteredBackground : "");
        }
        return "<TABLE" + Attr("width", LengthValue(t.BestWidth)) +
               Attr("bgcolor", RV_GetHTMLRGBStr(t.Color)) + border +
               Attr("cellpadding", IntToStr(t.CellPadding), "1") + colors +
               Attr("cellspacing", IntToStr((static_cast<int64_t>(t.CellVSpacing) + t.CellHSpacing) / 2),
                    "2") +
               BackgroundAttr(t.Background.get(), t.Color, ItemNo) + StyleAttr(style) + ">";
    }

    AnsiString CellStyle(const TRVTableCellData* cell, const AnsiString& tableCellBorder) const
    {
        if (!CSS)
            return AnsiString();
        const TRVTableItemInfo& t = *Table;
        AnsiString s = cell->BorderColor == clNone && cell->BorderLightColor == clNone
                           ? tableCellBorder
                           : CellBorderStyle(cell);
        if (s.size() >= 2 && s[s.size() - 1] != ';' && s[s.size() - 2] != ';')
            s += "; ";
        if (IsPlacedPicture(cell->GetBackgroundStyle()))
            s = Join(s, CenteredBackground);
        else if (IsPlacedPicture(t.GetBackgroundStyle()))
            s = Join(s, "background-position: left top; background-repeat: repeat;");
        if (t.CellBorderWidth > 0) {
            const TRVBooleanRect* v = cell->VisibleBorders;
            if (!v->Top())
                s += "border-top: none; ";
            if (!v->Right())
                s += "border-right: none; ";
            if (!v->Bottom())
                s += "border-bottom: none; ";
            if (!v->Left())
                s += "border-left: none; ";
        }
        return StyleAttr(s);
    }

    void WriteCell(TRVTableCellData* cell, const AnsiString& tableCellBorder)
    {
        const TRVTableItemInfo& t = *Table;
        const AnsiString tableColor = RV_GetHTMLRGBStr(t.Color);
        AnsiString cellColor = RV_GetHTMLRGBStr(cell->Color);
        if (cellColor == tableColor)
            cellColor.clear();
        const TColor paintColor = t.GetCellColor(cell);
        RVFWrite(Stream, "<TD" + Attr("colspan", IntToStr(cell->ColSpan), "1") +
                             Attr("rowspan", IntToStr(cell->RowSpan), "1") +
                             Attr("width", LengthValue(cell->BestWidth)) +
                             Attr("height", LengthValue(cell->BestHeight)) + Attr("bgcolor", cellColor) +
                             Attr("valign", VAlignValue(cell->VAlign)) +
                             BackgroundAttr(cell->Background.get(), paintColor, -1) +
                             CellStyle(cell, tableCellBorder) + ">");
        if (cell->HasData(false)) {
            TRVSaveOptions options = SaveOptions;
            options.Include(rvsoMiddleOnly);
            options.Exclude(rvsoFirstOnly);
            options.Exclude(rvsoLastOnly);
            TCustomRVData* doc = cell->GetRVData();
            if (CSS) {
                TColor fileColor = paintColor;
                doc->SaveHTMLToStreamEx(Stream, Path, AnsiString(), ImagesPrefix, AnsiString(), AnsiString(),
                                        AnsiString(), options, paintColor, fileColor, ImageCounter, 0, 0, 0,
                                        0, nullptr, Bullets);
            } else {
                doc->SaveHTMLToStream(Stream, Path, AnsiString(), ImagesPrefix, options, paintColor,
                                      ImageCounter, 0, 0, 0, 0, nullptr, Bullets);
            }
        } else {
            RVFWriteLine(Stream, "&nbsp;");
        }
        RVFWriteLine(Stream, "</TD>");
    }

    void Write()
    {
        const AnsiString tableCellBorder = CSS ? CellBorderStyle(nullptr) : AnsiString();
        RVFWriteLine(Stream, TableTag());
        for (int r = 0; r < Table->Rows->Count(); ++r) {
            TRVTableRow* row = Table->Rows->Get(r);
            RVFWriteLine(Stream, "<TR" + Attr("valign", VAlignValue(row->VAlign)) + ">");
            for (int c = 0; c < row->Count(); ++c)
                if (TRVTableCellData* cell = row->Get(c))
                    WriteCell(cell, tableCellBorder);
            RVFWriteLine(Stream, "</TR>");
        }
        RVFWriteLine(Stream, "</TABLE>");
    }
};

} // namespace

void TRVTableItemInfo::SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                                  const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                                  TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                                  TRVList* bullets)
{
    (void)text;
    THTMLTableWriter writer{this,         stream,
                            rvData,       itemNo,
                            path,         imagesPrefix,
                            imageCounter, currentFileColor,
                            saveOptions,  useCss || saveOptions.Contains(rvsoForceNonTextCSS),
                            bullets};
    writer.Write();
}

AnsiString TRVTableItemInfo::AsText(int lineWidth, TCustomRVData* rvData, const AnsiString& text,
                                    const AnsiString& path, bool textOnly, bool unicode)
{
    (void)text;
    AnsiString rowSep = TextRowSeparator;
    AnsiString colSep = TextColSeparator;
    if (unicode) {
        TRVStyle* style = rvData != nullptr ? rvData->GetRVStyle() : nullptr;
        const unsigned codePage = style != nullptr ? style->DefCodePage() : 0;
        rowSep = RVU_AnsiToUnicode(codePage, rowSep);
        colSep = RVU_AnsiToUnicode(codePage, colSep);
    }
    TMemoryStream out;
    for (int r = 0; r < Rows->Count(); ++r) {
        TRVTableRow* row = Rows->Get(r);
        for (int c = 0; c < row->Count(); ++c) {
            if (TRVTableCellData* cell = row->Get(c))
                cell->GetRVData()->SaveTextToStream(path, out, lineWidth, false, textOnly, unicode);
            if (c < row->Count() - 1)
                RVFWrite(out, colSep);
        }
        RVFWrite(out, rowSep);
    }
    return AnsiString(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}
