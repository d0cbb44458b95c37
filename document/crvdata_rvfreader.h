// The RVF reader of the item store: a line-driven state machine over the
// records of a document that parses each header, hands data lines to the item
// classes, replaces, maps or merges the style sheet's collections, restores
// checkpoints and converts text between ANSI and Unicode styles. Used by
// crvdata_rvfload.cpp and crvdata_rvfreader.cpp only.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "document/crvdata.h"

namespace rvfreader {

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
    TRVFReader(TCustomRVData* data, int index, int aParaNo, bool allowReplaceStyles, bool appendMode,
               bool editFlag, TColor& color, TRVFBackground* background, TRVLayoutInfo* layout);
    ~TRVFReader();
    TRVFReader(const TRVFReader&) = delete;
    TRVFReader& operator=(const TRVFReader&) = delete;

    // Reads Bytes, read in place (they stay unchanged while it runs); true
    // when they ended on a record boundary and nothing failed.
    bool Run(std::string_view bytes);

    int FirstIndex; // the index of the first item read
    int NonFirstItemsAdded = 0;
    bool Reading = true;
    bool FullReformat = false;

private:
    int ItemCount() const { return FData->GetItemCount(); }
    void Warn(TRVFWarning warning) { FData->SetRVFWarnings(FData->GetRVFWarnings() + TRVFWarnings{warning}); }
    size_t Remaining() const { return FBytes.size() - FPos; }

    AnsiString CutLine();
    // The first byte C at or after the reading position (the size: none);
    // Kept remembers it while it lies ahead, so that the bytes are searched
    // once for each kind of line end, however the lines end.
    size_t NextByte(char c, size_t& kept);
    void PassLineEnd();
    // False when the reading stops early (InsertFirstRVFItem refused).
    bool HandleLine(const AnsiString& line);
    void ParseHeader(const AnsiString& line);
    int MapStyle(int styleNo, TRVIntegerList* map, int count);
    void StyleLine(const AnsiString& line);
    void ReadCollection(const AnsiString& line);
    void BackgroundLine(const AnsiString& line);
    // The record's item, or a line of a text record; false to stop.
    bool InsertRecordItem();
    bool InsertTextLine(const AnsiString& line, bool newLine);
    bool InsertItem(std::unique_ptr<TCustomRVItemInfo> item, AnsiString text, bool newLine);
    void AttachPending(TCustomRVItemInfo* item);
    void DropPending();
    void AfterInsert(int itemNo, TCustomRVItemInfo* item);
    // Frees an item that did not reach the store, with a checkpoint attached to it.
    void Discard(TCustomRVItemInfo* item);

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

    std::string_view FBytes;
    size_t FPos = 0;
    size_t FNextCR = std::string_view::npos, FNextLF = std::string_view::npos;
    TRVFReadState FState = rstHeader;
    TRVFReadMode FMode = rmText;
    TRVFHeader FHeader;
    int FVersion = 1;
    int FSubVersion = 0;

    int FInsertPoint;
    bool FFirst = true;
    bool FItemLost = false;
    TRVCPInfo* FCPBefore = nullptr;
    TRVCPInfo* FPending = nullptr;

    // The maps of style numbers: the root's when it keeps them, else our own.
    TRVIntegerList* FRootMaps[3] = {nullptr, nullptr, nullptr};
    std::unique_ptr<TRVIntegerList> FOwnMaps[3];
    TRVIntegerList* FMaps[3] = {nullptr, nullptr, nullptr}; // text, paragraph, list
};

} // namespace rvfreader
