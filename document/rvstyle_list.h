// List styles: the marker font, list levels (marker kind, text, picture or
// image, indents, numbering options), list styles made of levels, and the
// style sheet's collection of them, with comparison, similarity, ini keys and
// the HTML list tags.
#pragma once

#include <cstdint>
#include <memory>

#include "document/rvstyle_info.h"
#include "platform/graphics/gdiobjects.h"

class TComponent;
class TCustomImageList;
class TPicture;
class TStream;

// The font of a marker's text: Arial 8 unless set.
class TRVMarkerFont : public TFont {
public:
    TRVMarkerFont();
    const char* ClassName() const override { return "TRVMarkerFont"; }
    const TPropertyTable* PropertyTable() const override;
    // Arial (in any case) 8, clWindowText, the default character set, no styles.
    bool IsDefault() const;
    // Height, style, colour and character set equal, names equal ignoring case.
    bool IsEqual(const TFont* font) const;
};

enum TRVListType : uint8_t {
    rvlstBullet,
    rvlstPicture,
    rvlstImageList,
    rvlstDecimal,
    rvlstLowerAlpha,
    rvlstUpperAlpha,
    rvlstLowerRoman,
    rvlstUpperRoman,
    rvlstImageListCounter,
    rvlstUnicodeBullet,
};
enum TRVListLevelOption { rvloContinuous, rvloLevelReset, rvloLegalStyleNumbering };
using TRVListLevelOptions = TRVSet<TRVListLevelOption, uint8_t>;
enum TRVMarkerAlignment : uint8_t { rvmaLeft, rvmaRight, rvmaCenter };

// The marker text: bytes in the style's code page, or UTF-16.
using TRVMarkerFormatString = AnsiString;
using TRVMarkerFormatStringW = WideString;

class TRVListInfo;
class TRVListInfos;

// What a document answers for the list levels it streams: the image list with
// a tag (the viewer passes the request to its image-list-needed event); null
// when there is none. The document data that streams list styles implements it.
class TRVImageListProvider {
public:
    virtual TCustomImageList* RVFImageListNeeded(int imageListTag) = 0;

protected:
    ~TRVImageListProvider() = default;
};

// One level of a list style. It owns its picture and font objects, which exist
// only once asked for or assigned; the image list is not owned.
class TRVListLevel : public TCollectionItem {
public:
    explicit TRVListLevel(TCollection* collection);
    ~TRVListLevel() override;
    const char* ClassName() const override { return "TRVListLevel"; }
    // Component streaming. Besides the published properties: "FormatStringCode"
    // and "FormatStringWCode" (the marker texts encoded), and, while the list
    // styles are streamed inside a document, "ILTag" (the tag of the image list).
    const TPropertyTable* PropertyTable() const override;
    void DefineProperties(TFiler* filer) override;
    void Assign(const TPersistent* source) override;
    // "List Level %d" with the level's index.
    AnsiString DisplayName() const override;

    TRVListType ListType() const { return FListType; }
    void SetListType(TRVListType value) { SetField(FListType, value); }
    int StartFrom() const { return FStartFrom; }
    void SetStartFrom(int value) { SetField(FStartFrom, value); }
    TCustomImageList* ImageList() const { return FImageList; }
    // The style sheet that holds the level (when there is one) is told when the
    // image list goes away, and clears it from its levels.
    void SetImageList(TCustomImageList* value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { SetField(FImageIndex, value); }
    const TRVMarkerFormatString& FormatString() const { return FFormatString; }
    void SetFormatString(const TRVMarkerFormatString& value) { SetField(FFormatString, value); }
    const TRVMarkerFormatStringW& FormatStringW() const { return FFormatStringW; }
    void SetFormatStringW(const TRVMarkerFormatStringW& value) { SetField(FFormatStringW, value); }
    int LeftIndent() const { return FLeftIndent; }
    void SetLeftIndent(int value) { SetField(FLeftIndent, value); }
    int FirstIndent() const { return FFirstIndent; }
    void SetFirstIndent(int value) { SetField(FFirstIndent, value); }
    int MarkerIndent() const { return FMarkerIndent; }
    void SetMarkerIndent(int value) { SetField(FMarkerIndent, value); }
    TRVMarkerAlignment MarkerAlignment() const { return FMarkerAlignment; }
    void SetMarkerAlignment(TRVMarkerAlignment value) { SetField(FMarkerAlignment, value); }
    TRVListLevelOptions Options() const { return FOptions; }
    void SetOptions(TRVListLevelOptions value) { SetField(FOptions, value); }

    // The picture, made empty on first use.
    TPicture* Picture();
    // A picture with a graphic is copied in (its graphic made transparent);
    // null or an empty picture frees the level's picture.
    void SetPicture(const TPicture* value);
    // The font, made with the defaults on first use.
    TRVMarkerFont* Font();
    // A font is copied in; null frees the level's font.
    void SetFont(const TFont* value);
    bool HasPictureObject() const { return FPicture != nullptr; }
    bool HasFontObject() const { return FFont != nullptr; }

    bool HasNumbering() const;
    bool HasVariableWidth() const;
    bool UsesFont() const;
    bool HasPicture() const;

    bool IsSimpleEqual(const TRVListLevel* value) const;
    int SimilarityValue(const TRVListLevel* value) const;

    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

    // The list's HTML tags ("<OL ...>"/"<UL ...>" and their ends).
    void HTMLOpenTag(TStream* stream, bool useCss) const;
    void HTMLCloseTag(TStream* stream, bool useCss) const;
    AnsiString GetHTMLOpenTagForCSS() const;
    AnsiString GetIndentCSSForTextVersion() const;

private:
    template <class T, class V> void SetField(T& field, const V& value)
    {
        field = value;
        Changed(false);
    }
    bool SameFont(const TRVListLevel* value) const;
    // The list styles that hold the level, when it is in some.
    const TRVListInfos* ListInfos() const;
    bool SamePicture(const TRVListLevel* value) const;

    friend class TRVListInfos;

    TRVListType FListType = rvlstBullet;
    std::unique_ptr<TPicture> FPicture;
    TCustomImageList* FImageList = nullptr;
    // The image list as a component, taken while it lives, so that it can be
    // recognised when it is going away.
    TComponent* FImageListComponent = nullptr;
    int FImageIndex = 0;
    TRVMarkerFormatString FFormatString = "\xB7";
    TRVMarkerFormatStringW FFormatStringW;
    int FLeftIndent = 0;
    int FFirstIndent = 10;
    int FMarkerIndent = 0;
    TRVMarkerAlignment FMarkerAlignment = rvmaLeft;
    std::unique_ptr<TRVMarkerFont> FFont;
    TRVListLevelOptions FOptions{rvloContinuous, rvloLevelReset};
    int FStartFrom = 1;
};

// The levels of a list style; its owner is the list.
class TRVListLevelCollection : public TCollection {
public:
    explicit TRVListLevelCollection(TPersistent* owner);
    const char* ClassName() const override { return "TRVListLevelCollection"; }
    // The list that owns the levels.
    TPersistent* Owner() const { return GetOwner(); }

