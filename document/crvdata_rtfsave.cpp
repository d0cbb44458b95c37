// The RTF writer of the item store: the document or its selection, paragraph
// by paragraph with bookmarks, hyperlink fields, formatted text and the items
// that write themselves; and the escaping of text and names it uses.
#include <algorithm>
#include <optional>
#include <random>
#include <string>

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
            std::random_device device;
            State = (uint64_t(device()) << 32) ^ device();
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
    static TRTFListIdGenerator generator;
    return generator;
}

const char HexDigits[] = "0123456789abcdef";

void AppendByteEscape(AnsiString& out, unsigned char c)
{
    out += "\\'";
    out += HexDigits[c >> 4];
    out += HexDigits[c & 0x0F];
}

// Whether text of the code page needs more than one byte per character, so
// that a reader could not decode its bytes one by one.
bool IsMultiByteCodePage(unsigned codePage)
{
    return CodePageMaxCharSize(ResolveCodePage(codePage)) > 1;
}

bool HasHighBytes(const AnsiString& s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// What one RTF save of a document writes as it goes.
class TRTFBodyWriter {
public:
    TRTFBodyWriter(TCustomRVData* rvData, TStream& stream, int level, const TRVRTFSaveTables& tables,
                   TRVIntegerList* listOverrideOffsetsList1, TRVIntegerList* listOverrideOffsetsList2)
        : FRVData(rvData), FStream(stream), FLevel(level), FTables(tables), FList1(listOverrideOffsetsList1),
          FList2(listOverrideOffsetsList2), FStyle(rvData->GetRVStyle()), FOptions(rvData->GetRTFOptions())
    {}

    void WriteRange(int startItemNo, int endItemNo, int startOffs, int endOffs, bool selectionOnly);

private:
    bool Touched(int itemNo, int startItemNo, int endItemNo, int startOffs, int endOffs) const;
    void WriteItemStart(int itemNo);
    void WriteBookmark(const TRVCPInfo* checkpoint);
    void WriteNonText(int itemNo);
    void WriteText(int itemNo, int from, int to);

    TCustomRVData* FRVData;
    TStream& FStream;
    int FLevel;
    const TRVRTFSaveTables& FTables;
    TRVIntegerList* FList1;
    TRVIntegerList* FList2;
    TRVStyle* FStyle;
    TRVRTFOptions FOptions;
    bool FParaHasMarker = false;  // the paragraph being written starts with a list marker
    int FParasStarted = 0;        // paragraph starts written (the first without a paragraph mark before it)
    bool FLineBroken = false;     // the line being written was started by a line break
    bool FLineHasContent = false; // the line being written has more than a marker and empty text
    int FCheckpointNo = 0;
};

// An item at an end of the range that the range only touches (it starts at
// the item's end, or ends at its start) is left out, unless it is an empty
// text item or the whole range.
bool TRTFBodyWriter::Touched(int itemNo, int startItemNo, int endItemNo, int startOffs, int endOffs) const
{
    const bool isText = FRVData->IsTextItem(itemNo);
    if (startItemNo == endItemNo && isText)
        return false;
    if (isText && FRVData->GetItemText(itemNo).empty())
        return false;
    return (itemNo == startItemNo && startOffs >= FRVData->GetOffsAfterItem(itemNo)) ||
           (itemNo == endItemNo && endOffs <= FRVData->GetOffsBeforeItem(itemNo));
}

void TRTFBodyWriter::WriteItemStart(int itemNo)
{
    const TCustomRVItemInfo* item = FRVData->GetItem(itemNo);
    RVWriteLn(&FStream, "");
    // A line break where no paragraph is open (after a table's last row, or
    // at the start of a selection) opens one: "\line" there would read as an
    // empty line of its own, and the next paragraph would lose its mark. So
    // does one right after an item that stands on a line of its own (a rule
    // ends with its own paragraph mark): there is no line there for "\line"
    // to break, and a reader would show an empty line before the one it
    // starts.
    const bool afterWholeLine = itemNo > 0 && FRVData->GetItem(itemNo - 1)->GetBoolValue(rvbpFullWidth);
    FLineHasContent = false;
    if (!item->ParaStart(false) && !FRVData->State.Contains(rvstRTFSkipPar) && !afterWholeLine) {
        RVWrite(&FStream, "\\line");
        FLineBroken = true;
        return;
    }
    AnsiString s;
    if (!FRVData->State.Contains(rvstRTFSkipPar))
        s += FParaHasMarker ? "\\plain\\par" : "\\par";
    FRVData->State.Exclude(rvstRTFSkipPar);
    ++FParasStarted;
    FLineBroken = false;
    s += "\\pard";
    if (item->GetPageBreakBefore())
        s += "\\page";
    if (FOptions.Contains(rvrtfSaveStyleSheet))
        s += Format("\\s%d", {item->ParaNo});
    RVWrite(&FStream, s);
    RVWriteRTFParaStyle(FStream, FRVData, item->ParaNo, item, FLevel, FTables, false);
    FParaHasMarker = item->StyleNo == rvsListMarker;
}

void TRTFBodyWriter::WriteBookmark(const TRVCPInfo* checkpoint)
{
    AnsiString name = RVMakeRTFBookmarkName(checkpoint->Name);
    if (name.empty())
        name = "RollViewCheckpoint" + IntToStr(FCheckpointNo);
    ++FCheckpointNo;
    RVWrite(&FStream, "{\\*\\bkmkstart " + name + "}{\\*\\bkmkend " + name + "}");
}

void TRTFBodyWriter::WriteNonText(int itemNo)
{
    FRVData->GetItem(itemNo)->SaveRTF(FStream, FRVData, itemNo, FRVData->GetItemText(itemNo),
                                      FTables.TwipsPerPixel, FLevel, FTables.ColorList, FTables.StyleToFont,
                                      FList1, FList2, FTables.FontTable);
}

void TRTFBodyWriter::WriteText(int itemNo, int from, int to)
{
    const TCustomRVItemInfo* item = FRVData->GetItem(itemNo);
    const int styleNo = item->StyleNo;
    AnsiString head = "\\plain ";
    if (FOptions.Contains(rvrtfSaveStyleSheet))
        head += Format("\\cs%d", {FStyle->ParaStyles()->Count() + styleNo});
    RVWrite(&FStream, head);
    RVWriteRTFTextStyle(FStream, FRVData, styleNo, FTables, false);

    const AnsiString text =
        to > from ? RVU_Copy(FRVData->GetItemText(itemNo), from, to - from, item->ItemOptions) : AnsiString();
    const TFontInfo* font = FStyle->TextStyles()->Items(styleNo);
    const bool specialCode = font->Options().Contains(rvteoRTFCode);
    const unsigned codePage = FRVData->GetStyleCodePage(styleNo);
    const bool duplicate = FOptions.Contains(rvrtfDuplicateUnicode);
    if (item->ItemOptions.Contains(rvioUnicode)) {
        RVWriteUnicodeRTFStr(FStream, text, codePage, duplicate, specialCode);
    } else if (!specialCode && HasHighBytes(text) && IsMultiByteCodePage(codePage) &&
               font->Charset() != SYMBOL_CHARSET) {
        // Bytes of a multi-byte code page (UTF-8 above all) cannot be read
        // back one by one: such text goes out as Unicode characters. A
        // symbol font's bytes are glyph numbers of its own, whatever the
        // code page of its character set says: they go out as bytes.
        RVWriteUnicodeRTFStr(FStream, RVU_AnsiToUnicode(codePage, text), codePage, duplicate, false);
    } else {
        RVWrite(&FStream, RVMakeRTFStr(text, specialCode));
    }
    // A shifted run is closed at once: some readers hold superscript text back
    // (looking for a footnote mark) until the shift ends, and lose it when a
    // paragraph ends first.
    if (FStyle->TextStyles()->Items(styleNo)->VShift() != 0)
        RVWrite(&FStream, "\\nosupersub");
}

void TRTFBodyWriter::WriteRange(int startItemNo, int endItemNo, int startOffs, int endOffs,
                                bool selectionOnly)
{
    FRVData->State.Include(rvstRTFSkipPar);
    const int firstParaItem = FRVData->GetFirstParaItem(startItemNo);
    FParaHasMarker = FRVData->GetItemStyle(firstParaItem) == rvsListMarker;
    if (FLevel == 0 && selectionOnly && firstParaItem != startItemNo && FParaHasMarker) {
        // A selection from inside a numbered paragraph keeps its number.
        WriteNonText(firstParaItem);
        FRVData->State.Exclude(rvstRTFSkipPar);
    }
    for (int i = startItemNo; i <= endItemNo; ++i) {
        if ((i == startItemNo || i == endItemNo) && Touched(i, startItemNo, endItemNo, startOffs, endOffs))
            continue;
        TCustomRVItemInfo* item = FRVData->GetItem(i);
        if (!item->GetSameAsPrev())
            WriteItemStart(i);
        if (item->GetCheckpoint() != nullptr)
            WriteBookmark(item->GetCheckpoint());
        bool fieldOpen = false;
        if (item->GetBoolValueEx(rvbpJump, FStyle)) {
            AnsiString target = FRVData->GetURL(item->GetJumpID());
            if (!target.empty()) {
                // A quote would end the field's argument; in a URL it is "%22".
                RV_ReplaceStr(target, "\"", "%22");
                RVWrite(&FStream,
                        "{\\field{\\*\\fldinst HYPERLINK \"" + RVMakeRTFStr(target, false) + "\"}{\\fldrslt");
                fieldOpen = true;
            }
        }
        if (item->StyleNo >= 0) {
            const int from = i == startItemNo ? std::max(startOffs, 1) : 1;
            const int to =
                i == endItemNo ? std::min(endOffs, FRVData->ItemLength(i) + 1) : FRVData->ItemLength(i) + 1;
            WriteText(i, from, to);
            FLineHasContent = FLineHasContent || to > from;
        } else {
            WriteNonText(i);
            FLineHasContent = FLineHasContent || item->StyleNo != rvsListMarker;
        }
        if (fieldOpen)
            RVWrite(&FStream, "}}");
    }
    // The checkpoint waiting after the last item belongs to the end of the
    // document. A reader makes no line of a last line of the document that
    // holds nothing and has no paragraph mark: an empty last paragraph after
    // others (a list paragraph of its marker alone in any case), and an empty
    // last line after a line break, are closed by a mark. A cell's last
    // paragraph is closed by the cell's end: a mark there would begin one
    // more paragraph. A reader gives the bookmarks before that mark to the
    // paragraph: this bookmark follows the mark, where nothing comes after it.
    const bool closeLastLine = FLevel == 0 && !FLineHasContent &&
                               (FLineBroken || (FParasStarted > 0 && (FParasStarted > 1 || FParaHasMarker)));
    const bool endCheckpoint = FRVData->NotAddedCP != nullptr && endItemNo == FRVData->GetItemCount() - 1;
    if (endCheckpoint && !closeLastLine)
        WriteBookmark(FRVData->NotAddedCP);
    if (closeLastLine)
        RVWrite(&FStream, FParaHasMarker ? "\\plain\\par" : "\\par");
    if (endCheckpoint && closeLastLine)
        WriteBookmark(FRVData->NotAddedCP);
    if (FLevel == 0)
        RVWrite(&FStream, "}");
}

} // namespace

