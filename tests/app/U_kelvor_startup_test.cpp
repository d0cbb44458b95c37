// Start-up with many saved files and hostile settings: one box for all the
// problems with the saved files, one alignment for all their panes, no more
// files opened than the process may hold, long names shortened wherever they
// are shown (and kept whole in the settings), and a settings file never
// written larger than the program reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "app/U_kelvor.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/extctrls_splitter.h"
#include "platform/core/inidata.h"
#include "platform/core/inifiles.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/scriptedui.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

namespace {

class KelvorStartupTest : public KelvorStartStopTest {
protected:
    // The values of [TailFiles] in the settings file, in file order.
    std::vector<std::string> SavedTailFiles(const std::string& Name)
    {
        TMemIniFile Ini(Dir.File(Name));
        TStringList Keys;
        Ini.ReadSection("TailFiles", Keys);
        std::vector<std::string> Names;
        for (int i = 0; i < Keys.Count(); ++i)
            Names.push_back(Ini.ReadString("TailFiles", Keys[i], ""));
        return Names;
    }

    std::string TailFilesSection(const std::vector<std::string>& Names)
    {
        std::string Text = "[TailFiles]\n";
        for (size_t i = 0; i < Names.size(); ++i)
            Text += "File" + std::to_string(i) + "=" + Names[i] + "\n";
        return Text;
    }
};

std::vector<std::string> Lines(const AnsiString& Text)
{
    std::vector<std::string> Result;
    size_t Start = 0;
    for (size_t End; (End = Text.find('\n', Start)) != AnsiString::npos; Start = End + 1)
        Result.push_back(Text.substr(Start, End - Start));
    Result.push_back(Text.substr(Start));
    return Result;
}

// Missing files and a file listed twice: one box lists the missing ones (a
// screenful, then how many more) and counts the repeated entry, which is not
// opened again; the missing ones stay in the settings, the repeated one goes.
TEST_F(KelvorStartupTest, OneBoxListsTheProblemsOfAllSavedFiles)
{
    std::vector<std::string> Names = {Dir.Write("a.log", ""), Dir.Write("b.log", "")};
    Names.push_back(Names[0]);
    for (int i = 0; i < 30; ++i)
        Names.push_back(Dir.File("missing" + std::to_string(i) + ".log"));
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\n" + TailFilesSection(Names));
    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("k.ini"));

    const std::vector<TUICall> Boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "Error");
    const std::vector<std::string> Listed = Lines(Boxes[0].Text);
    ASSERT_EQ(Listed.size(), MaxListedStartProblems + 2);
    EXPECT_EQ(Listed[0], "File '" + Dir.File("missing0.log") + "' not exists.");
    EXPECT_EQ(Listed[MaxListedStartProblems], "and 10 more");
    EXPECT_EQ(Listed.back(), "1 entry is not opened: it names a file listed before it.");

    ASSERT_EQ(Form->Tail->GetCount(), 2);
    EXPECT_EQ(Form->Tail->GetFile(1)->FileName, Names[1]);
    // The panes stand as they always did: each new one on top of those
    // before it, its splitter under it.
    for (int i = 0; i < 2; ++i) {
        const TTailFile* File = Form->Tail->GetFile(i);
        EXPECT_EQ(File->Splitter->Top(), File->View->Top() + File->View->Height()) << i;
        if (i > 0) {
            EXPECT_EQ(File->Splitter->Top() + 2, Form->Tail->GetFile(i - 1)->View->Top()) << i;
        }
    }
    Stop();
    Names.erase(Names.begin() + 2);
    EXPECT_EQ(SavedTailFiles("k.ini"), Names);
}

// A file listed again and again, under its own name or another one that
// reaches it (a link, a name spelled otherwise), is watched in one pane; the
// box counts the entries left out, and the settings keep each file once.
TEST_F(KelvorStartupTest, EachSavedFileIsWatchedOnce)
{
    const std::string A = Dir.Write("a.log", "");
    const std::string B = Dir.Write("b.log", "");
    ASSERT_EQ(symlink(A.c_str(), Dir.File("symbolic.log").c_str()), 0);
    ASSERT_EQ(link(A.c_str(), Dir.File("hard.log").c_str()), 0);
    const std::vector<std::string> OtherNames = {Dir.File("symbolic.log"), Dir.File("hard.log"),
                                                 Dir.Path() + "/./a.log", Dir.Path() + "//a.log"};
    std::vector<std::string> Names;
    for (int i = 0; i < 1000; ++i) {
        Names.push_back(A);
        Names.push_back(B);
    }
    Names.insert(Names.end(), OtherNames.begin(), OtherNames.end());
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\n" + TailFilesSection(Names));
    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("k.ini"));

    ASSERT_EQ(Form->Tail->GetCount(), 2);
    EXPECT_EQ(Form->Tail->GetFile(0)->FileName, A);
    EXPECT_EQ(Form->Tail->GetFile(1)->FileName, B);
    const std::vector<TUICall> Boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "2002 entries are not opened: they name files listed before them.");
    Stop();
    EXPECT_EQ(SavedTailFiles("k.ini"), (std::vector<std::string>{A, B}));
}

