// Ini files: the typed reads and writes every ini class shares, TIniFile with
// its replay of edits onto the current file, and the in-memory TMemIniFile.
#include "platform/core/inifiles.h"

#include "platform/core/inidata.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int Default)
{
    return StrToIntDef(ReadString(section, ident, AnsiString()), Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool Default)
{
    return ReadInteger(section, ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

bool TCustomIniFile::SectionExists(const AnsiString& section)
{
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& section, const AnsiString& ident)
{
    TStringList keys;
    ReadSection(section, keys);
    for (int i = 0; i < keys.Count(); ++i)
        if (SameText(keys[i], Trim(ident)))
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// TIniFile

namespace {

// The file's content as a model; false when the file exists and cannot be read.
bool LoadIniData(const AnsiString& fileName, TIniData& data)
{
    AnsiString text;
    TIniLoadResult result = LoadIniText(fileName, text);
    data.SetText(text);
    return result != TIniLoadResult::Unreadable;
}

[[noreturn]] void IniWriteError(const AnsiString& fileName)
{
    throw EIniFileException(Format(SysConst::SIniFileWriteError, {fileName}));
}

} // namespace

TIniFile::TIniFile(const AnsiString& fileName) : TCustomIniFile(fileName), FData(std::make_unique<TIniData>())
{
    LoadIniData(fileName, *FData);
}

TIniFile::~TIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report the failure; UpdateFile can.
    }
}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident, const AnsiString& Default)
{
    AnsiString value;
    if (FData->ReadValue(section, ident, value))
        return value;
    return Default;
}

void TIniFile::Changed(TIniChange change)
{
    if (FRecordChanges)
        FChanges.push_back(std::move(change));
    FModified = true;
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value)
{
    if (FData->WriteValue(section, ident, value))
        Changed({TIniChange::ckWrite, section, ident, value});
}

void TIniFile::ReadSection(const AnsiString& section, TStrings& strings)
{
    strings.BeginUpdate();
    strings.Clear();
    for (const AnsiString& key : FData->SectionKeys(section))
        strings.Add(key);
    strings.EndUpdate();
}

void TIniFile::ReadSections(TStrings& strings)
{
    strings.BeginUpdate();
    strings.Clear();
    for (const AnsiString& name : FData->SectionNames())
        strings.Add(name);
    strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const AnsiString& section, TStrings& strings)
{
    strings.BeginUpdate();
    strings.Clear();
    for (const auto& entry : FData->SectionValues(section))
        strings.Add(entry.first + "=" + entry.second);
    strings.EndUpdate();
}

void TIniFile::EraseSection(const AnsiString& section)
{
    if (FData->EraseSection(section))
        Changed({TIniChange::ckEraseSection, section, AnsiString(), AnsiString()});
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident)
{
    if (FData->DeleteKey(section, ident))
        Changed({TIniChange::ckDeleteKey, section, ident, AnsiString()});
}

void TIniFile::WriteFile(const AnsiString& text)
{
    try {
        SafeWriteFile(FileName(), [&text](TStream& stream) {
            stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        });
    } catch (const Exception&) {
        IniWriteError(FileName());
    }
}

void TIniFile::UpdateFile()
{
    if (!FModified)
        return;
    auto current = std::make_unique<TIniData>();
    if (!LoadIniData(FileName(), *current))
        IniWriteError(FileName());
    const AnsiString before = current->Text();
    for (const TIniChange& change : FChanges) {
        switch (change.Kind) {
        case TIniChange::ckWrite:
            current->WriteValue(change.Section, change.Ident, change.Value);
            break;
        case TIniChange::ckEraseSection:
            current->EraseSection(change.Section);
            break;
        case TIniChange::ckDeleteKey:
            current->DeleteKey(change.Section, change.Ident);
            break;
        }
    }
    const AnsiString after = current->Text();
    if (after != before)
        WriteFile(after);
    // What is read from now on is the file as written, others' edits included.
    FData = std::move(current);
    FChanges.clear();
    FModified = false;
}

// ---------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(const AnsiString& fileName) : TIniFile(fileName)
{
    // The whole content is written at UpdateFile: no edits to replay.
    FRecordChanges = false;
}

TMemIniFile::~TMemIniFile()
{
    // Only UpdateFile writes a memory ini file; TIniFile's destructor must not.
    FModified = false;
}

void TMemIniFile::UpdateFile()
{
    if (!FModified)
        return;
    AnsiString onDisk;
    TIniLoadResult state = LoadIniText(FileName(), onDisk);
    if (state == TIniLoadResult::Unreadable)
        IniWriteError(FileName());
    const AnsiString text = FData->Text();
    if (state == TIniLoadResult::Missing ? !text.empty() : text != onDisk)
        WriteFile(text);
    FModified = false;
}

void TMemIniFile::SetStrings(const TStrings& list)
{
    const std::string_view lineBreak = FData->LineBreak();
    size_t size = 0;
    for (int i = 0; i < list.Count(); ++i)
        size += list.GetView(i).size() + lineBreak.size();
    AnsiString text;
    text.reserve(size);
    for (int i = 0; i < list.Count(); ++i)
        text.append(list.GetView(i)).append(lineBreak);
    if (text != FData->Text()) {
        FData->SetText(text);
        FModified = true;
    }
}

void TMemIniFile::GetStrings(TStrings& list) const
{
    list.BeginUpdate();
    list.Clear();
    for (const AnsiString& line : FData->Lines())
        list.Add(line);
    list.EndUpdate();
}
