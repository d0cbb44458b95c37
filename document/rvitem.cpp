// The item base and the intermediate bases: what every item answers when a
// subclass does not override an operation, the item options, checkpoints, the
// extra properties with their RVF names, and the rectangular item's fields.
#include "document/rvitem.h"

#include <iterator>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvstyle.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"

namespace {

// The RVF names of the extra properties, in the enumeration's order.
const char* const ExtraPropertyNames[] = {
    "",            // rvepUnknown
    "vshift",      // rvepVShift
    "vshiftabs",   // rvepVShiftAbs
    "width",       // rvepImageWidth
    "height",      // rvepImageHeight
    "transparent", // rvepTransparent
    "tmode",       // rvepTransparentMode
    "tcolor",      // rvepTransparentColor
    "minheightonpage",
    "spacing",
    "resizable",
    "unremovable", // rvepDeleteProtect
};
static_assert(std::size(ExtraPropertyNames) == rvepDeleteProtect + 1, "one name per property");

// Whether Index addresses an entry of List.
bool InList(const TRVIntegerList* List, int Index)
{
    return List != nullptr && Index >= 0 && Index < List->Count();
}

} // namespace

AnsiString RVGetExtraItemPropertyName(TRVExtraItemProperty Prop)
{
    if (Prop < rvepUnknown || Prop > rvepDeleteProtect)
        return AnsiString();
    return ExtraPropertyNames[Prop];
}

TRVExtraItemProperty RVGetExtraItemProperty(const AnsiString& Name)
{
    // rvepUnknown's empty name never matches a read name.
    for (int i = rvepVShift; i <= rvepDeleteProtect; ++i)
        if (Name == ExtraPropertyNames[i])
            return static_cast<TRVExtraItemProperty>(i);
    return rvepUnknown;
}

// ---------------------------------------------------------------------------
// Checkpoints and sub-document positions

void TRVCPInfo::Assign(const TRVCPInfo* Source, bool TagsArePChars)
{
    Name = Source->Name;
    RaiseEvent = Source->RaiseEvent;
    Tag = RV_CopyTag(Source->Tag, TagsArePChars);
}

TRVCPInfo* TRVCPInfo::CreateCopy(bool TagsArePChars) const
{
    auto* Copy = new TRVCPInfo;
    Copy->Assign(this, TagsArePChars);
    return Copy;
}

TRVStoreSubRVData* TRVStoreSubRVData::Duplicate() const
{
    return nullptr;
}

// ---------------------------------------------------------------------------
// TCustomRVItemInfo

TCustomRVItemInfo::TCustomRVItemInfo(TCustomRVData* RVData)
{
    (void)RVData;
}

TCustomRVItemInfo::~TCustomRVItemInfo()
{
    // A checkpoint attached to the item belongs to its store's chain; one the
    // item carries on its own (a duplicate's copy) is the item's to free.
    if (Checkpoint != nullptr && Checkpoint->ItemInfo != this)
        delete Checkpoint;
}

TRVItemClass TCustomRVItemInfo::GetItemClass() const
{
    return RVItemClassOf<TCustomRVItemInfo>();
}

void TCustomRVItemInfo::SetSameAsPrev(bool Value)
{
    if (Value) {
        ItemOptions.Exclude(rvioPageBreakBefore);
        ItemOptions.Exclude(rvioBR);
        ItemOptions.Include(rvioSameAsPrev);
    } else {
        ItemOptions.Exclude(rvioSameAsPrev);
    }
}

void TCustomRVItemInfo::SetBR(bool Value)
{
    if (GetBoolValue(rvbpFullWidth) || !Value) {
        ItemOptions.Exclude(rvioBR);
    } else {
        ItemOptions.Exclude(rvioSameAsPrev);
        ItemOptions.Include(rvioBR);
    }
}

void TCustomRVItemInfo::SetPageBreakBefore(bool Value)
{
    if (Value) {
        ItemOptions.Exclude(rvioSameAsPrev);
        ItemOptions.Exclude(rvioBR);
        ItemOptions.Include(rvioPageBreakBefore);
    } else {
        ItemOptions.Exclude(rvioPageBreakBefore);
    }
}

bool TCustomRVItemInfo::CanBeBorderStart() const
{
    return !ItemOptions.Contains(rvioSameAsPrev) && !ItemOptions.Contains(rvioBR);
}

