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
int ListOverrideNumber(TRVIntegerList* list1, TRVIntegerList* list2, int listNo, bool restarts)
{
    if (list1 == nullptr || listNo < 0 || listNo >= list1->Count())
        return -1;
    if (!restarts || list2 == nullptr || listNo >= list2->Count())
        return list1->Get(listNo);
    const int next = list2->Get(listNo) + 1;
    // Past the list's entries (the next list's first) the first entry serves.
    if (listNo + 1 < list1->Count() && next >= list1->Get(listNo + 1))
        return list1->Get(listNo);
    list2->Put(listNo, next);
    return next;
}

} // namespace

void TRVMarkerItemInfo::SaveRTF(TStream& stream, TCustomRVData* rvData, int, const AnsiString&,
                                double twipsPerPixel, int, TRVColorList* colorList, TRVIntegerList*,
                                TRVIntegerList* listOverrideOffsetsList1,
                                TRVIntegerList* listOverrideOffsetsList2, TRVRTFFontTable* fontTable)
{
    if (rvData == nullptr)
        return;
    TRVStyle* rvStyle = rvData->GetRVStyle();
    TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
    if (levelInfo == nullptr)
        return;
    const TRVRTFOptions options = rvData->GetRTFOptions();
    switch (levelInfo->ListType()) {
    case rvlstPicture:
        if (levelInfo->HasPicture())
            RVSaveImageToRTF(stream, twipsPerPixel, levelInfo->Picture()->Graphic(), 0, 0, options);
        return;
    case rvlstImageList:
        RVSaveImageListImageToRTF(stream, twipsPerPixel, levelInfo->ImageList(), levelInfo->ImageIndex(),
                                  options);
        return;
    case rvlstImageListCounter:
        RVSaveImageListImageToRTF(stream, twipsPerPixel, levelInfo->ImageList(),
                                  levelInfo->ImageIndex() + Counter - 1, options);
        return;
    default:
        break;
    }
    RVWrite(&stream, "{\\listtext\\pard\\plain");
    RVSaveFontToRTF(stream, levelInfo->Font(), colorList, fontTable, rvStyle);
    RVWrite(&stream, " ");
    if (levelInfo->ListType() == rvlstUnicodeBullet)
        RVWriteUnicodeRTFStr(stream, RVU_GetRawUnicode(levelInfo->FormatStringW()), rvStyle->DefCodePage(),
                             options.Contains(rvrtfDuplicateUnicode), false);
    else
        RVWrite(&stream, RVMakeRTFStr(DisplayString, false));
    RVWrite(&stream, "\\tab}");
    const int number = ListOverrideNumber(listOverrideOffsetsList1, listOverrideOffsetsList2, ListNo,
                                          Reset && levelInfo->HasNumbering());
    if (number >= 0)
        RVWrite(&stream, Format("\\ls%d\\ilvl%d", {number, std::clamp(Level, 0, 8)}));
}
