// Sticking text: nothing goes between two items whose style sticks, before a
// sticking first item or after a sticking last one. A refused insertion changes
// nothing and beeps; asking whether items stick, or which list records, is no
// edit and makes no sound.
#include <gtest/gtest.h>

#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class Sticking : public TEditFixture {
protected:
    Sticking()
    {
        Sticky = AddText([](TFontInfo* f) { f->SetProtection(TRVProtectOptions{rvprSticking}); });
        Edit()->OnChange = [this](TObject*) { ++Changes; };
    }
    // "ab" and "cd" on one line, each in the given style.
    void TwoItems(int firstStyle, int secondStyle)
    {
        AddText("ab", firstStyle);
        d->AddNL("cd", secondStyle, -1);
        d->FormatAll();
    }
    bool InsertPicture()
    {
        bool inserted = false;
        Run("InsertSomething", [&] {
            d->BeginUndoSequence(rvutInsert, true);
            TCustomRVItemInfo* item = NewPicture();
            AnsiString name;
            inserted = d->InsertSomething(item, name, true, false);
            d->Change();
        });
        return inserted;
    }
    bool InsertTwoParagraphs()
    {
        const AnsiString rvf = RVFOf([](TRVEditRVData& data) {
            data.AddNL("x", 0, 0);
            data.AddNL("y", 0, 0);
        });
        bool inserted = false;
        Run("InsertRVFFromStreamEd_", [&] {
            TStringStream stream(rvf);
            inserted = d->InsertRVFFromStreamEd_(stream);
        });
        return inserted;
    }

    int Sticky = 0;
    int Changes = 0;
};

TEST_F(Sticking, InsertionBetweenStickingItemsIsRefusedWithABeep)
{
    struct Case {
        const char* Name;
        int ItemNo;
        int Offs;
        bool Picture; // else a document of two paragraphs
    };
    const Case cases[] = {
        {"picture after the first", 0, 3, true},
        {"picture before the second", 1, 1, true},
        {"document after the first", 0, 3, false},
        {"document before the second", 1, 1, false},
    };
    TwoItems(Sticky, Sticky);
    const AnsiString before = editinvariant::SaveRVF(*d);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Caret(c.ItemNo, c.Offs);
        const int beeps = Editor.Beeps();
        EXPECT_FALSE(c.Picture ? InsertPicture() : InsertTwoParagraphs());
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
        // One beep for the sticking neighbours, one for the refused command.
        EXPECT_EQ(Editor.Beeps(), beeps + 2);
        EXPECT_EQ(Changes, 0);
    }
}

TEST_F(Sticking, OneStickingNeighbourTakesInsertionsSilently)
{
    TwoItems(Sticky, 0);
    Caret(0, 3);
    EXPECT_TRUE(InsertPicture());
    EXPECT_EQ(d->GetItemCount(), 3);
    EXPECT_EQ(Editor.Beeps(), 0);
    EXPECT_GT(Changes, 0);
}

TEST_F(Sticking, QueriesMakeNoSoundAndNoEdit)
{
    TwoItems(Sticky, Sticky);
    EXPECT_TRUE(d->IsSticking(-1));
    EXPECT_TRUE(d->IsSticking(0));
    EXPECT_TRUE(d->IsSticking(1));
    EXPECT_EQ(Editor.Beeps(), 0);

    d->BeginUndoSequence(rvutInsert, true);
    EXPECT_NE(d->GetUndoList(), nullptr);
    d->Change();
    EXPECT_EQ(Changes, 0) << "asking which list records is no step";
    d->BeginUndoSequence(rvutInsert, true);
    d->NoteEditAndGetUndoList();
    d->Change();
    EXPECT_EQ(Changes, 1);
}

} // namespace
