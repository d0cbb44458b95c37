// What control words change in the reader's state and tables. Each document
// is left open, so that the state of its outermost group can be read after
// the load (which then reports the unmatched brace).
#include <functional>

#include <gtest/gtest.h>

#include "rtf/rvrtfreader.h"
#include "tests/support/rtfrecorder.h"

namespace {

struct TPropCase {
    const char* Name;
    const char* Body; // after "{\rtf1", unclosed
    std::function<void(TRVRTFReader&)> Check;
};

#define FOUR_COLORS "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red0\\green0\\blue255;}"

TRVRTFCharProperties& Chars(TRVRTFReader& r)
{
    return r.State().CharProps;
}

TRVRTFParaProperties& Para(TRVRTFReader& r)
{
    return r.State().ParaProps;
}

const TRVRTFRowProperties& Row(TRVRTFReader& r)
{
    EXPECT_NE(r.State().RowProps(), nullptr);
    return *r.State().RowProps();
}

std::string Cat(const char* a, const char* b)
{
    return std::string(a) + b;
}

const TPropCase PropCases[] = {
    {"FontSizeHalvesToEven", "\\fs25", [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).Size, 12); }},
    {"FontSizeOddUp", "\\fs27", [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).Size, 14); }},
    {"FontSizeTwentyDigits", "\\fs12345678901234567890",
     [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).Size, rtfMaxFontSize); }},
    {"FontSizeNegative", "\\fs-2147483648", [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).Size, 1); }},
    {"ScaleClamped", "\\charscalex99999",
     [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).CharScaleX, rtfMaxScale); }},
    {"IndentsClamped", "\\li2147483647\\fi-99999999999",
     [](TRVRTFReader& r) {
         EXPECT_EQ(Para(r).LeftIndent, rtfMaxLength);
         EXPECT_EQ(Para(r).FirstIndent, -rtfMaxLength);
     }},
    {"ColorTable", FOUR_COLORS,
     [](TRVRTFReader& r) {
         ASSERT_EQ(r.ColorTable().Count(), 4);
         EXPECT_EQ(r.ColorTable().Get(0), rtfAutoColor);
         EXPECT_EQ(r.ColorTable().Get(1), 0x0000FF);
         EXPECT_EQ(r.ColorTable().Get(3), 0xFF0000);
     }},
    {"ColorComponentsMasked", "{\\colortbl;\\red300\\green-1\\blue0;}",
     [](TRVRTFReader& r) {
         ASSERT_EQ(r.ColorTable().Count(), 2);
         EXPECT_EQ(r.ColorTable().Get(1), 0x00FF2C);
     }},
    {"ColorOutOfRangeIgnored", "{\\colortbl;\\red255\\green0\\blue0;\\red1;\\red2;}\\cf1\\cf5\\cf-1",
     [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).Color, 0x0000FF); }},
    {"AutoBackgroundIsNoColor", "{\\colortbl;\\red255\\green0\\blue0;}\\chcbpat1\\chcbpat0",
     [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).BackColor, rtfNoColor); }},
    {"HighlightFixed", "\\highlight6", [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).BackColor, 0x0000FF); }},
    {"HighlightOutOfRange", "\\highlight6\\highlight17",
     [](TRVRTFReader& r) { EXPECT_EQ(Chars(r).BackColor, rtfNoColor); }},
    {"DoubleBorderKept", "\\brdrb\\brdrdb\\brdrs\\brdrw2147483647",
     [](TRVRTFReader& r) {
         ASSERT_TRUE(Para(r).HasBorder());
         EXPECT_EQ(Para(r).Border->Side(rtf_side_Bottom)->BorderType, rtf_brdr_Double);
         EXPECT_EQ(Para(r).Border->Side(rtf_side_Bottom)->Width, rtfMaxLength);
     }},
    {"PercentWidthThenValue", "\\trowd\\trftsWidth2\\trwWidth5000",
     [](TRVRTFReader& r) { EXPECT_EQ(Row(r).BestWidth, -5000); }},
    {"ValueThenPercentWidth", "\\trowd\\trwWidth5000\\trftsWidth2\\trftsWidth2",
     [](TRVRTFReader& r) { EXPECT_EQ(Row(r).BestWidth, -5000); }},
    {"AutoWidthClears", "\\trowd\\trwWidth5000\\trftsWidth1",
     [](TRVRTFReader& r) { EXPECT_EQ(Row(r).BestWidth, 0); }},
    {"PercentOfMinimum", "\\trowd\\trftsWidth2\\trwWidth-2147483648",
     [](TRVRTFReader& r) { EXPECT_EQ(Row(r).BestWidth, -10000); }},
    {"CellWordsAddressOpenCell", FOUR_COLORS "\\trowd\\cellx1000\\clcbpat1\\cellx2000\\cellx99999999",
     [](TRVRTFReader& r) {
         ASSERT_EQ(Row(r).CellCount(), 4);
         EXPECT_EQ(Row(r).Cell(0).Color, rtfNoColor);
         EXPECT_EQ(Row(r).Cell(1).Color, 0x0000FF);
         EXPECT_EQ(Row(r).Cell(2).RightBoundary, rtfMaxLength);
     }},
    {"RowOfThreeCells", FOUR_COLORS "\\trowd\\cellx1000\\clcbpat1\\cellx2000\\cellx3000\\row",
     [](TRVRTFReader& r) {
         ASSERT_EQ(Row(r).CellCount(), 3);
         EXPECT_EQ(Row(r).Cell(1).Color, 0x0000FF);
         EXPECT_EQ(Row(r).Cell(2).RightBoundary, 3000);
     }},
    {"CellWordsWithoutRowRecord", "\\clcbpat1\\clbrdrt\\brdrs\\clvmgf",
     [](TRVRTFReader& r) {
         ASSERT_EQ(Row(r).CellCount(), 1);
         EXPECT_EQ(Row(r).Cell(0).VMerge, rtf_cm_First);
         EXPECT_EQ(Row(r).Cell(0).Border.Side(rtf_side_Top)->BorderType, rtf_brdr_SingleThickness);
     }},
    {"PaddingSides", "\\trpaddl10\\trpaddr20\\trpaddt30\\trpaddb40\\trpaddfr3",
     [](TRVRTFReader& r) {
         EXPECT_EQ(Row(r).GetPaddingTw(rtf_side_Left), 10);
         EXPECT_EQ(Row(r).GetPaddingTw(rtf_side_Right), 20);
         EXPECT_EQ(Row(r).GetPaddingTw(rtf_side_Top), 30);
         EXPECT_EQ(Row(r).GetPaddingTw(rtf_side_Bottom), 40);
         EXPECT_TRUE(Row(r).GetUsePadding(rtf_side_Right));
         EXPECT_FALSE(Row(r).GetUsePadding(rtf_side_Left));
     }},
    {"FontTable", "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial CYR;}{\\f1\\fcharset300 Sym;}}\\deff0\\f1",
     [](TRVRTFReader& r) {
         ASSERT_EQ(r.FontTable().Items.size(), 2u);
         EXPECT_EQ(r.FontTable().Items[0]->Name, "Arial");
         EXPECT_EQ(r.FontTable().Items[0]->Family, rtf_ff_Swiss);
         EXPECT_EQ(r.FontTable().Items[1]->Charset, 77);
         EXPECT_EQ(Chars(r).FontIndex, 1);
     }},
    {"FontTableTextBeforeAnyFont", "{\\fonttbl\\fcharset204 Arial;\\fswiss}",
     [](TRVRTFReader& r) { EXPECT_TRUE(r.FontTable().Items.empty()); }},
    {"StyleSheet", "{\\stylesheet{\\s1\\qc Heading;}{\\s2\\sbasedon1\\snext1 Body;}{\\*\\cs3 Char;}}",
     [](TRVRTFReader& r) {
         ASSERT_EQ(r.StyleSheet().Items.size(), 3u);
         const TRVRTFStyleSheetEntry* body = r.StyleSheet().GetEntry(2);
         ASSERT_NE(body, nullptr);
         EXPECT_EQ(body->Name, "Body");
         EXPECT_EQ(body->BasedOn, r.StyleSheet().GetEntry(1));
         EXPECT_EQ(r.StyleSheet().GetEntry(3)->StyleSheetType, rtf_sst_Char);
         EXPECT_EQ(r.StyleSheet().GetEntry(1)->ParaProps.Alignment, rtf_al_Left);
     }},
    {"PlainUsesDefaultLanguage", "\\deflang1049\\b\\plain",
     [](TRVRTFReader& r) {
         EXPECT_EQ(Chars(r).Language, 1049);
         EXPECT_FALSE(Chars(r).Style.Contains(fsBold));
     }},
    {"SectionLevelOutOfRange", "{\\*\\pnseclvl0\\pnindent5}{\\*\\pnseclvl12\\pnindent5}",
     [](TRVRTFReader& r) { EXPECT_FALSE(r.State().SectionProps.HasListDefaults()); }},
    {"NumberingTakesBodyDefaults",
     "{\\*\\pnseclvl10\\pnucrm\\pnindent360}{\\*\\pnseclvl11\\pndec}{\\pn\\pnlvlbody\\pnf0{\\pntxta .}}",
     [](TRVRTFReader& r) {
         ASSERT_TRUE(Para(r).HasMarker());
         EXPECT_EQ(Para(r).MarkerProps->Level, 10);
         EXPECT_EQ(Para(r).MarkerProps->ListType, rtf_pn_UpperRoman);
         EXPECT_EQ(Para(r).MarkerProps->Indent, 360);
         EXPECT_EQ(Para(r).MarkerProps->TextAfter, ".");
     }},
    {"NumberingLevelOutOfRange", "{\\pn\\pnlvl0\\pnlvl12}",
     [](TRVRTFReader& r) { EXPECT_EQ(Para(r).MarkerProps->Level, 0); }},
    {"ListLevels",
     "{\\*\\listtable{\\list\\listid7{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}"
     "{\\listlevel\\levelnfc255{\\leveltext\\'05\\'00.;}{\\levelnumbers\\'01;}}"
     "{\\listlevel{\\leveltext;}}{\\listname Bullets;}}}"
     "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls3}}\\ls3\\ilvl1",
     [](TRVRTFReader& r) {
         ASSERT_EQ(r.ListTable().Items.size(), 1u);
         const TRVRTFList97& list = *r.ListTable().Items[0];
         EXPECT_EQ(list.Name, "Bullets;");
         ASSERT_EQ(list.Levels.size(), 3u);
         EXPECT_EQ(list.Levels[0]->ListType, rtf_pn_Bullet);
         EXPECT_EQ(list.Levels[0]->TextW, u"\u2022");
         EXPECT_EQ(list.Levels[1]->ListType, rtf_pn_Decimal);
         EXPECT_EQ(list.Levels[1]->Text, std::string("\0.;", 3)); // the length byte claims more than there is
         EXPECT_EQ(list.Levels[1]->Numbers, ";");
         EXPECT_EQ(list.Levels[2]->Text, "");
         EXPECT_EQ(Para(r).ListOverrideIndex, 0);
         EXPECT_EQ(r.ListOverrideTable().Items[0]->ListIndex, 0);
         EXPECT_EQ(Para(r).ListLevel, 1);
     }},
    {"ListTableEmptiedInsideList",
     "{\\*\\listtable{\\list{\\listtable}{\\listlevel\\levelnfc23{\\leveltext x;}}}}"
     "{\\*\\listoverridetable{\\listoverride{\\listoverridetable}{\\lfolevel\\levelstartat3}}}",
     [](TRVRTFReader& r) {
         EXPECT_TRUE(r.ListTable().Items.empty());
         EXPECT_TRUE(r.ListOverrideTable().Items.empty());
     }},
    {"UnicodeInFontTable", "{\\fonttbl{\\f0 A\\u66 ?C;}}",
     [](TRVRTFReader& r) { EXPECT_EQ(r.FontTable().Items[0]->Name, "ABC"); }},
    {"UnicodeWithoutFallbackInFontTable", "\\ansicpg1252\\uc0{\\fonttbl{\\f0 A\\u233 C;}}",
     [](TRVRTFReader& r) {
         EXPECT_EQ(r.FontTable().Items[0]->Name, "A\xE9"
                                                 "C");
     }},
    {"CodePage", "\\ansicpg1251", [](TRVRTFReader& r) { EXPECT_EQ(r.CodePage(), 1251u); }},
};

