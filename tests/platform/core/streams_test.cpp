// Streams: positions past the end, all-or-nothing buffers, copying, file streams
// (errors, 64-bit offsets) and the safe replacement of files.
#include "platform/core/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/filesizelimit.h"
#include "tests/support/tempdir.h"
#include "tests/support/waituntil.h"

namespace {

std::string ReadAll(TStream& stream)
{
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

std::string MemoryBytes(const TMemoryStream& stream, int64_t size)
{
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(size));
}

// A source that promises more bytes than it gives, as a truncated file would.
class TShortStream : public TStream {
public:
    int64_t Read(void* Buffer, int64_t Count) override
    {
        int64_t n = std::min<int64_t>(Count, 5 - FPosition);
        if (n <= 0)
            return 0;
        std::memset(Buffer, 'x', static_cast<size_t>(n));
        FPosition += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override
    {
        FPosition = Origin == soEnd ? 10 + Offset : Origin == soCurrent ? FPosition + Offset : Offset;
        return FPosition;
    }

private:
    int64_t FPosition = 0;
};

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t PermissionBits(const std::string& file)
{
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return info.st_mode & 07777;
}

} // namespace

// ---------------------------------------------------------------------------
// Memory and string streams

TEST(MemoryStream, PositionPastTheEndReadsNothingAndWritingThereZeroFills)
{
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    EXPECT_EQ(stream.Seek(5, soEnd), 8);
    char byte = 'q';
    EXPECT_EQ(stream.Read(&byte, 1), 0);
    EXPECT_EQ(stream.Size(), 3); // seeking alone does not grow

    stream.WriteBuffer("Z", 1);
    EXPECT_EQ(stream.Size(), 9);
    EXPECT_EQ(stream.Position(), 9);
    EXPECT_EQ(MemoryBytes(stream, 9), std::string("abc\0\0\0\0\0Z", 9));
}

TEST(MemoryStream, SeekRefusesPositionsBeforeTheStartOrBeyond64Bits)
{
    TMemoryStream stream;
    stream.WriteBuffer("abcdef", 6);
    stream.SetPosition(2);
    EXPECT_EQ(stream.Seek(-3, soCurrent), -1);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(stream.Seek(INT64_MAX, soEnd), -1);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(stream.Seek(-1, soEnd), 5);
}

TEST(MemoryStream, BuffersAreAllOrNothing)
{
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    stream.SetPosition(1);
    char buffer[8] = {};
    try {
        stream.ReadBuffer(buffer, 3);
        FAIL() << "a short read must raise";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_THROW(stream.ReadBuffer(buffer, -1), EReadError);
    stream.SetPosition(0);
    EXPECT_NO_THROW(stream.ReadBuffer(buffer, 0));

    // A write that would need more than a memory stream may hold writes nothing.
    stream.SetPosition(int64_t{1} << 62);
    EXPECT_EQ(stream.Write("x", 1), 0);
    try {
        stream.WriteBuffer("x", 1);
        FAIL() << "a failed write must raise";
    } catch (const EWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_EQ(stream.Size(), 3);
    EXPECT_THROW(stream.SetSize(int64_t{1} << 62), EOutOfMemory);
    EXPECT_THROW(stream.SetSize(-1), EStreamError);
}

TEST(MemoryStream, LoadFromStreamKeepsTheOldBytesWhenTheSourceFallsShort)
{
    TMemoryStream stream;
    stream.WriteBuffer("keep", 4);
    TShortStream source; // says 10 bytes, gives 5
    EXPECT_THROW(stream.LoadFromStream(source), EReadError);
    EXPECT_EQ(ReadAll(stream), "keep");

    TStringStream good("new bytes");
    good.SetPosition(4);
    stream.LoadFromStream(good);
    EXPECT_EQ(ReadAll(stream), "new bytes");
}

// ---------------------------------------------------------------------------
// File streams

// ---------------------------------------------------------------------------
// Windows onto a part of a stream

TEST(StreamWindow, AGrowingWindowIsEmptyAtFirstAndWritesInPlace)
{
    TStringStream base("0123456789");
    TStreamWindow window(base, 3, 0, true);
    // The base's bytes after the start are not the window's own.
    EXPECT_EQ(window.Size(), 0);
    char c = 0;
    EXPECT_EQ(window.Read(&c, 1), 0);
    window.WriteBuffer("ab", 2);
    EXPECT_EQ(window.Size(), 2);
    // A position past the end leaves a gap of zeros, as in a memory stream.
    window.SetPosition(4);
    window.WriteBuffer("z", 1);
    EXPECT_EQ(window.Size(), 5);
    EXPECT_EQ(base.DataString(), std::string("012ab\0\0z89", 10));
    EXPECT_EQ(ReadAll(window), std::string("ab\0\0z", 5));
    window.SetSize(2);
    EXPECT_EQ(window.Position(), 2);
    EXPECT_EQ(ReadAll(window), "ab");
}

TEST(StreamWindow, AFixedWindowReadsAndWritesOnlyItsBytes)
{
    TStringStream base("0123456789");
    TStreamWindow window(base, 2, 4, false);
    EXPECT_EQ(window.Size(), 4);
    EXPECT_EQ(ReadAll(window), "2345");
    char bytes[8] = {};
    EXPECT_EQ(window.Read(bytes, 8), 0);
    window.SetPosition(3);
    EXPECT_EQ(window.Write("xyz", 3), 1);
    EXPECT_EQ(base.DataString(), "01234x6789");
    EXPECT_THROW(window.SetSize(6), EStreamError);
    EXPECT_EQ(window.Seek(-1, soBeginning), -1);
    EXPECT_EQ(window.Seek(-1, soEnd), 3);
}

// Windows nest as blocks do: an inner one works on the outermost stream,
// a fixed one ends where its outer one ends, and a growing outer window
// takes in what a growing inner one wrote.
TEST(StreamWindow, WindowsInWindowsWorkOnTheOutermostStream)
{
    TMemoryStream base;
    base.WriteBuffer("head", 4);
    {
        TStreamWindow outer(base, 4, 0, true);
        outer.WriteBuffer("<", 1);
        {
            TStreamWindow middle(outer, 1, 0, true);
            middle.WriteBuffer("[", 1);
            {
                TStreamWindow inner(middle, 1, 0, true);
                inner.WriteBuffer("deep", 4);
            }
            EXPECT_EQ(middle.Size(), 5);
            middle.Seek(0, soEnd);
            middle.WriteBuffer("]", 1);
        }
        EXPECT_EQ(outer.Size(), 7);
        TStreamWindow reading(outer, 2, 100, false);
        EXPECT_EQ(reading.Size(), 5);
        EXPECT_EQ(ReadAll(reading), "deep]");
    }
    EXPECT_EQ(MemoryBytes(base, base.Size()), "head<[deep]");
}

// A window inside a fixed window stays inside it, however it is opened and
// however far it grows: what would go past the fixed window's end or before
// its start is not written.
TEST(StreamWindow, AWindowInsideAFixedWindowStaysInsideIt)
{
    struct TCase {
        const char* Name;
        std::function<int64_t(TStreamWindow& fixed)> Write; // answers the bytes written
        int64_t Written;
        std::string Base;
    };
    const TCase cases[] = {
        {"a growing window",
         [](TStreamWindow& fixed) {
             TStreamWindow inner(fixed, 1, 0, true);
             return inner.Write("abcdef", 6);
         },
         3, "012abc6789"},
        {"a growing window in a growing window",
         [](TStreamWindow& fixed) {
             TStreamWindow middle(fixed, 1, 0, true);
             TStreamWindow inner(middle, 1, 0, true);
             return inner.Write("abcdef", 6);
         },
         2, "0123ab6789"},
        {"a gap up to the end",
         [](TStreamWindow& fixed) {
             TStreamWindow inner(fixed, 1, 0, true);
             inner.SetPosition(2);
             return inner.Write("xy", 2);
         },
         1, std::string("012\0\0x6789", 10)},
        {"a gap past the end",
         [](TStreamWindow& fixed) {
             TStreamWindow inner(fixed, 1, 0, true);
             inner.SetPosition(4);
             return inner.Write("x", 1);
         },
         0, "0123456789"},
        {"a growing window opened past the end",
         [](TStreamWindow& fixed) {
             TStreamWindow inner(fixed, 9, 0, true);
             return inner.Write("a", 1);
         },
         0, "0123456789"},
        {"a fixed window opened before the start",
         [](TStreamWindow& fixed) {
             TStreamWindow inner(fixed, -2, 6, false);
             return inner.Write("abcdef", 6);
         },
         4, "01abcd6789"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringStream base("0123456789");
        TStreamWindow fixed(base, 2, 4, false);
        EXPECT_EQ(c.Write(fixed), c.Written);
        EXPECT_EQ(base.DataString(), c.Base);
    }

    // Writing a whole buffer or setting a size past the end fails.
    TStringStream base("0123456789");
    TStreamWindow fixed(base, 2, 4, false);
    TStreamWindow inner(fixed, 1, 0, true);
    EXPECT_THROW(inner.WriteBuffer("abcd", 4), EWriteError);
    inner.SetPosition(0);
    EXPECT_THROW(inner.SetSize(4), EWriteError);
    inner.SetSize(3);
    EXPECT_EQ(base.DataString(), "012abc6789");
}

// The bytes a stream keeps in memory, from Stream's position, or "null".
std::string InMemory(TStream& stream)
{
    int64_t count = -1;
    const char* bytes = stream.BytesInMemory(count);
    if (!bytes)
        return count == 0 ? "null" : "null with a count";
    return std::string(bytes, static_cast<size_t>(count));
}

TEST(BytesInMemory, EveryMemoryStreamAndWindowOverOneShowsItsRestInPlace)
{
    TMemoryStream memory;
    memory.WriteBuffer("head<deep>tail", 14);
    memory.SetPosition(4);
    EXPECT_EQ(InMemory(memory), "<deep>tail");
    EXPECT_EQ(memory.Position(), 4);
    memory.SetPosition(20); // past the end
    EXPECT_EQ(InMemory(memory), "null");

    TStringStream text("abcdef");
    text.SetPosition(2);
    EXPECT_EQ(InMemory(text), "cdef");

    // A window answers its own bytes only, whatever the base's position,
    // also inside another window.
    TStreamWindow outer(memory, 4, 6, false);
    TStreamWindow inner(outer, 1, 4, false);
    memory.SetPosition(0);
    inner.SetPosition(1);
    EXPECT_EQ(InMemory(inner), "eep");
    EXPECT_EQ(InMemory(outer), "<deep>");

    // A window reaching past its base's end is not in memory whole.
    TMemoryStream shortBase;
    shortBase.WriteBuffer("ab", 2);
    TStreamWindow growing(shortBase, 0, 0, true);
    growing.WriteBuffer("abcd", 4);
    growing.SetPosition(1);
    EXPECT_EQ(InMemory(growing), "bcd");
}

TEST(BytesInMemory, FileStreamsAndWindowsOverThemAreNotInMemory)
{
    TempDir dir;
    const std::string name = dir.Path() + "/bytes";
    {
        TFileStream file(name, fmCreate);
        file.WriteBuffer("abc", 3);
        file.SetPosition(0);
        EXPECT_EQ(InMemory(file), "null");
        TStreamWindow window(file, 1, 2, false);
        EXPECT_EQ(InMemory(window), "null");
    }
}

TEST(BytesViewStream, ReadsAndSeeksInPlaceAndWritesNothing)
{
    const std::string bytes = "0123456789";
    TBytesViewStream view(bytes.data(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(view.Size(), 10);
    char buffer[4] = {};
    EXPECT_EQ(view.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(InMemory(view), "456789");
    EXPECT_EQ(view.Write("x", 1), 0);
    EXPECT_THROW(view.WriteBuffer("x", 1), EWriteError);
    EXPECT_EQ(view.Seek(-2, soEnd), 8);
    EXPECT_EQ(view.Read(buffer, 4), 2);
    EXPECT_EQ(view.Read(buffer, 4), 0);
    EXPECT_EQ(view.Seek(-1, soBeginning), -1);
    EXPECT_EQ(bytes, "0123456789");
    // A window over the view reads its part in place.
    TStreamWindow window(view, 3, 4, false);
    EXPECT_EQ(ReadAll(window), "3456");
    window.SetPosition(1);
    EXPECT_EQ(InMemory(window), "456");
}

TEST(FileStream, ErrorsNameTheFileAndTheSystemReason)
{
    TempDir dir;
    try {
        TFileStream stream(dir.File("missing"), fmOpenRead);
        FAIL() << "opening a missing file must raise";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + dir.File("missing") + "\". " + SysErrorMessage(ENOENT));
    }
    try {
        TFileStream stream(dir.File("no/such/folder"), fmCreate);
        FAIL() << "creating in a missing folder must raise";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + dir.File("no/such/folder") + "\". " + SysErrorMessage(ENOENT));
    }
    EXPECT_THROW(TFileStream(dir.Path(), fmOpenRead), EFOpenError); // a folder
    EXPECT_THROW(TFileStream(dir.Path(), fmCreate), EFCreateError);
}

// A write the system refuses says why, as a failed open does; a stream
// without a file has no reason to give (MemoryStream.BuffersAreAllOrNothing).
TEST(FileStream, AFailedWriteGivesTheSystemsReason)
{
    TempDir dir;
    const std::string tooLarge = "Stream write error. " + SysErrorMessage(EFBIG);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] {
             TFileStream stream(dir.File("f"), fmCreate);
             const TFileSizeLimit limit(4);
             stream.WriteBuffer("more than four", 14);
         },
         tooLarge},
        {[&] {
             TFileStream stream(dir.File("f"), fmCreate);
             const TFileSizeLimit limit(4);
             stream.SetSize(5);
         },
         tooLarge},
        {[&] {
             const TFileSizeLimit limit(4);
             SafeWriteFile(dir.File("safe"),
                           [](TStream& stream) { stream.WriteBuffer("more than four", 14); });
         },
         tooLarge},
        {[&] {
             ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0755), 0);
             SafeWriteFile(dir.File("folder"), [](TStream& stream) { stream.WriteBuffer("x", 1); });
         },
         "Stream write error. " + SysErrorMessage(EISDIR)},
    };
    for (const auto& [write, message] : cases) {
        SCOPED_TRACE(message);
        try {
            write();
            ADD_FAILURE() << "the write must fail";
        } catch (const EWriteError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    // A full disk, where the system offers one to write to.
    if (::access("/dev/full", W_OK) == 0) {
        TFileStream full("/dev/full", fmOpenWrite);
        try {
            full.WriteBuffer("x", 1);
            ADD_FAILURE() << "a write to a full disk must fail";
        } catch (const EWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "Stream write error. " + SysErrorMessage(ENOSPC));
        }
    }
}

TEST(FileStream, AFifoOpensAndReadsWithoutWaiting)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_THROW(TFileStream(dir.File("fifo"), fmOpenWrite), EFOpenError); // no reader
    TFileStream reader(dir.File("fifo"), fmOpenRead);                      // no writer: must not wait for one
    char buffer[4];
    EXPECT_EQ(reader.Read(buffer, 4), 0);
    EXPECT_EQ(reader.Size(), -1); // cannot be measured
    TFileStream writer(dir.File("fifo"), fmOpenWrite);
    writer.WriteBuffer("ab", 2);
    EXPECT_EQ(reader.Read(buffer, 4), 2); // what is there, without waiting for more
    EXPECT_EQ(std::string(buffer, 2), "ab");
}

