// The editor's clipboard on scripted UI services: which format a paste takes,
// the RVF block's length, text in Unicode and 8-bit styles, pictures, cutting,
// copy and paste giving the document back, refusals, the edit control's
// messages and the base path of "HTML Format". Every command runs through the
// editing invariant.
#include <gtest/gtest.h>

#include <cstring>

#include "document/rvitem_pictures.h"
#include "platform/controls/clipbrd.h"
#include "platform/controls/messages.h"
#include "platform/core/streams.h"
#include "platform/graphics/metafile.h"
#include "tests/support/editinvariant.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/testeditdata.h"

namespace {

const char* const RVFMime = "application/x-rollview-rvf";

class Clipboards : public TEditFixture {
protected:
    void Paste()
    {
        Run("paste", [&] { Editor.Edit->Paste(); });
    }
    // "abcd", laid out, the caret after "ab".
    void Start(int styleNo = 0)
    {
        AddText("abcd", styleNo);
        d->FormatAll();
        Caret(0, 3);
    }
};

TEST_F(Clipboards, PasteTakesTheFirstFormatInTheOrderRVFThenTextThenPicture)
{
    Start();
    Editor.UI.SetClipboard({{"text/plain", "T"}, {RVFMime, RVFClipboardBlock(RVFOf("R"))}});
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abRcd"}));
    // Text before a picture.
    TBitmap bitmap;
    bitmap.SetSize(4, 3);
    Clipboard()->Open();
    Clipboard()->Assign(&bitmap);
    Clipboard()->SetAsText("P");
    Clipboard()->Close();
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abRPcd"}));
    Editor.UI.SetClipboard({Editor.UI.ClipboardContent()[0]});
    ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abRP", "<-3>", "cd"}));
}

// A metafile comes last, after a picture; an enhanced one is preferred to an
// old-format one; an old-format one without a placeable header takes the
// window its records set; either shows at its own size; one that cannot be
// read beeps and inserts nothing.
TEST_F(Clipboards, AMetafileIsPastedWhenNothingBeforeItIsOffered)
{
    using namespace metafilebuilder;
    Start();
    TEmfBuilder emf(60, 30);
    emf.Record(39, {1, 0, 0x0000FF, 0}).Record(37, {1}).Record(43, {0, 0, 60, 30});
    TWmfBuilder wmf(0, 0, 96, 1);
    wmf.Record(0x020B, {0, 0}).Record(0x020C, {40, 80}); // a window of 80 x 40
    wmf.Record(0x041B, {40, 80, 0, 0});
    const AnsiString Emf = emf.Bytes(), Wmf = wmf.Bytes(true, false);
    EXPECT_EQ(Editor.Edit->Perform(EM_CANPASTE, CF_METAFILEPICT, 0), 0);
    Editor.UI.SetClipboard({{"image/x-wmf", Wmf}, {"image/x-emf", Emf}});
    EXPECT_TRUE(Editor.Edit->CanPaste());
    EXPECT_EQ(Editor.Edit->Perform(EM_CANPASTE, CF_METAFILEPICT, 0), 1);
    EXPECT_EQ(Editor.Edit->Perform(EM_CANPASTE, CF_BITMAP, 0), 0);
    Paste();
    ASSERT_EQ(Texts(), (std::vector<AnsiString>{"ab", "<-3>", "cd"}));
    auto* Item = static_cast<TRVGraphicItemInfo*>(d->GetItem(1));
    auto* Pasted = dynamic_cast<TMetafile*>(Item->Image());
    ASSERT_NE(Pasted, nullptr);
    EXPECT_TRUE(Pasted->Enhanced());
    EXPECT_EQ(Item->ImageWidth, 60);
    EXPECT_EQ(Item->ImageHeight, 30);

    Editor.UI.SetClipboard({{"image/x-wmf", Wmf}});
    Caret(2, 3);
    Paste();
    ASSERT_EQ(Texts(), (std::vector<AnsiString>{"ab", "<-3>", "cd", "<-3>"}));
    Item = static_cast<TRVGraphicItemInfo*>(d->GetItem(3));
    Pasted = dynamic_cast<TMetafile*>(Item->Image());
    ASSERT_NE(Pasted, nullptr);
    EXPECT_FALSE(Pasted->Enhanced());
    EXPECT_EQ(Item->ImageWidth, 80);
    EXPECT_EQ(Item->ImageHeight, 40);

    // A picture comes first; a metafile that cannot be read is refused.
    TBitmap Bitmap;
    Bitmap.SetSize(4, 3);
    Clipboard()->Assign(&Bitmap);
    Editor.UI.SetClipboard({Editor.UI.ClipboardContent()[0], {"image/x-emf", Emf}});
    Paste();
    EXPECT_EQ(dynamic_cast<TBitmap*>(static_cast<TRVGraphicItemInfo*>(d->GetItem(4))->Image()) != nullptr,
              true);
    const AnsiString Before = editinvariant::SaveRVF(*d);
    const int Beeps = Editor.Beeps();
    Editor.UI.SetClipboard({{"image/x-wmf", "no metafile"}});
    Paste();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == Before);
    EXPECT_EQ(Editor.Beeps(), Beeps + 1);
}

