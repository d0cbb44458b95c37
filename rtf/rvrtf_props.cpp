// The published properties of the RTF reader component, as component streams
// write and read them; its events are not streamed.
#include "platform/core/typinfo.h"
#include "rtf/rvrtfreader.h"

const TPropertyTable* TRVRTFReader::PropertyTable() const
{
    using R = TRVRTFReader;
    static const TPropertyTable table =
        TPropTableBuilder<R>("TRVRTFReader", TComponent::PropertyTable())
            // A code page number is unsigned: written as its 32 bits.
            .Int64("DefCodePage", &R::DefCodePage, &R::DefCodePage, 0)
            .Enum("ConvertHighlight", &R::ConvertHighlight, &R::ConvertHighlight,
                  {"rtf_hl_Ignore", "rtf_hl_FixedColors", "rtf_hl_ColorTable"}, rtf_hl_FixedColors)
            .Build();
    return &table;
}
