// HTML pages of the item store: the plain dialect (FONT tags and DIVs), the
// file writers of both dialects, checkpoint anchors, the background picture,
// and what both dialects share (crvdata_html.h). The dialect with a style
// sheet is in crvdata_htmlcss.cpp.
#include <algorithm>
#include <functional>
#include <memory>

#include "document/crvdata.h"
#include "document/crvdata_html.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// Text

AnsiString RV_MakeHTMLStr(const AnsiString& str, bool NoEmptyLines, bool SpecialCode)
{
    if (SpecialCode)
        return str;
    AnsiString s;
    s.reserve(str.size());
    for (char c : str) {
        if (c == '&')
            s += "&amp;";
        else if (c == '>')
            s += "&gt;";
        else if (c == '<')
            s += "&lt;";
        else
            s += c;
    }
    // Searching from the start again after every replacement: a run of n
    // blanks becomes n - 1 "&nbsp;" and one blank.
    RV_ReplaceStr(s, "  ", "&nbsp; ");
    if (!s.empty() && s.back() == ' ')
        s.replace(s.size() - 1, 1, "&nbsp;");
    if (!s.empty() && s.front() == ' ')
        s.replace(0, 1, "&nbsp;");
    if (s.empty() && NoEmptyLines)
        s = "&nbsp;";
    return s;
}

AnsiString RV_CharSet2HTMLLang(int Charset)
{
    switch (Charset) {
    case 128:
        return "shift_jis";
    case 134:
        return "gb2312";
    case 136:
        return "big5";
    case 161:
        return "Windows-1253";
    case 162:
        return "Windows-1254";
    case 163:
        return "Windows-1258";
    case 177:
        return "Windows-1255";
    case 178:
        return "Windows-1256";
    case 186:
        return "Windows-1257";
    case 204:
        return "Windows-1251";
    case 222:
        return "Windows-874";
    case 238:
        return "Windows-1250";
    case 255:
        return "ascii";
    default:
        return AnsiString();
    }
}

// ---------------------------------------------------------------------------
// The range of items written

bool TRVHTMLRange::StartsLine(const TCustomRVData& Data, size_t Index) const
{
    return Index == 0 || !Data.GetItem(Pieces[Index].ItemNo)->GetSameAsPrev();
}

bool TRVHTMLRange::IsLineBreak(const TCustomRVData& Data, size_t Index) const
{
    if (Index == 0)
        return false;
    const TCustomRVItemInfo* Item = Data.GetItem(Pieces[Index].ItemNo);
    return !Item->GetSameAsPrev() && Item->GetBR();
}

bool TRVHTMLRange::NextContinuesStyle(const TCustomRVData& Data, size_t Index) const
{
    if (Index + 1 >= Pieces.size() || StartsLine(Data, Index + 1))
        return false;
    return Data.GetItem(Pieces[Index + 1].ItemNo)->StyleNo == Data.GetItem(Pieces[Index].ItemNo)->StyleNo;
}

TRVHTMLRange RVHTMLGetRange(TCustomRVData& Data, bool SelectionOnly)
{
    TRVHTMLRange Range;
    Range.Selection = SelectionOnly;
    const int Count = Data.GetItemCount();
    if (!SelectionOnly) {
        Range.Pieces.reserve(static_cast<size_t>(Count));
        for (int i = 0; i < Count; ++i)
            Range.Pieces.push_back({i, false, AnsiString()});
        Range.WithPendingCP = true;
        return Range;
    }

    int StartNo = -1, EndNo = -1, StartOffs = 0, EndOffs = 0;
    TRVMultiDrawItemPart* StartPart = nullptr;
    TRVMultiDrawItemPart* EndPart = nullptr;
    Data.RVFGetLimits(Data.GetRVFSaveScope(true), StartNo, EndNo, StartOffs, EndOffs, StartPart, EndPart);
    // No selection, or limits that do not name items of this document.
    if (StartNo < 0 || EndNo < StartNo || EndNo >= Count)
        return Range;
    for (int i = StartNo; i <= EndNo; ++i) {
        const TCustomRVItemInfo* Item = Data.GetItem(i);
        const AnsiString& Text = Data.GetItemText(i);
        if (Item->StyleNo >= 0) {
            // Offsets count characters from 1; a piece is what lies between them.
            const int Length = RVU_Length(Text, Item->ItemOptions);
            const int From = i == StartNo ? std::max(StartOffs, 1) : 1;
            const int To = i == EndNo ? std::min(EndOffs, Length + 1) : Length + 1;
            // An end item of which nothing is selected is left out; an empty
            // item inside the selection stays (an empty line).
            if (To <= From && (i == StartNo || i == EndNo) && Length > 0)
                continue;
            if (From == 1 && To == Length + 1)
                Range.Pieces.push_back({i, false, AnsiString()});
            else
                Range.Pieces.push_back(
                    {i, true, RVU_Copy(Text, From, std::max(To - From, 0), Item->ItemOptions)});
        } else {
            // A non-text item is selected unless the selection starts after it
            // or ends before it.
            if ((i == StartNo && StartOffs > 0) || (i == EndNo && EndOffs < 1))
                continue;
            Range.Pieces.push_back({i, false, AnsiString()});
        }
    }
    if (Range.Pieces.empty())
        return Range;
    // A selection that starts inside a numbered paragraph keeps its marker.
    const int First = Range.Pieces.front().ItemNo;
    const int ParaFirst = Data.GetFirstParaItem(First);
    if (ParaFirst != First && Data.GetItemStyle(ParaFirst) == rvsListMarker)
        Range.Pieces.insert(Range.Pieces.begin(), {ParaFirst, false, AnsiString()});
    const int Last = Range.Pieces.back().ItemNo;
    Range.WithPendingCP = Last == Count - 1 && EndOffs >= Data.GetOffsAfterItem(Last);
    return Range;
}

