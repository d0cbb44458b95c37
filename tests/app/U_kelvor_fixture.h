// The main window made as the program makes it, with the scripted UI services
// answering its boxes and dialogs, a settings file of the test's own in a
// temporary folder, and helpers to write log files and to poll them.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/U_kelvor.h"
#include "platform/controls/menus.h"
#include "platform/controls/messages.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "tests/support/pumpevents.h"
#include "tests/support/scriptedui.h"
#include "tests/support/tempdir.h"
#include "view/rollview.h"

// The per-user folder ($XDG_CONFIG_HOME) in a folder of the test's own for
// the scope, so that nothing the program keeps there reaches the user's.
class TConfigHomeScope {
public:
    explicit TConfigHomeScope(const std::string& folder)
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        FHad = old != nullptr;
        if (old)
            FOld = old;
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~TConfigHomeScope()
    {
        if (FHad)
            setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    TConfigHomeScope(const TConfigHomeScope&) = delete;
    TConfigHomeScope& operator=(const TConfigHomeScope&) = delete;

private:
    bool FHad = false;
    std::string FOld;
};

// Sets or clears the immutable flag of a file or folder (which even the
// superuser cannot then write to or add to); false when the file system has none.
inline bool SetImmutable(const std::string& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

// Makes a file or folder refuse writing (and a folder new files) for the
// scope; Locked() false when this cannot be done here.
class TWriteLock {
public:
    explicit TWriteLock(const std::string& path) : FPath(path)
    {
        struct stat info;
        FLocked = stat(path.c_str(), &info) == 0 && chmod(path.c_str(), info.st_mode & 0555) == 0;
        FMode = info.st_mode & 07777;
        if (FLocked && geteuid() == 0)
            FLocked = FImmutable = SetImmutable(path, true);
        else if (FLocked)
            FLocked = access(path.c_str(), W_OK) != 0;
    }
    ~TWriteLock()
    {
        if (FImmutable)
            SetImmutable(FPath, false);
        chmod(FPath.c_str(), FMode);
    }
    TWriteLock(const TWriteLock&) = delete;
    TWriteLock& operator=(const TWriteLock&) = delete;
    bool Locked() const { return FLocked; }

private:
    std::string FPath;
    mode_t FMode = 0755;
    bool FLocked = false;
    bool FImmutable = false;
};

// The timers a pane's display keeps (components of what the pane owns): one
// is on while lines wait to be shown in the pane.
inline std::vector<TTimer*> PaneTimers(const TComponent* pane)
{
    std::vector<TTimer*> timers;
    for (int i = 0; i < pane->ComponentCount(); ++i) {
        const TComponent* owned = pane->Components(i);
        for (int j = 0; j < owned->ComponentCount(); ++j)
            if (auto* timer = dynamic_cast<TTimer*>(owned->Components(j)))
                timers.push_back(timer);
    }
    return timers;
}

// Whether lines wait to be shown in the pane.
inline bool LinesWaitIn(const TComponent* pane)
{
    for (const TTimer* timer : PaneTimers(pane))
        if (timer->Enabled())
            return true;
    return false;
}

// Runs the event loop until no pane of the window has lines waiting, however
// busy the machine: the wait goes on while the panes show more (each turn
// shows a line or a piece of one, or meets characters new to the pane's
// fonts that a turn soon after shows); false when lines still wait and no
// pane showed more for a whole deadline.
inline bool WaitUntilPanesShowAll(const TForm1* form)
{
    // The panes as they are at each ask: the events may close one.
    const auto panes = [form] {
        std::vector<const TRollView*> views;
        for (int i = 0; i < form->Tail->GetCount(); ++i)
            if (form->Tail->GetFile(i)->View)
                views.push_back(form->Tail->GetFile(i)->View);
        return views;
    };
    const auto allShown = [&] {
        const std::vector<const TRollView*> views = panes();
        return std::none_of(views.begin(), views.end(),
                            [](const TRollView* view) { return LinesWaitIn(view); });
    };
    const auto itemsShown = [&] {
        long long items = 0;
        for (const TRollView* view : panes())
            items += view->GetLineCount();
        return items;
    };
    return WaitUntil(allShown, itemsShown, PumpEvents);
}

// The window made and closed as the program makes and closes it, on the
// settings file named as its argument (none for an empty one), with the
// scripted UI answering its boxes.
class KelvorStartStopTest : public ::testing::Test {
protected:
    // Creates the window as the program does: constructor, then OnCreate.
    void Start(const std::string& Argument = std::string())
    {
        std::vector<AnsiString> args{Dir.File("kelvor")};
        if (!Argument.empty())
            args.push_back(Argument);
        SetCommandLine(args);
        Form = new TForm1(nullptr);
        Form->AfterConstruction();
    }
    // Closes the window as the program does at exit (OnDestroy writes).
    void Stop()
    {
        if (Form)
            Form->Free();
        Form = nullptr;
    }
    void TearDown() override
    {
        Stop();
        SetCommandLine({});
    }

    TScriptedUI UI;
    TempDir Dir;
    TConfigHomeScope ConfigHome{Dir.File("config")};
    TForm1* Form = nullptr;
};

class KelvorFormTest : public ::testing::Test {
protected:
    // Settings read at start-up: [Options] and further sections, as ini text.
    virtual std::string Settings() const { return "[Options]\nActive=0\n"; }

    void SetUp() override
    {
        const std::string ini = Dir.Write("kelvor.ini", Settings());
        SetCommandLine({"kelvor", ini});
        Application->CreateForm(Form1);
        Form = Form1;
        Form->SetClientHeight(100);
        Form->Show();
    }

    void TearDown() override
    {
        // Ctrl or Shift left down by a test would reach the next one.
        SimulateKeyUp(Form, VK_CONTROL);
        SimulateKeyUp(Form, VK_SHIFT);
        Form->Free();
        UI.ExpectNoPendingAnswers();
    }

    // A log file of the temporary folder with these bytes.
    std::string Log(const std::string& name, const std::string& bytes = "") { return Dir.Write(name, bytes); }

    // Appends bytes as another program would.
    static void Append(const std::string& path, const std::string& bytes)
    {
        const int fd = open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0) << path;
        ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }

    // A file opened in a new pane; fails the test when it was not.
    TTailFile* Open(const std::string& path)
    {
        TTailFile* file = Form->OpenTailFile(path);
        EXPECT_NE(file, nullptr) << path;
        return file;
    }

    // One tick of the monitor: its panes show what one turn may show.
    void PollOnce() { Form->Tail->TimerTimer(nullptr); }
    // One tick of the monitor, then the events until the panes show all.
    void Poll()
    {
        PollOnce();
        ASSERT_TRUE(WaitUntilPanesShowAll(Form)) << "lines still wait to be shown";
    }

    // The popup menu as opened over Component (null: the window outside the panes).
    void PopupOver(TComponent* Component)
    {
        Form->OptionsPM->SetPopupComponent(Component ? Component : Form);
        Form->OptionsPM->OnPopup(Form->OptionsPM);
    }

    std::vector<int> PaneHeights() const
    {
        std::vector<int> heights;
        for (int i = 0; i < Form->Tail->GetCount(); ++i)
            heights.push_back(Form->Tail->GetFile(i)->View->Height());
        return heights;
    }

    std::vector<AnsiString> RecentFiles() const
    {
        std::vector<AnsiString> files;
        for (int i = 0; i < Form->RecentFiles->Count(); ++i)
            files.push_back(Form->RecentFiles->Get(i));
        return files;
    }

    // Ctrl (or Shift) held while Run runs.
    void WithKey(WORD Key, const std::function<void()>& Run)
    {
        SimulateKeyDown(Form, Key, Key == VK_CONTROL ? TShiftState{ssCtrl} : TShiftState{ssShift});
        ASSERT_LT(GetKeyState(Key), 0);
        Run();
        SimulateKeyUp(Form, Key);
    }

    std::vector<TUICall> ErrorBoxes() const
    {
        std::vector<TUICall> boxes;
        for (const TUICall& call : UI.CallsOf(TUICallKind::MessageBox))
            if (call.Caption == "Error")
                boxes.push_back(call);
        return boxes;
    }

    TScriptedUI UI;
    TempDir Dir;
    TConfigHomeScope ConfigHome{Dir.File("config")};
    TForm1* Form = nullptr;
};
