// The items of a document: the item base TCustomRVItemInfo with every
// overridable operation, the intermediate bases (non-text, full-line and
// rectangular items), the text, break, bullet and hot-spot items, checkpoints,
// the capability questions and extra properties, the page-split record of tall
// pictures, and the item-class registry with its factory. The picture and
// control items, which derive from these bases, are in rvitem_pictures.h.
#pragma once

#include <cstdint>
#include <memory>

#include "document/rvclasses.h"
#include "document/rvdrawline.h"
#include "document/rvfuncs.h"
#include "document/rvset.h"
#include "document/rvtag.h"
#include "document/rvtypes.h"
#include "platform/controls/messages.h"
#include "platform/core/colors.h"
#include "platform/graphics/graphic.h"

class TBitmap;
class TCanvas;
class TControl;
class TCustomImageList;
class TCustomRVData;
class TCustomRVItemInfo;
class TRVFLineCursor;
class TRVPrintingViewer;
class TRVRTFFontTable;
class TRVStyle;
class TStream;

// The cursor shown over a hyperlink (the same alias as the style sheet's).
using TCursor = int16_t;

// ---------------------------------------------------------------------------
// Item-type codes (the StyleNo of every item). 0 or more is the index of a
// text style; the negative codes name the non-text item classes. -2 and -7 to
// -9 are reserved for RVF records and never name an item.

inline constexpr int rvsBreak = -1;
inline constexpr int rvsCheckpoint = -2;
inline constexpr int rvsPicture = -3;
inline constexpr int rvsHotspot = -4;
inline constexpr int rvsComponent = -5;
inline constexpr int rvsBullet = -6;
inline constexpr int rvsBack = -7;
inline constexpr int rvsVersionInfo = -8;
inline constexpr int rvsDocProperty = -9;
inline constexpr int rvsHotPicture = -10;
inline constexpr int rvsListMarker = -11;
inline constexpr int rvsTable = -60;

// ---------------------------------------------------------------------------
// Option sets and enumerations the item operations take

// The formats documents are saved in and loaded from.
enum TRVSaveFormat { rvsfText, rvsfHTML, rvsfRTF, rvsfRVF };
enum TRVLoadFormat { rvlfText, rvlfHTML, rvlfRTF, rvlfRVF, rvlfURL, rvlfOther };

// Options of the HTML writers, 16 bits when passed.
enum TRVSaveOption {
    rvsoOverrideImages,
    rvsoFirstOnly,
    rvsoMiddleOnly,
    rvsoLastOnly,
    rvsoDefault0Style,
    rvsoNoHypertextImageBorders,
    rvsoImageSizes,
    rvsoForceNonTextCSS,
    rvsoUseCheckpointsNames,
    rvsoMarkersAsText,
};
using TRVSaveOptions = TRVSet<TRVSaveOption, uint16_t>;

// How pictures are fitted to a palette.
enum TRVPaletteAction { rvpaDoNothing, rvpaAssignPallette, rvpaCreateCopies, rvpaCreateCopiesEx };

enum TRVVAlign : uint8_t { rvvaBaseline, rvvaMiddle };
enum TRVBreakStyle : uint8_t { rvbsLine, rvbsRectangle, rvbs3d };

// The capability questions every item answers (GetBoolValue).
enum TRVItemBoolProperty {
    rvbpFullWidth, // the item always fills a whole line
    rvbpValid,
    rvbpRequiresRVFLines,
    rvbpDisplayActiveState,
    rvbpDrawingChangesFont,
    rvbpCanSaveUnicode,
    rvbpAlwaysInText,
    rvbpImmediateControlOwner,
    rvbpResizable,
    rvbpResizeHandlesOutside,
};
// The capability questions that may depend on the style sheet (GetBoolValueEx).
enum TRVItemBoolPropertyEx {
    rvbpPrintToBMP,
    rvbpJump,
    rvbpAllowsFocus,
    rvbpHotColdJump,
    rvbpXORFocus,
    rvbpHotCold,
    rvbpActualPrintSize,
};

// Integer properties of items beyond their fields, with the names they carry
// in RVF property lines ("name=value").
enum TRVExtraItemProperty {
    rvepUnknown,
    rvepVShift,
    rvepVShiftAbs,
    rvepImageWidth,
    rvepImageHeight,
    rvepTransparent,
    rvepTransparentMode,
    rvepTransparentColor,
    rvepMinHeightOnPage,
    rvepSpacing,
    rvepResizable,
    rvepDeleteProtect,
};
// The RVF name of a property ("vshift", "unremovable", ...); empty for rvepUnknown.
AnsiString RVGetExtraItemPropertyName(TRVExtraItemProperty prop);
// The property of an RVF name, compared case-sensitively; rvepUnknown when none has it.
TRVExtraItemProperty RVGetExtraItemProperty(const AnsiString& name);

