// Input-method composition. Text that an input method composed for the focused
// window arrives as WM_IME_STARTCOMPOSITION, then WM_IME_COMPOSITION with
// GCS_RESULTSTR in LParam, then WM_IME_ENDCOMPOSITION; during WM_IME_COMPOSITION
// the window reads the text with ImmGetCompositionStringW. A window that leaves
// WM_IME_COMPOSITION to the default handling receives the text as WM_CHAR, one
// UTF-16 code unit each. Windows take part when they answer WM_GETDLGCODE with
// DLGC_WANTCHARS; the input method places its window at the caret.
#pragma once

#include "platform/controls/messages.h"

struct TInputContextTag;
using HIMC = TInputContextTag*;
using LONG = int32_t;

enum : DWORD { GCS_COMPSTR = 0x0008, GCS_RESULTSTR = 0x0800 };
enum : LONG { IMM_ERROR_NODATA = -1, IMM_ERROR_GENERAL = -2 };

// The window's input context; null for a bad handle.
HIMC ImmGetContext(HWND wnd);
bool ImmReleaseContext(HWND wnd, HIMC context);
// The composed text (GCS_RESULTSTR) or the text being composed (GCS_COMPSTR):
// the number of bytes it takes (UTF-16, no terminating zero), copied into Buffer
// when BufferLength is not 0 (as much as fits). IMM_ERROR_NODATA when there is
// no such text, IMM_ERROR_GENERAL for another index or a bad context.
LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD bufferLength);
// The same in the ANSI code page.
LONG ImmGetCompositionStringA(HIMC context, DWORD index, void* buffer, DWORD bufferLength);
