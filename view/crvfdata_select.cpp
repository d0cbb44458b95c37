// Selection bounds and the mapping between item positions and draw-item
// positions; hits for selecting; the draw items at the top and bottom of the
// view; moving hyperlink rectangles and inserted controls to their laid-out
// places.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/controls.h"
#include "platform/core/codepages.h"
#include "view/crvfdata.h"
#include "view/rvchars.h"

// ---------------------------------------------------------------------------
// Selection bounds

void TCustomRVFormattedData::GetSelBounds(int& startNo, int& endNo, int& startOffs, int& endOffs,
                                          bool normalize)
{
    startNo = SelStartNo;
    endNo = SelEndNo;
    startOffs = SelStartOffs;
    endOffs = SelEndOffs;
    if (!normalize)
        return;
    if (startNo > endNo) {
        std::swap(startNo, endNo);
        std::swap(startOffs, endOffs);
    } else if (startNo == endNo && startOffs > endOffs) {
        std::swap(startOffs, endOffs);
    }
}

void TCustomRVFormattedData::StoreSelBounds(int& startItemNo, int& endItemNo, int& startItemOffs,
                                            int& endItemOffs, bool normalize)
{
    int startNo, endNo, startOffs, endOffs;
    GetSelBounds(startNo, endNo, startOffs, endOffs, normalize);
    DrawItem2Item(startNo, startOffs, startItemNo, startItemOffs);
    DrawItem2Item(endNo, endOffs, endItemNo, endItemOffs);
}

void TCustomRVFormattedData::RestoreSelBounds(int startItemNo, int endItemNo, int startItemOffs,
                                              int endItemOffs)
{
    const bool empty = startItemNo == endItemNo && startItemOffs == endItemOffs;
    const bool backwards =
        startItemNo > endItemNo || (startItemNo == endItemNo && startItemOffs > endItemOffs);
    startItemOffs = CharacterEdge(startItemNo, startItemOffs, backwards);
    endItemOffs = CharacterEdge(endItemNo, endItemOffs, !backwards && !empty);
    Item2DrawItem(startItemNo, startItemOffs, SelStartNo, SelStartOffs);
    Item2DrawItem(endItemNo, endItemOffs, SelEndNo, SelEndOffs);
}

namespace {

// Whether the place before unit Index of Text plainly is an edge of
// characters: between two units below U+0300 (two bytes below 0x80), other
// than CR LF. No Unicode rule and no code page joins such a pair into one
// character, so most places are answered without looking further.
bool PlainEdge(const AnsiString& text, bool unicode, int index)
{
    auto unit = [&](int i) -> unsigned {
        const auto byte = [&](size_t k) {
            return static_cast<unsigned>(static_cast<unsigned char>(text[k]));
        };
        return unicode ? byte(2 * static_cast<size_t>(i)) | byte(2 * static_cast<size_t>(i) + 1) << 8
                       : byte(static_cast<size_t>(i));
    };
    const unsigned limit = unicode ? 0x300 : 0x80;
    const unsigned before = unit(index - 1);
    const unsigned after = unit(index);
    return before < limit && after < limit && !(before == '\r' && after == '\n');
}

} // namespace

int TCustomRVFormattedData::CharacterEdge(int itemNo, int offs, bool forward)
{
    if (itemNo < 0 || itemNo >= GetItemCount() || !IsTextItem(itemNo))
        return offs;
    const int length = ItemLength(itemNo);
    int firstOffs = 1;
    int lastOffs = length + 1;
    // A line may end inside a character (after a space that combining marks
    // follow, the marks go on to the next line): the caret stops at the ends
    // of each draw item, and so do the edges here. The draw items of the
    // item come one after another in the order of their offsets.
    const int count = DrawItems.Count();
    const int first = GetItem(itemNo)->DrawItemNo;
    if (first >= 0 && first < count && DrawItems[first]->ItemNo == itemNo) {
        int lo = first + 1;
        int hi = count;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const TRVDrawLineInfo* dli = DrawItems[mid];
            if (dli->ItemNo == itemNo && dli->Offs <= offs)
                lo = mid + 1;
            else
                hi = mid;
        }
        // Draw item lo - 1 starts at or before Offs (or is the item's first).
        // A place past its end lies among the spaces its line dropped, each
        // a character of its own: it is an edge as it stands.
        const TRVDrawLineInfo* dli = DrawItems[lo - 1];
        firstOffs = dli->Offs;
        lastOffs = dli->Offs + dli->Length;
        // Draw items laid out for another text than the item holds now.
        firstOffs = std::clamp(firstOffs, 1, length + 1);
        lastOffs = std::clamp(lastOffs, firstOffs, length + 1);
    }
    return CharacterEdgeWithin(itemNo, offs, forward, firstOffs, lastOffs);
}

