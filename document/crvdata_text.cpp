// The item store as plain text: the writer of the document or its selection,
// in ANSI or UTF-16, and the readers that append an 8-bit or UTF-16 text file,
// or UTF-16 text in memory, one text item per line.
//
// The readers take a file in chunks and never hold more than one line (or the
// first MaxLoadedTextItemLength bytes of it) at a time, whatever the file's
// size; a line longer than that becomes several items of one line, each cut on
// a whole character. A line end or a Ctrl-Z that arrives split over two chunks
// counts as it would in one.
#include <vector>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"

namespace {

constexpr int64_t ChunkSize = 64 * 1024;

// Restores the store's paragraph mode however the block is left.
class TParagraphModeKeeper {
public:
    explicit TParagraphModeKeeper(TCustomRVData* Data) : FData(Data), FSaved(Data->AddParagraphMode) {}
    ~TParagraphModeKeeper() { FData->AddParagraphMode = FSaved; }
    TParagraphModeKeeper(const TParagraphModeKeeper&) = delete;
    TParagraphModeKeeper& operator=(const TParagraphModeKeeper&) = delete;

private:
    TCustomRVData* FData;
    bool FSaved;
};

bool IsUnicodeStyle(TCustomRVData* Data, int StyleNo)
{
    TRVStyle* Style = Data->GetRVStyle();
    return Style && Style->TextStyles()->Items(StyleNo)->Unicode();
}

// The longest head of s, at most Max bytes, that ends on a whole character of
// the code page; at least one character, so that cutting always moves on.
size_t AnsiCutPosition(const AnsiString& s, size_t Max, unsigned CodePage)
{
    const char* Start = s.data();
    const char* End = Start + s.size();
    const char* Pos = Start;
    for (;;) {
        const char* Next = CharNextExA(CodePage, Pos, End);
        if (Next == Pos || static_cast<size_t>(Next - Start) > Max)
            break;
        Pos = Next;
    }
    if (Pos == Start)
        Pos = CharNextExA(CodePage, Start, End);
    return static_cast<size_t>(Pos - Start);
}

// ---------------------------------------------------------------------------
// 8-bit text

// Appends the lines of 8-bit text fed to it in order. A line ends at CR, LF or
// CR LF; a NUL byte becomes '?'; where the document supports page breaks a form
// feed ends a piece of the line and puts a page break before the next line
// added; a Ctrl-Z that is the last byte of all ends the input.
class TAnsiTextLoader {
public:
    TAnsiTextLoader(TCustomRVData* Data, int StyleNo, int ParaNo, bool AsSingleParagraph)
        : FData(Data), FStyleNo(StyleNo), FParaNo(ParaNo), FAsSingleParagraph(AsSingleParagraph),
          FCodePage(Data->GetStyleCodePage(StyleNo)), FToUnicode(IsUnicodeStyle(Data, StyleNo)),
          FPageBreaks(Data->SupportsPageBreaks())
    {}

