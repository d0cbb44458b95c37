// The file monitor: opening watched files, their records and the poll, which
// follows a file's name when another file takes it.
#include "app/Tail.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include "platform/controls/forms.h"
#include "platform/core/sysutils.h"

// A file as the file system knows it, whatever name reaches it.
struct TTailFileId {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const TTailFileId& o) const { return Device == o.Device && Inode == o.Inode; }
};

namespace {

const int DefaultInterval = 500;
// Bytes read per system call; a large chunk is read block by block.
const int64_t ReadBlock = 64 * 1024;

TTailIoFault& IoFault()
{
    static TTailIoFault fault;
    return fault;
}

// False with errno set when the fault hook makes the call fail.
bool IoAllowed(TTailIo io)
{
    const int error = IoFault() ? IoFault()(io) : 0;
    if (error > 0)
        errno = error;
    return error <= 0;
}

// The current length of the open file, and its identity when Id is given: one
// fstat, no reopening, no reading. False with errno set when it cannot be had.
bool FileLength(int handle, int64_t& length, TTailFileId* id)
{
    struct stat info;
    if (handle < 0) {
        errno = EBADF;
        return false;
    }
    if (!IoAllowed(TTailIo::SizeQuery) || fstat(handle, &info) != 0)
        return false;
    length = static_cast<int64_t>(info.st_size);
    if (id)
        *id = {info.st_dev, info.st_ino};
    return true;
}

// The message names the file and says why, in a sentence of its own on the
// same line (the start-up box lists one problem a line).
[[noreturn]] void RaiseUnableToOpen(const AnsiString& name, const AnsiString& reason)
{
    throw Exception("Unable to open file '" + ShownFileName(name) + "'. " + reason);
}

// Why the system refused a file: its own words.
AnsiString SystemReason(int error)
{
    return SysErrorMessage(error) + ".";
}

// What a name that is no regular file names instead, or null when the kind
// has no name of its own.
const char* NonFileKind(mode_t mode)
{
    return S_ISDIR(mode)                    ? "a folder"
           : S_ISFIFO(mode)                 ? "a named pipe (FIFO)"
           : S_ISSOCK(mode)                 ? "a socket"
           : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                                            : nullptr;
}

// Why a name that exists is no file to watch: what it is instead.
AnsiString NotRegularReason(mode_t mode)
{
    const char* what = NonFileKind(mode);
    return what ? AnsiString("It is ") + what + ", not a regular file."
                : AnsiString("It is not a regular file.");
}

[[noreturn]] void RaiseNotExists(const AnsiString& name)
{
    throw Exception("File '" + ShownFileName(name) + "' not exists.");
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Opens a regular file for reading and gives its length at this moment.
int OpenRegularFile(const AnsiString& name, int64_t& length)
{
    // A name with a NUL byte would name another file to the system.
    struct stat info;
    if (name.empty() || name.find('\0') != AnsiString::npos)
        RaiseNotExists(name);
    if (stat(name.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            RaiseNotExists(name);
        RaiseUnableToOpen(name, SystemReason(errno));
    }
    if (!S_ISREG(info.st_mode))
        RaiseUnableToOpen(name, NotRegularReason(info.st_mode));
    // FileOpen does not wait for the other end of a named pipe and refuses a
    // folder; the type is checked on the handle itself, as the name may have
    // changed since it was looked at.
    const int handle = FileOpen(name, fmOpenRead | fmShareDenyNone);
    if (handle < 0)
        RaiseUnableToOpen(name, SystemReason(errno));
    if (fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        const AnsiString reason =
            S_ISREG(info.st_mode) ? SystemReason(errno) : NotRegularReason(info.st_mode);
        FileClose(handle);
        RaiseUnableToOpen(name, reason);
    }
    length = static_cast<int64_t>(info.st_size);
    return handle;
}

// The bytes remembered before the read position, read again with new bytes.
const size_t KeptBytes = 64;

// Keeps the last KeptBytes of kept followed by count bytes of data (null: zeros).
void KeepLast(AnsiString& kept, const char* data, int64_t count)
{
    if (count >= static_cast<int64_t>(KeptBytes)) {
        kept = data ? AnsiString(data + count - KeptBytes, KeptBytes) : AnsiString(KeptBytes, '\0');
        return;
    }
    if (data)
        kept.append(data, static_cast<size_t>(count));
    else
        kept.append(static_cast<size_t>(count), '\0');
    if (kept.size() > KeptBytes)
        kept.erase(0, kept.size() - KeptBytes);
}

// Appends bytes as delivered: carriage returns dropped, a run of NUL bytes as
// one NUL (nul: the text delivered so far ends with one).
void AppendDelivered(AnsiString& text, const char* data, size_t count, bool& nul)
{
    const char* run = data;
    const char* end = data + count;
    // The next carriage return and the next NUL, each looked for once.
    auto next = [end](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<size_t>(end - from));
        return found ? static_cast<const char*>(found) : end;
    };
    const char* cr = next(data, '\r');
    const char* zero = next(data, '\0');
    while (cr < end || zero < end) {
        const char* p = std::min(cr, zero);
        text.append(run, p);
        if (p > run)
            nul = false;
        run = p + 1;
        if (p == zero) {
            if (!nul) {
                text += '\0';
                nul = true;
            }
            zero = next(run, '\0');
        } else {
            cr = next(run, '\r');
        }
    }
    if (end > run) {
        text.append(run, end);
        nul = false;
    }
}

// Where the next data lies at or after pos, before limit: pos when there is no
// hole there (or the file system cannot say), limit when only a hole is left.
// The question waits, on common file systems, until a writer's write() call
// on the file has ended (seconds for a large one), which reads and size
// queries do not: it is asked only where a read has just returned zeros.
int64_t NextData(int handle, int64_t pos, int64_t limit)
{
    const off_t data = lseek(handle, static_cast<off_t>(pos), SEEK_DATA);
    if (data < 0)
        return errno == ENXIO ? limit : pos;
    return std::min<int64_t>(data, limit);
}

// A run of zeros at least this long at the end of a read block may be where a
// hole begins: only then is the file system asked where the next data lies.
// Holes are whole blocks of the file system, a page or more.
const size_t HoleProbeRun = 4096;

// The number of zero bytes that end the count bytes at data.
size_t TrailingZeros(const char* data, size_t count)
{
    size_t zeros = 0;
    while (zeros < count && data[count - 1 - zeros] == '\0')
        ++zeros;
    return zeros;
}

enum class TReadOutcome { Read, Failed, Rewritten };

// Reads what was appended at offset (available bytes, of which at most
// PieceLimit are read; holes are skipped and cost nothing). The first system
// call also reads the remembered bytes before offset again: when they differ,
// the file was rewritten and nothing is to be used. Text holds the bytes as
// delivered, consumed counts every byte passed (holes included), and kept and
// nul are brought up to date, also when a later read fails (Failed, with
// errno set): what was read before the failure is kept. Plain reads only, except where a read
// ended in a long run of zeros: there the file system is asked where the next
// data lies (counted in holeProbes), and a hole up to it is passed as zeros.
TReadOutcome ReadPiece(int handle, int64_t offset, int64_t available, AnsiString& text, int64_t& consumed,
                       AnsiString& kept, bool& nul, int64_t& holeProbes)
{
    text.clear();
    consumed = 0;
    const int64_t budget = std::min<int64_t>(available, static_cast<int64_t>(CTail::PieceLimit));
    text.reserve(static_cast<size_t>(budget));
    const size_t check = std::min<size_t>(kept.size(), static_cast<size_t>(offset));
    AnsiString block(static_cast<size_t>(std::min(budget, ReadBlock)) + check, '\0');
    int64_t dataRead = 0;
    bool first = true;
    const int64_t limit = offset + available;
    while (consumed < available && dataRead < budget) {
        const int64_t pos = offset + consumed;
        const int64_t want = std::min({ReadBlock, budget - dataRead, available - consumed});
        const size_t extra = first ? check : 0;
        const ssize_t got = !IoAllowed(TTailIo::Read)
                                ? -1
                                : pread(handle, &block[0], static_cast<size_t>(want) + extra,
                                        static_cast<off_t>(pos - static_cast<int64_t>(extra)));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return TReadOutcome::Failed;
        }
        if (first) {
            first = false;
            if (static_cast<size_t>(got) < extra ||
                std::memcmp(block.data(), kept.data() + kept.size() - extra, extra) != 0)
                return TReadOutcome::Rewritten;
        }
        const int64_t fresh = got - static_cast<int64_t>(extra);
        if (fresh == 0)
            break;
        const char* bytes = block.data() + extra;
        AppendDelivered(text, bytes, static_cast<size_t>(fresh), nul);
        KeepLast(kept, bytes, fresh);
        consumed += fresh;
        dataRead += fresh;
        if (consumed < available && TrailingZeros(bytes, static_cast<size_t>(fresh)) >= HoleProbeRun) {
            ++holeProbes;
            const int64_t next = offset + consumed;
            const int64_t data = NextData(handle, next, limit);
            // A hole reads as zeros, and the block ended with zeros already:
            // the NUL delivered for them stands for all of it.
            if (data > next) {
                KeepLast(kept, nullptr, data - next);
                consumed += data - next;
            }
        }
    }
    return TReadOutcome::Read;
}

// Reads the bytes just before position into kept (empty when they cannot be read).
void ReadKept(int handle, int64_t position, AnsiString& kept)
{
    const size_t count = static_cast<size_t>(std::min<int64_t>(position, KeptBytes));
    kept.assign(count, '\0');
    ssize_t got;
    do
        got = pread(handle, &kept[0], count, static_cast<off_t>(position - static_cast<int64_t>(count)));
    while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(count))
        kept.clear();
}

