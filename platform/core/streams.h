// Streams of bytes: the abstract TStream, memory, file and string streams, and
// the safe way to replace a file. Positions and sizes are 64-bit.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/sysutils.h"

class TComponent;

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
// The class library's older names of the origins.
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

// The abstract stream: a position in a sequence of bytes. Read and Write
// report how much they moved; ReadBuffer and WriteBuffer move all or raise.
class TStream : public TObject {
public:
    const char* ClassName() const override { return "TStream"; }

    // Reads up to Count bytes; returns how many were read (0 at the end, on an
    // error or for a Count of 0 or less).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to Count bytes; returns how many were written (fewer on an error).
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new position, or -1 (position unchanged)
    // for a position before the start or one that does not fit 64 bits. A memory
    // stream lets the position pass the end (reads there return 0 bytes).
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t value) { Seek(value, soBeginning); }
    // The default finds the end by seeking there and back.
    virtual int64_t Size();
    // The default raises EStreamError: a stream must say how it changes its size.
    virtual void SetSize(int64_t newSize);

    // All or nothing: EReadError "Stream read error" / EWriteError "Stream write
    // error", followed by the system's reason when a file refused the write.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies Count bytes from Source's position (Count 0: all of Source from its
    // start); returns the bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);

    // Writes Instance as a component stream (the binary "TPF0" form).
    void WriteComponent(TComponent* instance);
    // Reads a component stream into Instance, or, when Instance is null, into a
    // new component of the registered class the stream names (owned by the caller).
    TComponent* ReadComponent(TComponent* instance);

    // The bytes from the position to the end, when the stream keeps them in
    // memory (a memory, string or view stream, or a window over one), so
    // that they can be read in place; valid until the stream's bytes change.
    // Null, with Count 0, for any other stream.
    virtual const char* BytesInMemory(int64_t& count);

protected:
    // The system's error number that ended the last Write short, for a stream
    // over a file; 0 when the system gave none, or when there is no file.
    virtual int WriteFault() const { return 0; }
};

// Bytes in memory. Memory() stays valid until the size changes. A write past
// the end grows the stream, the gap filled with zeros; a stream that cannot grow
// (past 1 TiB, or out of memory) writes nothing.
class TMemoryStream : public TStream {
public:
    const char* ClassName() const override { return "TMemoryStream"; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    // New bytes are zero; a position past the new end moves to it. EOutOfMemory
    // when the stream cannot grow, EStreamError for a negative size.
    void SetSize(int64_t newSize) override;

    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    const char* BytesInMemory(int64_t& count) override;
    void Clear();
    // All of Stream, from its start; on a failed read the stream is unchanged.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const; // all bytes, at Stream's position
    void LoadFromFile(const AnsiString& fileName);
    // Replaces the file only once every byte is written.
    void SaveToFile(const AnsiString& fileName) const;

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// A part of another stream seen as a stream of its own, so that a nested
// block is read or written in place instead of through a copy. Positions
// count from the window's start (Start in the base stream); the base is
// sought to the window's position before every read or write and is not
// owned. A fixed window holds Size bytes and writes nothing past them; a
// growing window starts empty and grows with what is written into it, the
// base's bytes beyond the window's end not counting as its own.
// A window over a window reads and writes the outermost base directly, so a
// block nested many levels deep costs no more per byte than one at the top;
// windows over windows nest strictly (an inner one goes before its outer one
// is used again), and a growing window hands its extent to a growing outer
// one when it goes. A window over a window stays inside it: it starts no
// earlier than the outer one, and grows no further than the outer one's end
// when that one is fixed (or than the outer one may grow): a write that would
// go past writes what fits, as a write past a fixed window's end does.
class TStreamWindow : public TStream {
public:
    TStreamWindow(TStream& base, int64_t start, int64_t size, bool grows);
    ~TStreamWindow() override;
    TStreamWindow(const TStreamWindow&) = delete;
    TStreamWindow& operator=(const TStreamWindow&) = delete;
    const char* ClassName() const override { return "TStreamWindow"; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }
    // A growing window only (EStreamError for a fixed one): new bytes are zero.
    void SetSize(int64_t newSize) override;
    const char* BytesInMemory(int64_t& count) override;

private:
    // Moves the base to the window's position; false when it cannot go there.
    bool SeekBase();
    // Writes zeros into the base from the window's end up to Position.
    bool FillTo(int64_t position);

    TStreamWindow* FOuter; // the window this one was opened in, or null
    TStream& FBase;        // never a window
    int64_t FStart = 0;    // in FBase
    int64_t FSize = 0;
    // The most the window may hold: its size when fixed, else as far as the
    // windows it is in let it grow (FStart + FRoom never overflows).
    int64_t FRoom = 0;
    int64_t FPosition = 0;
    bool FGrows;
};

// A file opened or created with the fm... modes of sysutils.h. fmCreate makes a
// new empty file or empties an existing one (EFCreateError when it cannot);
// otherwise the file is opened (EFOpenError; a folder cannot be opened). The
// share modes are accepted and have no effect here. The handle is owned, closed
// on exec and with the stream. Read and Write repeat the system call until all
// bytes moved, the end is reached or an error occurs. Nothing waits: a FIFO
// opens at once and a read returns only the bytes that are there.
class TFileStream : public TStream {
public:
    TFileStream(const AnsiString& fileName, unsigned mode);
    ~TFileStream() override;
    const char* ClassName() const override { return "TFileStream"; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Truncates or extends the file (EWriteError with the system's reason on
    // failure); a position past the new end moves to it.
    void SetSize(int64_t newSize) override;

    const AnsiString& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

protected:
    int WriteFault() const override { return FWriteFault; }

private:
    AnsiString FFileName;
    int FHandle = -1;
    int FWriteFault = 0;
};

// A memory stream over a string: DataString() is every byte written. It follows
// the memory stream's rules for positions, growth and SetSize.
class TStringStream : public TStream {
public:
    explicit TStringStream(const AnsiString& aString = AnsiString());
    const char* ClassName() const override { return "TStringStream"; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    const char* BytesInMemory(int64_t& count) override;

    const AnsiString& DataString() const { return FDataString; }
    // Reads Count bytes (fewer at the end) as a string.
    AnsiString ReadString(int64_t count);

private:
    AnsiString FDataString;
    int64_t FPosition = 0;
};

// Bytes kept elsewhere read as a stream in place, without a copy: it reads
// and seeks as a memory stream does and writes nothing. The bytes must stay
// unchanged while it is used.
class TBytesViewStream : public TStream {
public:
    TBytesViewStream(const void* bytes, int64_t size);
    const char* ClassName() const override { return "TBytesViewStream"; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }
    const char* BytesInMemory(int64_t& count) override;

private:
    const char* FBytes;
    int64_t FSize;
    int64_t FPosition = 0;
};

// Writes a file so that a failure never leaves a truncated file in place of a
// good one: Writer fills a temporary file in the same folder, which is flushed
// to disk and renamed over FileName (keeping an existing file's permission bits;
// a symbolic link is followed, so that the link stays and its target changes).
// Raises EFCreateError when the temporary file cannot be made and EWriteError
// (with the system's reason) when flushing or renaming fails; an exception
// from Writer passes unchanged.
// On any failure the temporary file is removed and the old file is untouched.
void SafeWriteFile(const AnsiString& fileName, const std::function<void(TStream& stream)>& writer);
// Its temporary file is held (locked) by the writer until it is renamed.
// Removes the temporary files that writes of FileName ended before their
// rename left beside it (a writer killed meanwhile), those that no running
// writer holds; the number removed.
int RemoveAbandonedTemporaries(const AnsiString& fileName);
