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

// Writes one save of a store. The open text group is a run of consecutive
// text items [FGroupFirst, FGroupFirst + FGroupCount) that share the text
// style, paragraph, option bits and tag remembered from the first of them;
// they are written as one record of one line per item.
class TRVFWriter {
public:
    TRVFWriter(TCustomRVData* Data, TStream& Stream)
        : FData(Data), FStream(Stream), FStyle(Data->GetRVStyle()), FOptions(Data->GetRVFOptions()),
          FTagsPC(Data->GetOptions().Contains(rvoTagsArePChars)),
          FUseNames(FOptions.Contains(rvfoUseStyleNames)), FBinary(FOptions.Contains(rvfoSaveBinary))
    {}

    bool Save(TRVFSaveScope Scope, TColor Color, TRVFBackground* Background, TRVLayoutInfo* Layout);

private:
    int ItemCount() const { return FData->GetItemCount(); }
    TCustomRVItemInfo* Item(int ItemNo) const { return FData->GetItem(ItemNo); }
    int ReadMode() const { return FBinary ? 2 : 0; }

    void WriteBackground(TColor Color, TRVFBackground* Background);
    void WriteCollection(int Kind, TCollection* Collection);
    void WriteLayout(TRVLayoutInfo* Layout);
    void SetPageFlags(TRVLayoutInfo* Layout);
    void WriteCheckpoint(const TRVCPInfo* cp);
    void WriteTextRecord(int FirstItemNo, int Count, int ParaNo, int Options);
    void WritePartial(int ItemNo, int StartOffs, int EndOffs, bool ForcePara);
    void WriteNonText(int ItemNo, int ParaNo, TRVMultiDrawItemPart* Part);
    bool CanJoinGroup(int ItemNo) const;
    void OpenGroup(int ItemNo, int ParaNo);
    // Writes the group's items before item EndItemNo and closes the group.
    void WriteGroup(int EndItemNo);

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

bool TRVFWriter::Save(TRVFSaveScope Scope, TColor Color, TRVFBackground* Background, TRVLayoutInfo* Layout)
{
    RVFWriteLine(FStream, Format("%d %d %d", {rvsVersionInfo, 1, 2}));
    if (Scope != rvfss_Selection && FOptions.Contains(rvfoSaveBack))
        WriteBackground(Color, Background);
    const bool Root = FData->GetRootData() == FData;
    if (Root && FStyle) {
        if (FOptions.Contains(rvfoSaveTextStyles))
            WriteCollection(1, FStyle->TextStyles());
        if (FOptions.Contains(rvfoSaveParaStyles)) {
            WriteCollection(2, FStyle->ParaStyles());
            WriteCollection(4, FStyle->ListStyles());
        }
    }
    if (Scope == rvfss_Page && Layout)
        SetPageFlags(Layout);
    if (FOptions.Contains(rvfoSaveLayout) && Root && Layout && Scope != rvfss_Selection)
        WriteLayout(Layout);

    if (Scope == rvfss_Selection)
        if (TCustomRVData* Chosen = FData->GetChosenRVData())
            return Chosen->SaveRVFToStreamEx(FStream, rvfss_Selection, clNone, nullptr, nullptr);

    int Start = -1, End = -1, StartOffs = 0, EndOffs = 0;
    TRVMultiDrawItemPart* StartPart = nullptr;
    TRVMultiDrawItemPart* EndPart = nullptr;
    FData->RVFGetLimits(Scope, Start, End, StartOffs, EndOffs, StartPart, EndPart);
    if (End >= ItemCount())
        End = ItemCount() - 1;
    if (Start < 0 || Start > End)
        return true;

    // A part of one item: the text from StartOffs to EndOffs alone.
    if (Start == End && !StartPart && !EndPart &&
        (FData->GetOffsBeforeItem(Start) < StartOffs || FData->GetOffsAfterItem(Start) > EndOffs)) {
        WritePartial(Start, StartOffs, EndOffs, Scope == rvfss_Page);
        return true;
    }

    int i = Start;
    if (StartPart) {
        WriteNonText(Start, Item(Start)->ParaNo, StartPart);
        ++i;
    } else if (Scope == rvfss_Selection) {
        const int First = FData->GetFirstParaItem(Start);
        if (First != Start && Item(First)->StyleNo == rvsListMarker) {
            WriteNonText(First, Item(First)->ParaNo, nullptr);
            FForceSameAsPrev = true;
        }
    }
    const bool SplitEnd = EndPart && !(StartPart && Start == End);
    const int Last = SplitEnd ? End - 1 : End;

    for (; i <= Last; ++i) {
        TCustomRVItemInfo* Current = Item(i);
        const bool Text = Current->StyleNo >= 0;
        if (i == Start && (FData->GetOffsBeforeItem(i) < StartOffs || (Scope == rvfss_Page && Text))) {
            WritePartial(i, StartOffs, FData->GetOffsAfterItem(i), Scope == rvfss_Page);
            FForceSameAsPrev = false;
            continue;
        }
        if (CanJoinGroup(i)) {
            ++FGroupCount;
            continue;
        }
        WriteGroup(i);
        // The first item of a page keeps its paragraph: nothing before it is saved.
        const int ParaNo =
            Current->GetSameAsPrev() && !(i == Start && Scope == rvfss_Page) ? -1 : Current->ParaNo;
        if (Text)
            OpenGroup(i, ParaNo);
        else if (!(i == End && EndOffs < FData->GetOffsAfterItem(i)))
            WriteNonText(i, ParaNo, nullptr);
    }

    if (!SplitEnd && FGroupCount > 0 && FGroupFirst + FGroupCount - 1 == End &&
        FData->GetOffsAfterItem(End) > EndOffs) {
        // The range ends inside the last text item: the group without it,
        // then the item's beginning.
        WriteGroup(End);
        WritePartial(End, FData->GetOffsBeforeItem(End), EndOffs, false);
    } else {
        WriteGroup(Last + 1);
        // The checkpoint waiting for the next item belongs to the end of the
        // document: it goes with every save that reaches that end.
        if (!SplitEnd && End == ItemCount() - 1 && EndOffs >= FData->GetOffsAfterItem(End) &&
            FData->NotAddedCP)
            WriteCheckpoint(FData->NotAddedCP);
    }
    if (SplitEnd)
        WriteNonText(End, Item(End)->GetSameAsPrev() ? -1 : Item(End)->ParaNo, EndPart);
    return true;
}

void TRVFWriter::WriteBackground(TColor Color, TRVFBackground* Background)
{
    const int Style = Background ? Background->GetRVFBackgroundStyle() : 0;
    const TGraphic* Image = Background ? Background->GetRVFBackgroundImage() : nullptr;
    if (!Image || Image->Empty() || Style == 0) {
        RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d %d",
                                     {rvsBack, 0, -1, 0, 0, 0, Style, static_cast<int>(Color)}));
        return;
    }
    RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d %d",
                                 {rvsBack, 2, 0, 0, ReadMode(), 0, Style, static_cast<int>(Color)}));
    RVFWriteLine(FStream, Image->ClassName());
    if (FBinary)
        RVFSavePictureBinary(FStream, Image);
    else
        RVFWriteLine(FStream, RVFSavePicture(Image));
}

