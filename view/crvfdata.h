// TCustomRVFormattedData: the item store laid out into draw items for a width,
// painted, hit-tested and selected. The base of the viewer's root data, the
// editor's data, the printable data and the table cells' data.
//
// Its implementation is split by concern:
//   crvfdata.cpp         construction, clearing, the small selection operations, joining items
//   crvfdata_format.cpp  Format_: the whole document, its new tail, a resize
//   crvfdata_lines.cpp   line building: word wrap, indents, list markers, line heights, hyperlinks
//   crvfdata_finish.cpp  line finishing: alignment, justification, spacing, right-to-left order
//   crvfdata_select.cpp  selection bounds, position mapping, minimum widths
//   crvfdata_paint.cpp   painting
// Its flags, character stops and line-building state are in crvfdata_types.h,
// what a layout keeps for the next tail layout in crvfdata_tailnotes.h.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "document/crvdata.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "platform/controls/messages.h"
#include "platform/core/callhold.h"
#include "platform/graphics/canvas.h"
#include "view/crvfdata_tailnotes.h"
#include "view/crvfdata_types.h"
#include "view/dlines.h"

class TPieceText;
class TFontInfo;
class TParaInfo;
class TRVBackground;
class TRVStyle;
class TWinControl;

// When true, line building fits text character by character instead of by
// interpolation (false).
extern bool RollViewSafeFormatting;

// What an item tells the program of the end of editing one of its
// sub-documents in place (a table's OnCellEndEdit) waits while a viewer lets
// go of its chosen sub-document (TRollViewRVData::UnassignChosenRVData), as it
// waits while the item's own operations run: the program's handler then finds
// every document that letting go walks through whole.
struct TRVEndEditsKind;
using TRVEndEditsHeld = TTellsHeld<TRVEndEditsKind>;

// Draws the overlay that tables show while a border is dragged.
using TRVXorDrawingEvent = TEvent<void(TObject* sender, TShiftState shift, int x, int y)>;

class TRVPrintServices;
class TRVScreenLineToFinish;
// When the viewer reports the checkpoints that scrolling brings into view
// (AfterVScroll): never, the checkpoint whose section the view shows, or each
// checkpoint as it enters the view. The viewer's CPEventKind holds one.
enum TCPEventKind { cpeNone, cpeAsSectionStart, cpeWhenVisible };

// The laid-out document. Owns its draw items, its hyperlink rectangles and its
// soft page breaks (besides the items, owned by the store). Draw items are in
// document order, with document coordinates (device pixels when laid out for
// a printer); DrawItemNo of every item is its first draw item. Offsets in a
// text draw item count from 1 (1 before its first character, Length + 1
// after its last); a non-text draw item has offset 0 before it and 1 after it.
//
// Layout is lazy: adding items lays nothing out. Format_ lays out the whole
// document, or only the items after LastFormattedItem (its tail), and keeps
// what a tail layout needs so that appending costs the new items and the last
// paragraph, never the whole document: the state at the start of the last
// paragraph (reopened when the first new item continues its line), whether
// the layout so far depends on the text width, and the document's minimum
// width. A change to the items other than appending (Clear, deletion, a new
// item text, partial re-layout) must call InvalidateTailLayout, after which a
// tail layout lays out the whole document.
//
// Subclasses supply the abstract operations: the area and margins, scrolling,
// the flags and the viewer's events (the viewer's root data from its control,
// cells and printable data from their own geometry). The destructor frees the
// draw items and the items without raising any event: a subclass calls Clear
// in its own destructor.
class TCustomRVFormattedData : public TCustomRVData, public TRVJumpHandler {
public:
    TCustomRVFormattedData();
    ~TCustomRVFormattedData() override;
    const char* ClassName() const override { return "TCustomRVFormattedData"; }

    // ---- Geometry and environment, supplied by subclasses
    // The list and level of the marker of a first paragraph begun elsewhere
    // (a printed page continuing one); false and -1, -1 here.
    virtual bool GetFirstItemMarker(int& listNo, int& level);
    // Screen and device resolutions of the canvas (margins left 0).
    virtual void GetSADForFormatting(TCanvas* canvas, TRVScreenAndDevice& sad);
    // Position of this document inside the one that holds it; 0, 0 here.
    virtual void GetOrigin(int& x, int& y);
    // The origin of the content as shown (a table cell adds its vertical offset).
    virtual void GetOriginEx(int& x, int& y) { GetOrigin(x, y); }
    virtual TRVFlags GetFlags() = 0;
    virtual void SetFlags(TRVFlags value) = 0;
    // Width of the area the document is laid out in.
    virtual int GetAreaWidth() = 0;
    virtual int GetLeftMargin() = 0;
    virtual int GetRightMargin() = 0;
    virtual int GetTopMargin() = 0;
    virtual int GetBottomMargin() = 0;
    virtual int GetMinTextWidth() = 0;
    virtual int GetMaxTextWidth() = 0;
    virtual TRVBackground* GetBackground() = 0;
    // Chooses the vertical scroll unit for DocumentHeight.
    virtual void AdjustVScrollUnits() = 0;
    // Reports the laid-out size (scroll ranges of a viewer).
    virtual void SetDocumentAreaSize(int width, int height, bool updateH) = 0;
    // Keeps a viewer's vertical scroll bar shown whatever the document's
    // height (from the next report of the size on), or lets it follow the
    // height again; nothing here.
    virtual void SetVScrollBarKept(bool) {}
    // Scroll offsets; 0 here.
    virtual int GetHOffs();
    virtual int GetVOffs();
    // Visible size.
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    // The canvas to paint feedback on: the root data's (null here at a root).
    virtual TCanvas* GetCanvas();
    // The canvas text is measured on by layouts, caret stops and hit tests: the
    // root data's, and at a root GetCanvas unless the root has a canvas of its
    // own for measuring.
    virtual TCanvas* GetFormattingCanvas();
    virtual void ScrollTo(int y, bool redraw) = 0;
    virtual void HScrollTo(int x) = 0;
    // Pixels per vertical scroll unit.
    virtual int GetVSmallStep() = 0;
    virtual TColor GetColor() = 0;

