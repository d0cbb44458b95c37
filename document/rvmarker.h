// List markers: the marker item that opens a numbered or bulleted paragraph,
// the document's list of markers in document order, and the numbering that
// gives every marker its counter and its display string.
#pragma once

#include <cstdint>
#include <vector>

#include "document/rvitem.h"
#include "document/rvstyle_list.h"
#include "platform/core/lists.h"

class TRVMarkerList;

// The level of list ListNo that a marker of level Level uses: the last level
// when Level is beyond the list's levels. Null without a style sheet, for a
// negative list number or level, a list number outside the style sheet, or a
// list without levels.
TRVListLevel* RVGetLevelInfo(TRVStyle* rvStyle, int listNo, int level);

// The text of a counter in a list type: decimal, bijective base-26 letters,
// or Roman numerals; empty for types without numbers. Roman numerals fall back
// to decimal above 100000, so a counter read from a file cannot make a huge text.
AnsiString RVGetListCounterText(int counter, TRVListType listType);

// A format string of a list level applied to the texts of the levels: "%s"
// takes the next text, "%N:s" (N from 0 to 255, "s" in either case) text N,
// "%%" is one "%"; anything else, and any placeholder naming a text that is
// not there, is copied literally. Texts past the end of Args are empty.
AnsiString RVFormatMarkerString(const AnsiString& formatString, const AnsiString* args, int argCount);

// The list marker (item-type code -11): it names list style ListNo and a level
// of it, and shows that level's bullet, picture, image or number. Counter and
// DisplayString are computed by the markers list (RecalcCounters); Width,
// Height, Descent and Overhang are its size as last laid out on the screen.
class TRVMarkerItemInfo : public TRVRectItemInfo {
public:
    // The overridable constructor: Counter 1, the other fields zero.
    explicit TRVMarkerItemInfo(TCustomRVData* rvData);
    TRVMarkerItemInfo(TCustomRVData* rvData, int aListNo, int aLevel, int aStartFrom, bool aReset);
    const char* ClassName() const override { return "TRVMarkerItemInfo"; }
    TRVItemClass GetItemClass() const override;

    int Width = 0;
    int Height = 0;
    int Descent = 0;
    int Overhang = 0;
    int ListNo = 0;
    int Level = 0;
    int Counter = 1;
    bool Reset = false;
    int StartFrom = 0;
    AnsiString DisplayString;

    // The level the marker uses (see RVGetLevelInfo); null when there is none.
    TRVListLevel* GetLevelInfo(TRVStyle* rvStyle) const;
    // The level ALevel of the marker's list, with the same clamping.
    TRVListLevel* GetLevelInfoEx(TRVStyle* rvStyle, int aLevel) const;
    // The marker's index in the list: the cached one when it still holds, else
    // searched (and cached); -1 without a list or when the marker is not in it.
    int GetIndexInList(TRVMarkerList* list);
    // Sets DisplayString from the counters of this marker (at ListIndex in
    // List) and of its parent levels.
    void CalcDisplayString(TRVStyle* rvStyle, TRVMarkerList* list, int listIndex);

