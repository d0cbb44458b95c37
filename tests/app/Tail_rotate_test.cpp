// The file monitor following a log's name: logs renamed away and created again,
// names that name nothing for a while, links, names taken by what cannot be
// followed, and open files that fail for good while the name works. The poll
// is called directly, and by the window's timer for logs shown in its panes.
#include "app/Tail.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/core/sysutils.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/pumpevents.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

namespace {

// The handles the process holds (and one more, the listing's own).
int OpenHandles()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

void Append(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::app) << bytes;
}

// Where the delivered stream starts again from a file's start (OnTruncate).
const std::string Cut = "|cut|";

class TailRotateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Tail->OnNewText = [this](int, TTailFile* file) {
            Stream += file->NewText;
            LineComplete = file->LineComplete;
        };
        Tail->OnTruncate = [this](int, TTailFile*) { Stream += Cut; };
    }
    void TearDown() override { SetTailIoFault(nullptr); }

    // Polls until a poll delivers nothing; what the polls delivered since the
    // last call.
    std::string Delivered()
    {
        for (int polls = 0; polls < 1000; ++polls) {
            const size_t before = Stream.size();
            Tail->TimerTimer(nullptr);
            if (Stream.size() == before)
                break;
        }
        return std::exchange(Stream, std::string());
    }

    // Renames the log away, as a rotation does, to a name of its own each
    // time; that name.
    std::string RenameAway(const std::string& path)
    {
        const std::string away = path + "." + std::to_string(++Rotations);
        EXPECT_EQ(rename(path.c_str(), away.c_str()), 0) << path;
        return away;
    }
    void Rotate(const std::string& path, const std::string& bytes)
    {
        RenameAway(path);
        Dir.Write(path, bytes);
    }

    TempDir Dir;
    std::unique_ptr<CTail> Tail = std::make_unique<CTail>();
    std::string Stream;
    bool LineComplete = true; // during the last OnNewText
    std::vector<std::string> Reports;
    int Rotations = 0;
};

