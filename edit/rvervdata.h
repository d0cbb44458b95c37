// TRVEditRVData: the document data of an editor: a laid-out document with a
// caret, an undo list and a redo list, the primitive operations every edit is
// made of, and the editing commands built from them (insertion, deleting the
// selection, Enter, Delete, Backspace, caret movement).
//
// Its implementation is split by concern:
//   rvervdata.cpp         construction, the host's geometry, undo sequences, positions, protection
//   rvervdata_do.cpp      the primitives (Do_...), each recording its inverse first
//   rvervdata_insert.cpp  deleting the selection, Enter, Reformat_
//   rvervdata_insertitem.cpp  inserting one item at the caret
//   rvervdata_caret.cpp   caret stops, placing the caret, the editor's layout
//   rvervdata_delete.cpp  Delete and Backspace
//   rvervdata_keys.cpp    caret movement keys and hyperlink mode
//   rvervdata_inserttext.cpp  text of several lines and text files at the caret
//   rvervdata_insertdoc.cpp   RVF and RTF documents at the caret, in one piece
//   rvervdata_resize.cpp      the item resizer: handles, the drag, the undoable resize
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "document/rvclasses.h"
#include "document/rvstyle_info.h"
#include "document/rvstyle_para.h"
#include "edit/rvresize.h"
#include "edit/rvundo.h"
#include "edit/rvundoprops.h"
#include "view/rvrvdata.h"

class TCustomRollView;
class TCustomRollViewEdit;
class TRVStyle;
class TControl;
class TPersistent;
class TRVMarkerList;
class TStream;
struct TRVMarkerBatch;

// One caret stop of the caret's line. Offset counts inside the draw item: 1
// before a text draw item's first character, n + 1 after its n-th; 0 before
// and 1 after a non-text item. The caret is drawn at X - 1 + XShift.
struct TRVCharPos {
    int X = 0;
    int DrawItemNo = -1;
    int Offset = -1;
    int XShift = 0;
};

enum TRVUndoDest { udNone, udUndo, udRedo };

// Items removed together with their texts, as Do_DeleteItems keeps them and
// Do_InsertItems takes them: last item first. The items are owned by whoever
// holds the list.
using TRVItemList = std::vector<std::pair<AnsiString, TCustomRVItemInfo*>>;

// What ApplyListStyle does to the markers of the paragraphs: gives them a list
// (and level), removes them, or moves them by a number of levels.
enum TRVParaListOperation { rvplopChange, rvplopRemove, rvplopLevel };

// The caret's width in pixels, the pixels it reaches above and below its
// line, and the cap of its height before that extra is added.
extern int RollViewEditCaretWidth;
extern int RollViewEditCaretHeightExtra;
extern int RollViewEditMaxCaretHeight;

// What ChangeCaret does besides placing the caret; flags that combine.
enum TRVCaretMove : unsigned { rvcmNone = 0, rvcmScrollToCaret = 1, rvcmKeepStyles = 2 };

// The editor's document data: the viewer's root data (every setting, size,
// colour, scroll operation and event comes from the editor control that owns
// it, as for a viewer) with a caret, an undo list and a redo list. What only
// an editor has (the caret's painting, beeps, read-only, the change events)
// it asks of its control, RollViewEdit. Item numbers count from 0; caret
// offsets and character indices in text items count from 1 (UTF-16 code units
// in a Unicode item); a non-text item has the offsets 0 (before) and 1 (after).
class TRVEditRVData : public TRollViewRVData {
public:
    explicit TRVEditRVData(TCustomRollView* aRollView);
    ~TRVEditRVData() override;
    const char* ClassName() const override { return "TRVEditRVData"; }

    // The data class of an editor control.
    static TRollViewRVData* Create(TCustomRollView* aRollView) { return new TRVEditRVData(aRollView); }

    // The editor control that owns this data.
    TCustomRollViewEdit* RollViewEdit() const;

    // ---- Clearing
    // Also empties both lists and resets the current styles; the editor is
    // no longer Modified.
    void Clear() override;
    // Also forgets the caret.
    void ClearTemporal() override;