void TRVFWriter::WriteCollection(int Kind, TCollection* Collection)
{
    RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d", {rvsDocProperty, 2, 0, 0, ReadMode(), 0, Kind}));
    RVFWriteLine(FStream, RVFMakeLineSafe(FStyle->Name(), false));
    std::unique_ptr<TRVFListDocumentGuard> Guard;
    if (auto* Lists = dynamic_cast<TRVListInfos*>(Collection))
        Guard = std::make_unique<TRVFListDocumentGuard>(Lists, FData);
    const auto Write = [Collection](TStream& Out) {
        TWriter Writer(Out, 4096);
        Writer.WriteCollection(Collection);
    };
    if (FBinary) {
        RVFWriteBinaryBlock(FStream, Write);
    } else {
        TMemoryStream Data;
        Write(Data);
        RVFWriteLine(FStream, RVFStream2TextString(Data));
    }
}

void TRVFWriter::WriteLayout(TRVLayoutInfo* Layout)
{
    RVFWriteLine(FStream, Format("%d %d %d %d %d %d %d", {rvsDocProperty, 2, 0, 0, ReadMode(), 0, 3}));
    RVFWriteLine(FStream, AnsiString());
    if (FBinary)
        Layout->SaveToStream(FStream, true);
    else
        Layout->SaveTextToStream(FStream);
}

