// Component streaming of the style sheet: published properties with their
// defaults, collections alone (as documents store them), the legacy and
// encoded defined properties, and image lists named by tag inside documents.
#include "document/rvstyle.h"

#include <gtest/gtest.h>

#include "platform/core/colors.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/streambytes.h"

namespace {

AnsiString Text(TMemoryStream& binary)
{
    binary.SetPosition(0);
    TStringStream text;
    ObjectBinaryToText(binary, text);
    return text.DataString();
}

void FillStyle(TRVStyle& s)
{
    TFontInfo* f = s.TextStyles()->Add();
    f->SetStyleName("Odd");
    f->SetStandard(false);
    f->SetBaseStyleNo(1);
    f->SetFontName("Courier New");
    f->SetSize(13);
    f->SetCharset(RUSSIAN_CHARSET);
    f->SetStyle({fsBold, fsStrikeOut});
    f->SetStyleEx({rvfsAllCaps});
    f->SetVShift(-4);
    f->SetColor(0x123456);
    f->SetBackColor(clYellow);
    f->SetHoverColor(clRed);
    f->SetHoverBackColor(clAqua);
    f->SetJump(true);
    f->SetJumpCursor(-21);
    f->SetCharScale(80);
    f->SetCharSpacing(2);
    f->SetNextStyleNo(3);
    f->SetBiDiMode(rvbdRightToLeft);
    f->SetUnicode(true);
    f->SetProtection({rvprSticking, rvprModifyProtect});
    f->SetOptions({rvteoRTFCode});

    TParaInfo* p = s.ParaStyles()->Add();
    p->SetFirstIndent(-3);
    p->SetLeftIndent(4);
    p->SetLineSpacing(7);
    p->SetLineSpacingType(rvlsSpaceBetween);
    p->SetAlignment(rvaJustify);
    p->SetNextParaNo(0);
    p->SetOptions({rvpaoReadOnly});
    p->SetBiDiMode(rvbdLeftToRight);
    p->Border()->SetStyle(rvbThickOutside);
    p->Border()->SetColor(clNone);
    p->Border()->SetWidth(0);
    p->Border()->VisibleBorders()->SetValues(true, false, true, false);
    p->Border()->BorderOffsets()->SetAll(-2);
    p->Background()->SetColor(clSilver);
    p->Background()->BorderOffsets()->SetBottom(5);

    TRVListInfo* list = s.ListStyles()->Add();
    list->SetOneLevelPreview(true);
    TRVListLevel* level = list->Levels()->Add();
    level->SetListType(rvlstUpperAlpha);
    level->SetStartFrom(0);
    level->SetFormatString("%0:s)\x01");
    level->SetFormatStringW(u"\u2022\u00A0");
    level->SetFirstIndent(0);
    level->SetMarkerIndent(8);
    level->SetMarkerAlignment(rvmaCenter);
    level->SetOptions({rvloLegalStyleNumbering});
    level->Font()->SetName("Symbol");
    level->Font()->SetSize(12);
    level->Font()->SetCharset(SYMBOL_CHARSET);
    list->Levels()->Add();

    s.SetSpacesInTab(3);
    s.SetJumpCursor(-21);
    s.SetUseSound(false);
    s.SetFullRedraw(true);
    s.SetSelColor(clRed);
    s.SetDefUnicodeStyle(6);
    s.SetDefCodePage(1251);
}

// A document that finds image lists by their tags.
class TFakeDocument : public TPersistent, public TRVImageListProvider {
public:
    TCustomImageList* RVFImageListNeeded(int ImageListTag) override
    {
        Asked.push_back(ImageListTag);
        return ImageListTag == List.Tag() ? &List : nullptr;
    }
    TImageList List{nullptr};
    std::vector<int> Asked;
};

} // namespace

TEST(StyleStreamTest, DefaultsAreNotWritten)
{
    TRVStyle style(nullptr);
    TMemoryStream stream;
    stream.WriteComponent(&style);
    const AnsiString text = Text(stream);
    EXPECT_NE(text.find("Alignment = rvaCenter"), AnsiString::npos);
    for (const char* absent : {"Size =", "Charset", "BaseStyleNo", "Standard", "SpacesInTab", "UseSound",
                               "InvalidPicture", "JumpCursor", "Border", "LineSpacing"})
        EXPECT_EQ(text.find(absent), AnsiString::npos) << absent;
}

