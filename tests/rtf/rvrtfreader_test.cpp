// The RTF parser as its listener sees it: the events and error codes of small
// documents, with and without the listeners that change parsing.
#include "rtf/rvrtfreader.h"

#include <gtest/gtest.h>

#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "tests/support/rtfrecorder.h"

namespace {

using Events = std::vector<std::string>;

struct TEventCase {
    const char* Name;
    const char* Rtf;
    TRVRTFErrorCode Result;
    Events Expected;
    TRTFListeners Listeners = TRTFListeners();
};

TRTFListeners NoUnicode()
{
    TRTFListeners l;
    l.Unicode = false;
    return l;
}

TRTFListeners WithMarkers()
{
    TRTFListeners l;
    l.Markers = true;
    return l;
}

TRTFListeners WithPictures()
{
    TRTFListeners l;
    l.Pictures = true;
    return l;
}

TRTFListeners WithHeaders()
{
    TRTFListeners l;
    l.HeaderFooter = true;
    l.PageBreaks = true;
    return l;
}

const TEventCase EventCases[] = {
    {"EmptyParagraphFiresOnce", "{\\rtf1 a\\par\\par b}", rtf_ec_OK, {"TP:a", "TP:", "TP:b"}},
    {"OneBreakNoEmptyRun", "{\\rtf1 a\\par b}", rtf_ec_OK, {"TP:a", "TP:b"}},
    {"LineBreak", "{\\rtf1 a\\line b}", rtf_ec_OK, {"TP:a", "TL:b"}},
    {"TextAfterCloseNotRead", "{\\rtf1 a}\\'zz trailing", rtf_ec_OK, {"TP:a"}},
    {"UnclosedDeliversText", "{\\rtf1 a\\par b", rtf_ec_UnmatchedBrace, {"TP:a", "TP:b"}},
    {"OuterCloseEndsReading", "{\\rtf1}}", rtf_ec_OK, {}},
    {"LoneClose", " }", rtf_ec_StackUnderflow, {}},
    {"InvalidHex", "{\\rtf1 a\\'zz}", rtf_ec_InvalidHex, {}},
    {"TrailingBackslash", "{\\rtf1 a\\", rtf_ec_EndOfFile, {}},
    {"UnknownStarredSkipped", "{\\rtf1 {\\*\\foo x}y}", rtf_ec_OK, {"TP:y"}},
    {"UnknownPlainDelivers", "{\\rtf1 {\\foo x}y}", rtf_ec_OK, {"TP:x", "TC:y"}},
    {"UnicodeWithFallback", "{\\rtf1\\uc1 x\\u1046?y}", rtf_ec_OK, {"TP:x", "TC:\xD0\x96", "TC:y"}},
    {"NegativeUnicode", "{\\rtf1\\u-4?}", rtf_ec_OK, {"TP:\xEF\xBF\xBC"}},
    {"NoUnicodeListenerReadsFallback", "{\\rtf1\\u1046?}", rtf_ec_OK, {"TP:?"}, NoUnicode()},
    {"FallbackSkipsControlWordAndHex", "{\\rtf1\\uc2\\u1046\\'e9\\b z}", rtf_ec_OK, {"TP:\xD0\x96", "TC:z"}},
    {"BraceEndsFallback", "{\\rtf1\\uc3{\\u1046}ab}", rtf_ec_OK, {"TP:\xD0\x96", "TC:ab"}},
    {"BinaryBytesWithBraces", "{\\rtf1{\\pict\\bin4 {}}x}y}", rtf_ec_OK, {"TP:y"}},
    {"BinaryOutsidePictureDropped", "{\\rtf1 a\\bin3 {}\\b}", rtf_ec_OK, {"TP:ab"}},
    {"BinZeroReadsNoByte", "{\\rtf1\\bin0 ab}", rtf_ec_OK, {"TP:ab"}},
    {"BinNoParameterReadsNoByte", "{\\rtf1\\fs20\\bin ab}", rtf_ec_OK, {"TP:ab"}},
    {"BackslashLineFeedIsParagraph", "{\\rtf1 a\\\nb}", rtf_ec_OK, {"TP:a", "TP:b"}},
    {"LineEndsIgnored", "{\\rtf1 a\r\nb}", rtf_ec_OK, {"TP:ab"}},
    {"TableSteps",
     "{\\rtf1\\intbl a\\cell b\\cell\\row\\pard c\\par}",
     rtf_ec_OK,
     {"Start", "TP:a", "Cell", "TP:b", "Cell", "Row", "End", "TP:c"}},
    // A cell's end closes its last paragraph: one a break began and no text
    // followed is an empty run; a cell's own start or a picture leaves none.
    {"CellEndsAnEmptyParagraph",
     "{\\rtf1\\intbl a\\par\\cell\\cell\\row}",
     rtf_ec_OK,
     {"Start", "TP:a", "TP:", "Cell", "Cell", "Row", "End"}},
    {"CellEndsAnEmptyLine",
     "{\\rtf1\\intbl a\\line\\cell}",
     rtf_ec_OK,
     {"Start", "TP:a", "TL:", "Cell", "End"}},
    {"CellAfterAPictureEndsNoRun",
     "{\\rtf1\\intbl a\\par{\\pict\\pngblip 00}\\cell}",
     rtf_ec_OK,
     {"Start", "TP:a", "Picture", "Cell", "End"},
     WithPictures()},
    {"CellEndsAnEmptyLineAfterAPicture",
     "{\\rtf1\\intbl{\\pict\\pngblip 00}\\line\\plain\\cell}",
     rtf_ec_OK,
     {"Start", "Picture", "TL:", "Cell", "End"},
     WithPictures()},
    {"NestedTableOpensTwoLevels",
     "{\\rtf1\\itap2 x\\nestcell}",
     rtf_ec_OK,
     {"Start", "Start", "TP:x", "Cell", "End", "End"}},
    {"HeaderSkippedWithoutListener", "{\\rtf1{\\header h}b}", rtf_ec_OK, {"TP:b"}},
    {"HeaderReadWithListener",
     "{\\rtf1{\\header h}b\\page c}",
     rtf_ec_OK,
     {"Header+", "TP:h", "Header-", "TP:b", "Page", "TC:c"},
     WithHeaders()},
    // The body's text before a header is reported before it, its paragraph
    // goes on after it, and a table that ends the header ends with it.
    {"HeaderBetweenPiecesOfTheBody",
     "{\\rtf1 a{\\header h\\par\\intbl t\\cell\\row}b}",
     rtf_ec_OK,
     {"TP:a", "Header+", "TC:h", "Start", "TP:t", "Cell", "Row", "End", "Header-", "TC:b"},
     WithHeaders()},
    {"TypographicAsUnicode",
     "{\\rtf1 a\\emdash\\~\\_\\-\\bullet b}",
     rtf_ec_OK,
     {"TP:a", "TC:\xE2\x80\x94\xC2\xA0\xE2\x80\x91\xE2\x80\xA2", "TC:b"}},
    {"TypographicAsAnsi",
     "{\\rtf1\\ansicpg1252 a\\emdash\\lquote\\ldblquote\\_\\-b}",
     rtf_ec_OK,
     {"TP:a-'\"-b"},
     NoUnicode()},
    {"HiddenStartFlushesEmpty", "{\\rtf1 a\\par\\v b}", rtf_ec_OK, {"TP:a", "TP:", "TC:b"}},
    {"StarredKnownDestinationRead", "{\\rtf1{\\*\\fldinst x}y}", rtf_ec_OK, {"TP:y"}},
    {"ListNameOutsideListSkipped", "{\\rtf1{\\listname n}y}", rtf_ec_OK, {"TP:y"}},
    {"MarkerUpdates",
     "{\\rtf1{\\pn\\pnlvlblt}a\\par b}",
     rtf_ec_OK,
     {"Marker", "TP:a", "Marker", "Marker", "TP:b"},
     WithMarkers()},
    {"NoMarkerNoUpdates", "{\\rtf1 a\\par b}", rtf_ec_OK, {"TP:a", "TP:b"}, WithMarkers()},
    {"LeadingBlanksAccepted", " \r\n\t{\\rtf1 a}", rtf_ec_OK, {"TP:a"}},
    {"NotRtfRefused", "hello {\\rtf1 a}", rtf_ec_FileOpenError, {}},
    {"EmptyRefused", "", rtf_ec_FileOpenError, {}},
};

class RTFEvents : public testing::TestWithParam<TEventCase> {};

TEST_P(RTFEvents, FireInOrder)
{
    const TEventCase& c = GetParam();
    TRTFRecorder recorder(c.Listeners);
    EXPECT_EQ(recorder.Read(c.Rtf), c.Result);
    EXPECT_EQ(recorder.Events, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Reader, RTFEvents, testing::ValuesIn(EventCases),
                         [](const testing::TestParamInfo<TEventCase>& info) { return info.param.Name; });

TEST(RTFReader, TableNestingIsCapped)
{
    TRTFRecorder recorder;
    ASSERT_EQ(recorder.Read("{\\rtf1\\itap1000000 x}"), rtf_ec_OK);
    Events expected(rtfMaxTableNesting, "Start");
    expected.push_back("TP:x");
    expected.insert(expected.end(), rtfMaxTableNesting, "End");
    EXPECT_EQ(recorder.Events, expected);
    EXPECT_EQ(recorder.Reader.GroupLevel(), 0);
    EXPECT_EQ(recorder.Reader.TableLevel(), 0);
}

TEST(RTFReader, SymbolFieldCodes)
{
    struct TCase {
        const char* Code;
        bool Unicode;
        std::string Text;
    } cases[] = {{"65", true, "A"}, {"1046", true, "\xD0\x96"}, {"1046", false, ""}, {"0x41", false, "A"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Code) + (c.Unicode ? " unicode" : " ansi"));
        TRTFListeners listeners;
        listeners.Unicode = c.Unicode;
        TRTFRecorder recorder(listeners);
        const std::string rtf = std::string("{\\rtf1{\\field{\\*\\fldinst SYMBOL ") + c.Code +
                                " \\\\f \"Symbol\" \\\\s 10}{\\fldrslt x}}}";
        EXPECT_EQ(recorder.Read(rtf), rtf_ec_OK);
        EXPECT_EQ(recorder.Text(), c.Text + "x");
        for (const TRTFRun& run : recorder.Runs) {
            // The symbol in its own font and size, the field result in the document's.
            const bool symbol = run.Text != "x";
            EXPECT_EQ(run.Chars.FontName, symbol ? "Symbol" : "");
            EXPECT_EQ(run.Chars.Size, symbol ? 10 : 12);
        }
    }
}

TEST(RTFReader, ByteThatDoesNotConvertKeepsTheRest)
{
    TRTFRecorder recorder;
    // 0x98 is undefined in code page 1251; the other bytes convert.
    ASSERT_EQ(recorder.Read("{\\rtf1\\ansicpg1251 \\'c0\\'98\\'c1}"), rtf_ec_OK);
    const WideString text = recorder.Reader.AnsiToUnicode("\xC0\x98\xC1", 1251);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0], u'\u0410');
    EXPECT_EQ(text[2], u'\u0411');
}

