// List markers in RTF: the list text before a numbered or bulleted
// paragraph, tied to its entry of the list-override table.
#include <algorithm>

#include "document/crvdata.h"
#include "document/crvdata_rtfsave.h"
#include "document/rvitemfmt.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/picture.h"

namespace {

// The \ls number of a marker of list ListNo. List1 holds the number of each
// list's first entry, List2 the number last used by a restarting marker of
// the list; a restarting marker takes the next one while the list has one.
int ListOverrideNumber(TRVIntegerList* List1, TRVIntegerList* List2, int ListNo, bool Restarts)
{
    if (List1 == nullptr || ListNo < 0 || ListNo >= List1->Count())
        return -1;
    if (!Restarts || List2 == nullptr || ListNo >= List2->Count())
        return List1->Get(ListNo);
    const int Next = List2->Get(ListNo) + 1;
    // Past the list's entries (the next list's first) the first entry serves.
    if (ListNo + 1 < List1->Count() && Next >= List1->Get(ListNo + 1))
        return List1->Get(ListNo);
    List2->Put(ListNo, Next);
    return Next;
}

} // namespace

void TRVMarkerItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int, const AnsiString&,
                                double TwipsPerPixel, int, TRVColorList* ColorList, TRVIntegerList*,
                                TRVIntegerList* ListOverrideOffsetsList1,
                                TRVIntegerList* ListOverrideOffsetsList2, TRVRTFFontTable* FontTable)
{
    if (RVData == nullptr)
        return;
    TRVStyle* RVStyle = RVData->GetRVStyle();
    TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
    if (LevelInfo == nullptr)
        return;
    const TRVRTFOptions Options = RVData->GetRTFOptions();
    switch (LevelInfo->ListType()) {
    case rvlstPicture:
        if (LevelInfo->HasPicture())
            RVSaveImageToRTF(Stream, TwipsPerPixel, LevelInfo->Picture()->Graphic(), 0, 0, Options);
        return;
    case rvlstImageList:
        RVSaveImageListImageToRTF(Stream, TwipsPerPixel, LevelInfo->ImageList(), LevelInfo->ImageIndex(),
                                  Options);
        return;
    case rvlstImageListCounter:
        RVSaveImageListImageToRTF(Stream, TwipsPerPixel, LevelInfo->ImageList(),
                                  LevelInfo->ImageIndex() + Counter - 1, Options);
        return;
    default:
        break;
    }
    RVWrite(&Stream, "{\\listtext\\pard\\plain");
    RVSaveFontToRTF(Stream, LevelInfo->Font(), ColorList, FontTable, RVStyle);
    RVWrite(&Stream, " ");
    if (LevelInfo->ListType() == rvlstUnicodeBullet)
        RVWriteUnicodeRTFStr(Stream, RVU_GetRawUnicode(LevelInfo->FormatStringW()), RVStyle->DefCodePage(),
                             Options.Contains(rvrtfDuplicateUnicode), false);
    else
        RVWrite(&Stream, RVMakeRTFStr(DisplayString, false));
    RVWrite(&Stream, "\\tab}");
    const int Number = ListOverrideNumber(ListOverrideOffsetsList1, ListOverrideOffsetsList2, ListNo,
                                          Reset && LevelInfo->HasNumbering());
    if (Number >= 0)
        RVWrite(&Stream, Format("\\ls%d\\ilvl%d", {Number, std::clamp(Level, 0, 8)}));
}
