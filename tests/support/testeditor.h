// A headless editor for the editing and table tests: an editor control on a
// shown form of the offscreen platform, measuring text on the recording
// canvas's fixed metrics (7 px a character, ascent 10, descent 3), with the
// focus, and beeps and the clipboard going to scripted UI services.
#pragma once

#include <functional>

#include "edit/rollviewedit.h"
#include "platform/controls/forms.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/support/scriptedui.h"

// The editor with its measuring canvas fixed and its protected handlers reachable.
class TTestRollViewEdit : public TRollViewEdit {
public:
    explicit TTestRollViewEdit(TComponent* owner, TRollViewRVDataClass dataClass = nullptr)
        : TRollViewEdit(owner, dataClass)
    {}
    TCanvas* GetFormattingCanvas() override { return &Measure; }
    using TCustomRollView::MouseDown;
    using TCustomRollView::MouseMove;
    using TCustomRollView::MouseUp;

    TRecordingCanvas Measure{1000, 1000, 96};
};

class THeadlessEditor {
public:
    THeadlessEditor()
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 600, 400);
        Other = new TCustomControl(Form);
        Other->SetTabStop(true);
        Other->SetBounds(0, 360, 50, 20);
        Other->SetParent(Form);
        Form->Show();
    }
    ~THeadlessEditor() { Form->Free(); }
    THeadlessEditor(const THeadlessEditor&) = delete;
    THeadlessEditor& operator=(const THeadlessEditor&) = delete;

    // A new empty editor on Style, 300 x 200 pixels of client area, focused
    // (the previous one goes), its data made by DataClass when given.
    // Returns its document data.
    TRVEditRVData* NewEditor(TRVStyle* style, TRollViewRVDataClass dataClass = nullptr)
    {
        if (Edit != nullptr)
            delete Edit;
        Edit = new TTestRollViewEdit(Form, dataClass);
        Edit->SetBorderStyle(bsNone);
        Edit->SetStyle(style);
        Edit->SetParent(Form);
        Edit->OnCaretMove = [this](TObject*) { ++CaretMoves; };
        SetClientSize(300, 200);
        Edit->SetFocus();
        // Focus gives an empty editor its first line: the tests start empty.
        Edit->Clear();
        return Edit->EditRVData();
    }

    // Sizes the editor so that its client area is Width x Height (the bars
    // it shows taken into account).
    void SetClientSize(int width, int height)
    {
        for (int i = 0; i < 3; ++i) {
            const int w = Edit->Width() + width - Edit->ClientWidth();
            const int h = Edit->Height() + height - Edit->ClientHeight();
            Edit->SetBounds(0, 0, w, h);
            if (Edit->ClientWidth() == width && Edit->ClientHeight() == height)
                return;
        }
    }
    // The focus goes to another control of the form, or comes back.
    void SetFocused(bool value)
    {
        if (value)
            Edit->SetFocus();
        else
            Other->SetFocus();
    }
    int Beeps() const { return static_cast<int>(UI.CallsOf(TUICallKind::MessageBeep).size()); }

    TScriptedUI UI;
    TForm* Form = nullptr;
    TCustomControl* Other = nullptr;
    TTestRollViewEdit* Edit = nullptr;
    int CaretMoves = 0;
};
