// TCustomRollView's document API: layout (whole, tail, after a resize),
// clearing and selecting, adding items, and the queries and changes that pass
// to the root document data and its item store.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/bitmap.h"
#include "view/rollview.h"

// ---------------------------------------------------------------------------
// Layout

TCanvas* TCustomRollView::GetFormattingCanvas()
{
    // Text measures the same on it as in the window: both are screen canvases
    // of 96 pixels per inch.
    if (!FLayoutBitmap) {
        FLayoutBitmap = std::make_unique<TBitmap>();
        FLayoutBitmap->SetSize(1, 1);
    }
    return FLayoutBitmap->Canvas();
}

void TCustomRollView::Format_(bool resized, bool force, TCanvas* canvas, bool tail, bool reformat)
{
    // Nothing is measured or laid out before there is a window to do it for.
    if (!HandleAllocated() || (ComponentState() & csDesigning))
        return;
    RVData->Format_(resized, force, false, 0, canvas ? canvas : GetFormattingCanvas(), tail, reformat);
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
    bool operator==(const TViewPlacement& other) const
    {
        return HOffs == other.HOffs && VSmallStep == other.VSmallStep &&
               DocumentWidth == other.DocumentWidth && ClientWidth == other.ClientWidth &&
               ClientHeight == other.ClientHeight;
    }
};

// Paragraph borders and backgrounds join neighbouring paragraphs: a new
// paragraph may change how the one before it is drawn.
bool HasParagraphDecorations(const TRVStyle* style)
{
    const TParaInfos* paras = style->ParaStyles();
    for (int i = 0; i < paras->Count(); ++i) {
        const TParaInfo* para = paras->Items(i);
        if (para->Border()->Style() != rvbNone || para->Background()->Color() != clNone)
            return true;
    }
    return false;
}

// The draw items of a document's last line, as a tail layout found them (none
// when the line holds more than a few: it is then painted again whole).
struct TLastLine {
    struct TPiece {
        int Left, Top, Width, Height, ItemNo, Offs, Length, SpaceBefore, ExtraSpaceBelow;
        bool operator==(const TPiece& o) const
        {
            return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height &&
                   ItemNo == o.ItemNo && Offs == o.Offs && Length == o.Length &&
                   SpaceBefore == o.SpaceBefore && ExtraSpaceBelow == o.ExtraSpaceBelow;
        }
    };
    static constexpr int MaxPieces = 8;
    int First = 0; // the draw item of the first piece
    int Count = 0;
    TPiece Pieces[MaxPieces];
};

TLastLine::TPiece PieceOf(const TRVDrawLineInfo* d)
{
    return {d->Left, d->Top,    d->Width,       d->Height,         d->ItemNo,
            d->Offs, d->Length, d->SpaceBefore, d->ExtraSpaceBelow};
}

TLastLine NoteLastLine(const TRVDrawLines& drawItems)
{
    TLastLine line;
    int start = drawItems.Count() - 1;
    while (start > 0 && !drawItems[start]->FromNewLine && drawItems.Count() - start < TLastLine::MaxPieces)
        --start;
    if (start < 0 || !drawItems[start]->FromNewLine)
        return line;
    line.First = start;
    line.Count = drawItems.Count() - start;
    for (int i = 0; i < line.Count; ++i)
        line.Pieces[i] = PieceOf(drawItems[start + i]);
    return line;
}

// The first of the draw items from First on that the layout changed: the
// draw items of the last line it laid out again where they were, with the
// same text, are kept as they are shown.
int FirstChangedDrawItem(const TRVDrawLines& drawItems, const TLastLine& lastLine, int first, int countBefore)
{
    if (lastLine.Count == 0 || first < lastLine.First || countBefore != lastLine.First + lastLine.Count)
        return first;
    int i = first;
    while (i < countBefore && i < drawItems.Count() &&
           PieceOf(drawItems[i]) == lastLine.Pieces[i - lastLine.First])
        ++i;
    return i;
}

} // namespace

