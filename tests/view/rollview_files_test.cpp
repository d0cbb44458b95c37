// The viewer's loading, saving and copying: RVF round trips with the colour,
// the background and the layout, saves that never leave a truncated file, RTF loading through
// the import interface (a failure keeps what was read), plain text into a
// viewer, pictures beside each HTML page, and search and copy by message.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/controls/clipbrd.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

namespace {

// A bullet that fails every writer it meets.
class TFailingItem : public TRVBulletItemInfo {
public:
    explicit TFailingItem(TCustomRVData* RVData) : TRVBulletItemInfo(RVData) { StyleNo = rvsBullet; }
    void SaveRVF(TStream&, TCustomRVData*, int, int, const AnsiString&, TRVMultiDrawItemPart*, bool) override
    {
        throw EWriteError("no room");
    }
    void SaveRTF(TStream&, TCustomRVData*, int, const AnsiString&, double, int, TRVColorList*,
                 TRVIntegerList*, TRVIntegerList*, TRVIntegerList*, TRVRTFFontTable*) override
    {
        throw EWriteError("no room");
    }
    void SaveToHTML(TStream&, TCustomRVData*, int, const AnsiString&, const AnsiString&, const AnsiString&,
                    int&, TColor, TRVSaveOptions, bool, TRVList*) override
    {
        throw EWriteError("no room");
    }
    AnsiString AsText(int, TCustomRVData*, const AnsiString&, const AnsiString&, bool, bool) override
    {
        throw EWriteError("no room");
    }
};

// An RTF converter that appends one line, then reports Result.
class TFakeConverter : public TRVRTFConverter {
public:
    explicit TFakeConverter(TRVRTFErrorCode AResult) : Result(AResult) {}
    TRVRTFErrorCode ReadFromStream(TRVRTFReaderProperties&, TStream&, TCustomRVData* RVData) override
    {
        RVData->AddNL("imported", 0, 0);
        return Result;
    }
    TRVRTFErrorCode Result;
};

class ViewerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetACP(CP_UTF8);
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Style = new TRVStyle(Form);
        View = NewView();
        Clipboard()->Clear();
    }
    void TearDown() override
    {
        Form->Free();
        Clipboard()->Clear();
        SetACP(0);
    }
    TRollView* NewView()
    {
        auto* V = new TRollView(Form);
        V->SetBounds(0, 0, 300, 200);
        V->SetStyle(Style);
        V->SetParent(Form);
        Form->Show();
        return V;
    }
    static AnsiString Text(TRollView* V)
    {
        TStringStream s;
        V->SaveTextToStream("", &s, 80, false, false);
        return s.DataString();
    }

    TempDir Dir;
    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollView* View = nullptr;
};

TEST_F(ViewerFiles, RvfRoundTripKeepsColourBackgroundAndLayout)
{
    const TRVFOptions Options =
        View->RVFOptions() + TRVFOptions{rvfoSaveBack, rvfoLoadBack, rvfoSaveLayout, rvfoLoadLayout};
    View->SetRVFOptions(Options);
    View->AddNL("first line", 0, 0);
    View->AddNL("second line", 0, 0);
    View->SetColor(0x123456);
    TBitmap Picture;
    Picture.SetSize(4, 3);
    View->SetBackBitmap(&Picture);
    View->SetBackgroundStyle(bsTiled);
    View->SetLeftMargin(11);
    View->SetMaxTextWidth(250);
    const std::string File = Dir.File("doc.rvf");
    ASSERT_TRUE(View->SaveRVF(File, false));

    TRollView* Loaded = NewView();
    Loaded->SetRVFOptions(Options);
    ASSERT_TRUE(Loaded->LoadRVF(File));
    Loaded->Format();
    EXPECT_EQ(Text(Loaded), "first line\r\nsecond line");
    EXPECT_EQ(Loaded->Color(), 0x123456);
    EXPECT_EQ(Loaded->GetBackgroundStyle(), bsTiled);
    ASSERT_NE(Loaded->GetBackBitmap(), nullptr);
    EXPECT_EQ(Loaded->GetBackBitmap()->Width(), 4);
    EXPECT_TRUE(Loaded->FullRedrawOnScroll()); // a tiled picture fixed to the window
    EXPECT_EQ(Loaded->LeftMargin(), 11);
    EXPECT_EQ(Loaded->MaxTextWidth(), 250);
}

