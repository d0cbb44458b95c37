// The editor control TCustomRollViewEdit / TRollViewEdit: a scrolling window
// over an editor's document data (TRVEditRVData) that is that data's host. It
// paints the document and its own blinking caret, maps the platform's key
// messages to the editing commands, sends typed characters through one
// checked path, and runs every change through the change protocol
// (BeforeChange, the command, Change) with OnChanging and OnChange.
//
// Its implementation is split by concern:
//   rollviewedit.cpp       construction, the host, painting and the caret, the change protocol
//   rollviewedit_keys.cpp  key messages, typed characters, the messages of an edit control
//   rollviewedit_text.cpp  inserting and typing text at the caret
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "edit/rvedithost.h"
#include "edit/rvervdata.h"
#include "view/rvscroll.h"
#include "view/rvviewtypes.h"

class TRVStyle;
class TTimer;

enum TRVEditorOption : uint8_t {
    rvoClearTagOnStyleApp,
    rvoCtrlJumps,
    rvoDoNotWantReturns,
    rvoDoNotWantShiftReturns,
    rvoWantTabs,
    rvoAutoSwitchLang,
    rvoHideReadOnlyCaret,
    rvoNoImageResize,
};
using TRVEditorOptions = TRVSet<TRVEditorOption, uint8_t>;

enum TRVGetOutDirection : uint8_t { rvdLeft, rvdUp, rvdRight, rvdDown, rvdTop, rvdBottom };

class TCustomRollViewEdit;
using TRVChangingEvent = std::function<void(TCustomRollViewEdit* sender, bool& canEdit)>;
using TRVOnCaretGetOutEvent = std::function<void(TCustomRollViewEdit* sender, TRVGetOutDirection direction)>;

// The messages an editor posts to itself to undo (redo) after closing an open
// cell editor.
inline constexpr UINT WM_RVUNDOFROMINPLACE = WM_USER + 13;
inline constexpr UINT WM_RVREDOFROMINPLACE = WM_USER + 14;
// Runs the calls the document data deferred (TRVEditHost::Defer).
inline constexpr UINT WM_RVDEFERRED = WM_USER + 16;

// The editor. Owns its document data; refers to a style sheet it does not own.
// Without a style sheet every change is refused. The caret is a rectangle the
// control paints itself, blinking while the control has the focus.
class TCustomRollViewEdit : public TRVScroller, public TRVEditHost {
public:
    explicit TCustomRollViewEdit(TComponent* aOwner);
    ~TCustomRollViewEdit() override;
    const char* ClassName() const override { return "TCustomRollViewEdit"; }

    // The document data; owned.
    TRVEditRVData* RVData() const { return FData.get(); }

    // ---- Settings
    TRVStyle* Style() const { return FStyle; }
    void SetStyle(TRVStyle* value);
    bool Modified() const { return FData->Modified; }
    virtual bool GetReadOnly() const { return FReadOnly; }
    virtual void SetReadOnly(bool value);
    TRVEditorOptions EditorOptions() const { return FEditorOptions; }
    void SetEditorOptions(TRVEditorOptions value);
    int UndoLimit() const { return FData->UndoList->Limit; }
    void SetUndoLimit(int value) { FData->UndoList->Limit = value; }
    // Only rvtnNone is accepted; any other value raises ERollViewError.
    void SetTabNavigation(TRVTabNavigationType value);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { --FUpdateCount; }
    int CurTextStyleNo() const { return FData->CurTextStyleNo; }
    void SetCurTextStyleNo(int value);
    int CurParaStyleNo() const { return FData->CurParaStyleNo; }
    void SetCurParaStyleNo(int value);
    int GetCurItemNo() { return FData->GetCurItemNo(); }
    int GetOffsetInCurItem() { return FData->GetOffsetInCurItem(); }
    bool CanDelete() { return FData->CanDelete(); }

    // ---- The document: lays out all of it and places the caret.
    void Format();
    void Clear();

    // ---- The change protocol
    // False (after a beep when the style sheet's UseSound is on) when the
    // editor is read-only, has no style sheet, or OnChanging refuses.
    virtual bool BeforeChange(bool fromOutside);
    bool CanChange() { return BeforeChange(true); }
    // The end of every command: Modified, the redo list cleared, OnChange.
    void Change() { FData->Change(); }