void TCustomRollView::FormatTail()
{
    if (!HandleAllocated() || (ComponentState() & csDesigning)) {
        if (FOptions.Contains(rvoFormatInvalidate))
            Invalidate();
        return;
    }
    auto placement = [this] {
        return TViewPlacement{RVData->GetZHOffs(), VSmallStep(), RVData->DocumentWidth, ClientWidth(),
                              ClientHeight()};
    };
    const TViewPlacement before = placement();
    const int vOffsBefore = RVData->GetZVOffs();
    const TLastLine lastLine = NoteLastLine(RVData->DrawItems);
    const int countBefore = RVData->DrawItems.Count();
    RVData->FormatTailKeepingState(GetFormattingCanvas());
    if (!FOptions.Contains(rvoFormatInvalidate))
        return;
    // When the tail layout kept the draw items before the new ones and the
    // view at most moved up or down (following the end), what the window
    // shows of the kept ones is moved with it, and only the window from the
    // first draw item that changed down is painted again; else everything is.
    const int first = RVData->FirstNewDrawItem();
    // The last line laid out again just as it was is shown as it was.
    const int firstChanged = FirstChangedDrawItem(RVData->DrawItems, lastLine, first, countBefore);
    const TRVStyle* style = this->Style();
    const int shift = vOffsBefore - RVData->GetZVOffs();
    // A pending checkpoint is drawn at the end of the document, which moved.
    const bool keptAbove =
        first > 0 && first < RVData->DrawItems.Count() && placement() == before && style != nullptr &&
        !HasParagraphDecorations(style) && !(RVData->NotAddedCP && FOptions.Contains(rvoShowCheckpoints)) &&
        !(FBackground && FBackground->ScrollRequiresFullRedraw()) && std::abs(shift) < ClientHeight();
    if (!keptAbove) {
        Invalidate();
        return;
    }
    if (shift != 0) {
        const TRect client = ClientRect();
        ScrollWindowEx(Handle(), 0, shift, nullptr, &client, nullptr, nullptr, SW_INVALIDATE);
    }
    const int top = (firstChanged < RVData->DrawItems.Count() ? RVData->DrawItems[firstChanged]->Top
                                                              : RVData->DocumentHeight) -
                    RVData->GetZVOffs();
    if (top < ClientHeight())
        InvalidateRect(Rect(0, std::max(top, 0), ClientWidth(), ClientHeight()), false);
}

