// The file monitor: opening watched files, their records and the poll.
#include "app/Tail.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/controls/forms.h"
#include "platform/core/sysutils.h"

namespace {

const int DefaultInterval = 500;
// Bytes read per system call; a large chunk is read block by block.
const int64_t ReadBlock = 64 * 1024;

// The current length of the open file: one fstat, no reopening, no reading.
bool FileLength(int handle, int64_t& length)
{
    struct stat info;
    if (handle < 0 || fstat(handle, &info) != 0)
        return false;
    length = static_cast<int64_t>(info.st_size);
    return true;
}

[[noreturn]] void RaiseUnableToOpen(const AnsiString& name)
{
    throw Exception("Unable to open file '" + name + "'.");
}

// Opens a regular file for reading and gives its length at this moment.
int OpenRegularFile(const AnsiString& name, int64_t& length)
{
    // A name with a NUL byte would name another file to the system.
    struct stat info;
    if (name.empty() || name.find('\0') != AnsiString::npos)
        throw Exception("File '" + name + "' not exists.");
    if (stat(name.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw Exception("File '" + name + "' not exists.");
        RaiseUnableToOpen(name);
    }
    // FileOpen does not wait for the other end of a named pipe and refuses a
    // folder; the type is checked on the handle itself, as the name may have
    // changed since it was looked at.
    const int handle = FileOpen(name, fmOpenRead | fmShareDenyNone);
    if (handle < 0)
        RaiseUnableToOpen(name);
    if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        FileClose(handle);
        RaiseUnableToOpen(name);
    }
    length = static_cast<int64_t>(info.st_size);
    return handle;
}

// Reads up to count bytes from offset on. Carriage returns are dropped from text;
// consumed counts every byte read. Stops early at the end of the file (which may
// have shrunk meanwhile). False when a read fails: then nothing is to be used.
bool ReadAppended(int handle, int64_t offset, int64_t count, AnsiString& text, int64_t& consumed)
{
    text.clear();
    consumed = 0;
    AnsiString block(static_cast<size_t>(std::min(count, ReadBlock)), '\0');
    while (consumed < count) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(count - consumed, ReadBlock));
        const ssize_t got = pread(handle, &block[0], want, static_cast<off_t>(offset + consumed));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            text.clear();
            consumed = 0;
            return false;
        }
        if (got == 0)
            break;
        // Copy the runs between carriage returns.
        const char* run = block.data();
        const char* end = run + got;
        while (run < end) {
            const char* cr = static_cast<const char*>(std::memchr(run, '\r', static_cast<size_t>(end - run)));
            text.append(run, cr ? cr : end);
            run = cr ? cr + 1 : end;
        }
        consumed += got;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------
// TTailFile

TTailFile::TTailFile(CTail* aOwner) : Owner(aOwner) {}

TTailFile::~TTailFile()
{
    if (Handle >= 0)
        FileClose(Handle);
    Handle = -1;
    if (Owner)
        Owner->RemoveFile(this);
}

void TTailFile::Reopen(const AnsiString& name)
{
    // Everything that can fail comes first, so that a failure changes nothing.
    int64_t length = 0;
    const int handle = OpenRegularFile(name.empty() ? FileName : name, length);
    if (!name.empty())
        FileName = name;
    if (Handle >= 0)
        FileClose(Handle);
    Handle = handle;
    Position = length;
    LineComplete = false;
    LineCount = 0;
}

// ---------------------------------------------------------------------------
// CTail

CTail::CTail() : FTimer(std::make_unique<TTimer>(nullptr)), FAlive(std::make_shared<bool>(true))
{
    FTimer->SetEnabled(false);
    FTimer->SetInterval(DefaultInterval);
    FTimer->OnTimer = [this](TObject* sender) { TimerTimer(sender); };
}

CTail::~CTail()
{
    *FAlive = false;
    FTimer.reset();
    // Each record unlinks itself from the list when it goes.
    while (FFiles.Count() > 0)
        delete static_cast<TTailFile*>(FFiles.Get(0));
}

int CTail::OpenFile(const AnsiString& name)
{
    int64_t length = 0;
    return OpenRegularFile(name, length);
}

TTailFile* CTail::AddFile(const AnsiString& name)
{
    int64_t length = 0;
    const int handle = OpenRegularFile(name, length);
    auto* file = new TTailFile(this);
    file->Handle = handle;
    file->FileName = name;
    file->Position = length;
    FFiles.Add(file);
    return file;
}

