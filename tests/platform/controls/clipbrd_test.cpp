// The clipboard: round trips of text, Unicode text, RTF, a private format and a
// picture through the desktop's clipboard (the offscreen one, in this process),
// the grouping of writes between Open and Close, and foreign MIME types.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/controls/clipbrd.h"
#include "platform/controls/uiservices.h"
#include "platform/core/codepages.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/scriptedui.h"

namespace {

AnsiString Bytes(std::initializer_list<int> values)
{
    AnsiString s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

class DesktopClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { Clipboard()->Clear(); }
    void TearDown() override { Clipboard()->Clear(); }
};

TEST_F(DesktopClipboardTest, TextRoundTrip)
{
    Clipboard()->SetAsText("line 1\nzwei \xC3\xA4\xE2\x82\xAC");
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
    EXPECT_FALSE(Clipboard()->HasFormat(RegisterClipboardFormat("Rich Text Format")));
    EXPECT_EQ(Clipboard()->AsText(), "line 1\nzwei \xC3\xA4\xE2\x82\xAC");

    // The platform hands out text as a zero-terminated block.
    AnsiString block;
    ASSERT_TRUE(Clipboard()->GetAsBytes(CF_TEXT, block));
    EXPECT_EQ(block, AnsiString("line 1\nzwei \xC3\xA4\xE2\x82\xAC") + '\0');
}

TEST_F(DesktopClipboardTest, TextEndsAtItsFirstZeroByte)
{
    // The copy command puts its stream with a terminating zero on the clipboard.
    const char copied[] = "first\nsecond\n\0third";
    Clipboard()->SetBuffer(CF_TEXT, copied, sizeof(copied) - 1);
    EXPECT_EQ(Clipboard()->AsText(), "first\nsecond\n");
    Clipboard()->SetAsText(AnsiString("a\0b", 3));
    EXPECT_EQ(Clipboard()->AsText(), "a");
}

TEST_F(DesktopClipboardTest, TextGoesOutWithLfLineEndsAndComesInAsOthersWroteIt)
{
    // CR LF goes out as LF, from ANSI text (UTF-8 here) and from UTF-16; a CR
    // alone is no line end the system writes. Another program's text keeps
    // its line ends.
    for (const auto& [written, lfEnded] :
         {std::pair{"first\r\nsecond\n\rb\r\r\nc\r\n\r\n", "first\nsecond\n\rb\r\nc\n\n"},
          {"\xC3\xA9\r\n\xE2\x82\xAC\n", "\xC3\xA9\n\xE2\x82\xAC\n"},
          {"a\rb\r", "a\rb\r"}}) {
        SCOPED_TRACE(written);
        Clipboard()->SetAsText(written);
        AnsiString published;
        ASSERT_TRUE(UIServices().GetClipboard("text/plain", published));
        EXPECT_EQ(published, lfEnded);
        const WideString wide = UTF8Decode(written);
        Clipboard()->SetBuffer(CF_UNICODETEXT, wide.data(), wide.size() * 2);
        ASSERT_TRUE(UIServices().GetClipboard("text/plain", published));
        EXPECT_EQ(published, lfEnded);
        UIServices().SetClipboard({{"text/plain", written}});
        EXPECT_EQ(Clipboard()->AsText(), written);
    }
}

TEST_F(DesktopClipboardTest, UnicodeTextRoundTrip)
{
    // "A€" and a character outside the basic plane, little-endian, with the terminator.
    AnsiString utf16 = Bytes({'A', 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE, 0, 0});
    Clipboard()->SetBuffer(CF_UNICODETEXT, utf16.data(), utf16.size());
    AnsiString back;
    ASSERT_TRUE(Clipboard()->GetAsBytes(CF_UNICODETEXT, back));
    EXPECT_EQ(back, utf16);
    EXPECT_EQ(Clipboard()->AsText(), "A\xE2\x82\xAC\xF0\x9F\x98\x80");

    // Written as ANSI text, read as UTF-16.
    Clipboard()->SetAsText("\xC3\xBC");
    ASSERT_TRUE(Clipboard()->GetAsBytes(CF_UNICODETEXT, back));
    EXPECT_EQ(back, Bytes({0xFC, 0, 0, 0}));
}

TEST_F(DesktopClipboardTest, RtfAndAPrivateFormatKeepTheirBytes)
{
    unsigned rtf = RegisterClipboardFormat("Rich Text Format");
    unsigned own = RegisterClipboardFormat("Kelvor Test Block");
    AnsiString rtfText = "{\\rtf1\\ansi {\\b bold}\\par\n}";
    AnsiString block = Bytes({4, 0, 0, 0, 0, 0xFF, 'R', 'V'});

    Clipboard()->Open();
    Clipboard()->SetBuffer(rtf, rtfText.data(), rtfText.size());
    Clipboard()->SetBuffer(own, block.data(), block.size());
    Clipboard()->SetAsText("plain");
    Clipboard()->Close();

    AnsiString data;
    ASSERT_TRUE(Clipboard()->GetAsBytes(rtf, data));
    EXPECT_EQ(data, rtfText);
    ASSERT_TRUE(Clipboard()->GetAsBytes(own, data));
    EXPECT_EQ(data, block);
    EXPECT_EQ(Clipboard()->AsText(), "plain");

    std::vector<unsigned> formats = Clipboard()->Formats();
    for (unsigned format : {CF_TEXT, CF_UNICODETEXT, rtf, own})
        EXPECT_NE(std::find(formats.begin(), formats.end(), format), formats.end()) << format;
}

TEST_F(DesktopClipboardTest, AWriteOutsideOpenReplacesEverything)
{
    unsigned rtf = RegisterClipboardFormat("Rich Text Format");
    Clipboard()->Open();
    Clipboard()->SetAsText("text");
    Clipboard()->SetBuffer(rtf, "{\\rtf1}", 7);
    Clipboard()->Close();
    ASSERT_TRUE(Clipboard()->HasFormat(rtf));

    Clipboard()->SetAsText("only this");
    EXPECT_FALSE(Clipboard()->HasFormat(rtf));
    EXPECT_EQ(Clipboard()->AsText(), "only this");

    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->AsText(), "");
    AnsiString data = "untouched";
    EXPECT_FALSE(Clipboard()->GetAsBytes(rtf, data));
}

