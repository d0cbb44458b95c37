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
void AdoptLoadedBackground(TCustomRollView* View)
{
    TRVBackground* Back = View->Background();
    if (Back->Image() == nullptr)
        Back->AssignImage(new TBitmap, nullptr, false);
    if (TBitmap* Bitmap = Back->GetBitmap())
        Bitmap->OnChange = [View](TObject* Sender) { View->DoOnBackBitmapChange(Sender); };
    View->DoOnBackBitmapChange(View);
}

// A layout read from a file is applied only when every length is plausible:
// huge or negative margins and widths would overflow the layout's arithmetic.
bool LayoutIsPlausible(const TRVLayoutInfo& Layout)
{
    // Pixels: far beyond any screen, far from the limits of 32-bit sums.
    const int MaxLength = 1000000;
    for (int Length : {Layout.LeftMargin, Layout.RightMargin, Layout.TopMargin, Layout.BottomMargin,
                       Layout.MinTextWidth, Layout.MaxTextWidth})
        if (Length < 0 || Length > MaxLength)
            return false;
    return true;
}

// Whether an HTML call writes the head of a page (and so starts a page).
bool WritesPageHead(TRVSaveOptions Options)
{
    return !Options.Contains(rvsoMiddleOnly) && !Options.Contains(rvsoLastOnly);
}

} // namespace

// ---------------------------------------------------------------------------
// Search and the selection

