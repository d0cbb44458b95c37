// A test store that answers what the writers and readers of pictures,
// controls and RTF ask of the root data: RVF and RTF options and warnings,
// hyperlink targets, component text, pictures and controls by name, the
// parent control, and a log of control actions.
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "document/crvdata.h"
#include "platform/core/streams.h"
#include "tests/support/testrvdata.h"

class TFormatsTestRVData : public TTestRVData {
public:
    using TTestRVData::TTestRVData;

    TRVFOptions GetRVFOptions() override { return RVFOptions; }
    void SetRVFOptions(TRVFOptions Value) override { RVFOptions = Value; }
    TRVRTFOptions GetRTFOptions() override { return RTFOptions; }
    void SetRTFOptions(TRVRTFOptions Value) override { RTFOptions = Value; }
    TRVFWarnings GetRVFWarnings() override { return Warnings; }
    void SetRVFWarnings(TRVFWarnings Value) override { Warnings = Value; }
    TWinControl* GetParentControl() override { return ParentControl; }

    AnsiString GetURL(int ID) override
    {
        const auto it = URLs.find(ID);
        return it != URLs.end() ? it->second : AnsiString();
    }
    AnsiString SaveComponentToFile(const AnsiString& Path, TComponent* SaveMe, TRVSaveFormat Format) override
    {
        return ComponentText ? ComponentText(Path, SaveMe, Format) : AnsiString();
    }
    TGraphic* RVFPictureNeeded(const AnsiString& Name, const TRVTag& Tag) override
    {
        return PictureNeeded ? PictureNeeded(Name, Tag) : nullptr;
    }
    TControl* RVFControlNeeded(const AnsiString& Name, const TRVTag& Tag) override
    {
        return ControlNeeded ? ControlNeeded(Name, Tag) : nullptr;
    }
    void HTMLSaveImage(TCustomRVData*, int ItemNo, const AnsiString&, TColor, AnsiString& Location,
                       bool& DoDefault) override
    {
        const auto it = HTMLLocations.find(ItemNo);
        if (it != HTMLLocations.end()) {
            Location = it->second;
            DoDefault = false;
        }
    }
    AnsiString GetExtraRTFCode(TRVRTFSaveArea Area, TObject*, int, int, bool InStyleSheet) override
    {
        return ExtraRTFCode ? ExtraRTFCode(Area, InStyleSheet) : AnsiString();
    }
    void ControlAction(TRVControlAction Action, int ItemNo, TCustomRVItemInfo*) override
    {
        ControlActions.push_back({Action, ItemNo});
    }

    TRVFOptions RVFOptions;
    TRVRTFOptions RTFOptions;
    TRVFWarnings Warnings;
    TWinControl* ParentControl = nullptr;
    std::map<int, AnsiString> URLs;
    std::map<int, AnsiString> HTMLLocations;
    std::function<AnsiString(const AnsiString&, TComponent*, TRVSaveFormat)> ComponentText;
    std::function<TGraphic*(const AnsiString&, const TRVTag&)> PictureNeeded;
    std::function<TControl*(const AnsiString&, const TRVTag&)> ControlNeeded;
    std::function<AnsiString(TRVRTFSaveArea, bool)> ExtraRTFCode;
    std::vector<std::pair<TRVControlAction, int>> ControlActions;
};

// The bytes a memory stream holds.
inline AnsiString StreamBytes(TMemoryStream& Stream)
{
    return AnsiString(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

// The lines of an RVF record as a reader hands them to an item: the header
// line, then the data lines, the last one being a binary block when the
// header's read mode is 2.
struct TRVFRecord {
    AnsiString Header;
    std::vector<AnsiString> Lines;
};

inline TRVFRecord SplitRVFRecord(const AnsiString& Bytes)
{
    TRVFRecord Record;
    size_t Pos = Bytes.find("\r\n");
    Record.Header = Bytes.substr(0, Pos);
    Pos += 2;
    int LineCount = 0, ReadMode = 0;
    std::sscanf(Record.Header.c_str(), "%*d %d %*s %*d %d", &LineCount, &ReadMode);
    for (int i = 0; i < LineCount; ++i) {
        if (ReadMode == 2 && i == LineCount - 1) {
            uint32_t Size = 0;
            std::memcpy(&Size, Bytes.data() + Pos, 4);
            Record.Lines.push_back(Bytes.substr(Pos + 4, Size));
            break;
        }
        const size_t End = Bytes.find("\r\n", Pos);
        Record.Lines.push_back(Bytes.substr(Pos, End - Pos));
        Pos = End + 2;
    }
    return Record;
}
