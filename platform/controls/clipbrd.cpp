// The clipboard: format numbers and names, their MIME types, text conversion,
// pictures as PNG, and the Open/Close grouping of writes.
#include "platform/controls/clipbrd.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstring>

#include "platform/controls/uiservices.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/icon.h"
#include "platform/graphics/metafile.h"
#include "platform/graphics/picture.h"
#include "platform/graphics/pixelbuffer_qt.h"

namespace {

const char* const kTextMime = "text/plain";
const char* const kPngMime = "image/png";
const char* const kEmfMime = "image/x-emf";
const char* const kWmfMime = "image/x-wmf";
const char* const kPrivatePrefix = "application/x-kelvor-";
const char* const kNumberPrefix = "application/x-kelvor-format-";

// Names with a MIME type of their own on the desktop's clipboard.
struct TKnownFormat {
    const char* Name;
    const char* Mime;
};
const TKnownFormat kKnownFormats[] = {
    {"Rich Text Format", "text/rtf"},
    {"HTML Format", "text/html"},
    {"RollView Format", "application/x-rollview-rvf"},
    {"PNG", "image/png"},
};

// Registered names; format CF_REGISTERED_FIRST + i is names[i]. The range ends
// at 0xFFFF, as the platform's does.
std::vector<AnsiString>& RegisteredNames()
{
    static std::vector<AnsiString> names;
    return names;
}
constexpr size_t kMaxRegistered = 0x10000 - CF_REGISTERED_FIRST;

bool IsPlainMimeChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-';
}

AnsiString EscapeName(const AnsiString& name)
{
    static const char hex[] = "0123456789ABCDEF";
    AnsiString out;
    for (char ch : name) {
        char c = (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
        if (IsPlainMimeChar(c)) {
            out += c;
        } else {
            auto b = static_cast<unsigned char>(c);
            out += '_';
            out += hex[b >> 4];
            out += hex[b & 15];
        }
    }
    return out;
}

// The name behind an escaped MIME suffix; false when it is not one we write.
bool UnescapeName(const AnsiString& escaped, AnsiString& name)
{
    name.clear();
    for (size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        if (IsPlainMimeChar(c)) {
            name += c;
            continue;
        }
        if (c != '_' || i + 2 >= escaped.size())
            return false;
        int hi = HexDigitValue(escaped[i + 1]);
        int lo = HexDigitValue(escaped[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        name += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return !name.empty();
}

// The format a MIME type carries, 0 for a foreign type; text/plain is
// answered by the caller (it stands for two formats).
unsigned FormatOfMime(const AnsiString& mime)
{
    if (mime == kPngMime)
        return CF_BITMAP;
    if (mime == kEmfMime || mime == kWmfMime)
        return CF_METAFILEPICT;
    for (const TKnownFormat& known : kKnownFormats)
        if (mime == known.Mime)
            return RegisterClipboardFormat(known.Name);
    if (mime.compare(0, std::strlen(kNumberPrefix), kNumberPrefix) == 0) {
        int number = 0;
        AnsiString digits = mime.substr(std::strlen(kNumberPrefix));
        if (!digits.empty() &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            TryStrToInt(digits, number) && number > 0 && number < static_cast<int>(CF_REGISTERED_FIRST))
            return static_cast<unsigned>(number);
        return 0;
    }
    if (mime.compare(0, std::strlen(kPrivatePrefix), kPrivatePrefix) == 0) {
        AnsiString name;
        if (UnescapeName(mime.substr(std::strlen(kPrivatePrefix)), name))
            return RegisterClipboardFormat(name);
    }
    return 0;
}

// Text as the desktop's programs expect it: a CR LF line end becomes LF. A
// CR alone is no line end that the system writes, and stays.
AnsiString WithLfLineEnds(const AnsiString& text)
{
    if (text.find("\r\n") == AnsiString::npos)
        return text;
    AnsiString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n')
            out += text[i];
    return out;
}

AnsiString CutAtZero(const char* data, size_t size)
{
    const void* zero = std::memchr(data, 0, size);
    return AnsiString(data, zero ? static_cast<const char*>(zero) - data : size);
}

// UTF-16 little-endian bytes up to the first zero unit (an odd last byte is no unit).
WideString WideFromBytes(const void* buffer, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    WideString text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        auto unit = static_cast<WideChar>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0)
            break;
        text += unit;
    }
    return text;
}

AnsiString PngFromPixels(const TPixelBuffer& pixels)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ImageOfPixels(pixels).save(&buffer, "PNG");
    return AnsiString(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The decoded picture; empty for data that is no picture or one too large.
TPixelBuffer PixelsFromImageData(const AnsiString& data)
{
    QImage image;
    if (data.empty() || data.size() > static_cast<size_t>(INT32_MAX) ||
        !image.loadFromData(reinterpret_cast<const uchar*>(data.data()), static_cast<int>(data.size())))
        return TPixelBuffer();
    if (image.width() > GraphicMaxSide || image.height() > GraphicMaxSide ||
        int64_t(image.width()) * image.height() > GraphicMaxPixels)
        return TPixelBuffer();
    return PixelsOfImage(image);
}

// The pixels a graphic shows: its own for bitmaps and icons, else drawn on white.
TPixelBuffer GraphicPixels(const TGraphic* graphic)
{
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        const TPinnedPixels pixels = bitmap->Pixels();
        return *pixels;
    }
    if (const auto* icon = dynamic_cast<const TIcon*>(graphic))
        return icon->Pixels();
    TBitmap canvasBitmap;
    canvasBitmap.SetSize(graphic->Width(), graphic->Height());
    // Drawing reads the graphic only; the canvas call takes it non-const.
    canvasBitmap.Canvas()->StretchDraw(Rect(0, 0, graphic->Width(), graphic->Height()),
                                       const_cast<TGraphic*>(graphic));
    const TPinnedPixels pixels = canvasBitmap.Pixels();
    return *pixels;
}

} // namespace

unsigned RegisterClipboardFormat(const AnsiString& name)
{
    if (name.empty())
        return 0;
    std::vector<AnsiString>& names = RegisteredNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], name))
            return CF_REGISTERED_FIRST + static_cast<unsigned>(i);
    if (names.size() >= kMaxRegistered)
        return 0;
    names.push_back(name);
    return CF_REGISTERED_FIRST + static_cast<unsigned>(names.size() - 1);
}

