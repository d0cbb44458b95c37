// Exceptions of the class library and the string, number-conversion and file-name
// functions the system calls. Byte strings are AnsiString; positions count from 1.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>

#include "platform/core/types.h"

// ---------------------------------------------------------------------------
// Exceptions. Every error the system raises derives from Exception and carries
// its fixed message.

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
    const AnsiString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

#define KELVOR_EXCEPTION(Name, Base)                                                                         \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
    };

KELVOR_EXCEPTION(EListError, Exception) // bad list index, sorted-list misuse, duplicates
KELVOR_EXCEPTION(EStringListError, EListError)
KELVOR_EXCEPTION(EConvertError, Exception) // text that is not a number, bad Format, bad Assign
KELVOR_EXCEPTION(EStreamError, Exception)
KELVOR_EXCEPTION(EFileStreamError, EStreamError)
KELVOR_EXCEPTION(EFCreateError, EFileStreamError) // a file that cannot be created
KELVOR_EXCEPTION(EFOpenError, EFileStreamError)   // a file that cannot be opened
KELVOR_EXCEPTION(EReadError, EStreamError)        // a read past the end or a failed read
KELVOR_EXCEPTION(EWriteError, EStreamError)
KELVOR_EXCEPTION(EClassNotFound, Exception)    // a class name that is not registered
KELVOR_EXCEPTION(EComponentError, Exception)   // duplicate or invalid component names
KELVOR_EXCEPTION(EIniFileException, Exception) // an ini file that cannot be written
KELVOR_EXCEPTION(EInvalidOperation, Exception)
KELVOR_EXCEPTION(EOutOfMemory, Exception)

// The class library's fixed messages (used with Format where they hold a %).
namespace SysConst {
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SListCountError = "List count out of bounds (%d)";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted list";
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
// A write to a file that the system refused, with the system's reason.
inline constexpr const char* SWriteErrorEx = "Stream write error. %s";
inline constexpr const char* SFCreateErrorEx = "Cannot create file \"%s\". %s";
inline constexpr const char* SFOpenErrorEx = "Cannot open file \"%s\". %s";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SClassNotFound = "Class %s not found";
inline constexpr const char* SDuplicateName = "A component named %s already exists";
inline constexpr const char* SInvalidName = "''%s'' is not a valid component name";
inline constexpr const char* SIniFileWriteError = "Unable to write to %s";
} // namespace SysConst

// ---------------------------------------------------------------------------
// Format: the class library's Format for the conversions the system uses:
// %d %u %x %X %s %c %f %g %e %% with optional '-' flag, width and precision
// ("%.8x", "%5d", "%-10s", "%*d"). %x writes upper-case digits, a negative
// 32-bit value as its 32-bit pattern. %f, %e and %g write C's forms with '.'
// whatever the process locale (%f and %e default to 2 decimals, %g to 15
// digits). A specifier that does not match its argument, or too few arguments,
// raises EConvertError; arguments left over are ignored.

class TFormatArg {
public:
    enum class Kind { Int, UInt, Float, Str, Char };
    TFormatArg(int v) : FKind(Kind::Int), FInt(v) {}
    TFormatArg(long v) : FKind(Kind::Int), FInt(v) {}
    TFormatArg(long long v) : FKind(Kind::Int), FInt(v) {}
    TFormatArg(unsigned v) : FKind(Kind::UInt), FInt(static_cast<int64_t>(v)) {}
    TFormatArg(unsigned long v) : FKind(Kind::UInt), FInt(static_cast<int64_t>(v)) {}
    TFormatArg(unsigned long long v) : FKind(Kind::UInt), FInt(static_cast<int64_t>(v)) {}
    TFormatArg(double v) : FKind(Kind::Float), FFloat(v) {}
    TFormatArg(long double v) : FKind(Kind::Float), FFloat(v) {}
    TFormatArg(char v) : FKind(Kind::Char), FInt(static_cast<unsigned char>(v)) {}
    TFormatArg(const char* v) : FKind(Kind::Str), FStr(v ? v : "") {}
    TFormatArg(const AnsiString& v) : FKind(Kind::Str), FStr(v) {}

    Kind GetKind() const { return FKind; }
    int64_t AsInt() const { return FInt; }
    long double AsFloat() const { return FFloat; }
    const AnsiString& AsStr() const { return FStr; }

private:
    Kind FKind;
    int64_t FInt = 0;
    long double FFloat = 0;
    AnsiString FStr;
};

AnsiString Format(const AnsiString& format, std::initializer_list<TFormatArg> args);

// ---------------------------------------------------------------------------
// Strings. Index and result positions count from 1; 0 means "not found".

