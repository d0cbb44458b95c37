// The print component and its hidden printable viewer: construction, the
// source and its notes for Ready, formatting, the first item of a page,
// saving a page as RVF, header and footer.
#include "print/ptblrv.h"

#include <cstdint>

#include "document/rvstyle.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/bitmap.h"
#include "view/rvback.h"

namespace {

// A fingerprint of a store's items: their objects, styles, paragraphs and
// texts, so that any change made to the document since a pagination shows.
uint64_t ItemsFingerprint(TCustomRVData* Data)
{
    uint64_t h = 1469598103934665603ull;
    auto Mix = [&h](uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    Mix(reinterpret_cast<uintptr_t>(Data->Items));
    Mix(reinterpret_cast<uintptr_t>(Data->GetRVStyle()));
    const int Count = Data->GetItemCount();
    Mix(static_cast<uint64_t>(Count));
    for (int i = 0; i < Count; ++i) {
        const TCustomRVItemInfo* Item = Data->GetItem(i);
        Mix(reinterpret_cast<uintptr_t>(Item));
        Mix(static_cast<uint64_t>(static_cast<uint32_t>(Item->StyleNo)));
        Mix(static_cast<uint64_t>(static_cast<uint32_t>(Item->ParaNo)));
        for (unsigned char c : Data->Items->Get(i))
            Mix(c);
    }
    return h;
}

} // namespace

// A document the pages were made from: gone when its viewer was destroyed,
// changed when its fingerprint differs.
struct TCustomRVPrint::TSourceNote {
    TCustomRVData* Data = nullptr;
    TComponent* Owner = nullptr; // the viewer holding Data, when there is one
    uint64_t Fingerprint = 0;
    bool Gone = false;
};

// ---- TCustomPrintableRV

TCustomPrintableRV::TCustomPrintableRV(TComponent* AOwner, TRollViewRVDataClass DataClass)
    : TCustomRollView(AOwner, DataClass)
{
    SetVisible(false);
    TRVOptions Opts = Options();
    Opts.Exclude(rvoAllowSelection);
    Opts.Include(rvoScrollToEnd);
    Opts.Include(rvoShowPageBreaks);
    Opts.Include(rvoTagsArePChars);
    SetOptions(Opts);
    SetTopMargin(0);
    SetBottomMargin(0);
    SetBorderStyle(bsNone);
    TRVFlags F = Flags();
    F.Include(rvflPrinting);
    F.Include(rvflShareContents);
    F.Include(rvflAllowCustomDrawItems);
    SetFlags(F);
}

int TCustomPrintableRV::FormatPages()
{
    return PrintData()->FormatPages();
}

void TCustomPrintableRV::DrawPage(int PageNo, TCanvas* Canvas, bool Preview, bool Correction)
{
    PrintData()->DrawPage(PageNo, Canvas, Preview, Correction);
}

void TCustomPrintableRV::ApplyLayoutInfo(TRVLayoutInfo* Layout)
{
    TCustomRollView::ApplyLayoutInfo(Layout);
    if (!Layout)
        return;
    TCustomMainPtblRVData* Data = PrintData();
    if (Layout->FirstParaAborted != 0) {
        Data->State.Include(rvstFirstParaAborted);
        Data->FirstMarkerListNo = Layout->FirstMarkerListNo;
        Data->FirstMarkerLevel = Layout->FirstMarkerLevel;
    } else {
        Data->State.Exclude(rvstFirstParaAborted);
        Data->FirstMarkerListNo = -1;
        Data->FirstMarkerLevel = -1;
    }
    if (Layout->LastParaAborted != 0)
        Data->State.Include(rvstLastParaAborted);
    else
        Data->State.Exclude(rvstLastParaAborted);
}

std::unique_ptr<TBitmap> TCustomPrintableRV::GetControlPrintImage(TControl* Control)
{
    if (RVPrint && RVPrint->OnPrintComponent) {
        std::unique_ptr<TBitmap> Image;
        RVPrint->OnPrintComponent(RVPrint, Control, Image);
        if (Image)
            return Image;
    }
    // Every control prints as the platform's picture of it.
    return DrawControl(Control);
}

// ---- TPrintableRV

TPrintableRV::TPrintableRV(TComponent* AOwner) : TCustomPrintableRV(AOwner, &TPrintableRVData::Create) {}

TPrintableRV::TPrintableRV(TComponent* AOwner, TRollViewRVDataClass DataClass)
    : TCustomPrintableRV(AOwner, DataClass ? DataClass : &TPrintableRVData::Create)
{}

void TPrintableRV::DoOnPrinting(int PageCompleted, TRVPrintingStep Step)
{
    auto* Print = dynamic_cast<TRVPrint*>(RVPrint);
    if (Print && Print->OnSendingToPrinter)
        Print->OnSendingToPrinter(this, PageCompleted, Step);
}

// ---- TCustomRVPrint

TCustomRVPrint::TCustomRVPrint(TComponent* AOwner) : TComponent(AOwner) {}

TCustomRVPrint::~TCustomRVPrint()
{
    Destroying();
    for (TSourceNote& Note : FNotes)
        if (Note.Owner && !Note.Gone)
            RemoveFreeNotification(Note.Owner);
    // The viewer may share the empty viewer's items: it goes first.
    delete rv;
    rv = nullptr;
    FEmptySource.reset();
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

void TCustomRVPrint::SetReady(bool Value)
{
    FReady = Value;
}

void TCustomRVPrint::NoteSources(std::initializer_list<TCustomRVData*> Sources)
{
    for (TSourceNote& Note : FNotes)
        if (Note.Owner && !Note.Gone)
            RemoveFreeNotification(Note.Owner);
    FNotes.clear();
    for (TCustomRVData* Data : Sources) {
        if (!Data)
            continue;
        TSourceNote Note;
        Note.Data = Data;
        if (auto* Root = dynamic_cast<TRollViewRVData*>(Data))
            Note.Owner = Root->RollView();
        Note.Fingerprint = ItemsFingerprint(Data);
        if (Note.Owner)
            FreeNotification(Note.Owner);
        FNotes.push_back(Note);
    }
}

bool TCustomRVPrint::Ready() const
{
    if (!FReady)
        return false;
    for (const TSourceNote& Note : FNotes)
        if (Note.Gone || ItemsFingerprint(Note.Data) != Note.Fingerprint)
            return false;
    return true;
}

void TCustomRVPrint::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    bool Lost = false;
    for (TSourceNote& Note : FNotes)
        if (Note.Owner == AComponent) {
            Note.Gone = true;
            Lost = true;
        }
    if (!Lost)
        return;
    FReady = false;
    SourceGone(AComponent);
}

void TCustomRVPrint::SourceGone(TComponent* Source)
{
    if (Source != FSource || !rv)
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

void TCustomRVPrint::GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData)
{
    TCustomMainPtblRVData* Data = rv->PrintData();
    Data->CheckPageNo(PageNo);
    const TRVPageInfo& R = Data->Pages[PageNo - 1];
    const int DrawItemNo = R.StartDrawItemNo;
    TRVDrawLineInfo* D = Data->DrawItems[DrawItemNo];
    ExtraData = -1;
    if (R.StartPart >= 1)
        if (auto* Multi = dynamic_cast<TRVMultiDrawItemInfo*>(D))
            if (R.StartPart - 1 < Multi->PartsList.Count())
                ExtraData = Multi->GetPart(R.StartPart - 1)->GetSoftPageBreakInfo();
    const int Offs = Data->GetItem(D->ItemNo)->StyleNo >= 0 ? 1 : 0;
    Data->DrawItem2Item(DrawItemNo, Offs, ItemNo, OffsetInItem);
}

void TCustomRVPrint::GetFirstItemOnPage(int PageNo, int& ItemNo, int& OffsetInItem)
{
    int Extra = 0;
    GetFirstItemOnPageEx(PageNo, ItemNo, OffsetInItem, Extra);
}

bool TCustomRVPrint::SavePageAsRVF(TStream& Stream, int PageNo)
{
    std::unique_ptr<TRVLayoutInfo> Layout(rv->CreateLayoutInfo());
    return rv->PrintData()->SavePageAsRVF(Stream, PageNo, rv->Color(), rv->Background(), Layout.get());
}

bool TCustomRVPrint::TransparentBackground() const
{
    return rv->PrintData()->Transparent;
}

void TCustomRVPrint::SetTransparentBackground(bool Value)
{
    rv->PrintData()->Transparent = Value;
}

TRVColorMode TCustomRVPrint::ColorMode() const
{
    return rv->PrintData()->ColorMode;
}

void TCustomRVPrint::SetColorMode(TRVColorMode Value)
{
    rv->PrintData()->ColorMode = Value;
}

// ---- TRVPrint

TRVPrint::TRVPrint(TComponent* AOwner) : TRVPrint(AOwner, &TPrintableRVData::Create) {}

TRVPrint::TRVPrint(TComponent* AOwner, TRollViewRVDataClass DataClass) : TCustomRVPrint(AOwner)
{
    rv = new TPrintableRV(this, DataClass);
    rv->RVPrint = this;
    SetColorMode(rvcmPrinterColor);
    SetLeftMarginMM(20);
    SetRightMarginMM(20);
    SetTopMarginMM(20);
    SetBottomMarginMM(20);
}

void TRVPrint::AssignSource(TCustomRollView* Source)
{
    TCustomMainPtblRVData* Data = rv->PrintData();
    Data->State.Include(rvstSkipFormatting);
    try {
        SetReady(false);
        if (FSource && FSource != Source)
            RemoveFreeNotification(FSource);
        Data->ShareItemsFrom(Source->RVData);
        FSource = Source;
        FreeNotification(Source);
        rv->SetLeftMargin(Source->LeftMargin());
        rv->SetRightMargin(Source->RightMargin());
        rv->SetTopMargin(0);
        rv->SetBottomMargin(0);
        Data->TmpTM = Source->TopMargin();
        Data->TmpBM = Source->BottomMargin();
        rv->SetStyle(Source->Style());
        rv->SetBackgroundStyle(Source->GetBackgroundStyle());
        rv->SetBackBitmap(Source->GetBackBitmap());
        rv->SetColor(Source->Color());
        rv->SetBiDiModeRV(Source->BiDiMode());
    } catch (...) {
        Data->State.Exclude(rvstSkipFormatting);
        throw;
    }
    Data->State.Exclude(rvstSkipFormatting);
}

int TRVPrint::FormatPages()
{
    ++FormattingID;
    if (FormattingID >= 10000)
        FormattingID = 0;
    SetReady(false);
    const int Result = rv->FormatPages();
    NoteSources({FSource ? FSource->RVData : nullptr, FHeaderSource, FFooterSource});
    SetReady(true);
    return Result;
}

void TRVPrint::Print(const AnsiString& Title, int Copies, bool Collate)
{
    CheckReady();
    PrintableRV()->Print(Title, Copies, Collate);
}

void TRVPrint::PrintPages(int FirstPageNo, int LastPageNo, const AnsiString& Title, int Copies, bool Collate)
{
    CheckReady();
    PrintableRV()->PrintPages(FirstPageNo, LastPageNo, Title, Copies, Collate);
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

void TRVPrint::SetHeader(TCustomRVFormattedData* Data)
{
    FHeaderSource = Data;
    SetReady(false);
    PrintableData()->SetHeader(Data ? std::make_unique<TRVHeaderFooterRVData>(rv, Data, PrintableData())
                                    : nullptr);
}

void TRVPrint::SetFooter(TCustomRVFormattedData* Data)
{
    FFooterSource = Data;
    SetReady(false);
    PrintableData()->SetFooter(Data ? std::make_unique<TRVHeaderFooterRVData>(rv, Data, PrintableData())
                                    : nullptr);
}

namespace {

TRect RectOf(const TRVHeaderFooterRVData* Data)
{
    if (!Data)
        return Rect(0, 0, 0, 0);
    const int L = Data->Left + Data->DX;
    const int T = Data->Top + Data->DY;
    return Rect(L, T, L + Data->Width, T + Data->DocumentHeight);
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
