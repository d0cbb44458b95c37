// Internal to platform/graphics: words of joining scripts shaped with HarfBuzz in
// a face the toolkit gives, for the Qt canvas to measure and draw.
#pragma once

#include <QPointF>
#include <QRawFont>

#include <vector>

#include "platform/core/types.h"

// One glyph of a cluster: its index in the face, and its origin on the baseline
// from the cluster's left edge (y downward).
struct TShapedGlyph {
    quint32 Index;
    QPointF At;
};

// A cluster of a shaped word: units [Start, Start + Count) of the word (a letter
// in its joined form, a ligature, a letter with its marks; it always begins
// where a character begins), its advance rounded to whole pixels, and its glyphs.
struct TShapedCluster {
    int Start;
    int Count;
    int Advance;
    std::vector<TShapedGlyph> Glyphs;
};

// Shapes Count units of one joining script as one word, right to left, in Face
// at its pixel size, without kerning (text is measured without it). Clusters
// come in logical order. False, with no clusters, for an empty word, a face
// that cannot be read, or one that lacks a glyph the word needs.
bool ShapeJoiningWord(const QRawFont& face, const WideChar* str, int count,
                      std::vector<TShapedCluster>& clusters);