int TCustomRVFormattedData::CharacterEdgeWithin(int itemNo, int offs, bool forward, int firstOffs,
                                                int lastOffs)
{
    // The edges of the range are edges of characters.
    if (offs <= firstOffs || offs >= lastOffs)
        return offs;
    const AnsiString& text = Items->Get(itemNo);
    const bool unicode = GetItemOptions(itemNo).Contains(rvioUnicode);
    const unsigned codePage = ResolveCodePage(GetStyleCodePage(GetItemStyle(itemNo)));
    if ((!unicode && CodePageMaxCharSize(codePage) == 1) || PlainEdge(text, unicode, offs - 1))
        return offs;
    const size_t unitSize = unicode ? 2 : 1;
    const AnsiString range = text.substr(static_cast<size_t>(firstOffs - 1) * unitSize,
                                         static_cast<size_t>(lastOffs - firstOffs) * unitSize);
    const int units = offs - firstOffs;
    int prev = 0;
    for (int b : RVE_CharBoundaries(range, unicode, codePage)) {
        if (b == units)
            return offs;
        if (b > units)
            return firstOffs + (forward ? b : prev);
        prev = b;
    }
    return forward ? lastOffs : firstOffs + prev;
}

// ---------------------------------------------------------------------------
// Mapping between items and draw items

void TCustomRVFormattedData::DrawItem2Item(int drawItemNo, int drawOffs, int& itemNo, int& offs)
{
    offs = drawOffs;
    if (drawItemNo == -1) {
        itemNo = -1;
        return;
    }
    const TRVDrawLineInfo* dli = DrawItems.Get(drawItemNo);
    itemNo = dli->ItemNo;
    if (!IsTextItem(itemNo))
        return;
    // A draw item laid out for a longer text than the item now holds never
    // names a position past the item's end.
    offs = std::clamp(drawOffs + dli->Offs - 1, 1, ItemLength(itemNo) + 1);
}

void TCustomRVFormattedData::Item2FirstDrawItem(int itemNo, int& drawItemNo)
{
    drawItemNo = FindDrawItemByItem(itemNo);
}

void TCustomRVFormattedData::Item2DrawItem(int itemNo, int offs, int& drawItemNo, int& drawOffs)
{
    drawOffs = offs;
    Item2FirstDrawItem(itemNo, drawItemNo);
    if (drawItemNo < 0 || drawItemNo >= DrawItems.Count()) {
        // Not laid out (or laid out before the items changed).
        drawItemNo = -1;
        return;
    }
    if (!IsTextItem(itemNo))
        return;
    offs = std::clamp(offs, 1, ItemLength(itemNo) + 1);
    const int count = DrawItems.Count();
    int j = drawItemNo + 1;
    while (j < count && DrawItems.Get(j)->ItemNo == itemNo) {
        const TRVDrawLineInfo* prev = DrawItems.Get(j - 1);
        if (DrawItems.Get(j)->Offs >= offs && prev->Offs + prev->Length >= offs)
            break;
        ++j;
    }
    drawItemNo = j - 1;
    const TRVDrawLineInfo* dli = DrawItems.Get(drawItemNo);
    if (j < count && offs > dli->Offs + dli->Length) {
        // A space dropped at the end of the line: the position is the start of
        // the next line's first draw item.
        drawItemNo = j;
        drawOffs = GetOffsBeforeDrawItem(j);
        return;
    }
    drawOffs = std::clamp(offs - dli->Offs + 1, 1, dli->Length + 1);
}

void TCustomRVFormattedData::GetScreenLineBounds(int drawItemNo, int& first, int& last)
{
    first = GetLineStart(drawItemNo);
    int lastLine = -1;
    bool textInOrder = false;
    int maxHeight = 0;
    if (GetLastLine(lastLine, textInOrder, maxHeight) && first == lastLine) {
        last = DrawItems.Count() - 1;
        return;
    }
    last = drawItemNo + 1;
    while (last < DrawItems.Count() && !DrawItems.Get(last)->FromNewLine)
        ++last;
    --last;
}

