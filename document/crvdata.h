// The item store TCustomRVData under every document, table cell and printable
// view: items paired with their texts, the checkpoint chain, the state flags,
// adding, deleting and reading items, paragraphs, style usage; and the small
// records the writers share (RTF font table, layout block, HTML picture cache).
#pragma once

#include <cstdint>

#include "document/rvclasses.h"
#include "document/rvitem.h"
#include "document/rvrtferr.h"
#include "document/rvset.h"
#include "document/rvstr.h"
#include "document/rvtag.h"
#include "document/rvtypes.h"
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
// State and settings of a document

// State flags of a document data; a set held in 32 bits (bit n is member n).
enum TRVState {
    rvstMakingSelection,
    rvstDrawHover,
    rvstSkipFormatting,
    rvstFormatParas,
    rvstIgnoreNextMouseDown,
    rvstChangingBkPalette,
    rvstCompletelySelected,
    rvstClearing,
    rvstResizing,
    rvstDoNotMoveChildren,
    rvstForceStyleChangeEvent,
    rvstIgnoreNextChar,
    rvstDoNotTab,
    rvstDeselecting,
    rvstUnAssigningChosen,
    rvstNoScroll,
    rvstFinalizingUndo,
    rvstRTFSkipPar,
    rvstLoadingAsPartOfItem,
    rvstMarkersBadlyNeeded,
    rvstReformatParentOnExit,
    rvstNoKillFocusEvents,
    rvstEditorUnformatted,
    rvstNameSet,
    rvstFirstParaAborted,
    rvstLastParaAborted,
};
using TRVStates = TRVSet<TRVState, uint32_t>;

// Display options of a viewer, 16 bits. Under rvoTagsArePChars every tag of the
// document is a string.
enum TRVOption {
    rvoAllowSelection,
    rvoSingleClick,
    rvoScrollToEnd,
    rvoClientTextWidth,
    rvoShowCheckpoints,
    rvoShowPageBreaks,
    rvoTagsArePChars,
    rvoAutoCopyText,
    rvoAutoCopyUnicodeText,
    rvoAutoCopyRVF,
    rvoAutoCopyImage,
    rvoAutoCopyRTF,
    rvoFormatInvalidate,
    rvoDblClickSelectsWord,
    rvoRClickDeselects,
};
using TRVOptions = TRVSet<TRVOption, uint16_t>;

// What the document format writes and how its reader copes, 16 bits.
enum TRVFOption {
    rvfoSavePicturesBody,
    rvfoSaveControlsBody,
    rvfoIgnoreUnknownPicFmt,
    rvfoIgnoreUnknownCtrls,
    rvfoConvUnknownStylesToZero,
    rvfoConvLargeImageIdxToZero,
    rvfoSaveBinary,
    rvfoUseStyleNames,
    rvfoSaveBack,
    rvfoLoadBack,
    rvfoSaveTextStyles,
    rvfoSaveParaStyles,
    rvfoSaveLayout,
    rvfoLoadLayout,
};
using TRVFOptions = TRVSet<TRVFOption, uint16_t>;

// What the last read of the document format had to change or skip.
enum TRVFWarning {
    rvfwUnknownPicFmt,
    rvfwUnknownCtrls,
    rvfwConvUnknownStyles,
    rvfwConvLargeImageIdx,
    rvfwConvToUnicode,
    rvfwConvFromUnicode,
    rvfwInvalidPicture,
};
using TRVFWarnings = TRVSet<TRVFWarning, uint8_t>;

enum TRVRTFOption {
    rvrtfSaveStyleSheet,
    rvrtfDuplicateUnicode,
    rvrtfSaveEMFAsWMF,
    rvrtfSaveJpegAsJpeg,
    rvrtfSaveBitmapDefault,
    rvrtfSaveEMFDefault,
};
using TRVRTFOptions = TRVSet<TRVRTFOption, uint8_t>;

// How style records of a read document are applied.
enum TRVFReaderStyleMode { rvf_sIgnore, rvf_sInsertMap, rvf_sInsertMerge };

// What part of a document a writer saves.
enum TRVFSaveScope { rvfss_Full, rvfss_Selection, rvfss_Page };

// Where extra RTF or HTML code supplied by the viewer's events goes.
enum TRVRTFSaveArea {
    rv_rtfs_TextStyle,
    rv_rtfs_ParaStyle,
    rv_rtfs_CellProps,
    rv_rtfs_RowProps,
    rv_rtfs_Doc
};
enum TRVHTMLSaveArea { rv_thms_Head, rv_thms_BodyAttribute, rv_thms_Body, rv_thms_End };

// Notifications about the control of a control item.
enum TRVControlAction {
    rvcaAfterRVFLoad,
    rvcaDestroy,
    rvcaMoveToUndoList,
    rvcaMoveFromUndoList,
    rvcaDestroyInUndoList,
    rvcaBeforeRVFSave,
    rvcaAfterRVFSave,
};

// ---------------------------------------------------------------------------
// Records shared by the writers

// One font of an RTF font table; its index in the table is its RTF font number.
class TRVRTFFontTableItem : public TObject {
public:
    const char* ClassName() const override { return "TRVRTFFontTableItem"; }
    AnsiString FontName;
    uint8_t Charset = 0;
};

