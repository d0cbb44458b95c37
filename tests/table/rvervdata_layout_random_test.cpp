// Seeded random editing of documents with list markers, tables (pixel,
// percentage and automatic widths), centred and plain pictures, rules and
// text, mixed with resizes of the editor to sizes where the scroll bars come
// and go: after every step the editing invariant holds (undo and redo give
// back the documents, the incremental layout equals a full one), the layout
// shown equals a fresh layout of the same document in another editor whose
// client area is as wide as this one's, and a full layout settles at once.
// A failing seed is printed; KELVOR_LAYOUT_SEEDS sets how many run and
// KELVOR_LAYOUT_SEED the first.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "platform/controls/winapi.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/tablegrid.h"
#include "tests/support/testeditdata.h"

namespace {

class LayoutRandomEditing : public TEditFixture {
protected:
    LayoutRandomEditing()
    {
        RV_RegisterTableItem();
        Centred = AddPara([](TParaInfo* p) { p->SetAlignment(rvaCenter); });
        Right = AddPara([](TParaInfo* p) { p->SetAlignment(rvaRight); });
        TRVListLevel* Level = Style.ListStyles()->Add()->Levels()->Add();
        Level->SetListType(rvlstBullet);
        Level->SetLeftIndent(40);
        Level->SetFirstIndent(-20);
        // Another editor, without bars, for the fresh layouts.
        FreshEdit = Fresh.NewEditor(&Style);
        Fresh.Edit->SetVScrollVisible(false);
        Fresh.Edit->SetHScrollVisible(false);
    }

    std::mt19937 Rng;
    int Pick(int n) { return static_cast<int>(Rng() % static_cast<unsigned>(n)); }
    int ParaNo()
    {
        const int All[] = {0, Indented, Centred, Right, Centred};
        return All[Pick(5)];
    }

    AnsiString Words(int Count)
    {
        static const char* const Pool[] = {"abc", "def", "log", "line", "x", "wrapping", "q.", "error"};
        AnsiString s;
        for (int i = 0; i < Count; ++i)
            s += (i ? " " : "") + AnsiString(Pool[Pick(8)]);
        return s;
    }

    TCustomRVItemInfo* NewRandomPicture() { return NewPicture(10 + Pick(240), 8 + Pick(120)); }

    // A table of up to 3 x 3 cells holding words, its cells' widths pixels,
    // percentages (together up to far more than 100 %) or automatic.
    TRVTableItemInfo* NewTable(TCustomRVData* Owner)
    {
        const int Rows = 1 + Pick(3);
        const int Cols = 1 + Pick(3);
        auto* Table = new TRVTableItemInfo(Rows, Cols, Owner);
        for (int r = 0; r < Rows; ++r)
            for (int c = 0; c < Cols; ++c) {
                TRVTableCellData* Cell = Table->GetCells(r, c);
                Cell->Clear();
                Cell->AddNL(Words(Pick(12)), 0, 0);
                const int Kind = Pick(4);
                Cell->BestWidth = Kind == 0 ? 20 + Pick(150) : Kind == 1 ? -(10 + Pick(90)) : 0;
            }
        if (Pick(3) == 0)
            Table->BestWidth = -(20 + Pick(100));
        return Table;
    }

    void BuildDocument()
    {
        const int Paras = 1 + Pick(7);
        for (int p = 0; p < Paras; ++p) {
            const int Para = ParaNo();
            switch (Pick(8)) {
            case 0:
                AddNumbered(Words(1 + Pick(8)), Para);
                break;
            case 1:
                d->SetListMarkerInfo(-1, 1, 0, 1, Para, false);
                d->AddNL(Words(1 + Pick(10)), 0, -1);
                break;
            case 2:
            case 3: {
                TCustomRVItemInfo* Item = NewRandomPicture();
                Item->ParaNo = Para;
                d->AddItem(AnsiString(), Item);
                if (Pick(2) == 0) {
                    Item = NewRandomPicture();
                    Item->ParaNo = Para;
                    Item->SetSameAsPrev(true);
                    d->AddItem(AnsiString(), Item);
                }
                break;
            }
            case 4:
                d->AddItem(AnsiString(), NewTable(d));
                break;
            case 5:
                d->AddBreak();
                break;
            default:
                AddText(Words(Pick(16)), 0, Para);
                break;
            }
        }
        d->FormatAll();
    }

