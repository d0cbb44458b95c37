// TCustomRollView's document API: layout (whole, tail, after a resize),
// clearing and selecting, adding items, and the queries and changes that pass
// to the root document data and its item store.
#include <algorithm>
#include <cstdlib>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/bitmap.h"
#include "view/rollview.h"

// ---------------------------------------------------------------------------
// Layout

TCanvas* TCustomRollView::LayoutCanvas()
{
    // Text measures the same on it as in the window: both are screen canvases
    // of 96 pixels per inch.
    if (!FLayoutBitmap) {
        FLayoutBitmap = std::make_unique<TBitmap>();
        FLayoutBitmap->SetSize(1, 1);
    }
    return FLayoutBitmap->Canvas();
}

void TCustomRollView::Format_(bool Resized, bool Force, TCanvas* Canvas, bool Tail, bool Reformat)
{
    // Nothing is measured or laid out before there is a window to do it for.
    if (!HandleAllocated() || (ComponentState() & csDesigning))
        return;
    RVData->Format_(Resized, Force, false, 0, Canvas ? Canvas : LayoutCanvas(), Tail, Reformat);
}

void TCustomRollView::Format()
{
    Format_(false, true, nullptr, false, true);
    if (FOptions.Contains(rvoFormatInvalidate))
        Invalidate();
}

namespace {

// What the pixels of a laid-out view depend on besides its draw items and
// its vertical offset.
struct TViewPlacement {
    int HOffs, VSmallStep, DocumentWidth, ClientWidth, ClientHeight;
    bool operator==(const TViewPlacement& Other) const
    {
        return HOffs == Other.HOffs && VSmallStep == Other.VSmallStep &&
               DocumentWidth == Other.DocumentWidth && ClientWidth == Other.ClientWidth &&
               ClientHeight == Other.ClientHeight;
    }
};

// Paragraph borders and backgrounds join neighbouring paragraphs: a new
// paragraph may change how the one before it is drawn.
bool HasParagraphDecorations(const TRVStyle* Style)
{
    const TParaInfos* Paras = Style->ParaStyles();
    for (int i = 0; i < Paras->Count(); ++i) {
        const TParaInfo* Para = Paras->Items(i);
        if (Para->Border()->Style() != rvbNone || Para->Background()->Color() != clNone)
            return true;
    }
    return false;
}

} // namespace

void TCustomRollView::FormatTail()
{
    if (!HandleAllocated() || (ComponentState() & csDesigning)) {
        if (FOptions.Contains(rvoFormatInvalidate))
            Invalidate();
        return;
    }
    auto Placement = [this] {
        return TViewPlacement{RVData->GetZHOffs(), VSmallStep(), RVData->DocumentWidth, ClientWidth(),
                              ClientHeight()};
    };
    const TViewPlacement Before = Placement();
    const int VOffsBefore = RVData->GetZVOffs();
    RVData->FormatTailKeepingState(LayoutCanvas());
    if (!FOptions.Contains(rvoFormatInvalidate))
        return;
    // When the tail layout kept the draw items before the new ones and the
    // view at most moved up or down (following the end), what the window
    // shows of the kept ones is moved with it, and only the window from the
    // first new draw item down is painted again; else everything is.
    const int First = RVData->FirstNewDrawItem();
    const TRVStyle* Style = this->Style();
    const int Shift = VOffsBefore - RVData->GetZVOffs();
    // A pending checkpoint is drawn at the end of the document, which moved.
    const bool KeptAbove =
        First > 0 && First < RVData->DrawItems.Count() && Placement() == Before && Style != nullptr &&
        !HasParagraphDecorations(Style) && !(RVData->NotAddedCP && FOptions.Contains(rvoShowCheckpoints)) &&
        !(FBackground && FBackground->ScrollRequiresFullRedraw()) && std::abs(Shift) < ClientHeight();
    if (!KeptAbove) {
        Invalidate();
        return;
    }
    if (Shift != 0) {
        const TRect Client = ClientRect();
        ScrollWindowEx(Handle(), 0, Shift, nullptr, &Client, nullptr, nullptr, SW_INVALIDATE);
    }
    const int Top = RVData->DrawItems[First]->Top - RVData->GetZVOffs();
    if (Top < ClientHeight())
        InvalidateRect(Rect(0, std::max(Top, 0), ClientWidth(), ClientHeight()), false);
}

