// HTML pages of the item store in the dialect with a style sheet: text styles
// as SPAN classes (RVTSn), paragraph styles as P classes (RVPSn), the page's
// margins and background in the BODY rule of an embedded or linked sheet.

#include "document/crvdata.h"
#include "document/crvdata_html.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

namespace {

// The BODY rule's placement of a background picture, by the background style
// (the view layer's TBackgroundStyle: 1 stretched, 2 tiled, 3 tiled and
// scrolled, 4 centred).
void WriteBackgroundPlacement(TStream& stream, int backgroundStyle)
{
    const bool repeat = backgroundStyle == 2 || backgroundStyle == 3;
    RVWriteLn(&stream, Format("  background-repeat: %s;", {repeat ? "repeat" : "no-repeat"}));
    RVWriteLn(&stream, Format("  background-attachment: %s;", {backgroundStyle == 3 ? "scroll" : "fixed"}));
    if (backgroundStyle == 1 || backgroundStyle == 4)
        RVWriteLn(&stream, "  background-position: center center;");
}

// The body of a page with a style sheet: paragraphs as P elements of their
// style's class, numbered paragraphs as list items, text in SPANs of its
// style's class (none for style 0 when it is the body's look), hyperlinks as A
// elements of their style's class.
class TCSSBodyWriter : private TRVHTMLBodyWriter {
public:
    TCSSBodyWriter(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range)
        : TRVHTMLBodyWriter(data, stream, range, true)
    {}

    void Write(const AnsiString& path, const AnsiString& imagesPrefix, const AnsiString& cpPrefix,
               TRVSaveOptions options, TColor color, TColor& currentFileColor, int& imagesCounter,
               TRVList* bullets)
    {
        const TFontInfo* normal = FStyle->TextStyles()->Items(0);
        // Style 0 is the body's own look unless it needs an element of its own.
        const bool spanForNormal = normal->Jump() || normal->BackColor() != clNone;
        int cpIndex = 0;
        for (size_t i = 0; i < FRange.Pieces.size(); ++i) {
            const TRVHTMLPiece& piece = FRange.Pieces[i];
            TCustomRVItemInfo* item = FData.GetItem(piece.ItemNo);
            if (FRange.StartsLine(FData, i))
                StartLine(i, item, path, imagesPrefix, options, color, currentFileColor, imagesCounter,
                          bullets);
            RVHTMLWriteItemCheckpoint(FData, FStream, FRange, piece.ItemNo, cpIndex, cpPrefix, false,
                                      options);
            const AnsiString target = RVHTMLGetTarget(FData, piece.ItemNo, FStyle);
            if (item->StyleNo < 0) {
                if (!target.empty())
                    RVWrite(&FStream, "<A href=\"" + target + "\">");
                item->SaveToHTML(FStream, &FData, piece.ItemNo, piece.Text(FData), path, imagesPrefix,
                                 imagesCounter, currentFileColor, options, true, bullets);
                if (!target.empty())
                    RVWrite(&FStream, "</A>");
                continue;
            }
            const AnsiString text = RVHTMLPieceText(FData, piece, FStyle);
            if (!target.empty()) {
                // A link is an element of its own, never inside a SPAN of its style.
                CloseSpan();
                RVWrite(&FStream,
                        Format("<A class=RVTS%d href=\"%s\">", {item->StyleNo, target}) + text + "</A>");
                continue;
            }
            if (item->StyleNo != FOpenSpan) {
                CloseSpan();
                if (item->StyleNo != 0 || spanForNormal) {
                    RVWrite(&FStream, Format("<SPAN class=RVTS%d>", {item->StyleNo}));
                    FOpenSpan = item->StyleNo;
                }
            }
            RVWrite(&FStream, text);
            if (!FRange.NextContinuesStyle(FData, i))
                CloseSpan();
        }
        CloseSpan();
        CloseListItem();
        CloseList();
        if (FParaOpen)
            RVWrite(&FStream, "</P>");
        RVHTMLWritePendingCheckpoint(FData, FStream, FRange, cpIndex, cpPrefix, options);
    }

private:
    // A line break, or the end of the open paragraph or list item and the
    // start of the paragraph or list item of piece Index.
    void StartLine(size_t index, TCustomRVItemInfo* item, const AnsiString& path,
                   const AnsiString& imagesPrefix, TRVSaveOptions options, TColor color,
                   TColor& currentFileColor, int& imagesCounter, TRVList* bullets)
    {
        const bool lineBreak = FRange.IsLineBreak(FData, index);
        if (lineBreak || (!FParaOpen && !FListMarker))
            RVWriteLn(&FStream, "");
        if (lineBreak) {
            RVWrite(&FStream, "<BR>");
            return;
        }
        CloseListItem();
        if (FParaOpen) {
            RVWriteLn(&FStream, "</P>");
            FParaOpen = false;
        }
        const TParaInfo* para = FStyle->ParaStyles()->Items(item->ParaNo);
        currentFileColor = para->Background()->Color() != clNone ? para->Background()->Color() : color;

        auto* marker = item->StyleNo == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(item) : nullptr;
        TRVListLevel* level = marker ? marker->GetLevelInfo(FStyle) : nullptr;
        if (level && options.Contains(rvsoMarkersAsText)) {
            CloseList();
            const AnsiString indent = level->GetIndentCSSForTextVersion();
            if (item->ParaNo == 0)
                RVWrite(&FStream, Format("<P style=\"%s\">", {indent}));
            else
                RVWrite(&FStream, Format("<P class=RVPS%d style=\"%s\">", {item->ParaNo, indent}));
            FParaOpen = true;
        } else if (level) {
            OpenListItem(marker, level);
            if (item->ParaNo > 0)
                RVWrite(&FStream, Format(" class=RVPS%d", {item->ParaNo}));
            RVWrite(&FStream, marker->GetLICSS(&FData, path, imagesPrefix, imagesCounter, currentFileColor,
                                               options, bullets));
            RVWrite(&FStream, ">");
        } else if (item->StyleNo != rvsBreak) {
            CloseList();
            if (item->ParaNo == 0)
                RVWrite(&FStream, "<P>");
            else
                RVWrite(&FStream, Format("<P class=RVPS%d>", {item->ParaNo}));
            FParaOpen = true;
        }
    }

