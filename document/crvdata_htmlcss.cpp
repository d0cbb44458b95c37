// HTML pages of the item store in the dialect with a style sheet: text styles
// as SPAN classes (RVTSn), paragraph styles as P classes (RVPSn), the page's
// margins and background in the BODY rule of an embedded or linked sheet.
#include <memory>

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
void WriteBackgroundPlacement(TStream& Stream, int BackgroundStyle)
{
    const bool Repeat = BackgroundStyle == 2 || BackgroundStyle == 3;
    RVWriteLn(&Stream, Format("  background-repeat: %s;", {Repeat ? "repeat" : "no-repeat"}));
    RVWriteLn(&Stream, Format("  background-attachment: %s;", {BackgroundStyle == 3 ? "scroll" : "fixed"}));
    if (BackgroundStyle == 1 || BackgroundStyle == 4)
        RVWriteLn(&Stream, "  background-position: center center;");
}

// The body of a page with a style sheet: paragraphs as P elements of their
// style's class, numbered paragraphs as list items, text in SPANs of its
// style's class (none for style 0 when it is the body's look), hyperlinks as A
// elements of their style's class.
class TCSSBodyWriter : private TRVHTMLBodyWriter {
public:
    TCSSBodyWriter(TCustomRVData& Data, TStream& Stream, const TRVHTMLRange& Range)
        : TRVHTMLBodyWriter(Data, Stream, Range, true)
    {}

