// TRVStyle: construction with the default styles, the drawing entry points
// with their events, checkpoint and page-break marks, and persistence in ini
// files and the settings store.
#include "document/rvstyle.h"

#include "document/rvuni.h"
#include "platform/core/inifiles.h"
#include "platform/core/registry.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/resources.h"

TRVStyle::TRVStyle(TComponent* AOwner) : TComponent(AOwner)
{
    // The collections ask for the entry class each time they make an entry,
    // so that a derived style sheet's classes are used once it is constructed.
    FTextStyles =
        std::make_unique<TFontInfos>([this](TCollection* c) { return GetTextStyleClass()(c); }, this);
    FParaStyles =
        std::make_unique<TParaInfos>([this](TCollection* c) { return GetParaStyleClass()(c); }, this);
    FListStyles =
        std::make_unique<TRVListInfos>([this](TCollection* c) { return GetListStyleClass()(c); }, this);
    ResetParaStyles();
    ResetTextStyles();
}

TRVStyle::~TRVStyle() = default;

TCollectionItemClass TRVStyle::GetTextStyleClass() const
{
    return [](TCollection* c) -> TCollectionItem* { return new TFontInfo(c); };
}

TCollectionItemClass TRVStyle::GetParaStyleClass() const
{
    return [](TCollection* c) -> TCollectionItem* { return new TParaInfo(c); };
}

TCollectionItemClass TRVStyle::GetListStyleClass() const
{
    return [](TCollection* c) -> TCollectionItem* { return new TRVListInfo(c); };
}

void TRVStyle::SetTextStyles(const TFontInfos* Value)
{
    if (Value != FTextStyles.get())
        FTextStyles->Assign(Value);
}

void TRVStyle::SetParaStyles(const TParaInfos* Value)
{
    if (Value != FParaStyles.get())
        FParaStyles->Assign(Value);
}

void TRVStyle::SetListStyles(const TRVListInfos* Value)
{
    if (Value != FListStyles.get())
        FListStyles->Assign(Value);
}

TPicture* TRVStyle::InvalidPicture()
{
    if (!FInvalidPicture) {
        FInvalidPicture = std::make_unique<TPicture>();
        LoadInvalidPicture(FInvalidPicture->Bitmap());
    }
    return FInvalidPicture.get();
}

void TRVStyle::SetInvalidPicture(const TPicture* Value)
{
    if (Value == nullptr) {
        FInvalidPicture.reset();
        return;
    }
    if (Value == FInvalidPicture.get())
        return;
    if (!FInvalidPicture)
        FInvalidPicture = std::make_unique<TPicture>();
    FInvalidPicture->Assign(Value);
}

void TRVStyle::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    // A component that goes away is no longer of its own class here, so the
    // levels recognise their image list by its component address.
    if (Operation == opRemove && FListStyles)
        FListStyles->RemoveImageListComponent(AComponent);
}

// ---------------------------------------------------------------------------
// Drawing

void TRVStyle::ApplyStyle(TCanvas* Canvas, int StyleNo, TRVBiDiMode DefBiDiMode)
{
    bool doDefault = true;
    if (OnApplyStyle)
        OnApplyStyle(this, Canvas, StyleNo, doDefault);
    if (doDefault)
        FTextStyles->Items(StyleNo)->Apply(Canvas, DefBiDiMode);
}

void TRVStyle::ApplyStyleColor(TCanvas* Canvas, int StyleNo, TRVTextDrawStates DrawState, bool Printing,
                               TRVColorMode ColorMode)
{
    bool doDefault = true;
    if (OnApplyStyleColor)
        OnApplyStyleColor(this, Canvas, StyleNo, DrawState, doDefault);
    if (doDefault)
        FTextStyles->Items(StyleNo)->ApplyColor(Canvas, this, DrawState, Printing, ColorMode);
}

void TRVStyle::DrawStyleText(const AnsiString& s, TCanvas* Canvas, int AItemNo, int AOffsetInItem,
                             int StyleNo, TPersistent* ARVData, int SpaceBefore, int Left, int Top, int Width,
                             int Height, TRVTextDrawStates DrawState, bool Printing, bool PreviewCorrection,
                             TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode)
{
    const TFontInfo* style = FTextStyles->Items(StyleNo);
    const AnsiString text = RV_ReturnCapitalized(s, style->StyleEx().Contains(rvfsAllCaps), style->Unicode());
    bool doDefault = true;
    if (OnDrawStyleText) {
        ItemNo = AItemNo;
        RVData = ARVData;
        OffsetInItem = AOffsetInItem;
        OnDrawStyleText(this, text, Canvas, StyleNo, SpaceBefore, Left, Top, Width, Height, DrawState,
                        doDefault);
    }
    if (doDefault)
        style->Draw(text, Canvas, StyleNo, SpaceBefore, Left, Top, Width, Height, this, DrawState, Printing,
                    PreviewCorrection, ColorMode, DefBiDiMode);
}