    // ---- Undo and redo
    std::unique_ptr<TRVUndoList> UndoList;
    std::unique_ptr<TRVUndoList> RedoList;
    TRVUndoDest UndoDest = udNone;
    // The list the primitives record into, or null.
    TRVUndoList* GetUndoList() const;
    // Counts a step that changes the document, then answers GetUndoList: every
    // step asks it first, and Change reports a change only when steps were made
    // since the last one.
    TRVUndoList* NoteEditAndGetUndoList();
    // AllowFinalize: FinalizeUndo first, so that the group comes after them.
    void BeginUndoSequence(TRVUndoType undoType, bool allowFinalize);
    void BeginNamedUndoSequence(TRVUndoType undoType, const AnsiString& caption, bool allowFinalize);
    // The edits pending in the item that holds the selection or the chosen
    // sub-document (a table's open cell editor) join this document's lists.
    void FinalizeUndo();
    void BeginRedoSequence(TRVUndoType undoType, const AnsiString& caption);
    void EndUndoSequence();
    void SetUndoGroupMode(bool groupUndo);
    // Plays the top group of the undo (redo) list; nothing when it is empty.
    // When a record fails, both lists are cleared, the document is laid out
    // in full and the exception passes on.
    void Undo();
    void Redo();
    // The end of every command: the recording destination reset, then the
    // control's DoChange (Modified, the redo list cleared unless undoing or
    // redoing (ClearRedo false), OnChange).
    void Change() { ChangeEx(true); }
    void ChangeEx(bool clearRedo);
    // Both lists emptied.
    void ClearUndo();
    // A record was recorded outside undo and redo (TRVUndoList::AddInfo): what
    // the redo lists hold no longer fits the document, so they go, this
    // document's and those of the cell editors open in its editor, at once,
    // whether or not the program calls Change after its operation. Merging a
    // cell editor's history into the document records nothing: redo stays.
    void DropRedo();

    // ---- Positions and protection
    // The caret's draw item exists and names an item of the document.
    bool CaretStandsOnItem() const;
    int GetCurItemNo();
    int GetOffsetInCurItem();
    int GetParaEndItemNo(int itemNo) const;
    bool CaretAtTheBeginningOfLine() const;
    bool CaretAtTheEndOfLine() const;
    bool CaretInTheLastLine() const;
    // Whether the caret is at the first (last) place of its paragraph section,
    // measured from the draw item of its caret stop.
    bool CaretAtTheBeginningOfParaSection() const;
    bool CaretAtTheEndOfParaSection() const;
    bool IsProtected(int itemNo, TRVProtectOption option);
    bool IsParaProtected(int paraNo, TRVParaOption option);
    bool IsItemParaProtected(int itemNo);
    // Whether nothing may go between ItemNo and ItemNo + 1; a caller that
    // refuses an insertion for it beeps.
    bool IsSticking(int itemNo);
    // Inserts at InsertItemNo a copy of the list marker that starts the
    // paragraph of ReferenceItemNo (numbering on, not restarting); false when
    // that paragraph has none.
    bool ReplicateMarker(int referenceItemNo, int insertItemNo, bool& fullReformat);
    // Moves an item position off a list marker.
    void AdjustMarkerPos(int& itemNo, int& offs);
    // Moves the caret draw item off a list marker (Offs: the draw-item offset).
    void AdjustMarkerCaret(bool right, int& offs);
    // A refusal: a beep when the style sheet's UseSound is on.
    void EditBeep();

