// The main window under hard conditions: bursts of text, a display that fails,
// settings out of range, settings files that cannot be read or written, and
// watched files that are missing at start.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/monitors.h"
#include "platform/core/inifiles.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/testrvfdata.h"

namespace {

// ---- A burst of text and a display that fails.

class KelvorBurstTest : public KelvorFormTest {
protected:
    std::string Settings() const override { return "[Options]\nActive=0\nPurgeAtLine=1000\n"; }
};

TEST_F(KelvorBurstTest, ABurstIsShownPieceByPieceAndThePaneStaysWithinThePurgeLine)
{
    const std::string path = Log("burst.log");
    TTailFile* file = Open(path);
    ASSERT_NE(file, nullptr);
    const std::string line = "a line of a burst that a busy service wrote in one go\n";
    std::string burst;
    while (burst.size() < 3 * CTail::PieceLimit)
        burst += line;
    Append(path, burst);

    const int perPiece = static_cast<int>(CTail::PieceLimit / line.size()) + 1;
    int polls = 0;
    int most = 0;
    while (file->Position < static_cast<int64_t>(burst.size()) && polls < 100) {
        PollOnce();
        ++polls;
        most = std::max(most, file->View->GetLineCount());
        EXPECT_LE(file->View->GetLineCount(), Form->PurgeAtLine + perPiece) << "after poll " << polls;
    }
    EXPECT_GE(polls, 3) << "one poll shows at most one piece";
    EXPECT_EQ(file->Position, static_cast<int64_t>(burst.size()));
    EXPECT_GT(most, Form->PurgeAtLine);
    EXPECT_EQ(Form->Tail->GetTickDelay(), Form->Tail->GetInterval());
}

TEST_F(KelvorBurstTest, AFailingDisplayShowsOneBoxAndPausesTheFile)
{
    const std::string path = Log("oom.log");
    TTailFile* file = Open(path);
    ASSERT_NE(file, nullptr);
    Form->Tail->OnNewText = [](int, TTailFile*) { throw std::bad_alloc(); };
    UI.QueueMessageBoxResult(IDOK);
    Append(path, "one\n");
    Poll();
    std::vector<TUICall> boxes = ErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(path), std::string::npos) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find("memory"), std::string::npos) << boxes[0].Text;
    EXPECT_FALSE(file->Active);
    EXPECT_EQ(file->View->Color(), TColor(0xC0C0C0)) << "the pane looks paused";

    Append(path, "two\n");
    Poll();
    Poll();
    EXPECT_EQ(ErrorBoxes().size(), 1u) << "no box at every tick";
}

// ---- A burst larger than the purge line: read and matched line by line,
// laid out only where it stays. Lines of 128 bytes: a piece holds exactly
// PurgeAtLine of them.

constexpr int BurstPurge = static_cast<int>(CTail::PieceLimit / 128);

class KelvorSkippedBurstTest : public KelvorFormTest {
protected:
    std::string Settings() const override
    {
        return "[Options]\nActive=0\nPurgeAtLine=" + std::to_string(BurstPurge) +
               "\n[SpecialWords]\nSpecialWord1=FATAL\nSpecialColor1=255\n";
    }

    // Lines First.. of 127 characters and a line feed; line Special says FATAL.
    static std::string BurstLines(int first, int count, int special = -1)
    {
        std::string text;
        for (int i = first; i < first + count; ++i) {
            std::string line = "line " + std::to_string(i) + (i == special ? " FATAL" : "") + " of a burst ";
            line.resize(127, '.');
            text += line + '\n';
        }
        return text;
    }

    static std::vector<std::string> PaneLines(const TTailFile* file)
    {
        std::vector<std::string> lines;
        for (int i = 0; i < file->View->GetLineCount(); ++i)
            lines.push_back(file->View->GetItemText(i));
        return lines;
    }

    // Polls until the file was read to its end and nothing waits to be shown.
    void PollToEnd(TTailFile* file, const std::string& path)
    {
        struct stat info;
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        while (file->Position < info.st_size)
            PollOnce();
        ASSERT_TRUE(WaitUntilPanesShowAll(Form)) << "lines still wait to be shown";
    }