TEST_F(Clipboards, TheRVFBlockIsReadToItsLengthAndABadLengthIsRefused)
{
    Start();
    const AnsiString rvf = RVFOf("XY");
    // Bytes after the N bytes of RVF are not read.
    Editor.UI.SetClipboard({{RVFMime, RVFClipboardBlock(rvf, rvf.size(), "0 garbage that is no RVF\r\n")}});
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abXYcd"}));
    const AnsiString before = editinvariant::SaveRVF(*d);
    const int beeps = Editor.Beeps();
    for (uint32_t length : {uint32_t(rvf.size() + 1), uint32_t(0xFFFFFFFF), uint32_t(0x80000000)}) {
        SCOPED_TRACE(length);
        Editor.UI.SetClipboard({{RVFMime, RVFClipboardBlock(rvf, length)}});
        Paste();
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    }
    Editor.UI.SetClipboard({{RVFMime, AnsiString("\x01\x00", 2)}});
    Paste();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    EXPECT_EQ(Editor.Beeps(), beeps + 4);
}

TEST_F(Clipboards, TextGoesIntoUnicodeAndEightBitStylesByTheCodePageRules)
{
    const int latin = AddText([](TFontInfo* f) { f->SetCharset(ANSI_CHARSET); });
    Start(latin);
    // U+00E9 is in code page 1252, U+0416 is not.
    Editor.UI.SetClipboard({{"text/plain", "\xC3\xA9\xD0\x96\r\nz"}});
    Paste();
    EXPECT_EQ(d->GetItemText(0), "ab\xE9?");
    EXPECT_EQ(d->GetItemText(1), "zcd");
    Editor.Edit->Clear();
    Start(Uni);
    Paste();
    EXPECT_EQ(Text(0), "ab\xC3\xA9\xD0\x96");
    EXPECT_EQ(Text(1), "zcd");
}

TEST_F(Clipboards, CopyThenPasteGivesTheDocumentBack)
{
    AddText("first ", 0);
    AddText("second", Uni, -1);
    AddPicture(-1);
    AddText("third", 0);
    d->FormatAll();
    const AnsiString original = editinvariant::SaveRVF(*d);
    d->SetSelectionBounds(0, 3, 3, 3);
    Editor.Edit->Copy();
    Run("delete", [&] { Editor.Edit->DeleteSelection(); });
    Paste();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == original) << editinvariant::SaveRVF(*d);
}

TEST_F(Clipboards, CutCopiesAndDeletesAsOneChange)
{
    Start();
    d->SetSelectionBounds(0, 2, 0, 4);
    Run("cut", [&] { Editor.Edit->Perform(WM_CUT, 0, 0); });
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"ad"}));
    EXPECT_EQ(Clipboard()->AsText(), "bc");
    // Read-only: nothing is cut, nothing copied.
    Editor.Edit->SetReadOnly(true);
    Clipboard()->SetAsText("kept");
    d->SetSelectionBounds(0, 1, 0, 3);
    Run("cut read-only", [&] { Editor.Edit->Perform(WM_CUT, 0, 0); });
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"ad"}));
    EXPECT_EQ(Clipboard()->AsText(), "kept");
}

