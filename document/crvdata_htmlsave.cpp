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
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// Text

AnsiString RV_MakeHTMLStr(const AnsiString& str, bool noEmptyLines, bool specialCode)
{
    if (specialCode)
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
    if (s.empty() && noEmptyLines)
        s = "&nbsp;";
    return s;
}

AnsiString RV_CharSet2HTMLLang(int charset)
{
    switch (charset) {
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

bool TRVHTMLRange::StartsLine(const TCustomRVData& data, size_t index) const
{
    return index == 0 || !data.GetItem(Pieces[index].ItemNo)->GetSameAsPrev();
}

bool TRVHTMLRange::IsLineBreak(const TCustomRVData& data, size_t index) const
{
    if (index == 0)
        return false;
    const TCustomRVItemInfo* item = data.GetItem(Pieces[index].ItemNo);
    return !item->GetSameAsPrev() && item->GetBR();
}

bool TRVHTMLRange::NextContinuesStyle(const TCustomRVData& data, size_t index) const
{
    if (index + 1 >= Pieces.size() || StartsLine(data, index + 1))
        return false;
    return data.GetItem(Pieces[index + 1].ItemNo)->StyleNo == data.GetItem(Pieces[index].ItemNo)->StyleNo;
}

TRVHTMLRange RVHTMLGetRange(TCustomRVData& data, bool selectionOnly)
{
    TRVHTMLRange range;
    range.Selection = selectionOnly;
    const int count = data.GetItemCount();
    if (!selectionOnly) {
        range.Pieces.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            range.Pieces.push_back({i, false, AnsiString()});
        range.WithPendingCP = true;
        return range;
    }

    int startNo = -1, endNo = -1, startOffs = 0, endOffs = 0;
    TRVMultiDrawItemPart* startPart = nullptr;
    TRVMultiDrawItemPart* endPart = nullptr;
    data.RVFGetLimits(data.GetRVFSaveScope(true), startNo, endNo, startOffs, endOffs, startPart, endPart);
    // No selection, or limits that do not name items of this document.
    if (startNo < 0 || endNo < startNo || endNo >= count)
        return range;
    for (int i = startNo; i <= endNo; ++i) {
        const TCustomRVItemInfo* item = data.GetItem(i);
        const AnsiString& text = data.GetItemText(i);
        if (item->StyleNo >= 0) {
            // Offsets count characters from 1; a piece is what lies between them.
            const int length = RVU_Length(text, item->ItemOptions);
            const int from = i == startNo ? std::max(startOffs, 1) : 1;
            const int to = i == endNo ? std::min(endOffs, length + 1) : length + 1;
            // An end item of which nothing is selected is left out; an empty
            // item inside the selection stays (an empty line).
            if (to <= from && (i == startNo || i == endNo) && length > 0)
                continue;
            if (from == 1 && to == length + 1)
                range.Pieces.push_back({i, false, AnsiString()});
            else
                range.Pieces.push_back(
                    {i, true, RVU_Copy(text, from, std::max(to - from, 0), item->ItemOptions)});
        } else {
            // A non-text item is selected unless the selection starts after it
            // or ends before it.
            if ((i == startNo && startOffs > 0) || (i == endNo && endOffs < 1))
                continue;
            range.Pieces.push_back({i, false, AnsiString()});
        }
    }
    if (range.Pieces.empty())
        return range;
    // A selection that starts inside a numbered paragraph keeps its marker.
    const int first = range.Pieces.front().ItemNo;
    const int paraFirst = data.GetFirstParaItem(first);
    if (paraFirst != first && data.GetItemStyle(paraFirst) == rvsListMarker)
        range.Pieces.insert(range.Pieces.begin(), {paraFirst, false, AnsiString()});
    const int last = range.Pieces.back().ItemNo;
    range.WithPendingCP = last == count - 1 && endOffs >= data.GetOffsAfterItem(last);
    return range;
}

TRVHTMLParts RVHTMLGetParts(TRVSaveOptions options)
{
    const bool first = options.Contains(rvsoFirstOnly);
    const bool middle = options.Contains(rvsoMiddleOnly);
    const bool last = options.Contains(rvsoLastOnly);
    TRVHTMLParts parts;
    parts.Head = !middle && !last;
    parts.Body = !first && !last;
    parts.End = !first && !middle;
    return parts;
}

// ---------------------------------------------------------------------------
// Pieces of the page that both dialects write

bool RVHTMLWritePage(TCustomRVData& data, TStream& stream, const AnsiString& title, TRVSaveOptions options,
                     bool cssVersion, TRVList* bullets, bool selectionOnly,
                     const std::function<void(TRVStyle& style)>& writeHead,
                     const std::function<void(const TRVHTMLRange& range, TRVList* bullets)>& writeBody)
{
    TRVStyle* style = data.GetRVStyle();
    if (!style)
        return false;
    try {
        const TRVHTMLParts parts = RVHTMLGetParts(options);
        if (parts.Head) {
            RVHTMLWriteTitleAndCharset(stream, title, style);
            writeHead(*style);
        }
        if (parts.Body) {
            std::unique_ptr<TRVList> ownBullets;
            if (!bullets) {
                ownBullets = std::make_unique<TRVList>();
                bullets = ownBullets.get();
            }
            writeBody(RVHTMLGetRange(data, selectionOnly), bullets);
        }
        if (parts.End) {
            if (cssVersion)
                RVWriteLn(&stream, "");
            RVHTMLWriteExtra(stream, data, rv_thms_End, cssVersion, true);
            RVWriteLn(&stream, "</BODY></HTML>");
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TGraphic* RVHTMLBackgroundPicture(TRVFBackground* background)
{
    if (!background || background->GetRVFBackgroundStyle() == 0)
        return nullptr;
    TGraphic* picture = background->GetRVFBackgroundImage();
    return picture && !picture->Empty() ? picture : nullptr;
}

void RVHTMLWriteTitleAndCharset(TStream& stream, const AnsiString& title, TRVStyle* style)
{
    RVWriteLn(&stream, "<HTML><HEAD><TITLE>" + RV_EscapeHTMLText(title) + "</TITLE>");
    const int fontCharset = style->TextStyles()->Items(0)->Charset();
    AnsiString charset = RV_CharSet2HTMLLang(fontCharset);
    // Text in the ANSI code page is written as its bytes: on a UTF-8 system
    // they are UTF-8, which a reader must be told, as it would otherwise take
    // them for its default single-byte set.
    if (charset.empty() && ResolveCodePage(RVU_Charset2CodePage(fontCharset)) == CP_UTF8)
        charset = "UTF-8";
    if (!charset.empty())
        RVWriteLn(&stream,
                  Format("<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=%s\">", {charset}));
}

void RVHTMLWriteExtra(TStream& stream, TCustomRVData& data, TRVHTMLSaveArea area, bool cssVersion,
                      bool asLine, const char* before)
{
    const AnsiString code = data.GetExtraHTMLCode(area, cssVersion);
    if (code.empty())
        return;
    if (asLine)
        RVWriteLn(&stream, before + code);
    else
        RVWrite(&stream, before + code);
}

AnsiString RVHTMLPieceText(TCustomRVData& data, const TRVHTMLPiece& piece, TRVStyle* style)
{
    const TCustomRVItemInfo* item = data.GetItem(piece.ItemNo);
    const bool raw = style->TextStyles()->Items(item->StyleNo)->Options().Contains(rvteoHTMLCode);
    if (item->ItemOptions.Contains(rvioUnicode))
        return RVU_GetHTMLEncodedUnicode(piece.Text(data), true, raw);
    return RV_MakeHTMLStr(piece.Text(data), true, raw);
}

AnsiString RVHTMLGetTarget(TCustomRVData& data, int itemNo, TRVStyle* style)
{
    const TCustomRVItemInfo* item = data.GetItem(itemNo);
    if (!item->GetBoolValueEx(rvbpJump, style))
        return AnsiString();
    return RV_EscapeHTMLAttribute(data.GetURL(item->GetJumpID() + data.FirstJumpNo));
}

void RVHTMLWriteItemCheckpoint(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range, int itemNo,
                               int& cpIndex, const AnsiString& cpPrefix, bool fromNewLine,
                               TRVSaveOptions options)
{
    const TRVCPInfo* checkpoint = data.GetItem(itemNo)->GetCheckpoint();
    if (!checkpoint)
        return;
    // A selection's anchors keep the numbers they have in the whole document.
    if (range.Selection)
        cpIndex = data.GetCheckpointNo(checkpoint);
    data.SaveHTMLCheckpoint(stream, checkpoint, cpIndex, cpPrefix, fromNewLine, options);
}

void RVHTMLWritePendingCheckpoint(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range,
                                  int& cpIndex, const AnsiString& cpPrefix, TRVSaveOptions options)
{
    if (!range.WithPendingCP || !data.NotAddedCP)
        return;
    if (range.Selection)
        cpIndex = data.GetCheckpointNo(data.NotAddedCP);
    data.SaveHTMLCheckpoint(stream, data.NotAddedCP, cpIndex, cpPrefix, false, options);
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

void TCustomRVData::SaveHTMLCheckpoint(TStream& stream, const TRVCPInfo* checkpoint, int& cpIndex,
                                       const AnsiString& cpPrefix, bool fromNewLine, TRVSaveOptions options)
{
    if (!checkpoint)
        return;
    if (fromNewLine)
        RVWriteLn(&stream, "");
    if (options.Contains(rvsoUseCheckpointsNames) && !checkpoint->Name.empty()) {
        RVWriteLn(&stream, "<A name=\"" + RV_EscapeHTMLAttribute(checkpoint->Name) + "\"></A>");
    } else {
        const AnsiString name = cpPrefix + IntToStr(cpIndex);
        if (IsPlainAttributeValue(name))
            RVWriteLn(&stream, "<A name=" + name + "></A>");
        else
            RVWriteLn(&stream, "<A name=\"" + RV_EscapeHTMLAttribute(name) + "\"></A>");
    }
    ++cpIndex;
}

AnsiString TCustomRVData::SaveBackgroundToHTML(TGraphic* picture, TColor color, const AnsiString& path,
                                               const AnsiString& imagesPrefix, int& imagesCounter,
                                               bool overrideImages)
{
    AnsiString location;
    bool doDefault = true;
    HTMLSaveImage(this, -1, path, color, location, doDefault);
    if (doDefault && picture && !picture->Empty())
        location = RV_GetHTMLPath(
            SavePicture(rvsfHTML, imagesPrefix, path, imagesCounter, overrideImages, color, picture));
    return location;
}

// ---------------------------------------------------------------------------
// Body writers

TRVHTMLBodyWriter::TRVHTMLBodyWriter(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range,
                                     bool css)
    : FData(data), FStream(stream), FRange(range), FStyle(data.GetRVStyle()), FCSS(css)
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

void TRVHTMLBodyWriter::OpenListItem(TRVMarkerItemInfo* marker, const TRVListLevel* level)
{
    marker->SaveHTMLSpecial(FStream, FListMarker, FStyle, FCSS);
    FListMarker = marker;
    FListItemOpen = true;
    if (level->HasNumbering())
        RVWrite(&FStream, Format("<LI value=%d", {marker->Counter}));
    else
        RVWrite(&FStream, "<LI");
}

// ---------------------------------------------------------------------------
// The plain dialect

namespace {

const char* AlignedDiv(TRVAlignment alignment)
{
    switch (alignment) {
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
    TPlainBodyWriter(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range)
        : TRVHTMLBodyWriter(data, stream, range, false)
    {}

    void Write(const AnsiString& path, const AnsiString& imagesPrefix, TRVSaveOptions options, TColor color,
               int& imagesCounter, TRVList* bullets)
    {
        const TFontInfo* normal = FStyle->TextStyles()->Items(0);
        if (!options.Contains(rvsoDefault0Style))
            RVWriteLn(&FStream, RV_HTMLOpenFontTag(normal, normal, false));
        int cpIndex = 0;
        for (size_t i = 0; i < FRange.Pieces.size(); ++i) {
            const TRVHTMLPiece& piece = FRange.Pieces[i];
            TCustomRVItemInfo* item = FData.GetItem(piece.ItemNo);
            if (FRange.StartsLine(FData, i))
                StartLine(i, item, options);
            RVHTMLWriteItemCheckpoint(FData, FStream, FRange, piece.ItemNo, cpIndex, RVHTMLDefaultCPPrefix,
                                      true, options);
            const AnsiString target = RVHTMLGetTarget(FData, piece.ItemNo, FStyle);
            if (!target.empty())
                RVWrite(&FStream, "<A href=\"" + target + "\">");
            if (item->StyleNo < 0) {
                item->SaveToHTML(FStream, &FData, piece.ItemNo, piece.Text(FData), path, imagesPrefix,
                                 imagesCounter, color, options, false, bullets);
                if (item->StyleNo == rvsBreak)
                    RVWriteLn(&FStream, "");
            } else {
                const AnsiString text = RVHTMLPieceText(FData, piece, FStyle);
                if (item->StyleNo == 0) {
                    RVWrite(&FStream, text);
                } else {
                    const TFontInfo* ts = FStyle->TextStyles()->Items(item->StyleNo);
                    RVWrite(&FStream, RV_HTMLOpenFontTag(ts, normal, true) + text +
                                          RV_HTMLCloseFontTag(ts, normal, true));
                }
            }
            if (!target.empty())
                RVWrite(&FStream, "</A>");
        }
        CloseListItem();
        CloseList();
        if (FDivOpen)
            RVWriteLn(&FStream, "</DIV>");
        if (!options.Contains(rvsoDefault0Style))
            RVWriteLn(&FStream, RV_HTMLCloseFontTag(normal, normal, false));
        RVHTMLWritePendingCheckpoint(FData, FStream, FRange, cpIndex, RVHTMLDefaultCPPrefix, options);
    }

private:
    void StartLine(size_t index, TCustomRVItemInfo* item, TRVSaveOptions options)
    {
        if (FRange.IsLineBreak(FData, index)) {
            RVWriteLn(&FStream, "<BR>");
            return;
        }
        CloseListItem();
        if (FDivOpen) {
            RVWriteLn(&FStream, "</DIV>");
            FDivOpen = false;
        }
        auto* marker = item->StyleNo == rvsListMarker ? dynamic_cast<TRVMarkerItemInfo*>(item) : nullptr;
        TRVListLevel* level = marker ? marker->GetLevelInfo(FStyle) : nullptr;
        if (level && !options.Contains(rvsoMarkersAsText)) {
            OpenListItem(marker, level);
            RVWrite(&FStream, ">");
            return;
        }
        // A rule between two items of a list keeps the list open.
        if (item->StyleNo == rvsBreak)
            return;
        // A DIV never stands inside a list: a current list ends first.
        CloseList();
        RVWrite(&FStream, AlignedDiv(FStyle->ParaStyles()->Items(item->ParaNo)->Alignment()));
        FDivOpen = true;
    }

    bool FDivOpen = false;
};

} // namespace

bool TCustomRVData::SaveHTMLToStream(TStream& stream, const AnsiString& path, const AnsiString& title,
                                     const AnsiString& imagesPrefix, TRVSaveOptions options, TColor color,
                                     int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                                     int bottomMargin, TRVFBackground* background, TRVList* bullets,
                                     bool selectionOnly)
{
    auto writeHead = [&](TRVStyle&) {
        RVHTMLWriteExtra(stream, *this, rv_thms_Head, false, true);
        RVWriteLn(&stream, "</HEAD>");
        RVWrite(&stream, "<BODY");
        if (color != clNone)
            RVWrite(&stream, " bgcolor=" + RV_GetHTMLRGBStr(color));
        if (TGraphic* picture = RVHTMLBackgroundPicture(background)) {
            const AnsiString location = SaveBackgroundToHTML(
                picture, color, path, imagesPrefix, imagesCounter, options.Contains(rvsoOverrideImages));
            if (!location.empty()) {
                RVWrite(&stream, " background=\"" + RV_EscapeHTMLAttribute(location) + "\"");
                // Only a tiled picture that scrolls with the page moves.
                if (background->GetRVFBackgroundStyle() != 3)
                    RVWrite(&stream, " bgproperties=fixed");
            }
        }
        RVHTMLWriteExtra(stream, *this, rv_thms_BodyAttribute, false, true, " ");
        RVWriteLn(&stream, Format(" leftmargin=%d topmargin=%d rightmargin=%d bottommargin=%d>",
                                  {leftMargin, topMargin, rightMargin, bottomMargin}));
        RVHTMLWriteExtra(stream, *this, rv_thms_Body, false, true);
    };
    auto writeBody = [&](const TRVHTMLRange& range, TRVList* pageBullets) {
        TPlainBodyWriter(*this, stream, range)
            .Write(path, imagesPrefix, options, color, imagesCounter, pageBullets);
    };
    return RVHTMLWritePage(*this, stream, title, options, false, bullets, selectionOnly, writeHead,
                           writeBody);
}

// ---------------------------------------------------------------------------
// Files

namespace {

// Writes a page through SafeWriteFile: a page that could not be written whole
// leaves an existing file as it was.
bool SaveHTMLFile(const AnsiString& fileName, const std::function<bool(TStream&, const AnsiString&)>& writer)
{
    try {
        const AnsiString Path = ExtractFilePath(fileName);
        SafeWriteFile(fileName, [&](TStream& stream) {
            if (!writer(stream, Path))
                throw EWriteError("Stream write error");
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool TCustomRVData::SaveHTML(const AnsiString& fileName, const AnsiString& Title,
                             const AnsiString& ImagesPrefix, TRVSaveOptions Options, TColor Color,
                             int& imagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                             int BottomMargin, TRVFBackground* Background)
{
    return SaveHTMLFile(fileName, [&](TStream& stream, const AnsiString& path) {
        return SaveHTMLToStream(stream, path, Title, ImagesPrefix, Options, Color, imagesCounter, LeftMargin,
                                TopMargin, RightMargin, BottomMargin, Background, nullptr);
    });
}

bool TCustomRVData::SaveHTMLEx(const AnsiString& fileName, const AnsiString& Title,
                               const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                               const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                               TRVSaveOptions Options, TColor Color, TColor& currentFileColor,
                               int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                               int BottomMargin, TRVFBackground* Background)
{
    return SaveHTMLFile(fileName, [&](TStream& stream, const AnsiString& path) {
        return SaveHTMLToStreamEx(stream, path, Title, ImagesPrefix, ExtraStyles, ExternalCSS, CPPrefix,
                                  Options, Color, currentFileColor, ImagesCounter, LeftMargin, TopMargin,
                                  RightMargin, BottomMargin, Background, nullptr);
    });
}
