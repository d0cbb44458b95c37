// The item resizer: where its handles are, drawing them and the dragged
// frame, and the frame that a drag of one handle gives.
#include "edit/rvresize.h"

#include <cmath>
#include <cstdlib>

#include "document/rvdrawline.h"
#include "document/rvitem.h"
#include "platform/controls/cursors.h"
#include "platform/graphics/canvas.h"

bool RollViewEditDefaultProportionalResize = true;

namespace {

constexpr TRVResizeHandleIndex AllHandles[] = {rvrhLeftTop, rvrhRightTop, rvrhRightBottom, rvrhLeftBottom,
                                               rvrhTop,     rvrhRight,    rvrhBottom,      rvrhLeft};

bool MovesLeft(TRVResizeHandleIndex h)
{
    return h == rvrhLeftTop || h == rvrhLeftBottom || h == rvrhLeft;
}

bool MovesRight(TRVResizeHandleIndex h)
{
    return h == rvrhRightTop || h == rvrhRightBottom || h == rvrhRight;
}

bool MovesTop(TRVResizeHandleIndex h)
{
    return h == rvrhLeftTop || h == rvrhRightTop || h == rvrhTop;
}

bool MovesBottom(TRVResizeHandleIndex h)
{
    return h == rvrhLeftBottom || h == rvrhRightBottom || h == rvrhBottom;
}

} // namespace

TRVItemResizer::TRVItemResizer(TRVDrawLineInfo* drawItem, TCustomRVItemInfo* item, int drawItemNo)
{
    UpdateItem(drawItem, item, drawItemNo);
}

void TRVItemResizer::UpdateItem(TRVDrawLineInfo* drawItem, TCustomRVItemInfo* item, int drawItemNo)
{
    DrawItem = drawItem;
    DrawItemNo = drawItemNo;
    Item = item;
    Width = drawItem->Width;
    Height = drawItem->Height;
    ItemNo = drawItem->ItemNo;
}

void TRVItemResizer::GetResizeHandleShift(TRVResizeHandleIndex index, int& dx, int& dy) const
{
    const int d = Position == rvhpInside ? 3 : -3;
    dx = MovesLeft(index) ? d : MovesRight(index) ? -d : 0;
    dy = MovesTop(index) ? d : MovesBottom(index) ? -d : 0;
}

void TRVItemResizer::GetResizeHandleCoords(TRVResizeHandleIndex index, bool shifted, int& x, int& y) const
{
    x = MovesLeft(index) ? 0 : MovesRight(index) ? Width : Width / 2;
    y = MovesTop(index) ? 0 : MovesBottom(index) ? Height : Height / 2;
    if (shifted) {
        int dx = 0;
        int dy = 0;
        GetResizeHandleShift(index, dx, dy);
        x += dx;
        y += dy;
    }
}

TCursor TRVItemResizer::GetResizeHandleCursor(TRVResizeHandleIndex index)
{
    switch (index) {
    case rvrhLeftTop:
    case rvrhRightBottom:
        return crSizeNWSE;
    case rvrhRightTop:
    case rvrhLeftBottom:
        return crSizeNESW;
    case rvrhTop:
    case rvrhBottom:
        return crSizeNS;
    default:
        return crSizeWE;
    }
}

void TRVItemResizer::Draw(TCanvas* canvas, int hOffs, int vOffs) const
{
    TPen* pen = canvas->Pen();
    pen->SetWidth(1);
    pen->SetColor(clBlack);
    pen->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsClear);
    for (TRVResizeHandleIndex index : AllHandles) {
        int x = 0;
        int y = 0;
        GetResizeHandleCoords(index, true, x, y);
        x += DrawItem->Left - hOffs;
        y += DrawItem->Top - vOffs;
        pen->SetMode(pmCopy);
        canvas->Rectangle(x - 3, y - 3, x + 3, y + 3);
        pen->SetMode(pmNot);
        canvas->Rectangle(x - 2, y - 2, x + 2, y + 2);
        canvas->Rectangle(x - 1, y - 1, x + 1, y + 1);
    }
    pen->SetMode(pmCopy);
}

bool TRVItemResizer::GetResizeHandleAt(int x, int y, int hOffs, int vOffs, TRVResizeHandleIndex& index) const
{
    x -= DrawItem->Left - hOffs;
    y -= DrawItem->Top - vOffs;
    for (TRVResizeHandleIndex h : AllHandles) {
        int hx = 0;
        int hy = 0;
        GetResizeHandleCoords(h, true, hx, hy);
        if (std::abs(hx - x) < 4 && std::abs(hy - y) < 4) {
            index = h;
            return true;
        }
    }
    return false;
}

