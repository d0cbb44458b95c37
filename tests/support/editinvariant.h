// The invariant every editing test checks after every command on a laid-out
// editor: undo gives back the document saved before the command byte for
// byte, redo the one saved after it; the incremental layout equals a fresh
// full layout (draw items, heights, minimum width) and paints the same, its
// selection kept as item positions included; the caret stands on a
// valid stop of a valid item, never on a list marker; Unicode text stays
// valid UTF-16; the markers list holds the document's markers in document
// order, numbered as a fresh numbering gives them.
#pragma once

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvitem.h"
#include "edit/rvervdata.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/markercheck.h"

namespace editinvariant {

inline AnsiString SaveRVF(TRVEditRVData& d)
{
    TStringStream Stream;
    d.SaveRVFToStream(Stream, false, clWindow, nullptr, nullptr);
    return Stream.DataString();
}

struct TLayout {
    std::vector<std::vector<int>> DrawItems;
    std::vector<int> ItemDrawItems;
    int Height = 0;
    int MinWidth = 0;
    bool operator==(const TLayout& o) const
    {
        return DrawItems == o.DrawItems && ItemDrawItems == o.ItemDrawItems && Height == o.Height &&
               MinWidth == o.MinWidth;
    }
};

inline TLayout LayoutOf(TRVEditRVData& d)
{
    TLayout r;
    for (int i = 0; i < d.DrawItems.Count(); ++i) {
        const TRVDrawLineInfo* dli = d.DrawItems[i];
        r.DrawItems.push_back({dli->Left, dli->Top, dli->Width, dli->Height, dli->ItemNo, dli->Offs,
                               dli->Length, dli->SpaceBefore, dli->ExtraSpaceBelow,
                               dli->FromNewLine ? 1 : 0});
    }
    for (int i = 0; i < d.GetItemCount(); ++i)
        r.ItemDrawItems.push_back(d.FindDrawItemByItem(i));
    r.Height = d.DocumentHeight;
    r.MinWidth = d.DocumentMinWidth;
    return r;
}

inline std::string Describe(const TLayout& l)
{
    std::string s = "height " + std::to_string(l.Height) + " min " + std::to_string(l.MinWidth) + "\n";
    for (const auto& di : l.DrawItems) {
        for (int v : di)
            s += std::to_string(v) + " ";
        s += "\n";
    }
    return s;
}

// One primitive of a painting: what is drawn where, in which colours.
struct TPainted {
    TCanvasOp Op;
    TRect Rect;
    int X, Y;
    TColor Pen, Brush, Font;
    WideString Text;
    bool operator==(const TPainted& o) const
    {
        return Op == o.Op && Rect == o.Rect && X == o.X && Y == o.Y && Pen == o.Pen && Brush == o.Brush &&
               Font == o.Font && Text == o.Text;
    }
};

// The document painted whole on the recording canvas, with its selection.
inline std::vector<TPainted> PaintingOf(TRVEditRVData& d)
{
    const int w = std::max(d.GetWidth(), 1);
    const int h = std::max(d.DocumentHeight, 1);
    TRecordingCanvas canvas(w, h, 96);
    d.PaintTo(&canvas, Rect(0, 0, w, h));
    std::vector<TPainted> painted;
    painted.reserve(canvas.Records().size());
    for (const TCanvasRecord& r : canvas.Records())
        painted.push_back({r.Op, r.Rect, r.X, r.Y, r.Pen.Color, r.Brush.Color, r.Font.Color, r.Text});
    return painted;
}

inline std::string Describe(const std::vector<TPainted>& painting)
{
    std::ostringstream out;
    for (const TPainted& p : painting)
        out << static_cast<int>(p.Op) << " (" << p.Rect.Left << "," << p.Rect.Top << "," << p.Rect.Right
            << "," << p.Rect.Bottom << ") at " << p.X << "," << p.Y << " pen " << p.Pen << " brush "
            << p.Brush << " font " << p.Font << " [" << UTF8Encode(p.Text) << "]\n";
    return out.str();
}

// A check of the caller's own, run on the layout as the command left it.
using TLayoutCheck = std::function<void(const std::string& Where)>;

// The state checks, without the undo round trip. Lays the document out in
// full to compare (keeping the caret's item position), after Check when given.
inline void CheckState(TRVEditRVData& d, const std::string& Where, const TLayoutCheck& Check = nullptr)
{
    SCOPED_TRACE(Where);
    ASSERT_GT(d.GetItemCount(), 0);
    ASSERT_GT(d.DrawItems.Count(), 0);
    ASSERT_GE(d.CaretDrawItemNo, 0);
    ASSERT_LT(d.CaretDrawItemNo, d.DrawItems.Count());
    ASSERT_GE(d.CaretOffs, 0);
    ASSERT_LT(d.CaretOffs, static_cast<int>(d.CharPos.size()));
    EXPECT_EQ(d.CharPos[static_cast<size_t>(d.CaretOffs)].DrawItemNo, d.CaretDrawItemNo);
    const int ItemNo = d.GetCurItemNo();
    ASSERT_GE(ItemNo, 0);
    ASSERT_LT(ItemNo, d.GetItemCount());
    EXPECT_NE(d.GetItemStyle(ItemNo), rvsListMarker);
    const int Offs = d.GetOffsetInCurItem();
    EXPECT_GE(Offs, d.GetOffsBeforeItem(ItemNo));
    EXPECT_LE(Offs, d.GetOffsAfterItem(ItemNo));
    for (int i = 0; i < d.GetItemCount(); ++i) {
        if (d.GetItemStyle(i) == rvsListMarker) {
            EXPECT_TRUE(d.GetItem(i)->CanBeBorderStart())
                << "marker " << i << " does not start its paragraph";
            EXPECT_TRUE(i + 1 < d.GetItemCount() && d.GetItem(i + 1)->GetSameAsPrev())
                << "marker " << i << " is not followed by its paragraph's text";
        }
    }
    for (int i = 1; i < d.GetItemCount(); ++i) {
        if (!d.GetItem(i)->CanBeBorderStart()) {
            EXPECT_EQ(d.GetItemPara(i), d.GetItemPara(i - 1))
                << "item " << i << " leaves its paragraph's style";
        }
    }
    for (int i = 1; i < d.GetItemCount(); ++i)
        EXPECT_FALSE(d.GetItem(i - 1)->GetBoolValue(rvbpFullWidth) && d.GetItem(i)->GetSameAsPrev())
            << "item " << i << " continues the line of a full-width item";
    for (int i = 0; i < d.GetItemCount(); ++i) {
        if (!d.GetItemOptions(i).Contains(rvioUnicode))
            continue;
        const AnsiString& t = d.GetItemText(i);
        ASSERT_EQ(t.size() % 2, 0u) << "item " << i;
        for (size_t k = 0; k + 1 < t.size(); k += 2) {
            const unsigned u = static_cast<unsigned char>(t[k]) | (static_cast<unsigned char>(t[k + 1]) << 8);
            const bool High = u >= 0xD800 && u < 0xDC00;
            const bool Low = u >= 0xDC00 && u < 0xE000;
            const unsigned Next =
                k + 3 < t.size()
                    ? (static_cast<unsigned char>(t[k + 2]) | (static_cast<unsigned char>(t[k + 3]) << 8))
                    : 0;
            if (High) {
                ASSERT_TRUE(Next >= 0xDC00 && Next < 0xE000) << "lone high surrogate in item " << i;
                k += 2;
            } else {
                ASSERT_FALSE(Low) << "lone low surrogate in item " << i;
            }
        }
    }
    if (Check)
        Check(Where);
    EXPECT_EQ(markercheck::Fault(*d.GetAbsoluteRootData()), "");
    const TLayout Incremental = LayoutOf(d);
    const std::vector<TPainted> IncrementalPainting = PaintingOf(d);
    EXPECT_EQ(d.DocumentMinWidth, d.CalculateMinDocWidthPlus(nullptr, nullptr));
    d.Format_(true, true, true, 0, nullptr, false, false);
    const TLayout Full = LayoutOf(d);
    EXPECT_TRUE(Incremental == Full) << "incremental:\n"
                                     << Describe(Incremental) << "full:\n"
                                     << Describe(Full);
    const std::vector<TPainted> FullPainting = PaintingOf(d);
    EXPECT_TRUE(IncrementalPainting == FullPainting) << "incremental:\n"
                                                     << Describe(IncrementalPainting) << "full:\n"
                                                     << Describe(FullPainting);
    EXPECT_EQ(d.GetCurItemNo(), ItemNo);
    EXPECT_EQ(d.GetOffsetInCurItem(), Offs);
}

// Runs one command as the editor control does (the command, then Change) and
// checks the invariant around it (with Check, when given, at every layout).
// Returns whether the command changed the document.
inline bool Run(TRVEditRVData& d, const std::string& Name, const std::function<void()>& Command,
                const TLayoutCheck& Check = nullptr)
{
    const AnsiString S0 = SaveRVF(d);
    Command();
    d.Change();
    CheckState(d, Name + ": after", Check);
    const AnsiString S1 = SaveRVF(d);
    if (S0 == S1)
        return false;
    EXPECT_NE(d.UndoList->CurrentUndoType(), rvutNone) << Name << ": a change left nothing to undo";
    if (d.UndoList->CurrentUndoType() == rvutNone)
        return true;
    d.Undo();
    CheckState(d, Name + ": undone", Check);
    const AnsiString Undone = SaveRVF(d);
    EXPECT_TRUE(Undone == S0) << Name << ": undo does not restore the document\nbefore:\n"
                              << S0 << "\nundone:\n"
                              << Undone;
    d.Redo();
    CheckState(d, Name + ": redone", Check);
    EXPECT_TRUE(SaveRVF(d) == S1) << Name << ": redo does not repeat the change";
    return true;
}

} // namespace editinvariant