enum TRVItemDrawState {
    rvidsSelected,
    rvidsCurrent,
    rvidsHover,
    rvidsPrinting,
    rvidsPreview,
    rvidsPreviewCorrection,
    rvidsControlFocused,
};
using TRVItemDrawStates = TRVSet<TRVItemDrawState, uint8_t>;

// RVF reading: how the next lines of a record are read, and the reader's state.
enum TRVFReadMode { rmText, rmBeforeBinary, rmBinary, rmBeforeUnicode, rmUnicode, rmAfterUnicode };
enum TRVFReadState { rstHeader, rstData, rstSkip };

enum TRVEnterDirection { rvedLeft, rvedRight, rvedTop, rvedBottom };
enum TRVSubRVDataPos { rvdFirst, rvdLast, rvdChosenUp, rvdChosenDown, rvdNext, rvdPrev };
// What happens to an item; the document reports it through ItemAction.
enum TRVItemAction { rviaInserting, rviaInserted, rviaTextModifying, rviaDestroying, rviaMovingToUndoList };

// ---------------------------------------------------------------------------
// Checkpoints

// A checkpoint: a named anchor attached to an item. A store's checkpoints form
// a chain in item order (Next, Prev), owned by the store; ItemNo is a cache
// that the store refreshes. A checkpoint not in a chain and not pending (a
// copy made for a duplicated item) belongs to the item that carries it.
class TRVCPInfo : public TObject {
public:
    const char* ClassName() const override { return "TRVCPInfo"; }

    // Name, RaiseEvent and a copy of the tag (RV_CopyTag); not the links.
    void Assign(const TRVCPInfo* source, bool tagsArePChars);
    // A new unlinked checkpoint assigned from this one (owned by the caller).
    TRVCPInfo* CreateCopy(bool tagsArePChars) const;

    AnsiString Name;
    TRVCPInfo* Next = nullptr;
    TRVCPInfo* Prev = nullptr;
    bool RaiseEvent = false;
    TCustomRVItemInfo* ItemInfo = nullptr; // the item that carries it; null while pending
    int ItemNo = -1;
    TRVTag Tag;
};

// ---------------------------------------------------------------------------
// Class references

// A class reference of an item class: makes a new item of the class through its
// overridable constructor (the document it is made for), and tells whether an
// item is of the class or derived from it. There is one reference per class,
// so references compare by address.
struct TRVItemClassInfo {
    TCustomRVItemInfo* (*Create)(TCustomRVData* rvData);
    bool (*IsInstance)(const TCustomRVItemInfo* item);
};
using TRVItemClass = const TRVItemClassInfo*;

// The class reference of T, an item class constructible from the document.
// The record is constant-initialised, so class references are valid during
// the start-up of every unit.
template <class T>
inline constexpr TRVItemClassInfo RVItemClassInfoOf{
    [](TCustomRVData* rvData) -> TCustomRVItemInfo* { return new T(rvData); },
    [](const TCustomRVItemInfo* item) { return dynamic_cast<const T*>(item) != nullptr; }};
template <class T> constexpr TRVItemClass RVItemClassOf()
{
    return &RVItemClassInfoOf<T>;
}

// ---------------------------------------------------------------------------
// Sub-document positions

// The stored position of a sub-document inside an item (a table cell, for
// one), handed out by GetSubRVData and taken back by ChooseSubRVData.
class TRVStoreSubRVData : public TObject {
public:
    const char* ClassName() const override { return "TRVStoreSubRVData"; }
    // A new copy (owned by the caller); none here.
    virtual TRVStoreSubRVData* Duplicate() const;
};

// ---------------------------------------------------------------------------
// Hyperlinks

// The jump handler of a laid-out document: the layout layer's document data
// implements it and raises the viewer's jump event with the hyperlink number.
// The hypertext action of an item (Execute) reaches it through the document.
class TRVJumpHandler {
public:
    virtual void DoJump(int id) = 0;

protected:
    ~TRVJumpHandler() = default;
};

// ---------------------------------------------------------------------------
// The item base

