// The style sheet component TRVStyle: the text, paragraph and list styles that
// documents refer to by index, the colours of selection, hyperlinks,
// checkpoints and page breaks, the drawing entry points with their events, ini
// and settings-store persistence, and the CSS of the style sheet.
#pragma once

#include <functional>
#include <memory>

#include "document/rvstyle_info.h"
#include "document/rvstyle_list.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "platform/core/component.h"

class TCanvas;
class TCustomIniFile;
class TPicture;
class TStream;

enum TRVSaveCSSOption { rvcssOnlyDifference, rvcssIgnoreLeftAlignment };
using TRVSaveCSSOptions = TRVSet<TRVSaveCSSOption, uint8_t>;

enum TRVPageBreakType { rvpbSoftPageBreak, rvpbPageBreak };

// A code page identifier (CP_ACP and the others of platform/core/codepages.h).
using TRVCodePage = unsigned;

class TRVStyle;

// The drawing events. Each handler gets DoDefault true; the built-in drawing
// runs only while it stays true. Control is the control drawn on (a viewer).
using TRVApplyStyleEvent =
    std::function<void(TRVStyle* Sender, TCanvas* Canvas, int StyleNo, bool& DoDefault)>;
using TRVApplyStyleColorEvent = std::function<void(TRVStyle* Sender, TCanvas* Canvas, int StyleNo,
                                                   TRVTextDrawStates DrawState, bool& DoDefault)>;
using TRVDrawStyleTextEvent = std::function<void(TRVStyle* Sender, const AnsiString& s, TCanvas* Canvas,
                                                 int StyleNo, int SpaceBefore, int Left, int Top, int Width,
                                                 int Height, TRVTextDrawStates DrawState, bool& DoDefault)>;
using TRVStyleHoverSensitiveEvent = std::function<void(TRVStyle* Sender, int StyleNo, bool& Sensitive)>;
using TRVDrawTextBackEvent =
    std::function<void(TRVStyle* Sender, TCanvas* Canvas, int StyleNo, int Left, int Top, int Width,
                       int Height, TRVTextDrawStates DrawState, bool& DoDefault)>;
using TRVDrawCheckpointEvent =
    std::function<void(TRVStyle* Sender, TCanvas* Canvas, int X, int Y, int ItemNo, int XShift,
                       bool RaiseEvent, TComponent* Control, bool& DoDefault)>;
using TRVDrawPageBreakEvent =
    std::function<void(TRVStyle* Sender, TCanvas* Canvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                       TComponent* Control, bool& DoDefault)>;
using TRVDrawParaRectEvent =
    std::function<void(TRVStyle* Sender, TCanvas* Canvas, int ParaNo, const TRect& ARect, bool& DoDefault)>;

// The style sheet. It owns its three style collections and the invalid
// picture; viewers refer to it without owning it and hear of its removal
// through component notification.
//
// The collections make their entries through GetTextStyleClass,
// GetParaStyleClass and GetListStyleClass, asked each time an entry is made.
// A derived style sheet that returns derived entry classes calls
// ResetTextStyles and ResetParaStyles in its own constructor, since the
// defaults made while this constructor runs are of the base classes.
class TRVStyle : public TComponent {
public:
    explicit TRVStyle(TComponent* AOwner);
    ~TRVStyle() override;
    const char* ClassName() const override { return "TRVStyle"; }
    const TPropertyTable* PropertyTable() const override;

    virtual TCollectionItemClass GetTextStyleClass() const;
    virtual TCollectionItemClass GetParaStyleClass() const;
    virtual TCollectionItemClass GetListStyleClass() const;

    // ---- Collections (setting copies unless it is the same object)
    TFontInfos* TextStyles() const { return FTextStyles.get(); }
    void SetTextStyles(const TFontInfos* Value);
    TParaInfos* ParaStyles() const { return FParaStyles.get(); }
    void SetParaStyles(const TParaInfos* Value);
    TRVListInfos* ListStyles() const { return FListStyles.get(); }
    void SetListStyles(const TRVListInfos* Value);

