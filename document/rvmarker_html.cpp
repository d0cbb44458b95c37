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

bool IsImageLevel(TRVListType ListType)
{
    return ListType == rvlstPicture || ListType == rvlstImageList || ListType == rvlstImageListCounter;
}

} // namespace

void TRVMarkerItemInfo::HTMLOpenOrCloseTags(TStream& Stream, int OldLevel, int NewLevel, TRVStyle* RVStyle,
                                            bool UseCSS) const
{
    OldLevel = std::clamp(OldLevel, -1, MaxHTMLLevel);
    NewLevel = std::clamp(NewLevel, -1, MaxHTMLLevel);
    for (int l = OldLevel; l > NewLevel; --l)
        if (const TRVListLevel* LevelInfo = GetLevelInfoEx(RVStyle, l))
            LevelInfo->HTMLCloseTag(&Stream, UseCSS);
    for (int l = OldLevel + 1; l <= NewLevel; ++l)
        if (const TRVListLevel* LevelInfo = GetLevelInfoEx(RVStyle, l))
            LevelInfo->HTMLOpenTag(&Stream, UseCSS);
    if (OldLevel != NewLevel)
        RVWriteLn(&Stream, "");
}

void TRVMarkerItemInfo::SaveHTMLSpecial(TStream& Stream, const TRVMarkerItemInfo* Prev, TRVStyle* RVStyle,
                                        bool UseCSS) const
{
    if (Prev == nullptr) {
        HTMLOpenOrCloseTags(Stream, -1, Level, RVStyle, UseCSS);
    } else if (Prev->ListNo != ListNo) {
        Prev->HTMLOpenOrCloseTags(Stream, Prev->Level, -1, RVStyle, UseCSS);
        HTMLOpenOrCloseTags(Stream, -1, Level, RVStyle, UseCSS);
    } else {
        HTMLOpenOrCloseTags(Stream, Prev->Level, Level, RVStyle, UseCSS);
    }
}

AnsiString TRVMarkerItemInfo::SaveLevelImage(TRVListLevel* LevelInfo, TCustomRVData* RVData,
                                             const AnsiString& Path, const AnsiString& ImagesPrefix,
                                             int& ImageCounter, TColor CurrentFileColor,
                                             TRVSaveOptions SaveOptions, TRVList* Bullets) const
{
    AnsiString Location;
    if (LevelInfo->ListType() == rvlstPicture) {
        if (LevelInfo->HasPicture())
            RVSaveImageSharedImageInHTML(nullptr, 0, LevelInfo->Picture()->Graphic(), Location, RVData, Path,
                                         ImagesPrefix, ImageCounter, CurrentFileColor, SaveOptions, Bullets);
        return Location;
    }
    TCustomImageList* List = LevelInfo->ImageList();
    int64_t Index = LevelInfo->ImageIndex();
    if (LevelInfo->ListType() == rvlstImageListCounter)
        Index += static_cast<int64_t>(Counter) - 1;
    if (List != nullptr && Index >= 0 && Index < List->Count())
        RVSaveImageSharedImageInHTML(List, static_cast<int>(Index), nullptr, Location, RVData, Path,
                                     ImagesPrefix, ImageCounter, CurrentFileColor, SaveOptions, Bullets);
    return Location;
}

AnsiString TRVMarkerItemInfo::GetLICSS(TCustomRVData* RVData, const AnsiString& Path,
                                       const AnsiString& ImagesPrefix, int& ImageCounter,
                                       TColor CurrentFileColor, TRVSaveOptions SaveOptions, TRVList* Bullets)
{
    TRVListLevel* LevelInfo = GetLevelInfo(RVData->GetRVStyle());
    if (LevelInfo == nullptr || !IsImageLevel(LevelInfo->ListType()))
        return AnsiString();
    const AnsiString Location = SaveLevelImage(LevelInfo, RVData, Path, ImagesPrefix, ImageCounter,
                                               CurrentFileColor, SaveOptions, Bullets);
    if (Location.empty())
        return AnsiString();
    // Declarations in a style attribute stand without braces, or browsers drop
    // them; the location is a CSS string inside an attribute value.
    return " style=\"" +
           RV_EscapeHTMLAttribute(Format("list-style: url('%s')", {RV_EscapeCSSString(Location)})) + "\"";
}

void TRVMarkerItemInfo::SaveToHTML(TStream& Stream, TCustomRVData* RVData, int ItemNo, const AnsiString& Text,
                                   const AnsiString& Path, const AnsiString& ImagesPrefix, int& ImageCounter,
                                   TColor CurrentFileColor, TRVSaveOptions SaveOptions, bool UseCSS,
                                   TRVList* Bullets)
{
    (void)ItemNo;
    (void)Text;
    if (!SaveOptions.Contains(rvsoMarkersAsText))
        return;
    TRVStyle* RVStyle = RVData->GetRVStyle();
    TRVListLevel* LevelInfo = GetLevelInfo(RVStyle);
    if (LevelInfo == nullptr)
        return;
    const bool WidthSet = LevelInfo->MarkerIndent() >= LevelInfo->LeftIndent();
    const int SpanWidth = LevelInfo->LeftIndent() + LevelInfo->FirstIndent() - LevelInfo->MarkerIndent();
    if (IsImageLevel(LevelInfo->ListType())) {
        const AnsiString Location = SaveLevelImage(LevelInfo, RVData, Path, ImagesPrefix, ImageCounter,
                                                   CurrentFileColor, SaveOptions, Bullets);
        if (Location.empty())
            return;
        const bool Span = UseCSS && WidthSet && LevelInfo->ListType() != rvlstPicture;
        if (Span)
            RVWrite(&Stream, Format("<SPAN style=\"width: %dpx;\">", {SpanWidth}));
        RVWrite(&Stream, "<IMG" +
                             RV_GetExtraIMGStr(SaveOptions, GetImageWidth(RVStyle), GetImageHeight(RVStyle)) +
                             "src=\"" + RV_EscapeHTMLAttribute(Location) + "\">");
        if (Span)
            RVWrite(&Stream, "</SPAN>");
        return;
    }
    const AnsiString MarkerText =
        LevelInfo->ListType() == rvlstUnicodeBullet
            ? RVU_GetHTMLEncodedUnicode(RVU_GetRawUnicode(LevelInfo->FormatStringW()), false, false)
            : RV_EscapeHTMLText(DisplayString);
    if (UseCSS) {
        AnsiString CSS = RV_GetHTMLFontCSS(LevelInfo->Font());
        if (WidthSet)
            CSS += Format(" width: %dpx;", {SpanWidth});
        RVWrite(&Stream, "<SPAN style=\"" + CSS + "\">" + MarkerText + "</SPAN>");
    } else {
        const TFontInfo* Normal = RVStyle->TextStyles()->Items(0);
        RVWrite(&Stream, RV_HTMLOpenFontTag2(LevelInfo->Font(), Normal) + MarkerText +
                             RV_HTMLCloseFontTag2(LevelInfo->Font(), Normal));
    }
    RVWriteLn(&Stream, "");
}
