// File names with '/' between folders, and files over POSIX handles.
#include "platform/core/sysutils.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The offset of the '.' that starts the extension, or npos: the last dot after the last '/'.
size_t ExtensionDot(const AnsiString& fileName)
{
    const size_t dot = fileName.find_last_of("./");
    return (dot != AnsiString::npos && fileName[dot] == '.') ? dot : AnsiString::npos;
}

AnsiString CurrentDirectory()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (getcwd(buffer.data(), buffer.size()))
            return AnsiString(buffer.data());
        if (errno != ERANGE || buffer.size() >= (size_t{1} << 20))
            return AnsiString();
        buffer.resize(buffer.size() * 2);
    }
}

bool StatIs(const AnsiString& name, mode_t type)
{
    struct stat info;
    return !name.empty() && stat(name.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == type;
}

} // namespace

// ---------------------------------------------------------------------------
// File names

AnsiString ExtractFilePath(const AnsiString& fileName)
{
    const size_t slash = fileName.rfind(PathDelim);
    return slash == AnsiString::npos ? AnsiString() : fileName.substr(0, slash + 1);
}

AnsiString ExtractFileDir(const AnsiString& fileName)
{
    AnsiString dir = ExtractFilePath(fileName);
    if (dir.size() > 1) // the root keeps its '/'
        dir.pop_back();
    return dir;
}

AnsiString ExtractFileName(const AnsiString& fileName)
{
    const size_t slash = fileName.rfind(PathDelim);
    return slash == AnsiString::npos ? fileName : fileName.substr(slash + 1);
}

AnsiString ExtractFileExt(const AnsiString& fileName)
{
    const size_t dot = ExtensionDot(fileName);
    return dot == AnsiString::npos ? AnsiString() : fileName.substr(dot);
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension)
{
    const size_t dot = ExtensionDot(fileName);
    return (dot == AnsiString::npos ? fileName : fileName.substr(0, dot)) + extension;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& path)
{
    return (!path.empty() && path.back() == PathDelim) ? path : path + PathDelim;
}

// Absolute and normalised without asking the file system: "." and empty parts go,
// ".." removes the part before it (never above the root). A trailing '/' stays.
AnsiString ExpandFileName(const AnsiString& fileName)
{
    if (fileName.empty())
        return AnsiString();
    AnsiString full = fileName;
    if (full[0] != PathDelim) {
        const AnsiString cwd = CurrentDirectory();
        if (cwd.empty())
            return AnsiString(); // no current folder to stand on
        full = IncludeTrailingPathDelimiter(cwd) + full;
    }
    std::vector<AnsiString> parts;
    size_t start = 1;
    while (start <= full.size()) {
        size_t end = full.find(PathDelim, start);
        if (end == AnsiString::npos)
            end = full.size();
        const AnsiString part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    AnsiString result;
    for (const AnsiString& part : parts)
        result += PathDelim + part;
    if (result.empty() || full.back() == PathDelim)
        result += PathDelim;
    return result;
}

// ---------------------------------------------------------------------------
// The file system

// A regular file, or a link to one; folders, devices and pipes are not files here.
bool FileExists(const AnsiString& fileName)
{
    return StatIs(fileName, S_IFREG);
}

bool DirectoryExists(const AnsiString& dirName)
{
    return StatIs(dirName, S_IFDIR);
}

bool FileIsReadOnly(const AnsiString& fileName)
{
    struct stat st;
    if (fileName.empty() || stat(fileName.c_str(), &st) != 0)
        return false;
    // access() alone would call every file writable for root: the mode bits decide for it.
    return (st.st_mode & S_IWUSR) == 0 || access(fileName.c_str(), W_OK) != 0;
}

bool DeleteFile(const AnsiString& fileName)
{
    return !fileName.empty() && unlink(fileName.c_str()) == 0;
}

// POSIX rename: an existing file of the new name is replaced in one step.
bool RenameFile(const AnsiString& oldName, const AnsiString& newName)
{
    return !oldName.empty() && !newName.empty() && rename(oldName.c_str(), newName.c_str()) == 0;
}

bool ForceDirectories(const AnsiString& dirName)
{
    if (dirName.empty())
        return false;
    const AnsiString full = ExpandFileName(dirName);
    if (full.empty())
        return false;
    // Create every missing folder from the root down; one that exists already is fine.
    for (size_t slash = full.find(PathDelim, 1);; slash = full.find(PathDelim, slash + 1)) {
        const AnsiString prefix = full.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash == AnsiString::npos)
            break;
    }
    return DirectoryExists(full);
}

AnsiString GetEnvironmentVariable(const AnsiString& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? AnsiString(value) : AnsiString();
}

AnsiString SysErrorMessage(int errorCode)
{
    char buffer[256];
    // The GNU strerror_r returns the text, in the buffer or a static string.
    return AnsiString(strerror_r(errorCode, buffer, sizeof buffer));
}

// ---------------------------------------------------------------------------
// Handles

int FileOpen(const AnsiString& fileName, unsigned mode)
{
    int flags;
    switch (mode & 3) {
    case fmOpenRead:
        flags = O_RDONLY;
        break;
    case fmOpenWrite:
        flags = O_WRONLY;
        break;
    case fmOpenReadWrite:
        flags = O_RDWR;
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    // Share modes have no POSIX counterpart that binds other programs; they are
    // accepted and not enforced. O_NONBLOCK keeps the open itself from waiting
    // for the other end of a named pipe; it is cleared again below.
    int handle;
    do
        handle = open(fileName.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return -1;
    struct stat info;
    int error = 0;
    if (fstat(handle, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR; // a folder is not a file to read or write
    if (error) {
        close(handle);
        errno = error;
        return -1;
    }
    const int fileFlags = fcntl(handle, F_GETFL);
    if (fileFlags >= 0)
        fcntl(handle, F_SETFL, fileFlags & ~O_NONBLOCK);
    return handle;
}

int FileCreate(const AnsiString& fileName)
{
    int handle;
    do
        handle = open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    while (handle < 0 && errno == EINTR);
    return handle;
}

int64_t FileRead(int handle, void* buffer, int64_t count)
{
    if (count < 0) {
        errno = EINVAL;
        return -1;
    }
    ssize_t done;
    do
        done = read(handle, buffer, static_cast<size_t>(count));
    while (done < 0 && errno == EINTR);
    return done;
}

int64_t FileWrite(int handle, const void* buffer, int64_t count)
{
    if (count < 0) {
        errno = EINVAL;
        return -1;
    }
    // write may stop short (signals, pipes): go on until all is written or it fails.
    const char* bytes = static_cast<const char*>(buffer);
    int64_t written = 0;
    while (written < count) {
        const ssize_t done = write(handle, bytes + written, static_cast<size_t>(count - written));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return written > 0 ? written : -1;
        }
        if (done == 0)
            break;
        written += done;
    }
    return written;
}

int64_t FileSeek(int handle, int64_t offset, int origin)
{
    int whence;
    switch (origin) {
    case 0:
        whence = SEEK_SET;
        break;
    case 1:
        whence = SEEK_CUR;
        break;
    case 2:
        whence = SEEK_END;
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    return lseek(handle, static_cast<off_t>(offset), whence);
}

void FileClose(int handle)
{
    // Not retried on EINTR: on Linux the handle is gone either way.
    if (handle >= 0)
        close(handle);
}
