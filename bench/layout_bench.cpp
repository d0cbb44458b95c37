// layout_bench: laying out one long paragraph, in one process on the
// offscreen platform. A plain timing program (its output is read by people
// and scripts, line by line); built with the project, not run by CI.
//
// Ours: a viewer whose document is one paragraph of N characters (log-like
// words, one word without spaces, or words with Chinese and Hebrew among
// them as Unicode text), laid out with Format on the viewer's own
// Qt canvas, into a text width of 600 pixels. The peer: QTextLayout breaking
// the same text into lines of that same width, in the same face at the same
// pixel size (without kerning, as ours measures). Both sides get their text
// ready before the clock starts and are timed alike: the best of five runs
// (or of those made within ten seconds).
//
// 1. Cost: the time for 1,000,000 characters against 100,000 (linear is 10);
//    the worst of the three texts.
// 2. Against the peer: our time for 1,000,000 characters against QTextLayout's;
//    the worst of the three texts.
#include <QApplication>
#include <QFont>
#include <QTextLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/qtcanvas.h"
#include "view/rollview.h"

namespace {

using Clock = std::chrono::steady_clock;

// Each side's time is the best of Runs runs, or of those made within
// RunsWithin seconds (the peer takes half a minute for a paragraph without spaces).
constexpr int Runs = 5;
constexpr double RunsWithin = 10;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

enum class TTextKind { Words, NoSpaces, Mixed };

const char* KindName(TTextKind kind)
{
    return kind == TTextKind::Words ? "words" : kind == TTextKind::NoSpaces ? "no spaces" : "mixed";
}

// Length characters: words of a service log separated by spaces, one word,
// or words with Chinese and Hebrew among them (Unicode text).
std::u16string Paragraph(int length, TTextKind kind)
{
    static const char16_t* const Words[] = {u"request", u"served", u"cache",    u"miss",
                                            u"for",     u"user",   u"session",  u"token",
                                            u"id=42",   u"ok",     u"upstream", u"latency"};
    static const char16_t* const Others[] = {u"\u8BF7\u6C42\u5DF2\u5904\u7406", u"\u05E9\u05DC\u05D5\u05DD",
                                             u"\u7F13\u5B58"};
    std::u16string text;
    text.reserve(static_cast<size_t>(length) + 16);
    for (unsigned w = 0; static_cast<int>(text.size()) < length; w = w * 7 + 3) {
        text += kind == TTextKind::Mixed && w % 5 == 0 ? Others[w % 3] : Words[w % 12];
        if (kind != TTextKind::NoSpaces)
            text += u' ';
    }
    text.resize(static_cast<size_t>(length));
    return text;
}

// ASCII text as bytes.
std::string Ascii(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

class TLayoutSide {
public:
    TLayoutSide()
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 800, 600);
        Style = new TRVStyle(Form);
        // Style 1: the same font, for Unicode text.
        TFontInfo* unicode = Style->TextStyles()->Add();
        unicode->Assign(Style->TextStyles()->Items(0));
        unicode->SetUnicode(true);
        View = new TRollView(Form);
        View->SetStyle(Style);
        View->SetLeftMargin(0);
        View->SetRightMargin(0);
        View->SetParent(Form);
        Form->Show();
        View->SetBounds(0, 0, 640, 400);
        // A paragraph long enough to show the scroll bar, and the fonts warmed
        // up; then the view as wide as 600 px of text take.
        View->AddNL(Ascii(Paragraph(20000, TTextKind::Words)), 0, 0);
        View->Format();
        for (int i = 0; i < 2 && View->RVData->TextWidth != 600; ++i) {
            View->SetBounds(0, 0, View->Width() + 600 - View->RVData->TextWidth, 400);
            View->Format();
        }
    }
    ~TLayoutSide() { Form->Free(); }

    // The best time of laying out the paragraph; its text width and line count.
    double Time(const std::u16string& text, TTextKind kind, int& textWidth, int& lines)
    {
        View->Clear();
        // The log's ASCII as ANSI text (as Kelvor shows it), the rest as Unicode text.
        if (kind == TTextKind::Mixed)
            View->AddNLWTag(text, 1, 0, TRVTag());
        else
            View->AddNL(Ascii(text), 0, 0);
        double best = 1e30;
        double spent = 0;
        for (int run = 0; run < Runs && spent < RunsWithin; ++run) {
            const Clock::time_point start = Clock::now();
            View->Format();
            best = std::min(best, Seconds(start));
            spent += Seconds(start);
        }
        textWidth = View->RVData->TextWidth;
        lines = 0;
        for (int i = 0; i < View->RVData->DrawItems.Count(); ++i)
            lines += View->RVData->DrawItems[i]->FromNewLine ? 1 : 0;
        return best;
    }

    QFont Font() const
    {
        const TFontInfo* normal = Style->TextStyles()->Items(0);
        TFont size;
        size.SetSize(normal->Size());
        QFont font(QString::fromStdString(ResolveFontFace(normal->FontName(), fpDefault)));
        font.setPixelSize(-size.Height());
        font.setKerning(false);
        return font;
    }

    TForm* Form;
    TRVStyle* Style;
    TRollView* View;
};

// The best time of QTextLayout breaking the text into lines of Width pixels.
double PeerTime(const std::u16string& text, const QFont& font, int width, int& lines)
{
    const QString string = QString::fromStdU16String(text);
    double best = 1e30;
    double spent = 0;
    for (int run = 0; run < Runs && spent < RunsWithin; ++run) {
        const Clock::time_point start = Clock::now();
        QTextLayout layout(string, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        lines = 0;
        qreal y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
            ++lines;
        }
        layout.endLayout();
        best = std::min(best, Seconds(start));
        spent += Seconds(start);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    Application->Initialize();
    TLayoutSide ours;
    const QFont font = ours.Font();
    std::printf("layout_bench: %s %d px, text width %d px\n", font.family().toStdString().c_str(),
                font.pixelSize(), ours.View->RVData->TextWidth);

    double worstCost = 0;
    double worstPeer = 0;
    for (TTextKind kind : {TTextKind::Words, TTextKind::NoSpaces, TTextKind::Mixed}) {
        int width = 0, lines = 0;
        const double small = ours.Time(Paragraph(100000, kind), kind, width, lines);
        std::printf("%-9s  100,000 characters: ours %8.1f ms, %6d lines at %d px\n", KindName(kind),
                    small * 1000, lines, width);
        const std::u16string text = Paragraph(1000000, kind);
        const double large = ours.Time(text, kind, width, lines);
        int peerLines = 0;
        const double peer = PeerTime(text, font, width, peerLines);
        std::printf("%-9s 1,000,000 characters: ours %8.1f ms, %6d lines; qtextlayout %8.1f ms, %6d lines\n",
                    KindName(kind), large * 1000, lines, peer * 1000, peerLines);
        worstCost = std::max(worstCost, large / small);
        worstPeer = std::max(worstPeer, large / peer);
    }
    std::printf("paragraph layout cost 1M/100k chars: %.2f\n", worstCost);
    std::printf("paragraph layout time ours/qtextlayout 1M chars: %.2f\n", worstPeer);
    std::fflush(stdout);
    return 0;
}
