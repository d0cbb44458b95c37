// TRVScroller: construction, the window's parameters, creation and destruction,
// the messages of focus, palette, theme and 3-D look, the logical palette, the
// visual-style border and the chosen sub-document with its in-place editor.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "view/rvscroll.h"

TRVScroller::TRVScroller(TComponent* aOwner) : TCustomControl(aOwner)
{
    SetTabStop(true);
}

TRVScroller::~TRVScroller()
{
    Destroying();
    FreeThemeHandle();
    if (FPalette != 0)
        DeletePalette(FPalette);
    FPalette = 0;
    FLogPalette.reset();
}

// ---------------------------------------------------------------------------
// The window

void TRVScroller::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (FBorderStyle == bsSingle) {
        params.Style |= WS_BORDER;
        // New-style controls are always on here: a 3-D single border is a sunken edge.
        if (Ctl3D()) {
            params.Style &= ~static_cast<DWORD>(WS_BORDER);
            params.ExStyle |= WS_EX_CLIENTEDGE;
        }
    }
    if (FBiDiMode == rvbdRightToLeft)
        params.ExStyle |= WS_EX_LEFTSCROLLBAR;
    params.Style |= WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;
    FDisableNoScroll = false;
}

void TRVScroller::CreateWnd()
{
    TCustomControl::CreateWnd();
    FVSmallStep = std::max(GetDefSmallStep(), 1);
    AfterCreateWnd1();
    CreateThemeHandle();
    AfterCreateWnd2();
}

void TRVScroller::DestroyWnd()
{
    TCustomControl::DestroyWnd();
    FreeThemeHandle();
}

void TRVScroller::AfterCreateWnd1()
{
    FVPos = 0;
    FHPos = 0;
}

void TRVScroller::AfterCreateWnd2()
{
    UpdateScrollBars(ClientWidth(), ClientHeight() / FVSmallStep, true, true);
}

void TRVScroller::SetBorderStyle(TBorderStyle value)
{
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
    RecreateWnd();
}

void TRVScroller::SetBiDiModeRV(TRVBiDiMode value)
{
    if (FBiDiMode == value)
        return;
    FBiDiMode = value;
    RecreateWnd();
}

void TRVScroller::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_HSCROLL:
        WMHScroll(message);
        return;
    case WM_VSCROLL:
        WMVScroll(message);
        return;
    case WM_GETDLGCODE:
        // The dialog manager leaves the arrow keys to the control.
        message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
        WMSetFocus(message);
        return;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
        TCustomControl::Dispatch(message);
        Invalidate();
        return;
    case WM_THEMECHANGED:
        WMThemeChanged(message);
        return;
    case CM_CTL3DCHANGED:
        CMCtl3DChanged(message);
        return;
    default:
        // WM_NCPAINT included: no theme is ever open on this platform, so the
        // platform paints the plain border.
        TCustomControl::Dispatch(message);
        return;
    }
}

void TRVScroller::CMCtl3DChanged(TMessage& message)
{
    if (FBorderStyle == bsSingle)
        RecreateWnd();
    TCustomControl::Dispatch(message);
}

void TRVScroller::WMSetFocus(TMessage& message)
{
    TCustomControl::Dispatch(message);
    // Focus entering a viewer whose table cell is being edited goes on to the cell editor.
    for (TControl* c = this; c; c = c->Parent())
        if (dynamic_cast<TRVScroller*>(c) && (c->ComponentState() & csDestroying))
            return;
    TWinControl* editor = GetInplaceEditor();
    if (editor && editor->CanFocus())
        editor->SetFocus();
}

// ---------------------------------------------------------------------------
// Visual-style border

void TRVScroller::CreateThemeHandle()
{
    FThemeHandle = nullptr;
    if (FUseXPThemes && HandleAllocated() && RV_IsAppThemed && RV_IsAppThemed() && RV_IsThemeActive &&
        RV_IsThemeActive() && RV_OpenThemeData)
        FThemeHandle = RV_OpenThemeData(Handle(), u"Edit");
}

void TRVScroller::FreeThemeHandle()
{
    if (FThemeHandle && RV_CloseThemeData)
        RV_CloseThemeData(FThemeHandle);
    FThemeHandle = nullptr;
}

void TRVScroller::RefreshFrame()
{
    if (!HandleAllocated())
        return;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    // The frame itself is the platform's; the client area is painted again.
    ::InvalidateRect(Handle(), nullptr, true);
}

