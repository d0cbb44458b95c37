// Printing fixtures: a printer canvas with the recording canvas's fixed
// metrics at a printer's resolution, paper and offsets; printable data and a
// print component that lay out on it; and a fixture with a source viewer,
// its style sheet and the recording printer as the current printer.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/rvstyle.h"
#include "platform/controls/printers.h"
#include "platform/core/streams.h"
#include "platform/graphics/recordingcanvas.h"
#include "print/ptblrv.h"
#include "view/rollview.h"

// Fixed text metrics (7 px per character, lines of 13 px) at the resolution,
// sheet size and offsets of Metrics.
class TTestPrinterCanvas : public TRecordingCanvas {
public:
    explicit TTestPrinterCanvas(const TPrinterMetrics& AMetrics)
        : TRecordingCanvas(AMetrics.PageWidth, AMetrics.PageHeight, AMetrics.PixelsPerInchX),
          FMetrics(AMetrics)
    {
        Font()->SetPixelsPerInch(AMetrics.PixelsPerInchY);
    }
    int DeviceCaps(int Index) const override { return PrinterDeviceCaps(FMetrics, Index); }

private:
    TPrinterMetrics FMetrics;
};

// A printer of Width x Height pixels at Ppi, the whole sheet printable.
inline TPrinterMetrics TestMetrics(int Width, int Height, int Ppi = 96)
{
    TPrinterMetrics m;
    m.PixelsPerInchX = m.PixelsPerInchY = Ppi;
    m.PhysicalWidth = m.PageWidth = Width;
    m.PhysicalHeight = m.PageHeight = Height;
    return m;
}

// Printable data that measures on a TTestPrinterCanvas of Metrics. Counts the
// measuring canvases alive, so that a test sees each one released.
class TTestPrintData : public TPrintableRVData {
public:
    using TPrintableRVData::TPrintableRVData;
    static TRollViewRVData* Create(TCustomRollView* ARollView) { return new TTestPrintData(ARollView); }

    TPrinterMetrics Metrics = TestMetrics(300, 150);
    static inline int CanvasesAlive = 0;

protected:
    class TCountedCanvas : public TTestPrinterCanvas {
    public:
        explicit TCountedCanvas(const TPrinterMetrics& M) : TTestPrinterCanvas(M) { ++CanvasesAlive; }
        ~TCountedCanvas() override { --CanvasesAlive; }
    };
    std::unique_ptr<TCanvas> InitPrinterCanvas() override
    {
        return std::make_unique<TCountedCanvas>(Metrics);
    }
    int GetPageWidth() override { return Metrics.PageWidth; }
    int GetPageHeight() override { return Metrics.PageHeight; }
};

// The print component over TTestPrintData.
class TTestRVPrint : public TRVPrint {
public:
    explicit TTestRVPrint(TComponent* AOwner) : TRVPrint(AOwner, &TTestPrintData::Create) {}
    TTestPrintData* TestData() const { return static_cast<TTestPrintData*>(PrintableData()); }
};

// A source viewer with a style sheet, a print component on the test printer
// canvas with no margins, and the recording printer as the current printer.
class TPrintFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = std::make_unique<TComponent>(nullptr);
        Style = new TRVStyle(Root.get());
        Source = new TRollView(Root.get());
        Source->SetStyle(Style);
        Print = new TTestRVPrint(Root.get());
        Print->SetLeftMarginMM(0);
        Print->SetRightMarginMM(0);
        Print->SetTopMarginMM(0);
        Print->SetBottomMarginMM(0);
        auto Recorder = std::make_unique<TRecordingPrinter>();
        Recording = Recorder.get();
        OldPrinter = SetPrinter(std::move(Recorder));
    }
    void TearDown() override
    {
        Root.reset();
        SetPrinter(std::move(OldPrinter));
    }

    // Lines "line 0", "line 1"... in paragraphs of their own.
    void AddLines(int Count, int From = 0)
    {
        for (int i = From; i < From + Count; ++i)
            Source->AddNL("line " + std::to_string(i), 0, 0);
    }
    // AssignSource and FormatPages on a sheet of Width x Height test pixels.
    int Format(int Width, int Height, int Ppi = 96)
    {
        Print->TestData()->Metrics = TestMetrics(Width, Height, Ppi);
        Print->AssignSource(Source);
        return Print->FormatPages();
    }
    // The first item of every page, as "item:offset" joined by spaces.
    std::string PageStarts()
    {
        std::string s;
        for (int p = 1; p <= Print->GetPagesCount(); ++p) {
            int ItemNo = 0;
            int Offs = 0;
            Print->GetFirstItemOnPage(p, ItemNo, Offs);
            s += (p > 1 ? " " : "") + std::to_string(ItemNo);
        }
        return s;
    }

    // Page Page saved as RVF and read back into a new viewer on the style
    // sheet; null when the page could not be saved or read.
    TRollView* PageReadBack(int Page)
    {
        TMemoryStream Stream;
        if (!Print->SavePageAsRVF(Stream, Page))
            return nullptr;
        Stream.SetPosition(0);
        auto* Copy = new TRollView(Root.get());
        Copy->SetStyle(Style);
        return Copy->LoadRVFFromStream(&Stream) ? Copy : nullptr;
    }

    std::unique_ptr<TComponent> Root;
    TRVStyle* Style = nullptr;
    TRollView* Source = nullptr;
    TTestRVPrint* Print = nullptr;
    TRecordingPrinter* Recording = nullptr;
    std::unique_ptr<TPrinter> OldPrinter;
};
