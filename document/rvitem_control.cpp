// Controls inside the text: the item that owns a window control, places it,
// frames it, prints its picture and writes it in every format.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvprintsvc.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "platform/core/classreg.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace {

// A control's Top follows its true vertical position (kept in its Tag) within
// the range a window position can take.
constexpr int ControlYLimit = 10000;

} // namespace

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* rvData) : TRVRectItemInfo(rvData) {}

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* rvData, TControl* aControl, TRVVAlign avAlign)
    : TRVRectItemInfo(rvData), FControl(aControl)
{
    StyleNo = rvsComponent;
    VAlign = avAlign;
}

TRVControlItemInfo::~TRVControlItemInfo()
{
    delete FControl;
}

TRVItemClass TRVControlItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVControlItemInfo>();
}

void TRVControlItemInfo::SetControl(TControl* value)
{
    if (value == FControl)
        return;
    delete FControl;
    FControl = value;
}

void TRVControlItemInfo::SetPercentWidth(int value)
{
    FPercentWidth = std::max(value, 0);
}

void TRVControlItemInfo::ParentTo(TCustomRVData* rvData)
{
    if (FControl != nullptr)
        FControl->SetParent(rvData != nullptr ? rvData->GetParentControl() : nullptr);
}

// ---------------------------------------------------------------------------
// Size, capabilities, placement

int TRVControlItemInfo::GetImageWidth(TRVStyle*) const
{
    return FControl != nullptr ? FControl->Width() : 0;
}

int TRVControlItemInfo::GetImageHeight(TRVStyle*) const
{
    return FControl != nullptr ? FControl->Height() : 0;
}

int TRVControlItemInfo::GetWidth() const
{
    return GetImageWidth(nullptr) + 2 * Spacing;
}

int TRVControlItemInfo::GetHeight() const
{
    return GetImageHeight(nullptr) + 2 * Spacing;
}

int TRVControlItemInfo::GetMinWidth(const TRVScreenAndDevice* sad, TCanvas*, TCustomRVData*)
{
    // A control whose width follows the document can become narrow.
    const int width = FPercentWidth != 0 ? 20 : GetWidth();
    return sad != nullptr ? MulDiv(width, sad->DevicePpiX, sad->ScreenPpiX) : width;
}

bool TRVControlItemInfo::GetBoolValue(TRVItemBoolProperty prop) const
{
    switch (prop) {
    case rvbpValid:
        return FControl != nullptr;
    case rvbpDisplayActiveState:
    case rvbpImmediateControlOwner:
    case rvbpResizeHandlesOutside:
        return true;
    case rvbpResizable:
        return Resizable && FPercentWidth == 0;
    default:
        return TRVRectItemInfo::GetBoolValue(prop);
    }
}

bool TRVControlItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx prop, TRVStyle* rvStyle) const
{
    switch (prop) {
    case rvbpAllowsFocus: {
        const auto* winControl = dynamic_cast<const TWinControl*>(FControl);
        return winControl != nullptr && winControl->TabStop() && winControl->CanFocus();
    }
    case rvbpXORFocus:
        return false;
    default:
        return TRVRectItemInfo::GetBoolValueEx(prop, rvStyle);
    }
}

bool TRVControlItemInfo::OwnsControl(TControl* aControl) const
{
    return aControl != nullptr && aControl == FControl;
}

void TRVControlItemInfo::AdjustInserted(int x, int y, bool adjustY)
{
    if (FControl == nullptr)
        return;
    FControl->SetLeft(x + Spacing);
    FControl->SetTag(y + Spacing);
    if (adjustY)
        FControl->SetTop(std::clamp(FControl->Tag(), -ControlYLimit, ControlYLimit));
    FControl->SetVisible(true);
}

void TRVControlItemInfo::Inserting(TCustomRVData* rvData, AnsiString& text, bool safe)
{
    if (FControl != nullptr) {
        FControl->SetVisible(false);
        // In safe mode the control is not shown anywhere until it is placed.
        ParentTo(safe ? nullptr : rvData);
    }
    TRVRectItemInfo::Inserting(rvData, text, safe);
}

void TRVControlItemInfo::MovingToUndoList(int itemNo, TCustomRVData* rvData, TObject* aContainerUndoItem)
{
    if (FControl != nullptr)
        FControl->SetParent(nullptr);
    rvData->ControlAction(rvcaMoveToUndoList, itemNo, this);
    TRVRectItemInfo::MovingToUndoList(itemNo, rvData, aContainerUndoItem);
}

void TRVControlItemInfo::MovingFromUndoList(int itemNo, TCustomRVData* rvData)
{
    rvData->ControlAction(rvcaMoveFromUndoList, itemNo, this);
    ParentTo(rvData);
}

