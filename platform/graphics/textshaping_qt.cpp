// Joining-script words shaped with HarfBuzz in the toolkit's faces: the face's
// tables are read through QRawFont, and each face gets one HarfBuzz font, kept
// in a small cache.
#include "platform/graphics/textshaping_qt.h"

#include <hb-ot.h>
#include <hb.h>

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>

#include "platform/graphics/textshaping.h"

namespace {

// HarfBuzz positions are in 1/64 pixel.
constexpr int kUnitsPerPixel = 64;
// Faces kept shaped at once (a face at each pixel size is one); the oldest goes first.
constexpr size_t kMaxFaces = 32;
// Words kept shaped per face (the layout measures a word several times before it
// is drawn), and the longest word kept: the cache starts again when full.
constexpr size_t kMaxWords = 2048;
constexpr int kMaxCachedWord = 256;

hb_blob_t* ReferenceTable(hb_face_t*, hb_tag_t tag, void* userData)
{
    const auto* face = static_cast<const QRawFont*>(userData);
    const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    auto* data = new QByteArray(face->fontTable(name));
    if (data->isEmpty()) {
        delete data;
        return nullptr;
    }
    return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()), HB_MEMORY_MODE_READONLY,
                          data, [](void* d) { delete static_cast<QByteArray*>(d); });
}

struct THbFace {
    QRawFont Face;
    hb_font_t* Font;
    std::unordered_map<std::u16string, std::vector<TShapedCluster>> Words;
};

// The HarfBuzz font of a face at its pixel size, or null when it cannot be read.
THbFace* HbFaceOf(const QRawFont& face)
{
    static auto* cache = new std::deque<THbFace>; // lives as long as the program
    for (THbFace& f : *cache)
        if (f.Face == face)
            return &f;
    if (!face.isValid() || face.pixelSize() <= 0)
        return nullptr;
    hb_face_t* hbFace = hb_face_create_for_tables(ReferenceTable, new QRawFont(face),
                                                  [](void* d) { delete static_cast<QRawFont*>(d); });
    hb_font_t* font = hb_font_create(hbFace);
    hb_face_destroy(hbFace);
    hb_ot_font_set_funcs(font);
    const int scale = static_cast<int>(std::lround(face.pixelSize() * kUnitsPerPixel));
    hb_font_set_scale(font, scale, scale);
    if (cache->size() >= kMaxFaces) {
        hb_font_destroy(cache->front().Font);
        cache->pop_front();
    }
    cache->push_back({face, font, {}});
    return &cache->back();
}

// One glyph as shaped: where it lies from the word's left edge.
struct TPlaced {
    quint32 Index;
    unsigned Cluster;
    double Pen; // the pen position before it, from the word's left edge
    double Advance;
    double OffsetX;
    double OffsetY;
};

bool Shape(hb_font_t* font, const WideChar* str, int count, std::vector<TShapedCluster>& clusters);

} // namespace

bool ShapeJoiningWord(const QRawFont& face, const WideChar* str, int count,
                      std::vector<TShapedCluster>& clusters)
{
    clusters.clear();
    if (!str || count <= 0)
        return false;
    THbFace* hb = HbFaceOf(face);
    if (!hb)
        return false;
    if (count > kMaxCachedWord)
        return Shape(hb->Font, str, count, clusters);
    std::u16string word(str, static_cast<size_t>(count));
    const auto known = hb->Words.find(word);
    if (known != hb->Words.end()) {
        clusters = known->second;
        return !clusters.empty();
    }
    // A word that cannot be shaped is kept too, as no clusters.
    const bool shaped = Shape(hb->Font, str, count, clusters);
    if (hb->Words.size() >= kMaxWords)
        hb->Words.clear();
    hb->Words.emplace(std::move(word), shaped ? clusters : std::vector<TShapedCluster>());
    return shaped;
}

namespace {

bool Shape(hb_font_t* font, const WideChar* str, int count, std::vector<TShapedCluster>& clusters)
{
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(str), count, 0, count);
    hb_buffer_guess_segment_properties(buffer);
    hb_buffer_set_cluster_level(buffer, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_GRAPHEMES);
    const hb_feature_t noKerning{HB_TAG('k', 'e', 'r', 'n'), 0, HB_FEATURE_GLOBAL_START,
                                 HB_FEATURE_GLOBAL_END};
    hb_shape(font, buffer, &noKerning, 1);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, nullptr);
    std::vector<TPlaced> placed;
    placed.reserve(n);
    double pen = 0;
    bool complete = n > 0;
    for (unsigned i = 0; i < n && complete; ++i) {
        // Glyph 0 is the face's missing glyph: the word is not the face's to draw.
        complete = info[i].codepoint != 0 && info[i].cluster < static_cast<unsigned>(count);
        const double advance = double(pos[i].x_advance) / kUnitsPerPixel;
        placed.push_back({info[i].codepoint, info[i].cluster, pen, advance,
                          double(pos[i].x_offset) / kUnitsPerPixel,
                          double(pos[i].y_offset) / kUnitsPerPixel});
        pen += advance;
    }
    hb_buffer_destroy(buffer);
    if (!complete)
        return false;

    // Clusters by their first unit, moved back to where a character begins.
    std::map<int, std::vector<const TPlaced*>> byStart;
    for (const TPlaced& g : placed) {
        int start = static_cast<int>(g.Cluster);
        while (start > 0 && !CharacterStartsAt(str, count, start))
            --start;
        byStart[start].push_back(&g);
    }
    for (auto it = byStart.begin(); it != byStart.end(); ++it) {
        const auto next = std::next(it);
        TShapedCluster c{it->first, (next == byStart.end() ? count : next->first) - it->first, 0, {}};
        double left = it->second.front()->Pen;
        double width = 0;
        for (const TPlaced* g : it->second) {
            left = std::min(left, g->Pen);
            width += g->Advance;
        }
        c.Advance = static_cast<int>(std::lround(width));
        for (const TPlaced* g : it->second)
            c.Glyphs.push_back({g->Index, QPointF(g->Pen - left + g->OffsetX, -g->OffsetY)});
        clusters.push_back(std::move(c));
    }
    // The first unit always begins a cluster, so that none of the word is lost.
    if (!clusters.empty() && clusters.front().Start > 0) {
        clusters.front().Count += clusters.front().Start;
        clusters.front().Start = 0;
    }
    return true;
}

} // namespace
