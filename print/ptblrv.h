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

#include "document/rvitem_pictures.h"
#include "document/rvprintsvc.h"
#include "platform/core/callhold.h"
#include "platform/core/component.h"
#include "print/ptrvdata.h"
#include "view/rollview.h"

class TBitmap;
class TControl;
class TCustomRVPrint;
class TRVPrint;

using TRVPrintComponentEvent =
    TEvent<void(TCustomRVPrint* sender, TControl* printMe, std::unique_ptr<TBitmap>& componentImage)>;
using TRVPrintingEvent = TEvent<void(TCustomRollView* sender, int pageCompleted, TRVPrintingStep step)>;
using TRVPagePrepaintEvent = TEvent<void(TRVPrint* sender, int pageNo, TCanvas* canvas, bool preview,
                                         const TRect& pageRect, const TRect& printAreaRect)>;

// The hidden viewer of a print component: invisible, no selection, no
// vertical margins, no border; its data is printable data.
class TCustomPrintableRV : public TCustomRollView,
                           public TRVPrintingViewer,
                           public TRVControlPrintImageSource {
public:
    TCustomPrintableRV(TComponent* aOwner, TRollViewRVDataClass dataClass);
    const char* ClassName() const override { return "TCustomPrintableRV"; }

    TCustomMainPtblRVData* PrintData() const { return static_cast<TCustomMainPtblRVData*>(RVData); }
    int FormatPages();
    void DrawPage(int pageNo, TCanvas* canvas, bool preview, bool correction);
    void ApplyLayoutInfo(TRVLayoutInfo* layout) override;

    // TRVPrintingViewer and TRVControlPrintImageSource
    TRVStyle* GetPrintRVStyle() const override { return Style(); }
    std::unique_ptr<TBitmap> GetControlPrintImage(TControl* control) override;

    TCustomRVPrint* RVPrint = nullptr;
};

// The print component's viewer with millimetre margins.
class TPrintableRV : public TCustomPrintableRV {
public:
    explicit TPrintableRV(TComponent* aOwner);
    // With a data class of its own (a descendant of TPrintableRVData).
    TPrintableRV(TComponent* aOwner, TRollViewRVDataClass dataClass);
    const char* ClassName() const override { return "TPrintableRV"; }

    TPrintableRVData* PrintableData() const { return static_cast<TPrintableRVData*>(RVData); }
    bool Print(const AnsiString& title, int copies, bool collate);
    // The document's pages within FirstPageNo..LastPageNo, Copies times,
    // collated or not; false, with no job started, when the range holds no
    // page of the document (an empty document has none). When drawing raises,
    // the job is aborted and the printer's copy count restored before the
    // exception goes on.
    bool PrintPages(int firstPageNo, int lastPageNo, const AnsiString& title, int copies, bool collate);
    // Every page on the printer's running job (the caller opened it).
    void ContinuousPrint();
    void DoOnPrinting(int pageCompleted, TRVPrintingStep step);

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
    explicit TCustomRVPrint(TComponent* aOwner);
    ~TCustomRVPrint() override;
    const char* ClassName() const override { return "TCustomRVPrint"; }
    // PreviewCorrection, TransparentBackground and ColorMode; the events are
    // not streamed (ptblrv_props.cpp).
    const TPropertyTable* PropertyTable() const override;

    void Loaded() override;
    void Clear();
    bool Ready() const;
    int GetPagesCount() const override;
    // PageNo must lie in 1..GetPagesCount (ERollViewError otherwise).
    void GetFirstItemOnPageEx(int pageNo, int& itemNo, int& offsetInItem, int& extraData) override;
    void GetFirstItemOnPage(int pageNo, int& itemNo, int& offsetInItem);
    bool SavePageAsRVF(TStream& stream, int pageNo);

    bool TransparentBackground() const;
    void SetTransparentBackground(bool value);
    TRVColorMode ColorMode() const;
    void SetColorMode(TRVColorMode value);

    // The size of a whole sheet at 100 % on the screen, screen pixels.
    int GetPreview100PercentWidth() const;
    int GetPreview100PercentHeight() const;
    // Page PageNo scaled into PageRect of Canvas; the canvas's mapping, clip
    // and font resolution are as they were afterwards. False when nothing
    // was painted: the component is not ready, or the document has no such page.
    bool DrawPreview(int pageNo, TCanvas* canvas, const TRect& pageRect);
    // The printable area of PageNo scaled into PageRect, with the canvas's pen and brush.
    void DrawMarginsRect(TCanvas* canvas, const TRect& pageRect, int pageNo);

