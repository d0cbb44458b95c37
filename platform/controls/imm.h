// Input-method composition. Text that an input method composes for the focused
// window arrives as WM_IME_STARTCOMPOSITION when a composition begins, then
// WM_IME_COMPOSITION for each change: GCS_COMPSTR (with GCS_CURSORPOS) in LParam
// while the text being composed (the pre-edit text) changes, GCS_RESULTSTR when
// text is committed; WM_IME_ENDCOMPOSITION when nothing is being composed any
// more. During WM_IME_COMPOSITION the window reads the strings with
// ImmGetCompositionStringW. A window that leaves WM_IME_COMPOSITION to the
// default handling receives committed text as WM_CHAR, one UTF-16 code unit
// each. Windows take part when they answer WM_GETDLGCODE with DLGC_WANTCHARS.
//
// The input method places its window and sizes its text by what the window
// tells its context: the composition window (the cursor's point, and the area
// the text may take) and the composition font. Without them it is told the
// place of the window's system caret (CreateCaret), else the window's left edge.
#pragma once

#include "platform/controls/messages.h"
#include "platform/graphics/gdiobjects.h"

struct TInputContextTag;
using HIMC = TInputContextTag*;
using LONG = int32_t;

enum : DWORD { GCS_COMPSTR = 0x0008, GCS_CURSORPOS = 0x0080, GCS_RESULTSTR = 0x0800 };
enum : LONG { IMM_ERROR_NODATA = -1, IMM_ERROR_GENERAL = -2 };
// Styles of a composition window: the input method places itself (default), at
// ptCurrentPos, or at ptCurrentPos within rcArea.
enum : DWORD { CFS_DEFAULT = 0, CFS_RECT = 1, CFS_POINT = 2, CFS_FORCE_POSITION = 0x20 };

// Where the input method shows what is being composed, in client coordinates.
struct COMPOSITIONFORM {
    DWORD dwStyle = CFS_DEFAULT;
    TPoint ptCurrentPos;
    TRect rcArea;
};

// The window's input context; null for a bad handle. A window keeps its context
// (and the composition window and font set on it) while it exists.
HIMC ImmGetContext(HWND wnd);
bool ImmReleaseContext(HWND wnd, HIMC context);
// The composed text (GCS_RESULTSTR) or the text being composed (GCS_COMPSTR):
// the number of bytes it takes (UTF-16, no terminating zero), copied into Buffer
// when BufferLength is not 0 (as much as fits). IMM_ERROR_NODATA when there is
// no such text, IMM_ERROR_GENERAL for another index or a bad context.
// GCS_CURSORPOS: the cursor's place in the text being composed, in code units.
LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD bufferLength);
// The same in the ANSI code page.
LONG ImmGetCompositionStringA(HIMC context, DWORD index, void* buffer, DWORD bufferLength);
// The composition window and font: set tells the input method at once when the
// window has the focus; false for a bad context or a null record.
bool ImmSetCompositionWindow(HIMC context, const COMPOSITIONFORM* form);
bool ImmGetCompositionWindow(HIMC context, COMPOSITIONFORM* form);
bool ImmSetCompositionFontA(HIMC context, const TLogFont* logFont);
bool ImmGetCompositionFontA(HIMC context, TLogFont* logFont);