    // ---- Primitives (rvervdata_do.cpp). FullReformat: whether the document's
    // minimum width may have changed. A primitive that inserts or removes items
    // drops the selection, whose draw items no longer name the same places.
    void Do_DeleteItem(int itemNo, bool& fullReformat);
    void Do_DeleteItems(int firstItemNo, int lastItemNo, bool& fullReformat);
    // Takes Item; s may be adjusted by the item.
    void Do_InsertItem(int itemNo, AnsiString& s, TCustomRVItemInfo* item, bool fromUndo, bool& fullReformat);
    // Takes the items of List (last-first, as Do_DeleteItems keeps them).
    void Do_InsertItems(int itemNo, TRVItemList& list, bool fromUndo, bool& fullReformat);
    TRVUndoInfo* Do_InsertItems_1(int itemNo, int count);
    void Do_InsertItems_2(int itemNo, int count, TRVUndoInfo* undoInfo, bool& fullReformat);
    // Index 1 .. length + 1 (else ERollViewError "Undo error").
    void Do_InsertSubstring(int itemNo, int index, const AnsiString& s);
    // Count -1: to the end; the count is cut to the text.
    void Do_DeleteSubstring(int itemNo, int index, int count);
    void Do_ChangeText(int itemNo, const AnsiString& s);
    void Do_NewLine(int itemNo, bool sameAsPrev, int paraNo, bool& fullReformat);
    void Do_BR(int itemNo, bool br, bool& fullReformat);
    void Do_PageBreak(int itemNo, bool pageBreak);
    void Do_Para(int firstItemNo, int lastItemNo, int paraNo, bool& fullReformat);
    void Do_ParaList(int firstItemNo, const std::vector<int>& list, bool& fullReformat);
    void Do_StyleNo(int itemNo, int styleNo);
    // Exchanges the item object for NewItem (taken) with text s; NewItem
    // takes the old one's paragraph, options, checkpoint and hyperlink number.
    void Do_ModifyItem(int itemNo, const AnsiString& s, TCustomRVItemInfo* newItem);
    // Exchanges the item object for NewItem (taken), keeping the text and
    // every field but NewItem's style.
    void Do_ReplaceItem(int itemNo, TCustomRVItemInfo* newItem);
    // A rectangular item's vertical alignment (ERollViewError for other items).
    void Do_ChangeVAlign(int itemNo, TRVVAlign vAlign);
    void Do_ExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int value);
    // Nothing now: undoing lays out items StartItemNo..EndItemNo (and the root document).
    void Do_ReformateRange(int startItemNo, int endItemNo, bool superReformat);
    // Nothing now: a bracket around changes of an item's properties.
    void Do_ItemModifyTerminator(int itemNo, bool opening);
    void Do_Tag(int itemNo, const TRVTag& tag);
    // Takes Checkpoint; ItemNo -1: the document's end.
    void Do_AddCP(int itemNo, TRVCPInfo* checkpoint);
    void Do_DeleteCP(int itemNo);
    // True when the document's minimum width may have changed.
    bool Do_Concate(int itemNo);
    void SetParaStyle(int firstItemNo, int lastItemNo, int paraNo, bool& fullReformat);
    // Makes item ItemNo continue the line before it (Do_NewLine), or, after a
    // full-width item, which nothing continues, start a paragraph.
    void JoinLine(int itemNo, bool& fullReformat);
    // After items were removed before ItemNo: the item that moved up keeps
    // the document sound (the first item and an item after a full-width one
    // start a paragraph; an item continuing a paragraph takes its style).
    void SettleAfterRemoval(int itemNo, bool& fullReformat);
    // Frees an item that no list keeps, telling the document first.
    void DisposeItem(TCustomRVItemInfo* item);
    void DisposeCheckpoint(TRVCPInfo* checkpoint);
    // The one road by which an edit writes an item's text: the item is told
    // (rviaTextModifying, except while undoing or redoing) and the layout
    // learns that the text changed.
    void ChangeItemText(int itemNo, const AnsiString& s);

    // ---- Commands (rvervdata_insert.cpp; InsertSomething and InsSomething in
    // rvervdata_insertitem.cpp)
    TCustomRVItemInfo* CreateTextItem(const TRVTag& tag, int paraNo, int styleNo, bool sameAsPrev, bool br);
    // A text item like Source (its tag copied, no checkpoint).
    TCustomRVItemInfo* CreateTextItemLike(int sourceItemNo, bool sameAsPrev);
    TCustomRVItemInfo* InsString(const AnsiString& s, int index, const TRVTag& tag, int paraNo, int styleNo,
                                 bool sameAsPrev, bool br, bool& fullReformat);
    TCustomRVItemInfo* InsEmptyString(int index, const TRVTag& tag, int paraNo, int styleNo, bool sameAsPrev,
                                      bool br);
    bool InsertSomething(TCustomRVItemInfo*& item, AnsiString& s, bool autoTag, bool caretBefore);
    bool InsSomething(TCustomRVItemInfo*& item, AnsiString& s, bool autoTag, int& insertPoint,
                      int& itemsAdded, bool& fullReformat);
    // The part of the document a deletion of the selection removes: the
    // selection's ends in document order, a start at the beginning of an item
    // that continues a line taken to the end of the item before, both moved
    // off list markers and onto edges of characters.
    void SelectionToDelete(int& startNo, int& startOffs, int& endNo, int& endOffs);
    // Whether that part may go (protection and read-only paragraphs).
    bool CanDelete();
    bool DeleteSelection_();
    // The parts of DeleteSelection_: the items and text of the selection cut
    // out (the start item last, as it decides where the caret goes), then the
    // items around the cut settled (joined, a marker given its line).
    struct TSelectionCut;
    void CutSelection_(TSelectionCut& cut, int startNo, int startOffs, int endNo, int endOffs);
    void CutSelectionStart_(TSelectionCut& cut, int i, int from, int to);
    void SettleAfterCut_(TSelectionCut& cut, int startNo);
    // The layout step that ends a command: the paragraphs of the draw items
    // StartDrawItemNo..EndDrawItemNo (laid out before the command, which added
    // ItemsAdded items) are laid out again, or the whole document when its
    // minimum width changed. FullFormat: the command may have narrowed the
    // widest paragraph section (it widened or removed a section as wide as the
    // document's minimum width); only then is the rest of the document looked at.
    void Reformat_(bool fullFormat, int startDrawItemNo, int endDrawItemNo, int itemsAdded);
    // Before a command: whether the paragraph sections of the draw items
    // FirstDrawItemNo..LastDrawItemNo are as wide as the document's minimum
    // width, so that changing them may narrow the document.
    bool ReachesDocMinWidth(int firstDrawItemNo, int lastDrawItemNo);
    void OnEnterPress_(bool shift);
    // The parts of OnEnterPress_: Enter with the caret at an edge of a
    // paragraph section (a new empty item goes there) or inside it (the item
    // is split or the next one starts a line); false after a beep for a
    // protected place, with nothing changed.
    bool EnterAtSectionEdge_(bool shift, int i, bool atStart, bool& full, int& caretItem, int& added);
    bool EnterInsideSection_(bool shift, const TRVDrawLineInfo* dli, int i, bool& full, int& caretItem,
                             int& added);

    // ---- The caret (rvervdata_caret.cpp)
    std::vector<TRVCharPos> CharPos;
    int CaretDrawItemNo = -1;
    int CaretOffs = -1;
    int CaretHeight = 0;
    // The caret rectangle last given to the control, document coordinates.
    TRect CaretRect;
    int CurTextStyleNo = 0;
    int CurParaStyleNo = 0;
    int LastAutoTextStyleNo = 0;
    // The document's minimum width at its last layout, and how many layouts
    // have measured it.
    int DocumentMinWidth = 0;
    uint64_t MinWidthLayouts = 0;
    // The minimum width rule of every item change: a width that went from
    // OldWidth to NewWidth needs the whole document laid out when it changed
    // and either was the document's minimum width (or more) or now exceeds it.
    bool MinWidthChangeNeedsFull(int oldWidth, int newWidth) const
    {
        return oldWidth != newWidth && (newWidth > DocumentMinWidth || oldWidth >= DocumentMinWidth);
    }
    void OnChangeCaretLine(int diOffs);
    // Places the caret at CaretOffs of CharPos (none while an item is partly
    // selected, a cell editor is open, the document is selected whole or a
    // resizer frames the chosen item), takes the current styles from the
    // caret's item (the item after the caret for a selection made backwards
    // up to an item's end), makes a picture or control at the caret the
    // display-active item and a hot-cold hyperlink there hovered.
    // How: rvcmScrollToCaret scrolls the caret into view; rvcmKeepStyles leaves
    // the current styles as they are.
    void ChangeCaret(unsigned how);
    // The caret at an item position (marker-adjusted), placed and shown.
    void SetCaretAtItem(int itemNo, int offs, bool applyPara);
    // The caret's draw item and stop for an item position (the first draw
    // item when the position has none), not yet shown.
    void PlaceCaretAtItem(int itemNo, int offs);
    void PrepareForEdit();
    void Format_(bool resized, bool force, bool noScroll, int depth, TCanvas* canvas, bool tail,
                 bool reformat) override;
    // The whole document laid out on the measuring canvas.
    void FormatAll() { Format_(false, true, false, 0, nullptr, false, false); }

    // ---- The selection (rvervdata_select.cpp)
    // Where the selection's fixed end is: the formatted data's answer, or the
    // caret when there is no selection.
    void GetSelStart(int& drawItemNo, int& offs) override;
    // The caret follows the moving end of the selection (off a list marker).
    void DoOnSelection() override;
    void SetPartialSelectedItem(TCustomRVItemInfo* item) override;
    void DeselectPartiallySelectedItem(TCustomRVItemInfo* newItem) override;
    // Shift with a caret key: the selection starts at the caret when there is
    // none, and its moving end follows the caret after the move.
    void StartShiftMoving();
    void EndShiftMoving();
    // The word around the caret in a text item, selected.
    void SelectCurrentWord();

    // ---- Delete and Backspace (rvervdata_delete.cpp)
    void OnDeletePress_(bool ctrl, bool inner);
    void OnBackSpacePress_(bool ctrl, bool fromDelete, bool retry);

    // ---- Caret keys (rvervdata_keys.cpp); true: the caret wanted to leave the document.
    bool OnHomePress(bool ctrl);
    bool OnEndPress(bool ctrl);
    bool OnLeftPress(bool shift, bool ctrl);
    bool OnRightPress(bool shift, bool ctrl);
    // Whether the caret's line shows text reordered for its direction (text
    // with a direction of its own, or right-to-left characters): there the
    // caret stops stand where the characters are shown, not in their order.
    bool CaretLineReordered() const { return FCaretLineReordered; }
    // Left or Right on such a line, as the user sees it: the caret goes to the
    // nearest stop on that side of the screen (in a right-to-left stretch,
    // Left goes on through the text). Past the line's edge it goes on to the
    // line after (Forward true) or before, as OnRightPress or OnLeftPress do
    // from the line's last or first stop; true when that would leave the
    // document.
    bool OnScreenSidePress(bool toRight, bool shift, bool& forward);
    bool OnUpPress(bool shift, bool ctrl);
    bool OnDownPress(bool shift, bool ctrl);
    bool OnPgUpPress();
    bool OnPgDownPress();
    using TCustomRVFormattedData::BuildJumpsCoords;
    int BuildJumpsCoords(bool force);
    void ClearJumpsCoords();

    // ==== Styles, lists, item changes and controls. Applying paragraph
    // styles and converting text styles (rvervdata_styles.cpp); list markers
    // on paragraphs and the layout their numbers need (rvervdata_lists.cpp);
    // item changes, controls, properties by name, styles in use
    // (rvervdata_props.cpp).

    // ---- Applying styles (rvervdata_styles.cpp). The caller has asked
    // BeforeChange. The conversions ask the control's CurStyleConversion for
    // every style they meet.
    // ParaNo to every paragraph the selection (or the caret) touches; with
    // Convert, ParaNo is the conversion's UserData. The caller opens the group.
    void ApplyParaStyle(int paraNo, bool convert);
    // Converts the text style of the selection, or, without one, the current
    // text style (and an empty text item at the caret). Opens its own group.
    void ApplyStyleConversion_(int userData);
    // The text style conversion of every item, as if the whole document were
    // selected, in the open group and without a layout (the cells of a table
    // are converted through it).
    void ConvertAllTextStyles(int userData);
    // The conversion of StyleNo for UserData; StyleNo itself when there is no
    // conversion or it answers a style the style sheet does not hold.
    int ConvertTextStyle(int styleNo, int userData, bool appliedToText);
    int ConvertParaStyle(int paraNo, int userData);
    // A page break before the caret's line, after a paragraph break when the
    // caret is inside a line. One undo group; the caller has asked BeforeChange.
    void InsertPageBreak();

    // ---- List markers (rvervdata_lists.cpp)
    void ApplyListStyle(int listNo, int listLevel, int startFrom, bool useStartFrom, bool recursive,
                        TRVParaListOperation operation);
    // After an edit that renumbered the lists ListNos: lays out again the
    // paragraphs from ItemNo to the last marker of those lists, with a record
    // that does the same on undo. The caret stays.
    void UpdateAfterMarkers(int itemNo, int lastMarkerIndex, const TRVIntegerList& listNos);
    // A marker that an edit puts into the document or takes out of it
    // (before it goes): the numbers after it change.
    void NoteMarkerItem(TCustomRVItemInfo* item);
    // The markers of several paragraphs exchanged in one pass over the items,
    // recorded as one step: each change names the first item of a paragraph
    // (its marker when it has one) and the marker it gets (taken; null: none).
    // The markers list is put in order and numbered once.
    void Do_ChangeListMarkers(TRVMarkerChanges& changes, bool fromUndo, bool& fullReformat);
    // While markers are batched (Do_ChangeListMarkers), the markers list is not
    // kept: the batch updates it and renumbers once at its end.
    TRVMarkerList* GetMarkers(bool allowCreate) override;

    // ---- Item changes and controls (rvervdata_props.cpp)
    // The item's minimum width, before its properties change...
    void BeginItemModify(int itemNo, int& itemData);
    // ... and its paragraph (or the whole document, by the minimum width
    // rule) laid out again after they did.
    void EndItemModify(int itemNo, int itemData);
    // Lays out the paragraph of item ItemNo, or the whole document with
    // FullFormat; the caret keeps its item position and the view does not move.
    void Reformat(bool fullFormat, int itemNo);
    // The control item's control placed on its draw item, or, when its size
    // no longer fits the draw item, its paragraph laid out again for the new
    // size. ERollViewError for an item that is not a control item.
    void AdjustControlPlacement(int itemNo);
    // The control of a control item resized (nothing for its own size); with
    // Reformat its paragraph is laid out again.
    void ResizeControl(int itemNo, int width, int height, bool reformat);
    void DoResizeControl(int itemNo, int oldWidth, int oldHeight, int newWidth, int newHeight);
    // The control being resized by the program: its placement is left alone.
    TControl* ResizingControl = nullptr;
    // A control item's size, recorded.
    void Do_Resize(int itemNo, int width, int height, bool reformat);
    // A published integer property of item ItemNo (SubObject null) or of an
    // object inside it, by name, recorded with a record of RecordClass (null:
    // TRVUndoModifyItemIntProperty). Nothing for an equal value. The record
    // made, null when nothing records or nothing changed.
    TRVUndoModifyItemProps* Do_ModifyItemIntProperty(int itemNo, TPersistent* subObject,
                                                     const AnsiString& propertyName, int64_t value,
                                                     bool affectSize, bool affectWidth,
                                                     const TRVIntPropertyRecordClass& recordClass);
    // Several properties (each name with its new value); only those whose
    // value differs change and are recorded.
    TRVUndoModifyItemProps* Do_ModifyItemIntProperties(int itemNo, TPersistent* subObject,
                                                       const TRVIntPropertyList& props, bool affectSize,
                                                       bool affectWidth,
                                                       const TRVIntPropertiesRecordClass& recordClass);

    // ---- Styles in use, saving, searching (rvervdata_props.cpp)
    // The current text and paragraph styles are in use too.
    void MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                         TRVIntegerList* usedListStyles) override;
    // Renumbers the current styles, drops the undo history (its records hold
    // style numbers) and fires both style events.
    void AfterDeleteStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                           TRVIntegerList* listStylesShift) override;
    // An editor keeps no hyperlink areas while editing: they are made for the
    // writer, which numbers the links from them.
    bool SaveHTMLToStream(TStream& stream, const AnsiString& path, const AnsiString& title,
                          const AnsiString& imagesPrefix, TRVSaveOptions options, TColor color,
                          int& imagesCounter, int leftMargin, int topMargin, int rightMargin,
                          int bottomMargin, TRVFBackground* background, TRVList* bullets,
                          bool selectionOnly = false) override;
    bool SaveHTMLToStreamEx(TStream& stream, const AnsiString& path, const AnsiString& title,
                            const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                            const AnsiString& externalCss, const AnsiString& cpPrefix, TRVSaveOptions options,
                            TColor color, TColor& currentFileColor, int& imagesCounter, int leftMargin,
                            int topMargin, int rightMargin, int bottomMargin, TRVFBackground* background,
                            TRVList* bullets, bool selectionOnly = false) override;
    // A search starts at the caret: down from an item's end at the next item,
    // up from an item's start at the previous one (past the first or last
    // item: nothing to find).
    void SrchStart(bool down, int& itemNo, int& offs) override;

    // ==== Text, files and documents inserted at the caret
    // (rvervdata_inserttext.cpp, rvervdata_insertdoc.cpp). The caller has asked
    // BeforeChange, opened the undo group and deleted the selection; each
    // answers whether something was inserted (a refusal beeps). Breaks in text:
    // CR, LF, CR LF, LF CR, U+2029 and form feed (which also puts a page break
    // before what follows it) start a paragraph; U+2028, VT and NUL start another
    // item on the same line. Tabs become SpacesInTab blanks.
    // 8-bit text in the current text style's code page.
    bool InsertText_(const AnsiString& s, bool caretBefore, bool autoTag = true);
    // UTF-16 code units in a byte string; ERollViewError "Can't perform Unicode
    // operation" for an odd length, with nothing inserted.
    bool InsertTextW_(const AnsiString& s, bool caretBefore, bool autoTag = true);
    // A text file read whole before anything is inserted (false when it cannot
    // be read): 8-bit in the current text style's code page, or with Oem in the
    // OEM code page; NUL bytes become '?'.
    bool InsertTextFromFile(const AnsiString& fileName, bool oem, bool caretBefore);
    // A UTF-16 file: little-endian, or big-endian after the mark FE FF; a mark
    // FF FE is skipped. ERollViewError "Can't perform Unicode operation" for a
    // file of odd size, with nothing inserted.
    bool InsertTextFromFileW(const AnsiString& fileName, bool caretBefore);
    // A document read whole aside (RVF with the editor's read modes; RTF through
    // the editor's RTF import settings), then put at the caret in one piece: one
    // insertion record, the markers it brings numbered once. The document's
    // colour and background in RVF are not applied. False, with nothing changed
    // and a beep, when the stream cannot be read or holds nothing.
    bool InsertRVFFromStreamEd_(TStream& stream);
    bool InsertRTFFromStreamEd_(TStream& stream);
    // Merges the inserted items FirstItemNo..LastItemNo with their neighbours
    // where their styles allow; LastItemNo and CaretOffs (an offset in it)
    // follow the merges.
    void ConcateAfterAdding(int firstItemNo, int& lastItemNo, int& caretOffs);

    // ==== The item resizer (rvervdata_resize.cpp): handles around the one
    // resizable item (a picture, a control) that the selection holds whole, in
    // an editor that is not read-only and allows image resizing; dragging one
    // resizes the item as one undo group.
    std::unique_ptr<TRVItemResizer> Resizer;
    // Made for the selection as it is now (or none); called after every change
    // of the selection and of the document.
    void CreateResizer();
    // Made again when its draw item is no longer the one it stands on.
    void UpdateResizer();
    bool GetResizeHandleAt(int x, int y, TRVResizeHandleIndex& index);
    // Esc during a drag: the frame goes and the next mouse-up does nothing.
    bool CancelResize();
    // Width and Height include the item's spacing on both sides (a draw
    // item's size); the item gets at least 1 x 1 pixels.
    void ResizeItem(int itemNo, int width, int height);
    void DoSelect() override;
    void PostPaintTo(TCanvas* canvas, int xShift, int yShift, int firstDrawItem, int lastDrawItem) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void XorDrawing() override;
    void AdjustMouseUpSelection() override;

