// Line finishing: when the last piece of a screen line is placed, the line is
// aligned (left, right, centre, justified), gets the extra space of its
// paragraph's line spacing, and has its pieces mirrored in right-to-left
// paragraphs. Works on the line's draw items only and never moves them up or down.
#include <algorithm>
#include <cstdint>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/numbers.h"
#include "platform/core/stringlist.h"
#include "view/crvfdata.h"

// The screen line being finished: its last draw item, its first one (looked
// for only when a step spaces or moves the line: a left-aligned line closes at
// no cost per piece, however many pieces it holds), and the places of its draw
// items before the first move, for the caller that reopens the line.
class TRVScreenLineToFinish {
public:
    TRVScreenLineToFinish(TRVDrawLines& drawItems, int last, std::vector<TRVDrawItemPlace>* placesBefore)
        : FDrawItems(drawItems), FLast(last), FPlacesBefore(placesBefore)
    {}
    int Last() const { return FLast; }
    int First()
    {
        if (FFirst < 0) {
            FFirst = FLast;
            while (FFirst > 0 && !FDrawItems[FFirst]->FromNewLine)
                --FFirst;
        }
        return FFirst;
    }
    // Called before a step moves or widens a draw item of the line.
    void KeepPlaces()
    {
        if (FPlacesBefore == nullptr || FKept)
            return;
        FKept = true;
        for (int i = First(); i <= FLast; ++i) {
            const TRVDrawLineInfo* dli = FDrawItems[i];
            FPlacesBefore->push_back({dli->Left, dli->Width, dli->SpaceBefore, dli->ExtraSpaceBelow});
        }
    }

private:
    TRVDrawLines& FDrawItems;
    int FLast;
    int FFirst = -1;
    std::vector<TRVDrawItemPlace>* FPlacesBefore;
    bool FKept = false;
};

namespace {

// The room Align leaves on the left of a line whose last draw item is LastItem
// (negative when a right-aligned line is wider than its room): none for a
// left-aligned line and for the last line of a justified paragraph, half of it
// (none when negative) for a centred line, and all of it for a right-aligned
// line and for a justified line that is not its paragraph's last (which
// FinishScreenLine spreads over its room with JustifyScreenLine instead).
int AlignmentShift(TRVAlignment align, bool lastLine, int rightEdge, const TRVDrawLineInfo* lastItem)
{
    if (align == rvaLeft || (align == rvaJustify && lastLine))
        return 0;
    const int free = rightEdge - (lastItem->Left + lastItem->Width);
    if (align == rvaCenter)
        return std::max(free / 2, 0);
    return free;
}

} // namespace

void TCustomRVFormattedData::FinishScreenLine(const TRVScreenAndDevice& sad, int rightEdge, int lineEnd,
                                              bool lastLine, int& extra, bool& noLineYet,
                                              std::vector<TRVDrawItemPlace>* placesBefore)
{
    extra = 0;
    if (placesBefore != nullptr)
        placesBefore->clear();
    // The first call of a layout pass has no line to close.
    if (noLineYet) {
        noLineYet = false;
        return;
    }
    if (lineEnd <= 0)
        return;
    TRVScreenLineToFinish line(DrawItems, lineEnd - 1, placesBefore);
    const TRVDrawLineInfo* lastItem = DrawItems[line.Last()];
    const TCustomRVItemInfo* item = GetItem(lastItem->ItemNo);
    // Rules and other full-width items are neither aligned nor spaced.
    if (item->GetBoolValue(rvbpFullWidth))
        return;
    const TParaInfo* para = GetRVStyle()->ParaStyles()->Items(item->ParaNo);
    TRVAlignment align = para->Alignment();
    // A paragraph with a direction of its own is aligned left instead of
    // justified (and mirrored below when it runs right to left).
    if (align == rvaJustify && GetParaBiDiMode(item->ParaNo) != rvbdUnspecified)
        align = rvaLeft;
    extra = SpaceScreenLine(sad, *para, line);
    if (align == rvaJustify && !lastLine) {
        JustifyScreenLine(line, rightEdge - (lastItem->Left + lastItem->Width));
        return;
    }
    const bool rightToLeft = GetParaBiDiMode(item->ParaNo) == rvbdRightToLeft;
    const int shift = AlignmentShift(align, lastLine, rightEdge, lastItem);
    if (shift != 0) {
        line.KeepPlaces();
        for (int i = line.Last(); i >= line.First(); --i)
            DrawItems[i]->Left += shift;
    }
    if (rightToLeft) {
        line.KeepPlaces();
        ReorderRightToLeft(sad, line.First(), line.Last());
    }
}

