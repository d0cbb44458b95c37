// Paragraph styles: the four-sided values (TRVRect, TRVBooleanRect), the
// border with the lines it draws, the background, TParaInfo with comparison,
// similarity and ini keys, and the collection TParaInfos.
#pragma once

#include <cstdint>

#include "document/rvfuncs.h"
#include "document/rvstyle_info.h"
#include "platform/core/colors.h"

class TCanvas;

// A part of a style entry (a border, a background, their rectangles): every
// change is told to the entry that holds it, when one does.
class TRVStylePart : public TPersistent {
public:
    const char* ClassName() const override { return "TRVStylePart"; }
    virtual void SetOwnerInfo(TCustomRVInfo* info) { FOwnerInfo = info; }

protected:
    void Touch()
    {
        if (FOwnerInfo != nullptr)
            FOwnerInfo->NoteChanged();
    }
    template <class T, class V> void SetField(T& field, const V& value)
    {
        field = value;
        Touch();
    }

private:
    TCustomRVInfo* FOwnerInfo = nullptr;
};

// Four offsets in screen pixels by which a border or background extends
// beyond the paragraph's text rectangle.
class TRVRect : public TRVStylePart {
public:
    const char* ClassName() const override { return "TRVRect"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* source) override;

    int Left() const { return FLeft; }
    void SetLeft(int value) { SetField(FLeft, value); }
    int Top() const { return FTop; }
    void SetTop(int value) { SetField(FTop, value); }
    int Right() const { return FRight; }
    void SetRight(int value) { SetField(FRight, value); }
    int Bottom() const { return FBottom; }
    void SetBottom(int value) { SetField(FBottom, value); }
    void SetAll(int value);

    // The rectangle becomes (Left, Top, Right, Bottom).
    void AssignToRect(TRect& rect) const;
    // Each side of the rectangle is raised to this value where it is greater.
    void AssignToRectIfGreater(TRect& rect) const;
    // Widens the rectangle by the offsets; the SaD form scales them to the device first.
    void InflateRect(TRect& rect) const;
    void InflateRectSaD(TRect& rect, const TRVScreenAndDevice& sad) const;
    bool IsEqual(const TRVRect* value) const;
    bool IsEqualEx(const TRVRect* value, bool ignL, bool ignT, bool ignR, bool ignB) const;
    int SimilarityValue(const TRVRect* value, int weight) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

private:
    int FTop = 0;
    int FLeft = 0;
    int FRight = 0;
    int FBottom = 0;
};

// Four flags: the visible sides of a border.
class TRVBooleanRect : public TRVStylePart {
public:
    explicit TRVBooleanRect(bool defValue = true);
    const char* ClassName() const override { return "TRVBooleanRect"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* source) override;

    bool Left() const { return FLeft; }
    void SetLeft(bool value) { SetField(FLeft, value); }
    bool Top() const { return FTop; }
    void SetTop(bool value) { SetField(FTop, value); }
    bool Right() const { return FRight; }
    void SetRight(bool value) { SetField(FRight, value); }
    bool Bottom() const { return FBottom; }
    void SetBottom(bool value) { SetField(FBottom, value); }
    void SetAll(bool value);
    void SetValues(bool aLeft, bool aTop, bool aRight, bool aBottom);

    bool IsEqual(const TRVBooleanRect* value) const;
    bool IsEqual2(bool aLeft, bool aTop, bool aRight, bool aBottom) const;
    bool IsAllEqual(bool value) const;
    bool IsEqualEx(const TRVBooleanRect* value, bool ignL, bool ignT, bool ignR, bool ignB) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

private:
    bool FTop;
    bool FLeft;
    bool FRight;
    bool FBottom;
};

enum TRVBorderStyle { rvbNone, rvbSingle, rvbDouble, rvbTriple, rvbThickInside, rvbThickOutside };

enum TRVParaInfoProperty {
    rvpiFirstIndent,
    rvpiLeftIndent,
    rvpiRightIndent,
    rvpiSpaceBefore,
    rvpiSpaceAfter,
    rvpiAlignment,
    rvpiNextParaNo,
    rvpiLineSpacing,
    rvpiLineSpacingType,
    rvpiBackground_Color,
    rvpiBackground_BO_Left,
    rvpiBackground_BO_Top,
    rvpiBackground_BO_Right,
    rvpiBackground_BO_Bottom,
    rvpiBorder_Color,
    rvpiBorder_Style,
    rvpiBorder_Width,
    rvpiBorder_InternalWidth,
    rvpiBorder_BO_Left,
    rvpiBorder_BO_Top,
    rvpiBorder_BO_Right,
    rvpiBorder_BO_Bottom,
    rvpiBorder_Vis_Left,
    rvpiBorder_Vis_Top,
    rvpiBorder_Vis_Right,
    rvpiBorder_Vis_Bottom,
    rvpiNoWrap,
    rvpiReadOnly,
    rvpiStyleProtect,
    rvpiDoNotWantReturns,
    rvpiBiDiMode,
};
using TRVParaInfoProperties = TRVSet<TRVParaInfoProperty, uint32_t>;
inline constexpr TRVParaInfoProperties RVAllParaInfoProperties =
    TRVParaInfoProperties::Range(rvpiFirstIndent, rvpiBiDiMode);