void TCustomRollView::WMSize(TMessage& Message)
{
    Format_(true, false, nullptr, false, false);
    TRVScroller::Dispatch(Message);
}

void TCustomRollView::AfterCreateWnd1()
{
    // A document that is there already is laid out by AfterCreateWnd2.
    if (RVData->GetItemCount() == 0)
        TRVScroller::AfterCreateWnd1();
}

void TCustomRollView::AfterCreateWnd2()
{
    if (RVData->GetItemCount() > 0)
        Format_(true, false, nullptr, false, false);
    else
        TRVScroller::AfterCreateWnd2();
}

// ---------------------------------------------------------------------------
// Clearing and selecting

void TCustomRollView::ClearTemporal()
{
    if (FScrollTimerActive) {
        if (HandleAllocated())
            KillTimer(Handle(), 1);
        FScrollTimerActive = false;
    }
    RVData->ClearTemporal();
}

void TCustomRollView::Clear()
{
    ClearTemporal();
    RVData->Clear();
}

void TCustomRollView::Deselect()
{
    RVData->Deselect(nullptr, true);
}

void TCustomRollView::SelectAll()
{
    RVData->SelectAll();
}

void TCustomRollView::SetPageBreaksBeforeItems(int ItemNo, bool Value)
{
    RVData->SetPageBreaksBeforeItems(ItemNo, Value);
    if (FOptions.Contains(rvoShowPageBreaks))
        Invalidate();
}

// ---------------------------------------------------------------------------
// Adding items

void TCustomRollView::AddNLTag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    RVData->AddNLTag(s, StyleNo, ParaNo, Tag);
}

void TCustomRollView::AddItem(const AnsiString& Text, TCustomRVItemInfo* Item)
{
    RVData->AddItem(Text, Item);
}

void TCustomRollView::AddNL(const AnsiString& s, int StyleNo, int ParaNo)
{
    RVData->AddNL(s, StyleNo, ParaNo);
}

void TCustomRollView::AddFmt(const AnsiString& FormatStr, std::initializer_list<TFormatArg> Args, int StyleNo,
                             int ParaNo)
{
    RVData->AddFmt(FormatStr, Args, StyleNo, ParaNo);
}

void TCustomRollView::AddFromNewLine(const AnsiString& s, int StyleNo)
{
    RVData->AddNLTag(s, StyleNo, 0, TRVTag());
}

void TCustomRollView::AddTag(const AnsiString& s, int StyleNo, const TRVTag& Tag)
{
    RVData->AddNLTag(s, StyleNo, -1, Tag);
}

void TCustomRollView::Add(const AnsiString& s, int StyleNo)
{
    RVData->AddNLTag(s, StyleNo, -1, TRVTag());
}

void TCustomRollView::AddText(const AnsiString& s, int StyleNo)
{
    RVData->AddTextNL(s, StyleNo, -1, 0, TRVTag());
}

void TCustomRollView::AddTextFromNewLine(const AnsiString& s, int StyleNo)
{
    RVData->AddTextNL(s, StyleNo, 0, 0, TRVTag());
}

void TCustomRollView::AddTextNL(const AnsiString& s, int StyleNo, int FirstParaNo, int OtherParaNo)
{
    RVData->AddTextNL(s, StyleNo, FirstParaNo, OtherParaNo, TRVTag());
}

void TCustomRollView::AddTextBlockNL(const AnsiString& s, int StyleNo, int ParaNo)
{
    RVData->AddTextBlockNL(s, StyleNo, ParaNo, TRVTag());
}

void TCustomRollView::AddCenterLine(const AnsiString& s, int StyleNo)
{
    RVData->AddNLTag(s, StyleNo, 1, TRVTag());
}

void TCustomRollView::AddNLATag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    RVData->AddNLATag(s, StyleNo, ParaNo, Tag);
}

void TCustomRollView::AddNLWTag(const WideString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    RVData->AddNLWTag(s, StyleNo, ParaNo, Tag);
}

