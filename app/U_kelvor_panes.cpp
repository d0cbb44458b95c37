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
    const int h = ClientHeight();
    const int paneHeight = (h - kSplitterHeight * n) / n;
    // The last pane takes what the division leaves, so that panes and splitters
    // fill the client area exactly.
    DisableAlign();
    for (int i = 0; i < n; ++i)
        if (TRollView* view = Tail->GetFile(i)->View)
            view->SetHeight(i < n - 1 ? paneHeight : paneHeight + h % n);
    EnableAlign();
}

void TForm1::FormResize(TObject* sender)
{
    if (AdjustSizeAutomaticly)
        AdjustSizePMIClick(sender);
}

void TForm1::MaximizeFilePMIClick(TObject*)
{
    TTailFile* file = FileUnderPopup();
    if (!file || !file->View)
        return;
    const int n = Tail->GetCount();
    // What is left of the client area when every other pane is 18 high and
    // every pane has its splitter.
    const int h = ClientHeight() - (kMinimisedPaneHeight + kSplitterHeight) * n + kMinimisedPaneHeight;
    if (h <= kMinimisedPaneHeight)
        return;
    DisableAlign();
    for (int i = 0; i < n; ++i)
        if (TRollView* view = Tail->GetFile(i)->View)
            view->SetHeight(kMinimisedPaneHeight);
    file->View->SetHeight(h);
    EnableAlign();
}

// ---------------------------------------------------------------------------
// Clicks on a pane

void TForm1::TailViewClick(TObject* sender)
{
    if (TTailFile* file = Tail ? Tail->FindByViewer(sender) : nullptr)
        SetCaption(kCaptionPrefix + ShownFileName(file->FileName));
}

void TForm1::TailViewDblClick(TObject* sender)
{
    TTailFile* file = Tail ? Tail->FindByViewer(sender) : nullptr;
    if (!file)
        return;
    if (GetKeyState(VK_CONTROL) < 0) {
        OptionsPM->SetPopupComponent(file->View);
        MaximizeFilePMIClick(sender);
    } else if (GetKeyState(VK_SHIFT) < 0) {
        AdjustSizePMIClick(sender);
    } else {
        file->Active = !file->Active;
        SetCaption(kCaptionPrefix + ShownFileName(file->FileName));
        file->View->SetColor(file->Active ? MonitorBackgroundColor : InactivePaneColor);
        DrawFileNameImage(file);
    }
}

// ---------------------------------------------------------------------------
// Colour and the file-name picture

void TForm1::SetMonitorBackgroundColor(TColor value)
{
    MonitorBackgroundColor = value;
    if (!Tail)
        return;
    // Every pane, those of switched-off files too.
    for (int i = 0; i < Tail->GetCount(); ++i) {
        TTailFile* file = Tail->GetFile(i);
        if (!file->View)
            continue;
        file->View->SetColor(value);
        if (TBitmap* picture = file->View->GetBackBitmap())
            picture->Canvas()->Brush()->SetColor(value);
        DrawFileNameImage(file);
    }
}

void TForm1::DrawFileNameImage(TTailFile* file)
{
    TRollView* view = file ? file->View : nullptr;
    if (!view)
        return;
    if (!ShowFileNameImage) {
        view->SetBackgroundStyle(bsNoBitmap);
        return;
    }
    view->SetBackgroundStyle(bsCentered);
    TBitmap* picture = view->GetBackBitmap();
    if (!picture)
        return;
    TFont* font = picture->Canvas()->Font();
    font->SetColor(kFileNameColor);
    TFontStyles style = font->Style();
    font->SetStyle(style.Include(fsBold));
    font->SetSize(kFileNameFontSize);
    const AnsiString name = ShownFileName(ExtractFileName(file->FileName));
    const int width = picture->Canvas()->TextWidth(name);
    const int height = picture->Canvas()->TextHeight("W");
    picture->SetSize(width, height);
    // A new size gives a new canvas (the font and brush carry over).
    TCanvas* canvas = picture->Canvas();
    canvas->Brush()->SetColor(view->Color());
    canvas->FillRect(Rect(0, 0, width, height));
    canvas->TextOut(0, 0, name);
    view->DoOnBackBitmapChange(picture);
    view->Invalidate();
}
