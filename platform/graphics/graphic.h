// TGraphic: the abstract picture of the class library (bitmaps, icons,
// metafiles, JPEG pictures), the errors that picture loading raises, the
// palette stand-in, and the graphic classes found by name.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/classreg.h"
#include "platform/core/object.h"
#include "platform/core/sysutils.h"

class TCanvas;
class TStream;

// Picture data that cannot be read ("Bitmap image is not valid", ...).
KELVOR_EXCEPTION(EInvalidGraphic, Exception)
// An operation a picture class does not allow ("Cannot change the size of an icon").
KELVOR_EXCEPTION(EInvalidGraphicOperation, Exception)
// A picture too large to be held ("Out of system resources").
KELVOR_EXCEPTION(EOutOfResources, EOutOfMemory)

// The class library's messages of the picture classes.
namespace GraphicConst {
inline constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* SInvalidIcon = "Icon image is not valid";
inline constexpr const char* SInvalidMetafile = "Metafile is not valid";
inline constexpr const char* SJPEGError = "JPEG error #%d";
inline constexpr const char* SChangeIconSize = "Cannot change the size of an icon";
inline constexpr const char* SChangeJPGSize = "Cannot change the size of a JPEG image";
inline constexpr const char* SUnknownExtension = "Unknown picture file extension (.%s)";
inline constexpr const char* SOutOfResources = "Out of system resources";
inline constexpr const char* SInvalidImageSize = "Invalid image size";
} // namespace GraphicConst

// Limits on the pictures this library makes or reads: every side at most
// GraphicMaxSide pixels and at most GraphicMaxPixels pixels in all (128 MiB of
// pixels), so that a damaged or hostile header cannot ask for absurd memory.
inline constexpr int GraphicMaxSide = 32768;
inline constexpr int64_t GraphicMaxPixels = int64_t(1) << 25;

// ---------------------------------------------------------------------------
// Palettes. Screens here are true-colour, so a palette changes no pixel: a
// palette handle only names a copy of the entries it was made from, which a
// graphic may hold and hand back. Handle 0 is no palette.

using HPALETTE = uint32_t;

struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
};

// A logical palette: version (0x300) and its entries.
struct TLogPalette {
    uint16_t palVersion = 0x300;
    std::vector<TPaletteEntry> palPalEntry;
    int palNumEntries() const { return static_cast<int>(palPalEntry.size()); }
};
using LOGPALETTE = TLogPalette;
using PLogPalette = TLogPalette*;

// A new palette handle holding a copy of the entries; 0 for a null palette.
HPALETTE CreatePalette(const TLogPalette* logPalette);
// Frees the handle; false when it names no palette.
bool DeletePalette(HPALETTE palette);
// The entries of a palette, or null when the handle names none.
const TLogPalette* GetPaletteEntries(HPALETTE palette);

// ---------------------------------------------------------------------------

// The abstract picture. A graphic knows its size, draws itself scaled into a
// rectangle of a canvas, and reads and writes its own file format through
// streams (LoadFromStream reads from the stream's position; SaveToStream writes
// at it). An empty graphic writes nothing and an empty rest of a stream loads
// as an empty graphic, so that an empty picture survives a save and a load.
// Changed() sets Modified and raises OnChange.
class TGraphic : public TPersistent {
public:
    TGraphic();
    ~TGraphic() override;
    const char* ClassName() const override { return "TGraphic"; }

    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Classes whose size is fixed by their data raise EInvalidGraphicOperation.
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;

    // A transparent graphic lets what lies under it show through where it has
    // no pixels of its own (icons and metafiles always, bitmaps when asked).
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool value);

    bool Modified() const { return FModified; }
    // Setting true counts as a change (OnChange fires); false only clears the flag.
    void SetModified(bool value);

    // The palette stand-in (see HPALETTE). A graphic that keeps a palette owns
    // the handle it was given; the others answer 0 and keep nothing, and the
    // caller then still owns its handle.
    virtual HPALETTE Palette() const { return 0; }
    virtual void SetPalette(HPALETTE value) { (void)value; }

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    // The whole file; a file that cannot be opened raises the stream errors.
    void LoadFromFile(const AnsiString& fileName);
    // Replaces the file only once every byte is written.
    void SaveToFile(const AnsiString& fileName) const;

    // Draws the graphic scaled into Rect (called by TCanvas::Draw and StretchDraw).
    virtual void Draw(TCanvas* aCanvas, const TRect& rect) = 0;

    // Same class and the same saved bytes (two empty graphics of a class are equal).
    virtual bool Equals(const TGraphic* graphic) const;

    // In component streams (a picture published as a sub-object), the
    // picture's data is the binary property "Data", written when the picture
    // is not empty, through ReadData and WriteData.
    void DefineProperties(TFiler* filer) override;

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* sender);
    // The picture's own file format (LoadFromStream, SaveToStream) by default.
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream) const;

    bool FTransparent = false;
    bool FModified = false;
};

// ---------------------------------------------------------------------------
// Graphic classes by name. TBitmap, TIcon, TMetafile, TJPEGImage and TPNGImage are
// registered with the class registry (platform/core/classreg.h) so that names
// read from documents resolve; registration also runs at start-up of any
// program that uses a graphic, and callers that only look names up call
// RegisterGraphicClasses first (it may be called any number of times).

using TGraphicClass = TPersistentClass;

void RegisterGraphicClasses();
// The registered class of the graphic's class name; null for an unregistered class.
TGraphicClass GraphicClassOf(const TGraphic* graphic);
// A new graphic of the class (owned by the caller); null when the class is null
// or makes no graphic.
TGraphic* CreateGraphic(TGraphicClass graphicClass);
// The file extension of the class's format without the dot ("bmp", "ico", "emf",
// "jpg"); empty for a class without a file format.
AnsiString GraphicExtension(TGraphicClass graphicClass);
// The class that reads files of the extension (with or without the dot, any
// case: "bmp", "ico", "emf", "wmf", "jpg", "jpeg"); null for others.
TGraphicClass GraphicClassOfExtension(const AnsiString& extension);
