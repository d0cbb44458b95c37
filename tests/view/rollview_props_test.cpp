// The viewer's published properties: every name with its default, random
// settings and the background picture (the bitmap's data) through a
// component stream, and the references to the style sheet and the popup
// menu, set by name.
#include <gtest/gtest.h>

#include <random>

#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/controls/menus.h"
#include "platform/graphics/bitmap.h"
#include "tests/support/publishedprops.h"
#include "tests/support/streambytes.h"
#include "view/rollview.h"

TEST(RollViewProperties, EveryListedNameIsPublishedWithItsDefault)
{
    TRollView view(nullptr);
    // clang-format off
    ExpectPublished(&view, {
        // The component's and the control's
        {"Name", pkString}, {"Tag", pkInteger, 0}, {"Left", pkInteger}, {"Top", pkInteger},
        {"Width", pkInteger}, {"Height", pkInteger}, {"Align", pkEnumeration, alNone}, {"Anchors", pkSet, 3},
        {"Constraints", pkObject}, {"Ctl3D", pkBoolean}, {"DragKind", pkEnumeration, dkDrag},
        {"DragMode", pkEnumeration, dmManual}, {"Enabled", pkBoolean, 1}, {"HelpContext", pkInteger, 0},
        {"ParentCtl3D", pkBoolean, 1}, {"PopupMenu", pkComponent}, {"ShowHint", pkBoolean, 0},
        {"TabOrder", pkInteger, -1}, {"Visible", pkBoolean, 1},
        // The scroller's
        {"Tracking", pkBoolean, 1}, {"VScrollVisible", pkBoolean, 1}, {"HScrollVisible", pkBoolean, 1},
        {"WheelStep", pkInteger, 2}, {"UseXPThemes", pkBoolean, 1}, {"DoInPaletteMode", pkEnumeration},
        {"BiDiMode", pkEnumeration, rvbdUnspecified},
        // The viewer's
        {"BackgroundBitmap", pkObject}, {"BackgroundStyle", pkEnumeration, bsNoBitmap},
        {"BorderStyle", pkEnumeration, bsSingle}, {"BottomMargin", pkInteger, 5},
        {"CPEventKind", pkEnumeration, cpeNone}, {"Cursor", pkInteger, 0}, {"Delimiters", pkString},
        {"FirstJumpNo", pkInteger, 0}, {"LeftMargin", pkInteger, 5}, {"MaxTextWidth", pkInteger, 0},
        {"MinTextWidth", pkInteger, 0}, {"Options", pkSet, 32421}, {"RightMargin", pkInteger, 5},
        {"RTFOptions", pkSet, 14}, {"RTFReadProperties", pkObject}, {"RVFOptions", pkSet, 67},
        {"RVFParaStylesReadMode", pkEnumeration, rvf_sInsertMerge},
        {"RVFTextStylesReadMode", pkEnumeration, rvf_sInsertMerge}, {"Style", pkComponent},
        {"TabNavigation", pkEnumeration, rvtnTab}, {"TopMargin", pkInteger, 5}, {"Color", pkColor, clNone},
        {"TabStop", pkBoolean, 1}, {"AllowSelection", pkBoolean}, {"SingleClick", pkBoolean}}, true);
    // clang-format on
    // A viewer of default settings writes its bounds and its palette mode, which has no default.
    EXPECT_EQ(ComponentBytes(&view), "TPF0\x09TRollView\x00\x04Left\x02\x00\x03Top\x02\x00\x05Width\x02\x64"
                                     "\x06Height\x02\x28\x0F"
                                     "DoInPaletteMode\x07\x10rvpaCreateCopies\x00\x00"_bytes);
    EXPECT_FALSE(view.RTFReaderAssigned()) << "writing made no RTF import settings";
}

TEST(RollViewProperties, RandomSettingsAndTheBackgroundPictureComeBackFromAStream)
{
    std::mt19937 random(20261208);
    TBitmap picture;
    picture.SetSize(3, 2);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        TRollView source(nullptr);
        RandomizePublished(&source, random, {"Constraints"});
        source.SetDelimiters(round % 3 == 0 ? "" : "-+");
        if (round % 2 == 0)
            source.SetBackBitmap(&picture);
        const AnsiString bytes = ComponentBytes(&source);
        TRollView back(nullptr);
        ReadComponentBytes(bytes, &back);
        EXPECT_EQ(ComponentBytes(&back), bytes);
        EXPECT_EQ(back.Delimiters(), source.Delimiters());
        EXPECT_EQ(back.GetBackBitmap()->Width(), round % 2 == 0 ? 3 : 0);
    }
    // The picture is the bitmap's file behind its length.
    TRollView source(nullptr);
    source.SetBackBitmap(&picture);
    TMemoryStream file;
    picture.SaveToStream(file);
    EXPECT_NE(ComponentBytes(&source).find("\x15"
                                           "BackgroundBitmap.Data\x0A"_bytes +
                                           Count32(file.Size() + 4) + Count32(file.Size()) + "BM"),
              AnsiString::npos);
}

TEST(RollViewProperties, ReferencesAreSetByNameWhereTheyCanBeFound)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* style = Named(new TRVStyle(&form), "Style1");
    auto* menu = Named(new TPopupMenu(&form), "Menu1");
    auto* source = Named(new TRollView(&form), "Viewer1");
    source->SetStyle(style);
    source->SetPopupMenu(menu);
    const AnsiString bytes = ComponentBytes(source);
    delete source;
    EXPECT_NE(bytes.find("\x05Style\x07\x0c"
                         "Form1.Style1"_bytes),
              AnsiString::npos);

    // Read beside them, the references find them; read elsewhere, they stay
    // null; and a style sheet or menu that goes leaves no reference behind.
    auto* beside = new TRollView(&form);
    ReadComponentBytes(bytes, beside);
    EXPECT_TRUE(beside->Style() == style && beside->PopupMenu() == menu);
    TRollView alone(nullptr);
    ReadComponentBytes(bytes, &alone);
    EXPECT_TRUE(alone.Style() == nullptr && alone.PopupMenu() == nullptr);
    delete style;
    delete menu;
    EXPECT_TRUE(beside->Style() == nullptr && beside->PopupMenu() == nullptr);
}
