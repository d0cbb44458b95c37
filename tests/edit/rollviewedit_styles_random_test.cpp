// Seeded random sequences of style, list and page-break commands over random
// selections, mixed with the keys that add and remove paragraphs and list
// markers: after every command the editing invariant holds. A failing seed is
// printed; KELVOR_STYLE_SEEDS sets how many run, KELVOR_STYLE_SEED the first.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class RandomStyles : public TEditFixture {
protected:
    RandomStyles()
    {
        Bold = AddText([](TFontInfo* f) { f->SetStyle(TFontStyles{fsBold}); });
        // Numbers without room of their own, in two levels: their widths change as they count.
        TRVListInfo* list = Style.ListStyles()->Add();
        for (int i = 0; i < 2; ++i) {
            TRVListLevel* level = list->Levels()->Add();
            level->SetListType(i == 0 ? rvlstDecimal : rvlstLowerRoman);
            level->SetFormatString("%" + std::to_string(i) + ":s)");
        }
        Narrow = Style.ListStyles()->Count() - 1;
    }
    std::mt19937 Rng;
    int Bold = 0;
    int Narrow = 0;
    int Pick(int n) { return static_cast<int>(Rng() % static_cast<unsigned>(n)); }

    void BuildDocument()
    {
        static const char* const words[] = {"ab", "cd ef", "g", "hij klm", "no"};
        const int paras = 2 + Pick(12);
        for (int p = 0; p < paras; ++p) {
            const int styles[] = {0, Uni, Bold};
            if (Pick(3) == 0) {
                d->SetListMarkerInfo(-1, Pick(2) ? Narrow : 0, Pick(2), 1, 0, false);
                AddText(words[Pick(5)], styles[Pick(3)], -1);
            } else if (Pick(8) == 0) {
                d->AddBreak();
            } else {
                AddText(words[Pick(5)], styles[Pick(3)], Pick(3) == 0 ? Indented : 0);
            }
            if (Pick(3) == 0)
                AddText(words[Pick(5)], styles[Pick(3)], -1);
        }
        d->FormatAll();
    }

    int RandomOffset(int itemNo)
    {
        const int before = d->GetOffsBeforeItem(itemNo);
        return before + Pick(d->GetOffsAfterItem(itemNo) - before + 1);
    }

    void RandomSelection()
    {
        const int a = Pick(d->GetItemCount());
        const int b = Pick(d->GetItemCount());
        d->SetSelectionBounds(a, RandomOffset(a), b, RandomOffset(b));
        d->DoOnSelection();
    }

    std::string Step()
    {
        TCustomRollViewEdit* edit = Editor.Edit;
        switch (Pick(12)) {
        case 0:
        case 1:
            edit->ApplyTextStyle(Pick(2) ? Bold : Pick(2) ? Uni : 0);
            return "text style";
        case 2:
            edit->ApplyParaStyle(Pick(2) ? Indented : 0);
            return "paragraph style";
        case 3:
        case 4:
            edit->ApplyListStyle(Pick(2) ? Narrow : 0, Pick(3) - 1, 1 + Pick(9), Pick(2) == 0, false);
            return "list";
        case 5:
            edit->RemoveLists(false);
            return "remove lists";
        case 6:
            edit->ChangeListLevels(Pick(2) ? 1 : -1);
            return "levels";
        case 7:
            edit->InsertPageBreak();
            return "page break";
        case 8:
            d->Deselect(nullptr, false);
            d->OnEnterPress_(false);
            return "enter";
        case 9:
            d->Deselect(nullptr, false);
            d->OnBackSpacePress_(false, false, false);
            return "backspace";
        case 10:
            d->Deselect(nullptr, false);
            d->OnDeletePress_(false, false);
            return "delete";
        default: {
            const int i = Pick(d->GetItemCount());
            d->Deselect(nullptr, false);
            Caret(i, RandomOffset(i));
            return "caret";
        }
        }
    }
};

TEST_F(RandomStyles, SeededSequencesKeepTheInvariant)
{
    int seeds = 1000;
    if (const char* e = std::getenv("KELVOR_STYLE_SEEDS"))
        seeds = std::atoi(e);
    int first = 0;
    if (const char* e = std::getenv("KELVOR_STYLE_SEED"))
        first = std::atoi(e);
    for (int seed = first; seed < first + seeds; ++seed) {
        d = Editor.NewEditor(&Style);
        Rng.seed(static_cast<unsigned>(seed));
        BuildDocument();
        for (int n = 0; n < 20; ++n) {
            std::string label;
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(n);
            if (Pick(2) == 0)
                RandomSelection();
            if (std::getenv("KELVOR_STYLE_TRACE")) {
                for (int i = 0; i < d->GetItemCount(); ++i)
                    std::fprintf(stderr, "%d: style %d para %d sap %d br %d pb %d [%s]\n", i,
                                 d->GetItemStyle(i), d->GetItemPara(i), d->GetItem(i)->GetSameAsPrev(),
                                 d->GetItem(i)->GetBR(), d->GetItem(i)->GetPageBreakBefore(),
                                 Text(i).c_str());
                std::fprintf(stderr, "caret %d:%d sel %d\n", d->GetCurItemNo(), d->GetOffsetInCurItem(),
                             d->SelectionExists(false, false));
            }
            try {
                editinvariant::Run(*d, where, [&] { label = Step(); });
            } catch (const std::exception& e) {
                ADD_FAILURE() << where << ": exception " << e.what();
            }
            if (HasFailure()) {
                ADD_FAILURE() << "last command: " << label << "; replay with KELVOR_STYLE_SEED=" << seed
                              << " KELVOR_STYLE_SEEDS=1";
                return;
            }
        }
    }
}

} // namespace
