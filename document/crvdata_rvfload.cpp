// The RVF reader of the item store: a line-driven state machine over the
// records of a document that parses each header, hands data lines to the item
// classes, replaces, maps or merges the style sheet's collections, restores
// checkpoints and converts text between ANSI and Unicode styles; loading,
// inserting and appending, files and the table-cell form.
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

namespace {

// Thrown inside the reader when the data cannot be read on: a header or line
// that does not follow the format. Caught by the reader itself.
struct TRVFAbort {};

[[noreturn]] void Abort()
{
    throw TRVFAbort();
}

// The nesting of reads in progress: a table cell's document is read from
// inside its table's record.
int RVFReadNesting = 0;

class TNestingGuard {
public:
    TNestingGuard() { ++RVFReadNesting; }
    ~TNestingGuard() { --RVFReadNesting; }
    TNestingGuard(const TNestingGuard&) = delete;
    TNestingGuard& operator=(const TNestingGuard&) = delete;
};

// What a header line says, and what has been read of its record so far.
struct TRVFHeader {
    int StyleNo = 0;
    int ParaNo = 0;
    int ReadMode = 0;
    int Kind = 0; // of a style or layout record (-9)
    int LineCount = 0;
    int LinesRead = 0;
    std::unique_ptr<TCustomRVItemInfo> Item; // the item, or the template of a text record
    AnsiString Name;
    int BackStyle = 0;
    int RaiseEvent = 0;
    TRVTag CPTag;
};

// One read of RVF data into a store; see TCustomRVData::InsertRVFFromStream_.
class TRVFReader {
public:
    TRVFReader(TCustomRVData* Data, int Index, int AParaNo, bool AllowReplaceStyles, bool AppendMode,
               bool EditFlag, TColor& Color, TRVFBackground* Background, TRVLayoutInfo* Layout);
    ~TRVFReader();
    TRVFReader(const TRVFReader&) = delete;
    TRVFReader& operator=(const TRVFReader&) = delete;

    // Reads Bytes; true when they ended on a record boundary and nothing failed.
    bool Run(const std::string& Bytes);

    int FirstIndex; // the index of the first item read
    int NonFirstItemsAdded = 0;
    bool Reading = true;
    bool FullReformat = false;

private:
    int ItemCount() const { return FData->GetItemCount(); }
    void Warn(TRVFWarning Warning) { FData->SetRVFWarnings(FData->GetRVFWarnings() + TRVFWarnings{Warning}); }
    size_t Remaining() const { return FBytes->size() - FPos; }

    AnsiString CutLine();
    void PassLineEnd();
    // False when the reading stops early (InsertFirstRVFItem refused).
    bool HandleLine(const AnsiString& Line);
    void ParseHeader(const AnsiString& Line);
    int MapStyle(int StyleNo, TRVIntegerList* Map, int Count);
    void StyleLine(const AnsiString& Line);
    void ReadCollection(const AnsiString& Line);
    void BackgroundLine(const AnsiString& Line);
    // The record's item, or a line of a text record; false to stop.
    bool InsertRecordItem();
    bool InsertTextLine(const AnsiString& Line, bool NewLine);
    bool InsertItem(std::unique_ptr<TCustomRVItemInfo> Item, AnsiString Text, bool NewLine);
    void AttachPending(TCustomRVItemInfo* Item);
    void DropPending();
    void AfterInsert(int ItemNo, TCustomRVItemInfo* Item);
    // Frees an item that did not reach the store, with a checkpoint attached to it.
    void Discard(TCustomRVItemInfo* Item);

    TCustomRVData* FData;
    TRVStyle* FStyle;
    bool FTagsPC;
    TRVFOptions FOptions;
    int FParaNo;
    bool FReplaceStyles;
    bool FAppend;
    bool FEdit;
    TColor& FColor;
    TRVFBackground* FBackground;
    TRVLayoutInfo* FLayout;

