// The RTF import into documents: one load, the text and picture events of the
// reader, placing items by the continuation rule, page breaks, headers and
// footers, and the hyperlinks of fields.
#include "rtf/rvrtfimport.h"

#include <algorithm>
#include <utility>

#include "document/crvdata.h"
#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/codepages.h"
#include "platform/core/numbers.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "table/rvtable.h"

namespace {

// Ends a load whose first item the target refused; the reader turns it into
// rtf_ec_Exception.
struct TRVRTFAbort {};

// The stronger of two positions: a new paragraph over a new line over a continuation.
TRVRTFPosition Stronger(TRVRTFPosition a, TRVRTFPosition b)
{
    auto rank = [](TRVRTFPosition p) { return p == rtf_ts_NewPara ? 2 : p == rtf_ts_NewLine ? 1 : 0; };
    return rank(a) >= rank(b) ? a : b;
}

} // namespace

void RV_RegisterRTFImport()
{
    RVSetRTFConverterFactory([] { return std::make_unique<TRVRTFImport>(); });
}

// Any program that links the import has it installed from the start. A static
// library gives a program only the objects it names, so the library's link
// options ask the linker for this symbol: this object, and with it the
// installing initialiser, is linked even into a program that only loads RTF
// through the viewer.
extern "C" const bool RVRTFImportInstalled = (RV_RegisterRTFImport(), true);

// ---------------------------------------------------------------------------
// One load

TRVRTFErrorCode TRVRTFImport::ReadFromStream(TRVRTFReaderProperties& properties, TStream& stream,
                                             TCustomRVData* rvData)
{
    FProps = &properties;
    FMain = rvData;
    FStyle = rvData ? rvData->GetRVStyle() : nullptr;
    // Styles cannot be chosen without a style sheet.
    if (!FStyle)
        return rtf_ec_Assertion;
    if (FStyle->TextStyles()->Count() == 0)
        FStyle->TextStyles()->Add();
    if (FStyle->ParaStyles()->Count() == 0)
        FStyle->ParaStyles()->Add();
    FIndex = rvData->GetItemCount();

    TRVRTFReader reader(nullptr);
    InitReader(reader, rvData);
    TRVRTFErrorCode result = reader.ReadFromStream(stream);
    FReader = &reader;
    if (result == rtf_ec_OK || !FAborted) {
        try {
            // Tables a failed read left open keep what was read into them.
            while (!FTables.empty())
                TableEnd();
            UpdateMarker();
            SetTarget(FMain);
            CloseMarker();
            PlaceLastCheckpoints();
        } catch (const std::exception&) {
            result = rtf_ec_Exception;
        }
    }
    FReader = nullptr;
    return FAborted ? rtf_ec_Exception : result;
}

void TRVRTFImport::InitReader(TRVRTFReader& reader, TCustomRVData* rvData)
{
    FReader = &reader;
    FTarget = rvData;
    FTwipsToPixels = ScreenPixelsPerInch() / 1440.0;
    reader.ConvertHighlight = static_cast<TRVRTFHighlightConvert>(FProps->ConvertHighlight());
    reader.BasePath = FProps->BasePath;
    reader.ReadExternalPictures = !FProps->BasePath.empty();
    reader.DefCodePage = rvData->GetDefaultCodePage();
    // Without markers the numbering text of the paragraphs is their only numbering.
    reader.ReadListText = FProps->ParaStyleMode() != rvrsAddIfNeeded;
    reader.OnUpdateMarker = [this](TRVRTFReader*) { UpdateMarker(); };
    reader.OnNewText = [this](TRVRTFReader*, const AnsiString& text, TRVRTFPosition position) {
        NewText(text, position);
    };
    if (FProps->UnicodeMode() != rvruNoUnicode)
        reader.OnNewUnicodeText = [this](TRVRTFReader*, const WideString& text, TRVRTFPosition position) {
            NewUnicodeText(text, position);
        };
    if (!FProps->IgnorePictures())
        reader.OnNewPicture = [this](TRVRTFReader*, TRVRTFPicture* picture, std::unique_ptr<TGraphic> graphic,
                                     TRVRTFPosition position) {
            NewPicture(picture, std::move(graphic), position);
        };
    reader.OnRequiredPageBreak = [this](TRVRTFReader*) { FPageBreak = true; };
    reader.OnBookmarkStart = [this](TRVRTFReader*, const AnsiString& name) { BookmarkStart(name); };
    reader.OnTable = [this](TRVRTFReader*, TRVRTFTableEventKind whatHappens) { ReaderTable(whatHappens); };
    if (FProps->Header() || FProps->Footer()) {
        reader.OnHeaderFooter = [this](TRVRTFReader*, TRVRTFHeaderFooterType hfType, bool starting) {
            HeaderFooter(hfType, starting);
        };
        if (FProps->Header())
            FProps->Header()->Clear();
        if (FProps->Footer())
            FProps->Footer()->Clear();
    }
}

