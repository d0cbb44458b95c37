// Writing the settings file in place, for a file whose folder takes no new
// file: a copy of the old settings is kept in the per-user folder until the
// new ones are whole on the disk, and a start after a save that was cut short
// puts the copy back. A save in place holds the settings file locked
// (flock) from before the copy is made until it is dropped, so that a start
// meanwhile neither puts the copy back nor takes it for one left behind.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "app/U_kelvor.h"
#include "platform/core/inidata.h"
#include "platform/core/streams.h"

namespace {

// The new text goes out in pieces of this size, each a step of the save.
constexpr size_t SaveChunk = size_t{64} << 10;

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
int OpenInPlace(const AnsiString& fileName, int extraFlags)
{
    const int handle =
        open(fileName.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extraFlags, 0644);
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

// How long a save in place waits for another program's save of the same
// file to end before it gives up.
constexpr auto LockPatience = std::chrono::seconds(5);

// Takes the exclusive lock of the open settings file, waiting up to
// LockPatience for another program that holds it; false with errno set when
// it stays held. A file system without locks counts as locked.
bool LockSettings(int handle)
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (flock(handle, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return true;
        if (std::chrono::steady_clock::now() - start >= LockPatience) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The whole of a file of at most Limit bytes; false when it is missing, larger
// or cannot be read.
bool ReadWhole(const AnsiString& fileName, int64_t limit, AnsiString& bytes)
{
    const int handle = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (handle < 0)
        return false;
    struct stat info;
    bool read = fstat(handle, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= limit;
    if (read) {
        bytes.assign(static_cast<size_t>(info.st_size), '\0');
        size_t done = 0;
        while (read && done < bytes.size()) {
            const ssize_t n = ::read(handle, &bytes[done], bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            read = n > 0;
            if (read)
                done += static_cast<size_t>(n);
        }
    }
    close(handle);
    return read;
}

// The settings file's lock taken without waiting, for the scope; held
// elsewhere while another program saves the file in place.
class TSettingsLock {
public:
    explicit TSettingsLock(const AnsiString& fileName)
        : FHandle(open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
    {
        struct stat info;
        FHeldElsewhere = FHandle >= 0 && fstat(FHandle, &info) == 0 && S_ISREG(info.st_mode) &&
                         flock(FHandle, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    ~TSettingsLock()
    {
        if (FHandle >= 0)
            close(FHandle);
    }
    TSettingsLock(const TSettingsLock&) = delete;
    TSettingsLock& operator=(const TSettingsLock&) = delete;
    bool HeldElsewhere() const { return FHeldElsewhere; }

private:
    int FHandle;
    bool FHeldElsewhere = false;
};

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

AnsiString WriteSettingsInPlace(const AnsiString& fileName, const AnsiString& text)
{
    // Opened and locked first: held until the copy is dropped.
    const int handle = OpenInPlace(fileName, 0);
    if (handle < 0)
        return SysErrorMessage(errno);
    if (!LockSettings(handle)) {
        close(handle);
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
        SafeWriteFile(copy, [&](TStream& stream) {
            const AnsiString head = fileName + "\n";
            stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
            Step(TSettingsSaveStep::FillCopy);
            stream.WriteBuffer(old.data(), static_cast<int64_t>(old.size()));
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

AnsiString RestoreInterruptedSettingsSave(const AnsiString& fileName)
{
    const AnsiString copy = SettingsCopyFileName(fileName);
    // What saves that were cut short left of their new files, beside the
    // file and beside the copy; those that a running save holds stay.
    RemoveAbandonedTemporaries(fileName);
    RemoveAbandonedTemporaries(copy);
    // Another program saving the file in place holds it: its copy is its own.
    const TSettingsLock lock(fileName);
    if (lock.HeldElsewhere())
        return AnsiString();
    AnsiString bytes;
    // The copy holds the file's name before at most the largest settings read.
    if (!ReadWhole(copy, MaxIniFileSize + static_cast<int64_t>(fileName.size()) + 1, bytes))
        return AnsiString();
    // A copy is made empty and then replaced by a whole one: one without even
    // a whole first line was cut while it was made, and the file itself was
    // not touched yet.
    if (bytes.find('\n') == AnsiString::npos) {
        unlink(copy.c_str());
        return AnsiString();
    }
    // Another file's copy whose name hashes alike is left alone.
    const AnsiString head = fileName + "\n";
    if (bytes.compare(0, head.size(), head) != 0)
        return AnsiString();
    const int handle = OpenInPlace(fileName, O_CREAT);
    if (handle < 0)
        return SysErrorMessage(errno);
    AnsiString reason;
    if (!Overwrite(handle, bytes.substr(head.size())))
        reason = SysErrorMessage(errno);
    if (close(handle) != 0 && reason.empty())
        reason = SysErrorMessage(errno);
    if (reason.empty())
        unlink(copy.c_str());
    return reason;
}