// Count bytes from Index; an Index below 1 counts from 1, a Count past the end stops there.
AnsiString Copy(const AnsiString& s, int64_t index, int64_t count);
// 0 for an empty sub; PosEx also for an offset below 1 or past the end.
int Pos(const AnsiString& sub, const AnsiString& s);
int PosEx(const AnsiString& sub, const AnsiString& s, int offset = 1);
// Nothing for an Index outside 1..Length or a Count below 1; a Count past the end stops there.
void Delete(AnsiString& s, int64_t index, int64_t count);
// An Index below 1 inserts in front, one past the end appends.
void Insert(const AnsiString& sub, AnsiString& s, int64_t index);
AnsiString StringOfChar(char c, int count);

// ASCII letters only. Comparisons return -1, 0 or 1, bytes compared unsigned.
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
int CompareStr(const AnsiString& a, const AnsiString& b);
int CompareText(const AnsiString& a, const AnsiString& b);
bool SameText(const AnsiString& a, const AnsiString& b);
// Letters of the ANSI code page (GetACP(); Unicode letters on a UTF-8 system),
// mapped one character at a time with Unicode's simple case mapping and no
// language rules. Bytes that are not characters of the code page stay as they
// are, and so does a letter whose other case the code page lacks. Comparisons
// go by code points (case-folded for the Text forms) and return -1, 0 or 1.
AnsiString AnsiUpperCase(const AnsiString& s);
AnsiString AnsiLowerCase(const AnsiString& s);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
bool AnsiSameText(const AnsiString& a, const AnsiString& b);

// Removes characters up to and including blank (control characters and spaces).
AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
// Linear in the length of s, whatever NewPattern holds; the replacement is never
// searched again. rfIgnoreCase matches with AnsiUpperCase on both sides.
AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         int flags);

// ---------------------------------------------------------------------------
// Numbers as text. Integers are read in decimal, or in hexadecimal after "$",
// "0x" or "0X", with an optional sign and leading spaces; nothing may follow.
// A decimal value outside the target type is not a number; hexadecimal without
// a sign is the type's bit pattern ("$FFFFFFFF" is -1 as a 32-bit integer), and
// "-$10" is -16. StrToInt and StrToInt64 raise EConvertError
// "'<text>' is not a valid integer value".
// IntToHex writes upper-case digits, at least `digits` of them; a negative value
// of 32 bits as its 32-bit pattern, a wider one as its 64 bits.

AnsiString IntToStr(int64_t value);
AnsiString IntToHex(int64_t value, int digits);
bool TryStrToInt(const AnsiString& s, int& value);
bool TryStrToInt64(const AnsiString& s, int64_t& value);
int StrToInt(const AnsiString& s); // raises EConvertError
int64_t StrToInt64(const AnsiString& s);
int StrToIntDef(const AnsiString& s, int def);
int64_t StrToInt64Def(const AnsiString& s, int64_t def);
// The value of a hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);

// ---------------------------------------------------------------------------
// File names ('/' separates folders) and files.

inline constexpr char PathDelim = '/';
AnsiString ExtractFilePath(const AnsiString& fileName); // with the final '/'
AnsiString ExtractFileDir(const AnsiString& fileName);  // without it
AnsiString ExtractFileName(const AnsiString& fileName);
AnsiString ExtractFileExt(const AnsiString& fileName); // with the '.', or empty
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& path);

// A path that is not absolute is taken from the current folder; "." and ".."
// are resolved by the name alone (no links followed). Empty when there is no name.
AnsiString ExpandFileName(const AnsiString& fileName);

bool FileExists(const AnsiString& fileName); // a regular file (or a link to one)
bool DirectoryExists(const AnsiString& dirName);
// The file exists and may not be written: its owner-write bit is clear (also for
// root, whom every access check lets through), or this process may not write it.
bool FileIsReadOnly(const AnsiString& fileName);
bool DeleteFile(const AnsiString& fileName);
// Replaces an existing file of the new name (POSIX rename).
bool RenameFile(const AnsiString& oldName, const AnsiString& newName);
// Creates the folder and any missing folders above it; true when it exists afterwards.
bool ForceDirectories(const AnsiString& dirName);
AnsiString GetEnvironmentVariable(const AnsiString& name);
// The system's text for an error number (errno), for messages.
AnsiString SysErrorMessage(int errorCode);

// File handles: -1 is an invalid handle (errno tells why). Offsets and sizes are
// 64-bit. Handles are not inherited by child processes. FileOpen opens for
// reading, writing or both after the low bits of the mode; the share bits are
// accepted but not enforced (POSIX has no binding equivalent); a folder does
// not open, and opening a named pipe does not wait for its other end.
// FileCreate creates or empties a file for reading and writing. FileRead reads
// what is there (up to count, 0 at the end); FileWrite writes all of it unless
// an error stops it; both return -1 when nothing could be done.
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};
int FileOpen(const AnsiString& fileName, unsigned mode);
int FileCreate(const AnsiString& fileName);
int64_t FileRead(int handle, void* buffer, int64_t count);
int64_t FileWrite(int handle, const void* buffer, int64_t count);
int64_t FileSeek(int handle, int64_t offset, int origin); // origin 0 start, 1 current, 2 end
void FileClose(int handle);