void TRVControlItemInfo::Focusing()
{
    auto* winControl = dynamic_cast<TWinControl*>(FControl);
    if (winControl != nullptr && winControl->CanFocus())
        winControl->SetFocus();
}

void TRVControlItemInfo::OnDocWidthChange(int docWidth, TRVDrawLineInfo*, bool, TCanvas*, TCustomRVData*,
                                          const TRVScreenAndDevice*, int& hShift, int& desc, bool)
{
    if (FControl != nullptr && FPercentWidth >= 1 && FPercentWidth <= 100)
        FControl->SetWidth(std::max(static_cast<int>(int64_t(docWidth) * FPercentWidth / 100) - 2, 0));
    hShift = 0;
    desc = GetDescent();
}

void TRVControlItemInfo::Paint(int x, int y, TCanvas* canvas, TRVItemDrawStates state, TRVStyle* style,
                               TRVDrawLineInfo*)
{
    if (style == nullptr)
        return;
    const int w = GetImageWidth(style);
    const int h = GetImageHeight(style);
    if (state.Contains(rvidsCurrent) && style->HoverColor() != clNone)
        RV_DrawFrame(canvas, style->HoverColor(), x - 1, y - 1, x + w + 2 * Spacing + 1,
                     y + h + 2 * Spacing + 1);
    if (state.Contains(rvidsSelected)) {
        const TColor color =
            state.Contains(rvidsControlFocused) ? style->SelColor() : style->InactiveSelColor();
        if (color != clNone)
            RV_DrawFrame(canvas, color, x, y, x + w + 2 * Spacing, y + h + 2 * Spacing);
    }
}

// ---------------------------------------------------------------------------
// Printing

TRVDrawLineInfo* TRVControlItemInfo::CreatePrintingDrawItem(TCustomRVData*, const TRVScreenAndDevice& sad)
{
    if (!GetBoolValueEx(rvbpPrintToBMP, nullptr) || MinHeightOnPage == 0)
        return new TRVDrawLineInfo;
    auto* dli = new TRVMultiImagePrintInfo(this);
    dli->sad = sad;
    dli->Width = MulDiv(GetWidth(), sad.DevicePpiX, sad.ScreenPpiX);
    dli->Height = MulDiv(GetHeight(), sad.DevicePpiY, sad.ScreenPpiY);
    return dli;
}

bool TRVControlItemInfo::PrintToBitmap(TBitmap* bkgnd, bool, TRVPrintingViewer* printViewer,
                                       TRVDrawLineInfo* dli, int part, TRVColorMode)
{
    auto* source = dynamic_cast<TRVControlPrintImageSource*>(printViewer);
    if (source == nullptr || FControl == nullptr)
        return false;
    std::unique_ptr<TBitmap> image = source->GetControlPrintImage(FControl);
    if (image == nullptr)
        return false;
    if (MinHeightOnPage > 0) {
        bkgnd->Canvas()->Draw(0, RVGetPrintPartOffset(dli, part), image.get());
        return true;
    }
    bkgnd->SetSize(std::max(bkgnd->Width(), image->Width()), std::max(bkgnd->Height(), image->Height()));
    bkgnd->Canvas()->Draw((bkgnd->Width() - image->Width()) / 2, (bkgnd->Height() - image->Height()) / 2,
                          image.get());
    return true;
}

// ---------------------------------------------------------------------------
// Properties

void TRVControlItemInfo::Assign(const TPersistent* source)
{
    if (const auto* item = dynamic_cast<const TRVControlItemInfo*>(source)) {
        FPercentWidth = item->FPercentWidth;
        Resizable = item->Resizable;
    }
    TRVRectItemInfo::Assign(source);
}

bool TRVControlItemInfo::SetExtraIntProperty(TRVExtraItemProperty prop, int value)
{
    switch (prop) {
    case rvepMinHeightOnPage:
        MinHeightOnPage = value;
        return true;
    case rvepResizable:
        Resizable = value != 0;
        return true;
    default:
        return TRVRectItemInfo::SetExtraIntProperty(prop, value);
    }
}

bool TRVControlItemInfo::GetExtraIntProperty(TRVExtraItemProperty prop, int& value) const
{
    switch (prop) {
    case rvepMinHeightOnPage:
        value = MinHeightOnPage;
        return true;
    case rvepResizable:
        value = Resizable ? 1 : 0;
        return true;
    default:
        return TRVRectItemInfo::GetExtraIntProperty(prop, value);
    }
}

// ---------------------------------------------------------------------------
// Formats

int TRVControlItemInfo::GetRVFExtraPropertyCount() const
{
    return TRVRectItemInfo::GetRVFExtraPropertyCount() + (MinHeightOnPage > 0 ? 1 : 0) + (Resizable ? 1 : 0);
}