TTailFile* CTail::GetFile(int index) const
{
    return static_cast<TTailFile*>(FFiles.Get(index));
}

void CTail::RemoveFile(TTailFile* file)
{
    const int index = FFiles.IndexOf(file);
    if (index < 0)
        return;
    FFiles.Delete(index);
    if (!FPolling)
        return;
    // Keep the poll on the record it visits: the records behind a removed one
    // move down by one; when the visited record itself goes, the next one takes
    // its index and is visited next.
    if (index < FPollIndex) {
        --FPollIndex;
    } else if (index == FPollIndex) {
        FPollFile = nullptr;
        --FPollIndex;
    }
}

TTailFile* CTail::FindByViewer(const TObject* control) const
{
    if (!control)
        return nullptr;
    // The pane is only declared here. A viewer derives from TObject along a
    // single line of classes, so its address is the address of its TObject part.
    for (int i = 0; i < FFiles.Count(); ++i) {
        TTailFile* file = GetFile(i);
        if (static_cast<const void*>(file->View) == static_cast<const void*>(control))
            return file;
    }
    return nullptr;
}

bool CTail::IsOpen(const AnsiString& name) const
{
    for (int i = 0; i < FFiles.Count(); ++i)
        if (GetFile(i)->FileName == name)
            return true;
    return false;
}

int CTail::GetInterval() const
{
    return static_cast<int>(FTimer->Interval());
}

void CTail::SetInterval(int milliseconds)
{
    if (milliseconds > 0)
        FTimer->SetInterval(static_cast<unsigned>(milliseconds));
}

bool CTail::GetActive() const
{
    return FTimer->Enabled();
}

void CTail::SetActive(bool on)
{
    if (on) {
        for (int i = 0; i < FFiles.Count(); ++i) {
            TTailFile* file = GetFile(i);
            int64_t length;
            if (QueryLength(file, length))
                file->Position = length;
        }
    }
    FTimer->SetEnabled(on);
}

void CTail::TimerTimer(TObject*)
{
    if (FPolling)
        return;
    FPolling = true;
    const std::shared_ptr<bool> alive = FAlive;
    try {
        // The count is read again before every record: callbacks add and remove
        // records, and RemoveFile moves FPollIndex along.
        for (FPollIndex = 0; FPollIndex < FFiles.Count(); ++FPollIndex) {
            FPollFile = GetFile(FPollIndex);
            if (!PollFile(FPollFile))
                return;
        }
    } catch (...) {
        if (*alive) {
            FPolling = false;
            FPollFile = nullptr;
        }
        throw;
    }
    FPolling = false;
    FPollFile = nullptr;
}

bool CTail::QueryLength(const TTailFile* file, int64_t& length)
{
    ++FSizeQueries;
    return FileLength(file->Handle, length);
}

bool CTail::PollFile(TTailFile* file)
{
    file->NewText.clear();
    int64_t length;
    if (!QueryLength(file, length))
        return true; // unknown this time: nothing changes, the next poll tries again
    if (!file->Active) {
        file->Position = length;
        file->LineComplete = true;
        return true;
    }
    if (length == file->Position)
        return true;

    const std::shared_ptr<bool> alive = FAlive;
    if (length < file->Position) {
        // The file was cut short or rewritten: what it holds now was written
        // after that, so the next poll reads it from the start.
        file->Position = 0;
        if (OnTruncate)
            OnTruncate(FPollIndex, file);
        return *alive;
    }

    AnsiString text;
    int64_t consumed = 0;
    if (!ReadAppended(file->Handle, file->Position, length - file->Position, text, consumed) || consumed == 0)
        return true; // a failed read delivers nothing; Position stays for the next poll
    file->Position += consumed;
    file->NewText = std::move(text);
    // LineComplete tells the callback about the text before this chunk; it is
    // brought up to date afterwards, even when the callback throws.
    const bool appended = !file->NewText.empty();
    const bool endsLine = appended && file->NewText.back() == '\n';
    auto finish = [&] {
        if (*alive && FPollFile == file && appended)
            file->LineComplete = endsLine;
    };
    try {
        if (OnNewText)
            OnNewText(FPollIndex, file);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return *alive;
}