bool TCustomRVFormattedData::GetLastLine(int& first, bool& textInOrder, int& maxHeight) const
{
    const TRVOpenLineNote& note = FOpenLine;
    if (!note.Valid)
        return false;
    first = note.FirstDrawItemNo;
    textInOrder = note.TextInOrder;
    maxHeight = note.MaxHeight;
    return true;
}

int TCustomRVFormattedData::GetLineStart(int drawItemNo) const
{
    int lastLine = -1;
    bool textInOrder = false;
    int maxHeight = 0;
    if (GetLastLine(lastLine, textInOrder, maxHeight) && drawItemNo >= lastLine)
        return lastLine;
    int first = drawItemNo;
    while (first >= 1 && !DrawItems.Get(first)->FromNewLine)
        --first;
    return first;
}

int TCustomRVFormattedData::FindDrawItemByItem(int itemNo) const
{
    if (itemNo < 0 || itemNo >= GetItemCount())
        return -1;
    // The item's note of its first draw item answers at once when it still
    // holds. A partial layout does not renumber the items below the lines it
    // laid out, so a note can be out of date: the draw items, in item order,
    // are then searched by halves and the note is mended (a data that shares
    // its items with another does not keep notes).
    TCustomRVItemInfo* item = GetItem(itemNo);
    const int count = DrawItems.Count();
    const int noted = item->DrawItemNo;
    if (noted >= 0 && noted < count && DrawItems.ItemNoOf(noted) == itemNo &&
        (noted == 0 || DrawItems.ItemNoOf(noted - 1) != itemNo))
        return noted;
    int lo = 0;
    int hi = count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (DrawItems.ItemNoOf(mid) < itemNo)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == count || DrawItems.ItemNoOf(lo) != itemNo)
        return -1;
    if (!ShareItems())
        item->DrawItemNo = lo;
    return lo;
}

int TCustomRVFormattedData::FindDrawItemOfItem(const TCustomRVItemInfo* item) const
{
    if (item == nullptr)
        return -1;
    // The draw item the note names gives the item's number when it shows
    // this item; else the items are searched for it.
    const int noted = item->DrawItemNo;
    if (noted >= 0 && noted < DrawItems.Count()) {
        const int itemNo = DrawItems.ItemNoOf(noted);
        if (itemNo >= 0 && itemNo < GetItemCount() && GetItem(itemNo) == item)
            return FindDrawItemByItem(itemNo);
    }
    return FindDrawItemByItem(GetItemNo(item));
}

// ---------------------------------------------------------------------------
// Hits

namespace {

// The draw item whose Top is the last at or above Y among 1..Count - 1, by
// bisection (Tops grow from line to line); draw item 0 when Y lies within it.
int BisectLine(const TRVDrawLines& drawItems, int y)
{
    const TRVDrawLineInfo* first = drawItems.Get(0);
    if (first->Top + first->Height > y)
        return 0;
    int lo = 1;
    int hi = drawItems.Count() - 1;
    while (hi - lo >= 2) {
        const int mid = (lo + hi) / 2;
        if (drawItems.TopOf(mid) > y)
            hi = mid;
        else
            lo = mid;
    }
    return drawItems.TopOf(hi) <= y ? hi : lo;
}

} // namespace

