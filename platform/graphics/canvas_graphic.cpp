// TCanvas: drawing pictures through their own Draw.
#include "platform/graphics/canvas.h"

#include "platform/graphics/graphic.h"

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    {
        TDrawScope scope(*this);
        DoDrawGraphic(Bounds(x, y, graphic->Width(), graphic->Height()), graphic);
    }
    Drawn(true);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    {
        TDrawScope scope(*this);
        DoDrawGraphic(rect, graphic);
    }
    Drawn(true);
}

void TCanvas::DoDrawGraphic(const TRect& rect, TGraphic* graphic)
{
    graphic->Draw(this, rect);
}
