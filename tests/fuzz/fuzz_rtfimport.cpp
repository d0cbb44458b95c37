// Fuzz target of the whole RTF import into a headless document. The first two
// bytes choose the import settings (style modes, Unicode mode, line breaks,
// hidden text, pictures, header and footer targets, an RVF round trip); the
// rest is the RTF. After every input the documents must be sound: every style
// and paragraph number in range, paragraphs that start where they must, every
// marker registered once with its list and level inside the sheet, every
// table rectangular with valid spans, its cells as sound as the document.
// After a successful load the document is laid out at a fixed width, painted
// on the recording canvas and saved as RVF, RTF, HTML and text: while fuzzing
// for an eighth of the inputs, in the seeds' replay for all (the RVF round
// trip of the second byte's bit 6 likewise for half of the inputs with it). Large inputs are
// mostly skipped while fuzzing (fuzz_budget.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "document/rvstyle_list.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/pixelbudget.h"
#include "rtf/rvrtfimport.h"
#include "table/rvtable.h"
#include "tests/fuzz/fuzz_budget.h"
#include "tests/fuzz/fuzz_document.h"
#include "tests/support/tablegridcheck.h"
#include "tests/support/testrvdata.h"

namespace {

// Stops the run with the line of the check that failed.
#define Check(condition) ((condition) ? (void)0 : Fail(__LINE__))

[[noreturn]] void Fail(int line)
{
    std::fprintf(stderr, "fuzz_rtfimport: check at line %d failed\n", line);
    std::abort();
}

// A document that writes its pictures' bytes into RVF.
class TFuzzData : public TFuzzFormattedData {
public:
    using TFuzzFormattedData::TFuzzFormattedData;
    TRVFOptions GetRVFOptions() override { return TRVFOptions{rvfoSavePicturesBody}; }
};

// Returns the number of markers among the items. Paragraph structure is
// checked only when Structure is set (the RVF reader may drop items it
// cannot read back, such as pictures of unknown classes).
int CheckData(TCustomRVData& data, TRVStyle& style, bool structure = true)
{
    int markers = 0;
    for (int i = 0; i < data.GetItemCount(); ++i) {
        const TCustomRVItemInfo* item = data.GetItem(i);
        Check(item->ParaNo >= 0 && item->ParaNo < style.ParaStyles()->Count());
        Check(item->StyleNo < style.TextStyles()->Count());
        if (item->StyleNo >= 0 && item->ItemOptions.Contains(rvioUnicode))
            Check(data.GetItemText(i).size() % 2 == 0);
        // Nothing continues the start of the document or a full-width item.
        if (i == 0 || data.GetItem(i - 1)->GetBoolValue(rvbpFullWidth))
            Check(!item->GetSameAsPrev());
        if (const auto* table = dynamic_cast<const TRVTableItemInfo*>(item)) {
            Check(tablegrid::GridFault(*table->Rows).empty());
            for (int r = 0; r < table->Rows->Count(); ++r)
                for (int c = 0; c < table->Rows->GetColCount(); ++c)
                    if (TRVTableCellData* cell = table->GetCells(r, c)) {
                        // A cell holds at least its empty paragraph.
                        Check(cell->GetItemCount() > 0);
                        markers += CheckData(*cell, style, structure);
                    }
        }
        if (const auto* marker = dynamic_cast<const TRVMarkerItemInfo*>(item)) {
            ++markers;
            Check(!item->GetSameAsPrev() && !item->GetBR());
            // A marker is followed by its paragraph's first item.
            if (structure)
                Check(i + 1 < data.GetItemCount() && data.GetItem(i + 1)->GetSameAsPrev());
            Check(marker->ListNo >= 0 && marker->ListNo < style.ListStyles()->Count());
            Check(marker->Level >= 0 &&
                  marker->Level < style.ListStyles()->Items(marker->ListNo)->Levels()->Count());
        }
    }
    return markers;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || FuzzSkipsLarge(data, size))
        return 0;
    // The choices of the later stages go by one hash of the input.
    const uint32_t hash = FuzzHash(data, size);
    RV_RegisterRTFImport();
    // Decoded pixels are held for one picture of the largest size at most:
    // a document of two such pictures painted stays far below the memory
    // limit a fuzzing run sets, besides what the run itself holds.
    static const bool budgetSet = (pixelbudget::SetProcessBudget(GraphicMaxPixels), true);
    (void)budgetSet;
    const uint8_t a = data[0], b = data[1];
    TRVStyle style(nullptr);
    TRVRTFReaderProperties props;
    TFuzzData doc(&style);
    TTestSubRVData header(&doc), footer(&doc);
    props.SetTextStyleMode(static_cast<TRVReaderStyleMode>((a & 3) % 3));
    props.SetParaStyleMode(static_cast<TRVReaderStyleMode>(((a >> 2) & 3) % 3));
    props.SetUnicodeMode(static_cast<TRVReaderUnicode>(((a >> 4) & 3) % 3));
    props.SetLineBreaksAsParagraphs(a & 64);
    if (a & 128) {
        // Both documents, or, by the bits of B the text style leaves free,
        // the header's or the footer's alone.
        const int given = (b & 32) || (b >> 6) == 0 ? 3 : b >> 6;
        if (given & 1)
            props.SetHeader(&header);
        if (given & 2)
            props.SetFooter(&footer);
    }
    props.SetSkipHiddenText(!(b & 1));
    props.SetIgnorePictures(b & 2);
    props.SetUseHypertextStyles(b & 4);
    props.SetConvertHighlight(static_cast<TRVRTFHighlight>(((b >> 3) & 3) % 3));
    if (b & 32)
        props.SetTextStyleNo(b >> 6);
    if (b & 32)
        doc.AddNL("before", 0, 0);

    TMemoryStream stream;
    stream.WriteBuffer(data + 2, static_cast<int64_t>(size - 2));
    stream.SetPosition(0);
    const TRVRTFErrorCode result = props.ReadFromStream(stream, &doc);
    Check(result >= rtf_ec_OK && result <= rtf_ec_Aborted);

    int markers = CheckData(doc, style);
    markers += CheckData(header, style);
    markers += CheckData(footer, style);
    const TRVMarkerList* list = doc.GetMarkers(false);
    Check((list ? list->Count() : 0) == markers);
    if (result == rtf_ec_OK && FuzzGoesOnHash(hash, 8))
        FuzzLayOutPaintAndSave(doc);

    if ((b & 64) && FuzzGoesOnHash(hash, 2)) {
        // What was read is a document the RVF writer and reader agree on.
        TMemoryStream rvf;
        if (doc.SaveRVFToStream(rvf, false, clWindow, nullptr, nullptr)) {
            rvf.SetPosition(0);
            TFuzzData back(&style);
            TColor color = clNone;
            Check(back.LoadRVFFromStream(rvf, color, nullptr, nullptr));
            CheckData(back, style, false);
        }
    }
    return 0;
}
