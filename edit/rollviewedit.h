// The editor control TCustomRollViewEdit / TRollViewEdit: a viewer whose
// document data is a TRVEditRVData. Besides everything a viewer does (layout
// on its measuring canvas, buffered painting, the mouse and its selection,
// hyperlinks, scrolling, printing) it paints its own blinking caret, maps the
// platform's key messages to the editing commands, sends typed characters
// through one checked path, and runs every change through the change protocol
// (BeforeChange, the command, DoChange) with OnChanging and OnChange.
//
// Its implementation is split by concern:
//   rollviewedit.cpp       construction, settings, the caret and its painting, the change protocol
//   rollviewedit_keys.cpp  key messages, typed characters, the messages of an edit control
//   rollviewedit_text.cpp  inserting and typing text at the caret
//   rollviewedit_insert.cpp      documents, text files and pictures inserted at the caret
//   rollviewedit_clipboard.cpp   pasting, cutting, the clipboard's formats and messages
//   rollviewedit_ime.cpp         input methods: committed and pre-edit text, the caret told
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "edit/rvervdata.h"
#include "view/rollview.h"
#include "view/rvviewtypes.h"

class TGraphic;
class TRVStyle;
class TStream;
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
// Asked before a paste; DoDefault false cancels it.
using TRVPasteEvent = std::function<void(TCustomRollViewEdit* sender, bool& doDefault)>;

// The messages an editor posts to itself to undo (redo) after closing an open
// cell editor.
inline constexpr UINT WM_RVUNDOFROMINPLACE = WM_USER + 13;
inline constexpr UINT WM_RVREDOFROMINPLACE = WM_USER + 14;
// Runs the calls the document data deferred (Defer).
inline constexpr UINT WM_RVDEFERRED = WM_USER + 16;

// The editor. Its document data (RVData, made by the viewer through the data
// class) is a TRVEditRVData; it refers to a style sheet it does not own, and
// without one every change is refused. The caret is a rectangle the control
// paints itself over the viewer's buffered picture, blinking while the
// control has the focus.
class TCustomRollViewEdit : public TCustomRollView {
public:
    explicit TCustomRollViewEdit(TComponent* aOwner);
    ~TCustomRollViewEdit() override;
    const char* ClassName() const override { return "TCustomRollViewEdit"; }

    // The document data, as the editor's.
    TRVEditRVData* EditRVData() const { return static_cast<TRVEditRVData*>(RVData); }

    // ---- Settings
    // Without a style sheet the document stays but nothing is edited and no
    // caret shows.
    void SetStyle(TRVStyle* value) override;
    // Set by every completed change; the owner clears it.
    bool Modified = false;
    virtual bool GetReadOnly() const { return FReadOnly; }
    // True: the document's hyperlinks are built and work; False: they go.
    // Either way the caret is placed again without scrolling.
    virtual void SetReadOnly(bool value);
    TRVEditorOptions EditorOptions() const { return FEditorOptions; }
    void SetEditorOptions(TRVEditorOptions value) { FEditorOptions = value; }
    int UndoLimit() const { return EditRVData()->UndoList->Limit; }
    void SetUndoLimit(int value) { EditRVData()->UndoList->Limit = value; }
    // Only rvtnNone is accepted; any other value raises ERollViewError.
    void SetTabNavigation(TRVTabNavigationType value);
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { --FUpdateCount; }
    int CurTextStyleNo() const { return EditRVData()->CurTextStyleNo; }
    // Fires OnCurTextStyleChanged when the style changes (or rvstForceStyleChangeEvent asks).
    void SetCurTextStyleNo(int value);
    int CurParaStyleNo() const { return EditRVData()->CurParaStyleNo; }
    void SetCurParaStyleNo(int value);
    int GetCurItemNo() { return EditRVData()->GetCurItemNo(); }
    int GetOffsetInCurItem() { return EditRVData()->GetOffsetInCurItem(); }
    bool CanDelete() { return EditRVData()->CanDelete(); }

