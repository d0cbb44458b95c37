// The file monitor under hard conditions: bursts larger than one piece, files
// rewritten within one poll, files with holes or runs of NUL bytes, and
// callbacks that fail. Other writers are simulated with descriptors of their own.
#include "app/Tail.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/core/sysutils.h"
#include "tests/support/tempdir.h"

namespace {

// Writes bytes at Offset through a descriptor without O_APPEND, as a writer that
// keeps its own offset does.
void WriteAt(const std::string& path, int64_t offset, const std::string& bytes, int flags = 0)
{
    const int fd = open(path.c_str(), O_WRONLY | flags);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
              static_cast<ssize_t>(bytes.size()));
    close(fd);
}

void Append(const std::string& path, const std::string& bytes)
{
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    WriteAt(path, info.st_size, bytes);
}

// Count lines made from Format (one %d for the line's number, from 1).
std::string Lines(const char* format, int count)
{
    std::string text;
    char line[128];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(line, sizeof line, format, i);
        text += line;
    }
    return text;
}

// Bytes as the monitor delivers them: carriage returns dropped.
std::string WithoutCr(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

class TailRobustTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Tail = std::make_unique<CTail>();
        Tail->OnNewText = [this](int, TTailFile* file) {
            Kinds += 'N';
            Text += file->NewText;
            Pieces.push_back(file->NewText.size());
            if (Fail)
                Fail();
        };
        Tail->OnTruncate = [this](int, TTailFile*) { Kinds += 'T'; };
    }

    // One poll; what it delivered replaces what earlier polls delivered.
    void Poll()
    {
        Kinds.clear();
        Text.clear();
        Pieces.clear();
        Tail->TimerTimer(nullptr);
    }

    TempDir Dir;
    std::unique_ptr<CTail> Tail;
    std::string Kinds; // 'N' and 'T' in the order of the calls
    std::string Text;  // the text of the 'N' calls
    std::vector<size_t> Pieces;
    std::function<void()> Fail;
};

TEST_F(TailRobustTest, ABurstArrivesInBoundedPiecesAndTheNextTickFollowsAtOnce)
{
    Tail->SetInterval(700);
    const std::vector<std::string> bursts = {
        Lines("burst line %07d of a writer that does not stop\n", 90000),
        std::string(5 * CTail::PieceLimit / 2, 'x'), // one line without an end
    };
    for (size_t i = 0; i < bursts.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = Dir.Write("burst" + std::to_string(i) + ".log", "");
        TTailFile* file = Tail->AddFile(path);
        Append(path, bursts[i]);
        std::string all;
        int polls = 0;
        for (Poll(); !Pieces.empty() && polls < 100; Poll()) {
            EXPECT_LE(Pieces[0], CTail::PieceLimit);
            if (++polls == 1) {
                EXPECT_EQ(Tail->GetTickDelay(), 1) << "more is waiting: the next tick follows at once";
            }
            all += Text;
        }
        EXPECT_GE(polls, 3);
        EXPECT_EQ(Tail->GetInterval(), 700) << "the interval the user chose stays";
        EXPECT_EQ(Tail->GetTickDelay(), 700) << "once everything was read the interval applies again";
        EXPECT_EQ(file->Position, static_cast<int64_t>(bursts[i].size()));
        EXPECT_TRUE(all == bursts[i]) << "nothing lost, nothing twice, in order";
        delete file;
    }
}