// ---------------------------------------------------------------------------
// Units and ids

double RV_GetRTFTwipsPerPixel()
{
    const int pixelsPerInch = RollViewPixelsPerInch >= 1 ? RollViewPixelsPerInch : ScreenPixelsPerInch();
    return 1440.0 / pixelsPerInch;
}

int RV_PixelsToTwips(int pixels, double twipsPerPixel)
{
    const int64_t twips = Round(static_cast<long double>(pixels) * twipsPerPixel);
    return RV_Clamp32(twips);
}

void RV_SeedRTFListIds(uint32_t seed)
{
    TRTFListIdGenerator& generator = ListIdGenerator();
    generator.State = seed;
    generator.Seeded = true;
}

int RV_NextRTFListId()
{
    return static_cast<int>((ListIdGenerator().Next() >> 33) % 2147483647u);
}

// ---------------------------------------------------------------------------
// Escaping

namespace {

// Appends one character as RTFStr writes it.
void AppendRTFChar(AnsiString& out, char ch, bool specialCode)
{
    const auto c = static_cast<unsigned char>(ch);
    if (!specialCode && (ch == '\\' || ch == '{' || ch == '}')) {
        out += '\\';
        out += ch;
    } else if (c < 26 || c >= 128) {
        AppendByteEscape(out, c);
    } else {
        out += ch;
    }
}

} // namespace