void TCustomRollView::AddTextNLW(const WideString& s, int StyleNo, int FirstParaNo, int OtherParaNo,
                                 bool AsSingleParagraph)
{
    const AnsiString Raw = RVU_GetRawUnicode(s);
    if (FStyle && !FStyle->TextStyles()->Items(StyleNo)->Unicode()) {
        const AnsiString Ansi = RVU_UnicodeToAnsi(RVData->GetStyleCodePage(StyleNo), Raw);
        if (AsSingleParagraph)
            AddTextBlockNL(Ansi, StyleNo, FirstParaNo);
        else
            AddTextNL(Ansi, StyleNo, FirstParaNo, OtherParaNo);
        return;
    }
    RVData->AddTextNLW(Raw, StyleNo, FirstParaNo, OtherParaNo, AsSingleParagraph);
}

void TCustomRollView::AddBreakExTag(uint8_t Width, TRVBreakStyle Style, TColor Color, const TRVTag& Tag)
{
    RVData->AddBreakExTag(Width, Style, Color, Tag);
}

void TCustomRollView::AddBreakEx(uint8_t Width, TRVBreakStyle Style, TColor Color)
{
    RVData->AddBreakEx(Width, Style, Color);
}

void TCustomRollView::AddBreakTag(const TRVTag& Tag)
{
    RVData->AddBreakTag(Tag);
}

void TCustomRollView::AddBreak()
{
    RVData->AddBreakTag(TRVTag());
}

int TCustomRollView::AddNamedCheckpointExTag(const AnsiString& CpName, bool RaiseEvent, const TRVTag& Tag)
{
    return RVData->AddNamedCheckpointExTag(CpName, RaiseEvent, Tag);
}

int TCustomRollView::AddNamedCheckpointEx(const AnsiString& CpName, bool RaiseEvent)
{
    return RVData->AddNamedCheckpointExTag(CpName, RaiseEvent, TRVTag());
}

int TCustomRollView::AddNamedCheckpoint(const AnsiString& CpName)
{
    return RVData->AddNamedCheckpointExTag(CpName, false, TRVTag());
}

int TCustomRollView::AddCheckpointTag(const TRVTag& Tag)
{
    return RVData->AddNamedCheckpointExTag(AnsiString(), false, Tag);
}

int TCustomRollView::AddCheckpoint()
{
    return RVData->AddNamedCheckpointExTag(AnsiString(), false, TRVTag());
}

void TCustomRollView::AddHotspotExTag(const AnsiString& Name, int ImageIndex, int HotImageIndex,
                                      TCustomImageList* ImageList, int ParaNo, const TRVTag& Tag)
{
    RVData->AddHotspotExTag(Name, ImageIndex, HotImageIndex, ImageList, ParaNo, Tag);
}

void TCustomRollView::AddHotspotEx(const AnsiString& Name, int ImageIndex, int HotImageIndex,
                                   TCustomImageList* ImageList, int ParaNo)
{
    RVData->AddHotspotEx(Name, ImageIndex, HotImageIndex, ImageList, ParaNo);
}

void TCustomRollView::AddHotspot(int ImageIndex, TCustomImageList* ImageList, bool FromNewLine)
{
    RVData->AddHotspotExTag(AnsiString(), ImageIndex, ImageIndex, ImageList, FromNewLine ? 0 : -1, TRVTag());
}

void TCustomRollView::AddBulletExTag(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList,
                                     int ParaNo, const TRVTag& Tag)
{
    RVData->AddBulletExTag(Name, ImageIndex, ImageList, ParaNo, Tag);
}

void TCustomRollView::AddBulletEx(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList,
                                  int ParaNo)
{
    RVData->AddBulletEx(Name, ImageIndex, ImageList, ParaNo);
}

void TCustomRollView::AddBullet(int ImageIndex, TCustomImageList* ImageList, bool FromNewLine)
{
    RVData->AddBulletExTag(AnsiString(), ImageIndex, ImageList, FromNewLine ? 0 : -1, TRVTag());
}

void TCustomRollView::AddPictureExTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign,
                                      const TRVTag& Tag)
{
    RVData->AddPictureExTag(Name, Graphic, ParaNo, VAlign, Tag);
}

void TCustomRollView::AddPictureEx(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign)
{
    RVData->AddPictureExTag(Name, Graphic, ParaNo, VAlign, TRVTag());
}

