// RTF loads into a document: where items go, what text arrives, page breaks,
// hyperlinks, headers and footers, and input that must not break the document.
#include <gtest/gtest.h>

#include "tests/support/rtfimport.h"

namespace {

struct TPlacementCase {
    const char* Name;
    const char* Rtf;
    const char* Expected;
    bool LineBreaksAsParagraphs = false;
};

const TPlacementCase PlacementCases[] = {
    {"paragraphs", R"({\rtf1 a\par b\par c})", "a\nb\nc"},
    {"formatting continues the paragraph", R"({\rtf1 a{\b b}c\par d})", "abc\nd"},
    {"line break", R"({\rtf1 a\line b})", "a|b"},
    {"line break as paragraph", R"({\rtf1 a\line b})", "a\nb", true},
    {"hidden text keeps the paragraph before it", R"({\rtf1 a\par{\v hidden}b})", "a\nb"},
    {"page break", R"({\rtf1 a\page b})", "a\n^b"},
    {"numbering text without markers", R"({\rtf1{\listtext 1. }One\par{\pntext 2. }Two})", "1. One\n2. Two"},
    {"cells without \\intbl end paragraphs", R"({\rtf1\trowd\cellx1000\cellx2000 a\cell b\cell\row c\par})",
     "a\nb\nc"},
    {"cell outside a table", R"({\rtf1 a\cell b\row c})", "a\nbc"},
    {"unicode through its fallback", R"({\rtf1\uc1 x\u8364?y})", "x?y"},
};

} // namespace

TEST_F(TRTFImportTest, PlacesItemsByTheContinuationRule)
{
    for (const TPlacementCase& c : PlacementCases) {
        SCOPED_TRACE(c.Name);
        Data.Clear();
        Props.SetLineBreaksAsParagraphs(c.LineBreaksAsParagraphs);
        EXPECT_EQ(Load(c.Rtf), rtf_ec_OK);
        EXPECT_EQ(Summary(), c.Expected);
        ExpectStylesInRange();
    }
}

TEST_F(TRTFImportTest, DocumentLoadsGoThroughTheImport)
{
    Data.AddNL("old ", 0, 0);
    TStringStream stream(R"({\rtf1 new\par next})");
    // The first paragraph read continues the old last one, and its first text
    // joins the old last item.
    EXPECT_EQ(Data.LoadRTFFromStream(stream), rtf_ec_OK);
    EXPECT_EQ(Summary(), "old new\nnext");
    EXPECT_EQ(Data.LoadRTF("/nonexistent/file.rtf"), rtf_ec_FileOpenError);
    EXPECT_EQ(Data.GetItemCount(), 2);
}

TEST_F(TRTFImportTest, MalformedInputLeavesASoundDocument)
{
    const char* const inputs[] = {
        R"({\rtf1 a\par{\b b)",
        R"({\rtf1 a}}}} b)",
        R"({\rtf1{\pict\pngblip 89zz}after})",
        R"({\rtf1\ls99\ilvl99 a\par\pnlvlbody b})",
        R"({\rtf1\trowd\cellx100 a\cell\itap2 b\nestcell\nestrow\row})",
        R"({\rtf1\fs-5\cf99\highlight300\expndtw-999999\charscalex0 x})",
        R"({\rtf1{\header{\header{\footer deep}}}x})",
        "",
        "not rtf",
    };
    Props.SetTextStyleMode(rvrsAddIfNeeded);
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    for (const char* input : inputs) {
        SCOPED_TRACE(input);
        Data.Clear();
        Load(input);
        ExpectStylesInRange();
    }
}

TEST_F(TRTFImportTest, APageBreakAfterAnEmptyListItemGoesToTheNextParagraph)
{
    Props.SetParaStyleMode(rvrsAddIfNeeded);
    const int list = Style.ListStyles()->Count();
    ASSERT_EQ(Load(R"({\rtf1{\pn\pnlvlbody\pndec}{\v hidden}\page\pard next})"), rtf_ec_OK);
    const std::string marker = "#" + std::to_string(list) + ".0";
    // The marker's line gets its empty text; the page break stays with "next".
    EXPECT_EQ(Summary(), marker + "\n^next");
}
