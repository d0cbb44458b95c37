// TRVEditRVData: the document data of an editor: a laid-out document with a
// caret, an undo list and a redo list, the primitive operations every edit is
// made of, and the editing commands built from them (insertion, deleting the
// selection, Enter, Delete, Backspace, caret movement).
//
// Its implementation is split by concern:
//   rvervdata.cpp         construction, the host's geometry, undo sequences, positions, protection
//   rvervdata_do.cpp      the primitives (Do_...), each recording its inverse first
//   rvervdata_insert.cpp  inserting an item, deleting the selection, Enter, Reformat_
//   rvervdata_caret.cpp   caret stops, placing the caret, the editor's layout
//   rvervdata_delete.cpp  Delete and Backspace
//   rvervdata_keys.cpp    caret movement keys and hyperlink mode
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "document/rvstyle_info.h"
#include "document/rvstyle_para.h"
#include "edit/rvedithost.h"
#include "edit/rvundo.h"
#include "view/crvfdata.h"

class TRVMarkerList;
class TRVStyle;

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

// The data knows no window: geometry, the caret's painting, beeps and
// invalidation go through Host. The style sheet and the host are the
// caller's and outlive the data. Item numbers count from 0; caret offsets and
// character indices in text items count from 1 (UTF-16 code units in a
// Unicode item); a non-text item has the offsets 0 (before) and 1 (after).
class TRVEditRVData : public TCustomRVFormattedData {
public:
    TRVEditRVData(TRVStyle* AStyle, TRVEditHost* AHost);
    ~TRVEditRVData() override;
    const char* ClassName() const override { return "TRVEditRVData"; }

    // ---- Settings
    TRVStyle* Style;
    TRVEditHost* Host;
    TRVOptions Options;
    // Hyperlinks act only while BuildJumpsCoords has built them.
    TRVFlags Flags{rvflTrim, rvflUseExternalLeading, rvflRoot, rvflRootEditor};
    int LeftMargin = 5;
    int RightMargin = 5;
    int TopMargin = 5;
    int BottomMargin = 5;
    TColor Color = clWindow;
    bool Modified = false;
    // A read-only editor shows no caret (the control's editor option).
    bool HideReadOnlyCaret = false;
    // After every change (Change): the editor's change notification.
    std::function<void()> OnChange;

