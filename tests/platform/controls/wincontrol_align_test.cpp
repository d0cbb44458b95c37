// Alignment of child controls: the order of each alignment's controls (as the
// class library reaches it by inserting them one by one) and the cost of
// aligning many, counted in the controls compared and placed.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "platform/controls/controls.h"

namespace {

class TPlainControl : public TControl {
public:
    explicit TPlainControl(TComponent* AOwner) : TControl(AOwner) {}
};

class TParent : public TWinControl {
public:
    explicit TParent(TComponent* AOwner) : TWinControl(AOwner) {}
};

struct TBox {
    TAlign Align;
    TRect Bounds;
};

// The class library's rule: each control of an alignment in turn, the asking
// one first, goes before the first control of the list it comes before.
bool ComesBefore(const TRect& A, const TRect& B, TAlign Align)
{
    switch (Align) {
    case alTop:
        return A.Top < B.Top;
    case alBottom:
        return A.Bottom >= B.Bottom;
    case alLeft:
        return A.Left < B.Left;
    case alRight:
        return A.Right >= B.Right;
    default:
        return false;
    }
}

// The bounds each box gets by that rule in a client area of W x H; Asking is
// the index of the box whose change asked for the alignment, or -1.
std::vector<TRect> ExpectedBounds(const std::vector<TBox>& Boxes, int Asking, int W, int H)
{
    std::vector<TRect> Bounds(Boxes.size());
    TRect Rest = Rect(0, 0, W, H);
    for (TAlign Align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<size_t> Order;
        if (Asking >= 0 && Boxes[static_cast<size_t>(Asking)].Align == Align)
            Order.push_back(static_cast<size_t>(Asking));
        for (size_t i = 0; i < Boxes.size(); ++i)
            if (static_cast<int>(i) != Asking && Boxes[i].Align == Align)
                Order.push_back(i);
        std::vector<size_t> List;
        for (size_t i : Order) {
            size_t j = 0;
            while (j < List.size() && !ComesBefore(Boxes[i].Bounds, Boxes[List[j]].Bounds, Align))
                ++j;
            List.insert(List.begin() + static_cast<std::ptrdiff_t>(j), i);
        }
        for (size_t i : List) {
            const int w = Boxes[i].Bounds.Width();
            const int h = Boxes[i].Bounds.Height();
            TRect& B = Bounds[i];
            switch (Align) {
            case alTop:
                B = Rect(Rest.Left, Rest.Top, Rest.Right, Rest.Top + h);
                Rest.Top += h;
                break;
            case alBottom:
                B = Rect(Rest.Left, Rest.Bottom - h, Rest.Right, Rest.Bottom);
                Rest.Bottom -= h;
                break;
            case alLeft:
                B = Rect(Rest.Left, Rest.Top, Rest.Left + w, Rest.Bottom);
                Rest.Left += w;
                break;
            case alRight:
                B = Rect(Rest.Right - w, Rest.Top, Rest.Right, Rest.Bottom);
                Rest.Right -= w;
                break;
            default:
                B = Rest;
                break;
            }
        }
    }
    return Bounds;
}

std::vector<TBox> BoxesOf(const std::vector<TControl*>& Controls)
{
    std::vector<TBox> Boxes;
    for (const TControl* C : Controls)
        Boxes.push_back({C->Align(), C->BoundsRect()});
    return Boxes;
}

void ExpectBounds(const std::vector<TControl*>& Controls, const std::vector<TRect>& Expected)
{
    for (size_t i = 0; i < Controls.size(); ++i) {
        const TRect Got = Controls[i]->BoundsRect();
        EXPECT_TRUE(Got == Expected[i])
            << "control " << i << " at " << Got.Left << "," << Got.Top << " " << Got.Width() << "x"
            << Got.Height() << ", expected " << Expected[i].Left << "," << Expected[i].Top;
    }
}

// Many controls level with others, of every alignment: aligned by the parent
// alone, then with one control's change asking for it.
TEST(AlignControls, EachAlignmentKeepsTheClassLibrarysOrder)
{
    std::mt19937 Random(11);
    const auto Pick = [&](int Low, int High) {
        return std::uniform_int_distribution<int>(Low, High)(Random);
    };
    const auto RandomBounds = [&] {
        return Bounds(Pick(0, 3) * 10, Pick(0, 3) * 10, Pick(1, 3) * 10, Pick(1, 3) * 10);
    };
    for (int Round = 0; Round < 300 && !testing::Test::HasFailure(); ++Round) {
        SCOPED_TRACE(Round);
        TParent Parent(nullptr);
        Parent.SetBounds(0, 0, 5000, 5000);
        Parent.DisableAlign();
        std::vector<TControl*> Controls;
        const int Count = Pick(1, 12);
        for (int i = 0; i < Count; ++i) {
            auto* C = new TPlainControl(&Parent);
            const TRect B = RandomBounds();
            C->SetBounds(B.Left, B.Top, B.Width(), B.Height());
            C->SetAlign(static_cast<TAlign>(Pick(alTop, alClient)));
            C->SetParent(&Parent);
            Controls.push_back(C);
        }
        std::vector<TBox> Boxes = BoxesOf(Controls);
        Parent.EnableAlign();
        ExpectBounds(Controls, ExpectedBounds(Boxes, -1, 5000, 5000));

        const int Asking = Pick(0, Count - 1);
        const TRect B = RandomBounds();
        Boxes = BoxesOf(Controls);
        Boxes[static_cast<size_t>(Asking)].Bounds = B;
        Controls[static_cast<size_t>(Asking)]->SetBounds(B.Left, B.Top, B.Width(), B.Height());
        ExpectBounds(Controls, ExpectedBounds(Boxes, Asking, 5000, 5000));
    }
}

// Aligning N controls compares and places each about log N times, not N times.
TEST(AlignControls, AligningManyControlsCostsNLogN)
{
    for (int N : {1000, 4000}) {
        SCOPED_TRACE(N);
        TParent Parent(nullptr);
        Parent.SetBounds(0, 0, 500, 500);
        Parent.DisableAlign();
        for (int i = 0; i < N; ++i) {
            auto* C = new TPlainControl(&Parent);
            C->SetBounds(0, (i * 7919) % N, 10, 10);
            C->SetAlign(i % 2 ? alTop : alBottom);
            C->SetParent(&Parent);
        }
        const int64_t Before = Parent.GetAlignSteps();
        Parent.EnableAlign();
        EXPECT_LE(Parent.GetAlignSteps() - Before, int64_t(4 * N * std::log2(N)));
    }
}

} // namespace