AnsiString GetClipboardFormatName(unsigned format)
{
    const std::vector<AnsiString>& names = RegisteredNames();
    if (format < CF_REGISTERED_FIRST || format - CF_REGISTERED_FIRST >= names.size())
        return AnsiString();
    return names[format - CF_REGISTERED_FIRST];
}

int MetafileMimeKind(const AnsiString& mime)
{
    // The type without its parameters, in lower case.
    AnsiString type = mime.substr(0, mime.find(';'));
    std::transform(type.begin(), type.end(), type.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    for (const char* emf : {"image/x-emf", "image/emf", "application/x-openoffice-emf"})
        if (type == emf)
            return 1;
    for (const char* wmf :
         {"image/x-wmf", "image/wmf", "application/x-openoffice-wmf", "application/x-msmetafile"})
        if (type == wmf)
            return 2;
    return 0;
}

AnsiString ClipboardFormatMime(unsigned format)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT)
        return kTextMime;
    if (format == CF_BITMAP)
        return kPngMime;
    if (format == CF_METAFILEPICT)
        return kWmfMime;
    AnsiString name = GetClipboardFormatName(format);
    if (name.empty())
        return kNumberPrefix + IntToStr(format);
    for (const TKnownFormat& known : kKnownFormats)
        if (SameText(name, known.Name))
            return known.Mime;
    return kPrivatePrefix + EscapeName(name);
}

// ---------------------------------------------------------------------------

void TClipboard::Open()
{
    if (FOpenRefCount++ == 0) {
        FEmptied = false;
        FPending.clear();
    }
}

void TClipboard::Close()
{
    if (FOpenRefCount == 0 || --FOpenRefCount > 0)
        return;
    if (FEmptied) {
        std::vector<TClipboardItem> items;
        for (auto& entry : FPending)
            items.push_back({entry.first, entry.second});
        FPending.clear();
        FEmptied = false;
        UIServices().SetClipboard(items);
    }
}

void TClipboard::Clear()
{
    if (FOpenRefCount == 0) {
        UIServices().SetClipboard({});
        return;
    }
    FPending.clear();
    FEmptied = true;
}

void TClipboard::Put(const AnsiString& mime, const AnsiString& data)
{
    if (FOpenRefCount == 0) {
        UIServices().SetClipboard({{mime, data}});
        return;
    }
    if (!FEmptied) {
        FPending.clear();
        FEmptied = true;
    }
    for (auto& entry : FPending)
        if (entry.first == mime) {
            entry.second = data;
            return;
        }
    FPending.emplace_back(mime, data);
}

bool TClipboard::Fetch(const AnsiString& mime, AnsiString& data) const
{
    if (FEmptied) {
        for (const auto& entry : FPending)
            if (entry.first == mime) {
                data = entry.second;
                return true;
            }
        return false;
    }
    return UIServices().GetClipboard(mime, data);
}

std::vector<AnsiString> TClipboard::OfferedMimes() const
{
    if (!FEmptied)
        return UIServices().ClipboardFormats();
    std::vector<AnsiString> mimes;
    for (const auto& entry : FPending)
        mimes.push_back(entry.first);
    return mimes;
}

bool TClipboard::HasFormat(unsigned format)
{
    AnsiString mime = ClipboardFormatMime(format);
    std::vector<AnsiString> offered = OfferedMimes();
    if (format == CF_METAFILEPICT)
        return std::find(offered.begin(), offered.end(), kEmfMime) != offered.end() ||
               std::find(offered.begin(), offered.end(), kWmfMime) != offered.end();
    return std::find(offered.begin(), offered.end(), mime) != offered.end();
}

