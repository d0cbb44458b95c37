// TCustomRollView: searching, the selection as text or picture, copying to the
// clipboard, and loading and saving the document as RVF, RTF and HTML with the
// viewer's colour, background and layout. Everything passes to the root data;
// the viewer adds its own settings and takes back what a load changed.
#include <initializer_list>
#include <memory>

#include "document/rvrtfprops.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "view/rollview.h"
#include "view/rvback.h"

namespace {

// An RVF load may have replaced the background's picture (a bitmap read from
// the file) or freed it (a background record without one). The viewer keeps a
// bitmap there at all times and follows its changes.
void AdoptLoadedBackground(TCustomRollView* view)
{
    TRVBackground* back = view->Background();
    if (back->Image() == nullptr)
        back->AssignImage(new TBitmap, nullptr, false);
    if (TBitmap* bitmap = back->GetBitmap())
        bitmap->OnChange = [view](TObject* sender) { view->DoOnBackBitmapChange(sender); };
    view->DoOnBackBitmapChange(view);
}

// A layout read from a file is applied only when every length is plausible:
// huge or negative margins and widths would overflow the layout's arithmetic.
bool LayoutIsPlausible(const TRVLayoutInfo& layout)
{
    // Pixels: far beyond any screen, far from the limits of 32-bit sums.
    const int maxLength = 1000000;
    for (int length : {layout.LeftMargin, layout.RightMargin, layout.TopMargin, layout.BottomMargin,
                       layout.MinTextWidth, layout.MaxTextWidth})
        if (length < 0 || length > maxLength)
            return false;
    return true;
}

// Whether an HTML call writes the head of a page (and so starts a page).
bool WritesPageHead(TRVSaveOptions options)
{
    return !options.Contains(rvsoMiddleOnly) && !options.Contains(rvsoLastOnly);
}

} // namespace

// ---------------------------------------------------------------------------
// Search and the selection

bool TCustomRollView::SearchText(const AnsiString& s, TRVSearchOptions srchOptions)
{
    return RVData->SearchText(srchOptions.Contains(rvsroDown), srchOptions.Contains(rvsroMatchCase),
                              srchOptions.Contains(rvsroWholeWord), s);
}

AnsiString TCustomRollView::GetSelText()
{
    return RVData->GetSelText(false);
}

WideString TCustomRollView::GetSelTextW()
{
    return RVData->GetSelTextW();
}

TGraphic* TCustomRollView::GetSelectedImage()
{
    return RVData->GetSelectedImage();
}

// ---------------------------------------------------------------------------
// The clipboard

void TCustomRollView::Copy()
{
    RVData->Copy(GetColor(), Background());
}

bool TCustomRollView::CopyDef()
{
    return RVData->CopyDef(GetColor(), Background());
}

void TCustomRollView::CopyText()
{
    RVData->CopyText();
}

void TCustomRollView::CopyTextW()
{
    RVData->CopyTextW();
}

void TCustomRollView::CopyImage()
{
    RVData->CopyImage();
}

void TCustomRollView::CopyRTF()
{
    RVData->CopyRTF(GetColor(), Background());
}

void TCustomRollView::CopyRVF()
{
    RVData->CopyRVF(GetColor(), Background());
}

// ---------------------------------------------------------------------------
// RVF

bool TCustomRollView::LoadRVF(const AnsiString& fileName)
{
    TColor color = this->Color();
    TRVLayoutInfo layout;
    const bool result = RVData->LoadRVF(fileName, color, Background(), &layout);
    if (layout.Loaded && LayoutIsPlausible(layout))
        ApplyLayoutInfo(&layout);
    SetColor(color);
    AdoptLoadedBackground(this);
    return result;
}

bool TCustomRollView::LoadRVFFromStream(TStream* stream)
{
    if (!stream)
        return false;
    TColor color = this->Color();
    TRVLayoutInfo layout;
    const bool result = RVData->LoadRVFFromStream(*stream, color, Background(), &layout);
    if (layout.Loaded && LayoutIsPlausible(layout))
        ApplyLayoutInfo(&layout);
    SetColor(color);
    AdoptLoadedBackground(this);
    return result;
}

bool TCustomRollView::InsertRVFFromStream(TStream* stream, int index)
{
    if (!stream)
        return false;
    TColor color = this->Color();
    const bool result = RVData->InsertRVFFromStream(*stream, index, color, nullptr, nullptr, false);
    // Items went in among the laid-out ones: the next layout is a full one.
    RVData->InvalidateTailLayout();
    SetColor(color);
    return result;
}

bool TCustomRollView::AppendRVFFromStream(TStream* stream, int paraNo)
{
    if (!stream)
        return false;
    TColor color = this->Color();
    const bool result = RVData->AppendRVFFromStream(*stream, paraNo, color, Background());
    RVData->InvalidateTailLayout();
    SetColor(color);
    AdoptLoadedBackground(this);
    return result;
}

