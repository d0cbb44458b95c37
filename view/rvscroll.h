// TRVScroller: the scrolling window under every viewer and editor. It owns the
// window's two scroll bars and the scroll position of the document shown in it,
// and turns scroll-bar messages, scroll keys and the wheel into position changes.
#pragma once

#include <memory>

#include "document/rvitem.h"
#include "document/rvtypes.h"
#include "platform/controls/controls.h"
#include "platform/controls/scrollbars.h"
#include "platform/graphics/graphic.h"
#include "view/rvthemes.h"

class TCustomRVData;
class TCustomRVItemInfo;

// The platform's scroll-bar functions as the scroller calls them. Start-up fills
// the table with the platform's own; every scroll-bar call of the scroller goes
// through it.
struct TRVScrollBarFunctions {
    bool (*ShowScrollBar)(HWND wnd, int bar, bool show);
    bool (*GetScrollInfo)(HWND wnd, int bar, SCROLLINFO* info);
    int (*GetScrollPos)(HWND wnd, int bar);
    int (*SetScrollPos)(HWND wnd, int bar, int pos, bool redraw);
    int (*SetScrollInfo)(HWND wnd, int bar, const SCROLLINFO* info, bool redraw);
    bool (*EnableScrollBar)(HWND wnd, UINT bar, UINT arrows);
};
extern TRVScrollBarFunctions RVScrollBarFunctions;

// The scrolling control base. The vertical position VPos counts units of
// VSmallStep pixels, the horizontal position HPos counts pixels; both are 32-bit
// and stay within [0, last position], the last position being the range less
// the page. The document data tells the scroller the document's size
// (UpdateScrollBars) and asks it to scroll; the scroller knows nothing else of
// documents. A position change moves the window's pixels and its child controls
// (controls inserted in the document, whose true client Y is kept in their Tag),
// then calls AfterVScroll/AfterHScroll, which fire OnVScrolled/OnHScrolled.
// Without a window every position call does nothing; VSmallStep is never below 1.
// The scroller owns its palette and logical palette; the chosen sub-document
// (a table cell being edited) and its item are referred to, not owned.
class TRVScroller : public TCustomControl {
public:
    explicit TRVScroller(TComponent* aOwner);
    ~TRVScroller() override;
    const char* ClassName() const override { return "TRVScroller"; }
    // After the control's: Tracking, VScrollVisible, HScrollVisible,
    // WheelStep, BorderStyle, UseXPThemes, DoInPaletteMode and BiDiMode.
    const TPropertyTable* PropertyTable() const override;

    // ---- Positions and ranges
    int HPos() const { return FHPos; }
    int VPos() const { return FVPos; }
    int VSmallStep() const { return FVSmallStep; }
    // The document width in pixels and height in units, as last given to UpdateScrollBars.
    int HRange() const { return FHRange; }
    int VRange() const { return FVRange; }
    int HMax() const { return FHMax; }
    int VMax() const { return FVMax; }
    int HPage() const { return FHPage; }
    int VPage() const { return FVPage; }
    // The width of the document area: the document width last given to the scroll bars.
    int GetAreaWidth() const { return FHRange; }

    // Moves the view to vertical unit Pos (clamped); Redraw false leaves the
    // repainting to the caller.
    virtual void SetVPos(int pos, bool redraw);
    // Moves the view to horizontal pixel Pos (clamped), repainting.
    virtual void SetHPos(int pos);
    void SetVScrollPos(int pos) { SetVPos(pos, true); }
    // Y is a pixel position.
    void ScrollTo(int y) { SetVPos(y / FVSmallStep, true); }
    void ScrollToNoRedraw(int y) { SetVPos(y / FVSmallStep, false); }
    // The largest vertical unit and horizontal pixel position (0 or more).
    int GetVScrollMax();
    int GetHScrollMax();
    // Width in pixels, Height in units: sets ranges, pages and bars and clamps
    // the positions. Ignored while running and without a window.
    void UpdateScrollBars(int width, int height, bool updateH, bool allowDisableNoScroll);
    // Stores a new vertical unit (values below 1 are ignored) and converts VPos so
    // that the view keeps its place in the document; the caller then sets the
    // scroll bars again (UpdateScrollBars) and repaints.
    virtual void SetVSmallStep(int value);
    // Moves every child control: Tag += dy (then Top follows it), Left += dx.
    void ScrollChildren(int dx, int dy);