// One item of a document, paired with its text in the document's item store,
// which owns it. The fields are plain data that the store, the layout engine
// and the writers read and write. An item refers to its checkpoint without
// owning it while the checkpoint is attached (the store's chain owns it); a
// checkpoint it carries unattached (ItemInfo is not this item) is freed with
// the item. The style sheet, canvas and document passed to the operations are
// never owned.
//
// Every operation is overridable; each subclass overrides what it needs and
// answers the capability questions instead of being tested for its class.
class TCustomRVItemInfo : public TPersistent {
public:
    // The overridable constructor: DrawItemNo -1, everything else zero. RVData
    // is the document the item is made for; it is not stored.
    explicit TCustomRVItemInfo(TCustomRVData* rvData);
    ~TCustomRVItemInfo() override;
    const char* ClassName() const override { return "TCustomRVItemInfo"; }
    // Items of the base's size (text items: one per line of a log) come from
    // a pool, without an allocator header each; larger ones from the heap.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);
    // The item's own class reference. Every item class overrides it.
    virtual TRVItemClass GetItemClass() const;

    // ---- Fields. A document holds one item per line of a log, so an item
    // keeps in itself only what every item sets; the checkpoint, the tag and
    // the hyperlink number, which most items leave at their defaults, live
    // apart (below).
    int StyleNo = 0;
    int ParaNo = 0;
    // The first draw item of the item as its last layout left it: a note
    // that an edit above it may leave out of date; the laid-out data checks
    // it when read (FindDrawItemByItem).
    int DrawItemNo = -1;
    TRVItemOptions ItemOptions;

private:
    // Whether the item has a record of its rarely set fields (the checkpoint,
    // the tag, the hyperlink number): one of them differs from its default.
    bool FHasExtra = false;

public:
    // ---- Rarely set fields: held in a record of their own for the items
    // that set them, kept in one table for all items and freed once every
    // field is back at its default (and with the item). An item that sets
    // none of them pays nothing for them.
    // The checkpoint attached to the item (owned by the store's chain), or
    // one it carries on its own; null for none.
    TRVCPInfo* GetCheckpoint() const { return FHasExtra ? ExtraCheckpoint() : nullptr; }
    void SetCheckpoint(TRVCPInfo* checkpoint);
    // The item's tag; the integer 0 when none was set. The reference is valid
    // until the item's rarely set fields change or the item is destroyed.
    const TRVTag& GetTag() const { return FHasExtra ? ExtraTag() : DefaultTag; }
    void SetTag(TRVTag tag);
    // The hyperlink number that the layout engine gives a hyperlink item
    // (-3 for an empty one); 0 until it does.
    int GetJumpID() const { return FHasExtra ? ExtraJumpID() : 0; }
    void SetJumpID(int id);

    // ---- Item options
    bool GetSameAsPrev() const { return ItemOptions.Contains(rvioSameAsPrev); }
    bool GetBR() const { return ItemOptions.Contains(rvioBR); }
    bool GetPageBreakBefore() const { return ItemOptions.Contains(rvioPageBreakBefore); }
    // true: the item continues the previous item's line (no page break, no BR).
    void SetSameAsPrev(bool value);
    // true starts a new line inside the paragraph; refused (cleared) for full-width items.
    void SetBR(bool value);
    void SetPageBreakBefore(bool value);
    // Neither continuing the line nor a forced line start.
    bool CanBeBorderStart() const;
    // Whether the item starts a paragraph; with CountBR a forced line start counts too.
    bool ParaStart(bool countBr) const;

