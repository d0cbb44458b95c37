// Ini files: the typed reads and writes every ini class shares, TIniFile with
// its replay of edits onto the current file, and the in-memory TMemIniFile.
#include "platform/core/inifiles.h"

#include "platform/core/inidata.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

// ---------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default)
{
    return StrToIntDef(ReadString(Section, Ident, AnsiString()), Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value)
{
    WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default)
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

bool TCustomIniFile::SectionExists(const AnsiString& Section)
{
    TStringList keys;
    ReadSection(Section, keys);
    return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident)
{
    TStringList keys;
    ReadSection(Section, keys);
    for (int i = 0; i < keys.Count(); ++i)
        if (SameText(keys[i], Trim(Ident)))
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

TIniFile::TIniFile(const AnsiString& FileName) : TCustomIniFile(FileName), FData(std::make_unique<TIniData>())
{
    LoadIniData(FileName, *FData);
}

TIniFile::~TIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // A destructor cannot report the failure; UpdateFile can.
    }
}

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default)
{
    AnsiString value;
    return FData->ReadValue(Section, Ident, value) ? value : Default;
}

void TIniFile::Changed(TIniChange Change)
{
    if (FRecordChanges)
        FChanges.push_back(std::move(Change));
    FModified = true;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value)
{
    if (FData->WriteValue(Section, Ident, Value))
        Changed({TIniChange::ckWrite, Section, Ident, Value});
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings& Strings)
{
    Strings.BeginUpdate();
    Strings.Clear();
    for (const AnsiString& key : FData->SectionKeys(Section))
        Strings.Add(key);
    Strings.EndUpdate();
}

void TIniFile::ReadSections(TStrings& Strings)
{
    Strings.BeginUpdate();
    Strings.Clear();
    for (const AnsiString& name : FData->SectionNames())
        Strings.Add(name);
    Strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings& Strings)
{
    Strings.BeginUpdate();
    Strings.Clear();
    for (const auto& entry : FData->SectionValues(Section))
        Strings.Add(entry.first + "=" + entry.second);
    Strings.EndUpdate();
}

void TIniFile::EraseSection(const AnsiString& Section)
{
    if (FData->EraseSection(Section))
        Changed({TIniChange::ckEraseSection, Section, AnsiString(), AnsiString()});
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    if (FData->DeleteKey(Section, Ident))
        Changed({TIniChange::ckDeleteKey, Section, Ident, AnsiString()});
}

void TIniFile::WriteFile(const AnsiString& Text)
{
    try {
        SafeWriteFile(FileName(), [&Text](TStream& stream) {
            stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
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

TMemIniFile::TMemIniFile(const AnsiString& FileName) : TIniFile(FileName)
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

void TMemIniFile::SetStrings(const TStrings& List)
{
    const AnsiString lineBreak = FData->LineBreak();
    AnsiString text;
    for (int i = 0; i < List.Count(); ++i)
        text += List[i] + lineBreak;
    if (text != FData->Text()) {
        FData->SetText(text);
        FModified = true;
    }
}

void TMemIniFile::GetStrings(TStrings& List) const
{
    List.BeginUpdate();
    List.Clear();
    for (const AnsiString& line : FData->Lines())
        List.Add(line);
    List.EndUpdate();
}
