// Writing the settings file in place, for a file whose folder takes no new
// file: a copy of the old settings is kept in the per-user folder until the
// new ones are whole on the disk, and a start after a save that was cut short
// puts the copy back when the file is still what that save left. A save in
// place holds the settings file locked (flock) from before the copy is made
// until it is dropped, so that a start meanwhile neither puts the copy back
// nor takes it for one left behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/U_kelvor.h"
#include "platform/core/inidata.h"
#include "platform/core/streams.h"
#include "platform/core/streams_safewrite.h"

namespace {

// The new text goes out in pieces of this size, each a step of the save.
constexpr size_t SaveChunk = size_t{64} << 10;

// The second line of a copy, before the sizes of the old and the new text.
const char* const CopyRecordPrefix = "; in-place save, old and new sizes: ";
// Longer than any record line.
constexpr int64_t MaxCopyRecordLength = 100;

TSettingsSaveHook& SaveHook()
{
    static TSettingsSaveHook hook;
    return hook;
}

void Step(TSettingsSaveStep step)
{
    if (SaveHook())
        SaveHook()(step);
}

// FNV-1a over the bytes of a name.
uint64_t NameHash(const AnsiString& name)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char c : name)
        hash = (hash ^ c) * 0x100000001B3ull;
    return hash;
}

