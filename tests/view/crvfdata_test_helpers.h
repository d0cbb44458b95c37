// Helpers of the selection, minimum-width and painting tests of view/: draw
// items placed by hand (so that the tests do not depend on line building), and
// a picture-like inline item of a fixed size that logs how it is painted.
#pragma once

#include <vector>

#include "document/rvitem.h"
#include "platform/core/numbers.h"
#include "tests/support/testrvfdata.h"

// Appends a draw item for item ItemNo (Offs and Length in its text) and notes
// it as the item's first draw item when it is.
inline TRVDrawLineInfo* AddDrawItem(TTestRVFData& Data, int ItemNo, int Left, int Top, int Width, int Height,
                                    int Offs, int Length, bool FromNewLine)
{
    auto* dli = new TRVDrawLineInfo(Left, Top, Width, Height, ItemNo, FromNewLine);
    dli->Offs = Offs;
    dli->Length = Length;
    const int Count = Data.DrawItems.Count();
    if (Count == 0 || Data.DrawItems[Count - 1]->ItemNo != ItemNo)
        Data.GetItem(ItemNo)->DrawItemNo = Count;
    Data.DrawItems.Add(dli);
    return dli;
}

// An inline item Width x Height pixels (spacing 0) that records the states it
// is painted with and where.
class TTestBoxItem : public TRVRectItemInfo {
public:
    TTestBoxItem(TCustomRVData* RVData, int AWidth, int AHeight)
        : TRVRectItemInfo(RVData), W(AWidth), H(AHeight)
    {
        StyleNo = rvsPicture;
        Spacing = 0;
    }
    const char* ClassName() const override { return "TTestBoxItem"; }
    int GetWidth() const override { return W; }
    int GetHeight() const override { return H; }
    int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData*) override
    {
        return sad != nullptr ? MulDiv(W, sad->DevicePpiX, sad->ScreenPpiX) : W;
    }
    void Paint(int X, int Y, TCanvas*, TRVItemDrawStates State, TRVStyle*, TRVDrawLineInfo*) override
    {
        Paints.push_back({X, Y, State});
    }

    struct TPaint {
        int X;
        int Y;
        TRVItemDrawStates State;
    };
    int W;
    int H;
    std::vector<TPaint> Paints;
};
