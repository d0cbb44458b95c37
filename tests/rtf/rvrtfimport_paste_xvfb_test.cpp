// RTF pasted and inserted into an editor at the caret: the paste order of the
// clipboard's formats, RTF text merging with the caret's text, a bold run and
// a table surviving, undo taking exactly the paste back, unreadable RTF
// changing nothing. RTF that LibreOffice writes goes through the platform's
// clipboard headless and, under Xvfb, through the desktop's clipboard filled
// by xclip, as does UTF-8 text into a Unicode and an 8-bit item; what the
// editor copies is read back by xclip and LibreOffice.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/controls/clipbrd.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/uiservices.h"
#include "platform/graphics/gdiobjects.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/editinvariant.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/pumpevents.h"
#include "tests/support/rtfimport.h"
#include "tests/support/tempdir.h"
#include "tests/support/testeditdata.h"
#include "tests/support/xvfbchild.h"

namespace {

// Bold text and a 2 x 2 table, as a user would write them.
const char* const SampleHTML = "<html><body><p>Hello <b>bold</b> world</p>"
                               "<table border=\"1\"><tr><td>c11</td><td>c12</td></tr>"
                               "<tr><td>c21</td><td>c22</td></tr></table><p>after</p></body></html>";

// LibreOffice's RTF of SampleHTML; empty when LibreOffice is not installed.
std::string LibreOfficeRTF(TempDir& dir)
{
    if (!LibreOfficeAvailable())
        return std::string();
    LibreOfficeConvert(dir.Path(), "rtf:Rich Text Format", dir.File("out"),
                       {dir.Write("sample.html", SampleHTML)});
    return dir.Read(dir.File("out/sample.rtf"));
}

// An item's text, Unicode text by its ASCII letters.
AnsiString ItemText(TCustomRVData& d, int i)
{
    const AnsiString& text = d.GetItemText(i);
    if (!d.GetItemOptions(i).Contains(rvioUnicode))
        return text;
    AnsiString out;
    for (size_t k = 0; k + 1 < text.size(); k += 2)
        out += text[k + 1] == 0 ? text[k] : '?';
    return out;
}

// The document's paragraphs as text, a table as "[table]".
std::vector<AnsiString> Paragraphs(TCustomRVData& d)
{
    std::vector<AnsiString> out;
    for (int i = 0; i < d.GetItemCount(); ++i) {
        if (i == 0 || d.IsParaStart(i))
            out.emplace_back();
        out.back() += d.GetItemStyle(i) == rvsTable ? AnsiString("[table]") : ItemText(d, i);
    }
    return out;
}

// Whether the editor holds "bold" in a bold text style, a 2 x 2 table with the
// cells' texts, and Hello before it.
void ExpectBoldAndTable(TRVEditRVData& d)
{
    bool bold = false;
    bool hello = false;
    TRVTableItemInfo* table = nullptr;
    for (int i = 0; i < d.GetItemCount(); ++i) {
        if (auto* t = dynamic_cast<TRVTableItemInfo*>(d.GetItem(i)))
            table = t;
        if (d.GetItemStyle(i) < 0)
            continue;
        const AnsiString text = ItemText(d, i);
        hello = hello || text.find("Hello") != AnsiString::npos;
        if (text.find("bold") != AnsiString::npos)
            bold = d.GetRVStyle()->TextStyles()->Items(d.GetItemStyle(i))->Style().Contains(fsBold);
    }
    EXPECT_TRUE(hello);
    EXPECT_TRUE(bold);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(RTFTableSummary(*table), "[2x2: c11 / c12 | c21 / c22]");
}

class RTFPaste : public TEditFixture {
protected:
    RTFPaste()
    {
        RV_RegisterRTFImport();
        TRVRTFReaderProperties* props = Editor.Edit->GetRTFReadProperties();
        props->SetTextStyleMode(rvrsAddIfNeeded);
        props->SetParaStyleMode(rvrsAddIfNeeded);
        props->SetUnicodeMode(rvruMixed);
    }
    void Paste()
    {
        editinvariant::Run(*d, "paste", [&] { Editor.Edit->Paste(); });
    }
    // "abcd", laid out, the caret after "ab".
    void Start()
    {
        AddText("abcd");
        d->FormatAll();
        Caret(0, 3);
    }
};

TEST_F(RTFPaste, TheClipboardsFormatsArePastedInTheOrderRVFRTFText)
{
    Start();
    Editor.UI.SetClipboard({{"text/plain", "T"}, {"text/rtf", "{\\rtf1\\ansi R}"}});
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abRcd"}));
    Editor.UI.SetClipboard({{"text/plain", "T"},
                            {"text/rtf", "{\\rtf1\\ansi R}"},
                            {"application/x-rollview-rvf", RVFClipboardBlock(RVFOf("V"))}});
    Paste();
    EXPECT_EQ(Texts(), (std::vector<AnsiString>{"abRVcd"}));
}

TEST_F(RTFPaste, BoldAndATableSurviveAndUndoTakesExactlyThePasteBack)
{
    Start();
    const AnsiString before = editinvariant::SaveRVF(*d);
    Editor.UI.SetClipboard(
        {{"text/rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard Hello {\\b bold} world\\par"
                      "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c11\\cell c12\\cell\\row"
                      "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c21\\cell c22\\cell\\row"
                      "\\pard after}"}});
    Paste();
    ExpectBoldAndTable(*d);
    EXPECT_EQ(Paragraphs(*d), (std::vector<AnsiString>{"abHello bold world", "[table]", "aftercd"}));
    d->Undo();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

TEST_F(RTFPaste, UnreadableRTFChangesNothing)
{
    Start();
    const AnsiString before = editinvariant::SaveRVF(*d);
    for (const char* rtf : {"not RTF at all", "{\\rtf1 unclosed {\\b group", "}"}) {
        SCOPED_TRACE(rtf);
        TMemoryStream stream;
        stream.WriteBuffer(rtf, static_cast<int64_t>(strlen(rtf)));
        stream.SetPosition(0);
        EXPECT_FALSE(Editor.Edit->InsertRTFFromStreamEd(&stream));
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    }
}

TEST_F(RTFPaste, LibreOfficesRTFThroughThePlatformsClipboard)
{
    TempDir dir;
    const std::string rtf = LibreOfficeRTF(dir);
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    ASSERT_FALSE(rtf.empty());
    Start();
    const AnsiString before = editinvariant::SaveRVF(*d);
    Clipboard()->SetBuffer(RegisterClipboardFormatA("Rich Text Format"), rtf.data(), rtf.size());
    Paste();
    ExpectBoldAndTable(*d);
    EXPECT_EQ(Paragraphs(*d), (std::vector<AnsiString>{"abHello bold world", "[table]", "aftercd"}));
    d->Undo();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
}

} // namespace

// ---------------------------------------------------------------------------
// The desktop's clipboard under Xvfb

TEST(RTFPasteXvfbTest, RTFThatXclipOffersPastesAndWhatTheEditorCopiesReadsBack)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xclip").empty() || FindProgram("xdotool").empty())
        GTEST_SKIP() << "xclip or xdotool is not installed";
    TempDir dir;
    const std::string rtf = LibreOfficeRTF(dir);
    if (rtf.empty())
        GTEST_SKIP() << "LibreOffice is not installed";
    setenv("KELVOR_PASTE_RTF", dir.Write("paste.rtf", rtf).c_str(), 1);
    setenv("KELVOR_COPIED_RTF", dir.File("copied.rtf").c_str(), 1);
    const TXvfbRun run = RunUnderXvfb("RTFPasteXvfbChildTest.*");
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "pasted");
    // LibreOffice reads what the editor copied as RTF to the same text, bold kept.
    for (const char* format : {"html", "txt:Text (encoded):UTF8"})
        EXPECT_TRUE(LibreOfficeConvert(dir.Path(), format, dir.File("back"), {dir.File("copied.rtf")}))
            << format;
    // The text file starts with a byte-order mark.
    const std::string text = dir.Read(dir.File("back/copied.txt"));
    EXPECT_NE(text.find("abHello bold world"), std::string::npos) << text;
    const std::string html = dir.Read(dir.File("back/copied.html"));
    EXPECT_NE(html.find("<b>bold</b>"), std::string::npos) << html;
}

