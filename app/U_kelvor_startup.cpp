// The files watched at the last run, opened at start-up: their panes are made
// with the window's alignment held (one alignment for all of them), no more
// files are opened than the process may hold open, and every problem goes
// into one box that lists them.
#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>

#include "app/U_kelvor.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/extctrls_splitter.h"
#include "view/rollview.h"

namespace {

// Handles kept free for what the program opens besides its watched files:
// the settings file, dialogs, fonts, the display's connections.
constexpr int64_t ReservedHandles = 64;

// How many more files the process may open: its limit, less the handles it
// holds and the reserve.
int64_t FreeFileHandles()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return INT64_MAX;
    int64_t held = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++held;
        closedir(dir);
        --held; // the folder's own handle, closed again
    }
    return std::max<int64_t>(static_cast<int64_t>(limit.rlim_cur) - held - ReservedHandles, 0);
}

} // namespace

AnsiString StartProblemsText(const std::vector<AnsiString>& problems)
{
    const size_t listed = std::min(problems.size(), MaxListedStartProblems);
    AnsiString text;
    for (size_t i = 0; i < listed; ++i)
        text += (i > 0 ? "\n" : "") + problems[i];
    if (problems.size() > listed)
        text += "\nand " + IntToStr(static_cast<int64_t>(problems.size() - listed)) + " more";
    return text;
}

void TForm1::OpenSavedFiles(const std::vector<AnsiString>& names)
{
    std::vector<AnsiString> problems;
    int64_t room = FreeFileHandles();
    int placed = 0;
    // One alignment for all the panes at the end, not one per pane.
    DisableAlign();
    for (const AnsiString& name : names) {
        try {
            if (room <= 0)
                throw Exception("File '" + ShownFileName(name) +
                                "' is not opened: no more files may be open at once.");
            TTailFile* file = AddTailPane(name);
            --room;
            // The held alignment no longer knows the order the panes came in:
            // each goes above those before it, its splitter under it, as an
            // alignment after each pane would have placed them.
            ++placed;
            file->View->SetTop(-2 * placed);
            file->Splitter->SetTop(-2 * placed + 1);
        } catch (const Exception& e) {
            problems.push_back(e.Message());
            // Kept in the settings, so that the next start tries it again.
            if (!name.empty())
                FMissingTailFiles.push_back(name);
        }
    }
    EnableAlign();
    if (!problems.empty())
        MessageBox(StartProblemsText(problems), "Error", MB_OK | MB_ICONERROR);
}
