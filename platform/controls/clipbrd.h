// The clipboard: TClipboard and its global instance, the standard and registered
// format numbers, and their MIME types.
#pragma once

#include <vector>

#include "platform/core/object.h"
#include "platform/core/sysutils.h"

// Standard formats.
inline constexpr unsigned CF_TEXT = 1;         // ANSI text, zero-terminated
inline constexpr unsigned CF_BITMAP = 2;       // a picture (PNG bytes here)
inline constexpr unsigned CF_METAFILEPICT = 3; // a metafile (see ClipboardFormatMime)
inline constexpr unsigned CF_UNICODETEXT = 13; // UTF-16 text, two zero bytes at the end

// Registered formats are numbered from here on.
inline constexpr unsigned CF_REGISTERED_FIRST = 0xC000;

// The number of a format known by name, registering it on first use; the same
// number for the same name ignoring case, 0 for an empty name.
unsigned RegisterClipboardFormat(const AnsiString& name);
inline unsigned RegisterClipboardFormatA(const AnsiString& name)
{
    return RegisterClipboardFormat(name);
}
// The name a format was registered under; empty for others.
AnsiString GetClipboardFormatName(unsigned format);
// The MIME type that carries a format on the desktop's clipboard:
//   CF_TEXT, CF_UNICODETEXT       text/plain (UTF-8)
//   CF_BITMAP                     image/png
//   CF_METAFILEPICT               image/x-emf for an enhanced metafile, image/x-wmf
//                                 for an old-format one (read: the enhanced one
//                                 when both are offered)
//   "Rich Text Format"            text/rtf
//   "HTML Format"                 text/html
//   "RollView Format"             application/x-rollview-rvf
//   other registered names        application/x-kelvor-<name in lower case, each byte
//                                 other than a-z 0-9 . + - written as _ and two hex digits>
//   other numbers                 application/x-kelvor-format-<number>
AnsiString ClipboardFormatMime(unsigned format);

// The MIME types under which the desktop's programs offer metafiles: 1 for
// the forms of an enhanced metafile (image/x-emf, image/emf,
// application/x-openoffice-emf with or without parameters), 2 for those of
// an old-format one (image/x-wmf, image/wmf, application/x-openoffice-wmf,
// application/x-msmetafile), else 0. The UI services offer a clipboard that
// holds one as image/x-emf or image/x-wmf.
int MetafileMimeKind(const AnsiString& mime);

// The class library's clipboard over the UI services' clipboard.
//
// Writing: outside Open/Close every write replaces the whole clipboard. Between
// Open and Close the first write empties it, later writes add formats, and Close
// publishes them together (Open nests: the outermost Close publishes). Reading
// between them sees what was written so far.
//
// Text formats are converted: CF_TEXT is text in the ANSI code page, CF_UNICODETEXT
// UTF-16 (little-endian bytes); either is cut at its first zero character and
// published as UTF-8 text/plain with LF line ends (CR LF becomes LF), which
// both read back. Text that other programs publish is read with its
// line ends as they are. Byte blocks of the other formats go out and come back
// unchanged.
class TClipboard : public TPersistent {
public:
    const char* ClassName() const override { return "TClipboard"; }

    void Open();
    // Publishes what was written since Open when this ends the outermost Open;
    // a Close without Open does nothing.
    void Close();
    // Empties the clipboard (at Close when it is open).
    void Clear();

    bool HasFormat(unsigned format);
    // The formats offered now: CF_TEXT and CF_UNICODETEXT for text, CF_BITMAP for
    // a picture, and for every other MIME type of the table above its format
    // number (registering the name when needed). Foreign MIME types are left out.
    std::vector<unsigned> Formats();

    // The clipboard's text in the ANSI code page; empty when it holds none.
    AnsiString AsText();
    void SetAsText(const AnsiString& value);

    // Puts Size bytes under Format (see the class comment for text formats).
    void SetBuffer(unsigned format, const void* buffer, size_t size);
    // The bytes of Format as the platform hands out a block: CF_TEXT with one and
    // CF_UNICODETEXT with two zero bytes at the end; false when absent.
    bool GetAsBytes(unsigned format, AnsiString& data);

    // A graphic (or a picture's graphic) goes on as a picture (PNG); null or an
    // empty graphic empties the clipboard.
    void Assign(const TPersistent* source) override;

protected:
    // Into a TBitmap or a TPicture: the clipboard's picture, or an empty bitmap
    // when it holds none or one that cannot be decoded. Into a TMetafile: the
    // clipboard's metafile (an old-format one without a placeable header
    // takes the window its records set, at 96 units an inch), or an empty
    // metafile when it holds none or one that cannot be read.
    void AssignTo(TPersistent* dest) const override;

private:
    void Put(const AnsiString& mime, const AnsiString& data);
    bool Fetch(const AnsiString& mime, AnsiString& data) const;
    std::vector<AnsiString> OfferedMimes() const;

    int FOpenRefCount = 0;
    bool FEmptied = false;                                   // written to since the outermost Open
    std::vector<std::pair<AnsiString, AnsiString>> FPending; // MIME type, bytes
};

// The one clipboard of the program.
TClipboard* Clipboard();
