// The published properties of controls and of their size constraints, as the
// component streams write and read them.
#include "platform/controls/controls.h"
#include "platform/controls/menus.h"
#include "platform/core/typinfo.h"

namespace {

// The tab order is a windowed control's; other controls have none (-1).
int TabOrderOf(const TControl* control)
{
    auto* win = dynamic_cast<const TWinControl*>(control);
    return win ? win->TabOrder() : -1;
}

void SetTabOrderOf(TControl* control, int value)
{
    if (auto* win = dynamic_cast<TWinControl*>(control))
        win->SetTabOrder(value);
}

} // namespace

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
            // The bounds have no default: always written.
            .Int("Left", &C::Left, &C::SetLeft)
            .Int("Top", &C::Top, &C::SetTop)
            .Int("Width", &C::Width, &C::SetWidth)
            .Int("Height", &C::Height, &C::SetHeight)
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
            // Not owned: written by the menu's name and set once the whole stream is read.
            .Component<TPopupMenu>("PopupMenu", &C::PopupMenu, &C::SetPopupMenu)
            .Bool("ShowHint", &C::ShowHint, &C::SetShowHint, false)
            .Int("TabOrder", TabOrderOf, SetTabOrderOf, -1)
            .Bool("Visible", &C::Visible, &C::SetVisible, true)
            .Build();
    return &table;
}