// Why a watched file could not be followed: the system's reason for a failed
// size query or read.
AnsiString ReadFailureReason(TTailIo io, int error)
{
    return (io == TTailIo::SizeQuery ? "Its size could not be read: " : "It could not be read: ") +
           SysErrorMessage(error) + ".";
}

// What a watched file's name named when it was looked up: Error is the look-up's
// errno, 0 when it named something.
struct TNameLookup {
    int Error = 0;
    mode_t Mode = 0;
    TTailFileId Id;
};

// Looks the name up, following links (a link to the open file is that file).
TNameLookup LookUpName(const AnsiString& name)
{
    TNameLookup found;
    struct stat info;
    if (stat(name.c_str(), &info) != 0) {
        found.Error = errno;
        return found;
    }
    found.Mode = info.st_mode;
    found.Id = {info.st_dev, info.st_ino};
    return found;
}

// Why a name that names something other than a regular file cannot be followed.
AnsiString NotAFileReason(mode_t mode)
{
    const char* what = NonFileKind(mode);
    return AnsiString("Its name now names ") + (what ? what : "something") +
           ", not a file that can be followed.";
}

enum class TNameChange { None, Replaced, Unfollowable };

// What the name found means for the record whose open file is Open: None when
// it reaches that file or names nothing (a log between its rename and its
// re-creation: looked up again at the next poll), Replaced when it names
// another regular file, Unfollowable (Reason says why) otherwise.
TNameChange NameChange(const TNameLookup& name, const TTailFileId& open, AnsiString& reason)
{
    if (name.Error == ENOENT || name.Error == ENOTDIR)
        return TNameChange::None;
    if (name.Error != 0) {
        reason = "Its name cannot be looked up: " + SysErrorMessage(name.Error) + ".";
        return TNameChange::Unfollowable;
    }
    if (name.Id == open)
        return TNameChange::None;
    if (!S_ISREG(name.Mode)) {
        reason = NotAFileReason(name.Mode);
        return TNameChange::Unfollowable;
    }
    return TNameChange::Replaced;
}