TEST(FileStream, OffsetsBeyond2GiBWork)
{
    TempDir dir;
    const int64_t offset = int64_t{3} << 30;
    {
        TFileStream stream(dir.File("sparse"), fmCreate);
        ASSERT_EQ(stream.Seek(offset, soBeginning), offset);
        stream.WriteBuffer("K", 1);
        EXPECT_EQ(stream.Size(), offset + 1);
        EXPECT_EQ(stream.Position(), offset + 1);
    }
    TFileStream stream(dir.File("sparse"), fmOpenRead);
    EXPECT_EQ(stream.Size(), offset + 1);
    EXPECT_EQ(stream.Seek(-1, soEnd), offset);
    char byte = 0;
    stream.ReadBuffer(&byte, 1);
    EXPECT_EQ(byte, 'K');
    stream.SetPosition(offset - 1);
    stream.ReadBuffer(&byte, 1);
    EXPECT_EQ(byte, '\0');
}

// ---------------------------------------------------------------------------
// SafeWriteFile

TEST(SafeWriteFile, ReplacesTheFileKeepingItsPermissionBits)
{
    TempDir dir;
    std::string name = dir.Write("settings.ini", "old");
    ASSERT_EQ(::chmod(name.c_str(), 0640), 0);
    SafeWriteFile(name, [](TStream& stream) { stream.WriteBuffer("new content", 11); });
    EXPECT_EQ(dir.Read("settings.ini"), "new content");
    EXPECT_EQ(PermissionBits(name), 0640u);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"settings.ini"});
}

