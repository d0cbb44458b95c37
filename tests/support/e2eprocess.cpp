// Programs and an X server for the end-to-end tests.
#include "tests/support/e2eprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "tests/support/waituntil.h"
#include "tests/support/xvfbchild.h"

pid_t SpawnProgram(const std::vector<std::string>& args, const std::string& logFile,
                   const std::vector<std::string>& env, const std::string& folder)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    for (const std::string& entry : env)
        putenv(const_cast<char*>(entry.c_str()));
    if (!folder.empty() && chdir(folder.c_str()) != 0)
        _exit(127);
    const int out = open(logFile.empty() ? "/dev/null" : logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

namespace {

// A thread of a program at one moment: whether it is running or ready to run
// (state R), and how often it has gone to sleep (its voluntary switches: the
// times it left the processor other than for another thread's turn).
struct TThreadSample {
    bool Ready = false;
    long long Sleeps = -1;
};

// A program at one moment: the clock ticks of processor time that the
// process, its reaped children and its running descendants have used, and
// every thread of these processes, by id.
struct TProgramSample {
    long long Ticks = 0;
    std::map<pid_t, TThreadSample> Threads;
};

// The fields of a /proc stat file after the name (which may hold spaces and
// parentheses), the state first; empty for a process or thread that is gone.
std::string StatFields(const std::string& file)
{
    std::ifstream stat(file);
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
        return std::string();
    return line.substr(line.rfind(')') + 1);
}

// How often the thread whose /proc folder is Task has gone to sleep; -1 when
// it is gone.
long long Sleeps(const std::filesystem::path& task)
{
    std::ifstream status(task / "status");
    const std::string key = "voluntary_ctxt_switches:";
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, key.size(), key) == 0)
            return std::atoll(line.c_str() + key.size());
    return -1;
}

// Adds the process Pid and its running descendants to Sample (nothing for a
// process that is gone).
void SampleProcess(pid_t pid, TProgramSample& sample)
{
    const std::string folder = "/proc/" + std::to_string(pid);
    // The state, then fields 4 to 13, then the user and system times of the
    // process and of its reaped children.
    std::istringstream fields(StatFields(folder + "/stat"));
    std::string field;
    for (int i = 3; i <= 13; ++i)
        fields >> field;
    for (int i = 0; i < 4; ++i) {
        long long value = 0;
        if (fields >> value)
            sample.Ticks += value;
    }
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(folder + "/task", error)) {
        TThreadSample thread;
        std::istringstream state(StatFields(task.path() / "stat"));
        char code = 0;
        thread.Ready = state >> code && code == 'R';
        thread.Sleeps = Sleeps(task.path());
        sample.Threads[static_cast<pid_t>(std::atol(task.path().filename().c_str()))] = thread;
        // The running children of each of its threads.
        std::ifstream children(task.path() / "children");
        for (pid_t child; children >> child;)
            SampleProcess(child, sample);
    }
}

// Whether the thread Tid was running or ready to run all the time from the
// sample Before to the sample After: ready at both, and not gone to sleep
// between them.
bool ReadyThroughout(pid_t tid, const TThreadSample& after, const TProgramSample& beforeSample)
{
    const auto before = beforeSample.Threads.find(tid);
    return before != beforeSample.Threads.end() && before->second.Ready && after.Ready &&
           before->second.Sleeps == after.Sleeps;
}

} // namespace

TProgress ProgramProgress(pid_t pid)
{
    using TClock = std::chrono::steady_clock;
    static const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    struct TSteps {
        // The program at the last ask, and when that was.
        TProgramSample Last;
        TClock::time_point LastAsk;
        // At the last step, the processor time used; since then, the time
        // its threads were seen running or ready to run; when that was, and
        // the steps so far.
        long long Ticks = 0;
        long long ReadyNs = 0;
        TClock::time_point At;
        long long Count = 0;
    };
    auto steps = std::make_shared<TSteps>();
    SampleProcess(pid, steps->Last);
    steps->LastAsk = steps->At = TClock::now();
    steps->Ticks = steps->Last.Ticks;
    return [pid, steps] {
        TProgramSample sample;
        SampleProcess(pid, sample);
        const TClock::time_point now = TClock::now();
        const long long sinceAsk =
            std::chrono::duration_cast<std::chrono::nanoseconds>(now - steps->LastAsk).count();
        for (const auto& [tid, thread] : sample.Threads)
            if (ReadyThroughout(tid, thread, steps->Last))
                steps->ReadyNs += sinceAsk;
        const double used = static_cast<double>(sample.Ticks - steps->Ticks) / ticksPerSecond;
        const double ready = static_cast<double>(steps->ReadyNs) / 1e9;
        const double passed = std::chrono::duration<double>(now - steps->At).count();
        if (used >= ProgramWorkShare * passed ||
            (passed >= ProgramReadySpan && ready >= ProgramReadyShare * passed)) {
            steps->Ticks = sample.Ticks;
            steps->ReadyNs = 0;
            steps->At = now;
            ++steps->Count;
        }
        steps->Last = std::move(sample);
        steps->LastAsk = now;
        return steps->Count;
    };
}