    void Feed(const char* Bytes, size_t Count)
    {
        for (size_t i = 0; i < Count; ++i) {
            if (FCtrlZWaiting) {
                // It was not the last byte after all: an ordinary character.
                FCtrlZWaiting = false;
                Byte('\x1A');
            }
            if (Bytes[i] == '\x1A' && i + 1 == Count)
                FCtrlZWaiting = true;
            else
                Byte(Bytes[i]);
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
        const size_t Room = static_cast<size_t>(CodePageMaxCharSize(FCodePage) - 1);
        const size_t Cut = AnsiCutPosition(FSegment, FSegment.size() - Room, FCodePage);
        AnsiString Head = FSegment.substr(0, Cut);
        FSegment.erase(0, Cut);
        AddPart(Head);
    }

    void AddSegment()
    {
        AnsiString Text;
        Text.swap(FSegment);
        AddPart(Text);
        FSegmentStarted = false;
    }

    // Adds text of the current segment: its first part starts a line, the
    // others continue it.
    void AddPart(const AnsiString& Part)
    {
        const AnsiString s = FToUnicode ? RVU_AnsiToUnicode(FCodePage, Part) : Part;
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
    TUnicodeTextLoader(TCustomRVData* Data, int StyleNo, int FirstParaNo, int OtherParaNo,
                       bool AsSingleParagraph)
        : FData(Data), FStyleNo(StyleNo), FOtherParaNo(OtherParaNo), FParaNo(FirstParaNo),
          FLineMode(!AsSingleParagraph), FCodePage(Data->GetStyleCodePage(StyleNo)),
          FToAnsi(Data->GetRVStyle() && !IsUnicodeStyle(Data, StyleNo)),
          FPageBreaks(Data->SupportsPageBreaks())
    {
        FData->AddParagraphMode = FLineMode;
    }

    // Count units, two bytes each, low byte first unless BigEndian.
    void Feed(const char* Bytes, size_t Count, bool BigEndian)
    {
        for (size_t i = 0; i < Count; ++i) {
            const auto b0 = static_cast<unsigned char>(Bytes[2 * i]);
            const auto b1 = static_cast<unsigned char>(Bytes[2 * i + 1]);
            Unit(static_cast<WideChar>(BigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
        }
    }

    // The remaining piece is added even when empty, so that text ending in a
    // line end ends with an empty line.
    void Finish() { EndPiece(); }

private:
    void Unit(WideChar c)
    {
        if (FFirstHalf) {
            const WideChar First = FFirstHalf;
            FFirstHalf = 0;
            if ((First == 0x0D && c == 0x0A) || (First == 0x0A && c == 0x0D))
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
        size_t Cut = FPiece.size();
        if (Cut > 1 && IsHighSurrogate(FPiece[Cut - 1]))
            --Cut;
        const WideString Head = FPiece.substr(0, Cut);
        FPiece.erase(0, Cut);
        if (FPieceStarted) {
            AddText(Head, -1);
        } else {
            AddFirstPart(Head);
            FPieceStarted = true;
        }
    }

    void AddFirstPart(const WideString& Text)
    {
        AddText(Text, FParaNo);
        if (FPageBreakPending) {
            FData->SetPageBreaksBeforeItems(FData->GetItemCount() - 1, true);
            FPageBreakPending = false;
        }
    }

    void AddText(const WideString& Text, int ParaNo)
    {
        AnsiString s = RVU_GetRawUnicode(Text);
        if (FToAnsi)
            s = RVU_UnicodeToAnsi(FCodePage, s);
        FData->AddNL(s, FStyleNo, ParaNo);
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
                                     bool SelectionOnly, bool TextOnly, bool Unicode)
{
    try {
        int StartItemNo = 0, EndItemNo = 0, StartOffs = 0, EndOffs = 0;
        TRVMultiDrawItemPart* StartPart = nullptr;
        TRVMultiDrawItemPart* EndPart = nullptr;
        RVFGetLimits(GetRVFSaveScope(SelectionOnly), StartItemNo, EndItemNo, StartOffs, EndOffs, StartPart,
                     EndPart);
        if (EndItemNo >= Items->Count())
            EndItemNo = Items->Count() - 1;
        if (StartItemNo < 0 || StartItemNo > EndItemNo)
            return true;
        const unsigned DefCodePage = GetDefaultCodePage();

        auto WriteLineEnd = [&] {
            RVFWrite(Stream, Unicode ? AnsiString("\r\0\n\0", 4) : AnsiString("\r\n"));
        };
        // Characters From .. From + Count - 1 of a text item, in the output's encoding.
        auto WriteText = [&](int ItemNo, int From, int Count) {
            const TCustomRVItemInfo* Item = GetItem(ItemNo);
            const AnsiString s = RVU_Copy(Items->Get(ItemNo), From, Count, Item->ItemOptions);
            const bool ItemUnicode = Item->ItemOptions.Contains(rvioUnicode);
            if (ItemUnicode && !Unicode)
                RVFWrite(Stream, RVU_UnicodeToAnsi(DefCodePage, s));
            else if (!ItemUnicode && Unicode)
                RVFWrite(Stream, RVU_AnsiToUnicode(GetStyleCodePage(Item->StyleNo), s));
            else
                RVFWrite(Stream, s);
        };
        auto WriteNonText = [&](int ItemNo) {
            TCustomRVItemInfo* Item = GetItem(ItemNo);
            if (TextOnly && !Item->GetBoolValue(rvbpAlwaysInText))
                return;
            const bool CanUnicode = Item->GetBoolValue(rvbpCanSaveUnicode);
            AnsiString s =
                Item->AsText(LineWidth, this, Items->Get(ItemNo), Path, TextOnly, Unicode && CanUnicode);
            if (Unicode && !CanUnicode)
                s = RVU_AnsiToUnicode(DefCodePage, s);
            RVFWrite(Stream, s);
        };
        auto IsText = [&](int ItemNo) { return GetItem(ItemNo)->StyleNo >= 0; };
        auto Length = [&](int ItemNo) {
            return RVU_Length(Items->Get(ItemNo), GetItem(ItemNo)->ItemOptions);
        };

        // A selection that begins inside a numbered line keeps the line's
        // number, unless the marker is selected itself and written below.
        if (SelectionOnly) {
            const int LineStart = GetFirstParaSectionItem(StartItemNo);
            if (GetItem(LineStart)->StyleNo == rvsListMarker && !(LineStart == StartItemNo && StartOffs <= 0))
                WriteNonText(LineStart);
        }

        if (StartItemNo == EndItemNo) {
            if (IsText(StartItemNo))
                WriteText(StartItemNo, StartOffs, EndOffs - StartOffs);
            else if (StartOffs < EndOffs)
                WriteNonText(StartItemNo);
            return true;
        }
        if (IsText(StartItemNo))
            WriteText(StartItemNo, StartOffs, Length(StartItemNo) - StartOffs + 1);
        else if (StartOffs == 0)
            WriteNonText(StartItemNo);
        for (int i = StartItemNo + 1; i <= EndItemNo; ++i) {
            if (!GetItem(i)->GetSameAsPrev())
                WriteLineEnd();
            if (i < EndItemNo) {
                if (IsText(i))
                    WriteText(i, 1, Length(i));
                else
                    WriteNonText(i);
            } else if (IsText(i)) {
                WriteText(i, 1, EndOffs - 1);
            } else if (EndOffs > 0) {
                WriteNonText(i);
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TCustomRVData::SaveText(const AnsiString& FileName, int LineWidth, bool Unicode)
{
    try {
        SafeWriteFile(FileName, [&](TStream& Stream) {
            // A failed write must not replace the file.
            if (!SaveTextToStream(ExtractFilePath(FileName), Stream, LineWidth, false, false, Unicode))
                throw EWriteError(SysConst::SWriteError);
        });
        return true;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------------------
// Reading

bool TCustomRVData::LoadText(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph)
{
    TParagraphModeKeeper Keeper(this);
    try {
        TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
        TAnsiTextLoader Loader(this, StyleNo, ParaNo, AsSingleParagraph);
        std::vector<char> Buffer(ChunkSize);
        for (;;) {
            const int64_t Read = Stream.Read(Buffer.data(), ChunkSize);
            if (Read <= 0)
                break;
            Loader.Feed(Buffer.data(), static_cast<size_t>(Read));
        }
        Loader.Finish();
        return true;
    } catch (...) {
        return false;
    }
}

bool TCustomRVData::LoadTextW(const AnsiString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph)
{
    TParagraphModeKeeper Keeper(this);
    try {
        TFileStream Stream(FileName, fmOpenRead | fmShareDenyNone);
        // Half a unit cannot be read: fail before anything is added.
        RVCheckUni(Stream.Size());
        std::unique_ptr<TUnicodeTextLoader> Loader;
        bool BigEndian = false;
        bool First = true;
        std::vector<char> Buffer(ChunkSize + 1);
        size_t Carried = 0; // a byte of a unit split over two reads
        for (;;) {
            const int64_t Read = Stream.Read(Buffer.data() + Carried, ChunkSize);
            if (Read <= 0)
                break;
            const size_t Bytes = Carried + static_cast<size_t>(Read);
            size_t Start = 0;
            if (First && Bytes >= 2) {
                First = false;
                const auto b0 = static_cast<unsigned char>(Buffer[0]);
                const auto b1 = static_cast<unsigned char>(Buffer[1]);
                if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
                    BigEndian = b0 == 0xFE;
                    Start = 2;
                }
            }
            const size_t Units = (Bytes - Start) / 2;
            if (Units > 0) {
                if (!Loader)
                    Loader = std::make_unique<TUnicodeTextLoader>(this, StyleNo, ParaNo, ParaNo,
                                                                  AsSingleParagraph);
                Loader->Feed(Buffer.data() + Start, Units, BigEndian);
            }
            Carried = (Bytes - Start) % 2;
            if (Carried)
                Buffer[0] = Buffer[Bytes - 1];
        }
        // The file changed its length while it was read.
        RVCheckUni(static_cast<int64_t>(Carried));
        if (Loader)
            Loader->Finish();
        else if (ParaNo != -1)
            AddNL(AnsiString(), StyleNo, ParaNo);
        return true;
    } catch (...) {
        return false;
    }
}

void TCustomRVData::AddTextNLW(const AnsiString& s, int StyleNo, int FirstParaNo, int OtherParaNo,
                               bool AsSingleParagraph)
{
    TParagraphModeKeeper Keeper(this);
    if (s.empty()) {
        if (FirstParaNo != -1)
            AddNL(AnsiString(), StyleNo, FirstParaNo);
        return;
    }
    RVCheckUni(static_cast<int64_t>(s.size()));
    TUnicodeTextLoader Loader(this, StyleNo, FirstParaNo, OtherParaNo, AsSingleParagraph);
    Loader.Feed(s.data(), s.size() / 2, false);
    Loader.Finish();
}
