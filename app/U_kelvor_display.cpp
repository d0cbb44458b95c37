// The display of new text: the file monitor's two callbacks turn a chunk of a
// watched file into lines of its pane, each in the colour of its first special
// word, and mark a file that became shorter with a break line.
//
// Lines wait in the pane's queue while their file has more waiting to be read
// and the pane is purged: a burst larger than the purge line is read and
// matched line by line, but only the lines that stay are laid out. The queue
// is shown when the file has nothing more waiting (or is paused, or the
// monitor stops), and at least once a second during a long burst, a piece's
// worth of text at a time, so that the window never waits long for it.
// Outside a burst, one turn of the event loop shows slices for as long as a
// turn may take and paints once: a chunk of several pieces shows without a
// paint for each piece, and the window answers its input between turns. A
// turn is bounded by the time it takes, never by bytes alone: it lays its
// lines out in parts sized by what the pane's text has cost per byte, and
// stops at TurnLimit, so that text that is slow to lay out (bytes of a
// binary file, characters that only fallback fonts draw) leaves the rest,
// in order, for the next turn; the paint that ends a turn is kept time for,
// as much as the pane's last paints took. A byte is charged the processor
// time its layout took, never the time the machine gave to others meanwhile:
// a busy machine makes parts smaller only by the share of time it leaves the
// window (TLayoutCosts). A turn with time left asks a long line for a
// quarter KiB at least and cuts it at the last place at or before that (else
// the first after it) where the pieces show what the whole shows: a piece is
// shorter only where the text has no place nearer, so that a long line shows
// at a cost linear in its length. Before a part is laid out, the pane's fonts
// meet its characters one at a time (TCanvas::MeetCharactersA), in the first
// MeetingWindow of the turn: a character of a script new to the process has
// its fallback fonts looked for and loaded, which may take longer than a turn
// by itself and cannot be split, so that it begins near a turn's start;
// what is not met yet waits for the next turn.
#include "app/U_kelvor.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "app/LayoutCosts.h"
#include "app/PendingLines.h"
#include "app/Tail.h"
#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/core/codepages.h"
#include "view/rollview.h"

namespace {

// The display's wall clock (DisplayNow), which a test may move on.
struct TClock {
    using duration = std::chrono::steady_clock::duration;
    using time_point = std::chrono::steady_clock::time_point;
    static time_point now() { return DisplayNow(); }
};

// How long lines wait at most while their file keeps sending more.
constexpr auto ShowAtLeastEvery = std::chrono::milliseconds(1000);
// What one showing adds to a pane: a piece's worth of text (at least a line).
constexpr size_t SliceBytes = CTail::PieceLimit;
// How long one turn of the event loop may go on adding slices outside a
// burst (a turn shows one slice at least): short enough that the window
// answers input without a wait one notices. A poll shows its own chunk in
// one turn when it can; the lines that wait longer are shown on the pane's
// timer in shorter turns, which alternate with the polls.
constexpr auto PollTurnBudget = std::chrono::milliseconds(12);
constexpr auto TimerTurnBudget = std::chrono::milliseconds(8);
// The longest a turn goes on laying lines out; the pane timer's turn that
// follows the same pane's poll at once (in one pass of the event loop) shares
// its limit. A part of lines is laid out only when its estimated cost fits in
// what is left.
constexpr auto TurnLimit = std::chrono::milliseconds(20);
constexpr auto SameTurnGap = std::chrono::milliseconds(10);
// How long into a turn the pane's fonts may begin to meet the characters of
// new text: a script that the process meets for the first time may take
// longer than a turn by itself, and must begin near the turn's start.
constexpr auto MeetingWindow = std::chrono::milliseconds(4);
// The most bytes of one part, whatever the costs measured.
constexpr size_t MaxPartBytes = size_t{256} << 10;
// The pane's timer: at once while lines are to be shown, else a look now and
// then for a file that stopped sending without a poll saying so.
constexpr unsigned ShowNextSlice = 1;
constexpr unsigned LookAgain = 50;

// What the display remembers of a pane between two chunks of its file. Owned
// by the pane, so it goes with it.
class TPaneDisplayState : public TComponent {
public:
    using TComponent::TComponent;
    const char* ClassName() const override { return "TPaneDisplayState"; }

