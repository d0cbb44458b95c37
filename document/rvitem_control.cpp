// Controls inside the text: the item that owns a window control, places it,
// frames it, prints its picture and writes it in every format.
#include <algorithm>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
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

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* RVData) : TRVRectItemInfo(RVData) {}

TRVControlItemInfo::TRVControlItemInfo(TCustomRVData* RVData, TControl* AControl, TRVVAlign AVAlign)
    : TRVRectItemInfo(RVData), FControl(AControl)
{
    StyleNo = rvsComponent;
    VAlign = AVAlign;
}

TRVControlItemInfo::~TRVControlItemInfo()
{
    delete FControl;
}

TRVItemClass TRVControlItemInfo::GetItemClass() const
{
    return RVItemClassOf<TRVControlItemInfo>();
}

void TRVControlItemInfo::SetControl(TControl* Value)
{
    if (Value == FControl)
        return;
    delete FControl;
    FControl = Value;
}

void TRVControlItemInfo::SetPercentWidth(int Value)
{
    FPercentWidth = std::max(Value, 0);
}

void TRVControlItemInfo::ParentTo(TCustomRVData* RVData)
{
    if (FControl != nullptr)
        FControl->SetParent(RVData != nullptr ? RVData->GetParentControl() : nullptr);
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
    const int Width = FPercentWidth != 0 ? 20 : GetWidth();
    return sad != nullptr ? MulDiv(Width, sad->DevicePpiX, sad->ScreenPpiX) : Width;
}

bool TRVControlItemInfo::GetBoolValue(TRVItemBoolProperty Prop) const
{
    switch (Prop) {
    case rvbpValid:
        return FControl != nullptr;
    case rvbpDisplayActiveState:
    case rvbpImmediateControlOwner:
    case rvbpResizeHandlesOutside:
        return true;
    case rvbpResizable:
        return Resizable && FPercentWidth == 0;
    default:
        return TRVRectItemInfo::GetBoolValue(Prop);
    }
}

bool TRVControlItemInfo::GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* RVStyle) const
{
    switch (Prop) {
    case rvbpAllowsFocus: {
        const auto* WinControl = dynamic_cast<const TWinControl*>(FControl);
        return WinControl != nullptr && WinControl->TabStop() && WinControl->CanFocus();
    }
    case rvbpXORFocus:
        return false;
    default:
        return TRVRectItemInfo::GetBoolValueEx(Prop, RVStyle);
    }
}

bool TRVControlItemInfo::OwnsControl(TControl* AControl) const
{
    return AControl != nullptr && AControl == FControl;
}

void TRVControlItemInfo::AdjustInserted(int X, int Y, bool AdjustY)
{
    if (FControl == nullptr)
        return;
    FControl->SetLeft(X + Spacing);
    FControl->SetTag(Y + Spacing);
    if (AdjustY)
        FControl->SetTop(std::clamp(FControl->Tag(), -ControlYLimit, ControlYLimit));
    FControl->SetVisible(true);
}

void TRVControlItemInfo::Inserting(TCustomRVData* RVData, AnsiString& Text, bool Safe)
{
    if (FControl != nullptr) {
        FControl->SetVisible(false);
        // In safe mode the control is not shown anywhere until it is placed.
        ParentTo(Safe ? nullptr : RVData);
    }
    TRVRectItemInfo::Inserting(RVData, Text, Safe);
}

void TRVControlItemInfo::MovingToUndoList(int ItemNo, TCustomRVData* RVData, TObject* AContainerUndoItem)
{
    if (FControl != nullptr)
        FControl->SetParent(nullptr);
    RVData->ControlAction(rvcaMoveToUndoList, ItemNo, this);
    TRVRectItemInfo::MovingToUndoList(ItemNo, RVData, AContainerUndoItem);
}

void TRVControlItemInfo::MovingFromUndoList(int ItemNo, TCustomRVData* RVData)
{
    RVData->ControlAction(rvcaMoveFromUndoList, ItemNo, this);
    ParentTo(RVData);
}

void TRVControlItemInfo::Focusing()
{
    auto* WinControl = dynamic_cast<TWinControl*>(FControl);
    if (WinControl != nullptr && WinControl->CanFocus())
        WinControl->SetFocus();
}