    // Three times the purge line written at once into one file and piece by
    // piece (each read before the next is written) into another; the special
    // word in line Special only.
    void FeedBurstAndSlowly(int special, TTailFile*& burst, TTailFile*& slow)
    {
        const std::string burstPath = Log("burst.log");
        const std::string slowPath = Log("slow.log");
        burst = Open(burstPath);
        slow = Open(slowPath);
        ASSERT_TRUE(burst && slow);
        Form->SetActive(true);
        Append(burstPath, BurstLines(0, 3 * BurstPurge, special));
        for (int piece = 0; piece < 3; ++piece) {
            PollOnce();
            EXPECT_EQ(burst->MoreWaiting, piece < 2) << piece;
            if (piece < 2) {
                EXPECT_EQ(burst->View->GetLineCount(), 0) << "lines the purge removes are not laid out";
                // (The first line continues what the file held when it was opened.)
                EXPECT_EQ(burst->LineCount, (piece + 1) * BurstPurge - 1) << "but read and counted";
            }
        }
        PollToEnd(burst, burstPath);
        for (int piece = 0; piece < 3; ++piece) {
            Append(slowPath, BurstLines(piece * BurstPurge, BurstPurge, special));
            Poll();
        }
    }
};

TEST_F(KelvorSkippedBurstTest, ABurstOfThreePurgeLinesLeavesTheLastOnesAsWhenFedSlowly)
{
    TTailFile* burst = nullptr;
    TTailFile* slow = nullptr;
    FeedBurstAndSlowly(-1, burst, slow);
    const std::vector<std::string> lines = PaneLines(burst);
    ASSERT_EQ(lines.size(), static_cast<size_t>(BurstPurge));
    EXPECT_EQ(lines.front().rfind("line " + std::to_string(2 * BurstPurge) + " ", 0), 0u);
    EXPECT_EQ(lines.back().rfind("line " + std::to_string(3 * BurstPurge - 1) + " ", 0), 0u);
    EXPECT_TRUE(lines == PaneLines(slow));
    EXPECT_EQ(burst->LineCount, slow->LineCount);
    // Laid out as a whole layout lays it out, scrolled to its end.
    const TLayoutFields shown = LayoutFieldsOf(*burst->View->RVData);
    burst->View->Format();
    EXPECT_EQ(shown.DrawItems, LayoutFieldsOf(*burst->View->RVData).DrawItems);
    EXPECT_EQ(burst->View->VPos(), burst->View->GetVScrollMax());
}

TEST_F(KelvorSkippedBurstTest, ASpecialWordOnlyInLinesNeverShownStillRaisesItsAlert)
{
    Form->SetShowOnlySpecialWordLogs(true);
    Form->SetBeepOnLogEvent(true);
    TTailFile* burst = nullptr;
    TTailFile* slow = nullptr;
    FeedBurstAndSlowly(10, burst, slow);
    // One beep for each file's first piece, whose FATAL line the purge removed
    // before the burst's was ever laid out.
    EXPECT_EQ(UI.CallsOf(TUICallKind::Beep).size(), 2u);
    EXPECT_EQ(burst->View->GetLineCount(), 0);
    EXPECT_EQ(slow->View->GetLineCount(), 0);
}

TEST_F(KelvorSkippedBurstTest, WaitingLinesAreShownWhenTheFileStopsSendingAndGoWithAReset)
{
    // Paused, or the monitor switched off, before the rest is read: what waits
    // shows. A truncation puts its break after the waiting lines. A reset
    // drops them.
    for (int how = 0; how < 4; ++how) {
        SCOPED_TRACE(how);
        const std::string path = Log("wait" + std::to_string(how) + ".log");
        TTailFile* file = Open(path);
        ASSERT_NE(file, nullptr);
        Form->SetActive(true);
        Append(path, BurstLines(0, BurstPurge + 10));
        PollOnce();
        ASSERT_TRUE(file->MoreWaiting);
        ASSERT_EQ(file->View->GetLineCount(), 0);
        int expected = BurstPurge;
        switch (how) {
        case 0:
            file->Active = false;
            break;
        case 1:
            Form->SetActive(false);
            break;
        case 2:
            ASSERT_EQ(truncate(path.c_str(), 0), 0);
            Poll();
            expected = BurstPurge + 1;
            break;
        default:
            Form->ResetTailFile(file);
            expected = 0;
            break;
        }
        ASSERT_TRUE(WaitUntilPanesShowAll(Form));
        EXPECT_EQ(file->View->GetLineCount(), expected);
        if (how == 2) {
            EXPECT_EQ(file->View->GetItemStyle(BurstPurge), rvsBreak);
        }
        Form->RemoveTailFile(file);
        Form->SetActive(false);
    }
}

// ---- Values of the settings file.

struct TSettingsCase {
    const char* Name;
    const char* Options;
    int PurgeAtLine;
    int Interval;
    int FontSize;
};

class KelvorSettingsValueTest : public KelvorFormTest, public ::testing::WithParamInterface<TSettingsCase> {
protected:
    std::string Settings() const override
    {
        return std::string("[Options]\nActive=0\n") + GetParam().Options;
    }
};