inline constexpr TRVParaInfoProperties RVAllParaBackgroundProperties =
    TRVParaInfoProperties::Range(rvpiBackground_Color, rvpiBackground_BO_Bottom);
inline constexpr TRVParaInfoProperties RVAllParaBorderProperties =
    TRVParaInfoProperties::Range(rvpiBorder_Color, rvpiBorder_Vis_Bottom);

// The border drawn around a paragraph: Style lines of Width pixels, InternalWidth
// apart, on the visible sides, widened by the offsets. Owns its two rectangles.
class TRVBorder : public TRVStylePart {
public:
    TRVBorder();
    const char* ClassName() const override { return "TRVBorder"; }
    void SetOwnerInfo(TCustomRVInfo* info) override;
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor value) { SetField(FColor, value); }
    TRVBorderStyle Style() const { return FStyle; }
    void SetStyle(TRVBorderStyle value) { SetField(FStyle, value); }
    int Width() const { return FWidth; }
    void SetWidth(int value) { SetField(FWidth, value); }
    int InternalWidth() const { return FInternalWidth; }
    void SetInternalWidth(int value) { SetField(FInternalWidth, value); }
    TRVBooleanRect* VisibleBorders() { return &FVisibleBorders; }
    const TRVBooleanRect* VisibleBorders() const { return &FVisibleBorders; }
    void SetVisibleBorders(const TRVBooleanRect* value) { FVisibleBorders.Assign(value); }
    TRVRect* BorderOffsets() { return &FBorderOffsets; }
    const TRVRect* BorderOffsets() const { return &FBorderOffsets; }
    void SetBorderOffsets(const TRVRect* value) { FBorderOffsets.Assign(value); }

    // Screen drawing around Rect (widened by the offsets).
    void Draw(TRect rect, TCanvas* canvas) const;
    // Device drawing: Rect is in device pixels; offsets and widths are scaled.
    void DrawSaD(TRect rect, TCanvas* canvas, const TRVScreenAndDevice& sad, TRVColorMode colorMode) const;
    // The lines around R with line width w, gap g and pixel size p.
    void DoDraw(TRect r, TCanvas* canvas, int w, int g, int p, TRVColorMode colorMode) const;
    int GetTotalWidth() const;

    bool IsEqual(const TRVBorder* value) const;
    bool IsEqual_Para(const TRVBorder* value, TRVParaInfoProperties ignoreList) const;
    int SimilarityValue(const TRVBorder* value) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

private:
    TColor FColor = clWindowText;
    TRVBorderStyle FStyle = rvbNone;
    int FWidth = 1;
    int FInternalWidth = 1;
    TRVBooleanRect FVisibleBorders{true};
    TRVRect FBorderOffsets;
};

