// The editor control TCustomRollViewEdit / TRollViewEdit: a viewer whose
// document data is a TRVEditRVData. Besides everything a viewer does (layout
// on its measuring canvas, buffered painting, the mouse and its selection,
// hyperlinks, scrolling, printing) it paints its own blinking caret, maps the
// platform's key messages to the editing commands, sends typed characters
// through one checked path, and runs every change through the change protocol
// (BeforeChange, the command, DoChange) with OnChanging and OnChange.
//
// Its implementation is split by concern:
//   rollviewedit.cpp             construction, settings, the caret and its painting, the change protocol
//   rollviewedit_keys.cpp        key messages, typed characters, the messages of an edit control
//   rollviewedit_text.cpp        inserting and typing text at the caret
//   rollviewedit_styles.cpp      applying text, paragraph and list styles, page breaks
//   rollviewedit_items.cpp       the item at the caret, item properties, controls, checkpoints
//   rollviewedit_undo.cpp        the undo API, search and selection, copying events
//   rollviewedit_insert.cpp      documents, text files and pictures inserted at the caret
//   rollviewedit_clipboard.cpp   pasting, cutting, the clipboard's formats and messages
//   rollviewedit_ime.cpp         input methods: committed and pre-edit text, the caret told
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "platform/core/callhold.h"
#include "view/rollview.h"
#include "view/rvviewtypes.h"

class TControl;
class TCustomImageList;
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

// How key strokes become Unicode characters. Key events here carry the text
// they type, so both ways take that text.
enum TRollViewUnicodeInput : uint8_t { rvuiStandard, rvuiAlternative };
extern TRollViewUnicodeInput RollViewUnicodeInput;

enum TRVGetOutDirection : uint8_t { rvdLeft, rvdUp, rvdRight, rvdDown, rvdTop, rvdBottom };

class TCustomRollViewEdit;
using TRVChangingEvent = TEvent<void(TCustomRollViewEdit* sender, bool& canEdit)>;
using TRVOnCaretGetOutEvent = TEvent<void(TCustomRollViewEdit* sender, TRVGetOutDirection direction)>;
// A conversion of styles: StyleNo is the style met, UserData the value given
// to the operation, AppliedToText true while text items are converted (false
// for the current text style and for paragraphs); NewStyleNo starts as StyleNo.
using TRVStyleConversionEvent =
    TEvent<void(TCustomRollViewEdit* sender, int styleNo, int userData, bool appliedToText, int& newStyleNo)>;

enum TRVESearchOption : uint8_t { rvseoMatchCase, rvseoDown, rvseoWholeWord };
using TRVESearchOptions = TRVSet<TRVESearchOption, uint8_t>;
// Asked before a paste; DoDefault false cancels it.
using TRVPasteEvent = TEvent<void(TCustomRollViewEdit* sender, bool& doDefault)>;

