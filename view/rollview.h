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
    explicit TRVMessageData(TRVEventType AEvent) : Event(AEvent) {}
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
    explicit TRVMouseMoveMessageData(TRVEventType AEvent = rvetMouseMove) : TRVMessageData(AEvent) {}
    const char* ClassName() const override { return "TRVMouseMoveMessageData"; }
    int X = 0;
    int Y = 0;
    int ItemNo = -1;
    TShiftState Shift;
};

// rvetRVMouseUp or rvetRVMouseDown.
class TRVMouseUpDownMessageData : public TRVMouseMoveMessageData {
public:
    explicit TRVMouseUpDownMessageData(TRVEventType AEvent) : TRVMouseMoveMessageData(AEvent) {}
    const char* ClassName() const override { return "TRVMouseUpDownMessageData"; }
    TMouseButton Button = mbLeft;
};

// rvetDragDrop (Obj: the drag source) or rvetEndDrag (Obj: the target); Obj is
// not owned.
class TRVDNDMessageData : public TRVMessageData {
public:
    explicit TRVDNDMessageData(TRVEventType AEvent) : TRVMessageData(AEvent) {}
    const char* ClassName() const override { return "TRVDNDMessageData"; }
    int X = 0;
    int Y = 0;
    TObject* Obj = nullptr;
};

// ---------------------------------------------------------------------------
// Events

using TRVPaintEvent = std::function<void(TObject* Sender, TCanvas* Canvas, bool Prepaint)>;
using TRVCheckpointVisibleEvent = std::function<void(TObject* Sender, TRVCPInfo* CheckpointData)>;
using TRVControlActionEvent =
    std::function<void(TObject* Sender, TRVControlAction ControlAction, int ItemNo, TControl*& ctrl)>;
using TRVItemActionEvent =
    std::function<void(TObject* Sender, TRVItemAction ItemAction, TCustomRVItemInfo* Item, AnsiString& Text,
                       TCustomRVData* RVData)>;
using TJumpEvent = std::function<void(TObject* Sender, int id)>;
using TRVHTMLSaveImageEvent =
    std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, const AnsiString& Path,
                       TColor BackgroundColor, AnsiString& Location, bool& DoDefault)>;
using TRVReadHyperlink =
    std::function<void(TObject* Sender, const AnsiString& Target, const AnsiString& Extras,
                       TRVLoadFormat DocFormat, int& StyleNo, TRVTag& ItemTag, AnsiString& ItemName)>;
using TRVDblClickEvent = std::function<void(TObject* Sender, const AnsiString& ClickedWord, int Style)>;
using TRVFImageListNeededEvent =
    std::function<void(TObject* Sender, int ImageListTag, TCustomImageList*& il)>;
using TRVFControlNeededEvent =
    std::function<void(TObject* Sender, const AnsiString& Name, const TRVTag& Tag, TControl*& ctrl)>;
using TRVFPictureNeededEvent =
    std::function<void(TObject* Sender, const AnsiString& Name, const TRVTag& Tag, TGraphic*& gr)>;
using TRVMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y)>;
using TRVMouseMoveEvent = std::function<void(TObject* Sender, int id)>;
using TRVRightClickEvent =
    std::function<void(TObject* Sender, const AnsiString& ClickedWord, int Style, int X, int Y)>;
using TRVSaveComponentToFileEvent =
    std::function<void(TObject* Sender, const AnsiString& Path, TComponent* SaveMe, TRVSaveFormat SaveFormat,
                       AnsiString& OutStr)>;
using TRVSaveHTMLExtraEvent =
    std::function<void(TObject* Sender, TRVHTMLSaveArea Area, bool CSSVersion, AnsiString& HTMLCode)>;
using TRVSaveRTFExtraEvent =
    std::function<void(TObject* Sender, TRVRTFSaveArea Area, TObject* Obj, int Index1, int Index2,
                       bool InStyleSheet, AnsiString& RTFCode)>;
using TRVURLNeededEvent = std::function<void(TObject* Sender, int id, AnsiString& url)>;
// The class library's drag-and-drop events, which deferred events may raise.
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