TEST(RTFReader, SymbolFontsTakeTheirOwnBytes)
{
    EXPECT_EQ(RVRTFUnicodeToAnsi(u"\u2022\uF0B7\uF061a 1", CP_SYMBOL), "\xB7\xB7"
                                                                       "aa 1");
    // A character the font has no byte for, one beyond U+FFFF among them.
    EXPECT_EQ(RVRTFUnicodeToAnsi(u"\u03B1\U0001F600\uF100", CP_SYMBOL), "???");
}

TEST(RTFReader, ReadsAgainAfterClear)
{
    TRTFRecorder recorder;
    ASSERT_EQ(recorder.Read("{\\rtf1{\\fonttbl{\\f0 A;}}\\b a"), rtf_ec_UnmatchedBrace);
    recorder.Runs.clear();
    ASSERT_EQ(recorder.Read("{\\rtf1 b}"), rtf_ec_OK);
    ASSERT_EQ(recorder.Runs.size(), 1u);
    EXPECT_FALSE(recorder.Runs[0].Chars.Style.Contains(fsBold));
    EXPECT_TRUE(recorder.Reader.FontTable().Items.empty());
    // A paragraph begun at the end of one read is none of the next one's.
    ASSERT_EQ(recorder.Read("{\\rtf1 c\\par"), rtf_ec_UnmatchedBrace);
    recorder.Events.clear();
    ASSERT_EQ(recorder.Read("{\\rtf1\\intbl\\cell}"), rtf_ec_OK);
    EXPECT_EQ(recorder.Events, Events({"Start", "Cell", "End"}));
}

