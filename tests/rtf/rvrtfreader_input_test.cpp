// The RTF parser on hostile and unusual input: deep nesting, huge counts,
// pictures whose headers lie, files named by fields, streams that cannot seek.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/graphics/dibcodec.h"
#include "rtf/rvrtffields.h"
#include "rtf/rvrtfreader.h"
#include "tests/support/rtfrecorder.h"
#include "tests/support/tempdir.h"

namespace {

TRTFListeners WithPictures()
{
    TRTFListeners l;
    l.Pictures = true;
    return l;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string LE(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// A packed 24-bit DIB of width x height with the given planes and depth fields.
std::string PackedDIB(int width, int height, int planes = 1, int bits = 24, size_t pixelBytes = SIZE_MAX)
{
    std::string dib = LE(40, 4) + LE(width, 4) + LE(height, 4) + LE(planes, 2) + LE(bits, 2) + LE(0, 4) +
                      LE(0, 4) + LE(0, 4) + LE(0, 4) + LE(0, 4) + LE(0, 4);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    dib += std::string(pixelBytes == SIZE_MAX ? stride * height : pixelBytes, '\x7f');
    return dib;
}

// A metafile of a header and the end record only.
std::string MinimalWMF()
{
    return LE(1, 2) + LE(9, 2) + LE(0x300, 2) + LE(12, 4) + LE(0, 2) + LE(3, 4) + LE(0, 2) + LE(3, 4) +
           LE(0, 2);
}

std::string Pict(const std::string& words, const std::string& data)
{
    return "{\\rtf1{\\pict" + words + " " + data + "}}";
}

TEST(RTFInput, DeepNestingOverflowsTheStack)
{
    TRTFRecorder recorder;
    const std::string rtf = "{\\rtf1" + std::string(100000, '{') + "x";
    EXPECT_EQ(recorder.Read(rtf), rtf_ec_StackOverflow);
    EXPECT_EQ(recorder.Reader.GroupLevel(), TRVRTFReader::MaxGroupLevel);
    EXPECT_TRUE(recorder.Events.empty());
    // Just below the limit is fine.
    TRTFRecorder shallow;
    const int depth = TRVRTFReader::MaxGroupLevel - 1;
    EXPECT_EQ(shallow.Read("{\\rtf1" + std::string(depth, '{') + "x" + std::string(depth, '}') + "}"),
              rtf_ec_OK);
    EXPECT_EQ(shallow.Text(), "x");
}

TEST(RTFInput, CellsPerRowAreBounded)
{
    TRTFRecorder recorder;
    std::string rtf = "{\\rtf1\\trowd";
    for (int i = 0; i < 100000; ++i)
        rtf += "\\cellx" + std::to_string(i);
    EXPECT_EQ(recorder.Read(rtf), rtf_ec_UnmatchedBrace);
    ASSERT_NE(recorder.Reader.State().RowProps(), nullptr);
    EXPECT_EQ(recorder.Reader.State().RowProps()->CellCount(), rtfMaxCellsPerRow + 1);
}

TEST(RTFInput, HugeCountsAtTheEnd)
{
    const struct {
        const char* Rtf;
        TRVRTFErrorCode Result;
        const char* Text;
    } cases[] = {
        {"{\\rtf1 a\\bin2147483647 xyz", rtf_ec_UnmatchedBrace, "a"},
        {"{\\rtf1 a\\bin-5 b}", rtf_ec_OK, "ab"},
        {"{\\rtf1 a\\uc2147483647\\u1046 bcd}e}", rtf_ec_OK, "a\xD0\x96"},
        {"{\\rtf1 a\\abcdefghijklmnopqrstuvwxyzabcdefghijklmnop b}", rtf_ec_OK, "ab"},
        {"{\\rtf1 a\\b12345678901234567890123 b}", rtf_ec_OK, "ab"},
        {"{\\rtf1{\\fonttbl Arial;}x}", rtf_ec_OK, "x"},
        {"{\\rtf1\\pnseclvl0 x\\pnseclvl12 y}", rtf_ec_OK, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Rtf);
        TRTFRecorder recorder;
        EXPECT_EQ(recorder.Read(c.Rtf), c.Result);
        EXPECT_EQ(recorder.Text(), c.Text);
    }
}

TEST(RTFInput, ForwardOnlyStreamInSmallReads)
{
    // Text across many input blocks, read from a stream that has no size.
    std::string body;
    for (int i = 0; i < 3000; ++i)
        body += "word\\par ";
    TRTFRecorder recorder;
    EXPECT_EQ(recorder.Read("{\\rtf1 " + body + "}"), rtf_ec_OK);
    EXPECT_EQ(recorder.Runs.size(), 3000u);
}

struct TPictureCase {
    const char* Name;
    std::string Rtf;
    TRVRTFErrorCode Result;
    int Pictures;
    bool HasGraphic;
    int Width, Height;
};

std::vector<TPictureCase> PictureCases()
{
    const std::string dib = PackedDIB(2, 2);
    return {
        {"DIB", Pict("\\dibitmap0", Hex(dib)), rtf_ec_OK, 1, true, 2, 2},
        {"DIBWithBlanksAndLineEnds",
         Pict("\\dibitmap", Hex(dib.substr(0, 20)) + " \r\n\t" + Hex(dib.substr(20))), rtf_ec_OK, 1, true, 2,
         2},
        {"ShortDIB", Pict("\\dibitmap", Hex(dib.substr(0, 30))), rtf_ec_OK, 1, false, 0, 0},
        {"DIBMissingPixels", Pict("\\dibitmap", Hex(PackedDIB(2, 2, 1, 24, 8))), rtf_ec_OK, 1, false, 0, 0},
        {"DIBTwoPlanes", Pict("\\dibitmap", Hex(PackedDIB(2, 2, 2))), rtf_ec_OK, 1, false, 0, 0},
        {"DIBBadDepth", Pict("\\dibitmap", Hex(PackedDIB(2, 2, 1, 7))), rtf_ec_OK, 1, false, 0, 0},
        {"DIBTooWide", Pict("\\dibitmap", Hex(PackedDIB(20000, 1, 1, 24, 0))), rtf_ec_OK, 1, false, 0, 0},
        {"DDBMonochrome", Pict("\\wbitmap\\picw8\\pich2\\wbmwidthbytes2", "ff00 0f00"), rtf_ec_OK, 1, true, 8,
         2},
        {"DDBHugeWithFourBytes", Pict("\\wbitmap\\picw30000\\pich30000\\wbmbitspixel1", "00000000"),
         rtf_ec_OK, 1, false, 0, 0},
        {"DDBWrongPlanes", Pict("\\wbitmap\\picw8\\pich1\\wbmplanes3", "ff00"), rtf_ec_OK, 1, false, 0, 0},
        // Every byte there, but more pixels than any decoder makes.
        {"DDBOverThePixelBudget",
         "{\\rtf1{\\pict\\wbitmap\\picw8192\\pich8192\\wbmwidthbytes1024\\bin8388608 " +
             std::string(8388608, '\0') + "}}",
         rtf_ec_OK, 1, false, 0, 0},
        {"MetafileOverThePixelBudget", Pict("\\wmetafile\\picw8192\\pich8192", Hex(MinimalWMF())), rtf_ec_OK,
         1, false, 0, 0},
        {"MetafileAnisotropic", Pict("\\wmetafile8\\picw2540\\pich1270", Hex(MinimalWMF())), rtf_ec_OK, 1,
         true, 96, 48},
        {"MetafilePixels", Pict("\\wmetafile\\picw30\\pich20", Hex(MinimalWMF())), rtf_ec_OK, 1, true, 30,
         20},
        {"MetafileModeOutOfRange", Pict("\\wmetafile9\\picw30\\pich20", Hex(MinimalWMF())), rtf_ec_OK, 1,
         true, 30, 20},
        {"MetafileBroken", Pict("\\wmetafile8\\picw10\\pich10", "0100"), rtf_ec_OK, 1, false, 0, 0},
        {"PNGTooShort", Pict("\\pngblip", "89504e47"), rtf_ec_OK, 1, false, 0, 0},
        {"BinaryData", "{\\rtf1{\\pict\\pngblip\\bin4 {}}\\}}", rtf_ec_OK, 1, false, 0, 0},
        {"NotHex", Pict("\\pngblip", "89zz"), rtf_ec_InvalidPicture, 0, false, 0, 0},
        {"PictureInPicture", "{\\rtf1{\\pict\\pngblip{\\pict 00}}}", rtf_ec_InvalidPicture, 0, false, 0, 0},
    };
}

class RTFPictures : public testing::TestWithParam<TPictureCase> {};

TEST_P(RTFPictures, AreCheckedBeforeUse)
{
    const TPictureCase& c = GetParam();
    TRTFRecorder recorder(WithPictures());
    EXPECT_EQ(recorder.Read(c.Rtf), c.Result);
    ASSERT_EQ(static_cast<int>(recorder.Pictures.size()), c.Pictures);
    if (c.Pictures == 0)
        return;
    EXPECT_EQ(recorder.Pictures[0].HasGraphic, c.HasGraphic);
    EXPECT_EQ(recorder.Pictures[0].Width, c.Width);
    EXPECT_EQ(recorder.Pictures[0].Height, c.Height);
    // Without a picture listener the same data is not even looked at.
    TRTFRecorder ignoring;
    EXPECT_EQ(ignoring.Read(c.Rtf), rtf_ec_OK);
}

INSTANTIATE_TEST_SUITE_P(Reader, RTFPictures, testing::ValuesIn(PictureCases()),
                         [](const testing::TestParamInfo<TPictureCase>& info) { return info.param.Name; });

TEST(RTFInput, PictureRecordFields)
{
    TRTFRecorder recorder(WithPictures());
    ASSERT_EQ(recorder.Read("{\\rtf1{\\pict\\pngblip\\bin4 {}}\\}}"), rtf_ec_OK);
    EXPECT_EQ(recorder.Pictures[0].DataSize, 4);
    TRTFRecorder goals(WithPictures());
    ASSERT_EQ(goals.Read(Pict("\\dibitmap\\picwgoal1440\\pichgoal720\\picscalex99999", Hex(PackedDIB(2, 2)))),
              rtf_ec_OK);
    EXPECT_EQ(goals.Pictures[0].SuggestedWidth, 96);
    EXPECT_EQ(goals.Pictures[0].SuggestedHeight, 48);
    // The file header carries the real offset of the pixels: 14 + 40.
    EXPECT_EQ(goals.Pictures[0].DataSize, 14 + 40 + 16);
    EXPECT_EQ(goals.Pictures[0].DataStart, "BM" + LE(70, 4) + LE(0, 4) + LE(54, 4));
}

// INCLUDEPICTURE reads only files inside the document's folder, and only when
// a file is loaded.
class RTFIncludePicture : public testing::Test {
protected:
    void SetUp() override
    {
        TPixelBuffer pixels(3, 2, 0xFF00FF00u);
        const graphicio::Bytes bmp = dib::EncodeFile(pixels, 24);
        Dir.Write("pic.bmp", std::string(bmp.begin(), bmp.end()));
        Dir.Write("big.bmp", std::string(bmp.begin(), bmp.end()) + std::string(100, '\0'));
        ASSERT_EQ(mkfifo(Dir.File("fifo.bmp").c_str(), 0600), 0);
        ASSERT_EQ(symlink("/etc/hostname", Dir.File("out.bmp").c_str()), 0);
        ASSERT_EQ(symlink("pic.bmp", Dir.File("in.bmp").c_str()), 0);
    }
    int Pictures(const std::string& name, bool fromFile)
    {
        TRTFRecorder recorder(WithPictures());
        recorder.Reader.BasePath = Dir.Path();
        recorder.Reader.ReadExternalPictures = fromFile;
        recorder.Reader.MaxExternalPictureSize = 120; // pic.bmp has 78 bytes, big.bmp 178
        const std::string rtf =
            "{\\rtf1{\\field{\\*\\fldinst INCLUDEPICTURE \"" + name + "\" \\\\* MERGEFORMAT}{\\fldrslt x}}}";
        EXPECT_EQ(recorder.Read(rtf), rtf_ec_OK);
        return static_cast<int>(recorder.Pictures.size());
    }
    TempDir Dir;
};

TEST_F(RTFIncludePicture, OnlyRegularFilesInsideTheFolder)
{
    EXPECT_EQ(Pictures("pic.bmp", true), 1);
    EXPECT_EQ(Pictures("pic.bmp", false), 0); // pasted RTF reads no files
    EXPECT_EQ(Pictures("/dev/zero", true), 0);
    EXPECT_EQ(Pictures("../../x.png", true), 0);
    EXPECT_EQ(Pictures("missing.bmp", true), 0);
    EXPECT_EQ(Pictures(".", true), 0);
    EXPECT_EQ(Pictures("fifo.bmp", true), 0); // refused without waiting for a writer
    EXPECT_EQ(Pictures("out.bmp", true), 0);  // a link out of the folder
    EXPECT_EQ(Pictures("in.bmp", true), 1);   // a link inside it
    EXPECT_EQ(Pictures("big.bmp", true), 0);  // above the size cap
}

TEST(RTFFields, ArgumentsHonourQuotes)
{
    const struct {
        const char* Instruction;
        const char* Field;
        bool Found;
        const char* Argument;
    } cases[] = {
        {" HYPERLINK \"http://a b/c\" \\o \"tip\"", "HYPERLINK", true, "http://a b/c"},
        {"HYPERLINK http://x.org/ \\l y", "HYPERLINK", true, "http://x.org/"},
        {"INCLUDEPICTURE \"C:\\\\pics\\\\a b.png\"", "INCLUDEPICTURE", true, "C:\\pics\\a b.png"},
        {"HYPERLINKS \"x\"", "HYPERLINK", false, ""},
        {"HYPERLINK \"unclosed", "HYPERLINK", false, ""},
        {"HYPERLINK", "HYPERLINK", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Instruction);
        AnsiString argument;
        EXPECT_EQ(RVRTFFieldArgument(c.Instruction, c.Field, argument), c.Found);
        if (c.Found) {
            EXPECT_EQ(argument, c.Argument);
        }
    }
}

} // namespace
