// The headless editor the editing benches measure: a shown editor on a form
// of the offscreen platform with a style sheet of its own, measuring text on
// the recording canvas as the tests' editor does, and a document of log lines
// to work on.
#pragma once

#include <string>

#include "document/rvstyle.h"
#include "edit/rvervdata.h"
#include "platform/controls/forms.h"
#include "tests/support/testeditor.h"

struct TBenchEditor {
    TRVStyle Style{nullptr};
    TForm* Form = nullptr;
    TTestRollViewEdit* Edit = nullptr;
    TRVEditRVData* Data = nullptr;

    // An empty editor 600 pixels wide and EditHeight high on a 640 x 480 form.
    explicit TBenchEditor(int EditHeight = 400)
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 640, 480);
        Edit = new TTestRollViewEdit(Form);
        Edit->SetBounds(0, 0, 600, EditHeight);
        Edit->SetStyle(&Style);
        Edit->SetParent(Form);
        Form->Show();
        Data = Edit->EditRVData();
    }
    ~TBenchEditor() { Form->Free(); }
    TBenchEditor(const TBenchEditor&) = delete;
    TBenchEditor& operator=(const TBenchEditor&) = delete;

    // Appends Count paragraphs, each a log line of its own, not laid out.
    void AddLogLines(int Count)
    {
        for (int i = 0; i < Count; ++i)
            Data->AddNL("2024-05-01 12:00:00 INFO request " + std::to_string(i) + " handled", 0, 0);
    }
};