void TRVScroller::WMThemeChanged(TMessage& message)
{
    DefaultHandler(message);
    FreeThemeHandle();
    CreateThemeHandle();
    RefreshFrame();
    message.Result = 1;
}

void TRVScroller::SetUseXPThemes(bool value)
{
    if (FUseXPThemes == value)
        return;
    FUseXPThemes = value;
    if (!HandleAllocated())
        return;
    FreeThemeHandle();
    CreateThemeHandle();
    RefreshFrame();
}

// ---------------------------------------------------------------------------
// Palette

void TRVScroller::SetDoInPaletteMode(TRVPaletteAction value)
{
    if (FDoInPaletteMode == value)
        return;
    FDoInPaletteMode = value;
    UpdatePaletteInfo();
}

void TRVScroller::UpdatePaletteInfo()
{
    if (!(ComponentState() & csDesigning) && FDoInPaletteMode != rvpaDoNothing && ScreenIsPaletteBased()) {
        if (FPalette == 0) {
            FLogPalette = GenerateLogPalette();
            FPalette = CreatePalette(FLogPalette.get());
        }
        return;
    }
    if (FPalette != 0)
        DeletePalette(FPalette);
    FPalette = 0;
    FLogPalette.reset();
}

std::unique_ptr<TLogPalette> TRVScroller::GenerateLogPalette()
{
    auto palette = std::make_unique<TLogPalette>();
    palette->palVersion = 0x300;
    palette->palPalEntry.resize(216);
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r) {
                TPaletteEntry& e = palette->palPalEntry[static_cast<size_t>(b * 36 + g * 6 + r)];
                e.peRed = static_cast<uint8_t>(r * 51);
                e.peGreen = static_cast<uint8_t>(g * 51);
                e.peBlue = static_cast<uint8_t>(b * 51);
                e.peFlags = 0;
            }
    return palette;
}

// ---------------------------------------------------------------------------
// The chosen sub-document

void TRVScroller::DeselectChosenData(TCustomRVData*)
{
    // The base scroller shows no document and so never has a selection to clear.
}

TWinControl* TRVScroller::GetChosenDataEditor(TCustomRVData*)
{
    // The base scroller shows no document and so has no cell editor.
    return nullptr;
}

void TRVScroller::AssignChosenRVData(TCustomRVData* rvData, TCustomRVItemInfo* item)
{
    if (rvData != FChosenRVData) {
        DestroyInplace();
        UnassignChosenRVData(FChosenRVData);
        FChosenRVData = rvData;
        FChosenItem = item;
    }
    // The editor is a child control: its client Y lives in its Tag, like the
    // controls of the document.
    if (TWinControl* editor = GetInplaceEditor())
        editor->SetTag(editor->Top());
}

void TRVScroller::SilentReplaceChosenRVData(TCustomRVData* rvData)
{
    FChosenRVData = rvData;
    if (!rvData)
        FChosenItem = nullptr;
}

void TRVScroller::UnassignChosenRVData(TPersistent* rvData)
{
    const bool isChosen = rvData == FChosenRVData ||
                          (FChosenRVData && static_cast<TPersistent*>(FChosenRVData->GetRVData()) == rvData);
    if (!isChosen)
        return;
    if (FChosenRVData && !(ComponentState() & csDestroying))
        DeselectChosenData(FChosenRVData->GetRVData());
    FChosenRVData = nullptr;
    if (FChosenItem)
        FChosenItem->CleanUpChosen();
    FChosenItem = nullptr;
}

TCustomRVData* TRVScroller::GetChosenRVData()
{
    return FChosenRVData ? FChosenRVData->GetRVData() : nullptr;
}

TWinControl* TRVScroller::GetInplaceEditor()
{
    return FChosenRVData ? GetChosenDataEditor(FChosenRVData) : nullptr;
}

void TRVScroller::DestroyInplace()
{
    // An editor that answers WM_CLOSE closes at once and frees itself later
    // (code up the call stack may still be working in it or in its
    // document); any other is freed now.
    if (TWinControl* editor = GetInplaceEditor())
        if (editor->Perform(WM_CLOSE, 0, 0) == 0)
            delete editor;
}

bool TRVScroller::FocusedEx()
{
    TWinControl* control = this;
    while (control) {
        if (control->Focused())
            return true;
        auto* scroller = dynamic_cast<TRVScroller*>(control);
        control = scroller ? scroller->GetInplaceEditor() : nullptr;
    }
    return false;
}

void TRVScroller::SetFocusSilent()
{
    if (!CanFocus())
        return;
    if (TCustomForm* form = GetParentForm(this))
        form->SetActiveControl(this);
}