TRVHTMLParts RVHTMLGetParts(TRVSaveOptions Options)
{
    const bool First = Options.Contains(rvsoFirstOnly);
    const bool Middle = Options.Contains(rvsoMiddleOnly);
    const bool Last = Options.Contains(rvsoLastOnly);
    TRVHTMLParts Parts;
    Parts.Head = !Middle && !Last;
    Parts.Body = !First && !Last;
    Parts.End = !First && !Middle;
    return Parts;
}

// ---------------------------------------------------------------------------
// Pieces of the page that both dialects write

void RVHTMLWriteTitleAndCharset(TStream& Stream, const AnsiString& Title, TRVStyle* Style)
{
    RVWriteLn(&Stream, "<HTML><HEAD><TITLE>" + RV_EscapeHTMLText(Title) + "</TITLE>");
    const AnsiString Charset = RV_CharSet2HTMLLang(Style->TextStyles()->Items(0)->Charset());
    if (!Charset.empty())
        RVWriteLn(&Stream,
                  Format("<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=%s\">", {Charset}));
}

void RVHTMLWriteExtra(TStream& Stream, TCustomRVData& Data, TRVHTMLSaveArea Area, bool CSSVersion,
                      bool AsLine, const char* Before)
{
    const AnsiString Code = Data.GetExtraHTMLCode(Area, CSSVersion);
    if (Code.empty())
        return;
    if (AsLine)
        RVWriteLn(&Stream, Before + Code);
    else
        RVWrite(&Stream, Before + Code);
}

AnsiString RVHTMLPieceText(TCustomRVData& Data, const TRVHTMLPiece& Piece, TRVStyle* Style)
{
    const TCustomRVItemInfo* Item = Data.GetItem(Piece.ItemNo);
    const bool Raw = Style->TextStyles()->Items(Item->StyleNo)->Options().Contains(rvteoHTMLCode);
    if (Item->ItemOptions.Contains(rvioUnicode))
        return RVU_GetHTMLEncodedUnicode(Piece.Text(Data), true, Raw);
    return RV_MakeHTMLStr(Piece.Text(Data), true, Raw);
}

AnsiString RVHTMLGetTarget(TCustomRVData& Data, int ItemNo, TRVStyle* Style)
{
    const TCustomRVItemInfo* Item = Data.GetItem(ItemNo);
    if (!Item->GetBoolValueEx(rvbpJump, Style))
        return AnsiString();
    return RV_EscapeHTMLAttribute(Data.GetURL(Item->JumpID + Data.FirstJumpNo));
}

void RVHTMLWriteItemCheckpoint(TCustomRVData& Data, TStream& Stream, const TRVHTMLRange& Range, int ItemNo,
                               int& CPIndex, const AnsiString& CPPrefix, bool FromNewLine,
                               TRVSaveOptions Options)
{
    const TRVCPInfo* Checkpoint = Data.GetItem(ItemNo)->Checkpoint;
    if (!Checkpoint)
        return;
    // A selection's anchors keep the numbers they have in the whole document.
    if (Range.Selection)
        CPIndex = Data.GetCheckpointNo(Checkpoint);
    Data.SaveHTMLCheckpoint(Stream, Checkpoint, CPIndex, CPPrefix, FromNewLine, Options);
}

