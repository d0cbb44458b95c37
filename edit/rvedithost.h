// TRVEditHost: what the editor's document data needs of the control that shows
// it. The data and its undo lists know no window; the editor control
// implements this over the platform layer, tests with a fake of fixed metrics.
#pragma once

#include <functional>

#include "platform/graphics/canvas.h"

using TCursor = int16_t;

// Coordinates are client pixels of the control unless said otherwise.
class TRVEditHost {
public:
    virtual ~TRVEditHost() = default;
    // An audible refusal (the data calls it only when the style sheet's UseSound is on).
    virtual void Beep() = 0;
    // The caret rectangle the control paints (and blinks); Visible false hides it.
    virtual void SetCaret(const TRect& rect, bool visible) = 0;
    // Whether the control has the keyboard focus (the caret shows only then).
    virtual bool Focused() = 0;
    // Whether the control refuses edits.
    virtual bool ReadOnly() = 0;
    // Runs Call later, from the control's event loop (where the system would post a message).
    virtual void Defer(std::function<void()> call) = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    virtual void Invalidate() = 0;
    // Scroll offsets and the visible area.
    virtual int GetHOffs() = 0;
    virtual int GetVOffs() = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    virtual void ScrollTo(int y) = 0;
    virtual void HScrollTo(int x) = 0;
    // The laid-out size, for the scroll ranges.
    virtual void SetDocumentAreaSize(int width, int height) = 0;
    // The canvas text is measured on.
    virtual TCanvas* GetCanvas() = 0;
    // The caret moved (the control's caret-move notification).
    virtual void CaretMoved() {}
};
