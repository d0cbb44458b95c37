// The selection of a laid-out document as text and as a picture, and copies to
// the desktop's clipboard (the offscreen one, in this process) read back in
// every format: text, Unicode text, the picture, RTF and the RVF block.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/controls/clipbrd.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/testrvfdata.h"

namespace {

// A document that counts its copy events.
class TCopyData : public TTestRVFData {
public:
    using TTestRVFData::TTestRVFData;
    bool IsAssignedCopy() override { return CopyAssigned; }
    void DoCopy() override { ++Copies; }
    bool CopyAssigned = false;
    int Copies = 0;
};

TBitmap* NewBitmap(int Width, int Height)
{
    auto* Bitmap = new TBitmap;
    Bitmap->SetSize(Width, Height);
    Bitmap->Canvas()->Brush()->SetColor(clRed);
    Bitmap->Canvas()->FillRect(Rect(0, 0, Width, Height));
    return Bitmap;
}

AnsiString ClipboardBytes(unsigned Format)
{
    AnsiString Data;
    return Clipboard()->GetAsBytes(Format, Data) ? Data : AnsiString("<none>");
}

class SelectionAndClipboard : public ::testing::Test {
protected:
    SelectionAndClipboard()
    {
        SetACP(CP_UTF8);
        D.Options = {rvoAllowSelection, rvoAutoCopyText, rvoAutoCopyRVF, rvoAutoCopyImage, rvoAutoCopyRTF};
        Clipboard()->Clear();
    }
    ~SelectionAndClipboard() override
    {
        Clipboard()->Clear();
        SetACP(0);
    }

