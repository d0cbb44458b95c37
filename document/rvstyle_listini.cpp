// Ini persistence of list styles: levels (with their pictures and fonts as
// text), lists and the collection.
#include "document/rvstyle_list.h"

#include "document/rvfmisc.h"
#include "document/rvuni.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/graphics/picture.h"

namespace {

// The key pattern of level j of a list saved with the pattern fs.
AnsiString LevelPattern(const AnsiString& fs, int j)
{
    return RVIniKey(fs, "") + "Lvl%s" + IntToStr(j);
}

// The picture read from its class name and hexadecimal bytes; null when the
// name is not that of a picture class or the bytes do not make a picture of it.
std::unique_ptr<TGraphic> ReadGraphic(const AnsiString& className, const AnsiString& hex)
{
    RegisterGraphicClasses();
    // A name from a file must not make just any registered class (a form, a
    // component): only the classes of picture formats are made, and
    // CreateGraphic makes sure that what it made is a graphic.
    const TGraphicClass graphicClass = GetClass(className);
    if (GraphicExtension(graphicClass).empty())
        return nullptr;
    std::unique_ptr<TGraphic> graphic(CreateGraphic(graphicClass));
    if (!graphic)
        return nullptr;
    TMemoryStream stream;
    if (!RVFTextString2Stream(hex, stream))
        return nullptr;
    try {
        graphic->LoadFromStream(stream);
    } catch (const Exception&) {
        return nullptr;
    }
    return graphic;
}

} // namespace

// ---------------------------------------------------------------------------
// TRVListLevel

void TRVListLevel::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    WriteIntToIniIfNE(ini, section, key("ListType"), FListType, rvlstBullet);
    WriteIntToIniIfNE(ini, section, key("ImageIndex"), FImageIndex, 0);
    WriteLongStringToINI(ini, section, key("FormatString"), FFormatString);
    WriteIntToIniIfNE(ini, section, key("LeftIndent"), FLeftIndent, 0);
    WriteIntToIniIfNE(ini, section, key("FirstIndent"), FFirstIndent, 10);
    WriteIntToIniIfNE(ini, section, key("MarkerIndent"), FMarkerIndent, 0);
    WriteIntToIniIfNE(ini, section, key("MarkerAlignment"), FMarkerAlignment, rvmaLeft);
    if (HasPicture()) {
        const TGraphic* graphic = FPicture->Graphic();
        ini->WriteString(section, key("GraphicClass"), graphic->ClassName());
        TMemoryStream stream;
        graphic->SaveToStream(stream);
        WriteLongStringToINI(ini, section, key("Picture"), RVFStream2TextString(stream));
    }
    if (FFont)
        WriteIniString(ini, section, key("Font"), RVFontToString(FFont.get()));
    WriteBoolToIniIfNE(ini, section, key("Continuous"), FOptions.Contains(rvloContinuous), true);
    WriteBoolToIniIfNE(ini, section, key("LevelReset"), FOptions.Contains(rvloLevelReset), true);
    WriteBoolToIniIfNE(ini, section, key("LegalStyleNumbering"), FOptions.Contains(rvloLegalStyleNumbering),
                       false);
    WriteIntToIniIfNE(ini, section, key("StartFrom"), FStartFrom, 1);
    if (!FFormatStringW.empty())
        WriteLongStringToINI(ini, section, key("FormatStringW"),
                             RVEncodeString(RVU_GetRawUnicode(FFormatStringW)));
}