namespace {

// What another program reads from the clipboard as Target, while this
// program answers its request.
std::string ReadClipboardWithXclip(const std::string& target, const std::string& file)
{
    pid_t pid = SpawnProgram({FindProgram("xclip"), "-o", "-selection", "clipboard", "-t", target}, file);
    TProgramGuard guard{pid};
    int status = 0;
    const bool ended = WaitUntil(
        [&] {
            if (waitpid(pid, &status, WNOHANG) != pid)
                return false;
            pid = -1;
            return true;
        },
        WaitDeadlineMs, PumpEvents);
    EXPECT_TRUE(ended) << "xclip did not end";
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RTFPasteXvfbChildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        RV_RegisterRTFImport();
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 500, 300);
        Style = new TRVStyle(Form);
        Edit = new TRollViewEdit(Form);
        Edit->SetBounds(0, 0, 400, 200);
        Edit->SetStyle(Style);
        Edit->SetParent(Form);
        TRVRTFReaderProperties* props = Edit->GetRTFReadProperties();
        props->SetTextStyleMode(rvrsAddIfNeeded);
        props->SetParaStyleMode(rvrsAddIfNeeded);
        props->SetUnicodeMode(rvruMixed);
        Form->Show();
        Edit->SetFocus();
        // Focus gives an empty editor its first line: the test starts with its own.
        Edit->Clear();
        Edit->RVData->AddNL("abcd", 0, 0);
        Edit->Format();
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-paste-under-xvfb", Edit));
    }
    void TearDown() override { delete Form; }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollViewEdit* Edit = nullptr;
};