    // ---- The store's and the layout's environment
    TRVStyle* GetRVStyle() override { return Style; }
    TRVOptions GetOptions() override { return Options; }
    void SetOptions(TRVOptions Value) override { Options = Value; }
    TRVMarkerList* GetMarkers(bool AllowCreate) override;
    void DestroyMarkers() override;
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}
    TRVFlags GetFlags() override { return Flags; }
    void SetFlags(TRVFlags Value) override { Flags = Value; }
    int GetAreaWidth() override { return FAreaWidth >= 0 ? FAreaWidth : GetWidth(); }
    int GetLeftMargin() override { return LeftMargin; }
    int GetRightMargin() override { return RightMargin; }
    int GetTopMargin() override { return TopMargin; }
    int GetBottomMargin() override { return BottomMargin; }
    int GetMinTextWidth() override { return 0; }
    int GetMaxTextWidth() override { return 0; }
    TRVBackground* GetBackground() override { return nullptr; }
    void AdjustVScrollUnits() override {}
    void SetDocumentAreaSize(int Width, int Height, bool UpdateH) override;
    int GetHOffs() override { return Host->GetHOffs(); }
    int GetVOffs() override { return Host->GetVOffs(); }
    int GetWidth() override { return Host->GetWidth(); }
    int GetHeight() override { return Host->GetHeight(); }
    TCanvas* GetCanvas() override { return Host->GetCanvas(); }
    void ScrollTo(int Y, bool) override { Host->ScrollTo(Y); }
    void HScrollTo(int X) override { Host->HScrollTo(X); }
    int GetVSmallStep() override { return 10; }
    TColor GetColor() override { return Color; }
    bool IsAssignedRVMouseUp() override { return false; }
    bool IsAssignedRVMouseDown() override { return false; }
    bool IsAssignedJump() override { return false; }
    bool IsAssignedCheckpointVisible() override { return false; }
    void DoRVMouseUp(TMouseButton, TShiftState, int, int, int) override {}
    void DoRVMouseDown(TMouseButton, TShiftState, int, int, int) override {}
    void DoJump(int) override {}
    void DoRVMouseMove(int) override {}
    void DoCheckpointVisible(TRVCPInfo*) override {}
    TCursor GetNormalCursor() override { return 0; }
    void SetCursor(TCursor Cursor) override { Host->SetCursor(Cursor); }

    // ---- Clearing
    // Also empties both lists, resets the current styles and Modified.
    void Clear() override;
    // Also forgets the caret.
    void ClearTemporal() override;

    // ---- Undo and redo
    std::unique_ptr<TRVUndoList> UndoList;
    std::unique_ptr<TRVUndoList> RedoList;
    TRVUndoDest UndoDest = udNone;
    // The list the primitives record into, or null.
    TRVUndoList* GetUndoList();
    void BeginUndoSequence(TRVUndoType UndoType, bool AllowFinalize);
    void BeginNamedUndoSequence(TRVUndoType UndoType, const AnsiString& Caption, bool AllowFinalize);
    void BeginRedoSequence(TRVUndoType UndoType, const AnsiString& Caption);
    void EndUndoSequence();
    void SetUndoGroupMode(bool GroupUndo);
    // Plays the top group of the undo (redo) list; nothing when it is empty.
    // When a record fails, both lists are cleared, the document is laid out
    // in full and the exception passes on.
    void Undo();
    void Redo();
    // The end of every command: Modified, the redo list cleared unless
    // undoing or redoing (ClearRedo false), the recording destination reset,
    // OnChange.
    void Change() { ChangeEx(true); }
    void ChangeEx(bool ClearRedo);
    // Both lists emptied.
    void ClearUndo();

    // ---- Positions and protection
    int GetCurItemNo();
    int GetOffsetInCurItem();
    int GetParaEndItemNo(int ItemNo) const;
    bool CaretAtTheBeginningOfLine() const;
    bool CaretAtTheEndOfLine() const;
    bool CaretInTheLastLine() const;
    bool CaretAtTheBeginningOfParaSection();
    bool CaretAtTheEndOfParaSection();
    bool IsProtected(int ItemNo, TRVProtectOption Option);
    bool IsParaProtected(int ParaNo, TRVParaOption Option);
    bool IsItemParaProtected(int ItemNo);
    // Beeps when it answers true.
    bool IsSticking(int ItemNo);
    // Inserts at InsertItemNo a copy of the list marker that starts the
    // paragraph of ReferenceItemNo (numbering on, not restarting); false when
    // that paragraph has none.
    bool ReplicateMarker(int ReferenceItemNo, int InsertItemNo, bool& FullReformat);
    // Moves an item position off a list marker.
    void AdjustMarkerPos(int& ItemNo, int& Offs);
    // Moves the caret draw item off a list marker (Offs: the draw-item offset).
    void AdjustMarkerCaret(bool Right, int& Offs);
    // A refusal: the host beeps when the style sheet's UseSound is on.
    void EditBeep();

    // ---- Primitives (rvervdata_do.cpp). FullReformat: whether the document's
    // minimum width may have changed.
    void Do_DeleteItem(int ItemNo, bool& FullReformat);
    void Do_DeleteItems(int FirstItemNo, int LastItemNo, bool& FullReformat);
    // Takes Item; s may be adjusted by the item.
    void Do_InsertItem(int ItemNo, AnsiString& s, TCustomRVItemInfo* Item, bool FromUndo, bool& FullReformat);
    // Takes the items of List (last-first, as Do_DeleteItems keeps them).
    void Do_InsertItems(int ItemNo, TRVItemList& List, bool FromUndo, bool& FullReformat);
    TRVUndoInfo* Do_InsertItems_1(int ItemNo, int Count);
    void Do_InsertItems_2(int ItemNo, int Count, TRVUndoInfo* UndoInfo, bool& FullReformat);
    // Index 1 .. length + 1 (else ERollViewError "Undo error").
    void Do_InsertSubstring(int ItemNo, int Index, const AnsiString& s);
    // Count -1: to the end; the count is cut to the text.
    void Do_DeleteSubstring(int ItemNo, int Index, int Count);
    void Do_ChangeText(int ItemNo, const AnsiString& s);
    void Do_NewLine(int ItemNo, bool SameAsPrev, int ParaNo, bool& FullReformat);
    void Do_BR(int ItemNo, bool BR, bool& FullReformat);
    void Do_PageBreak(int ItemNo, bool PageBreak);
    void Do_Para(int FirstItemNo, int LastItemNo, int ParaNo, bool& FullReformat);
    void Do_ParaList(int FirstItemNo, const std::vector<int>& List, bool& FullReformat);
    void Do_StyleNo(int ItemNo, int StyleNo);
    // Exchanges the item object for NewItem (taken) with text s; NewItem
    // takes the old one's paragraph, options, checkpoint and hyperlink number.
    void Do_ModifyItem(int ItemNo, const AnsiString& s, TCustomRVItemInfo* NewItem);
    // Exchanges the item object for NewItem (taken), keeping the text and
    // every field but NewItem's style.
    void Do_ReplaceItem(int ItemNo, TCustomRVItemInfo* NewItem);
    // A rectangular item's vertical alignment (ERollViewError for other items).
    void Do_ChangeVAlign(int ItemNo, TRVVAlign VAlign);
    void Do_ExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value);
    // Nothing now: undoing lays out items StartItemNo..EndItemNo (and the root document).
    void Do_ReformateRange(int StartItemNo, int EndItemNo, bool SuperReformat);
    // Nothing now: a bracket around changes of an item's properties.
    void Do_ItemModifyTerminator(int ItemNo, bool Opening);
    void Do_Tag(int ItemNo, const TRVTag& Tag);
    // Takes Checkpoint; ItemNo -1: the document's end.
    void Do_AddCP(int ItemNo, TRVCPInfo* Checkpoint);
    void Do_DeleteCP(int ItemNo);
    // True when the document's minimum width may have changed.
    bool Do_Concate(int ItemNo);
    void SetParaStyle(int FirstItemNo, int LastItemNo, int ParaNo, bool& FullReformat);
    // Makes item ItemNo continue the line before it (Do_NewLine), or, after a
    // full-width item, which nothing continues, start a paragraph.
    void JoinLine(int ItemNo, bool& FullReformat);
    // After items were removed before ItemNo: the item that moved up keeps
    // the document sound (the first item and an item after a full-width one
    // start a paragraph; an item continuing a paragraph takes its style).
    void SettleAfterRemoval(int ItemNo, bool& FullReformat);
    // Frees an item that no list keeps, telling the document first.
    void DisposeItem(TCustomRVItemInfo* Item);
    void DisposeCheckpoint(TRVCPInfo* Checkpoint);

    // ---- Commands (rvervdata_insert.cpp)
    TCustomRVItemInfo* CreateTextItem(const TRVTag& Tag, int ParaNo, int StyleNo, bool SameAsPrev, bool BR);
    // A text item like Source (its tag copied, no checkpoint).
    TCustomRVItemInfo* CreateTextItemLike(int SourceItemNo, bool SameAsPrev);
    TCustomRVItemInfo* InsString(const AnsiString& s, int Index, const TRVTag& Tag, int ParaNo, int StyleNo,
                                 bool SameAsPrev, bool BR, bool& FullReformat);
    TCustomRVItemInfo* InsEmptyString(int Index, const TRVTag& Tag, int ParaNo, int StyleNo, bool SameAsPrev,
                                      bool BR);
    bool InsertSomething(TCustomRVItemInfo*& Item, AnsiString& s, bool AutoTag, bool CaretBefore);
    bool InsSomething(TCustomRVItemInfo*& Item, AnsiString& s, bool AutoTag, int& InsertPoint,
                      int& ItemsAdded, bool& FullReformat);
    bool CanDelete();
    bool DeleteSelection_();
    void Reformat_(bool FullFormat, int StartDrawItemNo, int EndDrawItemNo, int ItemsAdded);
    void OnEnterPress_(bool Shift);

    // ---- The caret (rvervdata_caret.cpp)
    std::vector<TRVCharPos> CharPos;
    int CaretDrawItemNo = -1;
    int CaretOffs = -1;
    int CaretHeight = 0;
    // The caret rectangle last given to the host, document coordinates.
    TRect CaretRect;
    int CurTextStyleNo = 0;
    int CurParaStyleNo = 0;
    int LastAutoTextStyleNo = 0;
    // The document's minimum width at its last layout.
    int DocumentMinWidth = 0;
    void OnChangeCaretLine(int DIOffs);
    void ChangeCaret(bool ForceCreate, bool ScrollToCaret, bool KeepStyles, bool RefreshFirst);
    // The caret at an item position (marker-adjusted), placed and shown.
    void SetCaretAtItem(int ItemNo, int Offs, bool ApplyPara);
    void PrepareForEdit();
    void Format_(bool Resized, bool Force, bool NoScroll, int Depth, TCanvas* Canvas, bool Tail,
                 bool Reformat) override;
    // The whole document laid out on the host's canvas.
    void FormatAll() { Format_(false, true, false, 0, nullptr, false, false); }

    // ---- Delete and Backspace (rvervdata_delete.cpp)
    void OnDeletePress_(bool Ctrl, bool Inner);
    void OnBackSpacePress_(bool Ctrl, bool FromDelete, bool Retry);

    // ---- Caret keys (rvervdata_keys.cpp); true: the caret wanted to leave the document.
    bool OnHomePress(bool Ctrl);
    bool OnEndPress(bool Ctrl);
    bool OnLeftPress(bool Shift, bool Ctrl);
    bool OnRightPress(bool Shift, bool Ctrl);
    bool OnUpPress(bool Shift, bool Ctrl);
    bool OnDownPress(bool Shift, bool Ctrl);
    bool OnPgUpPress();
    bool OnPgDownPress();
    using TCustomRVFormattedData::BuildJumpsCoords;
    int BuildJumpsCoords(bool Force);
    void ClearJumpsCoords();