void TRVStyle::DrawTextBack(TCanvas* Canvas, int AItemNo, int StyleNo, TPersistent* ARVData, int Left,
                            int Top, int Width, int Height, TRVTextDrawStates DrawState)
{
    if (!OnDrawTextBack)
        return;
    ItemNo = AItemNo;
    RVData = ARVData;
    bool doDefault = true;
    OnDrawTextBack(this, Canvas, StyleNo, Left, Top, Width, Height, DrawState, doDefault);
}

void TRVStyle::DrawCheckpoint(TCanvas* Canvas, int X, int Y, int AItemNo, int XShift, bool RaiseEvent,
                              TComponent* Control, int ControlWidth)
{
    bool doDefault = true;
    if (OnDrawCheckpoint)
        OnDrawCheckpoint(this, Canvas, X, Y, AItemNo, XShift, RaiseEvent, Control, doDefault);
    if (doDefault) {
        Canvas->Pen()->SetColor(RaiseEvent ? FCheckpointEvColor : FCheckpointColor);
        Canvas->Brush()->SetStyle(bsClear);
        if (AItemNo != -1) {
            Canvas->Pen()->SetStyle(psSolid);
            Canvas->Ellipse(X - 2, Y - 2, X + 2, Y + 2);
        }
        Canvas->Pen()->SetStyle(psDot);
        Canvas->MoveTo(-XShift, Y);
        Canvas->LineTo(ControlWidth, Y);
    }
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Brush()->SetStyle(bsClear);
}

void TRVStyle::DrawPageBreak(TCanvas* Canvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                             TComponent* Control, int ControlWidth)
{
    bool doDefault = true;
    if (OnDrawPageBreak)
        OnDrawPageBreak(this, Canvas, Y, XShift, PageBreakType, Control, doDefault);
    if (doDefault) {
        TPen* pen = Canvas->Pen();
        pen->SetColor(PageBreakType == rvpbPageBreak ? FPageBreakColor : FSoftPageBreakColor);
        pen->SetWidth(1);
        pen->SetStyle(psSolid);
        const int x = ControlWidth - XShift - 8;
        Canvas->Brush()->SetColor(clWindow);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->MoveTo(-XShift, Y);
        Canvas->LineTo(x, Y);
        Canvas->Polygon({Point(x, Y), Point(x + 8, Y + 8), Point(x, Y + 8)});
    }
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Brush()->SetStyle(bsClear);
}

void TRVStyle::DrawParaBack(TCanvas* Canvas, int ParaNo, const TRect& Rect, bool Printing,
                            TRVColorMode ColorMode)
{
    bool doDefault = true;
    if (OnDrawParaBack)
        OnDrawParaBack(this, Canvas, ParaNo, Rect, doDefault);
    if (doDefault)
        FParaStyles->Items(ParaNo)->Background()->Draw(Rect, Canvas, Printing, ColorMode);
}

TColor TRVStyle::GetHoverColorByColor(TColor Color) const
{
    return Color != clNone ? Color : FHoverColor;
}

TColor TRVStyle::GetHoverColor(int StyleNo) const
{
    return GetHoverColorByColor(FTextStyles->Items(StyleNo)->HoverColor());
}

bool TRVStyle::StyleHoverSensitive(int StyleNo)
{
    const TFontInfo* style = FTextStyles->Items(StyleNo);
    bool sensitive = GetHoverColor(StyleNo) != clNone || style->HoverBackColor() != style->BackColor();
    if (OnStyleHoverSensitive)
        OnStyleHoverSensitive(this, StyleNo, sensitive);
    return sensitive;
}

// ---------------------------------------------------------------------------
// Styles

int TRVStyle::AddTextStyle()
{
    FTextStyles->Add();
    return FTextStyles->Count() - 1;
}

void TRVStyle::DeleteTextStyle(int Index)
{
    FTextStyles->Delete(Index);
}

void TRVStyle::ResetTextStyles()
{
    FTextStyles->BeginUpdate();
    FTextStyles->Clear();
    auto add = [this](const char* name, TFontStyles style, TColor color) {
        TFontInfo* info = FTextStyles->Add();
        info->SetStyleName(name);
        info->SetStyle(style);
        info->SetColor(color);
        return info;
    };
    add("Normal text", {}, clWindowText);
    add("Heading", {fsBold}, clBlue);
    add("Subheading", {fsBold}, clNavy);
    add("Keywords", {fsItalic}, clMaroon);
    for (const char* name : {"Jump 1", "Jump 2"}) {
        TFontInfo* jump = add(name, {fsUnderline}, clGreen);
        jump->SetJump(true);
        jump->SetJumpCursor(FJumpCursor);
    }
    FTextStyles->EndUpdate();
}