    const std::string* FBytes = nullptr;
    size_t FPos = 0;
    TRVFReadState FState = rstHeader;
    TRVFReadMode FMode = rmText;
    TRVFHeader FHeader;
    int FVersion = 1;
    int FSubVersion = 0;

    int FInsertPoint;
    bool FFirst = true;
    TRVCPInfo* FCPBefore = nullptr;
    TRVCPInfo* FPending = nullptr;

    // The maps of style numbers: the root's when it keeps them, else our own.
    TRVIntegerList* FRootMaps[3] = {nullptr, nullptr, nullptr};
    std::unique_ptr<TRVIntegerList> FOwnMaps[3];
    TRVIntegerList* FMaps[3] = {nullptr, nullptr, nullptr}; // text, paragraph, list
};

TRVFReader::TRVFReader(TCustomRVData* Data, int Index, int AParaNo, bool AllowReplaceStyles, bool AppendMode,
                       bool EditFlag, TColor& Color, TRVFBackground* Background, TRVLayoutInfo* Layout)
    : FirstIndex(Index), FData(Data), FStyle(Data->GetRVStyle()),
      FTagsPC(Data->GetOptions().Contains(rvoTagsArePChars)), FOptions(Data->GetRVFOptions()),
      FParaNo(AParaNo), FReplaceStyles(AllowReplaceStyles), FAppend(AppendMode), FEdit(EditFlag),
      FColor(Color), FBackground(Background), FLayout(Layout), FInsertPoint(Index)
{
    if (Index == ItemCount()) {
        FCPBefore = Data->LastCP;
        FPending = EditFlag ? nullptr : Data->NotAddedCP;
    } else {
        FCPBefore = Data->FindCPBeforeItem(Index);
    }
    Data->InitStyleMappings(FRootMaps[0], FRootMaps[1], FRootMaps[2]);
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

bool TRVFReader::Run(const std::string& Bytes)
{
    FBytes = &Bytes;
    bool Failed = false;
    try {
        while (FPos < Bytes.size()) {
            const size_t Start = FPos;
            const AnsiString Line = CutLine();
            if (!HandleLine(Line))
                return true; // stopped by InsertFirstRVFItem: the rest is not read
            PassLineEnd();
            // Every line moves on; a reader that would read one place again stops.
            if (FPos == Start)
                Abort();
        }
    } catch (const TRVFAbort&) {
        Failed = true;
    } catch (const std::exception&) {
        Failed = true;
    }
    const bool Result = !Failed && FState == rstHeader;
    // The paragraphs where the new items meet the old ones, also after a
    // failure, so that no paragraph is left with mixed paragraph styles.
    if (!FEdit)
        FData->NormalizeParas(FirstIndex);
    Reading = false;
    if (Result && FPending && FInsertPoint == ItemCount() && !FData->NotAddedCP) {
        FData->NotAddedCP = FPending;
        ++FData->CPCount;
        FPending = nullptr;
    }
    return Result;
}

// ---------------------------------------------------------------------------
// Lines

AnsiString TRVFReader::CutLine()
{
    const std::string& b = *FBytes;
    if (FMode == rmBinary) {
        if (Remaining() < 4)
            Abort();
        const auto Byte = [&b, this](size_t i) {
            return static_cast<uint32_t>(static_cast<uint8_t>(b[FPos + i]));
        };
        const int32_t Count = static_cast<int32_t>(Byte(0) | Byte(1) << 8 | Byte(2) << 16 | Byte(3) << 24);
        FPos += 4;
        // The block must lie within the data.
        if (Count < 0 || static_cast<size_t>(Count) > Remaining())
            Abort();
        AnsiString Line = b.substr(FPos, static_cast<size_t>(Count));
        FPos += static_cast<size_t>(Count);
        return Line;
    }
    if (FMode == rmUnicode) {
        AnsiString Line;
        while (Remaining() >= 2) {
            const unsigned Unit = static_cast<uint8_t>(b[FPos]) | unsigned(static_cast<uint8_t>(b[FPos + 1]))
                                                                      << 8;
            if (Unit == 0x2029)
                break;
            // A zero unit never ends or stalls a line: it is read as "?".
            Line.push_back(Unit == 0 ? '?' : b[FPos]);
            Line.push_back(b[FPos + 1]);
            FPos += 2;
        }
        if (Remaining() == 1)
            ++FPos; // half a unit at the end of the data
        return Line;
    }
    // A line of text runs to CR or LF; a zero byte is an ordinary byte, so
    // that it can never stop the reading in place.
    size_t End = FPos;
    while (End < b.size() && b[End] != '\r' && b[End] != '\n')
        ++End;
    AnsiString Line = b.substr(FPos, End - FPos);
    FPos = End;
    return Line;
}

void TRVFReader::PassLineEnd()
{
    const std::string& b = *FBytes;
    const auto SkipParagraphSeparator = [&b, this] {
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
        SkipParagraphSeparator();
        break;
    case rmAfterUnicode:
        SkipParagraphSeparator();
        FMode = rmText;
        break;
    }
}

bool TRVFReader::HandleLine(const AnsiString& Line)
{
    TRVFHeader& H = FHeader;
    switch (FState) {
    case rstHeader:
        ParseHeader(Line);
        if (H.LineCount == 0)
            return InsertRecordItem();
        // Every line takes at least one byte: a count beyond the data left is false.
        if (static_cast<size_t>(H.LineCount) > Remaining())
            Abort();
        if ((!H.Item && H.StyleNo != rvsCheckpoint && H.StyleNo != rvsBack && H.StyleNo != rvsDocProperty) ||
            (H.Item && !H.Item->GetBoolValue(rvbpRequiresRVFLines))) {
            FState = rstSkip;
            if (H.LineCount == 1 && H.ReadMode == 2)
                FMode = rmBeforeBinary;
        } else {
            FState = rstData;
        }
        if (H.Item && H.StyleNo >= 0 && H.Item->ItemOptions.Contains(rvioUnicode))
            FMode = rmBeforeUnicode;
        return true;

    case rstData: {
        bool GoOn = true;
        switch (H.StyleNo) {
        case rvsDocProperty:
            StyleLine(Line);
            break;
        case rvsBack:
            BackgroundLine(Line);
            break;
        case rvsCheckpoint:
            if (!FPending) {
                FPending = new TRVCPInfo;
                FPending->Name = Line;
                FPending->Tag = H.CPTag;
                FPending->RaiseEvent = H.RaiseEvent != 0;
            }
            break;
        default:
            if (H.StyleNo >= 0) {
                GoOn = InsertTextLine(Line, H.LinesRead > 0);
            } else {
                if (!H.Item->ReadRVFLine(Line, FData, H.ReadMode, H.LinesRead, H.LineCount, H.Name, FMode,
                                         FState))
                    Abort();
                if (H.LinesRead == H.LineCount - 1)
                    GoOn = InsertRecordItem();
            }
            break;
        }
        if (!GoOn)
            return false;
        if (++H.LinesRead >= H.LineCount) {
            FState = rstHeader;
            if (FMode == rmUnicode)
                FMode = rmAfterUnicode;
        }
        return true;
    }

    case rstSkip:
        ++H.LinesRead;
        if (H.LinesRead == H.LineCount - 1 && H.ReadMode == 2)
            FMode = rmBeforeBinary;
        if (H.LinesRead >= H.LineCount) {
            FState = rstHeader;
            if (FMode == rmUnicode)
                FMode = rmAfterUnicode;
            if (H.Item && H.StyleNo < 0)
                return InsertRecordItem();
        }
        return true;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Headers

void TRVFReader::ParseHeader(const AnsiString& Line)
{
    FHeader = TRVFHeader();
    TRVFHeader& H = FHeader;
    TRVFLineCursor P(Line);
    if (!RVFReadTextStyle(P, H.StyleNo, FStyle))
        Abort();
    if (H.StyleNo == rvsVersionInfo) {
        if (!RVFReadInteger(P, FVersion) || !RVFReadInteger(P, FSubVersion))
            Abort();
        return;
    }
    if (!RVFReadInteger(P, H.LineCount) || H.LineCount < 0)
        Abort();
    if (!RVFReadParaStyle(P, H.ParaNo, FStyle) || H.ParaNo < -1)
        Abort();
    if (H.StyleNo != rvsBack && H.StyleNo != rvsCheckpoint && H.StyleNo != rvsDocProperty) {
        H.Item.reset(CreateRollViewItem(H.StyleNo, FData));
        if (H.Item)
            H.Item->BeforeLoading(rvlfRVF);
    }
    if (FVersion >= 1 && FSubVersion >= 2) {
        int Options = 0;
        if (!RVFReadInteger(P, Options))
            Abort();
        // Only the four option bits exist.
        if (H.Item)
            H.Item->ItemOptions = TRVItemOptions::FromBits(static_cast<uint8_t>(Options & 0x0F));
    }
    TRVTag Tag;
    if (!RVFReadInteger(P, H.ReadMode) || !RVFReadTag(P, FTagsPC, Tag))
        Abort();
    if (H.StyleNo == rvsDocProperty && !RVFReadInteger(P, H.Kind))
        Abort();
    if (H.StyleNo == rvsCheckpoint)
        H.CPTag = Tag;
    else if (H.Item)
        H.Item->Tag = Tag;

    if (H.Item && H.StyleNo >= 0)
        H.Item->StyleNo = H.StyleNo =
            MapStyle(H.StyleNo, FMaps[0], FStyle ? FStyle->TextStyles()->Count() : -1);
    if (H.Item && H.ParaNo >= 0)
        H.ParaNo = MapStyle(H.ParaNo, FMaps[1], FStyle ? FStyle->ParaStyles()->Count() : -1);

    switch (H.StyleNo) {
    case rvsBack: {
        int Color = 0;
        if (!RVFReadInteger(P, H.BackStyle) || !RVFReadInteger(P, Color))
            Abort();
        if (FOptions.Contains(rvfoLoadBack)) {
            FColor = static_cast<TColor>(Color);
            if (FBackground) {
                FBackground->SetRVFBackgroundStyle(H.BackStyle);
                FBackground->SetRVFBackgroundImage(nullptr);
            }
        }
        break;
    }
    case rvsCheckpoint: {
        const char c = P.Peek();
        if (c != '\0' && c != '\r' && c != '\n' && !RVFReadInteger(P, H.RaiseEvent))
            Abort();
        break;
    }
    default:
        if (H.Item && !H.Item->ReadRVFHeader(P, FData))
            Abort();
        break;
    }
}

// A style number of the file as a number of the style sheet (Count -1: no
// style sheet to check against).
int TRVFReader::MapStyle(int StyleNo, TRVIntegerList* Map, int Count)
{
    if (Map->Count() > 0) {
        if (StyleNo >= Map->Count() || Map->Get(StyleNo) < 0) {
            Warn(rvfwConvUnknownStyles);
            Abort();
        }
        StyleNo = Map->Get(StyleNo);
    }
    if (Count >= 0 && StyleNo >= Count) {
        Warn(rvfwConvUnknownStyles);
        if (!FOptions.Contains(rvfoConvUnknownStylesToZero))
            Abort();
        StyleNo = 0;
    }
    return StyleNo;
}

// ---------------------------------------------------------------------------
// Style, layout and background records

void TRVFReader::StyleLine(const AnsiString& Line)
{
    const TRVFHeader& H = FHeader;
    if (H.LinesRead == 0) {
        // The style sheet's name; the data follows.
        if (H.ReadMode == 2)
            FMode = rmBeforeBinary;
        return;
    }
    if (H.LinesRead != 1)
        return;
    if (H.Kind == 1 || H.Kind == 2 || H.Kind == 4) {
        ReadCollection(Line);
        return;
    }
    if (H.Kind != 3 || !FLayout || !FReplaceStyles || !FOptions.Contains(rvfoLoadLayout))
        return;
    if (H.ReadMode == 2)
        FLayout->LoadBinary(Line);
    else
        FLayout->LoadText(Line);
    TRVIntegerList* ListMap = FMaps[2];
    if (FLayout->FirstParaAborted && FLayout->FirstMarkerListNo >= 0 && ListMap->Count() > 0)
        FLayout->FirstMarkerListNo =
            FLayout->FirstMarkerListNo < ListMap->Count() ? ListMap->Get(FLayout->FirstMarkerListNo) : -1;
}

void TRVFReader::ReadCollection(const AnsiString& Line)
{
    if (!FStyle)
        return;
    const int Kind = FHeader.Kind;
    const TRVFReaderStyleMode Mode =
        Kind == 1 ? FData->GetRVFTextStylesReadMode() : FData->GetRVFParaStylesReadMode();
    if (Mode == rvf_sIgnore)
        return;
    TMemoryStream Data;
    if (FHeader.ReadMode == 2)
        RVFBytesToStream(Line, Data);
    else
        RVFTextString2Stream(Line, Data);
    if (Data.Size() == 0)
        return;
    if (static_cast<const uint8_t*>(Data.Memory())[0] != vaCollection)
        Abort();

    std::unique_ptr<TCustomRVInfos> Read;
    if (Kind == 1)
        Read = std::make_unique<TFontInfos>(FStyle->GetTextStyleClass(), FStyle);
    else if (Kind == 2)
        Read = std::make_unique<TParaInfos>(FStyle->GetParaStyleClass(), FStyle);
    else
        Read = std::make_unique<TRVListInfos>(FStyle->GetListStyleClass(), FStyle);
    {
        std::unique_ptr<TRVFListDocumentGuard> Guard;
        if (Kind == 4)
            Guard = std::make_unique<TRVFListDocumentGuard>(static_cast<TRVListInfos*>(Read.get()), FData);
        TReader Reader(Data, 4096);
        Reader.ReadCollection(Read.get());
    }

    TRVIntegerList* Map = FMaps[Kind == 1 ? 0 : Kind == 2 ? 1 : 2];
    if (Read->Count() == 0 || Map->Count() > 0)
        return;
    TCustomRVInfos* Target = Kind == 1   ? static_cast<TCustomRVInfos*>(FStyle->TextStyles())
                             : Kind == 2 ? static_cast<TCustomRVInfos*>(FStyle->ParaStyles())
                                         : static_cast<TCustomRVInfos*>(FStyle->ListStyles());
    if (FReplaceStyles)
        Target->Assign(Read.get());
    else
        Target->MergeWith(Read.get(), Mode == rvf_sInsertMap ? rvs_merge_Map : rvs_merge_SmartMerge, Map);
}

void TRVFReader::BackgroundLine(const AnsiString& Line)
{
    const TRVFHeader& H = FHeader;
    if (H.LinesRead == 0) {
        // The picture's class name: the background picture is a bitmap.
        if (H.ReadMode == 2)
            FMode = rmBeforeBinary;
        return;
    }
    if (FOptions.Contains(rvfoLoadBack)) {
        auto Bitmap = std::make_unique<TBitmap>();
        if (H.ReadMode == 2)
            RVFLoadPictureBinary(Line, Bitmap.get());
        else if (!RVFLoadPicture(Line, Bitmap.get()))
            Abort();
        if (FBackground)
            FBackground->SetRVFBackgroundImage(Bitmap.release());
    }
    FState = rstSkip;
}

// ---------------------------------------------------------------------------
// Inserting items

bool TRVFReader::InsertRecordItem()
{
    TRVFHeader& H = FHeader;
    if (H.StyleNo == rvsBack || H.StyleNo == rvsVersionInfo)
        return true;
    if (!H.Item) {
        DropPending();
        return true;
    }
    if (H.StyleNo >= 0)
        return InsertTextLine(AnsiString(), false);
    return InsertItem(std::move(H.Item), H.Name, false);
}

bool TRVFReader::InsertTextLine(const AnsiString& Line, bool NewLine)
{
    const TCustomRVItemInfo* Template = FHeader.Item.get();
    if (FEdit && FStyle &&
        FStyle->TextStyles()->Items(Template->StyleNo)->Protection().Contains(rvprRVFInsertProtect))
        return true;
    std::unique_ptr<TCustomRVItemInfo> Item(RollViewTextItemClass->Create(FData));
    Item->BeforeLoading(rvlfRVF);
    Item->Assign(Template);
    Item->Tag = RV_CopyTag(Template->Tag, FTagsPC);
    return InsertItem(std::move(Item), Line, NewLine);
}

bool TRVFReader::InsertItem(std::unique_ptr<TCustomRVItemInfo> Item, AnsiString Text, bool NewLine)
{
    if (!Item->GetBoolValue(rvbpValid))
        return true;

    // A full-width item neither continues a line nor is continued.
    const bool FullWidth = Item->GetBoolValue(rvbpFullWidth);
    const auto CanContinue = [&] {
        return !FullWidth && ItemCount() > 0 && FInsertPoint > 0 &&
               !FData->GetItem(FInsertPoint - 1)->GetBoolValue(rvbpFullWidth);
    };
    const auto Place = [&](int ParaNo) {
        if (ParaNo == -1 && CanContinue()) {
            Item->SetSameAsPrev(true);
            Item->ParaNo = FData->GetItem(FInsertPoint - 1)->ParaNo;
        } else {
            Item->SetSameAsPrev(false);
            Item->ParaNo = ParaNo < 0 ? 0 : ParaNo;
        }
        if (FullWidth)
            Item->SetBR(false);
    };
    // Lines of a text record after the first start lines of their own.
    Place(NewLine && FHeader.ParaNo == -1 ? 0 : FHeader.ParaNo);
    Item->UpdatePaletteInfo(FData->GetDoInPaletteMode(), false, FData->GetRVPalette(),
                            FData->GetRVLogPalette());

    if (Item->StyleNo >= 0) {
        const bool Unicode = Item->ItemOptions.Contains(rvioUnicode);
        if (FStyle) {
            const bool StyleUnicode = FStyle->TextStyles()->Items(Item->StyleNo)->Unicode();
            if (Unicode && !StyleUnicode) {
                Text = RVU_UnicodeToAnsi(FData->GetStyleCodePage(Item->StyleNo), Text);
                Item->ItemOptions.Exclude(rvioUnicode);
                Warn(rvfwConvFromUnicode);
            } else if (!Unicode && StyleUnicode) {
                Text = RVU_AnsiToUnicode(FData->GetStyleCodePage(Item->StyleNo), Text);
                Item->ItemOptions.Include(rvioUnicode);
                Warn(rvfwConvToUnicode);
            }
        }
        if (!Item->ItemOptions.Contains(rvioUnicode))
            TCustomRVData::Replace0(Text);
    }

    int OldListNo = -1;
    if (auto* Marker = dynamic_cast<TRVMarkerItemInfo*>(Item.get())) {
        if (Marker->ListNo >= 0) {
            OldListNo = Marker->ListNo;
            TRVIntegerList* ListMap = FMaps[2];
            if (ListMap->Count() > 0)
                Marker->ListNo = Marker->ListNo < ListMap->Count() ? ListMap->Get(Marker->ListNo) : -1;
            // A list the style sheet does not have: the marker shows no level.
            if (Marker->ListNo < 0 || (FStyle && Marker->ListNo >= FStyle->ListStyles()->Count())) {
                Marker->ListNo = -1;
                Warn(rvfwConvUnknownStyles);
            }
        }
    }

    if (!FFirst) {
        TCustomRVItemInfo* Raw = Item.get();
        Raw->Inserting(FData, Text, false);
        FData->Items->InsertObject(FInsertPoint, Text, Raw);
        Item.release();
        AttachPending(Raw);
        Raw->Inserted(FData, FInsertPoint);
        FData->AddMarkerInList(FInsertPoint);
        ++FInsertPoint;
        ++NonFirstItemsAdded;
        AfterInsert(FInsertPoint - 1, Raw);
        return true;
    }

    if (FAppend)
        Place(FParaNo);
    AttachPending(Item.get());
    TCustomRVItemInfo* Raw = Item.release();
    int Index = FInsertPoint;
    int NewListNo = -1;
    bool GoOn = false;
    try {
        GoOn = FData->InsertFirstRVFItem(Index, Text, Raw, FEdit, FullReformat, NewListNo);
    } catch (...) {
        if (Raw && FData->GetItemNo(Raw) < 0)
            Discard(Raw);
        throw;
    }
    if (!GoOn) {
        if (Raw && FData->GetItemNo(Raw) < 0)
            Discard(Raw);
        return false;
    }
    if (Raw) {
        FInsertPoint = Index + 1;
        FirstIndex = Index;
        FFirst = false;
        AfterInsert(Index, Raw);
    } else if (FPending && FPending != FData->NotAddedCP) {
        delete FPending;
        FPending = nullptr;
    }
    TRVIntegerList* ListMap = FMaps[2];
    if (OldListNo >= 0 && NewListNo >= 0 && OldListNo < ListMap->Count())
        ListMap->Put(OldListNo, NewListNo);
    return true;
}

void TRVFReader::AttachPending(TCustomRVItemInfo* Item)
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
        Item->Checkpoint = cp;
        cp->ItemInfo = Item;
    } else {
        ++FData->CPCount;
        FData->SetCP(Item, FCPBefore, cp);
    }
    FCPBefore = Item->Checkpoint;
}

void TRVFReader::DropPending()
{
    if (FPending && FPending != FData->NotAddedCP)
        delete FPending;
    FPending = nullptr;
}

void TRVFReader::AfterInsert(int ItemNo, TCustomRVItemInfo* Item)
{
    FData->ControlAction(rvcaAfterRVFLoad, ItemNo, Item);
    if (!FData->State.Contains(rvstLoadingAsPartOfItem))
        Item->AfterLoading(rvlfRVF);
}

void TRVFReader::Discard(TCustomRVItemInfo* Item)
{
    TRVCPInfo* cp = Item->Checkpoint;
    if (cp && cp->ItemInfo == Item) {
        Item->Checkpoint = nullptr;
        if (FCPBefore == cp)
            FCPBefore = cp->Prev;
        if (FEdit)
            delete cp;
        else
            FData->FreeCheckpoint(cp, true, true);
    }
    delete Item;
}

// Reads the whole rest of the stream.
std::string ReadRest(TStream& Stream)
{
    const int64_t Size = Stream.Size() - Stream.Position();
    std::string Bytes;
    if (Size <= 0)
        return Bytes;
    Bytes.resize(static_cast<size_t>(Size));
    Bytes.resize(static_cast<size_t>(Stream.Read(&Bytes[0], Size)));
    return Bytes;
}

} // namespace

bool TCustomRVData::InsertRVFFromStream_(TStream& Stream, int& Index, int AParaNo, bool AllowReplaceStyles,
                                         bool AppendMode, bool EditFlag, TColor& Color,
                                         TRVFBackground* Background, TRVLayoutInfo* Layout,
                                         int& NonFirstItemsAdded, bool& Reading, bool& FullReformat)
{
    NonFirstItemsAdded = 0;
    Reading = true;
    FullReformat = false;
    TNestingGuard Nesting;
    if (RVFReadNesting > RVFMaxNesting) {
        Reading = false;
        return false;
    }
    if (Index > Items->Count())
        Index = Items->Count();
    if (Index < 0)
        Index = 0;
    // Warnings belong to the whole read: nested documents add to them.
    if (RVFReadNesting == 1)
        SetRVFWarnings(TRVFWarnings());
    try {
        const std::string Bytes = ReadRest(Stream);
        TRVFReader Reader(this, Index, AParaNo, AllowReplaceStyles, AppendMode, EditFlag, Color, Background,
                          Layout);
        const bool Result = Reader.Run(Bytes);
        Index = Reader.FirstIndex;
        NonFirstItemsAdded = Reader.NonFirstItemsAdded;
        Reading = Reader.Reading;
        FullReformat = Reader.FullReformat;
        return Result;
    } catch (const std::exception&) {
        Reading = false;
        return false;
    }
}

bool TCustomRVData::InsertRVFFromStream(TStream& Stream, int Index, TColor& Color, TRVFBackground* Background,
                                        TRVLayoutInfo* Layout, bool AllowReplaceStyles)
{
    int NonFirstItemsAdded = 0;
    bool Reading = false, FullReformat = false;
    return InsertRVFFromStream_(Stream, Index, -1, AllowReplaceStyles, false, false, Color, Background,
                                Layout, NonFirstItemsAdded, Reading, FullReformat);
}

bool TCustomRVData::AppendRVFFromStream(TStream& Stream, int ParaNo, TColor& Color,
                                        TRVFBackground* Background)
{
    int Index = Items->Count();
    int NonFirstItemsAdded = 0;
    bool Reading = false, FullReformat = false;
    return InsertRVFFromStream_(Stream, Index, ParaNo, false, true, false, Color, Background, nullptr,
                                NonFirstItemsAdded, Reading, FullReformat);
}

bool TCustomRVData::LoadRVFFromStream(TStream& Stream, TColor& Color, TRVFBackground* Background,
                                      TRVLayoutInfo* Layout)
{
    Clear();
    return InsertRVFFromStream(Stream, 0, Color, Background, Layout, true);
}

bool TCustomRVData::LoadRVF(const AnsiString& FileName, TColor& Color, TRVFBackground* Background,
                            TRVLayoutInfo* Layout)
{
    try {
        TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
        return LoadRVFFromStream(Stream, Color, Background, Layout);
    } catch (const std::exception&) {
        return false;
    }
}

bool TCustomRVData::InsertFirstRVFItem(int& Index, AnsiString& s, TCustomRVItemInfo*& li, bool,
                                       bool& FullReformat, int& NewListNo)
{
    FullReformat = false;
    NewListNo = -1;
    li->Inserting(this, s, false);
    Items->InsertObject(Index, s, li);
    li->Inserted(this, Index);
    AddMarkerInList(Index);
    return true;
}

void TCustomRVData::DataReader(TStream& Stream)
{
    TMemoryStream Data;
    if (!RVFReadBinaryBlock(Stream, Data))
        throw ERollViewError(errRVInvalidRVF);
    const bool WasLoadingAsPart = State.Contains(rvstLoadingAsPartOfItem);
    State.Include(rvstLoadingAsPartOfItem);
    TColor Color = clNone;
    const bool Loaded = LoadRVFFromStream(Data, Color, nullptr, nullptr);
    if (!WasLoadingAsPart)
        State.Exclude(rvstLoadingAsPartOfItem);
    // A cell that could not be read whole fails its table's record.
    if (!Loaded)
        throw ERollViewError(errRVInvalidRVF);
}
