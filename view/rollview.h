// The viewer control TCustomRollView / TRollView: a read-only, scrolling view
// of a document with its options, events and document API, and the records of
// viewer events that an in-place cell editor defers by posting them.
//
// Its implementation is split by concern:
//   rollview.cpp        construction, settings, style sheet, background, deferred events
//   rollview_api.cpp    adding items, layout, clearing, queries passed to the document data
//   rollview_paint.cpp  painting, the message without a style sheet, colours, scroll units
//   rollview_input.cpp  messages, keys, focus, the mouse and the auto-scroll timer
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

#include "document/crvdata.h"
#include "platform/core/callhold.h"
#include "view/rvback.h"
#include "view/rvrvdata.h"
#include "view/rvscroll.h"
#include "view/rvviewtypes.h"

class TBitmap;
class TCustomImageList;
class TGraphic;
class TRVBackground;
class TRVRTFReaderProperties;
class TRVStyle;
class TStream;

// ---------------------------------------------------------------------------
// Deferred viewer events

// The private message that carries a deferred event: WParam is the record
// (TRVMessageData), which the posted message owns and frees after dispatch,
// or when it is never delivered.
inline constexpr UINT WM_RVEVENT = WM_USER + 15;
// Posted to a viewer as a command first holds back a notice: a command that
// ends without a change (its Change gives them otherwise) gives them here.
inline constexpr UINT WM_RVGIVENOTICES = WM_USER + 17;

enum TRVEventType : uint8_t {
    rvetRVDblClick,
    rvetJump,
    rvetRVMouseUp,
    rvetRVMouseDown,
    rvetClick,
    rvetDblClick,
    rvetMouseMove,
    rvetDragDrop,
    rvetEndDrag,
};

// A viewer event deferred by posting WM_RVEVENT to the viewer; the subclasses
// carry the event's arguments.
class TRVMessageData : public TObject {
public:
    explicit TRVMessageData(TRVEventType aEvent) : Event(aEvent) {}
    const char* ClassName() const override { return "TRVMessageData"; }
    TRVEventType Event;
};

class TRVClickMessageData : public TRVMessageData {
public:
    TRVClickMessageData() : TRVMessageData(rvetClick) {}
    const char* ClassName() const override { return "TRVClickMessageData"; }
};

class TRVStdDblClickMessageData : public TRVMessageData {
public:
    TRVStdDblClickMessageData() : TRVMessageData(rvetDblClick) {}
    const char* ClassName() const override { return "TRVStdDblClickMessageData"; }
};

class TRVDblClickMessageData : public TRVMessageData {
public:
    TRVDblClickMessageData() : TRVMessageData(rvetRVDblClick) {}
    const char* ClassName() const override { return "TRVDblClickMessageData"; }
    AnsiString ClickedWord;
    int StyleNo = 0;
};

class TRVJumpMessageData : public TRVMessageData {
public:
    TRVJumpMessageData() : TRVMessageData(rvetJump) {}
    const char* ClassName() const override { return "TRVJumpMessageData"; }
    int Id = 0;
};

class TRVMouseMoveMessageData : public TRVMessageData {
public:
    explicit TRVMouseMoveMessageData(TRVEventType aEvent = rvetMouseMove) : TRVMessageData(aEvent) {}
    const char* ClassName() const override { return "TRVMouseMoveMessageData"; }
    int X = 0;
    int Y = 0;
    int ItemNo = -1;
    TShiftState Shift;
};

// rvetRVMouseUp or rvetRVMouseDown.
class TRVMouseUpDownMessageData : public TRVMouseMoveMessageData {
public:
    explicit TRVMouseUpDownMessageData(TRVEventType aEvent) : TRVMouseMoveMessageData(aEvent) {}
    const char* ClassName() const override { return "TRVMouseUpDownMessageData"; }
    TMouseButton Button = mbLeft;
};

// rvetDragDrop (Obj: the drag source) or rvetEndDrag (Obj: the target); Obj is
// not owned.
class TRVDNDMessageData : public TRVMessageData {
public:
    explicit TRVDNDMessageData(TRVEventType aEvent) : TRVMessageData(aEvent) {}
    const char* ClassName() const override { return "TRVDNDMessageData"; }
    int X = 0;
    int Y = 0;
    TObject* Obj = nullptr;
};

// ---------------------------------------------------------------------------
// Events

using TRVPaintEvent = TEvent<void(TObject* sender, TCanvas* canvas, bool prepaint)>;
using TRVCheckpointVisibleEvent = TEvent<void(TObject* sender, TRVCPInfo* checkpointData)>;
using TRVControlActionEvent =
    TEvent<void(TObject* sender, TRVControlAction controlAction, int itemNo, TControl*& ctrl)>;