// The fonts an RTF writer has met, in order; owns its entries.
class TRVRTFFontTable : public TRVList {
public:
    const char* ClassName() const override { return "TRVRTFFontTable"; }
    // The first entry of this name (compared ignoring case) and charset; -1 when none.
    int Find(const AnsiString& FontName, uint8_t Charset) const;
    // Find, else a new entry at the end; the entry's index.
    int AddUnique(const AnsiString& FontName, uint8_t Charset);
    TRVRTFFontTableItem* Get(int Index) const;
    void Put(int Index, TRVRTFFontTableItem* Value); // frees the entry it replaces
};

// The layout of a document as the document format carries it: margins, text
// width limits and reading direction, and the state of a printed page.
class TRVLayoutInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVLayoutInfo"; }

    // The binary block: [with SizePrefix: block length + 8] 0, L, six margins and
    // widths, the reading direction byte (L = 25), then, when either paragraph
    // flag is set, the two flags and the first marker's list and level (L = 41).
    // All integers 32-bit little-endian.
    void SaveToStream(TStream& Stream, bool IncludeSize) const;
    // Reads a block written by SaveToStream and sets Loaded. ERollViewError
    // "Invalid RVF format" when L is below 25 or the block is longer than what
    // remains of the stream; nothing is changed then. Bytes of a longer block
    // that this version does not know are skipped.
    void LoadFromStream(TStream& Stream, bool IncludeSize);
    // The block (without the size prefix) as hexadecimal text, and back.
    void SaveTextToStream(TStream& Stream) const;
    void LoadText(const AnsiString& s);
    // The raw bytes of a binary record (without the size prefix).
    void LoadBinary(const AnsiString& s);

    bool Loaded = false;
    int LeftMargin = 0;
    int RightMargin = 0;
    int TopMargin = 0;
    int BottomMargin = 0;
    int MinTextWidth = 0;
    int MaxTextWidth = 0;
    TRVBiDiMode BiDiMode = rvbdUnspecified;
    int LastParaAborted = 0;
    int FirstParaAborted = 0;
    int FirstMarkerListNo = -1;
    int FirstMarkerLevel = 0;
};

// A picture file already written beside an HTML page, so that the same bullet
// or hot-spot image is written once. Refers to its image list and graphic
// without owning them.
class TRVHTMLBulletInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVHTMLBulletInfo"; }
    AnsiString FileName;
    TCustomImageList* ImageList = nullptr;
    int ImageIndex = 0;
    TColor BackColor = 0;
    TGraphic* Graphic = nullptr;
};

// Whether pictures of the graphic's class are written to HTML pages in their own
// format (see RV_RegisterHTMLGraphicFormat); false before any registration.
bool RV_IsHTMLGraphicFormat(const TGraphic* Graphic);
// Adds the class to the process-wide list of HTML picture formats when it is not
// there yet; the class's index in the list (-1 for no class).
int RV_RegisterHTMLGraphicFormat(TGraphicClass GraphicClass);

// ---- HTML pages (h23: crvdata_htmlsave.cpp, crvdata_htmlcss.cpp)