    // ---- Layout, painting and printing
    // 20 pixels, scaled to the device horizontally when sad is given.
    virtual int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData);
    virtual TGraphic* AsImage();
    virtual bool GetBoolValue(TRVItemBoolProperty prop) const;
    virtual bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const;
    // Painting of a full-width item between Left and Right (client coordinates).
    virtual void PaintFullWidth(int left, int right, int top, TCanvas* canvas, TRVItemDrawStates state,
                                TRVStyle* style, const TRect& clipRect, TRVDrawLineInfo* dli);
    virtual void Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                       TRVDrawLineInfo* dli);
    // Paints the item (or page part Part of it) into Bkgnd, in screen pixels;
    // false when the item has nothing to paint there.
    virtual bool PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer* printViewer,
                               TRVDrawLineInfo* dli, int part, TRVColorMode colorMode);
    // Paints the item (or page part Part of it) on a device canvas at (X, Y); X2 is the right edge.
    virtual void Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
                       const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli,
                       int part, TRVColorMode colorMode, TCustomRVData* rvData);
    virtual int GetImageWidth(TRVStyle* rvStyle) const;
    virtual int GetImageHeight(TRVStyle* rvStyle) const;
    virtual int GetBorderWidth() const;
    virtual int GetBorderHeight() const;
    // A new draw item for printing (owned by the caller): a plain one here.
    virtual TRVDrawLineInfo* CreatePrintingDrawItem(TCustomRVData* rvData, const TRVScreenAndDevice& sad);
    // Before the item is added to RVData (null: to no document); Text may change.
    virtual void Inserting(TCustomRVData* rvData, AnsiString& text, bool safe);
    virtual void Inserted(TCustomRVData* rvData, int itemNo);
    // The layout of an item that depends on the document width: HShift is added
    // to the item's left position, Desc is its descent. Here: 0 and 1.
    virtual void OnDocWidthChange(int docWidth, TRVDrawLineInfo* dli, bool printing, TCanvas* canvas,
                                  TCustomRVData* rvData, const TRVScreenAndDevice* sad, int& hShift,
                                  int& desc, bool reformat);
    virtual void DrawBackgroundForPrinting(TCanvas* canvas, const TRect& rect, const TRect& fullRect,
                                           TRVColorMode colorMode, int itemBackgroundLayer);

    // ---- Persistence
    // From another item: StyleNo, ParaNo and ItemOptions (subclasses add their fields).
    void Assign(const TPersistent* source) override;
    // The item's own fields at the end of its RVF header line.
    virtual AnsiString SaveRVFHeaderTail(TCustomRVData* rvData);
    virtual int GetRVFExtraPropertyCount() const;
    // The extra-property lines ("name=value"), each ended by CR LF.
    virtual void SaveRVFExtraProperties(TStream& stream);
    // Reads the item's fields from the rest of its header line; false rejects the record.
    virtual bool ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData);
    // One data line (LineNo from 0 of LineCount) of the item's RVF record.
    virtual bool ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo,
                             int lineCount, AnsiString& name, TRVFReadMode& readMode,
                             TRVFReadState& readState);
    // The item's RVF record (header and data lines). Name is its text in the store.
    virtual void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo,
                         const AnsiString& name, TRVMultiDrawItemPart* part, bool forceSameAsPrev);
    virtual void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                         double twipsPerPixel, int level, TRVColorList* colorList,
                         TRVIntegerList* styleToFont, TRVIntegerList* listOverrideOffsetsList1,
                         TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable);
    // Enters what the item's RTF needs into the colour table and the list-override counts.
    virtual void FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                               TCustomRVData* rvData);
    // Bullets is the list of images already written for the page (TRVHTMLBulletInfo).
    virtual void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                            const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                            TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                            TRVList* bullets);
    // The item as plain text (bytes, or UTF-16 bytes with Unicode); empty here.
    virtual AnsiString AsText(int lineWidth, TCustomRVData* rvData, const AnsiString& text,
                              const AnsiString& path, bool textOnly, bool unicode);
    virtual void BeforeLoading(TRVLoadFormat fileFormat);
    virtual void AfterLoading(TRVLoadFormat fileFormat);

    // ---- Palette
    virtual void UpdatePaletteInfo(TRVPaletteAction paletteAction, bool forceRecreateCopy, HPALETTE palette,
                                   const TLogPalette* logPalette);

    // ---- Sub-documents, controls and focus
    virtual TCustomRVData* GetSubRVDataAt(int x, int y);
    virtual bool OwnsControl(TControl* aControl) const;
    virtual bool OwnsInplaceEditor(TControl* aEditor) const;
    // The sub-document at Position; StoreState receives the position (null here).
    virtual TCustomRVData* GetSubRVData(TRVStoreSubRVData*& storeState, TRVSubRVDataPos position);
    virtual void ChooseSubRVData(TRVStoreSubRVData* storeState);
    virtual void CleanUpChosen();
    virtual void ResetSubCoords();
    virtual bool EnterItem(TRVEnterDirection from, int coord);
    virtual TCursor GetHypertextCursor(TRVStyle* rvStyle);
    // Appends the item's own hyperlink rectangles to Jumps (view's TRVJumpInfo records).
    virtual void BuildJumps(int left, int top, int& nextJumpNo, TList* jumps);
    virtual void Focusing();
    virtual bool MoveFocus(bool goForward, TCustomRVData*& topFocusedRvData, int& topFocusedItemNo);
    virtual void ClearFocus();
    // The hypertext action of the item.
    virtual void Execute(TCustomRVData* rvData);
    virtual bool AdjustFocusToControl(TControl* aControl, TCustomRVData*& topFocusedRvData,
                                      int& topFocusedItemNo);

    // ---- Mouse
    virtual bool MouseMove(TShiftState shift, int x, int y, int itemNo, TCustomRVData* rvData);
    virtual bool MouseDown(TMouseButton button, TShiftState shift, int x, int y, int itemNo,
                           TCustomRVData* rvData);
    virtual bool MouseUp(TMouseButton button, TShiftState shift, int x, int y, int itemNo,
                         TCustomRVData* rvData);

    // ---- Editing and undo
    virtual void MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem);
    virtual void MovingFromUndoList(int itemNo, TCustomRVData* rvData);
    // Whether the item's own code calls a program's handlers (a table: its
    // events and its cell editors'; a control: its moves), which may free the
    // item while that code runs: freed while a hold is on
    // (platform/core/callhold.h), it is freed later (FreeLater).
    virtual bool CallsProgramCode() const { return false; }
    // The program still holds the item for a call it will make (a table whose
    // undo group the program opened and has not closed): taken out of its
    // document for good, it is freed once the program lets it go
    // (FreeOnRelease), not before.
    virtual bool HeldByProgram() const { return false; }
    virtual void FreeOnRelease() {}
    // The item was taken out of its document for good and its freeing waits:
    // what ties it to the document goes now (a table's cell editor closes, and
    // what that editor hands over is dropped).
    virtual void LeaveDocument() {}
    virtual void FinalizeUndoGroup();
    virtual void BeforeUndoChangeProperty();
    virtual void AfterUndoChangeProperty();
    virtual void DeselectPartial();
    virtual bool PartiallySelected() const;
    virtual bool CanDeletePartiallySelected() const;
    virtual void DeletePartiallySelected();
    // A new item (the caller's) for RVData holding what is selected inside
    // this item, for the writers of a selection; null here.
    virtual TCustomRVItemInfo* CopyPartiallySelected(TCustomRVData* rvData);
    virtual void ApplyParaStyleToPartiallySelected(int paraNo);
    virtual void ApplyParaStyleConversionToPartiallySelected(int userData);
    virtual void ApplyStyleConversionToPartiallySelected(int userData);
    virtual void ApplyStyleConversion(TCustomRVData* rvData, int userData);
    virtual void StartExport();
    virtual void EndExport();

    // ---- Styles in use. The lists are indexed by style number; numbers
    // outside a list are skipped when marking and kept when renumbering.
    // Marks the paragraph style as used (entry := 1).
    virtual void MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                 TRVIntegerList* usedListStyles);
    // ParaNo := ParaNo - (ParaStylesShift[ParaNo] - 1).
    virtual void UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                              TRVIntegerList* listStylesShift);

    // ---- Extra properties (true when the item holds the property)
    virtual bool SetExtraIntProperty(TRVExtraItemProperty prop, int value);
    virtual bool GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const;
    // The vertical offset of a soft page break inside the item for the data stored with it.
    virtual int GetSoftPageBreakDY(int data);

