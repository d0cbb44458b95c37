// Pictures in the document formats: their RVF records, the RTF picture writer
// that pictures and other items share, and the IMG tags of HTML pages.
#include <memory>

#include "document/crvdata.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"

namespace {

// The hex text from character Skip on (a header of Skip / 2 bytes left out).
AnsiString HexAfter(const AnsiString& Hex, size_t Skip)
{
    return Hex.size() > Skip ? Hex.substr(Skip) : AnsiString();
}

void WriteBitmap(TStream& Stream, const TBitmap& Bitmap)
{
    // Goal sizes at 15 twips per pixel whatever the document's scale. The row
    // size is that of the rows written, padded to 4 bytes.
    RVWrite(&Stream, Format("\\dibitmap0\\wbmwidthbytes%d\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d ",
                            {Bitmap.BytesPerScanLine(), Bitmap.Width(), Bitmap.Height(), Bitmap.Width() * 15,
                             Bitmap.Height() * 15}));
    // Without the 14-byte file header.
    RVWrite(&Stream, HexAfter(RVFSavePicture(&Bitmap), 28));
}

void WriteOldMetafile(TStream& Stream, const TMetafile& Metafile, int MappingMode, int Width, int Height)
{
    RVWrite(&Stream, Format("\\wmetafile%d\\picw%d\\pich%d ", {MappingMode, Width, Height}));
    // Without the 22-byte placeable header.
    RVWrite(&Stream, HexAfter(RVFSavePicture(&Metafile), 44));
}

void WriteEnhancedMetafile(TStream& Stream, const TMetafile& Metafile)
{
    RVWrite(&Stream, Format("\\emfblip\\picw%d\\pich%d ", {Metafile.MMWidth(), Metafile.MMHeight()}));
    RVWrite(&Stream, RVFSavePicture(&Metafile));
}

// A metafile as RTF: old format as itself (anisotropic mapping); an enhanced
// one as an EMF blip, or with AsWMF converted to the old format when it can
// be (a metafile read from a file cannot: it is written as it is).
void WriteMetafile(TStream& Stream, const TMetafile& Metafile, bool AsWMF)
{
    if (!Metafile.Enhanced()) {
        WriteOldMetafile(Stream, Metafile, 8, Metafile.MMWidth(), Metafile.MMHeight());
        return;
    }
    if (AsWMF) {
        TMetafile Copy;
        Copy.Assign(&Metafile);
        Copy.SetEnhanced(false);
        if (!Copy.Enhanced()) {
            WriteOldMetafile(Stream, Copy, 8, Copy.MMWidth(), Copy.MMHeight());
            return;
        }
    }
    WriteEnhancedMetafile(Stream, Metafile);
}

// Any other picture as a bitmap: copied when the picture can copy itself into
// one, else drawn on white.
void WriteAsBitmap(TStream& Stream, TGraphic* Graphic)
{
    TBitmap Bitmap;
    try {
        Bitmap.Assign(Graphic);
    } catch (const Exception&) {
        Bitmap.SetSize(Graphic->Width(), Graphic->Height());
        Bitmap.Canvas()->Brush()->SetColor(TColor(0xFFFFFF));
        Bitmap.Canvas()->Brush()->SetStyle(bsSolid);
        Bitmap.Canvas()->FillRect(Rect(0, 0, Bitmap.Width(), Bitmap.Height()));
        Bitmap.Canvas()->Draw(0, 0, Graphic);
    }
    WriteBitmap(Stream, Bitmap);
}

// Any other picture drawn into a new metafile.
void WriteAsMetafile(TStream& Stream, TGraphic* Graphic, bool AsEMF)
{
    TMetafile Metafile;
    Metafile.SetEnhanced(false);
    Metafile.SetWidth(Graphic->Width());
    Metafile.SetHeight(Graphic->Height());
    {
        TMetafileCanvas Canvas(&Metafile);
        Canvas.Canvas()->Draw(0, 0, Graphic);
    }
    if (AsEMF) {
        Metafile.SetEnhanced(true);
        WriteEnhancedMetafile(Stream, Metafile);
    } else {
        WriteOldMetafile(Stream, Metafile, 1, Metafile.Width(), Metafile.Height());
    }
}

// The picture's width (or height) at which it shows without scaling, in
// pixels: a metafile's size in 0.01 mm converted at the twips per pixel.
int NaturalSize(const TGraphic* Graphic, bool Horizontal, double TwipsPerPixel)
{
    if (const auto* Metafile = dynamic_cast<const TMetafile*>(Graphic)) {
        const int MM = Horizontal ? Metafile->MMWidth() : Metafile->MMHeight();
        if (MM >= 1 && TwipsPerPixel > 0)
            return static_cast<int>(Round(MM / 2540.0L * 1440.0L / TwipsPerPixel));
    }
    return Horizontal ? Graphic->Width() : Graphic->Height();
}

} // namespace

