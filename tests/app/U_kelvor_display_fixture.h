// The display tests' fixture: a window made on settings of two special words
// with one pane, fed chunks as the monitor hands them (LineComplete changing
// after the call), and the pane's items as shown.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "document/rvstyle.h"
#include "platform/graphics/canvas.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/scriptedui.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

// ERROR is style 1 (red), WARN style 2 (green).
inline const char* const DisplaySettings = "[Options]\nPurgeAtLine=0\nWidth=400\nHeight=300\n"
                                           "[SpecialWords]\nSpecialWord1=ERROR\nSpecialColor1=255\n"
                                           "SpecialWord2=WARN\nSpecialColor2=$FF00\n";

struct TShownItem {
    std::string Text;
    int Style;
    bool ParaStart;
    bool operator==(const TShownItem& o) const
    {
        return Text == o.Text && Style == o.Style && ParaStart == o.ParaStart;
    }
};

inline std::ostream& operator<<(std::ostream& os, const TShownItem& i)
{
    return os << "{\"" << i.Text << "\", " << i.Style << (i.ParaStart ? ", para" : ", cont") << "}";
}

class KelvorDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir.Write("k.ini", DisplaySettings);
        SetCommandLine({Dir.File("kelvor"), Dir.File("k.ini")});
        Form = new TForm1(nullptr);
        Form->AfterConstruction();
        Form->Show();
        File = Form->OpenTailFile(Dir.Write("a.log", ""));
        ASSERT_NE(File, nullptr);
        File->LineComplete = true;
        View = File->View;
    }
    void TearDown() override
    {
        Form->Free();
        SetCommandLine({});
    }

    // One poll's delivery of Text, as the monitor makes it: the pane shows
    // what one turn may show, its timer the rest.
    void FeedOnce(const std::string& Text, TTailFile* To = nullptr)
    {
        TTailFile* file = To ? To : File;
        file->NewText = Text;
        Form->TailNewText(0, file);
        if (!Text.empty())
            file->LineComplete = Text.back() == '\n';
    }
    // One poll's delivery of Text, then the events until the panes show it all.
    void Feed(const std::string& Text, TTailFile* To = nullptr)
    {
        FeedOnce(Text, To);
        ASSERT_TRUE(WaitUntilPanesShowAll(Form)) << "lines still wait to be shown";
    }

    std::vector<TShownItem> Shown() const
    {
        std::vector<TShownItem> items;
        for (int i = 0; i < View->GetLineCount(); ++i)
            items.push_back({View->GetItemText(i), View->GetItemStyle(i), View->IsParaStart(i)});
        return items;
    }

    TScriptedUI UI;
    TempDir Dir;
    TForm1* Form = nullptr;
    TTailFile* File = nullptr;
    TRollView* View = nullptr;
};

using TItems = std::vector<TShownItem>;

// Has the pane's fonts meet the characters of the lines of Text, each line
// alone as the display meets it before it lays it out (a line may begin with
// a mark that the line before would not hold).
inline void MeetCharactersOf(TRollView* pane, const std::string& text)
{
    TCanvas* canvas = pane->GetFormattingCanvas();
    pane->Style()->TextStyles()->Items(0)->Apply(canvas, rvbdUnspecified);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        canvas->MeetCharactersA(text.data() + start, static_cast<int>(end - start), [] { return false; });
        start = end + 1;
    }
}
