// The selection of a laid-out document as text or as a picture, and copying it
// to the clipboard: ANSI and Unicode text, the picture, RTF and the library's
// own format, each written by the document writers over the selection's limits.
#include <cstdint>
#include <cstring>
#include <memory>

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
TCustomRVFormattedData* ChosenData(TCustomRVFormattedData* Data)
{
    auto* Chosen = dynamic_cast<TCustomRVFormattedData*>(Data->GetChosenRVData());
    return Chosen != Data ? Chosen : nullptr;
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

void PutBytes(unsigned Format, const AnsiString& Bytes)
{
    Clipboard()->SetBuffer(Format, Bytes.data(), Bytes.size());
}

} // namespace

// ---------------------------------------------------------------------------
// The selection as text or picture

void TCustomRVFormattedData::RVFGetLimits(TRVFSaveScope SaveScope, int& StartItemNo, int& EndItemNo,
                                          int& StartOffs, int& EndOffs, TRVMultiDrawItemPart*& StartPart,
                                          TRVMultiDrawItemPart*& EndPart)
{
    if (SaveScope != rvfss_Selection) {
        TCustomRVData::RVFGetLimits(SaveScope, StartItemNo, EndItemNo, StartOffs, EndOffs, StartPart,
                                    EndPart);
        return;
    }
    StartPart = nullptr;
    EndPart = nullptr;
    StoreSelBounds(StartItemNo, EndItemNo, StartOffs, EndOffs, true);
}

AnsiString TCustomRVFormattedData::GetSelText(bool Unicode)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this))
        return Chosen->GetSelText(Unicode);
    if (!SelectionExists(false, true))
        return AnsiString();
    TStringStream Stream;
    if (!SaveTextToStream(AnsiString(), Stream, 80, true, true, Unicode))
        return AnsiString();
    return Stream.DataString();
}

WideString TCustomRVFormattedData::GetSelTextW()
{
    const AnsiString Bytes = GetSelText(true);
    // The writer writes whole units; an odd length could only be a bad item text.
    return RVU_RawUnicodeToWideString(Bytes.size() % 2 ? Bytes.substr(0, Bytes.size() - 1) : Bytes);
}

TGraphic* TCustomRVFormattedData::GetSelectedImage()
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this))
        return Chosen->GetSelectedImage();
    int StartNo, EndNo, StartOffs, EndOffs;
    StoreSelBounds(StartNo, EndNo, StartOffs, EndOffs, true);
    if (StartNo < 0 || EndNo < 0 || EndNo >= GetItemCount())
        return nullptr;
    int ItemNo = -1;
    switch (EndNo - StartNo) {
    case 0:
        // The whole non-text item.
        if (StartOffs <= 0 && EndOffs >= 1)
            ItemNo = StartNo;
        break;
    case 1:
        // The first item whole up to the start of the second, or from the end
        // of the first the second item whole.
        if (StartOffs <= GetOffsBeforeItem(StartNo) && EndOffs <= GetOffsBeforeItem(EndNo))
            ItemNo = StartNo;
        else if (StartOffs >= GetOffsAfterItem(StartNo) && EndOffs >= GetOffsAfterItem(EndNo))
            ItemNo = EndNo;
        break;
    case 2:
        if (StartOffs >= GetOffsAfterItem(StartNo) && EndOffs <= GetOffsBeforeItem(EndNo))
            ItemNo = StartNo + 1;
        break;
    default:
        break;
    }
    return ItemNo >= 0 ? GetItem(ItemNo)->AsImage() : nullptr;
}

// ---------------------------------------------------------------------------
// Single formats

void TCustomRVFormattedData::CopyText_()
{
    Clipboard()->SetAsText(GetSelText(false));
}

void TCustomRVFormattedData::CopyTextW_()
{
    AnsiString Bytes = GetSelText(true);
    Bytes.append(2, '\0');
    PutBytes(CF_UNICODETEXT, Bytes);
}