protected:
    // Writes the item's RVF header line: style, the count of lines that
    // follow, paragraph, options, how the body is stored, tag and the item's
    // own tail (SaveRVFHeaderTail).
    void WriteRVFHeader(TStream& stream, TCustomRVData* rvData, int paraNo, int lineCount, int readMode,
                        bool forceSameAsPrev);
    // The lines of an item with a stored body (a picture, a control) before
    // the body: the header, the name, the body's class (BodyClass; null when
    // no body is stored) and the extra properties. True when the body is to
    // follow, Binary telling whether it goes in binary form.
    bool WriteRVFBodyHead(TStream& stream, TCustomRVData* rvData, int paraNo, const AnsiString& name,
                          bool forceSameAsPrev, const char* bodyClass, bool& binary);

private:
    static const TRVTag DefaultTag;
    // Read the item's record of rarely set fields (FHasExtra is set).
    TRVCPInfo* ExtraCheckpoint() const;
    const TRVTag& ExtraTag() const;
    int ExtraJumpID() const;
    // Runs Change on the item's record, made when missing, and lets the record
    // go once every field in it is back at its default.
    template <class Fn> void ChangeExtra(Fn&& change);
    // Lets the record go with the item, freeing a checkpoint the item carries
    // on its own.
    void ReleaseExtra();
};
// The virtual table pointer, three numbers and the options: a text item (one
// per line of a log) takes 24 bytes on 64-bit platforms.
static_assert(sizeof(void*) != 8 || sizeof(TCustomRVItemInfo) <= 24, "an item must stay compact");

