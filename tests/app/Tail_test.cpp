// The file monitor against real files: other writers append (a child shell or a
// separate descriptor), and the poll is called directly.
#include "app/Tail.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/syntheticinput.h"
#include "platform/core/object.h"
#include "platform/core/sysutils.h"
#include "tests/support/pumpevents.h"
#include "tests/support/tempdir.h"

namespace {

// Appends bytes through a descriptor of its own, as another program would.
void Append(const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

// Runs the shell's printf with Format, its output appended to (or, with
// Truncate, replacing) the file; the shell has ended when this returns.
void ShellPrintf(const std::string& path, const std::string& format, bool truncate = false)
{
    const char* script = truncate ? "printf \"$1\" > \"$2\"" : "printf \"$1\" >> \"$2\"";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", script, "sh", format.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

struct TCall {
    char Kind; // 'N' new text, 'T' truncated
    int Index;
    TTailFile* File;
    std::string Text;
    bool LineCompleteDuring;
    int64_t PositionDuring;
};

class TailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Tail = std::make_unique<CTail>();
        Tail->OnNewText = [this](int Index, TTailFile* File) { Record('N', Index, File); };
        Tail->OnTruncate = [this](int Index, TTailFile* File) { Record('T', Index, File); };
    }

    void Record(char Kind, int Index, TTailFile* File)
    {
        Calls.push_back({Kind, Index, File, File->NewText, File->LineComplete, File->Position});
        if (Then)
            Then(Index, File);
    }

    std::vector<TCall> Poll()
    {
        Calls.clear();
        Tail->TimerTimer(nullptr);
        return Calls;
    }

    TempDir Dir;
    std::unique_ptr<CTail> Tail;
    std::vector<TCall> Calls;
    std::function<void(int, TTailFile*)> Then; // runs inside each callback
};

TEST_F(TailTest, DeliversOnlyAppendedTextAndCompletesTheLineAfterTheCallback)
{
    const std::string path = Dir.Write("a.log", "old line\nold tail");
    TTailFile* file = Tail->AddFile(path);
    EXPECT_EQ(file->Position, 17);
    EXPECT_FALSE(file->LineComplete);
    EXPECT_TRUE(Poll().empty()) << "existing content is never delivered";

    ShellPrintf(path, "abc\\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Kind, 'N');
    EXPECT_EQ(calls[0].Index, 0);
    EXPECT_EQ(calls[0].File, file);
    EXPECT_EQ(calls[0].Text, "abc\n");
    EXPECT_FALSE(calls[0].LineCompleteDuring);
    EXPECT_EQ(calls[0].PositionDuring, 21);
    EXPECT_TRUE(file->LineComplete);
    EXPECT_EQ(file->Position, 21);

    // A piece without a line feed leaves the line open for the next chunk.
    ShellPrintf(path, "half");
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].LineCompleteDuring);
    EXPECT_FALSE(file->LineComplete);
    Append(path, " done\n");
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, " done\n");
    EXPECT_FALSE(calls[0].LineCompleteDuring);
    EXPECT_TRUE(file->LineComplete);
    EXPECT_TRUE(Poll().empty());
    EXPECT_EQ(file->NewText, "") << "each poll starts with no text";
}

TEST_F(TailTest, CarriageReturnsAreDroppedButCounted)
{
    const std::string path = Dir.Write("crlf.log", "");
    TTailFile* file = Tail->AddFile(path);
    ShellPrintf(path, "x\\r\\ny");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "x\ny");
    EXPECT_EQ(file->Position, 4);
    EXPECT_FALSE(file->LineComplete);

    // Carriage returns alone: the callback still comes, with no text, and the
    // line stays as it was.
    Append(path, "\r\r");
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "");
    EXPECT_EQ(file->Position, 6);
    EXPECT_FALSE(file->LineComplete);
    Append(path, "\r\n");
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "\n");
    EXPECT_TRUE(file->LineComplete);
}