// Opens the regular file under Name for reading and gives its length and
// identity. -1 when there is nothing to open; Reason then says why, when what
// the name names cannot be followed.
int OpenUnderName(const AnsiString& name, int64_t& length, TTailFileId& id, AnsiString& reason)
{
    const int handle = IoAllowed(TTailIo::Open) ? FileOpen(name, fmOpenRead | fmShareDenyNone) : -1;
    struct stat info;
    if (handle < 0 || fstat(handle, &info) != 0) {
        const int error = errno;
        if (handle >= 0)
            FileClose(handle);
        if (error == EISDIR)
            reason = NotAFileReason(S_IFDIR);
        else if (error != ENOENT && error != ENOTDIR)
            reason = "The file now under its name could not be opened: " + SysErrorMessage(error) + ".";
        return -1;
    }
    // The type is checked on the handle: the name may have changed since.
    if (!S_ISREG(info.st_mode)) {
        reason = NotAFileReason(info.st_mode);
        FileClose(handle);
        return -1;
    }
    length = static_cast<int64_t>(info.st_size);
    id = {info.st_dev, info.st_ino};
    return handle;
}

// Opens the regular file under Name as OpenUnderName does, unless it is Open
// (the name was given back since it was looked up): then -1 with no reason.
int OpenReplacement(const AnsiString& name, const TTailFileId& open, int64_t& length, AnsiString& reason)
{
    TTailFileId id;
    const int handle = OpenUnderName(name, length, id, reason);
    if (handle >= 0 && id == open) {
        FileClose(handle);
        return -1;
    }
    return handle;
}

// Moves an inactive record to Length, its file's end, past what it does not deliver.
void SkipTo(TTailFile* file, int64_t length)
{
    file->Position = length;
    file->EndsInNul = false;
    file->LastBytes.clear();
}

