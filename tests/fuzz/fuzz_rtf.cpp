// Fuzz target of the RTF parser alone. The first byte chooses which listeners
// are set (each changes what is parsed) and whether the stream can seek; the
// rest is the RTF. Whatever the input: the result is one of the error codes,
// nothing escapes, and after success every group is closed. Large inputs are
// mostly skipped while fuzzing (fuzz_budget.h).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/core/streams.h"
#include "rtf/rvrtfreader.h"
#include "tests/fuzz/fuzz_budget.h"

namespace {

// A stream that only reads forward and has no size, as a pipe.
class TPipeStream : public TStream {
public:
    TPipeStream(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    int64_t Read(void* buffer, int64_t count) override
    {
        const size_t n = std::min(static_cast<size_t>(count), FSize - FPos);
        std::copy_n(FData + FPos, n, static_cast<uint8_t*>(buffer));
        FPos += n;
        return static_cast<int64_t>(n);
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, TSeekOrigin) override { std::abort(); } // the parser must not seek

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || FuzzSkipsLarge(data, size))
        return 0;
    const uint8_t flags = data[0];
    TRVRTFReader reader(nullptr);
    size_t seen = 0;
    reader.OnNewText = [&](TRVRTFReader*, const AnsiString& text, TRVRTFPosition) { seen += text.size(); };
    if (flags & 1)
        reader.OnNewUnicodeText = [&](TRVRTFReader*, const WideString& text, TRVRTFPosition) {
            seen += text.size();
        };
    if (flags & 2)
        reader.OnNewPicture = [&](TRVRTFReader*, TRVRTFPicture*, std::unique_ptr<TGraphic> graphic,
                                  TRVRTFPosition) { seen += graphic ? 1 : 0; };
    if (flags & 4)
        reader.OnHeaderFooter = [&](TRVRTFReader*, TRVRTFHeaderFooterType, bool) { ++seen; };
    if (flags & 8)
        reader.OnTable = [&](TRVRTFReader*, TRVRTFTableEventKind) { ++seen; };
    if (flags & 16)
        reader.OnUpdateMarker = [&](TRVRTFReader* r) { seen += r->State().ParaProps.HasMarker() ? 1 : 0; };
    if (flags & 32)
        reader.OnRequiredPageBreak = [&](TRVRTFReader*) { ++seen; };
    reader.ConvertHighlight = static_cast<TRVRTFHighlightConvert>((flags >> 6) % 3);
    TRVRTFErrorCode result;
    if (flags & 128) {
        TPipeStream stream(data + 1, size - 1);
        result = reader.ReadFromStream(stream);
    } else {
        TMemoryStream stream;
        stream.WriteBuffer(data + 1, static_cast<int64_t>(size - 1));
        stream.SetPosition(0);
        result = reader.ReadFromStream(stream);
    }
    if (result < rtf_ec_OK || result > rtf_ec_Aborted)
        std::abort();
    if (result == rtf_ec_OK && reader.GroupLevel() != 0)
        std::abort();
    return 0;
}
