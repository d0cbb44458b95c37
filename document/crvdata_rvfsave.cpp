// The RVF writer of the item store: the version, background, style-sheet,
// layout and checkpoint records, text records that group text items, the
// items' own records, selections and pages, files and the table-cell form.
#include <exception>

#include "document/crvdata.h"
#include "document/crvdata_rvf.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"

namespace {

// Saves of cells' documents in progress, one inside another.
int NestedDataSaves = 0;

// Writes one save of a store. The open text group is a run of consecutive
// text items [FGroupFirst, FGroupFirst + FGroupCount) that share the text
// style, paragraph, option bits and tag remembered from the first of them;
// they are written as one record of one line per item.
class TRVFWriter {
public:
    TRVFWriter(TCustomRVData* data, TStream& stream)
        : FData(data), FStream(stream), FStyle(data->GetRVStyle()), FOptions(data->GetRVFSaveOptions()),
          FTagsPC(data->GetOptions().Contains(rvoTagsArePChars)),
          FUseNames(FOptions.Contains(rvfoUseStyleNames)), FBinary(FOptions.Contains(rvfoSaveBinary))
    {}

    bool Save(TRVFSaveScope scope, TColor color, TRVFBackground* background, TRVLayoutInfo* layout);

private:
    int ItemCount() const { return FData->GetItemCount(); }
    TCustomRVItemInfo* Item(int itemNo) const { return FData->GetItem(itemNo); }
    int ReadMode() const { return FBinary ? 2 : 0; }

    void WriteBackground(TColor color, TRVFBackground* background);
    void WriteCollection(int kind, TCollection* collection);
    void WriteLayout(TRVLayoutInfo* layout);
    void SetPageFlags(TRVLayoutInfo* layout);
    void WriteCheckpoint(const TRVCPInfo* cp);
    void WriteTextRecord(int firstItemNo, int count, int paraNo, int options);
    void WritePartial(int itemNo, int startOffs, int endOffs, bool forcePara);
    void WriteNonText(int itemNo, int paraNo, TRVMultiDrawItemPart* part);
    bool CanJoinGroup(int itemNo) const;
    void OpenGroup(int itemNo, int paraNo);
    // Writes the group's items before item EndItemNo and closes the group.
    void WriteGroup(int endItemNo);