void RVHTMLWritePendingCheckpoint(TCustomRVData& Data, TStream& Stream, const TRVHTMLRange& Range,
                                  int& CPIndex, const AnsiString& CPPrefix, TRVSaveOptions Options)
{
    if (!Range.WithPendingCP || !Data.NotAddedCP)
        return;
    if (Range.Selection)
        CPIndex = Data.GetCheckpointNo(Data.NotAddedCP);
    Data.SaveHTMLCheckpoint(Stream, Data.NotAddedCP, CPIndex, CPPrefix, false, Options);
}

namespace {

// A numbered anchor's prefix stays unquoted, as pages have always carried it,
// while it holds only characters that an unquoted attribute value allows.
bool IsPlainAttributeValue(const AnsiString& s)
{
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
              c == '_' || c == '.' || c == ':'))
            return false;
    return !s.empty();
}

} // namespace

void TCustomRVData::SaveHTMLCheckpoint(TStream& Stream, const TRVCPInfo* Checkpoint, int& CPIndex,
                                       const AnsiString& CPPrefix, bool FromNewLine, TRVSaveOptions Options)
{
    if (!Checkpoint)
        return;
    if (FromNewLine)
        RVWriteLn(&Stream, "");
    if (Options.Contains(rvsoUseCheckpointsNames) && !Checkpoint->Name.empty()) {
        RVWriteLn(&Stream, "<A name=\"" + RV_EscapeHTMLAttribute(Checkpoint->Name) + "\"></A>");
    } else {
        const AnsiString Name = CPPrefix + IntToStr(CPIndex);
        if (IsPlainAttributeValue(Name))
            RVWriteLn(&Stream, "<A name=" + Name + "></A>");
        else
            RVWriteLn(&Stream, "<A name=\"" + RV_EscapeHTMLAttribute(Name) + "\"></A>");
    }
    ++CPIndex;
}

AnsiString TCustomRVData::SaveBackgroundToHTML(TGraphic* Picture, TColor Color, const AnsiString& Path,
                                               const AnsiString& ImagesPrefix, int& ImagesCounter,
                                               bool OverrideImages)
{
    AnsiString Location;
    bool DoDefault = true;
    HTMLSaveImage(this, -1, Path, Color, Location, DoDefault);
    if (DoDefault && Picture && !Picture->Empty())
        Location = RV_GetHTMLPath(
            SavePicture(rvsfHTML, ImagesPrefix, Path, ImagesCounter, OverrideImages, Color, Picture));
    return Location;
}

// ---------------------------------------------------------------------------
// Body writers

TRVHTMLBodyWriter::TRVHTMLBodyWriter(TCustomRVData& Data, TStream& Stream, const TRVHTMLRange& Range,
                                     bool CSS)
    : FData(Data), FStream(Stream), FRange(Range), FStyle(Data.GetRVStyle()), FCSS(CSS)
{}

void TRVHTMLBodyWriter::CloseListItem()
{
    if (!FListItemOpen)
        return;
    RVWriteLn(&FStream, "</LI>");
    FListItemOpen = false;
}

void TRVHTMLBodyWriter::CloseList()
{
    if (!FListMarker)
        return;
    FListMarker->HTMLOpenOrCloseTags(FStream, FListMarker->Level, -1, FStyle, FCSS);
    FListMarker = nullptr;
}

void TRVHTMLBodyWriter::OpenListItem(TRVMarkerItemInfo* Marker, const TRVListLevel* Level)
{
    Marker->SaveHTMLSpecial(FStream, FListMarker, FStyle, FCSS);
    FListMarker = Marker;
    FListItemOpen = true;
    if (Level->HasNumbering())
        RVWrite(&FStream, Format("<LI value=%d", {Marker->Counter}));
    else
        RVWrite(&FStream, "<LI");
}

// ---------------------------------------------------------------------------
// The plain dialect