void TRVControlItemInfo::OnDocWidthChange(int DocWidth, TRVDrawLineInfo*, bool, TCanvas*, TCustomRVData*,
                                          const TRVScreenAndDevice*, int& HShift, int& Desc, bool)
{
    if (FControl != nullptr && FPercentWidth >= 1 && FPercentWidth <= 100)
        FControl->SetWidth(std::max(static_cast<int>(int64_t(DocWidth) * FPercentWidth / 100) - 2, 0));
    HShift = 0;
    Desc = GetDescent();
}

void TRVControlItemInfo::Paint(int X, int Y, TCanvas* Canvas, TRVItemDrawStates State, TRVStyle* Style,
                               TRVDrawLineInfo*)
{
    if (Style == nullptr)
        return;
    const int w = GetImageWidth(Style);
    const int h = GetImageHeight(Style);
    if (State.Contains(rvidsCurrent) && Style->HoverColor() != clNone)
        RV_DrawFrame(Canvas, Style->HoverColor(), X - 1, Y - 1, X + w + 2 * Spacing + 1,
                     Y + h + 2 * Spacing + 1);
    if (State.Contains(rvidsSelected)) {
        const TColor Color =
            State.Contains(rvidsControlFocused) ? Style->SelColor() : Style->InactiveSelColor();
        if (Color != clNone)
            RV_DrawFrame(Canvas, Color, X, Y, X + w + 2 * Spacing, Y + h + 2 * Spacing);
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

bool TRVControlItemInfo::PrintToBitmap(TBitmap* Bkgnd, bool, TRVPrintingViewer* RichView,
                                       TRVDrawLineInfo* dli, int Part, TRVColorMode)
{
    auto* Source = dynamic_cast<TRVControlPrintImageSource*>(RichView);
    if (Source == nullptr || FControl == nullptr)
        return false;
    std::unique_ptr<TBitmap> Image = Source->GetControlPrintImage(FControl);
    if (Image == nullptr)
        return false;
    if (MinHeightOnPage > 0) {
        Bkgnd->Canvas()->Draw(0, RVGetPrintPartOffset(dli, Part), Image.get());
        return true;
    }
    Bkgnd->SetSize(std::max(Bkgnd->Width(), Image->Width()), std::max(Bkgnd->Height(), Image->Height()));
    Bkgnd->Canvas()->Draw((Bkgnd->Width() - Image->Width()) / 2, (Bkgnd->Height() - Image->Height()) / 2,
                          Image.get());
    return true;
}

// ---------------------------------------------------------------------------
// Properties

void TRVControlItemInfo::Assign(const TPersistent* Source)
{
    if (const auto* Item = dynamic_cast<const TRVControlItemInfo*>(Source)) {
        FPercentWidth = Item->FPercentWidth;
        Resizable = Item->Resizable;
    }
    TRVRectItemInfo::Assign(Source);
}

bool TRVControlItemInfo::SetExtraIntProperty(TRVExtraItemProperty Prop, int Value)
{
    switch (Prop) {
    case rvepMinHeightOnPage:
        MinHeightOnPage = Value;
        return true;
    case rvepResizable:
        Resizable = Value != 0;
        return true;
    default:
        return TRVRectItemInfo::SetExtraIntProperty(Prop, Value);
    }
}

bool TRVControlItemInfo::GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) const
{
    switch (Prop) {
    case rvepMinHeightOnPage:
        Value = MinHeightOnPage;
        return true;
    case rvepResizable:
        Value = Resizable ? 1 : 0;
        return true;
    default:
        return TRVRectItemInfo::GetExtraIntProperty(Prop, Value);
    }
}

// ---------------------------------------------------------------------------
// Formats

int TRVControlItemInfo::GetRVFExtraPropertyCount() const
{
    return TRVRectItemInfo::GetRVFExtraPropertyCount() + (MinHeightOnPage > 0 ? 1 : 0) + (Resizable ? 1 : 0);
}

void TRVControlItemInfo::SaveRVFExtraProperties(TStream& Stream)
{
    TRVRectItemInfo::SaveRVFExtraProperties(Stream);
    if (MinHeightOnPage > 0)
        WriteExtraProperty(Stream, rvepMinHeightOnPage, MinHeightOnPage);
    if (Resizable)
        WriteExtraProperty(Stream, rvepResizable, 1);
}

void TRVControlItemInfo::SaveRVF(TStream& Stream, TCustomRVData* RVData, int ItemNo, int ParaNo,
                                 const AnsiString& Name, TRVMultiDrawItemPart*, bool ForceSameAsPrev)
{
    const bool Body = RVData->GetRVFOptions().Contains(rvfoSaveControlsBody) && FControl != nullptr;
    bool Binary = false;
    if (!WriteRVFBodyHead(Stream, RVData, ParaNo, Name, ForceSameAsPrev,
                          Body ? FControl->ClassName() : nullptr, Binary))
        return;
    RVData->ControlAction(rvcaBeforeRVFSave, ItemNo, this);
    if (Binary)
        RVFSaveControlBinary(Stream, FControl);
    else
        RVFWriteLine(Stream, RVFSaveControl(FControl));
    RVData->ControlAction(rvcaAfterRVFSave, ItemNo, this);
}

bool TRVControlItemInfo::ReadRVFLine(const AnsiString& s, TCustomRVData* RVData, int ReadType, int LineNo,
                                     int LineCount, AnsiString& Name, TRVFReadMode& ReadMode,
                                     TRVFReadState& ReadState)
{
    const auto Missing = [RVData] {
        RVData->SetRVFWarnings(RVData->GetRVFWarnings() + TRVFWarnings{rvfwUnknownCtrls});
        return RVData->GetRVFOptions().Contains(rvfoIgnoreUnknownCtrls);
    };
    if (ReadType == 1) {
        if (LineNo != 0) {
            SetExtraPropertyFromRVFStr(s);
            return true;
        }
        // The body was not saved: the document supplies the control by name.
        Name = s;
        SetControl(RVData->RVFControlNeeded(Name, Tag));
        if (FControl == nullptr)
            return Missing();
        FControl->SetVisible(false);
        ParentTo(RVData);
        return true;
    }
    if (LineCount < 3)
        return false;
    if (LineNo == 0) {
        Name = s;
    } else if (LineNo == 1) {
        TPersistentClass Class = GetClass(s);
        TPersistent* Made = Class != nullptr ? Class->Create(nullptr) : nullptr;
        auto* Control = dynamic_cast<TControl*>(Made);
        if (Control == nullptr)
            delete Made;
        SetControl(Control);
        if (FControl != nullptr) {
            FControl->SetVisible(false);
            ParentTo(RVData);
        }
    } else if (LineNo == LineCount - 1) {
        TComponent* Component = FControl;
        FControl = nullptr;
        TWinControl* Parent = RVData->GetParentControl();
        // The loaders free the component when its data cannot be read.
        if (Component != nullptr) {
            if (ReadType == 2)
                RVFLoadControlBinary(s, Component, AnsiString(), Parent);
            else
                RVFLoadControl(s, Component, AnsiString(), Parent);
        }
        FControl = dynamic_cast<TControl*>(Component);
        if (FControl == nullptr)
            delete Component;
        ReadState = rstSkip;
        if (FControl == nullptr)
            return Missing();
        return true;
    } else {
        SetExtraPropertyFromRVFStr(s);
    }
    if (ReadType == 2 && LineNo == LineCount - 2)
        ReadMode = rmBeforeBinary;
    return true;
}

void TRVControlItemInfo::SaveRTF(TStream& Stream, TCustomRVData* RVData, int, const AnsiString&, double, int,
                                 TRVColorList*, TRVIntegerList*, TRVIntegerList*, TRVIntegerList*,
                                 TRVRTFFontTable*)
{
    if (RVData == nullptr || FControl == nullptr)
        return;
    const AnsiString s = RVData->SaveComponentToFile(AnsiString(), FControl, rvsfRTF);
    if (!s.empty())
        RVWrite(&Stream, s);
}

void TRVControlItemInfo::SaveToHTML(TStream& Stream, TCustomRVData* RVData, int, const AnsiString&,
                                    const AnsiString& Path, const AnsiString&, int&, TColor, TRVSaveOptions,
                                    bool, TRVList*)
{
    if (RVData == nullptr || FControl == nullptr)
        return;
    const AnsiString s = RVData->SaveComponentToFile(Path, FControl, rvsfHTML);
    if (!s.empty())
        RVWrite(&Stream, s);
}

AnsiString TRVControlItemInfo::AsText(int, TCustomRVData* RVData, const AnsiString&, const AnsiString& Path,
                                      bool, bool)
{
    if (RVData == nullptr || FControl == nullptr)
        return AnsiString();
    return RVData->SaveComponentToFile(Path, FControl, rvsfText);
}