    TCustomRVData* FData;
    TStream& FStream;
    TRVStyle* FStyle;
    TRVFOptions FOptions;
    bool FTagsPC;
    bool FUseNames;
    bool FBinary;
    // The next item written continues the line of a list marker written
    // before it (a selection that starts inside a numbered paragraph).
    bool FForceSameAsPrev = false;
    int FGroupFirst = -1;
    int FGroupCount = 0;
    int FGroupParaNo = 0;
};

bool TRVFWriter::Save(TRVFSaveScope scope, TColor color, TRVFBackground* background, TRVLayoutInfo* layout)
{
    RVFWriteLine(FStream, Format("%d %d %d", {rvsVersionInfo, 1, 2}));
    if (scope != rvfss_Selection && FOptions.Contains(rvfoSaveBack))
        WriteBackground(color, background);
    const bool root = FData->GetRootData() == FData;
    if (root && FStyle) {
        if (FOptions.Contains(rvfoSaveTextStyles))
            WriteCollection(1, FStyle->TextStyles());
        if (FOptions.Contains(rvfoSaveParaStyles)) {
            WriteCollection(2, FStyle->ParaStyles());
            WriteCollection(4, FStyle->ListStyles());
        }
    }
    if (scope == rvfss_Page && layout)
        SetPageFlags(layout);
    if (FOptions.Contains(rvfoSaveLayout) && root && layout && scope != rvfss_Selection)
        WriteLayout(layout);

    if (scope == rvfss_Selection)
        if (TCustomRVData* chosen = FData->GetChosenRVData())
            return chosen->SaveRVFToStreamEx(FStream, rvfss_Selection, clNone, nullptr, nullptr);

    int start = -1, end = -1, startOffs = 0, endOffs = 0;
    TRVMultiDrawItemPart* startPart = nullptr;
    TRVMultiDrawItemPart* endPart = nullptr;
    FData->RVFGetLimits(scope, start, end, startOffs, endOffs, startPart, endPart);
    if (end >= ItemCount())
        end = ItemCount() - 1;
    if (start < 0 || start > end)
        return true;

    // A part of one item: the text from StartOffs to EndOffs alone.
    if (start == end && !startPart && !endPart &&
        (FData->GetOffsBeforeItem(start) < startOffs || FData->GetOffsAfterItem(start) > endOffs)) {
        WritePartial(start, startOffs, endOffs, scope == rvfss_Page);
        return true;
    }

    int i = start;
    if (startPart) {
        WriteNonText(start, Item(start)->ParaNo, startPart);
        ++i;
    } else if (scope == rvfss_Selection) {
        const int first = FData->GetFirstParaItem(start);
        if (first != start && Item(first)->StyleNo == rvsListMarker) {
            WriteNonText(first, Item(first)->ParaNo, nullptr);
            FForceSameAsPrev = true;
        }
    }
    const bool splitEnd = endPart && !(startPart && start == end);
    const int last = splitEnd ? end - 1 : end;

    for (; i <= last; ++i) {
        TCustomRVItemInfo* current = Item(i);
        const bool text = current->StyleNo >= 0;
        if (i == start && (FData->GetOffsBeforeItem(i) < startOffs || (scope == rvfss_Page && text))) {
            WritePartial(i, startOffs, FData->GetOffsAfterItem(i), scope == rvfss_Page);
            FForceSameAsPrev = false;
            continue;
        }
        if (CanJoinGroup(i)) {
            ++FGroupCount;
            continue;
        }
        WriteGroup(i);
        // The first item of a page keeps its paragraph: nothing before it is saved.
        const int paraNo =
            current->GetSameAsPrev() && !(i == start && scope == rvfss_Page) ? -1 : current->ParaNo;
        if (text)
            OpenGroup(i, paraNo);
        else if (!(i == end && endOffs < FData->GetOffsAfterItem(i)))
            WriteNonText(i, paraNo, nullptr);
    }

    if (!splitEnd && FGroupCount > 0 && FGroupFirst + FGroupCount - 1 == end &&
        FData->GetOffsAfterItem(end) > endOffs) {
        // The range ends inside the last text item: the group without it,
        // then the item's beginning.
        WriteGroup(end);
        WritePartial(end, FData->GetOffsBeforeItem(end), endOffs, false);
    } else {
        WriteGroup(last + 1);
        // The checkpoint waiting for the next item belongs to the end of the
        // document: it goes with every save that reaches that end.
        if (!splitEnd && end == ItemCount() - 1 && endOffs >= FData->GetOffsAfterItem(end) &&
            FData->NotAddedCP)
            WriteCheckpoint(FData->NotAddedCP);
    }
    if (splitEnd)
        WriteNonText(end, Item(end)->GetSameAsPrev() ? -1 : Item(end)->ParaNo, endPart);
    return true;
}

void TRVFWriter::WriteBackground(TColor color, TRVFBackground* background)
{
    const int style = background ? background->GetRVFBackgroundStyle() : 0;
    const TGraphic* image = background ? background->GetRVFBackgroundImage() : nullptr;
    if (!image || image->Empty() || style == 0) {
        RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d %d",
                                     {rvsBack, 0, -1, 0, 0, 0, style, static_cast<int>(color)}));
        return;
    }
    RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d %d",
                                 {rvsBack, 2, 0, 0, ReadMode(), 0, style, static_cast<int>(color)}));
    RVFWriteLine(FStream, image->ClassName());
    if (FBinary)
        RVFSavePictureBinary(FStream, image);
    else {
        RVFWritePictureHex(FStream, image);
        FStream.WriteBuffer("\r\n", 2);
    }
}

void TRVFWriter::WriteCollection(int kind, TCollection* collection)
{
    RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d", {rvsDocProperty, 2, 0, 0, ReadMode(), 0, kind}));
    RVFWriteLine(FStream, RVFMakeLineSafe(FStyle->Name(), false));
    std::unique_ptr<TRVFListDocumentGuard> guard;
    if (auto* lists = dynamic_cast<TRVListInfos*>(collection))
        guard = std::make_unique<TRVFListDocumentGuard>(lists, FData);
    const auto write = [collection](TStream& out) {
        TWriter writer(out, 4096);
        writer.WriteCollection(collection);
    };
    if (FBinary) {
        RVFWriteBinaryBlock(FStream, write);
    } else {
        TMemoryStream data;
        write(data);
        RVFWriteLine(FStream, RVFStream2TextString(data));
    }
}

void TRVFWriter::WriteLayout(TRVLayoutInfo* layout)
{
    RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d", {rvsDocProperty, 2, 0, 0, ReadMode(), 0, 3}));
    RVFWriteLine(FStream, AnsiString());
    if (FBinary)
        layout->SaveToStream(FStream, true);
    else
        layout->SaveTextToStream(FStream);
}

