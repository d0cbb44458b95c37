// The print component: TRVPrint prints or previews the document of a viewer
// through a hidden printable viewer (TPrintableRV) that shares the source's
// items and lays them out for the current printer (Printer()).
//
//   ptblrv.cpp        the components, sources, margins, formatting, pages
//   ptblrv_print.cpp  print jobs, previews
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "document/rvprintsvc.h"
#include "platform/core/component.h"
#include "print/ptrvdata.h"
#include "view/rollview.h"

class TBitmap;
class TControl;
class TCustomRVPrint;
class TRVPrint;

using TRVPrintComponentEvent =
    std::function<void(TCustomRVPrint* Sender, TControl* PrintMe, std::unique_ptr<TBitmap>& ComponentImage)>;
using TRVPrintingEvent =
    std::function<void(TCustomRollView* Sender, int PageCompleted, TRVPrintingStep Step)>;
using TRVPagePrepaintEvent = std::function<void(TRVPrint* Sender, int PageNo, TCanvas* Canvas, bool Preview,
                                                const TRect& PageRect, const TRect& PrintAreaRect)>;

// The hidden viewer of a print component: invisible, no selection, no
// vertical margins, no border; its data is printable data.
class TCustomPrintableRV : public TCustomRollView,
                           public TRVPrintingViewer,
                           public TRVControlPrintImageSource {
public:
    TCustomPrintableRV(TComponent* AOwner, TRollViewRVDataClass DataClass);
    const char* ClassName() const override { return "TCustomPrintableRV"; }

    TCustomMainPtblRVData* PrintData() const { return static_cast<TCustomMainPtblRVData*>(RVData); }
    int FormatPages();
    void DrawPage(int PageNo, TCanvas* Canvas, bool Preview, bool Correction);
    void ApplyLayoutInfo(TRVLayoutInfo* Layout) override;

    // TRVPrintingViewer and TRVControlPrintImageSource
    TRVStyle* GetPrintRVStyle() const override { return Style(); }
    std::unique_ptr<TBitmap> GetControlPrintImage(TControl* Control) override;

    TCustomRVPrint* RVPrint = nullptr;
};

// The print component's viewer with millimetre margins.
class TPrintableRV : public TCustomPrintableRV {
public:
    explicit TPrintableRV(TComponent* AOwner);
    // With a data class of its own (a descendant of TPrintableRVData).
    TPrintableRV(TComponent* AOwner, TRollViewRVDataClass DataClass);
    const char* ClassName() const override { return "TPrintableRV"; }

    TPrintableRVData* PrintableData() const { return static_cast<TPrintableRVData*>(RVData); }
    void Print(const AnsiString& Title, int Copies, bool Collate);
    // Pages FirstPageNo..LastPageNo, Copies times, collated or not. When
    // drawing raises, the job is aborted and the printer's copy count restored
    // before the exception goes on.
    void PrintPages(int FirstPageNo, int LastPageNo, const AnsiString& Title, int Copies, bool Collate);
    // Every page on the printer's running job (the caller opened it).
    void ContinuousPrint();
    void DoOnPrinting(int PageCompleted, TRVPrintingStep Step);

    bool MirrorMargins = false;
    int LeftMarginMM = 0;
    int RightMarginMM = 0;
    int TopMarginMM = 0;
    int BottomMarginMM = 0;
};

// The print component without margins. Ready tells whether the pages were
// formatted and the documents they show are still as they were then: a
// source (or header or footer source) that was changed or destroyed since
// makes it not ready, and painting a page then paints nothing.
class TCustomRVPrint : public TComponent, public TRVPrintServices {
public:
    explicit TCustomRVPrint(TComponent* AOwner);
    ~TCustomRVPrint() override;
    const char* ClassName() const override { return "TCustomRVPrint"; }

