// The program's embedded resources: the hyperlink and table cursors, the
// picture shown for a picture that cannot be shown, and the menu images. They
// are our own pixel art (resources_tables.cpp).
#pragma once

#include "platform/core/types.h"
#include "platform/graphics/pixelbuffer.h"

class TBitmap;
class TCustomImageList;

// A cursor as pixels and the point of it that points.
struct TCursorImage {
    TPixelBuffer Image;
    TPoint HotSpot;
};

// The cursors by resource name: "RV_JUMP_CURSOR" (a pointing hand, over
// hyperlinks), "RV_SELECTROW_CURSOR" (an arrow pointing right, over the left
// edge of a table) and "RV_SELECTCOL_CURSOR" (an arrow pointing down, over its
// top edge), names compared ignoring case. False for any other name.
bool LoadCursorResource(const AnsiString& name, TCursorImage& cursor);

// The picture drawn for a picture that cannot be shown: a framed 24 x 24
// landscape crossed out in red. The bitmap is replaced by it.
void LoadInvalidPicture(TBitmap* bitmap);

// The menu images of the main window, 16 x 16 each: 0 recent files, 1 add file,
// 2 remove file, 3 reset file, 4 adjust size, 5 a window, 6 save, 7 copy,
// 8 purge, 9 monitor interval, 10 the program's (and tray) icon, 11 background
// colour. The list is set to 16 x 16 and filled with them (after Clear).
inline constexpr int MenuImageCount = 12;
void LoadMenuImages(TCustomImageList* list);