AnsiString RVMakeRTFStr(const AnsiString& s, bool specialCode)
{
    AnsiString out;
    out.reserve(s.size());
    for (const char ch : s)
        AppendRTFChar(out, ch, specialCode);
    return out;
}

AnsiString RVMakeRTFFontName(const AnsiString& s)
{
    AnsiString out = RVMakeRTFStr(s, false);
    RV_ReplaceStr(out, ";", "\\'3b");
    return out;
}

AnsiString RVMakeRTFStyleName(const AnsiString& s)
{
    AnsiString name = s;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '\\' || c == '{' || c == '}'; }, '_');
    return RVMakeRTFFontName(name);
}

AnsiString RVMakeRTFBookmarkName(const AnsiString& s)
{
    AnsiString name = s;
    for (char& c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            c = '_';
    return name;
}

void RVWriteUnicodeRTFStr(TStream& stream, const AnsiString& s, unsigned codePage, bool duplicateUnicode,
                          bool specialCode)
{
    AnsiString out;
    out.reserve(s.size() / 2);
    auto unitAt = [&s](size_t i) { return static_cast<uint16_t>(RVU_RawUnicodeUnit(s.data(), i / 2)); };
    auto appendUnit = [&out](uint16_t unit) {
        out += "\\u";
        out += std::to_string(static_cast<int16_t>(unit));
        out += ' ';
    };
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const uint16_t unit = unitAt(i);
        if (unit >= 1 && unit <= 127) {
            AppendRTFChar(out, static_cast<char>(unit), specialCode);
            continue;
        }
        // A character beyond U+FFFF is two units: its ANSI text, converted
        // whole, follows the first, and the second has none.
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 3 < s.size() && unitAt(i + 2) >= 0xDC00 &&
                          unitAt(i + 2) <= 0xDFFF;
        AnsiString ansi;
        if (duplicateUnicode) {
            ansi = RVU_UnicodeToAnsi(codePage, s.substr(i, pair ? 4 : 2));
            if (ansi.size() != 1) {
                out += "\\uc";
                out += std::to_string(ansi.size());
            }
        }
        appendUnit(unit);
        if (!duplicateUnicode) {
            if (pair)
                appendUnit(unitAt(i += 2));
            continue;
        }
        out += RVMakeRTFStr(ansi, false);
        if (pair) {
            out += "\\uc0";
            appendUnit(unitAt(i += 2));
        }
        if (ansi.size() != 1 || pair)
            out += "\\uc1 ";
    }
    RVWrite(&stream, out);
}