// Lets go of the record's open file, which keeps failing, for the file now
// under its name, and gives that file's length and identity. Position and the
// bytes remembered before it stay: what the file holds is judged as at every
// poll (shorter, or other bytes before Position: read from its start). False
// when nothing can be opened under the name; Reason then says why, when what
// the name names cannot be followed.
bool OpenNameAgain(TTailFile* file, int64_t& length, TTailFileId& id, AnsiString& reason)
{
    const int handle = OpenUnderName(file->FileName, length, id, reason);
    if (handle < 0)
        return false;
    FileClose(file->Handle);
    file->Handle = handle;
    return true;
}

} // namespace

void SetTailIoFault(TTailIoFault fault)
{
    IoFault() = std::move(fault);
}

AnsiString ShownFileName(const AnsiString& name)
{
    if (name.size() <= MaxShownNameLength)
        return name;
    // A third for the start (the folders it lies in), the rest for the end.
    const AnsiString gap = "...";
    size_t head = (MaxShownNameLength - gap.size()) / 3;
    size_t tail = name.size() - (MaxShownNameLength - gap.size() - head);
    while (head > 0 && IsContinuationByte(name[head]))
        --head;
    while (tail < name.size() && IsContinuationByte(name[tail]))
        ++tail;
    return name.substr(0, head) + gap + name.substr(tail);
}

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
    EndsInNul = false;
    SizeQueryFailed = false;
    ReadKept(Handle, Position, LastBytes);
}

// ---------------------------------------------------------------------------
// CTail

CTail::CTail()
    : FTimer(std::make_unique<TTimer>(nullptr)), FAlive(std::make_shared<bool>(true)),
      FInterval(DefaultInterval)
{
    FTimer->SetEnabled(false);
    FTimer->SetInterval(DefaultInterval);
    FTimer->OnTimer = [this](TObject*) { Tick(); };
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
    ReadKept(handle, length, file->LastBytes);
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
    return static_cast<int>(FInterval);
}

void CTail::SetInterval(int milliseconds)
{
    if (milliseconds <= 0)
        return;
    FInterval = static_cast<unsigned>(milliseconds);
    if (!FMoreWaiting)
        FTimer->SetInterval(FInterval);
}

int CTail::GetTickDelay() const
{
    return static_cast<int>(FTimer->Interval());
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
            const TNameLookup name = LookUpName(file->FileName);
            int64_t length;
            TTailFileId open;
            if (!QueryLength(file, length, &open))
                continue;
            // A file that took the name while the monitor was off holds only
            // text of that time. What cannot be followed is left to the next
            // poll, which reports it.
            AnsiString reason;
            bool moved = false;
            if (NameChange(name, open, reason) == TNameChange::Replaced) {
                const int handle = OpenReplacement(file->FileName, open, length, reason);
                if (handle >= 0) {
                    FileClose(file->Handle);
                    file->Handle = handle;
                    moved = true;
                }
            }
            if (moved || length != file->Position) {
                file->Position = length;
                file->EndsInNul = false;
                ReadKept(file->Handle, length, file->LastBytes);
            }
        }
    }
    FTimer->SetEnabled(on);
}

void CTail::Tick()
{
    const std::shared_ptr<bool> alive = FAlive;
    const auto start = std::chrono::steady_clock::now();
    do
        TimerTimer(nullptr);
    while (*alive && FMoreWaiting && FTimer->Enabled() &&
           std::chrono::steady_clock::now() - start < std::chrono::milliseconds(TickBudgetMs));
}

void CTail::TimerTimer(TObject*)
{
    if (FPolling)
        return;
    FPolling = true;
    FMoreWaiting = false;
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
    // While a file has more waiting, the next tick follows at once; the event
    // loop still runs in between.
    FTimer->SetInterval(FMoreWaiting ? 1 : FInterval);
}

bool CTail::QueryLength(const TTailFile* file, int64_t& length, TTailFileId* id)
{
    ++FSizeQueries;
    return FileLength(file->Handle, length, id);
}

bool CTail::PollFile(TTailFile* file)
{
    AnsiString reason;
    if (!OnError)
        return ReadAndFollow(file, reason);
    const std::shared_ptr<bool> alive = FAlive;
    try {
        if (!ReadAndFollow(file, reason))
            return false;
        if (reason.empty())
            return true;
    } catch (const std::bad_alloc&) {
        reason = "Not enough memory to read and show the new text.";
    } catch (const std::exception& error) {
        reason = error.what();
    }
    if (!*alive)
        return false;
    if (FPollFile != file)
        return true; // the record went while it failed
    // Paused, so that the failure is reported once rather than at every tick;
    // what it held is let go.
    file->Active = false;
    AnsiString().swap(file->NewText);
    OnError(FPollIndex, file, reason);
    return *alive;
}