bool TCustomRVItemInfo::ParaStart(bool CountBR) const
{
    if (ItemOptions.Contains(rvioSameAsPrev))
        return false;
    return CountBR || !ItemOptions.Contains(rvioBR);
}

int TCustomRVItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* RVData)
{
    (void)Canvas;
    (void)RVData;
    if (sad != nullptr)
        return MulDiv(20, sad->DevicePpiX, sad->ScreenPpiX);
    return 20;
}

TGraphic* TCustomRVItemInfo::AsImage()
{
    return nullptr;
}

bool TCustomRVItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    return Prop == rvbpValid || Prop == rvbpRequiresRVFLines;
}

bool TCustomRVItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    (void)RVStyle;
    return Prop == rvbpPrintToBMP;
}

void TCustomRVItemInfo::PaintFullWidth(int, int, int, TCanvas*, TRVItemDrawStates, TRVStyle*, const TRect&,
                                       TRVDrawLineInfo*)
{}

void TCustomRVItemInfo::Paint(int, int, TCanvas*, TRVItemDrawStates, TRVStyle*, TRVDrawLineInfo*) {}

bool TCustomRVItemInfo::PrintToBitmap(TBitmap*, bool, TRVPrintingViewer*, TRVDrawLineInfo*, int, TRVColorMode)
{
    return false;
}

void TCustomRVItemInfo::Print(TCanvas*, int, int, int, bool, bool, const TRVScreenAndDevice&,
                              TRVPrintingViewer*, TRVDrawLineInfo*, int, TRVColorMode, TCustomRVData*)
{}

int TCustomRVItemInfo::GetImageWidth(TRVStyle*) const
{
    return 0;
}

int TCustomRVItemInfo::GetImageHeight(TRVStyle*) const
{
    return 0;
}

int TCustomRVItemInfo::GetBorderWidth() const
{
    return 0;
}

int TCustomRVItemInfo::GetBorderHeight() const
{
    return 0;
}

TRVDrawLineInfo* TCustomRVItemInfo::CreatePrintingDrawItem(TCustomRVData*, const TRVScreenAndDevice&)
{
    return new TRVDrawLineInfo();
}

void TCustomRVItemInfo::OnDocWidthChange(int, TRVDrawLineInfo*, bool, TCanvas*, TCustomRVData*,
                                         const TRVScreenAndDevice*, int& HShift, int& Desc, bool)
{
    HShift = 0;
    Desc = 1;
}

void TCustomRVItemInfo::DrawBackgroundForPrinting(TCanvas*, const TRect&, const TRect&, TRVColorMode, int) {}

void TCustomRVItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TCustomRVItemInfo*>(Source)) {
        StyleNo = Item->StyleNo;
        ParaNo = Item->ParaNo;
        ItemOptions = Item->ItemOptions;
        return;
    }
    TPersistent::Assign(Source);
}

AnsiString TCustomRVItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return AnsiString();
}

int TCustomRVItemInfo::GetRVFExtraPropertyCount() const
{
    return 0;
}

void TCustomRVItemInfo::SaveRVFExtraProperties(TStream&) {}

bool TCustomRVItemInfo::ReadRVFHeader(TRVFLineCursor&, TCustomRVData*)
{
    return true;
}

bool TCustomRVItemInfo::ReadRVFLine(const AnsiString&, TCustomRVData*, int, int, int, AnsiString&,
                                    TRVFReadMode&, TRVFReadState&)
{
    return true;
}

void TCustomRVItemInfo::SaveRVF(TStream&, TCustomRVData*, int, int, const AnsiString&, TRVMultiDrawItemPart*,
                                bool)
{}

void TCustomRVItemInfo::SaveRTF(TStream&, TCustomRVData*, int, const AnsiString&, double, int, TRVColorList*,
                                TRVIntegerList*, TRVIntegerList*, TRVIntegerList*, TRVRTFFontTable*)
{}

void TCustomRVItemInfo::FillRTFTables(TRVColorList*, TRVIntegerList*, TCustomRVData*) {}

void TCustomRVItemInfo::SaveToHTML(TStream&, TCustomRVData*, int, const AnsiString&, const AnsiString&,
                                   const AnsiString&, int&, TColor, TRVSaveOptions, bool, TRVList*)
{}

AnsiString TCustomRVItemInfo::AsText(int, TCustomRVData*, const AnsiString&, const AnsiString&, bool, bool)
{
    return AnsiString();
}