void TCustomRVFormattedData::CopyImage_()
{
    // An empty picture would empty the clipboard instead of adding a format.
    TGraphic* Picture = GetSelectedImage();
    if (Picture != nullptr && !Picture->Empty())
        Clipboard()->Assign(Picture);
}

void TCustomRVFormattedData::CopyRTF_(TColor Color, TRVBackground* Background)
{
    TStringStream Stream;
    if (SaveRTFToStream(Stream, true, 0, Color, Background, nullptr, nullptr, nullptr, nullptr, nullptr, 0))
        PutBytes(RegisterClipboardFormatA(RTFFormatName), Stream.DataString());
}

void TCustomRVFormattedData::CopyRVF_(TColor Color, TRVBackground* Background)
{
    TStringStream Stream;
    const int32_t Zero = 0;
    Stream.WriteBuffer(&Zero, 4);
    if (!SaveRVFToStream(Stream, true, Color, Background, nullptr))
        return;
    const int64_t Length = Stream.Position() - 4;
    // A block the 32-bit length cannot describe is not offered.
    if (Length > INT32_MAX)
        return;
    AnsiString Block = Stream.DataString();
    const auto L = static_cast<uint32_t>(Length);
    const unsigned char Prefix[4] = {static_cast<unsigned char>(L), static_cast<unsigned char>(L >> 8),
                                     static_cast<unsigned char>(L >> 16),
                                     static_cast<unsigned char>(L >> 24)};
    std::memcpy(&Block[0], Prefix, 4);
    PutBytes(RegisterClipboardFormatA(RVFFormatName), Block);
}

// ---------------------------------------------------------------------------
// Copying the selection

void TCustomRVFormattedData::CopyText()
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->CopyText();
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup Group;
    CopyText_();
}

void TCustomRVFormattedData::CopyTextW()
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->CopyTextW();
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup Group;
    CopyTextW_();
}

void TCustomRVFormattedData::CopyImage()
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->CopyImage();
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup Group;
    CopyImage_();
}

void TCustomRVFormattedData::CopyRTF(TColor Color, TRVBackground* Background)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->CopyRTF(Color, Background);
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup Group;
    CopyRTF_(Color, Background);
}

void TCustomRVFormattedData::CopyRVF(TColor Color, TRVBackground* Background)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->CopyRVF(Color, Background);
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup Group;
    CopyRVF_(Color, Background);
}

void TCustomRVFormattedData::Copy(TColor Color, TRVBackground* Background)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this)) {
        Chosen->Copy(Color, Background);
        return;
    }
    if (!SelectionExists(true, true))
        return;
    TClipboardGroup Group;
    DoCopy();
    CopyRVF_(Color, Background);
    CopyText_();
    CopyImage_();
    CopyTextW_();
    CopyRTF_(Color, Background);
}

bool TCustomRVFormattedData::CopyDef(TColor Color, TRVBackground* Background)
{
    if (TCustomRVFormattedData* Chosen = ChosenData(this))
        return Chosen->CopyDef(Color, Background);
    const TRVOptions Options = GetOptions();
    const bool Wanted = Options.Contains(rvoAutoCopyText) || Options.Contains(rvoAutoCopyRVF) ||
                        Options.Contains(rvoAutoCopyUnicodeText) || Options.Contains(rvoAutoCopyRTF) ||
                        Options.Contains(rvoAutoCopyImage) || IsAssignedCopy();
    if (!Wanted || !SelectionExists(true, true))
        return Wanted;
    TClipboardGroup Group;
    DoCopy();
    if (Options.Contains(rvoAutoCopyRVF))
        CopyRVF_(Color, Background);
    if (Options.Contains(rvoAutoCopyText) && !(RVNT && Options.Contains(rvoAutoCopyUnicodeText)))
        CopyText_();
    if (Options.Contains(rvoAutoCopyImage))
        CopyImage_();
    if (Options.Contains(rvoAutoCopyUnicodeText))
        CopyTextW_();
    if (Options.Contains(rvoAutoCopyRTF))
        CopyRTF_(Color, Background);
    return Wanted;
}
