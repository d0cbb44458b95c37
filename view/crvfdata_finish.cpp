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

void TCustomRVFormattedData::FinishScreenLine(const TRVScreenAndDevice& sad, int RightEdge, int LineEnd,
                                              bool LastLine, int& Extra, bool& NoLineYet)
{
    Extra = 0;
    // The first call of a layout pass has no line to close.
    if (NoLineYet) {
        NoLineYet = false;
        return;
    }
    const int Last = LineEnd - 1;
    if (Last < 0)
        return;
    TRVDrawLineInfo* LastItem = DrawItems[Last];
    const TCustomRVItemInfo* Item = GetItem(LastItem->ItemNo);
    // Rules and other full-width items are neither aligned nor spaced.
    if (Item->GetBoolValue(rvbpFullWidth))
        return;
    const TParaInfo* Para = GetRVStyle()->ParaStyles()->Items(Item->ParaNo);
    TRVAlignment Align = Para->Alignment();
    if (Align == rvaJustify && GetParaBiDiMode(Item->ParaNo) != rvbdUnspecified)
        Align = rvaLeft;

    int Free = 0;
    if (Align != rvaLeft && !(Align == rvaJustify && LastLine)) {
        Free = RightEdge - (LastItem->Left + LastItem->Width);
        if (Align == rvaCenter) {
            Free /= 2;
            if (Free < 0)
                Free = 0;
        }
    }

    int First = Last;
    while (First > 0 && !DrawItems[First]->FromNewLine)
        --First;

    // Line spacing.
    if (Para->LineSpacingType() == rvlsPercent && Para->LineSpacing() > 100) {
        bool Found = false;
        int MinTop = 0, MaxBottom = 0;
        for (int i = First; i <= Last; ++i) {
            const TRVDrawLineInfo* dli = DrawItems[i];
            if (GetItemStyle(dli->ItemNo) < 0)
                continue;
            if (!Found || dli->Top < MinTop)
                MinTop = dli->Top;
            if (!Found || dli->Top + dli->Height > MaxBottom)
                MaxBottom = dli->Top + dli->Height;
            Found = true;
        }
        if (Found)
            Extra = static_cast<int>(int64_t(MaxBottom - MinTop) * (Para->LineSpacing() - 100) / 100);
    } else if (Para->LineSpacingType() == rvlsSpaceBetween && Para->LineSpacing() >= 0) {
        Extra = MulDiv(Para->LineSpacing(), sad.DevicePpiY, sad.ScreenPpiY);
    }
    if (Extra != 0)
        for (int i = First; i <= Last; ++i)
            DrawItems[i]->ExtraSpaceBelow = Extra;

    if (Align == rvaJustify && !LastLine) {
        if (LastItem->FromNewLine)
            return;
        // The pieces that start with a space share the free room; the first
        // piece of the line is never widened.
        auto IsSpacePiece = [this](const TRVDrawLineInfo* dli) {
            const TCustomRVItemInfo* PieceItem = GetItem(dli->ItemNo);
            return PieceItem->StyleNo >= 0 && dli->Length > 0 &&
                   RVU_IsSpace(Items->Get(dli->ItemNo), dli->Offs, PieceItem->ItemOptions);
        };
        int Spaces = 0;
        for (int j = First + 1; j <= Last; ++j)
            if (IsSpacePiece(DrawItems[j]))
                ++Spaces;
        for (int j = First + 1; j <= Last; ++j) {
            TRVDrawLineInfo* dli = DrawItems[j];
            if (IsSpacePiece(dli)) {
                // The remainder of the division goes to the later pieces.
                const int Share = Free / Spaces;
                dli->SpaceBefore = Share;
                dli->Width += Share;
                Free -= Share;
                --Spaces;
            }
            if (!dli->FromNewLine) {
                const TRVDrawLineInfo* Prev = DrawItems[j - 1];
                dli->Left = Prev->Left + Prev->Width;
            }
        }
        ReorderRightToLeft(sad, Last);
        return;
    }

    if (Free != 0)
        for (int i = Last; i >= First; --i)
            DrawItems[i]->Left += Free;
    ReorderRightToLeft(sad, Last);
}

void TCustomRVFormattedData::ReorderRightToLeft(const TRVScreenAndDevice& sad, int Last)
{
    const TCustomRVItemInfo* LastItem = GetItem(DrawItems[Last]->ItemNo);
    if (GetParaBiDiMode(LastItem->ParaNo) != rvbdRightToLeft)
        return;
    int First = Last;
    while (First >= 1 && !DrawItems[First]->FromNewLine)
        --First;

    // The first-line indent was applied on the left; in a right-to-left
    // paragraph it belongs to the right side.
    const TRVDrawLineInfo* FirstDli = DrawItems[First];
    const TCustomRVItemInfo* FirstItem = GetItem(FirstDli->ItemNo);
    if (!FirstItem->GetSameAsPrev() && FirstDli->Offs <= GetOffsBeforeItem(FirstDli->ItemNo)) {
        int Shift;
        if (FirstItem->StyleNo == rvsListMarker) {
            const auto* Marker = dynamic_cast<const TRVNonTextItemInfo*>(FirstItem);
            Shift =
                MulDiv(-(Marker != nullptr ? Marker->GetLeftOverhang() : 0), sad.DevicePpiX, sad.ScreenPpiX);
        } else {
            const TParaInfo* Para = GetRVStyle()->ParaStyles()->Items(LastItem->ParaNo);
            Shift = MulDiv(Para->FirstIndent(), sad.DevicePpiX, sad.ScreenPpiX);
        }
        if (Shift != 0)
            for (int i = First; i <= Last; ++i)
                DrawItems[i]->Left -= Shift;
    }
    if (First == Last)
        return;

    // Reverse order, keeping the line's left edge and the gaps between pieces.
    int X = DrawItems[First]->Left;
    for (int j = Last; j >= First; --j) {
        TRVDrawLineInfo* dli = DrawItems[j];
        int Gap = 0;
        if (j > First) {
            const TRVDrawLineInfo* Prev = DrawItems[j - 1];
            Gap = dli->Left - (Prev->Left + Prev->Width);
        }
        dli->Left = X;
        X += dli->Width + Gap;
    }
}
