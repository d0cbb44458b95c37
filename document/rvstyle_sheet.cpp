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

TRVStyle::TRVStyle(TComponent* aOwner) : TComponent(aOwner)
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

void TRVStyle::SetTextStyles(const TFontInfos* value)
{
    if (value != FTextStyles.get())
        FTextStyles->Assign(value);
}

void TRVStyle::SetParaStyles(const TParaInfos* value)
{
    if (value != FParaStyles.get())
        FParaStyles->Assign(value);
}

void TRVStyle::SetListStyles(const TRVListInfos* value)
{
    if (value != FListStyles.get())
        FListStyles->Assign(value);
}

TPicture* TRVStyle::InvalidPicture()
{
    if (!FInvalidPicture) {
        FInvalidPicture = std::make_unique<TPicture>();
        LoadInvalidPicture(FInvalidPicture->Bitmap());
    }
    return FInvalidPicture.get();
}

void TRVStyle::SetInvalidPicture(const TPicture* value)
{
    if (value == nullptr) {
        FInvalidPicture.reset();
        return;
    }
    if (value == FInvalidPicture.get())
        return;
    if (!FInvalidPicture)
        FInvalidPicture = std::make_unique<TPicture>();
    FInvalidPicture->Assign(value);
}

void TRVStyle::Notification(TComponent* aComponent, TOperation operation)
{
    TComponent::Notification(aComponent, operation);
    // A component that goes away is no longer of its own class here, so the
    // levels recognise their image list by its component address.
    if (operation == opRemove && FListStyles)
        FListStyles->RemoveImageListComponent(aComponent);
}

// ---------------------------------------------------------------------------
// Drawing

void TRVStyle::ApplyStyle(TCanvas* canvas, int styleNo, TRVBiDiMode defBiDiMode)
{
    bool doDefault = true;
    if (OnApplyStyle)
        OnApplyStyle(this, canvas, styleNo, doDefault);
    if (doDefault)
        FTextStyles->Items(styleNo)->Apply(canvas, defBiDiMode);
}

void TRVStyle::ApplyStyleColor(TCanvas* canvas, int styleNo, TRVTextDrawStates drawState, bool printing,
                               TRVColorMode colorMode)
{
    bool doDefault = true;
    if (OnApplyStyleColor)
        OnApplyStyleColor(this, canvas, styleNo, drawState, doDefault);
    if (doDefault)
        FTextStyles->Items(styleNo)->ApplyColor(canvas, this, drawState, printing, colorMode);
}

void TRVStyle::DrawStyleText(std::string_view s, TCanvas* canvas, int aItemNo, int aOffsetInItem, int styleNo,
                             TPersistent* arvData, int spaceBefore, int left, int top, int width, int height,
                             TRVTextDrawStates drawState, bool printing, bool previewCorrection,
                             TRVColorMode colorMode, TRVBiDiMode defBiDiMode)
{
    const TFontInfo* style = FTextStyles->Items(styleNo);
    const TRVShownText text(s, style);
    bool doDefault = true;
    if (OnDrawStyleText) {
        ItemNo = aItemNo;
        RVData = arvData;
        OffsetInItem = aOffsetInItem;
        OnDrawStyleText(this, AnsiString(text.View()), canvas, styleNo, spaceBefore, left, top, width, height,
                        drawState, doDefault);
    }
    if (doDefault)
        style->Draw(text.View(), canvas, styleNo, spaceBefore, left, top, width, height, this, drawState,
                    printing, previewCorrection, colorMode, defBiDiMode);
}

void TRVStyle::DrawTextBack(TCanvas* canvas, int aItemNo, int styleNo, TPersistent* arvData, int left,
                            int top, int width, int height, TRVTextDrawStates drawState)
{
    if (!OnDrawTextBack)
        return;
    ItemNo = aItemNo;
    RVData = arvData;
    bool doDefault = true;
    OnDrawTextBack(this, canvas, styleNo, left, top, width, height, drawState, doDefault);
}