// Text escaped for the body of an HTML page: & < > as entities, runs of
// blanks as "&nbsp;" and blanks (a leading and a trailing blank too); an empty
// text gives "&nbsp;" with NoEmptyLines. With SpecialCode (a style that holds
// HTML code) the text comes back unchanged.
AnsiString RV_MakeHTMLStr(const AnsiString& str, bool NoEmptyLines, bool SpecialCode);
// The HTML character-set name of a font character set; empty for the sets
// that have none (ANSI and default among them).
AnsiString RV_CharSet2HTMLLang(int Charset);

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
    virtual void SetOptions(TRVOptions Value);
    virtual TRVFOptions GetRVFOptions();
    virtual void SetRVFOptions(TRVFOptions Value);
    virtual TRVRTFOptions GetRTFOptions();
    virtual void SetRTFOptions(TRVRTFOptions Value);
    virtual TRVFWarnings GetRVFWarnings();
    virtual void SetRVFWarnings(TRVFWarnings Value);
    virtual TRVFReaderStyleMode GetRVFTextStylesReadMode();
    virtual TRVFReaderStyleMode GetRVFParaStylesReadMode();
    virtual HPALETTE GetRVPalette();
    virtual PLogPalette GetRVLogPalette();
    virtual TRVPaletteAction GetDoInPaletteMode();
    // The document's reading direction.
    virtual TRVBiDiMode GetBiDiMode();
    virtual AnsiString GetDelimiters();
    virtual TRVRTFReaderProperties* GetRTFProperties();
    virtual AnsiString GetExtraRTFCode(TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                                       bool InStyleSheet);
    virtual AnsiString GetExtraHTMLCode(TRVHTMLSaveArea Area, bool CSSVersion);
    virtual AnsiString SaveComponentToFile(const AnsiString& Path, TComponent* SaveMe,
                                           TRVSaveFormat SaveFormat);
    virtual void ReadHyperlink(const AnsiString& Target, const AnsiString& Extras, TRVLoadFormat DocFormat,
                               int& StyleNo, TRVTag& ItemTag, AnsiString& ItemName);
    virtual TGraphic* RVFPictureNeeded(const AnsiString& ItemName, const TRVTag& ItemTag);
    virtual TControl* RVFControlNeeded(const AnsiString& ItemName, const TRVTag& ItemTag);
    virtual TCustomImageList* RVFImageListNeeded(int ImageListTag);
    virtual TWinControl* GetParentControl();
    // Creates the maps of style numbers of an inserted document (the root's; all
    // null at a root that keeps none).
    virtual void InitStyleMappings(TRVIntegerList*& PTextStylesMapping, TRVIntegerList*& PParaStylesMapping,
                                   TRVIntegerList*& PListStylesMapping);
    virtual void DoneStyleMappings(TRVIntegerList* PTextStylesMapping, TRVIntegerList* PParaStylesMapping,
                                   TRVIntegerList* PListStylesMapping);

    // ---- The documents around this one
    virtual TCustomRVData* GetRVData() { return this; }
    virtual TCustomRVData* GetSourceRVData() { return this; }
    // The style sheet: the parent's; null without a parent.
    virtual TRVStyle* GetRVStyle();
    virtual TCustomRVData* GetParentData() { return nullptr; }
    virtual TCustomRVData* GetRootData() { return this; }
    virtual TCustomRVData* GetAbsoluteParentData() { return nullptr; }
    virtual TCustomRVData* GetAbsoluteRootData() { return this; }
    virtual void GetParentInfo(int& ParentItemNo, TRVStoreSubRVData*& Location);
    virtual TCustomRVData* GetChosenRVData() { return nullptr; }
    virtual TCustomRVItemInfo* GetChosenItem() { return nullptr; }
    virtual void Edit() {}
    virtual bool ShareItems() const { return false; }
    virtual bool CanLoadLayout() const { return false; }
    virtual bool SupportsPageBreaks() const { return true; }

    // ---- Supplied by the root data
    virtual AnsiString GetURL(int ItemNo) = 0;
    virtual void ControlAction2(TRVControlAction ControlAction, int ItemNo, TControl*& Ctrl) = 0;
    virtual void HTMLSaveImage(TCustomRVData* RVData, int ItemNo, const AnsiString& Path,
                               TColor BackgroundColor, AnsiString& Location, bool& DoDefault) = 0;

    // ---- Notifications
    // An item is inserted, destroyed, ... (nothing here; the viewer's data raises its event).
    virtual void ItemAction(TRVItemAction ItemAction, TCustomRVItemInfo* Item, AnsiString& Text,
                            TCustomRVData* RVData);
    // The control of a control item is destroyed, moved, saved or loaded.
    virtual void ControlAction(TRVControlAction ControlAction, int ItemNo, TCustomRVItemInfo* Item);

    // ---- List markers (the list belongs to the outermost root data)
    // The document's markers list; null when there is none and AllowCreate is
    // false, or when no root data keeps one.
    virtual TRVMarkerList* GetMarkers(bool AllowCreate);
    virtual void DestroyMarkers();
    // Takes a marker item out of the markers list (nothing for other items).
    void DeleteMarkerFromList(TCustomRVItemInfo* Item, bool Clearing);

    // ---- Adding items. Every Add ends in AddItem; nothing is laid out.
    void SetAddParagraphMode(bool Value) { AddParagraphMode = Value; }
    // Appends an item (owned by the store from then on) with its text. An item
    // of ParaNo -1 continues the last paragraph's line unless the store is empty
    // or ends with a full-width item; then it starts a paragraph of style 0.
    void AddItem(const AnsiString& Text, TCustomRVItemInfo* Item);
    // A text item of style StyleNo; tabs become spaces. ERollViewError "Can't
    // perform Unicode operation" for text of odd length in a Unicode style.
    void AddNLTag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag);
    void AddNL(const AnsiString& s, int StyleNo, int ParaNo) { AddNLTag(s, StyleNo, ParaNo, TRVTag()); }
    void AddFmt(const AnsiString& FormatStr, std::initializer_list<TFormatArg> Args, int StyleNo, int ParaNo);
    // ANSI text, converted to UTF-16 for a Unicode style (the style's code page).
    void AddNLATag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag);
    // Wide text, converted to ANSI for a style that is not Unicode.
    void AddNLWTag(const WideString& s, int StyleNo, int ParaNo, const TRVTag& Tag);
    // One text item per line (lone CR and LF count as line ends): the first in
    // paragraph style FirstParaNo, the others in OtherParaNo (in paragraph mode).
    // An empty line of paragraph -1 is skipped.
    void AddTextNL(const AnsiString& s, int StyleNo, int FirstParaNo, int OtherParaNo,
                   const TRVTag& Tag = TRVTag());
    // One paragraph: the first line starts it, every other line is a line break in it.
    void AddTextBlockNL(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag = TRVTag());
    // A pending checkpoint for the next item; its index. When one is pending
    // already, nothing changes and its index is returned.
    int AddNamedCheckpointExTag(const AnsiString& CpName, bool RaiseEvent, const TRVTag& Tag);
    void AddBreakExTag(uint8_t Width, TRVBreakStyle Style, TColor Color, const TRVTag& Tag);
    void AddBreakEx(uint8_t Width, TRVBreakStyle Style, TColor Color)
    {
        AddBreakExTag(Width, Style, Color, TRVTag());
    }
    void AddBreakTag(const TRVTag& Tag) { AddBreakExTag(1, rvbsLine, clNone, Tag); }
    void AddBreak() { AddBreakTag(TRVTag()); }
    void AddHotspotExTag(const AnsiString& Name, int ImageIndex, int HotImageIndex,
                         TCustomImageList* ImageList, int ParaNo, const TRVTag& Tag);
    void AddHotspotEx(const AnsiString& Name, int ImageIndex, int HotImageIndex, TCustomImageList* ImageList,
                      int ParaNo)
    {
        AddHotspotExTag(Name, ImageIndex, HotImageIndex, ImageList, ParaNo, TRVTag());
    }
    void AddBulletExTag(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList, int ParaNo,
                        const TRVTag& Tag);
    void AddBulletEx(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList, int ParaNo)
    {
        AddBulletExTag(Name, ImageIndex, ImageList, ParaNo, TRVTag());
    }
    // Tabs replaced by the style sheet's SpacesInTab blanks (8 without a style
    // sheet); in the wide form when Unicode is set without a style sheet, or
    // when text style StyleNo is Unicode.
    AnsiString ReplaceTabs(const AnsiString& s, int StyleNo, bool Unicode);

    // ---- Deleting
    // Frees items FirstItemNo .. FirstItemNo + Count - 1 (cut to the items that
    // exist) and removes their entries.
    virtual void DeleteItems(int FirstItemNo, int Count);
    // Deletes from the item of the checkpoint named CpName up to the item of the
    // next checkpoint with a name, or to the end.
    void DeleteSection(const AnsiString& CpName);
    // Destroys the item of entry ItemNo (the entry stays: the caller deletes it).
    void FreeItem(int ItemNo, bool Clearing);
    // Frees every item and checkpoint.
    virtual void Clear();

    // ---- Items
    TCustomRVItemInfo* GetItem(int ItemNo) const;
    int GetItemNo(const TCustomRVItemInfo* Item) const;
    int GetItemCount() const;
    int GetItemStyle(int ItemNo) const;
    int GetItemPara(int ItemNo) const;
    TRVItemOptions GetItemOptions(int ItemNo) const;
    const TRVTag& GetItemTag(int ItemNo) const;
    void SetItemTag(int ItemNo, const TRVTag& Tag);
    const AnsiString& GetItemText(int ItemNo) const;
    // ERollViewError "Can't perform Unicode operation" for text of odd length in a Unicode item.
    void SetItemText(int ItemNo, const AnsiString& s);
    AnsiString GetItemTextA(int ItemNo);
    WideString GetItemTextW(int ItemNo);
    void SetItemTextA(int ItemNo, const AnsiString& s);
    void SetItemTextW(int ItemNo, const WideString& s);
    // Text converted to the form item ItemNo keeps (UTF-16 bytes for a Unicode item).
    AnsiString GetTextInItemFormatA(int ItemNo, const AnsiString& s);
    AnsiString GetTextInItemFormatW(int ItemNo, const WideString& s);
    // Characters of the item (bytes, or UTF-16 units); 1 for a non-text item.
    int ItemLength(int ItemNo) const;
    int GetOffsBeforeItem(int ItemNo) const;
    int GetOffsAfterItem(int ItemNo) const;
    bool SetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value);
    bool GetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int& Value);
    int FindControlItemNo(TControl* ActualCtrl) const;
    // Item ItemNo as a T (the class or one derived from it); ERollViewError "Can't
    // get or set this kind of information for this item" when it is not one.
    template <class T> T* CheckItemClass(int ItemNo) const;

    // ---- Per-kind information (the name of a non-text item is its string)
    void GetTextInfo(int ItemNo, AnsiString& AText, TRVTag& ATag) const;
    void GetBreakInfo(int ItemNo, uint8_t& ALineWidth, TRVBreakStyle& AStyle, TColor& AColor,
                      TRVTag& ATag) const;
    void SetBreakInfo(int ItemNo, uint8_t ALineWidth, TRVBreakStyle AStyle, TColor AColor,
                      const TRVTag& ATag);
    void GetBulletInfo(int ItemNo, AnsiString& AName, int& AImageIndex, TCustomImageList*& AImageList,
                       TRVTag& ATag) const;
    void SetBulletInfo(int ItemNo, const AnsiString& AName, int AImageIndex, TCustomImageList* AImageList,
                       const TRVTag& ATag);
    void GetHotspotInfo(int ItemNo, AnsiString& AName, int& AImageIndex, int& AHotImageIndex,
                        TCustomImageList*& AImageList, TRVTag& ATag) const;
    void SetHotspotInfo(int ItemNo, const AnsiString& AName, int AImageIndex, int AHotImageIndex,
                        TCustomImageList* AImageList, const TRVTag& ATag);

    // ---- Page breaks. ERollViewError "Item index is out of bounds" outside the items.
    // A paragraph that starts with a list marker keeps its flag on the marker.
    bool GetPageBreaksBeforeItems(int ItemNo) const;
    void SetPageBreaksBeforeItems(int ItemNo, bool Value);

    // ---- Checkpoints. A checkpoint is handed out as the TRVCPInfo itself.
    TRVCPInfo* GetFirstCheckpoint() const;
    TRVCPInfo* GetLastCheckpoint() const;
    TRVCPInfo* GetNextCheckpoint(const TRVCPInfo* CheckpointData) const;
    TRVCPInfo* GetPrevCheckpoint(const TRVCPInfo* CheckpointData) const;
    TRVCPInfo* GetItemCheckpoint(int ItemNo) const;
    int GetCheckpointItemNo(const TRVCPInfo* CheckpointData) const;
    int GetCheckpointNo(const TRVCPInfo* CheckpointData) const;
    TRVCPInfo* GetCheckpointByNo(int No) const;
    void GetCheckpointInfo(const TRVCPInfo* CheckpointData, TRVTag& Tag, AnsiString& Name,
                           bool& RaiseEvent) const;
    TRVCPInfo* FindCheckpointByName(const AnsiString& Name) const;
    TRVCPInfo* FindCheckpointByTag(const TRVTag& Tag);
    TRVCPInfo* FindCPBeforeItem(int ItemNo);
    void InsertCheckpoint(int ItemNo, const TRVTag& Tag, const AnsiString& Name, bool RaiseEvent);
    void SetCheckpointInfo(int ItemNo, const TRVTag& ATag, const AnsiString& AName, bool ARaiseEvent);
    bool RemoveCheckpoint(int ItemNo);
    void UpdateCPItemNo();
    void UpdateCPPos(TRVCPInfo* cp, int ItemNo);
    // Links cp into the chain after Prev (at the head for null) and attaches it
    // to Item; cp is set to null.
    void SetCP(TCustomRVItemInfo* Item, TRVCPInfo* Prev, TRVCPInfo*& cp);
    void UnlinkCheckpoint(TRVCPInfo* cp, bool DecreaseCPCount);
    void FreeCheckpoint(TRVCPInfo*& cp, bool AdjustLinks, bool DecreaseCPCount);

    // ---- Code pages and delimiters
    unsigned GetStyleCodePage(int StyleNo);
    unsigned GetDefaultCodePage();
    // Whether character Index (from 1) of an item's text is a word delimiter.
    bool IsDelimiter(const AnsiString& s, int Index, TRVItemOptions ItemOptions);
    bool IsDelimiterA(char Ch);
    bool IsDelimiterW(WideChar Ch);
    // Every NUL byte becomes '?'.
    static void Replace0(AnsiString& s);

    // ---- Paragraphs and navigation
    bool IsFromNewLine(int ItemNo) const;
    bool IsParaStart(int ItemNo) const;
    int GetFirstParaItem(int ItemNo) const;
    int GetFirstParaSectionItem(int ItemNo) const;
    void ExpandToPara(int StartItemNo, int EndItemNo, int& ParaStart, int& ParaEnd) const;
    void ExpandToParaSection(int StartItemNo, int EndItemNo, int& ParaStart, int& ParaEnd) const;
    void AdjustInItemsRange(int& ItemNo) const;
    void NormalizeParas(int StartItemNo);
    void SetParagraphStyleToAll(int ParaNo);
    // Whether item FirstItemNo and the next one (Item1, Item2) can be one text
    // item. Never for non-empty items whose Unicode flags differ.
    bool RV_CanConcateItems(int FirstItemNo, const TCustomRVItemInfo* Item1, const TCustomRVItemInfo* Item2,
                            bool IgnorePara);
    // Merges item FirstItemNo + 1 into item FirstItemNo.
    void SimpleConcate(int FirstItemNo, TCustomRVItemInfo* Item1, TCustomRVItemInfo* Item2);
    void MassSimpleConcate(int FirstItemNo, int LastItemNo);
    int NextChar(int ItemNo, int Index) const;
    int PrevChar(int ItemNo, int Index) const;
    int NextCharStr(const AnsiString& s, int ItemNo, int Index) const;
    int PrevCharStr(const AnsiString& s, int ItemNo, int Index) const;
    TRVBiDiMode GetItemBiDiMode(int ItemNo);
    TRVBiDiMode GetParaBiDiMode(int ParaNo);

    // ---- Style usage
    // Deletes the styles of the flagged collections that nothing uses and
    // renumbers every reference to the others (style sheet and items).
    void DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles);
    // Every item marks the styles it uses (entries set to 1).
    virtual void MarkStylesInUse(TRVIntegerList* UsedTextStyles, TRVIntegerList* UsedParaStyles,
                                 TRVIntegerList* UsedListStyles);
    // Every item renumbers its style numbers by the shift maps.
    void UpdateStyles(TRVIntegerList* TextStylesShift, TRVIntegerList* ParaStylesShift,
                      TRVIntegerList* ListStylesShift);
    virtual void AfterDeleteStyles(TRVIntegerList* TextStylesShift, TRVIntegerList* ParaStylesShift,
                                   TRVIntegerList* ListStylesShift);

    // ---- Pictures written beside HTML pages
    // The name of the next picture file path + prefix + number + Extension that
    // does not exist (with OverrideFiles: or is not read-only); ImageNo is raised
    // to the number used.
    virtual AnsiString GetNextFileName(const AnsiString& ImagesPrefix, const AnsiString& Path,
                                       const AnsiString& Ext, int& ImageNo, bool OverrideFiles);
    // Writes the picture beside an HTML page (or as a bitmap for other formats)
    // and returns the location to write into the page.
    virtual AnsiString SavePicture(TRVSaveFormat DocumentSaveFormat, const AnsiString& ImagesPrefix,
                                   const AnsiString& Path, int& ImageNo, bool OverrideImages,
                                   TColor BackgroundColor, TGraphic* gr);

    // ---- Plain text, list markers, transfers, RTF loading and services
    // (crvdata_text.cpp, crvdata_lists.cpp, crvdata_transfer.cpp, crvdata_settings.cpp)

    // Plain text of the document, or of its selection, into Stream: lines joined
    // by CR LF with no line end after the last; UTF-16 little-endian without a
    // byte-order mark when Unicode is set. LineWidth goes to the AsText of
    // non-text items; with TextOnly only items that are always text contribute.
    // False when writing raised (the bytes written stay in the stream).
    bool SaveTextToStream(const AnsiString& Path, TStream& Stream, int LineWidth, bool SelectionOnly,
                          bool TextOnly, bool Unicode);
    // The whole document into a file, replaced only when every byte is written.
    bool SaveText(const AnsiString& FileName, int LineWidth, bool Unicode);
    // Appends an 8-bit text file, one text item of StyleNo per line (CR LF, CR
    // or LF ends a line; Ctrl-Z ends the input only as the file's last byte).
    // With AsSingleParagraph every line after the first is a line break in the
    // first one's paragraph. False on any failure, keeping the lines added.
    bool LoadText(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph);
    // The same for a UTF-16 file (little-endian, or big-endian after FE FF);
    // false for a file of odd length.
    bool LoadTextW(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph);
    // Appends UTF-16 text held in a byte string, one text item per piece between
    // separators (CR, LF, CR LF, U+2028, U+2029, VT, NUL, form feed).
    // ERollViewError "Can't perform Unicode operation" for an odd byte length.
    void AddTextNLW(const AnsiString& s, int StyleNo, int FirstParaNo, int OtherParaNo,
                    bool AsSingleParagraph);
    // The readers cut a line longer than this many bytes of item text into
    // several items of one line, each ending on a whole character.
    static constexpr int MaxLoadedTextItemLength = 16 * 1024 * 1024;

    // List markers. A numbered paragraph starts with a marker item; the markers
    // list of the outermost root holds every marker in document order.
    // Creates or changes the marker of item ItemNo's paragraph (a new one at the
    // end for an ItemNo outside the items); the marker's item number, -1 when
    // the paragraph starts with a full-width item.
    int SetListMarkerInfo(int ItemNo, int ListNo, int Level, int StartFrom, int ParaNo, bool UseStartFrom);
    void RemoveListMarker(int ItemNo);
    // The marker of item ItemNo's paragraph: its item number, -1 when none.
    int GetListMarkerInfo(int ItemNo, int& ListNo, int& Level, int& StartFrom, bool& UseStartFrom);
    void RecalcMarker(int ItemNo, bool AllowCreate);
    // Enters the marker item ItemNo into the markers list at its document position.
    void AddMarkerInList(int ItemNo);
    // The last marker at or before item ItemNo in document order, nested
    // documents and the documents around this one included; null when none.
    TRVMarkerItemInfo* FindPreviousMarker(int ItemNo);
    // The first item from StartItemNo on that is Marker or holds it in a
    // sub-document; -1 when none.
    int FindMarkerLocalLocationFrom(int StartItemNo, TRVMarkerItemInfo* Marker);
    // The highest index of the markers list, From or above, whose marker's list
    // number is in ListNos; -1 when none.
    int FindLastMarkerIndex(int From, TRVIntegerList* ListNos);

    // Transfers. ERollViewError "Can't assign RollView to RollView - tags types
    // mismatch" when the stores disagree on rvoTagsArePChars (nothing moved).
    // Appends copies of Source's valid items, checkpoints and markers included.
    void AppendFrom(TCustomRVData* Source);
    // Moves all of Victim's items, with their checkpoints and markers, to the
    // end of this store; Victim is left empty. Nothing for a Victim that does
    // not own its items.
    void DrainFrom(TCustomRVData* Victim);
    // A store whose ShareItems answers true shows Source's item list from now
    // on, without owning it; its own items are freed first.
    void ShareItemsFrom(TCustomRVData* Source);
    // Tells every item that it is being inserted into RVData (texts may change).
    void Inserting(TCustomRVData* RVData, bool Safe);
    void UpdateItemsPaletteInfo();

    // RTF loading through the root's RTF properties (rtf_ec_Assertion without
    // them); what is appended is merged with the old last item where it can be.
    TRVRTFErrorCode LoadRTF(const AnsiString& FileName);
    TRVRTFErrorCode LoadRTFFromStream(TStream& Stream);

    // Services: the platform's beep when the style sheet's UseSound is on; the
    // scope and item range that the writers save.
    void Beep();
    virtual TRVFSaveScope GetRVFSaveScope(bool SelectionOnly);
    // The whole document whatever the scope: items 0 to Count - 1 with the
    // offsets before the first and after the last (items 0 to -1 with offsets 0
    // for an empty store), no page parts. The formatted data gives the selection
    // or a page.
    virtual void RVFGetLimits(TRVFSaveScope SaveScope, int& StartItemNo, int& EndItemNo, int& StartOffs,
                              int& EndOffs, TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart);

    // ---- The document format RVF (crvdata_rvfsave.cpp, crvdata_rvfload.cpp)
    // Background and Layout may be null; the view layer adapts its background
    // to TRVFBackground. Writers and readers pass no exception on.

    // Writes the scope's items after the version record and, as the RVF
    // options ask, the background, style and layout records. False when
    // writing failed; what was written stays in the stream. An empty document
    // writes nothing.
    bool SaveRVFToStreamEx(TStream& Stream, TRVFSaveScope SaveScope, TColor Color, TRVFBackground* Background,
                           TRVLayoutInfo* Layout);
    bool SaveRVFToStream(TStream& Stream, bool SelectionOnly, TColor Color, TRVFBackground* Background,
                         TRVLayoutInfo* Layout);
    // Writes a temporary file that replaces FileName only once every byte is
    // written: on failure the old file stays as it was.
    bool SaveRVF(const AnsiString& FileName, bool SelectionOnly, TColor Color, TRVFBackground* Background,
                 TRVLayoutInfo* Layout);
    // The binary component property "Data" of a table cell: a binary block
    // holding GetRVData's document saved in full, without the background.
    // EWriteError when it cannot be written; ERollViewError "Invalid RVF
    // format" when the block cannot be read whole.
    void DataWriter(TStream& Stream);
    void DataReader(TStream& Stream);

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
    bool InsertRVFFromStream_(TStream& Stream, int& Index, int AParaNo, bool AllowReplaceStyles,
                              bool AppendMode, bool EditFlag, TColor& Color, TRVFBackground* Background,
                              TRVLayoutInfo* Layout, int& NonFirstItemsAdded, bool& Reading,
                              bool& FullReformat);
    bool InsertRVFFromStream(TStream& Stream, int Index, TColor& Color, TRVFBackground* Background,
                             TRVLayoutInfo* Layout, bool AllowReplaceStyles);
    bool AppendRVFFromStream(TStream& Stream, int ParaNo, TColor& Color, TRVFBackground* Background);
    // Clear, then InsertRVFFromStream at 0 replacing the styles.
    bool LoadRVFFromStream(TStream& Stream, TColor& Color, TRVFBackground* Background, TRVLayoutInfo* Layout);
    bool LoadRVF(const AnsiString& FileName, TColor& Color, TRVFBackground* Background,
                 TRVLayoutInfo* Layout);
    // Places the first item read: here like every other item, at Index (the
    // editor merges it into the item at the caret and may take it, setting li
    // to null). False stops the reading.
    virtual bool InsertFirstRVFItem(int& Index, AnsiString& s, TCustomRVItemInfo*& li, bool EditFlag,
                                    bool& FullReformat, int& NewListNo);
    static constexpr int RVFMaxNesting = 32;

    // ---- HTML pages (h23: crvdata_htmlsave.cpp, crvdata_htmlcss.cpp)
    // A page in one of two dialects: plain HTML (text styles as FONT, B, I, U,
    // S, SUB and SUP tags, paragraphs as DIVs) or HTML with a style sheet
    // (styles as CSS classes). The options may ask for the head, the body or
    // the end alone. Pictures are written as files into Path (the page's
    // folder) named ImagesPrefix + number; ImagesCounter is raised for each.
    // Margins are in pixels; Background (the page's picture) may be null. Bullets lists the images
    // already written for the page (null: a list of the call's own). With
    // SelectionOnly only the selection (RVFGetLimits) is written. False without
    // a style sheet or when writing raised; what was written stays in Stream.
    virtual bool SaveHTMLToStream(TStream& Stream, const AnsiString& Path, const AnsiString& Title,
                                  const AnsiString& ImagesPrefix, TRVSaveOptions Options, TColor Color,
                                  int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                                  int BottomMargin, TRVFBackground* Background, TRVList* Bullets,
                                  bool SelectionOnly = false);
    // The style-sheet dialect. ExtraStyles is CSS added to the page's style
    // sheet; with ExternalCSS the page links that file instead of embedding the
    // style sheet; CPPrefix names numbered anchors ("RollViewCheckpoint" when
    // empty). CurrentFileColor is set to Color, then follows the background of
    // each paragraph written.
    virtual bool SaveHTMLToStreamEx(TStream& Stream, const AnsiString& Path, const AnsiString& Title,
                                    const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                                    const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                                    TRVSaveOptions Options, TColor Color, TColor& CurrentFileColor,
                                    int& ImagesCounter, int LeftMargin, int TopMargin, int RightMargin,
                                    int BottomMargin, TRVFBackground* Background, TRVList* Bullets,
                                    bool SelectionOnly = false);
    // The stream writers into a file, pictures beside it; the file is replaced
    // only when the whole page was written. False on any failure.
    bool SaveHTML(const AnsiString& FileName, const AnsiString& Title, const AnsiString& ImagesPrefix,
                  TRVSaveOptions Options, TColor Color, int& ImagesCounter, int LeftMargin, int TopMargin,
                  int RightMargin, int BottomMargin, TRVFBackground* Background);
    bool SaveHTMLEx(const AnsiString& FileName, const AnsiString& Title, const AnsiString& ImagesPrefix,
                    const AnsiString& ExtraStyles, const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                    TRVSaveOptions Options, TColor Color, TColor& CurrentFileColor, int& ImagesCounter,
                    int LeftMargin, int TopMargin, int RightMargin, int BottomMargin,
                    TRVFBackground* Background);
    // The anchor of a checkpoint (nothing for null): its quoted name with
    // rvsoUseCheckpointsNames, else CPPrefix and CPIndex. CPIndex grows by one
    // either way; FromNewLine writes an empty line first.
    void SaveHTMLCheckpoint(TStream& Stream, const TRVCPInfo* Checkpoint, int& CPIndex,
                            const AnsiString& CPPrefix, bool FromNewLine, TRVSaveOptions Options);
    // The background picture as a file beside the page (or where the root's
    // image-save request puts it); its location for the page, empty when none.
    AnsiString SaveBackgroundToHTML(TGraphic* Picture, TColor Color, const AnsiString& Path,
                                    const AnsiString& ImagesPrefix, int& ImagesCounter, bool OverrideImages);

    // ---- Pictures and controls (crvdata_pictures.cpp)
    // A picture item owning Graphic, of paragraph style ParaNo (-1: continuing
    // the line). ERollViewError "Parameter can't be NIL" for no graphic.
    void AddPictureExTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                         const TRVTag& Tag);
    void AddPictureEx(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign)
    {
        AddPictureExTag(Name, Graphic, ParaNo, VAlign, TRVTag());
    }
    // The same as a hypertext picture.
    void AddHotPictureTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                          const TRVTag& Tag);
    void AddHotPicture(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign)
    {
        AddHotPictureTag(Name, Graphic, ParaNo, VAlign, TRVTag());
    }
    // A control item owning Control, which then belongs to the document's
    // parent control. ERollViewError "Parameter can't be NIL" for no control.
    void AddControlExTag(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign,
                         const TRVTag& Tag);
    void AddControlEx(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign)
    {
        AddControlExTag(Name, Control, ParaNo, VAlign, TRVTag());
    }
    // A picture (or hypertext picture) item's name, picture (still the item's),
    // vertical alignment and tag.
    void GetPictureInfo(int ItemNo, AnsiString& AName, TGraphic*& AGraphic, TRVVAlign& AVAlign,
                        TRVTag& ATag) const;
    // Replaces the picture (freeing the old one; the item owns the new one),
    // the alignment, tag and name, and renews the palette copy. True unless the
    // new picture has the old one's size and the alignment is unchanged (then
    // the document needs no new layout). ERollViewError "Parameter can't be
    // NIL" for no graphic, with nothing changed.
    bool SetPictureInfo(int ItemNo, const AnsiString& AName, TGraphic* AGraphic, TRVVAlign AVAlign,
                        const TRVTag& ATag);
    void GetControlInfo(int ItemNo, AnsiString& AName, TControl*& AControl, TRVVAlign& AVAlign,
                        TRVTag& ATag) const;
    // The alignment, tag and name (the control stays); true when the alignment changed.
    bool SetControlInfo(int ItemNo, const AnsiString& AName, TRVVAlign AVAlign, const TRVTag& ATag);

    // ---- RTF output (crvdata_rtfsave.cpp, crvdata_rtftables.cpp)
    // The document, or its selection, into a file (replaced only once every
    // byte is written). False on any failure.
    bool SaveRTF(const AnsiString& FileName, bool SelectionOnly, TColor Color, TRVFBackground* Background);
    // Writes the document or its selection. Level 0 is the outermost call: it
    // makes the shared tables (the arguments are then ignored), the twips per
    // pixel and the header, and closes the group. Deeper levels (table cells)
    // write only their paragraphs, with the outermost call's tables. False when
    // anything raised; what was written stays in the stream.
    virtual bool SaveRTFToStream(TStream& Stream, bool SelectionOnly, int Level, TColor Color,
                                 TRVFBackground* Background, TRVColorList* ColorList,
                                 TRVIntegerList* StyleToFont, TRVIntegerList* ListOverrideOffsetsList1,
                                 TRVIntegerList* ListOverrideOffsetsList2, TRVRTFFontTable* FontTable,
                                 double TwipsPerPixel);
    // The colour table (17 fixed colours, then those of the styles; with Init
    // only) and one list-override count per list style, then what the
    // document's non-text items add.
    void MakeRTFTables(TRVColorList* ColorList, TRVIntegerList* ListOverrideCountList, bool Init);
    // The list table and the list-override table. ListOverrideOffsetsList holds
    // one entry count per list style before, the \ls number of each list's
    // first entry after.
    void SaveRTFListTable97(TStream& Stream, TRVColorList* ColorList, TRVIntegerList* ListOverrideOffsetsList,
                            TRVRTFFontTable* FontTable, double TwipsPerPixel);

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
    virtual void InternalFreeItem(TCustomRVItemInfo* Item, bool Clearing);
    // Called after the text of item ItemNo was replaced: SetItemText and its A/W
    // forms, the Set...Info calls (the name is the item's text) and the merging
    // of two text items. Nothing here; a laid-out document forgets its layout.
    virtual void ItemTextChanged(int ItemNo);
    bool TagsArePChars() { return GetOptions().Contains(rvoTagsArePChars); }

private:
    TCustomRVData(const TCustomRVData&) = delete;
    TCustomRVData& operator=(const TCustomRVData&) = delete;
    TCustomRVItemInfo* LastItem() const;
    bool IsRoot() { return GetRootData() == this; }
    bool HasUnicodeStyle(int StyleNo);

    // Whether Items is this store's own list (freed with the store).
    bool FOwnsItems = false;
};

template <class T> T* TCustomRVData::CheckItemClass(int ItemNo) const
{
    T* Item = dynamic_cast<T*>(GetItem(ItemNo));
    if (!Item)
        throw ERollViewError(errRVItemInfoKind);
    return Item;
}