std::vector<unsigned> TClipboard::Formats()
{
    std::vector<unsigned> formats;
    for (const AnsiString& mime : OfferedMimes()) {
        if (mime == kTextMime) {
            formats.push_back(CF_TEXT);
            formats.push_back(CF_UNICODETEXT);
            continue;
        }
        unsigned format = FormatOfMime(mime);
        if (format != 0 && std::find(formats.begin(), formats.end(), format) == formats.end())
            formats.push_back(format);
    }
    return formats;
}

AnsiString TClipboard::AsText()
{
    AnsiString utf8;
    if (!Fetch(kTextMime, utf8))
        return AnsiString();
    AnsiString text = WideToAnsi(UTF8Decode(utf8));
    return CutAtZero(text.data(), text.size());
}

void TClipboard::SetAsText(const AnsiString& value)
{
    SetBuffer(CF_TEXT, value.data(), value.size());
}

void TClipboard::SetBuffer(unsigned format, const void* buffer, size_t size)
{
    if (size > 0 && !buffer)
        size = 0;
    const char* bytes = static_cast<const char*>(buffer);
    // UTF-8 holds CR and LF bytes only as those characters: the line ends
    // are changed in the encoded text.
    if (format == CF_TEXT) {
        Put(kTextMime, WithLfLineEnds(UTF8Encode(AnsiToWide(CutAtZero(bytes ? bytes : "", size)))));
        return;
    }
    if (format == CF_UNICODETEXT) {
        Put(kTextMime, WithLfLineEnds(UTF8Encode(WideFromBytes(buffer, size))));
        return;
    }
    if (format == CF_METAFILEPICT) {
        // An enhanced metafile starts with its header record (type 1, " EMF" at 40).
        const bool enhanced =
            size >= 44 && std::memcmp(bytes, "\1\0\0\0", 4) == 0 && std::memcmp(bytes + 40, " EMF", 4) == 0;
        Put(enhanced ? kEmfMime : kWmfMime, AnsiString(bytes, size));
        return;
    }
    Put(ClipboardFormatMime(format), AnsiString(bytes ? bytes : "", size));
}

bool TClipboard::GetAsBytes(unsigned format, AnsiString& data)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT) {
        AnsiString utf8;
        if (!Fetch(kTextMime, utf8))
            return false;
        if (format == CF_TEXT) {
            data = AsText();
            data += '\0';
            return true;
        }
        WideString text = UTF8Decode(utf8);
        data.clear();
        data.reserve(text.size() * 2 + 2);
        for (WideChar unit : text) {
            if (unit == 0)
                break;
            data += static_cast<char>(unit & 0xFF);
            data += static_cast<char>(unit >> 8);
        }
        data.append(2, '\0');
        return true;
    }
    if (format == CF_METAFILEPICT)
        return Fetch(kEmfMime, data) || Fetch(kWmfMime, data);
    return Fetch(ClipboardFormatMime(format), data);
}

void TClipboard::Assign(const TPersistent* source)
{
    if (const auto* picture = dynamic_cast<const TPicture*>(source))
        source = picture->Graphic();
    else if (source && !dynamic_cast<const TGraphic*>(source)) {
        TPersistent::Assign(source);
        return;
    }
    const auto* graphic = static_cast<const TGraphic*>(source);
    if (!graphic || graphic->Empty()) {
        Clear();
        return;
    }
    Put(kPngMime, PngFromPixels(GraphicPixels(graphic)));
}

void TClipboard::AssignTo(TPersistent* dest) const
{
    if (auto* metafile = dynamic_cast<TMetafile*>(dest)) {
        metafile->Assign(nullptr);
        AnsiString data;
        if (!Fetch(kEmfMime, data) && !Fetch(kWmfMime, data))
            return;
        const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
        TRect window;
        const bool placeable =
            data.size() >= 4 && bytes[0] == 0xD7 && bytes[1] == 0xCD && bytes[2] == 0xC6 && bytes[3] == 0x9A;
        const bool enhanced =
            data.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0;
        if (!placeable && !enhanced && metafileplayer::WindowOfWmf(bytes, data.size(), window)) {
            const std::vector<uint8_t> header = metafilewriter::PlaceableHeader(
                std::abs(window.Right - window.Left), std::abs(window.Bottom - window.Top), 96);
            data = AnsiString(header.begin(), header.end()) + data;
        }
        TMemoryStream stream;
        stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        stream.SetPosition(0);
        try {
            metafile->LoadFromStream(stream);
        } catch (const Exception&) {
            metafile->Assign(nullptr);
        }
        return;
    }
    auto* bitmap = dynamic_cast<TBitmap*>(dest);
    if (auto* picture = dynamic_cast<TPicture*>(dest))
        bitmap = picture->Bitmap();
    if (!bitmap) {
        TPersistent::AssignTo(dest);
        return;
    }
    AnsiString data;
    TPixelBuffer pixels;
    if (Fetch(kPngMime, data))
        pixels = PixelsFromImageData(data);
    bitmap->SetPixels(pixels);
}

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}
