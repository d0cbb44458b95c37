// The caret: the stops of the caret's line, placing the caret rectangle that
// the control paints, the current styles that follow it, and the editor's layout
// (which keeps the caret at its item position and gives an empty editor its
// first line).
#include <algorithm>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "edit/rvervdata.h"
#include "platform/core/codepages.h"
#include "platform/graphics/textshaping.h"
#include "view/rvchars.h"

namespace {

// Where the clusters of a text drawn in the canvas's font begin (one entry per
// unit or byte, and one at the end), when it may hold a word of a joining script
// (wide text, or UTF-8) whose ligatures join characters into one cluster; empty
// otherwise.
std::vector<uint8_t> ClusterStarts(TCanvas* canvas, const AnsiString& s, bool unicode, unsigned codePage)
{
    std::vector<uint8_t> starts;
    std::vector<int> dx;
    TSize size;
    if (unicode) {
        const WideString w = RVU_RawUnicodeToWideString(s);
        if (HasJoiningScript(w.data(), static_cast<int>(w.size())))
            canvas->GetTextPrefixExtentsW(w.data(), static_cast<int>(w.size()), dx, starts, size);
    } else if (ResolveCodePage(codePage) == CP_UTF8 && std::any_of(s.begin(), s.end(), [](char c) {
                   // The lead bytes of U+0600 to U+07FF, where the joining scripts lie.
                   return static_cast<unsigned char>(c) >= 0xD8 && static_cast<unsigned char>(c) <= 0xDF;
               })) {
        canvas->GetTextPrefixExtentsA(s.data(), static_cast<int>(s.size()), dx, starts, size);
    }
    return starts;
}

} // namespace

int RollViewEditCaretWidth = 1;
int RollViewEditCaretHeightExtra = 0;
int RollViewEditMaxCaretHeight = 1000;

void TRVEditRVData::OnChangeCaretLine(int diOffs)
{
    CharPos.clear();
    FCaretLineReordered = false;
    if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) {
        CaretDrawItemNo = -1;
        CaretOffs = -1;
        return;
    }
    // No match yet: -1 never collides with a stop index.
    CaretOffs = -1;
    int first = 0;
    int last = 0;
    GetScreenLineBounds(CaretDrawItemNo, first, last);
    if (GetItemStyle(DrawItems[first]->ItemNo) == rvsListMarker && first < last) {
        if (first == CaretDrawItemNo) {
            CaretDrawItemNo = first + 1;
            diOffs = GetOffsBeforeDrawItem(CaretDrawItemNo) - 2;
        }
        ++first;
    }
    TCanvas* canvas = GetFormattingCanvas();
    auto add = [&](int x, int drawItemNo, int offset, int xShift) {
        CharPos.push_back({x, drawItemNo, offset, xShift});
        return static_cast<int>(CharPos.size()) - 1;
    };
    for (int d = first; d <= last; ++d) {
        const TRVDrawLineInfo* dli = DrawItems[d];
        const int itemNo = dli->ItemNo;
        const bool isText = IsTextItem(itemNo);
        const bool isCaretItem = d == CaretDrawItemNo;
        const AnsiString s = isText ? DrawItems.GetString(d, Items) : AnsiString();
        TRVCharStops stops;
        const bool measured = isText && !s.empty() && canvas && CharStops(d, stops, true);
        if (measured && stops.CaretPlaces) {
            AddRightToLeftStops(d, d == first, s, diOffs, stops);
            FCaretLineReordered = true;
            continue;
        }
        // A non-text item of a right-to-left paragraph starts at its right edge.
        const bool rtlObject = !isText && GetParaBiDiMode(GetItemPara(itemNo)) == rvbdRightToLeft;
        if (d == first && (!isText || !s.empty())) {
            const int i =
                add(rtlObject ? dli->Left + dli->Width : dli->Left, d, isText ? 1 : 0, rtlObject ? 2 : 1);
            if (isCaretItem && diOffs < 0)
                CaretOffs = i;
        }
        if (measured) {
            const TRVItemOptions options = GetItemOptions(itemNo);
            const bool unicode = options.Contains(rvioUnicode);
            const TFontInfo* textStyle = GetRVStyle()->TextStyles()->Items(GetItemStyle(itemNo));
            const int n = static_cast<int>(stops.X.size()) - 1;
            // Units before the caret in this draw item; a position inside a
            // character selects the stop before it.
            const int units = diOffs + 1;
            // No stop inside a cluster of the drawn text (a ligature of joined letters).
            const std::vector<uint8_t> clusters = ClusterStarts(
                canvas, RV_ReturnCapitalized(s, textStyle), unicode, GetStyleCodePage(GetItemStyle(itemNo)));
            for (int b : RVE_CharBoundaries(s, unicode, GetStyleCodePage(GetItemStyle(itemNo)))) {
                if (b < n && static_cast<size_t>(b) < clusters.size() && !clusters[static_cast<size_t>(b)])
                    continue;
                if (isCaretItem && units > 0 && units < b && CaretOffs < 0 && !CharPos.empty())
                    CaretOffs = static_cast<int>(CharPos.size()) - 1;
                const int i = add(stops.X[static_cast<size_t>(b)], d, b + 1, 1);
                if (isCaretItem && units == b)
                    CaretOffs = i;
            }
            if (isCaretItem && units > 0 && units < n && CaretOffs < 0 && !CharPos.empty())
                CaretOffs = static_cast<int>(CharPos.size()) - 1;
        }
        const int end = add(rtlObject ? dli->Left : dli->Left + dli->Width, d, GetOffsAfterDrawItem(d),
                            isText || rtlObject ? 1 : 2);
        const bool pastEnd = isText ? diOffs > dli->Length - 2 : diOffs >= -1;
        if ((d + 1 == CaretDrawItemNo && diOffs < 0) || (isCaretItem && pastEnd))
            CaretOffs = end;
    }
    if (CaretOffs < 0 && !CharPos.empty())
        CaretOffs = 0;
}