void TCustomRVItemInfo::BeforeLoading(TRVLoadFormat) {}
void TCustomRVItemInfo::AfterLoading(TRVLoadFormat) {}
void TCustomRVItemInfo::UpdatePaletteInfo(TRVPaletteAction, bool, HPALETTE, const TLogPalette*) {}

TCustomRVData* TCustomRVItemInfo::GetSubRVDataAt(int, int)
{
    return nullptr;
}

bool TCustomRVItemInfo::OwnsControl(TControl*) const
{
    return false;
}

bool TCustomRVItemInfo::OwnsInplaceEditor(TControl*) const
{
    return false;
}

TCustomRVData* TCustomRVItemInfo::GetSubRVData(TRVStoreSubRVData*& StoreState, TRVSubRVDataPos)
{
    StoreState = nullptr;
    return nullptr;
}

void TCustomRVItemInfo::ChooseSubRVData(TRVStoreSubRVData*) {}
void TCustomRVItemInfo::CleanUpChosen() {}
void TCustomRVItemInfo::ResetSubCoords() {}

bool TCustomRVItemInfo::EnterItem(TRVEnterDirection, int)
{
    return false;
}

TCursor TCustomRVItemInfo::GetHypertextCursor(TRVStyle* RVStyle)
{
    return RVStyle != nullptr ? RVStyle->JumpCursor() : crJump;
}

void TCustomRVItemInfo::BuildJumps(int, int, int&, TList*) {}
void TCustomRVItemInfo::Focusing() {}

bool TCustomRVItemInfo::MoveFocus(bool, TCustomRVData*&, int&)
{
    return false;
}

void TCustomRVItemInfo::ClearFocus() {}

bool TCustomRVItemInfo::AdjustFocusToControl(TControl*, TCustomRVData*&, int&)
{
    return false;
}

bool TCustomRVItemInfo::MouseMove(TShiftState, int, int, int, TCustomRVData*)
{
    return false;
}

bool TCustomRVItemInfo::MouseDown(TMouseButton, TShiftState, int, int, int, TCustomRVData*)
{
    return false;
}

bool TCustomRVItemInfo::MouseUp(TMouseButton, TShiftState, int, int, int, TCustomRVData*)
{
    return false;
}

void TCustomRVItemInfo::MovingFromUndoList(int, TCustomRVData*) {}
void TCustomRVItemInfo::FinalizeUndoGroup() {}
void TCustomRVItemInfo::BeforeUndoChangeProperty() {}
void TCustomRVItemInfo::AfterUndoChangeProperty() {}
void TCustomRVItemInfo::DeselectPartial() {}

bool TCustomRVItemInfo::PartiallySelected() const
{
    return false;
}

bool TCustomRVItemInfo::CanDeletePartiallySelected() const
{
    return false;
}

void TCustomRVItemInfo::DeletePartiallySelected() {}
void TCustomRVItemInfo::ApplyParaStyleToPartiallySelected(int) {}
void TCustomRVItemInfo::ApplyParaStyleConversionToPartiallySelected(int) {}
void TCustomRVItemInfo::ApplyStyleConversionToPartiallySelected(int) {}
void TCustomRVItemInfo::ApplyStyleConversion(TCustomRVData*, int) {}
void TCustomRVItemInfo::StartExport() {}
void TCustomRVItemInfo::EndExport() {}

void TCustomRVItemInfo::MarkStylesInUse(TRVIntegerList*, TRVIntegerList* UsedParaStyles, TRVIntegerList*)
{
    // A paragraph number read from a file may lie outside the style sheet.
    if (InList(UsedParaStyles, ParaNo))
        UsedParaStyles->Put(ParaNo, 1);
}

void TCustomRVItemInfo::UpdateStyles(TRVIntegerList*, TRVIntegerList* ParaStylesShift, TRVIntegerList*)
{
    if (InList(ParaStylesShift, ParaNo))
        ParaNo -= ParaStylesShift->Get(ParaNo) - 1;
}

bool TCustomRVItemInfo::SetExtraIntProperty(TRVExtraItemProperty, int)
{
    return false;
}

bool TCustomRVItemInfo::GetExtraIntProperty(TRVExtraItemProperty, int&) const
{
    return false;
}

int TCustomRVItemInfo::GetSoftPageBreakDY(int Data)
{
    return Data;
}

// ---------------------------------------------------------------------------
// TRVNonTextItemInfo