    // The line a continuation piece would join is not the pane's last
    // paragraph (it was not shown, or the file was reopened): the next
    // continuation starts a paragraph of its own.
    bool StartNewLine = false;
    // The start of a UTF-8 character that the end of the last chunk cut off,
    // kept for the next chunk; and whether the text before it ended a line.
    AnsiString HeldBytes;
    bool HeldLineComplete = false;
    // The file's name and line count when its last chunk was shown: when
    // either changed, the file was reopened (reset, or another file dropped
    // on the pane) and what is kept belongs to the file before.
    AnsiString FileName;
    int LineCount = 0;
    // The lines not yet added to the pane, oldest first, and since when the
    // oldest waits (or the pane last showed some during a burst).
    TPendingLines Pending;
    TClock::time_point WaitingSince;
    // The pane was cleared since it was last laid out.
    bool WholeLayout = false;
    // What laying out the pane's text costs, learned from its parts.
    TLayoutCosts Costs;
    // Shows what waits when no poll will (owned by this state).
    TTimer* ShowTimer = nullptr;
    // When the pane's last poll turn began and ended: its timer's turn that
    // follows at once shares that turn's limit. Kept per pane, so that one
    // pane's poll never spends another pane's turn.
    TClock::time_point PollTurnStart;
    TClock::time_point PollTurnEnd;
    // The pane showed its last line when it was last scrolled or shown new
    // lines: a new size of the pane keeps that line in view.
    bool ShowsEnd = true;

