// Seeded random command sequences on random documents: after every command
// the editing invariant holds (undo and redo restore the saved documents byte
// for byte, incremental layout equals a full one and paints what it paints,
// the caret is valid). Lone combining marks are typed and selections made
// with the keys are kept for the checks. A failing seed is printed;
// KELVOR_EDIT_SEEDS sets how many run.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "platform/controls/syntheticinput.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class RandomEditing : public TEditFixture {
protected:
    std::mt19937 Rng;
    int Pick(int n) { return static_cast<int>(Rng() % static_cast<unsigned>(n)); }

    AnsiString Words(int Count)
    {
        static const char* const Pool[] = {"abc", "def", "log", "line", "x", "wrapping", "  ", "q.", "error"};
        AnsiString s;
        for (int i = 0; i < Count; ++i) {
            if (i)
                s += ' ';
            s += Pool[Pick(9)];
        }
        return s;
    }

    void BuildDocument()
    {
        const int Paras = 1 + Pick(6);
        for (int p = 0; p < Paras; ++p) {
            const int ParaNo = Pick(4) == 0 ? Indented : 0;
            switch (Pick(8)) {
            case 6:
                // Arabic words, alone or after Latin ones: shown right to left.
                AddText((Pick(2) ? AnsiString() : Words(1 + Pick(3)) + " ") +
                            "\xD9\x83\xD8\xAA\xD8\xA7\xD8\xA8 \xD8\xAC\xD8\xAF\xD9\x8A\xD8\xAF",
                        Uni, ParaNo);
                break;
            case 5:
                AddNumbered(Words(1 + Pick(8)), ParaNo);
                break;
            case 0:
                AddPicture(ParaNo);
                AddText(Words(1 + Pick(3)), 0, -1);
                break;
            case 1:
                AddText(Words(1 + Pick(4)) + " \xF0\x9F\x98\x80 e\xCC\x81", Uni, ParaNo);
                break;
            case 2:
                d->AddBreak();
                break;
            case 3:
                AddText(Words(1 + Pick(12)), 0, ParaNo);
                AddText(Words(1 + Pick(3)), Uni, -1);
                break;
            default:
                AddText(Words(Pick(14)), 0, ParaNo);
                break;
            }
        }
        d->FormatAll();
    }

    // A range over up to three items, its ends at any offset (inside a
    // character too): start item, offset, end item, offset.
    std::array<int, 4> RandomRange()
    {
        const int a = Pick(d->GetItemCount());
        const int b = a + Pick(std::min(3, d->GetItemCount() - a));
        const int oa = d->GetOffsBeforeItem(a) + Pick(d->GetOffsAfterItem(a) - d->GetOffsBeforeItem(a) + 1);
        const int ob = d->GetOffsBeforeItem(b) + Pick(d->GetOffsAfterItem(b) - d->GetOffsBeforeItem(b) + 1);
        return {a, oa, b, ob};
    }
    void RandomSelectionDelete()
    {
        const auto r = RandomRange();
        editcommands::DeleteRange(*d, r[0], r[1], r[2], r[3]);
    }

    // The items after a failure, for replaying it.
    void Dump()
    {
        for (int i = 0; i < d->GetItemCount(); ++i)
            std::fprintf(stderr, "%d: style %d para %d sap %d br %d [%s]\n", i, d->GetItemStyle(i),
                         d->GetItemPara(i), d->GetItem(i)->GetSameAsPrev(), d->GetItem(i)->GetBR(),
                         Text(i).c_str());
        std::fprintf(stderr, "caret %d:%d\n", d->GetCurItemNo(), d->GetOffsetInCurItem());
    }

    std::string Step()
    {
        using namespace editcommands;
        // Only the selecting command leaves a selection; the others start without one.
        if (d->SelectionExists(false, false))
            Edit()->Deselect();
        switch (Pick(26)) {
        case 0:
        case 1:
        case 2:
            TypeChar(*d, static_cast<unsigned>("ab c"[Pick(4)]));
            return "type";
        case 3:
            d->OnEnterPress_(false);
            return "enter";
        case 4:
            d->OnEnterPress_(true);
            return "shift+enter";
        case 5:
        case 6:
            d->OnDeletePress_(false, false);
            return "delete";
        case 7:
        case 8:
            d->OnBackSpacePress_(false, false, false);
            return "backspace";
        case 9:
            d->OnBackSpacePress_(true, false, false);
            return "ctrl+backspace";
        case 10:
            InsertItem(*d, NewPicture(10 + Pick(300), 8));
            return "picture";
        case 11:
            InsertItem(*d, new TRVBreakItemInfo(d, 1, rvbsLine, clNone));
            return "break";
        case 12:
            if (d->GetItemOptions(d->GetCurItemNo()).Contains(rvioUnicode))
                InsertChars(*d, AnsiString("\x3D\xD8\x00\xDE\x0D\x20\x3D\xD8\x25\xDE", 10));
            else
                InsertChars(*d, "xyz ");
            return "insert text";
        case 13:
            RandomSelectionDelete();
            return "delete selection";
        case 14:
            if (Pick(2))
                d->OnLeftPress(false, Pick(2) == 0);
            else
                SimulateKey(Edit(), VK_LEFT); // as shown on the screen where text is reordered
            return "left";
        case 15:
            if (Pick(2))
                d->OnRightPress(false, Pick(2) == 0);
            else
                SimulateKey(Edit(), VK_RIGHT);
            return "right";
        case 16:
            d->OnUpPress(false, false);
            return "up";
        case 17:
            d->OnDownPress(false, false);
            return "down";
        case 18:
            Pick(2) ? d->OnHomePress(Pick(2) == 0) : d->OnEndPress(Pick(2) == 0);
            return "home/end";
        case 19:
            Pick(2) ? d->OnPgUpPress() : d->OnPgDownPress();
            return "page";
        case 20:
            // The current paragraph style is the one a new paragraph takes;
            // what goes on with the caret's paragraph keeps that one's.
            d->RollViewEdit()->SetCurParaStyleNo(Pick(2) ? Indented : 0);
            if (Pick(2))
                InsertItem(*d, NewPicture(10 + Pick(40), 8));
            else
                d->RollViewEdit()->InsertTextW(Pick(2) ? u"w \U0001F44D" : u"ab");
            return "paragraph style, insert";
        case 21: {
            const auto r = RandomRange();
            d->SetSelectionBounds(r[0], r[1], r[2], r[3]);
            d->RollViewEdit()->ApplyTextStyle(Pick(2) ? Uni : 0);
            Edit()->Deselect();
            return "text style";
        }
        case 22:
            // A combining mark typed on its own: after a space at a line's
            // end it goes on to the next line, apart from the space it marks.
            SimulateKeyDown(Edit(), 0, TShiftState(), WideString(1, WideChar(Pick(2) ? 0x301 : 0x308)));
            SimulateKeyUp(Edit(), 0);
            return "combining mark";
        case 23: {
            // A selection made with the keys, its moving end on any caret stop
            // (between the pieces of a line cut inside a character too), kept
            // for the checks.
            static const WORD Keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END};
            for (int k = 1 + Pick(3); k > 0; --k)
                SimulateKey(Edit(), Keys[Pick(6)], TShiftState{ssShift});
            return "select";
        }
        default: {
            // Caret to a random item position.
            const int i = Pick(d->GetItemCount());
            Caret(i, d->GetOffsBeforeItem(i) + Pick(d->GetOffsAfterItem(i) - d->GetOffsBeforeItem(i) + 1));
            return "place caret";
        }
        }
    }
};

