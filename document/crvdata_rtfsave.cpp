// The RTF writer of the item store: the document or its selection, paragraph
// by paragraph with bookmarks, hyperlink fields, formatted text and the items
// that write themselves; and the escaping of text and names it uses.
#include <algorithm>
#include <random>

#include "document/crvdata.h"
#include "document/crvdata_rtfformat.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/gdiobjects.h"

int RollViewPixelsPerInch = 0;

namespace {

// splitmix64: a small generator whose sequence depends only on its seed.
struct TRTFListIdGenerator {
    uint64_t State = 0;
    bool Seeded = false;

    uint64_t Next()
    {
        if (!Seeded) {
            std::random_device Device;
            State = (uint64_t(Device()) << 32) ^ Device();
            Seeded = true;
        }
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
};

TRTFListIdGenerator& ListIdGenerator()
{
    static TRTFListIdGenerator Generator;
    return Generator;
}

const char HexDigits[] = "0123456789abcdef";

void AppendByteEscape(AnsiString& Out, unsigned char c)
{
    Out += "\\'";
    Out += HexDigits[c >> 4];
    Out += HexDigits[c & 0x0F];
}

// Whether text of the code page needs more than one byte per character, so
// that a reader could not decode its bytes one by one.
bool IsMultiByteCodePage(unsigned CodePage)
{
    return CodePageMaxCharSize(ResolveCodePage(CodePage)) > 1;
}

bool HasHighBytes(const AnsiString& s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// What one RTF save of a document writes as it goes.
class TRTFBodyWriter {
public:
    TRTFBodyWriter(TCustomRVData* RVData, TStream& Stream, int Level, const TRVRTFSaveTables& Tables,
                   TRVIntegerList* ListOverrideOffsetsList1, TRVIntegerList* ListOverrideOffsetsList2)
        : FRVData(RVData), FStream(Stream), FLevel(Level), FTables(Tables), FList1(ListOverrideOffsetsList1),
          FList2(ListOverrideOffsetsList2), FStyle(RVData->GetRVStyle()), FOptions(RVData->GetRTFOptions())
    {}

    void WriteRange(int StartItemNo, int EndItemNo, int StartOffs, int EndOffs, bool SelectionOnly);

private:
    bool Touched(int ItemNo, int StartItemNo, int EndItemNo, int StartOffs, int EndOffs) const;
    void WriteItemStart(int ItemNo);
    void WriteBookmark(const TRVCPInfo* Checkpoint);
    void WriteNonText(int ItemNo);
    void WriteText(int ItemNo, int From, int To);

    TCustomRVData* FRVData;
    TStream& FStream;
    int FLevel;
    const TRVRTFSaveTables& FTables;
    TRVIntegerList* FList1;
    TRVIntegerList* FList2;
    TRVStyle* FStyle;
    TRVRTFOptions FOptions;
    bool FParaHasMarker = false; // the paragraph being written starts with a list marker
    int FCheckpointNo = 0;
};

// An item at an end of the range that the range only touches (it starts at
// the item's end, or ends at its start) is left out, unless it is an empty
// text item or the whole range.
bool TRTFBodyWriter::Touched(int ItemNo, int StartItemNo, int EndItemNo, int StartOffs, int EndOffs) const
{
    const bool IsText = FRVData->GetItemStyle(ItemNo) >= 0;
    if (StartItemNo == EndItemNo && IsText)
        return false;
    if (IsText && FRVData->GetItemText(ItemNo).empty())
        return false;
    return (ItemNo == StartItemNo && StartOffs >= FRVData->GetOffsAfterItem(ItemNo)) ||
           (ItemNo == EndItemNo && EndOffs <= FRVData->GetOffsBeforeItem(ItemNo));
}

void TRTFBodyWriter::WriteItemStart(int ItemNo)
{
    const TCustomRVItemInfo* Item = FRVData->GetItem(ItemNo);
    RVWriteLn(&FStream, "");
    if (!Item->ParaStart(false)) {
        RVWrite(&FStream, "\\line");
        return;
    }
    AnsiString s;
    if (!FRVData->State.Contains(rvstRTFSkipPar))
        s += FParaHasMarker ? "\\plain\\par" : "\\par";
    FRVData->State.Exclude(rvstRTFSkipPar);
    s += "\\pard";
    if (Item->GetPageBreakBefore())
        s += "\\page";
    if (FOptions.Contains(rvrtfSaveStyleSheet))
        s += Format("\\s%d", {Item->ParaNo});
    RVWrite(&FStream, s);
    RVWriteRTFParaStyle(FStream, FRVData, Item->ParaNo, Item, FLevel, FTables, false);
    FParaHasMarker = Item->StyleNo == rvsListMarker;
}

void TRTFBodyWriter::WriteBookmark(const TRVCPInfo* Checkpoint)
{
    AnsiString Name = RVMakeRTFBookmarkName(Checkpoint->Name);
    if (Name.empty())
        Name = "RollViewCheckpoint" + IntToStr(FCheckpointNo);
    ++FCheckpointNo;
    RVWrite(&FStream, "{\\*\\bkmkstart " + Name + "}{\\*\\bkmkend " + Name + "}");
}

void TRTFBodyWriter::WriteNonText(int ItemNo)
{
    FRVData->GetItem(ItemNo)->SaveRTF(FStream, FRVData, ItemNo, FRVData->GetItemText(ItemNo),
                                      FTables.TwipsPerPixel, FLevel, FTables.ColorList, FTables.StyleToFont,
                                      FList1, FList2, FTables.FontTable);
}

void TRTFBodyWriter::WriteText(int ItemNo, int From, int To)
{
    const TCustomRVItemInfo* Item = FRVData->GetItem(ItemNo);
    const int StyleNo = Item->StyleNo;
    AnsiString Head = "\\plain ";
    if (FOptions.Contains(rvrtfSaveStyleSheet))
        Head += Format("\\cs%d", {FStyle->ParaStyles()->Count() + StyleNo});
    RVWrite(&FStream, Head);
    RVWriteRTFTextStyle(FStream, FRVData, StyleNo, FTables, false);

    const AnsiString Text =
        To > From ? RVU_Copy(FRVData->GetItemText(ItemNo), From, To - From, Item->ItemOptions) : AnsiString();
    const bool SpecialCode = FStyle->TextStyles()->Items(StyleNo)->Options().Contains(rvteoRTFCode);
    const unsigned CodePage = FRVData->GetStyleCodePage(StyleNo);
    const bool Duplicate = FOptions.Contains(rvrtfDuplicateUnicode);
    if (Item->ItemOptions.Contains(rvioUnicode)) {
        RVWriteUnicodeRTFStr(FStream, Text, CodePage, Duplicate, SpecialCode);
    } else if (!SpecialCode && HasHighBytes(Text) && IsMultiByteCodePage(CodePage)) {
        // Bytes of a multi-byte code page (UTF-8 above all) cannot be read
        // back one by one: such text goes out as Unicode characters.
        RVWriteUnicodeRTFStr(FStream, RVU_AnsiToUnicode(CodePage, Text), CodePage, Duplicate, false);
    } else {
        RVWrite(&FStream, RVMakeRTFStr(Text, SpecialCode));
    }
    // A shifted run is closed at once: some readers hold superscript text back
    // (looking for a footnote mark) until the shift ends, and lose it when a
    // paragraph ends first.
    if (FStyle->TextStyles()->Items(StyleNo)->VShift() != 0)
        RVWrite(&FStream, "\\nosupersub");
}

void TRTFBodyWriter::WriteRange(int StartItemNo, int EndItemNo, int StartOffs, int EndOffs,
                                bool SelectionOnly)
{
    FRVData->State.Include(rvstRTFSkipPar);
    const int FirstParaItem = FRVData->GetFirstParaItem(StartItemNo);
    FParaHasMarker = FRVData->GetItemStyle(FirstParaItem) == rvsListMarker;
    if (FLevel == 0 && SelectionOnly && FirstParaItem != StartItemNo && FParaHasMarker) {
        // A selection from inside a numbered paragraph keeps its number.
        WriteNonText(FirstParaItem);
        FRVData->State.Exclude(rvstRTFSkipPar);
    }
    for (int i = StartItemNo; i <= EndItemNo; ++i) {
        if ((i == StartItemNo || i == EndItemNo) && Touched(i, StartItemNo, EndItemNo, StartOffs, EndOffs))
            continue;
        TCustomRVItemInfo* Item = FRVData->GetItem(i);
        if (!Item->GetSameAsPrev())
            WriteItemStart(i);
        if (Item->Checkpoint != nullptr)
            WriteBookmark(Item->Checkpoint);
        bool FieldOpen = false;
        if (Item->GetBoolValueEx(rvbpJump, FStyle)) {
            AnsiString Target = FRVData->GetURL(Item->JumpID);
            if (!Target.empty()) {
                // A quote would end the field's argument; in a URL it is "%22".
                RV_ReplaceStr(Target, "\"", "%22");
                RVWrite(&FStream,
                        "{\\field{\\*\\fldinst HYPERLINK \"" + RVMakeRTFStr(Target, false) + "\"}{\\fldrslt");
                FieldOpen = true;
            }
        }
        if (Item->StyleNo >= 0) {
            const int From = i == StartItemNo ? std::max(StartOffs, 1) : 1;
            const int To =
                i == EndItemNo ? std::min(EndOffs, FRVData->ItemLength(i) + 1) : FRVData->ItemLength(i) + 1;
            WriteText(i, From, To);
        } else {
            WriteNonText(i);
        }
        if (FieldOpen)
            RVWrite(&FStream, "}}");
    }
    // The checkpoint waiting after the last item belongs to the end of the document.
    if (FRVData->NotAddedCP != nullptr && EndItemNo == FRVData->GetItemCount() - 1)
        WriteBookmark(FRVData->NotAddedCP);
    if (FLevel == 0) {
        const TCustomRVItemInfo* Last = FRVData->GetItem(EndItemNo);
        if (EndItemNo > StartItemNo && Last->StyleNo >= 0 && FRVData->GetItemText(EndItemNo).empty() &&
            Last->ParaStart(false))
            RVWrite(&FStream, "\\par");
        RVWrite(&FStream, "}");
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Units and ids

double RV_GetRTFTwipsPerPixel()
{
    const int PixelsPerInch = RollViewPixelsPerInch >= 1 ? RollViewPixelsPerInch : ScreenPixelsPerInch();
    return 1440.0 / PixelsPerInch;
}

int RV_PixelsToTwips(int Pixels, double TwipsPerPixel)
{
    const int64_t Twips = Round(static_cast<long double>(Pixels) * TwipsPerPixel);
    return static_cast<int>(std::clamp<int64_t>(Twips, INT32_MIN, INT32_MAX));
}

void RV_SeedRTFListIds(uint32_t Seed)
{
    TRTFListIdGenerator& Generator = ListIdGenerator();
    Generator.State = Seed;
    Generator.Seeded = true;
}

int RV_NextRTFListId()
{
    return static_cast<int>((ListIdGenerator().Next() >> 33) % 2147483647u);
}

// ---------------------------------------------------------------------------
// Escaping

AnsiString RVMakeRTFStr(const AnsiString& s, bool SpecialCode)
{
    AnsiString Out;
    Out.reserve(s.size());
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (!SpecialCode && (ch == '\\' || ch == '{' || ch == '}')) {
            Out += '\\';
            Out += ch;
        } else if (c < 26 || c >= 128) {
            AppendByteEscape(Out, c);
        } else {
            Out += ch;
        }
    }
    return Out;
}

AnsiString RVMakeRTFFontName(const AnsiString& s)
{
    AnsiString Out = RVMakeRTFStr(s, false);
    RV_ReplaceStr(Out, ";", "\\'3b");
    return Out;
}

AnsiString RVMakeRTFStyleName(const AnsiString& s)
{
    AnsiString Name = s;
    std::replace_if(
        Name.begin(), Name.end(), [](char c) { return c == '\\' || c == '{' || c == '}'; }, '_');
    return RVMakeRTFFontName(Name);
}

AnsiString RVMakeRTFBookmarkName(const AnsiString& s)
{
    AnsiString Name = s;
    for (char& c : Name)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            c = '_';
    return Name;
}

void RVWriteUnicodeRTFStr(TStream& Stream, const AnsiString& s, unsigned CodePage, bool DuplicateUnicode,
                          bool SpecialCode)
{
    AnsiString Out;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const auto Unit = static_cast<uint16_t>(static_cast<unsigned char>(s[i]) |
                                                (static_cast<unsigned char>(s[i + 1]) << 8));
        if (Unit >= 1 && Unit <= 127) {
            Out += RVMakeRTFStr(AnsiString(1, static_cast<char>(Unit)), SpecialCode);
            continue;
        }
        AnsiString Ansi;
        if (DuplicateUnicode) {
            Ansi = RVU_UnicodeToAnsi(CodePage, s.substr(i, 2));
            if (Ansi.size() != 1)
                Out += Format("\\uc%d", {static_cast<int>(Ansi.size())});
        }
        Out += Format("\\u%d ", {static_cast<int>(static_cast<int16_t>(Unit))});
        if (DuplicateUnicode) {
            Out += RVMakeRTFStr(Ansi, false);
            if (Ansi.size() != 1)
                Out += "\\uc1 ";
        }
    }
    RVWrite(&Stream, Out);
}

// ---------------------------------------------------------------------------
// The document

bool TCustomRVData::SaveRTF(const AnsiString& FileName, bool SelectionOnly, TColor Color,
                            TRVFBackground* Background)
{
    try {
        SafeWriteFile(FileName, [&](TStream& Stream) {
            if (!SaveRTFToStream(Stream, SelectionOnly, 0, Color, Background, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, 0))
                throw EWriteError("RTF output failed");
        });
        return true;
    } catch (...) {
        return false;
    }
}

bool TCustomRVData::SaveRTFToStream(TStream& Stream, bool SelectionOnly, int Level, TColor Color,
                                    TRVFBackground* Background, TRVColorList* ColorList,
                                    TRVIntegerList* StyleToFont, TRVIntegerList* ListOverrideOffsetsList1,
                                    TRVIntegerList* ListOverrideOffsetsList2, TRVRTFFontTable* FontTable,
                                    double TwipsPerPixel)
{
    (void)Background;
    const bool WasSkipping = State.Contains(rvstRTFSkipPar);
    try {
        int StartItemNo = 0, EndItemNo = -1, StartOffs = 0, EndOffs = 0;
        TRVMultiDrawItemPart* StartPart = nullptr;
        TRVMultiDrawItemPart* EndPart = nullptr;
        RVFGetLimits(GetRVFSaveScope(SelectionOnly), StartItemNo, EndItemNo, StartOffs, EndOffs, StartPart,
                     EndPart);
        if (StartItemNo < 0 || EndItemNo < StartItemNo || EndItemNo >= GetItemCount())
            return true;
        if (GetRVStyle() == nullptr)
            return false;

        // The outermost call owns the tables that nested documents share.
        TRVColorList OwnColors;
        TRVIntegerList OwnStyleToFont, OwnList1, OwnList2;
        TRVRTFFontTable OwnFonts;
        TRVRTFSaveTables Tables;
        if (Level == 0) {
            Tables.ColorList = &OwnColors;
            Tables.StyleToFont = &OwnStyleToFont;
            Tables.FontTable = &OwnFonts;
            Tables.TwipsPerPixel = RV_GetRTFTwipsPerPixel();
            ListOverrideOffsetsList1 = &OwnList1;
            ListOverrideOffsetsList2 = &OwnList2;
            MakeRTFTables(&OwnColors, &OwnList1, true);
            RVMakeRTFFontTable(GetRVStyle(), &OwnFonts, &OwnStyleToFont);
            if (Color != clWindow)
                OwnColors.AddUnique(Color);
            RVWriteRTFHeaderStart(Stream, this, Tables);
            if (GetRVStyle()->ListStyles()->Count() > 0)
                SaveRTFListTable97(Stream, &OwnColors, &OwnList1, &OwnFonts, Tables.TwipsPerPixel);
            else
                RVWriteLn(&Stream, "");
            OwnList2.Assign(&OwnList1);
            RVWrite(&Stream, GetRTFOptions().Contains(rvrtfDuplicateUnicode) ? "\\uc1" : "\\uc0");
        } else {
            if (ColorList == nullptr || StyleToFont == nullptr || FontTable == nullptr)
                return false;
            Tables.ColorList = ColorList;
            Tables.StyleToFont = StyleToFont;
            Tables.FontTable = FontTable;
            Tables.TwipsPerPixel = TwipsPerPixel;
        }
        TRTFBodyWriter Writer(this, Stream, Level, Tables, ListOverrideOffsetsList1,
                              ListOverrideOffsetsList2);
        Writer.WriteRange(StartItemNo, EndItemNo, StartOffs, EndOffs, SelectionOnly);
        State.Set(rvstRTFSkipPar, WasSkipping);
        return true;
    } catch (...) {
        State.Set(rvstRTFSkipPar, WasSkipping);
        return false;
    }
}
