// TSplitter: a thin bar between aligned controls that the user drags to resize
// the control before it.
#pragma once

#include <functional>

#include "platform/controls/controls.h"
#include "platform/core/callhold.h"

// Sizes asked for while dragging: NewSize may be changed; Accept false keeps the
// control as it is for this move.
using TCanResizeEvent = TEvent<void(TObject* sender, int& newSize, bool& accept)>;

// A splitter aligned to a side of its parent (alTop, alBottom, alLeft, alRight)
// resizes the visible, enabled control that touches it on the side it is
// aligned from: for alTop the control just above it, for alBottom the one just
// below, and so on. Dragging with the left button resizes that control as the
// mouse moves; its size stays at least MinSize and at most what leaves MinSize
// of the parent's client area besides the controls aligned on that axis. The
// control's own size constraints still apply. OnMoved fires after every change
// of the control's size by a drag. A splitter with another alignment does
// nothing. A new splitter is aligned left, 3 pixels wide, with MinSize 30; its
// cursor follows its alignment (crVSplit across, crHSplit along).
class TSplitter : public TCustomControl {
public:
    explicit TSplitter(TComponent* aOwner);
    const char* ClassName() const override { return "TSplitter"; }

    int MinSize() const { return FMinSize; }
    void SetMinSize(int value) { FMinSize = value > 0 ? value : 1; }

    // The control a drag would resize now, or null.
    TControl* FindResizeControl() const;

    TCanResizeEvent OnCanResize;
    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* aComponent, TOperation operation) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // OnCanResize; true when the new size is accepted.
    virtual bool DoCanResize(int& newSize);

private:
    bool Vertical() const { return Align() == alLeft || Align() == alRight; }
    void UpdateCursor();
    // The size the control takes for the mouse at (X, Y) of the splitter.
    int CalcSplitSize(int x, int y) const;
    void UpdateControlSize(int newSize);
    void StopSizing();

    int FMinSize = 30;
    TControl* FControl = nullptr; // the control being resized during a drag
    TPoint FDownPos;
    int FMaxSize = 0;
};