    // ---- The viewer's events (the root data raises them)
    virtual bool IsAssignedRVMouseUp() = 0;
    virtual bool IsAssignedRVMouseDown() = 0;
    virtual bool IsAssignedJump() = 0;
    virtual bool IsAssignedCheckpointVisible() = 0;
    virtual void DoRVMouseUp(TMouseButton button, TShiftState shift, int itemNo, int x, int y) = 0;
    virtual void DoRVMouseDown(TMouseButton button, TShiftState shift, int itemNo, int x, int y) = 0;
    // DoJump (hyperlink number) comes from TRVJumpHandler.
    // The hyperlink under the mouse changed (-1: none).
    virtual void DoRVMouseMove(int id) = 0;
    virtual void DoCheckpointVisible(TRVCPInfo* checkpointData) = 0;
    virtual TCursor GetNormalCursor() = 0;
    // The selection changed: the root data's event (nothing at a root here).
    virtual void DoSelect();
    virtual void DoOnSelection() {}
    virtual void DestroyInplaceEditor() {}

    // ---- Clearing
    // Frees the draw items and hyperlinks and resets the hover, capture and
    // mouse state; the items stay.
    virtual void ClearTemporal();
    // Also deletes the items.
    void Clear() override;
    // Deselects, then deletes; the layout is stale afterwards.
    void DeleteItems(int firstItemNo, int count) override;
    // Forgets what a tail layout relies on: the next one lays out everything.
    // The document changed (NoteChange).
    void InvalidateTailLayout();
    // The same after laying out in a way a tail layout cannot continue from:
    // nothing changed in the document.
    void ForgetTailLayout();
    void ClearLastJump();
    void ClearJumps();

    // ---- Selection
    virtual void Deselect(TCustomRVItemInfo* newPartiallySelected, bool makeEvent);
    void SelectAll();
    // Clears the selection inside another item than NewItem, and releases the
    // chosen sub-document unless it is NewItem's.
    virtual void DeselectPartiallySelectedItem(TCustomRVItemInfo* newItem);
    // The chosen sub-document goes away.
    virtual void UnassignChosenRVData(TCustomRVData* rvData);
    int GetOffsBeforeDrawItem(int drawItemNo) const;
    int GetOffsAfterDrawItem(int drawItemNo) const;

    // ---- Joining items
    // Joins item ItemNo with the next one.
    void ConcateItems(int itemNo);
    // Joins every pair of neighbours that may be one item, from the end backwards.
    void Normalize();

    // ---- Layout (crvfdata_format.cpp, crvfdata_lines.cpp, crvfdata_finish.cpp)
    void StartFormatting();
    void EndFormatting();
    // Lays out the whole document.
    void Format(bool reformat);
    // Resized: after a change of the area's size (keeps the top line and the
    // selection; skipped when neither width changed). Force: lay out even when
    // the widths did not change. NoScroll: keep the scroll position. Depth: 0,
    // or 1 for the one repetition after a scroll bar appeared or went. Canvas:
    // null for GetFormattingCanvas. Tail: only the items after LastFormattedItem.
    // Reformat: passed to the items.
    virtual void Format_(bool resized, bool force, bool noScroll, int depth, TCanvas* canvas, bool tail,
                         bool reformat);
    // The first draw item the last Format_ made: 0 after a whole layout (or
    // none), the old count or the start of the reopened last paragraph after a
    // tail layout. The draw items before it were kept as they were.
    int FirstNewDrawItem() const { return FFirstNewDrawItem; }
    // After a layout of items First..Last (Partial: a partial re-layout); nothing here.
    virtual void Formatted(int firstItemNo, int lastItemNo, bool partial);
    // Whether a partial layout repaints what it changed at once, through the
    // control: a sub-document laid out by the layout of the document holding
    // it is painted with that document, once its layout has ended.
    virtual bool RepaintsPartialLayout() { return true; }
    // Places Len characters of Text from the 0-based character Offs (text
    // items), or the whole item (non-text items: Text empty, Len ignored).
    void FormatLine(std::string_view text, int offs, int len, int itemNo, TRVFormatLineState& state);
    // Places a text item of a justified paragraph word by word.
    void FormatWords(int itemNo, TRVFormatLineState& state);
    // Closes the screen line that ends before LineEnd: alignment, line
    // spacing (Extra, pixels below the line) and right-to-left order.
    // PlacesBefore, when given, receives the places of the line's draw items
    // as they were before this moved any of them (none when nothing moved).
    void FinishScreenLine(const TRVScreenAndDevice& sad, int rightEdge, int lineEnd, bool lastLine,
                          int& extra, bool& noLineYet, std::vector<TRVDrawItemPlace>* placesBefore = nullptr);
    // The unscaled indents of a line of item ItemNo's paragraph.
    void GetIndents(int itemNo, bool isFirstLine, int& paraStartItem, int& leftIndent, int& rightIndent);
    // The draw item starts a line, or follows a list marker's draw item.
    bool IsDrawItemFromNewLine(int drawItemNo) const;
    // Zoom hooks; nothing here.
    virtual void ApplyZoom(TCanvas* canvas) { (void)canvas; }
    virtual void RestoreZoom(TCanvas* canvas) { (void)canvas; }
    virtual void ZoomRectDown(TRect& r) { (void)r; }
    virtual void ZoomInt(int& v) { (void)v; }
    // The document's minimum width for a layout (the largest minimum width of
    // its paragraph sections, device pixels with sad): computed in full, or,
    // with Incremental, from the cache for the sections that were closed at
    // the last computation plus the sections from there on.
    int GetMinDocWidth(const TRVScreenAndDevice& sad, TCanvas* canvas, bool incremental);
    // The document's minimum width as the last layout found it (its result of GetMinDocWidth).
    int LastMinDocWidth() const { return FLastMinDocWidth; }

