// The files watched at the last run, opened at start-up: their panes are made
// with the window's alignment held (one alignment for all of them), each file
// is watched once however often it is listed, no more files are opened than
// the process may hold open, and every problem goes into one box that lists
// them.
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <unordered_set>

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

// A file as the file system knows it, whatever name it is reached by.
struct TFileIdentity {
    dev_t Device;
    ino_t Inode;
    bool operator==(const TFileIdentity& o) const { return Device == o.Device && Inode == o.Inode; }
};

struct TFileIdentityHash {
    size_t operator()(const TFileIdentity& id) const
    {
        return std::hash<uint64_t>()(static_cast<uint64_t>(id.Inode) * 0x9E3779B97F4A7C15ull ^
                                     static_cast<uint64_t>(id.Device));
    }
};

// The line of the start-up box for entries left out because they name a file
// listed before them.
AnsiString DuplicatesText(int64_t count)
{
    return count == 1 ? AnsiString("1 entry is not opened: it names a file listed before it.")
                      : IntToStr(count) + " entries are not opened: they name files listed before them.";
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
    // Each file is watched once: an entry whose name came before, or that
    // reaches a file open already by another name, is left out (and out of
    // the settings saved at exit).
    std::unordered_set<AnsiString> listed;
    std::unordered_set<TFileIdentity, TFileIdentityHash> open;
    const auto identityOf = [](int handle, TFileIdentity& id) {
        struct stat info;
        if (fstat(handle, &info) != 0)
            return false;
        id = {info.st_dev, info.st_ino};
        return true;
    };
    for (int i = 0; i < Tail->GetCount(); ++i) {
        TFileIdentity id;
        listed.insert(Tail->GetFile(i)->FileName);
        if (identityOf(Tail->GetFile(i)->Handle, id))
            open.insert(id);
    }
    int64_t duplicates = 0;
    // One alignment for all the panes at the end, not one per pane.
    DisableAlign();
    for (const AnsiString& name : names) {
        struct stat info;
        if (!listed.insert(name).second ||
            (stat(name.c_str(), &info) == 0 && open.count({info.st_dev, info.st_ino}))) {
            ++duplicates;
            continue;
        }
        try {
            if (room <= 0)
                throw Exception("File '" + ShownFileName(name) +
                                "' is not opened: no more files may be open at once.");
            TTailFile* file = AddTailPane(name);
            --room;
            TFileIdentity id;
            if (identityOf(file->Handle, id))
                open.insert(id);
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
    if (problems.empty() && duplicates == 0)
        return;
    AnsiString text = StartProblemsText(problems);
    if (duplicates > 0)
        text += (text.empty() ? "" : "\n") + DuplicatesText(duplicates);
    MessageBox(text, "Error", MB_OK | MB_ICONERROR);
}