// ---------------------------------------------------------------------------
// The document

bool TCustomRVData::SaveRTF(const AnsiString& fileName, bool selectionOnly, TColor Color,
                            TRVFBackground* Background)
{
    try {
        SafeWriteFile(fileName, [&](TStream& stream) {
            if (!SaveRTFToStream(stream, selectionOnly, 0, Color, Background, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, 0))
                throw EWriteError("RTF output failed");
        });
        return true;
    } catch (...) {
        return false;
    }
}

bool TCustomRVData::SaveRTFToStream(TStream& stream, bool selectionOnly, int level, TColor color,
                                    TRVFBackground* background, TRVColorList* colorList,
                                    TRVIntegerList* styleToFont, TRVIntegerList* listOverrideOffsetsList1,
                                    TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable,
                                    double twipsPerPixel)
{
    (void)background;
    // The documents of cells nested in the cells of a table find their
    // settings through the answers kept while a cell is saved, instead of
    // walking up to the root at every level. A flat table's cells each keep
    // a few, and the document itself none: a save that keeps them for the
    // cells of a large table costs more than the walks of one level it saves.
    std::optional<TRVSaveAnswers> answers;
    if (level > 0)
        answers.emplace();
    const bool wasSkipping = State.Contains(rvstRTFSkipPar);
    try {
        int startItemNo = 0, endItemNo = -1, startOffs = 0, endOffs = 0;
        TRVMultiDrawItemPart* startPart = nullptr;
        TRVMultiDrawItemPart* endPart = nullptr;
        RVFGetLimits(GetRVFSaveScope(selectionOnly), startItemNo, endItemNo, startOffs, endOffs, startPart,
                     endPart);
        if (startItemNo < 0 || endItemNo < startItemNo || endItemNo >= GetItemCount())
            return true;
        if (GetRVStyle() == nullptr)
            return false;

        // The outermost call owns the tables that nested documents share.
        TRVColorList ownColors;
        TRVIntegerList ownStyleToFont, ownList1, ownList2;
        TRVRTFFontTable ownFonts;
        TRVRTFSaveTables tables;
        if (level == 0) {
            tables.ColorList = &ownColors;
            tables.StyleToFont = &ownStyleToFont;
            tables.FontTable = &ownFonts;
            tables.TwipsPerPixel = RV_GetRTFTwipsPerPixel();
            listOverrideOffsetsList1 = &ownList1;
            listOverrideOffsetsList2 = &ownList2;
            MakeRTFTables(&ownColors, &ownList1, true);
            RVMakeRTFFontTable(GetRVStyle(), &ownFonts, &ownStyleToFont);
            if (color != clWindow)
                ownColors.AddUnique(color);
            RVWriteRTFHeaderStart(stream, this, tables);
            if (GetRVStyle()->ListStyles()->Count() > 0)
                SaveRTFListTable97(stream, &ownColors, &ownList1, &ownFonts, tables.TwipsPerPixel);
            else
                RVWriteLn(&stream, "");
            ownList2.Assign(&ownList1);
            RVWrite(&stream, GetRTFOptions().Contains(rvrtfDuplicateUnicode) ? "\\uc1" : "\\uc0");
        } else {
            if (colorList == nullptr || styleToFont == nullptr || fontTable == nullptr)
                return false;
            tables.ColorList = colorList;
            tables.StyleToFont = styleToFont;
            tables.FontTable = fontTable;
            tables.TwipsPerPixel = twipsPerPixel;
        }
        TRTFBodyWriter writer(this, stream, level, tables, listOverrideOffsetsList1,
                              listOverrideOffsetsList2);
        writer.WriteRange(startItemNo, endItemNo, startOffs, endOffs, selectionOnly);
        State.Set(rvstRTFSkipPar, wasSkipping);
        return true;
    } catch (...) {
        State.Set(rvstRTFSkipPar, wasSkipping);
        return false;
    }
}