TEST_F(TailTest, EveryByteButCarriageReturnsArrivesNulAndEofMarkIncluded)
{
    const std::string path = Dir.Write("bin.log", "");
    TTailFile* file = Tail->AddFile(path);
    const std::string bytes = std::string("a\0b\x1A", 4) + "c\n" + std::string(1, '\0');
    Append(path, bytes);
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, bytes);
    EXPECT_EQ(file->Position, 7);
    EXPECT_FALSE(file->LineComplete) << "the last byte is a NUL, not a line feed";

    // A chunk larger than one read block keeps every byte in order.
    std::string big;
    for (int i = 0; big.size() < 200000; ++i)
        big += "line " + std::to_string(i) + "\r\n";
    Append(path, big);
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    std::string expected;
    for (char c : big)
        if (c != '\r')
            expected += c;
    EXPECT_EQ(calls[0].Text, expected);
    EXPECT_EQ(file->Position, static_cast<int64_t>(7 + big.size()));
}

TEST_F(TailTest, ATruncatedFileIsMarkedAndItsNewLinesFollow)
{
    const std::string path = Dir.Write("t.log", std::string(99, 'o') + "\n");
    TTailFile* file = Tail->AddFile(path);
    ASSERT_EQ(file->Position, 100);
    // Rewritten shorter by another program.
    ShellPrintf(path, "new 1\\nnew 2\\n", true);
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Kind, 'T');
    EXPECT_EQ(calls[0].File, file);
    EXPECT_EQ(file->Position, 0);
    EXPECT_EQ(file->NewText, "") << "nothing is read in the poll that finds the file shorter";

    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Kind, 'N');
    EXPECT_EQ(calls[0].Text, "new 1\nnew 2\n");
    EXPECT_EQ(file->Position, 12);

    // Emptied, then written again before the next poll is the same story.
    ShellPrintf(path, "", true);
    EXPECT_EQ(Poll().size(), 1u);
    Append(path, "after\n");
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "after\n");
}

TEST_F(TailTest, AnInactiveFileIsFollowedWithoutDelivering)
{
    const std::string path = Dir.Write("i.log", "x");
    TTailFile* file = Tail->AddFile(path);
    file->Active = false;
    Append(path, "ignored");
    EXPECT_TRUE(Poll().empty());
    EXPECT_EQ(file->Position, 8);
    EXPECT_TRUE(file->LineComplete);
    file->Active = true;
    Append(path, "seen\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "seen\n");
    EXPECT_TRUE(calls[0].LineCompleteDuring) << "text after a pause begins on a new line";
}

TEST_F(TailTest, SwitchingTheMonitorOnSkipsThePause)
{
    const std::string first = Dir.Write("1.log", "");
    const std::string second = Dir.Write("2.log", "abc");
    TTailFile* a = Tail->AddFile(first);
    TTailFile* b = Tail->AddFile(second);
    Tail->SetActive(true);
    Tail->SetActive(false);
    EXPECT_FALSE(Tail->GetActive());
    Append(first, "during the pause\n");
    Append(second, "also\n");
    Tail->SetActive(true);
    EXPECT_TRUE(Tail->GetActive());
    EXPECT_EQ(a->Position, 17);
    EXPECT_EQ(b->Position, 8);
    EXPECT_FALSE(b->LineComplete) << "switching on does not touch LineComplete";
    EXPECT_TRUE(Poll().empty());
    Append(second, "later\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Index, 1);
    EXPECT_EQ(calls[0].Text, "later\n");
    Tail->SetActive(false);
}

TEST_F(TailTest, TheTimerRunsThePoll)
{
    const std::string path = Dir.Write("timer.log", "");
    Tail->AddFile(path);
    Tail->SetInterval(0);
    Tail->SetInterval(-3);
    EXPECT_EQ(Tail->GetInterval(), 500) << "only intervals above 0 are taken";
    Tail->SetInterval(10);
    EXPECT_EQ(Tail->GetInterval(), 10);
    Tail->SetActive(true);
    Append(path, "tick\n");
    ASSERT_TRUE(WaitUntil([&] { return !Calls.empty(); }, WaitDeadlineMs, PumpEvents));
    EXPECT_EQ(Calls[0].Text, "tick\n");
    Tail->SetActive(false);
}

TEST_F(TailTest, OpeningRefusesMissingAndNonRegularFilesAtOnce)
{
    const std::string missing = Dir.File("missing.log");
    try {
        Tail->AddFile(missing);
        FAIL() << "a missing file was added";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "File '" + missing + "' not exists.");
    }
    const std::string fifo = Dir.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Neither a named pipe without a writer nor a folder may block or be watched.
    const std::pair<std::string, std::string> refused[] = {
        {fifo, "a named pipe (FIFO)"}, {Dir.Path(), "a folder"}, {"/dev/null", "a device"}};
    for (const auto& [name, what] : refused) {
        try {
            Tail->AddFile(name);
            FAIL() << name << " was added";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(),
                      "Unable to open file '" + name + "'. It is " + what + ", not a regular file.");
        }
    }
    EXPECT_THROW(CTail::OpenFile(std::string("a\0b", 3)), Exception);
    EXPECT_THROW(CTail::OpenFile(""), Exception);
    EXPECT_EQ(Tail->GetCount(), 0);

    const std::string path = Dir.Write("ok.log", "");
    const int handle = CTail::OpenFile(path);
    EXPECT_GE(handle, 0);
    FileClose(handle);
}

