// The style sheet component TRVStyle: the text, paragraph and list styles that
// documents refer to by index, the colours of selection, hyperlinks,
// checkpoints and page breaks, the drawing entry points with their events, ini
// and settings-store persistence, and the CSS of the style sheet.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "document/rvstyle_info.h"
#include "document/rvstyle_list.h"
#include "document/rvstyle_para.h"
#include "document/rvstyle_text.h"
#include "platform/core/callhold.h"
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
using TRVApplyStyleEvent = TEvent<void(TRVStyle* sender, TCanvas* canvas, int styleNo, bool& doDefault)>;
using TRVApplyStyleColorEvent = TEvent<void(TRVStyle* sender, TCanvas* canvas, int styleNo,
                                            TRVTextDrawStates drawState, bool& doDefault)>;
using TRVDrawStyleTextEvent =
    TEvent<void(TRVStyle* sender, const AnsiString& s, TCanvas* canvas, int styleNo, int spaceBefore,
                int left, int top, int width, int height, TRVTextDrawStates drawState, bool& doDefault)>;
using TRVStyleHoverSensitiveEvent = TEvent<void(TRVStyle* sender, int styleNo, bool& sensitive)>;
using TRVDrawTextBackEvent =
    TEvent<void(TRVStyle* sender, TCanvas* canvas, int styleNo, int left, int top, int width, int height,
                TRVTextDrawStates drawState, bool& doDefault)>;
using TRVDrawCheckpointEvent =
    TEvent<void(TRVStyle* sender, TCanvas* canvas, int x, int y, int itemNo, int xShift, bool raiseEvent,
                TComponent* control, bool& doDefault)>;
using TRVDrawPageBreakEvent =
    TEvent<void(TRVStyle* sender, TCanvas* canvas, int y, int xShift, TRVPageBreakType pageBreakType,
                TComponent* control, bool& doDefault)>;
