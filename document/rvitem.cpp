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
bool InList(const TRVIntegerList* list, int index)
{
    return list != nullptr && index >= 0 && index < list->Count();
}

} // namespace

AnsiString RVGetExtraItemPropertyName(TRVExtraItemProperty prop)
{
    if (prop < rvepUnknown || prop > rvepDeleteProtect)
        return AnsiString();
    return ExtraPropertyNames[prop];
}

TRVExtraItemProperty RVGetExtraItemProperty(const AnsiString& name)
{
    // rvepUnknown's empty name never matches a read name.
    for (int i = rvepVShift; i <= rvepDeleteProtect; ++i)
        if (name == ExtraPropertyNames[i])
            return static_cast<TRVExtraItemProperty>(i);
    return rvepUnknown;
}

// ---------------------------------------------------------------------------
// Checkpoints and sub-document positions

void TRVCPInfo::Assign(const TRVCPInfo* source, bool tagsArePChars)
{
    Name = source->Name;
    RaiseEvent = source->RaiseEvent;
    Tag = RV_CopyTag(source->Tag, tagsArePChars);
}

TRVCPInfo* TRVCPInfo::CreateCopy(bool tagsArePChars) const
{
    auto* copy = new TRVCPInfo;
    copy->Assign(this, tagsArePChars);
    return copy;
}

TRVStoreSubRVData* TRVStoreSubRVData::Duplicate() const
{
    return nullptr;
}

// ---------------------------------------------------------------------------
// TCustomRVItemInfo

TCustomRVItemInfo::TCustomRVItemInfo(TCustomRVData* rvData)
{
    (void)rvData;
}

TCustomRVItemInfo::~TCustomRVItemInfo()
{
    if (FHasExtra)
        ReleaseExtra();
}

TRVItemClass TCustomRVItemInfo::GetItemClass() const
{
    return RVItemClassOf<TCustomRVItemInfo>();
}

void TCustomRVItemInfo::SetSameAsPrev(bool value)
{
    if (value) {
        ItemOptions.Exclude(rvioPageBreakBefore);
        ItemOptions.Exclude(rvioBR);
        ItemOptions.Include(rvioSameAsPrev);
    } else {
        ItemOptions.Exclude(rvioSameAsPrev);
    }
}

void TCustomRVItemInfo::SetBR(bool value)
{
    if (GetBoolValue(rvbpFullWidth) || !value) {
        ItemOptions.Exclude(rvioBR);
    } else {
        ItemOptions.Exclude(rvioSameAsPrev);
        ItemOptions.Include(rvioBR);
    }
}

void TCustomRVItemInfo::SetPageBreakBefore(bool value)
{
    if (value) {
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

bool TCustomRVItemInfo::ParaStart(bool countBr) const
{
    if (ItemOptions.Contains(rvioSameAsPrev))
        return false;
    return countBr || !ItemOptions.Contains(rvioBR);
}

int TCustomRVItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* canvas, TCustomRVData* rvData)
{
    (void)canvas;
    (void)rvData;
    if (sad != nullptr)
        return MulDiv(20, sad->DevicePpiX, sad->ScreenPpiX);
    return 20;
}

TGraphic* TCustomRVItemInfo::AsImage()
{
    return nullptr;
}

bool TCustomRVItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    return prop == rvbpValid || prop == rvbpRequiresRVFLines;
}

bool TCustomRVItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    (void)rvStyle;
    return prop == rvbpPrintToBMP;
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
                                         const TRVScreenAndDevice*, int& hShift, int& desc, bool)
{
    hShift = 0;
    desc = 1;
}

void TCustomRVItemInfo::DrawBackgroundForPrinting(TCanvas*, const TRect&, const TRect&, TRVColorMode, int) {}

void TCustomRVItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TCustomRVItemInfo*>(source)) {
        StyleNo = item->StyleNo;
        ParaNo = item->ParaNo;
        ItemOptions = item->ItemOptions;
        return;
    }
    TPersistent::Assign(source);
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

TCustomRVData* TCustomRVItemInfo::GetSubRVData(TRVStoreSubRVData*& storeState, TRVSubRVDataPos)
{
    storeState = nullptr;
    return nullptr;
}

void TCustomRVItemInfo::ChooseSubRVData(TRVStoreSubRVData*) {}
void TCustomRVItemInfo::CleanUpChosen() {}
void TCustomRVItemInfo::ResetSubCoords() {}

bool TCustomRVItemInfo::EnterItem(TRVEnterDirection, int)
{
    return false;
}