TEST_F(RandomEditing, SeededSequencesKeepTheInvariant)
{
    int Seeds = 2000;
    if (const char* e = std::getenv("KELVOR_EDIT_SEEDS"))
        Seeds = std::atoi(e);
    int FirstSeed = 0;
    if (const char* e = std::getenv("KELVOR_EDIT_SEED"))
        FirstSeed = std::atoi(e);
    for (int Seed = FirstSeed; Seed < FirstSeed + Seeds; ++Seed) {
        d = Editor.NewEditor(&Style);
        // Some editors as narrow as a word or two, where lines are cut everywhere.
        Editor.SetClientSize(Seed % 3 == 0 ? 20 + Seed % 40 : 300, Seed % 7 == 0 ? 1 : 200);
        Rng.seed(static_cast<unsigned>(Seed));
        BuildDocument();
        editinvariant::CheckState(*d, "seed " + std::to_string(Seed) + " document");
        for (int n = 0; n < 25; ++n) {
            std::string Label;
            if (std::getenv("KELVOR_EDIT_TRACE"))
                Dump();
            try {
                editinvariant::Run(*d, "seed " + std::to_string(Seed) + " step " + std::to_string(n),
                                   [&] { Label = Step(); });
            } catch (const std::exception& e) {
                ADD_FAILURE() << "exception " << e.what();
            }
            if (HasFailure()) {
                Dump();
                ADD_FAILURE() << "last command: " << Label << "; replay with KELVOR_EDIT_SEED=" << Seed
                              << " KELVOR_EDIT_SEEDS=1";
                return;
            }
        }
    }
}

} // namespace
