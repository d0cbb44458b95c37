// TPicture, and the graphic classes by name and by file extension.
#include "platform/graphics/picture.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/png.h"

namespace {

struct TFileFormat {
    const char* Extension;
    const char* ClassName;
};

// The first extension of a class is its own (GraphicExtension).
const TFileFormat FileFormats[] = {
    {"bmp", "TBitmap"},    {"ico", "TIcon"},       {"emf", "TMetafile"}, {"wmf", "TMetafile"},
    {"jpg", "TJPEGImage"}, {"jpeg", "TJPEGImage"}, {"png", "TPNGImage"},
};

// Lookups may come before the start-up registration of graphic.cpp has run.
void EnsureRegistered()
{
    static const bool registered = (RegisterGraphicClasses(), true);
    (void)registered;
}

} // namespace

void RegisterGraphicClasses()
{
    RegisterClass<TBitmap>("TBitmap");
    RegisterClass<TIcon>("TIcon");
    RegisterClass<TMetafile>("TMetafile");
    RegisterClass<TJPEGImage>("TJPEGImage");
    RegisterClass<TPNGImage>("TPNGImage");
}

TGraphicClass GraphicClassOf(const TGraphic* graphic)
{
    EnsureRegistered();
    return graphic ? GetClass(graphic->ClassName()) : nullptr;
}

TGraphic* CreateGraphic(TGraphicClass graphicClass)
{
    if (!graphicClass || !graphicClass->Create)
        return nullptr;
    std::unique_ptr<TPersistent> made(graphicClass->Create(nullptr));
    auto graphic = dynamic_cast<TGraphic*>(made.get());
    if (graphic)
        made.release();
    return graphic;
}

AnsiString GraphicExtension(TGraphicClass graphicClass)
{
    if (graphicClass)
        for (const TFileFormat& format : FileFormats)
            if (SameText(graphicClass->Name, format.ClassName))
                return format.Extension;
    return AnsiString();
}

TGraphicClass GraphicClassOfExtension(const AnsiString& extension)
{
    EnsureRegistered();
    AnsiString ext = !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
    for (const TFileFormat& format : FileFormats)
        if (SameText(ext, format.Extension))
            return GetClass(format.ClassName);
    return nullptr;
}

// ---------------------------------------------------------------------------

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*)
{
    if (OnChange)
        OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject* sender) { Changed(sender); };
    Changed(this);
}

void TPicture::Assign(const TPersistent* source)
{
    if (!source)
        SetGraphic(nullptr);
    else if (auto picture = dynamic_cast<const TPicture*>(source))
        SetGraphic(picture->Graphic());
    else if (auto graphic = dynamic_cast<const TGraphic*>(source))
        SetGraphic(graphic);
    else
        TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) const
{
    if (auto graphic = dynamic_cast<TGraphic*>(dest))
        graphic->Assign(FGraphic.get());
    else
        TPersistent::AssignTo(dest);
}

void TPicture::SetGraphic(const TGraphic* value)
{
    if (value == FGraphic.get())
        return;
    std::unique_ptr<TGraphic> copy;
    if (value) {
        copy.reset(CreateGraphic(GraphicClassOf(value)));
        if (!copy)
            throw EConvertError(Format(SysConst::SAssignError, {value->ClassName(), ClassName()}));
        copy->Assign(value);
    }
    Take(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    auto bitmap = dynamic_cast<TBitmap*>(FGraphic.get());
    if (!bitmap) {
        auto made = std::make_unique<TBitmap>();
        bitmap = made.get();
        Take(std::move(made));
    }
    return bitmap;
}

int TPicture::Width() const
{
    return FGraphic ? FGraphic->Width() : 0;
}

int TPicture::Height() const
{
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromFile(const AnsiString& fileName)
{
    AnsiString ext = ExtractFileExt(fileName);
    std::unique_ptr<TGraphic> graphic(CreateGraphic(GraphicClassOfExtension(ext)));
    if (!graphic)
        throw EInvalidGraphic(Format(GraphicConst::SUnknownExtension, {LowerCase(Copy(ext, 2, ext.size()))}));
    graphic->LoadFromFile(fileName);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& fileName) const
{
    if (FGraphic)
        FGraphic->SaveToFile(fileName);
}
