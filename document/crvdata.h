// The item store TCustomRVData under every document, table cell and printable
// view: items paired with their texts, the checkpoint chain, the state flags,
// adding, deleting and reading items, paragraphs, style usage. Its flags and
// option sets are in document/crvdata_options.h, the small records the writers
// share (RTF font table, layout block, HTML picture cache) in
// document/crvdata_records.h.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document/crvdata_options.h"
#include "document/crvdata_records.h"
#include "document/rvclasses.h"
#include "document/rvitem.h"
#include "document/rvrtferr.h"
#include "document/rvset.h"
#include "document/rvstr.h"
#include "document/rvtag.h"
#include "document/rvtypes.h"
#include "platform/core/callhold.h"
#include "platform/core/colors.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/graphic.h"

class TComponent;
class TControl;
class TCustomImageList;
class TMemoryStream;
class TRVFBackground;
class TRVMarkerItemInfo;
class TRVMarkerList;
class TRVRTFReaderProperties;
class TRVStyle;
class TStream;
class TWinControl;

// ---------------------------------------------------------------------------
// The item store

// TCustomRVData holds a document's items: string i of Items is the text of item
// i (a text item's characters, UTF-16 units in the bytes for rvioUnicode; the
// name of any other item), object i the item itself. The store owns its items
// and their checkpoints, unless it shares another store's list (ShareItems).
//
// Checkpoints attached to items form a chain in item order from FirstCP to
// LastCP; NotAddedCP is a checkpoint added after the last item, waiting for the
// next item appended. CPCount counts the chained ones and the pending one.
//
// The store keeps no settings of its own: options, palette, delimiters and the
// style sheet are asked of the root data (GetRootData) or the parent
// (GetParentData). A store whose root data is itself and that does not
// override a forwarded setting answers the neutral value (no options, no
// palette, no style sheet, ...). Item numbers count from 0; character offsets
// inside text items count from 1.
//
// The constructor creates the store's own Items list. The destructor frees the
// items (through this class's Clear: a subclass that overrides Clear calls it
// in its own destructor) and the list, which it never does for a list it
// merely shares.
class TCustomRVData : public TPersistent {
public:
    TCustomRVData();
    ~TCustomRVData() override;
    const char* ClassName() const override { return "TCustomRVData"; }

    // ---- Settings asked of the root data
    virtual TRVOptions GetOptions();
    virtual void SetOptions(TRVOptions value);
    virtual TRVFOptions GetRVFOptions();
    virtual void SetRVFOptions(TRVFOptions value);
    // The options an RVF save writes by: GetRVFOptions, and while the
    // document of a table cell is saved inside another save (DataWriter),
    // binary and without the background, whatever the root keeps.
    TRVFOptions GetRVFSaveOptions();
    virtual TRVRTFOptions GetRTFOptions();
    virtual void SetRTFOptions(TRVRTFOptions value);
    virtual TRVFWarnings GetRVFWarnings();
    virtual void SetRVFWarnings(TRVFWarnings value);
    virtual TRVFReaderStyleMode GetRVFTextStylesReadMode();
    virtual TRVFReaderStyleMode GetRVFParaStylesReadMode();
    virtual HPALETTE GetRVPalette();
    virtual PLogPalette GetRVLogPalette();
    virtual TRVPaletteAction GetDoInPaletteMode();
    // Gives the item the root document's palette mode and palettes, the
    // root found once for the three.
    void UpdateItemPaletteInfo(TCustomRVItemInfo* item, bool forceRecreateCopy);
    // The document's reading direction.
    virtual TRVBiDiMode GetBiDiMode();
    virtual AnsiString GetDelimiters();
    virtual TRVRTFReaderProperties* GetRTFProperties();
    virtual AnsiString GetExtraRTFCode(TRVRTFSaveArea area, TObject* obj, int index1, int index2,
                                       bool inStyleSheet);
    virtual AnsiString GetExtraHTMLCode(TRVHTMLSaveArea area, bool cssVersion);
    virtual AnsiString SaveComponentToFile(const AnsiString& path, TComponent* saveMe,
                                           TRVSaveFormat saveFormat);
    virtual void ReadHyperlink(const AnsiString& target, const AnsiString& extras, TRVLoadFormat docFormat,
                               int& styleNo, TRVTag& itemTag, AnsiString& itemName);
    virtual TGraphic* RVFPictureNeeded(const AnsiString& itemName, const TRVTag& itemTag);
    virtual TControl* RVFControlNeeded(const AnsiString& itemName, const TRVTag& itemTag);
    virtual TCustomImageList* RVFImageListNeeded(int imageListTag);
    virtual TWinControl* GetParentControl();
    // Creates the maps of style numbers of an inserted document (the root's; all
    // null at a root that keeps none).
    virtual void InitStyleMappings(TRVIntegerList*& pTextStylesMapping, TRVIntegerList*& pParaStylesMapping,
                                   TRVIntegerList*& pListStylesMapping);
    virtual void DoneStyleMappings(TRVIntegerList* pTextStylesMapping, TRVIntegerList* pParaStylesMapping,
                                   TRVIntegerList* pListStylesMapping);

