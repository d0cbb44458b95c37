// Pictures in the document formats: their RVF records, the RTF picture writer
// that pictures and other items share, and the IMG tags of HTML pages.
#include <memory>

#include "document/crvdata.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/png.h"

namespace {

void WriteBitmap(TStream& stream, const TBitmap& bitmap)
{
    // Goal sizes at 15 twips per pixel whatever the document's scale. The row
    // size is that of the rows written, padded to 4 bytes.
    RVWrite(&stream, Format("\\dibitmap0\\wbmwidthbytes%d\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d ",
                            {bitmap.BytesPerScanLine(), bitmap.Width(), bitmap.Height(), bitmap.Width() * 15,
                             bitmap.Height() * 15}));
    // Without the 14-byte file header.
    RVFWritePictureHex(stream, &bitmap, 14);
}

void WriteOldMetafile(TStream& stream, const TMetafile& metafile, int mappingMode, int width, int height)
{
    RVWrite(&stream, Format("\\wmetafile%d\\picw%d\\pich%d ", {mappingMode, width, height}));
    // Without the 22-byte placeable header.
    RVFWritePictureHex(stream, &metafile, 22);
}

void WriteEnhancedMetafile(TStream& stream, const TMetafile& metafile)
{
    RVWrite(&stream, Format("\\emfblip\\picw%d\\pich%d ", {metafile.MMWidth(), metafile.MMHeight()}));
    RVFWritePictureHex(stream, &metafile);
}

// A metafile as RTF: old format as itself (anisotropic mapping); an enhanced
// one as an EMF blip, or with AsWMF converted to the old format when it can
// be (a metafile read from a file cannot: it is written as it is).
void WriteMetafile(TStream& stream, const TMetafile& metafile, bool asWmf)
{
    if (!metafile.Enhanced()) {
        WriteOldMetafile(stream, metafile, 8, metafile.MMWidth(), metafile.MMHeight());
        return;
    }
    if (asWmf) {
        TMetafile copy;
        copy.Assign(&metafile);
        copy.SetEnhanced(false);
        if (!copy.Enhanced()) {
            WriteOldMetafile(stream, copy, 8, copy.MMWidth(), copy.MMHeight());
            return;
        }
    }
    WriteEnhancedMetafile(stream, metafile);
}

// Any other picture as a bitmap: copied when the picture can copy itself into
// one, else drawn on white.
void WriteAsBitmap(TStream& stream, TGraphic* graphic)
{
    TBitmap bitmap;
    try {
        bitmap.Assign(graphic);
    } catch (const Exception&) {
        bitmap.SetSize(graphic->Width(), graphic->Height());
        bitmap.Canvas()->Brush()->SetColor(TColor(0xFFFFFF));
        bitmap.Canvas()->Brush()->SetStyle(bsSolid);
        bitmap.Canvas()->FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
        bitmap.Canvas()->Draw(0, 0, graphic);
    }
    WriteBitmap(stream, bitmap);
}

// Any other picture drawn into a new metafile.
void WriteAsMetafile(TStream& stream, TGraphic* graphic, bool asEmf)
{
    TMetafile metafile;
    metafile.SetEnhanced(false);
    metafile.SetWidth(graphic->Width());
    metafile.SetHeight(graphic->Height());
    {
        TMetafileCanvas canvas(&metafile);
        canvas.Canvas()->Draw(0, 0, graphic);
    }
    if (asEmf) {
        metafile.SetEnhanced(true);
        WriteEnhancedMetafile(stream, metafile);
    } else {
        WriteOldMetafile(stream, metafile, 1, metafile.Width(), metafile.Height());
    }
}

// The picture's width (or height) at which it shows without scaling, in
// pixels: a metafile's size in 0.01 mm converted at the twips per pixel.
int NaturalSize(const TGraphic* graphic, bool horizontal, double twipsPerPixel)
{
    if (const auto* metafile = dynamic_cast<const TMetafile*>(graphic)) {
        const int mm = horizontal ? metafile->MMWidth() : metafile->MMHeight();
        if (mm >= 1 && twipsPerPixel > 0)
            return static_cast<int>(Round(mm / 2540.0L * 1440.0L / twipsPerPixel));
    }
    return horizontal ? graphic->Width() : graphic->Height();
}

// Pixels past which a picture that RTF can hold as it is (a JPEG) is never
// converted to a bitmap or a metafile: the conversion writes every pixel
// uncompressed as hexadecimal text, six or eight characters for each, so that a
// small file whose frame is large would save as hundreds of megabytes.
constexpr int64_t MaxConvertedPixels = int64_t(1) << 22;

bool TooLargeToConvert(const TGraphic* graphic)
{
    return int64_t(graphic->Width()) * graphic->Height() > MaxConvertedPixels;
}

} // namespace

