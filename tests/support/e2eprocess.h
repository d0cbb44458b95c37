// The end-to-end tests' tools: starting programs with their output in a file,
// waiting for them, running X tools and reading what they print, and an Xvfb
// server of the test's own that is stopped with it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts args[0] with args, these extra "NAME=value" environment entries, and
// its standard output and error in logFile (/dev/null when empty).
pid_t SpawnProgram(const std::vector<std::string>& args, const std::string& logFile,
                   const std::vector<std::string>& env = {});

// Waits up to timeoutMs for the process to end; when it does not, kills it.
// True when it ended by itself; its wait status in status.
bool ReapProgram(pid_t pid, int& status, int timeoutMs);

// Kills the process (when pid > 0), waits for it and sets pid to -1.
void KillProgram(pid_t& pid);

// Runs a shell command; its standard output with the last line end removed.
std::string CaptureOutput(const std::string& command);

// A shell word that stands for s as it is.
std::string ShellQuoted(const std::string& s);

// The folder of the running test program.
std::string OwnFolder();

// An Xvfb server on a display it chooses itself (1024x768, 24 bits); DISPLAY
// names it from construction on, and the toolkit's X11 platform is chosen.
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
    pid_t FPid = -1;
    std::string FDisplay;
};

// Kills the program at the end of the scope unless it was reaped (pid -1).
struct TProgramGuard {
    pid_t& Pid;
    ~TProgramGuard() { KillProgram(Pid); }
};