    void CloseSpan()
    {
        if (FOpenSpan < 0)
            return;
        RVWrite(&FStream, "</SPAN>");
        FOpenSpan = -1;
    }

    bool FParaOpen = false;
    int FOpenSpan = -1; // the text style of the open SPAN
};

} // namespace

bool TCustomRVData::SaveHTMLToStreamEx(TStream& stream, const AnsiString& path, const AnsiString& title,
                                       const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                                       const AnsiString& externalCss, const AnsiString& cpPrefix,
                                       TRVSaveOptions options, TColor color, TColor& currentFileColor,
                                       int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                                       int bottomMargin, TRVFBackground* background, TRVList* bullets,
                                       bool selectionOnly)
{
    currentFileColor = color;
    auto writeHead = [&](TRVStyle& style) {
        RVWriteLn(&stream, "<STYLE type=\"text/css\"><!--");
        RVWriteLn(&stream, "BODY {");
        RVWriteLn(&stream, Format("  margin: %dpx %dpx %dpx %dpx;",
                                  {topMargin, rightMargin, bottomMargin, leftMargin}));
        if (color != clNone)
            RVWriteLn(&stream, "  background-color: " + RV_GetHTMLRGBStr(color) + ";");
        if (TGraphic* picture = RVHTMLBackgroundPicture(background)) {
            const AnsiString location = SaveBackgroundToHTML(
                picture, color, path, imagesPrefix, imagesCounter, options.Contains(rvsoOverrideImages));
            if (!location.empty()) {
                // A quoted CSS string: the location cannot end the rule or the STYLE element.
                RVWriteLn(&stream,
                          Format("  background-image: url(\"%s\");", {RV_EscapeCSSString(location)}));
                WriteBackgroundPlacement(stream, background->GetRVFBackgroundStyle());
            }
        }
        RVWriteLn(&stream, "}");
        if (externalCss.empty())
            style.SaveCSSToStream(&stream, {});
        RVWriteLn(&stream, extraStyles);
        RVWriteLn(&stream, "--></STYLE>");
        if (!externalCss.empty())
            RVWriteLn(&stream, "<LINK type=\"text/css\" href=\"" + RV_EscapeHTMLAttribute(externalCss) +
                                   "\" rel=STYLESHEET>");
        RVHTMLWriteExtra(stream, *this, rv_thms_Head, true, true);
        RVWriteLn(&stream, "</HEAD>");
        RVWrite(&stream, "<BODY");
        RVHTMLWriteExtra(stream, *this, rv_thms_BodyAttribute, true, false, " ");
        RVWriteLn(&stream, ">");
        RVHTMLWriteExtra(stream, *this, rv_thms_Body, true, false);
    };
    auto writeBody = [&](const TRVHTMLRange& range, TRVList* pageBullets) {
        TCSSBodyWriter(*this, stream, range)
            .Write(path, imagesPrefix, cpPrefix.empty() ? AnsiString(RVHTMLDefaultCPPrefix) : cpPrefix,
                   options, color, currentFileColor, imagesCounter, pageBullets);
    };
    return RVHTMLWritePage(*this, stream, title, options, true, bullets, selectionOnly, writeHead, writeBody);
}
