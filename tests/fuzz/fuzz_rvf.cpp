// Fuzz target of the RVF reader. The first byte chooses how the rest is read:
// bit 0 loads it (replacing the style sheet's collections), else it is
// inserted into the middle of a small document (styles merged, or mapped with
// bit 1); bit 2 keeps tags as strings; bit 3 converts unknown styles to style
// 0; bit 4 keeps the style maps at the root; bit 5 chooses the form the
// document is saved in (binary when set). Tables are known items. Any input
// must give true or false; whatever was read must then save and read back
// whole. With bit 6, a successful read goes on: the document is laid out at
// a fixed width, painted on the recording canvas and saved as RTF, HTML and
// text (the layout costs several times the reading, so of the inputs with
// the bit half go on, chosen by a hash of the input, and the others keep the
// reader's pace). Large inputs are mostly skipped while fuzzing
// (fuzz_budget.h). The seeds' replay saves in both forms and always goes on.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/pixelbudget.h"
#include "table/rvtable.h"
#include "tests/fuzz/fuzz_budget.h"
#include "tests/fuzz/fuzz_document.h"

namespace {

class TFuzzRVData : public TFuzzFormattedData, public TRVFBackground {
public:
    using TFuzzFormattedData::TFuzzFormattedData;
    ~TFuzzRVData() override { Clear(); }

    TRVFOptions GetRVFOptions() override { return RVFOptions; }
    void SetRVFOptions(TRVFOptions Value) override { RVFOptions = Value; }
    TRVFWarnings GetRVFWarnings() override { return Warnings; }
    void SetRVFWarnings(TRVFWarnings Value) override { Warnings = Value; }
    TRVFReaderStyleMode GetRVFTextStylesReadMode() override { return ReadMode; }
    TRVFReaderStyleMode GetRVFParaStylesReadMode() override { return ReadMode; }
    TCustomImageList* RVFImageListNeeded(int ImageListTag) override
    {
        return ImageListTag == Images->Tag() ? Images : nullptr;
    }
    void InitStyleMappings(TRVIntegerList*& T, TRVIntegerList*& P, TRVIntegerList*& L) override
    {
        T = KeepMaps ? &Maps[0] : nullptr;
        P = KeepMaps ? &Maps[1] : nullptr;
        L = KeepMaps ? &Maps[2] : nullptr;
    }
    void DoneStyleMappings(TRVIntegerList*, TRVIntegerList*, TRVIntegerList*) override
    {
        for (TRVIntegerList& Map : Maps)
            Map.Clear();
    }

    int GetRVFBackgroundStyle() const override { return BackStyle; }
    void SetRVFBackgroundStyle(int Value) override { BackStyle = Value; }
    TGraphic* GetRVFBackgroundImage() const override { return BackImage.get(); }
    void SetRVFBackgroundImage(TGraphic* Value) override { BackImage.reset(Value); }