TRVNonTextItemInfo::TRVNonTextItemInfo(TCustomRVData* RVData) : TCustomRVItemInfo(RVData) {}

TRVItemClass TRVNonTextItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVNonTextItemInfo>();
}

int TRVNonTextItemInfo::GetHeight() const
{
    return 0;
}

int TRVNonTextItemInfo::GetWidth() const
{
    return 0;
}

int TRVNonTextItemInfo::GetLeftOverhang() const
{
    return 0;
}

void TRVNonTextItemInfo::AdjustInserted(int, int, bool) {}

void TRVNonTextItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TRVNonTextItemInfo*>(Source))
        DeleteProtect = Item->DeleteProtect;
    TCustomRVItemInfo::Assign(Source);
}

bool TRVNonTextItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value)
{
    if (Prop == rvepDeleteProtect) {
        DeleteProtect = Value != 0;
        return true;
    }
    return TCustomRVItemInfo::SetExtraIntProperty(Prop, Value);
}

bool TRVNonTextItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) const
{
    if (Prop == rvepDeleteProtect) {
        Value = DeleteProtect ? 1 : 0;
        return true;
    }
    return TCustomRVItemInfo::GetExtraIntProperty(Prop, Value);
}

int TRVNonTextItemInfo::GetRVFExtraPropertyCount() const
{
    return TCustomRVItemInfo::GetRVFExtraPropertyCount() + (DeleteProtect ? 1 : 0);
}

void TRVNonTextItemInfo::SaveRVFExtraProperties(TStream& Stream)
{
    TCustomRVItemInfo::SaveRVFExtraProperties(Stream);
    if (DeleteProtect)
        WriteExtraProperty(Stream, rvepDeleteProtect, 1);
}

void TRVNonTextItemInfo::SetExtraPropertyFromRVFStr(const AnsiString& Str)
{
    const size_t p = Str.find('=');
    if (p == AnsiString::npos)
        return;
    const TRVExtraItemProperty Prop = RVGetExtraItemProperty(Str.substr(0, p));
    // The answer does not matter: a property the item does not hold is skipped.
    SetExtraIntProperty(Prop, StrToIntDef(Str.substr(p + 1), 0));
}

void TRVNonTextItemInfo::WriteExtraProperty(TStream& Stream, TRVExtraItemProperty Prop, int Value)
{
    RVFWriteLine(Stream, Format("%s=%d", {RVGetExtraItemPropertyName(Prop), Value}));
}

// ---------------------------------------------------------------------------
// TRVFullLineItemInfo

TRVItemClass TRVFullLineItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVFullLineItemInfo>();
}

bool TRVFullLineItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    if (Prop == rvbpFullWidth)
        return true;
    return TRVNonTextItemInfo::GetBoolValue(Prop);
}

// ---------------------------------------------------------------------------
// TRVRectItemInfo

TRVRectItemInfo::TRVRectItemInfo(TCustomRVData* RVData) : TRVNonTextItemInfo(RVData)
{
    Spacing = 1;
}

TRVItemClass TRVRectItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVRectItemInfo>();
}

int TRVRectItemInfo::GetDescent() const
{
    return 0;
}

int TRVRectItemInfo::GetBorderWidth() const
{
    return Spacing;
}

int TRVRectItemInfo::GetBorderHeight() const
{
    return Spacing;
}

void TRVRectItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TRVRectItemInfo*>(Source)) {
        MinHeightOnPage = Item->MinHeightOnPage;
        VAlign = Item->VAlign;
        VShift = Item->VShift;
        VShiftAbs = Item->VShiftAbs;
        Spacing = Item->Spacing;
    }
    TRVNonTextItemInfo::Assign(Source);
}

AnsiString TRVRectItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return IntToStr(static_cast<int>(VAlign));
}

bool TRVRectItemInfo::ReadRVFHeader(TRVFLineCursor& P, TCustomRVData*)
{
    const char c = P.Peek();
    if (c == '\0' || c == '\n' || c == '\r') {
        VAlign = rvvaBaseline;
        return true;
    }
    int Value = 0;
    if (!RVFReadInteger(P, Value))
        return false;
    VAlign = static_cast<TRVVAlign>(static_cast<uint8_t>(Value));
    return true;
}

