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
    bool IsEqual(const TFont* Font) const;
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
    virtual TCustomImageList* RVFImageListNeeded(int ImageListTag) = 0;

protected:
    ~TRVImageListProvider() = default;
};

// One level of a list style. It owns its picture and font objects, which exist
// only once asked for or assigned; the image list is not owned.
class TRVListLevel : public TCollectionItem {
public:
    explicit TRVListLevel(TCollection* Collection);
    ~TRVListLevel() override;
    const char* ClassName() const override { return "TRVListLevel"; }
    // Component streaming. Besides the published properties: "FormatStringCode"
    // and "FormatStringWCode" (the marker texts encoded), and, while the list
    // styles are streamed inside a document, "ILTag" (the tag of the image list).
    const TPropertyTable* PropertyTable() const override;
    void DefineProperties(TFiler* Filer) override;
    void Assign(const TPersistent* Source) override;
    // "List Level %d" with the level's index.
    AnsiString DisplayName() const override;

    TRVListType ListType() const { return FListType; }
    void SetListType(TRVListType Value) { FListType = Value; }
    int StartFrom() const { return FStartFrom; }
    void SetStartFrom(int Value) { FStartFrom = Value; }
    TCustomImageList* ImageList() const { return FImageList; }
    // The style sheet that holds the level (when there is one) is told when the
    // image list goes away, and clears it from its levels.
    void SetImageList(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value) { FImageIndex = Value; }
    const TRVMarkerFormatString& FormatString() const { return FFormatString; }
    void SetFormatString(const TRVMarkerFormatString& Value) { FFormatString = Value; }
    const TRVMarkerFormatStringW& FormatStringW() const { return FFormatStringW; }
    void SetFormatStringW(const TRVMarkerFormatStringW& Value) { FFormatStringW = Value; }
    int LeftIndent() const { return FLeftIndent; }
    void SetLeftIndent(int Value) { FLeftIndent = Value; }
    int FirstIndent() const { return FFirstIndent; }
    void SetFirstIndent(int Value) { FFirstIndent = Value; }
    int MarkerIndent() const { return FMarkerIndent; }
    void SetMarkerIndent(int Value) { FMarkerIndent = Value; }
    TRVMarkerAlignment MarkerAlignment() const { return FMarkerAlignment; }
    void SetMarkerAlignment(TRVMarkerAlignment Value) { FMarkerAlignment = Value; }
    TRVListLevelOptions Options() const { return FOptions; }
    void SetOptions(TRVListLevelOptions Value) { FOptions = Value; }

    // The picture, made empty on first use.
    TPicture* Picture();
    // A picture with a graphic is copied in (its graphic made transparent);
    // null or an empty picture frees the level's picture.
    void SetPicture(const TPicture* Value);
    // The font, made with the defaults on first use.
    TRVMarkerFont* Font();
    // A font is copied in; null frees the level's font.
    void SetFont(const TFont* Value);
    bool HasPictureObject() const { return FPicture != nullptr; }
    bool HasFontObject() const { return FFont != nullptr; }

    bool HasNumbering() const;
    bool HasVariableWidth() const;
    bool UsesFont() const;
    bool HasPicture() const;

    bool IsSimpleEqual(const TRVListLevel* Value) const;
    int SimilarityValue(const TRVListLevel* Value) const;

    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

    // The list's HTML tags ("<OL ...>"/"<UL ...>" and their ends).
    void HTMLOpenTag(TStream* Stream, bool UseCSS) const;
    void HTMLCloseTag(TStream* Stream, bool UseCSS) const;
    AnsiString GetHTMLOpenTagForCSS() const;
    AnsiString GetIndentCSSForTextVersion() const;

private:
    bool SameFont(const TRVListLevel* Value) const;
    // The list styles that hold the level, when it is in some.
    const TRVListInfos* ListInfos() const;
    bool SamePicture(const TRVListLevel* Value) const;

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
    explicit TRVListLevelCollection(TPersistent* Owner);
    const char* ClassName() const override { return "TRVListLevelCollection"; }
    // The list that owns the levels.
    TPersistent* Owner() const { return GetOwner(); }