void TRVStyle::DrawCheckpoint(TCanvas* canvas, int x, int y, int aItemNo, int xShift, bool raiseEvent,
                              TComponent* control, int controlWidth)
{
    bool doDefault = true;
    if (OnDrawCheckpoint)
        OnDrawCheckpoint(this, canvas, x, y, aItemNo, xShift, raiseEvent, control, doDefault);
    if (doDefault) {
        canvas->Pen()->SetColor(raiseEvent ? FCheckpointEvColor : FCheckpointColor);
        canvas->Brush()->SetStyle(bsClear);
        if (aItemNo != -1) {
            canvas->Pen()->SetStyle(psSolid);
            canvas->Ellipse(x - 2, y - 2, x + 2, y + 2);
        }
        canvas->Pen()->SetStyle(psDot);
        canvas->MoveTo(-xShift, y);
        canvas->LineTo(controlWidth, y);
    }
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsClear);
}

void TRVStyle::DrawPageBreak(TCanvas* canvas, int y, int xShift, TRVPageBreakType pageBreakType,
                             TComponent* control, int controlWidth)
{
    bool doDefault = true;
    if (OnDrawPageBreak)
        OnDrawPageBreak(this, canvas, y, xShift, pageBreakType, control, doDefault);
    if (doDefault) {
        TPen* pen = canvas->Pen();
        pen->SetColor(pageBreakType == rvpbPageBreak ? FPageBreakColor : FSoftPageBreakColor);
        pen->SetWidth(1);
        pen->SetStyle(psSolid);
        const int x = controlWidth - xShift - 8;
        canvas->Brush()->SetColor(clWindow);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->MoveTo(-xShift, y);
        canvas->LineTo(x, y);
        canvas->Polygon({Point(x, y), Point(x + 8, y + 8), Point(x, y + 8)});
    }
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsClear);
}

void TRVStyle::DrawParaBack(TCanvas* canvas, int paraNo, const TRect& rect, bool printing,
                            TRVColorMode colorMode)
{
    bool doDefault = true;
    if (OnDrawParaBack)
        OnDrawParaBack(this, canvas, paraNo, rect, doDefault);
    if (doDefault)
        FParaStyles->Items(paraNo)->Background()->Draw(rect, canvas, printing, colorMode);
}

TColor TRVStyle::GetHoverColorByColor(TColor color) const
{
    return color != clNone ? color : FHoverColor;
}

TColor TRVStyle::GetHoverColor(int styleNo) const
{
    return GetHoverColorByColor(FTextStyles->Items(styleNo)->HoverColor());
}

bool TRVStyle::StyleHoverSensitive(int styleNo)
{
    const TFontInfo* style = FTextStyles->Items(styleNo);
    bool sensitive = GetHoverColor(styleNo) != clNone || style->HoverBackColor() != style->BackColor();
    if (OnStyleHoverSensitive)
        OnStyleHoverSensitive(this, styleNo, sensitive);
    return sensitive;
}

// ---------------------------------------------------------------------------
// Styles

int TRVStyle::AddTextStyle()
{
    FTextStyles->Add();
    return FTextStyles->Count() - 1;
}

