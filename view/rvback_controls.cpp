// Control images: a new bitmap the size of a control with the control's own
// picture drawn in it.
#include "platform/controls/controls.h"
#include "platform/controls/extctrls_panel.h"
#include "platform/controls/stdctrls.h"
#include "platform/graphics/bitmap.h"
#include "view/rvback.h"

void DrawControlAt(TCanvas* canvas, TControl* control, int x, int y)
{
    if (control)
        control->PaintImage(canvas, x, y);
}

std::unique_ptr<TBitmap> DrawControl(TControl* control)
{
    if (!control)
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(control->Width(), control->Height());
    control->PaintImage(bitmap->Canvas(), 0, 0);
    return bitmap;
}

std::unique_ptr<TBitmap> DrawButton(TButton* button)
{
    return DrawControl(button);
}

std::unique_ptr<TBitmap> DrawEdit(TEdit* edit)
{
    return DrawControl(edit);
}

std::unique_ptr<TBitmap> DrawMemo(TMemo* memo)
{
    return DrawControl(memo);
}

std::unique_ptr<TBitmap> DrawPanel(TPanel* panel)
{
    return DrawControl(panel);
}