    // Forgets what belongs to the file before a reopening.
    void Reopened()
    {
        StartNewLine = true;
        HeldBytes.clear();
        Pending.Clear();
    }
};

// Poll: the turn is a poll's (else the pane timer's).
void ShowPending(TForm1* form, TRollView* view, TPaneDisplayState* state,
                 TClock::duration budget = TimerTurnBudget, bool poll = false);

// The pane's state; null before the pane was first shown text.
TPaneDisplayState* FindPaneState(const TComponent* view)
{
    for (int i = 0; i < view->ComponentCount(); ++i)
        if (auto* state = dynamic_cast<TPaneDisplayState*>(view->Components(i)))
            return state;
    return nullptr;
}

// The pane's state, made for File the first time the pane is shown text.
TPaneDisplayState* PaneState(TForm1* form, TRollView* view, const TTailFile* file)
{
    if (TPaneDisplayState* state = FindPaneState(view))
        return state;
    auto* state = new TPaneDisplayState(view);
    state->FileName = file->FileName;
    state->LineCount = file->LineCount;
    state->ShowTimer = new TTimer(state);
    state->ShowTimer->SetEnabled(false);
    state->ShowTimer->OnTimer = [form, view, state](TObject*) { ShowPending(form, view, state); };
    return state;
}

// A part of the lines that wait: its bytes, those above 0x7F among them, and
// the time they are expected to take to lay out.
struct TPart {
    size_t Bytes = 0;
    size_t High = 0;
    double Expected = 0;
};

// Has the pane's fonts meet the characters of the oldest waiting line that a
// part would take (its first Want bytes), until Until; the part may then
// take Take bytes of it. A line that goes whole waits until it is met whole,
// a piece of a long line until a quarter KiB of it (or all it wants) is met
// up to a place where it may be cut (what it met stays met). ASCII text
// needs no meeting: the fonts have known its characters since the pane's
// first line.
// AppliedStyle is the text style the formatting canvas has from the last
// meeting (-1: unknown).
bool MeetFront(TRollView* view, TPaneDisplayState* state, size_t want, TClock::time_point until, size_t& take,
               int& appliedStyle)
{
    TPendingLines& pending = state->Pending;
    const std::string_view front = pending.Front();
    size_t met = pending.FrontMet();
    if (met < want && !HasHighBytes(front.substr(met, want - met))) {
        met = want;
    } else if (met < want) {
        // In the text style's font, as the layout measures a line's width.
        TCanvas* canvas = view->GetFormattingCanvas();
        if (appliedStyle != pending.FrontStyle()) {
            appliedStyle = pending.FrontStyle();
            view->Style()->TextStyles()->Items(appliedStyle)->Apply(canvas, view->RVData->GetParaBiDiMode(0));
        }
        met += static_cast<size_t>(canvas->MeetCharactersA(front.data() + met, static_cast<int>(want - met),
                                                           [until] { return TClock::now() >= until; }));
    }
    pending.SetFrontMet(met);
    if (met >= want) {
        take = want;
        return true;
    }
    // A piece of a long line, up to the last place before what is not met.
    take = want < front.size() ? pending.FrontCut(met) : 0;
    return take <= met && take >= std::min(want, TLayoutCosts::MinPieceBytes);
}

// Adds the oldest waiting lines to the pane part by part, laying each part
// out, for as long as the turn may go on: at least a piece's worth of text
// (SliceBytes) unless TurnLimit comes first, and further parts while Budget
// lasts; the turn's time ends early by what its paint is expected to take.
// The bytes of a part are met by the pane's fonts first, in the turn's first
// MeetingWindow: text they have not met waits for the next turn. Then
// scrolls the pane to its end and paints it once.
void ShowSlice(TRollView* view, TPaneDisplayState* state, TClock::duration budget, bool poll)
{
    // The queued lines hold no line ends: each is added as it stands (its
    // copy moved into the pane's document), and an empty rest of a line adds
    // nothing to the line it continues.
    auto show = [view](AnsiString text, int style, TPendingKind kind) {
        if (kind == TPendingKind::Break)
            view->AddBreak();
        else if (kind == TPendingKind::Paragraph)
            view->AddNL(std::move(text), style, 0);
        else if (!text.empty())
            view->AddNL(std::move(text), style, -1);
    };
    const TClock::time_point start = TClock::now();
    // One pass of the event loop may run a poll's turn and then the pane
    // timer's: a timer's turn that follows its pane's poll at once shares
    // that poll's limit.
    const TClock::time_point passStart =
        !poll && start - state->PollTurnEnd <= SameTurnGap ? state->PollTurnStart : start;
    // The turn keeps time for the paint that ends it (its parts have a
    // quarter of the turn at the least).
    const auto paint = std::chrono::duration_cast<TClock::duration>(
        std::chrono::duration<double>(state->Costs.ExpectedPaintSeconds()));
    const TClock::time_point limit =
        passStart + TurnLimit - std::min<TClock::duration>(paint, TurnLimit * 3 / 4);
    const TClock::time_point meetUntil = std::min(limit, passStart + MeetingWindow);
    // What a whole turn lays out, its paint left out.
    const double turnSeconds = std::chrono::duration<double>(limit - passStart).count();
    TClock::time_point now = start;
    double partCpuStart = ThreadCpuSeconds();
    int appliedStyle = -1;
    size_t shown = 0;
    bool waiting = false;
    while (!state->Pending.Empty() && !waiting) {
        // A piece's worth first, within the limit; then what the budget allows.
        const TClock::time_point end = shown < SliceBytes ? limit : std::min(limit, start + budget);
        const double left = std::chrono::duration<double>(end - now).count();
        // Lines are added while their expected cost fits (a turn adds one
        // line at least, when it has time left at all); a long line that a
        // whole turn could not lay out is cut to what the part can still
        // take, and its piece ends the part.
        TPart part;
        bool whole = true;
        while (whole && !state->Pending.Empty() && part.Bytes < MaxPartBytes &&
               (part.Bytes == 0 || part.Expected < left)) {
            if (part.Bytes == 0 && left <= 0)
                break;
            const size_t want = state->Costs.LineBytesToShow(state->Pending.Front(), left - part.Expected,
                                                             MaxPartBytes - part.Bytes, turnSeconds,
                                                             state->Pending.FrontStartsParagraph());
            // A meeting begins only while the layout this part already holds
            // leaves the turn's meeting time.
            const TClock::time_point until = meetUntil - std::chrono::duration_cast<TClock::duration>(
                                                             std::chrono::duration<double>(part.Expected));
            size_t take = 0;
            if (!MeetFront(view, state, want, until, take, appliedStyle)) {
                waiting = true;
                break;
            }
            whole = state->Pending.PopFront(
                [&](AnsiString text, int style, TPendingKind kind) {
                    const size_t high = HighBytes(text);
                    part.Bytes += text.size() + 1;
                    part.High += high;
                    part.Expected += state->Costs.ExpectedSeconds(text.size() + 1, high);
                    show(std::move(text), style, kind);
                },
                take);
        }
        if (part.Bytes == 0)
            break;
        // Only the new tail is laid out (the result equals a whole layout); a
        // cleared pane is laid out whole. The layout marks for painting what
        // it changed, and scrolling to the end moves what stays. The layout
        // sets the formatting canvas's font as it goes.
        const TClock::time_point partStart = now;
        if (state->WholeLayout)
            view->Format();
        else
            view->FormatTail();
        state->WholeLayout = false;
        appliedStyle = -1;
        now = TClock::now();
        const double cpu = ThreadCpuSeconds();
        state->Costs.Note(part.Bytes, part.High, cpu - partCpuStart,
                          std::chrono::duration<double>(now - partStart).count());
        partCpuStart = cpu;
        shown += part.Bytes;
        if (now >= end)
            break;
    }
    if (shown == 0 && state->WholeLayout) {
        // Cleared, with nothing to show: laid out empty.
        view->Format();
        state->WholeLayout = false;
    } else if (shown == 0) {
        return; // the pass's time is spent: the pane's timer comes back
    }
    // Painted now, without running the event loop inside the poll.
    const double paintCpuStart = ThreadCpuSeconds();
    view->SetVScrollPos(view->GetVScrollMax());
    view->Update();
    state->Costs.NotePaint(ThreadCpuSeconds() - paintCpuStart);
    if (poll) {
        state->PollTurnStart = start;
        state->PollTurnEnd = TClock::now();
    }
}

// Shows a slice of what waits unless the file has more waiting to be read
// and may yet purge it (then now and then during a long burst), and leaves
// the timer to come back for the rest; outside a burst a turn shows pieces
// while Budget lasts (none: one piece).
void ShowPending(TForm1* form, TRollView* view, TPaneDisplayState* state, TClock::duration budget, bool poll)
{
    TTailFile* file = form->Tail ? form->Tail->FindByViewer(view) : nullptr;
    if (!file || state->FileName != file->FileName || state->LineCount != file->LineCount) {
        // Gone or reopened since: what waits belonged to the file before.
        if (file)
            state->Reopened();
        state->Pending.Clear();
        state->ShowTimer->SetEnabled(false);
        return;
    }
    const bool burst = form->PurgeAtLine > 0 && file->MoreWaiting && file->Active && form->Tail->GetActive();
    const TClock::time_point now = TClock::now();
    if (burst && now - state->WaitingSince < ShowAtLeastEvery && !state->Pending.Empty()) {
        state->ShowTimer->SetInterval(LookAgain);
        state->ShowTimer->SetEnabled(true);
        return;
    }
    ShowSlice(view, state, burst ? TClock::duration::zero() : budget, poll);
    state->WaitingSince = now;
    state->ShowTimer->SetInterval(burst ? LookAgain : ShowNextSlice);
    state->ShowTimer->SetEnabled(!state->Pending.Empty());
}

// The length of Text without the start of a UTF-8 character cut off by its
// end: Text's whole length when it ends on a whole character, or on bytes that
// are no UTF-8 lead at all (those stay as they are).
size_t CompleteUtf8Length(const AnsiString& text)
{
    const size_t n = text.size();
    size_t i = n;
    while (i > 0 && n - i < 3 && (static_cast<uint8_t>(text[i - 1]) & 0xC0) == 0x80)
        --i;
    if (i == 0)
        return n;
    const uint8_t lead = static_cast<uint8_t>(text[i - 1]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    return length > n - (i - 1) ? i - 1 : n;
}

// The lines of Text as (start, length): a line ends at a line feed, a
// carriage return or both; a final line end makes no empty last line.
void SplitLines(const AnsiString& text, std::vector<std::pair<size_t, size_t>>& lines)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* p = begin; p < end;) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* stop = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
        const char* lineEnd = cr ? cr : stop;
        lines.emplace_back(static_cast<size_t>(p - begin), static_cast<size_t>(lineEnd - p));
        p = lineEnd;
        if (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
}

// The style of the first of Words (in their order) that occurs in Line; -1
// when none does. Matcher is built for Words.
int SpecialWordStyleIn(const TStringList* words, const TWordMatcher& matcher, std::string_view line)
{
    const int word = matcher.FirstWordIn(line);
    return word == TWordMatcher::NoWord ? -1 : TForm1::SpecialWordStyleNo(words->GetObject(word));
}

// The chunk as shown: the bytes held from the last chunk first (unless the
// file skipped ahead meanwhile, which completes its line), NUL as '?', and the
// start of a character cut off by the end kept for the next chunk.
// LineComplete becomes whether the chunk's first line begins a line.
AnsiString TakeChunk(TPaneDisplayState* state, TTailFile* file, bool& lineComplete)
{
    AnsiString text;
    if (!state->HeldBytes.empty() && !file->LineComplete) {
        text = state->HeldBytes;
        lineComplete = state->HeldLineComplete;
    }
    state->HeldBytes.clear();
    // The record's text is taken over rather than copied.
    if (text.empty())
        text.swap(file->NewText);
    else
        text += file->NewText;
    for (char* p = text.data();
         (p = static_cast<char*>(std::memchr(p, '\0', text.data() + text.size() - p)));)
        *p++ = '?';
    if (GetACP() == CP_UTF8) {
        const size_t whole = CompleteUtf8Length(text);
        if (whole < text.size()) {
            state->HeldBytes = text.substr(whole);
            state->HeldLineComplete = whole == 0 ? lineComplete : text[whole - 1] == '\n';
            text.resize(whole);
        }
    }
    return text;
}

// Clears a pane past its purge line, with what waits to be shown.
void Purge(TRollView* view, TPaneDisplayState* state, TTailFile* file)
{
    const bool held = view->GetLineCount() > 0;
    view->Clear();
    state->Pending.Clear();
    state->WholeLayout = true;
    file->LineCount = 0;
    state->StartNewLine = false;
    // The long texts of the lines let go are given back to the system; short
    // texts, items and draw items stay pooled for the lines that fill the
    // pane again.
    if (held)
        malloc_trim(0);
}

} // namespace

