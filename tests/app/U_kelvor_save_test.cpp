// The settings file written in place (for a folder that takes no new file):
// a save ended by SIGKILL at any of its steps leaves the old settings or the
// new ones whole, or else the kept copy of the old ones, which the next start
// puts back before it reads the settings.
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
    // save that writes more than it had and of one that writes less.
    const std::string oldText = SettingsOf("old", 11, 300 << 10);
    const std::string longer = SettingsOf("new", 22, 500 << 10);
    const std::string shorter = SettingsOf("new", 33, 100 << 10);
    for (const std::string* newText : {&longer, &shorter}) {
        SCOPED_TRACE(newText == &longer ? "longer" : "shorter");
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
                EXPECT_TRUE(Dir.Read(copy) == ini + "\n" + oldText) << "the copy holds the old settings";
            } else {
                EXPECT_TRUE(after == oldText || after == *newText)
                    << "a file of " << after.size() << " bytes";
            }
            if (!killed) {
                EXPECT_TRUE(after == *newText && !copyKept) << "the save ended with the new settings";
            }

            // The next start puts the copy back.
            EXPECT_EQ(RestoreInterruptedSettingsSave(ini), "");
            const std::string restored = Dir.Read(ini);
            EXPECT_TRUE(restored == (copyKept ? oldText : after))
                << "a file of " << restored.size() << " bytes";
            EXPECT_FALSE(Exists(copy));
            EXPECT_EQ(Leftovers(), std::vector<std::string>{}) << "what the killed save left is gone";
        }
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
    EXPECT_EQ(RestoreInterruptedSettingsSave(ini), "");
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
            EXPECT_EQ(RestoreInterruptedSettingsSave(ini), "");
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
    const std::string ini = Dir.Write("kelvor.ini", oldText.substr(0, 10)); // "[Options]\n": cut
    ASSERT_TRUE(ForceDirectories(Dir.File("config/kelvor")));
    Dir.Write(SettingsCopyFileName(ini), ini + "\n" + oldText);
    // The saved files do not exist: one box names them.
    UI.QueueMessageBoxResult(IDOK);
    Start(ini);
    EXPECT_EQ(Form->PurgeAtLine, 44);
    EXPECT_EQ(Dir.Read(ini), oldText);
    EXPECT_FALSE(Exists(SettingsCopyFileName(ini)));
}

TEST_F(SettingsRestoreTest, ACopyThatCannotGoBackIsKeptAndNothingIsSaved)
{
    const std::string cut = "[Options]\nSaveSettings=1\n";
    const std::string ini = Dir.Write("kelvor.ini", cut);
    const std::string copy = SettingsCopyFileName(ini);
    ASSERT_TRUE(ForceDirectories(Dir.File("config/kelvor")));
    const std::string kept = ini + "\n[Options]\nSaveSettings=1\nPurgeAtLine=55\n";
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

} // namespace
