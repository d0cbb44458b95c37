// The metafile device's budget: what each drawing costs (the pixels it
// fills or outlines within the picture and the clip, and the rasteriser's
// work for the edges of a fill), and the bitmap pixels a playing decodes.
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "platform/graphics/metafile_dc.h"

namespace metafileplayer {

namespace {

int64_t Floor = FillFloor;

} // namespace

int64_t FillBudget(int width, int height)
{
    return Floor + FillPerPixel * int64_t(std::max(width, 0)) * std::max(height, 0);
}

int64_t FillBudgetFloor()
{
    return Floor;
}

int64_t SetFillBudgetFloor(int64_t floor)
{
    const int64_t old = Floor;
    Floor = std::max<int64_t>(floor, 0);
    return old;
}

bool TMetaDC::Charge(int64_t cost)
{
    if (FSpent)
        return false;
    cost = std::max(cost, RecordCost);
    if (cost > FBudget - FUsed) {
        FSpent = true;
        if (FStats)
            FStats->Stopped = true;
        return false;
    }
    FUsed += cost;
    if (FStats)
        FStats->Filled = FUsed;
    return true;
}

bool TMetaDC::ChargeBitmap(int64_t pixels)
{
    if (pixels > MaxPlayedBitmapPixels - FBitmapPixels)
        return false;
    FBitmapPixels += pixels;
    if (FStats)
        FStats->BitmapPixels = FBitmapPixels;
    return true;
}

void TMetaDC::CountRecord()
{
    if (FStats)
        ++FStats->Records;
}

QRectF TMetaDC::Visible() const
{
    QRectF visible = Bounds();
    if (FState.Clip)
        visible &= QRectF(FState.Clip->boundingRect());
    return visible;
}

int64_t TMetaDC::AreaCost(const QRectF& box) const
{
    const QRectF visible = box.normalized() & Visible();
    if (visible.isEmpty())
        return 0;
    return static_cast<int64_t>(std::ceil(visible.width() + 1)) *
           static_cast<int64_t>(std::ceil(visible.height() + 1));
}

// Each segment of the outline touches its box grown by the pen, and at most
// its length and the pen's width over the pen's width.
int64_t TMetaDC::StrokeCost(const QPainterPath& path, double width) const
{
    const double w = std::max(width, 1.0);
    int64_t cost = 0;
    QPointF previous;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF p(e.x, e.y);
        if (e.type != QPainterPath::MoveToElement) {
            const QRectF box = QRectF(previous, p).normalized().adjusted(-w / 2, -w / 2, w / 2, w / 2);
            const double length = std::hypot(p.x() - previous.x(), p.y() - previous.y());
            const double band = std::min((length + w) * w, 1e15);
            cost += std::min(AreaCost(box), static_cast<int64_t>(band) + 1);
        }
        previous = p;
    }
    return cost;
}

namespace {

// An edge of a fill over the rows whose centres it crosses.
struct TEdge {
    double Top;
    double X; // at Top
    double Slope;
    int Dir; // +1 downward, -1 upward
    int FirstRow, LastRow;
};

// The pixels of a row between crossings, by the fill rule: those whose
// centres lie inside and within [Left, Right).
int64_t RowPixels(std::vector<std::pair<double, int>>& crossings, bool winding, double left, double right)
{
    std::sort(crossings.begin(), crossings.end());
    int64_t pixels = 0;
    int inside = 0;
    for (size_t i = 0; i + 1 < crossings.size(); ++i) {
        inside = winding ? inside + crossings[i].second : inside ^ 1;
        if (inside == 0)
            continue;
        const double a = std::max(crossings[i].first, left), b = std::min(crossings[i + 1].first, right);
        if (b > a)
            pixels += std::max<int64_t>(0, static_cast<int64_t>(std::ceil(b - 0.5) - std::ceil(a - 0.5)));
    }
    return pixels;
}

} // namespace

// A fill costs the pixels it fills within the picture and the clip (found
// as the rasteriser finds them: the crossings of its edges with each row's
// centre), and the rasteriser's work for its edges: each element, each row
// an edge crosses, and, for a row that many edges cross, the sorting of
// them, which grows with their square. Work past the budget left is not
// looked at: the cost found so far already exceeds it.
int64_t TMetaDC::FillCost(const QPainterPath& path) const
{
    const int64_t room = FBudget - FUsed;
    int64_t cost = path.elementCount();
    const QRectF visible = Visible();
    if (visible.isEmpty() || path.isEmpty() || cost > room)
        return cost;
    const int top = static_cast<int>(std::max(0.0, std::floor(visible.top())));
    const int bottom = static_cast<int>(std::min<double>(FImage.height(), std::ceil(visible.bottom())));
    std::vector<TEdge> edges;
    int64_t edgeRows = 0;
    for (const QPolygonF& polygon : path.toSubpathPolygons()) {
        for (int i = 0; i < polygon.size(); ++i) {
            const QPointF a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            if (a.y() == b.y() || !std::isfinite(a.x() + a.y() + b.x() + b.y()))
                continue;
            const QPointF& upper = a.y() < b.y() ? a : b;
            const QPointF& lower = a.y() < b.y() ? b : a;
            // The rows whose centres lie in [upper, lower).
            const double first = std::max<double>(top, std::ceil(upper.y() - 0.5));
            const double last = std::min<double>(bottom - 1, std::ceil(lower.y() - 0.5) - 1);
            if (first > last)
                continue;
            edges.push_back({upper.y(), upper.x(), (lower.x() - upper.x()) / (lower.y() - upper.y()),
                             a.y() < b.y() ? 1 : -1, static_cast<int>(first), static_cast<int>(last)});
            edgeRows += static_cast<int64_t>(last - first) + 1;
        }
    }
    cost += EdgeCost * edgeRows;
    if (edges.empty() || cost > room)
        return cost;
    // The crowding costs at least what it would if the edges' rows were
    // spread evenly over the rows they reach (the sum of squares is least
    // so): a figure of thousands of edges across the picture is refused here.
    int firstRow = bottom, lastRow = top;
    for (const TEdge& e : edges) {
        firstRow = std::min(firstRow, e.FirstRow);
        lastRow = std::max(lastRow, e.LastRow);
    }
    const double evenly =
        double(edgeRows) * double(edgeRows) / (double(lastRow - firstRow + 1) * CrowdedRowDivisor);
    if (evenly > double(room - cost))
        return cost + static_cast<int64_t>(std::min(evenly, 1e15));
    // The rows from the first an edge crosses, with the edges that cross each.
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& a, const TEdge& b) { return a.FirstRow < b.FirstRow; });
    const bool winding = path.fillRule() == Qt::WindingFill;
    std::vector<const TEdge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    for (int row = edges.front().FirstRow; row < bottom && (next < edges.size() || !active.empty()); ++row) {
        while (next < edges.size() && edges[next].FirstRow == row)
            active.push_back(&edges[next++]);
        active.erase(
            std::remove_if(active.begin(), active.end(), [&](const TEdge* e) { return e->LastRow < row; }),
            active.end());
        // The crowding is charged before the row's crossings are sorted.
        const auto c = static_cast<int64_t>(active.size());
        cost += c * c / CrowdedRowDivisor;
        if (cost > room)
            return cost;
        crossings.clear();
        const double centre = row + 0.5;
        for (const TEdge* e : active)
            crossings.emplace_back(e->X + (centre - e->Top) * e->Slope, e->Dir);
        cost += RowPixels(crossings, winding, visible.left(), visible.right());
        if (cost > room)
            return cost;
    }
    return cost;
}

} // namespace metafileplayer
