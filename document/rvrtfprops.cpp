// RTF import settings, and the two load operations that hand the work to the
// converter the RTF import subsystem installs.
#include "document/rvrtfprops.h"

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

namespace {

TRVRTFConverterFactory& ConverterFactory()
{
    static TRVRTFConverterFactory Factory;
    return Factory;
}

} // namespace

TRVRTFConverterFactory RVSetRTFConverterFactory(TRVRTFConverterFactory Factory)
{
    TRVRTFConverterFactory Previous = std::move(ConverterFactory());
    ConverterFactory() = std::move(Factory);
    return Previous;
}

bool RVRTFConverterInstalled()
{
    return static_cast<bool>(ConverterFactory());
}

TRVRTFReaderProperties::TRVRTFReaderProperties() = default;

void TRVRTFReaderProperties::Assign(const TPersistent* Source)
{
    const auto* Other = dynamic_cast<const TRVRTFReaderProperties*>(Source);
    if (!Other) {
        TPersistent::Assign(Source);
        return;
    }
    FUnicodeMode = Other->FUnicodeMode;
    FTextStyleMode = Other->FTextStyleMode;
    FParaStyleMode = Other->FParaStyleMode;
    FIgnorePictures = Other->FIgnorePictures;
    FUseHypertextStyles = Other->FUseHypertextStyles;
    FTextStyleNo = Other->FTextStyleNo;
    FParaStyleNo = Other->FParaStyleNo;
    FSkipHiddenText = Other->FSkipHiddenText;
    FAutoHideTableGridLines = Other->FAutoHideTableGridLines;
    FLineBreaksAsParagraphs = Other->FLineBreaksAsParagraphs;
    FConvertHighlight = Other->FConvertHighlight;
}

void TRVRTFReaderProperties::SetTextStyleNo(int Value)
{
    if (Value < 0)
        throw Exception(errRVRTFNegativeValue);
    FTextStyleNo = Value;
}

void TRVRTFReaderProperties::SetParaStyleNo(int Value)
{
    if (Value < 0)
        throw Exception(errRVRTFNegativeValue);
    FParaStyleNo = Value;
}

TRVRTFErrorCode TRVRTFReaderProperties::ReadFromFile(const AnsiString& FileName, TCustomRVData* RVData)
{
    // Nothing could be read anyway: the file is not even opened.
    if (!RVData || !RVRTFConverterInstalled())
        return rtf_ec_Assertion;
    std::unique_ptr<TFileStream> Stream;
    try {
        Stream = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyNone);
    } catch (const Exception&) {
        return rtf_ec_FileOpenError;
    }
    return ReadFromStream(*Stream, RVData);
}

TRVRTFErrorCode TRVRTFReaderProperties::ReadFromStream(TStream& Stream, TCustomRVData* RVData)
{
    if (!RVData)
        return rtf_ec_Assertion;
    // A copy, so that a factory replaced during the load stays alive.
    const TRVRTFConverterFactory Factory = ConverterFactory();
    if (!Factory)
        return rtf_ec_Assertion;
    try {
        std::unique_ptr<TRVRTFConverter> Converter = Factory();
        if (!Converter)
            return rtf_ec_Assertion;
        return Converter->ReadFromStream(*this, Stream, RVData);
    } catch (...) {
        // The converter catches what the parser raises; anything that still
        // gets here ends the load, keeping what it appended.
        return rtf_ec_Exception;
    }
}
