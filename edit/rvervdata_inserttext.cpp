// TRVEditRVData: text of several lines inserted at the caret, from strings and
// from text files. The text is cut into pieces at its breaks; the first piece
// goes in at the caret like any item (splitting the caret's text item), the
// others follow it as one block of items recorded by one insertion record, and
// the two ends merge with the text around them where the styles allow.
#include <algorithm>
#include <memory>

#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rvervdata.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"

struct TRVEditRVData::TTextPiece {
    AnsiString Text;      // in the current text style's form, tabs replaced
    bool NewPara = false; // starts a paragraph; else continues the line (a separate item)
    bool PageBreak = false;
};

namespace {

// A piece of the text before conversion: code units of the input.
template <class TStr> struct TRawPiece {
    TStr Text;
    bool NewPara = false;
    bool PageBreak = false;
};

// Cuts Text at its breaks (see the declaration of InsertText_). CR LF and LF CR
// count as one break. A form feed ends a piece that holds text, and the next
// piece starts a paragraph with a page break; no empty piece is made for it
// (except first: the caret's line then ends before the page). An item break
// makes no empty item. The first piece continues the caret's line.
template <class TStr> std::vector<TRawPiece<TStr>> SplitText(const TStr& text, bool wide)
{
    using TUnit = typename TStr::value_type;
    std::vector<TRawPiece<TStr>> pieces;
    TRawPiece<TStr> current;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned c = static_cast<unsigned>(static_cast<std::make_unsigned_t<TUnit>>(text[i]));
        const unsigned next =
            i + 1 < n ? static_cast<unsigned>(static_cast<std::make_unsigned_t<TUnit>>(text[i + 1])) : 0;
        if (c == '\r' || c == '\n' || (wide && c == 0x2029)) {
            if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r'))
                ++i;
            pieces.push_back(std::move(current));
            current = TRawPiece<TStr>();
            current.NewPara = true;
        } else if (c == '\f') {
            if (!current.Text.empty() || pieces.empty()) {
                pieces.push_back(std::move(current));
                current = TRawPiece<TStr>();
            }
            current.NewPara = true;
            current.PageBreak = true;
        } else if ((wide && c == 0x2028) || c == '\v' || c == 0) {
            if (!current.Text.empty()) {
                pieces.push_back(std::move(current));
                current = TRawPiece<TStr>();
            }
        } else {
            current.Text += text[i];
        }
    }
    if (pieces.empty() || current.NewPara || !current.Text.empty())
        pieces.push_back(std::move(current));
    return pieces;
}

// The whole file; false when it cannot be read.
bool ReadWholeFile(const AnsiString& fileName, AnsiString& bytes)
{
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
        const int64_t size = stream.Size();
        if (size < 0 || size > INT32_MAX)
            return false;
        bytes.assign(static_cast<size_t>(size), '\0');
        if (size > 0)
            stream.ReadBuffer(&bytes[0], size);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool TRVEditRVData::InsertText_(const AnsiString& s, bool caretBefore, bool autoTag)
{
    return InsertTextOf(s, false, caretBefore, autoTag);
}

bool TRVEditRVData::InsertTextW_(const AnsiString& s, bool caretBefore, bool autoTag)
{
    RVCheckUni(static_cast<int64_t>(s.size()));
    return InsertTextOf(s, true, caretBefore, autoTag);
}

bool TRVEditRVData::InsertTextOf(const AnsiString& s, bool wide, bool caretBefore, bool autoTag)
{
    if (s.empty()) {
        Invalidate();
        return false;
    }
    TRVStyle* style = GetRVStyle();
    const bool unicode = style->TextStyles()->Items(CurTextStyleNo)->Unicode();
    const unsigned codePage = GetStyleCodePage(CurTextStyleNo);
    const int spaces = style->SpacesInTab();
    std::vector<TTextPiece> pieces;
    // A piece in the current style's form: UTF-16 bytes or its code page.
    auto add = [&](AnsiString text, bool inUnicode, bool newPara, bool pageBreak) {
        if (inUnicode != unicode)
            text = inUnicode ? RVU_UnicodeToAnsi(codePage, text) : RVU_AnsiToUnicode(codePage, text);
        pieces.push_back({std::move(text), newPara, pageBreak});
    };
    if (wide) {
        for (auto& raw : SplitText(RVU_RawUnicodeToWideString(s), true))
            add(RV_ReplaceTabsW(RVU_GetRawUnicode(raw.Text), spaces), true, raw.NewPara, raw.PageBreak);
    } else {
        for (auto& raw : SplitText(s, false))
            add(RV_ReplaceTabsA(raw.Text, spaces), false, raw.NewPara, raw.PageBreak);
    }
    return InsertPieces(pieces, caretBefore, autoTag);
}

bool TRVEditRVData::InsertTextFromFile(const AnsiString& fileName, bool oem, bool caretBefore)
{
    AnsiString bytes;
    if (!ReadWholeFile(fileName, bytes)) {
        EditBeep();
        return false;
    }
    Replace0(bytes);
    if (!oem)
        return InsertText_(bytes, caretBefore);
    return InsertTextW_(RVU_GetRawUnicode(AnsiToWide(bytes, CP_OEMCP)), caretBefore);
}

bool TRVEditRVData::InsertTextFromFileW(const AnsiString& fileName, bool caretBefore)
{
    AnsiString bytes;
    if (!ReadWholeFile(fileName, bytes)) {
        EditBeep();
        return false;
    }
    RVCheckUni(static_cast<int64_t>(bytes.size()));
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            bytes.erase(0, 2);
            if (b0 == 0xFE && !bytes.empty())
                RVU_SwapWordBytes(&bytes[0], static_cast<int>(bytes.size() / 2));
        }
    }
    return InsertTextW_(bytes, caretBefore);
}

