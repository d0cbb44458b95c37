// Records the writers share: the RTF font table, the layout block of the
// document format, the registered HTML picture formats, and the picture files
// written beside an HTML page.
#include <climits>
#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/jpeg.h"

// ---------------------------------------------------------------------------
// RTF font table

int TRVRTFFontTable::Find(const AnsiString& FontName, uint8_t Charset) const
{
    for (int i = 0; i < Count(); ++i) {
        const TRVRTFFontTableItem* Item = Get(i);
        if (AnsiCompareText(Item->FontName, FontName) == 0 && Item->Charset == Charset)
            return i;
    }
    return -1;
}

int TRVRTFFontTable::AddUnique(const AnsiString& FontName, uint8_t Charset)
{
    const int Index = Find(FontName, Charset);
    if (Index >= 0)
        return Index;
    TRVRTFFontTableItem* Item = new TRVRTFFontTableItem;
    Item->FontName = FontName;
    Item->Charset = Charset;
    return Add(Item);
}

TRVRTFFontTableItem* TRVRTFFontTable::Get(int Index) const
{
    return static_cast<TRVRTFFontTableItem*>(TRVList::Get(Index));
}

void TRVRTFFontTable::Put(int Index, TRVRTFFontTableItem* Value)
{
    TRVList::Put(Index, Value);
}

// ---------------------------------------------------------------------------
// Layout block

namespace {

constexpr int LayoutBaseSize = 25;  // six 32-bit values and the reading direction
constexpr int LayoutExtraSize = 16; // the paragraph flags and the first marker

void WriteInt(TStream& Stream, int32_t Value)
{
    const uint8_t Bytes[4] = {static_cast<uint8_t>(Value), static_cast<uint8_t>(Value >> 8),
                              static_cast<uint8_t>(Value >> 16), static_cast<uint8_t>(Value >> 24)};
    Stream.WriteBuffer(Bytes, 4);
}

int32_t ReadInt(TStream& Stream)
{
    uint8_t Bytes[4];
    Stream.ReadBuffer(Bytes, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(Bytes[0]) | (static_cast<uint32_t>(Bytes[1]) << 8) |
                                (static_cast<uint32_t>(Bytes[2]) << 16) |
                                (static_cast<uint32_t>(Bytes[3]) << 24));
}

[[noreturn]] void InvalidRVF()
{
    throw ERollViewError(errRVInvalidRVF);
}

} // namespace

void TRVLayoutInfo::SaveToStream(TStream& Stream, bool IncludeSize) const
{
    const bool Extra = FirstParaAborted != 0 || LastParaAborted != 0;
    const int32_t Length = LayoutBaseSize + (Extra ? LayoutExtraSize : 0);
    if (IncludeSize)
        WriteInt(Stream, Length + 8);
    WriteInt(Stream, 0);
    WriteInt(Stream, Length);
    WriteInt(Stream, LeftMargin);
    WriteInt(Stream, RightMargin);
    WriteInt(Stream, TopMargin);
    WriteInt(Stream, BottomMargin);
    WriteInt(Stream, MinTextWidth);
    WriteInt(Stream, MaxTextWidth);
    const uint8_t Mode = BiDiMode;
    Stream.WriteBuffer(&Mode, 1);
    if (Extra) {
        WriteInt(Stream, FirstParaAborted);
        WriteInt(Stream, LastParaAborted);
        WriteInt(Stream, FirstMarkerListNo);
        WriteInt(Stream, FirstMarkerLevel);
    }
}

void TRVLayoutInfo::LoadFromStream(TStream& Stream, bool IncludeSize)
{
    const auto Remaining = [&Stream] { return Stream.Size() - Stream.Position(); };
    if (Remaining() < (IncludeSize ? 12 : 8))
        InvalidRVF();
    if (IncludeSize)
        ReadInt(Stream);
    ReadInt(Stream);
    const int32_t Length = ReadInt(Stream);
    // The block must hold the known fields and lie within the stream.
    if (Length < LayoutBaseSize || Length > Remaining())
        InvalidRVF();
    TRVLayoutInfo Read;
    Read.LeftMargin = ReadInt(Stream);
    Read.RightMargin = ReadInt(Stream);
    Read.TopMargin = ReadInt(Stream);
    Read.BottomMargin = ReadInt(Stream);
    Read.MinTextWidth = ReadInt(Stream);
    Read.MaxTextWidth = ReadInt(Stream);
    uint8_t Mode = 0;
    Stream.ReadBuffer(&Mode, 1);
    Read.BiDiMode = Mode <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(Mode) : rvbdUnspecified;
    int Consumed = LayoutBaseSize;
    if (Length - LayoutBaseSize >= LayoutExtraSize) {
        Read.FirstParaAborted = ReadInt(Stream);
        Read.LastParaAborted = ReadInt(Stream);
        Read.FirstMarkerListNo = ReadInt(Stream);
        Read.FirstMarkerLevel = ReadInt(Stream);
        Consumed += LayoutExtraSize;
    }
    // What a later version adds is skipped.
    Stream.Seek(Length - Consumed, soCurrent);

    LeftMargin = Read.LeftMargin;
    RightMargin = Read.RightMargin;
    TopMargin = Read.TopMargin;
    BottomMargin = Read.BottomMargin;
    MinTextWidth = Read.MinTextWidth;
    MaxTextWidth = Read.MaxTextWidth;
    BiDiMode = Read.BiDiMode;
    if (Consumed > LayoutBaseSize) {
        FirstParaAborted = Read.FirstParaAborted;
        LastParaAborted = Read.LastParaAborted;
        FirstMarkerListNo = Read.FirstMarkerListNo;
        FirstMarkerLevel = Read.FirstMarkerLevel;
    }
    Loaded = true;
}

