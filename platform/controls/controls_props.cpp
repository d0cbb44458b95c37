// The published properties of controls and of their size constraints, as the
// component streams write and read them.
#include "platform/controls/controls.h"
#include "platform/core/typinfo.h"

const TPropertyTable* TSizeConstraints::PropertyTable() const
{
    using C = TSizeConstraints;
    static const TPropertyTable table = TPropTableBuilder<C>("TSizeConstraints", nullptr)
                                            .Int("MaxHeight", &C::MaxHeight, &C::SetMaxHeight, 0)
                                            .Int("MaxWidth", &C::MaxWidth, &C::SetMaxWidth, 0)
                                            .Int("MinHeight", &C::MinHeight, &C::SetMinHeight, 0)
                                            .Int("MinWidth", &C::MinWidth, &C::SetMinWidth, 0)
                                            .Build();
    return &table;
}

const TPropertyTable* TControl::PropertyTable() const
{
    using C = TControl;
    static const TPropertyTable table =
        TPropTableBuilder<C>("TControl", &ComponentPropertyTable())
            .Enum("Align", &C::Align, &C::SetAlign,
                  {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, alNone)
            .Set(
                "Anchors", [](const C* c) { return c->Anchors().Bits; },
                [](C* c, int64_t bits) {
                    TAnchors anchors;
                    anchors.Bits = static_cast<uint8_t>(bits);
                    c->SetAnchors(anchors);
                },
                {"akLeft", "akTop", "akRight", "akBottom"}, TAnchors{akLeft, akTop}.Bits)
            .Object("Constraints", &C::Constraints)
            // The control's own value, written while it does not follow its parent's.
            .Bool("Ctl3D", &C::Ctl3D, &C::SetCtl3D)
            .StoredWhen([](const C* c) { return !c->ParentCtl3D(); })
            .Enum("DragKind", &C::DragKind, &C::SetDragKind, {"dkDrag", "dkDock"}, dkDrag)
            .Enum("DragMode", &C::DragMode, &C::SetDragMode, {"dmManual", "dmAutomatic"}, dmManual)
            .Bool("Enabled", &C::Enabled, &C::SetEnabled, true)
            .Int("HelpContext", &C::HelpContext, &C::SetHelpContext, 0)
            .Bool("ParentCtl3D", &C::ParentCtl3D, &C::SetParentCtl3D, true)
            .Bool("ShowHint", &C::ShowHint, &C::SetShowHint, false)
            .Bool("Visible", &C::Visible, &C::SetVisible, true)
            .Build();
    return &table;
}