    // ---- Selection bounds, mapping and minimum widths that the layout calls
    // (defined in crvfdata_select.cpp with the rest of that block).
    void StoreSelBounds(int& startItemNo, int& endItemNo, int& startItemOffs, int& endItemOffs,
                        bool normalize);
    // Sets the selection from item positions. Its ends never fall inside a
    // character: the end that comes first in the document moves back to the
    // start of the character it cuts, the other one on to its end (an empty
    // selection stays empty, at the character's start).
    void RestoreSelBounds(int startItemNo, int endItemNo, int startItemOffs, int endItemOffs);
    // An item offset inside a character of a text item moved to the
    // character's edge (Forward: the one after it); other offsets, and
    // offsets of items that are not there, as they are. Characters are those
    // the caret steps over (view/rvchars.h), the ends of the item's draw
    // items among the edges (a line may be cut inside a character): what a
    // selection copies is what deleting it removes, and what is painted
    // selected.
    int CharacterEdge(int itemNo, int offs, bool forward);
    // The same among the characters of offsets FirstOffs..LastOffs of the
    // text item alone, whose ends count as edges (a draw item's, so that a
    // place in a long item costs no look at all of it).
    int CharacterEdgeWithin(int itemNo, int offs, bool forward, int firstOffs, int lastOffs);
    // No selection, and none being made.
    void ForgetSelection()
    {
        SelStartNo = SelEndNo = -1;
        SelStartOffs = SelEndOffs = 0;
        State.Exclude(rvstMakingSelection);
    }
    // A draw item near y; modes 1 (the first to paint from) and 3.
    int GetDrawItemNo(int y, int mode);
    int FindDrawItemByItem(int itemNo) const;
    // The same for an item given by itself (-1 when it is not in this data or not laid out).
    int FindDrawItemOfItem(const TCustomRVItemInfo* item) const;
    // The minimum width of the paragraph section holding ItemNo. sad null: screen pixels.
    int CalculateParaSectionMinWidth(int itemNo, int& paraStartItem, const TRVScreenAndDevice* sad,
                                     TCanvas* canvas);
    int CalculateMinDocWidthPlus(const TRVScreenAndDevice* sad, TCanvas* canvas);
    void AdjustJumpsCoords();
    void AdjustChildrenCoords();

    // ---- Fields
    TRVCPInfo* LastReportedCP = nullptr;
    TRVXorDrawingEvent XorDrawingHandler;
    TCustomRVItemInfo* MouseCaptureItem = nullptr;
    bool XorDrawn = false;
    int XorX = 0;
    int XorY = 0;
    // TRVJumpInfo records, owned (ClearJumps frees them).
    TList Jumps;
    int JumpCount = 0;
    int LastFormattedItem = -1;
    int HoverJumpId = -1;
    int HotDrawItemNo = -1;
    TCustomRVFormattedData* HoverJumpData = nullptr;
    int PressedJumpId = -1;
    TCustomRVItemInfo* PartialSelectedItem = nullptr;
    bool AreaResizing = false;
    std::unique_ptr<TRVSoftPageBreakList> SoftPageBreaks;
    int PressedDrawItemNo = 0;
    TCustomRVItemInfo* CurrentItem = nullptr;
    int TextWidth = -1;
    int DocumentHeight = 0;
    int DocumentWidth = -1;
    int FocusedItemNo = -1;
    TRVDrawLines DrawItems;
    int SelStartNo = -1;
    int SelEndNo = -1;
    int SelStartOffs = 0;
    int SelEndOffs = 0;
    // Set while SetDocumentAreaSize reports the laid-out size: a layout it
    // causes does nothing.
    bool SettingAreaSize = false;

    // ==== Selection bounds, position mapping, minimum widths and painting
    // (crvfdata_select.cpp, crvfdata_minwidth.cpp, crvfdata_paint.cpp). The
    // members the layout calls are declared with the layout above. The layout
    // keeps the document's minimum width from CalculateParaSectionMinWidth,
    // section by section (GetMinDocWidth); the minimum-width functions stay
    // pure computations.