TEST_F(DesktopClipboardTest, PictureRoundTrip)
{
    TBitmap bitmap;
    TPixelBuffer pixels(3, 2, 0xFFFF0000u);
    pixels.At(2, 1) = 0xFF0000FFu;
    pixels.At(0, 1) = 0x00000000u; // transparent
    bitmap.SetPixels(pixels);

    Clipboard()->Assign(&bitmap);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
    AnsiString png;
    ASSERT_TRUE(Clipboard()->GetAsBytes(CF_BITMAP, png));
    EXPECT_EQ(png.substr(1, 3), "PNG");

    TBitmap back;
    back.Assign(Clipboard());
    ASSERT_EQ(back.Width(), 3);
    ASSERT_EQ(back.Height(), 2);
    const TPinnedPixels backPixels = back.Pixels();
    EXPECT_EQ(backPixels->Pixels, pixels.Pixels);

    TPicture picture;
    picture.Assign(Clipboard());
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 3);
}

TEST(ScriptedClipboard, OpenCloseGroupsTheWritesIntoOnePublication)
{
    TScriptedUI ui;
    unsigned rvf = RegisterClipboardFormat("RollView Format");
    // The viewer's copy: clear, open, the formats one by one, close.
    Clipboard()->Clear();
    Clipboard()->Open();
    AnsiString rvfBlock = Bytes({3, 0, 0, 0, 'a', 'b', 'c'});
    Clipboard()->SetBuffer(rvf, rvfBlock.data(), rvfBlock.size());
    Clipboard()->SetAsText("abc");
    // Reading while open sees what was written so far.
    EXPECT_EQ(Clipboard()->AsText(), "abc");
    Clipboard()->Open(); // nested: only the outer Close publishes
    Clipboard()->SetBuffer(CF_UNICODETEXT, "a\0b\0c\0\0\0", 8);
    Clipboard()->Close();
    EXPECT_EQ(ui.CallsOf(TUICallKind::SetClipboard).size(), 1u); // the Clear
    Clipboard()->Close();
    Clipboard()->Close(); // unbalanced: nothing

    std::vector<TUICall> sets = ui.CallsOf(TUICallKind::SetClipboard);
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_TRUE(sets[0].Clipboard.empty());
    ASSERT_EQ(sets[1].Clipboard.size(), 2u);
    EXPECT_EQ(sets[1].Clipboard[0].Mime, "application/x-rollview-rvf");
    EXPECT_EQ(sets[1].Clipboard[0].Data, rvfBlock);
    EXPECT_EQ(sets[1].Clipboard[1].Mime, "text/plain");
    EXPECT_EQ(sets[1].Clipboard[1].Data, "abc");
}

