// The published properties of the viewer, as component streams write and read
// them (a viewer held in a document as a control item is saved this way), and
// the viewer's registration under its class name.
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "platform/controls/cursors.h"
#include "platform/core/classreg.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "view/rollview.h"

namespace {

const std::vector<AnsiString> OptionNames = {
    "rvoAllowSelection",      "rvoSingleClick",         "rvoScrollToEnd",     "rvoClientTextWidth",
    "rvoShowCheckpoints",     "rvoShowPageBreaks",      "rvoTagsArePChars",   "rvoAutoCopyText",
    "rvoAutoCopyUnicodeText", "rvoAutoCopyRVF",         "rvoAutoCopyImage",   "rvoAutoCopyRTF",
    "rvoFormatInvalidate",    "rvoDblClickSelectsWord", "rvoRClickDeselects",
};
const std::vector<AnsiString> RTFOptionNames = {"rvrtfSaveStyleSheet",    "rvrtfDuplicateUnicode",
                                                "rvrtfSaveEMFAsWMF",      "rvrtfSaveJpegAsJpeg",
                                                "rvrtfSaveBitmapDefault", "rvrtfSaveEMFDefault"};
const std::vector<AnsiString> RVFOptionNames = {
    "rvfoSavePicturesBody",
    "rvfoSaveControlsBody",
    "rvfoIgnoreUnknownPicFmt",
    "rvfoIgnoreUnknownCtrls",
    "rvfoConvUnknownStylesToZero",
    "rvfoConvLargeImageIdxToZero",
    "rvfoSaveBinary",
    "rvfoUseStyleNames",
    "rvfoSaveBack",
    "rvfoLoadBack",
    "rvfoSaveTextStyles",
    "rvfoSaveParaStyles",
    "rvfoSaveLayout",
    "rvfoLoadLayout",
};
const std::vector<AnsiString> ReadModeNames = {"rvf_sIgnore", "rvf_sInsertMap", "rvf_sInsertMerge"};

// Reading a viewer from a stream makes one of this class.
const TPersistentClass RollViewClass = RegisterClass<TRollView>("TRollView");

} // namespace

const TPropertyTable* TCustomRollView::ViewerPropertyTable() const
{
    using C = TCustomRollView;
    (void)RollViewClass;
    static const TPropertyTable table =
        TPropTableBuilder<C>("TRollView", TRVScroller::PropertyTable())
            .Object("BackgroundBitmap", [](C* c) -> TPersistent* { return c->GetBackBitmap(); })
            .Enum("BackgroundStyle", &C::GetBackgroundStyle, &C::SetBackgroundStyle,
                  {"bsNoBitmap", "bsStretched", "bsTiled", "bsTiledAndScrolled", "bsCentered"}, bsNoBitmap)
            .Enum("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, {"bsNone", "bsSingle"}, bsSingle)
            .Int("BottomMargin", &C::BottomMargin, &C::SetBottomMargin, 5)
            .Enum("CPEventKind", &C::CPEventKind, &C::SetCPEventKind,
                  {"cpeNone", "cpeAsSectionStart", "cpeWhenVisible"}, cpeNone)
            .Int("Cursor", &C::Cursor, &C::SetCursor, crDefault)
            .WithIdents(CursorToIdent, IdentToCursor)
            // Compared with its default, so that an empty set of delimiters is written too.
            .Str("Delimiters", &C::Delimiters, &C::SetDelimiters, C::DefaultDelimiters)
            .StoredWhen(&C::StoreDelimiters)
            .Int("FirstJumpNo", &C::GetFirstJumpNo, &C::SetFirstJumpNo, 0)
            .Int("LeftMargin", &C::LeftMargin, &C::SetLeftMargin, 5)
            .Int("MaxTextWidth", &C::MaxTextWidth, &C::SetMaxTextWidth, 0)
            .Int("MinTextWidth", &C::MinTextWidth, &C::SetMinTextWidth, 0)
            .Set(
                "Options", [](const C* c) { return c->Options().Bits; },
                [](C* c, int64_t bits) { c->SetOptions(TRVOptions::FromBits(static_cast<uint16_t>(bits))); },
                OptionNames, 32421u)
            .Int("RightMargin", &C::RightMargin, &C::SetRightMargin, 5)
            .Set(
                "RTFOptions", [](const C* c) { return c->RTFOptions().Bits; },
                [](C* c, int64_t bits) {
                    c->SetRTFOptions(TRVRTFOptions::FromBits(static_cast<uint8_t>(bits)));
                },
                RTFOptionNames, 14u)
            // Made on first use: written only once it exists (and then only
            // the settings that differ from their defaults), read into a new one.
            .Object("RTFReadProperties", [](C* c) -> TPersistent* { return c->GetRTFReadProperties(); })
            .StoredWhen(&C::RTFReaderAssigned)
            .Set(
                "RVFOptions", [](const C* c) { return c->RVFOptions().Bits; },
                [](C* c, int64_t bits) {
                    c->SetRVFOptions(TRVFOptions::FromBits(static_cast<uint16_t>(bits)));
                },
                RVFOptionNames, 67u)
            .Enum("RVFParaStylesReadMode", &C::RVFParaStylesReadMode, &C::SetRVFParaStylesReadMode,
                  ReadModeNames, rvf_sInsertMerge)
            .Enum("RVFTextStylesReadMode", &C::RVFTextStylesReadMode, &C::SetRVFTextStylesReadMode,
                  ReadModeNames, rvf_sInsertMerge)
            .Component<TRVStyle>("Style", &C::Style, &C::SetStyle)
            .Enum("TabNavigation", &C::TabNavigation, &C::SetTabNavigation,
                  {"rvtnNone", "rvtnTab", "rvtnCtrlTab"}, rvtnTab)
            .Int("TopMargin", &C::TopMargin, &C::SetTopMargin, 5)
            .Color("Color", &C::Color, &C::SetColor, clNone)
            .Bool("TabStop", &C::TabStop, &C::SetTabStop, true)
            // Two bits of Options, which carries them: never written on their own.
            .Bool("AllowSelection", &C::AllowSelection, &C::SetAllowSelection)
            .NotStored()
            .Bool("SingleClick", &C::SingleClick, &C::SetSingleClick)
            .NotStored()
            .Build();
    return &table;
}

const TPropertyTable* TRollView::PropertyTable() const
{
    return ViewerPropertyTable();
}