void RVSaveImageToRTF(TStream& stream, double twipsPerPixel, TGraphic* graphic, int width, int height,
                      TRVRTFOptions options)
{
    if (graphic == nullptr || graphic->Empty())
        return;
    RVWrite(&stream, "{\\pict");
    if (width > 0 && graphic->Width() > 0) {
        const int natural = NaturalSize(graphic, true, twipsPerPixel);
        if (natural > 0)
            RVWrite(&stream, Format("\\picscalex%d", {static_cast<int>(Round(width * 100.0L / natural))}));
    }
    if (height > 0 && graphic->Height() > 0) {
        const int natural = NaturalSize(graphic, false, twipsPerPixel);
        if (natural > 0)
            RVWrite(&stream, Format("\\picscaley%d", {static_cast<int>(Round(height * 100.0L / natural))}));
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        WriteBitmap(stream, *bitmap);
    } else if (const auto* metafile = dynamic_cast<const TMetafile*>(graphic)) {
        WriteMetafile(stream, *metafile, options.Contains(rvrtfSaveEMFAsWMF));
    } else if (dynamic_cast<const TJPEGImage*>(graphic) != nullptr &&
               (options.Contains(rvrtfSaveJpegAsJpeg) || TooLargeToConvert(graphic))) {
        RVWrite(&stream, Format("\\jpegblip\\picw%d\\pich%d ", {graphic->Width(), graphic->Height()}));
        RVFWritePictureHex(stream, graphic);
    } else if (dynamic_cast<const TPNGImage*>(graphic) != nullptr) {
        // PNG is a picture format of RTF itself: its bytes go as they are.
        RVWrite(&stream, Format("\\pngblip\\picw%d\\pich%d ", {graphic->Width(), graphic->Height()}));
        RVFWritePictureHex(stream, graphic);
    } else if (options.Contains(rvrtfSaveBitmapDefault)) {
        WriteAsBitmap(stream, graphic);
    } else {
        WriteAsMetafile(stream, graphic, options.Contains(rvrtfSaveEMFDefault));
    }
    RVWrite(&stream, "}");
}

// ---------------------------------------------------------------------------
// RVF

int TRVGraphicItemInfo::GetRVFExtraPropertyCount() const
{
    int count = TRVRectItemInfo::GetRVFExtraPropertyCount();
    count += (ImageWidth > 0 ? 1 : 0) + (ImageHeight > 0 ? 1 : 0) + (MinHeightOnPage > 0 ? 1 : 0);
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(FImage.get()); bitmap && bitmap->Transparent())
        count += bitmap->TransparentMode() == tmFixed ? 3 : 2;
    return count;
}

void TRVGraphicItemInfo::SaveRVFExtraProperties(TStream& stream)
{
    TRVRectItemInfo::SaveRVFExtraProperties(stream);
    if (ImageWidth > 0)
        WriteExtraProperty(stream, rvepImageWidth, ImageWidth);
    if (ImageHeight > 0)
        WriteExtraProperty(stream, rvepImageHeight, ImageHeight);
    if (MinHeightOnPage > 0)
        WriteExtraProperty(stream, rvepMinHeightOnPage, MinHeightOnPage);
    const auto* bitmap = dynamic_cast<const TBitmap*>(FImage.get());
    if (bitmap == nullptr || !bitmap->Transparent())
        return;
    WriteExtraProperty(stream, rvepTransparent, 1);
    WriteExtraProperty(stream, rvepTransparentMode, static_cast<int>(bitmap->TransparentMode()));
    if (bitmap->TransparentMode() == tmFixed)
        WriteExtraProperty(stream, rvepTransparentColor, static_cast<int>(bitmap->TransparentColor()));
}

void TRVGraphicItemInfo::SaveRVF(TStream& stream, TCustomRVData* rvData, int, int paraNo,
                                 const AnsiString& name, TRVMultiDrawItemPart*, bool forceSameAsPrev)
{
    // Without a picture there is no class to name: the record asks for it again when read.
    const bool body = rvData->GetRVFOptions().Contains(rvfoSavePicturesBody) && FImage != nullptr;
    bool binary = false;
    if (!WriteRVFBodyHead(stream, rvData, paraNo, name, forceSameAsPrev, body ? FImage->ClassName() : nullptr,
                          binary))
        return;
    if (binary) {
        RVFSavePictureBinary(stream, FImage.get());
    } else {
        RVFWritePictureHex(stream, FImage.get());
        stream.WriteBuffer("\r\n", 2);
    }
}

