// The item store as plain text: the writer of the document or its selection,
// in ANSI or UTF-16, and the readers that append an 8-bit or UTF-16 text file,
// or UTF-16 text in memory, one text item per line.
//
// The readers take a file in chunks and never hold more than one line (or the
// first MaxLoadedTextItemLength bytes of it) at a time, whatever the file's
// size; a line longer than that becomes several items of one line, each cut on
// a whole character. A line end or a Ctrl-Z that arrives split over two chunks
// counts as it would in one.
#include <algorithm>
#include <memory>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"

namespace {

constexpr int64_t ChunkSize = 64 * 1024;

// The read buffer of a file: a chunk, or less for a smaller file (at least a
// page, should the file grow while it is read). It is not cleared: only what
// a read fills is used.
std::unique_ptr<char[]> ReadBuffer(TStream& stream, int64_t extra, int64_t& size)
{
    size = std::min(ChunkSize, std::max<int64_t>(stream.Size(), 4096));
    return std::unique_ptr<char[]>(new char[static_cast<size_t>(size + extra)]);
}

// Restores the store's paragraph mode however the block is left.
class TParagraphModeKeeper {
public:
    explicit TParagraphModeKeeper(TCustomRVData* data) : FData(data), FSaved(data->AddParagraphMode) {}
    ~TParagraphModeKeeper() { FData->AddParagraphMode = FSaved; }
    TParagraphModeKeeper(const TParagraphModeKeeper&) = delete;
    TParagraphModeKeeper& operator=(const TParagraphModeKeeper&) = delete;

private:
    TCustomRVData* FData;
    bool FSaved;
};

bool IsUnicodeStyle(TCustomRVData* data, int styleNo)
{
    TRVStyle* style = data->GetRVStyle();
    return style && style->TextStyles()->Items(styleNo)->Unicode();
}

// The longest head of s, at most Max bytes, that ends on a whole character of
// the code page; at least one character, so that cutting always moves on.
size_t AnsiCutPosition(const AnsiString& s, size_t max, unsigned codePage)
{
    const char* start = s.data();
    const char* end = start + s.size();
    const char* pos = start;
    for (;;) {
        const char* next = CharNextExA(codePage, pos, end);
        if (next == pos || static_cast<size_t>(next - start) > max)
            break;
        pos = next;
    }
    if (pos == start)
        pos = CharNextExA(codePage, start, end);
    return static_cast<size_t>(pos - start);
}

// ---------------------------------------------------------------------------
// 8-bit text

// Appends the lines of 8-bit text fed to it in order. A line ends at CR, LF or
// CR LF; a NUL byte becomes '?'; where the document supports page breaks a form
// feed ends a piece of the line and puts a page break before the next line
// added; a Ctrl-Z that is the last byte of all ends the input.
class TAnsiTextLoader {
public:
    TAnsiTextLoader(TCustomRVData* data, int styleNo, int paraNo, bool asSingleParagraph)
        : FData(data), FStyleNo(styleNo), FParaNo(paraNo), FAsSingleParagraph(asSingleParagraph),
          FCodePage(data->GetStyleCodePage(styleNo)), FToUnicode(IsUnicodeStyle(data, styleNo)),
          FPageBreaks(data->SupportsPageBreaks())
    {}

    void Feed(const char* bytes, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            if (FCtrlZWaiting) {
                // It was not the last byte after all: an ordinary character.
                FCtrlZWaiting = false;
                Byte('\x1A');
            }
            if (bytes[i] == '\x1A' && i + 1 == count)
                FCtrlZWaiting = true;
            else
                Byte(bytes[i]);
        }
    }

    // The end of the input: a last line without a line end still counts; a
    // page break still pending is dropped.
    void Finish()
    {
        if (!FPieceEmpty)
            EndPiece();
    }

private:
    void Byte(char c)
    {
        if (FAfterCR) {
            FAfterCR = false;
            if (c == '\n')
                return;
        }
        if (c == '\r' || c == '\n') {
            EndPiece();
            FAfterCR = c == '\r';
            return;
        }
        FPieceEmpty = false;
        if (c == '\f' && FPageBreaks) {
            if (!FSegment.empty())
                AddSegment();
            FSegmentStarted = false;
            FPageBreakPending = true;
            return;
        }
        FSegment += c == '\0' ? '?' : c;
        if (FSegment.size() >= static_cast<size_t>(TCustomRVData::MaxLoadedTextItemLength))
            CutSegment();
    }

    // A line end. With page breaks a line with no byte at all is an empty line
    // and the text after the last form feed is added when there is some;
    // without them every line is added as it is.
    void EndPiece()
    {
        if (FPageBreaks ? (FPieceEmpty || !FSegment.empty()) : (!FSegment.empty() || !FSegmentStarted))
            AddSegment();
        FSegment.clear();
        FSegmentStarted = false;
        FPieceEmpty = true;
    }