namespace {

// The picture of a background whose style shows one; null otherwise.
TGraphic* BackgroundPicture(TRVFBackground* Background)
{
    if (!Background || Background->GetRVFBackgroundStyle() == 0)
        return nullptr;
    TGraphic* Picture = Background->GetRVFBackgroundImage();
    return Picture && !Picture->Empty() ? Picture : nullptr;
}

const char* AlignedDiv(TRVAlignment Alignment)
{
    switch (Alignment) {
    case rvaRight:
        return "<DIV align=right>";
    case rvaCenter:
        return "<DIV align=center>";
    case rvaJustify:
        return "<DIV align=justify>";
    case rvaLeft:
        break;
    }
    return "<DIV>";
}

// The body of a plain page: paragraphs as DIVs, numbered paragraphs as list
// items, text styles as FONT and style tags relative to style 0, whose look
// encloses the whole body.
class TPlainBodyWriter : private TRVHTMLBodyWriter {
public:
    TPlainBodyWriter(TCustomRVData& Data, TStream& Stream, const TRVHTMLRange& Range)
        : TRVHTMLBodyWriter(Data, Stream, Range, false)
    {}

    void Write(const AnsiString& Path, const AnsiString& ImagesPrefix, TRVSaveOptions Options, TColor Color,
               int& ImagesCounter, TRVList* Bullets)
    {
        const TFontInfo* Normal = FStyle->TextStyles()->Items(0);
        if (!Options.Contains(rvsoDefault0Style))
            RVWriteLn(&FStream, RV_HTMLOpenFontTag(Normal, Normal, false));
        int CPIndex = 0;
        for (size_t i = 0; i < FRange.Pieces.size(); ++i) {
            const TRVHTMLPiece& Piece = FRange.Pieces[i];
            TCustomRVItemInfo* Item = FData.GetItem(Piece.ItemNo);
            if (FRange.StartsLine(FData, i))
                StartLine(i, Item, Options);
            RVHTMLWriteItemCheckpoint(FData, FStream, FRange, Piece.ItemNo, CPIndex, RVHTMLDefaultCPPrefix,
                                      true, Options);
            const AnsiString Target = RVHTMLGetTarget(FData, Piece.ItemNo, FStyle);
            if (!Target.empty())
                RVWrite(&FStream, "<A href=\"" + Target + "\">");
            if (Item->StyleNo < 0) {
                Item->SaveToHTML(FStream, &FData, Piece.ItemNo, Piece.Text(FData), Path, ImagesPrefix,
                                 ImagesCounter, Color, Options, false, Bullets);
                if (Item->StyleNo == rvsBreak)
                    RVWriteLn(&FStream, "");
            } else {
                const AnsiString Text = RVHTMLPieceText(FData, Piece, FStyle);
                if (Item->StyleNo == 0) {
                    RVWrite(&FStream, Text);
                } else {
                    const TFontInfo* ts = FStyle->TextStyles()->Items(Item->StyleNo);
                    RVWrite(&FStream, RV_HTMLOpenFontTag(ts, Normal, true) + Text +
                                          RV_HTMLCloseFontTag(ts, Normal, true));
                }
            }
            if (!Target.empty())
                RVWrite(&FStream, "</A>");
        }
        CloseListItem();
        CloseList();
        if (FDivOpen)
            RVWriteLn(&FStream, "</DIV>");
        if (!Options.Contains(rvsoDefault0Style))
            RVWriteLn(&FStream, RV_HTMLCloseFontTag(Normal, Normal, false));
        RVHTMLWritePendingCheckpoint(FData, FStream, FRange, CPIndex, RVHTMLDefaultCPPrefix, Options);
    }

private:
    void StartLine(size_t Index, TCustomRVItemInfo* Item, TRVSaveOptions Options)
    {
        if (FRange.IsLineBreak(FData, Index)) {
            RVWriteLn(&FStream, "<BR>");
            return;
        }
        CloseListItem();
        if (FDivOpen) {
            RVWriteLn(&FStream, "</DIV>");
            FDivOpen = false;
        }
        auto* Marker = Item->StyleNo == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(Item) : nullptr;
        TRVListLevel* Level = Marker ? Marker->GetLevelInfo(FStyle) : nullptr;
        if (Level && !Options.Contains(rvsoMarkersAsText)) {
            OpenListItem(Marker, Level);
            RVWrite(&FStream, ">");
            return;
        }
        // A rule between two items of a list keeps the list open.
        if (Item->StyleNo == rvsBreak)
            return;
        // A DIV never stands inside a list: a current list ends first.
        CloseList();
        RVWrite(&FStream, AlignedDiv(FStyle->ParaStyles()->Items(Item->ParaNo)->Alignment()));
        FDivOpen = true;
    }

    bool FDivOpen = false;
};

} // namespace