// Random writes (whole and partial lines), renames away (the writer going on
// in the renamed file), new files or links to new files under the name, the
// name linked back to the followed file, and polls: every byte of every file
// a poll saw under the name arrives once and in order, each new file after a
// cut (a file made and renamed away between two polls is never seen), with no
// failure, and the record holds one handle throughout.
TEST_F(TailRotateTest, EveryByteOfEveryFileSeenUnderTheNameArrivesOnceInOrder)
{
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string path = Dir.Write("app.log", "existing\n");
    Tail->AddFile(path);
    Tail->OnError = [](int, TTailFile*, const AnsiString& why) { ADD_FAILURE() << why; };
    std::string writerPath = path; // the writer's file by a name of its own
    int writer = open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(writer, 0);
    const int handles = OpenHandles();
    std::string expected, unseen; // unseen: the writer's file's text while no poll saw it
    bool named = true;            // the name reaches the writer's file
    bool followed = true;         // the record is on the writer's file
    for (int step = 0; step < 1000; ++step) {
        const unsigned what = random() % 9;
        if (what < 4) {
            const std::string bytes = "line " + std::to_string(step) + (random() % 3 ? "\n" : "");
            ASSERT_EQ(write(writer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
            (followed ? expected : unseen) += bytes;
        } else if (what == 4 && named) {
            const std::string away = RenameAway(path);
            writerPath = writerPath == path ? away : writerPath;
            named = false;
            unseen.clear();
        } else if (what == 5 && !named) {
            close(writer);
            writerPath = random() % 2 ? path : Dir.File("other" + std::to_string(step) + ".log");
            writer = open(writerPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL, 0644);
            ASSERT_GE(writer, 0);
            ASSERT_TRUE(writerPath == path || symlink(writerPath.c_str(), path.c_str()) == 0);
            named = true;
            followed = false;
            unseen = Cut;
        } else if (what == 6 && !named && followed) {
            // A link to the open file is no rotation.
            ASSERT_EQ(random() % 2 ? symlink(writerPath.c_str(), path.c_str())
                                   : link(writerPath.c_str(), path.c_str()),
                      0);
            named = true;
        } else if (what >= 7) {
            Tail->TimerTimer(nullptr);
            if (named && !followed)
                expected += std::exchange(unseen, std::string());
            followed = followed || named;
            EXPECT_EQ(OpenHandles(), handles) << "one handle for the record";
        }
    }
    EXPECT_EQ(Delivered(), expected + (named ? unseen : ""));
    EXPECT_EQ(OpenHandles(), handles);
    close(writer);
}

// The record moves once what is left behind the old handle is read: the
// pieces of a file beyond 4 GiB, a last line that never ended, then the new
// file from its start, its first line taken as a truncation takes it; bytes
// written to the open file while a poll reads it, before a new file takes the
// name, as well. Switching the monitor on goes to the new file's end.
TEST_F(TailRotateTest, TheRecordMovesOnceWhatIsLeftBehindIsRead)
{
    const std::string path = Dir.Write("big.log", "");
    ASSERT_EQ(truncate(path.c_str(), off_t{5} << 30), 0);
    TTailFile* file = Tail->AddFile(path);
    std::string rest;
    for (int i = 0; rest.size() < 5 * CTail::PieceLimit / 2; ++i)
        rest += "left behind " + std::to_string(i) + "\n";
    rest += "unfinished";
    Append(path, rest);
    Rotate(path, "new 1\n");
    Tail->TimerTimer(nullptr);
    EXPECT_EQ(Tail->GetTickDelay(), 1) << "the rest follows at once";
    EXPECT_TRUE(Delivered() == rest + Cut + "new 1\n") << "the rest, once, then the new file";
    EXPECT_FALSE(LineComplete) << "as after a truncation, the open line is the display's to end";
    EXPECT_EQ(file->Position, 6);

    bool raced = false;
    SetTailIoFault([&](TTailIo io) {
        if (io == TTailIo::Read && !std::exchange(raced, true)) {
            Append(path, "late\n");
            Rotate(path, "newer\n");
        }
        return 0;
    });
    Append(path, "new 2\n");
    EXPECT_EQ(Delivered(), "new 2\nlate\n" + Cut + "newer\n");

    Rotate(path, "written while off\n");
    Tail->SetActive(true);
    Tail->SetActive(false);
    EXPECT_EQ(file->Position, 18);
    Append(path, "on again\n");
    EXPECT_EQ(Delivered(), "on again\n");
}

// A name taken by what cannot be followed is reported once, after the open
// file's text, and the record is paused on its open file; once a regular file
// is back under the name the record goes to it (to its end while paused).
// Without OnError the record stays active and looks the name up at every poll.
TEST_F(TailRotateTest, ANameThatCannotBeFollowedIsReportedOnceAndARegularFileBringsItBack)
{
    const std::pair<std::function<void(const std::string&)>, std::string> cases[] = {
        {[](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, "a named pipe"},
        {[](const std::string& p) { ASSERT_EQ(mkdir(p.c_str(), 0700), 0); }, "a folder"},
        {[](const std::string& p) { ASSERT_EQ(symlink(p.c_str(), p.c_str()), 0); }, SysErrorMessage(ELOOP)},
        {[this](const std::string& p) {
             Dir.Write(p, "refused\n");
             SetTailIoFault([](TTailIo io) { return io == TTailIo::Open ? EACCES : 0; });
         },
         SysErrorMessage(EACCES)},
    };
    for (bool reported : {true, false}) {
        for (const auto& [make, reason] : cases) {
            SCOPED_TRACE(reason + (reported ? ", reported" : ", not reported"));
            const std::string path = Dir.Write("odd.log", "");
            std::unique_ptr<TTailFile> file(Tail->AddFile(path));
            Tail->OnError = nullptr;
            if (reported)
                Tail->OnError = [this](int, TTailFile*, const AnsiString& why) { Reports.push_back(why); };
            const int handles = OpenHandles();
            Append(path, "before\n");
            RenameAway(path);
            make(path);
            EXPECT_EQ(Delivered(), "before\n");
            ASSERT_EQ(Reports.size(), reported ? 1u : 0u) << "once, not at every poll";
            EXPECT_TRUE(!reported || Reports[0].find(reason) != std::string::npos) << Reports[0];
            EXPECT_EQ(file->Active, !reported);
            SetTailIoFault(nullptr);
            std::filesystem::remove_all(path);
            Dir.Write(path, "while paused\n");
            EXPECT_EQ(Delivered(), reported ? "" : Cut + "while paused\n") << "a paused record skips it";
            file->Active = true;
            Append(path, "after\n");
            EXPECT_EQ(Delivered(), "after\n");
            EXPECT_EQ(Reports.size(), reported ? 1u : 0u);
            EXPECT_EQ(OpenHandles(), handles);
            Reports.clear();
        }
    }
}

// An open file that fails for good (a dead network or FUSE mount, a stale
// handle: its size cannot be queried) while its name can be opened again: the
// failure is reported once and pauses the record, and the resumed record lets
// go of the open file for the one under the name. The same file goes on from
// where it was, also with what was written while it failed; a file that took
// the name (longer, or shorter than what was read) is read from its start
// after a cut. While nothing can be opened under the name, each resume fails
// as the first poll did. Without OnError the poll after the failing one opens
// the name. The file layer's failure is injected: the open file's size
// queries fail until the name is opened again.
TEST_F(TailRotateTest, AnOpenFileThatFailsForGoodIsLetGoOfForTheFileUnderItsName)
{
    const std::string path = Dir.Write("remote.log", "");
    std::unique_ptr<TTailFile> file(Tail->AddFile(path));
    Tail->OnError = [this](int, TTailFile*, const AnsiString& why) { Reports.push_back(why); };
    bool openFails = false; // the open file's size queries
    bool nameFails = false; // opening the name
    int opened = 0;
    SetTailIoFault([&](TTailIo io) {
        if (io == TTailIo::Open) {
            if (nameFails)
                return ENOTCONN;
            ++opened;
            openFails = false;
        }
        return io == TTailIo::SizeQuery && openFails ? ENOTCONN : 0;
    });
    const int handles = OpenHandles();
    const auto fail = [&] {
        openFails = true;
        const size_t reports = Reports.size();
        EXPECT_EQ(Delivered(), "");
        ASSERT_EQ(Reports.size(), reports + 1);
        EXPECT_NE(Reports.back().find(SysErrorMessage(ENOTCONN)), std::string::npos) << Reports.back();
        EXPECT_FALSE(file->Active);
        EXPECT_EQ(Delivered(), "") << "paused";
        EXPECT_EQ(Reports.size(), reports + 1) << "once, not at every poll";
    };
    Append(path, "before\n");
    EXPECT_EQ(Delivered(), "before\n");

    // The same file, written while its open file fails; the name cannot be
    // opened at the first resume.
    fail();
    Append(path, "while failing\n");
    nameFails = true;
    file->Active = true;
    EXPECT_EQ(Delivered(), "");
    ASSERT_EQ(Reports.size(), 2u) << "the resume fails as the first poll did";
    EXPECT_NE(Reports.back().find(SysErrorMessage(ENOTCONN)), std::string::npos) << Reports.back();
    EXPECT_FALSE(file->Active);
    EXPECT_EQ(opened, 0);
    nameFails = false;
    file->Active = true;
    EXPECT_EQ(Delivered(), "while failing\n") << "from where it was";
    EXPECT_EQ(opened, 1);
    Append(path, "after\n");
    EXPECT_EQ(Delivered(), "after\n");
    EXPECT_EQ(OpenHandles(), handles) << "the failing handle is closed";

    // Another file took the name, longer than what was read, or shorter.
    for (const std::string& taken : {std::string(200, 'x') + "\n", std::string("short\n")}) {
        fail();
        Rotate(path, taken);
        file->Active = true;
        EXPECT_EQ(Delivered(), Cut + taken) << "from its start";
        Append(path, "appended\n");
        EXPECT_EQ(Delivered(), "appended\n");
    }
    EXPECT_EQ(Reports.size(), 4u);

    // Without OnError: the poll after the failing one opens the name.
    Tail->OnError = nullptr;
    openFails = true;
    Append(path, "unreported\n");
    Tail->TimerTimer(nullptr);
    EXPECT_EQ(Stream, "");
    EXPECT_TRUE(file->Active);
    EXPECT_EQ(Delivered(), "unreported\n");
    EXPECT_EQ(opened, 4);
    EXPECT_EQ(OpenHandles(), handles);
}

// ---- A log rotated while the window's pane shows it.

class TailRotateFormTest : public KelvorFormTest {
protected:
    std::string Settings() const override
    {
        return "[Options]\nActive=1\nMonitorInterval=10\nPurgeAtLine=0\n";
    }
};

// The lines of a pane (a line in pieces joined) and the breaks between them.
struct TPaneLines {
    std::vector<std::string> Lines;
    int Breaks = 0;
};

TPaneLines PaneLines(TRollView* view)
{
    TPaneLines pane;
    for (int i = 0; i < view->GetLineCount(); ++i) {
        if (!view->RVData->IsTextItem(i))
            ++pane.Breaks;
        else if (view->IsParaStart(i) || pane.Lines.empty())
            pane.Lines.push_back(view->GetItemText(i));
        else
            pane.Lines.back() += view->GetItemText(i);
    }
    return pane;
}

// The number of the last line a pane shows: its last paragraph's last word.
int LastLineShown(TRollView* view)
{
    std::string line;
    for (int i = view->GetLineCount() - 1; i >= 0 && (line.empty() || !view->IsParaStart(i + 1)); --i)
        if (view->RVData->IsTextItem(i))
            line.insert(0, view->GetItemText(i));
    const size_t at = line.rfind(' ');
    return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + 1);
}

std::string WrittenLine(int log, int number)
{
    return "log " + std::to_string(log) + " line " + std::to_string(number);
}

// Logs written by another thread and rotated by rename and re-create while the
// monitor follows them on its timer: each pane shows every line once, in
// order, with a break at each rotation. The writer writes each generation in
// batches, and before each batch but the first waits until every pane shows
// the line before it: polls fall between the writes at any pace of the
// machine, and a log is renamed away only once its pane showed a line of the
// file under the name (a file made and renamed away between two polls is
// never seen). The last batch of a generation is not waited for: the rename
// follows it at once, and what the monitor has not read of the old file yet
// comes before the new file's lines.
TEST_F(TailRotateFormTest, EveryLineWrittenWhileLogsAreRotatedIsShownOnceInOrder)
{
    const int logs = 8;
    const int generations = 6;
    const int batches = 5;
    const int linesPerBatch = 10;
    std::vector<std::string> paths;
    std::vector<TTailFile*> files;
    for (int i = 0; i < logs; ++i) {
        paths.push_back(Log("rotated" + std::to_string(i) + ".log"));
        files.push_back(Open(paths.back()));
        ASSERT_NE(files.back(), nullptr);
    }
    // The number of the last line each pane shows, for the writer.
    std::vector<std::atomic<int>> shown(logs);
    const auto linesShown = [&] {
        long long sum = 0;
        for (const std::atomic<int>& last : shown)
            sum += last;
        return sum;
    };
    std::atomic<bool> writing{true};
    std::atomic<bool> givenUp{false}; // the test no longer waits for the panes
    std::atomic<bool> writeFailed{false};
    std::thread writer([&] {
        std::vector<int> fds;
        for (const std::string& path : paths)
            fds.push_back(open(path.c_str(), O_WRONLY | O_APPEND));
        int number = 0;
        for (int g = 0; g < generations; ++g) {
            for (int b = 0; b < batches; ++b) {
                if (b > 0) {
                    const int written = number;
                    WaitUntil(
                        [&] {
                            return givenUp ||
                                   std::all_of(shown.begin(), shown.end(),
                                               [&](const std::atomic<int>& last) { return last >= written; });
                        },
                        linesShown);
                }
                for (int n = 0; n < linesPerBatch; ++n) {
                    ++number;
                    for (int i = 0; i < logs; ++i) {
                        const std::string line = WrittenLine(i, number) + "\n";
                        if (write(fds[i], line.data(), line.size()) != static_cast<ssize_t>(line.size()))
                            writeFailed = true;
                    }
                }
            }
            if (g + 1 == generations)
                break;
            for (int i = 0; i < logs; ++i) {
                const std::string away = paths[i] + "." + std::to_string(g + 1);
                if (rename(paths[i].c_str(), away.c_str()) != 0)
                    writeFailed = true;
                close(fds[i]);
                fds[i] = open(paths[i].c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL, 0644);
            }
        }
        for (int fd : fds)
            close(fd);
        writing = false;
    });
    const int total = generations * batches * linesPerBatch;
    const auto everyLineShown = [&] {
        bool all = !writing;
        for (int i = 0; i < logs; ++i) {
            shown[i] = LastLineShown(files[i]->View);
            all = all && shown[i] == total;
        }
        return all;
    };
    const bool done = WaitUntil(everyLineShown, linesShown, PumpEvents);
    givenUp = true;
    writer.join();
    ASSERT_FALSE(writeFailed);
    EXPECT_TRUE(done);
    for (int i = 0; i < logs; ++i) {
        SCOPED_TRACE("log " + std::to_string(i));
        std::vector<std::string> expected;
        for (int n = 1; n <= total; ++n)
            expected.push_back(WrittenLine(i, n));
        const TPaneLines pane = PaneLines(files[i]->View);
        EXPECT_EQ(pane.Lines, expected);
        EXPECT_EQ(pane.Breaks, generations - 1) << "a break at each rotation";
    }
}

} // namespace
