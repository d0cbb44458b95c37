// Streams: the all-or-nothing reads and writes of TStream, memory and string
// streams, file streams over POSIX handles, and the safe replacement of a file.
#include "platform/core/streams.h"

#include "platform/core/streams_safewrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A memory stream larger than this is refused before any allocation is tried.
constexpr int64_t MaxMemoryStreamSize = int64_t{1} << 40;
// One read() or write() moves at most this much (the kernel stops near 2 GiB anyway).
constexpr int64_t MaxChunk = int64_t{1} << 30;

// ---------------------------------------------------------------------------
// Bytes in a container (std::vector<uint8_t> or std::string) with a position
// that may pass the end: the shared rules of memory and string streams.

int64_t SeekTarget(int64_t position, int64_t size, int64_t offset, TSeekOrigin origin)
{
    int64_t base;
    switch (origin) {
    case soBeginning:
        base = 0;
        break;
    case soCurrent:
        base = position;
        break;
    case soEnd:
        base = size;
        break;
    default:
        return -1;
    }
    int64_t target;
    if (__builtin_add_overflow(base, offset, &target) || target < 0)
        return -1;
    return target;
}

template <class Buffer> int64_t BufferRead(const Buffer& data, int64_t& position, void* out, int64_t count)
{
    const auto size = static_cast<int64_t>(data.size());
    if (count <= 0 || position >= size)
        return 0;
    int64_t n = std::min(count, size - position);
    std::memcpy(out, data.data() + position, static_cast<size_t>(n));
    position += n;
    return n;
}