bool TCustomRollView::SearchText(const AnsiString& s, TRVSearchOptions SrchOptions)
{
    return RVData->SearchText(SrchOptions.Contains(rvsroDown), SrchOptions.Contains(rvsroMatchCase),
                              SrchOptions.Contains(rvsroWholeWord), s);
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

bool TCustomRollView::LoadRVF(const AnsiString& FileName)
{
    TColor Color = this->Color();
    TRVLayoutInfo Layout;
    const bool Result = RVData->LoadRVF(FileName, Color, Background(), &Layout);
    if (Layout.Loaded && LayoutIsPlausible(Layout))
        ApplyLayoutInfo(&Layout);
    SetColor(Color);
    AdoptLoadedBackground(this);
    return Result;
}

bool TCustomRollView::LoadRVFFromStream(TStream* Stream)
{
    if (!Stream)
        return false;
    TColor Color = this->Color();
    TRVLayoutInfo Layout;
    const bool Result = RVData->LoadRVFFromStream(*Stream, Color, Background(), &Layout);
    if (Layout.Loaded && LayoutIsPlausible(Layout))
        ApplyLayoutInfo(&Layout);
    SetColor(Color);
    AdoptLoadedBackground(this);
    return Result;
}

bool TCustomRollView::InsertRVFFromStream(TStream* Stream, int Index)
{
    if (!Stream)
        return false;
    TColor Color = this->Color();
    const bool Result = RVData->InsertRVFFromStream(*Stream, Index, Color, nullptr, nullptr, false);
    // Items went in among the laid-out ones: the next layout is a full one.
    RVData->InvalidateTailLayout();
    SetColor(Color);
    return Result;
}

bool TCustomRollView::AppendRVFFromStream(TStream* Stream, int ParaNo)
{
    if (!Stream)
        return false;
    TColor Color = this->Color();
    const bool Result = RVData->AppendRVFFromStream(*Stream, ParaNo, Color, Background());
    RVData->InvalidateTailLayout();
    SetColor(Color);
    AdoptLoadedBackground(this);
    return Result;
}

bool TCustomRollView::SaveRVF(const AnsiString& FileName, bool SelectionOnly)
{
    // The writer writes the layout record only as the RVF options ask.
    std::unique_ptr<TRVLayoutInfo> Layout(CreateLayoutInfo());
    return RVData->SaveRVF(FileName, SelectionOnly, Color(), Background(), Layout.get());
}

bool TCustomRollView::SaveRVFToStream(TStream* Stream, bool SelectionOnly)
{
    if (!Stream)
        return false;
    std::unique_ptr<TRVLayoutInfo> Layout(CreateLayoutInfo());
    return RVData->SaveRVFToStream(*Stream, SelectionOnly, Color(), Background(), Layout.get());
}

// ---------------------------------------------------------------------------
// RTF

bool TCustomRollView::LoadRTF(const AnsiString& FileName)
{
    // Relative pictures and links of the file are found beside it.
    GetRTFReadProperties()->BasePath = ExtractFilePath(FileName);
    const TRVRTFErrorCode Result = RVData->LoadRTF(FileName);
    // The first text read may have joined the last item: lay out everything next.
    RVData->InvalidateTailLayout();
    return Result == rtf_ec_OK;
}

bool TCustomRollView::LoadRTFFromStream(TStream* Stream)
{
    if (!Stream)
        return false;
    GetRTFReadProperties();
    const TRVRTFErrorCode Result = RVData->LoadRTFFromStream(*Stream);
    RVData->InvalidateTailLayout();
    return Result == rtf_ec_OK;
}

bool TCustomRollView::SaveRTF(const AnsiString& FileName, bool SelectionOnly)
{
    return RVData->SaveRTF(FileName, SelectionOnly, Color(), Background());
}

bool TCustomRollView::SaveRTFToStream(TStream* Stream, bool SelectionOnly)
{
    return Stream && RVData->SaveRTFToStream(*Stream, SelectionOnly, 0, Color(), Background(), nullptr,
                                             nullptr, nullptr, nullptr, nullptr, 0);
}

// ---------------------------------------------------------------------------
// HTML

bool TCustomRollView::SaveHTML(const AnsiString& FileName, const AnsiString& Title,
                               const AnsiString& ImagesPrefix, TRVSaveOptions Options)
{
    return RVData->SaveHTML(FileName, Title, ImagesPrefix, Options, Color(), ImagesCounter, LeftMargin(),
                            TopMargin(), RightMargin(), BottomMargin(), Background());
}

bool TCustomRollView::SaveHTMLToStream(TStream* Stream, const AnsiString& Path, const AnsiString& Title,
                                       const AnsiString& ImagesPrefix, TRVSaveOptions Options)
{
    if (!Stream)
        return false;
    // The pictures written for another page lie in its folder, not in this one's.
    if (WritesPageHead(Options))
        HTMLBullets()->Clear();
    return RVData->SaveHTMLToStream(*Stream, Path, Title, ImagesPrefix, Options, Color(), ImagesCounter,
                                    LeftMargin(), TopMargin(), RightMargin(), BottomMargin(), Background(),
                                    HTMLBullets());
}

bool TCustomRollView::SaveHTMLEx(const AnsiString& FileName, const AnsiString& Title,
                                 const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                                 const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                                 TRVSaveOptions Options)
{
    TColor CurrentFileColor = Color();
    return RVData->SaveHTMLEx(FileName, Title, ImagesPrefix, ExtraStyles, ExternalCSS, CPPrefix, Options,
                              Color(), CurrentFileColor, ImagesCounter, LeftMargin(), TopMargin(),
                              RightMargin(), BottomMargin(), Background());
}

bool TCustomRollView::SaveHTMLToStreamEx(TStream* Stream, const AnsiString& Path, const AnsiString& Title,
                                         const AnsiString& ImagesPrefix, const AnsiString& ExtraStyles,
                                         const AnsiString& ExternalCSS, const AnsiString& CPPrefix,
                                         TRVSaveOptions Options)
{
    if (!Stream)
        return false;
    if (WritesPageHead(Options))
        HTMLBullets()->Clear();
    TColor CurrentFileColor = Color();
    return RVData->SaveHTMLToStreamEx(*Stream, Path, Title, ImagesPrefix, ExtraStyles, ExternalCSS, CPPrefix,
                                      Options, Color(), CurrentFileColor, ImagesCounter, LeftMargin(),
                                      TopMargin(), RightMargin(), BottomMargin(), Background(),
                                      HTMLBullets());
}

AnsiString TCustomRollView::SavePicture(TRVSaveFormat DocumentSaveFormat, const AnsiString& Path,
                                        TGraphic* gr)
{
    return RVData->SavePicture(DocumentSaveFormat, ImagesPrefix, Path, ImagesCounter, OverrideImages(),
                               GetColor(), gr);
}