bool CTail::ReadAndFollow(TTailFile* file, AnsiString& failure)
{
    file->NewText.clear();
    file->MoreWaiting = false;
    // The name is looked up first: what was written to the open file before it
    // was renamed away is then within the length taken next, and is read
    // before the record moves on.
    const TNameLookup name = LookUpName(file->FileName);
    int64_t length;
    TTailFileId open;
    if (!QueryLength(file, length, &open)) {
        // Unknown this time: nothing changes, and a later poll tries again.
        // The open file may fail for good, though (a dead network or FUSE
        // mount, a stale handle): when it fails again for an active record
        // (resumed after the failure, or followed without OnError), the
        // record opens its name again and goes on in the file found there.
        const int error = errno;
        const bool failedBefore = std::exchange(file->SizeQueryFailed, true);
        if (!file->Active)
            return true;
        AnsiString reason;
        if (!failedBefore || !OpenNameAgain(file, length, open, reason)) {
            failure = ReadFailureReason(TTailIo::SizeQuery, error);
            if (!reason.empty())
                failure += " " + reason;
            return true;
        }
    }
    file->SizeQueryFailed = false;
    const int handle = file->Handle;
    const AnsiString fileName = file->FileName;
    if (!ReadAndDeliver(file, length, failure))
        return false;
    // The name is followed once the open file was read to its end, and only
    // for the record as it was looked up for: a callback may have removed or
    // reopened it.
    if (FPollFile != file || !failure.empty() || file->MoreWaiting || file->Handle != handle ||
        file->FileName != fileName)
        return true;
    AnsiString reason;
    const TNameChange change = NameChange(name, open, reason);
    int64_t newLength = 0;
    const int replacement =
        change == TNameChange::Replaced ? OpenReplacement(fileName, open, newLength, reason) : -1;
    if (replacement >= 0)
        return SwitchFile(file, replacement, newLength);
    // What cannot be followed fails the poll, once the file's text is read;
    // the record stays on its open file.
    if (file->Active)
        failure = reason;
    return true;
}

bool CTail::SwitchFile(TTailFile* file, int handle, int64_t length)
{
    FileClose(file->Handle);
    file->Handle = handle;
    if (!file->Active) {
        // What the new file holds was written during the pause.
        SkipTo(file, length);
        return true;
    }
    return Restart(file, length);
}

bool CTail::Restart(TTailFile* file, int64_t length)
{
    file->Position = 0;
    file->LastBytes.clear();
    file->EndsInNul = false;
    file->MoreWaiting = length > 0;
    FMoreWaiting = FMoreWaiting || length > 0;
    const std::shared_ptr<bool> alive = FAlive;
    if (OnTruncate)
        OnTruncate(FPollIndex, file);
    return *alive;
}

bool CTail::ReadAndDeliver(TTailFile* file, int64_t length, AnsiString& failure)
{
    if (!file->Active) {
        if (length != file->Position)
            SkipTo(file, length);
        file->LineComplete = true;
        return true;
    }
    if (length == file->Position)
        return true;

    const std::shared_ptr<bool> alive = FAlive;
    AnsiString text;
    int64_t consumed = 0;
    AnsiString kept = file->LastBytes;
    bool nul = file->EndsInNul;
    const TReadOutcome outcome = length < file->Position
                                     ? TReadOutcome::Rewritten
                                     : ReadPiece(file->Handle, file->Position, length - file->Position, text,
                                                 consumed, kept, nul, FHoleProbes);
    // The file was cut short or rewritten: what it holds now was written
    // after that, so the next poll reads it from the start.
    if (outcome == TReadOutcome::Rewritten)
        return Restart(file, length);
    // A failed read delivers what was read before it; Position stays after
    // that for the next poll.
    if (outcome == TReadOutcome::Failed)
        failure = ReadFailureReason(TTailIo::Read, errno);
    if (consumed == 0)
        return true;
    file->Position += consumed;
    file->LastBytes = std::move(kept);
    file->EndsInNul = nul;
    file->NewText = std::move(text);
    FMoreWaiting = FMoreWaiting || file->Position < length;
    // LineComplete tells the callback about the text before this chunk; it is
    // brought up to date afterwards, even when the callback throws.
    const bool appended = !file->NewText.empty();
    const bool endsLine = appended && file->NewText.back() == '\n';
    auto finish = [&] {
        if (*alive && FPollFile == file && appended)
            file->LineComplete = endsLine;
    };
    file->MoreWaiting = file->Position < length;
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