void TCustomRVFormattedData::FindDrawItemForSel(int x, int y, int& drawItemNo, int& drawOffs, bool strict)
{
    drawItemNo = -1;
    drawOffs = -1;
    const int count = DrawItems.Count();
    if (count == 0)
        return;

    int first, last;
    GetScreenLineBounds(BisectLine(DrawItems, y), first, last);
    // Lines of uneven height may overlap in their tops: the next line wins
    // when one of its draw items starts at or above Y.
    if (last < count - 1) {
        int nextFirst, nextLast;
        GetScreenLineBounds(last + 1, nextFirst, nextLast);
        for (int i = nextFirst; i <= nextLast; ++i)
            if (DrawItems.Get(i)->Top <= y) {
                first = nextFirst;
                last = nextLast;
                break;
            }
    }

    const bool rightToLeft = GetParaBiDiMode(GetItemPara(DrawItems.Get(first)->ItemNo)) == rvbdRightToLeft;
    const int dir = rightToLeft ? -1 : 1;
    const int start = rightToLeft ? last : first;
    const int end = rightToLeft ? first : last;
    for (int i = start;; i += dir) {
        const TRVDrawLineInfo* dli = DrawItems.Get(i);
        bool hit;
        if (strict)
            hit =
                dli->Left <= x && x < dli->Left + dli->Width && dli->Top <= y && y <= dli->Top + dli->Height;
        else
            hit = (dli->Left <= x && (i == end || DrawItems.Get(i + dir)->Left > x)) ||
                  (i == start && x < dli->Left);
        if (hit) {
            drawItemNo = i;
            break;
        }
        if (i == end)
            return;
    }

    const TRVDrawLineInfo* dli = DrawItems.Get(drawItemNo);
    const int itemNo = dli->ItemNo;
    const int styleNo = GetItemStyle(itemNo);
    if (styleNo < 0) {
        const bool rightHalf = dli->Left + dli->Width / 2 < x;
        drawOffs = (rightHalf != rightToLeft) ? 1 : 0;
        if (!strict && styleNo == rvsListMarker && drawItemNo + 1 < count) {
            // A click on a list marker selects the start of what follows it.
            ++drawItemNo;
            drawOffs = GetOffsBeforeDrawItem(drawItemNo);
        }
        return;
    }
    drawOffs = 1;
    TRVCharStops stops;
    if (!CharStops(drawItemNo, stops, true))
        return;
    const int len = static_cast<int>(stops.X.size()) - 1;

    // Caret places: Places[j] is the x of the place after j characters.
    std::vector<int> places;
    if (stops.CaretPlaces) {
        places = stops.X;
    } else {
        places.push_back(dli->Left);
        for (int j = 1; j <= std::min(stops.Fit, len); ++j)
            places.push_back(stops.X[static_cast<size_t>(j)]);
    }
    int best = 0;
    for (int j = 1; j < static_cast<int>(places.size()); ++j)
        if (std::abs(places[static_cast<size_t>(j)] - x) < std::abs(places[static_cast<size_t>(best)] - x))
            best = j;
    // Never inside a character: a place inside one goes to the character's
    // end (the characters of the draw item alone are looked at).
    best = CharacterEdgeWithin(itemNo, dli->Offs + best, true, dli->Offs, dli->Offs + len) - dli->Offs;
    drawOffs = std::clamp(best + 1, 1, len + 1);
}

bool TCustomRVFormattedData::CharStops(int drawItemNo, TRVCharStops& stops, bool useCaretPlaces, int limit)
{
    stops = TRVCharStops();
    const TRVDrawLineInfo* dli = DrawItems.Get(drawItemNo);
    const int itemNo = dli->ItemNo;
    const int styleNo = GetItemStyle(itemNo);
    TRVStyle* style = GetRVStyle();
    TCanvas* canvas = GetFormattingCanvas();
    if (styleNo < 0 || style == nullptr || canvas == nullptr)
        return false;
    const TRVItemOptions options = GetItemOptions(itemNo);
    style->ApplyStyle(canvas, styleNo, GetParaBiDiMode(GetItemPara(itemNo)));
    const AnsiString s =
        RV_ReturnCapitalized(DrawItems.GetString(drawItemNo, Items), style->TextStyles()->Items(styleNo));
    const int len = RVU_Length(s, options);
    if (len == 0)
        return false;
    const int origin = dli->Left + dli->SpaceBefore;
    std::vector<int> pos(static_cast<size_t>(len) + 1, 0);
    // Text with a direction of its own, and text that the canvas reorders for
    // holding right-to-left characters, is measured where it is shown.
    if (useCaretPlaces &&
        (GetItemBiDiMode(itemNo) != rvbdUnspecified || RVU_HasRightToLeft(canvas, s, options)) &&
        RVU_GetTextCaretPos(canvas, s, pos.data(), options)) {
        stops.CaretPlaces = true;
        stops.Fit = len;
        stops.X.reserve(pos.size());
        for (int p : pos)
            stops.X.push_back(origin + p);
        return true;
    }
    // Ten times the width lets every character of the draw item fit; counted in
    // 64 bits, so that a very wide draw item cannot wrap the limit negative.
    if (limit < 0)
        limit = static_cast<int>(std::min<int64_t>(int64_t(dli->Width) * 10, INT32_MAX));
    RVU_GetTextExtentExPoint(canvas, s, limit, stops.Fit, pos.data(), options);
    // The measuring gives the extent after each unit; X[0] is the text's start.
    stops.X.reserve(pos.size());
    stops.X.push_back(origin);
    for (int j = 0; j < len; ++j)
        stops.X.push_back(origin + pos[static_cast<size_t>(j)]);
    return true;
}

