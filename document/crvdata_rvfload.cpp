// Loading, inserting and appending RVF into the item store, files and the
// table-cell form; the reading itself is TRVFReader's.
#include <exception>
#include <string>
#include <string_view>

#include "document/crvdata.h"
#include "document/crvdata_rvfreader.h"
#include "document/rvfmisc.h"
#include "platform/core/streams.h"
#include "platform/graphics/pixelbudget.h"

namespace {

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

// The whole rest of the stream, read to its end: in place when the stream
// keeps its bytes in memory (a document nested in an item is read from its
// holder's bytes, so that nesting costs no copy per level), else copied into
// Copy.
std::string_view ReadRest(TStream& stream, std::string& copy)
{
    int64_t inMemory = 0;
    if (const char* bytes = stream.BytesInMemory(inMemory)) {
        stream.Seek(0, soEnd);
        return std::string_view(bytes, static_cast<size_t>(inMemory));
    }
    const int64_t size = stream.Size() - stream.Position();
    if (size <= 0)
        return std::string_view();
    copy.resize(static_cast<size_t>(size));
    copy.resize(static_cast<size_t>(stream.Read(&copy[0], size)));
    return copy;
}

} // namespace

bool TCustomRVData::InsertRVFFromStream_(TStream& stream, int& index, int aParaNo, bool allowReplaceStyles,
                                         bool appendMode, bool editFlag, TColor& color,
                                         TRVFBackground* background, TRVLayoutInfo* layout,
                                         int& nonFirstItemsAdded, bool& reading, bool& fullReformat)
{
    nonFirstItemsAdded = 0;
    reading = true;
    fullReformat = false;
    TNestingGuard nesting;
    if (RVFReadNesting > RVFMaxNesting) {
        reading = false;
        return false;
    }
    if (index > Items->Count())
        index = Items->Count();
    if (index < 0)
        index = 0;
    // Warnings belong to the whole read: nested documents add to them.
    if (RVFReadNesting == 1)
        SetRVFWarnings(TRVFWarnings());
    try {
        // The documents read inside items ask their holders for each item.
        const TRVSaveAnswers answers;
        std::string copy;
        const std::string_view bytes = ReadRest(stream, copy);
        const TRVFGridAllowance grid(static_cast<int64_t>(bytes.size()));
        const TPictureLoadBudget pictures;
        rvfreader::TRVFReader reader(this, index, aParaNo, allowReplaceStyles, appendMode, editFlag, color,
                                     background, layout);
        const bool result = reader.Run(bytes);
        index = reader.FirstIndex;
        nonFirstItemsAdded = reader.NonFirstItemsAdded;
        reading = reader.Reading;
        fullReformat = reader.FullReformat;
        return result;
    } catch (const std::exception&) {
        reading = false;
        return false;
    }
}

bool TCustomRVData::InsertRVFFromStream(TStream& stream, int index, TColor& color, TRVFBackground* background,
                                        TRVLayoutInfo* layout, bool allowReplaceStyles)
{
    int nonFirstItemsAdded = 0;
    bool reading = false, fullReformat = false;
    return InsertRVFFromStream_(stream, index, -1, allowReplaceStyles, false, false, color, background,
                                layout, nonFirstItemsAdded, reading, fullReformat);
}

bool TCustomRVData::AppendRVFFromStream(TStream& stream, int paraNo, TColor& color,
                                        TRVFBackground* background)
{
    int index = Items->Count();
    int nonFirstItemsAdded = 0;
    bool reading = false, fullReformat = false;
    return InsertRVFFromStream_(stream, index, paraNo, false, true, false, color, background, nullptr,
                                nonFirstItemsAdded, reading, fullReformat);
}

bool TCustomRVData::LoadRVFFromStream(TStream& stream, TColor& color, TRVFBackground* background,
                                      TRVLayoutInfo* layout)
{
    Clear();
    return InsertRVFFromStream(stream, 0, color, background, layout, true);
}

bool TCustomRVData::LoadRVF(const AnsiString& fileName, TColor& color, TRVFBackground* background,
                            TRVLayoutInfo* layout)
{
    try {
        TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
        return LoadRVFFromStream(stream, color, background, layout);
    } catch (const std::exception&) {
        return false;
    }
}

bool TCustomRVData::InsertFirstRVFItem(int& index, AnsiString& s, TCustomRVItemInfo*& li, bool,
                                       bool& fullReformat, int& newListNo)
{
    fullReformat = false;
    newListNo = -1;
    li->Inserting(this, s, false);
    Items->InsertObject(index, s, li);
    li->Inserted(this, index);
    AddMarkerInList(index);
    return true;
}

void TCustomRVData::DataReader(TStream& stream)
{
    // However the read ends, the state goes and the documents around this one
    // count what the read changed in it.
    struct TPartRead {
        TCustomRVData* Data;
        bool Outer;
        ~TPartRead()
        {
            if (!Outer)
                return;
            Data->State.Exclude(rvstLoadingAsPartOfItem);
            Data->NoteChange();
        }
    } const part{this, !State.Contains(rvstLoadingAsPartOfItem)};
    State.Include(rvstLoadingAsPartOfItem);
    bool loaded = false;
    // The cell's document is read where it lies in the table's stream.
    const bool block = RVFReadBinaryBlockInPlace(stream, [this, &loaded](TStream& data) {
        TColor color = clNone;
        loaded = LoadRVFFromStream(data, color, nullptr, nullptr);
    });
    if (!block)
        throw ERollViewError(errRVInvalidRVF);
    // A cell that could not be read whole fails its table's record.
    if (!loaded)
        throw ERollViewError(errRVInvalidRVF);
}
