// TTestRVFData: a concrete formatted document for the layout, selection and
// painting tests of view/. It lays out on its own recording canvas (fixed
// metrics, see platform/graphics/recordingcanvas.h), answers the geometry from
// plain fields, and logs what it is told: laid-out sizes, scrolling, events.
// Shared by the tests of crvfdata*.cpp (layout and painting alike).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/graphics/recordingcanvas.h"
#include "view/crvfdata.h"

// The recording canvas that also counts its work: the characters it measures
// (each text measured or drawn counts every character once) and its font
// metric queries (one per text measured, one per metrics request).
class TCountingCanvas : public TRecordingCanvas {
public:
    using TRecordingCanvas::TRecordingCanvas;
    int64_t CharsMeasured = 0;
    int64_t MetricsCalls = 0;

protected:
    int CharAdvance(const WideChar* Char, int Count) override
    {
        ++CharsMeasured;
        return TRecordingCanvas::CharAdvance(Char, Count);
    }
    void FontMetrics(TOutlineTextMetric& Metrics) override
    {
        ++MetricsCalls;
        TRecordingCanvas::FontMetrics(Metrics);
    }
};

class TTestRVFData : public TCustomRVFormattedData {
public:
    // The style sheet is the caller's; it must outlive the data.
    explicit TTestRVFData(TRVStyle* AStyle) : Style(AStyle) {}
    ~TTestRVFData() override { Clear(); }

    // ---- Settings, answered as they are
    TRVStyle* Style;
    TRVOptions Options;
    TRVFlags Flags{rvflUseJumps, rvflTrim, rvflUseExternalLeading, rvflRoot};
    int Width = 300; // client width, less the vertical bar while it shows
    int Height = 200;
    int LeftMargin = 0;
    int RightMargin = 0;
    int TopMargin = 0;
    int BottomMargin = 0;
    int MinTextWidth = 0;
    int MaxTextWidth = 0;
    int HOffs = 0;
    int VOffs = 0;
    int VSmallStep = 10;
    TColor Color = clWindow;
    // A vertical scroll bar this wide shows while the reported height
    // exceeds Height (0: never).
    int ScrollBarWidth = 0;
    TCountingCanvas Canvas{1000, 1000, 96};

    // ---- What the data was told
    struct TAreaSize {
        int Width;
        int Height;
    };
    std::vector<TAreaSize> AreaSizes; // SetDocumentAreaSize calls
    int LayoutPasses = 0;             // passes that laid items out (AdjustVScrollUnits calls)
    std::vector<int> ScrollPositions; // ScrollTo calls
    std::vector<int> JumpEvents;      // DoJump
    std::vector<int> MouseMoveEvents; // DoRVMouseMove
    int SelectEvents = 0;             // DoSelect
    bool BarShown = false;

    // ---- The store's settings
    TRVStyle* GetRVStyle() override { return Style; }
    TRVOptions GetOptions() override { return Options; }
    void SetOptions(TRVOptions Value) override { Options = Value; }
    TRVMarkerList* GetMarkers(bool AllowCreate) override
    {
        if (!FMarkers && AllowCreate)
            FMarkers = std::make_unique<TRVMarkerList>();
        return FMarkers.get();
    }
    void DestroyMarkers() override { FMarkers.reset(); }
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

    // ---- Geometry
    TRVFlags GetFlags() override { return Flags; }
    void SetFlags(TRVFlags Value) override { Flags = Value; }
    int GetAreaWidth() override { return AreaSizes.empty() ? GetWidth() : AreaSizes.back().Width; }
    int GetLeftMargin() override { return LeftMargin; }
    int GetRightMargin() override { return RightMargin; }
    int GetTopMargin() override { return TopMargin; }
    int GetBottomMargin() override { return BottomMargin; }
    int GetMinTextWidth() override { return MinTextWidth; }
    int GetMaxTextWidth() override { return MaxTextWidth; }
    TRVBackground* GetBackground() override { return nullptr; }
    void AdjustVScrollUnits() override { ++LayoutPasses; }
    void SetDocumentAreaSize(int AWidth, int AHeight, bool) override
    {
        AreaSizes.push_back({AWidth, AHeight});
        BarShown = ScrollBarWidth > 0 && AHeight > Height;
    }
    int GetHOffs() override { return HOffs; }
    int GetVOffs() override { return VOffs; }
    int GetWidth() override { return Width - (BarShown ? ScrollBarWidth : 0); }
    int GetHeight() override { return Height; }
    TCanvas* GetCanvas() override { return &Canvas; }
    void ScrollTo(int Y, bool) override
    {
        ScrollPositions.push_back(Y);
        VOffs = Y;
    }
    void HScrollTo(int X) override { HOffs = X; }
    int GetVSmallStep() override { return VSmallStep; }
    TColor GetColor() override { return Color; }