// The root data's class: the function that makes it for a viewer.
using TRollViewRVDataClass = TRollViewRVData* (*)(TCustomRollView* ARollView);

// ---------------------------------------------------------------------------
// The viewer

// A read-only scrolling view of a document. Owns its root document data
// (RVData), its background and its RTF import settings; refers to a style sheet
// it does not own (told when the style sheet goes, through Notification).
// Adding items lays nothing out: Format lays out the whole document, FormatTail
// what was appended since, and nothing is laid out before the window exists.
// Without a style sheet the window shows a message instead of the document.
class TCustomRollView : public TRVScroller {
public:
    explicit TCustomRollView(TComponent* AOwner);
    ~TCustomRollView() override;
    const char* ClassName() const override { return "TCustomRollView"; }

    // The class of the root data this viewer made.
    TRollViewRVDataClass GetDataClass() const { return FDataClass; }

    // The root document data; owned.
    TRollViewRVData* RVData = nullptr;

    // ---- Settings
    TRVOptions Options() const { return FOptions; }
    void SetOptions(TRVOptions Value) { FOptions = Value; }
    bool AllowSelection() const { return FOptions.Contains(rvoAllowSelection); }
    void SetAllowSelection(bool Value) { FOptions.Set(rvoAllowSelection, Value); }
    bool SingleClick() const { return FOptions.Contains(rvoSingleClick); }
    void SetSingleClick(bool Value) { FOptions.Set(rvoSingleClick, Value); }
    TRVRTFOptions RTFOptions() const { return FRTFOptions; }
    void SetRTFOptions(TRVRTFOptions Value) { FRTFOptions = Value; }
    TRVFOptions RVFOptions() const { return FRVFOptions; }
    void SetRVFOptions(TRVFOptions Value) { FRVFOptions = Value; }
    TRVFWarnings RVFWarnings() const { return FRVFWarnings; }
    void SetRVFWarnings(TRVFWarnings Value) { FRVFWarnings = Value; }
    TRVFReaderStyleMode RVFTextStylesReadMode() const { return FRVFTextStylesReadMode; }
    void SetRVFTextStylesReadMode(TRVFReaderStyleMode Value) { FRVFTextStylesReadMode = Value; }
    TRVFReaderStyleMode RVFParaStylesReadMode() const { return FRVFParaStylesReadMode; }
    void SetRVFParaStylesReadMode(TRVFReaderStyleMode Value) { FRVFParaStylesReadMode = Value; }
    // The characters that end a word for double-click selection and word search.
    const AnsiString& Delimiters() const { return FDelimiters; }
    void SetDelimiters(const AnsiString& Value) { FDelimiters = Value; }
    bool StoreDelimiters() const;
    static const char* const DefaultDelimiters;
    TCPEventKind CPEventKind() const { return FCPEventKind; }
    void SetCPEventKind(TCPEventKind Value) { FCPEventKind = Value; }
    int MaxTextWidth() const { return FMaxTextWidth; }
    void SetMaxTextWidth(int Value) { FMaxTextWidth = Value; }
    int MinTextWidth() const { return FMinTextWidth; }
    void SetMinTextWidth(int Value) { FMinTextWidth = Value; }
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int Value) { FLeftMargin = Value; }
    int RightMargin() const { return FRightMargin; }
    void SetRightMargin(int Value) { FRightMargin = Value; }
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int Value) { FTopMargin = Value; }
    int BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(int Value) { FBottomMargin = Value; }
    // The root data's flags.
    TRVFlags Flags() const { return FFlags; }
    void SetFlags(TRVFlags Value) { FFlags = Value; }
    TRVTabNavigationType TabNavigation() const { return RVData->TabNavigation; }
    void SetTabNavigation(TRVTabNavigationType Value) { RVData->TabNavigation = Value; }
    int GetFirstJumpNo() const { return RVData->FirstJumpNo; }
    void SetFirstJumpNo(int Value) { RVData->FirstJumpNo = Value; }
    bool ScrollTimerActive() const { return FScrollTimerActive; }

    // The cursor over normal text; the control's own cursor (TControl::Cursor)
    // is whatever the document last set, a hyperlink's for one.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    // ---- Style sheet, colours, background
    TRVStyle* Style() const { return FStyle; }
    // Not owned; the viewer is told when it goes.
    void SetStyle(TRVStyle* Value);
    // Color() is clNone by default: the style sheet's colour is used.
    TColor GetColor();
    TColor GetHoverColor(TColor Color);
    TRVBackground* Background() const { return FBackground.get(); }
    TBitmap* GetBackBitmap() const;
    // Copies the bitmap's picture into the background's.
    void SetBackBitmap(TBitmap* Value);
    TBackgroundStyle GetBackgroundStyle() const;
    void SetBackgroundStyle(TBackgroundStyle Value);
    void DoOnBackBitmapChange(TObject* Sender);
    void UpdatePaletteInfo() override;
    // A change recreates the window and lays the document out again.
    void SetBiDiModeRV(TRVBiDiMode Value) override;

    // ---- RTF import settings, created on first use
    virtual TRVRTFReaderProperties* GetRTFReadProperties();
    // Copies Value's settings (creating the object), or frees the object for null.
    void SetRTFReadProperties(TRVRTFReaderProperties* Value);
    bool RTFReaderAssigned() const { return FRTFReadProperties != nullptr; }

    // ---- Pictures written beside HTML pages
    AnsiString ImagesPrefix;
    bool OverrideImages() const { return (FHTMLFlags & 1) != 0; }
    void SetOverrideImages(bool Value)
    {
        FHTMLFlags = static_cast<uint8_t>(Value ? FHTMLFlags | 1 : FHTMLFlags & ~1);
    }
    int ImagesCounter = 0;
    // The TRVHTMLBulletInfo of the pictures already written; owned.
    TRVList* HTMLBullets() const { return FHTMLBullets.get(); }

    // Copies every event handler of Source.
    void AssignEvents(TCustomRollView* Source);
    // Run-time names never read designer defaults: renames the control.
    void SetName(const AnsiString& NewName) override;
    void GetTabOrderList(TList* List) override;

    // ---- Layout, selection, clearing (rollview_api.cpp)
    // Lays out the whole document; repaints under rvoFormatInvalidate.
    void Format();
    // Lays out what was appended since the last layout; repaints under
    // rvoFormatInvalidate. The selection, a drag in progress and the hovered
    // and pressed hyperlinks stay.
    void FormatTail();
    // Passes to the root data's Format_; nothing before the window exists or
    // while the control is designed.
    void Format_(bool Resized, bool Force, TCanvas* Canvas, bool Tail, bool Reformat);
    // Stops the auto-scroll timer, then frees the layout.
    virtual void ClearTemporal();
    // Deletes every item and checkpoint; the style sheet stays.
    void Clear();
    void Deselect();
    void SelectAll();
    void SetAddParagraphMode(bool Value) { RVData->SetAddParagraphMode(Value); }
    void SetPageBreaksBeforeItems(int ItemNo, bool Value);
    bool GetPageBreaksBeforeItems(int ItemNo) const { return RVData->GetPageBreaksBeforeItems(ItemNo); }
    int GetDocumentHeight() const { return RVData->DocumentHeight; }
    int GetFirstItemVisible() const { return RVData->GetFirstItemVisible(); }
    int GetLastItemVisible() const { return RVData->GetLastItemVisible(); }

    // ---- Adding items: every operation passes to the store (paragraph -1
    // continues the previous paragraph's line). Nothing is laid out.
    void AddNLTag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag);
    void AddItem(const AnsiString& Text, TCustomRVItemInfo* Item);
    void AddNL(const AnsiString& s, int StyleNo, int ParaNo);
    void AddFmt(const AnsiString& FormatStr, std::initializer_list<TFormatArg> Args, int StyleNo, int ParaNo);
    void AddFromNewLine(const AnsiString& s, int StyleNo);
    void AddTag(const AnsiString& s, int StyleNo, const TRVTag& Tag);
    void Add(const AnsiString& s, int StyleNo);
    void AddText(const AnsiString& s, int StyleNo);
    void AddTextFromNewLine(const AnsiString& s, int StyleNo);
    void AddTextNL(const AnsiString& s, int StyleNo, int FirstParaNo, int OtherParaNo);
    void AddTextBlockNL(const AnsiString& s, int StyleNo, int ParaNo);
    // In paragraph style 1.
    void AddCenterLine(const AnsiString& s, int StyleNo);
    void AddNLATag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag);
    void AddNLWTag(const WideString& s, int StyleNo, int ParaNo, const TRVTag& Tag);
    // Wide text; converted to ANSI with the style's code page for a text
    // style that is not Unicode.
    void AddTextNLW(const WideString& s, int StyleNo, int FirstParaNo, int OtherParaNo,
                    bool AsSingleParagraph);
    void AddBreakExTag(uint8_t Width, TRVBreakStyle Style, TColor Color, const TRVTag& Tag);
    void AddBreakEx(uint8_t Width, TRVBreakStyle Style, TColor Color);
    void AddBreakTag(const TRVTag& Tag);
    void AddBreak();
    int AddNamedCheckpointExTag(const AnsiString& CpName, bool RaiseEvent, const TRVTag& Tag);
    int AddNamedCheckpointEx(const AnsiString& CpName, bool RaiseEvent);
    int AddNamedCheckpoint(const AnsiString& CpName);
    int AddCheckpointTag(const TRVTag& Tag);
    int AddCheckpoint();
    void AddHotspotExTag(const AnsiString& Name, int ImageIndex, int HotImageIndex,
                         TCustomImageList* ImageList, int ParaNo, const TRVTag& Tag);
    void AddHotspotEx(const AnsiString& Name, int ImageIndex, int HotImageIndex, TCustomImageList* ImageList,
                      int ParaNo);
    void AddHotspot(int ImageIndex, TCustomImageList* ImageList, bool FromNewLine);
    void AddBulletExTag(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList, int ParaNo,
                        const TRVTag& Tag);
    void AddBulletEx(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList, int ParaNo);
    void AddBullet(int ImageIndex, TCustomImageList* ImageList, bool FromNewLine);
    // The document owns the picture.
    void AddPictureExTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                         const TRVTag& Tag);
    void AddPictureEx(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign);
    void AddHotPictureTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                          const TRVTag& Tag);
    void AddHotPicture(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign);
    // In paragraph style 1.
    void AddPicture(TGraphic* Graphic);
    // The document owns the control, which joins the viewer.
    void AddControlExTag(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign,
                         const TRVTag& Tag);
    void AddControlEx(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign);
    // Paragraph style 1 when centred, else 0.
    void AddControl(TControl* Control, bool Center);

    // ---- Items (the store's operations)
    // The object of Items at Index; a bad index raises the string list's error.
    TCustomRVItemInfo* GetItem(int ItemNo) const;
    int GetItemNo(TCustomRVItemInfo* Item) const { return RVData->GetItemNo(Item); }
    int GetLineCount() const { return RVData->GetItemCount(); }
    int GetItemStyle(int ItemNo) const { return RVData->GetItemStyle(ItemNo); }
    int GetItemPara(int ItemNo) const { return RVData->GetItemPara(ItemNo); }
    const TRVTag& GetItemTag(int ItemNo) const { return RVData->GetItemTag(ItemNo); }
    void SetItemTag(int ItemNo, const TRVTag& Tag) { RVData->SetItemTag(ItemNo, Tag); }
    // The item's string, read or replaced in place (nothing is laid out).
    AnsiString GetItemText(int ItemNo) const { return RVData->GetItemText(ItemNo); }
    void SetItemText(int ItemNo, const AnsiString& s) { RVData->SetItemText(ItemNo, s); }
    AnsiString GetItemTextA(int ItemNo) { return RVData->GetItemTextA(ItemNo); }
    void SetItemTextA(int ItemNo, const AnsiString& s) { RVData->SetItemTextA(ItemNo, s); }
    WideString GetItemTextW(int ItemNo) { return RVData->GetItemTextW(ItemNo); }
    void SetItemTextW(int ItemNo, const WideString& s) { RVData->SetItemTextW(ItemNo, s); }
    bool IsFromNewLine(int ItemNo) const { return RVData->IsFromNewLine(ItemNo); }
    bool IsParaStart(int ItemNo) const { return RVData->IsParaStart(ItemNo); }
    int GetOffsBeforeItem(int ItemNo) const { return RVData->GetOffsBeforeItem(ItemNo); }
    int GetOffsAfterItem(int ItemNo) const { return RVData->GetOffsAfterItem(ItemNo); }
    bool GetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int& Value);
    bool SetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value);
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
    void GetPictureInfo(int ItemNo, AnsiString& AName, TGraphic*& AGraphic, TRVVAlign& AVAlign,
                        TRVTag& ATag) const;
    bool SetPictureInfo(int ItemNo, const AnsiString& AName, TGraphic* AGraphic, TRVVAlign AVAlign,
                        const TRVTag& ATag);
    void GetControlInfo(int ItemNo, AnsiString& AName, TControl*& AControl, TRVVAlign& AVAlign,
                        TRVTag& ATag) const;
    bool SetControlInfo(int ItemNo, const AnsiString& AName, TRVVAlign AVAlign, const TRVTag& ATag);
    int FindControlItemNo(TControl* ActualCtrl) const { return RVData->FindControlItemNo(ActualCtrl); }
    void DeleteSection(const AnsiString& CpName);
    // Deselects first (through the root data).
    void DeleteItems(int FirstItemNo, int Count);
    // Appends copies of Source's items.
    void AppendFrom(TCustomRollView* Source);
    void DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles);

    // ---- Checkpoints
    TRVCPInfo* GetFirstCheckpoint() const { return RVData->GetFirstCheckpoint(); }
    TRVCPInfo* GetNextCheckpoint(TRVCPInfo* CheckpointData) const;
    TRVCPInfo* GetLastCheckpoint() const { return RVData->GetLastCheckpoint(); }
    TRVCPInfo* GetPrevCheckpoint(TRVCPInfo* CheckpointData) const;
    TRVCPInfo* GetItemCheckpoint(int ItemNo) const { return RVData->GetItemCheckpoint(ItemNo); }
    void GetCheckpointInfo(TRVCPInfo* CheckpointData, TRVTag& Tag, AnsiString& Name, bool& RaiseEvent) const;
    TRVCPInfo* FindCheckpointByName(const AnsiString& Name) const
    {
        return RVData->FindCheckpointByName(Name);
    }
    TRVCPInfo* FindCheckpointByTag(const TRVTag& Tag) { return RVData->FindCheckpointByTag(Tag); }
    int GetCheckpointNo(TRVCPInfo* CheckpointData) const { return RVData->GetCheckpointNo(CheckpointData); }
    TRVCPInfo* GetCheckpointByNo(int No) const { return RVData->GetCheckpointByNo(No); }
    int GetCheckpointItemNo(TRVCPInfo* CheckpointData) const;
    void SetCheckpointInfo(int ItemNo, const TRVTag& ATag, const AnsiString& AName, bool ARaiseEvent);
    bool RemoveCheckpoint(int ItemNo) { return RVData->RemoveCheckpoint(ItemNo); }

    // ---- List markers
    int SetListMarkerInfo(int ItemNo, int ListNo, int Level, int StartFrom, int ParaNo, bool UseStartFrom);
    void RemoveListMarker(int ItemNo);
    int GetListMarkerInfo(int ItemNo, int& ListNo, int& Level, int& StartFrom, bool& UseStartFrom);

    // ---- Focus among the items
    void GetFocusedItem(TCustomRVData*& AData, int& AItemNo) const;

    // ---- Selection, words, positions (the formatted data's operations)
    // A non-empty selection exists (an empty one is removed).
    bool SelectionExists();
    void SelectWordAt(int X, int Y);
    bool SelectControl(TControl* AControl);
    void GetSelectionBounds(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs, bool Normalize);
    void SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs);
    TRect GetSelectionRect();
    // The word at a client point; ItemNo -1 when none.
    void GetWordAt(int X, int Y, TCustomRVFormattedData*& AData, int& ItemNo, AnsiString& Word);
    AnsiString GetWordAt(int X, int Y);
    // The item position at a document point; whether an item was found.
    bool GetItemAt(int X, int Y, TCustomRVFormattedData*& AData, int& ItemNo, int& Offs, bool Strict);
    int GetLineNo(int ItemNo, int Offs);
    bool GetItemCoords(int ItemNo, int& Left, int& Top);
    bool GetItemClientCoords(int ItemNo, int& Left, int& Top);
    void GetCheckpointXY(TRVCPInfo* CheckpointData, int& X, int& Y);
    int GetCheckpointYEx(TRVCPInfo* CheckpointData);
    // The Y of checkpoint number No.
    int GetCheckpointY(int No);
    int GetJumpPointY(int Id);
    int GetJumpPointItemNo(int Id);
    void GetJumpPointLocation(int Id, TCustomRVFormattedData*& AData, int& ItemNo);
    void DeleteParas(int FirstItemNo, int LastItemNo);
    void AssignSoftPageBreaks(TRVPrintServices* PrintServices);
    // Then repaints.
    void ClearSoftPageBreaks();

    // ---- Plain text (the store's reader and writer). False on any failure.
    // Appends a text file, one text item of StyleNo per line; the W form reads UTF-16.
    bool LoadText(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph);
    bool LoadTextW(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph);
    // The whole document; the W forms write UTF-16.
    bool SaveText(const AnsiString& FileName, int LineWidth);
    bool SaveTextW(const AnsiString& FileName, int LineWidth);
    // The document or its selection, from the stream's position.
    bool SaveTextToStream(const AnsiString& Path, TStream* Stream, int LineWidth, bool SelectionOnly,
                          bool TextOnly);
    bool SaveTextToStreamW(const AnsiString& Path, TStream* Stream, int LineWidth, bool SelectionOnly,
                           bool TextOnly);

    // ---- Layout info
    // A new record (the caller owns it) with the margins, widths and reading direction.
    TRVLayoutInfo* CreateLayoutInfo() const;
    virtual void ApplyLayoutInfo(TRVLayoutInfo* Layout);

    // ---- Painting, colours and input (rollview_paint.cpp, rollview_input.cpp)
    void InplaceRedrawing(bool AllowRedrawItself);
    bool CompareTags(const TRVTag& Tag1, const TRVTag& Tag2);
    // The class library's SelectNext on the viewer: focuses the first (or the
    // last) control window inside the document.
    void SelectNext_(bool GoForward);
    static bool IsCopyShortcut(TShiftState Shift, WORD Key);
    static bool IsCutShortcut(TShiftState Shift, WORD Key);
    static bool IsPasteShortcut(TShiftState Shift, WORD Key);
    // Starts the auto-scroll timer (timer 1, 100 ms) unless it runs.
    void ActivateScrollTimer();
    // MouseMove at the pointer's place with the keyboard's shift state, when
    // the pointer is inside the client area.
    void GenerateMouseMove();
    // Ignored unless Value > 0 and the document's height in units of Value
    // fits the 32-bit scroll positions.
    void SetVSmallStep(int Value) override;

    // Posts a deferred event to the viewer's window; the message owns the
    // record. False without a window (the record is freed).
    bool PostRVEvent(std::unique_ptr<TRVMessageData> Data);
    // The drag-and-drop events a deferred event raises.
    void DragDrop(TObject* Source, int X, int Y);
    void DoEndDrag(TObject* Target, int X, int Y);

    void Dispatch(TMessage& Message) override;
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
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;

    // ==== h25's block (mouse, hyperlinks, selection, partial re-layout,
    // scroll events): members h25 adds to the viewer go here.
    // ==== end of h25's block

    // ==== h26: search, selected text, the clipboard, loading and saving
    // (rollview_files.cpp). Each passes to the root data with the viewer's
    // Color (clNone: the style sheet's colour is used) and Background; the
    // clipboard gets GetColor. Loading lays nothing out: Format afterwards.
    // Saving to a file replaces it only once every byte is written.

    // ---- Search and the selection
    // The root data's SearchText with rvsroDown, rvsroMatchCase and rvsroWholeWord.
    bool SearchText(const AnsiString& s, TRVSearchOptions SrchOptions);
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
    bool LoadRVF(const AnsiString& FileName);
    bool LoadRVFFromStream(TStream* Stream);
    // Inserts before item Index / appends (ParaNo: the first item's paragraph,
    // -1 by its place), the styles merged or mapped by the read modes.
    bool InsertRVFFromStream(TStream* Stream, int Index);
    bool AppendRVFFromStream(TStream* Stream, int ParaNo);
    bool SaveRVF(const AnsiString& FileName, bool SelectionOnly);
    bool SaveRVFToStream(TStream* Stream, bool SelectionOnly);

    // ---- RTF. Loading appends through the RTF import settings
    // (GetRTFReadProperties); false unless the import reports success, what
    // was read before a failure staying in the document.
    bool LoadRTF(const AnsiString& FileName);
    bool LoadRTFFromStream(TStream* Stream);
    bool SaveRTF(const AnsiString& FileName, bool SelectionOnly);
    bool SaveRTFToStream(TStream* Stream, bool SelectionOnly);

    // ---- HTML, plain or with a style sheet, pictures written beside the page
    // (Path: the page's folder) and counted by ImagesCounter. The stream
    // forms share HTMLBullets between the calls that write one page; a call
    // that writes a page's head starts the list afresh.
    bool SaveHTML(const AnsiString& FileName, const AnsiString& Title, const AnsiString& ImagesPrefix,
                  TRVSaveOptions Options);
    bool SaveHTMLToStream(TStream* Stream, const AnsiString& Path, const AnsiString& Title,
                          const AnsiString& ImagesPrefix, TRVSaveOptions Options);
    bool SaveHTMLEx(const AnsiString& FileName, const AnsiString& Title, const AnsiString& ImagesPrefix,
                    const AnsiString& ExtraStyles, const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                    TRVSaveOptions Options);
    bool SaveHTMLToStreamEx(TStream* Stream, const AnsiString& Path, const AnsiString& Title,
                            const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                            const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                            TRVSaveOptions Options);
    // Writes a picture into Path named ImagesPrefix + the next ImagesCounter
    // (overwriting files with OverrideImages) and returns its location.
    virtual AnsiString SavePicture(TRVSaveFormat DocumentSaveFormat, const AnsiString& Path, TGraphic* gr);
    // ==== end of h26's block

