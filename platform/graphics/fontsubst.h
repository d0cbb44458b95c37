// The system's font substitution (the font configuration of the desktop): the
// face it draws a family name with, so that a document asking for a face this
// system lacks keeps the metrics of its substitute on screen and on paper.
#pragma once

#include "platform/core/sysutils.h"

// The family the system substitutes for Name (fixed pitch asked with
// FixedPitch); empty when it knows no substitute of its own and would only
// give its default face.
AnsiString SystemFontSubstitute(const AnsiString& name, bool fixedPitch);
