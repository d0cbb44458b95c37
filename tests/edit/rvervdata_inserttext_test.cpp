// Text of several lines, text files and RVF documents inserted at the caret:
// the breaks of the text, numbered paragraphs, the encodings of files, and an
// RVF document put in one piece that merges with the text around it. Every
// insertion runs through the editing invariant.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "document/rvmarker.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "tests/support/editinvariant.h"
#include "tests/support/tempdir.h"
#include "tests/support/testeditdata.h"

namespace {

class Inserting : public TEditFixture {
protected:
    // The document as text: '|' starts a paragraph ("|^" with a page break),
    // '~' a line inside one, '/' another item on the same line; non-text items
    // as <code>.
    AnsiString Doc()
    {
        AnsiString out;
        for (int i = 0; i < d->GetItemCount(); ++i) {
            const TCustomRVItemInfo* item = d->GetItem(i);
            if (i > 0)
                out += item->GetSameAsPrev() ? "/" : item->GetBR() ? "~" : "|";
            if (i > 0 && d->GetPageBreaksBeforeItems(i) && !item->GetSameAsPrev())
                out += "^";
            out += d->GetItemStyle(i) < 0 ? "<" + std::to_string(d->GetItemStyle(i)) + ">" : Text(i);
        }
        return out;
    }
    // Items of one line merged where they can be: the document as a reader sees it.
    AnsiString Merged()
    {
        AnsiString s = Doc();
        AnsiString out;
        for (size_t i = 0; i < s.size(); ++i)
            if (s[i] != '/' || i == 0 || s[i - 1] == '>' || (i + 1 < s.size() && s[i + 1] == '<'))
                out += s[i];
        return out;
    }
    bool Run(const std::string& name, const std::function<bool()>& command)
    {
        bool result = false;
        editinvariant::Run(*d, name, [&] {
            d->BeginUndoSequence(rvutInsert, true);
            result = command();
        });
        return result;
    }
    AnsiString WriteFile(const std::string& name, const std::string& bytes) { return Dir.Write(name, bytes); }
    static AnsiString Raw(const std::u16string& s)
    {
        return RVU_GetRawUnicode(WideString(s.begin(), s.end()));
    }