class RTFProps : public testing::TestWithParam<TPropCase> {};

TEST_P(RTFProps, ChangeTheState)
{
    TRTFRecorder recorder;
    EXPECT_EQ(recorder.Read(Cat("{\\rtf1", GetParam().Body)), rtf_ec_UnmatchedBrace);
    GetParam().Check(recorder.Reader);
}

INSTANTIATE_TEST_SUITE_P(Reader, RTFProps, testing::ValuesIn(PropCases),
                         [](const testing::TestParamInfo<TPropCase>& info) { return info.param.Name; });

TEST(RTFReaderProps, HighlightByConversion)
{
    const std::pair<TRVRTFHighlightConvert, TColor> cases[] = {
        {rtf_hl_FixedColors, 0x0000FF}, {rtf_hl_ColorTable, 0x00FF00}, {rtf_hl_Ignore, rtfNoColor}};
    for (auto [mode, expected] : cases) {
        TRTFRecorder recorder;
        recorder.Reader.ConvertHighlight = mode;
        const std::string body = "{\\colortbl;\\red1;\\red2;\\red3;\\red4;\\red5;\\green255;}\\highlight6";
        EXPECT_EQ(recorder.Read("{\\rtf1" + body), rtf_ec_UnmatchedBrace);
        EXPECT_EQ(Chars(recorder.Reader).BackColor, expected) << mode;
    }
}