void TRVLayoutInfo::SaveTextToStream(TStream& Stream) const
{
    TMemoryStream Block;
    SaveToStream(Block, false);
    RVFWriteLine(Stream, RVFStream2TextString(Block));
}

void TRVLayoutInfo::LoadText(const AnsiString& s)
{
    TMemoryStream Block;
    if (!RVFTextString2Stream(s, Block))
        InvalidRVF();
    LoadFromStream(Block, false);
}

void TRVLayoutInfo::LoadBinary(const AnsiString& s)
{
    TMemoryStream Block;
    RVFBytesToStream(s, Block);
    LoadFromStream(Block, false);
}

// ---------------------------------------------------------------------------
// HTML picture formats

namespace {

std::vector<TGraphicClass>& HTMLGraphicFormats()
{
    static std::vector<TGraphicClass> Formats;
    return Formats;
}

} // namespace

bool RV_IsHTMLGraphicFormat(const TGraphic* Graphic)
{
    if (!Graphic)
        return false;
    const TGraphicClass Class = GraphicClassOf(Graphic);
    if (!Class)
        return false;
    for (TGraphicClass Registered : HTMLGraphicFormats())
        if (Registered == Class)
            return true;
    return false;
}

int RV_RegisterHTMLGraphicFormat(TGraphicClass GraphicClass)
{
    if (!GraphicClass)
        return -1;
    std::vector<TGraphicClass>& Formats = HTMLGraphicFormats();
    for (size_t i = 0; i < Formats.size(); ++i)
        if (Formats[i] == GraphicClass)
            return static_cast<int>(i);
    Formats.push_back(GraphicClass);
    return static_cast<int>(Formats.size() - 1);
}

// ---------------------------------------------------------------------------
// Picture files beside an HTML page

AnsiString TCustomRVData::GetNextFileName(const AnsiString& ImagesPrefix, const AnsiString& Path,
                                          const AnsiString& Ext, int& ImageNo, bool OverrideFiles)
{
    for (;;) {
        if (ImageNo == INT_MAX)
            ImageNo = 0;
        ++ImageNo;
        const AnsiString FileName = Path + ImagesPrefix + IntToStr(ImageNo) + Ext;
        if (!FileExists(FileName))
            return FileName;
        if (OverrideFiles && !FileIsReadOnly(FileName))
            return FileName;
    }
}

AnsiString TCustomRVData::SavePicture(TRVSaveFormat DocumentSaveFormat, const AnsiString& ImagesPrefix,
                                      const AnsiString& Path, int& ImageNo, bool OverrideImages,
                                      TColor BackgroundColor, TGraphic* gr)
{
    if (!gr)
        throw ERollViewError(errRVNilParameter);
    const bool HTML = DocumentSaveFormat == rvsfHTML;
    const bool OwnFormat = RV_IsHTMLGraphicFormat(gr);
    AnsiString Ext = ".bmp";
    if (HTML)
        Ext = OwnFormat ? "." + GraphicExtension(GraphicClassOf(gr)) : AnsiString(".jpg");
    const AnsiString FileName = GetNextFileName(ImagesPrefix, Path, Ext, ImageNo, OverrideImages);

    if (HTML && (OwnFormat || dynamic_cast<TJPEGImage*>(gr))) {
        gr->SaveToFile(FileName);
    } else {
        TBitmap Bitmap;
        if (dynamic_cast<TBitmap*>(gr)) {
            Bitmap.Assign(gr);
        } else {
            Bitmap.SetPixelFormat(pf32bit);
            Bitmap.SetSize(gr->Width(), gr->Height());
            Bitmap.Canvas()->Brush()->SetColor(BackgroundColor == clNone ? TColor(0xFFFFFF)
                                                                         : BackgroundColor);
            Bitmap.Canvas()->FillRect(Rect(0, 0, gr->Width(), gr->Height()));
            Bitmap.Canvas()->Draw(0, 0, gr);
        }
        if (HTML) {
            TJPEGImage Jpeg;
            Jpeg.Assign(&Bitmap);
            Jpeg.SaveToFile(FileName);
        } else {
            Bitmap.SaveToFile(FileName);
        }
    }
    return ExtractFilePath(ImagesPrefix) + ExtractFileName(FileName);
}