int TCustomRVFormattedData::SpaceScreenLine(const TRVScreenAndDevice& sad, const TParaInfo& para,
                                            TRVScreenLineToFinish& line)
{
    int extra = 0;
    if (para.LineSpacingType() == rvlsPercent && para.LineSpacing() > 100) {
        // A share of the height of the line's text.
        bool found = false;
        int minTop = 0, maxBottom = 0;
        for (int i = line.First(); i <= line.Last(); ++i) {
            const TRVDrawLineInfo* dli = DrawItems[i];
            if (!IsTextItem(dli->ItemNo))
                continue;
            if (!found || dli->Top < minTop)
                minTop = dli->Top;
            if (!found || dli->Top + dli->Height > maxBottom)
                maxBottom = dli->Top + dli->Height;
            found = true;
        }
        if (found)
            extra = static_cast<int>(int64_t(maxBottom - minTop) * (para.LineSpacing() - 100) / 100);
    } else if (para.LineSpacingType() == rvlsSpaceBetween && para.LineSpacing() >= 0) {
        extra = MulDiv(para.LineSpacing(), sad.DevicePpiY, sad.ScreenPpiY);
    }
    extra = std::clamp(extra, TRVDrawLineInfo::MinExtraSpaceBelow, TRVDrawLineInfo::MaxExtraSpaceBelow);
    if (extra != 0) {
        line.KeepPlaces();
        for (int i = line.First(); i <= line.Last(); ++i)
            DrawItems[i]->ExtraSpaceBelow = extra;
    }
    return extra;
}

void TCustomRVFormattedData::JustifyScreenLine(TRVScreenLineToFinish& line, int free)
{
    const int last = line.Last();
    if (DrawItems[last]->FromNewLine)
        return;
    line.KeepPlaces();
    const int first = line.First();
    // The pieces that start with a space share the free room; the first
    // piece of the line is never widened.
    auto isSpacePiece = [this](const TRVDrawLineInfo* dli) {
        const TCustomRVItemInfo* pieceItem = GetItem(dli->ItemNo);
        return pieceItem->StyleNo >= 0 && dli->Length > 0 &&
               RVU_IsSpace(Items->GetView(dli->ItemNo), dli->Offs, pieceItem->ItemOptions);
    };
    int spaces = 0;
    for (int j = first + 1; j <= last; ++j)
        if (isSpacePiece(DrawItems[j]))
            ++spaces;
    for (int j = first + 1; j <= last; ++j) {
        TRVDrawLineInfo* dli = DrawItems[j];
        if (isSpacePiece(dli)) {
            // The remainder of the division goes to the later pieces.
            const int share = free / spaces;
            dli->SpaceBefore = share;
            dli->Width += share;
            free -= share;
            --spaces;
        }
        if (!dli->FromNewLine) {
            const TRVDrawLineInfo* prev = DrawItems[j - 1];
            dli->Left = prev->Left + prev->Width;
        }
    }
}

void TCustomRVFormattedData::ReorderRightToLeft(const TRVScreenAndDevice& sad, int first, int last)
{
    const TCustomRVItemInfo* lastItem = GetItem(DrawItems[last]->ItemNo);

    // The first-line indent was applied on the left; in a right-to-left
    // paragraph it belongs to the right side.
    const TRVDrawLineInfo* firstDli = DrawItems[first];
    const TCustomRVItemInfo* firstItem = GetItem(firstDli->ItemNo);
    if (!firstItem->GetSameAsPrev() && firstDli->Offs <= GetOffsBeforeItem(firstDli->ItemNo)) {
        int shift;
        if (firstItem->StyleNo == rvsListMarker) {
            const auto* marker = dynamic_cast<const TRVNonTextItemInfo*>(firstItem);
            shift =
                MulDiv(-(marker != nullptr ? marker->GetLeftOverhang() : 0), sad.DevicePpiX, sad.ScreenPpiX);
        } else {
            const TParaInfo* para = GetRVStyle()->ParaStyles()->Items(lastItem->ParaNo);
            shift = MulDiv(para->FirstIndent(), sad.DevicePpiX, sad.ScreenPpiX);
        }
        if (shift != 0)
            for (int i = first; i <= last; ++i)
                DrawItems[i]->Left -= shift;
    }
    if (first == last)
        return;

    // Reverse order, keeping the line's left edge and the gaps between pieces.
    int x = DrawItems[first]->Left;
    for (int j = last; j >= first; --j) {
        TRVDrawLineInfo* dli = DrawItems[j];
        int gap = 0;
        if (j > first) {
            const TRVDrawLineInfo* prev = DrawItems[j - 1];
            gap = dli->Left - (prev->Left + prev->Width);
        }
        dli->Left = x;
        x += dli->Width + gap;
    }
}
