// The keyboard's language as windows learn it: when the user switches the
// keyboard to another language (an XKB layout group, or the locale of the
// input method), the focused window receives WM_INPUTLANGCHANGE with the
// character set of the new language in WParam (LParam 0).
#pragma once

#include "platform/core/types.h"
#include "platform/graphics/gdiobjects.h"

// The character set of a language given by its ISO 639 code ("ru", "el"; a
// region after '_' or '-' is ignored): Cyrillic languages RUSSIAN_CHARSET,
// then Greek, Turkish, Central European, Baltic, Hebrew, Arabic, Thai and
// Vietnamese; ANSI_CHARSET for any other.
TFontCharset CharsetOfLanguage(const AnsiString& language);
// The same for an XKB layout name ("ru", "cz", "ara"; a variant in
// parentheses or a group suffix after ':' is ignored).
TFontCharset CharsetOfXkbLayout(const AnsiString& layout);
// The layout of XKB group Group (from 0) in a comma-separated layout list as
// the X server names it ("us,ru"); empty when the list has none.
AnsiString XkbLayoutOfGroup(const AnsiString& layouts, int group);

// The keyboard switched to a language of Charset: WM_INPUTLANGCHANGE is sent
// to the focused window, when there is one.
void InputLanguageChanged(TFontCharset charset);
