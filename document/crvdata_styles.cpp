// The item store: which styles the document uses, deletion of the unused ones
// with renumbering of every reference, in the style sheet and in the items.
#include <vector>

#include "document/crvdata.h"
#include "document/rvstyle.h"

namespace {

// The number a style has after the deletion, by its shift entry; -1 for a
// number outside the map or a style that was deleted.
int Renumbered(int styleNo, const TRVIntegerList& map)
{
    if (styleNo < 0 || styleNo >= map.Count() || map[styleNo] == 0)
        return -1;
    return styleNo - map[styleNo] + 1;
}

// Marks as used every style that a used style refers to (its base style and
// its next style), following the references to their end. A reference beyond
// the collection becomes -1. Cycles end at styles already visited. The walk
// keeps its own stack, so a long chain of references cannot exhaust the call stack.
void CloseOverReferences(TCustomRVInfos* styles, TRVIntegerList& map)
{
    const int count = styles->Count();
    std::vector<bool> visited(static_cast<size_t>(count), false);
    std::vector<int> stack;
    for (int i = 0; i < count; ++i)
        if (map[i] != 0)
            stack.push_back(i);
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        if (visited[static_cast<size_t>(i)])
            continue;
        visited[static_cast<size_t>(i)] = true;
        map.Put(i, 1);
        TCustomRVInfo* info = styles->Info(i);
        const int base = info->BaseStyleNo();
        if (base >= 0) {
            if (base < count)
                stack.push_back(base);
            else
                info->SetBaseStyleNo(-1);
        }
        int* next = info->NextStyleReference();
        if (next && *next >= 0) {
            if (*next < count)
                stack.push_back(*next);
            else
                *next = -1;
        }
    }
}

// Turns the usage map into shift values, deletes the unused styles and
// renumbers the references of those that remain.
void DeleteAndRenumber(TCustomRVInfos* styles, TRVIntegerList& map)
{
    int shift = 1;
    for (int i = 0; i < map.Count(); ++i) {
        if (map[i] != 0)
            map.Put(i, shift);
        else
            ++shift;
    }
    for (int i = styles->Count() - 1; i >= 0; --i)
        if (i < map.Count() && map[i] == 0)
            styles->Delete(i);
    for (int i = 0; i < styles->Count(); ++i) {
        TCustomRVInfo* info = styles->Info(i);
        if (info->BaseStyleNo() >= 0)
            info->SetBaseStyleNo(Renumbered(info->BaseStyleNo(), map));
        int* next = info->NextStyleReference();
        if (next && *next >= 0)
            *next = Renumbered(*next, map);
    }
}

} // namespace

void TCustomRVData::DeleteUnusedStyles(bool textStyles, bool paraStyles, bool listStyles)
{
    TRVStyle* style = GetRVStyle();
    if (!style)
        return;
    TCustomRVInfos* const collections[3] = {style->TextStyles(), style->ParaStyles(), style->ListStyles()};
    const bool flags[3] = {textStyles, paraStyles, listStyles};

    // A collection that is not cleaned counts as fully used: its map renumbers nothing.
    TRVIntegerList maps[3];
    for (int k = 0; k < 3; ++k)
        maps[k].InitWith(flags[k] ? 0 : 1, collections[k]->Count());

    if (textStyles && style->DefUnicodeStyle() >= 0) {
        if (style->DefUnicodeStyle() < maps[0].Count())
            maps[0].Put(style->DefUnicodeStyle(), 1);
        else
            style->SetDefUnicodeStyle(-1);
    }
    for (int k = 0; k < 3; ++k)
        if (flags[k])
            for (int i = 0; i < collections[k]->Count(); ++i)
                if (collections[k]->Info(i)->Standard())
                    maps[k].Put(i, 1);

    MarkStylesInUse(&maps[0], &maps[1], &maps[2]);

    for (int k = 0; k < 3; ++k)
        if (flags[k])
            CloseOverReferences(collections[k], maps[k]);
    for (int k = 0; k < 3; ++k)
        if (flags[k])
            DeleteAndRenumber(collections[k], maps[k]);

    if (textStyles && style->DefUnicodeStyle() >= 0)
        style->SetDefUnicodeStyle(Renumbered(style->DefUnicodeStyle(), maps[0]));

    UpdateStyles(&maps[0], &maps[1], &maps[2]);
    AfterDeleteStyles(&maps[0], &maps[1], &maps[2]);
}

void TCustomRVData::MarkStylesInUse(TRVIntegerList* usedTextStyles, TRVIntegerList* usedParaStyles,
                                    TRVIntegerList* usedListStyles)
{
    for (int i = 0; i < Items->Count(); ++i)
        GetItem(i)->MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
}

void TCustomRVData::UpdateStyles(TRVIntegerList* textStylesShift, TRVIntegerList* paraStylesShift,
                                 TRVIntegerList* listStylesShift)
{
    NoteChange();
    for (int i = 0; i < Items->Count(); ++i)
        GetItem(i)->UpdateStyles(textStylesShift, paraStylesShift, listStylesShift);
}

void TCustomRVData::AfterDeleteStyles(TRVIntegerList*, TRVIntegerList*, TRVIntegerList*) {}
