// kelvor_bench's cases of bytes that are no valid UTF-8, each appended at once
// to a fresh file that the pane follows and read by the monitor poll after
// poll, as the timer runs it, until the pane shows the case's last line.
#include "bench/kelvor_bench_binary.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/LayoutCosts.h"
#include "app/Tail.h"
#include "app/U_kelvor.h"
#include "view/rollview.h"

namespace {

using Clock = std::chrono::steady_clock;

// The line that ends every case: the pane shows it once the case is shown.
const std::string EndLine = "end of the bytes of this case";

// Count bytes from 0x80 to 0xFF in lines of 50 bytes (49 and a line feed).
std::string HighBytes(size_t count, std::mt19937& random)
{
    std::string bytes;
    bytes.reserve(count);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    while (bytes.size() < count)
        bytes += (bytes.size() % 50 == 49) ? '\n' : static_cast<char>(high(random));
    return bytes;
}

// Count bytes of any value, as /dev/urandom gives them.
std::string RandomBytes(size_t count, std::mt19937& random)
{
    std::string bytes(count, '\0');
    std::uniform_int_distribution<int> any(0, 255);
    for (char& c : bytes)
        c = static_cast<char>(any(random));
    return bytes;
}

// Sequences that are no UTF-8: a lone continuation byte, a lead byte without
// its continuation, an overlong form, a surrogate, a code point beyond
// U+10FFFF.
const char* const Bad[] = {"\x80",     "\xBF\xBF",     "\xC3(",        "\xE2\x82",         "\xF0\x90\x80",
                           "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFE\xFF"};

// Count bytes of the sequences above, picked at random one after another
// (one sequence may complete another, or a character of it).
std::string InvalidUtf8(size_t count, std::mt19937& random)
{
    std::string text;
    std::uniform_int_distribution<int> pick(0, 9);
    while (text.size() < count)
        text += Bad[pick(random)];
    text.resize(count);
    return text;
}

// Log lines in which every few words a sequence stands that is no UTF-8;
// count bytes of them.
std::string InvalidUtf8Lines(size_t count, std::mt19937& random)
{
    static const char* const Words[] = {"request", "served", "cache", "miss", "user", "token"};
    std::string text;
    std::uniform_int_distribution<int> pick(0, 59);
    for (long line = 0; text.size() < count; ++line) {
        text += "2024-05-01 12:00:00 INFO id=" + std::to_string(line) + " ";
        for (int w = 0; w < 12; ++w) {
            const int r = pick(random);
            text += Words[r % 6];
            text += Bad[r % 10];
            text += ' ';
        }
        text += '\n';
    }
    return text;
}

// The bytes of a program file (the file lister's), none when it cannot be read.
std::string ProgramFile()
{
    std::ifstream in("/bin/ls", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// Appends Text to a fresh file that the pane follows from its start, then
// polls as the timer would until Shown(); the longest block, and (through
// Cpu, when given) the processor time of the window's thread from when the
// text is in the file until it is shown. Writing the file is left out: the
// kernel's work for a write of many megabytes (pages taken, dirty pages
// written back on a busy disk) grows with how busy the machine is, not with
// what the pane does.
template <class F>
double ShowFresh(TTailFile* file, const std::string& log, const std::string& text, F shown,
                 double* cpu = nullptr)
{
    std::ofstream(log, std::ios::trunc) << "";
    file->Reopen(log);
    file->View->Clear();
    file->View->Format();
    file->LineComplete = true;
    std::ofstream(log, std::ios::app | std::ios::binary) << text;
    struct stat info;
    stat(log.c_str(), &info);
    const double cpuStart = ThreadCpuSeconds();
    double longest = 0;
    while (file->Position < static_cast<int64_t>(info.st_size) || !shown()) {
        const Clock::time_point start = Clock::now();
        if (file->Position < static_cast<int64_t>(info.st_size))
            Form1->Tail->TimerTimer(nullptr);
        QCoreApplication::processEvents();
        longest = std::max(longest, Seconds(start));
    }
    if (cpu)
        *cpu = ThreadCpuSeconds() - cpuStart;
    unlink(log.c_str());
    return longest;
}

// Appends Bytes and the end line (a line feed first: the case's last line may
// have none) to a fresh file the pane follows; the longest block until the
// pane shows the end line.
double ShowCase(TTailFile* file, const std::string& dir, const std::string& bytes)
{
    return ShowFresh(file, dir + "/binary.log", bytes + '\n' + EndLine + '\n', [&] {
        const int n = file->View->GetLineCount();
        return n > 0 && file->View->GetItemText(n - 1) == EndLine;
    });
}

// The longest time one turn of the events kept the loop from running after
// the window took another size: the panes are laid out again for it.
double ResizeBlock(int widthChange)
{
    const Clock::time_point start = Clock::now();
    Form1->SetBounds(Form1->Left(), Form1->Top(), Form1->Width() + widthChange, Form1->Height());
    double longest = Seconds(start);
    for (int turn = 0; turn < 3; ++turn) {
        const Clock::time_point from = Clock::now();
        QCoreApplication::processEvents();
        longest = std::max(longest, Seconds(from));
    }
    return longest;
}

} // namespace

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ShowOneLine(TTailFile* file, const std::string& log, const std::string& bytes, const std::string& end,
                   double* cpu, double* shown)
{
    const Clock::time_point start = Clock::now();
    const double longest = ShowFresh(
        file, log, bytes + end,
        [&] {
            const int n = file->View->GetLineCount();
            const std::string last = n > 0 ? file->View->GetItemText(n - 1) : std::string();
            return last.size() >= end.size() && last.compare(last.size() - end.size(), end.size(), end) == 0;
        },
        cpu);
    if (shown)
        *shown = Seconds(start);
    return longest;
}

double BinaryLineLongestBlock(TTailFile* file, const std::string& dir)
{
    // The bytes, and a word after them that tells when the pane shows the
    // line's end (the line has no line feed: its last piece is the pane's
    // last item).
    std::mt19937 random(20240502);
    std::uniform_int_distribution<int> high(0x80, 0xFF);
    std::string bytes(512 << 10, '\0');
    for (char& c : bytes)
        c = static_cast<char>(high(random));
    const std::string end = "#end-of-the-binary-line";
    const std::string previous = file->FileName;
    const double first = ShowOneLine(file, dir + "/binary-line.log", bytes, end);
    // Wider and back, as a user drags the window's edge.
    const double wider = ResizeBlock(40);
    const double narrower = ResizeBlock(-40);
    std::printf("one line of %zu bytes 0x80-0xFF without a line end: longest block %.1f ms when first shown, "
                "%.1f ms on a resize (worst of two)\n",
                bytes.size(), first * 1000, std::max(wider, narrower) * 1000);
    file->Reopen(previous);
    file->View->Clear();
    file->View->Format();
    return std::max({first, wider, narrower});
}

double BinaryLongestBlock(TTailFile* file, const std::string& dir)
{
    std::mt19937 random(20240501);
    struct TCase {
        const char* Name;
        std::string Bytes;
    };
    std::vector<TCase> cases;
    cases.push_back({"512 KB of bytes 0x80-0xFF in 50-byte lines", HighBytes(512 << 10, random)});
    cases.push_back({"3 MB of random bytes", RandomBytes(3 << 20, random)});
    cases.push_back({"1 MB of log lines with invalid UTF-8", InvalidUtf8Lines(1 << 20, random)});
    const std::string program = ProgramFile();
    if (!program.empty())
        cases.push_back({"a copy of /bin/ls", program});
    const std::string previous = file->FileName;
    double worst = 0;
    for (const TCase& c : cases) {
        // Twice: the first time meets the fonts for the first time.
        const double first = ShowCase(file, dir, c.Bytes);
        const double again = ShowCase(file, dir, c.Bytes);
        std::printf("%s (%zu bytes): longest block %.1f ms the first time, %.1f ms again\n", c.Name,
                    c.Bytes.size(), first * 1000, again * 1000);
        worst = std::max({worst, first, again});
    }
    file->Reopen(previous);
    file->View->Clear();
    file->View->Format();
    return worst;
}

double InvalidLineLongestBlock(TTailFile* file, const std::string& dir, double& cpuRatio)
{
    constexpr size_t Length = 1 << 20;
    std::mt19937 random(20240503);
    const std::string invalid = InvalidUtf8(Length, random);
    std::string high(Length, '\0');
    std::uniform_int_distribution<int> highByte(0x80, 0xFF);
    for (char& c : high)
        c = static_cast<char>(highByte(random));
    const std::string end = "#end-of-the-line";
    const std::string previous = file->FileName;
    const std::string log = dir + "/invalid-line.log";
    double longest = 0;
    cpuRatio = 0;
    // Each side twice, in turns, so that neither alone meets the fonts first.
    for (int round = 0; round < 2; ++round) {
        double highCpu = 0, invalidCpu = 0, highShown = 0, invalidShown = 0;
        const double highBlock = ShowOneLine(file, log, high, end, &highCpu, &highShown);
        const double invalidBlock = ShowOneLine(file, log, invalid, end, &invalidCpu, &invalidShown);
        std::printf("one line of %zu bytes of invalid UTF-8, without a line end: longest block %.1f ms, "
                    "%.2f CPU-s, shown after %.2f s; of bytes 0x80-0xFF: %.1f ms, %.2f CPU-s, %.2f s\n",
                    Length, invalidBlock * 1000, invalidCpu, invalidShown, highBlock * 1000, highCpu,
                    highShown);
        longest = std::max(longest, invalidBlock);
        cpuRatio = std::max(cpuRatio, invalidCpu / highCpu);
    }
    file->Reopen(previous);
    file->View->Clear();
    file->View->Format();
    return longest;
}