void TRVStyle::ResetParaStyles()
{
    FParaStyles->BeginUpdate();
    FParaStyles->Clear();
    FParaStyles->Add();
    TParaInfo* centered = FParaStyles->Add();
    centered->SetStyleName("Centered");
    centered->SetAlignment(rvaCenter);
    FParaStyles->EndUpdate();
}

// ---------------------------------------------------------------------------
// Persistence

void TRVStyle::SaveToINI(TCustomIniFile* ini, const AnsiString& Section) const
{
    ini->EraseSection(Section);
    WriteIntToIniIfNE(ini, Section, "Color", FColor, clWindow);
    WriteIntToIniIfNE(ini, Section, "HoverColor", FHoverColor, clNone);
    WriteIntToIniIfNE(ini, Section, "SelColor", FSelColor, clHighlight);
    WriteIntToIniIfNE(ini, Section, "SelTextColor", FSelTextColor, clHighlightText);
    WriteIntToIniIfNE(ini, Section, "ISelColor", FInactiveSelColor, clHighlight);
    WriteIntToIniIfNE(ini, Section, "ISelTextColor", FInactiveSelTextColor, clHighlightText);
    WriteIntToIniIfNE(ini, Section, "CheckpointColor", FCheckpointColor, clGreen);
    WriteIntToIniIfNE(ini, Section, "CheckpointEvColor", FCheckpointEvColor, clLime);
    WriteIntToIniIfNE(ini, Section, "PageBreakColor", FPageBreakColor, clBtnShadow);
    WriteIntToIniIfNE(ini, Section, "SoftPageBreakColor", FSoftPageBreakColor, clBtnFace);
    WriteIntToIniIfNE(ini, Section, "JumpCursor", FJumpCursor, crJump);
    WriteBoolToIniIfNE(ini, Section, "UseSound", FUseSound, true);
    WriteIntToIniIfNE(ini, Section, "DefUnicodeStyle", FDefUnicodeStyle, -1);
    WriteIntToIniIfNE(ini, Section, "DefCodePage", static_cast<int>(FDefCodePage), 0);
    FParaStyles->SaveToINI(ini, Section);
    FTextStyles->SaveToINI(ini, Section);
    FListStyles->SaveToINI(ini, Section);
}

void TRVStyle::LoadFromINI(TCustomIniFile* ini, const AnsiString& Section)
{
    // Every count is checked before anything changes.
    RVReadIniCount(ini, Section, "ParasCount", 2);
    RVReadIniCount(ini, Section, "FontsCount", 6);
    TRVListInfos::CheckINICounts(ini, Section);

    FColor = ini->ReadInteger(Section, "Color", clWindow);
    FHoverColor = ini->ReadInteger(Section, "HoverColor", clNone);
    FSelColor = ini->ReadInteger(Section, "SelColor", clHighlight);
    FSelTextColor = ini->ReadInteger(Section, "SelTextColor", clHighlightText);
    FInactiveSelColor = ini->ReadInteger(Section, "ISelColor", clHighlight);
    FInactiveSelTextColor = ini->ReadInteger(Section, "ISelTextColor", clHighlightText);
    FCheckpointColor = ini->ReadInteger(Section, "CheckpointColor", clGreen);
    FCheckpointEvColor = ini->ReadInteger(Section, "CheckpointEvColor", clLime);
    FPageBreakColor = ini->ReadInteger(Section, "PageBreakColor", clBtnShadow);
    FSoftPageBreakColor = ini->ReadInteger(Section, "SoftPageBreakColor", clBtnFace);
    FJumpCursor = static_cast<TCursor>(ini->ReadInteger(Section, "JumpCursor", crJump));
    FUseSound = IniReadBool(ini, Section, "UseSound", true);
    FDefUnicodeStyle = ini->ReadInteger(Section, "DefUnicodeStyle", -1);
    FDefCodePage = static_cast<TRVCodePage>(ini->ReadInteger(Section, "DefCodePage", 0));
    FParaStyles->LoadFromINI(ini, Section);
    FTextStyles->LoadFromINI(ini, Section, FJumpCursor);
    FListStyles->LoadFromINI(ini, Section);
}

void TRVStyle::SaveINI(const AnsiString& FileName, const AnsiString& Section) const
{
    TIniFile ini(FileName);
    SaveToINI(&ini, Section);
    ini.UpdateFile();
}

void TRVStyle::LoadINI(const AnsiString& FileName, const AnsiString& Section)
{
    TIniFile ini(FileName);
    LoadFromINI(&ini, Section);
}

void TRVStyle::SaveReg(const AnsiString& BaseKey) const
{
    TRegistryIniFile ini(BaseKey);
    SaveToINI(&ini, "RVStyle");
    ini.UpdateFile();
}

void TRVStyle::LoadReg(const AnsiString& BaseKey)
{
    TRegistryIniFile ini(BaseKey);
    LoadFromINI(&ini, "RVStyle");
}