// Character formatting splits runs (flushing before the change); paragraph
// formatting does not.
TEST(RTFReaderProps, CharacterWordsSplitRuns)
{
    struct TCase {
        const char* Rtf;
        std::vector<std::string> Texts;
    } cases[] = {{"{\\rtf1 a\\b b}", {"a", "b"}},
                 {"{\\rtf1 a\\qc b}", {"ab"}},
                 {"{\\rtf1 a\\ul\\i b\\plain c}", {"a", "b", "c"}},
                 {"{\\rtf1 a\\li100\\sb20 b}", {"ab"}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Rtf);
        TRTFRecorder recorder;
        ASSERT_EQ(recorder.Read(c.Rtf), rtf_ec_OK);
        std::vector<std::string> texts;
        for (const TRTFRun& run : recorder.Runs)
            texts.push_back(run.Text);
        EXPECT_EQ(texts, c.Texts);
    }
    TRTFRecorder recorder;
    ASSERT_EQ(recorder.Read("{\\rtf1 a\\b b\\qc}"), rtf_ec_OK);
    ASSERT_EQ(recorder.Runs.size(), 2u);
    EXPECT_FALSE(recorder.Runs[0].Chars.Style.Contains(fsBold));
    EXPECT_TRUE(recorder.Runs[1].Chars.Style.Contains(fsBold));
    EXPECT_EQ(recorder.Runs[1].Para.Alignment, rtf_al_Center);
}