TCursor TCustomRVItemInfo::GetHypertextCursor(TRVStyle* rvStyle)
{
    return rvStyle != nullptr ? rvStyle->JumpCursor() : crJump;
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

TCustomRVItemInfo* TCustomRVItemInfo::CopyPartiallySelected(TCustomRVData*)
{
    return nullptr;
}
void TCustomRVItemInfo::ApplyParaStyleToPartiallySelected(int) {}
void TCustomRVItemInfo::ApplyParaStyleConversionToPartiallySelected(int) {}
void TCustomRVItemInfo::ApplyStyleConversionToPartiallySelected(int) {}
void TCustomRVItemInfo::ApplyStyleConversion(TCustomRVData*, int) {}
void TCustomRVItemInfo::StartExport() {}
void TCustomRVItemInfo::EndExport() {}

void TCustomRVItemInfo::MarkStylesInUse(TRVIntegerList*, TRVIntegerList* usedParaStyles, TRVIntegerList*)
{
    // A paragraph number read from a file may lie outside the style sheet.
    if (InList(usedParaStyles, ParaNo))
        usedParaStyles->Put(ParaNo, 1);
}

void TCustomRVItemInfo::UpdateStyles(TRVIntegerList*, TRVIntegerList* paraStylesShift, TRVIntegerList*)
{
    if (InList(paraStylesShift, ParaNo))
        ParaNo -= paraStylesShift->Get(ParaNo) - 1;
}

bool TCustomRVItemInfo::SetExtraIntProperty(TRVExtraItemProperty, int)
{
    return false;
}

bool TCustomRVItemInfo::GetExtraIntProperty(TRVExtraItemProperty, int&) const
{
    return false;
}

int TCustomRVItemInfo::GetSoftPageBreakDY(int data)
{
    return data;
}

// ---------------------------------------------------------------------------
// TRVNonTextItemInfo

TRVNonTextItemInfo::TRVNonTextItemInfo(TCustomRVData* rvData) : TCustomRVItemInfo(rvData) {}

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

void TRVNonTextItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TRVNonTextItemInfo*>(source))
        DeleteProtect = item->DeleteProtect;
    TCustomRVItemInfo::Assign(source);
}

bool TRVNonTextItemInfo::SetExtraIntProperty(TRVExtraItemProperty prop, int value)
{
    if (prop == rvepDeleteProtect) {
        DeleteProtect = value != 0;
        return true;
    }
    return TCustomRVItemInfo::SetExtraIntProperty(prop, value);
}

bool TRVNonTextItemInfo::GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const
{
    if (prop == rvepDeleteProtect) {
        value = DeleteProtect ? 1 : 0;
        return true;
    }
    return TCustomRVItemInfo::GetExtraIntProperty(prop, value);
}

int TRVNonTextItemInfo::GetRVFExtraPropertyCount() const
{
    return TCustomRVItemInfo::GetRVFExtraPropertyCount() + (DeleteProtect ? 1 : 0);
}

void TRVNonTextItemInfo::SaveRVFExtraProperties(TStream& stream)
{
    TCustomRVItemInfo::SaveRVFExtraProperties(stream);
    if (DeleteProtect)
        WriteExtraProperty(stream, rvepDeleteProtect, 1);
}

void TRVNonTextItemInfo::SetExtraPropertyFromRVFStr(const AnsiString& str)
{
    const size_t p = str.find('=');
    if (p == AnsiString::npos)
        return;
    const TRVExtraItemProperty prop = RVGetExtraItemProperty(str.substr(0, p));
    // The answer does not matter: a property the item does not hold is skipped.
    SetExtraIntProperty(prop, StrToIntDef(str.substr(p + 1), 0));
}

void TRVNonTextItemInfo::WriteExtraProperty(TStream& stream, TRVExtraItemProperty prop, int value)
{
    RVFWriteLine(stream, Format("%s=%d", {RVGetExtraItemPropertyName(prop), value}));
}

// ---------------------------------------------------------------------------
// TRVFullLineItemInfo

TRVItemClass TRVFullLineItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVFullLineItemInfo>();
}

bool TRVFullLineItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    if (prop == rvbpFullWidth)
        return true;
    return TRVNonTextItemInfo::GetBoolValue(prop);
}

// ---------------------------------------------------------------------------
// TRVRectItemInfo

TRVRectItemInfo::TRVRectItemInfo(TCustomRVData* rvData) : TRVNonTextItemInfo(rvData)
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

void TRVRectItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TRVRectItemInfo*>(source)) {
        MinHeightOnPage = item->MinHeightOnPage;
        VAlign = item->VAlign;
        VShift = item->VShift;
        VShiftAbs = item->VShiftAbs;
        Spacing = item->Spacing;
    }
    TRVNonTextItemInfo::Assign(source);
}

AnsiString TRVRectItemInfo::SaveRVFHeaderTail(TCustomRVData*)
{
    return IntToStr(static_cast<int>(VAlign));
}