protected:
    TCustomRollView(TComponent* AOwner, TRollViewRVDataClass DataClass);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void AfterVScroll() override;
    void AfterHScroll() override;
    void AfterCreateWnd1() override;
    void AfterCreateWnd2() override;
    void DeselectChosenData(TCustomRVData* Data) override;
    TWinControl* GetChosenDataEditor(TCustomRVData* Data) override;

    // Message handlers
    void WMSize(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    void WMCopy(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMTimer(TMessage& Message);
    void WMDestroy(TMessage& Message);
    void WMRVEvent(TMessage& Message);

    // Draws "Style is not defined ..." over the clip rectangle.
    void PaintNoStyleMessage(TCanvas* Canvas);
    // The focused and the unfocused selection colours of the style sheet differ.
    bool SelectionColorsDiffer() const;

private:
    void Init();
    // The canvas layouts measure on when none is given: a bitmap's, kept as
    // long as the viewer, so that a layout (which sets fonts as it measures)
    // never changes the state of the window's canvas, also when it runs
    // halfway through a paint of the window.
    TCanvas* LayoutCanvas();

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
// TCustomRollView is public already.
class TRollView : public TCustomRollView {
public:
    explicit TRollView(TComponent* AOwner) : TCustomRollView(AOwner) {}
    const char* ClassName() const override { return "TRollView"; }
};
