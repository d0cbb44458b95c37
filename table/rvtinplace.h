// The in-place cell editor: a borderless editor without scroll bars that a
// table lays exactly over the cell being edited, holding the cell's items for
// the time of the edit. It scrolls the document around the table instead of
// itself (unless the cell is taller than 10000 pixels), leaves the cell with
// Tab and Shift+Tab, passes undo and redo it cannot serve to the editor that
// holds the table, follows that editor's read-only state and settings, paints
// the cell's (or the table's) background under its text, and defers its
// clicks, hyperlinks and drops to the viewer that shows the whole document.
//
//   rvtinplace.cpp        the control and its document data
//   rvtinplace_free.cpp   closing the control, and handing its freeing to FreeLater
//   rvtinplace_table.cpp  the table's side: opening, closing, parking, merging undo
#pragma once

#include <cstdint>

#include "edit/rollviewedit.h"
#include "platform/controls/freelater.h"
#include "platform/core/callhold.h"
#include "table/rvtable.h"

class TRVTableInplaceEdit;

// Moves the editor to a neighbouring cell (WParam: a TRVCellDirection).
inline constexpr UINT WM_RVMOVEEDITOR = WM_USER + 10;
// Undo (redo) in the cell editor, as its own undo (redo) does, when a program
// posts it; the cell's undo record plays the cell's edits in the editor itself.
inline constexpr UINT WM_RVINPLACEUNDO = WM_USER + 11;
inline constexpr UINT WM_RVINPLACEREDO = WM_USER + 12;
// Posted to the application with the closed cell editors (and whatever else
// waits to be freed), which it frees.
inline constexpr UINT WM_RVFREEINPLACE = WM_FREELATER;
// The editor's height at most; a taller cell makes the editor scroll itself.
inline constexpr int RVInplaceMaxHeight = 10000;

// The cell editor cannot close now (a cell selection started inside it runs).
class ERVTableInplaceError : public ERollViewError {
public:
    using ERollViewError::ERollViewError;
};

using TRVTableInplaceChangeEvent = TEvent<void(TCustomRollViewEdit* sender, bool clearRedo)>;

// The cell editor's document: the cell's items while the cell is edited.
class TRVTableInplaceRVData : public TRVEditRVData {
public:
    explicit TRVTableInplaceRVData(TCustomRollView* aRollView) : TRVEditRVData(aRollView) {}
    const char* ClassName() const override { return "TRVTableInplaceRVData"; }
    static TRollViewRVData* Create(TCustomRollView* aRollView)
    {
        return new TRVTableInplaceRVData(aRollView);
    }

    TRVTableInplaceEdit* Editor() const;
    // The edited cell; null while there is none (or no cell editor yet or still).
    TRVTableCellData* EditedCell() const;
    // Set by every report of the laid-out size; Resized reads and clears it.
    bool ResizedFlag = false;
    // The document's change count when its last layout ended.
    uint64_t LaidOutChanges = 0;

    void SetDocumentAreaSize(int width, int height, bool updateH) override;
    // The document around the table scrolls (the editor itself only for a tall cell).
    void ShowRectangle(int left, int top, int width, int height) override;
    void GetOriginEx(int& x, int& y) override;
    TCustomRVData* GetSourceRVData() override;
    TCustomRVData* GetAbsoluteParentData() override;
    TCustomRVData* GetAbsoluteRootData() override;
    void GetParentInfo(int& parentItemNo, TRVStoreSubRVData*& location) override;
    void DoRVDblClick(const AnsiString& clickedWord, int styleNo) override;
    void DoJump(int id) override;
    void DrawBackground(TCanvas* canvas, const TRect& rect) override;
    TRVBackground* GetBackground() override;
    void Formatted(int firstItemNo, int lastItemNo, bool partial) override;
};

class TRVTableInplaceEdit : public TRollViewEdit {
public:
    explicit TRVTableInplaceEdit(TComponent* aOwner);
    ~TRVTableInplaceEdit() override;
    const char* ClassName() const override { return "TRVTableInplaceEdit"; }

    TRVTableInplaceRVData* InplaceData() const { return static_cast<TRVTableInplaceRVData*>(RVData); }

