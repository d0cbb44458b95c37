// The temporary files of SafeWriteFile (streams.cpp): where one is made, how
// it is named, and how a writer holds it (shared with the removal of those
// that writers ended before their rename left behind); and the exclusive lock
// (flock) by which a writer of a file tells others that it is at work.
#pragma once

#include <functional>

#include "platform/core/types.h"

// What an attempt to take a file's exclusive lock without waiting found.
// Unknown: the file system refused the lock for another reason than another
// holder (no locks at all, or a lock it does not grant on such a handle),
// so that nothing can be told about other holders.
enum class TFileLockState { Taken, HeldElsewhere, Unknown };
// Opens a file to take its lock: for reading and writing where that is
// allowed, for reading only where it is not. File systems that emulate flock
// with record locks (NFS) grant an exclusive lock only on a handle open for
// writing. Never creates the file, never waits on a FIFO (O_NONBLOCK stays
// set); ExtraFlags are added (O_NOFOLLOW). -1 with errno set.
int OpenForLock(const AnsiString& path, int extraFlags = 0);
// Takes the exclusive lock of an open file without waiting (errno set when
// not Taken).
TFileLockState TryLockExclusive(int handle);
// For tests: asked before each lock TryLockExclusive takes (none when empty);
// an errno value above 0 makes that lock fail with it.
using TFileLockFault = std::function<int(int handle)>;
void SetFileLockFault(TFileLockFault fault);

// The file that a name stands for: a symbolic link is replaced by the file it
// points to, so that renaming over it keeps the link.
AnsiString SafeWriteTarget(const AnsiString& fileName);
// Creates a new file beside Target with a name nobody else uses, held with an
// exclusive lock (flock) for as long as the handle is open, so that no start
// of the program takes it for one left behind; returns its handle (and
// name), or -1 with errno set.
int CreateSafeWriteTemporary(const AnsiString& target, AnsiString& tempName);
// Makes a rename in Target's folder durable, where the file system can.
void SyncFolderOf(const AnsiString& target);