private:
    void AddRecord(std::unique_ptr<TRVUndoInfo> Info);
    // The document's minimum width differs from the one of its last layout
    // (measured over the whole document: for joins of paragraphs only).
    bool MinWidthChanged() { return CalculateMinDocWidthPlus(nullptr, nullptr) != DocumentMinWidth; }
    void MoveCaretTo(int DrawItemNo, int DrawOffs);
    void ChangeItemText(int ItemNo, const AnsiString& s);
    int RemovableCharsBefore(int ItemNo, int Index, bool Ctrl, bool FromDelete);
    void DeleteWholeItemOnBackspace(int ItemNo, int ParaFirstDI, int ParaLastDI);
    void JoinWithPreviousPara(int ItemNo, int ParaFirstDI, int ParaLastDI);
    void JoinWithNextPara(int ItemNo, int ParaFirstDI, int ParaLastDI);
    void ReformatAndPlace(bool Full, int FirstDI, int LastDI, int Added, int ItemNo, int Offs,
                          bool ApplyPara);
    bool InsertAtNonText(TCustomRVItemInfo*& Item, int CaretItem, bool After, int& InsertPoint,
                         int& WantedPara, bool& FullReformat);
    bool FindDrawItemAt(int X, int Y, int& DrawItemNo, int& DrawOffs);

    std::unique_ptr<TRVMarkerList> FMarkers;
    int FAreaWidth = -1;
    bool FPlaying = false;
};