    TRVListLevel* Add() { return static_cast<TRVListLevel*>(TCollection::Add()); }
    TRVListLevel* Insert(int Index) { return static_cast<TRVListLevel*>(TCollection::Insert(Index)); }
    // EListError for a bad index.
    TRVListLevel* Items(int Index) const { return static_cast<TRVListLevel*>(GetItem(Index)); }
    TRVListLevel* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, const TRVListLevel* Value) { Items(Index)->Assign(Value); }
    // Same count and levels equal pairwise.
    bool IsSimpleEqual(const TRVListLevelCollection* Value) const;
};

// One list style: its levels (owned) and whether a one-level preview is shown.
class TRVListInfo : public TCustomRVInfo {
public:
    explicit TRVListInfo(TCollection* Collection);
    const char* ClassName() const override { return "TRVListInfo"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* Source) override;

    TRVListLevelCollection* Levels() { return &FLevels; }
    const TRVListLevelCollection* Levels() const { return &FLevels; }
    void SetLevels(const TRVListLevelCollection* Value) { FLevels.Assign(Value); }
    bool OneLevelPreview() const { return FOneLevelPreview; }
    void SetOneLevelPreview(bool Value) { FOneLevelPreview = Value; }

    bool HasNumbering() const;
    bool AllNumbered() const;
    bool HasVariableWidth() const;

    bool IsSimpleEqual(const TCustomRVInfo* Value, bool IgnoreID) const override;
    bool IsSimpleEqualEx(TCustomRVInfo* Value, const TRVIntegerList* Mapping) override;
    int SimilarityValue(const TCustomRVInfo* Value) const override;

    // Besides the base keys and "LevelsCount", the flag goes under the list's own
    // key (the pattern with "OneLevelPreview"); a section that has only the
    // older key "OneLevelPreview", shared by all lists, is read through it.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

private:
    TRVListLevelCollection FLevels;
    bool FOneLevelPreview = false;
};

// The list styles of a style sheet.
class TRVListInfos : public TCustomRVInfos {
public:
    TRVListInfos(TCollectionItemClass ItemClass, TPersistent* Owner);
    const char* ClassName() const override { return "TRVListInfos"; }

    TRVListInfo* Add() { return static_cast<TRVListInfo*>(TCollection::Add()); }
    TRVListInfo* Insert(int Index) { return static_cast<TRVListInfo*>(TCollection::Insert(Index)); }
    // EListError for a bad index.
    TRVListInfo* Items(int Index) const { return static_cast<TRVListInfo*>(GetItem(Index)); }
    TRVListInfo* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, const TRVListInfo* Value) { Items(Index)->Assign(Value); }

    // Clears the image list from every level that refers to it.
    void RemoveImageList(const TCustomImageList* ImageList);
    // The same for a component that is going away (it may no longer be an image list).
    void RemoveImageListComponent(const TComponent* Component);
    // The first list equal to Style; -1 when none, unless AddIfNotFound adds a copy.
    int FindSuchStyle(const TRVListInfo* Style, bool AddIfNotFound);
    // The first list whose levels equal Levels; -1 when none, unless
    // AddIfNotFound adds a list with those levels, named StyleNameForAdding.
    int FindStyleWithLevels(const TRVListLevelCollection* Levels, const AnsiString& StyleNameForAdding,
                            bool AddIfNotFound);

    // "ListCount" and the keys "List%s" + index. Every count of the section is
    // checked before the styles change.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const;
    // Checks the list and level counts of a section; ERollViewError when one is corrupt.
    static void CheckINICounts(TCustomIniFile* ini, const AnsiString& Section);

    // The document data while the list styles are streamed inside its RVF;
    // null otherwise. The levels then stream their image lists by tag.
    TPersistent* RVData() const { return FRVData; }
    void SetRVData(TPersistent* Value) { FRVData = Value; }

private:
    TPersistent* FRVData = nullptr;
};
