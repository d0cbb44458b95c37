// Pixel art of the program's embedded resources, one character per pixel (the
// colour key is in resources.cpp): the menu images, the cursors and the
// picture shown for a picture that cannot be shown.
#include "platform/graphics/resources_tables.h"

namespace resources_tables {

// One row of the art per line.
// clang-format off
// 0, recent files: a document with a clock
const char* const MenuImage0[] = {
    "..ggggggggg.....",
    "..gwwwwwwwgg....",
    "..gwwwwwwwgwg...",
    "..gwwwwwwwgggg..",
    "..gwwwwwwwwwwg..",
    "..gwsssssssswg..",
    "..gwwwwwwwwwwg..",
    "..gwsssssnnnnn..",
    "..gwwwwwnnwkwnn.",
    "..gwsssnnwwkwwnn",
    "..gwwwwnwwwkwwwn",
    "..gwsssnwwwkkkwn",
    "..gwwwwnwwwwwwwn",
    "..gwsssnnwwwwwnn",
    "..gwwwwwnnwwwnn.",
    "..gggggggnnnnn..",
};
// 1, add file: a document with a plus
const char* const MenuImage1[] = {
    "..ggggggggg.....",
    "..gwwwwwwwgg....",
    "..gwwwwwwwgwg...",
    "..gwwwwwwwgggg..",
    "..gwwwwwwwwwwg..",
    "..gwsssssssswg..",
    "..gwwwwwwwwwwg..",
    "..gwssssssEEEg..",
    "..gwwwwwwwEeEg..",
    "..gwssssssEeEg..",
    "..gwwwwEEEEeEEEE",
    "..gwsssEeeeeeeeE",
    "..gwwwwEEEEeEEEE",
    "..gwssssssEeEg..",
    "..gwwwwwwwEeEg..",
    "..ggggggggEEEg..",
};
// 2, remove file: a document with a cross
const char* const MenuImage2[] = {
    "..ggggggggg.....",
    "..gwwwwwwwgg....",
    "..gwwwwwwwgwg...",
    "..gwwwwwwwgggg..",
    "..gwwwwwwwwwwg..",
    "..gwsssssssswg..",
    "..gwwwwwwwwwwg..",
    "..gwsssssssswg..",
    "..gwwwwwrrwwwgrr",
    "..gwsssssrrswrr.",
    "..gwwwwwwwrrrr..",
    "..gwsssssssrrg..",
    "..gwwwwwwwrrrr..",
    "..gwsssssrrswrr.",
    "..gwwwwwrrwwwgrr",
    "..gggggggggggg..",
};
// 3, reset file: a document with a turning arrow
const char* const MenuImage3[] = {
    "..ggggggggg.....",
    "..gwwwwwwwgg....",
    "..gwwwwwwwgwg...",
    "..gwwwwwwwgggg..",
    "..gwwwwwwwwwwg..",
    "..gwsssssssswg..",
    "..gwwwwwwwwbbbb.",
    "..gwssssssswbbb.",
    "..gwwwwwwwbwwbb.",
    "..gwsssssbwwwwb.",
    "..gwwwwwbwwwwww.",
    "..gwssssbwwwwwb.",
    "..gwwwwwbwwwwwb.",
    "..gwsssssbwwwb..",
    "..gwwwwwwwbbbg..",
    "..gggggggggggg..",
};
// 4, adjust size: two panes of equal height
const char* const MenuImage4[] = {
    "................",
    ".nnnnnnnnnnnnnn.",
    ".nwwwwwwwwwwwwn.",
    ".nwwwwwwkwwwwwn.",
    ".nwwwwwkkkwwwwn.",
    ".nwwwwkkkkkwwwn.",
    ".nwwwwwwwwwwwwn.",
    ".nnnnnnnnnnnnnn.",
    ".nnnnnnnnnnnnnn.",
    ".nwwwwwwwwwwwwn.",
    ".nwwwwkkkkkwwwn.",
    ".nwwwwwkkkwwwwn.",
    ".nwwwwwwkwwwwwn.",
    ".nwwwwwwwwwwwwn.",
    ".nnnnnnnnnnnnnn.",
    "................",
};
// 5, a window with one pane
const char* const MenuImage5[] = {
    "................",
    "................",
    ".nnnnnnnnnnnnnn.",
    ".nnnnnnnnnnnnnn.",
    ".nnnnnnnnnnnnnn.",
    ".nwwwwwwwwwwwwn.",
    ".nwssssssssswwn.",
    ".nwwwwwwwwwwwwn.",
    ".nwssssssssswwn.",
    ".nwwwwwwwwwwwwn.",
    ".nwssssssssswwn.",
    ".nwwwwwwwwwwwwn.",
    ".nwwwwwwwwwwwwn.",
    ".nnnnnnnnnnnnnn.",
    "................",
    "................",
};
// 6, save: a floppy disk
const char* const MenuImage6[] = {
    "................",
    ".nnwwwwwwwwwwn..",
    ".nnwwwwwwwwwwnn.",
    ".nnwsssssssswnn.",
    ".nnwwwwwwwwwwnn.",
    ".nnwsssssssswnn.",
    ".nnwwwwwwwwwwnn.",
    ".nnnnnnnnnnnnnn.",
    ".nnnnnnnnnnnnnn.",
    ".nnnssssssssnnn.",
    ".nnnssssnnssnnn.",
    ".nnnssssnnssnnn.",
    ".nnnssssnnssnnn.",
    ".nnnssssnnssnnn.",
    ".nnnssssssssnnn.",
    "................",
};
// 7, copy: two pages
const char* const MenuImage7[] = {
    "................",
    ".ggggggggg......",
    ".gwwwwwwwg......",
    ".gwssssswg......",
    ".gwwwwggggggggg.",
    ".gwsssgwwwwwwwg.",
    ".gwwwwgwssssswg.",
    ".gwsssgwwwwwwwg.",
    ".gwwwwgwssssswg.",
    ".gwsssgwwwwwwwg.",
    ".gwwwwgwssssswg.",
    ".ggggggwwwwwwwg.",
    "......gwssssswg.",
    "......gwwwwwwwg.",
    "......ggggggggg.",
    "................",
};
// 8, purge at line: a waste bin
const char* const MenuImage8[] = {
    "................",
    "......dddd......",
    "......dddd......",
    "..dddddddddddd..",
    "..dddddddddddd..",
    "...dddddddddd...",
    "...dssssssssd...",
    "...dsgsggsgsd...",
    "...dsgsggsgsd...",
    "...dsgsggsgsd...",
    "...dsgsggsgsd...",
    "...dsgsggsgsd...",
    "...dsgsggsgsd...",
    "...dsgsggsgsd...",
    "...dssssssssd...",
    "...dddddddddd...",
};
// 9, monitor interval: a stopwatch
const char* const MenuImage9[] = {
    "......dddd......",
    "......dddd......",
    ".......dd.......",
    "......ddddd.....",
    "....ddwwwwwdd...",
    "...ddwwwrwwwdd..",
    "...dwwwwrwwwwd..",
    "..dwwwwwrwwwwwd.",
    "..dwwwwwrwwwwwd.",
    "..dwwwwwkkkkwwd.",
    "..dwwwwwwwwwwwd.",
    "..dwwwwwwwwwwwd.",
    "...dwwwwwwwwwd..",
    "...ddwwwwwwwdd..",
    "....ddwwwwwdd...",
    "......ddddd.....",
};
// 10, the program and tray icon: a log window
const char* const MenuImage10[] = {
    "................",
    "dddddddddddddddd",
    "dnnnnnnnnnnnnnnd",
    "dnnnnnnnnnnnnnnd",
    "dkkkkkkkkkkkkkkd",
    "dkeeeeeeeekkkkkd",
    "dkkkkkkkkkkkkkkd",
    "dkeeeeeeeeeeekkd",
    "dkkkkkkkkkkkkkkd",
    "dkrrrrrrkkkkkkkd",
    "dkkkkkkkkkkkkkkd",
    "dkeeeeeeeeeewwkd",
    "dkkkkkkkkkkkwwkd",
    "dkkkkkkkkkkkkkkd",
    "dddddddddddddddd",
    "................",
};
// 11, background colour: colour swatches
const char* const MenuImage11[] = {
    "dddddddddddddddd",
    "drrrrrrreeeeeeed",
    "drrrrrrreeeeeeed",
    "drrrrrrreeeeeeed",
    "drrrrrrreeeeeeed",
    "drrrrrrreeeeeeed",
    "drrrrrrreeeeeeed",
    "drrrrrrreeeeeeed",
    "dbbbbbbbyyyyyyyd",
    "dbbbbbbbyyyyyyyd",
    "dbbbbbbbyyyyyyyd",
    "dbbbbbbbyyyyyyyd",
    "dbbbbbbbyyyyyyyd",
    "dbbbbbbbyyyyyyyd",
    "dbbbbbbbyyyyyyyd",
    "dddddddddddddddd",
};
const char* const JumpCursorArt[] = {  // 17 x 21, hot spot 5, 0
    ".....kk..........",
    "....kwwk.........",
    "....kwwk.........",
    "....kwwk.........",
    "....kwwk.........",
    "....kwwkkk.......",
    "....kwwkwwkkk....",
    "....kwwkwwkwwkk..",
    ".kk.kwwkwwkwwkwk.",
    "kwwkkwwwwwwwwkwwk",
    "kwwwkwwwwwwwwwwwk",
    ".kwwkwwwwwwwwwwwk",
    "..kwwwwwwwwwwwwwk",
    "..kwwwwwwwwwwwwwk",
    "...kwwwwwwwwwwwk.",
    "...kwwwwwwwwwwwk.",
    "....kwwwwwwwwwk..",
    "....kwwwwwwwwwk..",
    ".....kwwwwwwwk...",
    ".....kwwwwwwwk...",
    ".....kkkkkkkkk...",
};
const char* const SelectRowCursorArt[] = {  // 14 x 11, hot spot 13, 5
    "........k.....",
    "........kk....",
    "........kwk...",
    "kkkkkkkkkwwk..",
    "kwwwwwwwwwwwk.",
    "kwwwwwwwwwwwwk",
    "kwwwwwwwwwwwk.",
    "kkkkkkkkkwwk..",
    "........kwk...",
    "........kk....",
    "........k.....",
};
const char* const SelectColCursorArt[] = {  // 11 x 14, hot spot 5, 13
    "...kkkkk...",
    "...kwwwk...",
    "...kwwwk...",
    "...kwwwk...",
    "...kwwwk...",
    "...kwwwk...",
    "...kwwwk...",
    "...kwwwk...",
    "kkkkwwwkkkk",
    ".kwwwwwwwk.",
    "..kwwwwwk..",
    "...kwwwk...",
    "....kwk....",
    ".....k.....",
};
const char* const InvalidPictureArt[] = {  // 24 x 24
    "dddddddddddddddddddddddd",
    "dggggggggggggggggggggggd",
    "dgwwwwwwwwwwwwwwwwwwwwgd",
    "dgwwwwwwwwwwwwwwwwwwwwgd",
    "dgwwwwwwwwwwwwwyyywwwwgd",
    "dgwwwrrwwwwwwwyyyyrrwwgd",
    "dgwwwwrrwwwwwwyyyrrwwwgd",
    "dgwwwwwrrwwwwwyyrrywwwgd",
    "dgwwwwwwrrwwwwwrrywwwwgd",
    "dgwwwwwEErrwwwrrwwwwwwgd",
    "dgwwwwEEEErrwrrwwwwwwwgd",
    "dgwwwEEEEEErrrwwwwwwwwgd",
    "dgwwEEEEEEErrrwwwwwwwwgd",
    "dgwEEEEEEErrErrwwwwwwwgd",
    "dgweeeeeerreeerreeeeewgd",
    "dgweeeeerreeeeerreeeewgd",
    "dgweeeerreeeeeeerreeewgd",
    "dgweeerreeeeeeeeerreewgd",
    "dgweerreeeeeeeeeeerrewgd",
    "dgweeeeeeeeeeeeeeeeeewgd",
    "dgweeeeeeeeeeeeeeeeeewgd",
    "dgwwwwwwwwwwwwwwwwwwwwgd",
    "dggggggggggggggggggggggd",
    "dddddddddddddddddddddddd",
};

// clang-format on

const char* const* const MenuImages[MenuImageRows] = {
    MenuImage0, MenuImage1, MenuImage2, MenuImage3, MenuImage4,  MenuImage5,
    MenuImage6, MenuImage7, MenuImage8, MenuImage9, MenuImage10, MenuImage11,
};

const TArt JumpCursor = {JumpCursorArt, 21, 5, 0};
const TArt SelectRowCursor = {SelectRowCursorArt, 11, 13, 5};
const TArt SelectColCursor = {SelectColCursorArt, 14, 5, 13};
const TArt InvalidPicture = {InvalidPictureArt, 24, 0, 0};

} // namespace resources_tables