void TCustomRollView::WMSize(TMessage& message)
{
    Format_(true, false, nullptr, false, false);
    TRVScroller::Dispatch(message);
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

void TCustomRollView::SetPageBreaksBeforeItems(int itemNo, bool value)
{
    RVData->SetPageBreaksBeforeItems(itemNo, value);
    if (FOptions.Contains(rvoShowPageBreaks))
        Invalidate();
}

// ---------------------------------------------------------------------------
// Adding items

void TCustomRollView::AddNLTag(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag)
{
    RVData->AddNLTag(s, styleNo, paraNo, tag);
}

void TCustomRollView::AddItem(AnsiString text, TCustomRVItemInfo* item)
{
    RVData->AddItem(std::move(text), item);
}

void TCustomRollView::AddNL(AnsiString s, int styleNo, int paraNo)
{
    RVData->AddNL(std::move(s), styleNo, paraNo);
}

void TCustomRollView::AddFmt(const AnsiString& formatStr, std::initializer_list<TFormatArg> args, int styleNo,
                             int paraNo)
{
    RVData->AddFmt(formatStr, args, styleNo, paraNo);
}

void TCustomRollView::AddFromNewLine(const AnsiString& s, int styleNo)
{
    RVData->AddNLTag(s, styleNo, 0, TRVTag());
}

void TCustomRollView::AddTag(const AnsiString& s, int styleNo, const TRVTag& tag)
{
    RVData->AddNLTag(s, styleNo, -1, tag);
}

void TCustomRollView::Add(const AnsiString& s, int styleNo)
{
    RVData->AddNLTag(s, styleNo, -1, TRVTag());
}

void TCustomRollView::AddText(const AnsiString& s, int styleNo)
{
    RVData->AddTextNL(s, styleNo, -1, 0, TRVTag());
}

void TCustomRollView::AddTextFromNewLine(const AnsiString& s, int styleNo)
{
    RVData->AddTextNL(s, styleNo, 0, 0, TRVTag());
}

void TCustomRollView::AddTextNL(const AnsiString& s, int styleNo, int firstParaNo, int otherParaNo)
{
    RVData->AddTextNL(s, styleNo, firstParaNo, otherParaNo, TRVTag());
}

void TCustomRollView::AddTextBlockNL(const AnsiString& s, int styleNo, int paraNo)
{
    RVData->AddTextBlockNL(s, styleNo, paraNo, TRVTag());
}

void TCustomRollView::AddCenterLine(const AnsiString& s, int styleNo)
{
    RVData->AddNLTag(s, styleNo, 1, TRVTag());
}

void TCustomRollView::AddNLATag(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag)
{
    RVData->AddNLATag(s, styleNo, paraNo, tag);
}

void TCustomRollView::AddNLWTag(const WideString& s, int styleNo, int paraNo, const TRVTag& tag)
{
    RVData->AddNLWTag(s, styleNo, paraNo, tag);
}

void TCustomRollView::AddTextNLW(const WideString& s, int styleNo, int firstParaNo, int otherParaNo,
                                 bool asSingleParagraph)
{
    const AnsiString raw = RVU_GetRawUnicode(s);
    if (FStyle && !FStyle->TextStyles()->Items(styleNo)->Unicode()) {
        const AnsiString ansi = RVU_UnicodeToAnsi(RVData->GetStyleCodePage(styleNo), raw);
        if (asSingleParagraph)
            AddTextBlockNL(ansi, styleNo, firstParaNo);
        else
            AddTextNL(ansi, styleNo, firstParaNo, otherParaNo);
        return;
    }
    RVData->AddTextNLW(raw, styleNo, firstParaNo, otherParaNo, asSingleParagraph);
}

void TCustomRollView::AddBreakExTag(uint8_t width, TRVBreakStyle style, TColor color, const TRVTag& tag)
{
    RVData->AddBreakExTag(width, style, color, tag);
}

void TCustomRollView::AddBreakEx(uint8_t width, TRVBreakStyle style, TColor color)
{
    RVData->AddBreakEx(width, style, color);
}

void TCustomRollView::AddBreakTag(const TRVTag& tag)
{
    RVData->AddBreakTag(tag);
}

void TCustomRollView::AddBreak()
{
    RVData->AddBreakTag(TRVTag());
}

int TCustomRollView::AddNamedCheckpointExTag(const AnsiString& cpName, bool raiseEvent, const TRVTag& tag)
{
    return RVData->AddNamedCheckpointExTag(cpName, raiseEvent, tag);
}

int TCustomRollView::AddNamedCheckpointEx(const AnsiString& cpName, bool raiseEvent)
{
    return RVData->AddNamedCheckpointExTag(cpName, raiseEvent, TRVTag());
}

int TCustomRollView::AddNamedCheckpoint(const AnsiString& cpName)
{
    return RVData->AddNamedCheckpointExTag(cpName, false, TRVTag());
}

int TCustomRollView::AddCheckpointTag(const TRVTag& tag)
{
    return RVData->AddNamedCheckpointExTag(AnsiString(), false, tag);
}

int TCustomRollView::AddCheckpoint()
{
    return RVData->AddNamedCheckpointExTag(AnsiString(), false, TRVTag());
}

void TCustomRollView::AddHotspotExTag(const AnsiString& name, int imageIndex, int hotImageIndex,
                                      TCustomImageList* imageList, int paraNo, const TRVTag& tag)
{
    RVData->AddHotspotExTag(name, imageIndex, hotImageIndex, imageList, paraNo, tag);
}

void TCustomRollView::AddHotspotEx(const AnsiString& name, int imageIndex, int hotImageIndex,
                                   TCustomImageList* imageList, int paraNo)
{
    RVData->AddHotspotEx(name, imageIndex, hotImageIndex, imageList, paraNo);
}

void TCustomRollView::AddHotspot(int imageIndex, TCustomImageList* imageList, bool fromNewLine)
{
    RVData->AddHotspotExTag(AnsiString(), imageIndex, imageIndex, imageList, fromNewLine ? 0 : -1, TRVTag());
}

void TCustomRollView::AddBulletExTag(const AnsiString& name, int imageIndex, TCustomImageList* imageList,
                                     int paraNo, const TRVTag& tag)
{
    RVData->AddBulletExTag(name, imageIndex, imageList, paraNo, tag);
}

void TCustomRollView::AddBulletEx(const AnsiString& name, int imageIndex, TCustomImageList* imageList,
                                  int paraNo)
{
    RVData->AddBulletEx(name, imageIndex, imageList, paraNo);
}

void TCustomRollView::AddBullet(int imageIndex, TCustomImageList* imageList, bool fromNewLine)
{
    RVData->AddBulletExTag(AnsiString(), imageIndex, imageList, fromNewLine ? 0 : -1, TRVTag());
}

void TCustomRollView::AddPictureExTag(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign,
                                      const TRVTag& tag)
{
    RVData->AddPictureExTag(name, graphic, paraNo, vAlign, tag);
}

void TCustomRollView::AddPictureEx(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign)
{
    RVData->AddPictureExTag(name, graphic, paraNo, vAlign, TRVTag());
}

void TCustomRollView::AddHotPictureTag(const AnsiString& name, TGraphic* graphic, int paraNo,
                                       TRVVAlign vAlign, const TRVTag& tag)
{
    RVData->AddHotPictureTag(name, graphic, paraNo, vAlign, tag);
}

void TCustomRollView::AddHotPicture(const AnsiString& name, TGraphic* graphic, int paraNo, TRVVAlign vAlign)
{
    RVData->AddHotPictureTag(name, graphic, paraNo, vAlign, TRVTag());
}

void TCustomRollView::AddPicture(TGraphic* graphic)
{
    RVData->AddPictureExTag(AnsiString(), graphic, 1, rvvaBaseline, TRVTag());
}

void TCustomRollView::AddControlExTag(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign,
                                      const TRVTag& tag)
{
    RVData->AddControlExTag(name, control, paraNo, vAlign, tag);
}

void TCustomRollView::AddControlEx(const AnsiString& name, TControl* control, int paraNo, TRVVAlign vAlign)
{
    RVData->AddControlExTag(name, control, paraNo, vAlign, TRVTag());
}

void TCustomRollView::AddControl(TControl* control, bool center)
{
    RVData->AddControlExTag(AnsiString(), control, center ? 1 : 0, rvvaBaseline, TRVTag());
}

// ---------------------------------------------------------------------------
// Items

TCustomRVItemInfo* TCustomRollView::GetItem(int itemNo) const
{
    // Read from the list itself: a bad index raises the list's own error.
    return static_cast<TCustomRVItemInfo*>(RVData->Items->GetObject(itemNo));
}

bool TCustomRollView::GetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int& value)
{
    return RVData->GetItemExtraIntProperty(itemNo, prop, value);
}