TEST_F(TailTest, AFailedReopenChangesNothing)
{
    const std::string path = Dir.Write("r.log", "12345");
    TTailFile* file = Tail->AddFile(path);
    Append(path, "6\n");
    Poll();
    file->LineCount = 7;
    file->NewText = "kept";
    const int handle = file->Handle;
    for (const std::string& name : {Dir.File("missing"), Dir.Path()}) {
        EXPECT_THROW(file->Reopen(name), Exception);
        EXPECT_EQ(file->Handle, handle);
        EXPECT_EQ(file->FileName, path);
        EXPECT_EQ(file->Position, 7);
        EXPECT_TRUE(file->LineComplete);
        EXPECT_EQ(file->LineCount, 7);
        EXPECT_EQ(file->NewText, "kept");
    }
    // The same name gone from disk: the reopen fails and the open handle still reads.
    const std::string moved = Dir.File("moved.log");
    ASSERT_EQ(rename(path.c_str(), moved.c_str()), 0);
    EXPECT_THROW(file->Reopen(""), Exception);
    EXPECT_EQ(file->Handle, handle);
    Append(moved, "still\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "still\n");
}

TEST_F(TailTest, ReopenStartsAtTheEndOfTheFile)
{
    const std::string path = Dir.Write("r.log", "abc\n");
    const std::string other = Dir.Write("other.log", "0123456789");
    TTailFile* file = Tail->AddFile(path);
    Append(path, "def\n");
    Poll();
    file->LineCount = 3;
    file->Active = false;
    file->Reopen("");
    EXPECT_EQ(file->FileName, path);
    EXPECT_EQ(file->Position, 8);
    EXPECT_FALSE(file->LineComplete);
    EXPECT_EQ(file->LineCount, 0);
    EXPECT_FALSE(file->Active) << "the switch stays";
    file->Active = true;

    file->Reopen(other);
    EXPECT_EQ(file->FileName, other);
    EXPECT_EQ(file->Position, 10);
    EXPECT_TRUE(Tail->IsOpen(other));
    EXPECT_FALSE(Tail->IsOpen(path));
    Append(path, "not watched any more\n");
    Append(other, "watched\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "watched\n");
}

TEST_F(TailTest, AFailedReadDeliversNothingAndKeepsThePosition)
{
    const std::string path = Dir.Write("f.log", "start\n");
    TTailFile* file = Tail->AddFile(path);
    // A descriptor that cannot read: the length is known, the read fails.
    const int readable = file->Handle;
    file->Handle = open(path.c_str(), O_WRONLY);
    ASSERT_GE(file->Handle, 0);
    Append(path, "lost?\n");
    EXPECT_TRUE(Poll().empty());
    EXPECT_EQ(file->Position, 6);
    EXPECT_EQ(file->NewText, "");
    close(file->Handle);
    file->Handle = readable;
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "lost?\n") << "the text comes at the next poll that can read";
}

TEST_F(TailTest, OffsetsBeyondFourGibibytesWork)
{
    const std::string path = Dir.Write("huge.log", "");
    const int64_t size = int64_t(3) << 30;
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0) << "sparse file";
    TTailFile* file = Tail->AddFile(path);
    EXPECT_EQ(file->Position, size);
    Append(path, "after 3 GiB\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Text, "after 3 GiB\n");
    EXPECT_EQ(file->Position, size + 12);

    // A chunk that crosses 4 GiB, written in place by another program.
    const std::string edge = Dir.Write("edge.log", "");
    const int64_t below = (int64_t(4) << 30) - 3;
    ASSERT_EQ(truncate(edge.c_str(), static_cast<off_t>(below)), 0);
    TTailFile* crossing = Tail->AddFile(edge);
    ASSERT_EQ(crossing->Position, below);
    const int fd = open(edge.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, "across\n", 7, static_cast<off_t>(below)), 7);
    close(fd);
    calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].File, crossing);
    EXPECT_EQ(calls[0].Text, "across\n");
    EXPECT_EQ(crossing->Position, below + 7);
}