void TRVGraphicItemInfo::LoadRVFImage(const AnsiString& data, bool binary, TCustomRVData* rvData)
{
    bool loaded = false;
    try {
        if (binary) {
            RVFLoadPictureBinary(data, FImage.get());
            loaded = true;
        } else {
            // Text that does not decode whole is damaged even when the part
            // before the damage happens to load.
            loaded = RVFLoadPicture(data, FImage.get());
        }
    } catch (const Exception&) {
        loaded = false;
    }
    if (!loaded) {
        rvData->SetRVFWarnings(rvData->GetRVFWarnings() + TRVFWarnings{rvfwInvalidPicture});
        TRVStyle* style = rvData->GetRVStyle();
        TGraphic* invalid = style != nullptr ? style->InvalidPicture()->Graphic() : nullptr;
        std::unique_ptr<TGraphic> copy;
        if (invalid != nullptr) {
            RegisterGraphicClasses();
            copy.reset(RV_CreateGraphics(GraphicClassOf(invalid)));
        }
        if (copy != nullptr) {
            copy->Assign(invalid);
            SetImage(copy.release());
        }
        // Without an invalid-picture graphic the picture stays as its loader
        // left it: unchanged, empty.
        return;
    }
    // Old-format metafiles whose header gives no resolution are in twips.
    if (auto* metafile = dynamic_cast<TMetafile*>(FImage.get());
        metafile && !metafile->Enhanced() && metafile->Inch() == 0)
        metafile->SetInch(1440);
}

bool TRVGraphicItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo,
                                     int lineCount, AnsiString& name, TRVFReadMode& readMode,
                                     TRVFReadState& readState)
{
    if (readType == 1) {
        // The body was not saved: the document supplies the picture by name.
        if (lineNo == 0) {
            name = s;
            SetImage(rvData->RVFPictureNeeded(name, GetTag()));
        } else {
            SetExtraPropertyFromRVFStr(s);
        }
        return true;
    }
    // Name, class name, properties, data: a record of fewer lines is damaged.
    if (lineCount < 3)
        return false;
    if (lineNo == 0) {
        name = s;
    } else if (lineNo == 1) {
        RegisterGraphicClasses();
        const TGraphicClass Class = GetClass(s);
        SetImage(Class != nullptr ? RV_CreateGraphics(Class) : nullptr);
        if (FImage == nullptr) {
            rvData->SetRVFWarnings(rvData->GetRVFWarnings() + TRVFWarnings{rvfwUnknownPicFmt});
            if (!rvData->GetRVFOptions().Contains(rvfoIgnoreUnknownPicFmt))
                return false;
        }
    } else if (lineNo == lineCount - 1) {
        if (FImage != nullptr)
            LoadRVFImage(s, readType == 2, rvData);
        readState = rstSkip;
        return true;
    } else {
        SetExtraPropertyFromRVFStr(s);
    }
    // The data of a binary record comes as a block after the line before it.
    if (readType == 2 && lineNo == lineCount - 2)
        readMode = rmBeforeBinary;
    return true;
}

// ---------------------------------------------------------------------------
// RTF and HTML

void TRVGraphicItemInfo::SaveRTF(TStream& stream, TCustomRVData* rvData, int, const AnsiString&,
                                 double twipsPerPixel, int, TRVColorList*, TRVIntegerList*, TRVIntegerList*,
                                 TRVIntegerList*, TRVRTFFontTable*)
{
    RVSaveImageToRTF(stream, twipsPerPixel, FImage.get(), ImageWidth, ImageHeight,
                     rvData != nullptr ? rvData->GetRTFOptions() : TRVRTFOptions());
}

void TRVGraphicItemInfo::SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString&,
                                    const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                                    TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                                    TRVList*)
{
    AnsiString location;
    bool doDefault = true;
    rvData->HTMLSaveImage(rvData, itemNo, path, currentFileColor, location, doDefault);
    if (doDefault && FImage != nullptr)
        location =
            rvData->SavePicture(rvsfHTML, imagesPrefix, path, imageCounter,
                                saveOptions.Contains(rvsoOverrideImages), currentFileColor, FImage.get());
    if (location.empty())
        return;
    const AnsiString align = VAlign == rvvaMiddle ? " align=middle" : "";
    AnsiString extra = saveOptions.Contains(rvsoNoHypertextImageBorders) ? " border=0 " : " ";
    TRVStyle* style = rvData->GetRVStyle();
    if (saveOptions.Contains(rvsoImageSizes) || ImageWidth >= 1 || ImageHeight >= 1)
        extra += Format("width=%d height=%d ", {GetImageWidth(style), GetImageHeight(style)});
    const AnsiString shiftCss = useCss ? GetVShiftCSS(style) : AnsiString();
    if (!shiftCss.empty())
        extra += "style=\"" + shiftCss + "\" ";
    RVWrite(&stream,
            "<IMG" + align + extra + "src=\"" + RV_EscapeHTMLAttribute(RV_GetHTMLPath(location)) + "\">");
}
