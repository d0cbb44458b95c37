// What the document fuzz targets do with a document they read: a formatted
// document without a window (fixed width, the recording canvas's metrics) that
// is laid out, painted on the recording canvas and saved as RVF, RTF, HTML
// (plain and with CSS) and plain text, so that what a reader accepts is also
// driven through layout, painting and every writer.
#pragma once

#include <cstdlib>
#include <memory>

#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "platform/graphics/recordingcanvas.h"
#include "view/crvfdata.h"

// The width the documents are laid out at, and the height of a screen.
constexpr int FuzzDocumentWidth = 400;
constexpr int FuzzScreenHeight = 600;

class TFuzzFormattedData : public TCustomRVFormattedData {
public:
    explicit TFuzzFormattedData(TRVStyle* style) : FStyle(style) {}
    ~TFuzzFormattedData() override { Clear(); }

    TRVStyle* GetRVStyle() override { return FStyle; }
    TRVOptions GetOptions() override { return Options; }
    void SetOptions(TRVOptions value) override { Options = value; }
    TRVMarkerList* GetMarkers(bool allowCreate) override
    {
        if (!FMarkers && allowCreate)
            FMarkers = std::make_unique<TRVMarkerList>();
        return FMarkers.get();
    }
    void DestroyMarkers() override { FMarkers.reset(); }
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    // Pictures are named, never written beside the page.
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString& location,
                       bool& doDefault) override
    {
        location = "picture.png";
        doDefault = false;
    }

    TRVFlags GetFlags() override { return FFlags; }
    void SetFlags(TRVFlags value) override { FFlags = value; }
    int GetAreaWidth() override { return FuzzDocumentWidth; }
    int GetLeftMargin() override { return 5; }
    int GetRightMargin() override { return 5; }
    int GetTopMargin() override { return 5; }
    int GetBottomMargin() override { return 5; }
    int GetMinTextWidth() override { return 0; }
    int GetMaxTextWidth() override { return 0; }
    TRVBackground* GetBackground() override { return nullptr; }
    void AdjustVScrollUnits() override {}
    void SetDocumentAreaSize(int, int, bool) override {}
    int GetWidth() override { return FuzzDocumentWidth; }
    int GetHeight() override { return FuzzScreenHeight; }
    TCanvas* GetCanvas() override { return &Canvas; }
    void ScrollTo(int, bool) override {}
    void HScrollTo(int) override {}
    int GetVSmallStep() override { return 10; }
    TColor GetColor() override { return clWindow; }
    bool IsAssignedRVMouseUp() override { return false; }
    bool IsAssignedRVMouseDown() override { return false; }
    bool IsAssignedJump() override { return false; }
    bool IsAssignedCheckpointVisible() override { return false; }
    void DoRVMouseUp(TMouseButton, TShiftState, int, int, int) override {}
    void DoRVMouseDown(TMouseButton, TShiftState, int, int, int) override {}
    void DoJump(int) override {}
    void DoRVMouseMove(int) override {}
    void DoCheckpointVisible(TRVCPInfo*) override {}
    TCursor GetNormalCursor() override { return 0; }

    TRVOptions Options;
    TRecordingCanvas Canvas{FuzzDocumentWidth, FuzzScreenHeight, 96};

private:
    TRVStyle* FStyle;
    TRVFlags FFlags{rvflUseJumps, rvflTrim, rvflUseExternalLeading, rvflRoot};
    std::unique_ptr<TRVMarkerList> FMarkers;
};

// Lays the document out, paints its first screen and one in its middle, and
// saves it in every format; a writer that reports failure stops the run.
inline void FuzzLayOutPaintAndSave(TFuzzFormattedData& data)
{
    data.Format_(false, true, false, 0, nullptr, false, true);
    for (int top : {0, data.DocumentHeight / 2}) {
        data.Canvas.Clear();
        data.PaintTo(&data.Canvas, Rect(0, top, FuzzDocumentWidth, top + FuzzScreenHeight));
    }
    TMemoryStream rtf, html, css, text;
    if (!data.SaveRTFToStream(rtf, false, 0, clNone, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0))
        std::abort();
    int images = 0;
    if (!data.SaveHTMLToStream(html, "", "fuzz", "img", TRVSaveOptions(), clWhite, images, 0, 0, 0, 0,
                               nullptr, nullptr))
        std::abort();
    TColor fileColor = clNone;
    if (!data.SaveHTMLToStreamEx(css, "", "fuzz", "img", "", "", "", TRVSaveOptions(), clWhite, fileColor,
                                 images, 0, 0, 0, 0, nullptr, nullptr))
        std::abort();
    if (!data.SaveTextToStream("", text, 80, false, false, false))
        std::abort();
}