bool ReapProgram(pid_t pid, int& status, int timeoutMs, int ceilingMs)
{
    const bool ended = WaitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, ProgramProgress(pid),
                                 nullptr, timeoutMs, ceilingMs);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return ended;
}

bool SendUntil(const std::function<void()>& send, const std::function<bool()>& done, pid_t program,
               const std::function<void()>& pump, int stillMs, int ceilingMs)
{
    using TClock = std::chrono::steady_clock;
    const TClock::time_point end = TClock::now() + std::chrono::milliseconds(ceilingMs);
    // Each wait for the effect has what is left of the ceiling, so that the
    // ceiling holds for the whole call, and nothing is sent once it has passed.
    for (;;) {
        const long long left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - TClock::now()).count();
        if (left <= 0)
            return done();
        send();
        if (WaitUntil(done, ProgramProgress(program), pump, stillMs, static_cast<int>(left)))
            return true;
    }
}

void KillProgram(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

std::string CaptureOutput(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string ShellQuoted(const std::string& s)
{
    std::string quoted = "'";
    for (char c : s)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string OwnFolder()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    const std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.rfind('/'));
}

namespace {

// How often a server that was asked to end is asked again. Xvfb sets a flag
// when SIGTERM comes and looks at it just before it waits for its clients: a
// signal that comes between the look and the wait is taken but not acted on
// until a client wakes the server, which with no client left is never.
constexpr int AskAgainMs = 100;

long long MonotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Ends the keeper as its server ended: with 128 and the signal that ended
// the server, or with the server's exit code.
[[noreturn]] void EndAsServerEnded(int status)
{
    _exit(WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status));
}

// In the keeper, once the server is to end: asks it with SIGTERM until it has
// ended, and kills it when it has not within WaitDeadlineMs.
[[noreturn]] void EndServer(pid_t server, int signals)
{
    const long long deadline = MonotonicMs() + WaitDeadlineMs;
    int status = 0;
    for (;;) {
        if (waitpid(server, &status, WNOHANG) == server)
            break;
        const bool late = MonotonicMs() > deadline;
        kill(server, late ? SIGKILL : SIGTERM);
        if (late) {
            waitpid(server, &status, 0);
            break;
        }
        // A SIGCHLD ends the wait early; its record is only read to clear it.
        pollfd ended{signals, POLLIN, 0};
        if (poll(&ended, 1, AskAgainMs) > 0) {
            signalfd_siginfo info;
            if (read(signals, &info, sizeof info) < 0) {
                // Nothing to do: the next round asks waitpid again.
            }
        }
    }
    EndAsServerEnded(status);
}

// The keeper: a process between the test program and its server that starts
// the server as its own child, so that its process id stays the server's
// until the keeper has reaped it, and ends it (see EndServer) when asked to
// (SIGTERM) or when the test program ends, however that ends (the keeper's
// parent-death signal, which stays pending until read, so that none is
// lost). The keeper itself ends once the server has ended; should the keeper
// be killed, its server is killed with it. Only calls that are safe after a
// fork, until the exec.
[[noreturn]] void KeepServer(pid_t testProgram, int displayPipe, const char* xvfb, char* const argv[])
{
    // The signals the keeper answers are read from a descriptor: blocked, and
    // not ignored (an ignored signal would be dropped even while blocked).
    sigset_t handled;
    sigemptyset(&handled);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int signal : {SIGTERM, SIGCHLD, SIGUSR1}) {
        sigaddset(&handled, signal);
        sigaction(signal, &byDefault, nullptr);
    }
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGUSR1);
    if (getppid() != testProgram)
        _exit(127);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    // The server keeps no descriptor of the test's (CTest waits for the
    // test's output to close) but the pipe it names its display on, as 3.
    if (displayPipe != 3)
        dup2(displayPipe, 3);
    fcntl(3, F_SETFD, 0);
    for (int fd = 4; fd < 1024; ++fd)
        close(fd);
    const int signals = signalfd(-1, &handled, SFD_CLOEXEC);
    const pid_t keeper = getpid();
    const pid_t server = signals < 0 ? -1 : fork();
    if (server == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != keeper)
            _exit(127);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        execv(xvfb, argv);
        _exit(127);
    }
    close(3);
    if (server < 0)
        _exit(127);
    for (;;) {
        signalfd_siginfo info;
        if (read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info) ||
            info.ssi_signo != SIGCHLD)
            EndServer(server, signals);
        int status = 0;
        if (waitpid(server, &status, WNOHANG) == server)
            EndAsServerEnded(status);
    }
}

} // namespace

