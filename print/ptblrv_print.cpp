// Print jobs and previews of the print component: pages with copies and
// collation on the current printer (the job aborted and the printer's copy
// count restored when drawing raises), continuous output inside a running
// job, and pages drawn scaled into a preview canvas.
#include <algorithm>

#include "platform/controls/printers.h"
#include "platform/core/numbers.h"
#include "platform/graphics/bitmap.h"
#include "print/ptblrv.h"

// ---- TPrintableRV

bool TPrintableRV::Print(const AnsiString& title, int copies, bool collate)
{
    return PrintPages(1, PrintData()->PagesCount(), title, copies, collate);
}

bool TPrintableRV::PrintPages(int firstPageNo, int LastPageNo, const AnsiString& title, int Copies,
                              bool collate)
{
    // Only the document's own pages: a page outside it would be a blank sheet.
    firstPageNo = std::max(firstPageNo, 1);
    LastPageNo = std::min(LastPageNo, PrintData()->PagesCount());
    if (firstPageNo > LastPageNo)
        return false;
    if (RVPrint)
        RVPrint->StartAt = 0;
    DoOnPrinting(0, rvpsStarting);
    TPrinter* device = Printer();
    device->SetTitle(title);
    const int oldCopies = device->Copies();
    if (Copies < 1)
        Copies = 1;
    if (device->Capabilities().Contains(pcCopies)) {
        device->SetCopies(Copies);
        Copies = 1;
    } else {
        device->SetCopies(1);
    }
    try {
        device->BeginDoc();
    } catch (...) {
        device->SetCopies(oldCopies);
        throw;
    }
    try {
        auto step = [&](int p, int c) {
            DrawPage(p, device->Canvas(), false, false);
            DoOnPrinting(p, rvpsProceeding);
            if (!(p == LastPageNo && c == Copies))
                device->NewPage();
        };
        if (collate) {
            for (int c = 1; c <= Copies; ++c)
                for (int p = firstPageNo; p <= LastPageNo; ++p)
                    step(p, c);
        } else {
            for (int p = firstPageNo; p <= LastPageNo; ++p)
                for (int c = 1; c <= Copies; ++c)
                    step(p, c);
        }
        device->EndDoc();
    } catch (...) {
        if (device->Printing()) {
            try {
                device->Abort();
            } catch (...) {
            }
        }
        device->SetCopies(oldCopies);
        throw;
    }
    device->SetCopies(oldCopies);
    DoOnPrinting(0, rvpsFinished);
    return true;
}

void TPrintableRV::ContinuousPrint()
{
    TPrinter* device = Printer();
    const int count = PrintData()->PagesCount();
    for (int p = 1; p <= count; ++p) {
        if (p > 1)
            device->NewPage();
        DrawPage(p, device->Canvas(), false, false);
    }
}

// ---- Previews

int TCustomRVPrint::GetPreview100PercentWidth() const
{
    const TCustomMainPtblRVData* data = rv->PrintData();
    return MulDiv(data->ClientWidth() + data->LeftMarginPix + data->RightMarginPix, data->PrnSaD.ScreenPpiX,
                  data->PrnSaD.DevicePpiX);
}

int TCustomRVPrint::GetPreview100PercentHeight() const
{
    const TCustomMainPtblRVData* data = rv->PrintData();
    return MulDiv(data->ClientHeight() + data->TopMarginPix + data->BottomMarginPix, data->PrnSaD.ScreenPpiY,
                  data->PrnSaD.DevicePpiY);
}

bool TCustomRVPrint::DrawPreview(int pageNo, TCanvas* canvas, const TRect& pageRect)
{
    if (!Ready() || pageNo < 1 || pageNo > GetPagesCount())
        return false;
    TCustomMainPtblRVData* data = rv->PrintData();
    // The caller's mapping, clip, font resolution, brush and pen come back on every way out.
    struct TKeep {
        TCanvas* Canvas;
        int Level;
        int Ppi;
        TBrush Brush;
        TPen Pen;
        explicit TKeep(TCanvas* c) : Canvas(c), Level(c->SaveDC()), Ppi(c->Font()->PixelsPerInch())
        {
            Brush.Assign(c->Brush());
            Pen.Assign(c->Pen());
        }
        ~TKeep()
        {
            Canvas->RestoreDC(Level);
            Canvas->Font()->SetPixelsPerInch(Ppi);
            Canvas->SetBrush(&Brush);
            Canvas->SetPen(&Pen);
        }
    } keep(canvas);
    canvas->SetMapMode(MM_TEXT);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWhite);
    canvas->Pen()->SetColor(clWhite);
    canvas->FillRect(pageRect);
    canvas->SetMapMode(MM_ANISOTROPIC);
    canvas->SetWindowExtEx(data->ClientWidth() + data->LeftMarginPix + data->RightMarginPix,
                           data->ClientHeight() + data->TopMarginPix + data->BottomMarginPix);
    canvas->SetViewportExtEx(pageRect.Right - pageRect.Left, pageRect.Bottom - pageRect.Top);
    canvas->SetViewportOrgEx(pageRect.Left, pageRect.Top);
    canvas->Font()->SetPixelsPerInch(std::min(data->PrnSaD.DevicePpiX, data->PrnSaD.DevicePpiY));
    rv->DrawPage(pageNo, canvas, true, PreviewCorrection);
    return true;
}

void TCustomRVPrint::DrawMarginsRect(TCanvas* canvas, const TRect& pageRect, int pageNo)
{
    TCustomMainPtblRVData* data = rv->PrintData();
    const int w = data->ClientWidth() + data->LeftMarginPix + data->RightMarginPix;
    const int h = data->ClientHeight() + data->TopMarginPix + data->BottomMarginPix;
    const int l = data->GetPrintableAreaLeft(pageNo);
    const int pw = pageRect.Right - pageRect.Left;
    const int ph = pageRect.Bottom - pageRect.Top;
    TRect r =
        Rect(MulDiv(l, pw, w), MulDiv(data->TopMarginPix, ph, h), MulDiv(data->ClientWidth() + l, pw, w),
             MulDiv(data->ClientHeight() + data->TopMarginPix, ph, h));
    OffsetRect(r, pageRect.Left, pageRect.Top);
    canvas->Rectangle(r);
}

bool TRVPrint::MakePreview(int pageNo, TBitmap* bitmap)
{
    if (!Ready() || pageNo < 1 || pageNo > GetPagesCount())
        return false;
    const int w = GetPreview100PercentWidth();
    const int h = GetPreview100PercentHeight();
    if (bitmap->Width() != w || bitmap->Height() != h)
        bitmap->SetSize(w, h);
    return MakeScaledPreview(pageNo, bitmap);
}

bool TRVPrint::MakeScaledPreview(int pageNo, TBitmap* bitmap)
{
    return DrawPreview(pageNo, bitmap->Canvas(), Rect(0, 0, bitmap->Width(), bitmap->Height()));
}