// ---------------------------------------------------------------------------
// Intermediate bases

// An item that is not text: it may be protected from deletion by editing.
class TRVNonTextItemInfo : public TCustomRVItemInfo {
public:
    explicit TRVNonTextItemInfo(TCustomRVData* rvData);
    const char* ClassName() const override { return "TRVNonTextItemInfo"; }
    TRVItemClass GetItemClass() const override;

    bool DeleteProtect = false;

    virtual int GetHeight() const;
    virtual int GetWidth() const;
    // How far the item reaches left of its position.
    virtual int GetLeftOverhang() const;
    // Places what the item shows outside the canvas (a control) after layout.
    virtual void AdjustInserted(int x, int y, bool adjustY);

    void Assign(const TPersistent* source) override;
    bool SetExtraIntProperty(TRVExtraItemProperty prop, int value) override;
    bool GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const override;
    int GetRVFExtraPropertyCount() const override;
    void SaveRVFExtraProperties(TStream& stream) override;
    // One RVF property line "name=value": the property is set when the item
    // holds it; a line without "=", an unknown name or a property the item does
    // not hold is skipped; a value that is not a number counts as 0.
    void SetExtraPropertyFromRVFStr(const AnsiString& str);

protected:
    // Writes one property line "name=value".
    static void WriteExtraProperty(TStream& stream, TRVExtraItemProperty prop, int value);
};

// An item that always fills a whole line (horizontal rules, tables).
class TRVFullLineItemInfo : public TRVNonTextItemInfo {
public:
    using TRVNonTextItemInfo::TRVNonTextItemInfo;
    const char* ClassName() const override { return "TRVFullLineItemInfo"; }
    TRVItemClass GetItemClass() const override;
    bool GetBoolValue(TRVItemBoolProperty prop) const override;
};

// An inline item that occupies a rectangle in the line (pictures, controls,
// bullets, hot spots, list markers). Spacing (pixels around the item) is never
// negative.
class TRVRectItemInfo : public TRVNonTextItemInfo {
public:
    explicit TRVRectItemInfo(TCustomRVData* rvData);
    const char* ClassName() const override { return "TRVRectItemInfo"; }
    TRVItemClass GetItemClass() const override;

    int MinHeightOnPage = 0; // least height of a printed piece, screen pixels; 0: never split
    TRVVAlign VAlign = rvvaBaseline;
    int VShift = 0; // percent of the height, or pixels with VShiftAbs
    bool VShiftAbs = false;
    int Spacing = 1;

    virtual int GetDescent() const;
    int GetBorderWidth() const override;
    int GetBorderHeight() const override;

    void Assign(const TPersistent* source) override;
    AnsiString SaveRVFHeaderTail(TCustomRVData* rvData) override;
    bool ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData) override;
    bool SetExtraIntProperty(TRVExtraItemProperty prop, int value) override;
    bool GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const override;
    int GetRVFExtraPropertyCount() const override;
    void SaveRVFExtraProperties(TStream& stream) override;
    // "vertical-align: Npx" for a shifted baseline item with a height; else empty.
    AnsiString GetVShiftCSS(TRVStyle* rvStyle) const;
};

// ---------------------------------------------------------------------------
// Printing tall pictures over pages

// One page slice of a picture: Height on the page (device pixels, in the
// base), and the slice of the picture, ImgTop and ImgHeight (screen pixels).
class TRVImagePrintPart : public TRVMultiDrawItemPart {
public:
    const char* ClassName() const override { return "TRVImagePrintPart"; }
    int GetSoftPageBreakInfo() const override; // ImgTop

    int ImgTop = 0;
    int ImgHeight = 0;
};

// The printing draw item of a picture or control that may be split over
// pages. Item is the printed item (not owned); sad the resolutions in force
// when the draw item was made. Its size is fixed at creation.
class TRVMultiImagePrintInfo : public TRVMultiDrawItemInfo {
public:
    explicit TRVMultiImagePrintInfo(TRVRectItemInfo* aItem);
    const char* ClassName() const override { return "TRVMultiImagePrintInfo"; }

    void SetSize(int aWidth, int aHeight) override;
    bool InitSplit() override;
    bool CanSplitFirst(int y) override;
    bool SplitAt(int y) override;

    TRVScreenAndDevice sad;
    TRVRectItemInfo* Item;

private:
    int ToScreen(int y) const;
    int ToDevice(int y) const;
};

// ---------------------------------------------------------------------------
// Text, break, bullet and hot-spot items