TEST_P(KelvorSettingsValueTest, EachValueIsKeptWithinWhatItsInputBoxAccepts)
{
    EXPECT_EQ(Form->PurgeAtLine, GetParam().PurgeAtLine);
    EXPECT_EQ(Form->Tail->GetInterval(), GetParam().Interval);
    EXPECT_EQ(Form->RVStyle->TextStyles()->Items(0)->Size(), GetParam().FontSize);
}

INSTANTIATE_TEST_SUITE_P(
    Values, KelvorSettingsValueTest,
    ::testing::Values(
        TSettingsCase{"InRange", "PurgeAtLine=100\nMonitorInterval=250\nFontSize=9\n", 100, 250, 9},
        TSettingsCase{"AboveTheLimits",
                      "PurgeAtLine=2147483647\nMonitorInterval=2147483647\nFontSize=99999\n", MaxPurgeAtLine,
                      MaxMonitorInterval, MaxFontSize},
        TSettingsCase{"BelowTheLimits", "PurgeAtLine=-5\nMonitorInterval=-1\nFontSize=-3\n", 0, 500, 7},
        TSettingsCase{"AtTheLimits", "PurgeAtLine=0\nMonitorInterval=1\nFontSize=1\n", 0, 1, 1}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(KelvorFormTest, TheInputBoxesRefuseValuesAboveTheirLimits)
{
    const int purge = Form->PurgeAtLine;
    const int interval = Form->Tail->GetInterval();
    UI.QueueInputText(IntToStr(MaxPurgeAtLine + 1));
    Form->PurgeAtLinePMIClick(nullptr);
    UI.QueueInputText(IntToStr(MaxMonitorInterval + 1));
    Form->MonitorIntervalPMIClick(nullptr);
    EXPECT_EQ(Form->PurgeAtLine, purge);
    EXPECT_EQ(Form->Tail->GetInterval(), interval);
    UI.QueueInputText(IntToStr(MaxMonitorInterval));
    Form->MonitorIntervalPMIClick(nullptr);
    EXPECT_EQ(Form->Tail->GetInterval(), MaxMonitorInterval);
}

// ---- The window's place from the settings file.

struct TBoundsCase {
    const char* Name;
    int Left, Top, Width, Height;
};

class KelvorWindowBoundsTest : public KelvorFormTest, public ::testing::WithParamInterface<TBoundsCase> {
protected:
    std::string Settings() const override
    {
        const TBoundsCase& b = GetParam();
        return "[Options]\nActive=0\nLeft=" + std::to_string(b.Left) + "\nTop=" + std::to_string(b.Top) +
               "\nWidth=" + std::to_string(b.Width) + "\nHeight=" + std::to_string(b.Height) + "\n";
    }
};

TEST_P(KelvorWindowBoundsTest, TheWindowFitsTheScreenAndIsWhollyVisible)
{
    const std::vector<TRect> screens = MonitorWorkAreaList();
    ASSERT_FALSE(screens.empty());
    const TRect screen = screens.front();
    EXPECT_GE(Form->Left(), screen.Left);
    EXPECT_GE(Form->Top(), screen.Top);
    EXPECT_LE(Form->Left() + Form->Width(), screen.Right);
    EXPECT_LE(Form->Top() + Form->Height(), screen.Bottom);
    EXPECT_GE(Form->Width(), std::min(MinWindowWidth, screen.Right - screen.Left));
    EXPECT_GE(Form->Height(), std::min(MinWindowHeight, screen.Bottom - screen.Top));
}

INSTANTIATE_TEST_SUITE_P(Bounds, KelvorWindowBoundsTest,
                         ::testing::Values(TBoundsCase{"Huge", 0, 0, 99999, 99999},
                                           TBoundsCase{"Empty", 10, 10, 0, 0},
                                           TBoundsCase{"FromALargerScreen", 3000, 2000, 500, 300},
                                           TBoundsCase{"TitleBarAbove", 20, -100, 400, 200},
                                           TBoundsCase{"PartlyLeft", -300, 20, 400, 200},
                                           TBoundsCase{"FarAway", 2147483000, 2147483000, 400, 200}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Settings files that cannot be read or written.

class KelvorOversizedSettingsTest : public KelvorFormTest {
protected:
    std::string Settings() const override
    {
        std::string text = "[Options]\nActive=1\nSaveSettings=1\n";
        while (text.size() <= (size_t{4} << 20))
            text += "; a comment that makes the settings file larger than it may be\n";
        return text;
    }
    void SetUp() override
    {
        UI.QueueMessageBoxResult(IDOK);
        KelvorFormTest::SetUp();
    }
};

TEST_F(KelvorOversizedSettingsTest, AnUnreadableSettingsFileIsReportedOnceAndLeftAlone)
{
    const std::vector<TUICall> boxes = ErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(Form->IniFileName), std::string::npos) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find("larger"), std::string::npos) << boxes[0].Text;
    const std::string before = Dir.Read(Form->IniFileName);
    Form->SetSaveSettings(true);
    Form->BeforeDestruction();
    EXPECT_EQ(Dir.Read(Form->IniFileName), before) << "the file stays untouched";
    EXPECT_EQ(ErrorBoxes().size(), 1u);
}

class KelvorSaveTest : public KelvorFormTest {
protected:
    std::string Settings() const override { return "[Options]\nActive=0\nSaveSettings=1\n"; }
};

TEST_F(KelvorSaveTest, AFailedSaveSaysWhy)
{
    // A settings file whose folder is a plain file cannot be written at all.
    Form->IniFileName = Log("plain") + "/kelvor.ini";
    UI.QueueMessageBoxResult(IDOK);
    Form->BeforeDestruction();
    const std::vector<TUICall> boxes = ErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(Form->IniFileName), std::string::npos) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find("Not a directory"), std::string::npos) << boxes[0].Text;
}

