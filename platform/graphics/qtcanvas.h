// The Qt canvas backend: canvases that paint into pixels (and, later, windows and
// printers) with the toolkit, behind the TCanvas interface.
//
// Fonts. A font is realised at its pixel height (Height < 0: character height,
// Height > 0: cell height, 0: 12 pixels; at most 2000 pixels), bold at weight 700, without kerning and with
// per-character advances rounded to whole pixels and cached per font, within fixed bounds (qtfont_qt.h): the
// fonts that documents name are not all kept while the program runs. A face this system does not have is
// replaced by a fixed fallback so that metrics are the same on every machine: fixed-pitch fonts and the usual
// monospaced names ("Courier New", "Courier", "Lucida Console", "Consolas", "Fixedsys", "Terminal") become
// "DejaVu Sans Mono", the usual serif names ("Times New Roman", "Times", "Georgia", "Book Antiqua") "DejaVu
// Serif", and every other missing face "DejaVu Sans". Characters the face lacks are drawn from the toolkit's
// fallback fonts, with their own advances. Characters are drawn one by one at their measured positions, so
// text is drawn exactly where its extents say. A word of a script that joins its letters (Arabic, Syriac,
// N'Ko) is shaped with HarfBuzz in the face that draws its first letter, and its clusters are measured and
// drawn as that shaping gives them (textshaping_qt.h).
#pragma once

#include <memory>

#include "platform/graphics/canvas.h"

struct TPixelBuffer;

// A canvas painting into the buffer's pixels at 96 pixels per inch. The buffer
// must keep its size and storage while the canvas lives.
std::unique_ptr<TCanvas> CreateBufferCanvas(TPixelBuffer& buffer);
// Points a canvas made by CreateBufferCanvas at the buffer's pixels again, after
// their size or storage changed: the canvas object, its drawing objects and
// origins stay (a clip is removed). The old storage must still exist during the call.
void RebindBufferCanvas(TCanvas& canvas, TPixelBuffer& buffer);

// The face a font name is drawn with here (the name itself when the system has it).
AnsiString ResolveFontFace(const AnsiString& name, TFontPitch pitch);