    // The hidden viewer, made by CreateRollView and owned as a component.
    TCustomPrintableRV* rv = nullptr;
    bool PreviewCorrection = true;
    TRVPrintComponentEvent OnPrintComponent;
    int StartAt = 0;
    int EndAt = 0;
    int FormattingID = 0;

protected:
    // The hidden viewer this component prints through; none here.
    virtual TCustomPrintableRV* CreateRollView() { return nullptr; }
    // Makes the hidden viewer (CreateRollView), links it back and, when the
    // owner is a window, makes it the viewer's parent.
    void InitRollView();
    void SetReady(bool value);
    // Notes the documents the pages were made from, for Ready.
    void NoteSources(std::initializer_list<TCustomRVData*> sources);
    // ERollViewError unless Ready.
    void CheckReady() const;
    void Notification(TComponent* aComponent, TOperation operation) override;
    TCustomRollView* FSource = nullptr;

private:
    void SourceGone(TComponent* source);

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
    explicit TRVPrint(TComponent* aOwner);
    const char* ClassName() const override { return "TRVPrint"; }
    // After the base's: ClipMargins, MirrorMargins, the four margins in
    // millimetres (always written), HeaderYMM and FooterYMM.
    const TPropertyTable* PropertyTable() const override;

    TPrintableRV* PrintableRV() const { return static_cast<TPrintableRV*>(rv); }
    TPrintableRVData* PrintableData() const { return PrintableRV()->PrintableData(); }

    // The viewer to print: its items, style sheet, margins and background.
    void AssignSource(TCustomRollView* source);
    int FormatPages();
    // False when nothing was printed: the document has no page (in the range).
    bool Print(const AnsiString& title, int copies, bool collate);
    bool PrintPages(int firstPageNo, int lastPageNo, const AnsiString& title, int copies, bool collate);
    void ContinuousPrint();
    // Bitmap sized to the 100 % preview, then MakeScaledPreview; false (the
    // bitmap untouched) for a page the document does not have.
    bool MakePreview(int pageNo, TBitmap* bitmap);
    bool MakeScaledPreview(int pageNo, TBitmap* bitmap);
    // Header and footer documents (null: none); they must outlive the
    // printing and are laid out again by every FormatPages.
    void SetHeader(TCustomRVFormattedData* data);
    void SetFooter(TCustomRVFormattedData* data);
    TRect GetHeaderRect() const;
    TRect GetFooterRect() const;

    bool MirrorMargins() const { return PrintableRV()->MirrorMargins; }
    void SetMirrorMargins(bool value) { PrintableRV()->MirrorMargins = value; }
    int LeftMarginMM() const { return PrintableRV()->LeftMarginMM; }
    void SetLeftMarginMM(int value) { PrintableRV()->LeftMarginMM = value; }
    int RightMarginMM() const { return PrintableRV()->RightMarginMM; }
    void SetRightMarginMM(int value) { PrintableRV()->RightMarginMM = value; }
    int TopMarginMM() const { return PrintableRV()->TopMarginMM; }
    void SetTopMarginMM(int value) { PrintableRV()->TopMarginMM = value; }
    int BottomMarginMM() const { return PrintableRV()->BottomMarginMM; }
    void SetBottomMarginMM(int value) { PrintableRV()->BottomMarginMM = value; }
    int HeaderYMM() const { return PrintableData()->HeaderYMM; }
    void SetHeaderYMM(int value) { PrintableData()->HeaderYMM = value; }
    int FooterYMM() const { return PrintableData()->FooterYMM; }
    void SetFooterYMM(int value) { PrintableData()->FooterYMM = value; }

    TRVPrintingEvent OnFormatting;
    TRVPrintingEvent OnSendingToPrinter;
    TRVPagePrepaintEvent OnPagePrepaint;
    TRVPagePrepaintEvent OnPagePostpaint;
    bool ClipMargins = false;

protected:
    // The viewer's data made by DataClass (a descendant of TPrintableRVData).
    TRVPrint(TComponent* aOwner, TRollViewRVDataClass dataClass);
    // A TPrintableRV over the data class given at construction.
    TCustomPrintableRV* CreateRollView() override;

private:
    TRollViewRVDataClass FDataClass;
    TCustomRVFormattedData* FHeaderSource = nullptr;
    TCustomRVFormattedData* FFooterSource = nullptr;
};