TEST_F(Clipboards, RefusalsAndOnPasteChangeNothing)
{
    Start();
    Clipboard()->SetAsText("x");
    int asked = 0;
    Editor.Edit->OnChanging = [&](TCustomRollViewEdit*, bool&) { ++asked; };
    Editor.Edit->OnPaste = [](TCustomRollViewEdit*, bool& doDefault) { doDefault = false; };
    Paste();
    EXPECT_EQ(asked, 1);
    Editor.Edit->OnPaste = nullptr;
    Editor.Edit->OnChanging = [](TCustomRollViewEdit*, bool& canEdit) { canEdit = false; };
    Paste();
    Editor.Edit->OnChanging = nullptr;
    Editor.Edit->SetReadOnly(true);
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abcd"}));
    EXPECT_EQ(Editor.Edit->Perform(EM_CANPASTE, 0, 0), 0);
}

TEST_F(Clipboards, CanPasteAnswersByFormat)
{
    const unsigned rtf = RegisterClipboardFormatA("Rich Text Format");
    const unsigned rvf = RegisterClipboardFormatA("RollView Format");
    struct TCase {
        std::vector<TClipboardItem> Content;
        std::vector<std::pair<unsigned, int>> Answers;
    };
    const TCase cases[] = {
        {{}, {{0, 0}, {CF_TEXT, 0}, {rtf, 0}}},
        {{{"text/plain", "t"}}, {{0, 1}, {CF_TEXT, 1}, {CF_UNICODETEXT, 1}, {CF_BITMAP, 0}, {rvf, 0}}},
        {{{"text/rtf", "{\\rtf1 x}"}}, {{0, 1}, {rtf, 1}, {rvf, 0}, {CF_TEXT, 0}}},
        {{{RVFMime, "\0\0\0\0"}}, {{0, 1}, {rvf, 1}, {rtf, 0}}},
        {{{"text/html", "<b>x</b>"}}, {{0, 0}, {CF_METAFILEPICT, 0}, {12345, 0}}},
    };
    for (const TCase& c : cases) {
        Editor.UI.SetClipboard(c.Content);
        for (const auto& answer : c.Answers) {
            SCOPED_TRACE(answer.first);
            EXPECT_EQ(Editor.Edit->Perform(EM_CANPASTE, answer.first, 0), answer.second);
        }
    }
}

TEST_F(Clipboards, TheBasePathOfTheSourceURLIsParsedAsAURL)
{
    const std::pair<const char*, const char*> cases[] = {
        {"SourceURL:file:///home/me/My%20Pages/page.html\r\n", "/home/me/My Pages/"},
        {"SourceURL:file://localhost/srv/page.html", "/srv/"},
        {"SourceURL:http://example.com/docs/page.html?x=1#top\r\n", "http://example.com/docs/"},
        {"SourceURL:HTTPS://example.com/a/b/c.html\n", "HTTPS://example.com/a/b/"},
        {"SourceURL:https://example.com", "https://example.com/"},
        {"SourceURL:ftp://example.com/x.html", ""},
        {"Version:0.9\r\nStartHTML:1\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        Editor.UI.SetClipboard({{"text/html", c.first}});
        EXPECT_EQ(Editor.Edit->GetBasePathFromHTMLInClipboard(), c.second);
    }
    Editor.UI.SetClipboard({{"text/plain", "SourceURL:file:///x/y"}});
    EXPECT_EQ(Editor.Edit->GetBasePathFromHTMLInClipboard(), "");
}

TEST_F(Clipboards, PastedRVFKeepsTheEditorsColourAndBackground)
{
    AnsiString rvf;
    {
        THeadlessEditor other;
        other.NewEditor(&Style)->AddNL("X", 0, 0);
        other.Edit->SetColor(clRed);
        TRVFOptions options = other.Edit->RVFOptions();
        options.Include(rvfoSaveBack);
        other.Edit->SetRVFOptions(options);
        TStringStream saved;
        ASSERT_TRUE(other.Edit->SaveRVFToStream(&saved, false));
        rvf = saved.DataString();
    }
    Start();
    TRVFOptions options = Editor.Edit->RVFOptions();
    options.Include(rvfoLoadBack);
    Editor.Edit->SetRVFOptions(options);
    Editor.Edit->SetColor(clBlue);
    Editor.UI.SetClipboard({{RVFMime, RVFClipboardBlock(rvf)}});
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abXcd"}));
    EXPECT_EQ(Editor.Edit->Color(), clBlue);
}

} // namespace

