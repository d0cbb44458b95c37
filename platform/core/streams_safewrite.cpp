// The temporary files of SafeWriteFile: made beside the file they replace,
// each held by its writer with a lock, and removed at a later start when a
// writer ended (was killed) before its rename and no one holds it any more.
#include "platform/core/streams_safewrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

namespace {

// The name's part before the random digits: "." + the file's name (at most
// 200 bytes, short enough for the file system whatever the target's
// length) + ".tmp".
AnsiString TemporaryPrefix(const AnsiString& target)
{
    return "." + ExtractFileName(target).substr(0, 200) + ".tmp";
}

// The random digits of a temporary name: twelve upper-case hexadecimal digits.
const size_t TemporaryDigits = 12;

bool IsTemporaryName(const AnsiString& name, const AnsiString& prefix)
{
    if (name.size() != prefix.size() + TemporaryDigits || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

TFileLockFault& LockFault()
{
    static TFileLockFault fault;
    return fault;
}

// Removes the temporary file Path when it is a regular file that no writer
// holds: the lock taken here is refused while a writer holds its own, and
// the name must still be the file locked. A lock that cannot be had for
// another reason tells nothing of a writer: the file stays.
bool RemoveWhenUnheld(const AnsiString& path)
{
    const int handle = OpenForLock(path, O_NOFOLLOW);
    if (handle < 0)
        return false;
    bool removed = false;
    struct stat held, named;
    if (::fstat(handle, &held) == 0 && S_ISREG(held.st_mode) &&
        TryLockExclusive(handle) == TFileLockState::Taken && ::lstat(path.c_str(), &named) == 0 &&
        named.st_dev == held.st_dev && named.st_ino == held.st_ino)
        removed = ::unlink(path.c_str()) == 0;
    ::close(handle);
    return removed;
}

} // namespace

int OpenForLock(const AnsiString& path, int extraFlags)
{
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extraFlags;
    int handle;
    do
        handle = ::open(path.c_str(), O_RDWR | flags);
    while (handle < 0 && errno == EINTR);
    // A file that may not be written (its permission, a read-only file
    // system, an immutable file) is locked through a handle for reading.
    if (handle < 0 && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY))
        do
            handle = ::open(path.c_str(), O_RDONLY | flags);
        while (handle < 0 && errno == EINTR);
    return handle;
}

TFileLockState TryLockExclusive(int handle)
{
    for (;;) {
        const int fault = LockFault() ? LockFault()(handle) : 0;
        if (fault > 0) {
            errno = fault;
            return errno == EWOULDBLOCK ? TFileLockState::HeldElsewhere : TFileLockState::Unknown;
        }
        if (::flock(handle, LOCK_EX | LOCK_NB) == 0)
            return TFileLockState::Taken;
        if (errno == EINTR)
            continue;
        return errno == EWOULDBLOCK ? TFileLockState::HeldElsewhere : TFileLockState::Unknown;
    }
}

void SetFileLockFault(TFileLockFault fault)
{
    LockFault() = std::move(fault);
}

AnsiString SafeWriteTarget(const AnsiString& fileName)
{
    struct stat info;
    if (::lstat(fileName.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return fileName;
    char* resolved = ::realpath(fileName.c_str(), nullptr);
    if (!resolved)
        return fileName; // a dangling link: replace the link itself
    AnsiString result(resolved);
    std::free(resolved);
    return result;
}

int CreateSafeWriteTemporary(const AnsiString& target, AnsiString& tempName)
{
    static unsigned counter = 0;
    const AnsiString stem = ExtractFilePath(target) + TemporaryPrefix(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto stamp = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        uint64_t mix =
            stamp ^ (static_cast<uint64_t>(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull);
        tempName = stem + IntToHex(static_cast<int64_t>(mix & 0xFFFFFFFFFFFFull), TemporaryDigits);
        // 0666 so that a new file gets the permissions the umask allows, as any new file would.
        const int handle = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        // Held from now on (where the file system has no locks, unheld). A
        // start that looked at the file between its making and this lock may
        // have removed it: then it has no name any more, and another is made.
        int locked;
        do
            locked = ::flock(handle, LOCK_EX);
        while (locked != 0 && errno == EINTR);
        struct stat info;
        if (::fstat(handle, &info) == 0 && info.st_nlink == 0) {
            ::close(handle);
            continue;
        }
        return handle;
    }
    errno = EEXIST;
    return -1;
}

void SyncFolderOf(const AnsiString& target)
{
    AnsiString folder = ExtractFilePath(target);
    int handle = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        // Makes the rename itself durable; a file system that cannot is no failure of the write.
        ::fsync(handle);
        ::close(handle);
    }
}

int RemoveAbandonedTemporaries(const AnsiString& fileName)
{
    const AnsiString target = SafeWriteTarget(fileName);
    const AnsiString folder = ExtractFilePath(target);
    const AnsiString prefix = TemporaryPrefix(target);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return 0;
    std::vector<AnsiString> found;
    while (const dirent* entry = ::readdir(dir))
        if (IsTemporaryName(entry->d_name, prefix))
            found.push_back(folder + entry->d_name);
    ::closedir(dir);
    int removed = 0;
    for (const AnsiString& path : found)
        removed += RemoveWhenUnheld(path) ? 1 : 0;
    return removed;
}
