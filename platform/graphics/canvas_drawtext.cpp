// TCanvas::DrawText: text in a rectangle, in lines, wrapped at words, aligned.
#include "platform/graphics/canvas.h"

#include <algorithm>
#include <cstring>

namespace {

struct TLine {
    int Start;
    int Count;
    int Width;
};

int SumAdvances(const std::vector<int>& adv, int start, int count)
{
    int sum = 0;
    for (int i = start; i < start + count; ++i)
        sum += adv[static_cast<size_t>(i)];
    return sum;
}

// Greedy wrapping of text[start, end) into lines no wider than width: breaks after
// the last space that fits, dropping the spaces at the break. A word longer than
// the line stays whole unless splitWords, when it is cut after the last character
// that fits (at least one).
void WrapParagraph(const WideString& text, const std::vector<int>& adv, int start, int end, int width,
                   bool splitWords, std::vector<TLine>& lines)
{
    int lineStart = start;
    while (true) {
        int x = 0;
        int i = lineStart;
        int lastBreak = -1; // index after the spaces of the last break opportunity
        int lastBreakEnd = -1;
        while (i < end) {
            if (text[static_cast<size_t>(i)] == u' ') {
                lastBreakEnd = i;
                int j = i;
                while (j < end && text[static_cast<size_t>(j)] == u' ')
                    x += adv[static_cast<size_t>(j++)];
                lastBreak = j;
                i = j;
                continue;
            }
            if (x + adv[static_cast<size_t>(i)] > width && i > lineStart)
                break;
            x += adv[static_cast<size_t>(i)];
            ++i;
        }
        if (i >= end) {
            lines.push_back({lineStart, end - lineStart, SumAdvances(adv, lineStart, end - lineStart)});
            return;
        }
        if (lastBreak > lineStart && lastBreakEnd >= lineStart) {
            lines.push_back(
                {lineStart, lastBreakEnd - lineStart, SumAdvances(adv, lineStart, lastBreakEnd - lineStart)});
            lineStart = lastBreak;
        } else if (splitWords) {
            // Never cut inside a character: trailing units of a character have no advance.
            while (i > lineStart + 1 && adv[static_cast<size_t>(i)] == 0)
                --i;
            lines.push_back({lineStart, i - lineStart, SumAdvances(adv, lineStart, i - lineStart)});
            lineStart = i;
        } else {
            // The word runs past the edge; the line ends at the next space.
            int j = i;
            while (j < end && text[static_cast<size_t>(j)] != u' ')
                ++j;
            lines.push_back({lineStart, j - lineStart, SumAdvances(adv, lineStart, j - lineStart)});
            while (j < end && text[static_cast<size_t>(j)] == u' ')
                ++j;
            if (j >= end)
                return;
            lineStart = j;
        }
        if (lineStart >= end)
            return;
    }
}

} // namespace

int TCanvas::DrawTextW(const WideChar* Str, int Count, TRect& Rect, unsigned Format)
{
    if (!Str)
        return 0;
    if (Count < 0) {
        Count = 0;
        while (Str[Count])
            ++Count;
    }
    const int height = DrawTextInternal(WideString(Str, static_cast<size_t>(Count)), Rect, Format);
    if (!(Format & DT_CALCRECT))
        Drawn(false);
    return height;
}

int TCanvas::DrawTextA(const char* Str, int Count, TRect& Rect, unsigned Format)
{
    if (!Str)
        return 0;
    if (Count < 0)
        Count = static_cast<int>(std::strlen(Str));
    TAnsiText text;
    ConvertAnsi(Str, Count, text);
    const int height = DrawTextInternal(text.Wide, Rect, Format);
    if (!(Format & DT_CALCRECT))
        Drawn(false);
    return height;
}

int TCanvas::DrawTextInternal(const WideString& Source, TRect& Rect, unsigned Format)
{
    // '&' marks the next character; "&&" stands for one '&'.
    WideString text;
    int prefixAt = -1;
    if (Format & DT_NOPREFIX) {
        text = Source;
    } else {
        for (size_t i = 0; i < Source.size(); ++i) {
            if (Source[i] == u'&' && i + 1 < Source.size()) {
                ++i;
                if (Source[i] != u'&')
                    prefixAt = static_cast<int>(text.size());
            }
            text.push_back(Source[i]);
        }
    }
    const int n = static_cast<int>(text.size());
    std::vector<int> adv;
    MeasureUnits(text.data(), n, adv);
    TOutlineTextMetric otm;
    FontMetrics(otm);
    const int lineHeight = otm.otmTextMetrics.tmHeight +
                           ((Format & DT_EXTERNALLEADING) ? otm.otmTextMetrics.tmExternalLeading : 0);

    std::vector<TLine> lines;
    if (Format & DT_SINGLELINE) {
        lines.push_back({0, n, SumAdvances(adv, 0, n)});
    } else {
        int start = 0;
        for (int i = 0; i <= n; ++i) {
            if (i < n && text[static_cast<size_t>(i)] != u'\r' && text[static_cast<size_t>(i)] != u'\n')
                continue;
            if (Format & DT_WORDBREAK)
                WrapParagraph(text, adv, start, i, Rect.Width(), (Format & DT_EDITCONTROL) != 0, lines);
            else
                lines.push_back({start, i - start, SumAdvances(adv, start, i - start)});
            if (i < n && text[static_cast<size_t>(i)] == u'\r' && i + 1 < n &&
                text[static_cast<size_t>(i) + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    const int textHeight = static_cast<int>(lines.size()) * lineHeight;

    if (Format & DT_CALCRECT) {
        int widest = 0;
        for (const TLine& l : lines)
            widest = std::max(widest, l.Width);
        Rect.Right = Rect.Left + widest;
        Rect.Bottom = Rect.Top + textHeight;
        return textHeight;
    }

    int y = Rect.Top;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            y = Rect.Top + (Rect.Height() - lineHeight) / 2;
        else if (Format & DT_BOTTOM)
            y = Rect.Bottom - lineHeight;
    }
    const int top = y;
    // DrawText places its lines itself: left and top alignment, direction kept.
    const unsigned savedAlign = SetTextAlign(FTextAlign & TA_RTLREADING);
    const unsigned options = (Format & DT_NOCLIP) ? 0u : unsigned(ETO_CLIPPED);
    for (const TLine& l : lines) {
        int x = Rect.Left;
        if (Format & DT_CENTER)
            x = Rect.Left + (Rect.Width() - l.Width) / 2;
        else if (Format & DT_RIGHT)
            x = Rect.Right - l.Width;
        TTextRun run;
        run.Options = options;
        run.Text = text.substr(static_cast<size_t>(l.Start), static_cast<size_t>(l.Count));
        run.Advances.assign(adv.begin() + l.Start, adv.begin() + l.Start + l.Count);
        run.Width = l.Width;
        run.Ascent = otm.otmTextMetrics.tmAscent;
        run.Height = otm.otmTextMetrics.tmHeight;
        run.RightToLeft = (FTextAlign & TA_RTLREADING) != 0;
        if (prefixAt >= l.Start && prefixAt < l.Start + l.Count)
            run.PrefixUnit = prefixAt - l.Start;
        BuildClusters(run);
        OutputRun(run, x, y, (options & ETO_CLIPPED) ? &Rect : nullptr);
        y += lineHeight;
    }
    SetTextAlign(savedAlign);
    return (Format & DT_SINGLELINE) && (Format & (DT_VCENTER | DT_BOTTOM)) ? top - Rect.Top + textHeight
                                                                           : textHeight;
}
