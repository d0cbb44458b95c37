// The pictures of an HTML page: the picture classes registered to be written
// in their own format, and the picture files written beside the page.
#include <climits>
#include <vector>

#include "document/crvdata.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"

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