    // The segment holds at least a whole character; the bytes of its last
    // character may still be on their way, so the cut stays before any
    // character that could reach the end.
    void CutSegment()
    {
        const size_t room = static_cast<size_t>(CodePageMaxCharSize(FCodePage) - 1);
        const size_t cut = AnsiCutPosition(FSegment, FSegment.size() - room, FCodePage);
        AnsiString head = FSegment.substr(0, cut);
        FSegment.erase(0, cut);
        AddPart(head);
    }

    void AddSegment()
    {
        AnsiString text;
        text.swap(FSegment);
        AddPart(text);
        FSegmentStarted = false;
    }

    // Adds text of the current segment: its first part starts a line, the
    // others continue it.
    void AddPart(const AnsiString& part)
    {
        const AnsiString s = FToUnicode ? RVU_AnsiToUnicode(FCodePage, part) : part;
        if (FSegmentStarted) {
            FData->AddNL(s, FStyleNo, -1);
            return;
        }
        FData->AddNL(s, FStyleNo, FParaNo);
        FSegmentStarted = true;
        if (!FFirstLineAdded) {
            FFirstLineAdded = true;
            if (FAsSingleParagraph)
                FData->AddParagraphMode = false;
        }
        if (FPageBreakPending) {
            FData->SetPageBreaksBeforeItems(FData->GetItemCount() - 1, true);
            FPageBreakPending = false;
        }
    }

    TCustomRVData* FData;
    int FStyleNo;
    int FParaNo;
    bool FAsSingleParagraph;
    unsigned FCodePage;
    bool FToUnicode;
    bool FPageBreaks;

    AnsiString FSegment;          // text of the line since its start or its last form feed
    bool FSegmentStarted = false; // part of the segment is added: the rest continues its line
    bool FPieceEmpty = true;      // no byte of the line seen yet
    bool FAfterCR = false;        // an LF now is the second half of CR LF
    bool FCtrlZWaiting = false;   // a Ctrl-Z ended the data so far
    bool FPageBreakPending = false;
    bool FFirstLineAdded = false;
};

// ---------------------------------------------------------------------------
// UTF-16 text

inline bool IsHighSurrogate(WideChar c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// Appends the pieces of UTF-16 text fed to it in order, as AddTextNLW
// describes. Each separator sets the paragraph mode for the piece it ends;
// after a piece is added (or an empty one skipped) in paragraph mode, the
// next one takes OtherParaNo.
class TUnicodeTextLoader {
public:
    TUnicodeTextLoader(TCustomRVData* data, int styleNo, int firstParaNo, int otherParaNo,
                       bool asSingleParagraph)
        : FData(data), FStyleNo(styleNo), FOtherParaNo(otherParaNo), FParaNo(firstParaNo),
          FLineMode(!asSingleParagraph), FCodePage(data->GetStyleCodePage(styleNo)),
          FToAnsi(data->GetRVStyle() && !IsUnicodeStyle(data, styleNo)),
          FPageBreaks(data->SupportsPageBreaks())
    {
        FData->AddParagraphMode = FLineMode;
    }

    // Count units, two bytes each, low byte first unless BigEndian.
    void Feed(const char* bytes, size_t count, bool bigEndian)
    {
        for (size_t i = 0; i < count; ++i) {
            const WideChar unit = RVU_RawUnicodeUnit(bytes, i);
            Unit(bigEndian ? static_cast<WideChar>(unit << 8 | unit >> 8) : unit);
        }
    }

    // The remaining piece is added even when empty, so that text ending in a
    // line end ends with an empty line.
    void Finish() { EndPiece(); }

private:
    void Unit(WideChar c)
    {
        if (FFirstHalf) {
            const WideChar first = FFirstHalf;
            FFirstHalf = 0;
            if ((first == 0x0D && c == 0x0A) || (first == 0x0A && c == 0x0D))
                return;
        }
        switch (c) {
        case 0x2029:
            FData->AddParagraphMode = true;
            EndPiece();
            break;
        case 0x2028:
        case 0x000B:
        case 0x0000:
            FData->AddParagraphMode = false;
            EndPiece();
            break;
        case 0x000D:
        case 0x000A:
            FData->AddParagraphMode = FLineMode;
            EndPiece();
            FFirstHalf = c;
            break;
        case 0x000C:
            FData->AddParagraphMode = FLineMode;
            if (!FPiece.empty() || FPieceStarted)
                EndPiece();
            if (FPageBreaks)
                FPageBreakPending = true;
            break;
        default:
            FPiece += c;
            if (FPiece.size() >= static_cast<size_t>(TCustomRVData::MaxLoadedTextItemLength / 2))
                CutPiece();
        }
    }

    void EndPiece()
    {
        if (FPieceStarted) {
            if (!FPiece.empty())
                AddText(FPiece, -1);
        } else if (FPiece.empty() && FPageBreakPending) {
            // The page break waits for the next piece; the paragraph style stays.
            return;
        } else if (!FPiece.empty() || FParaNo != -1) {
            AddFirstPart(FPiece);
        }
        if (FData->AddParagraphMode)
            FParaNo = FOtherParaNo;
        FPiece.clear();
        FPieceStarted = false;
    }

    // A piece too long for one item: its head, up to a whole character.
    void CutPiece()
    {
        size_t cut = FPiece.size();
        if (cut > 1 && IsHighSurrogate(FPiece[cut - 1]))
            --cut;
        const WideString head = FPiece.substr(0, cut);
        FPiece.erase(0, cut);
        if (FPieceStarted) {
            AddText(head, -1);
        } else {
            AddFirstPart(head);
            FPieceStarted = true;
        }
    }

    void AddFirstPart(const WideString& text)
    {
        AddText(text, FParaNo);
        if (FPageBreakPending) {
            FData->SetPageBreaksBeforeItems(FData->GetItemCount() - 1, true);
            FPageBreakPending = false;
        }
    }

    void AddText(const WideString& text, int paraNo)
    {
        AnsiString s = RVU_GetRawUnicode(text);
        if (FToAnsi)
            s = RVU_UnicodeToAnsi(FCodePage, s);
        FData->AddNL(s, FStyleNo, paraNo);
    }

    TCustomRVData* FData;
    int FStyleNo;
    int FOtherParaNo;
    int FParaNo;    // of the next piece
    bool FLineMode; // the paragraph mode of CR, LF and form feed
    unsigned FCodePage;
    bool FToAnsi;
    bool FPageBreaks;

    WideString FPiece;
    bool FPieceStarted = false; // the piece's head is added: the rest continues its line
    WideChar FFirstHalf = 0;    // a CR or LF whose partner now would be swallowed
    bool FPageBreakPending = false;
};

} // namespace