// The messages an editor posts to itself to undo (redo) after closing an open
// cell editor.
inline constexpr UINT WM_RVUNDOFROMINPLACE = WM_USER + 13;
inline constexpr UINT WM_RVREDOFROMINPLACE = WM_USER + 14;

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
    // Undo and redo are changes too: refused as any other; with nothing to
    // undo (redo) a refusal's beep. An open cell editor undoes its own edits
    // (and those of cell editors open inside it) first; then the outer
    // editor's undo waits for the cell editor to close (posted). A cell's
    // edits kept by this editor are played in the cell's editor, which opens
    // and stays open, as the same keys in the focused cell editor would.
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
    // OnCaretMove, unless the control is being destroyed.
    void AfterCaretMove();

    void Dispatch(TMessage& message) override;

    // ---- An open cell editor (rollviewedit_forward.cpp). While one is open
    // over a table cell, the commands above act on it instead.
    // The open cell editor, or null.
    TCustomRollViewEdit* CellEditor();
    // The innermost editor: the cell editor's cell editor, and so on.
    TCustomRollViewEdit* GetTopLevelEditor();

    // ==== Styles, item properties, checkpoints, the undo API and search.
    // Every change is one undo group and refused as any change is. An
    // operation on the caret's item or on the selection is passed on to an
    // open cell editor (and does nothing here); the "Ed" operations name an
    // item of this document and act here.

    // ---- Conversions of styles (rollviewedit_styles.cpp)
    TRVStyleConversionEvent OnStyleConversion;
    TRVStyleConversionEvent OnParaStyleConversion;
    // The conversion the document data asks for every style it meets: set by
    // each Apply operation, kept until the next one.
    TRVStyleConversionEvent CurStyleConversion;

    // ---- Applying styles (rollviewedit_styles.cpp)
    // To the paragraphs the selection (or the caret) touches.
    void ApplyParaStyle(int paraNo);
    // To the selected text, or as the current text style.
    void ApplyTextStyle(int styleNo);
    // ApplyTextStyle's conversion: every style becomes UserData, except that
    // text of a style-protected style keeps it.
    void ApplyTextStyleConversionProc(TCustomRollViewEdit* sender, int styleNo, int userData,
                                      bool appliedToText, int& newStyleNo);
    // Conversions by OnStyleConversion and OnParaStyleConversion (nothing
    // without the event).
    void ApplyStyleConversion(int userData);
    void ApplyParaStyleConversion(int userData);
    // List markers on the paragraphs the selection touches (a paragraph that
    // starts with a table or a break gets none): list ListNo at level
    // ListLevel (-1: the old level, or 0), StartFrom restarting the numbering
    // at the first of them with UseStartFrom.
    void ApplyListStyle(int listNo, int listLevel, int startFrom, bool useStartFrom, bool recursive);
    void RemoveLists(bool recursive);
    // The numbered paragraphs by LevelDelta levels, within the list's levels.
    void ChangeListLevels(int levelDelta);
    // A page break before the caret's line (breaking the paragraph when the
    // caret is inside a line), or none. A system beep while a cell editor is open.
    void InsertPageBreak();
    void RemoveCurrentPageBreak();

    // ---- The item at the caret (rollviewedit_items.cpp)
    TCustomRVItemInfo* GetCurrentItem();
    // Item := the caret's item and Editor := the editor that holds it, when
    // the item is of RequiredClass (an open cell editor's answer first);
    // null otherwise. Whether one was found.
    bool GetCurrentItemEx(TRVItemClass requiredClass, TCustomRollViewEdit*& editor, TCustomRVItemInfo*& item);
    void GetCurrentBreakInfo(uint8_t& width, TRVBreakStyle& style, TColor& color, TRVTag& tag);
    void GetCurrentBulletInfo(AnsiString& name, int& imageIndex, TCustomImageList*& imageList, TRVTag& tag);
    void GetCurrentHotspotInfo(AnsiString& name, int& imageIndex, int& hotImageIndex,
                               TCustomImageList*& imageList, TRVTag& tag);
    void GetCurrentPictureInfo(AnsiString& name, TGraphic*& graphic, TRVVAlign& vAlign, TRVTag& tag);
    void GetCurrentControlInfo(AnsiString& name, TControl*& control, TRVVAlign& vAlign, TRVTag& tag);
    void GetCurrentTextInfo(AnsiString& text, TRVTag& tag);
    TRVTag GetCurrentTag();
    AnsiString GetCurrentItemText();
    AnsiString GetCurrentItemTextA();
    WideString GetCurrentItemTextW();
    bool GetCurrentItemExtraIntProperty(TRVExtraItemProperty prop, int& value);
    void SetCurrentBreakInfo(uint8_t width, TRVBreakStyle style, TColor color, const TRVTag& tag);
    void SetCurrentBulletInfo(const AnsiString& name, int imageIndex, TCustomImageList* imageList,
                              const TRVTag& tag);
    void SetCurrentHotspotInfo(const AnsiString& name, int imageIndex, int hotImageIndex,
                               TCustomImageList* imageList, const TRVTag& tag);
    void SetCurrentPictureInfo(const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign,
                               const TRVTag& tag);
    void SetCurrentControlInfo(const AnsiString& name, TRVVAlign vAlign, const TRVTag& tag);
    void SetCurrentItemText(const AnsiString& s);
    void SetCurrentItemTextA(const AnsiString& s);
    void SetCurrentItemTextW(const WideString& s);
    void SetCurrentItemExtraIntProperty(TRVExtraItemProperty prop, int value, bool autoReformat);
    void SetCurrentTag(const TRVTag& tag);
    void ResizeCurrentControl(int width, int height);
    // Around changes of an item's properties made by the caller: the item's
    // paragraph (or the document) is laid out again for its new size.
    void BeginItemModify(int itemNo, int& itemData);
    void EndItemModify(int itemNo, int itemData);
    void BeginCurrentItemModify(int& itemData);
    void EndCurrentItemModify(int itemData);

    // ---- Any item of this document (rollviewedit_items.cpp). An item of
    // another class raises ERollViewError "Can't get or set this kind of
    // information for this item" before anything changes.
    void SetBreakInfoEd(int itemNo, uint8_t width, TRVBreakStyle style, TColor color, const TRVTag& tag);
    // The item keeps its image list (ImageList is not used) and alignment.
    void SetBulletInfoEd(int itemNo, const AnsiString& name, int imageIndex, TCustomImageList* imageList,
                         const TRVTag& tag);
    void SetHotspotInfoEd(int itemNo, const AnsiString& name, int imageIndex, int hotImageIndex,
                          TCustomImageList* imageList, const TRVTag& tag);
    // Graphic is taken over; the item's own picture is copied first.
    void SetPictureInfoEd(int itemNo, const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign,
                          const TRVTag& tag);
    void SetControlInfoEd(int itemNo, const AnsiString& name, TRVVAlign vAlign, const TRVTag& tag);
    // The item's text as it is kept (UTF-16 bytes in a Unicode item).
    void SetItemTextEd(int itemNo, const AnsiString& s);
    // Text in the default code page, or UTF-16: converted to the item's form.
    void SetItemTextEdA(int itemNo, const AnsiString& s);
    void SetItemTextEdW(int itemNo, const WideString& s);
    // Nothing when the tag is already Tag.
    void SetItemTagEd(int itemNo, const TRVTag& tag);
    // Nothing when the item has no such property or it has the value. Without
    // AutoReformat the caller lays out and calls Change.
    void SetItemExtraIntPropertyEd(int itemNo, TRVExtraItemProperty prop, int value, bool autoReformat);
    // A control item's control resized (no BeforeChange: the resize handles ask it).
    void ResizeControl(int itemNo, int width, int height);
    void AdjustControlPlacement(int itemNo);
    // The control item of Control, here or in an open cell editor.
    void AdjustControlPlacement2(TControl* control);
    // A picture made a hypertext picture and back (ItemNo below 0: the caret's
    // item); other items are left alone.
    void ConvertToHotPicture(int itemNo);
    void ConvertToPicture(int itemNo);

    // ---- Checkpoints (rollviewedit_items.cpp)
    void SetCheckpointInfoEd(int itemNo, const TRVTag& tag, const AnsiString& name, bool raiseEvent);
    void RemoveCheckpointEd(int itemNo);
    void SetCurrentCheckpointInfo(const TRVTag& tag, const AnsiString& name, bool raiseEvent);
    TRVCPInfo* GetCurrentCheckpoint();
    void RemoveCurrentCheckpoint();

    // ---- The undo API (rollviewedit_undo.cpp). Groups opened by the program
    // collect the changes that follow until the next group opens; with group
    // mode on, several commands make one group, closed (and dropped when it
    // recorded nothing) when group mode goes off. A program's groups are the
    // outermost document's, also when a cell editor is asked (GroupData).
    void BeginUndoGroup(TRVUndoType undoType);
    void BeginUndoCustomGroup(const AnsiString& name);
    void SetUndoGroupMode(bool groupUndo);
    TRVEditRVData* GroupData();
    // What Undo (Redo) would take back: an open cell editor's when it has
    // something, else this editor's; rvutNone when nothing.
    TRVUndoType UndoAction();
    TRVUndoType RedoAction();
    AnsiString UndoName();
    AnsiString RedoName();
    // Both lists emptied (an open cell editor's too).
    void ClearUndo();

    // ---- Search and selection (rollviewedit_undo.cpp)
    // The next occurrence from the caret, selected with the caret at its end
    // (at its start searching up). Not passed on to a cell editor.
    bool SearchText(const AnsiString& s, TRVESearchOptions options);
    void SelectCurrentWord();
    void SelectCurrentLine();
    // The caret's screen line (from 1) and its place among the line's stops (from 1).
    void GetCurrentLineCol(int& line, int& column);
    // The viewer's events, and from another editor also its style, caret and
    // paste events (never OnChange, OnChanging and OnCaretGetOut).
    void AssignEvents(TCustomRollView* source);
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

    // ---- Items put at the caret (rollviewedit_insert.cpp). Each replaces the
    // selection, asks OnChanging, is one undo group and fires OnChange; a
    // refusal beeps (when the style sheet's UseSound is on) and changes nothing.
    // A horizontal line or other break, a paragraph of its own.
    void InsertBreak(uint8_t width, TRVBreakStyle style, TColor color);
    // An image of ImageList (not owned) on the baseline.
    void InsertBullet(int imageIndex, TCustomImageList* imageList);
    // An image of ImageList that is a hyperlink, HotImageIndex while hovered.
    void InsertHotspot(int imageIndex, int hotImageIndex, TCustomImageList* imageList);
    // A picture that is a hyperlink; it owns Graphic (freed when refused).
    void InsertHotPicture(const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign);
    // Control becomes the item's: hidden until laid out, its parent this editor.
    // Taken in every case: freed when the insertion is refused.
    void InsertControl(const AnsiString& name, TControl* control, TRVVAlign vAlign);
    // Any item (a table, for instance), taken over: freed when refused. The
    // document data's answer.
    bool InsertItem(const AnsiString& name, TCustomRVItemInfo* item);
    // One text item in the current text style with Tag; tabs become
    // SpacesInTab spaces. S is 8-bit text in the current style's code page,
    // converted for a Unicode style.
    void InsertStringTag(const AnsiString& s, const TRVTag& tag);
    // The same from UTF-16 (BeforeUnicode first); converted to the style's
    // code page when the current style stays 8-bit.
    void InsertStringWTag(const WideString& s, const TRVTag& tag);
    // InsertTextW for text given as UTF-16 bytes, acting on this editor even
    // while a cell editor is open.
    bool InsertTextW_(const AnsiString& s, bool caretBefore = false);
    // The item-type code of the caret's item (the document prepared for
    // editing first): a text style number, or a negative item type; the
    // current text style while the document has no item.
    int GetCurItemStyle();
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
    // The editor's data calls back into its control (the caret, beeps,
    // events, and what a derived editor answers): a derived editor whose data
    // asks it calls FreeDocument in its own destructor, while it is whole; the
    // destructor here calls it otherwise.
    using TCustomRollView::FreeDocument;

    virtual void CurTextStyleChange();
    virtual void CurParaStyleChange();
    void GiveNotice(TRVNotice notice) override;
    virtual bool DoChanging();
    // A hook for derived editors, called when the selection changes.
    virtual void Selecting() {}
    // The scroller's window parameters, with the vertical bar kept shown and
    // disabled while the document fits (the scroller's set-up clears that).
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void AfterVScroll() override;
    void AfterHScroll() override;

    friend class TRVEditRVData;

