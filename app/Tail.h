// The file monitor: CTail keeps the watched log files (TTailFile records), polls
// them on its timer and hands the bytes appended since the last poll, or the news
// that a file became shorter or was replaced under its name, to its owner through
// two callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/core/lists.h"
#include "platform/core/types.h"

class CTail;
class TObject;
class TRollView;
class TSplitter;
class TTimer;
class TTailFile;
struct TTailFileId;

// The most bytes of a file name that messages, boxes and panes show.
inline constexpr size_t MaxShownNameLength = 120;
// A file name as it is shown to people: whole up to MaxShownNameLength bytes,
// else its start and its end (where the file's own name is) joined by "...",
// cut between UTF-8 characters. Settings and the monitor keep the full name.
AnsiString ShownFileName(const AnsiString& name);

// A callback of the monitor: the index of the record in the monitor's list and
// the record itself.
using TTailFileEvent = std::function<void(int index, TTailFile* file)>;
// A poll that failed for a record: its index, the record and the reason.
using TTailFileErrorEvent = std::function<void(int index, TTailFile* file, const AnsiString& reason)>;

// The monitor's calls on a watched file that may fail while it is followed:
// Open is the opening of a watched file's name, when another file took it or
// when the open file keeps failing.
enum class TTailIo { SizeQuery, Read, Open };
// Asked before each such call (none when empty): an errno value above 0 makes
// the call fail with it. Tests make reading fail with it.
using TTailIoFault = std::function<int(TTailIo io)>;
void SetTailIoFault(TTailIoFault fault);

// One watched file: a regular file kept open for reading, one handle at a time.
// The record follows its name: when the name comes to name another file (a log
// renamed away and created again), the record reads the old file to its end and
// moves to the new one. Only bytes appended after the file was added, reopened
// or switched on again, and the whole of a file that took its name since, are
// ever delivered. A plain record with public fields: the main window
// reads NewText and LineComplete, counts LineCount and stores its pane and
// splitter here (the monitor never uses View or Splitter). Destroying the record
// closes the file and unlinks it from its owner's list; the window destroys the
// pane and the splitter first.
class TTailFile {
public:
    // Opens nothing and does not add itself to Owner's list (CTail::AddFile does).
    explicit TTailFile(CTail* aOwner);
    ~TTailFile();
    TTailFile(const TTailFile&) = delete;
    TTailFile& operator=(const TTailFile&) = delete;

    // Switches the record to the file Name, or to a fresh handle on the same file
    // when Name is empty, positioned at that file's current end, with LineCount 0
    // and LineComplete false. Raises what CTail::OpenFile raises, and then the
    // record is exactly as it was.
    void Reopen(const AnsiString& name);

    int Handle = -1;           // the open file, -1 for none
    int64_t Position = 0;      // bytes of the file already consumed; the next poll reads from here
    CTail* Owner;              // the monitor whose list holds the record
    AnsiString FileName;       // as added, or as last reopened under a new name
    bool LineComplete = false; // the text consumed so far ended with a line feed
    bool Active = true;        // while false the file is followed but nothing is delivered
    AnsiString NewText;        // the bytes read in the current poll, carriage returns dropped
                               // and each run of NUL bytes (or hole) as one NUL
    int LineCount = 0;         // lines shown since the pane was opened, reset or purged (the display's)
    TRollView* View = nullptr;
    TSplitter* Splitter = nullptr;
    // The last bytes of the file before Position (at most 64), as they were
    // consumed: read again with the next new bytes, they tell a file that was
    // rewritten within one poll from one that grew. Empty: nothing to compare.
    AnsiString LastBytes;
    // The last byte consumed was a NUL: a run of them going on is not delivered again.
    bool EndsInNul = false;
    // The last poll could not query the open file's size. When the next one
    // cannot either while the record is active, the open file is taken to
    // fail for good and the record opens its name again.
    bool SizeQueryFailed = false;
    // The last poll of the file read only a piece of what it held: the rest
    // comes with the next tick, at once (OnNewText sees it already). Every
    // poll sets it; false when that poll read nothing.
    bool MoreWaiting = false;
};

// The monitor: owns its records (and through them their open files) and a timer
// that runs the poll. Created switched off, interval 500 ms.
//
// One thread, no nested event loop. A callback may remove its own record or any
// other, add records, reopen a file, switch the monitor, or destroy the monitor:
// the poll re-reads the list after every callback, never touches a removed record,
// and visits each remaining record once. A tick (or a direct call of TimerTimer)
// that arrives while a poll is under way is skipped.
class CTail {
public:
    // The most bytes of one file a poll reads and delivers: showing them keeps
    // the window busy for well under a tenth of a second. The rest comes at
    // the next tick, which then follows at once.
    static constexpr size_t PieceLimit = size_t{1} << 19;

    CTail();
    // Destroys the timer, then every record (closing its file).
    ~CTail();
    CTail(const CTail&) = delete;
    CTail& operator=(const CTail&) = delete;

    // Opens the regular file Name for reading and returns its handle. Raises
    // Exception "File '<Name>' not exists." when nothing of that name exists, and
    // "Unable to open file '<Name>'." followed by the reason when it cannot be
    // opened (the system's words: permission denied, a loop of symbolic links)
    // or is not a regular file (a folder, a named pipe, a device: refused
    // without waiting).
    static int OpenFile(const AnsiString& name);
    // Opens the file and appends a record positioned at the file's current end.
    // An exception from the opening passes to the caller and nothing is added.
    TTailFile* AddFile(const AnsiString& name);
    int GetCount() const { return FFiles.Count(); }
    // EListError "List index out of bounds (%d)" outside 0 .. GetCount() - 1.
    TTailFile* GetFile(int index) const;
    // Takes the record out of the list when it is there; does not destroy it.
    void RemoveFile(TTailFile* file);
    // The first record whose View is that very object, or null.
    TTailFile* FindByViewer(const TObject* control) const;
    // Some record's FileName equals Name exactly (file names are case-sensitive).
    bool IsOpen(const AnsiString& name) const;

