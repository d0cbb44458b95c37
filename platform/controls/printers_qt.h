// Internal to platform/controls: the canvas of a printer's page and the measuring
// canvas, both the Qt canvas with the printer's geometry.
#pragma once

#include "platform/controls/printers.h"
#include "platform/graphics/qtcanvas_qt.h"

// A Qt canvas over a printer's paint device, or over none (a measuring canvas:
// text is measured at the printer's resolution, nothing is drawn). The device
// covers the printable area; the canvas reports the printer's geometry, which a
// measuring canvas takes on again with SetMetrics when the printer's settings change.
// Thin lines reach the device as the Qt canvas draws them on any device that is
// not an image: one filled strip per straight run of pixels.
class TPrinterCanvas : public TQtCanvas {
public:
    TPrinterCanvas(QPaintDevice* device, const TPrinterMetrics& metrics);
    const char* ClassName() const override { return "TPrinterCanvas"; }

    int DeviceCaps(int index) const override { return PrinterDeviceCaps(FMetrics, index); }
    void SetMetrics(const TPrinterMetrics& metrics);

protected:
    // The printable area, also when there is no device (so that clip boxes agree).
    TRect DeviceBounds() const override { return TRect{0, 0, FMetrics.PageWidth, FMetrics.PageHeight}; }

private:
    TPrinterMetrics FMetrics;
};