using TRVDrawParaRectEvent =
    TEvent<void(TRVStyle* sender, TCanvas* canvas, int paraNo, const TRect& aRect, bool& doDefault)>;

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
    explicit TRVStyle(TComponent* aOwner);
    ~TRVStyle() override;
    const char* ClassName() const override { return "TRVStyle"; }
    const TPropertyTable* PropertyTable() const override;

    // Counts the changes of the style collections and their entries (an entry
    // added, removed or set, a border or background of one changed), so that
    // a layout made earlier can tell in one comparison whether it is stale.
    uint64_t ChangeCount() const { return FChangeCount; }
    void NoteChange() { ++FChangeCount; }

    virtual TCollectionItemClass GetTextStyleClass() const;
    virtual TCollectionItemClass GetParaStyleClass() const;
    virtual TCollectionItemClass GetListStyleClass() const;

    // ---- Collections (setting copies unless it is the same object)
    TFontInfos* TextStyles() const { return FTextStyles.get(); }
    void SetTextStyles(const TFontInfos* value);
    TParaInfos* ParaStyles() const { return FParaStyles.get(); }
    void SetParaStyles(const TParaInfos* value);
    TRVListInfos* ListStyles() const { return FListStyles.get(); }
    void SetListStyles(const TRVListInfos* value);

    // ---- Settings
    int SpacesInTab() const { return FSpacesInTab; }
    void SetSpacesInTab(int value) { FSpacesInTab = static_cast<int16_t>(value); }
    TCursor JumpCursor() const { return FJumpCursor; }
    void SetJumpCursor(TCursor value) { FJumpCursor = value; }
    bool FullRedraw() const { return FFullRedraw; }
    void SetFullRedraw(bool value) { FFullRedraw = value; }
    bool UseSound() const { return FUseSound; }
    void SetUseSound(bool value) { FUseSound = value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }
    TColor HoverColor() const { return FHoverColor; }
    void SetHoverColor(TColor value) { FHoverColor = value; }
    TColor SelColor() const { return FSelColor; }
    void SetSelColor(TColor value) { FSelColor = value; }
    TColor SelTextColor() const { return FSelTextColor; }
    void SetSelTextColor(TColor value) { FSelTextColor = value; }
    TColor InactiveSelColor() const { return FInactiveSelColor; }
    void SetInactiveSelColor(TColor value) { FInactiveSelColor = value; }
    TColor InactiveSelTextColor() const { return FInactiveSelTextColor; }
    void SetInactiveSelTextColor(TColor value) { FInactiveSelTextColor = value; }
    TColor CheckpointColor() const { return FCheckpointColor; }
    void SetCheckpointColor(TColor value) { FCheckpointColor = value; }
    TColor CheckpointEvColor() const { return FCheckpointEvColor; }
    void SetCheckpointEvColor(TColor value) { FCheckpointEvColor = value; }
    TColor PageBreakColor() const { return FPageBreakColor; }
    void SetPageBreakColor(TColor value) { FPageBreakColor = value; }
    TColor SoftPageBreakColor() const { return FSoftPageBreakColor; }
    void SetSoftPageBreakColor(TColor value) { FSoftPageBreakColor = value; }
    int DefUnicodeStyle() const { return FDefUnicodeStyle; }
    void SetDefUnicodeStyle(int value) { FDefUnicodeStyle = value; }
    TRVCodePage DefCodePage() const { return FDefCodePage; }
    void SetDefCodePage(TRVCodePage value) { FDefCodePage = value; }

    // The picture drawn for a picture item that cannot be shown, made on first
    // read. Null frees it; another picture is copied in.
    TPicture* InvalidPicture();
    void SetInvalidPicture(const TPicture* value);

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
    void ApplyStyle(TCanvas* canvas, int styleNo, TRVBiDiMode defBiDiMode);
    void ApplyStyleColor(TCanvas* canvas, int styleNo, TRVTextDrawStates drawState, bool printing,
                         TRVColorMode colorMode);
    // s is shown as the style shows it (TRVShownText: in capitals for an
    // all-capitals style, else read in place); the event gets a copy of that.
    void DrawStyleText(std::string_view s, TCanvas* canvas, int aItemNo, int aOffsetInItem, int styleNo,
                       TPersistent* arvData, int spaceBefore, int left, int top, int width, int height,
                       TRVTextDrawStates drawState, bool printing, bool previewCorrection,
                       TRVColorMode colorMode, TRVBiDiMode defBiDiMode);
    // Only the event: text backgrounds are filled by the text drawing itself.
    void DrawTextBack(TCanvas* canvas, int aItemNo, int styleNo, TPersistent* arvData, int left, int top,
                      int width, int height, TRVTextDrawStates drawState);
    // ControlWidth: the (client) width of Control, where the mark's dotted line ends.
    void DrawCheckpoint(TCanvas* canvas, int x, int y, int aItemNo, int xShift, bool raiseEvent,
                        TComponent* control, int controlWidth);
    void DrawPageBreak(TCanvas* canvas, int y, int xShift, TRVPageBreakType pageBreakType,
                       TComponent* control, int controlWidth);
    void DrawParaBack(TCanvas* canvas, int paraNo, const TRect& rect, bool printing, TRVColorMode colorMode);
    // Whether hovering over a hyperlink of the style changes how it looks.
    bool StyleHoverSensitive(int styleNo);
    // The style's hover colour, or the style sheet's when that is clNone.
    TColor GetHoverColor(int styleNo) const;
    TColor GetHoverColorByColor(TColor color) const;

    // ---- Styles
    int AddTextStyle();
    void DeleteTextStyle(int index);
    // Six text styles: "Normal text", "Heading", "Subheading", "Keywords", "Jump 1", "Jump 2".
    void ResetTextStyles();
    // Two paragraph styles: the default one and "Centered".
    void ResetParaStyles();

    // ---- Persistence. One section holds the whole style sheet; values equal
    // to their defaults are not written. Loading checks every count of the
    // section first and leaves the style sheet unchanged when one is corrupt.
    void SaveToINI(TCustomIniFile* ini, const AnsiString& section) const;
    void LoadFromINI(TCustomIniFile* ini, const AnsiString& section);
    void SaveINI(const AnsiString& fileName, const AnsiString& section) const;
    void LoadINI(const AnsiString& fileName, const AnsiString& section);
    // The per-user settings store under BaseKey, section "RVStyle".
    void SaveReg(const AnsiString& baseKey) const;
    void LoadReg(const AnsiString& baseKey);

    // ---- CSS (lines end with CR LF)
    void SaveCSSToStream(TStream* stream, TRVSaveCSSOptions aOptions) const;
    // False when the file cannot be created or written.
    bool SaveCSS(const AnsiString& fileName, TRVSaveCSSOptions aOptions) const;

protected:
    // Clears image lists that go away from the list styles.
    void Notification(TComponent* aComponent, TOperation operation) override;

private:
    void SaveTextStylesCSS(TStream* stream, TRVSaveCSSOptions aOptions) const;
    void SaveParaStylesCSS(TStream* stream, TRVSaveCSSOptions aOptions) const;

    uint64_t FChangeCount = 0;
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