// Makes room for [0, newSize); false when the size is refused or memory runs out.
template <class Buffer> bool BufferGrow(Buffer& data, int64_t newSize)
{
    if (newSize > MaxMemoryStreamSize || static_cast<uint64_t>(newSize) > data.max_size())
        return false;
    try {
        data.resize(static_cast<size_t>(newSize));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

template <class Buffer> int64_t BufferWrite(Buffer& data, int64_t& position, const void* in, int64_t count)
{
    if (count <= 0)
        return 0;
    int64_t end;
    if (__builtin_add_overflow(position, count, &end))
        return 0;
    // resize() zero-fills the gap between the old end and a position past it.
    if (end > static_cast<int64_t>(data.size()) && !BufferGrow(data, end))
        return 0;
    std::memcpy(&data[static_cast<size_t>(position)], in, static_cast<size_t>(count));
    position = end;
    return count;
}

template <class Buffer> void BufferSetSize(Buffer& data, int64_t& position, int64_t newSize)
{
    if (newSize < 0)
        throw EStreamError("Invalid stream size");
    if (!BufferGrow(data, newSize))
        throw EOutOfMemory("Out of memory while expanding memory stream");
    if (position > newSize)
        position = newSize;
}

// ---------------------------------------------------------------------------
// POSIX handles, shared by TFileStream and the temporary file of SafeWriteFile.

// Moves count bytes in chunks through Transfer(offset, size) (a read() or a
// write() at that offset of the buffer), again after a signal, until all have
// moved, the file ends or an error stops it; the bytes moved. Error is the
// system's error number that stopped it, 0 for none.
template <typename TTransfer> int64_t TransferAll(int64_t count, int& error, TTransfer transfer)
{
    error = 0;
    int64_t done = 0;
    while (done < count) {
        ssize_t n = transfer(done, static_cast<size_t>(std::min(count - done, MaxChunk)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t HandleRead(int handle, void* buffer, int64_t count)
{
    auto* out = static_cast<char*>(buffer);
    int error;
    return TransferAll(count, error, [&](int64_t at, size_t size) { return ::read(handle, out + at, size); });
}

int64_t HandleWrite(int handle, const void* buffer, int64_t count, int& error)
{
    const auto* in = static_cast<const char*>(buffer);
    return TransferAll(count, error, [&](int64_t at, size_t size) { return ::write(handle, in + at, size); });
}

// The write error of a file, with the system's reason when it gave one.
[[noreturn]] void RaiseWriteError(int error)
{
    if (error == 0)
        throw EWriteError(SysConst::SWriteError);
    throw EWriteError(Format(SysConst::SWriteErrorEx, {SysErrorMessage(error)}));
}

// Truncates or extends the file behind Handle; raises the write error.
void HandleSetSize(int handle, int64_t newSize)
{
    if (newSize < 0)
        throw EWriteError(SysConst::SWriteError);
    if (::ftruncate(handle, static_cast<off_t>(newSize)) != 0)
        RaiseWriteError(errno);
}

int64_t HandleSeek(int handle, int64_t offset, TSeekOrigin origin)
{
    int whence;
    switch (origin) {
    case soBeginning:
        whence = SEEK_SET;
        break;
    case soCurrent:
        whence = SEEK_CUR;
        break;
    case soEnd:
        whence = SEEK_END;
        break;
    default:
        return -1;
    }
    static_assert(sizeof(off_t) == 8, "file offsets must be 64-bit");
    return ::lseek(handle, static_cast<off_t>(offset), whence);
}

// The temporary file of SafeWriteFile as a stream; the handle stays owned by the caller.
class THandleStream : public TStream {
public:
    explicit THandleStream(int handle) : FHandle(handle) {}
    int64_t Read(void* buffer, int64_t count) override { return HandleRead(FHandle, buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override
    {
        return HandleWrite(FHandle, buffer, count, FWriteFault);
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override { return HandleSeek(FHandle, offset, origin); }
    void SetSize(int64_t newSize) override { HandleSetSize(FHandle, newSize); }

protected:
    int WriteFault() const override { return FWriteFault; }

private:
    int FHandle;
    int FWriteFault = 0;
};

} // namespace

// ---------------------------------------------------------------------------
// TStream

int64_t TStream::Size()
{
    int64_t position = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError(AnsiString(ClassName()) + " cannot change its size");
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count < 0)
        throw EReadError(SysConst::SReadError);
    int64_t done = 0;
    // Read may return part of the bytes (a pipe): ask again until none come.
    while (done < count) {
        int64_t n = Read(static_cast<char*>(buffer) + done, count - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != count)
        throw EReadError(SysConst::SReadError);
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count < 0)
        throw EWriteError(SysConst::SWriteError);
    int64_t done = 0;
    while (done < count) {
        int64_t n = Write(static_cast<const char*>(buffer) + done, count - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != count)
        RaiseWriteError(WriteFault());
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError(SysConst::SReadError);
    constexpr int64_t bufferSize = 64 * 1024;
    std::vector<char> buffer(static_cast<size_t>(std::min(count, bufferSize)));
    for (int64_t left = count; left > 0;) {
        int64_t n = std::min(left, bufferSize);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

const char* TStream::BytesInMemory(int64_t& count)
{
    count = 0;
    return nullptr;
}

namespace {

// The bytes of a buffer of Size from Position on.
const char* BytesFrom(const void* data, int64_t size, int64_t position, int64_t& count)
{
    if (position < 0 || position > size) {
        count = 0;
        return nullptr;
    }
    count = size - position;
    return static_cast<const char*>(data) + position;
}

} // namespace

// ---------------------------------------------------------------------------
// TMemoryStream

const char* TMemoryStream::BytesInMemory(int64_t& count)
{
    return BytesFrom(FData.data(), Size(), FPosition, count);
}

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    return BufferRead(FData, FPosition, buffer, count);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    return BufferWrite(FData, FPosition, buffer, count);
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t target = SeekTarget(FPosition, Size(), offset, origin);
    if (target >= 0)
        FPosition = target;
    return target;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    BufferSetSize(FData, FPosition, newSize);
}

void TMemoryStream::Clear()
{
    std::vector<uint8_t>().swap(FData);
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    int64_t count = stream.Size();
    std::vector<uint8_t> data;
    if (count < 0 || !BufferGrow(data, count))
        throw EReadError(SysConst::SReadError);
    stream.ReadBuffer(data.data(), count);
    // Only a complete read replaces the bytes; the position stays, within the new size.
    FData.swap(data);
    FPosition = std::min(FPosition, count);
}

void TMemoryStream::SaveToStream(TStream& stream) const
{
    stream.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

void TMemoryStream::LoadFromFile(const AnsiString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TMemoryStream::SaveToFile(const AnsiString& fileName) const
{
    SafeWriteFile(fileName, [this](TStream& stream) { SaveToStream(stream); });
}

// ---------------------------------------------------------------------------
// TStringStream

TStringStream::TStringStream(const AnsiString& aString) : FDataString(aString) {}

int64_t TStringStream::Read(void* buffer, int64_t count)
{
    return BufferRead(FDataString, FPosition, buffer, count);
}

int64_t TStringStream::Write(const void* buffer, int64_t count)
{
    return BufferWrite(FDataString, FPosition, buffer, count);
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t target = SeekTarget(FPosition, static_cast<int64_t>(FDataString.size()), offset, origin);
    if (target >= 0)
        FPosition = target;
    return target;
}

void TStringStream::SetSize(int64_t newSize)
{
    BufferSetSize(FDataString, FPosition, newSize);
}

const char* TStringStream::BytesInMemory(int64_t& count)
{
    return BytesFrom(FDataString.data(), static_cast<int64_t>(FDataString.size()), FPosition, count);
}

AnsiString TStringStream::ReadString(int64_t count)
{
    const auto size = static_cast<int64_t>(FDataString.size());
    if (count <= 0 || FPosition >= size)
        return AnsiString();
    int64_t n = std::min(count, size - FPosition);
    AnsiString result = FDataString.substr(static_cast<size_t>(FPosition), static_cast<size_t>(n));
    FPosition += n;
    return result;
}

// ---------------------------------------------------------------------------
// TStreamWindow

TStreamWindow::TStreamWindow(TStream& base, int64_t start, int64_t size, bool grows)
    : FOuter(dynamic_cast<TStreamWindow*>(&base)), FBase(FOuter ? FOuter->FBase : base), FGrows(grows)
{
    const int64_t wanted = grows ? 0 : std::max<int64_t>(size, 0);
    if (!FOuter) {
        FStart = start;
        FRoom = std::numeric_limits<int64_t>::max() - std::max<int64_t>(start, 0);
        FSize = std::min(wanted, FRoom);
        if (!grows)
            FRoom = FSize;
        return;
    }
    // Inside another window: from a place inside what it may hold, and no
    // further than it may reach. A fixed window ends where the outer one's
    // bytes end now.
    start = std::clamp<int64_t>(start, 0, FOuter->FRoom);
    FStart = FOuter->FStart + start;
    FSize = std::min(wanted, std::max<int64_t>(FOuter->FSize - start, 0));
    FRoom = grows ? FOuter->FRoom - start : FSize;
}

TStreamWindow::~TStreamWindow()
{
    if (FOuter && FOuter->FGrows)
        FOuter->FSize = std::max(FOuter->FSize, FStart + FSize - FOuter->FStart);
}

bool TStreamWindow::SeekBase()
{
    int64_t target;
    if (__builtin_add_overflow(FStart, FPosition, &target))
        return false;
    return FBase.Seek(target, soBeginning) == target;
}

bool TStreamWindow::FillTo(int64_t position)
{
    static const char zeros[4096] = {};
    const int64_t saved = FPosition;
    FPosition = FSize;
    bool done = SeekBase();
    while (done && FPosition < position) {
        const int64_t n = FBase.Write(zeros, std::min<int64_t>(sizeof zeros, position - FPosition));
        done = n > 0;
        FPosition += std::max<int64_t>(n, 0);
        FSize = FPosition;
    }
    FPosition = saved;
    return done;
}

int64_t TStreamWindow::Read(void* buffer, int64_t count)
{
    if (count <= 0 || FPosition >= FSize || !SeekBase())
        return 0;
    const int64_t n = FBase.Read(buffer, std::min(count, FSize - FPosition));
    if (n > 0)
        FPosition += n;
    return std::max<int64_t>(n, 0);
}

int64_t TStreamWindow::Write(const void* buffer, int64_t count)
{
    count = std::min(count, FRoom - FPosition);
    // A position past the end leaves a gap of zeros, as in a memory stream.
    if (count <= 0 || (FPosition > FSize && !FillTo(FPosition)) || !SeekBase())
        return 0;
    const int64_t n = FBase.Write(buffer, count);
    if (n > 0) {
        FPosition += n;
        FSize = std::max(FSize, FPosition);
    }
    return std::max<int64_t>(n, 0);
}

int64_t TStreamWindow::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t target = SeekTarget(FPosition, FSize, offset, origin);
    if (target >= 0)
        FPosition = target;
    return target;
}

void TStreamWindow::SetSize(int64_t newSize)
{
    if (!FGrows || newSize < 0)
        throw EStreamError("TStreamWindow cannot change its size");
    if (newSize > FRoom || (newSize > FSize && !FillTo(newSize)))
        throw EWriteError(SysConst::SWriteError);
    FSize = newSize;
    FPosition = std::min(FPosition, FSize);
}

const char* TStreamWindow::BytesInMemory(int64_t& count)
{
    count = 0;
    if (FPosition > FSize || !SeekBase())
        return nullptr;
    int64_t inBase = 0;
    const char* bytes = FBase.BytesInMemory(inBase);
    // The base must hold the whole rest of the window.
    if (!bytes || inBase < FSize - FPosition)
        return nullptr;
    count = FSize - FPosition;
    return bytes;
}

// ---------------------------------------------------------------------------
// TBytesViewStream

TBytesViewStream::TBytesViewStream(const void* bytes, int64_t size)
    : FBytes(static_cast<const char*>(bytes)), FSize(std::max<int64_t>(size, 0))
{}

int64_t TBytesViewStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || FPosition >= FSize)
        return 0;
    const int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FBytes + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TBytesViewStream::Write(const void*, int64_t)
{
    return 0;
}

int64_t TBytesViewStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t target = SeekTarget(FPosition, FSize, offset, origin);
    if (target >= 0)
        FPosition = target;
    return target;
}

const char* TBytesViewStream::BytesInMemory(int64_t& count)
{
    return BytesFrom(FBytes, FSize, FPosition, count);
}

// ---------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const AnsiString& fileName, unsigned mode) : FFileName(fileName)
{
    const bool create = (mode & fmCreate) == fmCreate;
    // Never wait: opening a FIFO would wait for its other end, reading it for data.
    int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (create) {
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    } else {
        switch (mode & 3) {
        case fmOpenRead:
            flags |= O_RDONLY;
            break;
        case fmOpenWrite:
            flags |= O_WRONLY;
            break;
        case fmOpenReadWrite:
            flags |= O_RDWR;
            break;
        default:
            throw EFOpenError(Format(SysConst::SFOpenErrorEx, {fileName, SysErrorMessage(EINVAL)}));
        }
    }
    int handle;
    do
        handle = ::open(fileName.c_str(), flags, 0666);
    while (handle < 0 && errno == EINTR);
    int error = errno;
    // open() accepts a folder for reading; a stream over one could read nothing.
    struct stat info;
    if (handle >= 0 && ::fstat(handle, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(handle);
        handle = -1;
        error = EISDIR;
    }
    if (handle < 0) {
        if (create)
            throw EFCreateError(Format(SysConst::SFCreateErrorEx, {fileName, SysErrorMessage(error)}));
        throw EFOpenError(Format(SysConst::SFOpenErrorEx, {fileName, SysErrorMessage(error)}));
    }
    FHandle = handle;
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0)
        ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    return HandleRead(FHandle, buffer, count);
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    return HandleWrite(FHandle, buffer, count, FWriteFault);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    return HandleSeek(FHandle, offset, origin);
}

void TFileStream::SetSize(int64_t newSize)
{
    HandleSetSize(FHandle, newSize);
    if (Position() > newSize)
        Seek(newSize, soBeginning);
}

// ---------------------------------------------------------------------------
// SafeWriteFile

void SafeWriteFile(const AnsiString& fileName, const std::function<void(TStream& stream)>& writer)
{
    const AnsiString target = SafeWriteTarget(fileName);
    AnsiString tempName;
    int handle = CreateSafeWriteTemporary(target, tempName);
    if (handle < 0)
        throw EFCreateError(Format(SysConst::SFCreateErrorEx, {fileName, SysErrorMessage(errno)}));
    try {
        struct stat old;
        if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
            ::fchmod(handle, old.st_mode & 07777) != 0)
            RaiseWriteError(errno);
        THandleStream stream(handle);
        writer(stream);
        if (::fsync(handle) != 0)
            RaiseWriteError(errno);
        // Renamed while still held, so that no start takes the file for one
        // left behind; the bytes are on the disk already when it is closed.
        if (::rename(tempName.c_str(), target.c_str()) != 0)
            RaiseWriteError(errno);
        ::close(handle);
        handle = -1;
    } catch (...) {
        if (handle >= 0)
            ::close(handle);
        ::unlink(tempName.c_str());
        throw;
    }
    SyncFolderOf(target);
}