    // ---- The documents around this one
    virtual TCustomRVData* GetRVData() { return this; }
    virtual TCustomRVData* GetSourceRVData() { return this; }
    // The style sheet: the parent's; null without a parent.
    virtual TRVStyle* GetRVStyle();
    virtual TCustomRVData* GetParentData() { return nullptr; }
    virtual TCustomRVData* GetRootData() { return this; }
    virtual TCustomRVData* GetAbsoluteParentData() { return nullptr; }
    virtual TCustomRVData* GetAbsoluteRootData() { return this; }
    // The number of tables this document lies in: 0 for a root document.
    int TableNestingLevel();
    // The levels of tables Item makes: 0 for an item without documents of its
    // own, 1 for a table of plain cells, one more for each table inside.
    static int TableNestingDepth(TCustomRVItemInfo* item);
    virtual void GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location);
    virtual TCustomRVData* GetChosenRVData() { return nullptr; }
    virtual TCustomRVItemInfo* GetChosenItem() { return nullptr; }
    // Makes this document the one being edited; the document really edited (itself here).
    virtual TCustomRVData* Edit() { return this; }
    virtual bool ShareItems() const { return false; }
    virtual bool CanLoadLayout() const { return false; }
    virtual bool SupportsPageBreaks() const { return true; }

    // ---- Supplied by the root data
    virtual AnsiString GetURL(int itemNo) = 0;
    virtual void ControlAction2(TRVControlAction controlAction, int itemNo, TControl*& ctrl) = 0;
    virtual void HTMLSaveImage(TCustomRVData* rvData, int itemNo, const AnsiString& path,
                               TColor backgroundColor, AnsiString& location, bool& doDefault) = 0;

    // ---- Notifications
    // An item is inserted, destroyed, ... (nothing here; the viewer's data raises its event).
    virtual void ItemAction(TRVItemAction itemAction, TCustomRVItemInfo* item, AnsiString& text,
                            TCustomRVData* rvData);
    // The control of a control item is destroyed, moved, saved or loaded.
    // Tells the program of an action on a control item (ControlAction2). A
    // move into or out of an undo record made while a TRVControlMovesTold
    // scope is open is told when the outermost one closes.
    virtual void ControlAction(TRVControlAction controlAction, int itemNo, TCustomRVItemInfo* item);

    // ---- List markers (the list belongs to the outermost root data)
    // The document's markers list; null when there is none and AllowCreate is
    // false, or when no root data keeps one.
    virtual TRVMarkerList* GetMarkers(bool allowCreate);
    virtual void DestroyMarkers();
    // Takes a marker item out of the markers list (nothing for other items).
    void DeleteMarkerFromList(TCustomRVItemInfo* item, bool clearing);
    // Takes the markers of items FirstItemNo..LastItemNo and of their
    // sub-documents out of the markers list in one pass. An item must do so
    // before it leaves its place: the documents inside it find the list only
    // through it. Unless Clearing, each list that lost markers is numbered
    // again from where they stood.
    void DeleteMarkersOfItems(int firstItemNo, int lastItemNo, bool clearing);
    // The same for the markers given (those the list does not hold are left alone).
    void DeleteMarkersFromList(const std::vector<TRVMarkerItemInfo*>& markers, bool clearing);

    // ---- Adding items. Every Add ends in AddItem; nothing is laid out.
    void SetAddParagraphMode(bool value) { AddParagraphMode = value; }
    // Appends an item (owned by the store from then on) with its text. An item
    // of ParaNo -1 continues the last paragraph's line unless the store is empty
    // or ends with a full-width item; then it starts a paragraph of style 0.
    // The texts are taken by value here and below: a caller that lets go of
    // its string moves it into the store without a copy.
    void AddItem(AnsiString text, TCustomRVItemInfo* item);
    // A text item of style StyleNo; tabs become spaces. ERollViewError "Can't
    // perform Unicode operation" for text of odd length in a Unicode style.
    void AddNLTag(AnsiString s, int styleNo, int paraNo, const TRVTag& tag);
    void AddNL(AnsiString s, int styleNo, int paraNo) { AddNLTag(std::move(s), styleNo, paraNo, TRVTag()); }
    void AddFmt(const AnsiString& formatStr, std::initializer_list<TFormatArg> args, int styleNo, int paraNo);
    // ANSI text, converted to UTF-16 for a Unicode style (the style's code page).
    void AddNLATag(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag);
    // Wide text, converted to ANSI for a style that is not Unicode.
    void AddNLWTag(const WideString& s, int styleNo, int paraNo, const TRVTag& tag);
    // One text item per line (lone CR and LF count as line ends): the first in
    // paragraph style FirstParaNo, the others in OtherParaNo (in paragraph mode).
    // An empty line of paragraph -1 is skipped.
    void AddTextNL(const AnsiString& s, int styleNo, int firstParaNo, int otherParaNo,
                   const TRVTag& tag = TRVTag());
    // One paragraph: the first line starts it, every other line is a line break in it.
    void AddTextBlockNL(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag = TRVTag());
    // A pending checkpoint for the next item; its index. When one is pending
    // already, nothing changes and its index is returned.
    int AddNamedCheckpointExTag(const AnsiString& cpName, bool raiseEvent, const TRVTag& tag);
    void AddBreakExTag(uint8_t width, TRVBreakStyle style, TColor color, const TRVTag& tag);
    void AddBreakEx(uint8_t width, TRVBreakStyle style, TColor color)
    {
        AddBreakExTag(width, style, color, TRVTag());
    }
    void AddBreakTag(const TRVTag& tag) { AddBreakExTag(1, rvbsLine, clNone, tag); }
    void AddBreak() { AddBreakTag(TRVTag()); }
    void AddHotspotExTag(const AnsiString& name, int imageIndex, int hotImageIndex,
                         TCustomImageList* imageList, int paraNo, const TRVTag& tag);
    void AddHotspotEx(const AnsiString& name, int imageIndex, int hotImageIndex, TCustomImageList* imageList,
                      int paraNo)
    {
        AddHotspotExTag(name, imageIndex, hotImageIndex, imageList, paraNo, TRVTag());
    }
    void AddBulletExTag(const AnsiString& name, int imageIndex, TCustomImageList* imageList, int paraNo,
                        const TRVTag& tag);
    void AddBulletEx(const AnsiString& name, int imageIndex, TCustomImageList* imageList, int paraNo)
    {
        AddBulletExTag(name, imageIndex, imageList, paraNo, TRVTag());
    }
    // Tabs replaced by the style sheet's SpacesInTab blanks (8 without a style
    // sheet); in the wide form when Unicode is set without a style sheet, or
    // when text style StyleNo is Unicode.
    AnsiString ReplaceTabs(AnsiString s, int styleNo, bool unicode);

    // ---- Deleting
    // Frees items FirstItemNo .. FirstItemNo + Count - 1 (cut to the items that
    // exist) and removes their entries.
    virtual void DeleteItems(int firstItemNo, int count);
    // Deletes from the item of the checkpoint named CpName up to the item of the
    // next checkpoint with a name, or to the end.
    void DeleteSection(const AnsiString& cpName);
    // Destroys the item of entry ItemNo (the entry stays: the caller deletes it).
    void FreeItem(int itemNo, bool clearing);
    // Frees every item and checkpoint.
    virtual void Clear();

    // ---- Items
    TCustomRVItemInfo* GetItem(int itemNo) const;
    int GetItemNo(const TCustomRVItemInfo* item) const;
    int GetItemCount() const;
    int GetItemStyle(int itemNo) const;
    // A text item: its style is a text style (other kinds have negative style numbers).
    bool IsTextItem(int itemNo) const { return GetItemStyle(itemNo) >= 0; }
    int GetItemPara(int itemNo) const;
    TRVItemOptions GetItemOptions(int itemNo) const;
    const TRVTag& GetItemTag(int itemNo) const;
    void SetItemTag(int itemNo, const TRVTag& tag);
    AnsiString GetItemText(int itemNo) const;
    // ERollViewError "Can't perform Unicode operation" for text of odd length in a Unicode item.
    void SetItemText(int itemNo, const AnsiString& s);
    AnsiString GetItemTextA(int itemNo);
    WideString GetItemTextW(int itemNo);
    void SetItemTextA(int itemNo, const AnsiString& s);
    void SetItemTextW(int itemNo, const WideString& s);
    // Text converted to the form item ItemNo keeps (UTF-16 bytes for a Unicode item).
    AnsiString GetTextInItemFormatA(int itemNo, const AnsiString& s);
    AnsiString GetTextInItemFormatW(int itemNo, const WideString& s);
    // Characters of the item (bytes, or UTF-16 units); 1 for a non-text item.
    int ItemLength(int itemNo) const;
    int GetOffsBeforeItem(int itemNo) const;
    int GetOffsAfterItem(int itemNo) const;
    bool SetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int value);
    bool GetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int& value);
    int FindControlItemNo(TControl* actualCtrl) const;
    // Item ItemNo as a T (the class or one derived from it); ERollViewError "Can't
    // get or set this kind of information for this item" when it is not one.
    template <class T> T* CheckItemClass(int itemNo) const;

    // ---- Per-kind information (the name of a non-text item is its string)
    void GetTextInfo(int itemNo, AnsiString& aText, TRVTag& aTag) const;
    void GetBreakInfo(int itemNo, uint8_t& aLineWidth, TRVBreakStyle& aStyle, TColor& aColor,
                      TRVTag& aTag) const;
    void SetBreakInfo(int itemNo, uint8_t aLineWidth, TRVBreakStyle aStyle, TColor aColor,
                      const TRVTag& aTag);
    void GetBulletInfo(int itemNo, AnsiString& aName, int& aImageIndex, TCustomImageList*& aImageList,
                       TRVTag& aTag) const;
    void SetBulletInfo(int itemNo, const AnsiString& aName, int aImageIndex, TCustomImageList* aImageList,
                       const TRVTag& aTag);
    void GetHotspotInfo(int itemNo, AnsiString& aName, int& aImageIndex, int& aHotImageIndex,
                        TCustomImageList*& aImageList, TRVTag& aTag) const;
    void SetHotspotInfo(int itemNo, const AnsiString& aName, int aImageIndex, int aHotImageIndex,
                        TCustomImageList* aImageList, const TRVTag& aTag);

    // ---- Page breaks. ERollViewError "Item index is out of bounds" outside the items.
    // A paragraph that starts with a list marker keeps its flag on the marker.
    bool GetPageBreaksBeforeItems(int itemNo) const;
    void SetPageBreaksBeforeItems(int itemNo, bool value);

    // ---- Checkpoints. A checkpoint is handed out as the TRVCPInfo itself.
    TRVCPInfo* GetFirstCheckpoint() const;
    TRVCPInfo* GetLastCheckpoint() const;
    TRVCPInfo* GetNextCheckpoint(const TRVCPInfo* checkpointData) const;
    TRVCPInfo* GetPrevCheckpoint(const TRVCPInfo* checkpointData) const;
    TRVCPInfo* GetItemCheckpoint(int itemNo) const;
    int GetCheckpointItemNo(const TRVCPInfo* checkpointData) const;
    int GetCheckpointNo(const TRVCPInfo* checkpointData) const;
    TRVCPInfo* GetCheckpointByNo(int no) const;
    void GetCheckpointInfo(const TRVCPInfo* checkpointData, TRVTag& tag, AnsiString& name,
                           bool& raiseEvent) const;
    TRVCPInfo* FindCheckpointByName(const AnsiString& name) const;
    TRVCPInfo* FindCheckpointByTag(const TRVTag& tag);
    TRVCPInfo* FindCPBeforeItem(int itemNo);
    void InsertCheckpoint(int itemNo, const TRVTag& tag, const AnsiString& name, bool raiseEvent);
    void SetCheckpointInfo(int itemNo, const TRVTag& aTag, const AnsiString& aName, bool aRaiseEvent);
    bool RemoveCheckpoint(int itemNo);
    void UpdateCPItemNo();
    void UpdateCPPos(TRVCPInfo* cp, int itemNo);
    // Links cp into the chain after Prev (at the head for null) and attaches it
    // to Item; cp is set to null.
    void SetCP(TCustomRVItemInfo* item, TRVCPInfo* prev, TRVCPInfo*& cp);
    void UnlinkCheckpoint(TRVCPInfo* cp, bool decreaseCpCount);
    void FreeCheckpoint(TRVCPInfo*& cp, bool adjustLinks, bool decreaseCpCount);

    // ---- Code pages and delimiters
    unsigned GetStyleCodePage(int styleNo);
    unsigned GetDefaultCodePage();
    // Whether character Index (from 1) of an item's text is a word delimiter.
    bool IsDelimiter(const AnsiString& s, int index, TRVItemOptions itemOptions);
    bool IsDelimiterA(char ch);
    bool IsDelimiterW(WideChar ch);
    // Every NUL byte becomes '?'.
    static void Replace0(AnsiString& s);

    // ---- Paragraphs and navigation
    bool IsFromNewLine(int itemNo) const;
    bool IsParaStart(int itemNo) const;
    int GetFirstParaItem(int itemNo) const;
    int GetFirstParaSectionItem(int itemNo) const;
    void ExpandToPara(int startItemNo, int endItemNo, int& paraStart, int& paraEnd) const;
    void ExpandToParaSection(int startItemNo, int endItemNo, int& paraStart, int& paraEnd) const;
    void AdjustInItemsRange(int& itemNo) const;
    void NormalizeParas(int startItemNo);
    void SetParagraphStyleToAll(int paraNo);
    // Whether item FirstItemNo and the next one (Item1, Item2) can be one text
    // item. Never for non-empty items whose Unicode flags differ.
    bool RV_CanConcateItems(int firstItemNo, const TCustomRVItemInfo* item1, const TCustomRVItemInfo* item2,
                            bool ignorePara);
    // Merges item FirstItemNo + 1 into item FirstItemNo.
    void SimpleConcate(int firstItemNo, TCustomRVItemInfo* item1, TCustomRVItemInfo* item2);
    // Merges every pair of neighbours among FirstItemNo..LastItemNo that may be
    // one item; linear in the items, however many merge.
    void MassSimpleConcate(int firstItemNo, int lastItemNo);
    int NextChar(int itemNo, int index) const;
    int PrevChar(int itemNo, int index) const;
    int NextCharStr(const AnsiString& s, int itemNo, int index) const;
    int PrevCharStr(const AnsiString& s, int itemNo, int index) const;
    TRVBiDiMode GetItemBiDiMode(int itemNo);
    TRVBiDiMode GetParaBiDiMode(int paraNo);

    // ---- Style usage
    // Deletes the styles of the flagged collections that nothing uses and
    // renumbers every reference to the others (style sheet and items).
    void DeleteUnusedStyles(bool textStyles, bool paraStyles, bool listStyles);
    // Every item marks the styles it uses (entries set to 1).
    virtual void MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                 TRVIntegerList* usedListStyles);
    // Every item renumbers its style numbers by the shift maps.
    void UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                      TRVIntegerList* listStylesShift);
    virtual void AfterDeleteStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                                   TRVIntegerList* listStylesShift);

    // ---- Pictures written beside HTML pages
    // The name of the next picture file path + prefix + number + Extension that
    // does not exist (with OverrideFiles: or is not read-only); ImageNo is raised
    // to the number used.
    virtual AnsiString GetNextFileName(const AnsiString& imagesPrefix, const AnsiString& path,
                                       const AnsiString& ext, int& imageNo, bool overrideFiles);
    // Writes the picture beside an HTML page (or as a bitmap for other formats)
    // and returns the location to write into the page.
    virtual AnsiString SavePicture(TRVSaveFormat documentSaveFormat, const AnsiString& imagesPrefix,
                                   const AnsiString& path, int& imageNo, bool overrideImages,
                                   TColor backgroundColor, TGraphic* gr);

    // ---- Plain text, list markers, transfers, RTF loading and services
    // (crvdata_text.cpp, crvdata_lists.cpp, crvdata_transfer.cpp, crvdata_settings.cpp)

    // Plain text of the document, or of its selection, into Stream: lines joined
    // by CR LF with no line end after the last; UTF-16 little-endian without a
    // byte-order mark when Unicode is set. LineWidth goes to the AsText of
    // non-text items; with TextOnly only items that are always text contribute.
    // False when writing raised (the bytes written stay in the stream).
    bool SaveTextToStream(const AnsiString& path, TStream& stream, int lineWidth, bool selectionOnly,
                          bool textOnly, bool unicode);
    // The whole document into a file, replaced only when every byte is written.
    bool SaveText(const AnsiString& fileName, int lineWidth, bool unicode);
    // Appends an 8-bit text file, one text item of StyleNo per line (CR LF, CR
    // or LF ends a line; Ctrl-Z ends the input only as the file's last byte).
    // With AsSingleParagraph every line after the first is a line break in the
    // first one's paragraph. False on any failure, keeping the lines added.
    bool LoadText(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    // The same for a UTF-16 file (little-endian, or big-endian after FE FF);
    // false for a file of odd length.
    bool LoadTextW(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    // Appends UTF-16 text held in a byte string, one text item per piece between
    // separators (CR, LF, CR LF, U+2028, U+2029, VT, NUL, form feed).
    // ERollViewError "Can't perform Unicode operation" for an odd byte length.
    void AddTextNLW(const AnsiString& s, int styleNo, int firstParaNo, int otherParaNo,
                    bool asSingleParagraph);
    // The readers cut a line longer than this many bytes of item text into
    // several items of one line, each ending on a whole character.
    static constexpr int MaxLoadedTextItemLength = 16 * 1024 * 1024;

    // List markers. A numbered paragraph starts with a marker item; the markers
    // list of the outermost root holds every marker in document order.
    // Creates or changes the marker of item ItemNo's paragraph (a new one at the
    // end for an ItemNo outside the items); the marker's item number, -1 when
    // the paragraph starts with a full-width item.
    int SetListMarkerInfo(int itemNo, int listNo, int level, int startFrom, int paraNo, bool useStartFrom);
    void RemoveListMarker(int itemNo);
    // The marker of item ItemNo's paragraph: its item number, -1 when none.
    int GetListMarkerInfo(int itemNo, int& listNo, int& level, int& startFrom, bool& useStartFrom);
    void RecalcMarker(int itemNo, bool allowCreate);
    // Enters the marker item ItemNo into the markers list at its document position.
    void AddMarkerInList(int itemNo);
    // Enters every marker of items FirstItemNo..LastItemNo, those in their
    // sub-documents included, into the markers list in one pass, and numbers
    // each list they belong to once: items put in place together cost one
    // insertion into the list, not one each.
    void AddMarkersInList(int firstItemNo, int lastItemNo);
    // The markers of items FirstItemNo..LastItemNo and of their sub-documents,
    // in document order, appended to Markers.
    void CollectMarkers(int firstItemNo, int lastItemNo, std::vector<TRVMarkerItemInfo*>& markers);
    // The last marker at or before item ItemNo in document order, nested
    // documents and the documents around this one included; null when none.
    TRVMarkerItemInfo* FindPreviousMarker(int itemNo);
    // The first item from StartItemNo on that is Marker or holds it in a
    // sub-document; -1 when none.
    int FindMarkerLocalLocationFrom(int startItemNo, TRVMarkerItemInfo* marker);
    // The highest index of the markers list, From or above, whose marker's list
    // number is in ListNos; -1 when none.
    int FindLastMarkerIndex(int from, TRVIntegerList* listNos);

    // Transfers. ERollViewError "Can't assign RollView to RollView - tags types
    // mismatch" when the stores disagree on rvoTagsArePChars (nothing moved).
    // Appends copies of Source's valid items, checkpoints and markers included.
    void AppendFrom(TCustomRVData* source);
    // Moves all of Victim's items, with their checkpoints and markers, to the
    // end of this store; Victim is left empty. Nothing for a Victim that does
    // not own its items.
    void DrainFrom(TCustomRVData* victim);
    // A store whose ShareItems answers true shows Source's item list from now
    // on, without owning it; its own items are freed first.
    void ShareItemsFrom(TCustomRVData* source);
    // Tells every item that it is being inserted into RVData (texts may change).
    void Inserting(TCustomRVData* rvData, bool safe);
    void UpdateItemsPaletteInfo();

    // RTF loading through the root's RTF properties (rtf_ec_Assertion without
    // them); what is appended is merged with the old last item where it can be.
    TRVRTFErrorCode LoadRTF(const AnsiString& fileName);
    TRVRTFErrorCode LoadRTFFromStream(TStream& stream);

    // Services: the platform's beep when the style sheet's UseSound is on; the
    // scope and item range that the writers save.
    void Beep();
    virtual TRVFSaveScope GetRVFSaveScope(bool selectionOnly);
    // The whole document whatever the scope: items 0 to Count - 1 with the
    // offsets before the first and after the last (items 0 to -1 with offsets 0
    // for an empty store), no page parts. The formatted data gives the selection
    // or a page.
    virtual void RVFGetLimits(TRVFSaveScope saveScope, int& startItemNo, int& endItemNo, int& startOffs,
                              int& endOffs, TRVMultiDrawItemPart*& startPart, TRVMultiDrawItemPart*& endPart);

    // ---- The document format RVF (crvdata_rvfsave.cpp, crvdata_rvfload.cpp)
    // Background and Layout may be null; the view layer adapts its background
    // to TRVFBackground. Writers and readers pass no exception on.

    // Writes the scope's items after the version record and, as the RVF
    // options ask, the background, style and layout records. False when
    // writing failed; what was written stays in the stream. An empty document
    // writes nothing.
    bool SaveRVFToStreamEx(TStream& stream, TRVFSaveScope saveScope, TColor color, TRVFBackground* background,
                           TRVLayoutInfo* layout);
    bool SaveRVFToStream(TStream& stream, bool selectionOnly, TColor color, TRVFBackground* background,
                         TRVLayoutInfo* layout);
    // Writes a temporary file that replaces FileName only once every byte is
    // written: on failure the old file stays as it was.
    bool SaveRVF(const AnsiString& fileName, bool selectionOnly, TColor color, TRVFBackground* background,
                 TRVLayoutInfo* layout);
    // The binary component property "Data" of a table cell: a binary block
    // holding GetRVData's document saved in full, without the background.
    // EWriteError when it cannot be written; ERollViewError "Invalid RVF
    // format" when the block cannot be read whole.
    void DataWriter(TStream& stream);
    void DataReader(TStream& stream);

    // Reads RVF from the stream's position into the store at Index (raised to
    // at most the item count; afterwards the index of the first item read).
    // AParaNo is the paragraph of the first item (-1: decided by its place).
    // Style records replace the style sheet's collections (AllowReplaceStyles)
    // or are mapped or merged as the read modes say; inserted items are
    // renumbered. Warnings are collected in the RVF warnings. True when the
    // data ended on a record boundary and nothing failed; items read before a
    // failure stay. NonFirstItemsAdded counts the items after the first;
    // Reading is false once the data was read to its end, and stays true when
    // InsertFirstRVFItem stopped the reading. Nested reads (the documents of
    // table cells) are refused beyond RVFMaxNesting levels.
    bool InsertRVFFromStream_(TStream& stream, int& index, int aParaNo, bool allowReplaceStyles,
                              bool appendMode, bool editFlag, TColor& color, TRVFBackground* background,
                              TRVLayoutInfo* layout, int& nonFirstItemsAdded, bool& reading,
                              bool& fullReformat);
    bool InsertRVFFromStream(TStream& stream, int index, TColor& color, TRVFBackground* background,
                             TRVLayoutInfo* layout, bool allowReplaceStyles);
    bool AppendRVFFromStream(TStream& stream, int paraNo, TColor& color, TRVFBackground* background);
    // Clear, then InsertRVFFromStream at 0 replacing the styles.
    bool LoadRVFFromStream(TStream& stream, TColor& color, TRVFBackground* background, TRVLayoutInfo* layout);
    bool LoadRVF(const AnsiString& fileName, TColor& color, TRVFBackground* background,
                 TRVLayoutInfo* layout);
    // Places the first item read: here like every other item, at Index (the
    // editor merges it into the item at the caret and may take it, setting li
    // to null). False stops the reading.
    virtual bool InsertFirstRVFItem(int& index, AnsiString& s, TCustomRVItemInfo*& li, bool editFlag,
                                    bool& fullReformat, int& newListNo);
    // Documents a read may nest: the root and the cells of 32 tables nested
    // in it, as deep as the RTF reader nests tables, so that a document read
    // from RTF reads back from its RVF.
    static constexpr int RVFMaxNesting = 33;
    // Tables one document may nest, around and inside it: what the editor
    // makes stays readable.
    static constexpr int MaxTableNesting = RVFMaxNesting - 1;

    // ---- HTML pages (crvdata_htmlsave.cpp, crvdata_htmlcss.cpp)
    // A page in one of two dialects: plain HTML (text styles as FONT, B, I, U,
    // S, SUB and SUP tags, paragraphs as DIVs) or HTML with a style sheet
    // (styles as CSS classes). The options may ask for the head, the body or
    // the end alone. Pictures are written as files into Path (the page's
    // folder) named ImagesPrefix + number; ImagesCounter is raised for each.
    // Margins are in pixels; Background (the page's picture) may be null. Bullets lists the images
    // already written for the page (null: a list of the call's own). With
    // SelectionOnly only the selection (RVFGetLimits) is written. False without
    // a style sheet or when writing raised; what was written stays in Stream.
    virtual bool SaveHTMLToStream(TStream& stream, const AnsiString& path, const AnsiString& title,
                                  const AnsiString& imagesPrefix, TRVSaveOptions options, TColor color,
                                  int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                                  int bottomMargin, TRVFBackground* background, TRVList* bullets,
                                  bool selectionOnly = false);
    // The style-sheet dialect. ExtraStyles is CSS added to the page's style
    // sheet; with ExternalCSS the page links that file instead of embedding the
    // style sheet; CPPrefix names numbered anchors ("RollViewCheckpoint" when
    // empty). CurrentFileColor is set to Color, then follows the background of
    // each paragraph written.
    virtual bool SaveHTMLToStreamEx(TStream& stream, const AnsiString& path, const AnsiString& title,
                                    const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                                    const AnsiString& externalCss, const AnsiString& cpPrefix,
                                    TRVSaveOptions options, TColor color, TColor& currentFileColor,
                                    int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                                    int bottomMargin, TRVFBackground* background, TRVList* bullets,
                                    bool selectionOnly = false);
    // The stream writers into a file, pictures beside it; the file is replaced
    // only when the whole page was written. False on any failure.
    bool SaveHTML(const AnsiString& fileName, const AnsiString& title, const AnsiString& imagesPrefix,
                  TRVSaveOptions options, TColor color, int& imagesCounter, int leftMargin, int topMargin,
                  int rightMargin, int bottomMargin, TRVFBackground* background);
    bool SaveHTMLEx(const AnsiString& fileName, const AnsiString& title, const AnsiString& imagesPrefix,
                    const AnsiString& extraStyles, const AnsiString& externalCss, const AnsiString& cpPrefix,
                    TRVSaveOptions options, TColor color, TColor& currentFileColor, int& imagesCounter,
                    int leftMargin, int topMargin, int rightMargin, int bottomMargin,
                    TRVFBackground* background);
    // The anchor of a checkpoint (nothing for null): its quoted name with
    // rvsoUseCheckpointsNames, else CPPrefix and CPIndex. CPIndex grows by one
    // either way; FromNewLine writes an empty line first.
    void SaveHTMLCheckpoint(TStream& stream, const TRVCPInfo* checkpoint, int& cpIndex,
                            const AnsiString& cpPrefix, bool fromNewLine, TRVSaveOptions options);
    // The background picture as a file beside the page (or where the root's
    // image-save request puts it); its location for the page, empty when none.
    AnsiString SaveBackgroundToHTML(TGraphic* picture, TColor color, const AnsiString& path,
                                    const AnsiString& imagesPrefix, int& imagesCounter, bool overrideImages);

    // ---- Pictures and controls (crvdata_pictures.cpp)
    // A picture item owning Graphic, of paragraph style ParaNo (-1: continuing
    // the line). ERollViewError "Parameter can't be NIL" for no graphic.
    void AddPictureExTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                         const TRVTag& tag);
    void AddPictureEx(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign)
    {
        AddPictureExTag(name, graphic, paraNo, vAlign, TRVTag());
    }
    // The same as a hypertext picture.
    void AddHotPictureTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                          const TRVTag& tag);
    void AddHotPicture(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign)
    {
        AddHotPictureTag(name, graphic, paraNo, vAlign, TRVTag());
    }
    // A control item owning Control, which then belongs to the document's
    // parent control. ERollViewError "Parameter can't be NIL" for no control.
    void AddControlExTag(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign,
                         const TRVTag& tag);
    void AddControlEx(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign)
    {
        AddControlExTag(name, control, paraNo, vAlign, TRVTag());
    }
    // A picture (or hypertext picture) item's name, picture (still the item's),
    // vertical alignment and tag.
    void GetPictureInfo(int itemNo, AnsiString& aName, TGraphic*& aGraphic, TRVVAlign& avAlign,
                        TRVTag& aTag) const;
    // Replaces the picture (freeing the old one; the item owns the new one),
    // the alignment, tag and name, and renews the palette copy. True unless the
    // new picture has the old one's size and the alignment is unchanged (then
    // the document needs no new layout). ERollViewError "Parameter can't be
    // NIL" for no graphic, with nothing changed.
    bool SetPictureInfo(int itemNo, const AnsiString& aName, TGraphic* aGraphic, TRVVAlign avAlign,
                        const TRVTag& aTag);
    void GetControlInfo(int itemNo, AnsiString& aName, TControl*& aControl, TRVVAlign& avAlign,
                        TRVTag& aTag) const;
    // The alignment, tag and name (the control stays); true when the alignment changed.
    bool SetControlInfo(int itemNo, const AnsiString& aName, TRVVAlign avAlign, const TRVTag& aTag);

    // ---- RTF output (crvdata_rtfsave.cpp, crvdata_rtftables.cpp)
    // The document, or its selection, into a file (replaced only once every
    // byte is written). False on any failure.
    bool SaveRTF(const AnsiString& fileName, bool selectionOnly, TColor color, TRVFBackground* background);
    // Writes the document or its selection. Level 0 is the outermost call: it
    // makes the shared tables (the arguments are then ignored), the twips per
    // pixel and the header, and closes the group. Deeper levels (table cells)
    // write only their paragraphs, with the outermost call's tables. False when
    // anything raised; what was written stays in the stream.
    virtual bool SaveRTFToStream(TStream& stream, bool selectionOnly, int level, TColor color,
                                 TRVFBackground* background, TRVColorList* colorList,
                                 TRVIntegerList* styleToFont, TRVIntegerList* listOverrideOffsetsList1,
                                 TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable,
                                 double twipsPerPixel);
    // The colour table (17 fixed colours, then those of the styles; with Init
    // only) and one list-override count per list style, then what the
    // document's non-text items add.
    void MakeRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList, bool init);
    // The list table and the list-override table. ListOverrideOffsetsList holds
    // one entry count per list style before, the \ls number of each list's
    // first entry after.
    void SaveRTFListTable97(TStream& stream, TRVColorList* colorList, TRVIntegerList* listOverrideOffsetsList,
                            TRVRTFFontTable* fontTable, double twipsPerPixel);

    // ---- Changes
    // Counts the changes of the document: every change of its item list (items
    // added, removed or replaced, their texts), item options and properties set
    // through this store, and every change of a document inside one of its
    // items (a table cell), which counts in the documents around it too. A
    // layout made earlier tells in one comparison whether it is stale.
    uint64_t ChangeCount() const { return FChangeCount; }
    void NoteChange();

    // ---- Fields
    int FirstJumpNo = 0;          // the number of the document's first hyperlink
    TStringList* Items = nullptr; // texts and items; owned unless ShareItems
    bool AddParagraphMode = true; // appended items start paragraphs (else lines)
    TRVCPInfo* FirstCP = nullptr;
    TRVCPInfo* LastCP = nullptr;
    TRVCPInfo* NotAddedCP = nullptr; // the pending checkpoint, owned
    int CPCount = 0;                 // chained checkpoints + the pending one
    TRVStates State;

