// The item resizer: eight square handles around a selected picture or control
// and the frame of the new size while one of them is dragged.
#pragma once

#include "platform/controls/controls.h"
#include "platform/core/types.h"

class TCanvas;
class TCustomRVItemInfo;
class TRVDrawLineInfo;

enum TRVResizeHandleIndex {
    rvrhLeftTop,
    rvrhRightTop,
    rvrhRightBottom,
    rvrhLeftBottom,
    rvrhTop,
    rvrhRight,
    rvrhBottom,
    rvrhLeft,
};
// Handles 3 pixels inside the item's rectangle, or 3 pixels outside it.
enum TRVResizeHandlesPosition { rvhpInside, rvhpOutside };

// Whether a corner handle keeps the proportions without Shift held (Shift
// keeps them with any handle).
extern bool RollViewEditDefaultProportionalResize;

// The geometry of one item being resized and of the drag. It refers to the
// item and its draw item without owning them. Coordinates: HOffs and VOffs are
// what is subtracted from a document point to paint it (the scroll offsets, or
// the shifts of a painting); a mouse point X, Y is in client coordinates and
// HOffs, VOffs the scroll offsets; the frame is relative to the draw item's
// top-left corner.
class TRVItemResizer {
public:
    TRVItemResizer(TRVDrawLineInfo* drawItem, TCustomRVItemInfo* item, int drawItemNo);
    void UpdateItem(TRVDrawLineInfo* drawItem, TCustomRVItemInfo* item, int drawItemNo);

    // The item's size: its draw item's when attached, the frame's after a drag.
    int Width = 0;
    int Height = 0;
    TRVDrawLineInfo* DrawItem = nullptr;
    int DrawItemNo = -1;
    int ItemNo = -1;
    TCustomRVItemInfo* Item = nullptr;
    TRVResizeHandlesPosition Position = rvhpInside;

    // The centre of a handle relative to the draw item's top-left; Shifted
    // moves it in or out by 3 pixels.
    void GetResizeHandleCoords(TRVResizeHandleIndex index, bool shifted, int& x, int& y) const;
    void GetResizeHandleShift(TRVResizeHandleIndex index, int& dx, int& dy) const;
    static TCursor GetResizeHandleCursor(TRVResizeHandleIndex index);
    static bool IsCornerResizeHandle(TRVResizeHandleIndex index) { return index <= rvrhLeftBottom; }

    void Draw(TCanvas* canvas, int hOffs, int vOffs) const;
    // The first handle (in index order) whose centre is within 3 pixels both ways.
    bool GetResizeHandleAt(int x, int y, int hOffs, int vOffs, TRVResizeHandleIndex& index) const;
    // Starts a drag when a handle is hit.
    bool MouseDown(int x, int y, int hOffs, int vOffs);
    // Moves the dragged handle; Ctrl resizes about the centre, Shift (or a
    // corner by default) keeps the proportions.
    void DragTo(TShiftState shift, int x, int y, int hOffs, int vOffs);
    // The dotted frame, drawn inverting: drawing it twice takes it away.
    void XorDrawing(TCanvas* canvas, int hOffs, int vOffs) const;
    // Ends the drag: unless it was cancelled, the size becomes the frame's.
    void MouseUp();
    // Esc during a drag: the drag ends and the next mouse-up is swallowed.
    void CancelDrag();

    bool Dragging() const { return FDragging; }
    bool Cancelled() const { return FCancelled; }
    const TRect& Frame() const { return FFrame; }

private:
    bool FDragging = false;
    bool FCancelled = false;
    int FDeltaX = 0;
    int FDeltaY = 0;
    TRect FFrame;
    TRVResizeHandleIndex FHandle = rvrhLeftTop;
};