    TRVStyle Style{nullptr};
    TCopyData D{&Style};
};

TEST_F(SelectionAndClipboard, SelectedTextStartsAndEndsInsideItemsAcrossBreaksAndListMarkers)
{
    TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
    Level->SetListType(rvlstDecimal);
    Level->SetFormatString("%0:s.");
    D.AddNL("alpha beta", 0, 0);
    D.AddBreak();
    D.AddNL("first", 0, 0);
    D.AddNL("second", 0, 0);
    ASSERT_EQ(D.SetListMarkerInfo(3, 0, 0, 1, 0, false), 3); // items: text, break, text, marker, text
    D.FormatAll();

    // Text only: the break and the list number are no text.
    D.SetSelectionBounds(0, 7, 4, 4);
    EXPECT_EQ(D.GetSelText(false), "beta\r\n\r\nfirst\r\nsec");
    EXPECT_EQ(D.GetSelTextW(), u"beta\r\n\r\nfirst\r\nsec");
    D.SetSelectionBounds(4, 2, 4, 5);
    EXPECT_EQ(D.GetSelText(false), "eco");

    // The writer saves the selection alone.
    TStringStream Rvf;
    ASSERT_TRUE(D.SaveRVFToStream(Rvf, true, clNone, nullptr, nullptr));
    EXPECT_EQ(Rvf.DataString().find("alpha"), AnsiString::npos);
    EXPECT_NE(Rvf.DataString().find("eco"), AnsiString::npos);
}

TEST_F(SelectionAndClipboard, TheSelectedImageIsOnePictureEvenWithEmptyEndsInItsNeighbours)
{
    D.AddNL("left", 0, 0);
    TBitmap* Picture = NewBitmap(12, 8);
    D.AddPictureEx("pic", Picture, -1, rvvaBaseline);
    D.AddNL("right", 0, -1);
    D.FormatAll();

    D.SetSelectionBounds(1, 0, 1, 1);
    EXPECT_EQ(D.GetSelectedImage(), Picture);
    D.SetSelectionBounds(0, 5, 2, 1); // zero-width parts of both neighbours
    EXPECT_EQ(D.GetSelectedImage(), Picture);
    D.SetSelectionBounds(0, 4, 2, 1); // one character of text too
    EXPECT_EQ(D.GetSelectedImage(), nullptr);
}

TEST_F(SelectionAndClipboard, CopyPutsEveryFormatAndEachReadsBack)
{
    const int Uni = Style.AddTextStyle();
    Style.TextStyles()->Items(Uni)->SetUnicode(true);
    D.AddNL("plain ", 0, 0);
    D.AddNLWTag(u"\u043C\u0438\u0440 \U0001D11E", Uni, -1, TRVTag());
    D.FormatAll();
    D.SetSelectionBounds(0, 3, 1, 7);

    D.Copy(clWindow, nullptr);
    EXPECT_EQ(D.Copies, 1);
    EXPECT_EQ(Clipboard()->AsText(), u8"ain \u043C\u0438\u0440 \U0001D11E");
    const AnsiString Wide = ClipboardBytes(CF_UNICODETEXT);
    EXPECT_EQ(Wide, RVU_GetRawUnicode(u"ain \u043C\u0438\u0440 \U0001D11E") + AnsiString(2, '\0'));

    EXPECT_TRUE(Clipboard()->HasFormat(RegisterClipboardFormat("Rich Text Format")));

    // The block: its size less 4, then the selection's RVF, which reads back.
    const AnsiString Block = ClipboardBytes(RegisterClipboardFormat("RollView Format"));
    ASSERT_GE(Block.size(), 4u);
    uint32_t Length = 0;
    for (int i = 3; i >= 0; --i)
        Length = Length << 8 | static_cast<uint8_t>(Block[i]);
    EXPECT_EQ(Length, Block.size() - 4);
    TTestRVFData Pasted(&Style);
    TStringStream In(Block.substr(4));
    TColor Color = clNone;
    ASSERT_TRUE(Pasted.LoadRVFFromStream(In, Color, nullptr, nullptr));
    ASSERT_EQ(Pasted.GetItemCount(), 2);
    EXPECT_EQ(Pasted.GetItemTextA(0), "ain ");
    EXPECT_EQ(Pasted.GetItemTextW(1), u"\u043C\u0438\u0440 \U0001D11E");

    // Text only: no picture goes with it.
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
}

TEST_F(SelectionAndClipboard, APictureGoesToTheClipboardAsAPicture)
{
    D.AddPictureEx("pic", NewBitmap(12, 8), 0, rvvaBaseline);
    D.FormatAll();
    D.SetSelectionBounds(0, 0, 0, 1);
    D.CopyImage();
    ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap Back;
    Back.Assign(Clipboard());
    EXPECT_EQ(Back.Width(), 12);
    EXPECT_EQ(Back.Height(), 8);
    EXPECT_EQ(Back.Pixels()->At(5, 5), 0xFFFF0000u);
}

TEST_F(SelectionAndClipboard, CopyDefWritesTheChosenFormatsAndSaysWhetherCopyingIsWanted)
{
    D.AddNL("some text", 0, 0);
    D.FormatAll();
    Clipboard()->SetAsText("before");

    // Without a selection nothing changes, but copying is still wanted.
    EXPECT_TRUE(D.CopyDef(clWindow, nullptr));
    EXPECT_EQ(Clipboard()->AsText(), "before");
    EXPECT_EQ(D.Copies, 0);

    D.SetSelectionBounds(0, 6, 0, 10);
    D.Options = {rvoAllowSelection, rvoAutoCopyRTF};
    EXPECT_TRUE(D.CopyDef(clWindow, nullptr));
    EXPECT_TRUE(Clipboard()->HasFormat(RegisterClipboardFormat("Rich Text Format")));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT)); // the old text went with the clearing
    EXPECT_FALSE(Clipboard()->HasFormat(RegisterClipboardFormat("RollView Format")));

    D.Options = {rvoAllowSelection};
    Clipboard()->SetAsText("before");
    EXPECT_FALSE(D.CopyDef(clWindow, nullptr));
    EXPECT_EQ(Clipboard()->AsText(), "before");
    D.CopyAssigned = true;
    EXPECT_TRUE(D.CopyDef(clWindow, nullptr));
    EXPECT_EQ(D.Copies, 2);
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT)); // OnCopy alone: emptied for the handler
}

} // namespace
