// Buttons, edit boxes and memos over the toolkit's widgets: each widget fills
// its control's client area, shows what the control holds, and what the user
// types or clicks there reaches the control (text, lines, OnChange, OnClick).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include "platform/controls/controls_qt.h"
#include "platform/controls/extctrls_panel.h"
#include "platform/controls/forms.h"
#include "platform/controls/stdctrls.h"
#include "platform/core/stringlist.h"

namespace {

template <class W> W* WidgetOf(TWinControl* control)
{
    QWidget* client = ClientWidgetOf(control);
    return client ? client->findChild<W*>() : nullptr;
}

class StdControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 400, 300);
        Panel = new TPanel(Form);
        Panel->SetParent(Form);
        Panel->SetBounds(0, 0, 400, 300);
        Button = new TButton(Form);
        Button->SetParent(Panel);
        Button->SetBounds(10, 10, 80, 25);
        Edit = new TEdit(Form);
        Edit->SetParent(Panel);
        Edit->SetBounds(10, 50, 120, 21);
        Memo = new TMemo(Form);
        Memo->SetParent(Panel);
        Memo->SetBounds(10, 90, 200, 100);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    TForm* Form = nullptr;
    TPanel* Panel = nullptr;
    TButton* Button = nullptr;
    TEdit* Edit = nullptr;
    TMemo* Memo = nullptr;
};

TEST_F(StdControlsTest, AButtonShowsItsCaptionAndItsClickIsTheControls)
{
    auto* Widget = WidgetOf<QPushButton>(Button);
    ASSERT_NE(Widget, nullptr);
    int Clicks = 0;
    Button->OnClick = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Button);
        ++Clicks;
    };
    Button->SetCaption("&Go");
    EXPECT_EQ(Widget->text(), QString("&Go"));
    Widget->click();
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Widget->size(), QSize(Button->ClientWidth(), Button->ClientHeight()));
    Button->SetBounds(10, 10, 120, 30);
    EXPECT_EQ(Widget->size(), QSize(120, 30));
}

TEST_F(StdControlsTest, AnEditBoxAndItsWidgetFollowEachOther)
{
    auto* Widget = WidgetOf<QLineEdit>(Edit);
    ASSERT_NE(Widget, nullptr);
    int Changes = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    Edit->SetText("caf\xC3\xA9");
    EXPECT_EQ(Widget->text(), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(Changes, 1);
    Widget->setText(QString::fromUtf8("typed \xE2\x9C\x93"));
    EXPECT_EQ(Edit->Text(), "typed \xE2\x9C\x93");
    EXPECT_EQ(Changes, 2);
    EXPECT_TRUE(Widget->hasFrame());
    Edit->SetBorderStyle(bsNone);
    EXPECT_FALSE(Widget->hasFrame());
}

TEST_F(StdControlsTest, AMemosLinesAndItsWidgetFollowEachOther)
{
    auto* Widget = WidgetOf<QTextEdit>(Memo);
    ASSERT_NE(Widget, nullptr);
    int Changes = 0;
    Memo->OnChange = [&](TObject*) { ++Changes; };
    Memo->Lines()->Add("one");
    Memo->Lines()->Add("two");
    EXPECT_EQ(Widget->toPlainText(), QString("one\ntwo"));
    EXPECT_EQ(Changes, 2);
    Memo->SetAlignment(taRightJustify);
    EXPECT_EQ(Widget->document()->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    Widget->setPlainText("x\ny\nz");
    ASSERT_EQ(Memo->Lines()->Count(), 3);
    EXPECT_EQ(Memo->Lines()->Get(2), "z");
    EXPECT_GE(Changes, 3);
}

TEST_F(StdControlsTest, AControlFreedBeforeItsWidgetLeavesNoCallBack)
{
    QPointer<QLineEdit> Widget = WidgetOf<QLineEdit>(Edit);
    ASSERT_FALSE(Widget.isNull());
    delete Edit;
    // The toolkit may delete the window's widgets later: until then a change
    // there reaches no control.
    if (Widget)
        Widget->setText("after");
    Memo->Lines()->Add("still here");
    EXPECT_EQ(WidgetOf<QTextEdit>(Memo)->toPlainText(), QString("still here"));
}

} // namespace
