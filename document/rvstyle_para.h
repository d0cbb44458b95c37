// Paragraph styles: the four-sided values (TRVRect, TRVBooleanRect), the
// border with the lines it draws, the background, TParaInfo with comparison,
// similarity and ini keys, and the collection TParaInfos.
#pragma once

#include <cstdint>

#include "document/rvfuncs.h"
#include "document/rvstyle_info.h"
#include "platform/core/colors.h"

class TCanvas;

// Four offsets in screen pixels by which a border or background extends
// beyond the paragraph's text rectangle.
class TRVRect : public TPersistent {
public:
    const char* ClassName() const override { return "TRVRect"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* Source) override;

    int Left() const { return FLeft; }
    void SetLeft(int Value) { FLeft = Value; }
    int Top() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    int Right() const { return FRight; }
    void SetRight(int Value) { FRight = Value; }
    int Bottom() const { return FBottom; }
    void SetBottom(int Value) { FBottom = Value; }
    void SetAll(int Value);

    // The rectangle becomes (Left, Top, Right, Bottom).
    void AssignToRect(TRect& Rect) const;
    // Each side of the rectangle is raised to this value where it is greater.
    void AssignToRectIfGreater(TRect& Rect) const;
    // Widens the rectangle by the offsets; the SaD form scales them to the device first.
    void InflateRect(TRect& Rect) const;
    void InflateRectSaD(TRect& Rect, const TRVScreenAndDevice& sad) const;
    bool IsEqual(const TRVRect* Value) const;
    bool IsEqualEx(const TRVRect* Value, bool IgnL, bool IgnT, bool IgnR, bool IgnB) const;
    int SimilarityValue(const TRVRect* Value, int Weight) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

private:
    int FTop = 0;
    int FLeft = 0;
    int FRight = 0;
    int FBottom = 0;
};

// Four flags: the visible sides of a border.
class TRVBooleanRect : public TPersistent {
public:
    explicit TRVBooleanRect(bool DefValue = true);
    const char* ClassName() const override { return "TRVBooleanRect"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* Source) override;

    bool Left() const { return FLeft; }
    void SetLeft(bool Value) { FLeft = Value; }
    bool Top() const { return FTop; }
    void SetTop(bool Value) { FTop = Value; }
    bool Right() const { return FRight; }
    void SetRight(bool Value) { FRight = Value; }
    bool Bottom() const { return FBottom; }
    void SetBottom(bool Value) { FBottom = Value; }
    void SetAll(bool Value);
    void SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom);

    bool IsEqual(const TRVBooleanRect* Value) const;
    bool IsEqual2(bool ALeft, bool ATop, bool ARight, bool ABottom) const;
    bool IsAllEqual(bool Value) const;
    bool IsEqualEx(const TRVBooleanRect* Value, bool IgnL, bool IgnT, bool IgnR, bool IgnB) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

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
class TRVBorder : public TPersistent {
public:
    TRVBorder();
    const char* ClassName() const override { return "TRVBorder"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TRVBorderStyle Style() const { return FStyle; }
    void SetStyle(TRVBorderStyle Value) { FStyle = Value; }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    int InternalWidth() const { return FInternalWidth; }
    void SetInternalWidth(int Value) { FInternalWidth = Value; }
    TRVBooleanRect* VisibleBorders() { return &FVisibleBorders; }
    const TRVBooleanRect* VisibleBorders() const { return &FVisibleBorders; }
    void SetVisibleBorders(const TRVBooleanRect* Value) { FVisibleBorders.Assign(Value); }
    TRVRect* BorderOffsets() { return &FBorderOffsets; }
    const TRVRect* BorderOffsets() const { return &FBorderOffsets; }
    void SetBorderOffsets(const TRVRect* Value) { FBorderOffsets.Assign(Value); }

    // Screen drawing around Rect (widened by the offsets).
    void Draw(TRect Rect, TCanvas* Canvas) const;
    // Device drawing: Rect is in device pixels; offsets and widths are scaled.
    void DrawSaD(TRect Rect, TCanvas* Canvas, const TRVScreenAndDevice& sad, TRVColorMode ColorMode) const;
    // The lines around R with line width w, gap g and pixel size p.
    void DoDraw(TRect R, TCanvas* Canvas, int w, int g, int p, TRVColorMode ColorMode) const;
    int GetTotalWidth() const;

    bool IsEqual(const TRVBorder* Value) const;
    bool IsEqual_Para(const TRVBorder* Value, TRVParaInfoProperties IgnoreList) const;
    int SimilarityValue(const TRVBorder* Value) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

private:
    TColor FColor = clWindowText;
    TRVBorderStyle FStyle = rvbNone;
    int FWidth = 1;
    int FInternalWidth = 1;
    TRVBooleanRect FVisibleBorders{true};
    TRVRect FBorderOffsets;
};

// The background colour behind a paragraph, widened by its offsets. clNone: none.
class TRVBackgroundRect : public TPersistent {
public:
    const char* ClassName() const override { return "TRVBackgroundRect"; }
    const TPropertyTable* PropertyTable() const override;
    void Assign(const TPersistent* Source) override;