protected:
    // Destroys an item: takes a marker out of the markers list, frees its
    // checkpoint (unlinked, counted) and the item itself.
    virtual void InternalFreeItem(TCustomRVItemInfo* item, bool clearing);
    // Called after the text of item ItemNo was replaced: SetItemText and its A/W
    // forms, the Set...Info calls (the name is the item's text) and the merging
    // of two text items. Nothing here; a laid-out document forgets its layout.
    virtual void ItemTextChanged(int itemNo);
    bool TagsArePChars() { return GetOptions().Contains(rvoTagsArePChars); }

private:
    TCustomRVData(const TCustomRVData&) = delete;
    TCustomRVData& operator=(const TCustomRVData&) = delete;
    TCustomRVItemInfo* LastItem() const;
    // SimpleConcate without removing the second item's entry, which is left
    // empty (no text, no item).
    void JoinIntoFirst(int firstItemNo, TCustomRVItemInfo* item1, TCustomRVItemInfo* item2);
    bool IsRoot() { return GetRootData() == this; }
    // Whether DrainFrom may take Victim's whole list in one exchange: it
    // leaves every item, marker and checkpoint as moving them one by one
    // would (see crvdata_transfer.cpp).
    bool CanTakeWholeList(TCustomRVData* victim);
    // Takes Victim's entries by exchanging the lists' entries, then tells
    // every item that it is in this store, as AddItem does.
    void TakeWholeList(TCustomRVData* victim);
    bool HasUnicodeStyle(int styleNo);

    // Whether Items is this store's own list (freed with the store).
    bool FOwnsItems = false;
    uint64_t FChangeCount = 0;
};