    // ---- Selection bounds and position mapping (crvfdata_select.cpp). Offsets
    // in draw items and items as described above the class; -1 passes through.
    // The selection as draw-item positions; with Normalize in document order.
    void GetSelBounds(int& startNo, int& endNo, int& startOffs, int& endOffs, bool normalize);
    void DrawItem2Item(int drawItemNo, int drawOffs, int& itemNo, int& offs);
    // -1 when the item has no draw item.
    void Item2DrawItem(int itemNo, int offs, int& drawItemNo, int& drawOffs);
    void Item2FirstDrawItem(int itemNo, int& drawItemNo);
    // The draw items First..Last of the screen line that holds DrawItemNo.
    void GetScreenLineBounds(int drawItemNo, int& first, int& last);
    // The first draw item of the screen line that holds DrawItemNo: at once
    // for the document's last line while the layout's note of it holds, so
    // that a line of many pieces is not walked through.
    int GetLineStart(int drawItemNo) const;
    // The document's last line as the last layout left it (whatever changes
    // the draw items since forgets the note): its first draw item, whether
    // its draw items are text pieces that lie left to right (each at or after
    // the end of the one before it) and the height of its tallest draw item.
    // False when not known.
    bool GetLastLine(int& first, bool& textInOrder, int& maxHeight) const;
    // The draw item and the offset in it at a document point, for selecting
    // (Strict: only a point inside a draw item hits); -1, -1 without draw items.
    void FindDrawItemForSel(int x, int y, int& drawItemNo, int& drawOffs, bool strict);
    // Measures text draw item DrawItemNo as drawn (its style applied to the
    // formatting canvas, in capitals for an all-capitals style) into Stops. With
    // UseCaretPlaces, text with a direction of its own, and text that holds
    // right-to-left characters (which the canvas reorders), is measured at its
    // caret places where they can be had. Limit bounds Fit; below zero it is ten times
    // the draw item's width. False, with Stops empty, for a non-text draw item, an
    // empty text or no style or canvas.
    bool CharStops(int drawItemNo, TRVCharStops& stops, bool useCaretPlaces, int limit = -1);
    // The draw item whose rectangle holds the document point; -1 when none.
    int FindDrawItemAtPos(int x, int y);
    // The draw item to start painting from for a view whose top is Y.
    int GetFirstVisible(int y);
    // The items at the top and the bottom of the view; -1 without draw items.
    virtual int GetFirstItemVisible();
    virtual int GetLastItemVisible();

    // ---- Minimum widths (crvfdata_minwidth.cpp): pure computations over the
    // items and styles that change nothing but the canvas's font. sad given:
    // device pixels, else screen pixels; a null canvas is GetFormattingCanvas.
    // ParaStartItem is the running first item of the current paragraph (-1: find it).
    int CalculateParaSectionsMinWidth(int first, int last, int& paraStartItem, const TRVScreenAndDevice* sad,
                                      TCanvas* canvas);
    // The indents of the section that holds ItemNo.
    int CalculatePureParaSectionWidth(int itemNo, int& paraStartItem, const TRVScreenAndDevice* sad,
                                      TCanvas* canvas);
    // The width of items First..Last of an unwrapped section on their line.
    int CalculateUnwrappedItemsWidth(int first, int last, const TRVScreenAndDevice* sad, TCanvas* canvas);
    // The largest item minimum width plus its section's indents over First..Last.
    int CalculateMinItemsWidthPlus(int first, int last, int& paraStartItem, const TRVScreenAndDevice* sad,
                                   TCanvas* canvas);
    // The item's own minimum width (with a list marker it follows on its line).
    int CalculateMinItemWidthPlus_WithoutPSWidth(int itemNo, const TRVScreenAndDevice* sad, TCanvas* canvas);
    // The same in screen pixels on GetFormattingCanvas, the paragraph start found.
    int CalculateParaSectionsMinWidthDef(int first, int last);
    int CalculateParaSectionMinWidthDef(int itemNo);
    int CalculateMinItemWidthPlusEx(int itemNo);
    // The minimum width the items First..Last need (whole sections between them).
    int CalculateMinItemsWidthPlusEx(int first, int last);
    // The minimum width Item needs when inserted as item ItemNo.
    int CalculateMinWidthAfterInsert(TCustomRVItemInfo* item, int itemNo);
    // The unscaled sum of the indents of ItemNo's paragraph.
    int GetMaxIndent(int itemNo, int& paraStartItem);

    // ---- Painting and repainting (crvfdata_paint.cpp)
    // Paints the part of the document in ClipRect (client coordinates) into
    // Canvas, whose (0, 0) stands for ClipRect's top-left corner. Costs a
    // search and the draw items of the visible lines.
    void PaintTo(TCanvas* canvas, const TRect& clipRect);
    // Called last by PaintTo with the draw items it painted; nothing here.
    virtual void PostPaintTo(TCanvas* canvas, int xShift, int yShift, int firstDrawItem, int lastDrawItem);
    // The background (GetBackground) under Rect of the canvas.
    virtual void DrawBackground(TCanvas* canvas, const TRect& rect);
    // Ask the parent control to repaint: all of it later, now, what is invalid now, one rectangle.
    void Invalidate();
    void Refresh();
    void UpdateView();
    void InvalidateRect(const TRect& r);
    // Repaints the rectangles of hyperlink JumpID (or everything with the
    // style sheet's FullRedraw), at once.
    void InvalidateJumpRect(int jumpId);
    // The mouse left the control: no hyperlink is hovered any more.
    void MouseLeave();

    // ==== Mouse, hyperlinks and selection (crvfdata_mouse.cpp,
    // crvfdata_words.cpp); partial re-layout and hyperlink numbering
    // (crvfdata_partial.cpp); scroll events, focus, overlay, capture and page
    // breaks (crvfdata_scroll.cpp). Client coordinates are relative to the
    // visible area; document coordinates add GetZHOffs/GetZVOffs. The viewer's
    // root data overrides the event hooks, the in-place editor and chosen-data
    // hooks, AdjustFocus and FocusesClickedItems; its tail layout brackets
    // Format_ with SaveMouseState/RestoreMouseState. SetCursor sets the parent
    // control's Cursor: GetNormalCursor answers the viewer's own cursor.

