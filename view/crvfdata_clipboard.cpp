// The selection of a laid-out document as text or as a picture, and copying it
// to the clipboard: ANSI and Unicode text, the picture, RTF and the library's
// own format, each written by the document writers over the selection's limits.
#include <cstdint>
#include <cstring>
#include <memory>

#include "document/rvasidedata.h"
#include "document/rvuni.h"
#include "platform/controls/clipbrd.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"
#include "view/crvfdata.h"
#include "view/rvback.h"

namespace {

const char* const RTFFormatName = "Rich Text Format";
const char* const RVFFormatName = "RollView Format";

// The chosen sub-document (a table cell being edited) as a formatted document.
TCustomRVFormattedData* ChosenData(TCustomRVFormattedData* data)
{
    auto* chosen = dynamic_cast<TCustomRVFormattedData*>(data->GetChosenRVData());
    return chosen != data ? chosen : nullptr;
}

// Keeps the clipboard open for one copy, so that the formats written are
// published together, and closes it however the copy ends.
class TClipboardGroup {
public:
    TClipboardGroup()
    {
        Clipboard()->Open();
        Clipboard()->Clear();
    }
    ~TClipboardGroup() { Clipboard()->Close(); }
    TClipboardGroup(const TClipboardGroup&) = delete;
    TClipboardGroup& operator=(const TClipboardGroup&) = delete;
};

void PutBytes(unsigned format, const AnsiString& bytes)
{
    Clipboard()->SetBuffer(format, bytes.data(), bytes.size());
}

// While an item holds the selection inside itself (a table with selected
// cells) and the document selects nothing of its own, the writers of the
// selection write a document aside that holds a copy of what the item
// selects; null otherwise.
std::unique_ptr<TRVAsideRVData> PartialSelectionCopy(TCustomRVFormattedData* data)
{
    TCustomRVItemInfo* item = data->PartialSelectedItem;
    if (item == nullptr || !item->PartiallySelected() || data->SelectionExists(false, false))
        return nullptr;
    auto aside = std::make_unique<TRVAsideRVData>(data);
    TCustomRVItemInfo* copy = item->CopyPartiallySelected(aside.get());
    if (copy == nullptr)
        return nullptr;
    aside->AddItem(AnsiString(), copy);
    return aside;
}

} // namespace

// ---------------------------------------------------------------------------
// The selection as text or picture

void TCustomRVFormattedData::RVFGetLimits(TRVFSaveScope saveScope, int& startItemNo, int& endItemNo,
                                          int& startOffs, int& endOffs, TRVMultiDrawItemPart*& startPart,
                                          TRVMultiDrawItemPart*& endPart)
{
    if (saveScope != rvfss_Selection) {
        TCustomRVData::RVFGetLimits(saveScope, startItemNo, endItemNo, startOffs, endOffs, startPart,
                                    endPart);
        return;
    }
    startPart = nullptr;
    endPart = nullptr;
    StoreSelBounds(startItemNo, endItemNo, startOffs, endOffs, true);
}

AnsiString TCustomRVFormattedData::GetSelText(bool unicode)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this))
        return chosen->GetSelText(unicode);
    if (!SelectionExists(false, true))
        return AnsiString();
    TStringStream stream;
    const std::unique_ptr<TRVAsideRVData> cells = PartialSelectionCopy(this);
    const bool saved = cells ? cells->SaveTextToStream(AnsiString(), stream, 80, false, true, unicode)
                             : SaveTextToStream(AnsiString(), stream, 80, true, true, unicode);
    if (!saved)
        return AnsiString();
    return stream.DataString();
}

WideString TCustomRVFormattedData::GetSelTextW()
{
    const AnsiString bytes = GetSelText(true);
    // The writer writes whole units; an odd length could only be a bad item text.
    return RVU_RawUnicodeUnits(bytes);
}

int TCustomRVFormattedData::GetSelectedWholeItemNo()
{
    int startNo, endNo, startOffs, endOffs;
    StoreSelBounds(startNo, endNo, startOffs, endOffs, true);
    if (startNo < 0 || endNo < 0 || endNo >= GetItemCount())
        return -1;
    switch (endNo - startNo) {
    case 0:
        // The whole non-text item.
        if (startOffs <= 0 && endOffs >= 1)
            return startNo;
        break;
    case 1:
        // The first item whole up to the start of the second, or from the end
        // of the first the second item whole.
        if (startOffs <= GetOffsBeforeItem(startNo) && endOffs <= GetOffsBeforeItem(endNo))
            return startNo;
        if (startOffs >= GetOffsAfterItem(startNo) && endOffs >= GetOffsAfterItem(endNo))
            return endNo;
        break;
    case 2:
        if (startOffs >= GetOffsAfterItem(startNo) && endOffs <= GetOffsBeforeItem(endNo))
            return startNo + 1;
        break;
    default:
        break;
    }
    return -1;
}

