// The RVF reader of the item store: its lines, headers, style-sheet
// collections, background and the insertion of the items it reads.
#include "document/crvdata_rvfreader.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "document/crvdata.h"
#include "document/crvdata_rvf.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"
#include "platform/core/compstream.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"

namespace rvfreader {

namespace {

// Thrown inside the reader when the data cannot be read on: a header or line
// that does not follow the format. Caught by the reader itself.
struct TRVFAbort {};

[[noreturn]] void Abort()
{
    throw TRVFAbort();
}

} // namespace

TRVFReader::TRVFReader(TCustomRVData* data, int index, int aParaNo, bool allowReplaceStyles, bool appendMode,
                       bool editFlag, TColor& color, TRVFBackground* background, TRVLayoutInfo* layout)
    : FirstIndex(index), FData(data), FStyle(data->GetRVStyle()),
      FTagsPC(data->GetOptions().Contains(rvoTagsArePChars)), FOptions(data->GetRVFOptions()),
      FParaNo(aParaNo), FReplaceStyles(allowReplaceStyles), FAppend(appendMode), FEdit(editFlag),
      FColor(color), FBackground(background), FLayout(layout), FInsertPoint(index)
{
    if (index == ItemCount()) {
        FCPBefore = data->LastCP;
        FPending = editFlag ? nullptr : data->NotAddedCP;
    } else {
        FCPBefore = data->FindCPBeforeItem(index);
    }
    data->InitStyleMappings(FRootMaps[0], FRootMaps[1], FRootMaps[2]);
    for (int i = 0; i < 3; ++i) {
        if (!FRootMaps[i])
            FOwnMaps[i] = std::make_unique<TRVIntegerList>();
        FMaps[i] = FRootMaps[i] ? FRootMaps[i] : FOwnMaps[i].get();
    }
}

TRVFReader::~TRVFReader()
{
    FData->DoneStyleMappings(FRootMaps[0], FRootMaps[1], FRootMaps[2]);
    // A checkpoint read but never attached, unless it is the store's own.
    if (FPending && FPending != FData->NotAddedCP)
        delete FPending;
}

bool TRVFReader::Run(std::string_view bytes)
{
    FBytes = bytes;
    FNextCR = FNextLF = std::string_view::npos;
    bool failed = false;
    try {
        while (FPos < bytes.size()) {
            const size_t start = FPos;
            const AnsiString line = CutLine();
            if (!HandleLine(line))
                return true; // stopped by InsertFirstRVFItem: the rest is not read
            PassLineEnd();
            // Every line moves on; a reader that would read one place again stops.
            if (FPos == start)
                Abort();
        }
    } catch (const TRVFAbort&) {
        failed = true;
    } catch (const std::exception&) {
        failed = true;
    }
    const bool result = !failed && FState == rstHeader && !FItemLost;
    // The paragraphs where the new items meet the old ones, also after a
    // failure, so that no paragraph is left with mixed paragraph styles.
    if (!FEdit)
        FData->NormalizeParas(FirstIndex);
    Reading = false;
    if (result && FPending && FInsertPoint == ItemCount() && !FData->NotAddedCP) {
        FData->NotAddedCP = FPending;
        ++FData->CPCount;
        FPending = nullptr;
    }
    return result;
}

// ---------------------------------------------------------------------------
// Lines

AnsiString TRVFReader::CutLine()
{
    const std::string_view b = FBytes;
    if (FMode == rmBinary) {
        if (Remaining() < 4)
            Abort();
        const auto byte = [&b, this](size_t i) {
            return static_cast<uint32_t>(static_cast<uint8_t>(b[FPos + i]));
        };
        const int32_t count = static_cast<int32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
        FPos += 4;
        // The block must lie within the data.
        if (count < 0 || static_cast<size_t>(count) > Remaining())
            Abort();
        AnsiString line(b.substr(FPos, static_cast<size_t>(count)));
        FPos += static_cast<size_t>(count);
        return line;
    }
    if (FMode == rmUnicode) {
        AnsiString line;
        while (Remaining() >= 2) {
            const WideChar unit = RVU_RawUnicodeUnit(b.data() + FPos, 0);
            if (unit == 0x2029)
                break;
            // A zero unit never ends or stalls a line: it is read as "?".
            line.push_back(unit == 0 ? '?' : b[FPos]);
            line.push_back(b[FPos + 1]);
            FPos += 2;
        }
        if (Remaining() == 1)
            ++FPos; // half a unit at the end of the data
        return line;
    }
    // A line of text runs to CR or LF; a zero byte is an ordinary byte, so
    // that it can never stop the reading in place.
    const size_t end = std::min(NextByte('\r', FNextCR), NextByte('\n', FNextLF));
    AnsiString line(b.substr(FPos, end - FPos));
    FPos = end;
    return line;
}

size_t TRVFReader::NextByte(char c, size_t& kept)
{
    // The reading position only moves on: a byte found ahead of an earlier
    // position and not yet passed is still the first ahead of this one.
    if (kept == std::string_view::npos || kept < FPos) {
        const void* found = std::memchr(FBytes.data() + FPos, c, FBytes.size() - FPos);
        kept = found ? static_cast<size_t>(static_cast<const char*>(found) - FBytes.data()) : FBytes.size();
    }
    return kept;
}

void TRVFReader::PassLineEnd()
{
    const std::string_view b = FBytes;
    const auto skipParagraphSeparator = [&b, this] {
        if (Remaining() >= 2 && b[FPos] == '\x29' && b[FPos + 1] == '\x20')
            FPos += 2;
    };
    switch (FMode) {
    case rmText:
        if (FPos < b.size() && b[FPos] == '\r')
            ++FPos;
        if (FPos < b.size() && b[FPos] == '\n')
            ++FPos;
        break;
    case rmBeforeBinary:
    case rmBeforeUnicode:
        // The data that follows starts right after a CR LF.
        if (Remaining() < 2 || b[FPos] != '\r' || b[FPos + 1] != '\n')
            Abort();
        FPos += 2;
        FMode = FMode == rmBeforeBinary ? rmBinary : rmUnicode;
        break;
    case rmBinary:
        FMode = rmText;
        break;
    case rmUnicode:
        skipParagraphSeparator();
        break;
    case rmAfterUnicode:
        skipParagraphSeparator();
        FMode = rmText;
        break;
    }
}

bool TRVFReader::HandleLine(const AnsiString& line)
{
    TRVFHeader& h = FHeader;
    switch (FState) {
    case rstHeader:
        ParseHeader(line);
        if (h.LineCount == 0)
            return InsertRecordItem();
        // Every line takes at least one byte: a count beyond the data left is false.
        if (static_cast<size_t>(h.LineCount) > Remaining())
            Abort();
        if ((!h.Item && h.StyleNo != rvsCheckpoint && h.StyleNo != rvsBack && h.StyleNo != rvsDocProperty) ||
            (h.Item && !h.Item->GetBoolValue(rvbpRequiresRVFLines))) {
            FState = rstSkip;
            if (h.LineCount == 1 && h.ReadMode == 2)
                FMode = rmBeforeBinary;
        } else {
            FState = rstData;
        }
        if (h.Item && h.StyleNo >= 0 && h.Item->ItemOptions.Contains(rvioUnicode))
            FMode = rmBeforeUnicode;
        return true;

    case rstData: {
        bool goOn = true;
        switch (h.StyleNo) {
        case rvsDocProperty:
            StyleLine(line);
            break;
        case rvsBack:
            BackgroundLine(line);
            break;
        case rvsCheckpoint:
            if (!FPending) {
                FPending = new TRVCPInfo;
                FPending->Name = line;
                FPending->Tag = h.CPTag;
                FPending->RaiseEvent = h.RaiseEvent != 0;
            }
            break;
        default:
            if (h.StyleNo >= 0) {
                goOn = InsertTextLine(line, h.LinesRead > 0);
            } else {
                if (!h.Item->ReadRVFLine(line, FData, h.ReadMode, h.LinesRead, h.LineCount, h.Name, FMode,
                                         FState))
                    Abort();
                if (h.LinesRead == h.LineCount - 1)
                    goOn = InsertRecordItem();
            }
            break;
        }
        if (!goOn)
            return false;
        if (++h.LinesRead >= h.LineCount) {
            FState = rstHeader;
            if (FMode == rmUnicode)
                FMode = rmAfterUnicode;
        }
        return true;
    }

    case rstSkip:
        ++h.LinesRead;
        if (h.LinesRead == h.LineCount - 1 && h.ReadMode == 2)
            FMode = rmBeforeBinary;
        if (h.LinesRead >= h.LineCount) {
            FState = rstHeader;
            if (FMode == rmUnicode)
                FMode = rmAfterUnicode;
            if (h.Item && h.StyleNo < 0)
                return InsertRecordItem();
        }
        return true;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Headers

void TRVFReader::ParseHeader(const AnsiString& line)
{
    FHeader = TRVFHeader();
    TRVFHeader& h = FHeader;
    TRVFLineCursor p(line);
    if (!RVFReadTextStyle(p, h.StyleNo, FStyle))
        Abort();
    if (h.StyleNo == rvsVersionInfo) {
        if (!RVFReadInteger(p, FVersion) || !RVFReadInteger(p, FSubVersion))
            Abort();
        return;
    }
    if (!RVFReadInteger(p, h.LineCount) || h.LineCount < 0)
        Abort();
    if (!RVFReadParaStyle(p, h.ParaNo, FStyle) || h.ParaNo < -1)
        Abort();
    if (h.StyleNo != rvsBack && h.StyleNo != rvsCheckpoint && h.StyleNo != rvsDocProperty) {
        h.Item.reset(CreateRollViewItem(h.StyleNo, FData));
        if (h.Item)
            h.Item->BeforeLoading(rvlfRVF);
    }
    if (FVersion >= 1 && FSubVersion >= 2) {
        int options = 0;
        if (!RVFReadInteger(p, options))
            Abort();
        // Only the four option bits exist.
        if (h.Item)
            h.Item->ItemOptions = TRVItemOptions::FromBits(static_cast<uint8_t>(options & 0x0F));
    }
    TRVTag tag;
    if (!RVFReadInteger(p, h.ReadMode) || !RVFReadTag(p, FTagsPC, tag))
        Abort();
    if (h.StyleNo == rvsDocProperty && !RVFReadInteger(p, h.Kind))
        Abort();
    if (h.StyleNo == rvsCheckpoint)
        h.CPTag = tag;
    else if (h.Item)
        h.Item->SetTag(tag);

    if (h.Item && h.StyleNo >= 0)
        h.Item->StyleNo = h.StyleNo =
            MapStyle(h.StyleNo, FMaps[0], FStyle ? FStyle->TextStyles()->Count() : -1);
    if (h.Item && h.ParaNo >= 0)
        h.ParaNo = MapStyle(h.ParaNo, FMaps[1], FStyle ? FStyle->ParaStyles()->Count() : -1);

    switch (h.StyleNo) {
    case rvsBack: {
        int color = 0;
        if (!RVFReadInteger(p, h.BackStyle) || !RVFReadInteger(p, color))
            Abort();
        if (FOptions.Contains(rvfoLoadBack)) {
            FColor = static_cast<TColor>(color);
            if (FBackground) {
                FBackground->SetRVFBackgroundStyle(h.BackStyle);
                FBackground->SetRVFBackgroundImage(nullptr);
            }
        }
        break;
    }
    case rvsCheckpoint: {
        const char c = p.Peek();
        if (c != '\0' && c != '\r' && c != '\n' && !RVFReadInteger(p, h.RaiseEvent))
            Abort();
        break;
    }
    default:
        if (h.Item && !h.Item->ReadRVFHeader(p, FData))
            Abort();
        break;
    }
}

// A style number of the file as a number of the style sheet (Count -1: no
// style sheet to check against).
int TRVFReader::MapStyle(int styleNo, TRVIntegerList* map, int count)
{
    if (map->Count() > 0) {
        if (styleNo >= map->Count() || map->Get(styleNo) < 0) {
            Warn(rvfwConvUnknownStyles);
            Abort();
        }
        styleNo = map->Get(styleNo);
    }
    if (count >= 0 && styleNo >= count) {
        Warn(rvfwConvUnknownStyles);
        if (!FOptions.Contains(rvfoConvUnknownStylesToZero))
            Abort();
        styleNo = 0;
    }
    return styleNo;
}

// ---------------------------------------------------------------------------
// Style, layout and background records

void TRVFReader::StyleLine(const AnsiString& line)
{
    const TRVFHeader& h = FHeader;
    if (h.LinesRead == 0) {
        // The style sheet's name; the data follows.
        if (h.ReadMode == 2)
            FMode = rmBeforeBinary;
        return;
    }
    if (h.LinesRead != 1)
        return;
    if (h.Kind == 1 || h.Kind == 2 || h.Kind == 4) {
        ReadCollection(line);
        return;
    }
    if (h.Kind != 3 || !FLayout || !FReplaceStyles || !FOptions.Contains(rvfoLoadLayout))
        return;
    if (h.ReadMode == 2)
        FLayout->LoadBinary(line);
    else
        FLayout->LoadText(line);
    TRVIntegerList* listMap = FMaps[2];
    if (FLayout->FirstParaAborted && FLayout->FirstMarkerListNo >= 0 && listMap->Count() > 0)
        FLayout->FirstMarkerListNo =
            FLayout->FirstMarkerListNo < listMap->Count() ? listMap->Get(FLayout->FirstMarkerListNo) : -1;
}

void TRVFReader::ReadCollection(const AnsiString& line)
{
    if (!FStyle)
        return;
    const int kind = FHeader.Kind;
    const TRVFReaderStyleMode mode =
        kind == 1 ? FData->GetRVFTextStylesReadMode() : FData->GetRVFParaStylesReadMode();
    if (mode == rvf_sIgnore)
        return;
    TMemoryStream data;
    if (FHeader.ReadMode == 2)
        RVFBytesToStream(line, data);
    else
        RVFTextString2Stream(line, data);
    if (data.Size() == 0)
        return;
    if (static_cast<const uint8_t*>(data.Memory())[0] != vaCollection)
        Abort();

    std::unique_ptr<TCustomRVInfos> read;
    if (kind == 1)
        read = std::make_unique<TFontInfos>(FStyle->GetTextStyleClass(), FStyle);
    else if (kind == 2)
        read = std::make_unique<TParaInfos>(FStyle->GetParaStyleClass(), FStyle);
    else
        read = std::make_unique<TRVListInfos>(FStyle->GetListStyleClass(), FStyle);
    {
        std::unique_ptr<TRVFListDocumentGuard> guard;
        if (kind == 4)
            guard = std::make_unique<TRVFListDocumentGuard>(static_cast<TRVListInfos*>(read.get()), FData);
        TReader reader(data, 4096);
        reader.ReadCollection(read.get());
    }

    TRVIntegerList* map = FMaps[kind == 1 ? 0 : kind == 2 ? 1 : 2];
    if (read->Count() == 0 || map->Count() > 0)
        return;
    TCustomRVInfos* target = kind == 1   ? static_cast<TCustomRVInfos*>(FStyle->TextStyles())
                             : kind == 2 ? static_cast<TCustomRVInfos*>(FStyle->ParaStyles())
                                         : static_cast<TCustomRVInfos*>(FStyle->ListStyles());
    if (FReplaceStyles)
        target->Assign(read.get());
    else
        target->MergeWith(read.get(), mode == rvf_sInsertMap ? rvs_merge_Map : rvs_merge_SmartMerge, map);
}

void TRVFReader::BackgroundLine(const AnsiString& line)
{
    const TRVFHeader& h = FHeader;
    if (h.LinesRead == 0) {
        // The picture's class name: the background picture is a bitmap.
        if (h.ReadMode == 2)
            FMode = rmBeforeBinary;
        return;
    }
    if (FOptions.Contains(rvfoLoadBack)) {
        auto bitmap = std::make_unique<TBitmap>();
        try {
            if (h.ReadMode == 2)
                RVFLoadPictureBinary(line, bitmap.get());
            else if (!RVFLoadPicture(line, bitmap.get()))
                Abort();
        } catch (const EOutOfResources&) {
            // Past the read's pixel allowance: no background picture, and the
            // read goes on.
            bitmap.reset();
            Warn(rvfwInvalidPicture);
        }
        if (FBackground && bitmap)
            FBackground->SetRVFBackgroundImage(bitmap.release());
    }
    FState = rstSkip;
}

// ---------------------------------------------------------------------------
// Inserting items

bool TRVFReader::InsertRecordItem()
{
    TRVFHeader& h = FHeader;
    if (h.StyleNo == rvsBack || h.StyleNo == rvsVersionInfo)
        return true;
    if (!h.Item) {
        DropPending();
        return true;
    }
    if (h.StyleNo >= 0)
        return InsertTextLine(AnsiString(), false);
    return InsertItem(std::move(h.Item), h.Name, false);
}

bool TRVFReader::InsertTextLine(const AnsiString& line, bool newLine)
{
    const TCustomRVItemInfo* Template = FHeader.Item.get();
    if (FEdit && FStyle &&
        FStyle->TextStyles()->Items(Template->StyleNo)->Protection().Contains(rvprRVFInsertProtect))
        return true;
    std::unique_ptr<TCustomRVItemInfo> item(RollViewTextItemClass->Create(FData));
    item->BeforeLoading(rvlfRVF);
    item->Assign(Template);
    item->SetTag(RV_CopyTag(Template->GetTag(), FTagsPC));
    return InsertItem(std::move(item), line, newLine);
}

bool TRVFReader::InsertItem(std::unique_ptr<TCustomRVItemInfo> item, AnsiString text, bool newLine)
{
    // An item that could not be made (a picture or a control whose data was
    // not saved and that no handler supplies): the rest is read, and the
    // load says that it lost something.
    if (!item->GetBoolValue(rvbpValid)) {
        FItemLost = true;
        return true;
    }

    // A full-width item neither continues a line nor is continued.
    const bool FullWidth = item->GetBoolValue(rvbpFullWidth);
    const auto CanContinue = [&] {
        return !FullWidth && ItemCount() > 0 && FInsertPoint > 0 &&
               !FData->GetItem(FInsertPoint - 1)->GetBoolValue(rvbpFullWidth);
    };
    const auto place = [&](int paraNo) {
        if (paraNo == -1 && CanContinue()) {
            item->SetSameAsPrev(true);
            item->ParaNo = FData->GetItem(FInsertPoint - 1)->ParaNo;
        } else {
            item->SetSameAsPrev(false);
            item->ParaNo = paraNo < 0 ? 0 : paraNo;
        }
        if (FullWidth)
            item->SetBR(false);
    };
    // Lines of a text record after the first start lines of their own.
    place(newLine && FHeader.ParaNo == -1 ? 0 : FHeader.ParaNo);
    FData->UpdateItemPaletteInfo(item.get(), false);

    if (item->StyleNo >= 0) {
        const bool unicode = item->ItemOptions.Contains(rvioUnicode);
        if (FStyle) {
            const bool styleUnicode = FStyle->TextStyles()->Items(item->StyleNo)->Unicode();
            if (unicode && !styleUnicode) {
                text = RVU_UnicodeToAnsi(FData->GetStyleCodePage(item->StyleNo), text);
                item->ItemOptions.Exclude(rvioUnicode);
                Warn(rvfwConvFromUnicode);
            } else if (!unicode && styleUnicode) {
                text = RVU_AnsiToUnicode(FData->GetStyleCodePage(item->StyleNo), text);
                item->ItemOptions.Include(rvioUnicode);
                Warn(rvfwConvToUnicode);
            }
        }
        if (!item->ItemOptions.Contains(rvioUnicode))
            TCustomRVData::Replace0(text);
    }

    int oldListNo = -1;
    if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item.get())) {
        if (marker->ListNo >= 0) {
            oldListNo = marker->ListNo;
            TRVIntegerList* listMap = FMaps[2];
            if (listMap->Count() > 0)
                marker->ListNo = marker->ListNo < listMap->Count() ? listMap->Get(marker->ListNo) : -1;
            // A list the style sheet does not have: the marker shows no level.
            if (marker->ListNo < 0 || (FStyle && marker->ListNo >= FStyle->ListStyles()->Count())) {
                marker->ListNo = -1;
                Warn(rvfwConvUnknownStyles);
            }
        }
    }

    if (!FFirst) {
        TCustomRVItemInfo* raw = item.get();
        raw->Inserting(FData, text, false);
        FData->Items->InsertObject(FInsertPoint, text, raw);
        item.release();
        AttachPending(raw);
        raw->Inserted(FData, FInsertPoint);
        FData->AddMarkerInList(FInsertPoint);
        ++FInsertPoint;
        ++NonFirstItemsAdded;
        AfterInsert(FInsertPoint - 1, raw);
        return true;
    }

    if (FAppend)
        place(FParaNo);
    AttachPending(item.get());
    TCustomRVItemInfo* raw = item.release();
    int index = FInsertPoint;
    int newListNo = -1;
    bool goOn = false;
    try {
        goOn = FData->InsertFirstRVFItem(index, text, raw, FEdit, FullReformat, newListNo);
    } catch (...) {
        if (raw && FData->GetItemNo(raw) < 0)
            Discard(raw);
        throw;
    }
    if (!goOn) {
        if (raw && FData->GetItemNo(raw) < 0)
            Discard(raw);
        return false;
    }
    if (raw) {
        FInsertPoint = index + 1;
        FirstIndex = index;
        FFirst = false;
        AfterInsert(index, raw);
    } else if (FPending && FPending != FData->NotAddedCP) {
        delete FPending;
        FPending = nullptr;
    }
    TRVIntegerList* listMap = FMaps[2];
    if (oldListNo >= 0 && newListNo >= 0 && oldListNo < listMap->Count())
        listMap->Put(oldListNo, newListNo);
    return true;
}

void TRVFReader::AttachPending(TCustomRVItemInfo* item)
{
    if (!FPending)
        return;
    TRVCPInfo* cp = FPending;
    FPending = nullptr;
    if (cp == FData->NotAddedCP) {
        FData->NotAddedCP = nullptr;
        --FData->CPCount;
    }
    if (FEdit) {
        // The editor links it into the chain itself.
        item->SetCheckpoint(cp);
        cp->ItemInfo = item;
    } else {
        ++FData->CPCount;
        FData->SetCP(item, FCPBefore, cp);
    }
    FCPBefore = item->GetCheckpoint();
}

void TRVFReader::DropPending()
{
    if (FPending && FPending != FData->NotAddedCP)
        delete FPending;
    FPending = nullptr;
}

void TRVFReader::AfterInsert(int itemNo, TCustomRVItemInfo* item)
{
    FData->ControlAction(rvcaAfterRVFLoad, itemNo, item);
    if (!FData->State.Contains(rvstLoadingAsPartOfItem))
        item->AfterLoading(rvlfRVF);
}

void TRVFReader::Discard(TCustomRVItemInfo* item)
{
    TRVCPInfo* cp = item->GetCheckpoint();
    if (cp && cp->ItemInfo == item) {
        item->SetCheckpoint(nullptr);
        if (FCPBefore == cp)
            FCPBefore = cp->Prev;
        if (FEdit)
            delete cp;
        else
            FData->FreeCheckpoint(cp, true, true);
    }
    delete item;
}

} // namespace rvfreader