int TForm1::GetSpecialWordStyle(const AnsiString& line) const
{
    return SpecialWordStyleIn(SpecialWords.get(), SpecialWords.Matcher(), line);
}

void TForm1::TailNewText(int index, TTailFile* file)
{
    (void)index;
    // A record whose pane is still being built or already gone shows nothing.
    if (!file || !file->View)
        return;
    TRollView* view = file->View;
    TPaneDisplayState* state = PaneState(this, view, file);
    if (state->FileName != file->FileName || state->LineCount != file->LineCount)
        state->Reopened();

    bool lineComplete = file->LineComplete;
    AnsiString text = TakeChunk(state, file, lineComplete);
    // The lines of the chunk (a final line feed makes no empty last line).
    std::vector<std::pair<size_t, size_t>> lines;
    SplitLines(text, lines);

    // Purging is decided once per piece, before any of its lines is added: a
    // piece is bounded, so the pane holds at most the purge line and one piece.
    // What waits to be shown goes with the pane's lines, never laid out.
    const bool cleared = PurgeAtLine > 0 && file->LineCount > PurgeAtLine;
    if (cleared)
        Purge(view, state, file);
    const bool queued = !state->Pending.Empty();

    // Every line is matched against the special words and counted now; what
    // is shown waits in the pane's queue.
    bool added = false;
    size_t first = 0;
    const std::string_view chunk = state->Pending.BeginChunk(std::move(text), lines.size());
    const TWordMatcher& matcher = SpecialWords.Matcher();
    auto styleOf = [&](size_t i) {
        return SpecialWordStyleIn(SpecialWords.get(), matcher, chunk.substr(lines[i].first, lines[i].second));
    };
    if (!lineComplete && !lines.empty()) {
        // The rest of a line begun in an earlier chunk; not counted again.
        first = 1;
        const int style = styleOf(0);
        if (style > 0 || !ShowOnlySpecialWordLogs) {
            const int styleNo = style > 0 ? style : 0;
            if (!state->StartNewLine) {
                state->Pending.Add(lines[0].first, lines[0].second, styleNo, TPendingKind::Continuation);
                added = true;
            } else if (lines[0].second > 0) {
                state->Pending.Add(lines[0].first, lines[0].second, styleNo, TPendingKind::Paragraph);
                state->StartNewLine = false;
                added = true;
            }
        }
    }
    for (size_t i = first; i < lines.size(); ++i) {
        // Every line counts for the purge, shown or not.
        ++file->LineCount;
        const int style = styleOf(i);
        if (style > 0 || !ShowOnlySpecialWordLogs) {
            // A paragraph of its own (paragraph style 0).
            state->Pending.Add(lines[i].first, lines[i].second, style > 0 ? style : 0,
                               TPendingKind::Paragraph);
            state->StartNewLine = false;
            added = true;
        } else {
            state->StartNewLine = true;
        }
    }
    state->Pending.EndChunk();
    state->FileName = file->FileName;
    state->LineCount = file->LineCount;

    if (!added && !cleared)
        return;
    if (!queued)
        state->WaitingSince = TClock::now();
    // A poll that finds lines waiting from before has spent its turn reading:
    // it shows one piece of them, and the pane's timer the rest.
    ShowPending(this, view, state, queued ? TClock::duration::zero() : TClock::duration(PollTurnBudget),
                true);
    if (!added)
        return;

    // The record is not read after this point: the window's reactions may run
    // handlers of their own.
    AnnounceLogEvent(file->FileName);
}