// ---------------------------------------------------------------------------
// Pieces into items

bool TRVEditRVData::InsertPieces(std::vector<TTextPiece>& pieces, bool caretBefore, bool autoTag)
{
    if (pieces.empty() || (pieces.size() == 1 && pieces[0].Text.empty())) {
        Invalidate();
        return false;
    }
    int paraFirst = 0;
    int paraLast = 0;
    GetParaBounds(CharPos.front().DrawItemNo, CharPos.back().DrawItemNo, paraFirst, paraLast);
    const bool mayShrink = ReachesDocMinWidth(paraFirst, paraLast);
    const int countBefore = GetItemCount();

    TCustomRVItemInfo* item = CreateTextItem(TRVTag(), CurParaStyleNo, CurTextStyleNo, false, false);
    AnsiString text = pieces[0].Text;
    int first = 0;
    int added = 0;
    bool full = false;
    if (!InsSomething(item, text, autoTag, first, added, full) || !item) {
        EditBeep();
        return false;
    }
    // Further paragraphs are numbered like the one the text went into.
    const int markerNo = GetFirstParaItem(first);
    const TCustomRVItemInfo* marker = GetItemStyle(markerNo) == rvsListMarker ? GetItem(markerNo) : nullptr;
    const int paraNo = GetItemPara(first);
    TRVItemList block;
    bool markers = false;
    for (size_t k = 1; k < pieces.size(); ++k) {
        const TTextPiece& piece = pieces[k];
        TCustomRVItemInfo* textItem = nullptr;
        if (piece.NewPara && marker) {
            auto* copy = static_cast<TRVMarkerItemInfo*>(RV_DuplicateItem(marker, this));
            copy->Reset = false;
            copy->SetPageBreakBefore(piece.PageBreak);
            block.emplace_back(Items->Get(markerNo), copy);
            markers = true;
            textItem = CreateTextItem(TRVTag(), marker->ParaNo, CurTextStyleNo, true, false);
        } else {
            textItem = CreateTextItem(TRVTag(), paraNo, CurTextStyleNo, !piece.NewPara, false);
            textItem->SetPageBreakBefore(piece.NewPara && piece.PageBreak);
        }
        block.emplace_back(piece.Text, textItem);
    }
    int last = first + static_cast<int>(block.size());
    if (!block.empty()) {
        std::reverse(block.begin(), block.end());
        bool flag = false;
        Do_InsertItems(first + 1, block, false, flag);
        full = full || flag;
    }

    // The ends merge with the text around them.
    int caretOffs = GetOffsAfterItem(last);
    int firstOffs = GetOffsBeforeItem(first);
    if (last + 1 < GetItemCount() && RV_CanConcateItems(last, GetItem(last), GetItem(last + 1), false))
        full = Do_Concate(last) || full;
    if (first > 0 && RV_CanConcateItems(first - 1, GetItem(first - 1), GetItem(first), false)) {
        const int shift = ItemLength(first - 1);
        full = Do_Concate(first - 1) || full;
        --first;
        firstOffs += shift;
        if (last == first + 1)
            caretOffs += shift;
        --last;
    }
    ReformatInsertion(full || mayShrink, paraFirst, paraLast, GetItemCount() - countBefore, markers, last);
    if (caretBefore)
        SetCaretAtItem(first, firstOffs, false);
    else
        SetCaretAtItem(last, caretOffs, false);
    return true;
}

void TRVEditRVData::ReformatInsertion(bool mayShrink, int paraFirst, int paraLast, int itemsAdded,
                                      bool insertedMarkers, int lastItemNo)
{
    // The lists numbered on after inserted markers have other numbers now, and
    // their markers other widths: the document is laid out again.
    if (insertedMarkers) {
        TRVMarkerList* list = GetMarkers(false);
        if (list && list->Count() > 0 &&
            FindMarkerLocalLocationFrom(lastItemNo + 1, list->Marker(list->Count() - 1)) >= 0) {
            FormatAll();
            Invalidate();
            return;
        }
    }
    Reformat_(mayShrink, paraFirst, paraLast, itemsAdded);
}