TEST_F(TailRobustTest, ATickReadsOnWhileMoreWaitsAndAPollReadsOnePiece)
{
    // Five pieces and a half, with carriage returns and NUL runs in them.
    std::string burst;
    std::string expected; // as delivered: carriage returns dropped, a NUL run as one NUL
    for (int i = 0; burst.size() < 5 * CTail::PieceLimit + CTail::PieceLimit / 2; ++i) {
        const std::string line = "line " + std::to_string(i);
        burst += line + (i % 7 == 0 ? "\r\n" : i % 11 == 0 ? std::string("\0\0x\n", 4) : "\n");
        expected += line + (i % 11 == 0 && i % 7 != 0 ? std::string("\0x\n", 3) : "\n");
    }
    const std::string path = Dir.Write("tick.log", "");
    TTailFile* file = Tail->AddFile(path);
    Tail->SetActive(true);
    Append(path, burst);
    Poll();
    EXPECT_EQ(Pieces.size(), 1u) << "a poll reads one piece";
    EXPECT_TRUE(file->MoreWaiting);
    std::string all = Text;
    // The tick goes on at once while more waits: it ends after one piece
    // only when that piece took the tick's whole time (how many pieces fit
    // depends on the machine); each piece bounded.
    Pieces.clear();
    Text.clear();
    const auto tickStart = std::chrono::steady_clock::now();
    Tail->Tick();
    const auto tickTime = std::chrono::steady_clock::now() - tickStart;
    ASSERT_GE(Pieces.size(), 1u);
    if (Pieces.size() == 1) {
        EXPECT_GE(tickTime, std::chrono::milliseconds(CTail::TickBudgetMs))
            << "the tick ended with more waiting";
    }
    for (int ticks = 1; file->MoreWaiting && ticks < 10; ++ticks)
        Tail->Tick();
    EXPECT_EQ(Pieces.size(), 5u);
    for (size_t n : Pieces)
        EXPECT_LE(n, CTail::PieceLimit);
    all += Text;
    EXPECT_TRUE(all == expected) << "nothing lost, nothing twice, in order";
    EXPECT_FALSE(file->MoreWaiting);

    // A display that switches the monitor off ends the tick.
    Append(path, burst);
    Fail = [this] { Tail->SetActive(false); };
    Pieces.clear();
    Tail->Tick();
    EXPECT_EQ(Pieces.size(), 1u);
    EXPECT_TRUE(file->MoreWaiting);
    Fail = nullptr;
    delete file;
}

struct TRewriteCase {
    const char* Name;
    const char* Before; // lines written and read before the rewrite
    const char* After;  // lines of the new file, written before the next poll
};

class TailRewriteTest : public TailRobustTest, public ::testing::WithParamInterface<TRewriteCase> {};

TEST_P(TailRewriteTest, AFileEmptiedAndWrittenLongerWithinOnePollStartsAgainFromItsStart)
{
    const TRewriteCase& rewrite = GetParam();
    const std::string path = Dir.Write("rot.log", "");
    TTailFile* file = Tail->AddFile(path);
    const std::string before = Lines(rewrite.Before, 100);
    Append(path, before);
    Poll();
    ASSERT_EQ(Text, WithoutCr(before));

    // Emptied and written again, longer than before, between two polls.
    const std::string after = Lines(rewrite.After, 200);
    ASSERT_GT(after.size(), before.size());
    WriteAt(path, 0, after, O_TRUNC);
    Poll();
    EXPECT_EQ(Kinds, "T") << "the rewrite is a truncation";
    Poll();
    EXPECT_EQ(Kinds, "N");
    EXPECT_EQ(Text, WithoutCr(after)) << "every line of the new file, from its first";
    EXPECT_EQ(file->Position, static_cast<int64_t>(after.size()));

    // An ordinary append after it is no rewrite.
    Append(path, "plain\n");
    Poll();
    EXPECT_EQ(Kinds, "N");
    EXPECT_EQ(Text, "plain\n");
}