// ---------------------------------------------------------------------------
// Text

void TRVRTFImport::NewText(const AnsiString& text, TRVRTFPosition position)
{
    AddText(&text, nullptr, position);
}

void TRVRTFImport::NewUnicodeText(const WideString& text, TRVRTFPosition position)
{
    AddText(nullptr, &text, position);
}

void TRVRTFImport::AddText(const AnsiString* ansi, const WideString* wide, TRVRTFPosition position)
{
    TRVRTFReaderState& state = FReader->State();
    if (FProps->SkipHiddenText() && state.CharProps.Hidden) {
        // The paragraph or line the hidden text began still begins.
        FHeldPosition = Stronger(FHeldPosition, position);
        return;
    }
    if (ansi && ansi->empty() && position == rtf_ts_NewPara) {
        if (FAfterRule && IsWrittenRule(false)) {
            FAfterRule = false;
            return;
        }
        if (IsWrittenRule(true)) {
            InsertRule();
            return;
        }
    }
    const bool wantUnicode =
        wide ? FProps->UnicodeMode() != rvruNoUnicode : FProps->UnicodeMode() == rvruOnlyUnicode;
    int styleNo = ReturnStyleNo(wantUnicode);
    std::unique_ptr<TCustomRVItemInfo> item(RollViewTextItemClass->Create(FTarget));
    item->BeforeLoading(rvlfRTF);
    bool styleUnicode = FStyle->TextStyles()->Items(styleNo)->Unicode();

    // The letters go into the style's code page; a style that cannot hold
    // them gives way to a style that can.
    auto toStyle = [&](const WideString& letters) {
        if (!StyleHolds(styleNo, letters)) {
            styleNo = StyleHoldingText(styleNo, letters, wantUnicode);
            styleUnicode = FStyle->TextStyles()->Items(styleNo)->Unicode();
        }
        return styleUnicode ? RVU_GetRawUnicode(letters)
                            : RVRTFUnicodeToAnsi(letters, StyleCodePage(styleNo));
    };
    AnsiString text;
    if (wide) {
        text = toStyle(*wide);
    } else {
        // The bytes are letters of the font's code page: a style of another
        // code page gets them converted.
        const unsigned codePage = FReader->TextCodePage();
        if (styleUnicode || (codePage != CP_SYMBOL && codePage != StyleCodePage(styleNo)))
            text = toStyle(FReader->AnsiToUnicode(*ansi, codePage));
        else
            text = *ansi;
    }
    text = FTarget->ReplaceTabs(text, styleNo, false);

    AnsiString target, extras;
    if (IsHypertext(target, extras)) {
        int linkStyle = styleNo;
        TRVTag tag = item->GetTag();
        FTarget->ReadHyperlink(target, extras, rvlfRTF, linkStyle, tag, text);
        item->SetTag(std::move(tag));
        // A style of the other encoding would misread the text already converted.
        if (linkStyle >= 0 && linkStyle < FStyle->TextStyles()->Count() &&
            FStyle->TextStyles()->Items(linkStyle)->Unicode() == styleUnicode)
            styleNo = linkStyle;
    }
    if (styleUnicode)
        item->ItemOptions.Include(rvioUnicode);
    item->StyleNo = styleNo;
    InsertItem(text, std::move(item), position);
}

unsigned TRVRTFImport::StyleCodePage(int styleNo) const
{
    const int charset = FStyle->TextStyles()->Items(styleNo)->Charset();
    return charset == SYMBOL_CHARSET ? CP_SYMBOL : ResolveCodePage(RVU_Charset2CodePage(charset));
}

