// RTF loads into a document: where items go, what text arrives, page breaks,
// hyperlinks, headers and footers, input that must not break the document,
// and the last paragraph of our own RTF.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/rvstyle_list.h"
#include "platform/core/streams.h"
#include "tests/support/rtfimport.h"
#include "tests/support/testtable.h"

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

// A header or footer group goes into the document given for it, and one with
// none is skipped whole (its tables and pictures too), given the other or
// not: its text never reaches the body. A skipped group inside one that is
// read leaves the rest of that one where it was going.
TEST_F(TRTFImportTest, HeaderAndFooterGroupsWithoutADocumentAreSkipped)
{
    const std::string rtf = R"({\rtf1\headery720\footery360 a{\header head{\footer inner}\par)"
                            R"(\trowd\cellx1000\intbl hc\cell\row\pard tail}b{\footer foot{\pict\pngblip )" +
                            PngHex(2, 2) + R"(}\par\trowd\cellx1000\intbl fc\cell\row}c})";
    struct TCase {
        bool Header, Footer;
        const char* HeaderText;
        const char* FooterText;
    };
    const TCase cases[] = {
        {false, false, "", ""},
        {true, false, "head\n[1x1: hc]\ntail", ""},
        {false, true, "", "foot[pic]\n[1x1: fc]"},
        {true, true, "head\n[1x1: hc]\ntail", "innerfoot[pic]\n[1x1: fc]"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Header ? "header" : "no header") +
                     (c.Footer ? ", footer" : ", no footer"));
        TTestSubRVData header(&Data), footer(&Data);
        header.AddNL("old", 0, 0);
        Props.SetHeader(c.Header ? &header : nullptr);
        Props.SetFooter(c.Footer ? &footer : nullptr);
        Props.HeaderYPx = Props.FooterYPx = -1;
        Data.Clear();
        ASSERT_EQ(Load(rtf), rtf_ec_OK);
        EXPECT_EQ(Summary(), "abc");
        EXPECT_EQ(RTFSummary(header), c.Header ? c.HeaderText : "old");
        EXPECT_EQ(RTFSummary(footer), c.FooterText);
        EXPECT_EQ(Props.HeaderYPx, c.Header ? ScreenPixelsPerInch() / 2 : -1);
        EXPECT_EQ(Props.FooterYPx, c.Footer ? ScreenPixelsPerInch() / 4 : -1);
    }
    Props.SetHeader(nullptr);
    Props.SetFooter(nullptr);
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

// A document or a cell ending in an empty list paragraph (its marker alone,
// or with an empty text after it), after others or alone, numbered or
// bulleted: our RTF closes it with its paragraph mark in the document and
// with the cell's end in a cell, and it reads back as a paragraph of its
// list, numbered as it was; empty plain paragraphs read back as before.
TEST_F(TRTFImportTest, AnEmptyLastListParagraphReadsBack)
{
    struct TCase {
        const char* Name;
        // The paragraphs: their list ('0' numbered, '1' bulleted, '-' none),
        // and 'x' for a paragraph with text.
        std::vector<std::string> Paras;
        bool EmptyTextAfterMarker;
    };
    const TCase cases[] = {
        {"numbered item after one with text", {"0x", "0"}, false},
        {"with an empty text after the marker", {"0x", "0"}, true},
        {"bullet after plain text", {"-x", "1"}, false},
        {"alone", {"0"}, false},
        {"alone with an empty text", {"1"}, true},
        {"two empty items", {"0", "0"}, false},
        {"plain empty after text", {"-x", "-"}, false},
        {"plain empty after an empty item", {"0", "-"}, false},
    };
    for (const TCase& c : cases)
        for (const bool inCell : {false, true}) {
            SCOPED_TRACE(std::string(c.Name) + (inCell ? " in a cell" : ""));
            TRVStyle sourceStyle{nullptr};
            TTestRVData source(&sourceStyle);
            TCustomRVData* holder = inCell ? NestTables(&source, 1) : &source;
            TRVListLevel* numbered = sourceStyle.ListStyles()->Add()->Levels()->Add();
            numbered->SetListType(rvlstDecimal);
            numbered->SetFormatString("%0:s.");
            sourceStyle.ListStyles()->Add()->Levels()->Add()->SetListType(rvlstBullet);
            for (const std::string& para : c.Paras) {
                const char* text = para.size() > 1 ? "x" : "";
                if (para[0] == '-') {
                    holder->AddNL(text, 0, 0);
                    continue;
                }
                holder->SetListMarkerInfo(-1, para[0] - '0', 0, 1, 0, false);
                if (*text || c.EmptyTextAfterMarker)
                    holder->AddNL(text, 0, -1);
            }
            TMemoryStream stream;
            ASSERT_TRUE(source.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr,
                                               nullptr, nullptr, 0));
            stream.SetPosition(0);
            Data.Clear();
            Props.SetTextStyleMode(rvrsAddIfNeeded);
            Props.SetParaStyleMode(rvrsAddIfNeeded);
            ASSERT_EQ(Props.ReadFromStream(stream, &Data), rtf_ec_OK);
            EXPECT_EQ(Summary(), RTFSummary(source));
            auto lastMarker = [](TCustomRVData& data) {
                return dynamic_cast<TRVMarkerItemInfo*>(
                    data.GetItem(data.GetFirstParaItem(data.GetItemCount() - 1)));
            };
            TCustomRVData* read = &Data;
            if (inCell) {
                auto* table = dynamic_cast<TRVTableItemInfo*>(Data.GetItem(0));
                ASSERT_NE(table, nullptr);
                read = table->GetCells(0, 0);
            }
            const TRVMarkerItemInfo* want = lastMarker(*holder);
            const TRVMarkerItemInfo* got = lastMarker(*read);
            ASSERT_EQ(got != nullptr, want != nullptr);
            if (want && want->ListNo == 0) {
                EXPECT_EQ(got->Counter, want->Counter);
            }
        }
}