    // ---- Commands
    virtual void Undo();
    virtual void Redo();
    virtual void DeleteSelection();
    // Text at the caret in the current text style, replacing the selection;
    // tabs become SpacesInTab spaces. Line breaks are refused (false), as is
    // a change BeforeChange refuses.
    bool InsertText(const AnsiString& s, bool caretBefore = false);
    bool InsertTextW(const WideString& s, bool caretBefore = false);
    void OnBackSpacePress(bool ctrl);
    void OnDeletePress(bool ctrl);
    void OnEnterPress(bool shift);

    // ---- Events
    TNotifyEvent OnChange;
    TRVChangingEvent OnChanging;
    TNotifyEvent OnCaretMove;
    TNotifyEvent OnCurTextStyleChanged;
    TNotifyEvent OnCurParaStyleChanged;
    TRVOnCaretGetOutEvent OnCaretGetOut;

    // ---- The caret as painted: the rectangle in client pixels, whether it
    // is meant to show and whether the blink has it on now.
    const TRect& CaretRect() const { return FCaretRect; }
    bool CaretVisible() const { return FCaretVisible; }
    bool CaretBlinkOn() const { return FCaretBlinkOn; }
    static constexpr unsigned CaretBlinkMs = 530;

    void Dispatch(TMessage& message) override;

    // ---- TRVEditHost
    void Beep() override;
    void SetCaret(const TRect& rect, bool visible) override;
    bool Focused() override { return TWinControl::Focused(); }
    bool ReadOnly() override { return GetReadOnly(); }
    void Defer(std::function<void()> call) override;
    void SetCursor(TCursor cursor) override;
    void Invalidate() override { TRVScroller::Invalidate(); }
    int GetHOffs() override { return HPos(); }
    int GetVOffs() override { return VPos() * VSmallStep(); }
    int GetWidth() override { return ClientWidth(); }
    int GetHeight() override { return ClientHeight(); }
    void ScrollTo(int y) override { TRVScroller::ScrollTo(y); }
    void HScrollTo(int x) override { SetHPos(x); }
    void SetDocumentAreaSize(int width, int height) override;
    TCanvas* GetCanvas() override { return HandleAllocated() ? Canvas() : nullptr; }
    void CaretMoved() override;

protected:
    virtual void CurTextStyleChange();
    virtual void CurParaStyleChange();
    virtual bool DoChanging();
    void Paint() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void AfterVScroll() override;
    void AfterHScroll() override;
    void AfterCreateWnd2() override;
    void Notification(TComponent* aComponent, TOperation operation) override;

private:
    // ---- Keys (rollviewedit_keys.cpp)
    bool PrepareKey(WORD& key, TShiftState shift, bool& selectionChanged);
    void ActOnKey(WORD& key, TShiftState shift, bool selectionChanged);
    void WMChar(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    bool HandleEditMessage(TMessage& message);
    void FireGetOut(bool result, TRVGetOutDirection direction);

    // ---- Text (rollviewedit_text.cpp)
    // The one road of typed text into the document; the caller has asked BeforeChange.
    void TypeText(const WideString& units);
    // Units in the form of the current text style: raw UTF-16 or its code page.
    AnsiString TextForStyle(const WideString& units, int styleNo) const;
    bool TypeIntoCaretItem(const AnsiString& s, int units);
    void InsertNewTextItem(const AnsiString& s, bool caretBefore);
    bool BeforeInserting();
    void AfterInserting();

    void BlinkCaret(TObject*);
    void InvalidateCaret();
    void RunDeferred();

    std::unique_ptr<TRVEditRVData> FData;
    TRVStyle* FStyle = nullptr;
    bool FReadOnly = false;
    TRVEditorOptions FEditorOptions{rvoClearTagOnStyleApp};
    int FUpdateCount = 0;
    TTimer* FCaretTimer = nullptr;
    TRect FCaretRect;
    bool FCaretVisible = false;
    bool FCaretBlinkOn = false;
    std::deque<std::function<void()>> FDeferred;
    // A high surrogate typed, waiting for its low half.
    WideChar FPendingHigh = 0;
};

class TRollViewEdit : public TCustomRollViewEdit {
public:
    explicit TRollViewEdit(TComponent* aOwner) : TCustomRollViewEdit(aOwner) {}
    const char* ClassName() const override { return "TRollViewEdit"; }
};