void TRVFWriter::SetPageFlags(TRVLayoutInfo* Layout)
{
    int Start = -1, End = -1, StartOffs = 0, EndOffs = 0;
    TRVMultiDrawItemPart* StartPart = nullptr;
    TRVMultiDrawItemPart* EndPart = nullptr;
    FData->RVFGetLimits(rvfss_Page, Start, End, StartOffs, EndOffs, StartPart, EndPart);
    if (Start < 0 || Start >= ItemCount())
        return;
    if (End >= ItemCount())
        End = ItemCount() - 1;
    Layout->FirstParaAborted = 0;
    Layout->FirstMarkerListNo = -1;
    Layout->FirstMarkerLevel = 0;
    if (FData->GetOffsBeforeItem(Start) < StartOffs || !FData->IsParaStart(Start)) {
        Layout->FirstParaAborted = 1;
        const int First = FData->GetFirstParaItem(Start);
        if (First != Start && Item(First)->StyleNo == rvsListMarker) {
            const auto* Marker = static_cast<TRVMarkerItemInfo*>(Item(First));
            Layout->FirstMarkerListNo = Marker->ListNo;
            Layout->FirstMarkerLevel = Marker->Level;
        }
    }
    Layout->LastParaAborted = 0;
    if (End >= 0 &&
        (FData->GetOffsAfterItem(End) > EndOffs || (End + 1 < ItemCount() && !FData->IsParaStart(End + 1))))
        Layout->LastParaAborted = 1;
}

void TRVFWriter::WriteCheckpoint(const TRVCPInfo* cp)
{
    RVFWriteLine(FStream,
                 Format("%d %d %d %d %d %s %d",
                        {rvsCheckpoint, 1, 0, 0, 0, RVFSaveTag(FTagsPC, cp->Tag), cp->RaiseEvent ? 1 : 0}));
    RVFWriteLine(FStream, RVFMakeLineSafe(cp->Name, false));
}

void TRVFWriter::WriteTextRecord(int FirstItemNo, int Count, int ParaNo, int Options)
{
    const TCustomRVItemInfo* First = Item(FirstItemNo);
    RVFWriteLine(FStream, Format("%s %d %s %d %d %s", {RVFSaveText(FStyle, FUseNames, First->StyleNo), Count,
                                                       RVFSavePara(FStyle, FUseNames, ParaNo), Options, 0,
                                                       RVFSaveTag(FTagsPC, First->Tag)}));
    for (int i = FirstItemNo; i < FirstItemNo + Count; ++i) {
        const bool Unicode = Item(i)->ItemOptions.Contains(rvioUnicode);
        RVFWriteLineX(FStream, RVFMakeLineSafe(FData->GetItemText(i), Unicode), Unicode);
    }
}

void TRVFWriter::WritePartial(int ItemNo, int StartOffs, int EndOffs, bool ForcePara)
{
    const TCustomRVItemInfo* Current = Item(ItemNo);
    // Only text can be cut; a part of another item is nothing.
    if (Current->StyleNo < 0)
        return;
    const bool AtStart = StartOffs <= FData->GetOffsBeforeItem(ItemNo);
    const int ParaNo = (AtStart && !Current->GetSameAsPrev()) || ForcePara ? Current->ParaNo : -1;
    if (AtStart && Current->Checkpoint)
        WriteCheckpoint(Current->Checkpoint);
    if (EndOffs < StartOffs || (ParaNo == -1 && StartOffs == EndOffs))
        return;
    const bool Unicode = Current->ItemOptions.Contains(rvioUnicode);
    RVFWriteLine(FStream, Format("%s %d %s %d %d %s", {RVFSaveText(FStyle, FUseNames, Current->StyleNo), 1,
                                                       RVFSavePara(FStyle, FUseNames, ParaNo),
                                                       RVFGetItemOptions(Current->ItemOptions, ParaNo == -1),
                                                       0, RVFSaveTag(FTagsPC, Current->Tag)}));
    const AnsiString Part =
        RVU_Copy(FData->GetItemText(ItemNo), StartOffs, EndOffs - StartOffs, Current->ItemOptions);
    RVFWriteLineX(FStream, RVFMakeLineSafe(Part, Unicode), Unicode);
}