void TRVFWriter::SetPageFlags(TRVLayoutInfo* layout)
{
    int start = -1, end = -1, startOffs = 0, endOffs = 0;
    TRVMultiDrawItemPart* startPart = nullptr;
    TRVMultiDrawItemPart* endPart = nullptr;
    FData->RVFGetLimits(rvfss_Page, start, end, startOffs, endOffs, startPart, endPart);
    if (start < 0 || start >= ItemCount())
        return;
    if (end >= ItemCount())
        end = ItemCount() - 1;
    layout->FirstParaAborted = 0;
    layout->FirstMarkerListNo = -1;
    layout->FirstMarkerLevel = 0;
    if (FData->GetOffsBeforeItem(start) < startOffs || !FData->IsParaStart(start)) {
        layout->FirstParaAborted = 1;
        const int first = FData->GetFirstParaItem(start);
        if (first != start && Item(first)->StyleNo == rvsListMarker) {
            const auto* marker = static_cast<TRVMarkerItemInfo*>(Item(first));
            layout->FirstMarkerListNo = marker->ListNo;
            layout->FirstMarkerLevel = marker->Level;
        }
    }
    layout->LastParaAborted = 0;
    if (end >= 0 &&
        (FData->GetOffsAfterItem(end) > endOffs || (end + 1 < ItemCount() && !FData->IsParaStart(end + 1))))
        layout->LastParaAborted = 1;
}

void TRVFWriter::WriteCheckpoint(const TRVCPInfo* cp)
{
    RVFWriteLine(FStream,
                 Format("%d %d %d %d %d %s %d",
                        {rvsCheckpoint, 1, 0, 0, 0, RVFSaveTag(FTagsPC, cp->Tag), cp->RaiseEvent ? 1 : 0}));
    RVFWriteLine(FStream, RVFMakeLineSafe(cp->Name, false));
}

void TRVFWriter::WriteTextRecord(int firstItemNo, int count, int paraNo, int options)
{
    const TCustomRVItemInfo* first = Item(firstItemNo);
    RVFWriteLine(FStream, Format("%s %d %s %d %d %s", {RVFSaveText(FStyle, FUseNames, first->StyleNo), count,
                                                       RVFSavePara(FStyle, FUseNames, paraNo), options, 0,
                                                       RVFSaveTag(FTagsPC, first->GetTag())}));
    for (int i = firstItemNo; i < firstItemNo + count; ++i) {
        const bool unicode = Item(i)->ItemOptions.Contains(rvioUnicode);
        RVFWriteLineX(FStream, RVFMakeLineSafe(FData->GetItemText(i), unicode), unicode);
    }
}

void TRVFWriter::WritePartial(int itemNo, int startOffs, int endOffs, bool forcePara)
{
    const TCustomRVItemInfo* current = Item(itemNo);
    // Only text can be cut; a part of another item is nothing.
    if (current->StyleNo < 0)
        return;
    const bool atStart = startOffs <= FData->GetOffsBeforeItem(itemNo);
    const int paraNo = (atStart && !current->GetSameAsPrev()) || forcePara ? current->ParaNo : -1;
    if (atStart && current->GetCheckpoint())
        WriteCheckpoint(current->GetCheckpoint());
    if (endOffs < startOffs || (paraNo == -1 && startOffs == endOffs))
        return;
    const bool unicode = current->ItemOptions.Contains(rvioUnicode);
    RVFWriteLine(FStream, Format("%s %d %s %d %d %s", {RVFSaveText(FStyle, FUseNames, current->StyleNo), 1,
                                                       RVFSavePara(FStyle, FUseNames, paraNo),
                                                       RVFGetItemOptions(current->ItemOptions, paraNo == -1),
                                                       0, RVFSaveTag(FTagsPC, current->GetTag())}));
    const AnsiString part =
        RVU_Copy(FData->GetItemText(itemNo), startOffs, endOffs - startOffs, current->ItemOptions);
    RVFWriteLineX(FStream, RVFMakeLineSafe(part, unicode), unicode);
}

void TRVFWriter::WriteNonText(int itemNo, int paraNo, TRVMultiDrawItemPart* part)
{
    TCustomRVItemInfo* current = Item(itemNo);
    if (current->GetCheckpoint())
        WriteCheckpoint(current->GetCheckpoint());
    const bool force = FForceSameAsPrev;
    FForceSameAsPrev = false;
    auto* marker = dynamic_cast<TRVMarkerItemInfo*>(current);
    if (!marker) {
        current->SaveRVF(FStream, FData, itemNo, paraNo, FData->GetItemText(itemNo), part, force);
        return;
    }
    // A marker is saved with the number it shows, so that the document read
    // back numbers as it did.
    const bool oldReset = marker->Reset;
    const int oldStartFrom = marker->StartFrom;
    marker->Reset = true;
    marker->StartFrom = marker->Counter;
    try {
        marker->SaveRVF(FStream, FData, itemNo, paraNo, FData->GetItemText(itemNo), part, force);
    } catch (...) {
        marker->Reset = oldReset;
        marker->StartFrom = oldStartFrom;
        throw;
    }
    marker->Reset = oldReset;
    marker->StartFrom = oldStartFrom;
}

