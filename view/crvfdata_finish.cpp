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
    const int last = lineEnd - 1;
    if (last < 0)
        return;
    TRVDrawLineInfo* lastItem = DrawItems[last];
    const TCustomRVItemInfo* item = GetItem(lastItem->ItemNo);
    // Rules and other full-width items are neither aligned nor spaced.
    if (item->GetBoolValue(rvbpFullWidth))
        return;
    const TParaInfo* para = GetRVStyle()->ParaStyles()->Items(item->ParaNo);
    TRVAlignment align = para->Alignment();
    if (align == rvaJustify && GetParaBiDiMode(item->ParaNo) != rvbdUnspecified)
        align = rvaLeft;

    int free = 0;
    if (align != rvaLeft && !(align == rvaJustify && lastLine)) {
        free = rightEdge - (lastItem->Left + lastItem->Width);
        if (align == rvaCenter) {
            free /= 2;
            if (free < 0)
                free = 0;
        }
    }

    // The line's first draw item is looked for only when the line is spaced
    // or moved: a left-aligned line closes at no cost per piece, however
    // many pieces it holds.
    int first = -1;
    auto lineStart = [&] {
        if (first < 0) {
            first = last;
            while (first > 0 && !DrawItems[first]->FromNewLine)
                --first;
        }
        return first;
    };
    // The places before the first move, for the caller that reopens the line.
    bool kept = false;
    auto keepPlaces = [&] {
        if (placesBefore == nullptr || kept)
            return;
        kept = true;
        for (int i = lineStart(); i <= last; ++i) {
            const TRVDrawLineInfo* dli = DrawItems[i];
            placesBefore->push_back({dli->Left, dli->Width, dli->SpaceBefore, dli->ExtraSpaceBelow});
        }
    };

    // Line spacing.
    if (para->LineSpacingType() == rvlsPercent && para->LineSpacing() > 100) {
        bool found = false;
        int minTop = 0, maxBottom = 0;
        for (int i = lineStart(); i <= last; ++i) {
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
            extra = static_cast<int>(int64_t(maxBottom - minTop) * (para->LineSpacing() - 100) / 100);
    } else if (para->LineSpacingType() == rvlsSpaceBetween && para->LineSpacing() >= 0) {
        extra = MulDiv(para->LineSpacing(), sad.DevicePpiY, sad.ScreenPpiY);
    }
    extra = std::clamp(extra, TRVDrawLineInfo::MinExtraSpaceBelow, TRVDrawLineInfo::MaxExtraSpaceBelow);
    if (extra != 0) {
        keepPlaces();
        for (int i = lineStart(); i <= last; ++i)
            DrawItems[i]->ExtraSpaceBelow = extra;
    }
    const bool rightToLeft = GetParaBiDiMode(item->ParaNo) == rvbdRightToLeft;

    if (align == rvaJustify && !lastLine) {
        if (lastItem->FromNewLine)
            return;
        keepPlaces();
        // The pieces that start with a space share the free room; the first
        // piece of the line is never widened.
        auto isSpacePiece = [this](const TRVDrawLineInfo* dli) {
            const TCustomRVItemInfo* pieceItem = GetItem(dli->ItemNo);
            return pieceItem->StyleNo >= 0 && dli->Length > 0 &&
                   RVU_IsSpace(Items->GetView(dli->ItemNo), dli->Offs, pieceItem->ItemOptions);
        };
        int spaces = 0;
        for (int j = lineStart() + 1; j <= last; ++j)
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
        if (rightToLeft)
            ReorderRightToLeft(sad, first, last);
        return;
    }

    if (free != 0) {
        keepPlaces();
        for (int i = last; i >= lineStart(); --i)
            DrawItems[i]->Left += free;
    }
    if (rightToLeft) {
        keepPlaces();
        ReorderRightToLeft(sad, lineStart(), last);
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