void RVSaveImageToRTF(TStream& Stream, double TwipsPerPixel, TGraphic* Graphic, int Width, int Height,
                      TRVRTFOptions Options)
{
    if (Graphic == nullptr || Graphic->Empty())
        return;
    RVWrite(&Stream, "{\\pict");
    if (Width > 0 && Graphic->Width() > 0) {
        const int Natural = NaturalSize(Graphic, true, TwipsPerPixel);
        if (Natural > 0)
            RVWrite(&Stream, Format("\\picscalex%d", {static_cast<int>(Round(Width * 100.0L / Natural))}));
    }
    if (Height > 0 && Graphic->Height() > 0) {
        const int Natural = NaturalSize(Graphic, false, TwipsPerPixel);
        if (Natural > 0)
            RVWrite(&Stream, Format("\\picscaley%d", {static_cast<int>(Round(Height * 100.0L / Natural))}));
    }
    if (const auto* Bitmap = dynamic_cast<const TBitmap*>(Graphic)) {
        WriteBitmap(Stream, *Bitmap);
    } else if (const auto* Metafile = dynamic_cast<const TMetafile*>(Graphic)) {
        WriteMetafile(Stream, *Metafile, Options.Contains(rvrtfSaveEMFAsWMF));
    } else if (dynamic_cast<const TJPEGImage*>(Graphic) != nullptr && Options.Contains(rvrtfSaveJpegAsJpeg)) {
        RVWrite(&Stream, Format("\\jpegblip\\picw%d\\pich%d ", {Graphic->Width(), Graphic->Height()}));
        RVWrite(&Stream, RVFSavePicture(Graphic));
    } else if (Options.Contains(rvrtfSaveBitmapDefault)) {
        WriteAsBitmap(Stream, Graphic);
    } else {
        WriteAsMetafile(Stream, Graphic, Options.Contains(rvrtfSaveEMFDefault));
    }
    RVWrite(&Stream, "}");
}

// ---------------------------------------------------------------------------
// RVF

int TRVGraphicItemInfo::GetRVFExtraPropertyCount() const
{
    int Count = TRVRectItemInfo::GetRVFExtraPropertyCount();
    Count += (ImageWidth > 0 ? 1 : 0) + (ImageHeight > 0 ? 1 : 0) + (MinHeightOnPage > 0 ? 1 : 0);
    if (const auto* Bitmap = dynamic_cast<const TBitmap*>(FImage.get()); Bitmap && Bitmap->Transparent())
        Count += Bitmap->TransparentMode() == tmFixed ? 3 : 2;
    return Count;
}

void TRVGraphicItemInfo::SaveRVFExtraProperties(TStream& Stream)
{
    TRVRectItemInfo::SaveRVFExtraProperties(Stream);
    if (ImageWidth > 0)
        WriteExtraProperty(Stream, rvepImageWidth, ImageWidth);
    if (ImageHeight > 0)
        WriteExtraProperty(Stream, rvepImageHeight, ImageHeight);
    if (MinHeightOnPage > 0)
        WriteExtraProperty(Stream, rvepMinHeightOnPage, MinHeightOnPage);
    const auto* Bitmap = dynamic_cast<const TBitmap*>(FImage.get());
    if (Bitmap == nullptr || !Bitmap->Transparent())
        return;
    WriteExtraProperty(Stream, rvepTransparent, 1);
    WriteExtraProperty(Stream, rvepTransparentMode, static_cast<int>(Bitmap->TransparentMode()));
    if (Bitmap->TransparentMode() == tmFixed)
        WriteExtraProperty(Stream, rvepTransparentColor, static_cast<int>(Bitmap->TransparentColor()));
}

void TRVGraphicItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int, int ParaNo,
                                 const AnsiString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev)
{
    // Without a picture there is no class to name: the record asks for it again when read.
    const bool Body = RVData->GetRVFOptions().Contains(rvfoSavePicturesBody) && FImage != nullptr;
    bool Binary = false;
    if (!WriteRVFBodyHead(Stream, RVData, ParaNo, Name, ForceSameAsPrev, Body ? FImage->ClassName() : nullptr,
                          Binary))
        return;
    if (Binary)
        RVFSavePictureBinary(Stream, FImage.get());
    else
        RVFWriteLine(Stream, RVFSavePicture(FImage.get()));
}