TEST(ScriptedClipboard, ForeignAndMalformedMimeTypesAreNoFormats)
{
    TScriptedUI ui;
    ui.SetClipboard({{"application/x-other-program", "x"},
                     {"application/x-kelvor-bad_zz", "x"},
                     {"application/x-kelvor-format-99999", "x"},
                     {"application/x-kelvor-some_20name", "y"},
                     {"text/plain", "t"}});
    std::vector<unsigned> formats = Clipboard()->Formats();
    unsigned some = RegisterClipboardFormat("some name");
    EXPECT_EQ(formats, (std::vector<unsigned>{some, CF_TEXT, CF_UNICODETEXT}));
    AnsiString data;
    ASSERT_TRUE(Clipboard()->GetAsBytes(some, data));
    EXPECT_EQ(data, "y");
}

// The forms in which the desktop's programs offer metafiles.
TEST(MetafileMimes, TheFormsOfEachFormatAreKnown)
{
    const std::pair<const char*, int> cases[] = {
        {"image/x-emf", 1},
        {"image/emf", 1},
        {"application/x-openoffice-emf;windows_formatname=\"Image EMF\"", 1},
        {"Image/X-EMF", 1},
        {"image/x-wmf", 2},
        {"image/wmf", 2},
        {"application/x-openoffice-wmf;windows_formatname=\"Image WMF\"", 2},
        {"application/x-msmetafile", 2},
        {"image/png", 0},
        {"application/x-openoffice-gdimetafile;windows_formatname=\"GDIMetaFile\"", 0},
        {"image/x-emfx", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MetafileMimeKind(c.first), c.second) << c.first;
}

// A metafile is one format whichever form it comes in: the enhanced one is
// read when both are offered; written, it goes under the type of its format.
TEST(ScriptedClipboard, AMetafileIsOneFormatInEitherForm)
{
    TScriptedUI ui;
    const AnsiString Emf = metafilebuilder::TEmfBuilder(30, 20).Bytes();
    metafilebuilder::TWmfBuilder Wmf(0, 0, 96, 0);
    Wmf.Record(0x020C, {20, 50});
    const AnsiString Old = Wmf.Bytes(true, false);
    ui.SetClipboard({{"image/x-wmf", Old}, {"image/x-emf", Emf}});
    EXPECT_EQ(Clipboard()->Formats(), (std::vector<unsigned>{CF_METAFILEPICT}));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_METAFILEPICT));
    AnsiString data;
    ASSERT_TRUE(Clipboard()->GetAsBytes(CF_METAFILEPICT, data));
    EXPECT_EQ(data, Emf);
    TMetafile Metafile;
    Metafile.Assign(Clipboard());
    EXPECT_TRUE(Metafile.Enhanced());
    EXPECT_EQ(Metafile.Width(), 30);
    // An old-format one without a placeable header: the size its window gives.
    ui.SetClipboard({{"image/x-wmf", Old}});
    Metafile.Assign(Clipboard());
    EXPECT_FALSE(Metafile.Enhanced());
    EXPECT_EQ(Metafile.Width(), 50);
    EXPECT_EQ(Metafile.Height(), 20);
    ui.SetClipboard({{"image/x-wmf", "no metafile"}});
    Metafile.Assign(Clipboard());
    EXPECT_TRUE(Metafile.Empty());
    for (const AnsiString& bytes : {Emf, Old}) {
        Clipboard()->SetBuffer(CF_METAFILEPICT, bytes.data(), bytes.size());
        ASSERT_EQ(ui.ClipboardContent().size(), 1u);
        EXPECT_EQ(ui.ClipboardContent()[0].Mime, bytes == Emf ? "image/x-emf" : "image/x-wmf");
    }
}

} // namespace

// The desktop's clipboard offers a metafile in the forms LibreOffice gives
// it as the one type of its format, read from whichever form it has.
TEST_F(DesktopClipboardTest, MetafilesInOtherFormsAreOfferedAsTheirFormat)
{
    const AnsiString Emf = metafilebuilder::TEmfBuilder(30, 20).Bytes();
    const AnsiString Wmf =
        metafilebuilder::TWmfBuilder(0, 0, 96, 0).Record(0x020C, {20, 50}).Bytes(true, false);
    UIServices().SetClipboard({{"application/x-openoffice-emf;windows_formatname=\"Image EMF\"", Emf},
                               {"application/x-openoffice-wmf;windows_formatname=\"Image WMF\"", Wmf}});
    const std::vector<AnsiString> Offered = UIServices().ClipboardFormats();
    for (const char* Mime : {"image/x-emf", "image/x-wmf"})
        EXPECT_NE(std::find(Offered.begin(), Offered.end(), Mime), Offered.end()) << Mime;
    AnsiString Data;
    ASSERT_TRUE(UIServices().GetClipboard("image/x-wmf", Data));
    EXPECT_EQ(Data, Wmf);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_METAFILEPICT));
    ASSERT_TRUE(Clipboard()->GetAsBytes(CF_METAFILEPICT, Data));
    EXPECT_EQ(Data, Emf);
}