    TRVRect* BorderOffsets() { return &FBorderOffsets; }
    const TRVRect* BorderOffsets() const { return &FBorderOffsets; }
    void SetBorderOffsets(const TRVRect* Value) { FBorderOffsets.Assign(Value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }

    void PrepareDraw(TRect& Rect) const;
    void PrepareDrawSaD(TRect& Rect, const TRVScreenAndDevice& sad) const;
    void Draw(TRect Rect, TCanvas* Canvas, bool Printing, TRVColorMode ColorMode) const;
    bool IsEqual(const TRVBackgroundRect* Value) const;
    bool IsEqual_Para(const TRVBackgroundRect* Value, TRVParaInfoProperties IgnoreList) const;
    int SimilarityValue(const TRVBackgroundRect* Value) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

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
    explicit TParaInfo(TCollection* Collection);
    const char* ClassName() const override { return "TParaInfo"; }
    const TPropertyTable* PropertyTable() const override;
    // From a TParaInfo every field; then, for any source, the base Assign.
    void Assign(const TPersistent* Source) override;

    int FirstIndent() const { return FFirstIndent; }
    void SetFirstIndent(int Value) { FFirstIndent = Value; }
    int LeftIndent() const { return FLeftIndent; }
    void SetLeftIndent(int Value) { FLeftIndent = Value; }
    int RightIndent() const { return FRightIndent; }
    void SetRightIndent(int Value) { FRightIndent = Value; }
    int SpaceBefore() const { return FSpaceBefore; }
    void SetSpaceBefore(int Value) { FSpaceBefore = Value; }
    int SpaceAfter() const { return FSpaceAfter; }
    void SetSpaceAfter(int Value) { FSpaceAfter = Value; }
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int Value) { FLineSpacing = Value; }
    TRVLineSpacingType LineSpacingType() const { return FLineSpacingType; }
    void SetLineSpacingType(TRVLineSpacingType Value) { FLineSpacingType = Value; }
    TRVAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TRVAlignment Value) { FAlignment = Value; }
    TRVBorder* Border() { return &FBorder; }
    const TRVBorder* Border() const { return &FBorder; }
    void SetBorder(const TRVBorder* Value) { FBorder.Assign(Value); }
    int NextParaNo() const { return FNextParaNo; }
    void SetNextParaNo(int Value) { FNextParaNo = Value; }
    TRVBackgroundRect* Background() { return &FBackground; }
    const TRVBackgroundRect* Background() const { return &FBackground; }
    void SetBackground(const TRVBackgroundRect* Value) { FBackground.Assign(Value); }
    TRVParaOptions Options() const { return FOptions; }
    void SetOptions(TRVParaOptions Value) { FOptions = Value; }
    TRVBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TRVBiDiMode Value) { FBiDiMode = Value; }

    // More than single spacing: over 100 percent, or over 0 pixels between lines.
    bool ExtraLineSpacing() const;
    bool IsSimpleEqual(const TCustomRVInfo* Value, bool IgnoreID) const override;
    int SimilarityValue(const TCustomRVInfo* Value) const override;
    int* NextStyleReference() override { return &FNextParaNo; }
    bool IsEqual(const TParaInfo* Value, TRVParaInfoProperties IgnoreList) const;

    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section, const AnsiString& fs) const;

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
    TParaInfos(TCollectionItemClass ItemClass, TPersistent* Owner);
    ~TParaInfos() override;
    const char* ClassName() const override { return "TParaInfos"; }

    TParaInfo* Add();
    TParaInfo* Items(int Index) const;
    TParaInfo* operator[](int Index) const { return Items(Index); }
    void SetItem(int Index, const TParaInfo* Value);
    TParaInfo* InvalidItem() const;
    void SetInvalidItem(const TParaInfo* Value);

    int FindStyleWithAlignment(int BaseStyle, TRVAlignment Alignment) const;
    int FindSuchStyle(int BaseStyle, const TParaInfo* Style, TRVParaInfoProperties Mask) const;

    // "ParasCount" (default 2) and the keys "Para%s" + index; loading replaces every style.
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section);
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const;

private:
    mutable TParaInfo* FInvalidItem = nullptr;
};
