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
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"

// ---------------------------------------------------------------------------
// RTF font table

int TRVRTFFontTable::Find(const AnsiString& fontName, uint8_t charset) const
{
    for (int i = 0; i < Count(); ++i) {
        const TRVRTFFontTableItem* item = Get(i);
        if (AnsiCompareText(item->FontName, fontName) == 0 && item->Charset == charset)
            return i;
    }
    return -1;
}

int TRVRTFFontTable::AddUnique(const AnsiString& fontName, uint8_t charset)
{
    const int index = Find(fontName, charset);
    if (index >= 0)
        return index;
    TRVRTFFontTableItem* item = new TRVRTFFontTableItem;
    item->FontName = fontName;
    item->Charset = charset;
    return Add(item);
}

TRVRTFFontTableItem* TRVRTFFontTable::Get(int index) const
{
    return static_cast<TRVRTFFontTableItem*>(TRVList::Get(index));
}

void TRVRTFFontTable::Put(int index, TRVRTFFontTableItem* value)
{
    TRVList::Put(index, value);
}

// ---------------------------------------------------------------------------
// Layout block

namespace {

constexpr int LayoutBaseSize = 25;  // six 32-bit values and the reading direction
constexpr int LayoutExtraSize = 16; // the paragraph flags and the first marker

void WriteInt(TStream& stream, int32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    stream.WriteBuffer(bytes, 4);
}

int32_t ReadInt(TStream& stream)
{
    uint8_t bytes[4];
    stream.ReadBuffer(bytes, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                                (static_cast<uint32_t>(bytes[2]) << 16) |
                                (static_cast<uint32_t>(bytes[3]) << 24));
}

[[noreturn]] void InvalidRVF()
{
    throw ERollViewError(errRVInvalidRVF);
}

} // namespace

void TRVLayoutInfo::SaveToStream(TStream& stream, bool includeSize) const
{
    const bool extra = FirstParaAborted != 0 || LastParaAborted != 0;
    const int32_t length = LayoutBaseSize + (extra ? LayoutExtraSize : 0);
    if (includeSize)
        WriteInt(stream, length + 8);
    WriteInt(stream, 0);
    WriteInt(stream, length);
    WriteInt(stream, LeftMargin);
    WriteInt(stream, RightMargin);
    WriteInt(stream, TopMargin);
    WriteInt(stream, BottomMargin);
    WriteInt(stream, MinTextWidth);
    WriteInt(stream, MaxTextWidth);
    const uint8_t mode = BiDiMode;
    stream.WriteBuffer(&mode, 1);
    if (extra) {
        WriteInt(stream, FirstParaAborted);
        WriteInt(stream, LastParaAborted);
        WriteInt(stream, FirstMarkerListNo);
        WriteInt(stream, FirstMarkerLevel);
    }
}

void TRVLayoutInfo::LoadFromStream(TStream& stream, bool includeSize)
{
    const auto remaining = [&stream] { return stream.Size() - stream.Position(); };
    if (remaining() < (includeSize ? 12 : 8))
        InvalidRVF();
    if (includeSize)
        ReadInt(stream);
    ReadInt(stream);
    const int32_t length = ReadInt(stream);
    // The block must hold the known fields and lie within the stream.
    if (length < LayoutBaseSize || length > remaining())
        InvalidRVF();
    TRVLayoutInfo read;
    read.LeftMargin = ReadInt(stream);
    read.RightMargin = ReadInt(stream);
    read.TopMargin = ReadInt(stream);
    read.BottomMargin = ReadInt(stream);
    read.MinTextWidth = ReadInt(stream);
    read.MaxTextWidth = ReadInt(stream);
    uint8_t mode = 0;
    stream.ReadBuffer(&mode, 1);
    read.BiDiMode = mode <= rvbdRightToLeft ? static_cast<TRVBiDiMode>(mode) : rvbdUnspecified;
    int consumed = LayoutBaseSize;
    if (length - LayoutBaseSize >= LayoutExtraSize) {
        read.FirstParaAborted = ReadInt(stream);
        read.LastParaAborted = ReadInt(stream);
        read.FirstMarkerListNo = ReadInt(stream);
        read.FirstMarkerLevel = ReadInt(stream);
        consumed += LayoutExtraSize;
    }
    // What a later version adds is skipped.
    stream.Seek(length - consumed, soCurrent);

    LeftMargin = read.LeftMargin;
    RightMargin = read.RightMargin;
    TopMargin = read.TopMargin;
    BottomMargin = read.BottomMargin;
    MinTextWidth = read.MinTextWidth;
    MaxTextWidth = read.MaxTextWidth;
    BiDiMode = read.BiDiMode;
    if (consumed > LayoutBaseSize) {
        FirstParaAborted = read.FirstParaAborted;
        LastParaAborted = read.LastParaAborted;
        FirstMarkerListNo = read.FirstMarkerListNo;
        FirstMarkerLevel = read.FirstMarkerLevel;
    }
    Loaded = true;
}