TEST(SafeWriteFile, AWriterThatThrowsLeavesTheOldFileAndNoTemporaryFile)
{
    TempDir dir;
    dir.Write("settings.ini", "precious");
    EXPECT_THROW(SafeWriteFile(dir.File("settings.ini"),
                               [](TStream& stream) {
                                   stream.WriteBuffer("half of it", 10);
                                   throw EWriteError("disk full");
                               }),
                 EWriteError);
    EXPECT_EQ(dir.Read("settings.ini"), "precious");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"settings.ini"});
}

TEST(SafeWriteFile, FolderWithoutWritePermissionRaisesAndKeepsTheFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores permissions";
    TempDir dir;
    std::string folder = dir.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::string name = folder + "/settings.ini";
    dir.Write("locked/settings.ini", "precious");
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    bool called = false;
    EXPECT_THROW(SafeWriteFile(name, [&called](TStream&) { called = true; }), EFCreateError);
    ::chmod(folder.c_str(), 0755);
    EXPECT_FALSE(called);
    EXPECT_EQ(dir.Read(name), "precious");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"settings.ini"});
}

TEST(SafeWriteFile, ASymbolicLinkStaysALinkToTheNewContent)
{
    TempDir dir;
    std::string real = dir.Write("real.ini", "old");
    std::string link = dir.File("link.ini");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    SafeWriteFile(link, [](TStream& stream) { stream.WriteBuffer("new", 3); });
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(dir.Read("real.ini"), "new");
}

