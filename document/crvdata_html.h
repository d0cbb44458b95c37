// What the two HTML writers of the item store share: the range of items a
// save writes, the parts of the page the options ask for, the title lines,
// escaping, hyperlink targets and the extra code of the root data. Used by
// crvdata_htmlsave.cpp and crvdata_htmlcss.cpp only.
#pragma once

#include <functional>
#include <vector>

#include "document/crvdata.h"

class TGraphic;
class TRVFBackground;
class TRVListLevel;
class TRVMarkerItemInfo;
class TRVStyle;

// The prefix of numbered checkpoint anchors when the caller gives none.
inline constexpr const char* RVHTMLDefaultCPPrefix = "RollViewCheckpoint";

// One item as a page writes it: its number and, when a selection covers only
// part of a text item, that part (whole items are not copied).
struct TRVHTMLPiece {
    int ItemNo = 0;
    bool Partial = false;
    AnsiString Part;

    // The text written: the part, else the item's text in the store.
    AnsiString Text(const TCustomRVData& data) const { return Partial ? Part : data.GetItemText(ItemNo); }
};

// The items a save writes, in document order. A selection keeps the selected
// part of its first and last text item, leaves out an end item of which
// nothing is selected, and starts with the list marker of the paragraph it
// starts in, so that a numbered paragraph keeps its list. WithPendingCP: the
// range reaches the end of the document, whose pending checkpoint is written
// after the last item.
struct TRVHTMLRange {
    std::vector<TRVHTMLPiece> Pieces;
    bool WithPendingCP = false;
    bool Selection = false;

    // Piece Index starts a paragraph or a line: the first piece always does.
    bool StartsLine(const TCustomRVData& data, size_t index) const;
    // Piece Index starts a line inside a paragraph (never the first piece).
    bool IsLineBreak(const TCustomRVData& data, size_t index) const;
    // The piece after Index continues its line with the same text style.
    bool NextContinuesStyle(const TCustomRVData& data, size_t index) const;
};
TRVHTMLRange RVHTMLGetRange(TCustomRVData& data, bool selectionOnly);

// Which of head, body and end the options ask for.
struct TRVHTMLParts {
    bool Head = true;
    bool Body = true;
    bool End = true;
};
TRVHTMLParts RVHTMLGetParts(TRVSaveOptions options);

// A page in either dialect: the parts the options ask for (RVHTMLGetParts), in
// order. The head is the title and charset lines followed by what writeHead
// adds, up to the content of the BODY element; the body is what writeBody
// writes of the save's range (with a list of bullets made for the page when
// bullets is null); the end is the end's extra code and the closing tags,
// after an empty line in the dialect with a style sheet. False without a style
// sheet or when writing fails.
bool RVHTMLWritePage(TCustomRVData& data, TStream& stream, const AnsiString& title, TRVSaveOptions options,
                     bool cssVersion, TRVList* bullets, bool selectionOnly,
                     const std::function<void(TRVStyle& style)>& writeHead,
                     const std::function<void(const TRVHTMLRange& range, TRVList* bullets)>& writeBody);
// The picture of a page's background whose style shows one; null otherwise.
TGraphic* RVHTMLBackgroundPicture(TRVFBackground* background);

// The title line and, when the character set of text style 0 has a name, the
// META line that declares it.
void RVHTMLWriteTitleAndCharset(TStream& stream, const AnsiString& title, TRVStyle* style);
// The extra code of an area from the root data; written (with a line end when
// AsLine) only when there is some. Before is written in front of it.
void RVHTMLWriteExtra(TStream& stream, TCustomRVData& data, TRVHTMLSaveArea area, bool cssVersion,
                      bool asLine, const char* before = "");
// The escaped text of a text piece: Unicode items through the Unicode
// encoder, the others by RV_MakeHTMLStr; raw for a style with rvteoHTMLCode.
AnsiString RVHTMLPieceText(TCustomRVData& data, const TRVHTMLPiece& piece, TRVStyle* style);
// The target of a hyperlink item asked of the document; empty for other items
// and for a hyperlink without one. Already escaped for an attribute.
AnsiString RVHTMLGetTarget(TCustomRVData& data, int itemNo, TRVStyle* style);
// The checkpoint of a piece with the number it has in the document: counted
// from 0 by the writer for a whole document, looked up for a selection.
void RVHTMLWriteItemCheckpoint(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range, int itemNo,
                               int& cpIndex, const AnsiString& cpPrefix, bool fromNewLine,
                               TRVSaveOptions options);
// The document's pending checkpoint after the last piece, when the range
// reaches the end of the document.
void RVHTMLWritePendingCheckpoint(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range,
                                  int& cpIndex, const AnsiString& cpPrefix, TRVSaveOptions options);

// What both dialects' body writers keep while they write: the document, the
// stream, the range and the style sheet, and the list that is open (its
// marker) with whether one of its items is open.
class TRVHTMLBodyWriter {
protected:
    // CSS: the list tags of the CSS dialect.
    TRVHTMLBodyWriter(TCustomRVData& data, TStream& stream, const TRVHTMLRange& range, bool css);

    // Ends the open list item, if any.
    void CloseListItem();
    // Ends the open list, if any.
    void CloseList();
    // Starts an item of Marker's list (at Level of it), first opening that
    // list when it is not the open one: "<LI" with the item's number when the
    // level is numbered. The caller ends the tag.
    void OpenListItem(TRVMarkerItemInfo* marker, const TRVListLevel* level);

    TCustomRVData& FData;
    TStream& FStream;
    const TRVHTMLRange& FRange;
    TRVStyle* FStyle;
    const bool FCSS;
    TRVMarkerItemInfo* FListMarker = nullptr; // the marker of the current list
    bool FListItemOpen = false;
};
