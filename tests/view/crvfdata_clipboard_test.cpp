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

// "a", a face (a surrogate pair), "b", a thumb with its skin tone (two pairs,
// one character) and "c": a selection end set inside a character, by the
// program or by the mouse, takes the whole character, the end that comes
// first back to its start, the other on to its end; what is copied, in every
// format, holds whole characters only.
TEST_F(SelectionAndClipboard, ASelectionEndInsideACharacterTakesTheWholeCharacter)
{
    const int Uni = Style.AddTextStyle();
    Style.TextStyles()->Items(Uni)->SetUnicode(true);
    const std::u16string text = u"a\U0001F600b\U0001F44D\U0001F3FDc";
    D.AddNLWTag(text, Uni, 0, TRVTag());
    D.FormatAll();
    // Offsets count from 1: offset 3 is inside the face, 6 inside the thumb,
    // 7 between the thumb and its skin tone.
    const struct {
        int Start, End;
        int SnappedStart, SnappedEnd;
    } cases[] = {
        {1, 3, 1, 4}, {3, 5, 2, 5}, {5, 3, 5, 2}, {6, 10, 5, 10}, {1, 7, 1, 9}, {7, 6, 9, 5}, {3, 3, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Start << ".." << c.End);
        D.SetSelectionBounds(0, c.Start, 0, c.End);
        int startNo = -1, startOffs = -1, endNo = -1, endOffs = -1;
        D.GetSelectionBounds(startNo, startOffs, endNo, endOffs, false);
        EXPECT_EQ((std::vector<int>{startOffs, endOffs}), (std::vector<int>{c.SnappedStart, c.SnappedEnd}));
        const int from = std::min(c.SnappedStart, c.SnappedEnd) - 1;
        const std::u16string expected = text.substr(from, std::max(c.SnappedStart, c.SnappedEnd) - 1 - from);
        EXPECT_EQ(D.GetSelTextW(), expected);
        if (expected.empty())
            continue;
        D.Copy(clWindow, nullptr);
        EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT), RVU_GetRawUnicode(expected) + AnsiString(2, '\0'));
        EXPECT_EQ(Clipboard()->AsText(), UTF8Encode(expected));
        const AnsiString Block = ClipboardBytes(RegisterClipboardFormat("RollView Format"));
        ASSERT_GE(Block.size(), 4u);
        TTestRVFData Pasted(&Style);
        TStringStream In(Block.substr(4));
        TColor Color = clNone;
        ASSERT_TRUE(Pasted.LoadRVFFromStream(In, Color, nullptr, nullptr));
        ASSERT_EQ(Pasted.GetItemCount(), 1);
        EXPECT_EQ(Pasted.GetItemTextW(0), expected);
    }

    // The mouse at the places inside the face and between the thumb and its
    // skin tone: the place after the character.
    TRVCharStops stops;
    ASSERT_TRUE(D.CharStops(0, stops, true));
    for (const auto& [place, drawOffs] : {std::pair<int, int>{2, 4}, {6, 9}}) {
        SCOPED_TRACE(place);
        int drawItemNo = -1, offs = -1;
        D.FindDrawItemForSel(stops.X[static_cast<size_t>(place)], D.DrawItems[0]->Top + 1, drawItemNo, offs,
                             false);
        EXPECT_EQ(drawItemNo, 0);
        EXPECT_EQ(offs, drawOffs);
    }
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
    EXPECT_EQ(Back.Pixels().At(5, 5), 0xFFFF0000u);
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
