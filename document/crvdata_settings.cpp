// The item store: RTF loading through the root's RTF properties, the beep of a
// refused operation, and the save scope and item range the writers use.
#include "document/crvdata.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"

// ---------------------------------------------------------------------------
// RTF loading

TRVRTFErrorCode TCustomRVData::LoadRTF(const AnsiString& fileName)
{
    TRVRTFReaderProperties* properties = GetRTFProperties();
    if (!properties)
        return rtf_ec_Assertion;
    const int first = Items->Count() - 1;
    const TRVRTFErrorCode result = properties->ReadFromFile(fileName, this);
    // The old last item and the first text read may be one item now.
    MassSimpleConcate(first, Items->Count() - 1);
    return result;
}

TRVRTFErrorCode TCustomRVData::LoadRTFFromStream(TStream& stream)
{
    TRVRTFReaderProperties* properties = GetRTFProperties();
    if (!properties)
        return rtf_ec_Assertion;
    const int first = Items->Count() - 1;
    const TRVRTFErrorCode result = properties->ReadFromStream(stream, this);
    MassSimpleConcate(first, Items->Count() - 1);
    return result;
}

// ---------------------------------------------------------------------------
// Services

void TCustomRVData::Beep()
{
    TRVStyle* style = GetRVStyle();
    if (style && style->UseSound())
        MessageBeep(0);
}

TRVFSaveScope TCustomRVData::GetRVFSaveScope(bool selectionOnly)
{
    return selectionOnly ? rvfss_Selection : rvfss_Full;
}

void TCustomRVData::RVFGetLimits(TRVFSaveScope, int& startItemNo, int& endItemNo, int& startOffs,
                                 int& endOffs, TRVMultiDrawItemPart*& startPart,
                                 TRVMultiDrawItemPart*& endPart)
{
    startItemNo = 0;
    endItemNo = Items->Count() - 1;
    startOffs = 0;
    endOffs = 0;
    if (endItemNo >= 0) {
        startOffs = GetOffsBeforeItem(startItemNo);
        endOffs = GetOffsAfterItem(endItemNo);
    }
    startPart = nullptr;
    endPart = nullptr;
}