// A run of text; its characters live in the item store's string. StyleNo is
// the index of its text style.
class TRVTextItemInfo : public TCustomRVItemInfo {
public:
    using TCustomRVItemInfo::TCustomRVItemInfo;
    const char* ClassName() const override { return "TRVTextItemInfo"; }
    TRVItemClass GetItemClass() const override;

    // rvbpJump, rvbpAllowsFocus, rvbpXORFocus: the style is a hyperlink;
    // rvbpHotColdJump: a hyperlink whose look changes on hover.
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    void Execute(TCustomRVData* rvData) override;
    void MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                         TRVIntegerList* usedListStyles) override;
    void UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                      TRVIntegerList* listStylesShift) override;
};
static_assert(sizeof(TRVTextItemInfo) == sizeof(TCustomRVItemInfo), "text items come from the item pool");

using TRVItemPool = TBlockPool<sizeof(TCustomRVItemInfo), alignof(TCustomRVItemInfo)>;
inline void* TCustomRVItemInfo::operator new(size_t size)
{
    return TRVItemPool::AllocateFor(size);
}
inline void TCustomRVItemInfo::operator delete(void* block, size_t size)
{
    TRVItemPool::ReleaseFor(block, size);
}

// A horizontal rule across the text width: LineWidth pixels thick, in Color
// (clNone: the colour of text style 0). Style is kept and saved only.
class TRVBreakItemInfo : public TRVFullLineItemInfo {
public:
    explicit TRVBreakItemInfo(TCustomRVData* rvData);
    TRVBreakItemInfo(TCustomRVData* rvData, uint8_t aLineWidth, TRVBreakStyle aStyle, TColor aColor);
    const char* ClassName() const override { return "TRVBreakItemInfo"; }
    TRVItemClass GetItemClass() const override;

    uint8_t LineWidth = 0;
    TRVBreakStyle Style = rvbsLine;
    TColor Color = 0;

    bool GetBoolValue(TRVItemBoolProperty prop) const override;
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    void PaintFullWidth(int left, int right, int top, TCanvas* canvas, TRVItemDrawStates state,
                        TRVStyle* style, const TRect& clipRect, TRVDrawLineInfo* dli) override;
    void Print(TCanvas* canvas, int x, int y, int x2, bool preview, bool correction,
               const TRVScreenAndDevice& sad, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli, int part,
               TRVColorMode colorMode, TCustomRVData* rvData) override;
    void Assign(const TPersistent* source) override;
    AnsiString SaveRVFHeaderTail(TCustomRVData* rvData) override;
    // Empty tail: a 1-pixel rvbsLine rule in clNone; otherwise Color, Style
    // and LineWidth are all required.
    bool ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData) override;
    // A header of no lines: the paragraph (never continuing a line), the
    // item's own option bits, tag, Color, Style and LineWidth.
    void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo, const AnsiString& name,
                 TRVMultiDrawItemPart* part, bool forceSameAsPrev) override;
    void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                 double twipsPerPixel, int level, TRVColorList* colorList, TRVIntegerList* styleToFont,
                 TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2,
                 TRVRTFFontTable* fontTable) override;
    void FillRTFTables(TRVColorList* colorList, TRVIntegerList* listOverrideCountList,
                       TCustomRVData* rvData) override;
    void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                    TRVList* bullets) override;
    // A row of TextWidth characters (at least 1): "-" for thin rules, "=" from 2 pixels.
    AnsiString AsText(int textWidth, TCustomRVData* rvData, const AnsiString& text, const AnsiString& path,
                      bool textOnly, bool unicode) override;

private:
    // Color, or the colour of text style 0 when it is clNone (and there is a style sheet).
    TColor ActualColor(TRVStyle* rvStyle) const;
};

// An image of an image list (not owned; may be none) shown inline.
class TRVBulletItemInfo : public TRVRectItemInfo {
public:
    explicit TRVBulletItemInfo(TCustomRVData* rvData);
    TRVBulletItemInfo(TCustomRVData* rvData, int aImageIndex, TCustomImageList* aImageList,
                      TRVVAlign avAlign);
    const char* ClassName() const override { return "TRVBulletItemInfo"; }
    TRVItemClass GetItemClass() const override;

    TCustomImageList* ImageList = nullptr;
    int ImageIndex = 0;

    // The image shown: ImageIndex (a hot spot's differs while hovered).
    virtual int GetImageIndex(bool hot) const;