void TRVStyle::DeleteTextStyle(int index)
{
    FTextStyles->Delete(index);
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

void TRVStyle::SaveToINI(TCustomIniFile* ini, const AnsiString& section) const
{
    ini->EraseSection(section);
    WriteIntToIniIfNE(ini, section, "Color", FColor, clWindow);
    WriteIntToIniIfNE(ini, section, "HoverColor", FHoverColor, clNone);
    WriteIntToIniIfNE(ini, section, "SelColor", FSelColor, clHighlight);
    WriteIntToIniIfNE(ini, section, "SelTextColor", FSelTextColor, clHighlightText);
    WriteIntToIniIfNE(ini, section, "ISelColor", FInactiveSelColor, clHighlight);
    WriteIntToIniIfNE(ini, section, "ISelTextColor", FInactiveSelTextColor, clHighlightText);
    WriteIntToIniIfNE(ini, section, "CheckpointColor", FCheckpointColor, clGreen);
    WriteIntToIniIfNE(ini, section, "CheckpointEvColor", FCheckpointEvColor, clLime);
    WriteIntToIniIfNE(ini, section, "PageBreakColor", FPageBreakColor, clBtnShadow);
    WriteIntToIniIfNE(ini, section, "SoftPageBreakColor", FSoftPageBreakColor, clBtnFace);
    WriteIntToIniIfNE(ini, section, "JumpCursor", FJumpCursor, crJump);
    WriteBoolToIniIfNE(ini, section, "UseSound", FUseSound, true);
    WriteIntToIniIfNE(ini, section, "DefUnicodeStyle", FDefUnicodeStyle, -1);
    WriteIntToIniIfNE(ini, section, "DefCodePage", static_cast<int>(FDefCodePage), 0);
    FParaStyles->SaveToINI(ini, section);
    FTextStyles->SaveToINI(ini, section);
    FListStyles->SaveToINI(ini, section);
}

void TRVStyle::LoadFromINI(TCustomIniFile* ini, const AnsiString& section)
{
    // Every count is checked before anything changes.
    RVReadIniCount(ini, section, "ParasCount", 2);
    RVReadIniCount(ini, section, "FontsCount", 6);
    TRVListInfos::CheckINICounts(ini, section);

    FColor = ini->ReadInteger(section, "Color", clWindow);
    FHoverColor = ini->ReadInteger(section, "HoverColor", clNone);
    FSelColor = ini->ReadInteger(section, "SelColor", clHighlight);
    FSelTextColor = ini->ReadInteger(section, "SelTextColor", clHighlightText);
    FInactiveSelColor = ini->ReadInteger(section, "ISelColor", clHighlight);
    FInactiveSelTextColor = ini->ReadInteger(section, "ISelTextColor", clHighlightText);
    FCheckpointColor = ini->ReadInteger(section, "CheckpointColor", clGreen);
    FCheckpointEvColor = ini->ReadInteger(section, "CheckpointEvColor", clLime);
    FPageBreakColor = ini->ReadInteger(section, "PageBreakColor", clBtnShadow);
    FSoftPageBreakColor = ini->ReadInteger(section, "SoftPageBreakColor", clBtnFace);
    FJumpCursor = static_cast<TCursor>(ini->ReadInteger(section, "JumpCursor", crJump));
    FUseSound = IniReadBool(ini, section, "UseSound", true);
    FDefUnicodeStyle = ini->ReadInteger(section, "DefUnicodeStyle", -1);
    FDefCodePage = static_cast<TRVCodePage>(ini->ReadInteger(section, "DefCodePage", 0));
    FParaStyles->LoadFromINI(ini, section);
    FTextStyles->LoadFromINI(ini, section, FJumpCursor);
    FListStyles->LoadFromINI(ini, section);
}

void TRVStyle::SaveINI(const AnsiString& fileName, const AnsiString& section) const
{
    TIniFile ini(fileName);
    SaveToINI(&ini, section);
    ini.UpdateFile();
}

void TRVStyle::LoadINI(const AnsiString& fileName, const AnsiString& section)
{
    TIniFile ini(fileName);
    LoadFromINI(&ini, section);
}

void TRVStyle::SaveReg(const AnsiString& baseKey) const
{
    TRegistryIniFile ini(baseKey);
    SaveToINI(&ini, "RVStyle");
    ini.UpdateFile();
}

void TRVStyle::LoadReg(const AnsiString& baseKey)
{
    TRegistryIniFile ini(baseKey);
    LoadFromINI(&ini, "RVStyle");
}
