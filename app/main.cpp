// Entry of the Kelvor log monitor: kelvor [settings-file]. Creates the main
// window and runs the message loop until it closes. A termination signal
// (SIGTERM, SIGINT, SIGHUP) that comes while the loop runs closes the main
// window the normal way, so the settings are written as at any other exit;
// one that comes before (while the settings are read, the saved files opened
// or a start-up box waits), or a second one before the first was taken up,
// ends the program at once, as the signal itself would.
#include <sys/resource.h>

#include <csignal>
#include <vector>

#include "app/U_kelvor.h"
#include "platform/controls/forms.h"

// In sanitizer builds: the font configuration and message bus libraries keep
// blocks of their caches until the process ends; they are not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

namespace {

volatile std::sig_atomic_t CloseRequested = 0;
// The message loop runs: from here on a signal closes the window.
volatile std::sig_atomic_t LoopRunning = 0;

void RequestClose(int number)
{
    if (!LoopRunning || CloseRequested) {
        // Nothing is written: what was read of the settings may be partial.
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    CloseRequested = 1;
}

void InstallSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = RequestClose;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        sigaction(number, &action, nullptr);
}

// The process may hold as many files open as its hard limit allows: each
// watched file keeps one.
void RaiseOpenFileLimit()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<AnsiString> args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i]);
    // ParamStr(0) is the program file itself, wherever it was started from.
    if (!args.empty())
        args[0].clear();
    // Before anything else: a signal ends the program at any time.
    InstallSignalHandlers();
    SetCommandLine(args);
    RaiseOpenFileLimit();

    try {
        Application->Initialize();
        Application->CreateForm(Form1);
        // A signal cannot touch the windows itself: it leaves a note that
        // this timer picks up in the message loop.
        TTimer closer(nullptr);
        closer.SetInterval(200);
        closer.OnTimer = [](TObject*) {
            if (CloseRequested && Form1) {
                CloseRequested = 0;
                Form1->ClosingOnSignal = true;
                Form1->Close();
            }
        };
        closer.SetEnabled(true);
        LoopRunning = 1;
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