private:
    // Whether the document's minimum width differs from DocumentMinWidth after
    // a command whose paragraphs are Reformat_'s range (MayShrink: see Reformat_).
    bool MinDocWidthChanged(bool mayShrink, int startDrawItemNo, int endDrawItemNo, int itemsAdded);
    void PlayGroup(TRVUndoList& from, TRVUndoList& to);
    void PutCaretOnLine(int drawItemNo, int drawOffs, bool scroll, int x);
    // The x a move up or down aims at: the column of the last such move while
    // the caret has moved only up and down since, else the caret's.
    int VerticalMoveX() const;
    // The item of draw item DrawItemNo takes the caret inside it (a table, into
    // a cell) when X lies over it; From: the side the caret comes from.
    bool EnterItemAt(int drawItemNo, int x, TRVEnterDirection from);
    void AddRecord(std::unique_ptr<TRVUndoInfo> info);
    void MoveCaretTo(int drawItemNo, int drawOffs);
    // As MoveCaretTo, but a place on a list marker moves beside it: after it
    // when Right (or when it starts the document), before it otherwise.
    void MoveCaretOffMarker(int drawItemNo, int drawOffs, bool right);
    // The caret stops of a text draw item shown reordered (a direction of its
    // own, or right-to-left characters; the item's text S, measured at its
    // caret places into Stops), at the visual place of every character
    // boundary, in logical order.
    void AddRightToLeftStops(int drawItemNo, bool firstOfLine, const AnsiString& s, int diOffs,
                             const TRVCharStops& stops);
    int RemovableCharsBefore(int itemNo, int index, bool ctrl, bool fromDelete);
    void DeleteWholeItemOnBackspace(int itemNo, int paraFirstDi, int paraLastDi);
    void JoinWithPreviousPara(int itemNo, int paraFirstDi, int paraLastDi);
    void JoinWithNextPara(int itemNo, int paraFirstDi, int paraLastDi);
    void ReformatAndPlace(bool full, int firstDi, int lastDi, int added, int itemNo, int offs,
                          bool applyPara);
    // ---- Insertion at the caret (rvervdata_inserttext.cpp, rvervdata_insertdoc.cpp,
    // rvervdata_insertitem.cpp)
    struct TTextPiece;
    bool InsertTextOf(const AnsiString& s, bool wide, bool caretBefore, bool autoTag);
    bool InsertPieces(std::vector<TTextPiece>& pieces, bool caretBefore, bool autoTag);
    bool InsertBlock(std::vector<std::pair<AnsiString, TCustomRVItemInfo*>>& block);
    struct TInsertionPoint;
    bool OpenInsertionPoint(const TCustomRVItemInfo* first, TInsertionPoint& point, bool& fullReformat);
    // Lays out what an insertion changed: the paragraphs first measured, or the
    // whole document when markers of a list that goes on after them were inserted.
    void ReformatInsertion(bool mayShrink, int paraFirst, int paraLast, int itemsAdded, bool insertedMarkers,
                           int lastItemNo);
    bool InsertAtNonText(TCustomRVItemInfo*& item, int caretItem, bool after, int& insertPoint,
                         int& wantedPara, bool& fullReformat);
    // The steps of InsSomething (rvervdata_insertitem.cpp): where the item goes when
    // the caret is in an empty or a non-empty text item, the room a full-width
    // item needs, and the insertion itself with its paragraph's style.
    struct TCaretInsertion;
    enum class TCaretInsertVerdict { Insert, Refuse, RefuseSticking };
    TCaretInsertVerdict InsertAtEmptyText(TCustomRVItemInfo* item, int caretItem, TCaretInsertion& at);
    TCaretInsertVerdict InsertAtText(TCustomRVItemInfo* item, int caretItem, bool autoTag,
                                     TCaretInsertion& at);
    void MakeRoomForFullWidth(TCustomRVItemInfo* item, TCaretInsertion& at);
    void PlaceCaretInsertion(TCustomRVItemInfo* item, AnsiString& s, TCaretInsertion& at);
    // Whether Item may go into this document without its tables nesting
    // deeper than a read accepts (a file saved from it would not read back).
    bool NestsReadably(TCustomRVItemInfo* item);
    bool FindDrawItemAt(int x, int y, int& drawItemNo, int& drawOffs);

    // The draw item under the last mouse-down (a click on one item selects it).
    int FMouseDownDrawItemNo = -1;
    bool FPlaying = false;
    int FVerticalX = -1;
    bool FCaretLineReordered = false;
    int FVerticalDrawItemNo = -1;
    int FVerticalOffs = -1;
    // A primitive ran since the last reported change.
    bool FEdited = false;
    // ---- The caret's item (rvervdata_caret.cpp)
    // The item whose style the current text style follows: the caret's, or
    // the next one of the paragraph for a backward selection ending at the
    // end of the caret's draw item.
    int StyleItemOfCaret() const;
    // The display-active item and the hovered hyperlink follow the caret's item.
    void ShowCaretItemState(int itemNo);
    // The data is going: its control is no longer asked anything.
    bool FDestroying = false;

    // ---- Styles, lists, item changes (rvervdata_styles.cpp, rvervdata_lists.cpp, rvervdata_props.cpp)
    // The caret at an item position again after a layout, the view left where it is.
    void KeepCaretAt(int itemNo, int offs);
    bool CaretItemPosition(int& itemNo, int& offs);
    // The selection as item positions as it runs (Sel: start item, start
    // offset, end item, end offset), or the caret's when there is none; the
    // whole paragraphs it touches and their first and last draw items.
    struct TRVSelectedParas {
        int Sel[4] = {};
        bool HadSelection = false;
        int FirstItemNo = 0;
        int LastItemNo = 0;
        int FirstDrawItemNo = 0;
        int LastDrawItemNo = 0;
    };
    // False without a caret.
    bool SelectedParagraphs(TRVSelectedParas& paras);
    // The markers of the paragraphs of items FirstItemNo..LastItemNo changed
    // as one step; the item positions SelItems follow. The items added.
    int ApplyListStyle_(int firstItemNo, int lastItemNo, int listNo, int listLevel, int startFrom,
                        bool useStartFrom, TRVParaListOperation operation, int (&selItems)[4],
                        bool& fullReformat);
    // Set while ApplyListStyle batches the markers list's updates; its end
    // puts the list in order and numbers it again.
    TRVMarkerBatch* FMarkerBatch = nullptr;
    void EndMarkerBatch(TRVMarkerBatch& batch, int firstItemNo, int lastItemNo);
    // The markers of variable-width lists that a command added or removed,
    // noted by the primitives: the lists, and the lowest index in the
    // markers list from which numbers may differ. The end of the command
    // (ChangeEx) lays out the paragraphs of the markers numbered again.
    TRVIntegerList FChangedMarkerLists;
    int FChangedMarkerIndex = -1;
    void NoteMarkerChange(int listNo, int markerIndex);
    void ForgetMarkerChanges();
    void UpdateChangedMarkers();
};
