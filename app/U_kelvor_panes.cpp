// The main window's panes: equal and maximised heights, clicks and double clicks
// on a pane, the background colour and the file-name picture behind a pane.
#include "app/U_kelvor.h"
#include "platform/controls/menus.h"
#include "platform/controls/winapi.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/gdiobjects.h"
#include "view/rollview.h"

namespace {

const char* const kCaptionPrefix = "Kelvor: ";
constexpr TColor kInactivePaneColor = 0xC0C0C0; // silver: the file is switched off
constexpr int kSplitterHeight = 2;
constexpr int kMinimisedPaneHeight = 18; // the other panes' height when one is maximised
constexpr TColor kFileNameColor = 0x66DB72;
constexpr int kFileNameFontSize = 18;

} // namespace

// ---------------------------------------------------------------------------
// Heights

void TForm1::AdjustSizePMIClick(TObject*)
{
    const int n = Tail ? Tail->GetCount() : 0;
    if (n == 0)
        return;
    const int H = ClientHeight();
    const int h = (H - kSplitterHeight * n) / n;
    // The last pane takes what the division leaves, so that panes and splitters
    // fill the client area exactly.
    DisableAlign();
    for (int i = 0; i < n; ++i)
        if (TRollView* View = Tail->GetFile(i)->View)
            View->SetHeight(i < n - 1 ? h : h + H % n);
    EnableAlign();
}

void TForm1::FormResize(TObject* Sender)
{
    if (AdjustSizeAutomaticly)
        AdjustSizePMIClick(Sender);
}

void TForm1::MaximizeFilePMIClick(TObject*)
{
    TTailFile* File = FileUnderPopup();
    if (!File || !File->View)
        return;
    const int n = Tail->GetCount();
    // What is left of the client area when every other pane is 18 high and
    // every pane has its splitter.
    const int h = ClientHeight() - (kMinimisedPaneHeight + kSplitterHeight) * n + kMinimisedPaneHeight;
    if (h <= kMinimisedPaneHeight)
        return;
    DisableAlign();
    for (int i = 0; i < n; ++i)
        if (TRollView* View = Tail->GetFile(i)->View)
            View->SetHeight(kMinimisedPaneHeight);
    File->View->SetHeight(h);
    EnableAlign();
}

// ---------------------------------------------------------------------------
// Clicks on a pane

void TForm1::TailViewClick(TObject* Sender)
{
    if (TTailFile* File = Tail ? Tail->FindByViewer(Sender) : nullptr)
        SetCaption(kCaptionPrefix + File->FileName);
}

void TForm1::TailViewDblClick(TObject* Sender)
{
    TTailFile* File = Tail ? Tail->FindByViewer(Sender) : nullptr;
    if (!File)
        return;
    if (GetKeyState(VK_CONTROL) < 0) {
        OptionsPM->SetPopupComponent(File->View);
        MaximizeFilePMIClick(Sender);
    } else if (GetKeyState(VK_SHIFT) < 0) {
        AdjustSizePMIClick(Sender);
    } else {
        File->Active = !File->Active;
        SetCaption(kCaptionPrefix + File->FileName);
        File->View->SetColor(File->Active ? MonitorBackgroundColor : kInactivePaneColor);
        DrawFileNameImage(File);
    }
}

// ---------------------------------------------------------------------------
// Colour and the file-name picture

void TForm1::SetMonitorBackgroundColor(TColor Value)
{
    MonitorBackgroundColor = Value;
    if (!Tail)
        return;
    // Every pane, those of switched-off files too.
    for (int i = 0; i < Tail->GetCount(); ++i) {
        TTailFile* File = Tail->GetFile(i);
        if (!File->View)
            continue;
        File->View->SetColor(Value);
        if (TBitmap* Picture = File->View->GetBackBitmap())
            Picture->Canvas()->Brush()->SetColor(Value);
        DrawFileNameImage(File);
    }
}

void TForm1::DrawFileNameImage(TTailFile* File)
{
    TRollView* View = File ? File->View : nullptr;
    if (!View)
        return;
    if (!ShowFileNameImage) {
        View->SetBackgroundStyle(bsNoBitmap);
        return;
    }
    View->SetBackgroundStyle(bsCentered);
    TBitmap* Picture = View->GetBackBitmap();
    if (!Picture)
        return;
    TFont* Font = Picture->Canvas()->Font();
    Font->SetColor(kFileNameColor);
    TFontStyles Style = Font->Style();
    Font->SetStyle(Style.Include(fsBold));
    Font->SetSize(kFileNameFontSize);
    const AnsiString Name = ExtractFileName(File->FileName);
    const int Width = Picture->Canvas()->TextWidth(Name);
    const int Height = Picture->Canvas()->TextHeight("W");
    Picture->SetSize(Width, Height);
    // A new size gives a new canvas (the font and brush carry over).
    TCanvas* Canvas = Picture->Canvas();
    Canvas->Brush()->SetColor(View->Color());
    Canvas->FillRect(Rect(0, 0, Width, Height));
    Canvas->TextOut(0, 0, Name);
    View->DoOnBackBitmapChange(Picture);
    View->Invalidate();
}