    // ---- Event hooks and sub-document hooks. The event hooks pass to the root
    // data (nothing, false, cpeNone at a root that does not override them).
    virtual bool IsAssignedRVDblClick();
    virtual bool IsAssignedRVRightClick();
    // ClickedWord: the word as text: ANSI items' bytes as they are, a Unicode
    // item's word in UTF-8 (never through a lossy code page).
    virtual void DoRVDblClick(const AnsiString& clickedWord, int styleNo);
    // X, Y: screen coordinates.
    virtual void DoRVRightClick(const AnsiString& clickedWord, int styleNo, int x, int y);
    virtual TCPEventKind GetCPEventKind();
    virtual bool IsAssignedCopy();
    virtual void DoCopy();
    // The in-place editor shown over this document (a table cell's), the editor
    // of a sub-document: none here.
    virtual TWinControl* GetInplaceEditor() { return nullptr; }
    virtual TWinControl* GetEditor() { return nullptr; }
    virtual void ResetSubCoords() {}
    virtual void AssignChosenRVData(TCustomRVData* rvData, TCustomRVItemInfo* item);
    virtual void SilentReplaceChosenRVData(TCustomRVData* rvData);
    // At the end of a drag selection; nothing here.
    virtual void AdjustMouseUpSelection() {}
    // The auto-scroll timer moved the view; nothing here.
    virtual void OnTimerScroll() {}
    // A click on an item that takes the focus moves the focus to it: the
    // viewer's root data (TRVControlData) answers true.
    virtual bool FocusesClickedItems() { return false; }

    // ---- Mouse (client coordinates, passed through ZoomInt first)
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Selects the word under the pointer (GetCursorPos) and fires OnRVDblClick.
    void DblClick();
    // The control showing the document takes the keyboard focus when it can.
    void FocusParentControl();
    // HotDrawItemNo := the draw item at the client point moved by the offsets.
    void SearchHotItem(int x, int y, int hOffs, int vOffs);
    int GetZHOffs();
    int GetZVOffs();
    virtual void SetCursor(TCursor cursor);
    virtual TPoint ClientToScreen(const TPoint& p);
    virtual TPoint ScreenToClient(const TPoint& p);

    // ---- Words, hits and selection. Item offsets as above the class.
    // The word at a client point, in the data that holds it (RVData, possibly a
    // sub-document): Word is in the item's own form (UTF-16 bytes for a
    // Unicode item), Offs its first character; on a delimiter Word is empty and
    // Offs the delimiter's position; a non-text item gives its name. False
    // when no draw item lies under the point.
    bool FindWordAt(AnsiString& word, int x, int y, int& styleNo, int& itemNo, int& offs,
                    TCustomRVFormattedData*& rvData);
    // The word as text (as DoRVDblClick gets it); ItemNo -1 when none.
    void GetWordAt(int x, int y, TCustomRVFormattedData*& rvData, int& itemNo, AnsiString& word);
    // The word under the client point, or the whole non-text item, selected.
    void SelectWordAt(int x, int y);
    // The screen line holding an item position selected.
    void SelectLine(int itemNo, int offs);
    // The control item owning AControl (here or in a sub-document) selected.
    bool SelectControl(TControl* aControl);
    // The item position at a document point (a strict hit); ItemNo -1 when none.
    void GetItemAt(int x, int y, int& itemNo, int& offs);
    void GetItemAtEx(int x, int y, TCustomRVFormattedData*& rvData, int& itemNo, int& offs, bool strict);
    // A non-empty selection exists; Collapse removes an empty one (not while a
    // drag selection runs); UsePartial counts a selection inside an item.
    bool SelectionExists(bool collapse, bool usePartial);
    // The fixed end of the selection (an empty one collapsed first).
    virtual void GetSelStart(int& drawItemNo, int& offs);
    bool InsideSelection(int drawItemNo, int offs);
    void GetSelectionBounds(int& startItemNo, int& startOffs, int& endItemNo, int& endOffs, bool normalize);
    void GetSelectionBoundsEx(int& startItemNo, int& startOffs, int& endItemNo, int& endOffs, bool normalize);
    void SetSelectionBounds(int startItemNo, int startOffs, int endItemNo, int endOffs);
    // The selection's rectangle in client coordinates (the whole area without
    // a selection) and on the screen.
    TRect GetClientSelectionRect();
    TRect GetSelectionRect();
    // Document positions. ERollViewError "Parameter can't be NIL" for a null
    // checkpoint, "RollView must be formatted for this operation" for one whose
    // item is not laid out; the pending checkpoint lies at (0, DocumentHeight).
    void GetCheckpointXY(TRVCPInfo* checkpointData, int& x, int& y);
    int GetCheckpointYEx(TRVCPInfo* checkpointData);
    // Where hyperlink Id (FirstJumpNo + its number) lies: 0, -1, null and -1 when none.
    int GetJumpPointY(int id);
    int GetJumpPointItemNo(int id);
    void GetJumpPointLocation(int id, TCustomRVFormattedData*& rvData, int& itemNo);
    // The position of an item's first draw item; false when it has none.
    bool GetItemCoords(int itemNo, int& left, int& top);
    bool GetItemClientCoords(int itemNo, int& left, int& top);