void TCustomRollView::AddHotPictureTag(const AnsiString& Name, TGraphic* Graphic, int ParaNo,
                                       TRVVAlign VAlign, const TRVTag& Tag)
{
    RVData->AddHotPictureTag(Name, Graphic, ParaNo, VAlign, Tag);
}

void TCustomRollView::AddHotPicture(const AnsiString& Name, TGraphic* Graphic, int ParaNo, TRVVAlign VAlign)
{
    RVData->AddHotPictureTag(Name, Graphic, ParaNo, VAlign, TRVTag());
}

void TCustomRollView::AddPicture(TGraphic* Graphic)
{
    RVData->AddPictureExTag(AnsiString(), Graphic, 1, rvvaBaseline, TRVTag());
}

void TCustomRollView::AddControlExTag(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign,
                                      const TRVTag& Tag)
{
    RVData->AddControlExTag(Name, Control, ParaNo, VAlign, Tag);
}

void TCustomRollView::AddControlEx(const AnsiString& Name, TControl* Control, int ParaNo, TRVVAlign VAlign)
{
    RVData->AddControlExTag(Name, Control, ParaNo, VAlign, TRVTag());
}

void TCustomRollView::AddControl(TControl* Control, bool Center)
{
    RVData->AddControlExTag(AnsiString(), Control, Center ? 1 : 0, rvvaBaseline, TRVTag());
}

// ---------------------------------------------------------------------------
// Items

TCustomRVItemInfo* TCustomRollView::GetItem(int ItemNo) const
{
    // Read from the list itself: a bad index raises the list's own error.
    return static_cast<TCustomRVItemInfo*>(RVData->Items->GetObject(ItemNo));
}

bool TCustomRollView::GetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int& Value)
{
    return RVData->GetItemExtraIntProperty(ItemNo, Prop, Value);
}

bool TCustomRollView::SetItemExtraIntProperty(int ItemNo, TRVExtraItemProperty Prop, int Value)
{
    return RVData->SetItemExtraIntProperty(ItemNo, Prop, Value);
}

void TCustomRollView::GetTextInfo(int ItemNo, AnsiString& AText, TRVTag& ATag) const
{
    RVData->GetTextInfo(ItemNo, AText, ATag);
}

void TCustomRollView::GetBreakInfo(int ItemNo, uint8_t& ALineWidth, TRVBreakStyle& AStyle, TColor& AColor,
                                   TRVTag& ATag) const
{
    RVData->GetBreakInfo(ItemNo, ALineWidth, AStyle, AColor, ATag);
}

void TCustomRollView::SetBreakInfo(int ItemNo, uint8_t ALineWidth, TRVBreakStyle AStyle, TColor AColor,
                                   const TRVTag& ATag)
{
    RVData->SetBreakInfo(ItemNo, ALineWidth, AStyle, AColor, ATag);
}

void TCustomRollView::GetBulletInfo(int ItemNo, AnsiString& AName, int& AImageIndex,
                                    TCustomImageList*& AImageList, TRVTag& ATag) const
{
    RVData->GetBulletInfo(ItemNo, AName, AImageIndex, AImageList, ATag);
}

void TCustomRollView::SetBulletInfo(int ItemNo, const AnsiString& AName, int AImageIndex,
                                    TCustomImageList* AImageList, const TRVTag& ATag)
{
    RVData->SetBulletInfo(ItemNo, AName, AImageIndex, AImageList, ATag);
}

void TCustomRollView::GetHotspotInfo(int ItemNo, AnsiString& AName, int& AImageIndex, int& AHotImageIndex,
                                     TCustomImageList*& AImageList, TRVTag& ATag) const
{
    RVData->GetHotspotInfo(ItemNo, AName, AImageIndex, AHotImageIndex, AImageList, ATag);
}

void TCustomRollView::SetHotspotInfo(int ItemNo, const AnsiString& AName, int AImageIndex, int AHotImageIndex,
                                     TCustomImageList* AImageList, const TRVTag& ATag)
{
    RVData->SetHotspotInfo(ItemNo, AName, AImageIndex, AHotImageIndex, AImageList, ATag);
}

void TCustomRollView::GetPictureInfo(int ItemNo, AnsiString& AName, TGraphic*& AGraphic, TRVVAlign& AVAlign,
                                     TRVTag& ATag) const
{
    RVData->GetPictureInfo(ItemNo, AName, AGraphic, AVAlign, ATag);
}