bool TCustomRollView::SetItemExtraIntProperty(int itemNo, TRVExtraItemProperty prop, int value)
{
    return RVData->SetItemExtraIntProperty(itemNo, prop, value);
}

void TCustomRollView::GetTextInfo(int itemNo, AnsiString& aText, TRVTag& aTag) const
{
    RVData->GetTextInfo(itemNo, aText, aTag);
}

void TCustomRollView::GetBreakInfo(int itemNo, uint8_t& aLineWidth, TRVBreakStyle& aStyle, TColor& aColor,
                                   TRVTag& aTag) const
{
    RVData->GetBreakInfo(itemNo, aLineWidth, aStyle, aColor, aTag);
}

void TCustomRollView::SetBreakInfo(int itemNo, uint8_t aLineWidth, TRVBreakStyle aStyle, TColor aColor,
                                   const TRVTag& aTag)
{
    RVData->SetBreakInfo(itemNo, aLineWidth, aStyle, aColor, aTag);
}

void TCustomRollView::GetBulletInfo(int itemNo, AnsiString& aName, int& aImageIndex,
                                    TCustomImageList*& aImageList, TRVTag& aTag) const
{
    RVData->GetBulletInfo(itemNo, aName, aImageIndex, aImageList, aTag);
}

void TCustomRollView::SetBulletInfo(int itemNo, const AnsiString& aName, int aImageIndex,
                                    TCustomImageList* aImageList, const TRVTag& aTag)
{
    RVData->SetBulletInfo(itemNo, aName, aImageIndex, aImageList, aTag);
}

void TCustomRollView::GetHotspotInfo(int itemNo, AnsiString& aName, int& aImageIndex, int& aHotImageIndex,
                                     TCustomImageList*& aImageList, TRVTag& aTag) const
{
    RVData->GetHotspotInfo(itemNo, aName, aImageIndex, aHotImageIndex, aImageList, aTag);
}

void TCustomRollView::SetHotspotInfo(int itemNo, const AnsiString& aName, int aImageIndex, int aHotImageIndex,
                                     TCustomImageList* aImageList, const TRVTag& aTag)
{
    RVData->SetHotspotInfo(itemNo, aName, aImageIndex, aHotImageIndex, aImageList, aTag);
}