void TRVFWriter::WriteNonText(int ItemNo, int ParaNo, TRVMultiDrawItemPart* Part)
{
    TCustomRVItemInfo* Current = Item(ItemNo);
    if (Current->Checkpoint)
        WriteCheckpoint(Current->Checkpoint);
    const bool Force = FForceSameAsPrev;
    FForceSameAsPrev = false;
    auto* Marker = dynamic_cast<TRVMarkerItemInfo*>(Current);
    if (!Marker) {
        Current->SaveRVF(FStream, FData, ItemNo, ParaNo, FData->GetItemText(ItemNo), Part, Force);
        return;
    }
    // A marker is saved with the number it shows, so that the document read
    // back numbers as it did.
    const bool OldReset = Marker->Reset;
    const int OldStartFrom = Marker->StartFrom;
    Marker->Reset = true;
    Marker->StartFrom = Marker->Counter;
    try {
        Marker->SaveRVF(FStream, FData, ItemNo, ParaNo, FData->GetItemText(ItemNo), Part, Force);
    } catch (...) {
        Marker->Reset = OldReset;
        Marker->StartFrom = OldStartFrom;
        throw;
    }
    Marker->Reset = OldReset;
    Marker->StartFrom = OldStartFrom;
}

bool TRVFWriter::CanJoinGroup(int ItemNo) const
{
    if (FGroupCount == 0)
        return false;
    const TCustomRVItemInfo* First = Item(FGroupFirst);
    const TCustomRVItemInfo* Current = Item(ItemNo);
    return Current->StyleNo >= 0 && !Current->GetSameAsPrev() && Current->StyleNo == First->StyleNo &&
           Current->ParaNo == FGroupParaNo &&
           (Current->ItemOptions.Bits & 0x0F) == (First->ItemOptions.Bits & 0x0F) &&
           RV_CompareTags(Current->Tag, First->Tag, FTagsPC) && !Current->Checkpoint;
}

void TRVFWriter::OpenGroup(int ItemNo, int ParaNo)
{
    FGroupFirst = ItemNo;
    FGroupCount = 1;
    FGroupParaNo = ParaNo;
}

void TRVFWriter::WriteGroup(int EndItemNo)
{
    const int First = FGroupFirst;
    const int Count = FGroupCount == 0 ? 0 : EndItemNo - First;
    FGroupCount = 0;
    if (Count <= 0)
        return;
    if (Item(First)->Checkpoint)
        WriteCheckpoint(Item(First)->Checkpoint);
    int From = First;
    if (FForceSameAsPrev) {
        FForceSameAsPrev = false;
        WriteTextRecord(First, 1, -1, RVFGetItemOptions(Item(First)->ItemOptions, true));
        ++From;
    }
    if (From < First + Count)
        WriteTextRecord(From, First + Count - From, FGroupParaNo,
                        RVFGetItemOptions(Item(First)->ItemOptions, false));
}

} // namespace

bool TCustomRVData::SaveRVFToStreamEx(TStream& Stream, TRVFSaveScope SaveScope, TColor Color,
                                      TRVFBackground* Background, TRVLayoutInfo* Layout)
{
    if (Items->Count() == 0)
        return true;
    try {
        TRVFWriter Writer(this, Stream);
        return Writer.Save(SaveScope, Color, Background, Layout);
    } catch (const std::exception&) {
        return false;
    }
}

bool TCustomRVData::SaveRVFToStream(TStream& Stream, bool SelectionOnly, TColor Color,
                                    TRVFBackground* Background, TRVLayoutInfo* Layout)
{
    return SaveRVFToStreamEx(Stream, GetRVFSaveScope(SelectionOnly), Color, Background, Layout);
}

bool TCustomRVData::SaveRVF(const AnsiString& FileName, bool SelectionOnly, TColor Color,
                            TRVFBackground* Background, TRVLayoutInfo* Layout)
{
    try {
        SafeWriteFile(FileName, [&](TStream& Stream) {
            // A failed save must not replace the file.
            if (!SaveRVFToStream(Stream, SelectionOnly, Color, Background, Layout))
                throw EWriteError(SysConst::SWriteError);
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TCustomRVData::DataWriter(TStream& Stream)
{
    TCustomRVData* Data = GetRVData();
    const TRVFOptions Old = Data->GetRVFOptions();
    Data->SetRVFOptions(Old - TRVFOptions{rvfoSaveBack});
    bool Saved = false;
    try {
        RVFWriteBinaryBlock(Stream, [Data, &Saved](TStream& Out) {
            Saved = Data->SaveRVFToStreamEx(Out, rvfss_Full, clNone, nullptr, nullptr);
        });
    } catch (...) {
        Data->SetRVFOptions(Old);
        throw;
    }
    Data->SetRVFOptions(Old);
    if (!Saved)
        throw EWriteError(SysConst::SWriteError);
}