bool TCustomRollView::SetPictureInfo(int ItemNo, const AnsiString& AName, TGraphic* AGraphic,
                                     TRVVAlign AVAlign, const TRVTag& ATag)
{
    return RVData->SetPictureInfo(ItemNo, AName, AGraphic, AVAlign, ATag);
}

void TCustomRollView::GetControlInfo(int ItemNo, AnsiString& AName, TControl*& AControl, TRVVAlign& AVAlign,
                                     TRVTag& ATag) const
{
    RVData->GetControlInfo(ItemNo, AName, AControl, AVAlign, ATag);
}

bool TCustomRollView::SetControlInfo(int ItemNo, const AnsiString& AName, TRVVAlign AVAlign,
                                     const TRVTag& ATag)
{
    return RVData->SetControlInfo(ItemNo, AName, AVAlign, ATag);
}

void TCustomRollView::DeleteSection(const AnsiString& CpName)
{
    RVData->DeleteSection(CpName);
}

void TCustomRollView::DeleteItems(int FirstItemNo, int Count)
{
    RVData->DeleteItems(FirstItemNo, Count);
}

void TCustomRollView::AppendFrom(TCustomRollView* Source)
{
    if (Source)
        RVData->AppendFrom(Source->RVData);
}

void TCustomRollView::DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles)
{
    RVData->DeleteUnusedStyles(TextStyles, ParaStyles, ListStyles);
}

// ---------------------------------------------------------------------------
// Plain text

bool TCustomRollView::LoadText(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph)
{
    return RVData->LoadText(FileName, StyleNo, ParaNo, AsSingleParagraph);
}

bool TCustomRollView::LoadTextW(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph)
{
    return RVData->LoadTextW(FileName, StyleNo, ParaNo, AsSingleParagraph);
}

bool TCustomRollView::SaveText(const AnsiString& FileName, int LineWidth)
{
    return RVData->SaveText(FileName, LineWidth, false);
}

bool TCustomRollView::SaveTextW(const AnsiString& FileName, int LineWidth)
{
    return RVData->SaveText(FileName, LineWidth, true);
}

bool TCustomRollView::SaveTextToStream(const AnsiString& Path, TStream* Stream, int LineWidth,
                                       bool SelectionOnly, bool TextOnly)
{
    return Stream && RVData->SaveTextToStream(Path, *Stream, LineWidth, SelectionOnly, TextOnly, false);
}

bool TCustomRollView::SaveTextToStreamW(const AnsiString& Path, TStream* Stream, int LineWidth,
                                        bool SelectionOnly, bool TextOnly)
{
    return Stream && RVData->SaveTextToStream(Path, *Stream, LineWidth, SelectionOnly, TextOnly, true);
}

// ---------------------------------------------------------------------------
// Checkpoints, list markers, focus

TRVCPInfo* TCustomRollView::GetNextCheckpoint(TRVCPInfo* CheckpointData) const
{
    return RVData->GetNextCheckpoint(CheckpointData);
}

TRVCPInfo* TCustomRollView::GetPrevCheckpoint(TRVCPInfo* CheckpointData) const
{
    return RVData->GetPrevCheckpoint(CheckpointData);
}

void TCustomRollView::GetCheckpointInfo(TRVCPInfo* CheckpointData, TRVTag& Tag, AnsiString& Name,
                                        bool& RaiseEvent) const
{
    RVData->GetCheckpointInfo(CheckpointData, Tag, Name, RaiseEvent);
}

int TCustomRollView::GetCheckpointItemNo(TRVCPInfo* CheckpointData) const
{
    return RVData->GetCheckpointItemNo(CheckpointData);
}

void TCustomRollView::SetCheckpointInfo(int ItemNo, const TRVTag& ATag, const AnsiString& AName,
                                        bool ARaiseEvent)
{
    RVData->SetCheckpointInfo(ItemNo, ATag, AName, ARaiseEvent);
}

int TCustomRollView::SetListMarkerInfo(int ItemNo, int ListNo, int Level, int StartFrom, int ParaNo,
                                       bool UseStartFrom)
{
    return RVData->SetListMarkerInfo(ItemNo, ListNo, Level, StartFrom, ParaNo, UseStartFrom);
}

