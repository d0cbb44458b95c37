// List markers in HTML: the list tags opened and closed between markers, the
// list-style picture of a list item, and the marker written as text.
#include <algorithm>

#include "document/rvfuncs.h"
#include "document/rvitemfmt.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/picture.h"

namespace {

// The deepest level the list tags are written for: a level read from a file
// must not make millions of tags.
constexpr int MaxHTMLLevel = 255;

bool IsImageLevel(TRVListType listType)
{
    return listType == rvlstPicture || listType == rvlstImageList || listType == rvlstImageListCounter;
}

} // namespace

void TRVMarkerItemInfo::HTMLOpenOrCloseTags(TStream& stream, int oldLevel, int newLevel, TRVStyle* rvStyle,
                                            bool useCss) const
{
    oldLevel = std::clamp(oldLevel, -1, MaxHTMLLevel);
    newLevel = std::clamp(newLevel, -1, MaxHTMLLevel);
    for (int l = oldLevel; l > newLevel; --l)
        if (const TRVListLevel* levelInfo = GetLevelInfoEx(rvStyle, l))
            levelInfo->HTMLCloseTag(&stream, useCss);
    for (int l = oldLevel + 1; l <= newLevel; ++l)
        if (const TRVListLevel* levelInfo = GetLevelInfoEx(rvStyle, l))
            levelInfo->HTMLOpenTag(&stream, useCss);
    if (oldLevel != newLevel)
        RVWriteLn(&stream, "");
}

void TRVMarkerItemInfo::SaveHTMLSpecial(TStream& stream, const TRVMarkerItemInfo* prev, TRVStyle* rvStyle,
                                        bool useCss) const
{
    if (prev == nullptr) {
        HTMLOpenOrCloseTags(stream, -1, Level, rvStyle, useCss);
    } else if (prev->ListNo != ListNo) {
        prev->HTMLOpenOrCloseTags(stream, prev->Level, -1, rvStyle, useCss);
        HTMLOpenOrCloseTags(stream, -1, Level, rvStyle, useCss);
    } else {
        HTMLOpenOrCloseTags(stream, prev->Level, Level, rvStyle, useCss);
    }
}

AnsiString TRVMarkerItemInfo::SaveLevelImage(TRVListLevel* levelInfo, TCustomRVData* rvData,
                                             const AnsiString& path, const AnsiString& imagesPrefix,
                                             int& imageCounter, TColor currentFileColor,
                                             TRVSaveOptions saveOptions, TRVList* bullets) const
{
    AnsiString location;
    if (levelInfo->ListType() == rvlstPicture) {
        if (levelInfo->HasPicture())
            RVSaveImageSharedImageInHTML(nullptr, 0, levelInfo->Picture()->Graphic(), location, rvData, path,
                                         imagesPrefix, imageCounter, currentFileColor, saveOptions, bullets);
        return location;
    }
    TCustomImageList* list = levelInfo->ImageList();
    int64_t index = levelInfo->ImageIndex();
    if (levelInfo->ListType() == rvlstImageListCounter)
        index += static_cast<int64_t>(Counter) - 1;
    if (list != nullptr && index >= 0 && index < list->Count())
        RVSaveImageSharedImageInHTML(list, static_cast<int>(index), nullptr, location, rvData, path,
                                     imagesPrefix, imageCounter, currentFileColor, saveOptions, bullets);
    return location;
}

AnsiString TRVMarkerItemInfo::GetLICSS(TCustomRVData* rvData, const AnsiString& path,
                                       const AnsiString& imagesPrefix, int& imageCounter,
                                       TColor currentFileColor, TRVSaveOptions saveOptions, TRVList* bullets)
{
    TRVListLevel* levelInfo = GetLevelInfo(rvData->GetRVStyle());
    if (levelInfo == nullptr || !IsImageLevel(levelInfo->ListType()))
        return AnsiString();
    const AnsiString location = SaveLevelImage(levelInfo, rvData, path, imagesPrefix, imageCounter,
                                               currentFileColor, saveOptions, bullets);
    if (location.empty())
        return AnsiString();
    // Declarations in a style attribute stand without braces, or browsers drop
    // them; the location is a CSS string inside an attribute value.
    return " style=\"" +
           RV_EscapeHTMLAttribute(Format("list-style: url('%s')", {RV_EscapeCSSString(location)})) + "\"";
}

void TRVMarkerItemInfo::SaveToHTML(TStream& stream, TCustomRVData* rvData, int itemNo, const AnsiString& text,
                                   const AnsiString& path, const AnsiString& imagesPrefix, int& imageCounter,
                                   TColor currentFileColor, TRVSaveOptions saveOptions, bool useCss,
                                   TRVList* bullets)
{
    (void)itemNo;
    (void)text;
    if (!saveOptions.Contains(rvsoMarkersAsText))
        return;
    TRVStyle* rvStyle = rvData->GetRVStyle();
    TRVListLevel* levelInfo = GetLevelInfo(rvStyle);
    if (levelInfo == nullptr)
        return;
    const bool widthSet = levelInfo->MarkerIndent() >= levelInfo->LeftIndent();
    const int spanWidth = levelInfo->LeftIndent() + levelInfo->FirstIndent() - levelInfo->MarkerIndent();
    if (IsImageLevel(levelInfo->ListType())) {
        const AnsiString location = SaveLevelImage(levelInfo, rvData, path, imagesPrefix, imageCounter,
                                                   currentFileColor, saveOptions, bullets);
        if (location.empty())
            return;
        const bool span = useCss && widthSet && levelInfo->ListType() != rvlstPicture;
        if (span)
            RVWrite(&stream, Format("<SPAN style=\"width: %dpx;\">", {spanWidth}));
        RVWrite(&stream, "<IMG" +
                             RV_GetExtraIMGStr(saveOptions, GetImageWidth(rvStyle), GetImageHeight(rvStyle)) +
                             "src=\"" + RV_EscapeHTMLAttribute(location) + "\">");
        if (span)
            RVWrite(&stream, "</SPAN>");
        return;
    }
    const AnsiString markerText =
        levelInfo->ListType() == rvlstUnicodeBullet
            ? RVU_GetHTMLEncodedUnicode(RVU_GetRawUnicode(levelInfo->FormatStringW()), false, false)
            : RV_EscapeHTMLText(DisplayString);
    if (useCss) {
        AnsiString css = RV_GetHTMLFontCSS(levelInfo->Font());
        if (widthSet)
            css += Format(" width: %dpx;", {spanWidth});
        RVWrite(&stream, "<SPAN style=\"" + css + "\">" + markerText + "</SPAN>");
    } else {
        const TFontInfo* normal = rvStyle->TextStyles()->Items(0);
        RVWrite(&stream, RV_HTMLOpenFontTag2(levelInfo->Font(), normal) + markerText +
                             RV_HTMLCloseFontTag2(levelInfo->Font(), normal));
    }
    RVWriteLn(&stream, "");
}