// ---------------------------------------------------------------------------
// Writing

bool TCustomRVData::SaveTextToStream(const AnsiString& Path, TStream& Stream, int LineWidth,
                                     bool selectionOnly, bool TextOnly, bool unicode)
{
    try {
        int startItemNo = 0, endItemNo = 0, startOffs = 0, endOffs = 0;
        TRVMultiDrawItemPart* startPart = nullptr;
        TRVMultiDrawItemPart* endPart = nullptr;
        RVFGetLimits(GetRVFSaveScope(selectionOnly), startItemNo, endItemNo, startOffs, endOffs, startPart,
                     endPart);
        if (endItemNo >= Items->Count())
            endItemNo = Items->Count() - 1;
        if (startItemNo < 0 || startItemNo > endItemNo)
            return true;
        const unsigned DefCodePage = GetDefaultCodePage();

        auto writeLineEnd = [&] {
            RVFWrite(Stream, unicode ? AnsiString("\r\0\n\0", 4) : AnsiString("\r\n"));
        };
        // Characters From .. From + Count - 1 of a text item, in the output's encoding.
        auto writeText = [&](int itemNo, int from, int count) {
            const TCustomRVItemInfo* item = GetItem(itemNo);
            const AnsiString s = RVU_Copy(Items->Get(itemNo), from, count, item->ItemOptions);
            const bool itemUnicode = item->ItemOptions.Contains(rvioUnicode);
            if (itemUnicode && !unicode)
                RVFWrite(Stream, RVU_UnicodeToAnsi(DefCodePage, s));
            else if (!itemUnicode && unicode)
                RVFWrite(Stream, RVU_AnsiToUnicode(GetStyleCodePage(item->StyleNo), s));
            else
                RVFWrite(Stream, s);
        };
        auto writeNonText = [&](int itemNo) {
            TCustomRVItemInfo* item = GetItem(itemNo);
            if (TextOnly && !item->GetBoolValue(rvbpAlwaysInText))
                return;
            const bool canUnicode = item->GetBoolValue(rvbpCanSaveUnicode);
            AnsiString s =
                item->AsText(LineWidth, this, Items->Get(itemNo), Path, TextOnly, unicode && canUnicode);
            if (unicode && !canUnicode)
                s = RVU_AnsiToUnicode(DefCodePage, s);
            RVFWrite(Stream, s);
        };
        auto isText = [&](int itemNo) { return GetItem(itemNo)->StyleNo >= 0; };
        auto length = [&](int itemNo) {
            return RVU_Length(Items->Get(itemNo), GetItem(itemNo)->ItemOptions);
        };

        // A selection that begins inside a numbered line keeps the line's
        // number, unless the marker is selected itself and written below.
        if (selectionOnly) {
            const int lineStart = GetFirstParaSectionItem(startItemNo);
            if (GetItem(lineStart)->StyleNo == rvsListMarker && !(lineStart == startItemNo && startOffs <= 0))
                writeNonText(lineStart);
        }

        if (startItemNo == endItemNo) {
            if (isText(startItemNo))
                writeText(startItemNo, startOffs, endOffs - startOffs);
            else if (startOffs < endOffs)
                writeNonText(startItemNo);
            return true;
        }
        if (isText(startItemNo))
            writeText(startItemNo, startOffs, length(startItemNo) - startOffs + 1);
        else if (startOffs == 0)
            writeNonText(startItemNo);
        for (int i = startItemNo + 1; i <= endItemNo; ++i) {
            if (!GetItem(i)->GetSameAsPrev())
                writeLineEnd();
            if (i < endItemNo) {
                if (isText(i))
                    writeText(i, 1, length(i));
                else
                    writeNonText(i);
            } else if (isText(i)) {
                writeText(i, 1, endOffs - 1);
            } else if (endOffs > 0) {
                writeNonText(i);
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TCustomRVData::SaveText(const AnsiString& fileName, int LineWidth, bool Unicode)
{
    try {
        SafeWriteFile(fileName, [&](TStream& stream) {
            // A failed write must not replace the file.
            if (!SaveTextToStream(ExtractFilePath(fileName), stream, LineWidth, false, false, Unicode))
                throw EWriteError(SysConst::SWriteError);
        });
        return true;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------------------
// Reading

bool TCustomRVData::LoadText(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph)
{
    TParagraphModeKeeper keeper(this);
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
        TAnsiTextLoader loader(this, styleNo, paraNo, asSingleParagraph);
        int64_t chunk = 0;
        const std::unique_ptr<char[]> buffer = ReadBuffer(stream, 0, chunk);
        for (;;) {
            const int64_t read = stream.Read(buffer.get(), chunk);
            if (read <= 0)
                break;
            loader.Feed(buffer.get(), static_cast<size_t>(read));
        }
        loader.Finish();
        return true;
    } catch (...) {
        return false;
    }
}

bool TCustomRVData::LoadTextW(const AnsiString& fileName, int styleNo, int paraNo, bool asSingleParagraph)
{
    TParagraphModeKeeper keeper(this);
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
        // Half a unit cannot be read: fail before anything is added.
        RVCheckUni(stream.Size());
        std::unique_ptr<TUnicodeTextLoader> loader;
        bool bigEndian = false;
        bool first = true;
        int64_t chunk = 0;
        const std::unique_ptr<char[]> buffer = ReadBuffer(stream, 1, chunk);
        size_t carried = 0; // a byte of a unit split over two reads
        for (;;) {
            const int64_t read = stream.Read(buffer.get() + carried, chunk);
            if (read <= 0)
                break;
            const size_t bytes = carried + static_cast<size_t>(read);
            size_t start = 0;
            if (first && bytes >= 2) {
                first = false;
                const auto b0 = static_cast<unsigned char>(buffer[0]);
                const auto b1 = static_cast<unsigned char>(buffer[1]);
                if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
                    bigEndian = b0 == 0xFE;
                    start = 2;
                }
            }
            const size_t units = (bytes - start) / 2;
            if (units > 0) {
                if (!loader)
                    loader = std::make_unique<TUnicodeTextLoader>(this, styleNo, paraNo, paraNo,
                                                                  asSingleParagraph);
                loader->Feed(buffer.get() + start, units, bigEndian);
            }
            carried = (bytes - start) % 2;
            if (carried)
                buffer[0] = buffer[bytes - 1];
        }
        // The file changed its length while it was read.
        RVCheckUni(static_cast<int64_t>(carried));
        if (loader)
            loader->Finish();
        else if (paraNo != -1)
            AddNL(AnsiString(), styleNo, paraNo);
        return true;
    } catch (...) {
        return false;
    }
}

void TCustomRVData::AddTextNLW(const AnsiString& s, int styleNo, int firstParaNo, int otherParaNo,
                               bool asSingleParagraph)
{
    TParagraphModeKeeper keeper(this);
    if (s.empty()) {
        if (firstParaNo != -1)
            AddNL(AnsiString(), styleNo, firstParaNo);
        return;
    }
    RVCheckUni(static_cast<int64_t>(s.size()));
    TUnicodeTextLoader loader(this, styleNo, firstParaNo, otherParaNo, asSingleParagraph);
    loader.Feed(s.data(), s.size() / 2, false);
    loader.Finish();
}
