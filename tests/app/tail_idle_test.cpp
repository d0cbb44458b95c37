// What following unchanged files costs: a poll of fifty watched files that
// nobody wrote to asks each file for its size once, reads nothing, calls none
// of the monitor's callbacks, and so neither lays out nor paints the panes of
// the main window. Each check is shown to see the work when there is some.
#include "app/Tail.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

namespace {

const int Files = 50;

// Tells which of the watched files were read: the file system reports every
// read of a file to the inotify watches on it (IN_ACCESS), whoever reads and
// however, at the moment of the read.
class TReadWatch {
public:
    TReadWatch() : FFd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~TReadWatch()
    {
        if (FFd >= 0)
            close(FFd);
    }
    bool Ready() const { return FFd >= 0; }
    void Watch(const std::string& path, int index)
    {
        const int wd = inotify_add_watch(FFd, path.c_str(), IN_ACCESS);
        ASSERT_GE(wd, 0) << path;
        FIndex[wd] = index;
    }
    // The indexes of the files read since the last call, each once, in order.
    std::vector<int> TakeRead()
    {
        std::set<int> read;
        alignas(inotify_event) char buffer[4096];
        ssize_t got;
        while ((got = ::read(FFd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_ACCESS)
                    read.insert(FIndex[event->wd]);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return std::vector<int>(read.begin(), read.end());
    }

private:
    int FFd;
    std::map<int, int> FIndex;
};

void Append(const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

TEST(TailIdleTest, AnIdlePollAsksEachFileForItsSizeOnceAndReadsNothing)
{
    TempDir Dir;
    CTail Tail;
    int Delivered = 0;
    Tail.OnNewText = [&](int, TTailFile*) { ++Delivered; };
    Tail.OnTruncate = [&](int, TTailFile*) { ++Delivered; };
    std::vector<std::string> paths;
    for (int i = 0; i < Files; ++i) {
        paths.push_back(Dir.Write("idle" + std::to_string(i) + ".log", "line " + std::to_string(i) + "\n"));
        Tail.AddFile(paths.back());
    }
    EXPECT_EQ(Tail.GetSizeQueryCount(), 0) << "adding measures the file while opening it";

    // Switching on moves every record to its end: one query each.
    Tail.SetActive(true);
    Tail.SetActive(false);
    EXPECT_EQ(Tail.GetSizeQueryCount(), Files);

    TReadWatch reads;
    ASSERT_TRUE(reads.Ready());
    for (int i = 0; i < Files; ++i)
        reads.Watch(paths[static_cast<size_t>(i)], i);
    for (int round = 0; round < 3; ++round) {
        const int64_t queries = Tail.GetSizeQueryCount();
        Tail.TimerTimer(nullptr);
        EXPECT_EQ(Tail.GetSizeQueryCount() - queries, Files) << "round " << round;
        EXPECT_EQ(Delivered, 0);
        EXPECT_EQ(reads.TakeRead(), std::vector<int>{}) << "an unchanged file is not read";
    }
    for (int i = 0; i < Files; ++i)
        EXPECT_EQ(Tail.GetFile(i)->Position, static_cast<int64_t>(6 + std::to_string(i).size()));

    // The same watch sees the work of a poll that has something to deliver:
    // that file alone is read.
    Append(paths[37], "new\n");
    const int64_t queries = Tail.GetSizeQueryCount();
    Tail.TimerTimer(nullptr);
    EXPECT_EQ(Tail.GetSizeQueryCount() - queries, Files);
    EXPECT_EQ(Delivered, 1);
    EXPECT_EQ(reads.TakeRead(), std::vector<int>{37});

    // A file switched off is still followed: one query, nothing delivered.
    Tail.GetFile(5)->Active = false;
    Append(paths[5], "skipped\n");
    const int64_t before = Tail.GetSizeQueryCount();
    Tail.TimerTimer(nullptr);
    EXPECT_EQ(Tail.GetSizeQueryCount() - before, Files);
    EXPECT_EQ(Delivered, 1);
}

// The main window with fifty panes that show some lines each.
class TailIdleFormTest : public KelvorFormTest {
protected:
    std::string Settings() const override { return "[Options]\nActive=0\nPurgeAtLine=0\n"; }

    // What a pane showed and how it was laid out and scrolled.
    struct TPaneState {
        int DrawItems;
        const TRVDrawLineInfo* First;
        const TRVDrawLineInfo* Last;
        int DocumentHeight;
        int VPos;
        bool operator==(const TPaneState& o) const
        {
            return DrawItems == o.DrawItems && First == o.First && Last == o.Last &&
                   DocumentHeight == o.DocumentHeight && VPos == o.VPos;
        }
    };

    static TPaneState StateOf(TRollView* View)
    {
        const TRVDrawLines& items = View->RVData->DrawItems;
        const int n = items.Count();
        return {n, n > 0 ? items[0] : nullptr, n > 0 ? items[n - 1] : nullptr, View->GetDocumentHeight(),
                View->VPos()};
    }

    static bool UpdatePending(TRollView* View) { return GetUpdateRect(View->Handle(), nullptr, false); }

    // Counted by the watch below; members, so that they outlive the window.
    int NewText = 0;
    int Truncated = 0;
    std::vector<int> Paints = std::vector<int>(Files, 0);
};

TEST_F(TailIdleFormTest, AnIdlePollNeitherLaysOutNorPaintsThePanes)
{
    std::vector<std::string> paths;
    for (int i = 0; i < Files; ++i) {
        paths.push_back(Log("pane" + std::to_string(i) + ".log", "before the pane\n"));
        ASSERT_NE(Open(paths.back()), nullptr);
    }
    Form->SetClientHeight(Files * 40);
    Form->FormResize(Form);
    // Twenty lines in every pane, more than it shows.
    std::string lines;
    for (int l = 0; l < 20; ++l)
        lines += "line " + std::to_string(l) + " of the log\n";
    for (const std::string& path : paths)
        Append(path, lines);
    Poll();

    // Watching: the monitor's callbacks (the window's own handlers still run)
    // and every pane's painting.
    const TTailFileEvent ShowText = Form->Tail->OnNewText;
    const TTailFileEvent ShowTruncation = Form->Tail->OnTruncate;
    Form->Tail->OnNewText = [this, ShowText](int Index, TTailFile* File) {
        ++NewText;
        ShowText(Index, File);
    };
    Form->Tail->OnTruncate = [this, ShowTruncation](int Index, TTailFile* File) {
        ++Truncated;
        ShowTruncation(Index, File);
    };
    std::vector<TRollView*> Views;
    for (int i = 0; i < Files; ++i) {
        TRollView* View = Form->Tail->GetFile(i)->View;
        ASSERT_NE(View, nullptr);
        ASSERT_GT(View->Height(), 0);
        ASSERT_EQ(View->GetLineCount(), 20) << "pane " << i;
        View->OnPaint = [this, i](TObject*, TCanvas*, bool) { ++Paints[static_cast<size_t>(i)]; };
        // Scrolled to the top, as a reader leaves it; nothing left to paint.
        View->SetVScrollPos(0);
        UpdateWindow(View->Handle());
        ASSERT_FALSE(UpdatePending(View));
        Views.push_back(View);
    }
    std::fill(Paints.begin(), Paints.end(), 0);
    std::vector<TPaneState> Before;
    for (TRollView* View : Views)
        Before.push_back(StateOf(View));

    const int64_t queries = Form->Tail->GetSizeQueryCount();
    Poll();
    EXPECT_EQ(Form->Tail->GetSizeQueryCount() - queries, Files);
    EXPECT_EQ(NewText, 0);
    EXPECT_EQ(Truncated, 0);
    for (int i = 0; i < Files; ++i) {
        EXPECT_EQ(Paints[static_cast<size_t>(i)], 0) << "pane " << i << " was painted";
        EXPECT_FALSE(UpdatePending(Views[static_cast<size_t>(i)])) << "pane " << i << " was invalidated";
        EXPECT_TRUE(StateOf(Views[static_cast<size_t>(i)]) == Before[static_cast<size_t>(i)])
            << "pane " << i << " was laid out or scrolled";
    }

    // The same watch sees a poll that shows a line: that pane only is laid
    // out, scrolled to its end and painted.
    Append(paths[37], "one more line\n");
    Poll();
    EXPECT_EQ(NewText, 1);
    for (int i = 0; i < Files; ++i) {
        TRollView* View = Views[static_cast<size_t>(i)];
        if (i == 37) {
            EXPECT_GE(Paints[37], 1);
            EXPECT_EQ(View->GetLineCount(), 21);
            EXPECT_GT(View->VPos(), 0);
            EXPECT_FALSE(StateOf(View) == Before[37]);
        } else {
            EXPECT_EQ(Paints[static_cast<size_t>(i)], 0) << "pane " << i;
            EXPECT_TRUE(StateOf(View) == Before[static_cast<size_t>(i)]) << "pane " << i;
        }
    }
}

} // namespace
