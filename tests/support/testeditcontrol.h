// A shown editor control on a form, for the tests of the editor control: a
// style sheet with an 8-bit text style 0 and a Unicode text style Uni, one
// paragraph of text, the caret at its end and the focus on the editor; keys
// and characters arrive as the toolkit's own events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/core/codepages.h"
#include "tests/support/editinvariant.h"
#include "tests/support/scriptedui.h"

class TEditControlFixture {
public:
    TEditControlFixture()
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 500, 300);
        Style = new TRVStyle(Form);
        Style->TextStyles()->Add()->SetUnicode(true);
        Uni = Style->TextStyles()->Count() - 1;
        Edit = new TRollViewEdit(Form);
        Edit->SetBounds(0, 0, 400, 200);
        Edit->SetStyle(Style);
        Edit->SetParent(Form);
        Edit->OnChange = [this](TObject*) { ++Changes; };
        Form->Show();
        Edit->SetFocus();
    }
    ~TEditControlFixture() { Form->Free(); }
    TEditControlFixture(const TEditControlFixture&) = delete;
    TEditControlFixture& operator=(const TEditControlFixture&) = delete;

    int Beeps() const { return static_cast<int>(UI.CallsOf(TUICallKind::MessageBeep).size()); }
    TRVEditRVData& Data() { return *Edit->EditRVData(); }

    // One paragraph of Text in text style StyleNo (UTF-8 for the Unicode
    // style), laid out, the caret at its end, nothing to undo.
    void Load(const AnsiString& text, int styleNo = 0)
    {
        Edit->Clear();
        if (Style->TextStyles()->Items(styleNo)->Unicode())
            Data().AddNLWTag(Wide(text), styleNo, 0, TRVTag());
        else
            Data().AddNL(text, styleNo, 0);
        Edit->Format();
        Data().SetCaretAtItem(0, Data().GetOffsAfterItem(0), false);
        Data().ClearUndo();
        Changes = 0;
    }

    static WideString Wide(const AnsiString& utf8) { return Utf8Decode(utf8); }

    // The document's text: paragraphs joined by '|', Unicode items as UTF-8.
    AnsiString Text()
    {
        AnsiString out;
        for (int i = 0; i < Data().GetItemCount(); ++i) {
            if (i > 0 && Data().IsParaStart(i))
                out += '|';
            if (Data().GetItemStyle(i) < 0)
                continue;
            if (!Data().GetItemOptions(i).Contains(rvioUnicode)) {
                out += Data().GetItemText(i);
                continue;
            }
            out += UTF8Encode(RVU_RawUnicodeToWideString(Data().GetItemText(i)));
        }
        return out;
    }
    AnsiString RVF() { return editinvariant::SaveRVF(Data()); }
    void Check(const std::string& where) { editinvariant::CheckState(Data(), where); }

    // The key's down and up, with what a US keyboard types for it.
    void Key(WORD key, TShiftState shift = TShiftState()) { SimulateKey(Edit, key, shift); }
    // Text typed as key presses that type it (no virtual key).
    void Type(const AnsiString& utf8)
    {
        for (WideChar unit : Wide(utf8))
            SimulateKeyDown(Edit, 0, TShiftState(), WideString(1, unit));
    }

    // Beeps and the clipboard land here.
    TScriptedUI UI;
    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollViewEdit* Edit = nullptr;
    // The Unicode text style (the style sheet's own styles come before it).
    int Uni = 0;
    int Changes = 0;
};