bool TRVRTFImport::IsHypertext(AnsiString& target, AnsiString& extras) const
{
    const AnsiString instruction = Trim(FReader->State().FieldInstruction);
    static const AnsiString keyword = "HYPERLINK";
    if (instruction.compare(0, keyword.size(), keyword) != 0)
        return false;
    target.clear();
    extras.clear();
    bool haveTarget = false;
    const AnsiString rest = instruction.substr(keyword.size());
    size_t pos = 0;
    while (pos < rest.size()) {
        while (pos < rest.size() && rest[pos] == ' ')
            ++pos;
        size_t end = pos;
        if (pos < rest.size() && rest[pos] == '"') {
            // A quoted word keeps its blanks (a file name with spaces).
            const size_t close = rest.find('"', pos + 1);
            end = close == AnsiString::npos ? rest.size() : close + 1;
        }
        while (end < rest.size() && rest[end] != ' ')
            ++end;
        AnsiString word = rest.substr(pos, end - pos);
        pos = end;
        if (word.empty())
            continue;
        if (word[0] == '\\' || haveTarget) {
            if (!extras.empty())
                extras += ' ';
            extras += word;
            continue;
        }
        if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
            word = word.substr(1, word.size() - 2);
        else if (!word.empty() && word.front() == '"')
            word = word.substr(1);
        target = word;
        haveTarget = true;
    }
    if (!FProps->BasePath.empty() && target.find(':') == AnsiString::npos)
        target = FProps->BasePath + target;
    return true;
}

bool TRVRTFImport::IsHypertextAnywhere() const
{
    return FReader->State().FieldInstruction.find("HYPERLINK") != AnsiString::npos;
}

// ---------------------------------------------------------------------------
// Pictures

void TRVRTFImport::NewPicture(TRVRTFPicture* picture, std::unique_ptr<TGraphic> graphic,
                              TRVRTFPosition position)
{
    std::unique_ptr<TCustomRVItemInfo> item;
    AnsiString text;
    AnsiString target, extras;
    const bool hypertext = IsHypertext(target, extras);
    if (FProps->OnCustomImageItem) {
        item = CustomImageItem(picture, std::move(graphic), hypertext, target, extras, text);
        if (!item)
            return;
    } else {
        // A picture that could not be made shows as the sheet's invalid picture.
        if (!graphic) {
            const TPicture* invalid = FStyle->InvalidPicture();
            if (invalid && invalid->Graphic()) {
                graphic.reset(RV_CreateGraphics(GraphicClassOf(invalid->Graphic())));
                if (graphic)
                    graphic->Assign(invalid->Graphic());
            }
            if (!graphic)
                return;
        }
        if (hypertext) {
            int styleNo = rvsPicture;
            TRVTag tag;
            FTarget->ReadHyperlink(target, extras, rvlfRTF, styleNo, tag, text);
            std::unique_ptr<TCustomRVItemInfo> made(CreateRollViewItem(styleNo, FTarget));
            if (auto* graphicItem = dynamic_cast<TRVGraphicItemInfo*>(made.get())) {
                graphicItem->SetImage(graphic.release());
                graphicItem->SetTag(std::move(tag));
                item = std::move(made);
            }
        }
        if (!item)
            item = std::make_unique<TRVGraphicItemInfo>(FTarget, graphic.release(), rvvaBaseline);
    }
    if (auto* graphicItem = dynamic_cast<TRVGraphicItemInfo*>(item.get()))
        ScalePicture(*graphicItem, picture);
    InsertItem(text, std::move(item), position);
}

