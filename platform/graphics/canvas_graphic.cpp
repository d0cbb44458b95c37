// TCanvas: drawing pictures through their own Draw.
#include "platform/graphics/canvas.h"

#include "platform/graphics/graphic.h"

void TCanvas::Draw(int X, int Y, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    {
        TDrawScope scope(*this);
        DoDrawGraphic(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
    }
    Drawn(true);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    {
        TDrawScope scope(*this);
        DoDrawGraphic(Rect, Graphic);
    }
    Drawn(true);
}

void TCanvas::DoDrawGraphic(const TRect& Rect, TGraphic* Graphic)
{
    Graphic->Draw(this, Rect);
}
