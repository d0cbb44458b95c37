// Width-1 line pixels within a clip: the same pixels, at the same places along
// the walk, as a plain Bresenham walk of every pixel keeps inside the clip;
// and ends anywhere in the int range walked without overflow, each pixel kept
// on the line.
#include "platform/graphics/linepixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

// Every pixel of From..To (without To) in the order walked, as the canvas
// listed them before it clipped: Bresenham over the whole segment, or, given
// Inside, as far as the pixels stay in it.
void PlainWalk(const TPoint& from, const TPoint& to, std::vector<TPoint>& out, const TRect* inside = nullptr)
{
    int x = from.X, y = from.Y;
    const int64_t dx = std::abs(int64_t(to.X) - x), dy = -std::abs(int64_t(to.Y) - y);
    const int sx = x < to.X ? 1 : -1, sy = y < to.Y ? 1 : -1;
    int64_t err = dx + dy;
    while ((x != to.X || y != to.Y) && (inside == nullptr || inside->Contains({x, y}))) {
        out.push_back({x, y});
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

std::string Describe(const std::vector<TPoint>& points, const TRect& clip)
{
    std::string s = "clip " + std::to_string(clip.Left) + "," + std::to_string(clip.Top) + " " +
                    std::to_string(clip.Right) + "," + std::to_string(clip.Bottom) + ":";
    for (const TPoint& p : points)
        s += " " + std::to_string(p.X) + "," + std::to_string(p.Y);
    return s;
}

} // namespace

// Random polylines of up to four segments and random clips (empty ones, ones
// inside the segments' reach and ones around it): the pixels kept are those
// of the plain walk inside the clip, each with its index in the plain walk.
TEST(LinePixels, KeepsWhatThePlainWalkShowsAtTheSamePlaces)
{
    std::mt19937 random(5);
    for (int round = 0; round < 20000; ++round) {
        const int reach = round % 3 == 0 ? 8 : round % 3 == 1 ? 60 : 400;
        std::uniform_int_distribution<int> coordinate(-reach, reach);
        std::vector<TPoint> points(2 + random() % 4);
        for (TPoint& p : points)
            p = {coordinate(random), coordinate(random)};
        int left = coordinate(random), top = coordinate(random);
        const TRect clip{left, top, left + int(random() % (2 * reach)), top + int(random() % (2 * reach))};
        SCOPED_TRACE(Describe(points, clip));

        std::vector<TPoint> plain;
        TLinePixels walk(clip);
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            PlainWalk(points[i], points[i + 1], plain);
            walk.AddSegment(points[i], points[i + 1]);
        }
        std::vector<TPoint> wantPixels;
        std::vector<int64_t> wantSteps;
        for (size_t i = 0; i < plain.size(); ++i)
            if (clip.Contains(plain[i])) {
                wantPixels.push_back(plain[i]);
                wantSteps.push_back(static_cast<int64_t>(i));
            }
        ASSERT_EQ(walk.Walked(), static_cast<int64_t>(plain.size()));
        ASSERT_EQ(walk.Pixels(), wantPixels);
        ASSERT_EQ(walk.Steps(), wantSteps);
    }
}

// Ends anywhere in the int range, up to the whole range apart, around a
// 100 x 100 clip: each pixel kept is within half a pixel of the line across
// its major axis, the pixels follow each other as neighbours one step apart
// while they are inside, each step is the pixel's distance from the start
// along the major axis, and a segment that starts inside the clip keeps the
// pixels the plain walk makes there.
TEST(LinePixels, FarEndsKeepThePixelsOfTheLineInsideTheClip)
{
    const TRect clip{0, 0, 100, 100};
    std::mt19937 random(9);
    std::uniform_int_distribution<int> anywhere(INT_MIN, INT_MAX);
    std::uniform_int_distribution<int> inside(0, 99);
    for (int round = 0; round < 3000; ++round) {
        TPoint from{anywhere(random), anywhere(random)}, to{anywhere(random), anywhere(random)};
        if (round % 4 == 0) {
            from = {inside(random), inside(random)};
        } else if (round % 4 == 1) {
            // Through the clip: from a far point through an inside one, as far again.
            const TPoint through{inside(random), inside(random)};
            to = {int(std::clamp<int64_t>(2 * int64_t(through.X) - from.X, INT_MIN, INT_MAX)),
                  int(std::clamp<int64_t>(2 * int64_t(through.Y) - from.Y, INT_MIN, INT_MAX))};
        }
        SCOPED_TRACE(Describe({from, to}, clip));
        TLinePixels walk(clip);
        walk.AddSegment(from, to);
        const int64_t dx = int64_t(to.X) - from.X, dy = int64_t(to.Y) - from.Y;
        const int64_t major = std::max(std::abs(dx), std::abs(dy));
        ASSERT_EQ(walk.Walked(), major);
        const std::vector<TPoint>& pixels = walk.Pixels();
        for (size_t i = 0; i < pixels.size(); ++i) {
            const TPoint& p = pixels[i];
            ASSERT_TRUE(clip.Contains(p));
            const int64_t px = int64_t(p.X) - from.X, py = int64_t(p.Y) - from.Y;
            // Off the line across its major axis: cross / major, at most a half.
            const __int128 cross = static_cast<__int128>(px) * dy - static_cast<__int128>(py) * dx;
            ASSERT_LE(2 * (cross < 0 ? -cross : cross), static_cast<__int128>(major)) << i;
            const int64_t along = std::abs(dx) >= std::abs(dy) ? std::abs(px) : std::abs(py);
            ASSERT_EQ(walk.Steps()[i], along) << i;
            if (i > 0 && walk.Steps()[i] == walk.Steps()[i - 1] + 1) {
                ASSERT_LE(std::abs(p.X - pixels[i - 1].X), 1);
                ASSERT_LE(std::abs(p.Y - pixels[i - 1].Y), 1);
            }
        }
        if (round % 4 == 0) {
            // The plain walk's first pixels, as far as they reach inside.
            std::vector<TPoint> plain;
            PlainWalk(from, to, plain, &clip);
            ASSERT_EQ(pixels, plain);
        }
    }
}