    // The editor's outer size: from narrow to wide or a little wider than the
    // document's minimum width (where tables change most); from short to
    // tall, or about between the document's heights at that width with and
    // without the vertical bar (in the bar's units), so that the bars come
    // and go.
    void Resize()
    {
        const int Width = Pick(2) ? 60 + Pick(440) : d->DocumentMinWidth + Pick(50);
        int Height = 40 + Pick(300);
        if (Pick(2)) {
            const int Step = Edit()->VSmallStep();
            const int Wide = (FreshHeight(Width) + Step - 1) / Step * Step;
            const int Narrow = (FreshHeight(Width - GetSystemMetrics(SM_CXVSCROLL)) + Step - 1) / Step * Step;
            Height = std::min(Wide, Narrow) - 5 + Pick(std::abs(Wide - Narrow) + Step + 10);
        }
        Edit()->SetBounds(0, 0, Width, std::max(Height, 20));
    }

    // The document laid out afresh in the other editor, Width wide.
    void LayOutAfresh(int Width, int Height)
    {
        TStringStream Stream;
        d->SaveRVFToStream(Stream, false, clWindow, nullptr, nullptr);
        Stream.SetPosition(0);
        Fresh.Edit->SetBounds(0, 0, Width, Height);
        Fresh.Edit->Clear();
        ASSERT_TRUE(Fresh.Edit->LoadRVFFromStream(&Stream));
        Fresh.Edit->Format();
    }
    int FreshHeight(int Width)
    {
        LayOutAfresh(Width, 100);
        return FreshEdit->DocumentHeight;
    }

    std::string Step()
    {
        using namespace editcommands;
        switch (Pick(20)) {
        case 0:
        case 1:
            TypeChar(*d, static_cast<unsigned>("ab c"[Pick(4)]));
            return "type";
        case 2:
            d->OnEnterPress_(false);
            return "enter";
        case 3:
            d->OnDeletePress_(false, false);
            return "delete";
        case 4:
            d->OnBackSpacePress_(false, false, false);
            return "backspace";
        case 5:
            InsertItem(*d, NewRandomPicture());
            return "picture";
        case 6:
            InsertItem(*d, NewTable(d));
            return "table";
        case 7:
            InsertItem(*d, new TRVBreakItemInfo(d, 1, rvbsLine, clNone));
            return "break";
        case 8:
            Edit()->ApplyListStyle(Pick(2), 0, 1 + Pick(3), Pick(2) == 0, false);
            return "list";
        case 9:
            Edit()->RemoveLists(false);
            return "remove list";
        case 10:
            Edit()->ApplyParaStyle(ParaNo());
            return "paragraph style";
        case 11:
            InsertChars(*d, Words(1 + Pick(6)) + " ");
            return "insert text";
        case 12: {
            const int a = Pick(d->GetItemCount());
            const int b = a + Pick(std::min(3, d->GetItemCount() - a));
            DeleteRange(*d, a, d->GetOffsBeforeItem(a), b, d->GetOffsAfterItem(b));
            return "delete items";
        }
        case 13:
        case 14:
        case 15:
            Resize();
            return "resize";
        case 16:
            Edit()->Format();
            return "format";
        default: {
            const int i = Pick(d->GetItemCount());
            Caret(i, d->GetOffsBeforeItem(i) + Pick(d->GetOffsAfterItem(i) - d->GetOffsBeforeItem(i) + 1));
            return "place caret";
        }
        }
    }

    // The root's draw items and height, and every table's layout.
    std::string LayoutText(TRVEditRVData& Data)
    {
        std::string s = editinvariant::Describe(editinvariant::LayoutOf(Data));
        for (int i = 0; i < Data.GetItemCount(); ++i)
            if (auto* Table = dynamic_cast<TRVTableItemInfo*>(Data.GetItem(i)))
                s += tablegrid::LayoutOf(Data, *Table);
        return s;
    }

