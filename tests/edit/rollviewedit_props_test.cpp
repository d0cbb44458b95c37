// The editor's published properties: its own names with their defaults after
// the viewer's, random settings that come back from a component stream, and
// an editor held in a document as a control item, which comes back from RVF
// with its settings.
#include <gtest/gtest.h>

#include <random>

#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "edit/rollviewedit.h"
#include "platform/controls/forms.h"
#include "tests/support/publishedprops.h"

TEST(RollViewEditProperties, ItsOwnNamesFollowTheViewersWithTheirDefaults)
{
    TRollViewEdit edit(nullptr);
    ExpectPublished(&edit,
                    {{"EditorOptions", pkSet, 1 << rvoClearTagOnStyleApp},
                     {"ReadOnly", pkBoolean, 0},
                     {"Cursor", pkInteger, crIBeam},
                     {"UndoLimit", pkInteger, -1},
                     {"TabNavigation", pkEnumeration, rvtnNone}},
                    false);
    EXPECT_EQ(GetPropertyTable(&edit)->OwnProps().size(), 5u);
    TRollView view(nullptr);
    EXPECT_EQ(GetPropertyTable(&edit)->Parent(), GetPropertyTable(&view));
}

TEST(RollViewEditProperties, RandomSettingsComeBackFromAStream)
{
    std::mt19937 random(8122026);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        TRollViewEdit source(nullptr);
        // An editor navigates with no tab: any other value raises.
        RandomizePublished(&source, random, {"Constraints", "TabNavigation"});
        const AnsiString bytes = ComponentBytes(&source);
        TRollViewEdit back(nullptr);
        ReadComponentBytes(bytes, &back);
        EXPECT_EQ(ComponentBytes(&back), bytes);
    }
    TRollView view(nullptr);
    view.SetTabNavigation(rvtnCtrlTab);
    TRollViewEdit edit(nullptr);
    EXPECT_THROW(ReadComponentBytes(ComponentBytes(&view), &edit), ERollViewError);
}

TEST(RollViewEditProperties, AnEditorInADocumentKeepsItsSettingsThroughRVF)
{
    TForm form(nullptr);
    TRVStyle style(nullptr);
    // The editor's style sheet is the form's: found by the form's name once read.
    form.SetName("EditorsForm");
    auto* formStyle = Named(new TRVStyle(&form), "Style1");
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary);
        auto* source = new TRollView(&form);
        source->SetParent(&form);
        source->SetStyle(&style);
        source->SetRVFOptions(binary ? source->RVFOptions()
                                     : source->RVFOptions() - TRVFOptions{rvfoSaveBinary});
        auto* inner = new TRollViewEdit(nullptr);
        inner->SetBounds(0, 0, 300, 120);
        inner->SetLeftMargin(17);
        inner->SetTopMargin(0);
        inner->SetOptions(inner->Options() - TRVOptions{rvoAutoCopyRTF});
        inner->SetEditorOptions(TRVEditorOptions{rvoWantTabs});
        inner->SetReadOnly(true);
        inner->GetRTFReadProperties()->SetUnicodeMode(rvruOnlyUnicode);
        inner->SetStyle(formStyle);
        source->AddControl(inner, false);
        TMemoryStream rvf;
        ASSERT_TRUE(source->SaveRVFToStream(&rvf, false));

        auto* target = new TRollView(&form);
        target->SetParent(&form);
        target->SetStyle(&style);
        rvf.SetPosition(0);
        ASSERT_TRUE(target->LoadRVFFromStream(&rvf));
        ASSERT_EQ(target->GetLineCount(), 1);
        AnsiString name;
        TControl* control = nullptr;
        TRVVAlign align;
        TRVTag tag;
        target->GetControlInfo(0, name, control, align, tag);
        auto* back = dynamic_cast<TRollViewEdit*>(control);
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->Width() == 300 && back->Height() == 120);
        EXPECT_TRUE(back->LeftMargin() == 17 && back->TopMargin() == 0);
        EXPECT_EQ(back->Options(), inner->Options());
        EXPECT_EQ(back->EditorOptions(), TRVEditorOptions{rvoWantTabs});
        EXPECT_TRUE(back->GetReadOnly());
        EXPECT_EQ(back->GetRTFReadProperties()->UnicodeMode(), rvruOnlyUnicode);
        EXPECT_EQ(back->Style(), formStyle);
        delete target;
        delete source;
    }
}
