// TTestEditHost answers the editor data's host with fixed geometry and the
// recording canvas's metrics and logs what it is told.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "edit/rvedithost.h"
#include "platform/graphics/recordingcanvas.h"

class TTestEditHost : public TRVEditHost {
public:
    int Beeps = 0;
    TRect Caret;
    bool CaretVisible = false;
    bool HasFocus = true;
    bool IsReadOnly = false;
    int HOffs = 0;
    int VOffs = 0;
    int Width = 300;
    int Height = 200;
    int Invalidations = 0;
    int CaretMoves = 0;
    std::vector<std::function<void()>> Deferred;
    TRecordingCanvas Canvas{1000, 1000, 96};

    void Beep() override { ++Beeps; }
    void SetCaret(const TRect& Rect, bool Visible) override
    {
        Caret = Rect;
        CaretVisible = Visible;
    }
    bool Focused() override { return HasFocus; }
    bool ReadOnly() override { return IsReadOnly; }
    void Defer(std::function<void()> Call) override { Deferred.push_back(std::move(Call)); }
    void SetCursor(TCursor) override {}
    void Invalidate() override { ++Invalidations; }
    int GetHOffs() override { return HOffs; }
    int GetVOffs() override { return VOffs; }
    int GetWidth() override { return Width; }
    int GetHeight() override { return Height; }
    void ScrollTo(int Y) override { VOffs = std::max(Y, 0); }
    void HScrollTo(int X) override { HOffs = std::max(X, 0); }
    void SetDocumentAreaSize(int, int) override {}
    TCanvas* GetCanvas() override { return &Canvas; }
    void CaretMoved() override { ++CaretMoves; }
};