    // The layout shown equals a fresh one of the same document at the width
    // of the client area in use.
    void CheckAgainstFresh(const std::string& Where)
    {
        SCOPED_TRACE(Where);
        const int Width = Edit()->ClientWidth();
        const int Height = Edit()->ClientHeight();
        const std::string Shown = LayoutText(*d);
        LayOutAfresh(Width, Height);
        ASSERT_EQ(Fresh.Edit->ClientWidth(), Width);
        EXPECT_EQ(Shown, LayoutText(*FreshEdit)) << "client " << Width << "x" << Height;
    }

    // A full layout (the caret kept) settles at once: it equals a fresh one at
    // the width it leaves, and a second one changes neither the bars nor the
    // layout. (A vertical bar kept through edits for a document that needed
    // it only without it may go.)
    void CheckSettling(const std::string& Where)
    {
        CheckAgainstFresh(Where);
        d->Format_(true, true, true, 0, nullptr, false, false);
        const int Width = Edit()->ClientWidth();
        const int Height = Edit()->ClientHeight();
        const std::string Settled = LayoutText(*d);
        CheckAgainstFresh(Where + ", laid out in full");
        d->Format_(true, true, true, 0, nullptr, false, false);
        EXPECT_EQ(Edit()->ClientWidth(), Width) << Where << ": a second full layout moves the bars";
        EXPECT_EQ(Edit()->ClientHeight(), Height) << Where << ": a second full layout moves the bars";
        EXPECT_EQ(LayoutText(*d), Settled) << Where << ": a second full layout changes the layout";
    }

    void Dump()
    {
        for (int i = 0; i < d->GetItemCount(); ++i)
            std::fprintf(stderr, "%d: style %d para %d sap %d [%s]\n", i, d->GetItemStyle(i),
                         d->GetItemPara(i), d->GetItem(i)->GetSameAsPrev(), Text(i).c_str());
        std::fprintf(stderr, "editor %dx%d, client %dx%d, caret %d:%d\n", Edit()->Width(), Edit()->Height(),
                     Edit()->ClientWidth(), Edit()->ClientHeight(), d->GetCurItemNo(),
                     d->GetOffsetInCurItem());
        std::fprintf(stderr, "cur para %d\n", d->CurParaStyleNo);
    }

    int Centred = 0;
    int Right = 0;
    THeadlessEditor Fresh;
    TRVEditRVData* FreshEdit = nullptr;
};

TEST_F(LayoutRandomEditing, EveryLayoutIsAFreshOneAtTheClientWidthInUse)
{
    int Seeds = 30;
    if (const char* e = std::getenv("KELVOR_LAYOUT_SEEDS"))
        Seeds = std::atoi(e);
    int FirstSeed = 0;
    if (const char* e = std::getenv("KELVOR_LAYOUT_SEED"))
        FirstSeed = std::atoi(e);
    for (int Seed = FirstSeed; Seed < FirstSeed + Seeds; ++Seed) {
        d = Editor.NewEditor(&Style);
        Rng.seed(static_cast<unsigned>(Seed));
        Resize();
        BuildDocument();
        const std::string Name = "seed " + std::to_string(Seed);
        CheckSettling(Name + " document");
        for (int n = 0; n < 30 && !HasFailure(); ++n) {
            std::string Label;
            const std::string Where = Name + " step " + std::to_string(n);
            if (std::getenv("KELVOR_LAYOUT_TRACE"))
                Dump();
            try {
                editinvariant::Run(
                    *d, Where, [&] { Label = Step(); },
                    [&](const std::string& When) { CheckSettling(When); });
            } catch (const std::exception& e) {
                ADD_FAILURE() << "exception " << e.what();
            }
            if (HasFailure()) {
                Dump();
                ADD_FAILURE() << "last command: " << Label << "; replay with KELVOR_LAYOUT_SEED=" << Seed
                              << " KELVOR_LAYOUT_SEEDS=1";
            }
        }
        if (HasFailure())
            return;
    }
}

} // namespace