// The system's reason follows the stream's message when the disk takes no
// more (here: no more than the process may write).
TEST_F(KelvorSaveTest, ASaveThatRunsOutOfRoomSaysWhy)
{
    const std::string before = Dir.Read(Form->IniFileName);
    UI.QueueMessageBoxResult(IDOK);
    {
        const TFileSizeLimit limit(before.size());
        Form->BeforeDestruction();
    }
    const std::vector<TUICall> boxes = ErrorBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(Form->IniFileName), std::string::npos) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find("Stream write error. " + SysErrorMessage(EFBIG)), std::string::npos)
        << boxes[0].Text;
    EXPECT_EQ(Dir.Read(Form->IniFileName), before);
}

TEST_F(KelvorSaveTest, AFailedSaveWhileClosingOnASignalGoesToStandardError)
{
    Form->IniFileName = Log("plain") + "/kelvor.ini";
    Form->ClosingOnSignal = true;
    ::testing::internal::CaptureStderr();
    Form->BeforeDestruction();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ErrorBoxes().empty()) << "no box waits for a click";
    EXPECT_NE(said.find("kelvor.ini"), std::string::npos) << said;
    EXPECT_NE(said.find("Not a directory"), std::string::npos) << said;
}

TEST_F(KelvorSaveTest, AFolderThatTakesNoNewFileGetsTheSettingsWrittenInPlace)
{
    const std::string folder = Dir.Path() + "/locked";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string ini = Dir.Write("locked/kelvor.ini", "; kept\n[Options]\nPurgeAtLine=3\n");
    {
        TWriteLock lock(folder);
        if (!lock.Locked())
            GTEST_SKIP() << "the folder cannot be made to refuse new files";
        Form->IniFileName = ini;
        Form->PurgeAtLine = 77;
        Form->BeforeDestruction();
    }
    EXPECT_TRUE(ErrorBoxes().empty());
    const std::string written = Dir.Read(ini);
    EXPECT_EQ(written.rfind("; kept\n", 0), 0u) << written;
    EXPECT_NE(written.find("PurgeAtLine=77"), std::string::npos) << written;
    // The copy of the old settings kept meanwhile is gone.
    EXPECT_NE(access(SettingsCopyFileName(ini).c_str(), F_OK), 0);
}

// ---- Watched files missing at start.

class KelvorMissingFileTest : public KelvorFormTest {
protected:
    std::string Settings() const override
    {
        return "[Options]\nActive=0\nSaveSettings=1\n[TailFiles]\nFile0=" + Dir.File("present.log") +
               "\nFile1=" + Dir.File("not-yet.log") + "\n";
    }
    void SetUp() override
    {
        Dir.Write("present.log", "");
        UI.QueueMessageBoxResult(IDOK); // the missing file's box
        KelvorFormTest::SetUp();
    }
};

TEST_F(KelvorMissingFileTest, AFileMissingAtStartKeepsItsPlaceInTheSavedList)
{
    EXPECT_EQ(Form->Tail->GetCount(), 1);
    Form->BeforeDestruction();
    TMemIniFile ini(Form->IniFileName);
    TStringList keys;
    ini.ReadSection("TailFiles", keys);
    std::vector<std::string> names;
    for (int i = 0; i < keys.Count(); ++i)
        names.push_back(ini.ReadString("TailFiles", keys[i], ""));
    EXPECT_EQ(names, (std::vector<std::string>{Dir.File("present.log"), Dir.File("not-yet.log")}));
}

} // namespace