TEST_F(TailTest, ListLookups)
{
    const std::string path = Dir.Write("Case.log", "");
    TTailFile* file = Tail->AddFile(path);
    EXPECT_TRUE(Tail->IsOpen(path));
    EXPECT_FALSE(Tail->IsOpen(Dir.File("case.log"))) << "names are case-sensitive";
    EXPECT_EQ(Tail->GetFile(0), file);
    try {
        Tail->GetFile(1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (1)");
    }
    EXPECT_THROW(Tail->GetFile(-1), EListError);

    TObject pane;
    TObject other;
    EXPECT_EQ(Tail->FindByViewer(&pane), nullptr);
    file->View = reinterpret_cast<TRollView*>(&pane);
    EXPECT_EQ(Tail->FindByViewer(&pane), file);
    EXPECT_EQ(Tail->FindByViewer(&other), nullptr);
    EXPECT_EQ(Tail->FindByViewer(nullptr), nullptr);
    file->View = nullptr;

    // Removing only unlinks; destroying unlinks as well.
    Tail->RemoveFile(file);
    EXPECT_EQ(Tail->GetCount(), 0);
    Tail->RemoveFile(file);
    delete file;
    TTailFile* again = Tail->AddFile(path);
    EXPECT_EQ(Tail->GetCount(), 1);
    delete again;
    EXPECT_EQ(Tail->GetCount(), 0);
    TTailFile loose(Tail.get());
    EXPECT_EQ(loose.Handle, -1);
    EXPECT_EQ(Tail->GetCount(), 0) << "a record does not add itself";
}

// ---- Callbacks that change the list while the poll runs.

class TailReentryTest : public TailTest {
protected:
    void SetUp() override
    {
        TailTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            Paths.push_back(Dir.Write("f" + std::to_string(i) + ".log", ""));
            Files.push_back(Tail->AddFile(Paths.back()));
        }
    }
    void AppendAll(const std::string& text)
    {
        for (const std::string& path : Paths)
            Append(path, text);
    }
    std::vector<std::string> Paths;
    std::vector<TTailFile*> Files;
};

TEST_F(TailReentryTest, ACallbackRemovesItsOwnRecord)
{
    AppendAll("x\n");
    Then = [this](int, TTailFile* File) {
        if (File == Files[0])
            delete File;
    };
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 3u) << "the records behind it are still visited once";
    EXPECT_EQ(calls[1].File, Files[1]);
    EXPECT_EQ(calls[1].Index, 0);
    EXPECT_EQ(calls[2].File, Files[2]);
    EXPECT_EQ(calls[2].Index, 1);
    EXPECT_EQ(Tail->GetCount(), 2);
    EXPECT_TRUE(Files[1]->LineComplete);

    // The last record removes itself.
    Then = [this](int, TTailFile* File) {
        if (File == Files[2])
            delete File;
    };
    AppendAll("y\n");
    EXPECT_EQ(Poll().size(), 2u);
    EXPECT_EQ(Tail->GetCount(), 1);
}

