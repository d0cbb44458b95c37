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

void TPrintableRV::Print(const AnsiString& Title, int Copies, bool Collate)
{
    PrintPages(1, PrintData()->PagesCount(), Title, Copies, Collate);
}

void TPrintableRV::PrintPages(int FirstPageNo, int LastPageNo, const AnsiString& Title, int Copies,
                              bool Collate)
{
    if (RVPrint)
        RVPrint->StartAt = 0;
    DoOnPrinting(0, rvpsStarting);
    TPrinter* Device = Printer();
    Device->SetTitle(Title);
    const int OldCopies = Device->Copies();
    if (Copies < 1)
        Copies = 1;
    if (Device->Capabilities().Contains(pcCopies)) {
        Device->SetCopies(Copies);
        Copies = 1;
    } else {
        Device->SetCopies(1);
    }
    try {
        Device->BeginDoc();
    } catch (...) {
        Device->SetCopies(OldCopies);
        throw;
    }
    try {
        auto Step = [&](int p, int c) {
            DrawPage(p, Device->Canvas(), false, false);
            DoOnPrinting(p, rvpsProceeding);
            if (!(p == LastPageNo && c == Copies))
                Device->NewPage();
        };
        if (Collate) {
            for (int c = 1; c <= Copies; ++c)
                for (int p = FirstPageNo; p <= LastPageNo; ++p)
                    Step(p, c);
        } else {
            for (int p = FirstPageNo; p <= LastPageNo; ++p)
                for (int c = 1; c <= Copies; ++c)
                    Step(p, c);
        }
        Device->EndDoc();
    } catch (...) {
        if (Device->Printing()) {
            try {
                Device->Abort();
            } catch (...) {
            }
        }
        Device->SetCopies(OldCopies);
        throw;
    }
    Device->SetCopies(OldCopies);
    DoOnPrinting(0, rvpsFinished);
}

void TPrintableRV::ContinuousPrint()
{
    TPrinter* Device = Printer();
    const int Count = PrintData()->PagesCount();
    for (int p = 1; p <= Count; ++p) {
        if (p > 1)
            Device->NewPage();
        DrawPage(p, Device->Canvas(), false, false);
    }
}

// ---- Previews

int TCustomRVPrint::GetPreview100PercentWidth() const
{
    const TCustomMainPtblRVData* Data = rv->PrintData();
    return MulDiv(Data->ClientWidth() + Data->LeftMarginPix + Data->RightMarginPix, Data->PrnSaD.ScreenPpiX,
                  Data->PrnSaD.DevicePpiX);
}

int TCustomRVPrint::GetPreview100PercentHeight() const
{
    const TCustomMainPtblRVData* Data = rv->PrintData();
    return MulDiv(Data->ClientHeight() + Data->TopMarginPix + Data->BottomMarginPix, Data->PrnSaD.ScreenPpiY,
                  Data->PrnSaD.DevicePpiY);
}

bool TCustomRVPrint::DrawPreview(int PageNo, TCanvas* Canvas, const TRect& PageRect)
{
    if (!Ready())
        return false;
    TCustomMainPtblRVData* Data = rv->PrintData();
    // The caller's mapping, clip, font resolution, brush and pen come back on every way out.
    struct TKeep {
        TCanvas* Canvas;
        int Level;
        int Ppi;
        TBrush Brush;
        TPen Pen;
        explicit TKeep(TCanvas* C) : Canvas(C), Level(C->SaveDC()), Ppi(C->Font()->PixelsPerInch())
        {
            Brush.Assign(C->Brush());
            Pen.Assign(C->Pen());
        }
        ~TKeep()
        {
            Canvas->RestoreDC(Level);
            Canvas->Font()->SetPixelsPerInch(Ppi);
            Canvas->SetBrush(&Brush);
            Canvas->SetPen(&Pen);
        }
    } Keep(Canvas);
    Canvas->SetMapMode(MM_TEXT);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clWhite);
    Canvas->Pen()->SetColor(clWhite);
    Canvas->FillRect(PageRect);
    Canvas->SetMapMode(MM_ANISOTROPIC);
    Canvas->SetWindowExtEx(Data->ClientWidth() + Data->LeftMarginPix + Data->RightMarginPix,
                           Data->ClientHeight() + Data->TopMarginPix + Data->BottomMarginPix);
    Canvas->SetViewportExtEx(PageRect.Right - PageRect.Left, PageRect.Bottom - PageRect.Top);
    Canvas->SetViewportOrgEx(PageRect.Left, PageRect.Top);
    Canvas->Font()->SetPixelsPerInch(std::min(Data->PrnSaD.DevicePpiX, Data->PrnSaD.DevicePpiY));
    rv->DrawPage(PageNo, Canvas, true, PreviewCorrection);
    return true;
}

void TCustomRVPrint::DrawMarginsRect(TCanvas* Canvas, const TRect& PageRect, int PageNo)
{
    TCustomMainPtblRVData* Data = rv->PrintData();
    const int W = Data->ClientWidth() + Data->LeftMarginPix + Data->RightMarginPix;
    const int H = Data->ClientHeight() + Data->TopMarginPix + Data->BottomMarginPix;
    const int L = Data->GetPrintableAreaLeft(PageNo);
    const int pw = PageRect.Right - PageRect.Left;
    const int ph = PageRect.Bottom - PageRect.Top;
    TRect R =
        Rect(MulDiv(L, pw, W), MulDiv(Data->TopMarginPix, ph, H), MulDiv(Data->ClientWidth() + L, pw, W),
             MulDiv(Data->ClientHeight() + Data->TopMarginPix, ph, H));
    OffsetRect(R, PageRect.Left, PageRect.Top);
    Canvas->Rectangle(R);
}

bool TRVPrint::MakePreview(int PageNo, TBitmap* Bitmap)
{
    const int W = GetPreview100PercentWidth();
    const int H = GetPreview100PercentHeight();
    if (Bitmap->Width() != W || Bitmap->Height() != H)
        Bitmap->SetSize(W, H);
    return MakeScaledPreview(PageNo, Bitmap);
}

bool TRVPrint::MakeScaledPreview(int PageNo, TBitmap* Bitmap)
{
    return DrawPreview(PageNo, Bitmap->Canvas(), Rect(0, 0, Bitmap->Width(), Bitmap->Height()));
}