    TempDir Dir;
};

TEST_F(Inserting, TheBreaksOfUnicodeText)
{
    struct TCase {
        std::u16string Text;
        const char* Result;
    };
    const TCase cases[] = {
        {u"X", "aXb"},
        {u"X\u2029Y", "aX|Yb"},
        {u"X\rY", "aX|Yb"},
        {u"X\nY", "aX|Yb"},
        {u"X\r\nY", "aX|Yb"},
        {u"X\n\rY", "aX|Yb"},
        {u"X\r\rY", "aX||Yb"},
        {u"X\n\nY", "aX||Yb"},
        {u"X\fY", "aX|^Yb"},
        {u"X\r\n\fY", "aX|^Yb"},
        {u"X\u2028Y", "aX/Yb"},
        {u"X\vY", "aX/Yb"},
        {std::u16string(u"X\0Y", 3), "aX/Yb"},
        {u"X\u2028\u2028Y", "aX/Yb"},
        {u"\u2028Y", "aYb"},
        {u"X\r\n", "aX|b"},
        {u"\fY", "a|^Yb"},
        {u"X\tY", "aX        Yb"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Result);
        Editor.Edit->Clear();
        AddText("ab", Uni);
        d->FormatAll();
        Caret(0, 2);
        EXPECT_TRUE(Run("InsertTextW_", [&] { return d->InsertTextW_(Raw(c.Text), false); }));
        EXPECT_EQ(Doc(), c.Result);
    }
}

TEST_F(Inserting, EightBitTextAndTheCaretOnEitherSide)
{
    AddText("ab");
    d->FormatAll();
    Caret(0, 2);
    EXPECT_TRUE(Run("InsertText_", [&] { return d->InsertText_("X\r\nYZ\nW", false); }));
    EXPECT_EQ(Doc(), "aX|YZ|Wb");
    EXPECT_EQ(CaretPos(), std::make_pair(2, 2));
    d->Undo();
    EXPECT_EQ(Doc(), "ab");
    Caret(0, 2);
    EXPECT_TRUE(Run("caret before", [&] { return d->InsertText_("X\nY", true); }));
    EXPECT_EQ(Doc(), "aX|Yb");
    EXPECT_EQ(CaretPos(), std::make_pair(0, 2));
    // Nothing to insert, an odd Unicode length.
    EXPECT_FALSE(Run("empty", [&] { return d->InsertText_("", false); }));
    const AnsiString before = editinvariant::SaveRVF(*d);
    EXPECT_THROW(d->InsertTextW_(AnsiString("abc"), false), ERollViewError);
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

TEST_F(Inserting, TextInANumberedParagraphNumbersEveryNewParagraph)
{
    AddNumbered("one");
    AddNumbered("two");
    d->FormatAll();
    Caret(1, 4);
    EXPECT_TRUE(Run("lines", [&] { return d->InsertText_("\r\nA\r\nB", false); }));
    EXPECT_EQ(Doc(), "<-11>/one|<-11>/A|<-11>/B|<-11>/two");
    std::vector<int> counters;
    for (int i = 0; i < d->GetItemCount(); ++i)
        if (d->GetItemStyle(i) == rvsListMarker)
            counters.push_back(static_cast<TRVMarkerItemInfo*>(d->GetItem(i))->Counter);
    EXPECT_EQ(counters, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(Inserting, TextFilesInEveryEncoding)
{
    struct TCase {
        const char* Name;
        std::string Bytes;
        bool Wide;
        bool Oem;
        const char* Result;
    };
    const TCase cases[] = {
        {"le-mark",
         std::string("\xFF\xFE"
                     "X\0\r\0\n\0\xE9\0",
                     10),
         true, false,
         "aX|\xC3\xA9"
         "b"},
        {"be-mark", std::string("\xFE\xFF\0X\0\r\0\n\0\xE9", 10), true, false,
         "aX|\xC3\xA9"
         "b"},
        {"le-plain", std::string("X\0\n\0Y\0", 6), true, false, "aX|Yb"},
        {"ansi", "X\r\nY\fZ", false, false, "aX|Y|^Zb"},
        {"oem", "\x82t\xE9", false, true,
         "a\xC3\xA9t\xCE\x98"
         "b"},
        {"nul", std::string("X\0Y", 3), false, false, "aX?Yb"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Editor.Edit->Clear();
        AddText("ab", Uni);
        d->FormatAll();
        Caret(0, 2);
        const AnsiString path = WriteFile(c.Name, c.Bytes);
        EXPECT_TRUE(Run(c.Name, [&] {
            return c.Wide ? d->InsertTextFromFileW(path, false) : d->InsertTextFromFile(path, c.Oem, false);
        }));
        EXPECT_EQ(Doc(), c.Result);
    }
    // An odd size and a missing file insert nothing.
    const AnsiString before = editinvariant::SaveRVF(*d);
    EXPECT_THROW(d->InsertTextFromFileW(WriteFile("odd", "abc"), false), ERollViewError);
    EXPECT_FALSE(d->InsertTextFromFile(Dir.Path() + "/missing", false, false));
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

// ---------------------------------------------------------------------------
// RVF at the caret

class InsertingRVF : public Inserting {
protected:
    bool InsertRVF(const AnsiString& rvf)
    {
        return Run("InsertRVFFromStreamEd_", [&] {
            TStringStream stream(rvf);
            return d->InsertRVFFromStreamEd_(stream);
        });
    }
};

TEST_F(InsertingRVF, OneItemOfTheSameStyleMergesIntoTheCaretsItem)
{
    const AnsiString rvf = RVFOf([](TRVEditRVData& data) { data.AddNL("XY", 0, 0); });
    AddText("abcd");
    d->FormatAll();
    Caret(0, 3);
    EXPECT_TRUE(InsertRVF(rvf));
    EXPECT_EQ(Doc(), "abXYcd");
    EXPECT_EQ(CaretPos(), std::make_pair(0, 5));
}

TEST_F(InsertingRVF, ParagraphsJoinTheCaretsParagraphAtBothEnds)
{
    const AnsiString rvf = RVFOf([&](TRVEditRVData& data) {
        data.AddNL("X", 0, Indented);
        data.AddNLWTag(u"Y", Uni, Indented, TRVTag());
        data.AddNL("Z", 0, 0);
    });
    AddText("abcd");
    d->FormatAll();
    Caret(0, 3);
    EXPECT_TRUE(InsertRVF(rvf));
    EXPECT_EQ(Merged(), "abX|Y|Zcd");
    // The first paragraph keeps the caret's paragraph style, the rest theirs.
    EXPECT_EQ(d->GetItemPara(0), 0);
    EXPECT_EQ(d->GetItemPara(d->GetItemCount() - 2), Indented);
}

TEST_F(InsertingRVF, AtTheStartOfAParagraphTheBlockTakesItsLineOver)
{
    const AnsiString rvf = RVFOf([&](TRVEditRVData& data) {
        data.AddNL("X", 0, 0);
        data.AddNL("Y", 0, 0);
    });
    AddText("first");
    AddText("second");
    d->SetPageBreaksBeforeItems(1, true);
    d->FormatAll();
    Caret(1, 1);
    EXPECT_TRUE(InsertRVF(rvf));
    EXPECT_EQ(Merged(), "first|^X|Ysecond");
}

TEST_F(InsertingRVF, AnEmptyLineGivesWayAndAPictureOrAMarkerStartsNoMidLine)
{
    const AnsiString numbered = RVFOf([&](TRVEditRVData& data) {
        data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        data.AddNL("N", 0, -1);
    });
    AddText("");
    AddText("abcd");
    d->FormatAll();
    Caret(0, 1);
    EXPECT_TRUE(InsertRVF(numbered));
    EXPECT_EQ(Doc(), "<-11>/N|abcd");
    Caret(2, 3);
    EXPECT_TRUE(InsertRVF(numbered));
    EXPECT_EQ(Doc(), "<-11>/N|ab|<-11>/Ncd");
}

TEST_F(InsertingRVF, UnreadableDataChangesNothing)
{
    AddText("abcd");
    d->FormatAll();
    Caret(0, 3);
    const int beeps = Editor.Beeps();
    const AnsiString before = editinvariant::SaveRVF(*d);
    EXPECT_FALSE(InsertRVF("this is no RVF document\n"));
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    EXPECT_EQ(Editor.Beeps(), beeps + 1);
    EXPECT_FALSE(InsertRVF(""));
}

} // namespace

namespace {

// Random pieces of random documents, copied as RVF and inserted at random
// caret places of another: the invariant holds after every insertion.
class RandomInsertion : public Inserting {
protected:
    std::mt19937 Rng;
    int Pick(int n) { return static_cast<int>(Rng() % static_cast<unsigned>(n)); }
    void Build(TRVEditRVData& data)
    {
        static const char* const words[] = {"abc", "de f", "", "line of text", "x"};
        const int paras = 1 + Pick(5);
        for (int p = 0; p < paras; ++p) {
            const int paraNo = Pick(3) == 0 ? Indented : 0;
            switch (Pick(6)) {
            case 0:
                data.SetListMarkerInfo(-1, 0, 0, 1, paraNo, false);
                data.AddNL(words[Pick(5)], 0, -1);
                break;
            case 1: {
                TCustomRVItemInfo* picture = NewPicture();
                picture->ParaNo = paraNo;
                data.AddItem(AnsiString(), picture);
                data.AddNL(words[Pick(5)], 0, -1);
                break;
            }
            case 2:
                data.AddBreak();
                break;
            case 3:
                data.AddNLWTag(u"uni", Uni, paraNo, TRVTag());
                data.AddNL(words[Pick(5)], 0, -1);
                break;
            default:
                data.AddNL(words[Pick(5)], 0, paraNo);
                break;
            }
        }
    }
    // A random place (item, offset) of Data.
    std::pair<int, int> Place(TRVEditRVData& data)
    {
        const int i = Pick(data.GetItemCount());
        const int before = data.GetOffsBeforeItem(i);
        return {i, before + Pick(data.GetOffsAfterItem(i) - before + 1)};
    }
};

TEST_F(RandomInsertion, PiecesOfDocumentsInsertedAnywhereKeepTheInvariant)
{
    const int seeds = std::getenv("KELVOR_EDIT_SEEDS") ? std::atoi(std::getenv("KELVOR_EDIT_SEEDS")) : 300;
    int inserted = 0;
    for (int seed = 0; seed < seeds; ++seed) {
        SCOPED_TRACE(seed);
        Rng.seed(static_cast<unsigned>(seed));
        const AnsiString rvf = RVFOf(
            [&](TRVEditRVData& source) {
                Build(source);
                source.FormatAll();
                const auto a = Place(source);
                const auto b = Place(source);
                source.SetSelectionBounds(a.first, a.second, b.first, b.second);
            },
            true);
        Editor.Edit->Clear();
        Build(*d);
        d->FormatAll();
        const auto at = Place(*d);
        Caret(at.first, at.second);
        inserted += Run("insert", [&] {
            TStringStream stream(rvf);
            return d->InsertRVFFromStreamEd_(stream);
        });
        // Text with breaks of every kind, the caret before or after it.
        static const char16_t* const parts[] = {u"a",  u"\r\n", u"\u2028", u"\f",
                                                u"\t", u"b c",  u"\u2029", u"\n"};
        std::u16string text;
        for (int k = Pick(6); k >= 0; --k)
            text += parts[Pick(8)];
        const auto at2 = Place(*d);
        Caret(at2.first, at2.second);
        const bool before = Pick(2) == 0;
        Run("text", [&] { return d->InsertTextW_(Raw(text), before); });
        if (::testing::Test::HasFailure()) {
            std::fprintf(stderr, "failing seed %d\n", seed);
            break;
        }
    }
    // Only an empty piece inserts nothing.
    EXPECT_GT(inserted, seeds / 2);
}

} // namespace
