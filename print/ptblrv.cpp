// The print component and its hidden printable viewer: construction, the
// source and its notes for Ready, formatting, the first item of a page,
// saving a page as RVF, header and footer.
#include "print/ptblrv.h"

#include <cstdint>

#include "document/rvset.h"
#include "document/rvstyle.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/bitmap.h"
#include "view/rvback.h"

// A document the pages were made from (or the style sheet of one): gone when
// its component was destroyed, changed when its change count moved on.
struct TCustomRVPrint::TSourceNote {
    TCustomRVData* Data = nullptr;
    TRVStyle* Style = nullptr;
    TComponent* Owner = nullptr; // the viewer holding Data, or the style sheet
    uint64_t Count = 0;
    bool Gone = false;

    uint64_t Current() const { return Data ? Data->ChangeCount() : Style->ChangeCount(); }
};

// ---- TCustomPrintableRV

TCustomPrintableRV::TCustomPrintableRV(TComponent* aOwner, TRollViewRVDataClass dataClass)
    : TCustomRollView(aOwner, dataClass)
{
    SetVisible(false);
    TRVOptions opts = Options();
    opts.Exclude(rvoAllowSelection);
    opts.Include(rvoScrollToEnd);
    opts.Include(rvoShowPageBreaks);
    opts.Include(rvoTagsArePChars);
    SetOptions(opts);
    SetTopMargin(0);
    SetBottomMargin(0);
    SetBorderStyle(bsNone);
    TRVFlags f = Flags();
    f.Include(rvflPrinting);
    f.Include(rvflShareContents);
    f.Include(rvflAllowCustomDrawItems);
    SetFlags(f);
}

int TCustomPrintableRV::FormatPages()
{
    return PrintData()->FormatPages();
}

void TCustomPrintableRV::DrawPage(int pageNo, TCanvas* canvas, bool preview, bool correction)
{
    PrintData()->DrawPage(pageNo, canvas, preview, correction);
}

void TCustomPrintableRV::ApplyLayoutInfo(TRVLayoutInfo* layout)
{
    TCustomRollView::ApplyLayoutInfo(layout);
    if (!layout)
        return;
    TCustomMainPtblRVData* data = PrintData();
    if (layout->FirstParaAborted != 0) {
        data->State.Include(rvstFirstParaAborted);
        data->FirstMarkerListNo = layout->FirstMarkerListNo;
        data->FirstMarkerLevel = layout->FirstMarkerLevel;
    } else {
        data->State.Exclude(rvstFirstParaAborted);
        data->FirstMarkerListNo = -1;
        data->FirstMarkerLevel = -1;
    }
    if (layout->LastParaAborted != 0)
        data->State.Include(rvstLastParaAborted);
    else
        data->State.Exclude(rvstLastParaAborted);
}

std::unique_ptr<TBitmap> TCustomPrintableRV::GetControlPrintImage(TControl* control)
{
    if (RVPrint && RVPrint->OnPrintComponent) {
        std::unique_ptr<TBitmap> image;
        RVPrint->OnPrintComponent(RVPrint, control, image);
        if (image)
            return image;
    }
    // Every control prints as the platform's picture of it.
    return DrawControl(control);
}

// ---- TPrintableRV

TPrintableRV::TPrintableRV(TComponent* aOwner) : TCustomPrintableRV(aOwner, &TPrintableRVData::Create) {}

TPrintableRV::TPrintableRV(TComponent* aOwner, TRollViewRVDataClass dataClass)
    : TCustomPrintableRV(aOwner, dataClass ? dataClass : &TPrintableRVData::Create)
{}

void TRVPageInfo::Assign(const TPersistent* source)
{
    if (const auto* page = dynamic_cast<const TRVPageInfo*>(source)) {
        StartY = page->StartY;
        StartDrawItemNo = page->StartDrawItemNo;
        StartPart = page->StartPart;
        StartY2 = page->StartY2;
        return;
    }
    TPersistent::Assign(source);
}

void TPrintableRV::DoOnPrinting(int pageCompleted, TRVPrintingStep step)
{
    auto* print = dynamic_cast<TRVPrint*>(RVPrint);
    if (print && print->OnSendingToPrinter)
        print->OnSendingToPrinter(this, pageCompleted, step);
}

// ---- TCustomRVPrint

TCustomRVPrint::TCustomRVPrint(TComponent* aOwner) : TComponent(aOwner) {}

TCustomRVPrint::~TCustomRVPrint()
{
    Destroying();
    for (TSourceNote& note : FNotes)
        if (note.Owner && !note.Gone)
            RemoveFreeNotification(note.Owner);
    // The viewer may share the empty viewer's items: it goes first.
    delete rv;
    rv = nullptr;
    FEmptySource.reset();
}