INSTANTIATE_TEST_SUITE_P(Rewrites, TailRewriteTest,
                         ::testing::Values(TRewriteCase{"EqualLengthLines", "line %03d\n", "rot  %03d\n"},
                                           TRewriteCase{"LongerLines", "line %d\n", "rotated line %05d\n"},
                                           TRewriteCase{"CarriageReturns", "old %04d\r\n", "new %04d\r\n"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(TailRobustTest, RunsOfNulBytesArriveAsOne)
{
    struct TCase {
        std::vector<std::string> Writes; // one poll after each
        std::string Delivered;           // all the polls delivered
    };
    const std::vector<TCase> cases = {
        {{std::string("a\0\0\0b\n", 6)}, std::string("a\0b\n", 4)},
        {{std::string("\0", 1), std::string("\0\0x\n", 4)}, std::string("\0x\n", 3)},
        {{std::string("x\0\r\0y", 5)}, std::string("x\0y", 3)},
        {{std::string(300000, '\0') + "z\n"}, std::string("\0z\n", 3)},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = Dir.Write("nul" + std::to_string(i) + ".log", "");
        TTailFile* file = Tail->AddFile(path);
        std::string delivered;
        int64_t written = 0;
        for (const std::string& bytes : cases[i].Writes) {
            Append(path, bytes);
            written += static_cast<int64_t>(bytes.size());
            Poll();
            delivered += Text;
        }
        EXPECT_EQ(delivered, cases[i].Delivered);
        EXPECT_EQ(file->Position, written) << "every byte is consumed";
        delete file;
    }
}

// A file whose first Length bytes are a hole, when the file system keeps holes.
bool MakeHole(const std::string& path, int64_t length)
{
    const int fd = open(path.c_str(), O_RDWR);
    if (fd < 0 || ftruncate(fd, static_cast<off_t>(length)) != 0) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    const off_t data = lseek(fd, 0, SEEK_DATA);
    close(fd);
    return data < 0 || data >= static_cast<off_t>(length);
}

TEST_F(TailRobustTest, ACopyThenTruncateRotationSkipsTheHoleItsWriterLeaves)
{
    // The writer's offset stays at 64 MiB when the file is emptied under it.
    const int64_t offset = int64_t{64} << 20;
    const std::string path = Dir.Write("rotated.log", "");
    TTailFile* file = Tail->AddFile(path);
    if (!MakeHole(path, offset))
        GTEST_SKIP() << "the file system keeps no holes";
    Poll();
    ASSERT_TRUE(Kinds.empty() || Kinds == "N");
    Text.clear();
    // Copied away and emptied: the monitor starts again from 0.
    WriteAt(path, 0, "", O_TRUNC);
    Poll();
    EXPECT_EQ(Kinds, "T");
    // The writer goes on at its own offset: the file restarts with a hole.
    WriteAt(path, offset, "after rotation\n");
    Poll();
    EXPECT_EQ(Kinds, "N") << "the hole is skipped within one poll";
    EXPECT_EQ(Text, std::string("\0after rotation\n", 16));
    EXPECT_EQ(file->Position, offset + 15);
    EXPECT_LE(Pieces.size(), 1u);
}

// Where a file's next data lies is asked only after a long run of zeros: the
// question waits for a writer's whole write() call, which reading text must
// never do. Text (with short NUL runs in it) is read with no such question in
// any of its pieces; a long run of written zeros asks, is read on and arrives
// as one NUL.
TEST_F(TailRobustTest, TextIsReadWithoutAskingWhereHolesAre)
{
    const std::string path = Dir.Write("text.log", "");
    TTailFile* file = Tail->AddFile(path);
    std::string text;
    for (int i = 0; text.size() < 3 * CTail::PieceLimit; ++i)
        text += "line " + std::to_string(i) + (i % 100 == 0 ? std::string(100, '\0') : std::string()) + "\n";
    Append(path, text);
    std::string delivered;
    while (file->Position < static_cast<int64_t>(text.size())) {
        Poll();
        ASSERT_EQ(Kinds, "N");
        delivered += Text;
    }
    EXPECT_GE(Tail->GetSizeQueryCount(), 4);
    EXPECT_EQ(Tail->GetHoleProbeCount(), 0);
    // A run of NULs is delivered as one.
    std::string expected;
    for (char c : text)
        if (c != '\0' || expected.empty() || expected.back() != '\0')
            expected += c;
    EXPECT_EQ(delivered, expected);

    Append(path, std::string(200000, '\0') + "after zeros\n");
    Poll();
    EXPECT_GE(Tail->GetHoleProbeCount(), 1);
    EXPECT_EQ(Text, std::string("\0after zeros\n", 13));
}

TEST_F(TailRobustTest, APollThatFailsForAFileReportsOnceAndPausesIt)
{
    struct TCase {
        const char* Name;
        std::function<void()> Throw;
        const char* Reason;
    };
    const std::vector<TCase> cases = {
        {"out of memory", [] { throw std::bad_alloc(); }, "memory"},
        {"library error", [] { throw Exception("display failed"); }, "display failed"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = Dir.Write("fail.log", "");
        TTailFile* file = Tail->AddFile(path);
        TTailFile* other = Tail->AddFile(Dir.Write("other.log", ""));
        std::vector<std::string> reports;
        Tail->OnError = [&](int index, TTailFile* failed, const AnsiString& reason) {
            EXPECT_EQ(index, 0);
            EXPECT_EQ(failed, file);
            reports.push_back(reason);
        };
        Fail = [&] {
            if (Pieces.size() == 1)
                c.Throw();
        };
        Append(path, "first\n");
        Append(other->FileName, "other\n");
        EXPECT_NO_THROW(Poll());
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports[0].find(c.Reason), std::string::npos) << reports[0];
        EXPECT_FALSE(file->Active) << "the file is paused";
        EXPECT_EQ(Kinds, "NN") << "the other file is still polled";
        Fail = nullptr;
        Append(path, "second\n");
        Poll();
        EXPECT_EQ(reports.size(), 1u) << "no report at every tick";
        EXPECT_EQ(Kinds, "");
        delete file;
        delete other;
        Tail->OnError = nullptr;
    }
}

TEST_F(TailRobustTest, AFailedSizeQueryOrReadKeepsWhatWasReadAndIsReportedOnce)
{
    // Three reads of a block each would take the lines; the call that fails is
    // the Nth of its kind in the poll.
    const std::string lines = Lines("line %06d of a file on a disk that fails now and then\n", 3000);
    struct TCase {
        const char* Name;
        TTailIo Io;
        int FailingCall;
        size_t DeliveredFirst; // bytes the failing poll delivers
    };
    const std::vector<TCase> cases = {
        {"size query", TTailIo::SizeQuery, 1, 0},
        {"first read", TTailIo::Read, 1, 0},
        {"third read", TTailIo::Read, 3, 2 * 65536},
    };
    for (bool reported : {true, false}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (reported ? ", reported" : ", not reported"));
            const std::string path = Dir.Write("failing.log", "");
            TTailFile* file = Tail->AddFile(path);
            std::vector<std::string> reports;
            if (reported)
                Tail->OnError = [&](int, TTailFile* failed, const AnsiString& reason) {
                    EXPECT_EQ(failed, file);
                    reports.push_back(reason);
                };
            int calls = 0;
            SetTailIoFault([&](TTailIo io) { return io == c.Io && ++calls == c.FailingCall ? EIO : 0; });
            Append(path, lines);
            Poll();
            EXPECT_EQ(Text, lines.substr(0, c.DeliveredFirst)) << "what was read before the failure";
            EXPECT_EQ(file->Position, static_cast<int64_t>(c.DeliveredFirst));
            if (reported) {
                ASSERT_EQ(reports.size(), 1u);
                EXPECT_NE(reports[0].find(SysErrorMessage(EIO)), std::string::npos) << reports[0];
                EXPECT_FALSE(file->Active) << "paused, as after any failure";
                // Failing on, then recovered: no report at every tick.
                calls = 0;
                Poll();
                SetTailIoFault(nullptr);
                Poll();
                EXPECT_EQ(reports.size(), 1u);
            } else {
                // Tried again: the rest arrives, nothing lost or twice.
                SetTailIoFault(nullptr);
                std::string all = Text;
                for (Poll(); !Text.empty(); Poll())
                    all += Text;
                EXPECT_TRUE(all == lines);
            }
            SetTailIoFault(nullptr);
            Tail->OnError = nullptr;
            delete file;
        }
    }
}

} // namespace