TEST_F(ViewerFiles, AnImplausibleLayoutInAFileIsNotApplied)
{
    const TRVFOptions Options = View->RVFOptions() + TRVFOptions{rvfoSaveLayout, rvfoLoadLayout};
    View->SetRVFOptions(Options);
    View->AddNL("text", 0, 0);
    View->SetLeftMargin(INT32_MAX);
    View->SetRightMargin(INT32_MAX);
    TStringStream Stream;
    ASSERT_TRUE(View->SaveRVFToStream(&Stream, false));
    Stream.SetPosition(0);
    TRollView* Loaded = NewView();
    Loaded->SetRVFOptions(Options);
    ASSERT_TRUE(Loaded->LoadRVFFromStream(&Stream));
    EXPECT_EQ(Loaded->LeftMargin(), 5);
    EXPECT_EQ(Loaded->RightMargin(), 5);
    Loaded->Format(); // laid out without overflowing
    EXPECT_EQ(Text(Loaded), "text");
}

TEST_F(ViewerFiles, AFailedSaveLeavesTheOldFileAsItWas)
{
    View->AddNL("text", 0, 0);
    View->AddItem("x", new TFailingItem(View->RVData));
    const std::string File = Dir.Write("old.doc", "old content");
    EXPECT_FALSE(View->SaveRVF(File, false));
    EXPECT_FALSE(View->SaveRTF(File, false));
    EXPECT_FALSE(View->SaveHTML(File, "t", "img", {}));
    EXPECT_FALSE(View->SaveHTMLEx(File, "t", "img", "", "", "", {}));
    EXPECT_FALSE(View->SaveText(File, 80));
    EXPECT_EQ(Dir.Read("old.doc"), "old content");
}

TEST_F(ViewerFiles, RtfLoadsThroughTheImportInterfaceAndAFailureKeepsWhatWasRead)
{
    View->AddNL("before", 0, 0);
    // No import installed: nothing read, and the answer says so.
    const TRVRTFConverterFactory Previous = RVSetRTFConverterFactory(nullptr);
    TStringStream Rtf("{\\rtf1 x}");
    EXPECT_FALSE(View->LoadRTFFromStream(&Rtf));
    EXPECT_EQ(View->GetLineCount(), 1);

    TRVRTFErrorCode Code = rtf_ec_UnmatchedBrace;
    RVSetRTFConverterFactory([&Code] { return std::make_unique<TFakeConverter>(Code); });
    EXPECT_FALSE(View->LoadRTFFromStream(&Rtf));
    EXPECT_EQ(Text(View), "before\r\nimported");
    Code = rtf_ec_OK;
    const std::string File = Dir.Write("doc.rtf", "{\\rtf1 x}");
    EXPECT_TRUE(View->LoadRTF(File));
    EXPECT_EQ(View->GetLineCount(), 3);
    EXPECT_EQ(View->GetRTFReadProperties()->BasePath, Dir.Path() + "/");
    EXPECT_FALSE(View->LoadRTF(Dir.File("missing.rtf")));
    RVSetRTFConverterFactory(Previous);
}

TEST_F(ViewerFiles, EveryHtmlPageGetsItsOwnPictures)
{
    TImageList Images(nullptr, 4, 4);
    Images.AddPixels(TPixelBuffer(4, 4, 0xFF0000FFu));
    View->AddBulletEx("b", 0, &Images, 0);
    const std::string First = Dir.File("a"), Second = Dir.File("b");
    ASSERT_TRUE(ForceDirectories(First) && ForceDirectories(Second));
    TStringStream Page1, Page2;
    ASSERT_TRUE(View->SaveHTMLToStream(&Page1, First + "/", "t", "pic", {}));
    ASSERT_TRUE(View->SaveHTMLToStream(&Page2, Second + "/", "t", "pic", {}));
    EXPECT_TRUE(FileExists(First + "/pic1.jpg"));
    EXPECT_TRUE(FileExists(Second + "/pic2.jpg"));
    EXPECT_NE(Page2.DataString().find("pic2.jpg"), AnsiString::npos);
}

TEST_F(ViewerFiles, SearchAndCopyThroughTheViewer)
{
    View->AddNL("one two", 0, 0);
    View->AddNL("twofold two", 0, 0);
    View->Format();
    int Copies = 0;
    View->OnCopy = [&Copies](TObject*) { ++Copies; };

    ASSERT_TRUE(View->SearchText("TWO", {rvsroDown, rvsroWholeWord}));
    ASSERT_TRUE(View->SearchText("TWO", {rvsroDown, rvsroWholeWord}));

    // Ctrl+C reaches the document as WM_COPY.
    SendMessage(View->Handle(), WM_COPY, 0, 0);
    EXPECT_EQ(Copies, 1);
    EXPECT_EQ(Clipboard()->AsText(), "two");
    EXPECT_TRUE(Clipboard()->HasFormat(RegisterClipboardFormat("RollView Format")));
    EXPECT_TRUE(Clipboard()->HasFormat(RegisterClipboardFormat("Rich Text Format")));
}

} // namespace
