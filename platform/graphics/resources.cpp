// Turning the pixel art of resources_tables.cpp into pixels, bitmaps, image-list
// images and cursors.
#include "platform/graphics/resources.h"

#include <cstring>

#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/resources_tables.h"

using namespace resources_tables;

namespace {

// The colour key of the art: '.' is transparent, every other character an opaque colour.
uint32_t PixelOf(char c)
{
    switch (c) {
    case 'k':
        return 0xFF000000u; // black
    case 'w':
        return 0xFFFFFFFFu; // white
    case 'g':
        return 0xFF808080u; // grey
    case 's':
        return 0xFFC0C0C0u; // silver
    case 'd':
        return 0xFF404040u; // dark grey
    case 'n':
        return 0xFF000080u; // navy
    case 'b':
        return 0xFF0040FFu; // blue
    case 'r':
        return 0xFFE02020u; // red
    case 'e':
        return 0xFF00B000u; // green
    case 'E':
        return 0xFF006000u; // dark green
    case 'y':
        return 0xFFFFD000u; // yellow
    default:
        return 0; // '.' and anything unknown
    }
}

TPixelBuffer Render(const char* const* rows, int rowCount)
{
    const int width = static_cast<int>(std::strlen(rows[0]));
    TPixelBuffer out(width, rowCount, 0);
    for (int y = 0; y < rowCount; ++y)
        for (int x = 0; x < width && rows[y][x]; ++x)
            out.At(x, y) = PixelOf(rows[y][x]);
    return out;
}

} // namespace

bool LoadCursorResource(const AnsiString& name, TCursorImage& cursor)
{
    const TArt* art = SameText(name, "RV_JUMP_CURSOR")        ? &JumpCursor
                      : SameText(name, "RV_SELECTROW_CURSOR") ? &SelectRowCursor
                      : SameText(name, "RV_SELECTCOL_CURSOR") ? &SelectColCursor
                                                              : nullptr;
    if (!art)
        return false;
    cursor.Image = Render(art->Rows, art->RowCount);
    cursor.HotSpot = Point(art->HotX, art->HotY);
    return true;
}

void LoadInvalidPicture(TBitmap* bitmap)
{
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetPixels(Render(InvalidPicture.Rows, InvalidPicture.RowCount));
    bitmap->Assign(&picture);
}

void LoadMenuImages(TCustomImageList* list)
{
    list->SetWidth(16);
    list->SetHeight(16);
    list->Clear();
    for (const char* const* rows : MenuImages)
        list->AddPixels(Render(rows, 16));
}
