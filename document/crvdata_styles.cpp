// The item store: which styles the document uses, deletion of the unused ones
// with renumbering of every reference, in the style sheet and in the items.
#include <vector>

#include "document/crvdata.h"
#include "document/rvstyle.h"

namespace {

// The number a style has after the deletion, by its shift entry; -1 for a
// number outside the map or a style that was deleted.
int Renumbered(int StyleNo, const TRVIntegerList& Map)
{
    if (StyleNo < 0 || StyleNo >= Map.Count() || Map[StyleNo] == 0)
        return -1;
    return StyleNo - Map[StyleNo] + 1;
}

// Marks as used every style that a used style refers to (its base style and
// its next style), following the references to their end. A reference beyond
// the collection becomes -1. Cycles end at styles already visited. The walk
// keeps its own stack, so a long chain of references cannot exhaust the call stack.
void CloseOverReferences(TCustomRVInfos* Styles, TRVIntegerList& Map)
{
    const int Count = Styles->Count();
    std::vector<bool> Visited(static_cast<size_t>(Count), false);
    std::vector<int> Stack;
    for (int i = 0; i < Count; ++i)
        if (Map[i] != 0)
            Stack.push_back(i);
    while (!Stack.empty()) {
        const int i = Stack.back();
        Stack.pop_back();
        if (Visited[static_cast<size_t>(i)])
            continue;
        Visited[static_cast<size_t>(i)] = true;
        Map.Put(i, 1);
        TCustomRVInfo* Info = Styles->Info(i);
        const int Base = Info->BaseStyleNo();
        if (Base >= 0) {
            if (Base < Count)
                Stack.push_back(Base);
            else
                Info->SetBaseStyleNo(-1);
        }
        int* Next = Info->NextStyleReference();
        if (Next && *Next >= 0) {
            if (*Next < Count)
                Stack.push_back(*Next);
            else
                *Next = -1;
        }
    }
}

// Turns the usage map into shift values, deletes the unused styles and
// renumbers the references of those that remain.
void DeleteAndRenumber(TCustomRVInfos* Styles, TRVIntegerList& Map)
{
    int Shift = 1;
    for (int i = 0; i < Map.Count(); ++i) {
        if (Map[i] != 0)
            Map.Put(i, Shift);
        else
            ++Shift;
    }
    for (int i = Styles->Count() - 1; i >= 0; --i)
        if (i < Map.Count() && Map[i] == 0)
            Styles->Delete(i);
    for (int i = 0; i < Styles->Count(); ++i) {
        TCustomRVInfo* Info = Styles->Info(i);
        if (Info->BaseStyleNo() >= 0)
            Info->SetBaseStyleNo(Renumbered(Info->BaseStyleNo(), Map));
        int* Next = Info->NextStyleReference();
        if (Next && *Next >= 0)
            *Next = Renumbered(*Next, Map);
    }
}

} // namespace

void TCustomRVData::DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles)
{
    TRVStyle* Style = GetRVStyle();
    if (!Style)
        return;
    TCustomRVInfos* const Collections[3] = {Style->TextStyles(), Style->ParaStyles(), Style->ListStyles()};
    const bool Flags[3] = {TextStyles, ParaStyles, ListStyles};

    // A collection that is not cleaned counts as fully used: its map renumbers nothing.
    TRVIntegerList Maps[3];
    for (int k = 0; k < 3; ++k)
        Maps[k].InitWith(Flags[k] ? 0 : 1, Collections[k]->Count());

    if (TextStyles && Style->DefUnicodeStyle() >= 0) {
        if (Style->DefUnicodeStyle() < Maps[0].Count())
            Maps[0].Put(Style->DefUnicodeStyle(), 1);
        else
            Style->SetDefUnicodeStyle(-1);
    }
    for (int k = 0; k < 3; ++k)
        if (Flags[k])
            for (int i = 0; i < Collections[k]->Count(); ++i)
                if (Collections[k]->Info(i)->Standard())
                    Maps[k].Put(i, 1);

    MarkStylesInUse(&Maps[0], &Maps[1], &Maps[2]);

    for (int k = 0; k < 3; ++k)
        if (Flags[k])
            CloseOverReferences(Collections[k], Maps[k]);
    for (int k = 0; k < 3; ++k)
        if (Flags[k])
            DeleteAndRenumber(Collections[k], Maps[k]);

    if (TextStyles && Style->DefUnicodeStyle() >= 0)
        Style->SetDefUnicodeStyle(Renumbered(Style->DefUnicodeStyle(), Maps[0]));

    UpdateStyles(&Maps[0], &Maps[1], &Maps[2]);
    AfterDeleteStyles(&Maps[0], &Maps[1], &Maps[2]);
}

void TCustomRVData::MarkStylesInUse(TRVIntegerList* UsedTextStyles, TRVIntegerList* UsedParaStyles,
                                    TRVIntegerList* UsedListStyles)
{
    for (int i = 0; i < Items->Count(); ++i)
        GetItem(i)->MarkStylesInUse(UsedTextStyles, UsedParaStyles, UsedListStyles);
}

void TCustomRVData::UpdateStyles(TRVIntegerList* TextStylesShift, TRVIntegerList* ParaStylesShift,
                                 TRVIntegerList* ListStylesShift)
{
    for (int i = 0; i < Items->Count(); ++i)
        GetItem(i)->UpdateStyles(TextStylesShift, ParaStylesShift, ListStylesShift);
}

void TCustomRVData::AfterDeleteStyles(TRVIntegerList*, TRVIntegerList*, TRVIntegerList*) {}