std::unique_ptr<TCustomRVItemInfo> TRVRTFImport::CustomImageItem(TRVRTFPicture* picture,
                                                                 std::unique_ptr<TGraphic> graphic,
                                                                 bool hypertext, const AnsiString& target,
                                                                 const AnsiString& extras, AnsiString& text)
{
    TCustomRVItemInfo* made = nullptr;
    bool freeGraphic = true;
    FProps->OnCustomImageItem(FTarget, graphic.get(), hypertext, made, freeGraphic, picture);
    std::unique_ptr<TCustomRVItemInfo> item(made);
    // The item that holds the graphic owns it; a graphic the handler keeps is its own.
    auto* graphicItem = dynamic_cast<TRVGraphicItemInfo*>(item.get());
    if ((graphicItem && graphic && graphicItem->Image() == graphic.get()) || !freeGraphic)
        graphic.release();
    if (item && hypertext) {
        int styleNo = item->StyleNo;
        TRVTag tag = item->GetTag();
        FTarget->ReadHyperlink(target, extras, rvlfRTF, styleNo, tag, text);
        item->SetTag(std::move(tag));
        item->StyleNo = styleNo;
    }
    return item;
}

void TRVRTFImport::ScalePicture(TRVGraphicItemInfo& item, const TRVRTFPicture* picture) const
{
    const TGraphic* graphic = item.Image();
    if (!picture || !graphic)
        return;
    const bool scaled = picture->PicScaleX != 100 || picture->PicScaleY != 100 ||
                        dynamic_cast<const TMetafile*>(graphic) != nullptr;
    if (!scaled)
        return;
    const int w = picture->SuggestedWidth > 0 ? picture->SuggestedWidth : graphic->Width();
    const int h = picture->SuggestedHeight > 0 ? picture->SuggestedHeight : graphic->Height();
    item.ImageWidth = RVRTFClamp(MulDiv(w, picture->PicScaleX, 100), 0, rtfMaxPictureSide);
    item.ImageHeight = RVRTFClamp(MulDiv(h, picture->PicScaleY, 100), 0, rtfMaxPictureSide);
}

// ---------------------------------------------------------------------------
// Bookmarks