bool TRVFWriter::CanJoinGroup(int itemNo) const
{
    if (FGroupCount == 0)
        return false;
    const TCustomRVItemInfo* first = Item(FGroupFirst);
    const TCustomRVItemInfo* current = Item(itemNo);
    return current->StyleNo >= 0 && !current->GetSameAsPrev() && current->StyleNo == first->StyleNo &&
           current->ParaNo == FGroupParaNo &&
           (current->ItemOptions.Bits & 0x0F) == (first->ItemOptions.Bits & 0x0F) &&
           RV_CompareTags(current->GetTag(), first->GetTag(), FTagsPC) && !current->GetCheckpoint();
}

void TRVFWriter::OpenGroup(int itemNo, int paraNo)
{
    FGroupFirst = itemNo;
    FGroupCount = 1;
    FGroupParaNo = paraNo;
}

void TRVFWriter::WriteGroup(int endItemNo)
{
    const int first = FGroupFirst;
    const int count = FGroupCount == 0 ? 0 : endItemNo - first;
    FGroupCount = 0;
    if (count <= 0)
        return;
    if (Item(first)->GetCheckpoint())
        WriteCheckpoint(Item(first)->GetCheckpoint());
    int from = first;
    if (FForceSameAsPrev) {
        FForceSameAsPrev = false;
        WriteTextRecord(first, 1, -1, RVFGetItemOptions(Item(first)->ItemOptions, true));
        ++from;
    }
    if (from < first + count)
        WriteTextRecord(from, first + count - from, FGroupParaNo,
                        RVFGetItemOptions(Item(first)->ItemOptions, false));
}

} // namespace

bool TCustomRVData::SaveRVFToStreamEx(TStream& stream, TRVFSaveScope saveScope, TColor color,
                                      TRVFBackground* background, TRVLayoutInfo* layout)
{
    if (Items->Count() == 0)
        return true;
    // The documents of nested cells find their settings through the answers
    // of this save instead of walking up to the root at every level.
    const TRVSaveAnswers answers;
    try {
        TRVFWriter writer(this, stream);
        return writer.Save(saveScope, color, background, layout);
    } catch (const std::exception&) {
        return false;
    }
}

bool TCustomRVData::SaveRVFToStream(TStream& stream, bool selectionOnly, TColor color,
                                    TRVFBackground* background, TRVLayoutInfo* layout)
{
    return SaveRVFToStreamEx(stream, GetRVFSaveScope(selectionOnly), color, background, layout);
}

bool TCustomRVData::SaveRVF(const AnsiString& fileName, bool selectionOnly, TColor Color,
                            TRVFBackground* Background, TRVLayoutInfo* Layout)
{
    try {
        SafeWriteFile(fileName, [&](TStream& stream) {
            // A failed save must not replace the file.
            if (!SaveRVFToStream(stream, selectionOnly, Color, Background, Layout))
                throw EWriteError(SysConst::SWriteError);
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TRVFOptions TCustomRVData::GetRVFSaveOptions()
{
    const TRVFOptions options = GetRVFOptions();
    if (NestedDataSaves == 0)
        return options;
    return options - TRVFOptions{rvfoSaveBack} + TRVFOptions{rvfoSaveBinary};
}

void TCustomRVData::DataWriter(TStream& stream)
{
    TCustomRVData* data = GetRVData();
    // The document is stored in binary form whatever the options: the item
    // that holds it is hex-encoded as a whole in text RVF, and a text form
    // inside would be encoded again at every level of nesting, doubling the
    // size per level. Readers take either form record by record. The form
    // goes by a count of the saves in progress, not by options set on the
    // root, which a root need not keep.
    struct TNested {
        TNested() { ++NestedDataSaves; }
        ~TNested() { --NestedDataSaves; }
    } nested;
    bool saved = false;
    RVFWriteBinaryBlock(stream, [data, &saved](TStream& out) {
        saved = data->SaveRVFToStreamEx(out, rvfss_Full, clNone, nullptr, nullptr);
    });
    if (!saved)
        throw EWriteError(SysConst::SWriteError);
}
