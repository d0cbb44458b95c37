// RTF import as the document library sees it: the settings and their Assign,
// the error codes of loads without a converter, and what a converter that is
// plugged in does to the store (merging, failures, exceptions).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "tests/support/publishedprops.h"
#include "tests/support/tempdir.h"
#include "tests/support/testrvdata.h"

namespace {

// A converter for tests: appends the stream's bytes as one text item in style
// 0 (continuing the last line), then answers Result or raises.
class TFakeConverter : public TRVRTFConverter {
public:
    TRVRTFErrorCode ReadFromStream(TRVRTFReaderProperties& Properties, TStream& Stream,
                                   TCustomRVData* RVData) override
    {
        SeenTextStyleNo = Properties.TextStyleNo();
        const int64_t Size = Stream.Size() - Stream.Position();
        AnsiString s(static_cast<size_t>(Size), '\0');
        Stream.ReadBuffer(&s[0], Size);
        RVData->AddNL(s, 0, -1);
        if (Raise)
            throw EReadError("broken");
        return Result;
    }
    static inline TRVRTFErrorCode Result = rtf_ec_OK;
    static inline bool Raise = false;
    static inline int SeenTextStyleNo = -1;
};

// Installs the fake converter for one test and puts back what was there.
class RTFImportTest : public ::testing::Test {
protected:
    void TearDown() override { RVSetRTFConverterFactory(std::move(Saved)); }
    void Install()
    {
        TFakeConverter::Result = rtf_ec_OK;
        TFakeConverter::Raise = false;
        Saved = RVSetRTFConverterFactory([] { return std::make_unique<TFakeConverter>(); });
    }
    void Remove() { Saved = RVSetRTFConverterFactory(nullptr); }

    TRVRTFConverterFactory Saved;
    TempDir Dir;
    TRVStyle Style{nullptr};
};

// A root store that owns RTF properties, as a viewer's data does.
class TRTFRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;
    TRVRTFReaderProperties* GetRTFProperties() override { return &Properties; }
    TRVRTFReaderProperties Properties;
};

} // namespace

TEST(RTFReaderProperties, NegativeStyleNumbersAreRefused)
{
    TRVRTFReaderProperties P;
    P.SetTextStyleNo(4);
    try {
        P.SetTextStyleNo(-1);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Value must not be negative");
    }
    EXPECT_EQ(P.TextStyleNo(), 4);
    EXPECT_THROW(P.SetParaStyleNo(-5), Exception);
    EXPECT_EQ(P.ParaStyleNo(), 0);
}

TEST_F(RTFImportTest, WithoutAConverterNothingIsReadAndTheLoadFails)
{
    Remove();
    EXPECT_FALSE(RVRTFConverterInstalled());
    TRTFRVData Data(&Style);
    Data.AddNL("kept", 0, 0);
    TStringStream Stream("{\\rtf1 text}");
    EXPECT_EQ(Data.LoadRTFFromStream(Stream), rtf_ec_Assertion);
    EXPECT_EQ(Data.LoadRTF(Dir.Write("a.rtf", "{\\rtf1 text}")), rtf_ec_Assertion);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.GetItemText(0), "kept");
    EXPECT_EQ(Stream.Position(), 0);
}

TEST_F(RTFImportTest, AStoreWithoutRTFPropertiesCannotLoadRTF)
{
    Install();
    TTestRVData Data(&Style);
    TStringStream Stream("x");
    EXPECT_EQ(Data.LoadRTFFromStream(Stream), rtf_ec_Assertion);
    EXPECT_EQ(Data.LoadRTF(Dir.Write("a.rtf", "x")), rtf_ec_Assertion);
    EXPECT_EQ(Data.GetItemCount(), 0);
}

TEST_F(RTFImportTest, APluggedConverterReadsAndTheStoreMergesWhatItAppended)
{
    Install();
    TRTFRVData Data(&Style);
    Data.Properties.SetTextStyleNo(2);
    Data.AddNL("old ", 0, 0);
    TStringStream Stream("new");
    EXPECT_EQ(Data.LoadRTFFromStream(Stream), rtf_ec_OK);
    EXPECT_EQ(TFakeConverter::SeenTextStyleNo, 2);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.GetItemText(0), "old new");

    EXPECT_EQ(Data.LoadRTF(Dir.Write("b.rtf", " file")), rtf_ec_OK);
    EXPECT_EQ(Data.GetItemText(0), "old new file");
    EXPECT_EQ(Data.LoadRTF(Dir.File("missing.rtf")), rtf_ec_FileOpenError);
    EXPECT_EQ(Data.GetItemCount(), 1);
}

TEST_F(RTFImportTest, FailuresKeepWhatWasAppended)
{
    Install();
    TRTFRVData Data(&Style);
    TFakeConverter::Result = rtf_ec_UnmatchedBrace;
    TStringStream Stream("part");
    EXPECT_EQ(Data.LoadRTFFromStream(Stream), rtf_ec_UnmatchedBrace);
    TFakeConverter::Raise = true;
    TStringStream Stream2("more");
    EXPECT_EQ(Data.LoadRTFFromStream(Stream2), rtf_ec_Exception);
    ASSERT_EQ(Data.GetItemCount(), 1);
    EXPECT_EQ(Data.GetItemText(0), "partmore");
    EXPECT_EQ(Data.Properties.ReadFromStream(Stream2, nullptr), rtf_ec_Assertion);
}

TEST(RTFReaderProperties, AssignCopiesAllButTheViewersPath)
{
    TRVRTFReaderProperties P;
    TRVRTFReaderProperties Q;
    Q.SetConvertHighlight(rtfhlIgnore);
    Q.BasePath = "/docs/";
    P.Assign(&Q);
    EXPECT_EQ(P.ConvertHighlight(), rtfhlIgnore);
    EXPECT_EQ(P.BasePath, ""); // the viewer's own

    TRVStyle Other(nullptr);
    EXPECT_THROW(P.Assign(&Other), EConvertError);
}

TEST(RTFReaderProperties, EverySettingIsPublishedWithItsDefault)
{
    TRVRTFReaderProperties Properties;
    ExpectPublished(&Properties,
                    {{"UnicodeMode", pkEnumeration, rvruNoUnicode},
                     {"TextStyleMode", pkEnumeration, rvrsUseClosest},
                     {"ParaStyleMode", pkEnumeration, rvrsUseClosest},
                     {"IgnorePictures", pkBoolean, 0},
                     {"UseHypertextStyles", pkBoolean, 0},
                     {"TextStyleNo", pkInteger, 0},
                     {"ParaStyleNo", pkInteger, 0},
                     {"SkipHiddenText", pkBoolean, 1},
                     {"AutoHideTableGridLines", pkBoolean, 0},
                     {"LineBreaksAsParagraphs", pkBoolean, 0},
                     {"ConvertHighlight", pkEnumeration, rtfhlColorTable}},
                    true);
    // A negative style number is refused by name as it is by its setter.
    EXPECT_THROW(SetOrdProp(&Properties, "TextStyleNo", -1), Exception);
    EXPECT_EQ(Properties.TextStyleNo(), 0);
}
