// Fixtures of the table tests: a document holding tables on the recording
// canvas, and a small rasteriser that turns the canvas's log of lines,
// rectangles and fills into pixels with the device's rules (a line omits its
// last pixel; rectangles and fills omit their right and bottom edges), so
// that borders and rules are checked as the pixels they paint.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "document/rvstyle.h"
#include "table/rvtable.h"
#include "tests/support/testrvfdata.h"

// The document of the table tests: keeps its RVF options as a viewer does,
// and answers the HTML picture request with a fixed location when one is set.
class TTableTestData : public TTestRVFData {
public:
    using TTestRVFData::TTestRVFData;
    TRVFOptions GetRVFOptions() override { return RVFOptions; }
    void SetRVFOptions(TRVFOptions Value) override { RVFOptions = Value; }
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString& Location,
                       bool& DoDefault) override
    {
        if (ImageLocation.empty())
            return;
        Location = ImageLocation;
        DoDefault = false;
    }

    TRVFOptions RVFOptions;
    AnsiString ImageLocation;
};

// A document (400 pixels wide, no margins) that owns the tables added to it.
class TTableDoc {
public:
    TTableDoc() : Style(nullptr), Data(&Style)
    {
        RV_RegisterTableItem();
        Data.Width = 400;
        Data.Height = 1000;
    }
    // A new table appended to the document; the document owns it.
    TRVTableItemInfo* AddTable(int RowCount, int ColCount)
    {
        auto* Table = new TRVTableItemInfo(RowCount, ColCount, &Data);
        Data.AddItem(AnsiString(), Table);
        return Table;
    }
    void Format() { Data.FormatAll(); }

    TRVStyle Style;
    TTableTestData Data;
};

// Depth tables of one cell each, nested in Holder one inside the other (each
// cell emptied); the innermost cell, where the content goes.
inline TCustomRVData* NestTables(TCustomRVData* Holder, int Depth)
{
    for (int Level = 0; Level < Depth; ++Level) {
        auto* Table = new TRVTableItemInfo(1, 1, Holder);
        Holder->AddItem(AnsiString(), Table);
        Holder = Table->GetCells(0, 0);
        Holder->Clear();
    }
    return Holder;
}

// Merges the block of ColSpan x RowSpan slots from (Row, Col) into the cell
// there, freeing the covered cells (their content is dropped).
inline void MergeBlock(TRVTableItemInfo* Table, int Row, int Col, int ColSpan, int RowSpan)
{
    for (int r = Row; r < Row + RowSpan; ++r)
        for (int c = Col; c < Col + ColSpan; ++c)
            if (r != Row || c != Col)
                Table->Rows->Get(r)->Put(c, nullptr);
    Table->GetCells(Row, Col)->ColSpan = ColSpan;
    Table->GetCells(Row, Col)->RowSpan = RowSpan;
}

// Pixels painted by lines, rectangles and fills of a recording canvas log.
class TPixelMap {
public:
    explicit TPixelMap(const TRecordingCanvas& Canvas)
    {
        for (const TCanvasRecord& r : Canvas.Records())
            Paint(r);
    }
    // The colour at (X, Y); clNone where nothing was painted.
    TColor At(int X, int Y) const
    {
        auto it = FPixels.find({X, Y});
        return it == FPixels.end() ? clNone : it->second;
    }
    bool Painted(int X, int Y) const { return FPixels.count({X, Y}) != 0; }
    size_t Count() const { return FPixels.size(); }

private:
    void Set(int X, int Y, TColor Color) { FPixels[{X, Y}] = Color; }
    void Fill(int L, int T, int R, int B, TColor Color)
    {
        for (int y = T; y < B; ++y)
            for (int x = L; x < R; ++x)
                Set(x, y, Color);
    }
    void Paint(const TCanvasRecord& r)
    {
        switch (r.Op) {
        case TCanvasOp::Line: {
            // Axis-parallel lines, as tables draw them; the end point is left out.
            const TPoint a = r.Points[0];
            const TPoint b = r.Points[1];
            const int dx = b.X > a.X ? 1 : b.X < a.X ? -1 : 0;
            const int dy = b.Y > a.Y ? 1 : b.Y < a.Y ? -1 : 0;
            for (TPoint p = a; p.X != b.X || p.Y != b.Y; p.X += dx, p.Y += dy)
                Set(p.X, p.Y, r.Pen.Color);
            break;
        }
        case TCanvasOp::FillRect:
            Fill(r.Rect.Left, r.Rect.Top, r.Rect.Right, r.Rect.Bottom, r.Brush.Color);
            break;
        case TCanvasOp::Rectangle: {
            const TRect& q = r.Rect;
            if (r.Brush.Style == bsSolid)
                Fill(q.Left, q.Top, q.Right, q.Bottom, r.Brush.Color);
            if (r.Pen.Style == psClear)
                break;
            // An inside-frame pen of width w paints w pixels inside the rectangle.
            const int w = r.Pen.Style == psInsideFrame ? std::max(r.Pen.Width, 1) : 1;
            Fill(q.Left, q.Top, q.Right, q.Top + w, r.Pen.Color);
            Fill(q.Left, q.Bottom - w, q.Right, q.Bottom, r.Pen.Color);
            Fill(q.Left, q.Top, q.Left + w, q.Bottom, r.Pen.Color);
            Fill(q.Right - w, q.Top, q.Right, q.Bottom, r.Pen.Color);
            break;
        }
        default:
            break;
        }
    }

    std::map<std::pair<int, int>, TColor> FPixels;
};
