// The display of new text: the file monitor's two callbacks turn a chunk of a
// watched file into lines of its pane, each in the colour of its first special
// word, and mark a file that became shorter with a break line.
#include "app/U_kelvor.h"

#include <malloc.h>

#include <cstdint>

#include "platform/controls/dialogs.h"
#include "platform/core/codepages.h"
#include "view/rollview.h"

namespace {

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
};

// The pane's state, made for File the first time the pane is shown text.
TPaneDisplayState* PaneState(TRollView* view, const TTailFile* file)
{
    for (int i = 0; i < view->ComponentCount(); ++i)
        if (auto* state = dynamic_cast<TPaneDisplayState*>(view->Components(i)))
            return state;
    auto* state = new TPaneDisplayState(view);
    state->FileName = file->FileName;
    state->LineCount = file->LineCount;
    return state;
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

} // namespace

int TForm1::GetSpecialWordStyle(const AnsiString& line) const
{
    if (!SpecialWords)
        return -1;
    for (int i = 0; i < SpecialWords->Count(); ++i) {
        const AnsiString& word = (*SpecialWords)[i];
        if (!word.empty() && line.find(word) != AnsiString::npos)
            return SpecialWordStyleNo(SpecialWords->GetObject(i));
    }
    return -1;
}

void TForm1::TailNewText(int index, TTailFile* file)
{
    (void)index;
    // A record whose pane is still being built or already gone shows nothing.
    if (!file || !file->View || !LineSplitter)
        return;
    TRollView* view = file->View;
    TPaneDisplayState* state = PaneState(view, file);
    if (state->FileName != file->FileName || state->LineCount != file->LineCount) {
        state->StartNewLine = true;
        state->HeldBytes.clear();
    }

    // The chunk as shown: the bytes held from the last chunk first (unless the
    // file skipped ahead meanwhile, which completes its line), NUL as '?', and
    // the start of a character cut off by the end kept for the next chunk.
    bool lineComplete = file->LineComplete;
    AnsiString text;
    if (!state->HeldBytes.empty() && !file->LineComplete) {
        text = state->HeldBytes;
        lineComplete = state->HeldLineComplete;
    }
    state->HeldBytes.clear();
    text += file->NewText;
    for (char& c : text)
        if (c == '\0')
            c = '?';
    if (GetACP() == CP_UTF8) {
        const size_t whole = CompleteUtf8Length(text);
        if (whole < text.size()) {
            state->HeldBytes = text.substr(whole);
            state->HeldLineComplete = whole == 0 ? lineComplete : text[whole - 1] == '\n';
            text.resize(whole);
        }
    }
    LineSplitter->SetText(text);

    // Purging is decided once per piece, before any of its lines is added: a
    // piece is bounded, so the pane holds at most the purge line and one piece.
    bool cleared = false;
    if (PurgeAtLine > 0 && file->LineCount > PurgeAtLine) {
        view->Clear();
        file->LineCount = 0;
        state->StartNewLine = false;
        cleared = true;
        // The lines let go are given back to the system, not kept for good.
        malloc_trim(0);
    }

    bool added = false;
    int first = 0;
    if (!lineComplete && LineSplitter->Count() > 0) {
        // The rest of a line begun in an earlier chunk; not counted again.
        first = 1;
        const AnsiString& piece = (*LineSplitter)[0];
        const int style = GetSpecialWordStyle(piece);
        if (style > 0 || !ShowOnlySpecialWordLogs) {
            const int styleNo = style > 0 ? style : 0;
            if (!state->StartNewLine) {
                view->AddTextNL(piece, styleNo, -1, 0);
                added = true;
            } else if (!piece.empty()) {
                view->AddTextNL(piece, styleNo, 0, 0);
                state->StartNewLine = false;
                added = true;
            }
        }
    }
    for (int i = first; i < LineSplitter->Count(); ++i) {
        // Every line counts for the purge, shown or not.
        ++file->LineCount;
        const AnsiString& line = (*LineSplitter)[i];
        const int style = GetSpecialWordStyle(line);
        if (style > 0 || !ShowOnlySpecialWordLogs) {
            // A paragraph of its own (paragraph style 0).
            view->AddTextNL(line, style > 0 ? style : 0, 0, 0);
            state->StartNewLine = false;
            added = true;
        } else {
            state->StartNewLine = true;
        }
    }
    state->FileName = file->FileName;
    state->LineCount = file->LineCount;
    LineSplitter->Clear();

    if (!added && !cleared)
        return;
    // Only the new tail is laid out (the result equals a whole layout); a
    // cleared pane holds no more than this chunk. The layout marks for
    // painting what it changed, and scrolling to the end moves what stays.
    if (cleared)
        view->Format();
    else
        view->FormatTail();
    view->SetVScrollPos(view->GetVScrollMax());
    // Painted now, without running the event loop inside the poll.
    view->Update();
    if (!added)
        return;

    // The record is not read after this point: the window's reactions may run
    // handlers of their own.
    const AnsiString fileName = file->FileName;
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
    PaneState(view, file)->HeldBytes.clear();
    view->AddBreak();
    view->FormatTail();
    view->Invalidate();
}