void TRVLayoutInfo::SaveTextToStream(TStream& stream) const
{
    TMemoryStream block;
    SaveToStream(block, false);
    RVFWriteLine(stream, RVFStream2TextString(block));
}

void TRVLayoutInfo::LoadText(const AnsiString& s)
{
    TMemoryStream block;
    if (!RVFTextString2Stream(s, block))
        InvalidRVF();
    LoadFromStream(block, false);
}

void TRVLayoutInfo::LoadBinary(const AnsiString& s)
{
    TMemoryStream block;
    RVFBytesToStream(s, block);
    LoadFromStream(block, false);
}

// ---------------------------------------------------------------------------
// HTML picture formats

namespace {

std::vector<TGraphicClass>& HTMLGraphicFormats()
{
    static std::vector<TGraphicClass> formats;
    return formats;
}

} // namespace

bool RV_IsHTMLGraphicFormat(const TGraphic* graphic)
{
    if (!graphic)
        return false;
    const TGraphicClass Class = GraphicClassOf(graphic);
    if (!Class)
        return false;
    for (TGraphicClass registered : HTMLGraphicFormats())
        if (registered == Class)
            return true;
    return false;
}

int RV_RegisterHTMLGraphicFormat(TGraphicClass graphicClass)
{
    if (!graphicClass)
        return -1;
    std::vector<TGraphicClass>& formats = HTMLGraphicFormats();
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i] == graphicClass)
            return static_cast<int>(i);
    formats.push_back(graphicClass);
    return static_cast<int>(formats.size() - 1);
}

// ---------------------------------------------------------------------------
// Picture files beside an HTML page

AnsiString TCustomRVData::GetNextFileName(const AnsiString& imagesPrefix, const AnsiString& path,
                                          const AnsiString& ext, int& imageNo, bool overrideFiles)
{
    for (;;) {
        if (imageNo == INT_MAX)
            imageNo = 0;
        ++imageNo;
        const AnsiString fileName = path + imagesPrefix + IntToStr(imageNo) + ext;
        if (!FileExists(fileName))
            return fileName;
        if (overrideFiles && !FileIsReadOnly(fileName))
            return fileName;
    }
}

AnsiString TCustomRVData::SavePicture(TRVSaveFormat documentSaveFormat, const AnsiString& imagesPrefix,
                                      const AnsiString& path, int& imageNo, bool overrideImages,
                                      TColor backgroundColor, TGraphic* gr)
{
    if (!gr)
        throw ERollViewError(errRVNilParameter);
    const bool html = documentSaveFormat == rvsfHTML;
    const bool ownFormat = RV_IsHTMLGraphicFormat(gr);
    AnsiString ext = ".bmp";
    // JPEG and PNG pictures are written as they are; other pictures as JPEG.
    const bool keptFormat = dynamic_cast<TJPEGImage*>(gr) || dynamic_cast<TPNGImage*>(gr);
    if (html)
        ext = ownFormat || keptFormat ? "." + GraphicExtension(GraphicClassOf(gr)) : AnsiString(".jpg");
    const AnsiString fileName = GetNextFileName(imagesPrefix, path, ext, imageNo, overrideImages);

    if (html && (ownFormat || keptFormat)) {
        gr->SaveToFile(fileName);
    } else if (auto* metafile = dynamic_cast<TMetafile*>(gr); metafile && html) {
        // The bitmap the metafile is drawn into when shown at its own size
        // (drawn now when it holds none), written over the background
        // without a copy of its pixels.
        const TPinnedPixels pinned = metafile->Render(gr->Width(), gr->Height());
        const TPixelBuffer& pixels = *pinned;
        const TColor back = backgroundColor == clNone ? TColor(0xFFFFFF) : ColorToRGB(backgroundColor);
        std::vector<uint8_t> bytes;
        int code = 0;
        if (!pixels.Empty() && !jpegcodec::Encode(pixels, TJPEGImage().CompressionQuality(), bytes, code,
                                                  ColorToPixel(back) & 0xFFFFFF))
            throw EJPEG(Format(GraphicConst::SJPEGError, {code}));
        SafeWriteFile(fileName, [&](TStream& stream) {
            if (!bytes.empty())
                stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        });
    } else {
        TBitmap bitmap;
        if (dynamic_cast<TBitmap*>(gr)) {
            bitmap.Assign(gr);
        } else {
            bitmap.SetPixelFormat(pf32bit);
            bitmap.SetSize(gr->Width(), gr->Height());
            bitmap.Canvas()->Brush()->SetColor(backgroundColor == clNone ? TColor(0xFFFFFF)
                                                                         : backgroundColor);
            bitmap.Canvas()->FillRect(Rect(0, 0, gr->Width(), gr->Height()));
            bitmap.Canvas()->Draw(0, 0, gr);
        }
        if (html) {
            TJPEGImage jpeg;
            jpeg.Assign(&bitmap);
            jpeg.SaveToFile(fileName);
        } else {
            bitmap.SaveToFile(fileName);
        }
    }
    return ExtractFilePath(imagesPrefix) + ExtractFileName(fileName);
}
