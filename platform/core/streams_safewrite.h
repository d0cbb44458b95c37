// The temporary files of SafeWriteFile (streams.cpp): where one is made, how
// it is named, and how a writer holds it (shared with the removal of those
// that writers ended before their rename left behind).
#pragma once

#include "platform/core/types.h"

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