// The window aligns its panes once for all the saved files, not once per file.
TEST_F(KelvorStartupTest, ManySavedFilesAreAlignedTogether)
{
    constexpr int N = 150;
    std::vector<std::string> Names;
    for (int i = 0; i < N; ++i)
        Names.push_back(Dir.Write("f" + std::to_string(i) + ".log", ""));
    Dir.Write("k.ini", TailFilesSection(Names));
    Start(Dir.File("k.ini"));
    ASSERT_EQ(Form->Tail->GetCount(), N);
    const double Controls = 2 * N;
    EXPECT_LE(Form->GetAlignSteps(), int64_t(40 * Controls * std::log2(Controls)));
    EXPECT_TRUE(UI.CallsOf(TUICallKind::MessageBox).empty());
}

// A component of the window that counts how often it is told that one of the
// given components goes (known by address: a component being freed is no
// longer of its own class).
class TRemovalProbe : public TComponent {
public:
    TRemovalProbe(TComponent* Owner, int& Heard) : TComponent(Owner), FHeard(Heard) {}
    std::set<const TComponent*> Watched;

protected:
    void Notification(TComponent* Component, TOperation Operation) override
    {
        TComponent::Notification(Component, Operation);
        if (Operation == opRemove && Watched.count(Component))
            ++FHeard;
    }

private:
    int& FHeard;
};

// Closing the window does not tell each going pane to every other component
// (which made closing thousands of panes take seconds), and still saves every
// file and leaves nothing behind that points at a pane: the popup menu was
// last opened over one pane and another one has the focus.
TEST_F(KelvorStartupTest, ClosingManyPanesTellsNoOtherComponentAndSavesEveryFile)
{
    constexpr int N = 40;
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\n");
    Start(Dir.File("k.ini"));
    Form->Show();
    int Heard = 0;
    auto* Probe = new TRemovalProbe(Form, Heard);
    std::vector<std::string> Names;
    for (int i = 0; i < N; ++i) {
        Names.push_back(Dir.Write("f" + std::to_string(i) + ".log", ""));
        TTailFile* File = Form->OpenTailFile(Names.back());
        ASSERT_NE(File, nullptr);
        Probe->Watched.insert(File->View);
        Probe->Watched.insert(File->Splitter);
    }
    // During the run a removed pane and its splitter are still announced.
    Form->RemoveTailFile(Form->Tail->GetFile(N - 1));
    Names.pop_back();
    EXPECT_EQ(Heard, 2);
    Form->OptionsPM->SetPopupComponent(Form->Tail->GetFile(3)->View);
    Form->SetActiveControl(Form->Tail->GetFile(5)->View);

    Heard = 0;
    Stop();
    EXPECT_EQ(Heard, 0);
    EXPECT_EQ(SavedTailFiles("k.ini"), Names);
}

// Files beyond what the process may hold open are not opened: the box names
// them, and the settings keep them for the next start.
class KelvorFileLimitTest : public KelvorStartupTest {
protected:
    void SetUp() override { ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &Saved), 0); }
    void TearDown() override
    {
        KelvorStartStopTest::TearDown();
        setrlimit(RLIMIT_NOFILE, &Saved);
    }
    // The handles this process holds now.
    static int Held()
    {
        int Count = 0;
        for (int Fd = 0; Fd < 65536; ++Fd)
            Count += fcntl(Fd, F_GETFD) != -1 ? 1 : 0;
        return Count;
    }
    struct rlimit Saved;
};

TEST_F(KelvorFileLimitTest, FilesBeyondTheLimitAreNamedAndKept)
{
    std::vector<std::string> Names;
    for (int i = 0; i < 12; ++i)
        Names.push_back(Dir.Write("f" + std::to_string(i) + ".log", ""));
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\n" + TailFilesSection(Names));
    // Room for five files beside the program's own reserve of handles.
    struct rlimit Low = Saved;
    Low.rlim_cur = static_cast<rlim_t>(Held() + 64 + 5);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &Low), 0);
    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("k.ini"));
    // Making the window may itself take a handle or two.
    const int Opened = Form->Tail->GetCount();
    EXPECT_GE(Opened, 3);
    EXPECT_LE(Opened, 5);
    const std::vector<TUICall> Boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(Boxes.size(), 1u);
    const std::vector<std::string> Listed = Lines(Boxes[0].Text);
    ASSERT_EQ(Listed.size(), size_t(12 - Opened));
    EXPECT_EQ(Listed[0],
              "File '" + Names[size_t(Opened)] + "' is not opened: no more files may be open at once.");
    Stop();
    EXPECT_EQ(SavedTailFiles("k.ini"), Names);
}