    // ---- Events
    bool IsAssignedRVMouseUp() override { return false; }
    bool IsAssignedRVMouseDown() override { return false; }
    bool IsAssignedJump() override { return true; }
    bool IsAssignedCheckpointVisible() override { return false; }
    void DoRVMouseUp(TMouseButton, TShiftState, int, int, int) override {}
    void DoRVMouseDown(TMouseButton, TShiftState, int, int, int) override {}
    void DoJump(int ID) override { JumpEvents.push_back(ID); }
    void DoRVMouseMove(int Id) override { MouseMoveEvents.push_back(Id); }
    void DoCheckpointVisible(TRVCPInfo*) override {}
    TCursor GetNormalCursor() override { return 0; }
    void DoSelect() override { ++SelectEvents; }

    // ---- Shortcuts
    // A full layout, and a layout of the items appended since the last one.
    void FormatAll() { Format_(false, true, false, 0, nullptr, false, true); }
    void FormatTail() { Format_(false, true, false, 0, nullptr, true, true); }
    TRVDrawLineInfo* DI(int Index) const { return DrawItems[Index]; }

private:
    std::unique_ptr<TRVMarkerList> FMarkers;
};

// ---- Comparing layouts
// Everything a layout produces, item by item: the draw items, the hyperlink
// rectangles, each item's first draw item and hyperlink number, the
// document's height and widths. Two layouts of one document must agree on
// all of it, however they were reached (a full layout, a tail, a partial one).
struct TLayoutFields {
    std::vector<std::vector<int>> DrawItems;
    std::vector<std::vector<int>> Jumps;
    std::vector<std::vector<int>> Items; // first draw item, JumpID
    std::vector<int> Document;           // height, width, text width, jump count, last formatted item
};

inline std::vector<int> DrawItemFields(const TRVDrawLineInfo* dli)
{
    return {dli->Left,
            dli->Top,
            dli->Width,
            dli->Height,
            dli->ItemNo,
            dli->Offs,
            dli->Length,
            dli->SpaceBefore,
            dli->ExtraSpaceBelow,
            dli->FromNewLine ? 1 : 0,
            static_cast<int>(dli->MarkerOffset)};
}

inline TLayoutFields LayoutFieldsOf(const TCustomRVFormattedData& data)
{
    TLayoutFields f;
    for (int i = 0; i < data.DrawItems.Count(); ++i)
        f.DrawItems.push_back(DrawItemFields(data.DrawItems[i]));
    for (int i = 0; i < data.Jumps.Count(); ++i) {
        const auto* j = static_cast<const TRVJumpInfo*>(data.Jumps.Get(i));
        f.Jumps.push_back({j->Left, j->Top, j->Width, j->Height, j->Id, j->DrawItemNo, j->Cursor});
    }
    for (int i = 0; i < data.GetItemCount(); ++i)
        f.Items.push_back({data.FindDrawItemByItem(i), data.GetItem(i)->GetJumpID()});
    f.Document = {data.DocumentHeight, data.DocumentWidth, data.TextWidth, data.JumpCount,
                  data.LastFormattedItem};
    return f;
}

// Fails the current test where the two layouts differ (the first few
// differing draw items are named).
inline void ExpectSameLayout(const TCustomRVFormattedData& got, const TCustomRVFormattedData& expected)
{
    const TLayoutFields a = LayoutFieldsOf(got);
    const TLayoutFields b = LayoutFieldsOf(expected);
    ASSERT_EQ(a.DrawItems.size(), b.DrawItems.size());
    int differing = 0;
    for (size_t i = 0; i < a.DrawItems.size(); ++i)
        if (a.DrawItems[i] != b.DrawItems[i] && ++differing <= 5)
            ADD_FAILURE() << "draw item " << i << " differs";
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(a.Jumps, b.Jumps);
    EXPECT_EQ(a.Items, b.Items);
    EXPECT_EQ(a.Document, b.Document) << "height, width, text width, jump count, last formatted item";
}

// Canvas metrics where text of 20 points and more is 12 pixels a character,
// 20 above the base line and 6 below (the others keep the fixed metrics).
inline void UseLargeFontMetrics(TRecordingCanvas& canvas)
{
    canvas.MetricsForFont = [](const TFont& font) {
        TRecordingMetrics m;
        if (font.Size() >= 20) {
            m.CharWidth = 12;
            m.Ascent = 20;
            m.Descent = 6;
        }
        return m;
    };
}

// ---- Selections
// A selection as its four numbers: the start item and offset, the end item and
// offset (as GetSelectionBounds gives them).
struct TSel {
    int StartItem, StartOffs, EndItem, EndOffs;
    bool operator==(const TSel& o) const
    {
        return StartItem == o.StartItem && StartOffs == o.StartOffs && EndItem == o.EndItem &&
               EndOffs == o.EndOffs;
    }
};

inline std::ostream& operator<<(std::ostream& os, const TSel& s)
{
    return os << "(" << s.StartItem << ":" << s.StartOffs << " - " << s.EndItem << ":" << s.EndOffs << ")";
}

// The selection of a document; normalized: the start before the end.
inline TSel SelectionOf(TCustomRVFormattedData& data, bool normalized)
{
    TSel s;
    data.GetSelectionBounds(s.StartItem, s.StartOffs, s.EndItem, s.EndOffs, normalized);
    return s;
}
