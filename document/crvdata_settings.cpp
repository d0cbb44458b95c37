// The item store: RTF loading through the root's RTF properties, the beep of a
// refused operation, and the save scope and item range the writers use.
#include "document/crvdata.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"

// ---------------------------------------------------------------------------
// RTF loading

TRVRTFErrorCode TCustomRVData::LoadRTF(const AnsiString& FileName)
{
    TRVRTFReaderProperties* Properties = GetRTFProperties();
    if (!Properties)
        return rtf_ec_Assertion;
    const int First = Items->Count() - 1;
    const TRVRTFErrorCode Result = Properties->ReadFromFile(FileName, this);
    // The old last item and the first text read may be one item now.
    MassSimpleConcate(First, Items->Count() - 1);
    return Result;
}

TRVRTFErrorCode TCustomRVData::LoadRTFFromStream(TStream& Stream)
{
    TRVRTFReaderProperties* Properties = GetRTFProperties();
    if (!Properties)
        return rtf_ec_Assertion;
    const int First = Items->Count() - 1;
    const TRVRTFErrorCode Result = Properties->ReadFromStream(Stream, this);
    MassSimpleConcate(First, Items->Count() - 1);
    return Result;
}

// ---------------------------------------------------------------------------
// Services

void TCustomRVData::Beep()
{
    TRVStyle* Style = GetRVStyle();
    if (Style && Style->UseSound())
        MessageBeep(0);
}

TRVFSaveScope TCustomRVData::GetRVFSaveScope(bool SelectionOnly)
{
    return SelectionOnly ? rvfss_Selection : rvfss_Full;
}

void TCustomRVData::RVFGetLimits(TRVFSaveScope, int& StartItemNo, int& EndItemNo, int& StartOffs,
                                 int& EndOffs, TRVMultiDrawItemPart*& StartPart,
                                 TRVMultiDrawItemPart*& EndPart)
{
    StartItemNo = 0;
    EndItemNo = Items->Count() - 1;
    StartOffs = 0;
    EndOffs = 0;
    if (EndItemNo >= 0) {
        StartOffs = GetOffsBeforeItem(StartItemNo);
        EndOffs = GetOffsAfterItem(EndItemNo);
    }
    StartPart = nullptr;
    EndPart = nullptr;
}
