// Documents and table cells that end in empty lines, the ways a user makes
// them: after a rule, a table or a table holding a table, an empty paragraph
// (Enter), two, a line break (Shift+Enter) or two; lines and a paragraph after
// such an item; text followed by an empty paragraph or an empty line. And the
// shape of a document as RTF keeps it, here and in LibreOffice.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "document/crvdata.h"
#include "document/rvitem.h"
#include "table/rvtable.h"

namespace rtfemptyends {

struct TCase {
    std::string Name;
    std::function<void(TCustomRVData*)> Build;
};

// A line of text after what is there: a paragraph, or a line of it.
inline void AddLine(TCustomRVData* holder, const char* text, bool paragraph)
{
    holder->AddNL(text, 0, paragraph ? 0 : -1);
    if (!paragraph)
        holder->GetItem(holder->GetItemCount() - 1)->SetBR(true);
}

// A table of one cell holding "a", or holding a table that holds "a".
inline void AddTable(TCustomRVData* holder, bool nested)
{
    auto* table = new TRVTableItemInfo(1, 1, holder);
    TCustomRVData* cell = table->GetCells(0, 0);
    cell->Clear();
    if (nested)
        AddTable(cell, false);
    else
        cell->AddNL("a", 0, 0);
    holder->AddItem(AnsiString(), table);
}

// Each of a rule, a table and a nested table after a paragraph "first", then
// what follows it; and text that ends in an empty paragraph or line, or not.
inline std::vector<TCase> Cases()
{
    const std::pair<const char*, std::function<void(TCustomRVData*)>> items[] = {
        {"a rule", [](TCustomRVData* h) { h->AddBreak(); }},
        {"a table", [](TCustomRVData* h) { AddTable(h, false); }},
        {"a nested table", [](TCustomRVData* h) { AddTable(h, true); }}};
    struct TLine {
        const char* Text;
        bool Paragraph;
    };
    const std::pair<const char*, std::vector<TLine>> afters[] = {
        {"an empty paragraph", {{"", true}}},
        {"two empty paragraphs", {{"", true}, {"", true}}},
        {"a line break", {{"", false}}},
        {"two line breaks", {{"", false}, {"", false}}},
        {"lines and a paragraph", {{"x", false}, {"y", false}, {"next", true}}},
        {"an empty line and a paragraph", {{"", false}, {"next", true}}}};
    std::vector<TCase> cases;
    for (const auto& [item, add] : items)
        for (const auto& [after, lines] : afters)
            cases.push_back(
                {std::string(item) + " then " + after, [add = add, lines = lines](TCustomRVData* h) {
                     h->AddNL("first", 0, 0);
                     add(h);
                     for (const TLine& line : lines)
                         AddLine(h, line.Text, line.Paragraph);
                 }});
    const std::pair<const char*, TLine> texts[] = {{"text then an empty paragraph", {"", true}},
                                                   {"text then a line break", {"", false}},
                                                   {"text then a line break and text", {"y", false}}};
    for (const auto& [name, line] : texts)
        cases.push_back({name, [line = line](TCustomRVData* h) {
                             h->AddNL("x", 0, 0);
                             AddLine(h, line.Text, line.Paragraph);
                         }});
    return cases;
}

// The document's items in a line: "\n" before an item that starts a
// paragraph, "|" before one that starts a line, "[hr]" for a rule, a table as
// "[RxC: cell / cell | cell]". A line break right after a rule or a table
// starts a paragraph: RTF has no line there for it to break. With
// LibreOffice, a document or cell that ends in a table has an empty
// paragraph after it, as in LibreOffice a paragraph always follows a table.
inline std::string Shape(TCustomRVData& data, bool libreOffice)
{
    std::string out;
    const int count = data.GetItemCount();
    for (int i = 0; i < count; ++i) {
        TCustomRVItemInfo* item = data.GetItem(i);
        if (i > 0 && !item->GetSameAsPrev())
            out += item->GetBR() && !data.GetItem(i - 1)->GetBoolValue(rvbpFullWidth) ? "|" : "\n";
        if (item->StyleNo == rvsBreak) {
            out += "[hr]";
        } else if (auto* table = dynamic_cast<TRVTableItemInfo*>(item)) {
            TRVTableRows& rows = *table->Rows;
            out += "[" + std::to_string(rows.Count()) + "x" + std::to_string(rows.GetColCount()) + ":";
            for (int r = 0; r < rows.Count(); ++r)
                for (int c = 0; c < rows.GetColCount(); ++c)
                    if (TRVTableCellData* cell = table->GetCells(r, c))
                        out += (c > 0 ? " / " : r > 0 ? " | " : " ") + Shape(*cell, libreOffice);
            out += "]";
        } else {
            out += data.GetItemText(i);
        }
    }
    if (libreOffice && count > 0 && data.GetItem(count - 1)->StyleNo == rvsTable)
        out += "\n";
    return out;
}

} // namespace rtfemptyends