void TCustomRVPrint::InitRollView()
{
    rv = CreateRollView();
    if (!rv)
        return;
    rv->RVPrint = this;
    if (auto* window = dynamic_cast<TWinControl*>(Owner()); window && !(ComponentState() & csDesigning))
        rv->SetParent(window);
}

void TCustomRVPrint::Loaded()
{
    TComponent::Loaded();
    if (rv)
        rv->UpdatePaletteInfo();
}

void TCustomRVPrint::Clear()
{
    rv->Clear();
    SetReady(false);
}

void TCustomRVPrint::SetReady(bool value)
{
    FReady = value;
}

void TCustomRVPrint::NoteSources(std::initializer_list<TCustomRVData*> sources)
{
    for (TSourceNote& note : FNotes)
        if (note.Owner && !note.Gone)
            RemoveFreeNotification(note.Owner);
    FNotes.clear();
    auto add = [this](TSourceNote note) {
        for (const TSourceNote& known : FNotes)
            if (known.Data == note.Data && known.Style == note.Style)
                return;
        note.Count = note.Current();
        if (note.Owner)
            FreeNotification(note.Owner);
        FNotes.push_back(note);
    };
    for (TCustomRVData* data : sources) {
        if (!data)
            continue;
        TSourceNote note;
        note.Data = data;
        if (auto* root = dynamic_cast<TRollViewRVData*>(data))
            note.Owner = root->RollView();
        add(note);
        if (TRVStyle* style = data->GetRVStyle()) {
            TSourceNote styleNote;
            styleNote.Style = style;
            styleNote.Owner = style;
            add(styleNote);
        }
    }
}

// O(1) per document and style sheet: their change counts against those of
// the pagination, and the style sheet the viewer prints with.
bool TCustomRVPrint::Ready() const
{
    if (!FReady || !rv)
        return false;
    bool styleNoted = rv->Style() == nullptr;
    for (const TSourceNote& note : FNotes) {
        if (note.Gone || note.Current() != note.Count)
            return false;
        styleNoted = styleNoted || note.Style == rv->Style();
    }
    return styleNoted;
}

void TCustomRVPrint::Notification(TComponent* aComponent, TOperation operation)
{
    TComponent::Notification(aComponent, operation);
    if (operation != opRemove)
        return;
    // The hidden viewer goes with its parent window when that window is
    // destroyed before this component.
    if (aComponent == rv) {
        rv = nullptr;
        FReady = false;
        return;
    }
    bool lost = false;
    for (TSourceNote& note : FNotes)
        if (note.Owner == aComponent) {
            note.Gone = true;
            lost = true;
        }
    if (!lost)
        return;
    FReady = false;
    SourceGone(aComponent);
}

void TCustomRVPrint::SourceGone(TComponent* source)
{
    if (source != FSource || !rv)
        return;
    FSource = nullptr;
    // The shared list went with the source: the viewer takes an empty one.
    if (!FEmptySource)
        FEmptySource = std::make_unique<TRollView>(nullptr);
    rv->RVData->ShareItemsFrom(FEmptySource->RVData);
    rv->PrintData()->Pages.clear();
}

int TCustomRVPrint::GetPagesCount() const
{
    return rv ? rv->PrintData()->PagesCount() : 0;
}

void TCustomRVPrint::GetFirstItemOnPageEx(int pageNo, int& itemNo, int& offsetInItem, int& extraData)
{
    TCustomMainPtblRVData* data = rv->PrintData();
    data->CheckPageNo(pageNo);
    const TRVPageInfo& r = data->Pages[pageNo - 1];
    const int drawItemNo = r.StartDrawItemNo;
    TRVDrawLineInfo* d = data->DrawItems[drawItemNo];
    extraData = -1;
    if (r.StartPart >= 1)
        if (auto* multi = dynamic_cast<TRVMultiDrawItemInfo*>(d))
            if (r.StartPart - 1 < multi->PartsList.Count())
                extraData = multi->GetPart(r.StartPart - 1)->GetSoftPageBreakInfo();
    const int offs = data->GetItem(d->ItemNo)->StyleNo >= 0 ? 1 : 0;
    data->DrawItem2Item(drawItemNo, offs, itemNo, offsetInItem);
}

void TCustomRVPrint::GetFirstItemOnPage(int pageNo, int& itemNo, int& offsetInItem)
{
    int extra = 0;
    GetFirstItemOnPageEx(pageNo, itemNo, offsetInItem, extra);
}