void TCustomRollView::RemoveListMarker(int ItemNo)
{
    RVData->RemoveListMarker(ItemNo);
}

int TCustomRollView::GetListMarkerInfo(int ItemNo, int& ListNo, int& Level, int& StartFrom,
                                       bool& UseStartFrom)
{
    return RVData->GetListMarkerInfo(ItemNo, ListNo, Level, StartFrom, UseStartFrom);
}

void TCustomRollView::GetFocusedItem(TCustomRVData*& AData, int& AItemNo) const
{
    AData = RVData->TopFocusedRVData;
    AItemNo = RVData->TopFocusedItemNo;
}

// ---------------------------------------------------------------------------
// Selection, words and positions

bool TCustomRollView::SelectionExists()
{
    return RVData->SelectionExists(true, true);
}

void TCustomRollView::SelectWordAt(int X, int Y)
{
    RVData->SelectWordAt(X, Y);
}

bool TCustomRollView::SelectControl(TControl* AControl)
{
    return RVData->SelectControl(AControl);
}

void TCustomRollView::GetSelectionBounds(int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                                         bool Normalize)
{
    RVData->GetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs, Normalize);
}

void TCustomRollView::SetSelectionBounds(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs)
{
    RVData->SetSelectionBounds(StartItemNo, StartOffs, EndItemNo, EndOffs);
}

TRect TCustomRollView::GetSelectionRect()
{
    return RVData->GetSelectionRect();
}

void TCustomRollView::GetWordAt(int X, int Y, TCustomRVFormattedData*& AData, int& ItemNo, AnsiString& Word)
{
    RVData->GetWordAt(X, Y, AData, ItemNo, Word);
}

AnsiString TCustomRollView::GetWordAt(int X, int Y)
{
    TCustomRVFormattedData* Data = nullptr;
    int ItemNo = -1;
    AnsiString Word;
    RVData->GetWordAt(X, Y, Data, ItemNo, Word);
    return Word;
}

bool TCustomRollView::GetItemAt(int X, int Y, TCustomRVFormattedData*& AData, int& ItemNo, int& Offs,
                                bool Strict)
{
    RVData->GetItemAtEx(X, Y, AData, ItemNo, Offs, Strict);
    return ItemNo != -1;
}

int TCustomRollView::GetLineNo(int ItemNo, int Offs)
{
    return RVData->GetLineNo(ItemNo, Offs);
}

bool TCustomRollView::GetItemCoords(int ItemNo, int& Left, int& Top)
{
    return RVData->GetItemCoords(ItemNo, Left, Top);
}

bool TCustomRollView::GetItemClientCoords(int ItemNo, int& Left, int& Top)
{
    return RVData->GetItemClientCoords(ItemNo, Left, Top);
}

void TCustomRollView::GetCheckpointXY(TRVCPInfo* CheckpointData, int& X, int& Y)
{
    RVData->GetCheckpointXY(CheckpointData, X, Y);
}

int TCustomRollView::GetCheckpointYEx(TRVCPInfo* CheckpointData)
{
    return RVData->GetCheckpointYEx(CheckpointData);
}

int TCustomRollView::GetCheckpointY(int No)
{
    return RVData->GetCheckpointYEx(RVData->GetCheckpointByNo(No));
}

int TCustomRollView::GetJumpPointY(int Id)
{
    return RVData->GetJumpPointY(Id);
}

int TCustomRollView::GetJumpPointItemNo(int Id)
{
    return RVData->GetJumpPointItemNo(Id);
}

void TCustomRollView::GetJumpPointLocation(int Id, TCustomRVFormattedData*& AData, int& ItemNo)
{
    RVData->GetJumpPointLocation(Id, AData, ItemNo);
}

void TCustomRollView::DeleteParas(int FirstItemNo, int LastItemNo)
{
    RVData->DeleteParas(FirstItemNo, LastItemNo);
}

void TCustomRollView::AssignSoftPageBreaks(TRVPrintServices* PrintServices)
{
    RVData->AssignSoftPageBreaks(PrintServices);
}

void TCustomRollView::ClearSoftPageBreaks()
{
    RVData->ClearSoftPageBreaks();
    Invalidate();
}