    TRVListLevel* Add() { return static_cast<TRVListLevel*>(TCollection::Add()); }
    TRVListLevel* Insert(int index) { return static_cast<TRVListLevel*>(TCollection::Insert(index)); }
    // EListError for a bad index.
    TRVListLevel* Items(int index) const { return static_cast<TRVListLevel*>(GetItem(index)); }
    TRVListLevel* operator[](int index) const { return Items(index); }
    void SetItem(int index, const TRVListLevel* value) { Items(index)->Assign(value); }
    // Same count and levels equal pairwise.
    bool IsSimpleEqual(const TRVListLevelCollection* value) const;

protected:
    // A change of the levels is a change of the list that owns them.
    void Update(TCollectionItem* item) override;
};

// One list style: its levels (owned) and whether a one-level preview is shown.
class TRVListInfo : public TCustomRVInfo {
public:
    explicit TRVListInfo(TCollection* collection);
    const char* ClassName() const override { return "TRVListInfo"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* source) override;

    TRVListLevelCollection* Levels() { return &FLevels; }
    const TRVListLevelCollection* Levels() const { return &FLevels; }
    void SetLevels(const TRVListLevelCollection* value) { FLevels.Assign(value); }
    bool OneLevelPreview() const { return FOneLevelPreview; }
    void SetOneLevelPreview(bool value) { SetField(FOneLevelPreview, value); }

    bool HasNumbering() const;
    bool AllNumbered() const;
    bool HasVariableWidth() const;

    bool IsSimpleEqual(const TCustomRVInfo* value, bool ignoreId) const override;
    bool IsSimpleEqualEx(TCustomRVInfo* value, const TRVIntegerList* mapping) override;
    int SimilarityValue(const TCustomRVInfo* value) const override;

    // Besides the base keys and "LevelsCount", the flag goes under the list's own
    // key (the pattern with "OneLevelPreview"); a section that has only the
    // older key "OneLevelPreview", shared by all lists, is read through it.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

private:
    TRVListLevelCollection FLevels;
    bool FOneLevelPreview = false;
};

// The list styles of a style sheet.
class TRVListInfos : public TCustomRVInfos {
public:
    TRVListInfos(TCollectionItemClass itemClass, TPersistent* owner);
    const char* ClassName() const override { return "TRVListInfos"; }

    TRVListInfo* Add() { return static_cast<TRVListInfo*>(TCollection::Add()); }
    TRVListInfo* Insert(int index) { return static_cast<TRVListInfo*>(TCollection::Insert(index)); }
    // EListError for a bad index.
    TRVListInfo* Items(int index) const { return static_cast<TRVListInfo*>(GetItem(index)); }
    TRVListInfo* operator[](int index) const { return Items(index); }
    void SetItem(int index, const TRVListInfo* value) { Items(index)->Assign(value); }

    // Clears the image list from every level that refers to it.
    void RemoveImageList(const TCustomImageList* imageList);
    // The same for a component that is going away (it may no longer be an image list).
    void RemoveImageListComponent(const TComponent* component);
    // The first list equal to Style; -1 when none, unless AddIfNotFound adds a copy.
    int FindSuchStyle(const TRVListInfo* style, bool addIfNotFound);
    // The first list whose levels equal Levels; -1 when none, unless
    // AddIfNotFound adds a list with those levels, named StyleNameForAdding.
    int FindStyleWithLevels(const TRVListLevelCollection* levels, const AnsiString& styleNameForAdding,
                            bool addIfNotFound);

    // "ListCount" and the keys "List%s" + index. Every count of the section is
    // checked before the styles change.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section) const;
    // Checks the list and level counts of a section; ERollViewError when one is corrupt.
    static void CheckINICounts(TCustomIniFile* ini, const AnsiString& section);

    // The document data while the list styles are streamed inside its RVF;
    // null otherwise. The levels then stream their image lists by tag.
    TPersistent* RVData() const { return FRVData; }
    void SetRVData(TPersistent* value) { FRVData = value; }

private:
    TPersistent* FRVData = nullptr;
};