bool TCustomRVPrint::SavePageAsRVF(TStream& stream, int pageNo)
{
    std::unique_ptr<TRVLayoutInfo> layout(rv->CreateLayoutInfo());
    return rv->PrintData()->SavePageAsRVF(stream, pageNo, rv->Color(), rv->Background(), layout.get());
}

bool TCustomRVPrint::TransparentBackground() const
{
    return rv->PrintData()->Transparent;
}

void TCustomRVPrint::SetTransparentBackground(bool value)
{
    rv->PrintData()->Transparent = value;
}

TRVColorMode TCustomRVPrint::ColorMode() const
{
    return rv->PrintData()->ColorMode;
}

void TCustomRVPrint::SetColorMode(TRVColorMode value)
{
    rv->PrintData()->ColorMode = value;
}

// ---- TRVPrint

TRVPrint::TRVPrint(TComponent* aOwner) : TRVPrint(aOwner, &TPrintableRVData::Create) {}

TRVPrint::TRVPrint(TComponent* aOwner, TRollViewRVDataClass dataClass)
    : TCustomRVPrint(aOwner), FDataClass(dataClass)
{
    InitRollView();
    SetColorMode(rvcmPrinterColor);
    SetLeftMarginMM(20);
    SetRightMarginMM(20);
    SetTopMarginMM(20);
    SetBottomMarginMM(20);
}

TCustomPrintableRV* TRVPrint::CreateRollView()
{
    return new TPrintableRV(this, FDataClass);
}

void TRVPrint::AssignSource(TCustomRollView* source)
{
    TCustomMainPtblRVData* data = rv->PrintData();
    TRVFlagGuard skipFormatting(data->State, rvstSkipFormatting);
    SetReady(false);
    if (FSource && FSource != source)
        RemoveFreeNotification(FSource);
    data->ShareItemsFrom(source->RVData);
    FSource = source;
    FreeNotification(source);
    rv->SetLeftMargin(source->LeftMargin());
    rv->SetRightMargin(source->RightMargin());
    rv->SetTopMargin(0);
    rv->SetBottomMargin(0);
    data->TmpTM = source->TopMargin();
    data->TmpBM = source->BottomMargin();
    rv->SetStyle(source->Style());
    rv->SetDoInPaletteMode(source->DoInPaletteMode());
    rv->SetBackgroundStyle(source->GetBackgroundStyle());
    rv->SetBackBitmap(source->GetBackBitmap());
    rv->SetColor(source->Color());
    rv->SetBiDiModeRV(source->BiDiMode());
}

int TRVPrint::FormatPages()
{
    ++FormattingID;
    if (FormattingID >= 10000)
        FormattingID = 0;
    SetReady(false);
    const int result = rv->FormatPages();
    NoteSources({FSource ? FSource->RVData : nullptr, FHeaderSource, FFooterSource});
    SetReady(true);
    return result;
}

bool TRVPrint::Print(const AnsiString& title, int copies, bool collate)
{
    CheckReady();
    return PrintableRV()->Print(title, copies, collate);
}

bool TRVPrint::PrintPages(int firstPageNo, int lastPageNo, const AnsiString& title, int copies, bool collate)
{
    CheckReady();
    return PrintableRV()->PrintPages(firstPageNo, lastPageNo, title, copies, collate);
}

void TRVPrint::ContinuousPrint()
{
    CheckReady();
    PrintableRV()->ContinuousPrint();
}

void TCustomRVPrint::CheckReady() const
{
    if (!Ready())
        throw ERollViewError(errRVNotFormatted);
}

void TRVPrint::SetHeader(TCustomRVFormattedData* data)
{
    FHeaderSource = data;
    SetReady(false);
    PrintableData()->SetHeader(data ? std::make_unique<TRVHeaderFooterRVData>(rv, data, PrintableData())
                                    : nullptr);
}

void TRVPrint::SetFooter(TCustomRVFormattedData* data)
{
    FFooterSource = data;
    SetReady(false);
    PrintableData()->SetFooter(data ? std::make_unique<TRVHeaderFooterRVData>(rv, data, PrintableData())
                                    : nullptr);
}

namespace {

TRect RectOf(const TRVHeaderFooterRVData* data)
{
    if (!data)
        return Rect(0, 0, 0, 0);
    const int l = data->Left + data->DX;
    const int t = data->Top + data->DY;
    return Rect(l, t, l + data->Width, t + data->DocumentHeight);
}

} // namespace

TRect TRVPrint::GetHeaderRect() const
{
    return RectOf(PrintableData()->Header());
}

TRect TRVPrint::GetFooterRect() const
{
    return RectOf(PrintableData()->Footer());
}