void TRVControlItemInfo::SaveRVFExtraProperties(TStream& stream)
{
    TRVRectItemInfo::SaveRVFExtraProperties(stream);
    if (MinHeightOnPage > 0)
        WriteExtraProperty(stream, rvepMinHeightOnPage, MinHeightOnPage);
    if (Resizable)
        WriteExtraProperty(stream, rvepResizable, 1);
}

void TRVControlItemInfo::SaveRVF(TStream& stream, TCustomRVData* rvData, int itemNo, int paraNo,
                                 const AnsiString& name, TRVMultiDrawItemPart*, bool forceSameAsPrev)
{
    const bool body = rvData->GetRVFOptions().Contains(rvfoSaveControlsBody) && FControl != nullptr;
    bool binary = false;
    if (!WriteRVFBodyHead(stream, rvData, paraNo, name, forceSameAsPrev,
                          body ? FControl->ClassName() : nullptr, binary))
        return;
    rvData->ControlAction(rvcaBeforeRVFSave, itemNo, this);
    if (binary)
        RVFSaveControlBinary(stream, FControl);
    else
        RVFWriteLine(stream, RVFSaveControl(FControl));
    rvData->ControlAction(rvcaAfterRVFSave, itemNo, this);
}

bool TRVControlItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData* rvData, int readType, int lineNo,
                                     int lineCount, AnsiString& name, TRVFReadMode& readMode,
                                     TRVFReadState& readState)
{
    const auto missing = [rvData] {
        rvData->SetRVFWarnings(rvData->GetRVFWarnings() + TRVFWarnings{rvfwUnknownCtrls});
        return rvData->GetRVFOptions().Contains(rvfoIgnoreUnknownCtrls);
    };
    if (readType == 1) {
        if (lineNo != 0) {
            SetExtraPropertyFromRVFStr(s);
            return true;
        }
        // The body was not saved: the document supplies the control by name.
        name = s;
        SetControl(rvData->RVFControlNeeded(name, GetTag()));
        if (FControl == nullptr)
            return missing();
        FControl->SetVisible(false);
        ParentTo(rvData);
        return true;
    }
    if (lineCount < 3)
        return false;
    if (lineNo == 0) {
        name = s;
    } else if (lineNo == 1) {
        TPersistentClass Class = GetClass(s);
        TPersistent* made = Class != nullptr ? Class->Create(nullptr) : nullptr;
        auto* control = dynamic_cast<TControl*>(made);
        if (control == nullptr)
            delete made;
        SetControl(control);
        if (FControl != nullptr) {
            FControl->SetVisible(false);
            ParentTo(rvData);
        }
    } else if (lineNo == lineCount - 1) {
        TComponent* component = FControl;
        FControl = nullptr;
        TWinControl* parent = rvData->GetParentControl();
        // The loaders free the component when its data cannot be read.
        if (component != nullptr) {
            if (readType == 2)
                RVFLoadControlBinary(s, component, AnsiString(), parent);
            else
                RVFLoadControl(s, component, AnsiString(), parent);
        }
        FControl = dynamic_cast<TControl*>(component);
        if (FControl == nullptr)
            delete component;
        readState = rstSkip;
        if (FControl == nullptr)
            return missing();
        return true;
    } else {
        SetExtraPropertyFromRVFStr(s);
    }
    if (readType == 2 && lineNo == lineCount - 2)
        readMode = rmBeforeBinary;
    return true;
}

void TRVControlItemInfo::SaveRTF(TStream& stream, TCustomRVData* rvData, int, const AnsiString&, double, int,
                                 TRVColorList*, TRVIntegerList*, TRVIntegerList*, TRVIntegerList*,
                                 TRVRTFFontTable*)
{
    if (rvData == nullptr || FControl == nullptr)
        return;
    const AnsiString s = rvData->SaveComponentToFile(AnsiString(), FControl, rvsfRTF);
    if (!s.empty())
        RVWrite(&stream, s);
}

void TRVControlItemInfo::SaveToHTML(TStream& stream, TCustomRVData* rvData, int, const AnsiString&,
                                    const AnsiString& path, const AnsiString&, int&, TColor, TRVSaveOptions,
                                    bool, TRVList*)
{
    if (rvData == nullptr || FControl == nullptr)
        return;
    const AnsiString s = rvData->SaveComponentToFile(path, FControl, rvsfHTML);
    if (!s.empty())
        RVWrite(&stream, s);
}

AnsiString TRVControlItemInfo::AsText(int, TCustomRVData* rvData, const AnsiString&, const AnsiString& path,
                                      bool, bool)
{
    if (rvData == nullptr || FControl == nullptr)
        return AnsiString();
    return rvData->SaveComponentToFile(path, FControl, rvsfText);
}
