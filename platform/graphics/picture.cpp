// TPicture, and the graphic classes by name and by file extension.
#include "platform/graphics/picture.h"

#include "platform/graphics/bitmap.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/jpeg.h"
#include "platform/graphics/metafile.h"

namespace {

struct TFileFormat {
    const char* Extension;
    const char* ClassName;
};

// The first extension of a class is its own (GraphicExtension).
const TFileFormat FileFormats[] = {
    {"bmp", "TBitmap"},   {"ico", "TIcon"},      {"emf", "TMetafile"},
    {"wmf", "TMetafile"}, {"jpg", "TJPEGImage"}, {"jpeg", "TJPEGImage"},
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
}

TGraphicClass GraphicClassOf(const TGraphic* Graphic)
{
    EnsureRegistered();
    return Graphic ? GetClass(Graphic->ClassName()) : nullptr;
}

TGraphic* CreateGraphic(TGraphicClass GraphicClass)
{
    if (!GraphicClass || !GraphicClass->Create)
        return nullptr;
    std::unique_ptr<TPersistent> made(GraphicClass->Create(nullptr));
    auto graphic = dynamic_cast<TGraphic*>(made.get());
    if (graphic)
        made.release();
    return graphic;
}

AnsiString GraphicExtension(TGraphicClass GraphicClass)
{
    if (GraphicClass)
        for (const TFileFormat& format : FileFormats)
            if (SameText(GraphicClass->Name, format.ClassName))
                return format.Extension;
    return AnsiString();
}

TGraphicClass GraphicClassOfExtension(const AnsiString& Extension)
{
    EnsureRegistered();
    AnsiString ext = !Extension.empty() && Extension[0] == '.' ? Extension.substr(1) : Extension;
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

void TPicture::Take(std::unique_ptr<TGraphic> Graphic)
{
    FGraphic = std::move(Graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject* Sender) { Changed(Sender); };
    Changed(this);
}

void TPicture::Assign(const TPersistent* Source)
{
    if (!Source)
        SetGraphic(nullptr);
    else if (auto picture = dynamic_cast<const TPicture*>(Source))
        SetGraphic(picture->Graphic());
    else if (auto graphic = dynamic_cast<const TGraphic*>(Source))
        SetGraphic(graphic);
    else
        TPersistent::Assign(Source);
}

void TPicture::AssignTo(TPersistent* Dest) const
{
    if (auto graphic = dynamic_cast<TGraphic*>(Dest))
        graphic->Assign(FGraphic.get());
    else
        TPersistent::AssignTo(Dest);
}

void TPicture::SetGraphic(const TGraphic* Value)
{
    if (Value == FGraphic.get())
        return;
    std::unique_ptr<TGraphic> copy;
    if (Value) {
        copy.reset(CreateGraphic(GraphicClassOf(Value)));
        if (!copy)
            throw EConvertError(Format(SysConst::SAssignError, {Value->ClassName(), ClassName()}));
        copy->Assign(Value);
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

void TPicture::LoadFromFile(const AnsiString& FileName)
{
    AnsiString ext = ExtractFileExt(FileName);
    std::unique_ptr<TGraphic> graphic(CreateGraphic(GraphicClassOfExtension(ext)));
    if (!graphic)
        throw EInvalidGraphic(Format(GraphicConst::SUnknownExtension, {LowerCase(Copy(ext, 2, ext.size()))}));
    graphic->LoadFromFile(FileName);
    Take(std::move(graphic));
}

void TPicture::SaveToFile(const AnsiString& FileName) const
{
    if (FGraphic)
        FGraphic->SaveToFile(FileName);
}