// Writes Text over the open file from its start, forces it to the disk, and
// only then cuts the file to Text's length (forced to the disk as well): at
// every moment the file's first bytes are old or new ones, never none. False
// with errno set.
bool Overwrite(int handle, const AnsiString& text)
{
    size_t done = 0;
    while (done < text.size()) {
        Step(TSettingsSaveStep::Write);
        const size_t size = std::min(SaveChunk, text.size() - done);
        const ssize_t n = pwrite(handle, text.data() + done, size, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    if (fsync(handle) != 0)
        return false;
    Step(TSettingsSaveStep::Cut);
    return ftruncate(handle, static_cast<off_t>(text.size())) == 0 && fsync(handle) == 0;
}

// Opens a regular file for writing in place (never waiting on a FIFO);
// -1 with errno set.
int OpenInPlace(const AnsiString& fileName)
{
    const int handle = open(fileName.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (handle < 0)
        return -1;
    struct stat info;
    int error = 0;
    if (fstat(handle, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL;
    if (error == 0)
        return handle;
    close(handle);
    errno = error;
    return -1;
}

enum class TWholeRead { Read, Missing, Other, Failed };

// The whole of a file. Missing: no such file; Other: it is no regular file,
// or larger than Limit; Failed: it could not be read (errno set).
TWholeRead ReadWhole(const AnsiString& fileName, int64_t limit, AnsiString& bytes)
{
    const int handle = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (handle < 0)
        return errno == ENOENT ? TWholeRead::Missing : TWholeRead::Failed;
    struct stat info;
    TWholeRead result = TWholeRead::Read;
    if (fstat(handle, &info) != 0)
        result = TWholeRead::Failed;
    else if (!S_ISREG(info.st_mode) || info.st_size > limit)
        result = TWholeRead::Other;
    else {
        bytes.assign(static_cast<size_t>(info.st_size), '\0');
        size_t done = 0;
        while (result == TWholeRead::Read && done < bytes.size()) {
            const ssize_t n = ::read(handle, &bytes[done], bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                result = TWholeRead::Failed;
            else if (n == 0)
                bytes.resize(done); // shorter than it was a moment ago
            else
                done += static_cast<size_t>(n);
        }
    }
    const int error = errno;
    close(handle);
    errno = error;
    return result;
}

// The settings file's lock taken without waiting, for the scope. Held
// elsewhere while another program saves the file in place; Unknown where the
// file system refuses the lock for another reason, so that nothing can be told
// of such a save; Missing when there is no regular file to lock.
class TSettingsLock {
public:
    enum TState { Taken, HeldElsewhere, Unknown, Missing };

    explicit TSettingsLock(const AnsiString& fileName) : FHandle(OpenForLock(fileName))
    {
        if (FHandle < 0) {
            FState = errno == ENOENT ? Missing : Unknown;
            FError = errno;
            return;
        }
        struct stat info;
        // What is no regular file is no file a save in place writes.
        if (fstat(FHandle, &info) == 0 && !S_ISREG(info.st_mode)) {
            FState = Missing;
            return;
        }
        switch (TryLockExclusive(FHandle)) {
        case TFileLockState::Taken:
            break;
        case TFileLockState::HeldElsewhere:
            FState = HeldElsewhere;
            break;
        case TFileLockState::Unknown:
            FState = Unknown;
            FError = errno;
            break;
        }
    }
    ~TSettingsLock()
    {
        if (FHandle >= 0)
            close(FHandle);
    }
    TSettingsLock(const TSettingsLock&) = delete;
    TSettingsLock& operator=(const TSettingsLock&) = delete;
    TState State() const { return FState; }
    int Error() const { return FError; }

private:
    int FHandle;
    TState FState = Taken;
    int FError = 0;
};

// A copy as it was read: the old text, and the new one that its save was
// writing (none in a copy that does not say).
struct TSettingsCopy {
    AnsiString Old;
    AnsiString New;
    bool KnowsNew = false;
};

// Reads a copy's text behind its first line (the file's name): the record of
// the sizes, the old text and the new one. A copy that holds no such record
// holds only the old text.
TSettingsCopy ParseCopy(const AnsiString& bytes, size_t start)
{
    TSettingsCopy copy;
    const AnsiString prefix = CopyRecordPrefix;
    const size_t lineEnd = bytes.find('\n', start);
    if (bytes.compare(start, prefix.size(), prefix) == 0 && lineEnd != AnsiString::npos) {
        const AnsiString sizes = bytes.substr(start + prefix.size(), lineEnd - start - prefix.size());
        unsigned long long oldSize = 0, newSize = 0;
        char end = 0;
        if (std::sscanf(sizes.c_str(), "%llu %llu%c", &oldSize, &newSize, &end) == 2 &&
            sizes.find_first_not_of("0123456789 ") == AnsiString::npos &&
            oldSize <= static_cast<unsigned long long>(MaxIniFileSize) &&
            newSize <= static_cast<unsigned long long>(MaxIniFileSize) &&
            bytes.size() - lineEnd - 1 == oldSize + newSize) {
            copy.Old = bytes.substr(lineEnd + 1, static_cast<size_t>(oldSize));
            copy.New = bytes.substr(lineEnd + 1 + static_cast<size_t>(oldSize));
            copy.KnowsNew = true;
            return copy;
        }
    }
    copy.Old = bytes.substr(start);
    return copy;
}

// Now is what a save in place from Old to New that was cut short can leave:
// while its writes go on, each byte is the old or the new one at its place
// and the file is as long as the old text or as far as the new one reached
// (writing the old text back after a failed write as well); once it is cut,
// it is as long as the new text.
bool LeftByCutSave(const AnsiString& now, const AnsiString& old, const AnsiString& neu)
{
    const size_t size = now.size();
    if (size != neu.size() && (size < old.size() || size > std::max(old.size(), neu.size())))
        return false;
    for (size_t i = 0; i < size; ++i)
        if (!(i < old.size() && now[i] == old[i]) && !(i < neu.size() && now[i] == neu[i]))
            return false;
    return true;
}

// Writes the old settings of a copy into a new file of the per-user folder
// named after the settings file ("kelvor.ini.old", then "kelvor.ini.old-2"
// and on), no more readable than the copy, and drops the copy. The new file's
// name; empty with Reason set when it could not be written (the copy stays).
AnsiString SetCopyAside(const AnsiString& copy, const AnsiString& fileName, const AnsiString& old,
                        AnsiString& reason)
{
    struct stat info;
    const mode_t mode = stat(copy.c_str(), &info) == 0 ? info.st_mode & 0666 : 0600;
    const AnsiString stem = KelvorConfigFolder() + "/" + ExtractFileName(fileName) + ".old";
    for (int n = 1; n <= 1000; ++n) {
        const AnsiString aside = n == 1 ? stem : stem + "-" + IntToStr(n);
        const int handle = open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (handle < 0 && errno == EEXIST)
            continue;
        if (handle < 0)
            break;
        fchmod(handle, mode);
        int error = 0;
        size_t done = 0;
        while (error == 0 && done < old.size()) {
            const ssize_t w = ::write(handle, old.data() + done, old.size() - done);
            if (w > 0)
                done += static_cast<size_t>(w);
            else if (w == 0)
                error = EIO;
            else if (errno != EINTR)
                error = errno;
        }
        if (error == 0 && fsync(handle) != 0)
            error = errno;
        if (close(handle) != 0 && error == 0)
            error = errno;
        if (error != 0) {
            reason = SysErrorMessage(error);
            unlink(aside.c_str());
            return AnsiString();
        }
        unlink(copy.c_str());
        return aside;
    }
    reason = "No file to keep the old settings in could be made in " + KelvorConfigFolder() + ": " +
             SysErrorMessage(errno);
    return AnsiString();
}

} // namespace

AnsiString SettingsCopyFileName(const AnsiString& iniFileName)
{
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(NameHash(iniFileName)));
    return KelvorConfigFolder() + "/saving-" + hash + ".ini";
}

void SetSettingsSaveHook(TSettingsSaveHook hook)
{
    SaveHook() = std::move(hook);
}

AnsiString WriteSettingsInPlace(const AnsiString& fileName, const AnsiString& text, bool* heldElsewhere)
{
    if (heldElsewhere)
        *heldElsewhere = false;
    // Opened and locked first: held until the copy is dropped. Where the file
    // system grants no lock the save goes on without it.
    const int handle = OpenInPlace(fileName);
    if (handle < 0)
        return SysErrorMessage(errno);
    if (TryLockExclusive(handle) == TFileLockState::HeldElsewhere) {
        close(handle);
        if (heldElsewhere)
            *heldElsewhere = true;
        return "Another program is saving it.";
    }
    AnsiString old;
    if (LoadIniText(fileName, old) != TIniLoadResult::Loaded) {
        close(handle);
        return "It could not be read.";
    }
    const AnsiString copy = SettingsCopyFileName(fileName);
    Step(TSettingsSaveStep::KeepCopy);
    try {
        ForceDirectories(KelvorConfigFolder());
        // The copy is no more readable than the file: made first with the
        // file's permission bits, which SafeWriteFile keeps.
        struct stat info;
        if (stat(fileName.c_str(), &info) == 0) {
            const int made = open(copy.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (made >= 0) {
                fchmod(made, info.st_mode & 0666);
                close(made);
            }
        }
        // The file's name, the record of the sizes, the old text and the new
        // one: a start can tell what this save leaves if it is cut short.
        SafeWriteFile(copy, [&](TStream& stream) {
            const AnsiString head = fileName + "\n" + CopyRecordPrefix +
                                    IntToStr(static_cast<int64_t>(old.size())) + " " +
                                    IntToStr(static_cast<int64_t>(text.size())) + "\n";
            stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
            Step(TSettingsSaveStep::FillCopy);
            stream.WriteBuffer(old.data(), static_cast<int64_t>(old.size()));
            stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        });
    } catch (const Exception& error) {
        close(handle);
        return "No copy of the old settings could be kept in " + KelvorConfigFolder() + ": " +
               error.Message();
    }
    AnsiString reason;
    bool whole = true;
    if (!Overwrite(handle, text)) {
        reason = SysErrorMessage(errno);
        // The old settings back; when even that fails, the copy stays for
        // the next start.
        whole = Overwrite(handle, old);
    }
    if (whole) {
        Step(TSettingsSaveStep::DropCopy);
        unlink(copy.c_str());
    }
    if (close(handle) != 0 && reason.empty())
        reason = SysErrorMessage(errno);
    return reason;
}

TSettingsRestore RestoreInterruptedSettingsSave(const AnsiString& fileName)
{
    TSettingsRestore result;
    const AnsiString copy = SettingsCopyFileName(fileName);
    // What saves that were cut short left of their new files, beside the
    // file and beside the copy; those that a running save holds stay.
    RemoveAbandonedTemporaries(fileName);
    RemoveAbandonedTemporaries(copy);
    // Another program saving the file in place holds it: its copy is its own.
    const TSettingsLock lock(fileName);
    if (lock.State() == TSettingsLock::HeldElsewhere)
        return result;
    AnsiString bytes;
    const int64_t copyLimit =
        static_cast<int64_t>(fileName.size()) + 1 + MaxCopyRecordLength + 2 * MaxIniFileSize;
    if (ReadWhole(copy, copyLimit, bytes) != TWholeRead::Read)
        return result;
    // A copy is made empty and then replaced by a whole one: one without even
    // a whole first line was cut while it was made, and the file itself was
    // not touched yet. (Unless the lock tells nothing: a save may be running.)
    if (bytes.find('\n') == AnsiString::npos) {
        if (lock.State() != TSettingsLock::Unknown)
            unlink(copy.c_str());
        return result;
    }
    // Another file's copy whose name hashes alike is left alone.
    const AnsiString head = fileName + "\n";
    if (bytes.compare(0, head.size(), head) != 0)
        return result;
    const TSettingsCopy saved = ParseCopy(bytes, head.size());
    AnsiString now;
    const int64_t fileLimit = static_cast<int64_t>(std::max(saved.Old.size(), saved.New.size()));
    const TWholeRead read = ReadWhole(fileName, fileLimit, now);
    if (read == TWholeRead::Failed) {
        result.Failure = SysErrorMessage(errno);
        return result;
    }
    const bool untouched = read == TWholeRead::Read && now == saved.Old;
    if (lock.State() == TSettingsLock::Unknown) {
        // A save may be running: its copy stays. The file is the old one, or
        // nothing can be said about it.
        if (!untouched)
            result.Failure =
                "Whether another program is saving it cannot be told: " + SysErrorMessage(lock.Error()) + ".";
        return result;
    }
    if (untouched) {
        unlink(copy.c_str());
        return result;
    }
    if (read == TWholeRead::Read && saved.KnowsNew && LeftByCutSave(now, saved.Old, saved.New)) {
        const int handle = OpenInPlace(fileName);
        if (handle < 0) {
            result.Failure = SysErrorMessage(errno);
            return result;
        }
        if (!Overwrite(handle, saved.Old))
            result.Failure = SysErrorMessage(errno);
        if (close(handle) != 0 && result.Failure.empty())
            result.Failure = SysErrorMessage(errno);
        if (result.Failure.empty())
            unlink(copy.c_str());
        return result;
    }
    // The file is not what the save left (the user changed it since, or
    // removed it): it stays, and the old settings are kept aside.
    result.SetAside = SetCopyAside(copy, fileName, saved.Old, result.Failure);
    return result;
}