// An editing primitive that moves items (into an undo record, or back) makes
// its change whole before the program hears of the controls that moved: the
// program's handler of OnControlAction may change the document, or close the
// editor the primitive works in. Scopes nest; the moves are told, in order,
// when the outermost closes (not when it is left by an exception).
struct TRVControlMovesKind;
using TRVControlMovesTold = TTellsHeld<TRVControlMovesKind>;

// While a save or a load walks a document, or a document is cleared, the root,
// the style sheet and the handler of item actions of each store asked about
// are remembered, so that a store nested many levels deep (a cell of a table
// in a cell of a table ...) finds them in one step instead of through its
// whole chain of holders at every question. Only the outermost scope keeps
// answers. A store freed while it lasts is forgotten, and a table or cell
// that changes its holder forgets every answer (Forget).
class TRVSaveAnswers {
public:
    TRVSaveAnswers();
    ~TRVSaveAnswers();
    TRVSaveAnswers(const TRVSaveAnswers&) = delete;
    TRVSaveAnswers& operator=(const TRVSaveAnswers&) = delete;
    // The answers of the scope running now, or null.
    static TRVSaveAnswers* Active();
    // Drops what is kept about Data (null: about every store).
    static void Forget(const TCustomRVData* data);

    std::unordered_map<const TCustomRVData*, TCustomRVData*> Roots;
    std::unordered_map<const TCustomRVData*, TRVStyle*> Styles;
    std::unordered_map<const TCustomRVData*, TCustomRVData*> ActionTargets;

private:
    bool FOuter;
};

template <class T> T* TCustomRVData::CheckItemClass(int itemNo) const
{
    T* item = dynamic_cast<T*>(GetItem(itemNo));
    if (!item)
        throw ERollViewError(errRVItemInfoKind);
    return item;
}