    // ---- The change protocol
    // False (after a beep when the style sheet's UseSound is on) when the
    // editor is read-only, has no style sheet, an item holds the mouse (for a
    // change from inside), or OnChanging refuses.
    virtual bool BeforeChange(bool fromOutside);
    bool CanChange() { return BeforeChange(true); }
    // The end of every change that happened: Modified, soft page breaks and
    // hyperlink areas cleared, the redo list cleared with ClearRedo, OnChange.
    virtual void DoChange(bool clearRedo);
    void Change() { EditRVData()->Change(); }
    // The BeginUpdate nesting: change events are not fired while above 0.
    int UpdateCount() const { return FUpdateCount; }

    // ---- Commands
    // Undo and redo are changes too: refused as any other.
    virtual void Undo();
    virtual void Redo();
    virtual void DeleteSelection();
    // Text at the caret in the current text style, replacing the selection,
    // as one undo group; tabs become SpacesInTab spaces and line breaks start
    // paragraphs (see TRVEditRVData::InsertText_). False when refused or when
    // nothing was inserted. 8-bit text is in the current style's code page;
    // InsertTextW first switches an 8-bit current style to the style sheet's
    // DefUnicodeStyle when it has one (BeforeUnicode).
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

    // ---- What the document data asks of its control
    // An audible refusal (asked only when the style sheet's UseSound is on).
    void Beep();
    // The caret rectangle (client pixels) painted and blinked; Visible false hides it.
    void SetCaret(const TRect& rect, bool visible);
    // Runs Call later, from the control's event loop.
    void Defer(std::function<void()> call);
    // OnCaretMove, unless the control is being destroyed.
    void AfterCaretMove();

    void Dispatch(TMessage& message) override;

    // ---- An open cell editor (rollviewedit_forward.cpp). While one is open
    // over a table cell, the commands above act on it instead.
    // The open cell editor, or null.
    TCustomRollViewEdit* CellEditor();
    // The innermost editor: the cell editor's cell editor, and so on.
    TCustomRollViewEdit* GetTopLevelEditor();

    // ==== The clipboard, and documents, pictures and text files inserted at
    // the caret (rollviewedit_clipboard.cpp, rollviewedit_insert.cpp). Each
    // insertion replaces the selection and is one undo group; a refusal
    // (BeforeChange, a selection that cannot go) beeps and changes nothing.

    // Clipboard formats read, in the order Paste prefers them: "RollView Format"
    // (a 4-byte little-endian length N, then N bytes of RVF), "Rich Text
    // Format", Unicode text, ANSI text, a picture, a metafile.
    virtual bool CanPaste();
    bool CanPasteRVF();
    bool CanPasteRTF();
    // BeforeChange, OnPaste (which may cancel), then the first format the
    // clipboard holds; a failure beeps (nothing half-pasted stays unrecorded).
    virtual void Paste();
    void PasteRVF();
    // RTF; pictures it names relatively are looked for beside the source page
    // that "HTML Format" names (GetBasePathFromHTMLInClipboard).
    void PasteRTF();
    // Text converted into the current text style's form (code-page rules for
    // an 8-bit style).
    void PasteText();
    void PasteTextW();
    // A picture item; TextAsName: the clipboard's text becomes its name.
    void PasteBitmap(bool textAsName);
    void PasteMetafile(bool textAsName);
    // Copies the selection (the viewer's CopyDef) and deletes it.
    void CutDef();
    // The folder of the "SourceURL:" of "HTML Format", read as a URL: a local
    // file's folder (file:// with its %-escapes decoded) with a trailing '/',
    // or a web address's folder (http://, https://) with a trailing '/'; empty
    // when there is none.
    AnsiString GetBasePathFromHTMLInClipboard();