TEST(StyleStreamTest, RoundTripOfAWholeStyleSheet)
{
    TRVStyle style(nullptr);
    FillStyle(style);
    TMemoryStream stream;
    stream.WriteComponent(&style);
    const AnsiString text = Text(stream);
    // Identifiers where the stream has names for the values; a format string
    // with control characters is written encoded.
    for (const char* part : {"Charset = RUSSIAN_CHARSET", "JumpCursor = crHandPoint",
                             "Protection = [rvprModifyProtect, rvprSticking]", "FormatStringCode = "})
        EXPECT_NE(text.find(part), AnsiString::npos) << part;

    TRVStyle back(nullptr);
    back.TextStyles()->Clear();
    stream.SetPosition(0);
    stream.ReadComponent(&back);
    ASSERT_EQ(back.TextStyles()->Count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(back.TextStyles()->Items(i)->IsEqual(style.TextStyles()->Items(i), {})) << i;
        EXPECT_EQ(back.TextStyles()->Items(i)->StyleName(), style.TextStyles()->Items(i)->StyleName());
        EXPECT_EQ(back.TextStyles()->Items(i)->Standard(), style.TextStyles()->Items(i)->Standard());
    }
    ASSERT_EQ(back.ParaStyles()->Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(back.ParaStyles()->Items(i)->IsEqual(style.ParaStyles()->Items(i), {})) << i;
    ASSERT_EQ(back.ListStyles()->Count(), 1);
    EXPECT_TRUE(back.ListStyles()->Items(0)->IsSimpleEqual(style.ListStyles()->Items(0), false));
    const TRVListLevel* level = back.ListStyles()->Items(0)->Levels()->Items(0);
    EXPECT_EQ(level->FormatString(), "%0:s)\x01");
    EXPECT_EQ(level->FormatStringW(), u"\u2022\u00A0");
    EXPECT_EQ(level->StartFrom(), 0);
    EXPECT_FALSE(back.ListStyles()->Items(0)->Levels()->Items(1)->HasFontObject());
    EXPECT_EQ(back.SpacesInTab(), 3);
    EXPECT_FALSE(back.UseSound());
    EXPECT_EQ(back.DefCodePage(), 1251u);
}

TEST(StyleStreamTest, CollectionsAloneAsDocumentsStoreThem)
{
    TRVStyle style(nullptr);
    FillStyle(style);
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteCollection(style.ParaStyles());
    }
    ASSERT_GT(stream.Size(), 0);
    EXPECT_EQ(static_cast<const uint8_t*>(stream.Memory())[0], vaCollection);
    TRVStyle other(nullptr);
    stream.SetPosition(0);
    TReader reader(stream);
    reader.ReadCollection(other.ParaStyles());
    ASSERT_EQ(other.ParaStyles()->Count(), 3);
    EXPECT_TRUE(other.ParaStyles()->Items(2)->IsEqual(style.ParaStyles()->Items(2), {}));
}

TEST(StyleStreamTest, LegacySingleSymbolsIsRead)
{
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteValue(vaCollection);
        writer.WriteListBegin();
        writer.WriteStr("StyleName");
        writer.WriteString("Old");
        writer.WriteStr("SingleSymbols");
        writer.WriteBoolean(true);
        writer.WriteListEnd();
        writer.WriteListEnd();
    }
    TRVStyle style(nullptr);
    stream.SetPosition(0);
    TReader reader(stream);
    reader.ReadCollection(style.TextStyles());
    ASSERT_EQ(style.TextStyles()->Count(), 1);
    EXPECT_EQ(style.TextStyles()->Items(0)->StyleName(), "Old");
    EXPECT_EQ(style.TextStyles()->Items(0)->Protection(),
              (TRVProtectOptions{rvprStyleProtect, rvprDoNotAutoSwitch}));
}

TEST(StyleStreamTest, ImageListsByTagInsideDocuments)
{
    TFakeDocument document;
    document.List.SetTag(7);
    TRVStyle style(nullptr);
    TRVListLevel* level = style.ListStyles()->Add()->Levels()->Add();
    level->SetListType(rvlstImageList);
    level->SetImageList(&document.List);

    // Outside a document no tag is written.
    TStringStream plain;
    {
        TWriter writer(plain);
        writer.WriteCollection(style.ListStyles());
    }
    EXPECT_EQ(plain.DataString().find("ILTag"), AnsiString::npos);

    style.ListStyles()->SetRVData(&document);
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteCollection(style.ListStyles());
    }
    EXPECT_NE(StreamBytes(stream).find("ILTag"), AnsiString::npos);
    TRVStyle other(nullptr);
    other.ListStyles()->SetRVData(&document);
    stream.SetPosition(0);
    TReader reader(stream);
    reader.ReadCollection(other.ListStyles());
    ASSERT_EQ(other.ListStyles()->Count(), 1);
    EXPECT_EQ(document.Asked, std::vector<int>{7});
    EXPECT_EQ(other.ListStyles()->Items(0)->Levels()->Items(0)->ImageList(), &document.List);

    // A document that cannot find the list leaves the level without one.
    document.List.SetTag(8);
    TRVStyle third(nullptr);
    third.ListStyles()->SetRVData(&document);
    stream.SetPosition(0);
    TReader again(stream);
    again.ReadCollection(third.ListStyles());
    EXPECT_EQ(third.ListStyles()->Items(0)->Levels()->Items(0)->ImageList(), nullptr);
}