    // The poll interval in milliseconds; values below 1 are ignored.
    int GetInterval() const;
    void SetInterval(int milliseconds);
    // The time to the next tick: 1 ms while a file has more waiting than the
    // last poll read, else the interval.
    int GetTickDelay() const;
    // Whether the timer runs. Switching on also moves every record to its file's
    // current end, so that text appended while the monitor was off is skipped; a
    // record whose name now names another regular file moves to that file's end.
    bool GetActive() const;
    void SetActive(bool on);

    // The timer's tick: a poll, and while a file has more waiting, polls
    // again at once for up to TickBudget, so that a burst is read without a
    // wait between its pieces and the event loop still runs often.
    static constexpr int TickBudgetMs = 20;
    void Tick();
    // The poll: visits the records in list order. An inactive record is moved to
    // its file's end. A longer file is read from Position on, at most PieceLimit
    // bytes, holes skipped, and the bytes (carriage returns dropped, a run of NUL
    // bytes as one NUL, everything else kept) go to OnNewText; LineComplete
    // changes only after that call. A file that is shorter, or whose LastBytes
    // read differently (rewritten since), starts again from 0 and OnTruncate is
    // called; its text arrives at the next poll. An unchanged file costs one
    // size query and one look-up of its name, and is not read. A size query
    // or read that fails delivers what the poll read of the file before it
    // and keeps Position after that; when OnError is set, the failure then
    // pauses the record (Active false) and goes to OnError once, else the next
    // poll tries again. A size query that fails again once the record is
    // active (resumed, or never paused without OnError) lets go of the open
    // file for the regular file under its name, from Position on: a file
    // shorter than that, or with other bytes before it, is read from its
    // start after OnTruncate, as a file rewritten is. When nothing can be
    // opened under the name, that poll fails as the first one did. When
    // OnError is set, an exception while polling a record (its reading or its
    // callbacks) pauses the record and goes to OnError once as well;
    // otherwise it passes to the caller.
    //
    // Each poll also looks the record's name up (before the file's size, so
    // that what was written before a rename is within that size). A name that
    // still reaches the open file, by a link or not, changes nothing; one that
    // names nothing leaves the record on its open file, and is looked up again
    // at the next poll. Once the open file has been read to its end in a poll,
    // a name that names another regular file moves the record to it: the old
    // handle is closed, the new file is read from 0 and OnTruncate is called,
    // as for a file cut short (an inactive record goes to the new file's end,
    // without the call). A name that names what cannot be followed (a folder,
    // a named pipe, a device, a link loop, a file that cannot be opened) is a
    // failure of the poll, as a failed read is.
    void TimerTimer(TObject* sender);
    // The size queries made on the watched files so far (by polls and by switching
    // on): what following the files costs while nothing is written to them.
    int64_t GetSizeQueryCount() const { return FSizeQueries; }
    // The times a poll asked the file system where a file's next data lies,
    // past a run of zeros that may be a hole. That question waits for a
    // writer's whole write() call on the file, so it is asked only where a
    // read returned a long run of zeros, never for text.
    int64_t GetHoleProbeCount() const { return FHoleProbes; }

    TTailFileEvent OnNewText;
    // A file was cut short or rewritten, or another file took its name: what
    // follows comes from the file's start.
    TTailFileEvent OnTruncate;
    TTailFileErrorEvent OnError;

private:
    // Polls one record; false when a callback destroyed the monitor.
    bool PollFile(TTailFile* file);
    // Reads the record's new bytes and delivers them, then follows its name;
    // false when a callback destroyed the monitor. Failure: why a size query or
    // read failed (after what was read before it was delivered), or why the
    // name cannot be followed; else left empty.
    bool ReadAndFollow(TTailFile* file, AnsiString& failure);
    // Reads the new bytes of the open file, whose length is Length, and
    // delivers them; false when a callback destroyed the monitor.
    bool ReadAndDeliver(TTailFile* file, int64_t length, AnsiString& failure);
    // Moves the record to Handle, a file of that length that took its name:
    // an active record from the file's start with OnTruncate, an inactive
    // one to its end. False when the callback destroyed the monitor.
    bool SwitchFile(TTailFile* file, int handle, int64_t length);
    // Starts the active record again from its file's start, which is now of
    // that length, and calls OnTruncate. False when the callback destroyed the
    // monitor.
    bool Restart(TTailFile* file, int64_t length);
    // The current length of the record's open file (one counted size query),
    // and the file's identity when Id is given.
    bool QueryLength(const TTailFile* file, int64_t& length, TTailFileId* id = nullptr);

    TList FFiles; // TTailFile*, in the order they were added
    std::unique_ptr<TTimer> FTimer;
    // The poll under way: the index of the record being visited and that record
    // (null once it was removed). RemoveFile keeps both right.
    bool FPolling = false;
    int FPollIndex = -1;
    TTailFile* FPollFile = nullptr;
    // Cleared by the destructor, so that a poll whose callback destroyed the
    // monitor returns without touching it.
    std::shared_ptr<bool> FAlive;
    int64_t FSizeQueries = 0;
    int64_t FHoleProbes = 0;
    unsigned FInterval;
    // A file had more than one piece waiting at the last poll.
    bool FMoreWaiting = false;
};
