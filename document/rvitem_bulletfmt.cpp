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
AnsiString PictureHex(const TGraphic& Graphic)
{
    TMemoryStream Stream;
    Graphic.SaveToStream(Stream);
    return RVFStream2TextString(Stream);
}

// The hex text from character Skip on (a header of Skip / 2 bytes left out).
AnsiString HexAfter(const AnsiString& Hex, size_t Skip)
{
    return Hex.size() > Skip ? Hex.substr(Skip) : AnsiString();
}

} // namespace

void RVSaveImageListImageToRTF(TStream& Stream, double TwipsPerPixel, const TCustomImageList* ImageList,
                               int ImageIndex, TRVRTFOptions RTFOptions)
{
    // The goal sizes are given at 15 twips per pixel, whatever the document's scale.
    (void)TwipsPerPixel;
    if (ImageList == nullptr || ImageIndex < 0 || ImageIndex >= ImageList->Count())
        return;
    RVWrite(&Stream, "{\\pict");
    if (RTFOptions.Contains(rvrtfSaveBitmapDefault)) {
        TBitmap Bitmap;
        ImageList->GetBitmap(ImageIndex, &Bitmap);
        // The bytes of one stored row, whatever the number of rows.
        RVWrite(&Stream, Format("\\dibitmap0\\wbmwidthbytes%d\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d ",
                                {Bitmap.BytesPerScanLine(), Bitmap.Width(), Bitmap.Height(),
                                 Bitmap.Width() * 15, Bitmap.Height() * 15}));
        // Without the 14-byte file header.
        RVWrite(&Stream, HexAfter(PictureHex(Bitmap), 28));
    } else {
        TMetafile Metafile;
        Metafile.SetEnhanced(false);
        Metafile.SetWidth(ImageList->Width());
        Metafile.SetHeight(ImageList->Height());
        {
            TMetafileCanvas Canvas(&Metafile);
            ImageList->Draw(Canvas.Canvas(), 0, 0, ImageIndex, true);
        }
        RVWrite(&Stream, Format("\\wmetafile1\\picw%d\\pich%d ", {Metafile.Width(), Metafile.Height()}));
        // Without the 22-byte placeable header.
        RVWrite(&Stream, HexAfter(PictureHex(Metafile), 44));
    }
    RVWrite(&Stream, "}");
}

void RVSaveImageSharedImageInHTML(TCustomImageList* ImageList, int ImageIndex, TGraphic* Graphic,
                                  AnsiString& Location, TCustomRVData* RVData, const AnsiString& Path,
                                  const AnsiString& ImagesPrefix, int& ImageCounter, TColor BackgroundColor,
                                  TRVSaveOptions SaveOptions, TRVList* Bullets)
{
    if (Bullets != nullptr)
        for (int i = 0; i < Bullets->Count(); ++i) {
            const auto* Info = static_cast<const TRVHTMLBulletInfo*>(Bullets->Get(i));
            if (Info->ImageList == ImageList && Info->ImageIndex == ImageIndex && Info->Graphic == Graphic &&
                Info->BackColor == BackgroundColor) {
                Location = Info->FileName;
                return;
            }
        }
    if (ImageList == nullptr && Graphic == nullptr)
        return;
    TBitmap Bitmap;
    if (ImageList != nullptr)
        Bitmap.SetSize(ImageList->Width(), ImageList->Height());
    else
        Bitmap.SetSize(Graphic->Width(), Graphic->Height());
    TCanvas* Canvas = Bitmap.Canvas();
    // No background colour: the page's white.
    const TColor Back = BackgroundColor == clNone ? TColor(0xFFFFFF) : BackgroundColor;
    Canvas->Brush()->SetColor(Back);
    Canvas->Pen()->SetColor(Back);
    Canvas->FillRect(Rect(0, 0, Bitmap.Width(), Bitmap.Height()));
    if (ImageList != nullptr)
        ImageList->Draw(Canvas, 0, 0, ImageIndex, true);
    else
        Canvas->Draw(0, 0, Graphic);
    const AnsiString FileName =
        RVData->SavePicture(rvsfHTML, ImagesPrefix, Path, ImageCounter,
                            SaveOptions.Contains(rvsoOverrideImages), BackgroundColor, &Bitmap);
    Location = RV_GetHTMLPath(FileName);
    if (Bullets != nullptr) {
        auto* Info = new TRVHTMLBulletInfo;
        Info->FileName = Location;
        Info->BackColor = BackgroundColor;
        Info->ImageList = ImageList;
        Info->ImageIndex = ImageIndex;
        Info->Graphic = Graphic;
        Bullets->Add(Info);
    }
}

void TRVBulletItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Name,
                                double TwipsPerPixel, int Level, TRVColorList* ColorList,
                                TRVIntegerList* StyleToFont, TRVIntegerList* ListOverrideOffsetsList1,
                                TRVIntegerList* ListOverrideOffsetsList2, TRVRTFFontTable* FontTable)
{
    (void)ItemNo;
    (void)Name;
    (void)Level;
    (void)ColorList;
    (void)StyleToFont;
    (void)ListOverrideOffsetsList1;
    (void)ListOverrideOffsetsList2;
    (void)FontTable;
    RVSaveImageListImageToRTF(Stream, TwipsPerPixel, ImageList, ImageIndex,
                              RVData != nullptr ? RVData->GetRTFOptions() : TRVRTFOptions());
}

void TRVBulletItemInfo::SaveToHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Text,
                                   const AnsiString& Path, const AnsiString& ImagesPrefix, int& ImageCounter,
                                   TColor CurrentFileColor, TRVSaveOptions SaveOptions, bool UseCSS,
                                   TRVList* Bullets)
{
    (void)Text;
    AnsiString Location;
    bool DoDefault = true;
    RVData->HTMLSaveImage(RVData, ItemNo, Path, CurrentFileColor, Location, DoDefault);
    if (DoDefault)
        RVSaveImageSharedImageInHTML(ImageList, ImageIndex, nullptr, Location, RVData, Path, ImagesPrefix,
                                     ImageCounter, CurrentFileColor, SaveOptions, Bullets);
    const AnsiString Extra = RV_GetExtraIMGStr(SaveOptions, GetImageWidth(nullptr), GetImageHeight(nullptr));
    AnsiString StyleAttr;
    const AnsiString CSS = UseCSS ? GetVShiftCSS(RVData->GetRVStyle()) : AnsiString();
    // Declarations in a style attribute stand without braces, or browsers drop them.
    if (!CSS.empty())
        StyleAttr = "style=\"" + CSS + "\" ";
    RVWrite(&Stream, "<IMG" + Extra + StyleAttr + "src=\"" + RV_EscapeHTMLAttribute(Location) + "\">");
}
