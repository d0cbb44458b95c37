// Alignment of child controls: the order of each alignment's controls (as the
// class library reaches it by inserting them one by one), the cost of
// aligning many, counted in the controls compared and placed, and the
// anchors of the controls that are not aligned.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/forms.h"

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

// ---------------------------------------------------------------------------
// Anchors

// How an anchored control is placed along one axis, as the class library's
// users know it: anchored on the near side only it stays; on the far side
// only it moves with that side; on both it stretches; on neither its centre
// keeps its place in proportion to the parent's size.
enum TAxisAnchors { aaNear, aaFar, aaBoth, aaNeither };

struct TSpan {
    int Start;
    int Extent;
};

// A child at (40, 30) of 100 x 60 in a parent of 400 x 300, the parent made
// 520 x 360, then 300 x 250, then 400 x 300 again: where the child is each
// time, across and down, for each way an axis can be anchored.
const TSize kSizes[] = {{520, 360}, {300, 250}, {400, 300}};
const TSpan kAcross[4][3] = {
    /* near */ {{40, 100}, {40, 100}, {40, 100}},
    /* far */ {{160, 100}, {-60, 100}, {40, 100}},
    /* both */ {{40, 220}, {40, 0}, {40, 100}},
    /* neither: centre 90 of 400 */ {{67, 100}, {17, 100}, {40, 100}},
};
const TSpan kDown[4][3] = {
    /* near */ {{30, 60}, {30, 60}, {30, 60}},
    /* far */ {{90, 60}, {-20, 60}, {30, 60}},
    /* both */ {{30, 120}, {30, 10}, {30, 60}},
    /* neither: centre 60 of 300 */ {{42, 60}, {20, 60}, {30, 60}},
};

TAxisAnchors AxisOf(TAnchors Anchors, TAnchorKind Near, TAnchorKind Far)
{
    const bool N = Anchors.Contains(Near), F = Anchors.Contains(Far);
    return N && F ? aaBoth : F ? aaFar : N ? aaNear : aaNeither;
}

TEST(Anchors, EveryCombinationKeepsItsDistancesAsTheParentResizes)
{
    for (uint8_t Bits = 0; Bits < 16; ++Bits) {
        TAnchors Anchors;
        Anchors.Bits = Bits;
        SCOPED_TRACE(int(Bits));
        TParent Parent(nullptr);
        Parent.SetBounds(0, 0, 400, 300);
        auto* C = new TPlainControl(&Parent);
        C->SetParent(&Parent);
        C->SetBounds(40, 30, 100, 60);
        C->SetAnchors(Anchors);
        const TAxisAnchors Across = AxisOf(Anchors, akLeft, akRight), Down = AxisOf(Anchors, akTop, akBottom);
        for (int i = 0; i < 3; ++i) {
            Parent.SetBounds(0, 0, kSizes[i].cx, kSizes[i].cy);
            const TSpan X = kAcross[Across][i], Y = kDown[Down][i];
            EXPECT_EQ(C->BoundsRect(), Bounds(X.Start, Y.Start, X.Extent, Y.Extent)) << "size " << i;
        }
    }
}

TEST(Anchors, AMoveOrANewParentMeasuresAgainAndAlignedControlsIgnoreThem)
{
    TParent Parent(nullptr), Other(nullptr);
    Parent.SetBounds(0, 0, 400, 300);
    Other.SetBounds(0, 0, 200, 100);
    auto* C = new TPlainControl(&Parent);
    C->SetParent(&Parent);
    C->SetBounds(40, 30, 100, 60);
    C->SetAnchors(TAnchors{akRight, akBottom});
    Parent.SetBounds(0, 0, 520, 360);
    EXPECT_EQ(C->BoundsRect(), Bounds(160, 90, 100, 60));
    // Moved by hand: the distances from there are kept.
    C->SetBounds(200, 100, 100, 60);
    Parent.SetBounds(0, 0, 400, 300);
    EXPECT_EQ(C->BoundsRect(), Bounds(80, 40, 100, 60));
    // In another parent: its distances there (20 right, 0 down).
    C->SetParent(&Other);
    Other.SetBounds(0, 0, 250, 150);
    EXPECT_EQ(C->BoundsRect(), Bounds(130, 90, 100, 60));
    // An aligned control goes where its alignment puts it.
    C->SetAlign(alTop);
    Other.SetBounds(0, 0, 300, 200);
    EXPECT_EQ(C->BoundsRect(), Bounds(0, 0, 300, 60));
    C->SetParent(&Parent); // freed with Parent
}

TEST(Anchors, AWindowResizedByItsUserMovesItsAnchoredChildren)
{
    TForm Form(nullptr);
    Form.SetBounds(100, 100, 300, 200);
    auto* Button = new TParent(&Form);
    Button->SetParent(&Form);
    const int W = Form.ClientWidth(), H = Form.ClientHeight();
    Button->SetBounds(W - 90, H - 40, 80, 30);
    Button->SetAnchors(TAnchors{akRight, akBottom});
    Form.Show();
    Form.SetBounds(100, 100, 420, 260);
    EXPECT_GT(Form.ClientWidth(), W);
    EXPECT_EQ(Button->BoundsRect(), Bounds(Form.ClientWidth() - 90, Form.ClientHeight() - 40, 80, 30));
}

} // namespace