// The background colour behind a paragraph, widened by its offsets. clNone: none.
class TRVBackgroundRect : public TRVStylePart {
public:
    const char* ClassName() const override { return "TRVBackgroundRect"; }
    void SetOwnerInfo(TCustomRVInfo* info) override;
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* source) override;

    TRVRect* BorderOffsets() { return &FBorderOffsets; }
    const TRVRect* BorderOffsets() const { return &FBorderOffsets; }
    void SetBorderOffsets(const TRVRect* value) { FBorderOffsets.Assign(value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { SetField(FColor, value); }

    void PrepareDraw(TRect& rect) const;
    void PrepareDrawSaD(TRect& rect, const TRVScreenAndDevice& sad) const;
    void Draw(TRect rect, TCanvas* canvas, bool printing, TRVColorMode colorMode) const;
    bool IsEqual(const TRVBackgroundRect* value) const;
    bool IsEqual_Para(const TRVBackgroundRect* value, TRVParaInfoProperties ignoreList) const;
    int SimilarityValue(const TRVBackgroundRect* value) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

private:
    TRVRect FBorderOffsets;
    TColor FColor = clNone;
};

enum TRVAlignment { rvaLeft, rvaRight, rvaCenter, rvaJustify };
enum TRVLineSpacingType { rvlsPercent, rvlsSpaceBetween };
enum TRVParaOption { rvpaoNoWrap, rvpaoReadOnly, rvpaoStyleProtect, rvpaoDoNotWantReturns };
using TRVParaOptions = TRVSet<TRVParaOption, uint8_t>;

// One paragraph style. Owns its border and background.
class TParaInfo : public TCustomRVInfo {
public:
    explicit TParaInfo(TCollection* collection);
    const char* ClassName() const override { return "TParaInfo"; }
    const TPropertyTable* PropertyTable() const override;
    // From a TParaInfo every field; then, for any source, the base Assign.
    void Assign(const TPersistent* source) override;

    int FirstIndent() const { return FFirstIndent; }
    void SetFirstIndent(int value) { SetField(FFirstIndent, value); }
    int LeftIndent() const { return FLeftIndent; }
    void SetLeftIndent(int value) { SetField(FLeftIndent, value); }
    int RightIndent() const { return FRightIndent; }
    void SetRightIndent(int value) { SetField(FRightIndent, value); }
    int SpaceBefore() const { return FSpaceBefore; }
    void SetSpaceBefore(int value) { SetField(FSpaceBefore, value); }
    int SpaceAfter() const { return FSpaceAfter; }
    void SetSpaceAfter(int value) { SetField(FSpaceAfter, value); }
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int value) { SetField(FLineSpacing, value); }
    TRVLineSpacingType LineSpacingType() const { return FLineSpacingType; }
    void SetLineSpacingType(TRVLineSpacingType value) { SetField(FLineSpacingType, value); }
    TRVAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TRVAlignment value) { SetField(FAlignment, value); }
    TRVBorder* Border() { return &FBorder; }
    const TRVBorder* Border() const { return &FBorder; }
    void SetBorder(const TRVBorder* value) { FBorder.Assign(value); }
    int NextParaNo() const { return FNextParaNo; }
    void SetNextParaNo(int value) { SetField(FNextParaNo, value); }
    TRVBackgroundRect* Background() { return &FBackground; }
    const TRVBackgroundRect* Background() const { return &FBackground; }
    void SetBackground(const TRVBackgroundRect* value) { FBackground.Assign(value); }
    TRVParaOptions Options() const { return FOptions; }
    void SetOptions(TRVParaOptions value) { SetField(FOptions, value); }
    TRVBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TRVBiDiMode value) { SetField(FBiDiMode, value); }

    // More than single spacing: over 100 percent, or over 0 pixels between lines.
    bool ExtraLineSpacing() const;
    bool IsSimpleEqual(const TCustomRVInfo* value, bool ignoreId) const override;
    int SimilarityValue(const TCustomRVInfo* value) const override;
    int* NextStyleReference() override { return &FNextParaNo; }
    bool IsEqual(const TParaInfo* value, TRVParaInfoProperties ignoreList) const;

    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section, const AnsiString& fs) const;

private:
    int FFirstIndent = 0;
    int FLeftIndent = 0;
    int FRightIndent = 0;
    int FSpaceBefore = 0;
    int FSpaceAfter = 0;
    int FLineSpacing = 100;
    TRVLineSpacingType FLineSpacingType = rvlsPercent;
    TRVAlignment FAlignment = rvaLeft;
    TRVBorder FBorder;
    int FNextParaNo = -1;
    TRVBackgroundRect FBackground;
    TRVParaOptions FOptions;
    TRVBiDiMode FBiDiMode = rvbdUnspecified;
};

// The paragraph styles of a style sheet. Items(i) never fails: an index outside
// the collection reads the invalid-item style (a copy of style 0 framed in
// red), made on first request and owned by the collection.
class TParaInfos : public TCustomRVInfos {
public:
    TParaInfos(TCollectionItemClass itemClass, TPersistent* owner);
    ~TParaInfos() override;
    const char* ClassName() const override { return "TParaInfos"; }

    TParaInfo* Add();
    TParaInfo* Items(int index) const;
    TParaInfo* operator[](int index) const { return Items(index); }
    void SetItem(int index, const TParaInfo* value);
    TParaInfo* InvalidItem() const;
    void SetInvalidItem(const TParaInfo* value);

    int FindStyleWithAlignment(int baseStyle, TRVAlignment alignment) const;
    int FindSuchStyle(int baseStyle, const TParaInfo* style, TRVParaInfoProperties mask) const;

    // "ParasCount" (default 2) and the keys "Para%s" + index; loading replaces every style.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section) const;

private:
    mutable TParaInfo* FInvalidItem = nullptr;
};
