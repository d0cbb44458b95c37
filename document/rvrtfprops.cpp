// RTF import settings, and the two load operations that hand the work to the
// converter the RTF import subsystem installs.
#include "document/rvrtfprops.h"

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/pixelbudget.h"

namespace {

TRVRTFConverterFactory& ConverterFactory()
{
    static TRVRTFConverterFactory factory;
    return factory;
}

} // namespace

TRVRTFConverterFactory RVSetRTFConverterFactory(TRVRTFConverterFactory factory)
{
    TRVRTFConverterFactory previous = std::move(ConverterFactory());
    ConverterFactory() = std::move(factory);
    return previous;
}

bool RVRTFConverterInstalled()
{
    return static_cast<bool>(ConverterFactory());
}

TRVRTFReaderProperties::TRVRTFReaderProperties() = default;

void TRVRTFReaderProperties::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TRVRTFReaderProperties*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    FUnicodeMode = other->FUnicodeMode;
    FTextStyleMode = other->FTextStyleMode;
    FParaStyleMode = other->FParaStyleMode;
    FIgnorePictures = other->FIgnorePictures;
    FUseHypertextStyles = other->FUseHypertextStyles;
    FTextStyleNo = other->FTextStyleNo;
    FParaStyleNo = other->FParaStyleNo;
    FSkipHiddenText = other->FSkipHiddenText;
    FAutoHideTableGridLines = other->FAutoHideTableGridLines;
    FLineBreaksAsParagraphs = other->FLineBreaksAsParagraphs;
    FConvertHighlight = other->FConvertHighlight;
    HideDoubleCellBorders = other->HideDoubleCellBorders;
    TableWidthFromGrid = other->TableWidthFromGrid;
}

void TRVRTFReaderProperties::SetTextStyleNo(int value)
{
    if (value < 0)
        throw Exception(errRVRTFNegativeValue);
    FTextStyleNo = value;
}

void TRVRTFReaderProperties::SetParaStyleNo(int value)
{
    if (value < 0)
        throw Exception(errRVRTFNegativeValue);
    FParaStyleNo = value;
}

TRVRTFErrorCode TRVRTFReaderProperties::ReadFromFile(const AnsiString& fileName, TCustomRVData* rvData)
{
    // Nothing could be read anyway: the file is not even opened.
    if (!rvData || !RVRTFConverterInstalled())
        return rtf_ec_Assertion;
    std::unique_ptr<TFileStream> stream;
    try {
        stream = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
    } catch (const Exception&) {
        return rtf_ec_FileOpenError;
    }
    return ReadFromStream(*stream, rvData);
}

TRVRTFErrorCode TRVRTFReaderProperties::ReadFromStream(TStream& stream, TCustomRVData* rvData)
{
    if (!rvData)
        return rtf_ec_Assertion;
    // A copy, so that a factory replaced during the load stays alive.
    const TRVRTFConverterFactory factory = ConverterFactory();
    if (!factory)
        return rtf_ec_Assertion;
    // The pictures of one load share one pixel allowance; past it a picture
    // shows as the invalid picture and the load goes on.
    const TPictureLoadBudget pictures;
    try {
        std::unique_ptr<TRVRTFConverter> converter = factory();
        if (!converter)
            return rtf_ec_Assertion;
        return converter->ReadFromStream(*this, stream, rvData);
    } catch (...) {
        // The converter catches what the parser raises; anything that still
        // gets here ends the load, keeping what it appended.
        return rtf_ec_Exception;
    }
}