bool TRVRectItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value)
{
    switch (Prop) {
    case rvepVShift:
        VShift = Value;
        return true;
    case rvepVShiftAbs:
        VShiftAbs = Value != 0;
        return true;
    case rvepSpacing:
        Spacing = Value < 0 ? 0 : Value;
        return true;
    default:
        return TRVNonTextItemInfo::SetExtraIntProperty(Prop, Value);
    }
}

bool TRVRectItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) const
{
    switch (Prop) {
    case rvepVShift:
        Value = VShift;
        return true;
    case rvepVShiftAbs:
        Value = VShiftAbs ? 1 : 0;
        return true;
    case rvepSpacing:
        Value = Spacing;
        return true;
    default:
        return TRVNonTextItemInfo::GetExtraIntProperty(Prop, Value);
    }
}

int TRVRectItemInfo::GetRVFExtraPropertyCount() const
{
    return TRVNonTextItemInfo::GetRVFExtraPropertyCount() + (VShift != 0 ? 1 : 0) + (VShiftAbs ? 1 : 0) +
           (Spacing != 1 ? 1 : 0);
}

void TRVRectItemInfo::SaveRVFExtraProperties(TStream& Stream)
{
    TRVNonTextItemInfo::SaveRVFExtraProperties(Stream);
    if (VShift != 0)
        WriteExtraProperty(Stream, rvepVShift, VShift);
    if (VShiftAbs)
        WriteExtraProperty(Stream, rvepVShiftAbs, 1);
    if (Spacing != 1)
        WriteExtraProperty(Stream, rvepSpacing, Spacing);
}

AnsiString TRVRectItemInfo::GetVShiftCSS(TRVStyle* RVStyle) const
{
    const int ImageHeight = GetImageHeight(RVStyle);
    if (VShift == 0 || ImageHeight == 0 || VAlign != rvvaBaseline)
        return AnsiString();
    const int Shift = VShiftAbs ? VShift : MulDiv(ImageHeight, VShift, 100);
    // A length needs its unit: browsers drop "vertical-align : 8" whole.
    return Format("vertical-align: %dpx", {Shift});
}

// ---------------------------------------------------------------------------
// Helpers of the item writers

void TCustomRVItemInfo::WriteRVFHeader(TStream& Stream, TCustomRVData* RVData, int ParaNo, int LineCount,
                                       int ReadMode, bool ForceSameAsPrev)
{
    const bool TagsArePChars = RVData->GetOptions().Contains(rvoTagsArePChars);
    RVFWriteLine(Stream, Format("%d %d %s %d %d %s %s",
                                {StyleNo, LineCount, RVFItemSavePara(ParaNo, RVData, ForceSameAsPrev),
                                 RVFGetItemOptions(ItemOptions, ForceSameAsPrev), ReadMode,
                                 RVFSaveTag(TagsArePChars, Tag), SaveRVFHeaderTail(RVData)}));
}

bool TCustomRVItemInfo::WriteRVFBodyHead(TStream& Stream, TCustomRVData* RVData, int ParaNo,
                                         const AnsiString& Name, bool ForceSameAsPrev, const char* BodyClass,
                                         bool& Binary)
{
    const bool Body = BodyClass != nullptr;
    Binary = RVData->GetRVFOptions().Contains(rvfoSaveBinary);
    const int ReadMode = !Body ? 1 : Binary ? 2 : 0;
    WriteRVFHeader(Stream, RVData, ParaNo, GetRVFExtraPropertyCount() + (Body ? 3 : 1), ReadMode,
                   ForceSameAsPrev);
    RVFWriteLine(Stream, RVFMakeLineSafe(Name, false));
    if (Body)
        RVFWriteLine(Stream, BodyClass);
    SaveRVFExtraProperties(Stream);
    return Body;
}

int RVFGetItemOptions(TRVItemOptions ItemOptions, bool ForceSameAsPrev)
{
    if (ForceSameAsPrev) {
        ItemOptions.Include(rvioSameAsPrev);
        ItemOptions.Exclude(rvioBR);
        ItemOptions.Exclude(rvioPageBreakBefore);
    }
    return ItemOptions.Bits & 0x0F;
}

AnsiString RV_GetExtraIMGStr(TRVSaveOptions SaveOptions, int Width, int Height)
{
    AnsiString s = SaveOptions.Contains(rvsoNoHypertextImageBorders) ? " border=0 " : " ";
    if (SaveOptions.Contains(rvsoImageSizes))
        s += Format("width=%d height=%d ", {Width, Height});
    return s;
}
