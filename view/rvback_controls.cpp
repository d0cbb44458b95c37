// Control images: buttons, edit boxes, memos and panels drawn by their kind
// into a new bitmap, other windowed controls through their own painting.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/controls/extctrls_panel.h"
#include "platform/controls/stdctrls.h"
#include "platform/core/colors.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/drawedge.h"
#include "view/rvback.h"

namespace {

void DrawTextIn(TCanvas* canvas, const AnsiString& text, TRect rect, unsigned format)
{
    canvas->DrawTextA(text.data(), static_cast<int>(text.size()), rect, format);
}

// The face of an edit box or a memo: filled with its colour, inside a plain
// border (drawn with the canvas's pen) or a sunken 3-D one; returns what lies
// inside, one pixel further in on each side.
TRect EditFrame(TCanvas* canvas, TRect r, TColor color, bool border, bool ctl3D)
{
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(r);
    if (border && !ctl3D) {
        canvas->Rectangle(r);
        r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    } else if (border) {
        DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    return TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
}

void DrawButtonAt(TCanvas* canvas, TButton* button, int x, int y)
{
    const TRect r{x, y, x + button->Width(), y + button->Height()};
    DrawFrameControl(canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH);
    canvas->SetFont(button->Font());
    canvas->Brush()->SetStyle(bsClear);
    DrawTextIn(canvas, button->Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawEditAt(TCanvas* canvas, TEdit* edit, int x, int y)
{
    const TRect r = EditFrame(canvas, TRect{x, y, x + edit->Width(), y + edit->Height()}, edit->Color(),
                              edit->BorderStyle() == bsSingle, edit->Ctl3D());
    canvas->SetFont(edit->Font());
    DrawTextIn(canvas, edit->Text(), r, DT_SINGLELINE | DT_EDITCONTROL | DT_NOPREFIX);
}

void DrawMemoAt(TCanvas* canvas, TMemo* memo, int x, int y)
{
    const TRect r = EditFrame(canvas, TRect{x, y, x + memo->Width(), y + memo->Height()}, memo->Color(),
                              memo->BorderStyle() == bsSingle, memo->Ctl3D());
    canvas->SetFont(memo->Font());
    const unsigned align = memo->Alignment() == taRightJustify ? DT_RIGHT
                           : memo->Alignment() == taCenter     ? DT_CENTER
                                                               : DT_LEFT;
    DrawTextIn(canvas, memo->Lines()->Text(), r, DT_EDITCONTROL | DT_NOPREFIX | align);
}

void DrawPanelAt(TCanvas* canvas, TPanel* panel, int x, int y)
{
    panel->PaintTo(canvas, x, y);
    // A child is drawn within the panel, as its window is shown; a hidden
    // one is not drawn, as it is not shown.
    for (int i = 0; i < panel->ControlCount(); ++i) {
        TControl* child = panel->Controls(i);
        if (!child->Visible())
            continue;
        const int saved = canvas->SaveDC();
        canvas->IntersectClipRect(x, y, x + panel->Width(), y + panel->Height());
        DrawControlAt(canvas, child, x + child->Left(), y + child->Top());
        canvas->RestoreDC(saved);
    }
}

} // namespace

void DrawControlAt(TCanvas* canvas, TControl* control, int x, int y)
{
    if (auto* button = dynamic_cast<TButton*>(control))
        DrawButtonAt(canvas, button, x, y);
    else if (auto* edit = dynamic_cast<TEdit*>(control))
        DrawEditAt(canvas, edit, x, y);
    else if (auto* memo = dynamic_cast<TMemo*>(control))
        DrawMemoAt(canvas, memo, x, y);
    else if (auto* panel = dynamic_cast<TPanel*>(control))
        DrawPanelAt(canvas, panel, x, y);
    else if (auto* window = dynamic_cast<TWinControl*>(control))
        window->PaintTo(canvas, x, y);
}

namespace {

std::unique_ptr<TBitmap> ControlImage(TControl* control)
{
    if (!control)
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(control->Width(), control->Height());
    DrawControlAt(bitmap->Canvas(), control, 0, 0);
    return bitmap;
}

} // namespace

std::unique_ptr<TBitmap> DrawButton(TButton* button)
{
    return ControlImage(button);
}

std::unique_ptr<TBitmap> DrawEdit(TEdit* edit)
{
    return ControlImage(edit);
}

std::unique_ptr<TBitmap> DrawMemo(TMemo* memo)
{
    return ControlImage(memo);
}

std::unique_ptr<TBitmap> DrawPanel(TPanel* panel)
{
    return ControlImage(panel);
}

std::unique_ptr<TBitmap> DrawControl(TControl* control)
{
    return ControlImage(control);
}