namespace {

TEST_F(Clipboards, AnExceptionHalfwayThroughAPasteLeavesEverythingRecordedAndLaidOut)
{
    Start();
    const AnsiString before = editinvariant::SaveRVF(*d);
    // A handler that fails on the third item put into the document.
    int inserted = 0;
    Editor.Edit->OnItemAction = [&](TObject*, TRVItemAction action, TCustomRVItemInfo*, AnsiString&,
                                    TCustomRVData*) {
        if (action == rviaInserting && ++inserted == 3)
            throw Exception("refused");
    };
    Clipboard()->SetAsText("one\r\ntwo\r\nthree\r\nfour");
    const int beeps = Editor.Beeps();
    Editor.Edit->Paste();
    Editor.Edit->OnItemAction = nullptr;
    EXPECT_EQ(Editor.Beeps(), beeps + 1);
    editinvariant::CheckState(*d, "after the failed paste");
    EXPECT_NE(editinvariant::SaveRVF(*d), before);
    // One undo takes back what went in.
    d->Undo();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

} // namespace

namespace {

TEST_F(Clipboards, InsertionsThatInsertNothingAnswerFalseAndKeepNoStyleMaps)
{
    Start();
    const AnsiString before = editinvariant::SaveRVF(*d);
    auto stream = [](const AnsiString& bytes) {
        auto s = std::make_unique<TMemoryStream>();
        s->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        s->SetPosition(0);
        return s;
    };
    // Unreadable input.
    EXPECT_FALSE(Editor.Edit->InsertRVFFromStreamEd(stream("no RVF\n").get()));
    EXPECT_EQ(d->TextStylesMapping, nullptr);
    EXPECT_FALSE(Editor.Edit->InsertTextFromFile("/nonexistent/file.txt"));
    EXPECT_FALSE(Editor.Edit->InsertRVFFromFileEd("/nonexistent/file.rvf"));
    // RTF without the import installed (this program does not link it).
    EXPECT_FALSE(Editor.Edit->InsertRTFFromStreamEd(stream("{\\rtf1 x}").get()));
    // Refused.
    Editor.Edit->SetReadOnly(true);
    EXPECT_FALSE(Editor.Edit->InsertRVFFromStreamEd(stream(RVFOf("x")).get()));
    EXPECT_FALSE(Editor.Edit->InsertText("x"));
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    // A readable document: its maps go with its read.
    Editor.Edit->SetReadOnly(false);
    EXPECT_TRUE(Editor.Edit->InsertRVFFromStreamEd(stream(RVFOf("x")).get()));
    EXPECT_EQ(d->TextStylesMapping, nullptr);
}

} // namespace

namespace {

TEST_F(Clipboards, CopiedRTFNamesEveryHyperlinksOwnURL)
{
    const int link = AddText([](TFontInfo* f) { f->SetJump(true); });
    AddText("one", link);
    AddText(" and ", 0, -1);
    AddText("two", link, -1);
    d->FormatAll();
    // A link typed in front of them after the layout.
    Caret(0, 1);
    d->CurTextStyleNo = link;
    Run("link", [&] { Editor.Edit->InsertText("zero "); });
    Editor.Edit->OnURLNeeded = [](TObject*, int id, AnsiString& url) {
        url = "http://example.com/" + std::to_string(id);
    };
    d->SetSelectionBounds(0, 1, d->GetItemCount() - 1, d->GetOffsAfterItem(d->GetItemCount() - 1));
    Editor.Edit->CopyRTF();
    AnsiString rtf;
    ASSERT_TRUE(Clipboard()->GetAsBytes(RegisterClipboardFormatA("Rich Text Format"), rtf));
    const size_t first = rtf.find("HYPERLINK \"http://example.com/0\"");
    EXPECT_NE(first, AnsiString::npos) << rtf;
    EXPECT_NE(rtf.find("HYPERLINK \"http://example.com/1\"", first), AnsiString::npos) << rtf;
    EXPECT_EQ(rtf.find("HYPERLINK \"http://example.com/2\""), AnsiString::npos) << rtf;
    // Editing goes on without hyperlink areas.
    EXPECT_FALSE(d->GetFlags().Contains(rvflUseJumps));
}

} // namespace