    // ---- Settings
    bool Tracking() const { return FTracking; }
    void SetTracking(bool value) { FTracking = value; }
    bool FullRedrawOnScroll() const { return FFullRedrawOnScroll; }
    void SetFullRedrawOnScroll(bool value) { FFullRedrawOnScroll = value; }
    bool VScrollVisible() const { return FVScrollVisible; }
    void SetVScrollVisible(bool value);
    bool HScrollVisible() const { return FHScrollVisible; }
    void SetHScrollVisible(bool value);
    bool KeyboardScroll() const { return FKeyboardScroll; }
    void SetKeyboardScroll(bool value) { FKeyboardScroll = value; }
    // Units scrolled per wheel notch.
    int WheelStep() const { return FWheelStep; }
    void SetWheelStep(int value) { FWheelStep = value; }
    // Keep the vertical bar shown, disabled, when the document fits.
    bool DisableNoScroll() const { return FDisableNoScroll; }
    void SetDisableNoScroll(bool value) { FDisableNoScroll = value; }
    // Keep the vertical bar shown, disabled when the document fits, at every
    // setting of the bars until cleared, whatever UpdateScrollBars allows: a
    // document that needs the bar only while the bar is hidden is laid out
    // with it. Takes effect when the bars are next set.
    bool VScrollKept() const { return FVScrollKept; }
    void SetVScrollKept(bool value) { FVScrollKept = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TRVBiDiMode BiDiMode() const { return FBiDiMode; }
    // rvbdRightToLeft puts the vertical bar on the left; a change recreates the window.
    virtual void SetBiDiModeRV(TRVBiDiMode value);
    bool UseXPThemes() const { return FUseXPThemes; }
    void SetUseXPThemes(bool value);
    HTHEME ThemeHandle() const { return FThemeHandle; }

    // ---- Palette. Screens here are true-colour, so no palette is made for the
    // screen and a palette handle changes no pixel (see graphic.h).
    TRVPaletteAction DoInPaletteMode() const { return FDoInPaletteMode; }
    void SetDoInPaletteMode(TRVPaletteAction value);
    ::HPALETTE GetPalette() override { return FPalette; }
    PLogPalette GetLogPalette() const { return FLogPalette.get(); }
    // Makes the palette for a palette-based screen, or frees it.
    virtual void UpdatePaletteInfo();

    // ---- The chosen sub-document (the table cell being edited) and its editor
    TCustomRVData* ChosenRVData() const { return FChosenRVData; }
    TCustomRVItemInfo* ChosenItem() const { return FChosenItem; }
    void AssignChosenRVData(TCustomRVData* rvData, TCustomRVItemInfo* item);
    void SilentReplaceChosenRVData(TCustomRVData* rvData);
    void UnassignChosenRVData(TPersistent* rvData);
    // The document data of the chosen data, or null.
    TCustomRVData* GetChosenRVData();
    TWinControl* GetInplaceEditor();
    void DestroyInplace();
    // This control, or the in-place editor of it (and so on down), has the focus.
    bool FocusedEx();
    // Makes the control the active control of its form.
    void SetFocusSilent();

    void Dispatch(TMessage& message) override;

    TNotifyEvent OnVScrolled;
    TNotifyEvent OnHScrolled;

protected:
    virtual void CreateThemeHandle();
    virtual void FreeThemeHandle();
    virtual void AfterVScroll();
    virtual void AfterHScroll();
    // Window creation hooks: positions reset, then the bars set up.
    virtual void AfterCreateWnd1();
    virtual void AfterCreateWnd2();
    virtual int GetDefSmallStep() { return 10; }
    // The 216 colours of the 6x6x6 cube, entry blue * 36 + green * 6 + red.
    virtual std::unique_ptr<TLogPalette> GenerateLogPalette();
    // Whether the screen works through a palette; never on this platform.
    virtual bool ScreenIsPaletteBased() const { return false; }

    // The formatted document data is a later unit than this one: the viewer
    // answers these with the chosen data's Deselect (nil, false) and GetEditor.
    virtual void DeselectChosenData(TCustomRVData* rvData);
    virtual TWinControl* GetChosenDataEditor(TCustomRVData* rvData);

    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;

    void WMHScroll(TMessage& message);
    void WMVScroll(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMThemeChanged(TMessage& message);
    void CMCtl3DChanged(TMessage& message);

    TBorderStyle FBorderStyle = bsNone;
    int FVSmallStep = 1;
    bool FTracking = true;
    bool FFullRedrawOnScroll = false;
    bool FVScrollVisible = true;
    bool FHScrollVisible = true;
    bool FUpdatingScrollBars = false;
    int FVMax = 0;
    int FVPage = 0;
    int FHMax = 0;
    int FHPage = 0;
    TRVPaletteAction FDoInPaletteMode = rvpaCreateCopies;
    TRVBiDiMode FBiDiMode = rvbdUnspecified;
    bool FUseXPThemes = true;
    bool FDisableNoScroll = false;
    bool FVScrollKept = false;
    int FHPos = 0;
    int FVPos = 0;
    int FHRange = 0;
    int FVRange = 0;
    bool FKeyboardScroll = true;
    TCustomRVItemInfo* FChosenItem = nullptr;
    TCustomRVData* FChosenRVData = nullptr;
    HTHEME FThemeHandle = nullptr;
    int FWheelStep = 2;
    ::HPALETTE FPalette = 0;
    std::unique_ptr<TLogPalette> FLogPalette;

private:
    // The last 32-bit thumb positions seen while dragging (horizontal, vertical).
    int FLastThumbTrack[2] = {0, 0};

    // One pass of UpdateScrollBars over both bars.
    void SetBars(int width, int height, bool updateH, bool allowDisableNoScroll);
    // The position of a thumb message, with all 32 bits.
    int ThumbPosition(int bar, WPARAM wParam);
    // WM_VSCROLL (vertical) or WM_HSCROLL in the units of that bar.
    void WMScroll(bool vertical, TMessage& message);
    // Moves the window's contents and children after a position change.
    void ScrollContents(int64_t dx, int64_t dy, bool redraw);
    // Sets a bar that must not show to a range its page covers.
    void HideBar(int bar);
    // Asks the platform to draw the frame again (border style or theme changed).
    void RefreshFrame();
};

// A control inserted in a document keeps its client Y in Tag; its Top is that
// value kept within -10000..10000.
int RV_GetYByTag(const TControl* control);
void RV_Tag2Y(TControl* control);