bool TCustomRVData::SaveHTMLToStream(TStream& Stream, const AnsiString& Path, const AnsiString& Title,
                                     const AnsiString& ImagesPrefix, TRVSaveOptions Options, TColor Color,
                                     int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                                     int BottomMargin, TRVFBackground* Background, TRVList* Bullets,
                                     bool SelectionOnly)
{
    TRVStyle* Style = GetRVStyle();
    if (!Style)
        return false;
    try {
        const TRVHTMLParts Parts = RVHTMLGetParts(Options);
        if (Parts.Head) {
            RVHTMLWriteTitleAndCharset(Stream, Title, Style);
            RVHTMLWriteExtra(Stream, *this, rv_thms_Head, false, true);
            RVWriteLn(&Stream, "</HEAD>");
            RVWrite(&Stream, "<BODY");
            if (Color != clNone)
                RVWrite(&Stream, " bgcolor=" + RV_GetHTMLRGBStr(Color));
            if (TGraphic* Picture = BackgroundPicture(Background)) {
                const AnsiString Location = SaveBackgroundToHTML(
                    Picture, Color, Path, ImagesPrefix, ImagesCounter, Options.Contains(rvsoOverrideImages));
                if (!Location.empty()) {
                    RVWrite(&Stream, " background=\"" + RV_EscapeHTMLAttribute(Location) + "\"");
                    // Only a tiled picture that scrolls with the page moves.
                    if (Background->GetRVFBackgroundStyle() != 3)
                        RVWrite(&Stream, " bgproperties=fixed");
                }
            }
            RVHTMLWriteExtra(Stream, *this, rv_thms_BodyAttribute, false, true, " ");
            RVWriteLn(&Stream, Format(" leftmargin=%d topmargin=%d rightmargin=%d bottommargin=%d>",
                                      {LeftMargin, TopMargin, RightMargin, BottomMargin}));
            RVHTMLWriteExtra(Stream, *this, rv_thms_Body, false, true);
        }
        if (Parts.Body) {
            std::unique_ptr<TRVList> OwnBullets;
            if (!Bullets) {
                OwnBullets = std::make_unique<TRVList>();
                Bullets = OwnBullets.get();
            }
            const TRVHTMLRange Range = RVHTMLGetRange(*this, SelectionOnly);
            TPlainBodyWriter(*this, Stream, Range)
                .Write(Path, ImagesPrefix, Options, Color, ImagesCounter, Bullets);
        }
        if (Parts.End) {
            RVHTMLWriteExtra(Stream, *this, rv_thms_End, false, true);
            RVWriteLn(&Stream, "</BODY></HTML>");
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// ---------------------------------------------------------------------------
// Files

namespace {

// Writes a page through SafeWriteFile: a page that could not be written whole
// leaves an existing file as it was.
bool SaveHTMLFile(const AnsiString& FileName, const std::function<bool(TStream&, const AnsiString&)>& Writer)
{
    try {
        const AnsiString Path = ExtractFilePath(FileName);
        SafeWriteFile(FileName, [&](TStream& Stream) {
            if (!Writer(Stream, Path))
                throw EWriteError("Stream write error");
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool TCustomRVData::SaveHTML(const AnsiString& FileName, const AnsiString& Title,
                             const AnsiString& ImagesPrefix, TRVSaveOptions Options, TColor Color,
                             int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                             int BottomMargin, TRVFBackground* Background)
{
    return SaveHTMLFile(FileName, [&](TStream& Stream, const AnsiString& Path) {
        return SaveHTMLToStream(Stream, Path, Title, ImagesPrefix, Options, Color, ImagesCounter, LeftMargin,
                                TopMargin, RightMargin, BottomMargin, Background, nullptr);
    });
}

bool TCustomRVData::SaveHTMLEx(const AnsiString& FileName, const AnsiString& Title,
                               const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                               const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                               TRVSaveOptions Options, TColor Color, TColor& CurrentFileColor,
                               int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                               int BottomMargin, TRVFBackground* Background)
{
    return SaveHTMLFile(FileName, [&](TStream& Stream, const AnsiString& Path) {
        return SaveHTMLToStreamEx(Stream, Path, Title, ImagesPrefix, ExtraStyles, ExternalCSS, CPPrefix,
                                  Options, Color, CurrentFileColor, ImagesCounter, LeftMargin, TopMargin,
                                  RightMargin, BottomMargin, Background, nullptr);
    });
}