    // The marker's size and placement, in device pixels when sad is given
    // (pictures, images and indents scaled; text measured on Canvas).
    struct TMarkerSize {
        int ContentWidth = 0; // of the bullet, number, picture or image
        int Height = 0;
        int Descent = 0;
        int MinWidth = 0;     // what the marker needs at least, the text after it included
        int Width = 0;        // of its draw item
        int Offset = 0;       // of the content from the draw item's left (negative: left of it)
        int ContentShift = 0; // added to the draw item's position in right-to-left paragraphs
    };
    TMarkerSize CalcSize(TCanvas* canvas, TRVStyle* rvStyle, const TRVScreenAndDevice* sad,
                         bool rightToLeft) const;
    // Draws the marker with its draw item's offset (when dli is given).
    void DoPaint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                 TRVDrawLineInfo* dli, TRVColorMode colorMode) const;

    bool GetBoolValue(TRVItemBoolProperty prop) const override;
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    int GetWidth() const override { return Width; }
    int GetHeight() const override { return Height; }
    int GetDescent() const override { return Descent; }
    int GetLeftOverhang() const override { return Overhang; }
    int GetImageWidth(TRVStyle* rvStyle) const override;
    int GetImageHeight(TRVStyle* rvStyle) const override;
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData) override;
    // Lays the marker out into dli and, unless Printing, keeps the size (screen
    // pixels) in the marker.
    void OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                          TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift, int& desc,
                          bool reformat) override;
    void Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
               TRVDrawLineInfo* dli) override;
    void Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
               const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli, int part,
               TRVColorMode colorMode, TCustomRVData* rvData) override;
    bool PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli,
                       int part, TRVColorMode colorMode) override;

    void Assign(const TPersistent* source) override;
    // "ListNo Level StartFrom Reset".
    AnsiString SaveRVFHeaderTail(TCustomRVData* rvData) override;
    bool ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData) override;
    // A header of no lines: the paragraph (never continuing a line), the
    // item's own option bits, tag and tail.
    void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo, const AnsiString& name,
                 TRVMultiDrawItemPart* part, bool forceSameAsPrev) override;
    // Undo: the marker leaves the document's markers list (the markers after it
    // renumbered) when it goes to the undo list, and takes its place in it again
    // when it comes back as item ItemNo of RVData.
    void MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem) override;
    void MovingFromUndoList(int itemNo, TCustomRVData* rvData) override;
    void MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                         TRVIntegerList* usedListStyles) override;
    void UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                      TRVIntegerList* listStylesShift) override;
    // The marker as text: bullets and numbers with the Symbol font's bullets
    // and arrows made readable, "* " for pictures and images, the Unicode bullet.
    AnsiString AsText(int lineWidth, TCustomRVData* rvData, const AnsiString& text, const AnsiString& path,
                      bool textOnly, bool unicode) override;
    // ---- HTML: list tags around markers, and the marker itself as text
    // Closes this marker's list levels from OldLevel down to NewLevel + 1 and
    // opens those from OldLevel + 1 up to NewLevel (-1: outside the list),
    // then an empty line when the levels differ. Levels from documents are
    // taken as at most 255.
    void HTMLOpenOrCloseTags(TStream& stream, int oldLevel, int newLevel, TRVStyle* rvStyle,
                             bool useCss) const;
    // The list tags between the previous marker of the page (or none) and this one.
    void SaveHTMLSpecial(TStream& stream, const TRVMarkerItemInfo* prev, TRVStyle* rvStyle,
                         bool useCss) const;
    // The style attribute of the list item in CSS mode: the picture or image of
    // the level as its list-style; empty for other levels.
    AnsiString GetLICSS(TCustomRVData* rvData, const AnsiString& path, const AnsiString& imagesPrefix,
                        int& imageCounter, TColor currentFileColor, TRVSaveOptions saveOptions,
                        TRVList* bullets);
    // With rvsoMarkersAsText: the marker's text in its font, or its picture.
    void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                    TRVList* bullets) override;
    // One more list-override entry for a restarting numbered marker.
    void FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                       TCustomRVData* rvData) override;
    // The level's picture or image as an RTF picture; for the other levels the
    // list text in the level's font and the list-override number (rvmarker_rtf.cpp).
    void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                 double twipsPerPixel, int nestingLevel, TRVColorList* colorList, TRVIntegerList* styleToFont,
                 TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2,
                 TRVRTFFontTable* fontTable) override;

private:
    friend class TRVMarkerList;
    // The picture file of a picture or image-list level; empty when there is none.
    AnsiString SaveLevelImage(TRVListLevel* levelInfo, TCustomRVData* rvData, const AnsiString& path,
                              const AnsiString& imagesPrefix, int& imageCounter, TColor currentFileColor,
                              TRVSaveOptions saveOptions, TRVList* bullets) const;
    int FCachedIndexInList = -1;
};

// The list markers of a whole document, nested documents included, in
// document order. It does not own them.
class TRVMarkerList : public TList {
public:
    const char* ClassName() const override { return "TRVMarkerList"; }

    TRVMarkerItemInfo* Marker(int index) const { return static_cast<TRVMarkerItemInfo*>(Get(index)); }
    // The nearest earlier marker of the same list with a smaller level; -1 if none.
    int FindParentMarker(int index) const;
    // Inserts Marker right after InsertAfter (at 0 when that is null or not in
    // the list) and caches its index.
    void InsertAfter(TRVMarkerItemInfo* marker, TRVMarkerItemInfo* insertAfter);
    // Adds Marker at the end and caches its index (no search).
    void Append(TRVMarkerItemInfo* marker);
    // Inserts Markers (in document order) right after InsertAfter (at 0 when
    // that is null or not in the list) in one pass, leaving out those the list
    // holds already, and caches the index of every marker from there on. The
    // index of the first marker inserted; -1 when none was.
    int InsertRange(const std::vector<TRVMarkerItemInfo*>& markers, TRVMarkerItemInfo* insertAfter);
    // Takes Markers out of the list in one pass (those it does not hold are
    // left alone; none is dereferenced) and caches the index of every marker
    // from there on. The index the first marker taken out stood at; -1 when
    // none was.
    int RemoveMarkers(const std::vector<TRVMarkerItemInfo*>& markers);
    // Renumbers the markers of the list of the marker at StartIndex, from there on.
    void RecalcCounters(int startIndex, TRVStyle* rvStyle);
    // The index of Marker; -1 when it is not in the list.
    int IndexOfMarker(const TRVMarkerItemInfo* marker) const;
    // Entries looked at so far by searches and renumbering: tests read it to see
    // that markers appended one after another cost no search of the list.
    int64_t WorkDone() const { return FWorkDone; }

private:
    mutable int64_t FWorkDone = 0;
};