using TRVItemActionEvent = TEvent<void(TObject* sender, TRVItemAction itemAction, TCustomRVItemInfo* item,
                                       AnsiString& text, TCustomRVData* rvData)>;
using TJumpEvent = TEvent<void(TObject* sender, int id)>;
using TRVHTMLSaveImageEvent =
    TEvent<void(TObject* sender, TCustomRVData* rvData, int itemNo, const AnsiString& path,
                TColor backgroundColor, AnsiString& location, bool& doDefault)>;
using TRVReadHyperlink =
    TEvent<void(TObject* sender, const AnsiString& target, const AnsiString& extras, TRVLoadFormat docFormat,
                int& styleNo, TRVTag& itemTag, AnsiString& itemName)>;
using TRVDblClickEvent = TEvent<void(TObject* sender, const AnsiString& clickedWord, int style)>;
using TRVFImageListNeededEvent = TEvent<void(TObject* sender, int imageListTag, TCustomImageList*& il)>;
using TRVFControlNeededEvent =
    TEvent<void(TObject* sender, const AnsiString& name, const TRVTag& tag, TControl*& ctrl)>;
using TRVFPictureNeededEvent =
    TEvent<void(TObject* sender, const AnsiString& name, const TRVTag& tag, TGraphic*& gr)>;
using TRVMouseEvent =
    TEvent<void(TObject* sender, TMouseButton button, TShiftState shift, int itemNo, int x, int y)>;
using TRVMouseMoveEvent = TEvent<void(TObject* sender, int id)>;
using TRVRightClickEvent =
    TEvent<void(TObject* sender, const AnsiString& clickedWord, int style, int x, int y)>;
using TRVSaveComponentToFileEvent = TEvent<void(TObject* sender, const AnsiString& path, TComponent* saveMe,
                                                TRVSaveFormat saveFormat, AnsiString& outStr)>;
using TRVSaveHTMLExtraEvent =
    TEvent<void(TObject* sender, TRVHTMLSaveArea area, bool cssVersion, AnsiString& htmlCode)>;
using TRVSaveRTFExtraEvent = TEvent<void(TObject* sender, TRVRTFSaveArea area, TObject* obj, int index1,
                                         int index2, bool inStyleSheet, AnsiString& rtfCode)>;
using TRVURLNeededEvent = TEvent<void(TObject* sender, int id, AnsiString& url)>;

// The root data's class: the function that makes it for a viewer.
using TRollViewRVDataClass = TRollViewRVData* (*)(TCustomRollView* aRollView);

// ---------------------------------------------------------------------------
// The viewer

// A read-only scrolling view of a document. Owns its root document data
// (RVData), its background and its RTF import settings; refers to a style sheet
// it does not own (told when the style sheet goes, through Notification).
// Adding items lays nothing out: Format lays out the whole document, FormatTail
// what was appended since, and nothing is laid out before the window exists.
// Without a style sheet the window shows a message instead of the document.
// Holds back the notices of every viewer for a scope (a table's operation,
// whose handlers would otherwise run while it works on the table); nested
// scopes give them as the outermost ends, unless an editor's command holds
// them further (TCustomRollView::HoldNotice).
class TRVNoticeHold {
public:
    TRVNoticeHold() noexcept;
    ~TRVNoticeHold() noexcept(false);
    TRVNoticeHold(const TRVNoticeHold&) = delete;
    TRVNoticeHold& operator=(const TRVNoticeHold&) = delete;
    static bool Any();

private:
    int FExceptions;
};

class TCustomRollView : public TRVScroller {
public:
    explicit TCustomRollView(TComponent* aOwner);
    ~TCustomRollView() override;
    const char* ClassName() const override { return "TCustomRollView"; }

    // The class of the root data this viewer made.
    TRollViewRVDataClass GetDataClass() const { return FDataClass; }

    // The root document data; owned.
    TRollViewRVData* RVData = nullptr;