TEST(FileStream, HandleIsClosedOnExec)
{
    TempDir dir;
    TFileStream stream(dir.File("f"), fmCreate);
    int flags = ::fcntl(stream.Handle(), F_GETFD);
    ASSERT_GE(flags, 0);
    EXPECT_TRUE(flags & FD_CLOEXEC);
}

TEST(SafeWriteFile, ATargetThatIsAFolderFailsWithoutLeftovers)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
    EXPECT_THROW(SafeWriteFile(dir.File("sub"), [](TStream& stream) { stream.WriteBuffer("x", 1); }),
                 EWriteError);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"sub"});
}

namespace {

// A child process that writes settings.ini of Dir through SafeWriteFile and
// waits in the middle of it, its temporary file half written, until it is
// killed (TEndWriter), or with the process that started it, however that
// ends (its parent-death signal); it holds none of that process's output,
// for which CTest waits. Its pid once it waits there, -1 when it could not be
// started.
pid_t WriterWaitingMidway(const TempDir& dir)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd : {0, 1, 2})
            ::dup2(null, fd);
        SafeWriteFile(dir.File("settings.ini"), [&](TStream& stream) {
            stream.WriteBuffer("half of it", 10);
            char c = 'w';
            if (::write(ready[1], &c, 1) == 1)
                for (;;)
                    ::pause();
        });
        ::_exit(0);
    }
    ::close(ready[1]);
    char c = 0;
    const bool waiting = pid > 0 && ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
    if (pid > 0 && !waiting)
        ::waitpid(pid, nullptr, 0);
    return waiting ? pid : -1;
}