TEST_F(RTFPasteXvfbChildTest, PasteAndCopy)
{
    TRVEditRVData& d = *Edit->EditRVData();
    const char* rtfFile = getenv("KELVOR_PASTE_RTF");
    const char* copiedFile = getenv("KELVOR_COPIED_RTF");
    ASSERT_TRUE(rtfFile && copiedFile);
    CaptureOutput("xclip -selection clipboard -t text/rtf -i " + ShellQuoted(rtfFile) + " >/dev/null 2>&1");
    const unsigned rtf = RegisterClipboardFormatA("Rich Text Format");
    ASSERT_TRUE(WaitUntil([&] { return Clipboard()->HasFormat(rtf); }, WaitDeadlineMs, PumpEvents));
    d.SetCaretAtItem(0, 3, false);
    const AnsiString before = editinvariant::SaveRVF(d);
    editinvariant::Run(d, "paste", [&] {
        ASSERT_EQ(d.GetOffsetInCurItem(), 3);
        CaptureOutput("xdotool key ctrl+v");
        EXPECT_TRUE(WaitUntil([&] { return d.GetItemCount() > 2; }, WaitDeadlineMs, PumpEvents));
    });
    ExpectBoldAndTable(d);
    EXPECT_EQ(Paragraphs(d), (std::vector<AnsiString>{"abHello bold world", "[table]", "aftercd"}));
    // The first paragraph copied: the desktop reads it as UTF-8 text and as RTF.
    int last = 0;
    while (last + 1 < d.GetItemCount() && !d.IsParaStart(last + 1))
        ++last;
    d.SetSelectionBounds(0, d.GetOffsBeforeItem(0), last, d.GetOffsAfterItem(last));
    // A key pressed on the X server, as a user's keyboard does: the clipboard
    // takes its time from it. Other programs read it once the copy is handled
    // (till then the clipboard is xclip's, with no text).
    Xdo("key ctrl+c");
    ASSERT_TRUE(
        WaitUntil([&] { return Clipboard()->AsText() == "abHello bold world"; }, WaitDeadlineMs, PumpEvents))
        << Clipboard()->AsText();
    EXPECT_EQ(ReadClipboardWithXclip("text/plain", std::string(copiedFile) + ".txt"), "abHello bold world");
    EXPECT_NE(ReadClipboardWithXclip("text/rtf", copiedFile).find("\\rtf1"), std::string::npos);
    d.Deselect(nullptr, false);
    d.Undo();
    EXPECT_TRUE(editinvariant::SaveRVF(d) == before);

    // UTF-8 text that xclip offers, into a Unicode item and into an item of
    // code page 1252 (which has no U+0416).
    const std::string text = std::string(rtfFile) + ".txt";
    CaptureOutput("printf '\303\251\342\202\254\320\226' > " + ShellQuoted(text));
    CaptureOutput("xclip -selection clipboard -i " + ShellQuoted(text) + " >/dev/null 2>&1");
    // The clipboard held this program's text: it is xclip's once it holds
    // xclip's (UTF-16, little-endian).
    const AnsiString offered("\xE9\x00\xAC\x20\x16\x04\x00\x00", 8);
    AnsiString held;
    ASSERT_TRUE(WaitUntil([&] { return Clipboard()->GetAsBytes(CF_UNICODETEXT, held) && held == offered; },
                          WaitDeadlineMs, PumpEvents));
    Style->TextStyles()->Add()->SetUnicode(true);
    const int uni = Style->TextStyles()->Count() - 1;
    Style->TextStyles()->Add()->SetCharset(ANSI_CHARSET);
    const int latin = Style->TextStyles()->Count() - 1;
    for (int styleNo : {uni, latin}) {
        SCOPED_TRACE(styleNo);
        Edit->Clear();
        if (styleNo == uni)
            d.AddNLWTag(u"ab", styleNo, 0, TRVTag());
        else
            d.AddNL("ab", styleNo, 0);
        Edit->Format();
        d.SetCaretAtItem(0, 3, false);
        editinvariant::Run(d, "text", [&] {
            CaptureOutput("xdotool key ctrl+v");
            EXPECT_TRUE(WaitUntil([&] { return d.ItemLength(0) > 2; }, WaitDeadlineMs, PumpEvents));
        });
        if (styleNo == uni)
            EXPECT_EQ(d.GetItemTextW(0), u"ab\u00e9\u20ac\u0416");
        else
            EXPECT_EQ(d.GetItemText(0), "ab\xE9\x80?");
    }
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("pasted");
}

} // namespace
