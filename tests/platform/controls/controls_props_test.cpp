// The published properties of controls in component streams: a control of
// default values writes none of them, every one set otherwise comes back
// from a round trip, and Ctl3D is written only while the control does not
// follow its parent's.
#include <gtest/gtest.h>

#include <string>

#include "platform/controls/controls.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "tests/support/streambytes.h"

namespace {

class TPlainWin : public TWinControl {
public:
    explicit TPlainWin(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TPlainWin"; }
};

// The control's stream in the class library's text form.
std::string AsText(TComponent* Control)
{
    TMemoryStream Binary;
    Binary.WriteComponent(Control);
    Binary.SetPosition(0);
    TMemoryStream Text;
    ObjectBinaryToText(Binary, Text);
    return StreamBytes(Text);
}

void ReadInto(TComponent* Control, TComponent* From)
{
    TMemoryStream Binary;
    Binary.WriteComponent(From);
    Binary.SetPosition(0);
    Binary.ReadComponent(Control);
}

} // namespace

TEST(ControlProperties, DefaultsAreNotWritten)
{
    TPlainWin Parent(nullptr);
    Parent.SetCtl3D(false);
    auto* Control = new TPlainWin(&Parent);
    Control->SetName("Plain");
    Control->SetParent(&Parent);
    // Following its parent, the control's Ctl3D is the parent's and not its own to write.
    EXPECT_FALSE(Control->Ctl3D());
    // The bounds have no default, and a placed window's tab order is its own.
    EXPECT_EQ(AsText(Control), "object Plain: TPlainWin\n  Left = 0\n  Top = 0\n  Width = 0\n  Height = 0\n"
                               "  TabOrder = 0\nend\n");
    EXPECT_EQ(Control->Anchors(), (TAnchors{akLeft, akTop}));
    EXPECT_EQ(Control->HelpContext(), 0);
    EXPECT_TRUE(Control->ParentCtl3D());
    EXPECT_EQ(Control->DragKind(), dkDrag);
}

TEST(ControlProperties, EveryPropertySetComesBackFromARoundTrip)
{
    TPlainWin Source(nullptr);
    Source.SetName("Source");
    Source.SetAlign(alRight);
    Source.SetAnchors(TAnchors{akRight, akBottom});
    Source.Constraints()->SetMinWidth(12);
    Source.Constraints()->SetMaxHeight(300);
    Source.SetCtl3D(false);
    Source.SetDragKind(dkDock);
    Source.SetDragMode(dmAutomatic);
    Source.SetEnabled(false);
    Source.SetHelpContext(4711);
    Source.SetShowHint(true);
    Source.SetVisible(false);
    EXPECT_EQ(AsText(&Source), "object Source: TPlainWin\n"
                               "  Left = 0\n"
                               "  Top = 0\n"
                               "  Width = 12\n"
                               "  Height = 0\n"
                               "  Align = alRight\n"
                               "  Anchors = [akRight, akBottom]\n"
                               "  Constraints.MaxHeight = 300\n"
                               "  Constraints.MinWidth = 12\n"
                               "  Ctl3D = False\n"
                               "  DragKind = dkDock\n"
                               "  DragMode = dmAutomatic\n"
                               "  Enabled = False\n"
                               "  HelpContext = 4711\n"
                               "  ParentCtl3D = False\n"
                               "  ShowHint = True\n"
                               "  Visible = False\n"
                               "end\n");

    TPlainWin Back(nullptr);
    ReadInto(&Back, &Source);
    EXPECT_EQ(Back.Align(), alRight);
    EXPECT_EQ(Back.Anchors(), (TAnchors{akRight, akBottom}));
    EXPECT_EQ(Back.Constraints()->MinWidth(), 12);
    EXPECT_EQ(Back.Constraints()->MaxHeight(), 300);
    EXPECT_FALSE(Back.Ctl3D());
    EXPECT_FALSE(Back.ParentCtl3D());
    EXPECT_EQ(Back.DragKind(), dkDock);
    EXPECT_EQ(Back.DragMode(), dmAutomatic);
    EXPECT_FALSE(Back.Enabled());
    EXPECT_EQ(Back.HelpContext(), 4711);
    EXPECT_TRUE(Back.ShowHint());
    EXPECT_FALSE(Back.Visible());
    EXPECT_EQ(AsText(&Back), AsText(&Source));
}

TEST(ControlProperties, ACtl3DOfItsOwnEqualToTheDefaultIsStillWritten)
{
    // Detached from its parent with the value it had: it stays its own when read.
    TPlainWin Parent(nullptr);
    auto* Control = new TPlainWin(&Parent);
    Control->SetName("Own");
    Control->SetParent(&Parent);
    Control->SetParentCtl3D(false);
    EXPECT_EQ(AsText(Control), "object Own: TPlainWin\n  Left = 0\n  Top = 0\n  Width = 0\n  Height = 0\n"
                               "  Ctl3D = True\n  ParentCtl3D = False\n  TabOrder = 0\nend\n");

    TPlainWin Other(nullptr);
    Other.SetCtl3D(false);
    auto* Back = new TPlainWin(&Other);
    Back->SetParent(&Other);
    ReadInto(Back, Control);
    EXPECT_TRUE(Back->Ctl3D()) << "its own value, not the parent's";
    EXPECT_FALSE(Back->ParentCtl3D());
}