    // ---- Settings
    TRVOptions Options() const { return FOptions; }
    void SetOptions(TRVOptions value) { FOptions = value; }
    bool AllowSelection() const { return FOptions.Contains(rvoAllowSelection); }
    void SetAllowSelection(bool value) { FOptions.Set(rvoAllowSelection, value); }
    bool SingleClick() const { return FOptions.Contains(rvoSingleClick); }
    void SetSingleClick(bool value) { FOptions.Set(rvoSingleClick, value); }
    TRVRTFOptions RTFOptions() const { return FRTFOptions; }
    void SetRTFOptions(TRVRTFOptions value) { FRTFOptions = value; }
    TRVFOptions RVFOptions() const { return FRVFOptions; }
    void SetRVFOptions(TRVFOptions value) { FRVFOptions = value; }
    TRVFWarnings RVFWarnings() const { return FRVFWarnings; }
    void SetRVFWarnings(TRVFWarnings value) { FRVFWarnings = value; }
    TRVFReaderStyleMode RVFTextStylesReadMode() const { return FRVFTextStylesReadMode; }
    void SetRVFTextStylesReadMode(TRVFReaderStyleMode value) { FRVFTextStylesReadMode = value; }
    TRVFReaderStyleMode RVFParaStylesReadMode() const { return FRVFParaStylesReadMode; }
    void SetRVFParaStylesReadMode(TRVFReaderStyleMode value) { FRVFParaStylesReadMode = value; }
    // The characters that end a word for double-click selection and word search.
    const AnsiString& Delimiters() const { return FDelimiters; }
    void SetDelimiters(const AnsiString& value) { FDelimiters = value; }
    bool StoreDelimiters() const;
    static const char* const DefaultDelimiters;
    TCPEventKind CPEventKind() const { return FCPEventKind; }
    void SetCPEventKind(TCPEventKind value) { FCPEventKind = value; }
    int MaxTextWidth() const { return FMaxTextWidth; }
    void SetMaxTextWidth(int value) { FMaxTextWidth = value; }
    int MinTextWidth() const { return FMinTextWidth; }
    void SetMinTextWidth(int value) { FMinTextWidth = value; }
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int value) { FLeftMargin = value; }
    int RightMargin() const { return FRightMargin; }
    void SetRightMargin(int value) { FRightMargin = value; }
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int value) { FTopMargin = value; }
    int BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(int value) { FBottomMargin = value; }
    // The root data's flags.
    TRVFlags Flags() const { return FFlags; }
    void SetFlags(TRVFlags value) { FFlags = value; }
    TRVTabNavigationType TabNavigation() const { return RVData->TabNavigation; }
    void SetTabNavigation(TRVTabNavigationType value) { RVData->TabNavigation = value; }
    int GetFirstJumpNo() const { return RVData->FirstJumpNo; }
    void SetFirstJumpNo(int value) { RVData->FirstJumpNo = value; }
    bool ScrollTimerActive() const { return FScrollTimerActive; }

    // The cursor over normal text; the control's own cursor (TControl::Cursor)
    // is whatever the document last set, a hyperlink's for one.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor value);

    // ---- Style sheet, colours, background
    TRVStyle* Style() const { return FStyle; }
    // Not owned; the viewer is told when it goes.
    virtual void SetStyle(TRVStyle* value);
    // Color() is clNone by default: the style sheet's colour is used.
    TColor GetColor();
    TColor GetHoverColor(TColor color);
    TRVBackground* Background() const { return FBackground.get(); }
    TBitmap* GetBackBitmap() const;
    // Copies the bitmap's picture into the background's.
    void SetBackBitmap(TBitmap* value);
    TBackgroundStyle GetBackgroundStyle() const;
    void SetBackgroundStyle(TBackgroundStyle value);
    void DoOnBackBitmapChange(TObject* sender);
    void UpdatePaletteInfo() override;
    // A change recreates the window and lays the document out again.
    void SetBiDiModeRV(TRVBiDiMode value) override;

    // ---- RTF import settings, created on first use
    virtual TRVRTFReaderProperties* GetRTFReadProperties();
    // Copies Value's settings (creating the object), or frees the object for null.
    void SetRTFReadProperties(TRVRTFReaderProperties* value);
    bool RTFReaderAssigned() const { return FRTFReadProperties != nullptr; }

    // ---- Pictures written beside HTML pages
    AnsiString ImagesPrefix;
    bool OverrideImages() const { return (FHTMLFlags & 1) != 0; }
    void SetOverrideImages(bool value)
    {
        FHTMLFlags = static_cast<uint8_t>(value ? FHTMLFlags | 1 : FHTMLFlags & ~1);
    }
    int ImagesCounter = 0;
    // The TRVHTMLBulletInfo of the pictures already written; owned.
    TRVList* HTMLBullets() const { return FHTMLBullets.get(); }

    // Copies every event handler of Source.
    void AssignEvents(TCustomRollView* source);
    // Run-time names never read designer defaults: renames the control.
    void SetName(const AnsiString& newName) override;
    void GetTabOrderList(TList* list) override;

    // ---- Layout, selection, clearing (rollview_api.cpp)
    // Lays out the whole document; repaints under rvoFormatInvalidate.
    void Format();
    // Lays out what was appended since the last layout; repaints under
    // rvoFormatInvalidate. The selection, a drag in progress and the hovered
    // and pressed hyperlinks stay.
    void FormatTail();
    // Passes to the root data's Format_; nothing before the window exists or
    // while the control is designed.
    void Format_(bool resized, bool force, TCanvas* canvas, bool tail, bool reformat);
    // Stops the auto-scroll timer, then frees the layout.
    virtual void ClearTemporal();
    // Deletes every item and checkpoint; the style sheet stays.
    void Clear();
    void Deselect();
    void SelectAll();
    void SetAddParagraphMode(bool value) { RVData->SetAddParagraphMode(value); }
    void SetPageBreaksBeforeItems(int itemNo, bool value);
    bool GetPageBreaksBeforeItems(int itemNo) const { return RVData->GetPageBreaksBeforeItems(itemNo); }
    int GetDocumentHeight() const { return RVData->DocumentHeight; }
    int GetFirstItemVisible() const { return RVData->GetFirstItemVisible(); }
    int GetLastItemVisible() const { return RVData->GetLastItemVisible(); }

    // ---- Adding items: every operation passes to the store (paragraph -1
    // continues the previous paragraph's line). Nothing is laid out.
    void AddNLTag(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag);
    // Texts by value: a caller that lets go of its string moves it into the document.
    void AddItem(AnsiString text, TCustomRVItemInfo* item);
    void AddNL(AnsiString s, int styleNo, int paraNo);
    void AddFmt(const AnsiString& formatStr, std::initializer_list<TFormatArg> args, int styleNo, int paraNo);
    void AddFromNewLine(const AnsiString& s, int styleNo);
    void AddTag(const AnsiString& s, int styleNo, const TRVTag& tag);
    void Add(const AnsiString& s, int styleNo);
    void AddText(const AnsiString& s, int styleNo);
    void AddTextFromNewLine(const AnsiString& s, int styleNo);
    void AddTextNL(const AnsiString& s, int styleNo, int firstParaNo, int otherParaNo);
    void AddTextBlockNL(const AnsiString& s, int styleNo, int paraNo);
    // In paragraph style 1.
    void AddCenterLine(const AnsiString& s, int styleNo);
    void AddNLATag(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag);
    void AddNLWTag(const WideString& s, int styleNo, int paraNo, const TRVTag& tag);
    // Wide text; converted to ANSI with the style's code page for a text
    // style that is not Unicode.
    void AddTextNLW(const WideString& s, int styleNo, int firstParaNo, int otherParaNo,
                    bool asSingleParagraph);
    void AddBreakExTag(uint8_t width, TRVBreakStyle style, TColor color, const TRVTag& tag);
    void AddBreakEx(uint8_t width, TRVBreakStyle style, TColor color);
    void AddBreakTag(const TRVTag& tag);
    void AddBreak();
    int AddNamedCheckpointExTag(const AnsiString& cpName, bool raiseEvent, const TRVTag& tag);
    int AddNamedCheckpointEx(const AnsiString& cpName, bool raiseEvent);
    int AddNamedCheckpoint(const AnsiString& cpName);
    int AddCheckpointTag(const TRVTag& tag);
    int AddCheckpoint();
    void AddHotspotExTag(const AnsiString& name, int imageIndex, int hotImageIndex,
                         TCustomImageList* imageList, int paraNo, const TRVTag& tag);
    void AddHotspotEx(const AnsiString& name, int imageIndex, int hotImageIndex, TCustomImageList* imageList,
                      int paraNo);
    void AddHotspot(int imageIndex, TCustomImageList* imageList, bool fromNewLine);
    void AddBulletExTag(const AnsiString& name, int imageIndex, TCustomImageList* imageList, int paraNo,
                        const TRVTag& tag);
    void AddBulletEx(const AnsiString& name, int imageIndex, TCustomImageList* imageList, int paraNo);
    void AddBullet(int imageIndex, TCustomImageList* imageList, bool fromNewLine);
    // The document owns the picture.
    void AddPictureExTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                         const TRVTag& tag);
    void AddPictureEx(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign);
    void AddHotPictureTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                          const TRVTag& tag);
    void AddHotPicture(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign);
    // In paragraph style 1.
    void AddPicture(TGraphic* graphic);
    // The document owns the control, which joins the viewer.
    void AddControlExTag(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign,
                         const TRVTag& tag);
    void AddControlEx(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign);
    // Paragraph style 1 when centred, else 0.
    void AddControl(TControl* control, bool center);

    // ---- Items (the store's operations)
    // The object of Items at Index; a bad index raises the string list's error.
    TCustomRVItemInfo* GetItem(int itemNo) const;
    int GetItemNo(TCustomRVItemInfo* item) const { return RVData->GetItemNo(item); }
    int GetLineCount() const { return RVData->GetItemCount(); }
    int GetItemStyle(int itemNo) const { return RVData->GetItemStyle(itemNo); }
    int GetItemPara(int itemNo) const { return RVData->GetItemPara(itemNo); }
    const TRVTag& GetItemTag(int itemNo) const { return RVData->GetItemTag(itemNo); }
    void SetItemTag(int itemNo, const TRVTag& tag) { RVData->SetItemTag(itemNo, tag); }
    // The item's string, read or replaced in place (nothing is laid out).
    AnsiString GetItemText(int itemNo) const { return RVData->GetItemText(itemNo); }
    void SetItemText(int itemNo, const AnsiString& s) { RVData->SetItemText(itemNo, s); }
    AnsiString GetItemTextA(int itemNo) { return RVData->GetItemTextA(itemNo); }
    void SetItemTextA(int itemNo, const AnsiString& s) { RVData->SetItemTextA(itemNo, s); }
    WideString GetItemTextW(int itemNo) { return RVData->GetItemTextW(itemNo); }
    void SetItemTextW(int itemNo, const WideString& s) { RVData->SetItemTextW(itemNo, s); }
    bool IsFromNewLine(int itemNo) const { return RVData->IsFromNewLine(itemNo); }
    bool IsParaStart(int itemNo) const { return RVData->IsParaStart(itemNo); }
    int GetOffsBeforeItem(int itemNo) const { return RVData->GetOffsBeforeItem(itemNo); }
    int GetOffsAfterItem(int itemNo) const { return RVData->GetOffsAfterItem(itemNo); }
    bool GetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int& value);
    bool SetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int value);
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
    void GetPictureInfo(int itemNo, AnsiString& aName, TGraphic*& aGraphic, TRVVAlign& avAlign,
                        TRVTag& aTag) const;
    bool SetPictureInfo(int itemNo, const AnsiString& aName, TGraphic* aGraphic, TRVVAlign avAlign,
                        const TRVTag& aTag);
    void GetControlInfo(int itemNo, AnsiString& aName, TControl*& aControl, TRVVAlign& avAlign,
                        TRVTag& aTag) const;
    bool SetControlInfo(int itemNo, const AnsiString& aName, TRVVAlign avAlign, const TRVTag& aTag);
    int FindControlItemNo(TControl* actualCtrl) const { return RVData->FindControlItemNo(actualCtrl); }
    void DeleteSection(const AnsiString& cpName);
    // Deselects first (through the root data).
    void DeleteItems(int firstItemNo, int count);
    // Appends copies of Source's items.
    void AppendFrom(TCustomRollView* source);
    void DeleteUnusedStyles(bool textStyles, bool paraStyles, bool listStyles);

    // ---- Checkpoints
    TRVCPInfo* GetFirstCheckpoint() const { return RVData->GetFirstCheckpoint(); }
    TRVCPInfo* GetNextCheckpoint(TRVCPInfo* checkpointData) const;
    TRVCPInfo* GetLastCheckpoint() const { return RVData->GetLastCheckpoint(); }
    TRVCPInfo* GetPrevCheckpoint(TRVCPInfo* checkpointData) const;
    TRVCPInfo* GetItemCheckpoint(int itemNo) const { return RVData->GetItemCheckpoint(itemNo); }
    void GetCheckpointInfo(TRVCPInfo* checkpointData, TRVTag& tag, AnsiString& name, bool& raiseEvent) const;
    TRVCPInfo* FindCheckpointByName(const AnsiString& name) const
    {
        return RVData->FindCheckpointByName(name);
    }
    TRVCPInfo* FindCheckpointByTag(const TRVTag& tag) { return RVData->FindCheckpointByTag(tag); }
    int GetCheckpointNo(TRVCPInfo* checkpointData) const { return RVData->GetCheckpointNo(checkpointData); }
    TRVCPInfo* GetCheckpointByNo(int no) const { return RVData->GetCheckpointByNo(no); }
    int GetCheckpointItemNo(TRVCPInfo* checkpointData) const;
    void SetCheckpointInfo(int itemNo, const TRVTag& aTag, const AnsiString& aName, bool aRaiseEvent);
    bool RemoveCheckpoint(int itemNo) { return RVData->RemoveCheckpoint(itemNo); }

    // ---- List markers
    int SetListMarkerInfo(int itemNo, int listNo, int level, int startFrom, int paraNo, bool useStartFrom);
    void RemoveListMarker(int itemNo);
    int GetListMarkerInfo(int itemNo, int& listNo, int& level, int& startFrom, bool& useStartFrom);

    // ---- Focus among the items
    void GetFocusedItem(TCustomRVData*& aData, int& aItemNo) const;

    // ---- Selection, words, positions (the formatted data's operations)
    // A non-empty selection exists (an empty one is removed).
    bool SelectionExists();
    void SelectWordAt(int x, int y);
    bool SelectControl(TControl* aControl);
    void GetSelectionBounds(int& startItemNo, int& startOffs, int& endItemNo, int& endOffs, bool normalize);
    void SetSelectionBounds(int startItemNo, int startOffs, int endItemNo, int endOffs);
    TRect GetSelectionRect();
    // The word at a client point; ItemNo -1 when none.
    void GetWordAt(int x, int y, TCustomRVFormattedData*& aData, int& itemNo, AnsiString& word);
    AnsiString GetWordAt(int x, int y);
    // The item position at a document point; whether an item was found.
    bool GetItemAt(int x, int y, TCustomRVFormattedData*& aData, int& itemNo, int& offs, bool strict);
    int GetLineNo(int itemNo, int offs);
    bool GetItemCoords(int itemNo, int& left, int& top);
    bool GetItemClientCoords(int itemNo, int& left, int& top);
    void GetCheckpointXY(TRVCPInfo* checkpointData, int& x, int& y);
    int GetCheckpointYEx(TRVCPInfo* checkpointData);
    // The Y of checkpoint number No.
    int GetCheckpointY(int no);
    int GetJumpPointY(int id);
    int GetJumpPointItemNo(int id);
    void GetJumpPointLocation(int id, TCustomRVFormattedData*& aData, int& itemNo);
    void DeleteParas(int firstItemNo, int lastItemNo);
    void AssignSoftPageBreaks(TRVPrintServices* printServices);
    // Then repaints.
    void ClearSoftPageBreaks();

    // ---- Plain text (the store's reader and writer). False on any failure.
    // Appends a text file, one text item of StyleNo per line; the W form reads UTF-16.
    bool LoadText(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    bool LoadTextW(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    // The whole document; the W forms write UTF-16.
    bool SaveText(const AnsiString& fileName, int lineWidth);
    bool SaveTextW(const AnsiString& fileName, int lineWidth);
    // The document or its selection, from the stream's position.
    bool SaveTextToStream(const AnsiString& path, TStream* stream, int lineWidth, bool selectionOnly,
                          bool textOnly);
    bool SaveTextToStreamW(const AnsiString& path, TStream* stream, int lineWidth, bool selectionOnly,
                           bool textOnly);

    // ---- Layout info
    // A new record (the caller owns it) with the margins, widths and reading direction.
    TRVLayoutInfo* CreateLayoutInfo() const;
    virtual void ApplyLayoutInfo(TRVLayoutInfo* layout);

    // ---- Painting, colours and input (rollview_paint.cpp, rollview_input.cpp)
    void InplaceRedrawing(bool allowRedrawItself);
    bool CompareTags(const TRVTag& tag1, const TRVTag& tag2);
    // The class library's SelectNext on the viewer: focuses the first (or the
    // last) control window inside the document.
    void SelectNext_(bool goForward);
    static bool IsCopyShortcut(TShiftState shift, WORD key);
    static bool IsCutShortcut(TShiftState shift, WORD key);
    static bool IsPasteShortcut(TShiftState shift, WORD key);
    // Starts the auto-scroll timer (timer 1, 100 ms) unless it runs.
    void ActivateScrollTimer();
    // MouseMove at the pointer's place with the keyboard's shift state, when
    // the pointer is inside the client area.
    void GenerateMouseMove();
    // Ignored unless Value > 0 and the document's height in units of Value
    // fits the 32-bit scroll positions.
    void SetVSmallStep(int value) override;

    // Posts a deferred event to the viewer's window; the message owns the
    // record. False without a window (the record is freed).
    bool PostRVEvent(std::unique_ptr<TRVMessageData> data);

    void Dispatch(TMessage& message) override;
    void Loaded() override;
    // Word selection and OnRVDblClick, then OnDblClick.
    void DblClick() override;

    // Auto-scroll steps while a selection is dragged outside the window:
    // vertical in scroll units, horizontal in pixels; -10, -1, 0, 1 or 10.
    int ScrollDeltaX = 0;
    int ScrollDeltaY = 0;

    // ---- Events
    TRVCheckpointVisibleEvent OnCheckpointVisible;
    TRVControlActionEvent OnControlAction;
    TNotifyEvent OnCopy;
    TRVItemActionEvent OnItemAction;
    TJumpEvent OnJump;
    TRVHTMLSaveImageEvent OnHTMLSaveImage;
    TRVPaintEvent OnPaint;
    TRVReadHyperlink OnReadHyperlink;
    TRVDblClickEvent OnRVDblClick;
    TRVFImageListNeededEvent OnRVFImageListNeeded;
    TRVFControlNeededEvent OnRVFControlNeeded;
    TRVFPictureNeededEvent OnRVFPictureNeeded;
    TRVMouseEvent OnRVMouseDown;
    TRVMouseMoveEvent OnRVMouseMove;
    TRVMouseEvent OnRVMouseUp;
    TRVRightClickEvent OnRVRightClick;
    TRVSaveComponentToFileEvent OnSaveComponentToFile;
    TRVSaveHTMLExtraEvent OnSaveHTMLExtra;
    TRVSaveRTFExtraEvent OnSaveRTFExtra;
    TNotifyEvent OnSelect;
    TRVURLNeededEvent OnURLNeeded;

    // ---- Notices a command holds back. While an editing command changes the
    // document (from the BeforeChange that lets it until its Change), the
    // program hears of the selection, the current styles and the caret only
    // once the command has made its change: the handlers may change the
    // document or close a cell editor, and the command still works on it.
    // Each notice held is given once, in the order selection, paragraph
    // style, text style, caret, by the command's Change or, when it ends
    // without one, by a message posted as the first notice waits; outside a
    // command each is given at once.
    // A table's operation (TRVNoticeHold) holds back every viewer's notices
    // until it ends, unless an editor's command around it gives them.
    enum TRVNotice : unsigned { rvnSelect = 1, rvnParaStyle = 2, rvnTextStyle = 4, rvnCaret = 8 };
    void BeginCommandNotices() { FCommandRunning = true; }
    void EndCommandNotices();
    bool CommandRunning() const { return FCommandRunning; }
    // True when Notice waits for the command to end; the caller gives it else.
    bool HoldNotice(TRVNotice notice);
    // Drops the notices held (the viewer goes).
    void ForgetHeldNotices();

    // ==== Search, selected text, the clipboard, loading and saving
    // (rollview_files.cpp). Each passes to the root data with the viewer's
    // Color (clNone: the style sheet's colour is used) and Background; the
    // clipboard gets GetColor. Loading lays nothing out: Format afterwards.
    // Saving to a file replaces it only once every byte is written.

    // ---- Search and the selection
    // The root data's SearchText with rvsroDown, rvsroMatchCase and rvsroWholeWord.
    bool SearchText(const AnsiString& s, TRVSearchOptions srchOptions);
    // The selection as ANSI text (the default code page) and as UTF-16.
    AnsiString GetSelText();
    WideString GetSelTextW();
    // The picture of a selection that is one picture; the document's.
    TGraphic* GetSelectedImage();

    // ---- The clipboard: with a selection, the clipboard emptied, then the
    // formats written (Copy: all of them; CopyDef: the rvoAutoCopy... ones,
    // true when copying is wanted at all).
    void Copy();
    bool CopyDef();
    void CopyText();
    void CopyTextW();
    void CopyImage();
    void CopyRTF();
    void CopyRVF();

    // ---- RVF. Loading replaces the document, its styles, Color and, as the
    // RVF options allow, the background and the layout (margins, text widths,
    // reading direction). Saving writes the background and the layout as the
    // RVF options ask (a selection neither). False on any failure; what was
    // read before it stays.
    bool LoadRVF(const AnsiString& fileName);
    bool LoadRVFFromStream(TStream* stream);
    // Inserts before item Index / appends (ParaNo: the first item's paragraph,
    // -1 by its place), the styles merged or mapped by the read modes.
    bool InsertRVFFromStream(TStream* stream, int index);
    bool AppendRVFFromStream(TStream* stream, int paraNo);
    bool SaveRVF(const AnsiString& fileName, bool selectionOnly);
    bool SaveRVFToStream(TStream* stream, bool selectionOnly);

    // ---- RTF. Loading appends through the RTF import settings
    // (GetRTFReadProperties); false unless the import reports success, what
    // was read before a failure staying in the document.
    bool LoadRTF(const AnsiString& fileName);
    bool LoadRTFFromStream(TStream* stream);
    bool SaveRTF(const AnsiString& fileName, bool selectionOnly);
    bool SaveRTFToStream(TStream* stream, bool selectionOnly);

    // ---- HTML, plain or with a style sheet, pictures written beside the page
    // (Path: the page's folder) and counted by ImagesCounter. The stream
    // forms share HTMLBullets between the calls that write one page; a call
    // that writes a page's head starts the list afresh.
    bool SaveHTML(const AnsiString& fileName, const AnsiString& title, const AnsiString& imagesPrefix,
                  TRVSaveOptions options);
    bool SaveHTMLToStream(TStream* stream, const AnsiString& path, const AnsiString& title,
                          const AnsiString& imagesPrefix, TRVSaveOptions options);
    bool SaveHTMLEx(const AnsiString& fileName, const AnsiString& title, const AnsiString& imagesPrefix,
                    const AnsiString& extraStyles, const AnsiString& externalCss, const AnsiString& cpPrefix,
                    TRVSaveOptions options);
    bool SaveHTMLToStreamEx(TStream* stream, const AnsiString& path, const AnsiString& title,
                            const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                            const AnsiString& externalCss, const AnsiString& cpPrefix,
                            TRVSaveOptions options);
    // Writes a picture into Path named ImagesPrefix + the next ImagesCounter
    // (overwriting files with OverrideImages) and returns its location.
    virtual AnsiString SavePicture(TRVSaveFormat documentSaveFormat, const AnsiString& path, TGraphic* gr);

protected:
    TCustomRollView(TComponent* aOwner, TRollViewRVDataClass dataClass);
    // Raises the event of a notice held back (OnSelect here).
    virtual void GiveNotice(TRVNotice notice);
    // The properties TRollView publishes (after the scroller's), which the
    // editor's extend (rollview_props.cpp).
    const TPropertyTable* ViewerPropertyTable() const;
    // Clears and frees the document data (once: later calls do nothing).
    void FreeDocument();
    void Notification(TComponent* aComponent, TOperation operation) override;
    void Paint() override;
    // The changes of the outermost document so far (TCustomRVData::ChangeCount).
    uint64_t DocumentChanges();
    // A program's handler of the viewer's own key or mouse event took the
    // input over: it closed the viewer (a cell editor, hidden then), or
    // changed the document since DocumentChanges answered Changes. The input
    // goes no further then.
    bool InputTakenOver(uint64_t changes);
    void KeyDown(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void AfterVScroll() override;
    void AfterHScroll() override;
    void AfterCreateWnd1() override;
    void AfterCreateWnd2() override;
    void DeselectChosenData(TCustomRVData* data) override;
    TWinControl* GetChosenDataEditor(TCustomRVData* data) override;

    // Message handlers
    void WMSize(TMessage& message);
    void WMGetDlgCode(TMessage& message);
    void WMCopy(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void WMTimer(TMessage& message);
    void WMDestroy(TMessage& message);
    void WMRVEvent(TMessage& message);

    // Draws "Style is not defined ..." over the clip rectangle.
    void PaintNoStyleMessage(TCanvas* canvas);
    // The focused and the unfocused selection colours of the style sheet differ.
    bool SelectionColorsDiffer() const;

public:
    // The canvas layouts, caret stops and hit tests measure on: a bitmap's,
    // kept as long as the viewer, so that measuring (which sets fonts) never
    // changes the state of the window's canvas, also when it runs halfway
    // through a paint of the window. Text measures on it as in the window.
    virtual TCanvas* GetFormattingCanvas();

private:
    bool FCommandRunning = false;
    unsigned FNoticesHeld = 0;
    void Init();

    TRollViewRVDataClass FDataClass;
    TCursor FCursor = crDefault;
    TRVOptions FOptions;
    TRVRTFOptions FRTFOptions;
    AnsiString FDelimiters;
    bool FScrollTimerActive = false;
    std::unique_ptr<TRVRTFReaderProperties> FRTFReadProperties;
    TCPEventKind FCPEventKind = cpeNone;
    TRVFReaderStyleMode FRVFTextStylesReadMode = rvf_sInsertMerge;
    TRVFReaderStyleMode FRVFParaStylesReadMode = rvf_sInsertMerge;
    int FMaxTextWidth = 0;
    int FMinTextWidth = 0;
    int FLeftMargin = 5;
    int FRightMargin = 5;
    int FTopMargin = 5;
    int FBottomMargin = 5;
    TRVFOptions FRVFOptions;
    TRVFWarnings FRVFWarnings;
    TRVStyle* FStyle = nullptr;
    uint8_t FHTMLFlags = 0;
    std::unique_ptr<TRVList> FHTMLBullets;
    TRVFlags FFlags;
    std::unique_ptr<TRVBackground> FBackground;
    std::unique_ptr<TBitmap> FLayoutBitmap;
};

// The viewer as the application places it; every setting and event of
// TCustomRollView is public already. It publishes its settings to component
// streams (events are not streamed) and is registered under its class name,
// so that a viewer saved in a document as a control item is read back as one.
class TRollView : public TCustomRollView {
public:
    explicit TRollView(TComponent* aOwner) : TCustomRollView(aOwner) {}
    const char* ClassName() const override { return "TRollView"; }
    const TPropertyTable* PropertyTable() const override;
};