void TRVEditRVData::AddRightToLeftStops(int drawItemNo, bool firstOfLine, const AnsiString& s, int diOffs,
                                        const TRVCharStops& stops)
{
    const TRVDrawLineInfo* dli = DrawItems[drawItemNo];
    const TRVItemOptions options = GetItemOptions(dli->ItemNo);
    const bool unicode = options.Contains(rvioUnicode);
    const int styleNo = GetItemStyle(dli->ItemNo);
    const unsigned codePage = GetStyleCodePage(styleNo);
    const int n = static_cast<int>(stops.X.size()) - 1;
    // The boundaries of whole characters, both edges included; none inside a
    // cluster of the drawn text (a ligature of joined letters).
    const std::vector<uint8_t> clusters =
        ClusterStarts(GetFormattingCanvas(),
                      RV_ReturnCapitalized(s, GetRVStyle()->TextStyles()->Items(styleNo)), unicode, codePage);
    std::vector<int> bounds{0};
    for (int b : RVE_CharBoundaries(s, unicode, codePage))
        if (!(static_cast<size_t>(b) < clusters.size() && !clusters[static_cast<size_t>(b)]))
            bounds.push_back(b);
    bounds.push_back(n);
    const bool isCaretItem = drawItemNo == CaretDrawItemNo;
    const bool beforeCaretItem = drawItemNo + 1 == CaretDrawItemNo;
    const int units = diOffs + 1;
    for (size_t k = 0; k < bounds.size(); ++k) {
        const int b = bounds[k];
        // The place before the first character is the last one's of the draw
        // item before it, unless this draw item starts the line.
        if (b == 0 && !firstOfLine)
            continue;
        CharPos.push_back({stops.X[static_cast<size_t>(b)], drawItemNo, b + 1, 0});
        const int i = static_cast<int>(CharPos.size()) - 1;
        const bool inside = k + 1 < bounds.size() && units > b && units < bounds[k + 1];
        if (isCaretItem && (units == b || (b == 0 && diOffs < 0) || (b == n && diOffs > n - 1) || inside))
            CaretOffs = i;
        if (beforeCaretItem && b == n && diOffs < 0)
            CaretOffs = i;
    }
}

int TRVEditRVData::StyleItemOfCaret() const
{
    const int itemNo = DrawItems[CaretDrawItemNo]->ItemNo;
    if (SelStartNo < 0 || SelEndNo != CaretDrawItemNo)
        return itemNo;
    const bool backwards = SelStartNo > SelEndNo || (SelStartNo == SelEndNo && SelStartOffs > SelEndOffs);
    const int next = CaretDrawItemNo + 1;
    // Selected from right to left up to an item's end, the caret stands
    // before the selected text: typing goes in that text's style.
    if (backwards && SelEndOffs >= GetOffsAfterDrawItem(CaretDrawItemNo) && next < DrawItems.Count() &&
        GetItem(DrawItems[next]->ItemNo)->GetSameAsPrev())
        return DrawItems[next]->ItemNo;
    return itemNo;
}

