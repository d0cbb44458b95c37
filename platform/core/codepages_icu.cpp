// Builds the byte tables of the one- and two-byte code pages from ICU: every byte
// and every lead/trail pair is decoded once, and every character reached is
// encoded once to learn which bytes ICU prefers for it.
#include "platform/core/codepages_icu.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <map>
#include <memory>

namespace codepages_detail {
namespace {

struct TCodePageName {
    unsigned CodePage;
    const char* IcuName;
};

// The code pages converted through tables, by ICU's name for the Windows form.
const TCodePageName CodePageNames[] = {
    {437, "ibm-437"},       {720, "ibm-720"},       {737, "ibm-737"},       {775, "ibm-775"},
    {850, "ibm-850"},       {852, "ibm-852"},       {855, "ibm-855"},       {857, "ibm-857"},
    {858, "ibm-858"},       {860, "ibm-860"},       {861, "ibm-861"},       {862, "ibm-862"},
    {863, "ibm-863"},       {865, "ibm-865"},       {866, "ibm-866"},       {869, "ibm-869"},
    {874, "windows-874"},   {932, "windows-31j"},   {936, "windows-936"},   {949, "windows-949"},
    {950, "windows-950"},   {1250, "windows-1250"}, {1251, "windows-1251"}, {1252, "windows-1252"},
    {1253, "windows-1253"}, {1254, "windows-1254"}, {1255, "windows-1255"}, {1256, "windows-1256"},
    {1257, "windows-1257"}, {1258, "windows-1258"}, {10000, "macintosh"},   {20127, "US-ASCII"},
    {20866, "KOI8-R"},      {21866, "KOI8-U"},      {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},  {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},  {28599, "ISO-8859-9"},  {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"},
};

const char* IcuNameOf(unsigned codePage)
{
    for (const TCodePageName& entry : CodePageNames)
        if (entry.CodePage == codePage)
            return entry.IcuName;
    return nullptr;
}

// An ICU converter that stops at anything it cannot convert (rather than
// substituting), with fallback mappings off, so that the tables see exactly the
// characters that round-trip. Owns the converter.
class TIcuConverter {
public:
    enum TDecodeResult { drChar, drIncomplete, drInvalid };

    explicit TIcuConverter(const char* name)
    {
        UErrorCode err = U_ZERO_ERROR;
        FConverter = ucnv_open(name, &err);
        if (U_FAILURE(err)) {
            Close();
            return;
        }
        ucnv_setToUCallBack(FConverter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        ucnv_setFromUCallBack(FConverter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        ucnv_setFallback(FConverter, false);
        if (U_FAILURE(err) || ucnv_getMaxCharSize(FConverter) > 2)
            Close();
    }
    ~TIcuConverter() { Close(); }
    TIcuConverter(const TIcuConverter&) = delete;
    TIcuConverter& operator=(const TIcuConverter&) = delete;

    bool IsOpen() const { return FConverter != nullptr; }

    // Decodes exactly `count` bytes as one character of one UTF-16 unit.
    TDecodeResult Decode(const unsigned char* bytes, int count, WideChar& unit)
    {
        ucnv_resetToUnicode(FConverter);
        const char* source = reinterpret_cast<const char*>(bytes);
        UChar out[4];
        UChar* target = out;
        UErrorCode err = U_ZERO_ERROR;
        ucnv_toUnicode(FConverter, &target, out + 4, &source, source + count, nullptr, true, &err);
        if (err == U_TRUNCATED_CHAR_FOUND)
            return drIncomplete;
        if (U_FAILURE(err) || target - out != 1 || source != reinterpret_cast<const char*>(bytes) + count ||
            U16_IS_SURROGATE(out[0]))
            return drInvalid;
        unit = static_cast<WideChar>(out[0]);
        return drChar;
    }

    // ICU's bytes for one unit as stored in TCodePageTable::Reverse; 0 when it has none.
    uint16_t Encode(WideChar unit)
    {
        ucnv_resetFromUnicode(FConverter);
        UChar in[1] = {static_cast<UChar>(unit)};
        const UChar* source = in;
        char out[8];
        char* target = out;
        UErrorCode err = U_ZERO_ERROR;
        ucnv_fromUnicode(FConverter, &target, out + sizeof out, &source, in + 1, nullptr, true, &err);
        if (U_FAILURE(err))
            return 0;
        auto byte = [&](int i) { return static_cast<uint16_t>(static_cast<unsigned char>(out[i])); };
        if (target - out == 1)
            return byte(0);
        if (target - out == 2)
            return static_cast<uint16_t>(byte(0) << 8 | byte(1));
        return 0;
    }

private:
    void Close()
    {
        if (FConverter)
            ucnv_close(FConverter);
        FConverter = nullptr;
    }

    UConverter* FConverter = nullptr;
};

// The character that bytes stored as in Reverse decode to; 0 when they decode to
// none as a whole (an undefined pair, or a lead byte that would pair with what follows).
WideChar DecodeStored(const TCodePageTable& table, uint16_t bytes)
{
    if (bytes >= 0x100)
        return table.Pair(static_cast<unsigned char>(bytes >> 8), static_cast<unsigned char>(bytes));
    return table.Lead[bytes] ? WideChar(0) : table.Single[bytes];
}

void BuildSingleBytes(TIcuConverter& cnv, TCodePageTable& table, bool defined[256])
{
    for (unsigned b = 0; b < 256; ++b) {
        table.Single[b] = static_cast<WideChar>(b);
        table.LeadSlot[b] = -1;
        // ASCII is ASCII everywhere here; ICU's tables of the old PC code pages
        // swap three control characters that the platform's conversions keep.
        defined[b] = b < 0x80;
        if (defined[b])
            continue;
        unsigned char byte = static_cast<unsigned char>(b);
        WideChar unit = 0;
        switch (cnv.Decode(&byte, 1, unit)) {
        case TIcuConverter::drChar:
            table.Single[b] = unit;
            defined[b] = true;
            break;
        case TIcuConverter::drIncomplete:
            table.Lead[b] = true;
            break;
        case TIcuConverter::drInvalid:
            break;
        }
    }
}

void BuildPairs(TIcuConverter& cnv, TCodePageTable& table)
{
    int16_t rows = 0;
    for (unsigned b = 0; b < 256; ++b)
        if (table.Lead[b])
            table.LeadSlot[b] = rows++;
    if (rows == 0)
        return;
    table.MaxCharSize = 2;
    table.Pairs.assign(static_cast<size_t>(rows) * 256, 0);
    for (unsigned lead = 0; lead < 256; ++lead) {
        if (!table.Lead[lead])
            continue;
        for (unsigned trail = 0; trail < 256; ++trail) {
            unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            WideChar unit = 0;
            if (cnv.Decode(bytes, 2, unit) == TIcuConverter::drChar)
                table.Pairs[static_cast<size_t>(table.LeadSlot[lead]) * 256 + trail] = unit;
        }
    }
}

void BuildReverse(TIcuConverter& cnv, TCodePageTable& table, const bool defined[256])
{
    table.Reverse.assign(0x10000, 0);
    for (unsigned b = 1; b < 0x80; ++b)
        table.Reverse[b] = static_cast<uint16_t>(b);
    // ICU's preferred bytes where they decode back to the same character (several
    // byte pairs of 932 share a character); else the first bytes that decode to it.
    auto add = [&](WideChar unit, uint16_t bytes) {
        if (unit < 0x80 || table.Reverse[unit] != 0)
            return;
        uint16_t preferred = cnv.Encode(unit);
        table.Reverse[unit] = (preferred != 0 && DecodeStored(table, preferred) == unit) ? preferred : bytes;
    };
    for (unsigned b = 0x80; b < 256; ++b)
        if (defined[b])
            add(table.Single[b], static_cast<uint16_t>(b));
    for (unsigned lead = 0; lead < 256; ++lead)
        for (unsigned trail = 0; trail < 256 && table.Lead[lead]; ++trail)
            if (WideChar unit =
                    table.Pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
                add(unit, static_cast<uint16_t>(lead << 8 | trail));
    // An undefined byte and a lead byte alone decode to the code point of their
    // own value; that code point encodes back to the byte unless a character of
    // the page claims it.
    for (unsigned b = 0x80; b < 256; ++b)
        if (!defined[b] && table.Reverse[b] == 0)
            table.Reverse[b] = static_cast<uint16_t>(b);
}

std::unique_ptr<TCodePageTable> BuildTable(unsigned codePage, const char* icuName)
{
    TIcuConverter cnv(icuName);
    if (!cnv.IsOpen())
        return nullptr;
    auto table = std::make_unique<TCodePageTable>();
    table->CodePage = codePage;
    bool defined[256];
    BuildSingleBytes(cnv, *table, defined);
    BuildPairs(cnv, *table);
    BuildReverse(cnv, *table, defined);
    return table;
}

} // namespace

const TCodePageTable* FindCodePageTable(unsigned codePage)
{
    // Tables are never freed before the program ends, so the last one found is
    // kept and answers at once while a text is converted piece by piece.
    static unsigned lastCodePage = 0;
    static const TCodePageTable* lastTable = nullptr;
    if (lastTable && lastCodePage == codePage)
        return lastTable;

    static std::map<unsigned, std::unique_ptr<TCodePageTable>> tables;
    auto it = tables.find(codePage);
    if (it == tables.end()) {
        const char* name = IcuNameOf(codePage);
        it = tables.emplace(codePage, name ? BuildTable(codePage, name) : nullptr).first;
    }
    lastCodePage = codePage;
    lastTable = it->second.get();
    return lastTable;
}

} // namespace codepages_detail