private:
    // A caret can stand in the editor: it has a style sheet and is laid out.
    bool CaretPlaceable() const;
    // When the caret can stand, places it again (the current styles kept) and
    // says so.
    bool RefreshCaretIfPlaceable();
    // ---- Keys (rollviewedit_keys.cpp)
    bool PrepareKey(WORD& key, TShiftState shift, bool& selectionChanged);
    void ActOnKey(WORD& key, TShiftState shift, bool selectionChanged);
    void WMChar(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    // The keyboard switched to a language of character set WParam: with
    // rvoAutoSwitchLang an 8-bit current text style becomes the nearest
    // style of that set, a new non-standard copy when there is none.
    void WMInputLangChange(TMessage& message);
    bool HandleEditMessage(TMessage& message);
    void FireGetOut(bool result, TRVGetOutDirection direction);
    void SideKey(bool toRight, bool shift, bool ctrl);

    // Undo (Redo) with a cell editor open that has something to undo (redo,
    // counting the cell editors open inside it): played there, true. Else
    // false, and this editor plays its own at once (PlayGroup closes the cell
    // editor first), so that what UndoAction (RedoAction) answers is what the
    // call does.
    bool ForwardUndo(bool redo);
    // Undo or Redo: the group played, or a beep when there is none.
    void PlayHistory(bool redo);

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
    // Item (owned) given to the document data inside the insertion bracket;
    // freed when the editor or the data refuses it.
    bool InsertBuiltItem(TCustomRVItemInfo* item, const AnsiString& name);
    // A text item in the current style holding Text (already in its form).
    void InsertTextItem(const AnsiString& text, const TRVTag& tag);
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

    // ---- Styles and items (rollviewedit_styles.cpp, rollviewedit_items.cpp)
    // Before a change of item ItemNo's properties: BeforeChange and the class
    // check (which raises), then a group of UndoType.
    template <class T> T* BeginItemChange(int itemNo, TRVUndoType undoType);
    void ReplaceItem(int itemNo, TCustomRVItemInfo* newItem, const AnsiString& name);

    bool FReadOnly = false;
    TRVEditorOptions FEditorOptions{rvoClearTagOnStyleApp};
    int FUpdateCount = 0;
    TTimer* FCaretTimer = nullptr;
    TRect FCaretRect;
    bool FCaretVisible = false;
    bool FCaretBlinkOn = false;
    // A high surrogate typed, waiting for its low half.
    WideChar FPendingHigh = 0;
};

class TRollViewEdit : public TCustomRollViewEdit {
public:
    explicit TRollViewEdit(TComponent* aOwner) : TCustomRollViewEdit(aOwner) {}
    const char* ClassName() const override { return "TRollViewEdit"; }
    // The viewer's published properties, then EditorOptions, ReadOnly,
    // UndoLimit and TabNavigation, and the Cursor again with the editor's
    // default, crIBeam (rollviewedit_props.cpp).
    const TPropertyTable* PropertyTable() const override;

protected:
    TRollViewEdit(TComponent* aOwner, TRollViewRVDataClass dataClass) : TCustomRollViewEdit(aOwner, dataClass)
    {}
};