bool TRVRectItemInfo::ReadRVFHeader(TRVFLineCursor& p, TCustomRVData*)
{
    const char c = p.Peek();
    if (c == '\0' || c == '\n' || c == '\r') {
        VAlign = rvvaBaseline;
        return true;
    }
    int value = 0;
    if (!RVFReadInteger(p, value))
        return false;
    VAlign = static_cast<TRVVAlign>(static_cast<uint8_t>(value));
    return true;
}

bool TRVRectItemInfo::SetExtraIntProperty(TRVExtraItemProperty prop, int value)
{
    switch (prop) {
    case rvepVShift:
        VShift = value;
        return true;
    case rvepVShiftAbs:
        VShiftAbs = value != 0;
        return true;
    case rvepSpacing:
        Spacing = value < 0 ? 0 : value;
        return true;
    default:
        return TRVNonTextItemInfo::SetExtraIntProperty(prop, value);
    }
}

bool TRVRectItemInfo::GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const
{
    switch (prop) {
    case rvepVShift:
        value = VShift;
        return true;
    case rvepVShiftAbs:
        value = VShiftAbs ? 1 : 0;
        return true;
    case rvepSpacing:
        value = Spacing;
        return true;
    default:
        return TRVNonTextItemInfo::GetExtraIntProperty(prop, value);
    }
}

int TRVRectItemInfo::GetRVFExtraPropertyCount() const
{
    return TRVNonTextItemInfo::GetRVFExtraPropertyCount() + (VShift != 0 ? 1 : 0) + (VShiftAbs ? 1 : 0) +
           (Spacing != 1 ? 1 : 0);
}

void TRVRectItemInfo::SaveRVFExtraProperties(TStream& stream)
{
    TRVNonTextItemInfo::SaveRVFExtraProperties(stream);
    if (VShift != 0)
        WriteExtraProperty(stream, rvepVShift, VShift);
    if (VShiftAbs)
        WriteExtraProperty(stream, rvepVShiftAbs, 1);
    if (Spacing != 1)
        WriteExtraProperty(stream, rvepSpacing, Spacing);
}

AnsiString TRVRectItemInfo::GetVShiftCSS(TRVStyle* rvStyle) const
{
    const int imageHeight = GetImageHeight(rvStyle);
    if (VShift == 0 || imageHeight == 0 || VAlign != rvvaBaseline)
        return AnsiString();
    const int shift = VShiftAbs ? VShift : MulDiv(imageHeight, VShift, 100);
    // A length needs its unit: browsers drop "vertical-align : 8" whole.
    return Format("vertical-align: %dpx", {shift});
}

// ---------------------------------------------------------------------------
// Helpers of the item writers

void TCustomRVItemInfo::WriteRVFHeader(TStream& stream, TCustomRVData* rvData, int paraNo, int lineCount,
                                       int readMode, bool forceSameAsPrev)
{
    const bool tagsArePChars = rvData->GetOptions().Contains(rvoTagsArePChars);
    RVFWriteLine(stream, Format("%d %d %s %d %d %s %s",
                                {StyleNo, lineCount, RVFItemSavePara(paraNo, rvData, forceSameAsPrev),
                                 RVFGetItemOptions(ItemOptions, forceSameAsPrev), readMode,
                                 RVFSaveTag(tagsArePChars, GetTag()), SaveRVFHeaderTail(rvData)}));
}

bool TCustomRVItemInfo::WriteRVFBodyHead(TStream& stream, TCustomRVData* rvData, int paraNo,
                                         const AnsiString& name, bool forceSameAsPrev, const char* bodyClass,
                                         bool& binary)
{
    const bool body = bodyClass != nullptr;
    binary = rvData->GetRVFSaveOptions().Contains(rvfoSaveBinary);
    const int readMode = !body ? 1 : binary ? 2 : 0;
    WriteRVFHeader(stream, rvData, paraNo, GetRVFExtraPropertyCount() + (body ? 3 : 1), readMode,
                   forceSameAsPrev);
    RVFWriteLine(stream, RVFMakeLineSafe(name, false));
    if (body)
        RVFWriteLine(stream, bodyClass);
    SaveRVFExtraProperties(stream);
    return body;
}

int RVFGetItemOptions(TRVItemOptions itemOptions, bool forceSameAsPrev)
{
    if (forceSameAsPrev) {
        itemOptions.Include(rvioSameAsPrev);
        itemOptions.Exclude(rvioBR);
        itemOptions.Exclude(rvioPageBreakBefore);
    }
    return itemOptions.Bits & 0x0F;
}

AnsiString RV_GetExtraIMGStr(TRVSaveOptions saveOptions, int width, int height)
{
    AnsiString s = saveOptions.Contains(rvsoNoHypertextImageBorders) ? " border=0 " : " ";
    if (saveOptions.Contains(rvsoImageSizes))
        s += Format("width=%d height=%d ", {width, height});
    return s;
}