    // ---- The drag, hover and pressed-hyperlink state across a layout
    // A full layout rebuilds draw items and hyperlinks and so forgets them;
    // SaveMouseState notes them by item position (changing nothing) and
    // RestoreMouseState puts them back on the new draw items: the hover of a
    // hyperlink that is still there without an event, one that is gone is
    // reported left. The layout's clearing must not report the leave itself
    // (the root data's ClearTemporal forgets HoverJumpData first).
    struct TRVMouseStateNote {
        bool Valid = false;
        int SelItems[4] = {-1, -1, 0, 0}; // start item, end item, start offs, end offs (not normalized)
        bool MakingSelection = false;
        TCustomRVFormattedData* HoverData = nullptr;
        int HoverJumpId = -1;
        bool DrawHover = false;
        int PressedJumpId = -1;
        int PressedItemNo = -1; // the item of PressedDrawItemNo
        TCustomRVItemInfo* CaptureItem = nullptr;
        TCustomRVItemInfo* Current = nullptr;
    };
    void SaveMouseState(TRVMouseStateNote& note);
    void RestoreMouseState(TRVMouseStateNote& note);

    // ---- Partial re-layout (crvfdata_partial.cpp). The draw items still
    // describe the document before an edit; ItemsInserted items were added
    // (negative: removed), so that old item N is item N + ItemsInserted after
    // the edited range. The lines of the range (widened to whole lines) are laid
    // out again, the draw items below move and are renumbered, the document
    // height, scroll range and hyperlink rectangles follow. A selection end
    // inside the range is dropped (the caller sets the selection anew).
    void FormatParas(int startDrawItemNo, int endDrawItemNo, int itemsInserted);
    void FormatParasExact(int startDrawItemNo, int endDrawItemNo, int itemsInserted, bool reformat);
    // The range widened to whole paragraphs plus one paragraph on each side.
    void GetParaBounds(int startDrawItemNo, int endDrawItemNo, int& paraStart, int& paraEnd);
    // Deletes whole paragraphs and lays out what is left around them.
    void DeleteParas(int firstItemNo, int lastItemNo);
    // The checkpoint-visible event after the view moved vertically.
    void AfterVScroll();
    // Numbers the hyperlinks from StartJumpNo (which grows by their count) and
    // rebuilds their rectangles into AJumps (null: the data's own list).
    void BuildJumpsCoords(int& startJumpNo, TList* aJumps);
    // Scrolls so that a document rectangle shows.
    virtual void ShowRectangle(int left, int top, int width, int height);
    // The 1-based screen line of an item position.
    int GetLineNo(int itemNo, int offs);

    // ---- Keyboard focus among the items
    // The next item from ItemNo that takes the focus (itself or inside it:
    // TopFocusedRVData, TopFocusedItemNo); -1 when none.
    int GetNextFocusedItem(int itemNo, bool goForward, TCustomRVData*& topFocusedRvData,
                           int& topFocusedItemNo);
    void ClearFocus();
    virtual void AdjustFocus(int newFocusedItemNo, TCustomRVData* topFocusedRvData, int topFocusedItemNo);

    // ---- The XOR overlay. A std::function has no identity: the handler is
    // known by the object that installs it (Owner).
    virtual void XorDrawing();
    void XorDrawingEx(int x, int y);
    void AssignXorDrawing(const TRVXorDrawingEvent& handler, const void* owner);
    void UnAssignXorDrawing(const void* owner);
    bool UsingThisXorDrawing(const void* owner) const;
    // Erases a drawn overlay; whether one was drawn.
    bool ClearXorDrawing();
    const void* XorDrawingOwner = nullptr;

    // ---- Mouse capture by items, the partially selected item, palettes, page breaks
    // Left and Top: the document position of the item's draw item.
    void SetMouseCapture(TCustomRVItemInfo* item, int& left, int& top);
    void ReleaseMouseCapture(TCustomRVItemInfo* item);
    virtual void SetPartialSelectedItem(TCustomRVItemInfo* item);
    void UpdateBackgroundPaletteInfo(TRVBackground* background);
    bool UpdatingBackgroundPalette() const { return State.Contains(rvstChangingBkPalette); }
    // The first position of every page of the print job's last pagination.
    void AssignSoftPageBreaks(TRVPrintServices* printServices);
    void ClearSoftPageBreaks();
    // Styles were deleted: an in-place editor that is a viewer renumbers its own
    // document too.
    void AfterDeleteStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                           TRVIntegerList* listStylesShift) override;

    // ==== Search, selected text and clipboard (crvfdata_search.cpp,
    // crvfdata_clipboard.cpp). Item offsets as described above the class. While
    // a sub-document is chosen (a table cell being edited), GetSelText,
    // GetSelectedImage and the copy operations without a trailing underscore
    // answer for it; the search descends into sub-documents by itself.

    // ---- Search (crvfdata_search.cpp)
    // Finds the next occurrence of Text from the moving end of the selection
    // (without one: from the first visible item down, or the last one up) and
    // selects it, the moving end on the side the next search continues from,
    // so that repeating a search finds the next occurrence and a search up
    // right after one down finds the same text again. Text is in the document's
    // default code page; it is compared with every item in UTF-16 (ANSI items
    // converted with their style's code page, character by character, so that
    // nothing is lost and the selection falls on their own bytes). Without
    // MatchCase both sides are upper-cased with Unicode's simple mapping. With
    // WholeWord an occurrence counts only between delimiters (or item ends) of
    // the item's whole text. False for an empty text or when nothing is found
    // (the selection stays).
    bool SearchText(bool down, bool matchCase, bool wholeWord, const AnsiString& text);
    // The item position a search starts from; ItemNo never below 0.
    virtual void SrchStart(bool down, int& itemNo, int& offs);
    // Selects Length characters from Offs in item ItemNo (from the end back to
    // Offs for Up), scrolls the selection's fixed end into view and raises the
    // selection events. True.
    virtual bool SrchSelectIt(int itemNo, int offs, int length, bool up);

    // ---- The selection as text or picture, and the clipboard (crvfdata_clipboard.cpp)
    // The selection as plain text (the plain-text writer, lines of 80, text
    // only): ANSI in the default code page, or with Unicode UTF-16 bytes.
    // Empty without a selection or when writing failed.
    AnsiString GetSelText(bool unicode);
    WideString GetSelTextW();
    // The picture of a selection that is one item with a picture (zero-width
    // ends in the neighbouring items allowed); null otherwise. The item's.
    TGraphic* GetSelectedImage();
    // The item that the selection holds whole and alone (a bound at an item's
    // edge may stand in the item beside it); -1 when there is none.
    int GetSelectedWholeItemNo();
    // One clipboard format each, added to what the clipboard holds (between
    // the clipboard's Open and Close they join the other formats written):
    // ANSI text, UTF-16 text, the picture (nothing for a selection that is
    // not one picture), "Rich Text Format", and "RollView Format" (a 32-bit
    // little-endian length, then the selection as RVF without layout). A
    // writer that fails puts nothing.
    void CopyText_();
    void CopyTextW_();
    void CopyImage_();
    void CopyRTF_(TColor color, TRVBackground* background);
    void CopyRVF_(TColor color, TRVBackground* background);
    // With a selection: the clipboard emptied, then the one format written.
    void CopyText();
    void CopyTextW();
    void CopyImage();
    void CopyRTF(TColor color, TRVBackground* background);
    void CopyRVF(TColor color, TRVBackground* background);
    // With a selection: the clipboard emptied, OnCopy, then RVF, text, the
    // picture, Unicode text and RTF, published together (also when a writer raises).
    void Copy(TColor color, TRVBackground* background);
    // The same with the formats the rvoAutoCopy... options choose (ANSI text
    // not with Unicode text as well). Whether copying is wanted at all (an
    // option or OnCopy), with or without a selection.
    bool CopyDef(TColor color, TRVBackground* background);
    // For rvfss_Selection the normalized selection in item coordinates (no
    // parts; item -1 without a selection), so that every writer can save the
    // selection alone; the other scopes as the store answers them.
    void RVFGetLimits(TRVFSaveScope saveScope, int& startItemNo, int& endItemNo, int& startOffs, int& endOffs,
                      TRVMultiDrawItemPart*& startPart, TRVMultiDrawItemPart*& endPart) override;