    // ---- Settings
    int SpacesInTab() const { return FSpacesInTab; }
    void SetSpacesInTab(int Value) { FSpacesInTab = static_cast<int16_t>(Value); }
    TCursor JumpCursor() const { return FJumpCursor; }
    void SetJumpCursor(TCursor Value) { FJumpCursor = Value; }
    bool FullRedraw() const { return FFullRedraw; }
    void SetFullRedraw(bool Value) { FFullRedraw = Value; }
    bool UseSound() const { return FUseSound; }
    void SetUseSound(bool Value) { FUseSound = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TColor HoverColor() const { return FHoverColor; }
    void SetHoverColor(TColor Value) { FHoverColor = Value; }
    TColor SelColor() const { return FSelColor; }
    void SetSelColor(TColor Value) { FSelColor = Value; }
    TColor SelTextColor() const { return FSelTextColor; }
    void SetSelTextColor(TColor Value) { FSelTextColor = Value; }
    TColor InactiveSelColor() const { return FInactiveSelColor; }
    void SetInactiveSelColor(TColor Value) { FInactiveSelColor = Value; }
    TColor InactiveSelTextColor() const { return FInactiveSelTextColor; }
    void SetInactiveSelTextColor(TColor Value) { FInactiveSelTextColor = Value; }
    TColor CheckpointColor() const { return FCheckpointColor; }
    void SetCheckpointColor(TColor Value) { FCheckpointColor = Value; }
    TColor CheckpointEvColor() const { return FCheckpointEvColor; }
    void SetCheckpointEvColor(TColor Value) { FCheckpointEvColor = Value; }
    TColor PageBreakColor() const { return FPageBreakColor; }
    void SetPageBreakColor(TColor Value) { FPageBreakColor = Value; }
    TColor SoftPageBreakColor() const { return FSoftPageBreakColor; }
    void SetSoftPageBreakColor(TColor Value) { FSoftPageBreakColor = Value; }
    int DefUnicodeStyle() const { return FDefUnicodeStyle; }
    void SetDefUnicodeStyle(int Value) { FDefUnicodeStyle = Value; }
    TRVCodePage DefCodePage() const { return FDefCodePage; }
    void SetDefCodePage(TRVCodePage Value) { FDefCodePage = Value; }

    // The picture drawn for a picture item that cannot be shown, made on first
    // read. Null frees it; another picture is copied in.
    TPicture* InvalidPicture();
    void SetInvalidPicture(const TPicture* Value);

    // ---- Events
    TRVApplyStyleEvent OnApplyStyle;
    TRVApplyStyleColorEvent OnApplyStyleColor;
    TRVDrawStyleTextEvent OnDrawStyleText;
    TRVStyleHoverSensitiveEvent OnStyleHoverSensitive;
    TRVDrawTextBackEvent OnDrawTextBack;
    TRVDrawCheckpointEvent OnDrawCheckpoint;
    TRVDrawPageBreakEvent OnDrawPageBreak;
    TRVDrawParaRectEvent OnDrawParaBack;

    // Set just before OnDrawStyleText and OnDrawTextBack fire, so that a
    // handler can find the item drawn (OffsetInItem for OnDrawStyleText only).
    int ItemNo = 0;
    int OffsetInItem = 0;
    TPersistent* RVData = nullptr;

    // ---- Drawing (each offers the job to its event first)
    void ApplyStyle(TCanvas* Canvas, int StyleNo, TRVBiDiMode DefBiDiMode);
    void ApplyStyleColor(TCanvas* Canvas, int StyleNo, TRVTextDrawStates DrawState, bool Printing,
                         TRVColorMode ColorMode);
    // s is passed through RV_ReturnCapitalized first.
    void DrawStyleText(const AnsiString& s, TCanvas* Canvas, int AItemNo, int AOffsetInItem, int StyleNo,
                       TPersistent* ARVData, int SpaceBefore, int Left, int Top, int Width, int Height,
                       TRVTextDrawStates DrawState, bool Printing, bool PreviewCorrection,
                       TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode);
    // Only the event: text backgrounds are filled by the text drawing itself.
    void DrawTextBack(TCanvas* Canvas, int AItemNo, int StyleNo, TPersistent* ARVData, int Left, int Top,
                      int Width, int Height, TRVTextDrawStates DrawState);
    // ControlWidth: the (client) width of Control, where the mark's dotted line ends.
    void DrawCheckpoint(TCanvas* Canvas, int X, int Y, int AItemNo, int XShift, bool RaiseEvent,
                        TComponent* Control, int ControlWidth);
    void DrawPageBreak(TCanvas* Canvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                       TComponent* Control, int ControlWidth);
    void DrawParaBack(TCanvas* Canvas, int ParaNo, const TRect& Rect, bool Printing, TRVColorMode ColorMode);
    // Whether hovering over a hyperlink of the style changes how it looks.
    bool StyleHoverSensitive(int StyleNo);
    // The style's hover colour, or the style sheet's when that is clNone.
    TColor GetHoverColor(int StyleNo) const;
    TColor GetHoverColorByColor(TColor Color) const;

    // ---- Styles
    int AddTextStyle();
    void DeleteTextStyle(int Index);
    // Six text styles: "Normal text", "Heading", "Subheading", "Keywords", "Jump 1", "Jump 2".
    void ResetTextStyles();
    // Two paragraph styles: the default one and "Centered".
    void ResetParaStyles();

    // ---- Persistence. One section holds the whole style sheet; values equal
    // to their defaults are not written. Loading checks every count of the
    // section first and leaves the style sheet unchanged when one is corrupt.
    void SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& Section);
    void SaveINI(const AnsiString& FileName, const AnsiString& Section) const;
    void LoadINI(const AnsiString& FileName, const AnsiString& Section);
    // The per-user settings store under BaseKey, section "RVStyle".
    void SaveReg(const AnsiString& BaseKey) const;
    void LoadReg(const AnsiString& BaseKey);

    // ---- CSS (lines end with CR LF)
    void SaveCSSToStream(TStream* Stream, TRVSaveCSSOptions AOptions) const;
    // False when the file cannot be created or written.
    bool SaveCSS(const AnsiString& FileName, TRVSaveCSSOptions AOptions) const;

protected:
    // Clears image lists that go away from the list styles.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void SaveTextStylesCSS(TStream* Stream, TRVSaveCSSOptions AOptions) const;
    void SaveParaStylesCSS(TStream* Stream, TRVSaveCSSOptions AOptions) const;

    std::unique_ptr<TFontInfos> FTextStyles;
    std::unique_ptr<TParaInfos> FParaStyles;
    std::unique_ptr<TRVListInfos> FListStyles;
    int16_t FSpacesInTab = 8;
    TCursor FJumpCursor = crJump;
    bool FFullRedraw = false;
    bool FUseSound = true;
    TColor FColor = clWindow;
    TColor FHoverColor = clNone;
    TColor FSelColor = clHighlight;
    TColor FSelTextColor = clHighlightText;
    TColor FInactiveSelColor = clHighlight;
    TColor FInactiveSelTextColor = clHighlightText;
    TColor FCheckpointColor = clGreen;
    TColor FCheckpointEvColor = clLime;
    TColor FPageBreakColor = clBtnShadow;
    TColor FSoftPageBreakColor = clBtnFace;
    int FDefUnicodeStyle = -1;
    TRVCodePage FDefCodePage = 0;
    std::unique_ptr<TPicture> FInvalidPicture;
};