    void Loaded() override;
    void Clear();
    bool Ready() const;
    int GetPagesCount() const override;
    // PageNo must lie in 1..GetPagesCount (ERollViewError otherwise).
    void GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData) override;
    void GetFirstItemOnPage(int PageNo, int& ItemNo, int& OffsetInItem);
    bool SavePageAsRVF(TStream& Stream, int PageNo);

    bool TransparentBackground() const;
    void SetTransparentBackground(bool Value);
    TRVColorMode ColorMode() const;
    void SetColorMode(TRVColorMode Value);

    // The size of a whole sheet at 100 % on the screen, screen pixels.
    int GetPreview100PercentWidth() const;
    int GetPreview100PercentHeight() const;
    // Page PageNo scaled into PageRect of Canvas; the canvas's mapping, clip
    // and font resolution are as they were afterwards. False when nothing
    // was painted because the component is not ready.
    bool DrawPreview(int PageNo, TCanvas* Canvas, const TRect& PageRect);
    // The printable area of PageNo scaled into PageRect, with the canvas's pen and brush.
    void DrawMarginsRect(TCanvas* Canvas, const TRect& PageRect, int PageNo);

    TCustomPrintableRV* rv = nullptr;
    bool PreviewCorrection = true;
    TRVPrintComponentEvent OnPrintComponent;
    int StartAt = 0;
    int EndAt = 0;
    int FormattingID = 0;

protected:
    void SetReady(bool Value);
    // Notes the documents the pages were made from, for Ready.
    void NoteSources(std::initializer_list<TCustomRVData*> Sources);
    // ERollViewError unless Ready.
    void CheckReady() const;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TCustomRollView* FSource = nullptr;

private:
    void SourceGone(TComponent* Source);

    bool FReady = false;
    struct TSourceNote;
    std::vector<TSourceNote> FNotes;
    // A viewer with an empty document, whose items the hidden viewer shares
    // once its source is gone; it outlives the hidden viewer.
    std::unique_ptr<TCustomRollView> FEmptySource;
};

// The print component.
class TRVPrint : public TCustomRVPrint {
public:
    explicit TRVPrint(TComponent* AOwner);
    const char* ClassName() const override { return "TRVPrint"; }

    TPrintableRV* PrintableRV() const { return static_cast<TPrintableRV*>(rv); }
    TPrintableRVData* PrintableData() const { return PrintableRV()->PrintableData(); }

    // The viewer to print: its items, style sheet, margins and background.
    void AssignSource(TCustomRollView* Source);
    int FormatPages();
    void Print(const AnsiString& Title, int Copies, bool Collate);
    void PrintPages(int FirstPageNo, int LastPageNo, const AnsiString& Title, int Copies, bool Collate);
    void ContinuousPrint();
    // Bitmap sized to the 100 % preview, then MakeScaledPreview.
    bool MakePreview(int PageNo, TBitmap* Bitmap);
    bool MakeScaledPreview(int PageNo, TBitmap* Bitmap);
    // Header and footer documents (null: none); they must outlive the
    // printing and are laid out again by every FormatPages.
    void SetHeader(TCustomRVFormattedData* Data);
    void SetFooter(TCustomRVFormattedData* Data);
    TRect GetHeaderRect() const;
    TRect GetFooterRect() const;

    bool MirrorMargins() const { return PrintableRV()->MirrorMargins; }
    void SetMirrorMargins(bool Value) { PrintableRV()->MirrorMargins = Value; }
    int LeftMarginMM() const { return PrintableRV()->LeftMarginMM; }
    void SetLeftMarginMM(int Value) { PrintableRV()->LeftMarginMM = Value; }
    int RightMarginMM() const { return PrintableRV()->RightMarginMM; }
    void SetRightMarginMM(int Value) { PrintableRV()->RightMarginMM = Value; }
    int TopMarginMM() const { return PrintableRV()->TopMarginMM; }
    void SetTopMarginMM(int Value) { PrintableRV()->TopMarginMM = Value; }
    int BottomMarginMM() const { return PrintableRV()->BottomMarginMM; }
    void SetBottomMarginMM(int Value) { PrintableRV()->BottomMarginMM = Value; }
    int HeaderYMM() const { return PrintableData()->HeaderYMM; }
    void SetHeaderYMM(int Value) { PrintableData()->HeaderYMM = Value; }
    int FooterYMM() const { return PrintableData()->FooterYMM; }
    void SetFooterYMM(int Value) { PrintableData()->FooterYMM = Value; }

    TRVPrintingEvent OnFormatting;
    TRVPrintingEvent OnSendingToPrinter;
    TRVPagePrepaintEvent OnPagePrepaint;
    TRVPagePrepaintEvent OnPagePostpaint;
    bool ClipMargins = false;

protected:
    // The viewer's data made by DataClass (a descendant of TPrintableRVData).
    TRVPrint(TComponent* AOwner, TRollViewRVDataClass DataClass);

private:
    TCustomRVFormattedData* FHeaderSource = nullptr;
    TCustomRVFormattedData* FFooterSource = nullptr;
};