bool TRVItemResizer::MouseDown(int x, int y, int hOffs, int vOffs)
{
    TRVResizeHandleIndex index = rvrhLeftTop;
    if (!GetResizeHandleAt(x, y, hOffs, vOffs, index))
        return false;
    FDragging = true;
    FCancelled = false;
    FHandle = index;
    int hx = 0;
    int hy = 0;
    GetResizeHandleCoords(index, false, hx, hy);
    FDeltaX = x + hOffs - DrawItem->Left - hx;
    FDeltaY = y + vOffs - DrawItem->Top - hy;
    FFrame = Rect(0, 0, DrawItem->Width, DrawItem->Height);
    return true;
}

void TRVItemResizer::DragTo(TShiftState shift, int x, int y, int hOffs, int vOffs)
{
    const int nx = x - FDeltaX + hOffs - DrawItem->Left;
    const int ny = y - FDeltaY + vOffs - DrawItem->Top;
    const int w = DrawItem->Width;
    const int h = DrawItem->Height;
    const bool left = MovesLeft(FHandle);
    const bool right = MovesRight(FHandle);
    const bool top = MovesTop(FHandle);
    const bool bottom = MovesBottom(FHandle);
    TRect& f = FFrame;
    f = Rect(0, 0, w, h);
    if (left)
        f.Left = nx;
    if (right)
        f.Right = nx;
    if (top)
        f.Top = ny;
    if (bottom)
        f.Bottom = ny;
    // Never narrower or lower than 2 pixels.
    if (f.Right - 1 <= f.Left) {
        if (left)
            f.Left = f.Right - 2;
        else if (right)
            f.Right = f.Left + 2;
    }
    if (f.Bottom - 1 <= f.Top) {
        if (top)
            f.Top = f.Bottom - 2;
        else if (bottom)
            f.Bottom = f.Top + 2;
    }
    const bool ctrl = shift.Contains(ssCtrl);
    if (ctrl) {
        // Symmetric about the centre.
        if (left)
            f.Right = w - f.Left;
        if (top)
            f.Bottom = h - f.Top;
        if (right)
            f.Left = w - f.Right;
        if (bottom)
            f.Top = h - f.Bottom;
    }
    const bool proportional =
        shift.Contains(ssShift) || (RollViewEditDefaultProportionalResize && IsCornerResizeHandle(FHandle));
    if (!proportional)
        return;
    int w0 = w;
    int h0 = h;
    if (const auto* rect = dynamic_cast<const TRVRectItemInfo*>(Item)) {
        w0 -= 2 * rect->Spacing;
        h0 -= 2 * rect->Spacing;
    }
    if (w0 < 1 || h0 < 1)
        return;
    const double kx = static_cast<double>(f.Width()) / w0;
    const double ky = static_cast<double>(f.Height()) / h0;
    // The larger ratio decides; halves round to even.
    if (kx <= ky) {
        const int dw = static_cast<int>(std::nearbyint(w0 * ky)) - f.Width();
        if (ctrl) {
            f.Left -= dw / 2;
            f.Right += dw / 2;
        } else if (left) {
            f.Left -= dw;
        } else {
            f.Right += dw;
        }
    } else {
        const int dh = static_cast<int>(std::nearbyint(h0 * kx)) - f.Height();
        if (ctrl) {
            f.Top -= dh / 2;
            f.Bottom += dh / 2;
        } else if (top) {
            f.Top -= dh;
        } else {
            f.Bottom += dh;
        }
    }
}

void TRVItemResizer::XorDrawing(TCanvas* canvas, int hOffs, int vOffs) const
{
    TPen* pen = canvas->Pen();
    pen->SetMode(pmNot);
    pen->SetWidth(1);
    pen->SetStyle(psDot);
    canvas->Brush()->SetStyle(bsClear);
    const int dx = DrawItem->Left - hOffs;
    const int dy = DrawItem->Top - vOffs;
    canvas->Rectangle(FFrame.Left + dx, FFrame.Top + dy, FFrame.Right + dx, FFrame.Bottom + dy);
    pen->SetMode(pmCopy);
    pen->SetStyle(psSolid);
}

void TRVItemResizer::MouseUp()
{
    if (!FCancelled) {
        Width = FFrame.Width();
        Height = FFrame.Height();
    }
    FDragging = false;
    FCancelled = false;
}

void TRVItemResizer::CancelDrag()
{
    FDragging = false;
    FCancelled = true;
}