TEST(RTFReader, DefaultCodePageUntilTheDocumentNamesOne)
{
    TRTFRecorder recorder;
    recorder.Reader.DefCodePage = 1251;
    ASSERT_EQ(recorder.Read("{\\rtf1 \\'c0"), rtf_ec_UnmatchedBrace);
    EXPECT_EQ(recorder.Reader.CodePage(), 1251u);
    EXPECT_EQ(recorder.Text(), "\xD0\x90");
    ASSERT_EQ(recorder.Read("{\\rtf1\\ansicpg1252 \\'c0"), rtf_ec_UnmatchedBrace);
    EXPECT_EQ(recorder.Reader.CodePage(), 1252u);
    EXPECT_EQ(recorder.Runs.back().Text, "\xC3\x80");
}

TEST(RTFReader, ListenerExceptionGivesException)
{
    TRVRTFReader reader(nullptr);
    reader.OnNewText = [](TRVRTFReader*, const AnsiString&, TRVRTFPosition) { throw Exception("stop"); };
    TForwardOnlyStream stream("{\\rtf1 a}");
    EXPECT_EQ(reader.ReadFromStream(stream), rtf_ec_Exception);
}

TEST(RTFReader, ReadFromFileThatIsMissing)
{
    TRVRTFReader reader(nullptr);
    EXPECT_EQ(reader.ReadFromFile("/nonexistent/kelvor.rtf"), rtf_ec_FileOpenError);
}

} // namespace

TEST(RTFReader, BookmarksOfTheBodyComeBetweenTheirRuns)
{
    TRVRTFReader reader(nullptr);
    std::vector<std::string> seen;
    reader.OnNewText = [&](TRVRTFReader*, const AnsiString& text, TRVRTFPosition) { seen.push_back(text); };
    reader.OnBookmarkStart = [&](TRVRTFReader*, const AnsiString& name) { seen.push_back("<" + name + ">"); };
    const std::string longName(400, 'n');
    TStringStream stream("{\\rtf1 a{\\*\\bkmkstart one}b{\\*\\bkmkend one}{\\fonttbl{\\*\\bkmkstart font}}"
                         "{\\*\\bkmkstart }{\\*\\bkmkstart " +
                         longName + "}c}");
    ASSERT_EQ(reader.ReadFromStream(stream), rtf_ec_OK);
    // A bookmark outside the body, or without a name, is not reported; a long
    // name is cut to its first 255 bytes.
    const std::vector<std::string> expected = {"a", "<one>", "b", "<" + longName.substr(0, 255) + ">", "c"};
    EXPECT_EQ(seen, expected);
}
