// The settings file written in place (for a folder that takes no new file):
// a save ended by SIGKILL at any of its steps leaves the old settings or the
// new ones whole, or else the kept copy of the old ones, which the next start
// puts back before it reads the settings, unless the file was changed since;
// and a close that waits for another program's save keeps the window working.
#include "tests/app/U_kelvor_fixture.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/controls/dialogs.h"
#include "platform/core/streams_safewrite.h"
#include "tests/support/pumpevents.h"

namespace {

// Settings of at least Size bytes that set PurgeAtLine and list files under Tag.
std::string SettingsOf(const std::string& tag, int purgeAtLine, size_t size)
{
    std::string text = "[Options]\nPurgeAtLine=" + std::to_string(purgeAtLine) + "\n[TailFiles]\n";
    for (int i = 0; text.size() < size; ++i)
        text += "File" + std::to_string(i) + "=/var/log/" + tag + "/" + std::to_string(i) + ".log\n";
    return text;
}

bool Exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

// The copy a save in place of Ini from Old to New keeps.
std::string CopyOf(const std::string& ini, const std::string& old, const std::string& neu)
{
    return ini + "\n; in-place save, old and new sizes: " + std::to_string(old.size()) + " " +
           std::to_string(neu.size()) + "\n" + old + neu;
}

// What a user adds to the settings by hand.
const std::string UserEdit = "[SpecialWords]\nSpecialWord1=ERROR\nSpecialColor1=255\n";

// Saves Text over Ini in a child process whose save waits before each of its
// steps until the parent lets it go on; the parent lets it take Steps steps
// and kills it with SIGKILL as it waits before the next one. False when the
// save ended before that step.
bool SaveKilledBeforeStep(const std::string& ini, const std::string& text, int steps)
{
    int reached[2];
    int go[2];
    if (pipe(reached) != 0 || pipe(go) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        close(reached[0]);
        close(go[1]);
        SetSettingsSaveHook([&](TSettingsSaveStep) {
            char c = 0;
            if (write(reached[1], &c, 1) != 1 || read(go[0], &c, 1) != 1)
                _exit(3);
        });
        _exit(WriteSettingsInPlace(ini, text).empty() ? 0 : 2);
    }
    close(reached[1]);
    close(go[0]);
    bool killed = false;
    char c = 0;
    for (int step = 0; read(reached[0], &c, 1) == 1; ++step) {
        if (step == steps) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (write(go[1], &c, 1) != 1)
            break;
    }
    close(reached[0]);
    close(go[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "the save failed";
    return killed;
}

class SettingsSaveTest : public ::testing::Test {
protected:
    // The files of the settings' folder and of the per-user folder other
    // than the settings file itself.
    std::vector<std::string> Leftovers() const
    {
        std::vector<std::string> names;
        for (const std::string& folder : {Dir.Path(), Dir.File("config/kelvor")})
            if (DIR* dir = opendir(folder.c_str())) {
                while (const dirent* entry = readdir(dir)) {
                    const std::string name = entry->d_name;
                    if (name != "." && name != ".." && name != "config" && name != "kelvor.ini")
                        names.push_back(name);
                }
                closedir(dir);
            }
        return names;
    }

    TempDir Dir;
    TConfigHomeScope ConfigHome{Dir.File("config")};
};

TEST_F(SettingsSaveTest, AKillAtAnyStepLeavesTheOldOrTheNewSettingsWhole)
{
    // Several pieces of new text each: the file is cut in the middle of a
    // save that writes more than it had and of one that writes less; and
    // then the user may add a special word before the next start.
    const std::string oldText = SettingsOf("old", 11, 300 << 10);
    const std::string longer = SettingsOf("new", 22, 500 << 10);
    const std::string shorter = SettingsOf("new", 33, 100 << 10);
    for (int variant = 0; variant < 4; ++variant) {
        const std::string* newText = variant % 2 ? &shorter : &longer;
        const bool edited = variant >= 2;
        SCOPED_TRACE(std::string(variant % 2 ? "shorter" : "longer") + (edited ? ", edited" : ""));
        bool killed = true;
        for (int steps = 0; killed; ++steps) {
            SCOPED_TRACE("killed after " + std::to_string(steps) + " steps");
            const std::string ini = Dir.Write("kelvor.ini", oldText);
            const std::string copy = SettingsCopyFileName(ini);
            killed = SaveKilledBeforeStep(ini, *newText, steps);
            const std::string after = Dir.Read(ini);
            // A copy cut while it was made is empty, and the file untouched.
            const bool copyKept = Exists(copy) && !Dir.Read(copy).empty();
            if (Exists(copy) && !copyKept) {
                EXPECT_TRUE(after == oldText);
            } else if (copyKept) {
                EXPECT_TRUE(Dir.Read(copy) == CopyOf(ini, oldText, *newText)) << "the copy holds both texts";
            } else {
                EXPECT_TRUE(after == oldText || after == *newText)
                    << "a file of " << after.size() << " bytes";
            }
            if (!killed) {
                EXPECT_TRUE(after == *newText && !copyKept) << "the save ended with the new settings";
            }
            if (edited)
                Dir.Write("kelvor.ini", after + UserEdit);

            // The next start puts the copy back over what the save left, and
            // keeps what the user changed, with the old settings aside.
            const TSettingsRestore restore = RestoreInterruptedSettingsSave(ini);
            EXPECT_EQ(restore.Failure, "");
            const std::string restored = Dir.Read(ini);
            EXPECT_TRUE(restored == (copyKept && !edited ? oldText : after + (edited ? UserEdit : "")))
                << "a file of " << restored.size() << " bytes";
            EXPECT_EQ(restore.SetAside, edited && copyKept ? Dir.File("config/kelvor/kelvor.ini.old") : "");
            EXPECT_TRUE(restore.SetAside.empty() || Dir.Read(restore.SetAside) == oldText);
            unlink(restore.SetAside.c_str());
            EXPECT_FALSE(Exists(copy));
            EXPECT_EQ(Leftovers(), std::vector<std::string>{}) << "what the killed save left is gone";
        }
    }
}

// A file the save did not leave (removed, shorter than it could leave, or
// anything but the old settings where the copy does not say what its save
// wrote) stays as it is, and the old settings are set aside, each time under
// a name of their own.
TEST_F(SettingsSaveTest, AFileThatIsNotWhatTheSaveLeftIsKeptAndTheOldSettingsSetAside)
{
    const std::string oldText = "[Options]\nPurgeAtLine=5\n", newText = "[Options]\nPurgeAtLine=6\n";
    const std::string ini = Dir.File("kelvor.ini"), aside = Dir.File("config/kelvor/kelvor.ini.old");
    ASSERT_TRUE(ForceDirectories(Dir.File("config/kelvor")));
    const struct {
        std::string Copy, File, SetAside; // File empty: removed
    } cases[] = {{CopyOf(ini, oldText, newText), "", aside},
                 {ini + "\n" + oldText, oldText, ""},
                 {ini + "\n" + oldText, newText, aside + "-2"},
                 {CopyOf(ini, oldText, newText), "[Options]\n", aside + "-3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File.empty() ? "removed" : c.File);
        unlink(ini.c_str());
        if (!c.File.empty())
            Dir.Write("kelvor.ini", c.File);
        Dir.Write(SettingsCopyFileName(ini), c.Copy);
        const TSettingsRestore restore = RestoreInterruptedSettingsSave(ini);
        EXPECT_EQ(restore.Failure, "");
        EXPECT_FALSE(Exists(SettingsCopyFileName(ini)));
        EXPECT_EQ(Exists(ini) ? Dir.Read(ini) : "", c.File);
        EXPECT_EQ(restore.SetAside, c.SetAside);
        EXPECT_TRUE(c.SetAside.empty() || Dir.Read(c.SetAside) == oldText);
    }
}

TEST_F(SettingsSaveTest, TheCopyIsNoMoreReadableThanTheFile)
{
    const std::string ini = Dir.Write("kelvor.ini", "[Options]\nPurgeAtLine=5\n");
    ASSERT_EQ(chmod(ini.c_str(), 0600), 0);
    mode_t copyMode = 0;
    SetSettingsSaveHook([&](TSettingsSaveStep step) {
        struct stat info;
        if (step == TSettingsSaveStep::Cut && stat(SettingsCopyFileName(ini).c_str(), &info) == 0)
            copyMode = info.st_mode & 07777;
    });
    EXPECT_EQ(WriteSettingsInPlace(ini, "[Options]\nPurgeAtLine=6\n"), "");
    SetSettingsSaveHook(nullptr);
    EXPECT_EQ(copyMode, 0600u);
    EXPECT_EQ(Dir.Read(ini), "[Options]\nPurgeAtLine=6\n");
}

TEST_F(SettingsSaveTest, ACopyOfAnotherFileIsLeftAlone)
{
    const std::string ini = Dir.Write("kelvor.ini", "[Options]\nPurgeAtLine=5\n");
    const std::string copy = SettingsCopyFileName(ini);
    EXPECT_EQ(copy.rfind(Dir.File("config/kelvor/"), 0), 0u) << copy;
    EXPECT_NE(copy, SettingsCopyFileName(Dir.File("other.ini")));
    ASSERT_TRUE(ForceDirectories(Dir.File("config/kelvor")));
    // A name that hashes alike but is another file's.
    Dir.Write(copy, Dir.File("other.ini") + "\n[Options]\nPurgeAtLine=6\n");
    const TSettingsRestore restore = RestoreInterruptedSettingsSave(ini);
    EXPECT_EQ(restore.Failure, "");
    EXPECT_EQ(restore.SetAside, "");
    EXPECT_EQ(Dir.Read(ini), "[Options]\nPurgeAtLine=5\n");
    EXPECT_TRUE(Exists(copy));
}

TEST_F(SettingsSaveTest, WhatCutSavesLeftIsRemovedUnlessASaveRunsNow)
{
    const std::string oldText = "[Options]\nPurgeAtLine=5\n";
    const std::string ini = Dir.Write("kelvor.ini", oldText);
    const std::string copy = SettingsCopyFileName(ini);
    ASSERT_TRUE(ForceDirectories(Dir.File("config/kelvor")));
    const std::string copyName = copy.substr(copy.rfind('/') + 1);
    // A copy cut while it was made: empty, or without a whole first line.
    for (const std::string& cutCopy : {std::string(), ini.substr(0, 8)}) {
        for (bool saving : {true, false}) {
            SCOPED_TRACE(std::string(saving ? "a save runs" : "no save runs") + ", a copy of " +
                         std::to_string(cutCopy.size()) + " bytes");
            Dir.Write(copy, cutCopy);
            Dir.Write(".kelvor.ini.tmp0123456789AB", "[Options]\nPurge");
            Dir.Write("config/kelvor/." + copyName + ".tmpABCDEF012345", ini + "\n[Opt");
            // Another program's save in place holds the file; its copy and
            // the new files of its safe saves are held as well.
            const int settings = open(ini.c_str(), O_RDONLY);
            const int temporary = open(Dir.File(".kelvor.ini.tmp0123456789AB").c_str(), O_RDONLY);
            if (saving) {
                ASSERT_EQ(flock(settings, LOCK_EX), 0);
                ASSERT_EQ(flock(temporary, LOCK_EX), 0);
            }
            EXPECT_EQ(RestoreInterruptedSettingsSave(ini).Failure, "");
            close(settings);
            close(temporary);
            EXPECT_EQ(Dir.Read(ini), oldText);
            if (saving) {
                EXPECT_EQ(Leftovers(), (std::vector<std::string>{".kelvor.ini.tmp0123456789AB", copyName}));
                unlink(Dir.File(".kelvor.ini.tmp0123456789AB").c_str());
            } else {
                EXPECT_EQ(Leftovers(), std::vector<std::string>{});
            }
        }
    }
}

// The window's start-up: a settings file cut by a killed save is put back
// from the copy before it is read.
class SettingsRestoreTest : public KelvorStartStopTest {};

TEST_F(SettingsRestoreTest, TheNextStartReadsTheSettingsOfTheCopy)
{
    const std::string oldText = SettingsOf("old", 44, 1000);
    const std::string ini = Dir.Write("kelvor.ini", oldText);
    // Killed in the middle of the new text's pieces.
    ASSERT_TRUE(SaveKilledBeforeStep(ini, SettingsOf("new", 45, 200 << 10), 3));
    ASSERT_NE(Dir.Read(ini), oldText);
    // The saved files do not exist: one box names them.
    UI.QueueMessageBoxResult(IDOK);
    Start(ini);
    EXPECT_EQ(Form->PurgeAtLine, 44);
    EXPECT_EQ(Dir.Read(ini), oldText);
    EXPECT_FALSE(Exists(SettingsCopyFileName(ini)));
    EXPECT_EQ(UI.CallsOf(TUICallKind::MessageBox).size(), 1u);
}

// A file the user edited after a cut save is read as it stands, and a box
// says where the old settings were set aside.
TEST_F(SettingsRestoreTest, AFileEditedAfterACutSaveIsReadAndTheOldSettingsAreSetAside)
{
    const std::string ini = Dir.Write("kelvor.ini", "[Options]\nPurgeAtLine=44\n");
    ASSERT_TRUE(SaveKilledBeforeStep(ini, "[Options]\nPurgeAtLine=45\n", 4)); // cut, the copy not yet dropped
    Dir.Write("kelvor.ini", Dir.Read(ini) + UserEdit);
    UI.QueueMessageBoxResult(IDOK);
    Start(ini);
    EXPECT_EQ(Form->PurgeAtLine, 45);
    EXPECT_EQ(Form->SpecialWords->Count(), 1);
    const std::string aside = Dir.File("config/kelvor/kelvor.ini.old");
    EXPECT_EQ(Dir.Read(aside), "[Options]\nPurgeAtLine=44\n");
    const std::vector<TUICall> boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, "Confirmation");
    EXPECT_TRUE(boxes[0].Text.find(ini) != std::string::npos &&
                boxes[0].Text.find(aside) != std::string::npos)
        << boxes[0].Text;
}

TEST_F(SettingsRestoreTest, ACopyThatCannotGoBackIsKeptAndNothingIsSaved)
{
    // A save of the shorter text, killed once it was cut to its length.
    const std::string cut = "[Options]\nSaveSettings=1\n";
    const std::string ini = Dir.Write("kelvor.ini", cut);
    const std::string copy = SettingsCopyFileName(ini);
    ASSERT_TRUE(ForceDirectories(Dir.File("config/kelvor")));
    const std::string kept = CopyOf(ini, "[Options]\nSaveSettings=1\nPurgeAtLine=55\n", cut);
    Dir.Write(copy, kept);
    TWriteLock lock(ini);
    if (!lock.Locked())
        GTEST_SKIP() << "the settings file cannot be made to refuse writing";
    UI.QueueMessageBoxResult(IDOK);
    Start(ini);
    const std::vector<TUICall> boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text.rfind("Unable to restore the ini file:", 0), 0u) << boxes[0].Text;
    EXPECT_NE(boxes[0].Text.find(copy), std::string::npos) << boxes[0].Text;
    // Saving is on, and still the copy is never written over.
    EXPECT_TRUE(Form->SaveSettings);
    Stop();
    EXPECT_EQ(Dir.Read(copy), kept);
    EXPECT_EQ(Dir.Read(ini), cut);
}

// A file system that emulates flock with record locks (NFS) grants no
// exclusive lock on a handle open for reading only; one without locks grants
// none. Neither makes a start take a running save's file, or a new file of a
// cut safe save, for one left alone, nor touch what it cannot tell about.
TEST_F(SettingsSaveTest, ALockThatCannotBeHadTellsNothingAndLeavesEverything)
{
    const std::string oldText = SettingsOf("old", 11, 1000);
    const std::string ini = Dir.Write("kelvor.ini", oldText);
    ASSERT_TRUE(SaveKilledBeforeStep(ini, SettingsOf("new", 22, 200 << 10), 3));
    const std::string copy = SettingsCopyFileName(ini), cut = Dir.Read(ini), kept = Dir.Read(copy);
    const std::string temporary = Dir.File(".kelvor.ini.tmp0123456789AB");
    const struct {
        int Error; // EBADF: on a handle for reading only, while a save runs
        std::string File, Copy;
        bool Told;
    } cases[] = {{EBADF, cut, kept, false},
                 {ENOLCK, cut, kept, true},
                 {ENOLCK, oldText, kept, false},
                 {ENOLCK, oldText, "", false}}; // a copy being made
    for (const auto& c : cases) {
        SCOPED_TRACE(SysErrorMessage(c.Error) + (c.File == cut ? ", cut" : ", old") +
                     (c.Copy.empty() ? ", new copy" : ""));
        Dir.Write("kelvor.ini", c.File);
        Dir.Write(copy, c.Copy);
        Dir.Write(temporary, "[Opt");
        const int other = open(ini.c_str(), O_RDWR);
        ASSERT_TRUE(c.Error == ENOLCK || flock(other, LOCK_EX) == 0);
        SetFileLockFault([&c](int handle) {
            return c.Error == ENOLCK || (fcntl(handle, F_GETFL) & O_ACCMODE) == O_RDONLY ? c.Error : 0;
        });
        const TSettingsRestore restore = RestoreInterruptedSettingsSave(ini);
        SetFileLockFault(nullptr);
        close(other);
        EXPECT_EQ(restore.Failure.find("cannot be told") != std::string::npos, c.Told) << restore.Failure;
        EXPECT_TRUE(Dir.Read(ini) == c.File && Exists(copy) && Dir.Read(copy) == c.Copy);
        EXPECT_EQ(Exists(temporary), c.Error == ENOLCK);
    }
}

// Closing while another program saves the same file in place: the window
// keeps handling events meanwhile and closes once its own save is done, or
// after its patience with the save's "Error" box.
class SettingsCloseTest : public KelvorStartStopTest {};

TEST_F(SettingsCloseTest, AClosingWindowWaitsForAnotherSaveWithoutBlocking)
{
    const std::string folder = Dir.File("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    for (bool released : {true, false}) {
        SCOPED_TRACE(released ? "the other save ends" : "the other save never ends");
        const std::string oldText = "[Options]\nSaveSettings=1\nPurgeAtLine=3\n";
        const std::string ini = Dir.Write("locked/kelvor.ini", oldText);
        Start(ini);
        Form->PurgeAtLine = 77;
        Form->Show();
        TWriteLock lock(folder);
        if (!lock.Locked())
            GTEST_SKIP() << "the folder cannot be made to refuse new files";
        const int other = open(ini.c_str(), O_RDWR);
        ASSERT_EQ(flock(other, LOCK_EX), 0);
        Form->Close();
        int ticks = 0;
        TTimer probe(nullptr);
        probe.SetInterval(1);
        probe.OnTimer = [&](TObject*) { ++ticks; };
        EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }, [&] { return ticks; }, PumpEvents))
            << "events go on";
        EXPECT_TRUE(Form->Visible() && Dir.Read(ini) == oldText) << "the window waits";
        if (released)
            flock(other, LOCK_UN);
        else
            UI.QueueMessageBoxResult(IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !Form->Visible(); }, WaitDeadlineMs, PumpEvents));
        Stop(); // which does not save again
        close(other);
        const std::vector<TUICall> boxes = UI.CallsOf(TUICallKind::MessageBox);
        ASSERT_EQ(boxes.size(), released ? 0u : 1u);
        EXPECT_TRUE(released || boxes[0].Text.find("Another program is saving it.") != std::string::npos);
        EXPECT_EQ(Dir.Read(ini).find("PurgeAtLine=77") != std::string::npos, released);
        UI.ClearCalls();
    }
}

} // namespace