int TCustomRVFormattedData::FindDrawItemAtPos(int X, int y)
{
    const int count = DrawItems.Count();
    if (count == 0)
        return -1;
    auto contains = [&](int i) {
        const TRVDrawLineInfo* dli = DrawItems.Get(i);
        return RV_PointInRect(X, y, dli->Left, dli->Top, dli->Width, dli->Height);
    };
    if (contains(0))
        return 0;
    if (count == 1)
        return -1;
    int i = BisectLine(DrawItems, y);
    // Back to the first draw item that a taller one before it overlaps.
    while (i > 0) {
        const TRVDrawLineInfo* prev = DrawItems.Get(i - 1);
        if (prev->Top + prev->Height <= DrawItems.Get(i)->Top)
            break;
        --i;
    }
    // Two bands of draw items that start above the first one's bottom.
    for (int band = 0; band < 2 && i < count; ++band) {
        const TRVDrawLineInfo* first = DrawItems.Get(i);
        const int bottom = first->Top + first->Height;
        while (i < count && DrawItems.Get(i)->Top <= bottom - 1) {
            if (contains(i))
                return i;
            ++i;
        }
    }
    return -1;
}

// ---------------------------------------------------------------------------
// The view's top and bottom

int TCustomRVFormattedData::GetDrawItemNo(int y, int mode)
{
    const int count = DrawItems.Count();
    if (count == 0 || DrawItems.Get(0)->Top >= y)
        return 0;
    if (mode == 3 && DrawItems.TopOf(count - 1) < y)
        return count - 1;
    // Tops grow from line to line but not within a line (pieces of different
    // heights share a baseline), so the bisection stops at any draw item at
    // or below Y whose predecessor lies above it; the line walks below make
    // up for the pieces of one line on either side of it.
    int lo = 1;
    int hi = count - 1;
    int mid = lo;
    bool found = false;
    while (hi - lo > 1) {
        mid = (lo + hi) / 2;
        if (DrawItems.TopOf(mid) >= y) {
            if (DrawItems.TopOf(mid - 1) < y) {
                found = true;
                break;
            }
            hi = mid;
        } else {
            lo = mid;
        }
    }
    if (!found)
        mid = lo;
    mid = std::min(mid, count - 1);
    if (mode == 1) {
        // The line before the line above Y: painting from there misses nothing.
        for (int step = 0; step < 2; ++step) {
            mid = GetLineStart(mid);
            if (mid > 0)
                --mid;
        }
    } else if (mode == 3) {
        while (mid < count - 1 && DrawItems.Get(mid)->Top < y)
            ++mid;
    }
    return mid;
}

int TCustomRVFormattedData::GetFirstVisible(int y)
{
    return GetDrawItemNo(y, 1);
}

int TCustomRVFormattedData::GetFirstItemVisible()
{
    const int count = DrawItems.Count();
    if (count == 0)
        return -1;
    const int i = std::min(GetDrawItemNo(GetVOffs(), 1), count - 1);
    return DrawItems.Get(i)->ItemNo;
}

int TCustomRVFormattedData::GetLastItemVisible()
{
    const int count = DrawItems.Count();
    if (count == 0)
        return -1;
    const int i = std::min(GetDrawItemNo(GetVOffs() + GetHeight(), 3), count - 1);
    return DrawItems.Get(i)->ItemNo;
}

// ---------------------------------------------------------------------------
// Hyperlink rectangles and inserted controls

void TCustomRVFormattedData::AdjustJumpsCoords()
{
    for (int i = 0; i < Jumps.Count(); ++i) {
        auto* jump = static_cast<TRVJumpInfo*>(Jumps.Get(i));
        TCustomRVFormattedData* data = jump->RVData != nullptr ? jump->RVData : this;
        const TRVDrawLineInfo* dli = data->DrawItems.Get(jump->DrawItemNo);
        int x, y;
        data->GetOriginEx(x, y);
        jump->Left = dli->Left + x;
        jump->Top = dli->Top + y;
    }
}

void TCustomRVFormattedData::AdjustChildrenCoords()
{
    if (GetFlags().Contains(rvflShareContents) || State.Contains(rvstDoNotMoveChildren))
        return;
    TWinControl* control = GetParentControl();
    if (control == nullptr || control->ControlCount() == 0)
        return;
    const int hOffs = GetZHOffs();
    const int vOffs = GetZVOffs();
    for (int i = 0; i < DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = DrawItems.Get(i);
        if (IsTextItem(dli->ItemNo))
            continue;
        if (auto* item = dynamic_cast<TRVNonTextItemInfo*>(GetItem(dli->ItemNo)))
            item->AdjustInserted(dli->Left - hOffs, dli->Top - vOffs, true);
    }
}