void TRVEditRVData::ShowCaretItemState(int itemNo)
{
    TCustomRVItemInfo* item = GetItem(itemNo);
    if (item->GetBoolValue(rvbpDisplayActiveState)) {
        if (CurrentItem != item) {
            CurrentItem = item;
            Invalidate();
        }
    } else if (CurrentItem) {
        CurrentItem = nullptr;
        Invalidate();
    }
    // An empty hyperlink has no number of its own (and nothing to draw).
    if (item->GetJumpID() >= 0 && item->GetBoolValueEx(rvbpHotColdJump, GetRVStyle())) {
        if (!State.Contains(rvstDrawHover) || HoverJumpId != item->GetJumpID() ||
            HotDrawItemNo != CaretDrawItemNo) {
            HoverJumpId = item->GetJumpID();
            HotDrawItemNo = CaretDrawItemNo;
            State.Include(rvstDrawHover);
            Invalidate();
        }
    } else if (State.Contains(rvstDrawHover)) {
        HoverJumpId = -1;
        HotDrawItemNo = -1;
        State.Exclude(rvstDrawHover);
        Invalidate();
    }
}

void TRVEditRVData::ChangeCaret(unsigned how)
{
    const bool scrollToCaret = (how & rvcmScrollToCaret) != 0;
    const bool keepStyles = (how & rvcmKeepStyles) != 0;
    if (State.Contains(rvstSkipFormatting))
        return;
    // A caret placed anywhere else than where the last move up or down left
    // it forgets that move's column (scrolling places it again in the same spot).
    if (CaretDrawItemNo != FVerticalDrawItemNo || CaretOffs != FVerticalOffs)
        FVerticalX = -1;
    TCustomRollViewEdit* editor = RollViewEdit();
    // Selected cells, an open cell editor (which has its own caret) or a
    // document selected whole as a cell of a table: no caret here.
    if (PartialSelectedItem || GetInplaceEditor() || State.Contains(rvstCompletelySelected)) {
        // The caret is not shown, but its place is still asked for: its draw
        // item is the stop's (a place between two items names the one before).
        if (CaretOffs >= 0 && CaretOffs < static_cast<int>(CharPos.size()))
            CaretDrawItemNo = CharPos[static_cast<size_t>(CaretOffs)].DrawItemNo;
        editor->SetCaret(TRect(), false);
        editor->AfterCaretMove();
        return;
    }
    int h = 0;
    int caretX = 0;
    int caretY = 0;
    const TRVDrawLineInfo* dli = nullptr;
    if (CaretDrawItemNo >= 0 && DrawItems.Count() > 0) {
        if (CaretOffs < 0 || CaretOffs >= static_cast<int>(CharPos.size())) {
            // A caret that lost its stop goes back to the document's start,
            // quietly: the edit before it has been made and must be reported.
            MoveCaretOffMarker(0, GetOffsBeforeDrawItem(0), true);
        }
        if (CaretOffs >= 0 && CaretOffs < static_cast<int>(CharPos.size())) {
            const TRVCharPos& stop = CharPos[static_cast<size_t>(CaretOffs)];
            CaretDrawItemNo = stop.DrawItemNo;
            dli = DrawItems[CaretDrawItemNo];
            h = std::min(dli->Height + 2, RollViewEditMaxCaretHeight);
            caretX = stop.X - 1 + stop.XShift;
            caretY = dli->Top - 1;
        }
    }
    if (Resizer) {
        // The resize handles stand for the caret while a picture or control is chosen.
        editor->SetCaret(TRect(), false);
        CaretRect = TRect();
    } else {
        if (dli) {
            // The caret's bottom stays on the draw item's bottom; the extra
            // reaches past both ends.
            const int width = RollViewEditCaretWidth;
            const int left = caretX - width / 2;
            const int top = caretY + dli->Height + 1 - RollViewEditCaretHeightExtra - h;
            CaretRect = TRect{left, top, left + width, top + h + 2 * RollViewEditCaretHeightExtra};
        } else {
            CaretRect = TRect();
        }
        const bool show = h != 0 && editor->Focused() &&
                          !(editor->GetReadOnly() && editor->EditorOptions().Contains(rvoHideReadOnlyCaret));
        TRect client = CaretRect;
        client.Left -= GetHOffs();
        client.Right -= GetHOffs();
        client.Top -= GetVOffs();
        client.Bottom -= GetVOffs();
        editor->SetCaret(client, show);
        CaretHeight = h;
    }
    // The caret's state is settled before the program hears of it: its
    // handlers of the style and caret events may change the document or close
    // the editor, after which nothing here reads it again.
    int paraNo = -1;
    int textStyleNo = -1;
    if (dli) {
        const int itemNo = dli->ItemNo;
        paraNo = GetItemPara(itemNo);
        ShowCaretItemState(itemNo);
        const int styleNo = GetItemStyle(StyleItemOfCaret());
        if (styleNo >= 0) {
            if (GetRVStyle()->TextStyles()->Items(styleNo)->Protection().Contains(rvprDoNotAutoSwitch)) {
                textStyleNo = LastAutoTextStyleNo;
            } else {
                if (!keepStyles)
                    LastAutoTextStyleNo = styleNo;
                textStyleNo = styleNo;
            }
        }
    }
    if (!Resizer && scrollToCaret && CaretHeight != 0 && !MouseCaptureItem)
        ShowRectangle(caretX, caretY, 5, CaretHeight);
    if (dli && !keepStyles) {
        const uint64_t changes = ChangeCount();
        editor->SetCurParaStyleNo(paraNo);
        if (textStyleNo >= 0 && ChangeCount() == changes)
            editor->SetCurTextStyleNo(textStyleNo);
    }
    editor->AfterCaretMove();
}