    int GetImageWidth(TRVStyle* rvStyle) const override;
    int GetImageHeight(TRVStyle* rvStyle) const override;
    int GetWidth() const override;
    int GetHeight() const override;
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData) override;
    bool GetBoolValue(TRVItemBoolProperty prop) const override;
    void Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
               TRVDrawLineInfo* dli) override;
    bool PrintToBitmap(TBitmap* bkgnd, bool preview, TRVPrintingViewer* printViewer, TRVDrawLineInfo* dli,
                       int part, TRVColorMode colorMode) override;
    void Assign(const TPersistent* source) override;
    // The image as an RTF picture (RVSaveImageListImageToRTF) with the document's RTF options.
    void SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                 double twipsPerPixel, int level, TRVColorList* colorList, TRVIntegerList* styleToFont,
                 TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2,
                 TRVRTFFontTable* fontTable) override;
    // An IMG tag of the image, written beside the page once per export and colour.
    void SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                    TRVList* bullets) override;
    AnsiString SaveRVFHeaderTail(TCustomRVData* rvData) override;
    bool ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData) override;
    // The header, the name, then the extra-property lines (Spacing, VShift,
    // DeleteProtect); a hot spot writes the same record with its own tail.
    void SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo, const AnsiString& name,
                 TRVMultiDrawItemPart* part, bool forceSameAsPrev) override;
    // Line 0 is the name; the others are extra-property lines. Always true.
    bool ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo, int lineCount,
                     AnsiString& name, TRVFReadMode& readMode, TRVFReadState& readState) override;

protected:
    // Reads the image-list tag and ImageIndex and asks the document for the list.
    bool ReadBulletFields(TRVFLineCursor& p, TCustomRVData* rvData);
    // An image index read with a known image list must lie below the list's
    // count: otherwise the document notes a warning and the index becomes 0
    // when its RVF options allow it, else the record fails (false).
    bool CheckImageIndex(TCustomRVData* rvData, int& index) const;
};

// A bullet that is a hyperlink and shows HotImageIndex while hovered.
class TRVHotspotItemInfo : public TRVBulletItemInfo {
public:
    explicit TRVHotspotItemInfo(TCustomRVData* rvData);
    TRVHotspotItemInfo(TCustomRVData* rvData, int aImageIndex, int aHotImageIndex,
                       TCustomImageList* aImageList, TRVVAlign avAlign);
    const char* ClassName() const override { return "TRVHotspotItemInfo"; }
    TRVItemClass GetItemClass() const override;

    int HotImageIndex = 0;

    int GetImageIndex(bool hot) const override;
    bool GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const override;
    void Execute(TCustomRVData* rvData) override;
    void Assign(const TPersistent* source) override;
    AnsiString SaveRVFHeaderTail(TCustomRVData* rvData) override;
    // The bullet's fields, then HotImageIndex (ImageIndex when the tail ends).
    bool ReadRVFHeader(TRVFLineCursor& p, TCustomRVData* rvData) override;
};

// ---------------------------------------------------------------------------
// Registry and factory

// The class of every text item (TRVTextItemInfo unless replaced).
extern TRVItemClass RollViewTextItemClass;

// Registers the class of the item-type code StyleNo (below -9). ERollViewError
// "Can't register RollView item type - this StyleNo is already registered" for
// a code of -9 or above or one registered for another class; registering the
// same class again changes nothing.
void RegisterRollViewItemClass(int styleNo, TRVItemClass itemClass);
// A new item (owned by the caller) of the class of StyleNo with that StyleNo;
// null for a reserved or unregistered code.
TCustomRVItemInfo* CreateRollViewItem(int styleNo, TCustomRVData* rvData);
// A copy of Source of its own class (owned by the caller): its fields, its tag,
// and a copy of its checkpoint that the copy carries unattached. Tags follow
// RVData's rvoTagsArePChars.
TCustomRVItemInfo* RV_DuplicateItem(const TCustomRVItemInfo* source, TCustomRVData* rvData);

// ---------------------------------------------------------------------------
// Helpers of the item writers

// The option bits written in an item's RVF header: the four low bits; with
// ForceSameAsPrev, rvioSameAsPrev added and rvioBR and rvioPageBreakBefore removed.
int RVFGetItemOptions(TRVItemOptions itemOptions, bool forceSameAsPrev);
// The extra attributes of an HTML IMG tag: " border=0 " or " ", then, with
// rvsoImageSizes, "width=W height=H ".
AnsiString RV_GetExtraIMGStr(TRVSaveOptions saveOptions, int width, int height);