void TRVListLevel::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    const int listType = ini->ReadInteger(section, key("ListType"), rvlstBullet);
    FListType = listType >= rvlstBullet && listType <= rvlstUnicodeBullet ? static_cast<TRVListType>(listType)
                                                                          : rvlstBullet;
    FImageIndex = ini->ReadInteger(section, key("ImageIndex"), 0);
    FFormatString = ReadLongStringFromINI(ini, section, key("FormatString"));
    // Lengths from a file are kept within the limit the layout's sums allow.
    FLeftIndent = RV_ClampStyleLength(ini->ReadInteger(section, key("LeftIndent"), 0));
    FFirstIndent = RV_ClampStyleLength(ini->ReadInteger(section, key("FirstIndent"), 10));
    FMarkerIndent = RV_ClampStyleLength(ini->ReadInteger(section, key("MarkerIndent"), 0));
    const int alignment = ini->ReadInteger(section, key("MarkerAlignment"), rvmaLeft);
    FMarkerAlignment = alignment >= rvmaLeft && alignment <= rvmaCenter
                           ? static_cast<TRVMarkerAlignment>(alignment)
                           : rvmaLeft;

    // A picture that cannot be read leaves the level without one; the rest of
    // the level still loads.
    const AnsiString graphicClass = ini->ReadString(section, key("GraphicClass"), "");
    std::unique_ptr<TGraphic> graphic;
    if (!graphicClass.empty())
        graphic = ReadGraphic(graphicClass, ReadLongStringFromINI(ini, section, key("Picture")));
    if (graphic) {
        Picture()->SetGraphic(graphic.get());
    } else {
        FPicture.reset();
    }

    const AnsiString font = ini->ReadString(section, key("Font"), "");
    if (font.empty())
        FFont.reset();
    else
        RVStringToFont(font, Font());

    FOptions = TRVListLevelOptions();
    FOptions.Set(rvloContinuous, IniReadBool(ini, section, key("Continuous"), true));
    FOptions.Set(rvloLevelReset, IniReadBool(ini, section, key("LevelReset"), true));
    FOptions.Set(rvloLegalStyleNumbering, IniReadBool(ini, section, key("LegalStyleNumbering"), false));
    FStartFrom = ini->ReadInteger(section, key("StartFrom"), 1);

    const AnsiString bytes = RVDecodeString(ReadLongStringFromINI(ini, section, key("FormatStringW")));
    FFormatStringW = RVU_RawUnicodeUnits(bytes);
}

// ---------------------------------------------------------------------------
// TRVListInfo

void TRVListInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const
{
    TRVIniKeys key(fs);
    TCustomRVInfo::SaveToINI(ini, section, fs);
    WriteIntToIniIfNE(ini, section, key("LevelsCount"), FLevels.Count(), 0);
    // Each list has its own key; the older shared key "OneLevelPreview" could
    // keep only one value for all lists of a section.
    WriteBoolToIniIfNE(ini, section, key("OneLevelPreview"), FOneLevelPreview, false);
    for (int j = 0; j < FLevels.Count(); ++j)
        FLevels.Items(j)->SaveToINI(ini, section, LevelPattern(fs, j));
}

void TRVListInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs)
{
    TRVIniKeys key(fs);
    TCustomRVInfo::LoadFromINI(ini, section, fs, "List Style");
    const bool shared = IniReadBool(ini, section, "OneLevelPreview", false);
    FOneLevelPreview = IniReadBool(ini, section, key("OneLevelPreview"), shared);
    const int count = RVReadIniCount(ini, section, key("LevelsCount"), 0);
    for (int j = 0; j < count; ++j)
        FLevels.Add()->LoadFromINI(ini, section, LevelPattern(fs, j));
}

// ---------------------------------------------------------------------------
// TRVListInfos

// Every count is bounded, and so is their sum: lists of many levels each would
// otherwise let a few bytes of ini text ask for billions of levels.
void TRVListInfos::CheckINICounts(TCustomIniFile* ini, const AnsiString& section)
{
    const int count = RVReadIniCount(ini, section, "ListCount", 0);
    int64_t levels = 0;
    for (int i = 0; i < count; ++i) {
        levels += RVReadIniCount(ini, section, RVIniKey("List%s" + IntToStr(i), "LevelsCount"), 0);
        if (levels > RVMaxIniStyleCount)
            throw ERollViewError(Format(errRVCorruptStyleSection, {section}));
    }
}

void TRVListInfos::SaveToINI(TCustomIniFile* ini, const AnsiString& section) const
{
    ini->WriteInteger(section, "ListCount", Count());
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToINI(ini, section, "List%s" + IntToStr(i));
}

void TRVListInfos::LoadFromINI(TCustomIniFile* ini, const AnsiString& section)
{
    CheckINICounts(ini, section);
    const int count = RVReadIniCount(ini, section, "ListCount", 0);
    ReplaceEntries<TRVListInfo>(
        count, [&](TRVListInfo* info, int i) { info->LoadFromINI(ini, section, "List%s" + IntToStr(i)); });
}