// Kills and reaps a writer at once or at the end of the scope.
struct TEndWriter {
    pid_t Pid;
    ~TEndWriter() { End(); }
    void End()
    {
        if (Pid > 0) {
            ::kill(Pid, SIGKILL);
            ::waitpid(Pid, nullptr, 0);
        }
        Pid = -1;
    }
};

} // namespace

TEST(SafeWriteFile, TemporaryFilesLeftByKilledWritersAreRemovedOnlyWhenNoWriterHoldsThem)
{
    TempDir dir;
    dir.Write("settings.ini", "precious");
    // Names of other files and names that are no temporary file's stay.
    const std::vector<std::string> others = {".other.ini.tmp0123456789AB", ".settings.ini.tmp0123",
                                             ".settings.ini.tmp0123456789ab", "settings.ini.tmp0123456789AB"};
    for (const std::string& name : others)
        dir.Write(name, "not ours");
    const auto ours = [&] {
        std::vector<std::string> names;
        for (const std::string& name : FolderEntries(dir.Path()))
            if (name != "settings.ini" && std::find(others.begin(), others.end(), name) == others.end())
                names.push_back(name);
        return names;
    };
    TEndWriter writer{WriterWaitingMidway(dir)};
    ASSERT_GT(writer.Pid, 0);
    ASSERT_EQ(ours().size(), 1u) << "the running writer's temporary file";
    EXPECT_EQ(RemoveAbandonedTemporaries(dir.File("settings.ini")), 0) << "a running writer holds its file";
    ASSERT_EQ(ours().size(), 1u);

    writer.End();
    EXPECT_EQ(RemoveAbandonedTemporaries(dir.File("settings.ini")), 1);
    EXPECT_TRUE(ours().empty());
    EXPECT_EQ(dir.Read("settings.ini"), "precious");
    EXPECT_EQ(FolderEntries(dir.Path()).size(), others.size() + 1);

    // A file that looks left behind but is held (by a writer of another
    // build, say) stays too.
    const std::string held = dir.Write(".settings.ini.tmp00000000BEEF", "half");
    const int handle = ::open(held.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(handle, LOCK_EX), 0);
    EXPECT_EQ(RemoveAbandonedTemporaries(dir.File("settings.ini")), 0);
    ::close(handle);
    EXPECT_EQ(RemoveAbandonedTemporaries(dir.File("settings.ini")), 1);
}

TEST(SafeWriteFile, AWriterWaitingMidwayEndsWithItsStarter)
{
    // A stand-in for a test program starts the writer and ends without ending
    // it, as in a crash: the writer holds its file no more.
    TempDir dir;
    const pid_t starter = ::fork();
    if (starter == 0)
        ::_exit(WriterWaitingMidway(dir) > 0 ? 0 : 1);
    int status = -1;
    ASSERT_EQ(::waitpid(starter, &status, 0), starter);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer did not start";
    EXPECT_TRUE(WaitUntil([&] { return RemoveAbandonedTemporaries(dir.File("settings.ini")) == 1; }))
        << "the writer outlived its starter";
}