void TRVGraphicItemInfo::LoadRVFImage(const AnsiString& Data, bool Binary, TCustomRVData* RVData)
{
    bool Loaded = false;
    try {
        if (Binary) {
            RVFLoadPictureBinary(Data, FImage.get());
            Loaded = true;
        } else {
            // Text that does not decode whole is damaged even when the part
            // before the damage happens to load.
            Loaded = RVFLoadPicture(Data, FImage.get());
        }
    } catch (const Exception&) {
        Loaded = false;
    }
    if (!Loaded) {
        RVData->SetRVFWarnings(RVData->GetRVFWarnings() + TRVFWarnings{rvfwInvalidPicture});
        TRVStyle* Style = RVData->GetRVStyle();
        TGraphic* Invalid = Style != nullptr ? Style->InvalidPicture()->Graphic() : nullptr;
        std::unique_ptr<TGraphic> Copy;
        if (Invalid != nullptr) {
            RegisterGraphicClasses();
            Copy.reset(RV_CreateGraphics(GraphicClassOf(Invalid)));
        }
        if (Copy != nullptr) {
            Copy->Assign(Invalid);
            SetImage(Copy.release());
        }
        // Without an invalid-picture graphic the picture stays as its loader
        // left it: unchanged, empty.
        return;
    }
    // Old-format metafiles whose header gives no resolution are in twips.
    if (auto* Metafile = dynamic_cast<TMetafile*>(FImage.get());
        Metafile && !Metafile->Enhanced() && Metafile->Inch() == 0)
        Metafile->SetInch(1440);
}

bool TRVGraphicItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData* RVData, int ReadType, int LineNo,
                                     int LineCount, AnsiString& Name, TRVFReadMode& ReadMode,
                                     TRVFReadState& ReadState)
{
    if (ReadType == 1) {
        // The body was not saved: the document supplies the picture by name.
        if (LineNo == 0) {
            Name = s;
            SetImage(RVData->RVFPictureNeeded(Name, Tag));
        } else {
            SetExtraPropertyFromRVFStr(s);
        }
        return true;
    }
    // Name, class name, properties, data: a record of fewer lines is damaged.
    if (LineCount < 3)
        return false;
    if (LineNo == 0) {
        Name = s;
    } else if (LineNo == 1) {
        RegisterGraphicClasses();
        const TGraphicClass Class = GetClass(s);
        SetImage(Class != nullptr ? RV_CreateGraphics(Class) : nullptr);
        if (FImage == nullptr) {
            RVData->SetRVFWarnings(RVData->GetRVFWarnings() + TRVFWarnings{rvfwUnknownPicFmt});
            if (!RVData->GetRVFOptions().Contains(rvfoIgnoreUnknownPicFmt))
                return false;
        }
    } else if (LineNo == LineCount - 1) {
        if (FImage != nullptr)
            LoadRVFImage(s, ReadType == 2, RVData);
        ReadState = rstSkip;
        return true;
    } else {
        SetExtraPropertyFromRVFStr(s);
    }
    // The data of a binary record comes as a block after the line before it.
    if (ReadType == 2 && LineNo == LineCount - 2)
        ReadMode = rmBeforeBinary;
    return true;
}

// ---------------------------------------------------------------------------
// RTF and HTML

void TRVGraphicItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int, const AnsiString&,
                                 double TwipsPerPixel, int, TRVColorList*, TRVIntegerList*, TRVIntegerList*,
                                 TRVIntegerList*, TRVRTFFontTable*)
{
    RVSaveImageToRTF(Stream, TwipsPerPixel, FImage.get(), ImageWidth, ImageHeight,
                     RVData != nullptr ? RVData->GetRTFOptions() : TRVRTFOptions());
}

void TRVGraphicItemInfo::SaveToHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString&,
                                    const AnsiString& Path, const AnsiString& ImagesPrefix, int& ImageCounter,
                                    TColor CurrentFileColor, TRVSaveOptions SaveOptions, bool UseCSS,
                                    TRVList*)
{
    AnsiString Location;
    bool DoDefault = true;
    RVData->HTMLSaveImage(RVData, ItemNo, Path, CurrentFileColor, Location, DoDefault);
    if (DoDefault && FImage != nullptr)
        Location =
            RVData->SavePicture(rvsfHTML, ImagesPrefix, Path, ImageCounter,
                                SaveOptions.Contains(rvsoOverrideImages), CurrentFileColor, FImage.get());
    if (Location.empty())
        return;
    const AnsiString Align = VAlign == rvvaMiddle ? " align=middle" : "";
    AnsiString Extra = SaveOptions.Contains(rvsoNoHypertextImageBorders) ? " border=0 " : " ";
    TRVStyle* Style = RVData->GetRVStyle();
    if (SaveOptions.Contains(rvsoImageSizes) || ImageWidth >= 1 || ImageHeight >= 1)
        Extra += Format("width=%d height=%d ", {GetImageWidth(Style), GetImageHeight(Style)});
    const AnsiString ShiftCSS = UseCSS ? GetVShiftCSS(Style) : AnsiString();
    if (!ShiftCSS.empty())
        Extra += "style=\"" + ShiftCSS + "\" ";
    RVWrite(&Stream,
            "<IMG" + Align + Extra + "src=\"" + RV_EscapeHTMLAttribute(RV_GetHTMLPath(Location)) + "\">");
}
