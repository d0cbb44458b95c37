// The published properties of the print component, as component streams write
// and read them, and its registration under its class name. Several live in
// the hidden viewer (the margins in millimetres) or its printable data (the
// transparent background, the colour mode, the header and footer places).
#include "platform/core/classreg.h"
#include "platform/core/typinfo.h"
#include "print/ptblrv.h"
#include "print/ptrvdata.h"

namespace {

const TPersistentClass RVPrintClass = RegisterClass<TRVPrint>("TRVPrint");

} // namespace

const TPropertyTable* TCustomRVPrint::PropertyTable() const
{
    using P = TCustomRVPrint;
    // The base component has no hidden viewer (only TRVPrint makes one): its
    // printable settings are then the defaults, and setting them changes nothing.
    static const TPropertyTable table =
        TPropTableBuilder<P>("TCustomRVPrint", TComponent::PropertyTable())
            // No default: always written.
            .Bool("PreviewCorrection", &P::PreviewCorrection, &P::PreviewCorrection)
            .Bool(
                "TransparentBackground", [](const P* p) { return p->rv && p->TransparentBackground(); },
                [](P* p, bool value) {
                    if (p->rv)
                        p->SetTransparentBackground(value);
                },
                false)
            .Enum(
                "ColorMode", [](const P* p) { return p->rv ? p->ColorMode() : rvcmPrinterColor; },
                [](P* p, int64_t value) {
                    if (p->rv)
                        p->SetColorMode(static_cast<TRVColorMode>(value));
                },
                {"rvcmColor", "rvcmPrinterColor", "rvcmGrayScale", "rvcmBlackAndWhite", "rvcmBlackOnWhite"},
                rvcmPrinterColor)
            .Build();
    return &table;
}

const TPropertyTable* TRVPrint::PropertyTable() const
{
    using P = TRVPrint;
    (void)RVPrintClass;
    static const TPropertyTable table =
        TPropTableBuilder<P>("TRVPrint", TCustomRVPrint::PropertyTable())
            .Bool("ClipMargins", &P::ClipMargins, &P::ClipMargins, false)
            .Bool("MirrorMargins", &P::MirrorMargins, &P::SetMirrorMargins, false)
            // The margins have no default: always written.
            .Int("LeftMarginMM", &P::LeftMarginMM, &P::SetLeftMarginMM)
            .Int("RightMarginMM", &P::RightMarginMM, &P::SetRightMarginMM)
            .Int("TopMarginMM", &P::TopMarginMM, &P::SetTopMarginMM)
            .Int("BottomMarginMM", &P::BottomMarginMM, &P::SetBottomMarginMM)
            .Int("HeaderYMM", &P::HeaderYMM, &P::SetHeaderYMM, 10)
            .Int("FooterYMM", &P::FooterYMM, &P::SetFooterYMM, 10)
            .Build();
    return &table;
}