void TCustomRollView::GetPictureInfo(int itemNo, AnsiString& aName, TGraphic*& aGraphic, TRVVAlign& avAlign,
                                     TRVTag& aTag) const
{
    RVData->GetPictureInfo(itemNo, aName, aGraphic, avAlign, aTag);
}

bool TCustomRollView::SetPictureInfo(int itemNo, const AnsiString& aName, TGraphic* aGraphic,
                                     TRVVAlign avAlign, const TRVTag& aTag)
{
    return RVData->SetPictureInfo(itemNo, aName, aGraphic, avAlign, aTag);
}

void TCustomRollView::GetControlInfo(int itemNo, AnsiString& aName, TControl*& aControl, TRVVAlign& avAlign,
                                     TRVTag& aTag) const
{
    RVData->GetControlInfo(itemNo, aName, aControl, avAlign, aTag);
}

bool TCustomRollView::SetControlInfo(int itemNo, const AnsiString& aName, TRVVAlign avAlign,
                                     const TRVTag& aTag)
{
    return RVData->SetControlInfo(itemNo, aName, avAlign, aTag);
}

void TCustomRollView::DeleteSection(const AnsiString& cpName)
{
    RVData->DeleteSection(cpName);
}

void TCustomRollView::DeleteItems(int firstItemNo, int count)
{
    RVData->DeleteItems(firstItemNo, count);
}

void TCustomRollView::AppendFrom(TCustomRollView* source)
{
    if (source)
        RVData->AppendFrom(source->RVData);
}

void TCustomRollView::DeleteUnusedStyles(bool textStyles, bool paraStyles, bool listStyles)
{
    RVData->DeleteUnusedStyles(textStyles, paraStyles, listStyles);
}

// ---------------------------------------------------------------------------
// Plain text

bool TCustomRollView::LoadText(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph)
{
    return RVData->LoadText(fileName, styleNo, paraNo, asSingleParagraph);
}

bool TCustomRollView::LoadTextW(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph)
{
    return RVData->LoadTextW(fileName, styleNo, paraNo, asSingleParagraph);
}

bool TCustomRollView::SaveText(const AnsiString& fileName, int lineWidth)
{
    return RVData->SaveText(fileName, lineWidth, false);
}

bool TCustomRollView::SaveTextW(const AnsiString& fileName, int lineWidth)
{
    return RVData->SaveText(fileName, lineWidth, true);
}

bool TCustomRollView::SaveTextToStream(const AnsiString& path, TStream* stream, int lineWidth,
                                       bool selectionOnly, bool textOnly)
{
    return stream && RVData->SaveTextToStream(path, *stream, lineWidth, selectionOnly, textOnly, false);
}

bool TCustomRollView::SaveTextToStreamW(const AnsiString& path, TStream* stream, int lineWidth,
                                        bool selectionOnly, bool textOnly)
{
    return stream && RVData->SaveTextToStream(path, *stream, lineWidth, selectionOnly, textOnly, true);
}

// ---------------------------------------------------------------------------
// Checkpoints, list markers, focus

TRVCPInfo* TCustomRollView::GetNextCheckpoint(TRVCPInfo* checkpointData) const
{
    return RVData->GetNextCheckpoint(checkpointData);
}

TRVCPInfo* TCustomRollView::GetPrevCheckpoint(TRVCPInfo* checkpointData) const
{
    return RVData->GetPrevCheckpoint(checkpointData);
}

void TCustomRollView::GetCheckpointInfo(TRVCPInfo* checkpointData, TRVTag& tag, AnsiString& name,
                                        bool& raiseEvent) const
{
    RVData->GetCheckpointInfo(checkpointData, tag, name, raiseEvent);
}

int TCustomRollView::GetCheckpointItemNo(TRVCPInfo* checkpointData) const
{
    return RVData->GetCheckpointItemNo(checkpointData);
}

void TCustomRollView::SetCheckpointInfo(int itemNo, const TRVTag& aTag, const AnsiString& aName,
                                        bool aRaiseEvent)
{
    RVData->SetCheckpointInfo(itemNo, aTag, aName, aRaiseEvent);
}