    TRVFOptions RVFOptions;
    TRVFWarnings Warnings;
    TRVFReaderStyleMode ReadMode = rvf_sInsertMerge;
    TCustomImageList* Images = nullptr;
    bool KeepMaps = false;
    TRVIntegerList Maps[3];
    int BackStyle = 0;
    std::unique_ptr<TGraphic> BackImage;
};

std::unique_ptr<TRVStyle> MakeStyle()
{
    auto Style = std::make_unique<TRVStyle>(nullptr);
    TFontInfo* Uni = Style->TextStyles()->Add();
    Uni->SetUnicode(true);
    TRVListInfo* List = Style->ListStyles()->Add();
    List->Levels()->Add()->SetListType(rvlstDecimal);
    return Style;
}

void Configure(TFuzzRVData& Data, uint8_t Mode, TCustomImageList* Images)
{
    Data.Options.Set(rvoTagsArePChars, (Mode & 4) != 0);
    // Pictures and controls are saved whole, so that they read back.
    Data.RVFOptions = {rvfoLoadBack, rvfoLoadLayout, rvfoSaveTextStyles,   rvfoSaveParaStyles,
                       rvfoSaveBack, rvfoSaveLayout, rvfoSavePicturesBody, rvfoSaveControlsBody};
    Data.RVFOptions.Set(rvfoIgnoreUnknownPicFmt, true);
    Data.RVFOptions.Set(rvfoIgnoreUnknownCtrls, true);
    Data.RVFOptions.Set(rvfoConvUnknownStylesToZero, (Mode & 8) != 0);
    Data.ReadMode = (Mode & 2) ? rvf_sInsertMap : rvf_sInsertMerge;
    Data.KeepMaps = (Mode & 16) != 0;
    Data.Images = Images;
}

AnsiString Save(TFuzzRVData& Data, bool Binary, TRVLayoutInfo* Layout)
{
    Data.RVFOptions.Set(rvfoSaveBinary, Binary);
    TStringStream Stream;
    if (!Data.SaveRVFToStream(Stream, false, clRed, &Data, Layout))
        abort();
    return Stream.DataString();
}

// What was read saves, and what was saved reads back whole into the same
// style sheet, with as many items.
void CheckRoundTrip(TFuzzRVData& Data, TRVStyle* Style, uint8_t Mode, TCustomImageList* Images,
                    TRVLayoutInfo* Layout)
{
#ifdef KELVOR_FUZZ_REPLAY
    const bool Forms[] = {false, true};
#else
    const bool Forms[] = {(Mode & 32) != 0};
#endif
    for (bool Binary : Forms) {
        const AnsiString Saved = Save(Data, Binary, Layout);
        TFuzzRVData Again(Style);
        Configure(Again, Mode, Images);
        Again.RVFOptions.Include(rvfoConvUnknownStylesToZero);
        TStringStream Stream(Saved);
        TColor Color = clNone;
        TRVLayoutInfo ReadLayout;
        if (!Again.LoadRVFFromStream(Stream, Color, &Again, &ReadLayout))
            abort();
        if (Again.GetItemCount() != Data.GetItemCount())
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || FuzzSkipsLarge(data, size))
        return 0;
    const uint8_t Mode = data[0];
    RV_RegisterTableItem();
    // Decoded pixels (the bitmaps metafiles are drawn into among them) are
    // held for one picture of the largest size at most, as in the RTF
    // import's target.
    static const bool budgetSet = (pixelbudget::SetProcessBudget(GraphicMaxPixels), true);
    (void)budgetSet;
    auto Style = MakeStyle();
    TImageList Images(nullptr);
    Images.SetTag(1);
    Images.AddPixels(TPixelBuffer(16, 16));
    TFuzzRVData Data(Style.get());
    Configure(Data, Mode, &Images);

    TMemoryStream Stream;
    Stream.WriteBuffer(data + 1, static_cast<int64_t>(size - 1));
    Stream.SetPosition(0);
    TColor Color = clNone;
    TRVLayoutInfo Layout;
    bool Read = false;
    if (Mode & 1) {
        Read = Data.LoadRVFFromStream(Stream, Color, &Data, &Layout);
    } else {
        Data.AddNL("before", 0, 0);
        Data.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
        Data.AddNL("after", 0, -1);
        Data.AddNamedCheckpointExTag("cp", false, TRVTag());
        TColor Unused = clNone;
        Read = Data.InsertRVFFromStream(Stream, 2, Unused, nullptr, nullptr, false);
    }
    CheckRoundTrip(Data, Style.get(), Mode, &Images, &Layout);
#ifdef KELVOR_FUZZ_REPLAY
    const bool GoOn = true;
#else
    const bool GoOn = (Mode & 64) != 0 && FuzzGoesOn(data, size, 2);
#endif
    if (Read && GoOn)
        FuzzLayOutPaintAndSave(Data);
    return 0;
}
