// Streams of bytes: the abstract TStream, memory, file and string streams, and
// the safe way to replace a file. Positions and sizes are 64-bit.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/sysutils.h"

class TComponent;

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
// The class library's older names of the origins.
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
public:
    const char* ClassName() const override { return "TStream"; }

    // Reads up to Count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    // Writes up to Count bytes; returns how many were written.
    virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
    // Moves the position; returns the new position. A memory stream lets the
    // position pass the end (reads there return 0 bytes).
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t value) { Seek(value, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);

    // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);
    // Copies Count bytes from Source's position (Count 0: all of Source from its
    // start); returns the bytes copied.
    int64_t CopyFrom(TStream& Source, int64_t Count);

    // Writes Instance as a component stream (the binary "TPF0" form).
    void WriteComponent(TComponent* Instance);
    // Reads a component stream into Instance, or, when Instance is null, into a
    // new component of the registered class the stream names (owned by the caller).
    TComponent* ReadComponent(TComponent* Instance);
};

// Bytes in memory. Memory() stays valid until the size changes.
class TMemoryStream : public TStream {
public:
    const char* ClassName() const override { return "TMemoryStream"; }
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t NewSize) override;  // new bytes are zero

    void* Memory() { return FData.data(); }
    const void* Memory() const { return FData.data(); }
    void Clear();
    void LoadFromStream(TStream& Stream);      // all of Stream, from its start
    void SaveToStream(TStream& Stream) const;  // all bytes, at Stream's position
    void LoadFromFile(const AnsiString& FileName);
    // Replaces the file only once every byte is written.
    void SaveToFile(const AnsiString& FileName) const;

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// A file opened or created with the fm... modes of sysutils.h. fmCreate makes a
// new empty file (EFCreateError when it cannot); otherwise the file is opened
// (EFOpenError). The share modes are accepted and have no effect here.
class TFileStream : public TStream {
public:
    TFileStream(const AnsiString& FileName, unsigned Mode);
    ~TFileStream() override;
    const char* ClassName() const override { return "TFileStream"; }
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;

    const AnsiString& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

private:
    AnsiString FFileName;
    int FHandle = -1;
};

// A memory stream over a string: DataString() is every byte written.
class TStringStream : public TStream {
public:
    explicit TStringStream(const AnsiString& AString = AnsiString());
    const char* ClassName() const override { return "TStringStream"; }
    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Write(const void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(int64_t NewSize) override;

    const AnsiString& DataString() const { return FDataString; }
    // Reads Count bytes (fewer at the end) as a string.
    AnsiString ReadString(int64_t Count);

private:
    AnsiString FDataString;
    int64_t FPosition = 0;
};

// Writes a file so that a failure never leaves a truncated file in place of a
// good one: Writer fills a temporary file in the same folder, which is flushed
// to disk and renamed over FileName (keeping an existing file's permissions).
// Raises EFCreateError when the temporary file cannot be made and EWriteError
// when writing or renaming fails; the old file is then untouched.
void SafeWriteFile(const AnsiString& FileName, const std::function<void(TStream& Stream)>& Writer);
