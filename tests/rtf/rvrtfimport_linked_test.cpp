// A program that links the RTF import but names none of its symbols: the
// viewer's RTF loading finds the import installed, and a load continues the
// paragraph the document ended with. Nothing here may name the import itself.
#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "view/rollview.h"

namespace {

class LinkedImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetACP(CP_UTF8);
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Style = new TRVStyle(Form);
        View = new TRollView(Form);
        View->SetBounds(0, 0, 300, 200);
        View->SetStyle(Style);
        View->SetParent(Form);
    }
    void TearDown() override
    {
        Form->Free();
        SetACP(0);
    }
    AnsiString Text()
    {
        TStringStream s;
        View->SaveTextToStream("", &s, 80, false, false);
        return s.DataString();
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* View = nullptr;
};

} // namespace

TEST_F(LinkedImport, TheViewerLoadsRTFWithoutTheProgramNamingTheImport)
{
    TStringStream rtf("{\\rtf1 first\\par second}");
    ASSERT_TRUE(View->LoadRTFFromStream(&rtf));
    EXPECT_EQ(Text(), "first\r\nsecond");
}

TEST_F(LinkedImport, ALoadContinuesTheLastParagraph)
{
    View->AddNL("old ", 0, 0);
    TStringStream rtf("{\\rtf1 new\\par second}");
    ASSERT_TRUE(View->LoadRTFFromStream(&rtf));
    // The first paragraph read joins the old last one, and its text the old last item.
    EXPECT_EQ(Text(), "old new\r\nsecond");
    EXPECT_EQ(View->GetLineCount(), 2);
}