TGraphic* TCustomRVFormattedData::GetSelectedImage()
{
    if (TCustomRVFormattedData* chosen = ChosenData(this))
        return chosen->GetSelectedImage();
    const int itemNo = GetSelectedWholeItemNo();
    return itemNo >= 0 ? GetItem(itemNo)->AsImage() : nullptr;
}

// ---------------------------------------------------------------------------
// Single formats

void TCustomRVFormattedData::CopyText_()
{
    Clipboard()->SetAsText(GetSelText(false));
}

void TCustomRVFormattedData::CopyTextW_()
{
    AnsiString bytes = GetSelText(true);
    bytes.append(2, '\0');
    PutBytes(CF_UNICODETEXT, bytes);
}

void TCustomRVFormattedData::CopyImage_()
{
    // An empty picture would empty the clipboard instead of adding a format.
    TGraphic* picture = GetSelectedImage();
    if (picture != nullptr && !picture->Empty())
        Clipboard()->Assign(picture);
}

void TCustomRVFormattedData::CopyRTF_(TColor color, TRVBackground* background)
{
    TStringStream stream;
    const std::unique_ptr<TRVAsideRVData> cells = PartialSelectionCopy(this);
    TCustomRVData* source = cells ? static_cast<TCustomRVData*>(cells.get()) : this;
    if (source->SaveRTFToStream(stream, cells == nullptr, 0, color, background, nullptr, nullptr, nullptr,
                                nullptr, nullptr, 0))
        PutBytes(RegisterClipboardFormatA(RTFFormatName), stream.DataString());
}

void TCustomRVFormattedData::CopyRVF_(TColor color, TRVBackground* background)
{
    TStringStream stream;
    const int32_t zero = 0;
    stream.WriteBuffer(&zero, 4);
    const std::unique_ptr<TRVAsideRVData> cells = PartialSelectionCopy(this);
    TCustomRVData* source = cells ? static_cast<TCustomRVData*>(cells.get()) : this;
    if (!source->SaveRVFToStream(stream, cells == nullptr, color, background, nullptr))
        return;
    const int64_t length = stream.Position() - 4;
    // A block the 32-bit length cannot describe is not offered.
    if (length > INT32_MAX)
        return;
    AnsiString block = stream.DataString();
    const auto l = static_cast<uint32_t>(length);
    const unsigned char prefix[4] = {static_cast<unsigned char>(l), static_cast<unsigned char>(l >> 8),
                                     static_cast<unsigned char>(l >> 16),
                                     static_cast<unsigned char>(l >> 24)};
    std::memcpy(&block[0], prefix, 4);
    PutBytes(RegisterClipboardFormatA(RVFFormatName), block);
}

// ---------------------------------------------------------------------------
// Copying the selection

void TCustomRVFormattedData::CopyText()
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->CopyText();
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup group;
    CopyText_();
}

void TCustomRVFormattedData::CopyTextW()
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->CopyTextW();
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup group;
    CopyTextW_();
}

void TCustomRVFormattedData::CopyImage()
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->CopyImage();
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup group;
    CopyImage_();
}

void TCustomRVFormattedData::CopyRTF(TColor color, TRVBackground* background)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->CopyRTF(color, background);
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup group;
    CopyRTF_(color, background);
}

void TCustomRVFormattedData::CopyRVF(TColor color, TRVBackground* background)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->CopyRVF(color, background);
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup group;
    CopyRVF_(color, background);
}

void TCustomRVFormattedData::Copy(TColor color, TRVBackground* background)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this)) {
        chosen->Copy(color, background);
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup group;
    DoCopy();
    CopyRVF_(color, background);
    CopyText_();
    CopyImage_();
    CopyTextW_();
    CopyRTF_(color, background);
}

bool TCustomRVFormattedData::CopyDef(TColor color, TRVBackground* background)
{
    if (TCustomRVFormattedData* chosen = ChosenData(this))
        return chosen->CopyDef(color, background);
    const TRVOptions options = GetOptions();
    const bool wanted = options.Contains(rvoAutoCopyText) || options.Contains(rvoAutoCopyRVF) ||
                        options.Contains(rvoAutoCopyUnicodeText) || options.Contains(rvoAutoCopyRTF) ||
                        options.Contains(rvoAutoCopyImage) || IsAssignedCopy();
    if (!wanted || !SelectionExists(true, true))
        return wanted;
    TClipboardGroup group;
    DoCopy();
    if (options.Contains(rvoAutoCopyRVF))
        CopyRVF_(color, background);
    if (options.Contains(rvoAutoCopyText) && !(RVNT && options.Contains(rvoAutoCopyUnicodeText)))
        CopyText_();
    if (options.Contains(rvoAutoCopyImage))
        CopyImage_();
    if (options.Contains(rvoAutoCopyUnicodeText))
        CopyTextW_();
    if (options.Contains(rvoAutoCopyRTF))
        CopyRTF_(color, background);
    return wanted;
}