bool TCustomRollView::SaveRVF(const AnsiString& fileName, bool selectionOnly)
{
    // The writer writes the layout record only as the RVF options ask.
    std::unique_ptr<TRVLayoutInfo> layout(CreateLayoutInfo());
    return RVData->SaveRVF(fileName, selectionOnly, Color(), Background(), layout.get());
}

bool TCustomRollView::SaveRVFToStream(TStream* stream, bool selectionOnly)
{
    if (!stream)
        return false;
    std::unique_ptr<TRVLayoutInfo> layout(CreateLayoutInfo());
    return RVData->SaveRVFToStream(*stream, selectionOnly, Color(), Background(), layout.get());
}

// ---------------------------------------------------------------------------
// RTF

bool TCustomRollView::LoadRTF(const AnsiString& fileName)
{
    // Relative pictures and links of the file are found beside it.
    GetRTFReadProperties()->BasePath = ExtractFilePath(fileName);
    const TRVRTFErrorCode result = RVData->LoadRTF(fileName);
    // The first text read may have joined the last item: lay out everything next.
    RVData->InvalidateTailLayout();
    return result == rtf_ec_OK;
}

bool TCustomRollView::LoadRTFFromStream(TStream* stream)
{
    if (!stream)
        return false;
    GetRTFReadProperties();
    const TRVRTFErrorCode result = RVData->LoadRTFFromStream(*stream);
    RVData->InvalidateTailLayout();
    return result == rtf_ec_OK;
}

bool TCustomRollView::SaveRTF(const AnsiString& fileName, bool selectionOnly)
{
    return RVData->SaveRTF(fileName, selectionOnly, Color(), Background());
}

bool TCustomRollView::SaveRTFToStream(TStream* stream, bool selectionOnly)
{
    return stream && RVData->SaveRTFToStream(*stream, selectionOnly, 0, Color(), Background(), nullptr,
                                             nullptr, nullptr, nullptr, nullptr, 0);
}

// ---------------------------------------------------------------------------
// HTML

bool TCustomRollView::SaveHTML(const AnsiString& fileName, const AnsiString& title,
                               const AnsiString& imagesPrefix, TRVSaveOptions options)
{
    return RVData->SaveHTML(fileName, title, imagesPrefix, options, Color(), ImagesCounter, LeftMargin(),
                            TopMargin(), RightMargin(), BottomMargin(), Background());
}

bool TCustomRollView::SaveHTMLToStream(TStream* stream, const AnsiString& path, const AnsiString& title,
                                       const AnsiString& imagesPrefix, TRVSaveOptions options)
{
    if (!stream)
        return false;
    // The pictures written for another page lie in its folder, not in this one's.
    if (WritesPageHead(options))
        HTMLBullets()->Clear();
    return RVData->SaveHTMLToStream(*stream, path, title, imagesPrefix, options, Color(), ImagesCounter,
                                    LeftMargin(), TopMargin(), RightMargin(), BottomMargin(), Background(),
                                    HTMLBullets());
}

bool TCustomRollView::SaveHTMLEx(const AnsiString& fileName, const AnsiString& title,
                                 const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                                 const AnsiString& externalCss, const AnsiString& cpPrefix,
                                 TRVSaveOptions options)
{
    TColor currentFileColor = Color();
    return RVData->SaveHTMLEx(fileName, title, imagesPrefix, extraStyles, externalCss, cpPrefix, options,
                              Color(), currentFileColor, ImagesCounter, LeftMargin(), TopMargin(),
                              RightMargin(), BottomMargin(), Background());
}

bool TCustomRollView::SaveHTMLToStreamEx(TStream* stream, const AnsiString& path, const AnsiString& title,
                                         const AnsiString& imagesPrefix, const AnsiString& extraStyles,
                                         const AnsiString& externalCss, const AnsiString& cpPrefix,
                                         TRVSaveOptions options)
{
    if (!stream)
        return false;
    if (WritesPageHead(options))
        HTMLBullets()->Clear();
    TColor currentFileColor = Color();
    return RVData->SaveHTMLToStreamEx(*stream, path, title, imagesPrefix, extraStyles, externalCss, cpPrefix,
                                      options, Color(), currentFileColor, ImagesCounter, LeftMargin(),
                                      TopMargin(), RightMargin(), BottomMargin(), Background(),
                                      HTMLBullets());
}

AnsiString TCustomRollView::SavePicture(TRVSaveFormat documentSaveFormat, const AnsiString& path,
                                        TGraphic* gr)
{
    return RVData->SavePicture(documentSaveFormat, ImagesPrefix, path, ImagesCounter, OverrideImages(),
                               GetColor(), gr);
}