    // RVF or RTF read whole from the stream's position, then put at the caret.
    // False when refused or when nothing was inserted (unreadable input).
    bool InsertRVFFromStreamEd(TStream* stream);
    bool InsertRTFFromStreamEd(TStream* stream);
    bool InsertRVFFromFileEd(const AnsiString& fileName);
    bool InsertRTFFromFileEd(const AnsiString& fileName);
    // A text file: 8-bit in the current style's code page, OEM, or UTF-16 with
    // or without a byte-order mark. False when refused or unreadable; a UTF-16
    // file of odd size raises ERollViewError with nothing inserted.
    bool InsertTextFromFile(const AnsiString& fileName);
    bool InsertOEMTextFromFile(const AnsiString& fileName);
    bool InsertTextFromFileW(const AnsiString& fileName);
    // A picture item owning Graphic (freed when the insertion is refused).
    bool InsertPicture(const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign);
    // An 8-bit current text style becomes the style sheet's DefUnicodeStyle
    // when that names a text style.
    void BeforeUnicode();

    TRVPasteEvent OnPaste;

    // ==== Input methods (rollviewedit_ime.cpp)
    // The text an input method is composing and its cursor (code units): shown
    // at the caret over the document, in the current text style; it is not part
    // of the document and nothing of it is recorded.
    const WideString& CompositionText() const { return FComposition; }
    int CompositionCursor() const { return FCompositionCursor; }

protected:
    // An editor whose document data is made by DataClass (a TRVEditRVData).
    TCustomRollViewEdit(TComponent* aOwner, TRollViewRVDataClass dataClass);
    // Clears and frees the document data. The data calls back into its
    // control (the caret, beeps, events, and what a derived editor answers):
    // a derived editor whose data asks it calls this in its own destructor,
    // while it is whole; the destructor here calls it otherwise.
    void FreeDocument();

    virtual void CurTextStyleChange();
    virtual void CurParaStyleChange();
    virtual bool DoChanging();
    // A hook for derived editors, called when the selection changes.
    virtual void Selecting() {}
    void Paint() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void AfterVScroll() override;
    void AfterHScroll() override;

    friend class TRVEditRVData;

private:
    // ---- Keys (rollviewedit_keys.cpp)
    bool PrepareKey(WORD& key, TShiftState shift, bool& selectionChanged);
    void ActOnKey(WORD& key, TShiftState shift, bool selectionChanged);
    void WMChar(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    bool HandleEditMessage(TMessage& message);
    void FireGetOut(bool result, TRVGetOutDirection direction);

    // Undo (Redo) with a cell editor open: the cell editor's when it has
    // something to undo; else this editor's, after the cell editor closed
    // (posted). False without a cell editor.
    bool ForwardUndo(bool redo);

    // ---- Text (rollviewedit_text.cpp)
    // The one road of typed text into the document; the caller has asked BeforeChange.
    void TypeText(const WideString& units);
    // Units in the form of the current text style: raw UTF-16 or its code page.
    AnsiString TextForStyle(const WideString& units, int styleNo) const;
    bool TypeIntoCaretItem(const AnsiString& s, int units);
    void InsertNewTextItem(const AnsiString& s, bool caretBefore);
    bool BeforeInserting();
    void AfterInserting();

    // ---- The clipboard and insertions (rollviewedit_clipboard.cpp, rollviewedit_insert.cpp)
    // Runs Insert inside BeforeInserting / AfterInserting; an exception closes
    // the group, lays the document out whole and passes on. False when refused.
    bool InsertInGroup(const std::function<bool()>& insert);
    void HandleClipboardMessage(TMessage& message);

    // ---- Input methods (rollviewedit_ime.cpp)
    // Tells the input method where the caret is and which font the current text style has.
    void TellInputMethod();
    void WMImeStartComposition(TMessage& message);
    void WMImeComposition(TMessage& message);
    void TypeCommitted(const WideString& text);
    void SetComposition(const WideString& text, int cursor);
    TRect CompositionRect();
    void InvalidateComposition();
    // Paints the text being composed and its cursor; false when there is none.
    bool PaintComposition(TCanvas* canvas);
    WideString FComposition;
    int FCompositionCursor = 0;

    void BlinkCaret(TObject*);
    void InvalidateCaret();
    void RunDeferred();

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

protected:
    TRollViewEdit(TComponent* aOwner, TRollViewRVDataClass dataClass) : TCustomRollViewEdit(aOwner, dataClass)
    {}
};
