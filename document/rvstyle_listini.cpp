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
std::unique_ptr<TGraphic> ReadGraphic(const AnsiString& ClassName, const AnsiString& Hex)
{
    RegisterGraphicClasses();
    // A name from a file must not make just any registered class (a form, a
    // component): only the classes of picture formats are made, and
    // CreateGraphic makes sure that what it made is a graphic.
    const TGraphicClass graphicClass = GetClass(ClassName);
    if (GraphicExtension(graphicClass).empty())
        return nullptr;
    std::unique_ptr<TGraphic> graphic(CreateGraphic(graphicClass));
    if (!graphic)
        return nullptr;
    TMemoryStream stream;
    if (!RVFTextString2Stream(Hex, stream))
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

void TRVListLevel::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "ListType"), FListType, rvlstBullet);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "ImageIndex"), FImageIndex, 0);
    WriteLongStringToINI(ini, Section, RVIniKey(fs, "FormatString"), FFormatString);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "LeftIndent"), FLeftIndent, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "FirstIndent"), FFirstIndent, 10);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "MarkerIndent"), FMarkerIndent, 0);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "MarkerAlignment"), FMarkerAlignment, rvmaLeft);
    if (HasPicture()) {
        const TGraphic* graphic = FPicture->Graphic();
        ini->WriteString(Section, RVIniKey(fs, "GraphicClass"), graphic->ClassName());
        TMemoryStream stream;
        graphic->SaveToStream(stream);
        WriteLongStringToINI(ini, Section, RVIniKey(fs, "Picture"), RVFStream2TextString(stream));
    }
    if (FFont)
        WriteIniString(ini, Section, RVIniKey(fs, "Font"), RVFontToString(FFont.get()));
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "Continuous"), FOptions.Contains(rvloContinuous), true);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "LevelReset"), FOptions.Contains(rvloLevelReset), true);
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "LegalStyleNumbering"),
                       FOptions.Contains(rvloLegalStyleNumbering), false);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "StartFrom"), FStartFrom, 1);
    if (!FFormatStringW.empty())
        WriteLongStringToINI(ini, Section, RVIniKey(fs, "FormatStringW"),
                             RVEncodeString(RVU_GetRawUnicode(FFormatStringW)));
}

void TRVListLevel::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    const int listType = ini->ReadInteger(Section, RVIniKey(fs, "ListType"), rvlstBullet);
    FListType = listType >= rvlstBullet && listType <= rvlstUnicodeBullet ? static_cast<TRVListType>(listType)
                                                                          : rvlstBullet;
    FImageIndex = ini->ReadInteger(Section, RVIniKey(fs, "ImageIndex"), 0);
    FFormatString = ReadLongStringFromINI(ini, Section, RVIniKey(fs, "FormatString"));
    FLeftIndent = ini->ReadInteger(Section, RVIniKey(fs, "LeftIndent"), 0);
    FFirstIndent = ini->ReadInteger(Section, RVIniKey(fs, "FirstIndent"), 10);
    FMarkerIndent = ini->ReadInteger(Section, RVIniKey(fs, "MarkerIndent"), 0);
    const int alignment = ini->ReadInteger(Section, RVIniKey(fs, "MarkerAlignment"), rvmaLeft);
    FMarkerAlignment = alignment >= rvmaLeft && alignment <= rvmaCenter
                           ? static_cast<TRVMarkerAlignment>(alignment)
                           : rvmaLeft;

    // A picture that cannot be read leaves the level without one; the rest of
    // the level still loads.
    const AnsiString graphicClass = ini->ReadString(Section, RVIniKey(fs, "GraphicClass"), "");
    std::unique_ptr<TGraphic> graphic;
    if (!graphicClass.empty())
        graphic = ReadGraphic(graphicClass, ReadLongStringFromINI(ini, Section, RVIniKey(fs, "Picture")));
    if (graphic) {
        Picture()->SetGraphic(graphic.get());
    } else {
        FPicture.reset();
    }

    const AnsiString font = ini->ReadString(Section, RVIniKey(fs, "Font"), "");
    if (font.empty())
        FFont.reset();
    else
        RVStringToFont(font, Font());

    FOptions = TRVListLevelOptions();
    FOptions.Set(rvloContinuous, IniReadBool(ini, Section, RVIniKey(fs, "Continuous"), true));
    FOptions.Set(rvloLevelReset, IniReadBool(ini, Section, RVIniKey(fs, "LevelReset"), true));
    FOptions.Set(rvloLegalStyleNumbering,
                 IniReadBool(ini, Section, RVIniKey(fs, "LegalStyleNumbering"), false));
    FStartFrom = ini->ReadInteger(Section, RVIniKey(fs, "StartFrom"), 1);

    const AnsiString bytes =
        RVDecodeString(ReadLongStringFromINI(ini, Section, RVIniKey(fs, "FormatStringW")));
    FFormatStringW.assign(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < FFormatStringW.size(); ++i)
        FFormatStringW[i] = static_cast<WideChar>(static_cast<unsigned char>(bytes[2 * i]) |
                                                  (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
}

// ---------------------------------------------------------------------------
// TRVListInfo

void TRVListInfo::SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const
{
    TCustomRVInfo::SaveToINI(ini, Section, fs);
    WriteIntToIniIfNE(ini, Section, RVIniKey(fs, "LevelsCount"), FLevels.Count(), 0);
    // Each list has its own key; the older shared key "OneLevelPreview" could
    // keep only one value for all lists of a section.
    WriteBoolToIniIfNE(ini, Section, RVIniKey(fs, "OneLevelPreview"), FOneLevelPreview, false);
    for (int j = 0; j < FLevels.Count(); ++j)
        FLevels.Items(j)->SaveToINI(ini, Section, LevelPattern(fs, j));
}

void TRVListInfo::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs)
{
    TCustomRVInfo::LoadFromINI(ini, Section, fs, "List Style");
    const bool shared = IniReadBool(ini, Section, "OneLevelPreview", false);
    FOneLevelPreview = IniReadBool(ini, Section, RVIniKey(fs, "OneLevelPreview"), shared);
    const int count = RVReadIniCount(ini, Section, RVIniKey(fs, "LevelsCount"), 0);
    for (int j = 0; j < count; ++j)
        FLevels.Add()->LoadFromINI(ini, Section, LevelPattern(fs, j));
}

// ---------------------------------------------------------------------------
// TRVListInfos

void TRVListInfos::CheckINICounts(TCustomIniFile* ini, const AnsiString& Section)
{
    const int count = RVReadIniCount(ini, Section, "ListCount", 0);
    for (int i = 0; i < count; ++i)
        RVReadIniCount(ini, Section, RVIniKey("List%s" + IntToStr(i), "LevelsCount"), 0);
}

void TRVListInfos::SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const
{
    ini->WriteInteger(Section, "ListCount", Count());
    for (int i = 0; i < Count(); ++i)
        Items(i)->SaveToINI(ini, Section, "List%s" + IntToStr(i));
}

void TRVListInfos::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section)
{
    CheckINICounts(ini, Section);
    const int count = RVReadIniCount(ini, Section, "ListCount", 0);
    ReplaceEntries<TRVListInfo>(
        count, [&](TRVListInfo* info, int i) { info->LoadFromINI(ini, Section, "List%s" + IntToStr(i)); });
}
