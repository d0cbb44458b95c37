// The end-to-end tests' tools: starting programs with their output in a file,
// waiting for them, running X tools and reading what they print, and an Xvfb
// server of the test's own that is stopped with it.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/waituntil.h"

// Starts args[0] with args, these extra "NAME=value" environment entries, and
// its standard output and error in logFile (/dev/null when empty), in the
// working folder given (the test program's when empty).
pid_t SpawnProgram(const std::vector<std::string>& args, const std::string& logFile,
                   const std::vector<std::string>& env = {}, const std::string& folder = std::string());

// The progress of a program at work, for WaitUntil: a step each time the
// process and its descendants have used the processor for a fiftieth or more
// of the time since the step before (ProgramWorkShare), or, once half a
// second or more has passed since then (ProgramReadySpan), have been running
// or ready to run (waiting for a processor that others hold) for nine tenths
// of it or more (ProgramReadyShare). A program at work does the one or the
// other also on a loaded machine, where a busy program of a low priority may
// get less than a fiftieth of a processor for seconds but is ready all that
// time. A program that only runs its timers (a millisecond or two a second,
// Kelvor with its panes open less) and one that waits for something else
// stand still, also when a busy machine makes each of their turns wait a
// while (a program just started waits for its first turn); only a machine
// that gives such a program less than it asks for, so that it is ready
// nearly all the time, makes it count as at work (its wait then ends at its
// ceiling).
TProgress ProgramProgress(pid_t pid);
constexpr double ProgramWorkShare = 0.02;
constexpr double ProgramReadyShare = 0.9;
constexpr double ProgramReadySpan = 0.5;

// Waits for the process to end while it works (ProgramProgress), for up to
// timeoutMs without a step and ceilingMs at most (a program that works for
// ever); when it does not end, kills it. True when it ended by itself; its
// wait status in status.
bool ReapProgram(pid_t pid, int& status, int timeoutMs, int ceilingMs = WaitCeilingMs);

// Sends input to a program (send) and waits for what it brings about (done)
// while the program works on it (ProgramProgress), running pump between two
// asks; sends it again whenever the program has stood still for stillMs
// without it (a window may show before it takes input, a popup list may take
// a key for itself), until ceilingMs have passed since the call began: the
// whole call ends there, and nothing is sent after it (then done's answer).
// Send checks that its receiver is ready for the input, and sends nothing
// while it is not.
bool SendUntil(const std::function<void()>& send, const std::function<bool()>& done, pid_t program,
               const std::function<void()>& pump = nullptr, int stillMs = WaitDeadlineMs,
               int ceilingMs = WaitCeilingMs);

// Kills the process (when pid > 0), waits for it and sets pid to -1.
void KillProgram(pid_t& pid);

// Runs a shell command; its standard output with the last line end removed.
std::string CaptureOutput(const std::string& command);

// A shell word that stands for s as it is.
std::string ShellQuoted(const std::string& s);

// The folder of the running test program.
std::string OwnFolder();

// Starts Xvfb (Program, or the one found on PATH when Program is empty) with a
// screen of Screen ("WxHxD"). With
// -displayfd the server picks a display that no other server holds and names it
// only once it accepts clients, so that no display number is chosen beforehand
// and no client connects too early; with -noreset it does not reset whenever its
// last client leaves, which refuses a client that connects in that moment. The
// server ends with the test program, however that ends (the parent-death
// signal). The server is the child of a small keeper process of the test
// program's, which ends it when the test program ends or when the keeper is
// asked to (SIGTERM): it asks the server with SIGTERM until the server has
// ended (Xvfb may take one without acting on it), kills it when it has not
// within WaitDeadlineMs, and ends itself once it has reaped the server (and
// with it, should it be killed). The display's number (Pid: the keeper), or
// -1 (Pid -1) when the server could not start or named no display within
// WaitDeadlineMs.
int StartXvfbServer(const std::string& screen, pid_t& pid, const std::string& program = std::string());

// Ends the server started by StartXvfbServer (when pid > 0) through its
// keeper, reaps the keeper and sets pid -1.
void StopXvfbServer(pid_t& pid);

// An Xvfb server on a display it chooses itself (1024x768, 24 bits); DISPLAY
// names it from construction on (XAUTHORITY is unset and the toolkit's X11
// platform is chosen), so that every program the test starts and every X tool
// it runs reaches this server. The destructor stops and reaps the server and
// gives the three variables their former values back.
class TXServer {
public:
    TXServer();
    ~TXServer();
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    bool Running() const { return !FDisplay.empty(); }
    const std::string& Display() const { return FDisplay; }
    // The ids of the shown windows whose name matches the pattern (xdotool).
    std::vector<std::string> Windows(const std::string& namePattern) const;

private:
    // An environment variable as it was before the server's.
    struct TSavedVariable {
        std::string Name;
        bool Set = false;
        std::string Value;
    };
    void SetVariable(const std::string& name, const char* value);

    pid_t FPid = -1;
    std::string FDisplay;
    std::vector<TSavedVariable> FSaved;
};

// Kills the program at the end of the scope unless it was reaped (pid -1).
struct TProgramGuard {
    pid_t& Pid;
    ~TProgramGuard() { KillProgram(Pid); }
};