    void Write(const AnsiString& Path, const AnsiString& ImagesPrefix, const AnsiString& CPPrefix,
               TRVSaveOptions Options, TColor Color, TColor& CurrentFileColor, int& ImagesCounter,
               TRVList* Bullets)
    {
        const TFontInfo* Normal = FStyle->TextStyles()->Items(0);
        // Style 0 is the body's own look unless it needs an element of its own.
        const bool SpanForNormal = Normal->Jump() || Normal->BackColor() != clNone;
        int CPIndex = 0;
        for (size_t i = 0; i < FRange.Pieces.size(); ++i) {
            const TRVHTMLPiece& Piece = FRange.Pieces[i];
            TCustomRVItemInfo* Item = FData.GetItem(Piece.ItemNo);
            if (FRange.StartsLine(FData, i))
                StartLine(i, Item, Path, ImagesPrefix, Options, Color, CurrentFileColor, ImagesCounter,
                          Bullets);
            RVHTMLWriteItemCheckpoint(FData, FStream, FRange, Piece.ItemNo, CPIndex, CPPrefix, false,
                                      Options);
            const AnsiString Target = RVHTMLGetTarget(FData, Piece.ItemNo, FStyle);
            if (Item->StyleNo < 0) {
                if (!Target.empty())
                    RVWrite(&FStream, "<A href=\"" + Target + "\">");
                Item->SaveToHTML(FStream, &FData, Piece.ItemNo, Piece.Text(FData), Path, ImagesPrefix,
                                 ImagesCounter, CurrentFileColor, Options, true, Bullets);
                if (!Target.empty())
                    RVWrite(&FStream, "</A>");
                continue;
            }
            const AnsiString Text = RVHTMLPieceText(FData, Piece, FStyle);
            if (!Target.empty()) {
                // A link is an element of its own, never inside a SPAN of its style.
                CloseSpan();
                RVWrite(&FStream,
                        Format("<A class=RVTS%d href=\"%s\">", {Item->StyleNo, Target}) + Text + "</A>");
                continue;
            }
            if (Item->StyleNo != FOpenSpan) {
                CloseSpan();
                if (Item->StyleNo != 0 || SpanForNormal) {
                    RVWrite(&FStream, Format("<SPAN class=RVTS%d>", {Item->StyleNo}));
                    FOpenSpan = Item->StyleNo;
                }
            }
            RVWrite(&FStream, Text);
            if (!FRange.NextContinuesStyle(FData, i))
                CloseSpan();
        }
        CloseSpan();
        CloseListItem();
        CloseList();
        if (FParaOpen)
            RVWrite(&FStream, "</P>");
        RVHTMLWritePendingCheckpoint(FData, FStream, FRange, CPIndex, CPPrefix, Options);
    }

private:
    // A line break, or the end of the open paragraph or list item and the
    // start of the paragraph or list item of piece Index.
    void StartLine(size_t Index, TCustomRVItemInfo* Item, const AnsiString& Path,
                   const AnsiString& ImagesPrefix, TRVSaveOptions Options, TColor Color,
                   TColor& CurrentFileColor, int& ImagesCounter, TRVList* Bullets)
    {
        const bool LineBreak = FRange.IsLineBreak(FData, Index);
        if (LineBreak || (!FParaOpen && !FListMarker))
            RVWriteLn(&FStream, "");
        if (LineBreak) {
            RVWrite(&FStream, "<BR>");
            return;
        }
        CloseListItem();
        if (FParaOpen) {
            RVWriteLn(&FStream, "</P>");
            FParaOpen = false;
        }
        const TParaInfo* Para = FStyle->ParaStyles()->Items(Item->ParaNo);
        CurrentFileColor = Para->Background()->Color() != clNone ? Para->Background()->Color() : Color;

        auto* Marker = Item->StyleNo == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(Item) : nullptr;
        TRVListLevel* Level = Marker ? Marker->GetLevelInfo(FStyle) : nullptr;
        if (Level && Options.Contains(rvsoMarkersAsText)) {
            CloseList();
            const AnsiString Indent = Level->GetIndentCSSForTextVersion();
            if (Item->ParaNo == 0)
                RVWrite(&FStream, Format("<P style=\"%s\">", {Indent}));
            else
                RVWrite(&FStream, Format("<P class=RVPS%d style=\"%s\">", {Item->ParaNo, Indent}));
            FParaOpen = true;
        } else if (Level) {
            OpenListItem(Marker, Level);
            if (Item->ParaNo > 0)
                RVWrite(&FStream, Format(" class=RVPS%d", {Item->ParaNo}));
            RVWrite(&FStream, Marker->GetLICSS(&FData, Path, ImagesPrefix, ImagesCounter, CurrentFileColor,
                                               Options, Bullets));
            RVWrite(&FStream, ">");
        } else if (Item->StyleNo != rvsBreak) {
            CloseList();
            if (Item->ParaNo == 0)
                RVWrite(&FStream, "<P>");
            else
                RVWrite(&FStream, Format("<P class=RVPS%d>", {Item->ParaNo}));
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

bool TCustomRVData::SaveHTMLToStreamEx(TStream& Stream, const AnsiString& Path, const AnsiString& Title,
                                       const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                                       const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                                       TRVSaveOptions Options, TColor Color, TColor& CurrentFileColor,
                                       int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                                       int BottomMargin, TRVFBackground* Background, TRVList* Bullets,
                                       bool SelectionOnly)
{
    CurrentFileColor = Color;
    TRVStyle* Style = GetRVStyle();
    if (!Style)
        return false;
    try {
        const TRVHTMLParts Parts = RVHTMLGetParts(Options);
        if (Parts.Head) {
            RVHTMLWriteTitleAndCharset(Stream, Title, Style);
            RVWriteLn(&Stream, "<STYLE type=\"text/css\"><!--");
            RVWriteLn(&Stream, "BODY {");
            RVWriteLn(&Stream, Format("  margin: %dpx %dpx %dpx %dpx;",
                                      {TopMargin, RightMargin, BottomMargin, LeftMargin}));
            if (Color != clNone)
                RVWriteLn(&Stream, "  background-color: " + RV_GetHTMLRGBStr(Color) + ";");
            TGraphic* Picture = nullptr;
            if (Background && Background->GetRVFBackgroundStyle() != 0)
                Picture = Background->GetRVFBackgroundImage();
            if (Picture && !Picture->Empty()) {
                const AnsiString Location = SaveBackgroundToHTML(
                    Picture, Color, Path, ImagesPrefix, ImagesCounter, Options.Contains(rvsoOverrideImages));
                if (!Location.empty()) {
                    // A quoted CSS string: the location cannot end the rule or the STYLE element.
                    RVWriteLn(&Stream,
                              Format("  background-image: url(\"%s\");", {RV_EscapeCSSString(Location)}));
                    WriteBackgroundPlacement(Stream, Background->GetRVFBackgroundStyle());
                }
            }
            RVWriteLn(&Stream, "}");
            if (ExternalCSS.empty())
                Style->SaveCSSToStream(&Stream, {});
            RVWriteLn(&Stream, ExtraStyles);
            RVWriteLn(&Stream, "--></STYLE>");
            if (!ExternalCSS.empty())
                RVWriteLn(&Stream, "<LINK type=\"text/css\" href=\"" + RV_EscapeHTMLAttribute(ExternalCSS) +
                                       "\" rel=STYLESHEET>");
            RVHTMLWriteExtra(Stream, *this, rv_thms_Head, true, true);
            RVWriteLn(&Stream, "</HEAD>");
            RVWrite(&Stream, "<BODY");
            RVHTMLWriteExtra(Stream, *this, rv_thms_BodyAttribute, true, false, " ");
            RVWriteLn(&Stream, ">");
            RVHTMLWriteExtra(Stream, *this, rv_thms_Body, true, false);
        }
        if (Parts.Body) {
            std::unique_ptr<TRVList> OwnBullets;
            if (!Bullets) {
                OwnBullets = std::make_unique<TRVList>();
                Bullets = OwnBullets.get();
            }
            const TRVHTMLRange Range = RVHTMLGetRange(*this, SelectionOnly);
            TCSSBodyWriter(*this, Stream, Range)
                .Write(Path, ImagesPrefix, CPPrefix.empty() ? AnsiString(RVHTMLDefaultCPPrefix) : CPPrefix,
                       Options, Color, CurrentFileColor, ImagesCounter, Bullets);
        }
        if (Parts.End) {
            RVWriteLn(&Stream, "");
            RVHTMLWriteExtra(Stream, *this, rv_thms_End, true, true);
            RVWriteLn(&Stream, "</BODY></HTML>");
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