TEST_F(TailReentryTest, ACallbackRemovesAnotherRecord)
{
    AppendAll("x\n");
    Then = [this](int, TTailFile* File) {
        if (File == Files[0]) {
            delete Files[1];
        } else if (File == Files[2]) {
            delete Files[0];
        }
    };
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].File, Files[0]);
    EXPECT_EQ(calls[1].File, Files[2]);
    EXPECT_EQ(calls[1].Index, 1);
    ASSERT_EQ(Tail->GetCount(), 1);
    EXPECT_EQ(Tail->GetFile(0), Files[2]);
    EXPECT_TRUE(Files[2]->LineComplete);
}

TEST_F(TailReentryTest, ACallbackAddsARecordOrRemovesThemAll)
{
    AppendAll("x\n");
    const std::string extra = Dir.Write("extra.log", "existing\n");
    TTailFile* added = nullptr;
    Then = [&](int, TTailFile* File) {
        if (File == Files[0])
            added = Tail->AddFile(extra);
    };
    auto calls = Poll();
    EXPECT_EQ(calls.size(), 3u) << "the new record has nothing to deliver yet";
    ASSERT_EQ(Tail->GetCount(), 4);
    EXPECT_EQ(Tail->GetFile(3), added);

    // Everything removed and one record added from the middle of a poll.
    AppendAll("y\n");
    Append(extra, "z\n");
    TTailFile* fresh = nullptr;
    Then = [&](int, TTailFile* File) {
        if (File != Files[1])
            return;
        while (Tail->GetCount() > 0)
            delete Tail->GetFile(0);
        fresh = Tail->AddFile(extra);
    };
    calls = Poll();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(Tail->GetCount(), 1);
    EXPECT_EQ(Tail->GetFile(0), fresh);
}

TEST_F(TailReentryTest, ATickDuringAPollIsSkipped)
{
    AppendAll("x\n");
    int nested = 0;
    Then = [&](int, TTailFile*) {
        const size_t before = Calls.size();
        Tail->TimerTimer(nullptr);
        nested += static_cast<int>(Calls.size() - before);
    };
    EXPECT_EQ(Poll().size(), 3u);
    EXPECT_EQ(nested, 0);
    Then = nullptr;
    AppendAll("y\n");
    EXPECT_EQ(Poll().size(), 3u) << "the next poll runs normally";
}

TEST_F(TailReentryTest, ACallbackThatThrowsLeavesTheMonitorUsable)
{
    AppendAll("partial");
    Then = [this](int, TTailFile* File) {
        if (File == Files[1])
            throw Exception("display failed");
    };
    EXPECT_THROW(Poll(), Exception);
    EXPECT_FALSE(Files[1]->LineComplete);
    EXPECT_EQ(Files[1]->Position, 7);
    Then = nullptr;
    AppendAll("\n");
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].Text, "partial\n") << "the record the poll did not reach keeps its text";
    EXPECT_FALSE(calls[1].LineCompleteDuring);
}

TEST_F(TailReentryTest, ACallbackDestroysTheMonitor)
{
    AppendAll("x\n");
    Then = [this](int, TTailFile*) { Tail.reset(); };
    CTail* tail = Tail.get();
    Calls.clear();
    tail->TimerTimer(nullptr);
    EXPECT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Tail, nullptr);
}

TEST_F(TailTest, IdleFilesAreReadThroughTheirOpenHandles)
{
    // Fifty unchanged files, gone from the folder: the poll asks each open
    // handle for its size and neither reopens nor reads anything.
    std::vector<int> writers;
    for (int i = 0; i < 50; ++i) {
        const std::string path = Dir.Write("idle" + std::to_string(i) + ".log", "content\n");
        Tail->AddFile(path);
        writers.push_back(open(path.c_str(), O_WRONLY | O_APPEND));
        ASSERT_GE(writers.back(), 0);
        ASSERT_EQ(unlink(path.c_str()), 0);
    }
    EXPECT_TRUE(Poll().empty());
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(Tail->GetFile(i)->Position, 8);
    ASSERT_EQ(write(writers[37], "one\n", 4), 4);
    auto calls = Poll();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Index, 37);
    EXPECT_EQ(calls[0].Text, "one\n");
    for (int fd : writers)
        close(fd);
}

} // namespace
