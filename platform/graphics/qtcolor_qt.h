// Internal to platform/: the one conversion of a TColor into a QColor, used by
// the canvas, the text drawing, the window buffers, the controls and the dialogs.
#pragma once

#include <QColor>

#include "platform/core/colors.h"
#include "platform/core/types.h"

// The colour as Qt draws it: system colours resolved from their table, the
// top byte (none, palette-relative) dropped; always opaque.
inline QColor ToQColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
