// The RTF parser's destinations: entering them, the work done when their
// group closes, pictures (checked before a graphic is made from them) and the
// INCLUDEPICTURE and SYMBOL fields.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "document/rvfuncs.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/dibcodec.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"
#include "rtf/rvrtffields.h"
#include "rtf/rvrtfreader.h"

namespace {

constexpr int MaxBitmapSide = 16384;

bool ValidBitDepth(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

void PutLE(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

int RoundToInt(double value)
{
    return static_cast<int>(Round(static_cast<long double>(value)));
}

// The length-prefixed text of a list level: the first unit is the length.
template <typename S> void CutLengthPrefix(S& text)
{
    if (text.empty())
        return;
    const size_t length =
        static_cast<size_t>(static_cast<std::make_unsigned_t<typename S::value_type>>(text[0]));
    text = text.substr(1, std::min(length, text.size() - 1));
}

// A device-dependent bitmap's rows (widthBytes each, top row first) as pixels.
bool DecodeDDB(const TRVRTFPicture& picture, TPixelBuffer& out)
{
    const int w = picture.PicW, h = picture.PicH, bits = picture.WBMBitsPixel;
    // The pixel budget of every decoder, before the pixels are made.
    if (picture.WBMPlanes != 1 || !ValidBitDepth(bits) || w <= 0 || h <= 0 || w > MaxBitmapSide ||
        h > MaxBitmapSide || int64_t(w) * h > GraphicMaxPixels)
        return false;
    const int64_t minRow = (int64_t(w) * bits + 7) / 8;
    int64_t rowBytes = picture.WBMWidthBytes > 0 ? picture.WBMWidthBytes : (int64_t(w) * bits + 15) / 16 * 2;
    const int64_t size = const_cast<TMemoryStream&>(picture.Data).Size();
    if (rowBytes < minRow || rowBytes * h > size)
        return false;
    const uint8_t* data = static_cast<const uint8_t*>(picture.Data.Memory());
    out = TPixelBuffer(w, h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = data + rowBytes * y;
        for (int x = 0; x < w; ++x) {
            uint32_t argb = 0xFF000000u;
            switch (bits) {
            case 1:
                argb |= (row[x / 8] >> (7 - x % 8)) & 1 ? 0xFFFFFF : 0;
                break;
            case 4: {
                const int v = ((row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF) * 17;
                argb |= (v << 16) | (v << 8) | v;
                break;
            }
            case 8:
                argb |= (row[x] << 16) | (row[x] << 8) | row[x];
                break;
            case 16: {
                const int v = row[2 * x] | (row[2 * x + 1] << 8);
                argb |= (((v >> 10) & 31) * 255 / 31) << 16 | (((v >> 5) & 31) * 255 / 31) << 8 |
                        ((v & 31) * 255 / 31);
                break;
            }
            default: {
                const uint8_t* p = row + x * (bits / 8);
                argb |= (p[2] << 16) | (p[1] << 8) | p[0];
            }
            }
            out.At(x, y) = argb;
        }
    }
    return true;
}

// Checks a packed DIB and puts the 14-byte file header in front of it, with the
// real offset of the pixels.
bool MakeDIBFile(TMemoryStream& data)
{
    const size_t n = static_cast<size_t>(data.Size());
    const uint8_t* p = static_cast<const uint8_t*>(data.Memory());
    if (n < 40)
        return false;
    auto u16 = [p](size_t i) { return uint32_t(p[i]) | uint32_t(p[i + 1]) << 8; };
    dib::THeader header;
    if (!dib::ParseHeader(p, n, header) || header.HeaderSize < 40 || u16(12) != 1 ||
        !ValidBitDepth(header.BitCount) || header.Width <= 0 || header.Height <= 0 ||
        header.Width > MaxBitmapSide || header.Height > MaxBitmapSide)
        return false;
    const size_t tables = header.TableBytes();
    if (header.HeaderSize + tables > n ||
        !dib::ParseTables(p + header.HeaderSize, n - header.HeaderSize, header))
        return false;
    const size_t offset = header.HeaderSize + tables;
    const bool compressed = header.Compression == dib::BI_RLE4 || header.Compression == dib::BI_RLE8;
    if (!compressed && static_cast<int64_t>(n - offset) < header.BitsBytes())
        return false;
    std::string file = "BM";
    PutLE(file, static_cast<uint32_t>(n + 14), 4);
    PutLE(file, 0, 4);
    PutLE(file, static_cast<uint32_t>(offset + 14), 4);
    file.append(reinterpret_cast<const char*>(p), n);
    data.Clear();
    data.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    return true;
}

// An old-format metafile's bytes behind a placeable header: the box is
// \picw x \pich in the units of the mapping mode, at that mode's units per inch.
void LoadWinMetafile(TMetafile& metafile, TRVRTFPicture& picture)
{
    // Units per inch of MM_TEXT (pixels), MM_LOMETRIC, MM_HIMETRIC, MM_LOENGLISH,
    // MM_HIENGLISH, MM_TWIPS, MM_ISOTROPIC and MM_ANISOTROPIC (0.01 mm).
    static constexpr uint32_t UnitsPerInch[9] = {0, 96, 254, 2540, 100, 1000, 1440, 2540, 2540};
    const uint32_t inch = UnitsPerInch[RVRTFClamp(picture.MetafileMapMode, 1, 8)];
    std::string file;
    const int right = RVRTFClamp(picture.PicW, 0, 32767), bottom = RVRTFClamp(picture.PicH, 0, 32767);
    const uint32_t words[] = {
        0xCDD7, 0x9AC6, 0, 0, 0, static_cast<uint32_t>(right), static_cast<uint32_t>(bottom), inch, 0, 0};
    uint32_t checksum = 0;
    for (uint32_t word : words) {
        PutLE(file, word, 2);
        checksum ^= word;
    }
    PutLE(file, checksum, 2);
    file.append(static_cast<const char*>(picture.Data.Memory()), static_cast<size_t>(picture.Data.Size()));
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(0);
    try {
        metafile.LoadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        throw Exception("Invalid metafile");
    }
}

// A destination that opens only inside Parent: Then there, else the group is skipped.
TRTFrds Inside(TRTFrds current, TRTFrds parent, TRTFrds then)
{
    return current == parent ? then : rdsSkip;
}

} // namespace

TRVRTFErrorCode TRVRTFReader::ChangeDest(TRTFIDEST dest, int param)
{
    TRVRTFReaderState& state = *FState;
    if (state.Destination == rdsSkip)
        return rtf_ec_OK;
    const TRTFrds current = state.Destination;
    switch (dest) {
    case idestPict:
        if (FPicture)
            return rtf_ec_InvalidPicture;
        if (OnNewPicture)
            FPicture = std::make_unique<TRVRTFPicture>();
        state.Destination = rdsPict;
        FHexByte = 0;
        FHighNibbleNext = true;
        break;
    case idestFontTable:
        FFontTable.Clear();
        state.Destination = rdsFontTable;
        break;
    case idestStyleSheet:
        FStyleSheet.Clear();
        state.Destination = rdsStyleSheet;
        break;
    case idestColorTable:
        FColorTable.Clear();
        FColorTable.Add();
        state.Destination = rdsColorTable;
        break;
    case idestStyleSheetParaStyle:
    case idestStyleSheetCharStyle:
    case idestStyleSheetSectStyle:
        if (TRVRTFStyleSheetEntry* entry = FStyleSheet.Last()) {
            entry->Number = param;
            entry->StyleSheetType = dest == idestStyleSheetParaStyle   ? rtf_sst_Par
                                    : dest == idestStyleSheetCharStyle ? rtf_sst_Char
                                                                       : rtf_sst_Sect;
        }
        state.Destination = rdsStyleSheetEntry;
        break;
    case idestField: {
        const TRVRTFErrorCode ec = FlushOpeningTables();
        if (ec != rtf_ec_OK)
            return ec;
        state.Destination = rdsField;
        break;
    }
    case idestFldInst:
        if (current == rdsField) {
            state.FieldInstruction.clear();
            state.FieldPictureInserted = false;
        }
        state.Destination = Inside(current, rdsField, rdsFldInst);
        break;
    case idestFldRslt:
    case idestNestedTableProps:
        state.Destination = rdsNorm;
        break;
    case idestBookmarkStart:
        // Bookmarks of the body only; the text before one is reported first,
        // so that the bookmark falls between the two runs.
        if (current != rdsNorm || !OnBookmarkStart) {
            state.Destination = rdsSkip;
            break;
        }
        if (const TRVRTFErrorCode ec = FlushOpeningTables(); ec != rtf_ec_OK)
            return ec;
        FBookmarkName.clear();
        state.Destination = rdsBookmarkStart;
        break;
    case idestShpPict:
        // The picture inside is read as any other (its metafile copy, in a
        // \nonshppict group, is skipped).
        break;
    case idestListText:
        // The numbering text of a paragraph: read as text only when no list
        // markers are made from the numbering.
        if (!ReadListText)
            state.Destination = rdsSkip;
        break;
    case idestHeader:
    case idestFooter:
        state.HFType = dest == idestHeader ? rtf_hf_Header : rtf_hf_Footer;
        if (!OnHeaderFooter) {
            state.Destination = rdsSkip;
            break;
        }
        // The text before the group is reported first, where it was read,
        // and the text after it goes on from there.
        if (const TRVRTFErrorCode ec = FlushOpeningTables(); ec != rtf_ec_OK)
            return ec;
        if (FOuterPositions.empty() || FOuterPositions.back().first != FGroupLevel)
            FOuterPositions.emplace_back(FGroupLevel, FPosition);
        OnHeaderFooter(this, state.HFType, true);
        break;
    case idestPNTextAfter:
    case idestPNTextBefore:
    case idestPN:
    case idestPNSecLvl:
    case idestListTable:
    case idestList:
    case idestListName:
    case idestListLevel:
    case idestLevelText:
    case idestLevelNumbers:
    case idestLOTable:
    case idestLO:
    case idestLOLevel:
        ChangeListDest(dest, param);
        break;
    default:
        state.Destination = rdsSkip;
        break;
    }
    return rtf_ec_OK;
}

// The destinations of the list tables, the list overrides and the old
// paragraph numbering.
void TRVRTFReader::ChangeListDest(TRTFIDEST dest, int param)
{
    TRVRTFReaderState& state = *FState;
    const TRTFrds current = state.Destination;
    switch (dest) {
    case idestPNTextAfter:
        state.Destination = Inside(current, rdsPN, rdsPNTextAfter);
        break;
    case idestPNTextBefore:
        state.Destination = Inside(current, rdsPN, rdsPNTextBefore);
        break;
    case idestPN:
        FMarkerProps = std::make_unique<TRVRTFMarkerProperties>();
        state.Destination = rdsPN;
        break;
    case idestPNSecLvl:
        // Levels 1 to 11 only; another number skips the group.
        FPNSecLevel = param;
        state.Destination = param >= 1 && param <= 11 ? rdsPNSecLvl : rdsSkip;
        break;
    case idestListTable:
        FListTable.Clear();
        state.Destination = rdsListTable;
        break;
    case idestList:
        if (current == rdsListTable)
            FListTable.AddNew();
        state.Destination = Inside(current, rdsListTable, rdsList);
        break;
    case idestListName:
        state.Destination = Inside(current, rdsList, rdsListName);
        break;
    case idestListLevel:
        // A list table emptied inside the list group leaves no list to add to.
        if (current == rdsList && FListTable.GetLastList()) {
            FListTable.GetLastList()->AddNew();
            state.Destination = rdsListLevel;
        } else {
            state.Destination = rdsSkip;
        }
        break;
    case idestLevelText:
        state.Destination = Inside(current, rdsListLevel, rdsListLevelText);
        break;
    case idestLevelNumbers:
        state.Destination = Inside(current, rdsListLevel, rdsListLevelNumbers);
        break;
    case idestLOTable:
        FListOverrideTable.Clear();
        state.Destination = rdsLOTable;
        break;
    case idestLO:
        if (current == rdsLOTable)
            FListOverrideTable.AddNew();
        state.Destination = Inside(current, rdsLOTable, rdsLO);
        break;
    case idestLOLevel:
        if (current == rdsLO && FListOverrideTable.GetLastListOverride()) {
            FListOverrideTable.GetLastListOverride()->AddNew();
            state.Destination = rdsLOLevel;
        } else {
            state.Destination = rdsSkip;
        }
        break;
    default:
        break;
    }
}

TRVRTFErrorCode TRVRTFReader::EndGroupAction(TRTFrds dest)
{
    TRVRTFList97* list = FListTable.GetLastList();
    TRVRTFListLevel97* level = list ? list->GetLastLevel() : nullptr;
    switch (dest) {
    case rdsFontTable:
        FFontTable.RemoveChasetFromNames();
        break;
    case rdsPict:
        return EndPicture();
    case rdsField:
        FState->FieldInstruction.clear();
        FState->FieldPictureInserted = false;
        break;
    case rdsFldInst:
        InsertExternalPicture();
        return InsertSymbol();
    case rdsBookmarkStart:
        if (OnBookmarkStart && !FBookmarkName.empty())
            OnBookmarkStart(this, FBookmarkName);
        FBookmarkName.clear();
        break;
    case rdsListLevelText:
        if (level) {
            CutLengthPrefix(level->Text);
            CutLengthPrefix(level->TextW);
            LevelTextToBytes(*level);
        }
        break;
    case rdsListLevel:
        // The level's font may follow its text.
        if (level)
            LevelTextToBytes(*level);
        break;
    case rdsListLevelNumbers:
        if (level)
            CutLengthPrefix(level->Numbers);
        break;
    default:
        break;
    }
    return rtf_ec_OK;
}

void TRVRTFReader::LevelTextToBytes(TRVRTFListLevel97& level) const
{
    if (!level.TextW.empty())
        level.Text = RVRTFUnicodeToAnsi(level.TextW, FontCodePage(level.FontIndex));
}

TRVRTFErrorCode TRVRTFReader::EndPicture()
{
    const TRVRTFErrorCode ec = FlushOpeningTables();
    std::unique_ptr<TRVRTFPicture> picture = std::move(FPicture);
    if (ec != rtf_ec_OK || FState->FieldPictureInserted)
        return ec;
    if (!picture)
        return OnNewPicture ? rtf_ec_InvalidPicture : rtf_ec_OK;
    bool valid = true;
    std::unique_ptr<TGraphic> graphic;
    try {
        graphic = MakeGraphic(*picture, valid);
    } catch (const std::exception&) {
        valid = false;
    }
    // A picture that cannot be decoded is reported without a graphic (the
    // listener shows its placeholder) and the reading goes on.
    if (!valid)
        graphic.reset();
    if (graphic)
        RV_AfterImportGraphic(graphic.get());
    DoNewPicture(picture.get(), std::move(graphic));
    return rtf_ec_OK;
}

std::unique_ptr<TGraphic> TRVRTFReader::MakeGraphic(TRVRTFPicture& picture, bool& valid)
{
    std::unique_ptr<TGraphic> graphic;
    const int ppi = ScreenPixelsPerInch();
    switch (picture.PicType) {
    case rtf_pict_WMF: {
        auto metafile = std::make_unique<TMetafile>();
        LoadWinMetafile(*metafile, picture);
        if ((picture.MetafileMapMode == 7 || picture.MetafileMapMode == 8) && picture.PicW > 0 &&
            picture.PicH > 0) {
            picture.SuggestedWidth = RoundToInt(picture.PicW / 2540.0 * ppi);
            picture.SuggestedHeight = RoundToInt(picture.PicH / 2540.0 * ppi);
        }
        graphic = std::move(metafile);
        break;
    }
    case rtf_pict_DDB: {
        TPixelBuffer pixels;
        if (!(valid = DecodeDDB(picture, pixels)))
            return nullptr;
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixels(pixels);
        graphic = std::move(bitmap);
        break;
    }
    case rtf_pict_DIB:
        if (!(valid = MakeDIBFile(picture.Data)))
            return nullptr;
        graphic = std::make_unique<TBitmap>();
        break;
    case rtf_pict_EMF:
        graphic = std::make_unique<TMetafile>();
        break;
    case rtf_pict_JPEG:
        graphic = std::make_unique<TJPEGImage>();
        break;
    case rtf_pict_PNG:
        graphic = std::make_unique<TPNGImage>();
        break;
    default:
        return nullptr; // PICT and OS/2 metafiles make no graphic
    }
    if (picture.PicType != rtf_pict_WMF && picture.PicType != rtf_pict_DDB) {
        picture.Data.SetPosition(0);
        graphic->LoadFromStream(picture.Data);
    }
    if (picture.PicWGoal != 0 && picture.PicHGoal != 0) {
        picture.SuggestedWidth =
            RVRTFClamp(RoundToInt(picture.PicWGoal * double(ppi) / 1440), 0, rtfMaxPictureSide);
        picture.SuggestedHeight =
            RVRTFClamp(RoundToInt(picture.PicHGoal * double(ppi) / 1440), 0, rtfMaxPictureSide);
    }
    return graphic;
}

void TRVRTFReader::DoNewPicture(TRVRTFPicture* picture, std::unique_ptr<TGraphic> graphic)
{
    if (!OnNewPicture)
        return;
    FState->ParaProps.Finalize();
    if (picture)
        picture->Data.SetPosition(0);
    const TRVRTFPosition position = FPosition;
    FPosition = rtf_ts_ContinuePara;
    OnNewPicture(this, picture, std::move(graphic), position);
}

void TRVRTFReader::InsertExternalPicture()
{
    AnsiString name;
    if (!OnNewPicture || !ReadExternalPictures ||
        !RVRTFFieldArgument(FState->FieldInstruction, "INCLUDEPICTURE", name))
        return;
    RegisterGraphicClasses();
    const size_t dot = name.find_last_of('.');
    const TGraphicClass graphicClass =
        dot == AnsiString::npos ? nullptr : GraphicClassOfExtension(name.substr(dot + 1));
    std::string bytes;
    if (!graphicClass || !RVRTFReadIncludedFile(BasePath, name, MaxExternalPictureSize, bytes))
        return;
    std::unique_ptr<TGraphic> graphic(RV_CreateGraphics(graphicClass));
    if (!graphic)
        return;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    try {
        graphic->LoadFromStream(stream);
    } catch (const std::exception&) {
        return; // an unreadable picture is left out
    }
    if (graphic->Empty())
        return;
    RV_AfterImportGraphic(graphic.get());
    DoNewPicture(nullptr, std::move(graphic));
    FState->FieldPictureInserted = true;
}

TRVRTFErrorCode TRVRTFReader::InsertSymbol()
{
    int code = 0, size = 0;
    AnsiString fontName;
    if (!RVRTFParseSymbolField(FState->FieldInstruction, code, fontName, size))
        return rtf_ec_OK;
    TRVRTFCharProperties& chars = FState->CharProps;
    const int oldSize = chars.Size;
    chars.FontName = fontName;
    chars.Size = size;
    TRVRTFErrorCode ec = rtf_ec_OK;
    // Codes above 255 are Unicode: reported as such, or dropped without a
    // Unicode listener.
    const TRTFrds destination = FState->Destination;
    FState->Destination = rdsNorm;
    if (code <= 255)
        ec = OutputChar(static_cast<char>(code), false, false);
    else if (OnNewUnicodeText)
        ec = OutputWideChar(static_cast<WideChar>(code));
    if (ec == rtf_ec_OK)
        ec = Flush();
    FState->Destination = destination;
    chars.Size = oldSize;
    chars.FontName.clear();
    return ec;
}
