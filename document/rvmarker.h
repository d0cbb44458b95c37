// List markers: the marker item that opens a numbered or bulleted paragraph,
// the document's list of markers in document order, and the numbering that
// gives every marker its counter and its display string.
#pragma once

#include <cstdint>

#include "document/rvitem.h"
#include "document/rvstyle_list.h"
#include "platform/core/lists.h"

class TRVMarkerList;

// The level of list ListNo that a marker of level Level uses: the last level
// when Level is beyond the list's levels. Null without a style sheet, for a
// negative list number or level, a list number outside the style sheet, or a
// list without levels.
TRVListLevel* RVGetLevelInfo(TRVStyle* RVStyle, int ListNo, int Level);

// The text of a counter in a list type: decimal, bijective base-26 letters,
// or Roman numerals; empty for types without numbers. Roman numerals fall back
// to decimal above 100000, so a counter read from a file cannot make a huge text.
AnsiString RVGetListCounterText(int Counter, TRVListType ListType);

// A format string of a list level applied to the texts of the levels: "%s"
// takes the next text, "%N:s" (N from 0 to 255, "s" in either case) text N,
// "%%" is one "%"; anything else, and any placeholder naming a text that is
// not there, is copied literally. Texts past the end of Args are empty.
AnsiString RVFormatMarkerString(const AnsiString& FormatString, const AnsiString* Args, int ArgCount);

// The list marker (item-type code -11): it names list style ListNo and a level
// of it, and shows that level's bullet, picture, image or number. Counter and
// DisplayString are computed by the markers list (RecalcCounters); Width,
// Height, Descent and Overhang are its size as last laid out on the screen.
class TRVMarkerItemInfo : public TRVRectItemInfo {
public:
    // The overridable constructor: Counter 1, the other fields zero.
    explicit TRVMarkerItemInfo(TCustomRVData* RVData);
    TRVMarkerItemInfo(TCustomRVData* RVData, int AListNo, int ALevel, int AStartFrom, bool AReset);
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
    TRVListLevel* GetLevelInfo(TRVStyle* RVStyle) const;
    // The level ALevel of the marker's list, with the same clamping.
    TRVListLevel* GetLevelInfoEx(TRVStyle* RVStyle, int ALevel) const;
    // The marker's index in the list: the cached one when it still holds, else
    // searched (and cached); -1 without a list or when the marker is not in it.
    int GetIndexInList(TRVMarkerList* List);
    // Sets DisplayString from the counters of this marker (at ListIndex in
    // List) and of its parent levels.
    void CalcDisplayString(TRVStyle* RVStyle, TRVMarkerList* List, int ListIndex);

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
    TMarkerSize CalcSize(TCanvas* Canvas, TRVStyle* RVStyle, const TRVScreenAndDevice* sad,
                         bool RightToLeft) const;
    // Draws the marker with its draw item's offset (when dli is given).
    void DoPaint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
                 TRVDrawLineInfo* dli, TRVColorMode ColorMode) const;

    bool GetBoolValue(TRVItemBoolProperty Prop) const override;
    bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const override;
    int GetWidth() const override { return Width; }
    int GetHeight() const override { return Height; }
    int GetDescent() const override { return Descent; }
    int GetLeftOverhang() const override { return Overhang; }
    int GetImageWidth(TRVStyle* RVStyle) const override;
    int GetImageHeight(TRVStyle* RVStyle) const override;
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* RVData) override;
    // Lays the marker out into dli and, unless Printing, keeps the size (screen
    // pixels) in the marker.
    void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, bool Printing, TCanvas* Canvas,
                          TCustomRVData* RVData, const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                          bool Reformat) override;
    void Paint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
               TRVDrawLineInfo* dli) override;
    void Print(TCanvas* Canvas, int X, int Y, int X2, bool Preview, bool Correction,
               const TRVScreenAndDevice& sad, TRVPrintingViewer* RichView, TRVDrawLineInfo* dli, int Part,
               TRVColorMode ColorMode, TCustomRVData* RVData) override;
    bool PrintToBitmap(TBitmap* Bkgnd, bool Preview, TRVPrintingViewer* RichView, TRVDrawLineInfo* dli,
                       int Part, TRVColorMode ColorMode) override;

    void Assign(const TPersistent* Source) override;
    // "ListNo Level StartFrom Reset".
    AnsiString SaveRVFHeaderTail(TCustomRVData* RVData) override;
    bool ReadRVFHeader(TRVFLineCursor& P, TCustomRVData* RVData) override;
    // A header of no lines: the paragraph (never continuing a line), the
    // item's own option bits, tag and tail.
    void SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int ParaNo, const AnsiString& Name,
                 TRVMultiDrawItemPart* Part, bool ForceSameAsPrev) override;
    // Undo: the marker leaves the document's markers list (the markers after it
    // renumbered) when it goes to the undo list, and takes its place in it again
    // when it comes back as item ItemNo of RVData.
    void MovingToUndoList(int ItemNo, TCustomRVData* RVData, TObject* AContainerUndoItem) override;
    void MovingFromUndoList(int ItemNo, TCustomRVData* RVData) override;
    void MarkStylesInUse(TRVIntegerList* UsedTextStyles, TRVIntegerList* UsedParaStyles,
                         TRVIntegerList* UsedListStyles) override;
    void UpdateStyles(TRVIntegerList* TextStylesShift, TRVIntegerList* ParaStylesShift,
                      TRVIntegerList* ListStylesShift) override;
    // The marker as text: bullets and numbers with the Symbol font's bullets
    // and arrows made readable, "* " for pictures and images, the Unicode bullet.
    AnsiString AsText(int LineWidth, TCustomRVData* RVData, const AnsiString& Text, const AnsiString& Path,
                      bool TextOnly, bool Unicode) override;
    // ---- HTML: list tags around markers, and the marker itself as text
    // Closes this marker's list levels from OldLevel down to NewLevel + 1 and
    // opens those from OldLevel + 1 up to NewLevel (-1: outside the list),
    // then an empty line when the levels differ. Levels from documents are
    // taken as at most 255.
    void HTMLOpenOrCloseTags(TStream& Stream, int OldLevel, int NewLevel, TRVStyle* RVStyle,
                             bool UseCSS) const;
    // The list tags between the previous marker of the page (or none) and this one.
    void SaveHTMLSpecial(TStream& Stream, const TRVMarkerItemInfo* Prev, TRVStyle* RVStyle,
                         bool UseCSS) const;
    // The style attribute of the list item in CSS mode: the picture or image of
    // the level as its list-style; empty for other levels.
    AnsiString GetLICSS(TCustomRVData* RVData, const AnsiString& Path, const AnsiString& ImagesPrefix,
                        int& ImageCounter, TColor CurrentFileColor, TRVSaveOptions SaveOptions,
                        TRVList* Bullets);
    // With rvsoMarkersAsText: the marker's text in its font, or its picture.
    void SaveToHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Text,
                    const AnsiString& Path, const AnsiString& ImagesPrefix, int& ImageCounter,
                    TColor CurrentFileColor, TRVSaveOptions SaveOptions, bool UseCSS,
                    TRVList* Bullets) override;
    // One more list-override entry for a restarting numbered marker.
    void FillRTFTables(TRVColorList* ColorList, TRVIntegerList* ListOverrideCountList,
                       TCustomRVData* RVData) override;
    // The level's picture or image as an RTF picture; for the other levels the
    // list text in the level's font and the list-override number (rvmarker_rtf.cpp).
    void SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Name,
                 double TwipsPerPixel, int NestingLevel, TRVColorList* ColorList, TRVIntegerList* StyleToFont,
                 TRVIntegerList* ListOverrideOffsetsList1, TRVIntegerList* ListOverrideOffsetsList2,
                 TRVRTFFontTable* FontTable) override;