    // ---- What the table sets and reads
    TCustomRVFormattedData* ParentData = nullptr;
    TRVTableItemInfo* Table = nullptr;
    TRVTableCellData* Cell = nullptr;
    int Row = -1;
    int Col = -1;
    int TableItemNo = -1;
    bool Clearing = false;
    // A cell selection was started by a press inside the editor.
    bool MouseSelecting = false;
    bool Transparent = false;
    // Platform tick at creation; 0 after the first press.
    unsigned CreationTick = 0;
    // The creation tick := now (a click that opened the editor).
    void StampCreation();
    bool TallCell = false;
    TRVTableInplaceChangeEvent OnChangeEx;
    // Called after each layout of the document when assigned.
    TNotifyEvent OnFormatted;

    void SetCell(int row, int col, TRVTableItemInfo* table, int margin);
    void SetParentRVData(TCustomRVFormattedData* data);
    void SetClearingState() { Clearing = true; }
    // Whether the document's size was reported since the last ask (and forgets it).
    bool Resized();
    // Painted as one of the selected cells (the selection colour), or not.
    void SelectCompletely(bool select);
    // The colour of the edited cell and whether the table's background shows
    // through it; while the editor shows the selection colour, the cell's
    // colour comes back when the selection goes.
    void SetCellColor(TColor color, bool transparent);
    // The press that opened the editor, at an editor client point.
    void PressFromTable(TMouseButton button, TShiftState shift, int x, int y);
    // The cell the editor edits, and its document.
    TRVTableCellData* GetEditedCell() const { return Cell; }
    TCustomRVFormattedData* GetEditorData() const { return InplaceData(); }
    // The cell was laid out (Force: afresh) at Width: the editor follows, its
    // document laid out again when the width changed, when forced, or when the
    // document changed since its last layout (a table inside it changed by an
    // operation that closed that table's own cell editor).
    void SetEditorWidth(int width, bool force);
    // The editor whose document holds the table, or null in a viewer.
    TCustomRollViewEdit* HoldingEditor() const;

    // ---- Closing and freeing. Closing takes the editor out of the document
    // at once: a cell editor open inside it first, its items back in the cell,
    // its history given to the document, the focus back to the holder when
    // the editor had it. Freeing waits: the editor's own code, or a program's
    // handler it called, may be what closes it (a key moving to another cell,
    // a record played in it, a handler running a table operation), and the
    // code returns into the editor. A closed editor is freed as
    // platform/controls/freelater.h says: never while a message is handled, a
    // program's handler runs or an undo plays (TCallHold), by the message
    // loop, or by the next cell editor to open from a program's own call.
    // An editor freed with its parent control closes then.
    // Closes the editor (once; nothing after).
    void Close();
    // Closes the editor and hands its freeing to FreeLater, hidden and tied to
    // nothing. Without an application the editor stays its parent's, freed
    // with it.
    void Release();
    // Frees the closed editors that wait, unless a hold is on (FreeWaiting).
    // Called as a program opens a cell (TRVTableItemInfo::EditCell), so that
    // a program without a message loop keeps at most the editors closed
    // since it last opened one.
    static void FreeClosed();
    // Closed: no longer the table's editor, waiting to be freed.
    bool Closed() const { return FClosed; }

    // ---- Overrides of the editor
    void Undo() override;
    void Redo() override;
    bool BeforeChange(bool fromOutside) override;
    bool GetReadOnly() const override;
    void SetReadOnly(bool value) override;
    TRVRTFReaderProperties* GetRTFReadProperties() override;
    TCanvas* GetFormattingCanvas() override;
    void SetVPos(int value, bool redraw) override;
    void SetHPos(int value) override;
    void Dispatch(TMessage& message) override;
    void WndProc(TMessage& message) override;
    // A drop on the editor goes to the viewer that shows the whole document,
    // after the drop's own handling, in that viewer's client coordinates.
    void DragDrop(TObject* source, int x, int y) override;

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Click() override;
    // The end of a drag from the editor goes to the viewer, as a drop does.
    void DoEndDrag(TObject* target, int x, int y) override;
    void DoChange(bool clearRedo) override;

private:
    void MoveEditor(TRVCellDirection direction);
    TCustomRollView* RootViewer() const;
    TCustomRollView* ParentViewer() const;
    TColor FSavedColor = clNone;
    bool FClosed = false;
    bool FReleased = false;
};