void TRVEditRVData::PlaceCaretAtItem(int itemNo, int offs)
{
    int drawOffs = 0;
    Item2DrawItem(itemNo, offs, CaretDrawItemNo, drawOffs);
    if (CaretDrawItemNo < 0) {
        CaretDrawItemNo = DrawItems.Count() > 0 ? 0 : -1;
        drawOffs = CaretDrawItemNo >= 0 ? GetOffsBeforeDrawItem(0) : 0;
    }
    AdjustMarkerCaret(true, drawOffs);
    OnChangeCaretLine(drawOffs - 2);
}

void TRVEditRVData::SetCaretAtItem(int itemNo, int offs, bool)
{
    // Moving the caret ends a selection of this document: the caret is the
    // selection's moving end, so a selection left in place would have the
    // next insertion go in at its end while the current styles follow the
    // caret's paragraph.
    const bool selected =
        SelStartNo >= 0 && SelEndNo >= 0 && (SelStartNo != SelEndNo || SelStartOffs != SelEndOffs);
    if (selected) {
        Deselect(PartialSelectedItem, true);
        Invalidate();
    }
    PlaceCaretAtItem(itemNo, offs);
    ChangeCaret(rvcmScrollToCaret);
}

void TRVEditRVData::MoveCaretTo(int drawItemNo, int drawOffs)
{
    CaretDrawItemNo = drawItemNo;
    OnChangeCaretLine(drawOffs - 2);
}

void TRVEditRVData::MoveCaretOffMarker(int drawItemNo, int drawOffs, bool right)
{
    CaretDrawItemNo = drawItemNo;
    AdjustMarkerCaret(right, drawOffs);
    OnChangeCaretLine(drawOffs - 2);
}

// ---------------------------------------------------------------------------
// Layout

void TRVEditRVData::PrepareForEdit()
{
    TRVStyle* style = GetRVStyle();
    if (GetItemCount() != 0 || !style)
        return;
    AddNL(AnsiString(), CurTextStyleNo, CurParaStyleNo);
    if (style->TextStyles()->Items(CurTextStyleNo)->Unicode())
        GetItem(0)->ItemOptions.Include(rvioUnicode);
    Format_(false, true, false, 0, GetFormattingCanvas(), false, false);
    if (DrawItems.Count() > 0) {
        CaretDrawItemNo = 0;
        OnChangeCaretLine(-1);
    }
}

void TRVEditRVData::Format_(bool resized, bool force, bool noScroll, int depth, TCanvas* canvas, bool tail,
                            bool reformat)
{
    // A layout that reporting the laid-out size asks for is the one under way:
    // the formatted data drops it.
    if (SettingAreaSize) {
        TRollViewRVData::Format_(resized, force, noScroll, depth, canvas, tail, reformat);
        return;
    }
    PrepareForEdit();
    const bool place = depth == 0 && GetRVStyle() && !State.Contains(rvstSkipFormatting);
    int savedItem = -1;
    int savedOffs = 0;
    // The caret is kept by item position; a caret whose line a command has
    // not rebuilt yet names no draw item (the command places it afterwards).
    if (place && (resized || tail))
        CaretItemPosition(savedItem, savedOffs);
    const bool laysOut = place && (canvas || GetFormattingCanvas());
    TRollViewRVData::Format_(resized, force, noScroll, depth, canvas, tail, reformat);
    // The layout measured the document's minimum width on its way.
    if (laysOut) {
        DocumentMinWidth = LastMinDocWidth();
        ++MinWidthLayouts;
    }
    if (!place)
        return;
    if (savedItem >= 0 && savedItem < GetItemCount()) {
        int drawOffs = 0;
        int drawItemNo = -1;
        Item2DrawItem(savedItem, savedOffs, drawItemNo, drawOffs);
        MoveCaretTo(drawItemNo, drawOffs);
    } else if (DrawItems.Count() > 0) {
        MoveCaretOffMarker(0, GetOffsBeforeDrawItem(0), true);
    } else {
        CharPos.clear();
        CaretDrawItemNo = -1;
        CaretOffs = -1;
    }
    ChangeCaret((!State.Contains(rvstEditorUnformatted) ? rvcmKeepStyles : rvcmNone));
    State.Exclude(rvstEditorUnformatted);
}