void TForm1::TailViewScrolled(TObject* sender)
{
    // Only a pane that has text moves: its state is there.
    auto* view = static_cast<TRollView*>(sender);
    // A pane laid out for its new size goes back to the top line it keeps,
    // also when a scroll bar that came meanwhile had it follow its end: the
    // resize decides where it ends up.
    if (!view->RVData->State.Contains(rvstResizing))
        FindPaneState(view)->ShowsEnd = view->VPos() >= view->GetVScrollMax();
}

void TForm1::TailViewResize(TObject* sender)
{
    auto* view = static_cast<TRollView*>(sender);
    TPaneDisplayState* state = FindPaneState(view);
    if (!state)
        return; // never shown text: nothing to keep in view
    // The viewer keeps the top line; a pane that showed its end keeps that
    // instead. One that did not may show it now (made taller).
    if (state->ShowsEnd)
        view->SetVScrollPos(view->GetVScrollMax());
    else
        state->ShowsEnd = view->VPos() >= view->GetVScrollMax();
}

void TForm1::ReformatPane(TRollView* view)
{
    // Laid out afresh, the pane keeps its offset in pixels, which new fonts
    // give to other lines; the layout's own scrolling must not decide.
    const TPaneDisplayState* state = FindPaneState(view);
    const bool showsEnd = state != nullptr && state->ShowsEnd;
    view->Format();
    if (showsEnd)
        view->SetVScrollPos(view->GetVScrollMax());
    view->Repaint();
}