int TCustomRollView::SetListMarkerInfo(int itemNo, int listNo, int level, int startFrom, int paraNo,
                                       bool useStartFrom)
{
    return RVData->SetListMarkerInfo(itemNo, listNo, level, startFrom, paraNo, useStartFrom);
}

void TCustomRollView::RemoveListMarker(int itemNo)
{
    RVData->RemoveListMarker(itemNo);
}

int TCustomRollView::GetListMarkerInfo(int itemNo, int& listNo, int& level, int& startFrom,
                                       bool& useStartFrom)
{
    return RVData->GetListMarkerInfo(itemNo, listNo, level, startFrom, useStartFrom);
}

void TCustomRollView::GetFocusedItem(TCustomRVData*& aData, int& aItemNo) const
{
    aData = RVData->TopFocusedRVData;
    aItemNo = RVData->TopFocusedItemNo;
}

// ---------------------------------------------------------------------------
// Selection, words and positions

bool TCustomRollView::SelectionExists()
{
    return RVData->SelectionExists(true, true);
}

void TCustomRollView::SelectWordAt(int x, int y)
{
    RVData->SelectWordAt(x, y);
}

bool TCustomRollView::SelectControl(TControl* aControl)
{
    return RVData->SelectControl(aControl);
}

void TCustomRollView::GetSelectionBounds(int& startItemNo, int& startOffs, int& endItemNo, int& endOffs,
                                         bool normalize)
{
    RVData->GetSelectionBounds(startItemNo, startOffs, endItemNo, endOffs, normalize);
}

void TCustomRollView::SetSelectionBounds(int startItemNo, int startOffs, int endItemNo, int endOffs)
{
    RVData->SetSelectionBounds(startItemNo, startOffs, endItemNo, endOffs);
}

TRect TCustomRollView::GetSelectionRect()
{
    return RVData->GetSelectionRect();
}

void TCustomRollView::GetWordAt(int x, int y, TCustomRVFormattedData*& aData, int& itemNo, AnsiString& word)
{
    RVData->GetWordAt(x, y, aData, itemNo, word);
}

AnsiString TCustomRollView::GetWordAt(int x, int y)
{
    TCustomRVFormattedData* data = nullptr;
    int itemNo = -1;
    AnsiString word;
    RVData->GetWordAt(x, y, data, itemNo, word);
    return word;
}

bool TCustomRollView::GetItemAt(int x, int y, TCustomRVFormattedData*& aData, int& itemNo, int& offs,
                                bool strict)
{
    RVData->GetItemAtEx(x, y, aData, itemNo, offs, strict);
    return itemNo != -1;
}

int TCustomRollView::GetLineNo(int itemNo, int offs)
{
    return RVData->GetLineNo(itemNo, offs);
}

bool TCustomRollView::GetItemCoords(int itemNo, int& left, int& top)
{
    return RVData->GetItemCoords(itemNo, left, top);
}

bool TCustomRollView::GetItemClientCoords(int itemNo, int& left, int& top)
{
    return RVData->GetItemClientCoords(itemNo, left, top);
}

void TCustomRollView::GetCheckpointXY(TRVCPInfo* checkpointData, int& x, int& y)
{
    RVData->GetCheckpointXY(checkpointData, x, y);
}

int TCustomRollView::GetCheckpointYEx(TRVCPInfo* checkpointData)
{
    return RVData->GetCheckpointYEx(checkpointData);
}

int TCustomRollView::GetCheckpointY(int no)
{
    return RVData->GetCheckpointYEx(RVData->GetCheckpointByNo(no));
}

int TCustomRollView::GetJumpPointY(int id)
{
    return RVData->GetJumpPointY(id);
}

int TCustomRollView::GetJumpPointItemNo(int id)
{
    return RVData->GetJumpPointItemNo(id);
}

void TCustomRollView::GetJumpPointLocation(int id, TCustomRVFormattedData*& aData, int& itemNo)
{
    RVData->GetJumpPointLocation(id, aData, itemNo);
}

void TCustomRollView::DeleteParas(int firstItemNo, int lastItemNo)
{
    RVData->DeleteParas(firstItemNo, lastItemNo);
}

void TCustomRollView::AssignSoftPageBreaks(TRVPrintServices* printServices)
{
    RVData->AssignSoftPageBreaks(printServices);
}

void TCustomRollView::ClearSoftPageBreaks()
{
    RVData->ClearSoftPageBreaks();
    Invalidate();
}
