// TGraphic's shared behaviour, the palette stand-in, and the start-up
// registration of the graphic classes.
#include "platform/graphics/graphic.h"

#include <algorithm>
#include <map>

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

HPALETTE CreatePalette(const TLogPalette* LogPalette)
{
    if (!LogPalette)
        return 0;
    TPaletteTable& table = Palettes();
    HPALETTE handle = table.Next++;
    table.Palettes[handle] = *LogPalette;
    return handle;
}

bool DeletePalette(HPALETTE Palette)
{
    return Palettes().Palettes.erase(Palette) > 0;
}

const TLogPalette* GetPaletteEntries(HPALETTE Palette)
{
    auto& map = Palettes().Palettes;
    auto it = map.find(Palette);
    return it == map.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------------------

TGraphic::TGraphic()
{
    (void)GraphicClassesRegistered;
}

TGraphic::~TGraphic() = default;

void TGraphic::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed(this);
    }
}

void TGraphic::SetModified(bool Value)
{
    if (Value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject* Sender)
{
    (void)Sender;
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::LoadFromFile(const AnsiString& FileName)
{
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const AnsiString& FileName) const
{
    SafeWriteFile(FileName, [this](TStream& stream) { SaveToStream(stream); });
}

bool TGraphic::Equals(const TGraphic* Graphic) const
{
    if (!Graphic)
        return false;
    if (Graphic == this)
        return true;
    if (AnsiString(ClassName()) != Graphic->ClassName() || Empty() != Graphic->Empty())
        return false;
    if (Empty())
        return true;
    TMemoryStream mine, theirs;
    SaveToStream(mine);
    Graphic->SaveToStream(theirs);
    return mine.Size() == theirs.Size() && std::equal(static_cast<const char*>(mine.Memory()),
                                                      static_cast<const char*>(mine.Memory()) + mine.Size(),
                                                      static_cast<const char*>(theirs.Memory()));
}