protected:
    // Frees the item (forgetting it as the mouse-capturing item) through the store.
    void InternalFreeItem(TCustomRVItemInfo* item, bool clearing) override;
    // A new text for an item is read by the next layout, which lays out the
    // whole document; draw items laid out for the old text stay usable (their
    // text is cut to what is there) until then.
    void ItemTextChanged(int itemNo) override;

private:
    // The open line is noted no more.
    void ForgetOpenLine();
    // crvfdata_format.cpp
    TRVTailStart CanFormatTail() const;
    // Notes the open last line (before it is closed); puts it back as noted,
    // with the line's width following a new text or document width. The
    // layout began at draw item LaidOutFrom, which starts a line; the draw
    // items from there to KeptEnd were kept in that line from before, and
    // the note before found them in order or not (see TRVOpenLineNote).
    void NoteOpenLine(const TRVFormatLineState& st, int laidOutFrom, int keptEnd, bool keptTextInOrder);
    void ReopenLastLine(TRVFormatLineState& st, int oldTextWidth, int oldDocumentWidth);
    // Rules before draw item Before take the new document width.
    void WidenRules(int before);
    // The selection as item positions (start item, end item, start offset,
    // end offset), when it names draw items that name items; false otherwise.
    bool NoteSelection(int (&selItems)[4]);
    // Lays out the document anew, or from tailStart on, for widths already set
    // (old: before Format_ set them); true for a full layout.
    bool LayoutDocument(TCanvas* canvas, const TRVScreenAndDevice& sad, bool reformat, TRVTailStart tailStart,
                        int oldTextWidth, int oldDocumentWidth, bool selNoted, const int (&selItems)[4]);
    // Reports the laid-out size, laying out again for a vertical scroll bar
    // that came or went, until the layout is made at the width it leaves.
    void ReportLayoutSize(int textWidth, bool resized, bool force, int Depth, TCanvas* canvas, bool reformat);
    // Lays out items from firstItemNo to the end (a full or a tail layout).
    void LayoutItems(int firstItemNo, TRVFormatLineState& st);
    // Lays out one item on the lines of st: a text item word by word in a
    // justified paragraph, else whole (capitalised for an all-caps style); any
    // other item as itself. Every layout, full, tail or partial, goes through it.
    void LayoutItem(int itemNo, TRVFormatLineState& st);
    void NoteItemWidthUse(int itemNo);
    // crvfdata_lines.cpp
    void FormatTextLine(std::string_view text, int offs, int len, int itemNo, TRVFormatLineState& st);
    // The parts of FormatTextLine: an empty text item as one 0-wide piece; the
    // end of a piece that overflows the line moved back to its last break
    // (false when the rest must go on a new line whole; mustPlace: a piece
    // goes here even without a break); the draw item of a piece of fit
    // characters from offs (from 0), placed on a new or the current line.
    void FormatEmptyText(TCustomRVItemInfo* item, int itemNo, int offs, int pieceAscent, int pieceDescent,
                         bool jump, TRVFormatLineState& st);
    bool BreakTextPiece(TPieceText& chars, int itemNo, int pos, int remaining, bool unicode, bool trim,
                        bool mustPlace, int& fit, bool& trimmedSpace);
    TRVDrawLineInfo* AddTextPiece(TCustomRVItemInfo* item, int itemNo, int offs, int fit, TSize size,
                                  bool newLine, int extra, int pieceAscent, bool firstPiece,
                                  TRVFormatLineState& st);
    void FormatInlineItem(TCustomRVItemInfo* item, int itemNo, TRVFormatLineState& st);
    void FormatFullLineItem(TCustomRVItemInfo* item, int itemNo, TRVFormatLineState& st);
    // Closes the current line and prepares the next; true when a trailing
    // space was dropped from the closed line. Extra: its spacing.
    bool StartNewLine(int itemNo, bool softBreak, TRVFormatLineState& st, int& extra);
    void RaiseLineAscent(int ascent, TRVFormatLineState& st);
    void ApplyTextStyle(int styleNo, int itemNo, TRVFormatLineState& st);
    void InsertDrawItem(TRVDrawLineInfo* dli, int itemNo, bool buildItemJumps, TRVFormatLineState& st);
    // Adds to list the area of hyperlink id over draw item drawItemNo (laid
    // out as dli), as the layout and the renumbering after a partial layout make it.
    void AddJump(const TRVDrawLineInfo* dli, int id, int drawItemNo, TCursor cursor, TList& list);
    void NoteParaStart(int itemNo, int baseLine, int lineDescent, const TRVFormatLineState& st);
    // The place at the top of the view, kept across a layout for a new size:
    // the item and the offset in it of the draw item at the top (its Offs),
    // and the view's distance below the top of the line holding that draw
    // item (a taller item in the line may reach above the draw item's own
    // top). ItemNo -1: none.
    struct TRVTopPlace {
        int ItemNo = -1;
        int Offs = 0;
        int Pixels = 0;
    };
    TRVTopPlace NoteTopPlace();
    // The draw item of the line at y: the first that reaches below it.
    int TopDrawItemAt(int y);
    // The view's offset that puts the line holding the place at the top
    // again, as far into it as before (0 when the item has no draw item).
    int TopPlaceY(const TRVTopPlace& place);
    // crvfdata_partial.cpp: the parts of FormatParasExact. The paragraph
    // spacing between item lastItem and the one after it; the draw items
    // below the range moved and the document height following them (repaint
    // grows to cover what changed); the selection and the pressed draw item
    // renumbered; the hyperlinks numbered again when there are any.
    int SpaceBelowParas(int lastItem, const TRVScreenAndDevice& sad);
    void ShiftBelowParas(int firstBelow, int delta, int itemsInserted, int nextTop, int newBottom,
                         TRect& repaint);
    void MoveSelectionRefs(int selStart, int selEnd, int startDi, int endDi, int moved);
    void RenumberJumps(int firstItem, int lastItem);
    // crvfdata_finish.cpp: the steps of FinishScreenLine. The extra space
    // below the line that its paragraph's line spacing asks for, given to its
    // draw items; the free room shared among the pieces of a justified line
    // that start with a space (a paragraph with a direction of its own is
    // aligned left instead, so a justified line is never mirrored); the
    // pieces of a right-to-left line mirrored.
    int SpaceScreenLine(const TRVScreenAndDevice& sad, const TParaInfo& para, TRVScreenLineToFinish& line);
    void JustifyScreenLine(TRVScreenLineToFinish& line, int free);
    void ReorderRightToLeft(const TRVScreenAndDevice& sad, int first, int last);

    TRVParaStartNote FLastParaStart;
    TRVOpenLineNote FOpenLine;
    // The layout asked whether an item follows the last one (see TRVOpenLineNote).
    bool FLookedPastEnd = false;
    // The draw items of horizontal rules (as wide as the document), in order.
    std::vector<int> FRuleDrawItems;
    TRVMinWidthCache FMinWidthCache;
    // The sizes of whole text items that the minimum width of an unwrapped
    // section measured, kept for the layout that follows in the same Format_
    // so that a line is measured once: items FirstItemNo on, cx -1 where
    // nothing was noted. Only items whose measurement the layout repeats
    // exactly are noted (no style hook, no character spacing, left-to-right
    // reading), at most MaxNotedTextSizes of them; emptied when the layout ends.
    // While noting, the text style (and reading direction) the canvas was
    // last given for an unwrapped section is kept too, so that a run of
    // one-line paragraphs in one style applies it once (-1: none known).
    struct TRVNotedTextSizes {
        bool Noting = false;
        TCanvas* Canvas = nullptr;
        int FirstItemNo = 0;
        std::vector<TSize> Sizes;
        int AppliedStyleNo = -1;
        TRVBiDiMode AppliedBiDiMode = rvbdUnspecified;
    };
    static constexpr int MaxNotedTextSizes = 1 << 16;
    // Measures the item's text for the minimum width, noting its size when noting.
    int MeasureUnwrappedText(int itemNo, const TFontInfo* textStyle, TCanvas* canvas);
    // The noted size of item ItemNo's whole text on Canvas, taken once.
    bool TakeNotedTextSize(int itemNo, TCanvas* canvas, TSize& size);
    void ForgetNotedTextSizes();
    TRVNotedTextSizes FNotedSizes;
    int FFirstNewDrawItem = 0;
    int FLastMinDocWidth = 0;
    // Whether the draw items laid out so far depend on the text or document
    // width (wrapped or aligned paragraphs, non-text items): a tail layout at
    // another width must then lay out everything.
    bool FLayoutUsesWidth = false;
    // The items changed other than by appending since the last full layout.
    bool FLayoutStale = false;
    // Resolutions and margins of the last layout: a tail layout needs the same.
    TRVScreenAndDevice FLayoutSad;
    // Layouts of the items done so far: tells a resize whether anything moved.
    unsigned FLayoutRuns = 0;
};
