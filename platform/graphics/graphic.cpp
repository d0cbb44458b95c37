// TGraphic's shared behaviour, the palette stand-in, and the start-up
// registration of the graphic classes.
#include "platform/graphics/graphic.h"

#include <algorithm>
#include <map>

#include "platform/core/compstream.h"
#include "platform/core/streams.h"

namespace {

struct TPaletteTable {
    std::map<HPALETTE, TLogPalette> Palettes;
    HPALETTE Next = 1;
};

TPaletteTable& Palettes()
{
    static TPaletteTable table;
    return table;
}

// Any program that makes a graphic links this file, so the classes are known by
// name from start-up on, even when the library is linked statically.
const bool GraphicClassesRegistered = (RegisterGraphicClasses(), true);

} // namespace

HPALETTE CreatePalette(const TLogPalette* logPalette)
{
    if (!logPalette)
        return 0;
    TPaletteTable& table = Palettes();
    HPALETTE handle = table.Next++;
    table.Palettes[handle] = *logPalette;
    return handle;
}

bool DeletePalette(HPALETTE palette)
{
    return Palettes().Palettes.erase(palette) > 0;
}

const TLogPalette* GetPaletteEntries(HPALETTE palette)
{
    auto& map = Palettes().Palettes;
    auto it = map.find(palette);
    return it == map.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------------------

TGraphic::TGraphic()
{
    (void)GraphicClassesRegistered;
}

TGraphic::~TGraphic() = default;

void TGraphic::SetTransparent(bool value)
{
    if (value != FTransparent) {
        FTransparent = value;
        Changed(this);
    }
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject* sender)
{
    (void)sender;
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::DefineProperties(TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        "Data", [this](TStream& stream) { ReadData(stream); }, [this](TStream& stream) { WriteData(stream); },
        !Empty());
}

void TGraphic::ReadData(TStream& stream)
{
    LoadFromStream(stream);
}

void TGraphic::WriteData(TStream& stream) const
{
    SaveToStream(stream);
}

void TGraphic::LoadFromFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const AnsiString& fileName) const
{
    SafeWriteFile(fileName, [this](TStream& stream) { SaveToStream(stream); });
}

bool TGraphic::Equals(const TGraphic* graphic) const
{
    if (!graphic)
        return false;
    if (graphic == this)
        return true;
    if (AnsiString(ClassName()) != graphic->ClassName() || Empty() != graphic->Empty())
        return false;
    if (Empty())
        return true;
    TMemoryStream mine, theirs;
    SaveToStream(mine);
    graphic->SaveToStream(theirs);
    return mine.Size() == theirs.Size() && std::equal(static_cast<const char*>(mine.Memory()),
                                                      static_cast<const char*>(mine.Memory()) + mine.Size(),
                                                      static_cast<const char*>(theirs.Memory()));
}