void TForm1::AnnounceLogEvent(const AnsiString& fileName)
{
    if (ShowOnLogEvent) {
        if (!Visible())
            SetCaption("Kelvor:" + fileName);
        TMessage message;
        message.Msg = WM_TRAYNOTIFY;
        message.WParam = static_cast<WPARAM>(TrayIconId);
        message.LParam = WM_LBUTTONDBLCLK;
        TrayIconMessage(message);
    }
    if (BeepOnLogEvent)
        Beep(480, 250);
}

void TForm1::TailFileFailed(int index, TTailFile* file, const AnsiString& reason)
{
    (void)index;
    if (!file)
        return;
    file->Active = false;
    if (file->View) {
        file->View->SetColor(InactivePaneColor);
        DrawFileNameImage(file);
    }
    // The box runs the event loop: the record may go meanwhile.
    const AnsiString fileName = file->FileName;
    MessageBox("Unable to follow the file:\n\n" + ShownFileName(fileName) + "\n\n" + reason +
                   "\n\nThe file is paused: double-click its pane to follow it again.",
               "Error", MB_OK | MB_ICONERROR);
}

void TForm1::TailFileTruncated(int index, TTailFile* file)
{
    (void)index;
    if (!file || !file->View)
        return;
    TRollView* view = file->View;
    // The file starts again from its beginning: a character cut off before is
    // never completed.
    TPaneDisplayState* state = PaneState(this, view, file);
    state->HeldBytes.clear();
    if (!state->Pending.Empty()) {
        // The break goes after the lines that wait.
        state->Pending.AddBreak();
        ShowPending(this, view, state, TClock::duration::zero(), true);
        return;
    }
    view->AddBreak();
    view->FormatTail();
    view->Invalidate();
}
