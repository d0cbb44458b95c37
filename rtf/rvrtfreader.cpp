// The RTF parser's input, main loop, control-word reading, group stack, text
// runs, table steps and code pages.
#include "rtf/rvrtfreader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/gdiobjects.h"
#include "rtf/rvrtffields.h"

namespace {

constexpr size_t BlockSize = 4096;

bool IsLetter(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

int HexValue(int c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

TRVRTFReader::TRVRTFReader(TComponent* owner)
    : TComponent(owner), FState(std::make_unique<TRVRTFReaderState>())
{}

TRVRTFReader::~TRVRTFReader()
{
    Clear();
}

void TRVRTFReader::Clear()
{
    FStyleSheet.Clear();
    FFontTable.Clear();
    FColorTable.Clear();
    FListTable.Clear();
    FListOverrideTable.Clear();
    FStack.clear();
    FState->Reset();
    FState->Destination = rdsNorm;
    FState->InputState = risNorm;
    FText.clear();
    FBookmarkName.clear();
    FTextW.clear();
    FPosition = rtf_ts_NewPara;
    FBreakPending = false;
    FOuterPositions.clear();
    FPushedBack = false;
    FPicture.reset();
    FMarkerProps.reset();
    FCodePage = DefCodePage;
    FUnicodeFallback = 1;
    FHighSurrogate = 0;
    FCharsToSkip = 0;
    FGroupLevel = 0;
    FTableLevel = 0;
    FForceText = false;
    FBinBytesLeft = 0;
    FSkipDestIfUnknown = false;
    FPNSecLevel = 0;
}

TRVRTFErrorCode TRVRTFReader::ReadFromFile(const AnsiString& fileName)
{
    std::unique_ptr<TFileStream> stream;
    try {
        stream = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
    } catch (const std::exception&) {
        return rtf_ec_FileOpenError;
    }
    return ReadFromStream(*stream);
}

TRVRTFErrorCode TRVRTFReader::ReadFromStream(TStream& stream)
{
    FStream = &stream;
    FBuffer.clear();
    FBufPos = 0;
    FStreamEnded = false;
    TRVRTFErrorCode result;
    try {
        Clear();
        if (StartsAsRTF())
            result = Parse();
        else // a closing brace first is a group that was never opened
            result = Fill(1) && FBuffer[FBufPos] == '}' ? rtf_ec_StackUnderflow : rtf_ec_FileOpenError;
    } catch (...) {
        result = rtf_ec_Exception;
    }
    FBuffer.clear();
    FBuffer.shrink_to_fit();
    FStream = nullptr;
    return result;
}

// ---- Input

// Makes at least `wanted` unread bytes available unless the stream ends first.
bool TRVRTFReader::Fill(size_t wanted)
{
    while (FBuffer.size() - FBufPos < wanted && !FStreamEnded) {
        if (FBufPos > 0) {
            FBuffer.erase(0, FBufPos);
            FBufPos = 0;
        }
        const size_t old = FBuffer.size();
        FBuffer.resize(old + BlockSize);
        const int64_t got = FStream->Read(&FBuffer[old], static_cast<int64_t>(BlockSize));
        FBuffer.resize(old + static_cast<size_t>(std::max<int64_t>(got, 0)));
        if (got <= 0)
            FStreamEnded = true;
    }
    return FBuffer.size() - FBufPos >= wanted;
}

int TRVRTFReader::GetC()
{
    if (FPushedBack) {
        FPushedBack = false;
        return FLastChar;
    }
    if (FBufPos < FBuffer.size())
        return FLastChar = static_cast<unsigned char>(FBuffer[FBufPos++]);
    if (!Fill(1))
        return FLastChar = -1;
    FLastChar = static_cast<unsigned char>(FBuffer[FBufPos++]);
    return FLastChar;
}

// "{\rtf" after optional white space; nothing is consumed but the white space.
bool TRVRTFReader::StartsAsRTF()
{
    for (;;) {
        if (!Fill(1))
            return false;
        const char c = FBuffer[FBufPos];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            break;
        ++FBufPos;
    }
    return Fill(5) && std::memcmp(&FBuffer[FBufPos], "{\\rtf", 5) == 0;
}

// ---- Main loop

TRVRTFErrorCode TRVRTFReader::Parse()
{
    const TRVRTFErrorCode loopResult = ParseLoop();
    if (loopResult != rtf_ec_OK)
        return loopResult;
    // Text of an unclosed document is delivered before the failure is reported.
    TRVRTFErrorCode result = rtf_ec_OK;
    if (FState->Destination == rdsNorm && (!FText.empty() || !FTextW.empty()))
        result = FlushOpeningTables();
    UpdateMarker();
    EndTables(0);
    FColorTable.Finalize();
    if (FGroupLevel < 0)
        return rtf_ec_StackUnderflow;
    if (FGroupLevel > 0)
        return rtf_ec_UnmatchedBrace;
    return result;
}

TRVRTFErrorCode TRVRTFReader::ParseLoop()
{
    // GetC gives -1 at the end of the input.
    for (int c = GetC(); c >= 0; c = GetC()) {
        if (FGroupLevel < 0)
            return rtf_ec_StackUnderflow;
        TRVRTFErrorCode ec = rtf_ec_OK;
        // Binary data is taken byte by byte; elsewhere the bytes of
        // structure are told apart by one switch.
        if (FState->InputState == risBin) {
            ec = ParseChar(static_cast<unsigned char>(c));
            if (ec != rtf_ec_OK)
                return ec;
            continue;
        }
        switch (c) {
        case '{':
            FCharsToSkip = 0;
            ec = PushRtfState();
            break;
        case '}':
            FCharsToSkip = 0;
            ec = PopRtfState();
            if (ec == rtf_ec_OK && FGroupLevel == 0)
                return rtf_ec_OK;
            break;
        case '\\':
            ec = ParseRtfKeyword();
            break;
        case 13:
        case 10:
            continue;
        default:
            ec = ParseOther(c);
            break;
        }
        if (ec != rtf_ec_OK)
            return ec;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::ParseOther(int c)
{
    if (FState->InputState == risHex) {
        const int digit = HexValue(c);
        if (digit < 0)
            return rtf_ec_InvalidHex;
        FHexByte = static_cast<uint8_t>(FHexByte * 16 + digit);
        if (FHighNibbleNext) {
            FHighNibbleNext = false;
            return rtf_ec_OK;
        }
        FState->InputState = risNorm;
        if (FCharsToSkip > 0) {
            --FCharsToSkip;
            return rtf_ec_OK;
        }
        return ParseChar(FHexByte);
    }
    if (FCharsToSkip > 0) {
        --FCharsToSkip;
        return rtf_ec_OK;
    }
    return ParseChar(static_cast<unsigned char>(c));
}

TRVRTFErrorCode TRVRTFReader::ParseRtfKeyword()
{
    int c = GetC();
    if (c < 0)
        return rtf_ec_EndOfFile;
    if (!IsLetter(c)) {
        // A control symbol is one fallback character, except \' whose byte
        // counts when its two digits have been read.
        if (FCharsToSkip > 0 && c != '\'') {
            --FCharsToSkip;
            return rtf_ec_OK;
        }
        return TranslateKeyword(std::string(1, static_cast<char>(c)), 0, false);
    }
    std::string keyword;
    while (IsLetter(c)) {
        if (keyword.size() <= static_cast<size_t>(MaxKeywordLength))
            keyword += static_cast<char>(c);
        c = GetC();
    }
    bool negative = false;
    if (c == '-') {
        negative = true;
        c = GetC();
    }
    bool hasParam = false;
    int param = 0;
    if (IsDigit(c)) {
        // Digits accumulate saturating at 2^31, so that the sign applies safely.
        int64_t value = 0;
        while (IsDigit(c)) {
            value = std::min<int64_t>(value * 10 + (c - '0'), int64_t(INT_MAX) + 1);
            c = GetC();
        }
        param = negative ? static_cast<int>(-value) : static_cast<int>(std::min<int64_t>(value, INT_MAX));
        hasParam = true;
    }
    if (c != ' ' && c >= 0)
        UngetC();
    if (FCharsToSkip > 0) {
        --FCharsToSkip;
        return rtf_ec_OK;
    }
    if (keyword.size() > static_cast<size_t>(MaxKeywordLength))
        keyword = "?"; // no such control word
    return TranslateKeyword(keyword, param, hasParam);
}

TRVRTFErrorCode TRVRTFReader::ParseSpecialKeyword(TRTFIPFN ipfn, int param, bool hasParam)
{
    if (FState->Destination == rdsSkip && ipfn != ipfnBin)
        return rtf_ec_OK;
    switch (ipfn) {
    case ipfnBin:
        // A missing or non-positive count means no data.
        if (hasParam && param > 0) {
            FState->InputState = risBin;
            FBinBytesLeft = param;
        }
        return rtf_ec_OK;
    case ipfnHex:
        FState->InputState = risHex;
        FHexByte = 0;
        FHighNibbleNext = true;
        return rtf_ec_OK;
    case ipfnSkipDest:
        FSkipDestIfUnknown = true;
        return rtf_ec_OK;
    }
    return rtf_ec_BadTable;
}

// ---- Groups

TRVRTFErrorCode TRVRTFReader::PushRtfState()
{
    if (FGroupLevel >= MaxGroupLevel)
        return rtf_ec_StackOverflow;
    // The state of a group closed before is reused: a group costs a copy
    // of the properties, not a new state.
    std::unique_ptr<TRVRTFReaderState> saved;
    if (FSpareStates.empty()) {
        saved = std::make_unique<TRVRTFReaderState>();
    } else {
        saved = std::move(FSpareStates.back());
        FSpareStates.pop_back();
    }
    saved->Assign(*FState);
    FStack.push_back(std::move(saved));
    FState->InputState = risNorm;
    ++FGroupLevel;
    if (FState->Destination == rdsStyleSheet) {
        FStyleSheet.AddPara(0);
        FState->Destination = rdsStyleSheetEntry;
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::PopRtfState()
{
    if (FStack.empty())
        return rtf_ec_StackUnderflow;
    if (FStack.size() == 1)
        UpdateMarker();
    TRVRTFReaderState& saved = *FStack.back();
    if (FState->Destination == rdsStyleSheetEntry && saved.Destination == rdsStyleSheet && FStyleSheet.Last())
        FStyleSheet.Last()->Assign(*FState);
    TRVRTFErrorCode ec = rtf_ec_OK;
    if (FState->Destination == rdsNorm && (ec = Flush()) != rtf_ec_OK)
        return ec;
    const TRTFrds destination = FState->Destination;
    if (destination != saved.Destination && (ec = EndGroupAction(destination)) != rtf_ec_OK)
        return ec;
    // Level defaults read in a \pnseclvl group belong to the section around it.
    if (destination == rdsPNSecLvl && saved.Destination != rdsPNSecLvl)
        saved.SectionProps.TakeListDefaults(FState->SectionProps);
    if (FState->HFType != saved.HFType && FState->HFType != rtf_hf_MainText && OnHeaderFooter) {
        // The tables the group opened end with it, in its document.
        const TRVRTFParaProperties& outer = saved.ParaProps;
        EndTables(outer.InTable ? RVRTFClamp(outer.NestingLevel, 0, rtfMaxTableNesting) : 0);
        OnHeaderFooter(this, FState->HFType, false);
    }
    if (!FOuterPositions.empty() && FOuterPositions.back().first == FGroupLevel) {
        FPosition = FOuterPositions.back().second;
        FOuterPositions.pop_back();
    }
    FState->Assign(saved);
    if (destination == rdsPN && FState->Destination != rdsPN && FMarkerProps) {
        FState->ParaProps.GetMarkerProps().Assign(*FMarkerProps, false);
        FMarkerProps.reset();
    }
    FStack.back()->ReleaseShared();
    FSpareStates.push_back(std::move(FStack.back()));
    FStack.pop_back();
    --FGroupLevel;
    return rtf_ec_OK;
}

// ---- Characters by destination

TRVRTFErrorCode TRVRTFReader::ParseChar(unsigned char c)
{
    FHighSurrogate = 0;
    TRVRTFErrorCode ec = rtf_ec_OK;
    const bool binary = FState->InputState == risBin;
    if (binary) {
        // Raw bytes belong to a picture only; elsewhere they are dropped.
        if (FState->Destination == rdsPict && FPicture)
            FPicture->Data.WriteBuffer(&c, 1);
        if (--FBinBytesLeft <= 0)
            FState->InputState = risNorm;
        return rtf_ec_OK;
    }
    switch (FState->Destination) {
    case rdsNorm:
        if (c == 10 || c == 13)
            UpdateMarker();
        ec = OutputChar(static_cast<char>(c), true, true);
        if (c == 10 || c == 13)
            UpdateMarker();
        break;
    case rdsFontTable:
        if (c != ';' && FFontTable.Last())
            FFontTable.Last()->Name += static_cast<char>(c);
        break;
    case rdsColorTable:
        if (c == ';')
            FColorTable.Add();
        break;
    case rdsStyleSheetEntry:
        if (c != ';' && FStyleSheet.Last())
            FStyleSheet.Last()->Name += static_cast<char>(c);
        break;
    case rdsPict:
        ec = ParsePictureByte(c);
        break;
    case rdsFldInst:
        FState->FieldInstruction += static_cast<char>(c);
        break;
    case rdsBookmarkStart:
        if (FBookmarkName.size() < MaxBookmarkName && c != ' ' && c >= 32)
            FBookmarkName += static_cast<char>(c);
        break;
    case rdsPNTextAfter:
    case rdsPNTextBefore:
        if (FMarkerProps)
            (FState->Destination == rdsPNTextAfter ? FMarkerProps->TextAfter : FMarkerProps->TextBefore) +=
                static_cast<char>(c);
        break;
    case rdsListName:
        if (FListTable.GetLastList())
            FListTable.GetLastList()->Name += static_cast<char>(c);
        break;
    case rdsListLevelText:
    case rdsListLevelNumbers: {
        TRVRTFList97* list = FListTable.GetLastList();
        TRVRTFListLevel97* level = list ? list->GetLastLevel() : nullptr;
        if (!level)
            break;
        if (FState->Destination == rdsListLevelNumbers) {
            level->Numbers += static_cast<char>(c);
            break;
        }
        level->Text += static_cast<char>(c);
        if (!level->TextW.empty())
            level->TextW += AnsiToUnicode(AnsiString(1, static_cast<char>(c)), FCodePage);
        break;
    }
    default:
        break;
    }
    return ec;
}

TRVRTFErrorCode TRVRTFReader::ParsePictureByte(unsigned char c)
{
    if (!FPicture)
        return rtf_ec_OK;
    if (c == ' ' || c == '\t')
        return rtf_ec_OK; // blanks between hex digits are ignored like line ends
    const int digit = HexValue(c);
    if (digit < 0)
        return rtf_ec_InvalidPicture;
    FHexByte = static_cast<uint8_t>(FHexByte * 16 + digit);
    if (FHighNibbleNext) {
        FHighNibbleNext = false;
    } else {
        FPicture->Data.WriteBuffer(&FHexByte, 1);
        FHexByte = 0;
        FHighNibbleNext = true;
    }
    return rtf_ec_OK;
}

// ---- Text runs

TRVRTFErrorCode TRVRTFReader::OutputChar(char c, bool allowTableEnd, bool checkTables)
{
    if (checkTables)
        CheckTable(allowTableEnd);
    if (c != 0 && c != 10 && c != 13) {
        if (!FTextW.empty()) {
            const TRVRTFErrorCode ec = Flush();
            if (ec != rtf_ec_OK)
                return ec;
        }
        FText += c;
        return rtf_ec_OK;
    }
    return FlushOutput(c == 10 ? rtf_ts_NewPara : c == 13 ? rtf_ts_NewLine : rtf_ts_ContinuePara);
}

TRVRTFErrorCode TRVRTFReader::OutputWideChar(WideChar w)
{
    if (FState->Destination == rdsNorm) {
        CheckTable(true);
        if (OnNewUnicodeText) {
            if (!FText.empty()) {
                const TRVRTFErrorCode ec = Flush();
                if (ec != rtf_ec_OK)
                    return ec;
            }
            if (w != 0)
                FTextW += w;
        }
    } else if (FState->Destination == rdsListLevelText) {
        TRVRTFList97* list = FListTable.GetLastList();
        TRVRTFListLevel97* level = list ? list->GetLastLevel() : nullptr;
        // The level's bytes are made from its characters when the level's
        // font is known (LevelTextToBytes).
        if (level && w != 0) {
            if (level->TextW.empty())
                level->TextW = AnsiToUnicode(level->Text, FCodePage);
            level->TextW += w;
        }
    }
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::FlushOutput(TRVRTFPosition nextPosition)
{
    if (!HasPending()) {
        // A pending paragraph or line start is carried to the next text; only a
        // break after another break with nothing between fires an empty run.
        if (FPosition == rtf_ts_ContinuePara) {
            FPosition = nextPosition;
            FBreakPending = nextPosition != rtf_ts_ContinuePara;
            return rtf_ec_OK;
        }
        if (nextPosition == rtf_ts_ContinuePara)
            return rtf_ec_OK;
    }
    FState->ParaProps.Finalize();
    const TRVRTFPosition position = FPosition;
    WideString textW;
    AnsiString text;
    textW.swap(FTextW);
    text.swap(FText);
    FForceText = false;
    FPosition = nextPosition;
    FBreakPending = nextPosition != rtf_ts_ContinuePara;
    if (OnNewUnicodeText && !textW.empty())
        OnNewUnicodeText(this, textW, position);
    else if (OnNewText)
        OnNewText(this, text, position);
    return rtf_ec_OK;
}

TRVRTFErrorCode TRVRTFReader::FlushOpeningTables()
{
    CheckTable(false);
    return Flush();
}

// ---- Tables and markers

void TRVRTFReader::CheckTable(bool allowEnd)
{
    const TRVRTFParaProperties& para = FState->ParaProps;
    const int wanted = para.InTable ? RVRTFClamp(para.NestingLevel, 0, rtfMaxTableNesting) : 0;
    while (FTableLevel < wanted) {
        ++FTableLevel;
        DoTable(rvf_tbl_TableStart);
    }
    if (allowEnd && !para.NoTableEvents) {
        while (FTableLevel > wanted) {
            --FTableLevel;
            DoTable(rvf_tbl_TableEnd);
        }
    }
}

void TRVRTFReader::EndTables(int level)
{
    while (FTableLevel > level) {
        --FTableLevel;
        DoTable(rvf_tbl_TableEnd);
    }
}

void TRVRTFReader::DoTable(TRVRTFTableEventKind kind)
{
    UpdateMarker();
    if (OnTable)
        OnTable(this, kind);
}

void TRVRTFReader::UpdateMarker()
{
    if (!OnUpdateMarker || !FState->ParaProps.HasMarker())
        return;
    FState->ParaProps.MarkerProps->UpdateFrom(FState->CharProps);
    OnUpdateMarker(this);
}

// ---- Code pages

WideString TRVRTFReader::AnsiToUnicode(const AnsiString& s, unsigned codePage) const
{
    if (s.empty())
        return WideString();
    const int count = static_cast<int>(std::min<size_t>(s.size(), INT_MAX));
    for (unsigned cp : {codePage, 0u}) {
        const int size = MultiByteToWideChar(cp, 0, s.data(), count, nullptr, 0);
        if (size > 0) {
            WideString w(static_cast<size_t>(size), u'\0');
            if (MultiByteToWideChar(cp, 0, s.data(), count, &w[0], size) == size)
                return w;
        }
        if (cp == 0)
            break;
    }
    // Byte by byte: only the bytes that do not convert become '?'.
    WideString w;
    for (char c : s) {
        WideChar unit = u'?';
        if (MultiByteToWideChar(codePage, 0, &c, 1, &unit, 1) != 1)
            unit = u'?';
        w += unit;
    }
    return w;
}

unsigned TRVRTFReader::FontCodePage(int fontIndex) const
{
    const auto& fonts = FFontTable.Items;
    const int charset =
        fontIndex >= 0 && fontIndex < int(fonts.size()) ? fonts[fontIndex]->Charset : int(DEFAULT_CHARSET);
    if (charset == SYMBOL_CHARSET)
        return CP_SYMBOL;
    return ResolveCodePage(charset == DEFAULT_CHARSET ? FCodePage : RVU_Charset2CodePage(charset));
}

unsigned TRVRTFReader::TextCodePage() const
{
    const TRVRTFCharProperties& chars = FState->CharProps;
    // A symbol font named by a field writes its character codes as they are,
    // whatever the font table says of the run's font.
    if (!chars.FontName.empty() && RVRTFIsSymbolFontName(chars.FontName))
        return CP_SYMBOL;
    return FontCodePage(chars.FontIndex);
}

AnsiString RVRTFUnicodeToAnsi(const WideString& text, unsigned codePage)
{
    if (codePage != CP_SYMBOL)
        return WideToAnsi(text, codePage);
    AnsiString bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned unit = text[i];
        if (unit < 0x80)
            bytes += static_cast<char>(unit);
        else if (unit >= 0xF000 && unit <= 0xF0FF)
            bytes += static_cast<char>(unit & 0xFF);
        else if (unit == 0x2022)
            bytes += '\xB7';
        else {
            // One '?' for a character of two units.
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF)
                ++i;
            bytes += '?';
        }
    }
    return bytes;
}
