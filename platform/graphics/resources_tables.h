// The pixel art of resources_tables.cpp, for resources.cpp.
#pragma once

namespace resources_tables {

// Rows of equal length, one character per pixel; a hot spot for cursors.
struct TArt {
    const char* const* Rows;
    int RowCount;
    int HotX;
    int HotY;
};

// Twelve menu images of 16 rows of 16 pixels.
constexpr int MenuImageRows = 12;
extern const char* const* const MenuImages[MenuImageRows];
extern const TArt JumpCursor;
extern const TArt SelectRowCursor;
extern const TArt SelectColCursor;
extern const TArt InvalidPicture;

} // namespace resources_tables