int StartXvfbServer(const std::string& screen, pid_t& pid, const std::string& program)
{
    pid = -1;
    const std::string xvfb = program.empty() ? FindProgram("Xvfb") : program;
    int fds[2];
    if (xvfb.empty() || pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    std::vector<std::string> args = {"Xvfb", "-displayfd", "3",   "-screen", "0",
                                     screen, "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0)
        KeepServer(parent, fds[1], xvfb.c_str(), argv.data());
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        pid = -1;
        return -1;
    }
    // The server writes the display's number and a line end once it accepts
    // clients; it ends the pipe without them when it fails. Read as it comes,
    // while the server starts (its processor time grows).
    std::string number;
    bool named = false;
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    const auto answered = [&] {
        for (;;) {
            char c;
            const ssize_t n = read(fds[0], &c, 1);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return false;
            if (n <= 0)
                return true;
            if (c == '\n') {
                named = !number.empty();
                return true;
            }
            if (c < '0' || c > '9' || number.size() >= 9)
                return true;
            number += c;
        }
    };
    const auto waitForMore = [&] {
        pollfd ready{fds[0], POLLIN, 0};
        poll(&ready, 1, 100);
    };
    WaitUntil(answered, ProgramProgress(pid), waitForMore);
    close(fds[0]);
    if (!named) {
        StopXvfbServer(pid);
        return -1;
    }
    return std::stoi(number);
}

void StopXvfbServer(pid_t& pid)
{
    if (pid <= 0)
        return;
    // The keeper ends once its server has, within its own deadline for the
    // server, which this one covers; should it not, killing it kills the server.
    kill(pid, SIGTERM);
    int status = 0;
    ReapProgram(pid, status, 2 * WaitDeadlineMs);
    pid = -1;
}

TXServer::TXServer()
{
    const int display = StartXvfbServer("1024x768x24", FPid);
    if (display < 0)
        return;
    FDisplay = ":" + std::to_string(display);
    SetVariable("DISPLAY", FDisplay.c_str());
    SetVariable("XAUTHORITY", nullptr);
    SetVariable("QT_QPA_PLATFORM", "xcb");
}

TXServer::~TXServer()
{
    StopXvfbServer(FPid);
    for (auto saved = FSaved.rbegin(); saved != FSaved.rend(); ++saved) {
        if (saved->Set)
            setenv(saved->Name.c_str(), saved->Value.c_str(), 1);
        else
            unsetenv(saved->Name.c_str());
    }
}

void TXServer::SetVariable(const std::string& name, const char* value)
{
    const char* old = getenv(name.c_str());
    FSaved.push_back({name, old != nullptr, old ? old : ""});
    if (value)
        setenv(name.c_str(), value, 1);
    else
        unsetenv(name.c_str());
}

std::vector<std::string> TXServer::Windows(const std::string& namePattern) const
{
    std::istringstream ids(
        CaptureOutput("xdotool search --onlyvisible --name " + ShellQuoted(namePattern) + " 2>/dev/null"));
    std::vector<std::string> windows;
    for (std::string id; ids >> id;)
        windows.push_back(id);
    return windows;
}
