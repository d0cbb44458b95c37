// Bullets and hot spots in RTF and HTML, and the image helpers they share with
// the writers.
#include "document/rvitemfmt.h"

#include <memory>

#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/metafile.h"

namespace {

// The picture's saved bytes as upper-case hexadecimal text.
AnsiString PictureHex(const TGraphic& graphic)
{
    TMemoryStream stream;
    graphic.SaveToStream(stream);
    return RVFStream2TextString(stream);
}

// The hex text from character Skip on (a header of Skip / 2 bytes left out).
AnsiString HexAfter(const AnsiString& hex, size_t skip)
{
    return hex.size() > skip ? hex.substr(skip) : AnsiString();
}

} // namespace

void RVSaveImageListImageToRTF(TStream& stream, double twipsPerPixel, const TCustomImageList* imageList,
                               int imageIndex, TRVRTFOptions rtfOptions)
{
    // The goal sizes are given at 15 twips per pixel, whatever the document's scale.
    (void)twipsPerPixel;
    if (imageList == nullptr || imageIndex < 0 || imageIndex >= imageList->Count())
        return;
    RVWrite(&stream, "{\\pict");
    if (rtfOptions.Contains(rvrtfSaveBitmapDefault)) {
        TBitmap bitmap;
        imageList->GetBitmap(imageIndex, &bitmap);
        // The bytes of one stored row, whatever the number of rows.
        RVWrite(&stream, Format("\\dibitmap0\\wbmwidthbytes%d\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d ",
                                {bitmap.BytesPerScanLine(), bitmap.Width(), bitmap.Height(),
                                 bitmap.Width() * 15, bitmap.Height() * 15}));
        // Without the 14-byte file header.
        RVWrite(&stream, HexAfter(PictureHex(bitmap), 28));
    } else {
        TMetafile metafile;
        metafile.SetEnhanced(false);
        metafile.SetWidth(imageList->Width());
        metafile.SetHeight(imageList->Height());
        {
            TMetafileCanvas canvas(&metafile);
            imageList->Draw(canvas.Canvas(), 0, 0, imageIndex, true);
        }
        RVWrite(&stream, Format("\\wmetafile1\\picw%d\\pich%d ", {metafile.Width(), metafile.Height()}));
        // Without the 22-byte placeable header.
        RVWrite(&stream, HexAfter(PictureHex(metafile), 44));
    }
    RVWrite(&stream, "}");
}

void RVSaveImageSharedImageInHTML(TCustomImageList* imageList, int imageIndex, TGraphic* graphic,
                                  AnsiString& location, TCustomRVData* rvData, const AnsiString& path,
                                  const AnsiString& imagesPrefix, int& imageCounter, TColor backgroundColor,
                                  TRVSaveOptions saveOptions, TRVList* bullets)
{
    if (bullets != nullptr)
        for (int i = 0; i < bullets->Count(); ++i) {
            const auto* info = static_cast<const TRVHTMLBulletInfo*>(bullets->Get(i));
            if (info->ImageList == imageList && info->ImageIndex == imageIndex && info->Graphic == graphic &&
                info->BackColor == backgroundColor) {
                location = info->FileName;
                return;
            }
        }
    if (imageList == nullptr && graphic == nullptr)
        return;
    TBitmap bitmap;
    if (imageList != nullptr)
        bitmap.SetSize(imageList->Width(), imageList->Height());
    else
        bitmap.SetSize(graphic->Width(), graphic->Height());
    TCanvas* canvas = bitmap.Canvas();
    // No background colour: the page's white.
    const TColor back = backgroundColor == clNone ? TColor(0xFFFFFF) : backgroundColor;
    canvas->Brush()->SetColor(back);
    canvas->Pen()->SetColor(back);
    canvas->FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
    if (imageList != nullptr)
        imageList->Draw(canvas, 0, 0, imageIndex, true);
    else
        canvas->Draw(0, 0, graphic);
    const AnsiString fileName =
        rvData->SavePicture(rvsfHTML, imagesPrefix, path, imageCounter,
                            saveOptions.Contains(rvsoOverrideImages), backgroundColor, &bitmap);
    location = RV_GetHTMLPath(fileName);
    if (bullets != nullptr) {
        auto* info = new TRVHTMLBulletInfo;
        info->FileName = location;
        info->BackColor = backgroundColor;
        info->ImageList = imageList;
        info->ImageIndex = imageIndex;
        info->Graphic = graphic;
        bullets->Add(info);
    }
}

void TRVBulletItemInfo::SaveRTF(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& name,
                                double twipsPerPixel, int level, TRVColorList* colorList,
                                TRVIntegerList* styleToFont, TRVIntegerList* listOverrideOffsetsList1,
                                TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable)
{
    (void)itemNo;
    (void)name;
    (void)level;
    (void)colorList;
    (void)styleToFont;
    (void)listOverrideOffsetsList1;
    (void)listOverrideOffsetsList2;
    (void)fontTable;
    RVSaveImageListImageToRTF(stream, twipsPerPixel, ImageList, ImageIndex,
                              rvData != nullptr ? rvData->GetRTFOptions() : TRVRTFOptions());
}

void TRVBulletItemInfo::SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                                   const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                                   TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                                   TRVList* bullets)
{
    (void)text;
    AnsiString location;
    bool doDefault = true;
    rvData->HTMLSaveImage(rvData, itemNo, path, currentFileColor, location, doDefault);
    if (doDefault)
        RVSaveImageSharedImageInHTML(ImageList, ImageIndex, nullptr, location, rvData, path, imagesPrefix,
                                     imageCounter, currentFileColor, saveOptions, bullets);
    const AnsiString extra = RV_GetExtraIMGStr(saveOptions, GetImageWidth(nullptr), GetImageHeight(nullptr));
    AnsiString styleAttr;
    const AnsiString css = useCss ? GetVShiftCSS(rvData->GetRVStyle()) : AnsiString();
    // Declarations in a style attribute stand without braces, or browsers drop them.
    if (!css.empty())
        styleAttr = "style=\"" + css + "\" ";
    RVWrite(&stream, "<IMG" + extra + styleAttr + "src=\"" + RV_EscapeHTMLAttribute(location) + "\">");
}
