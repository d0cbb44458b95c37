// The published properties of the scrolling control base, which every viewer
// and editor publishes after the control's own.
#include "platform/core/typinfo.h"
#include "view/rvscroll.h"

const TPropertyTable* TRVScroller::PropertyTable() const
{
    using C = TRVScroller;
    static const TPropertyTable table =
        TPropTableBuilder<C>("TRVScroller", TControl::PropertyTable())
            .Bool("Tracking", &C::Tracking, &C::SetTracking, true)
            .Bool("VScrollVisible", &C::VScrollVisible, &C::SetVScrollVisible, true)
            .Bool("HScrollVisible", &C::HScrollVisible, &C::SetHScrollVisible, true)
            .Int("WheelStep", &C::WheelStep, &C::SetWheelStep, 2)
            // The scroller's own default; the viewer publishes bsSingle as its default.
            .Enum("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, {"bsNone", "bsSingle"}, bsNone)
            .Bool("UseXPThemes", &C::UseXPThemes, &C::SetUseXPThemes, true)
            // No default: always written.
            .Enum("DoInPaletteMode", &C::DoInPaletteMode, &C::SetDoInPaletteMode,
                  {"rvpaDoNothing", "rvpaAssignPallette", "rvpaCreateCopies", "rvpaCreateCopiesEx"})
            .Enum("BiDiMode", &C::BiDiMode, &C::SetBiDiModeRV,
                  {"rvbdUnspecified", "rvbdLeftToRight", "rvbdRightToLeft"}, rvbdUnspecified)
            .Build();
    return &table;
}