TEST(RTFReaderProps, GroupsRestoreFormatting)
{
    TRTFRecorder recorder;
    ASSERT_EQ(recorder.Read("{\\rtf1 a{\\b\\fs40 b}c}"), rtf_ec_OK);
    ASSERT_EQ(recorder.Runs.size(), 3u);
    EXPECT_TRUE(recorder.Runs[1].Chars.Style.Contains(fsBold));
    EXPECT_EQ(recorder.Runs[1].Chars.Size, 20);
    EXPECT_FALSE(recorder.Runs[2].Chars.Style.Contains(fsBold));
    EXPECT_EQ(recorder.Runs[2].Chars.Size, 12);
}

// Fonts, styles, lists and list overrides are found by number in a constant
// number of steps however many the file defines: a file of thousands, each
// used once, costs no more than its length. The first entry of a number wins.
TEST(RTFReaderProps, TablesAreFoundByNumberInAFewStepsEach)
{
    constexpr int N = 3000;
    std::string rtf = "{\\rtf1\\deff2{\\fonttbl";
    for (int i = 0; i < N; ++i)
        rtf += "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}";
    rtf += "{\\f7 Again;}}{\\stylesheet{\\s0 Normal;}";
    for (int i = 1; i < N; ++i)
        rtf += "{\\s" + std::to_string(i) + "\\sbasedon" + std::to_string(i - 1) + " S;}";
    rtf += "}{\\*\\listtable";
    for (int i = 0; i < N; ++i)
        rtf += "{\\list\\listid" + std::to_string(1000 + i) + "}";
    rtf += "}{\\*\\listoverridetable";
    for (int i = 0; i < N; ++i)
        rtf += "{\\listoverride\\listid" + std::to_string(1000 + N - 1 - i) + "\\listoverridecount0\\ls" +
               std::to_string(i + 1) + "}";
    rtf += "}";
    for (int i = 0; i < N; ++i)
        rtf += "\\pard\\ls" + std::to_string(N - i) + "\\f" + std::to_string(i) + " t\\par ";
    rtf += "\\f99999 missing}";

    TRTFRecorder recorder;
    ASSERT_EQ(recorder.Read(rtf), rtf_ec_OK);
    const TRVRTFReader& r = recorder.Reader;
    ASSERT_EQ(recorder.Runs.size(), size_t(N) + 1);
    for (int i = 0; i < N; ++i) {
        EXPECT_EQ(recorder.Runs[i].Chars.FontIndex, i) << i;
        EXPECT_EQ(recorder.Runs[i].Para.ListOverrideIndex, N - 1 - i) << i;
    }
    EXPECT_EQ(recorder.Runs[N].Chars.FontIndex, 2) << "a missing font is the default one";
    for (int i = 0; i < N; ++i)
        EXPECT_EQ(r.ListOverrideTable().Items[i]->ListIndex, N - 1 - i) << i;
    ASSERT_EQ(r.StyleSheet().Items.size(), size_t(N));
    for (int i = 1; i < N; ++i)
        EXPECT_EQ(r.StyleSheet().Items[i]->BasedOn, r.StyleSheet().Items[i - 1].get()) << i;

    EXPECT_LE(r.FontTable().GetLookupSteps(), 4 * N);
    EXPECT_LE(r.StyleSheet().GetLookupSteps(), 4 * N);
    EXPECT_LE(r.ListTable().GetLookupSteps(), 4 * N);
    EXPECT_LE(r.ListOverrideTable().GetLookupSteps(), 4 * N);
}

} // namespace
