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

int TCanvas::DrawTextW(const WideChar* str, int count, TRect& rect, unsigned format)
{
    if (!str)
        return 0;
    if (count < 0) {
        count = 0;
        while (str[count])
            ++count;
    }
    const int height = DrawTextInternal(WideString(str, static_cast<size_t>(count)), rect, format);
    if (!(format & DT_CALCRECT))
        Drawn(false);
    return height;
}

int TCanvas::DrawTextA(const char* str, int count, TRect& rect, unsigned format)
{
    if (!str)
        return 0;
    if (count < 0)
        count = static_cast<int>(std::strlen(str));
    TAnsiText text;
    ConvertAnsi(str, count, text);
    const int height = DrawTextInternal(text.Wide, rect, format);
    if (!(format & DT_CALCRECT))
        Drawn(false);
    return height;
}

int TCanvas::DrawTextInternal(const WideString& source, TRect& rect, unsigned format)
{
    // '&' marks the next character; "&&" stands for one '&'.
    WideString text;
    int prefixAt = -1;
    if (format & DT_NOPREFIX) {
        text = source;
    } else {
        for (size_t i = 0; i < source.size(); ++i) {
            if (source[i] == u'&' && i + 1 < source.size()) {
                ++i;
                if (source[i] != u'&')
                    prefixAt = static_cast<int>(text.size());
            }
            text.push_back(source[i]);
        }
    }
    const int n = static_cast<int>(text.size());
    std::vector<int> adv;
    MeasureUnits(text.data(), n, adv);
    TOutlineTextMetric otm;
    FontMetrics(otm);
    const int lineHeight = otm.otmTextMetrics.tmHeight +
                           ((format & DT_EXTERNALLEADING) ? otm.otmTextMetrics.tmExternalLeading : 0);

    std::vector<TLine> lines;
    if (format & DT_SINGLELINE) {
        lines.push_back({0, n, SumAdvances(adv, 0, n)});
    } else {
        int start = 0;
        for (int i = 0; i <= n; ++i) {
            if (i < n && text[static_cast<size_t>(i)] != u'\r' && text[static_cast<size_t>(i)] != u'\n')
                continue;
            if (format & DT_WORDBREAK)
                WrapParagraph(text, adv, start, i, rect.Width(), (format & DT_EDITCONTROL) != 0, lines);
            else
                lines.push_back({start, i - start, SumAdvances(adv, start, i - start)});
            if (i < n && text[static_cast<size_t>(i)] == u'\r' && i + 1 < n &&
                text[static_cast<size_t>(i) + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    const int textHeight = static_cast<int>(lines.size()) * lineHeight;

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const TLine& l : lines)
            widest = std::max(widest, l.Width);
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + textHeight;
        return textHeight;
    }

    int y = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect.Top + (rect.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rect.Bottom - lineHeight;
    }
    const int top = y;
    // DrawText places its lines itself: left and top alignment, direction kept.
    const unsigned savedAlign = SetTextAlign(FTextAlign & TA_RTLREADING);
    const unsigned options = (format & DT_NOCLIP) ? 0u : unsigned(ETO_CLIPPED);
    for (const TLine& l : lines) {
        int x = rect.Left;
        if (format & DT_CENTER)
            x = rect.Left + (rect.Width() - l.Width) / 2;
        else if (format & DT_RIGHT)
            x = rect.Right - l.Width;
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
        OutputRun(run, x, y, (options & ETO_CLIPPED) ? &rect : nullptr);
        y += lineHeight;
    }
    SetTextAlign(savedAlign);
    return (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect.Top + textHeight
                                                                           : textHeight;
}
