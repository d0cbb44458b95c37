// Mouse cursors: the class library's cursor numbers (crDefault, crIBeam, ...) and
// cursor handles, loaded from the system's shapes or from the program's cursor
// resources. Screen->Cursors (forms.h) maps numbers to handles.
#pragma once

#include <cstdint>

#include "platform/core/types.h"

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = -22;

// The identifier of a standard cursor number (crDefault, crIBeam, ...), as
// component streams write it, and the number of an identifier (ignoring
// case); false for a number or identifier that is none of them.
bool CursorToIdent(int cursor, AnsiString& ident);
bool IdentToCursor(const AnsiString& ident, int& cursor);

// A cursor shape. Handles of system cursors live for the whole run; handles of
// resource cursors too (the program loads each a few times at most).
struct TCursorHandleTag;
using HCURSOR = TCursorHandleTag*;
struct TInstanceTag;
using HINSTANCE = TInstanceTag*;

// The program's own module, for LoadCursor of its resources.
extern const HINSTANCE HInstance;

// A numeric resource or system cursor name, as the platform spells it.
inline const char* MAKEINTRESOURCE(int id)
{
    return reinterpret_cast<const char*>(static_cast<intptr_t>(id));
}

// System cursor names (LoadCursor with a null instance).
enum : int {
    IDC_ARROW = 32512,
    IDC_IBEAM = 32513,
    IDC_WAIT = 32514,
    IDC_CROSS = 32515,
    IDC_UPARROW = 32516,
    IDC_SIZENWSE = 32642,
    IDC_SIZENESW = 32643,
    IDC_SIZEWE = 32644,
    IDC_SIZENS = 32645,
    IDC_SIZEALL = 32646,
    IDC_NO = 32648,
    IDC_HAND = 32649,
    IDC_APPSTARTING = 32650,
    IDC_HELP = 32651,
};

// A null Instance loads a system cursor by its MAKEINTRESOURCE(IDC_...) name;
// HInstance loads one of the program's cursor resources by name
// ("RV_JUMP_CURSOR", ...). Null when there is no such cursor.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
inline HCURSOR LoadCursorA(HINSTANCE instance, const char* name)
{
    return LoadCursor(instance, name);
}
