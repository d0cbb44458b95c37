// TPanel: a window that holds other controls, painted as a face in its colour
// inside a raised one-pixel bevel, with its caption centred vertically and
// aligned as Alignment says.
#pragma once

#include "platform/controls/controls.h"
#include "platform/controls/stdctrls.h"

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* aOwner);
    const char* ClassName() const override { return "TPanel"; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    void Dispatch(TMessage& message) override;
    // The panel as it paints itself, then each visible child's picture at its
    // place over it, cut at the panel's edges.
    void PaintImage(TCanvas* canvas, int x, int y) override;

protected:
    void Paint() override;

private:
    TAlignment FAlignment = taCenter;
};