private:
    friend class TRVMarkerList;
    // The picture file of a picture or image-list level; empty when there is none.
    AnsiString SaveLevelImage(TRVListLevel* LevelInfo, TCustomRVData* RVData, const AnsiString& Path,
                              const AnsiString& ImagesPrefix, int& ImageCounter, TColor CurrentFileColor,
                              TRVSaveOptions SaveOptions, TRVList* Bullets) const;
    int FCachedIndexInList = -1;
};

// The list markers of a whole document, nested documents included, in
// document order. It does not own them.
class TRVMarkerList : public TList {
public:
    const char* ClassName() const override { return "TRVMarkerList"; }

    TRVMarkerItemInfo* Marker(int Index) const { return static_cast<TRVMarkerItemInfo*>(Get(Index)); }
    // The nearest earlier marker of the same list with a smaller level; -1 if none.
    int FindParentMarker(int Index) const;
    // Inserts Marker right after InsertAfter (at 0 when that is null or not in
    // the list) and caches its index.
    void InsertAfter(TRVMarkerItemInfo* Marker, TRVMarkerItemInfo* InsertAfter);
    // Adds Marker at the end and caches its index (no search).
    void Append(TRVMarkerItemInfo* Marker);
    // Renumbers the markers of the list of the marker at StartIndex, from there on.
    void RecalcCounters(int StartIndex, TRVStyle* RVStyle);
    // The index of Marker; -1 when it is not in the list.
    int IndexOfMarker(const TRVMarkerItemInfo* Marker) const;
    // Entries looked at so far by searches and renumbering: tests read it to see
    // that markers appended one after another cost no search of the list.
    int64_t WorkDone() const { return FWorkDone; }

private:
    mutable int64_t FWorkDone = 0;
};