namespace {

// The name our writer gives a checkpoint without one: "RollViewCheckpoint" and digits.
bool IsUnnamedCheckpointName(const AnsiString& name)
{
    static const AnsiString prefix = "RollViewCheckpoint";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(name.begin() + prefix.size(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void TRVRTFImport::BookmarkStart(const AnsiString& name)
{
    // Hidden bookmarks go with the hidden text they mark.
    if (FProps->SkipHiddenText() && FReader->State().CharProps.Hidden)
        return;
    // A bookmark per item at most is kept; a document never names more than
    // one per word, so this bound only stops a flood.
    if (FBookmarks.size() < 1024)
        FBookmarks.push_back(IsUnnamedCheckpointName(name) ? AnsiString() : name);
}

void TRVRTFImport::PlaceCheckpoint(int itemNo)
{
    // A list marker is made from the paragraph's numbering when its first item
    // arrives: the bookmarks before that item are the item's.
    if (FBookmarks.empty() || itemNo < 0 || itemNo >= FTarget->GetItemCount() ||
        FTarget->GetItem(itemNo)->GetCheckpoint() || FTarget->GetItem(itemNo)->StyleNo == rvsListMarker)
        return;
    FTarget->InsertCheckpoint(itemNo, TRVTag(), FBookmarks.front(), false);
    FBookmarks.erase(FBookmarks.begin());
}

void TRVRTFImport::PlaceLastCheckpoints()
{
    // Only the main document keeps a checkpoint after its last item.
    if (!FBookmarks.empty() && FTarget == FMain)
        FMain->AddNamedCheckpointExTag(FBookmarks.front(), false, TRVTag());
    FBookmarks.clear();
}

// ---------------------------------------------------------------------------
// Headers and footers

void TRVRTFImport::HeaderFooter(TRVRTFHeaderFooterType hfType, bool starting)
{
    if (!starting) {
        // The end of the group being read leads back to what was read before
        // it; a skipped group ends inside one that is read, or outside any.
        if (hfType == FHFType && !FOuterHFTypes.empty()) {
            FHFType = FOuterHFTypes.back();
            FOuterHFTypes.pop_back();
            SetTarget(FTables.empty() ? OutsideTarget() : BufferCell(*FTables.back(), FCol));
        }
        return;
    }
    TCustomRVData* target = hfType == rtf_hf_Header   ? FProps->Header()
                            : hfType == rtf_hf_Footer ? FProps->Footer()
                                                      : nullptr;
    if (!target) {
        // A group with no document to go into is skipped, as it is when
        // neither a header nor a footer is given: its text is no body text.
        FReader->SkipGroup();
        return;
    }
    const TRVRTFSectionProperties& section = FReader->State().SectionProps;
    if (hfType == rtf_hf_Header)
        FProps->HeaderYPx = Px(section.HeaderY);
    else
        FProps->FooterYPx = Px(section.FooterY);
    // A group inside one of its own type ends unreported and goes on into
    // the same document.
    if (hfType != FHFType) {
        FOuterHFTypes.push_back(FHFType);
        FHFType = hfType;
    }
    SetTarget(target);
}

void TRVRTFImport::SetTarget(TCustomRVData* target)
{
    if (target == FTarget)
        return;
    UpdateMarker();
    CloseMarker();
    FTarget = target;
    FAfterRule = false;
    FHeldPosition = rtf_ts_ContinuePara;
}

// ---------------------------------------------------------------------------
// Horizontal rules

bool TRVRTFImport::IsWrittenRule(bool bordered) const
{
    const TRVRTFReaderState& state = FReader->State();
    const TRVRTFCharProperties& chars = state.CharProps;
    const TRVRTFParaProperties& para = state.ParaProps;
    if (chars.Size != 3 || !chars.Style.Empty() || !chars.StyleEx.Empty() ||
        chars.SScriptType != rtf_ss_Normal || para.LeftIndent != 0 || para.RightIndent != 0 ||
        para.FirstIndent != 0 || para.SpaceBefore != 0 || para.SpaceAfter != 0 ||
        para.ListOverrideIndex >= 0 || para.HasMarker())
        return false;
    if (!bordered)
        return !para.HasBorder();
    if (!para.HasBorder())
        return false;
    for (TRVRTFSide side : {rtf_side_Left, rtf_side_Top, rtf_side_Right}) {
        const TRVRTFBorderSide* other = para.Border->Side(side);
        if (other && other->BorderType != rtf_brdr_None)
            return false;
    }
    const TRVRTFBorderSide* bottom = para.Border->Side(rtf_side_Bottom);
    return bottom && bottom->BorderType == rtf_brdr_SingleThickness && bottom->Space == 0;
}

void TRVRTFImport::InsertRule()
{
    const TRVRTFBorderSide& bottom = *FReader->State().ParaProps.Border->Side(rtf_side_Bottom);
    // The automatic colour is the rule's own default colour.
    const TColor color = bottom.Color == rtfNoColor || bottom.Color == rtfAutoColor ? clNone : bottom.Color;
    const int width = RVRTFClamp(Px(bottom.Width), 0, 255);
    auto rule = std::make_unique<TRVBreakItemInfo>(FTarget, static_cast<uint8_t>(width), rvbsLine, color);
    rule->ParaNo = 0;
    AnsiString text;
    InsertItem(text, std::move(rule), rtf_ts_NewPara, true);
    FAfterRule = true;
}

// ---------------------------------------------------------------------------
// Placing items

std::unique_ptr<TCustomRVItemInfo> TRVRTFImport::MakeEmptyText() const
{
    std::unique_ptr<TCustomRVItemInfo> item(RollViewTextItemClass->Create(FTarget));
    const int count = FStyle->TextStyles()->Count();
    const int styleNo = FProps->TextStyleMode() == rvrsUseSpecified && FProps->TextStyleNo() < count
                            ? FProps->TextStyleNo()
                            : 0;
    item->StyleNo = styleNo;
    if (FStyle->TextStyles()->Items(styleNo)->Unicode())
        item->ItemOptions.Include(rvioUnicode);
    return item;
}

int TRVRTFImport::ReturnParaNo(TRVRTFPosition position)
{
    if (position == rtf_ts_NewPara)
        return ReturnNewParaNo();
    if (InMain())
        return FIndex > 0 ? FMain->GetItemPara(FIndex - 1) : 0;
    const int count = FTarget->GetItemCount();
    return count > 0 ? FTarget->GetItemPara(count - 1) : 0;
}

void TRVRTFImport::InsertItem(AnsiString& text, std::unique_ptr<TCustomRVItemInfo> item,
                              TRVRTFPosition position, bool keepParaNo)
{
    position = Stronger(position, FHeldPosition);
    FHeldPosition = rtf_ts_ContinuePara;
    FAfterRule = false;
    // What follows a page break starts the page's first paragraph.
    if (FPageBreak && item->StyleNo != rvsListMarker)
        position = rtf_ts_NewPara;
    const bool isMarker = item->StyleNo == rvsListMarker;
    keepParaNo = keepParaNo || item->StyleNo == rvsTable;
    // A load continues the paragraph the document ends with: the first text
    // read joins it (a numbered paragraph keeps its own line and marker).
    if (FFirstItem && InMain() && position == rtf_ts_NewPara && !FPageBreak && !isMarker && !keepParaNo &&
        !ParagraphNumbered() && FIndex > 0 && !FMain->GetItem(FIndex - 1)->GetBoolValue(rvbpFullWidth))
        position = rtf_ts_ContinuePara;
    if (!isMarker && !keepParaNo)
        item->ParaNo = ReturnParaNo(position);

    TCustomRVItemInfo* prev = nullptr;
    if (InMain())
        prev = FIndex > 0 ? FMain->GetItem(FIndex - 1) : nullptr;
    else if (FTarget->GetItemCount() > 0)
        prev = FTarget->GetItem(FTarget->GetItemCount() - 1);

    bool sameAsPrev = false, br = false;
    if (position == rtf_ts_ContinuePara)
        sameAsPrev = true;
    else if (position == rtf_ts_NewLine && !FProps->LineBreaksAsParagraphs())
        br = true;
    else if (!isMarker && !keepParaNo && FPendingMarker < 0 && InsertMarker(item->ParaNo)) {
        sameAsPrev = true;
        if (InMain())
            prev = FMain->GetItem(FIndex - 1);
        else
            prev = FTarget->GetItem(FTarget->GetItemCount() - 1);
    }
    // Nothing continues an empty document or a full-width item, and a line of
    // its own starts with an item, not after a marker.
    if (!prev || prev->GetBoolValue(rvbpFullWidth))
        sameAsPrev = br = false;
    if (prev && prev->StyleNo == rvsListMarker && !sameAsPrev) {
        // A marker is never followed directly by another paragraph's item.
        // The page break waits for the item that starts the next paragraph.
        const bool pageBreak = FPageBreak;
        FPageBreak = false;
        AnsiString empty;
        InsertItem(empty, MakeEmptyText(), rtf_ts_ContinuePara);
        FPageBreak = pageBreak;
    }
    item->SetSameAsPrev(sameAsPrev);
    item->SetBR(br);
    if (sameAsPrev && prev)
        item->ParaNo = prev->ParaNo;
    if (FPageBreak && !sameAsPrev && !br) {
        item->SetPageBreakBefore(true);
        FPageBreak = false;
    }

    if (!InMain()) {
        TCustomRVItemInfo* raw = item.release();
        if (sameAsPrev)
            raw->ParaNo = -1;
        FTarget->AddItem(text, raw);
        FTarget->AddMarkerInList(FTarget->GetItemCount() - 1);
        FLastInserted = FTarget->GetItemCount() - 1;
        PlaceCheckpoint(FLastInserted);
        // Something read after the last row of the open table.
        if (!FTables.empty() && FTarget != OutsideTarget())
            FTables.back()->RowEnded = false;
        return;
    }
    if (FFirstItem) {
        TCustomRVItemInfo* raw = item.release();
        bool fullReformat = false;
        int newListNo = -1;
        int index = FIndex;
        if (!FMain->InsertFirstRVFItem(index, text, raw, false, fullReformat, newListNo)) {
            delete raw;
            FAborted = true;
            throw TRVRTFAbort();
        }
        if (!raw)
            return; // merged into the item at the insertion point
        FFirstItem = false;
        FIndex = index + 1;
        FLastInserted = index;
        PlaceCheckpoint(FLastInserted);
    } else {
        TCustomRVItemInfo* raw = item.get();
        raw->Inserting(FMain, text, false);
        FMain->Items->InsertObject(FIndex, text, raw);
        item.release();
        raw->Inserted(FMain, FIndex);
        FMain->AddMarkerInList(FIndex);
        FLastInserted = FIndex;
        ++FIndex;
        PlaceCheckpoint(FLastInserted);
    }
}