// Names are shortened where people read them: whole up to a readable length,
// else their start and end around "...", never cut inside a character.
TEST(KelvorShownNames, LongNamesKeepTheirStartAndEnd)
{
    EXPECT_EQ(ShownFileName("/var/log/syslog"), "/var/log/syslog");
    const AnsiString Exact(MaxShownNameLength, 'x');
    EXPECT_EQ(ShownFileName(Exact), Exact);
    const AnsiString Long = "/start" + AnsiString(3 << 20, 'm') + "/the-file.log";
    const AnsiString Shown = ShownFileName(Long);
    EXPECT_LE(Shown.size(), MaxShownNameLength);
    EXPECT_EQ(Shown.rfind("/start", 0), 0u);
    EXPECT_NE(Shown.find("..."), AnsiString::npos);
    EXPECT_EQ(Shown.substr(Shown.size() - 13), "/the-file.log");
    // Two-byte characters throughout: every cut falls between them.
    AnsiString Wide;
    while (Wide.size() < 1000)
        Wide += "\xC3\xA9";
    const AnsiString ShownWide = ShownFileName(Wide);
    const size_t Gap = ShownWide.find("...");
    ASSERT_NE(Gap, AnsiString::npos);
    EXPECT_EQ(Gap % 2, 0u);
    EXPECT_EQ((ShownWide.size() - Gap - 3) % 2, 0u);
    EXPECT_EQ(ShownWide[Gap + 3], '\xC3');
}

// A 3 MB name in the settings gives a box of a readable size; the settings
// keep the whole name.
TEST_F(KelvorStartupTest, AHugeNameIsShownShortAndSavedWhole)
{
    const std::string Huge = Dir.File("huge-") + std::string(3 << 20, 'n') + ".log";
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\n" + TailFilesSection({Huge}));
    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("k.ini"));
    const std::vector<TUICall> Boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_LE(Boxes[0].Text.size(), MaxShownNameLength + 60);
    EXPECT_EQ(Boxes[0].Text, "Unable to open file '" + ShownFileName(Huge) + "'. File name too long.");
    Stop();
    EXPECT_EQ(SavedTailFiles("k.ini"), std::vector<std::string>{Huge});
}

// A settings file of exactly the largest size read, with options still to be
// added at exit: the last watched files are left out so that the file stays
// readable, and the box says so. A file that cannot be made to fit (the user's
// own lines fill it) is left as it is.
TEST_F(KelvorStartupTest, TheSettingsAreNeverWrittenLargerThanTheyAreRead)
{
    std::string Text = "[Options]\nSaveSettings=1\n[TailFiles]\n";
    std::vector<std::string> Names;
    for (int i = 0; Text.size() < size_t(MaxIniFileSize) - 300; ++i) {
        Names.push_back(Dir.File("gone/") + std::string(150, 'g') + std::to_string(i) + ".log");
        Text += "File" + std::to_string(i) + "=" + Names.back() + "\n";
    }
    Text += "; " + std::string(size_t(MaxIniFileSize) - Text.size() - 3, 'c') + "\n";
    ASSERT_EQ(Text.size(), size_t(MaxIniFileSize));
    Dir.Write("k.ini", Text);
    UI.QueueMessageBoxResult(IDOK); // the missing files
    UI.QueueMessageBoxResult(IDOK); // what was left out
    Start(Dir.File("k.ini"));
    Stop();
    AnsiString Written;
    ASSERT_EQ(LoadIniText(Dir.File("k.ini"), Written), TIniLoadResult::Loaded) << "the next start reads it";
    const std::vector<TUICall> Boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_NE(Boxes[1].Text.find(" watched files are not saved"), AnsiString::npos) << Boxes[1].Text;
    const std::vector<std::string> Saved = SavedTailFiles("k.ini");
    ASSERT_LT(Saved.size(), Names.size());
    ASSERT_GT(Saved.size(), Names.size() - 10);
    EXPECT_EQ(Saved, std::vector<std::string>(Names.begin(), Names.begin() + Saved.size()));

    const std::string Full =
        "; " + std::string(size_t(MaxIniFileSize) - 30, 'c') + "\n[Options]\nSaveSettings=1\n";
    ASSERT_LT(Full.size(), size_t(MaxIniFileSize));
    Dir.Write("full.ini", Full);
    UI.ClearCalls();
    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("full.ini"));
    Stop();
    EXPECT_TRUE(Dir.Read("full.ini") == Full) << "the file is left as it is";
    ASSERT_EQ(UI.CallsOf(TUICallKind::MessageBox).size(), 1u);
    EXPECT_NE(UI.CallsOf(TUICallKind::MessageBox)[0].Text.find("left as it is"), AnsiString::npos);
}

} // namespace
