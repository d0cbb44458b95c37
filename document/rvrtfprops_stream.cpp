// The published properties of the RTF import settings, as component streams
// write and read them (a viewer publishes its settings as RTFReadProperties).
#include "document/rvrtfprops.h"
#include "platform/core/typinfo.h"

const TPropertyTable* TRVRTFReaderProperties::PropertyTable() const
{
    using P = TRVRTFReaderProperties;
    const std::vector<AnsiString> styleModes = {"rvrsUseSpecified", "rvrsUseClosest", "rvrsAddIfNeeded"};
    static const TPropertyTable table =
        TPropTableBuilder<P>("TRVRTFReaderProperties", nullptr)
            .Enum("UnicodeMode", &P::UnicodeMode, &P::SetUnicodeMode,
                  {"rvruMixed", "rvruNoUnicode", "rvruOnlyUnicode"}, rvruNoUnicode)
            .Enum("TextStyleMode", &P::TextStyleMode, &P::SetTextStyleMode, styleModes, rvrsUseClosest)
            .Enum("ParaStyleMode", &P::ParaStyleMode, &P::SetParaStyleMode, styleModes, rvrsUseClosest)
            .Bool("IgnorePictures", &P::IgnorePictures, &P::SetIgnorePictures, false)
            .Bool("UseHypertextStyles", &P::UseHypertextStyles, &P::SetUseHypertextStyles, false)
            // A negative number read raises, as setting one does.
            .Int("TextStyleNo", &P::TextStyleNo, &P::SetTextStyleNo, 0)
            .Int("ParaStyleNo", &P::ParaStyleNo, &P::SetParaStyleNo, 0)
            .Bool("SkipHiddenText", &P::SkipHiddenText, &P::SetSkipHiddenText, true)
            .Bool("AutoHideTableGridLines", &P::AutoHideTableGridLines, &P::SetAutoHideTableGridLines, false)
            .Bool("LineBreaksAsParagraphs", &P::LineBreaksAsParagraphs, &P::SetLineBreaksAsParagraphs, false)
            .Enum("ConvertHighlight", &P::ConvertHighlight, &P::SetConvertHighlight,
                  {"rtfhlIgnore", "rtfhlFixedColors", "rtfhlColorTable"}, rtfhlColorTable)
            .Build();
    return &table;
}
