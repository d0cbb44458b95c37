// TCustomRollViewEdit: the clipboard. Pasting takes the first format the
// clipboard holds in the order RVF, RTF, text (Unicode or ANSI as the current
// text style wants), picture, metafile; each format goes in through the insertion
// bracket, so that deleting the selection and the paste are one undo group.
// Cutting is the viewer's copy followed by deleting the selection.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvrtfprops.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "platform/controls/clipbrd.h"
#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"

namespace {

const char* const RVFFormatName = "RollView Format";
const char* const RTFFormatName = "Rich Text Format";
const char* const HTMLFormatName = "HTML Format";

unsigned RVFFormat()
{
    return RegisterClipboardFormatA(RVFFormatName);
}

unsigned RTFFormat()
{
    return RegisterClipboardFormatA(RTFFormatName);
}

bool HasFormat(unsigned format)
{
    return Clipboard()->HasFormat(format);
}

// Sets the RTF import's base path for one paste and clears it afterwards,
// however the paste ends.
class TBasePathScope {
public:
    TBasePathScope(TRVRTFReaderProperties* properties, const AnsiString& path) : FProperties(properties)
    {
        FProperties->BasePath = path;
    }
    ~TBasePathScope() { FProperties->BasePath.clear(); }
    TBasePathScope(const TBasePathScope&) = delete;
    TBasePathScope& operator=(const TBasePathScope&) = delete;

private:
    TRVRTFReaderProperties* FProperties;
};

// %XX escapes decoded to their bytes; a malformed escape stays as it is.
AnsiString PercentDecode(const AnsiString& s)
{
    AnsiString out;
    for (size_t i = 0; i < s.size(); ++i) {
        const int hi = s[i] == '%' && i + 2 < s.size() ? HexDigitValue(s[i + 1]) : -1;
        const int lo = hi >= 0 ? HexDigitValue(s[i + 2]) : -1;
        if (lo < 0) {
            out += s[i];
            continue;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

bool StartsWithNoCase(const AnsiString& s, const AnsiString& prefix)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// The folder of a source URL, as a URL of a local file or a web page names it:
// a local file's folder as a path (file:// removed, %-escapes decoded), a web
// page's folder with its scheme; each with a trailing '/'. Empty for any other URL.
AnsiString BasePathFromSourceURL(const AnsiString& url)
{
    AnsiString scheme;
    for (const char* web : {"http://", "https://"})
        if (StartsWithNoCase(url, web))
            scheme = url.substr(0, AnsiString(web).size());
    const bool local = scheme.empty() && StartsWithNoCase(url, "file://");
    if (scheme.empty() && !local)
        return AnsiString();
    AnsiString rest = url.substr(local ? 7 : scheme.size());
    // The query and the fragment are not part of the path.
    const size_t end = rest.find_first_of("?#");
    if (end != AnsiString::npos)
        rest.erase(end);
    if (!local) {
        // A web address without a path names its root.
        if (rest.find('/') == AnsiString::npos)
            return scheme + rest + "/";
        return scheme + rest.substr(0, rest.rfind('/') + 1);
    }
    // file:///path and file://localhost/path are local; another host names a share.
    if (StartsWithNoCase(rest, "localhost/"))
        rest.erase(0, 9);
    else if (rest.empty() || rest[0] != '/')
        rest = "//" + rest;
    rest = PercentDecode(rest);
    return rest.substr(0, rest.rfind('/') + 1);
}

} // namespace

// ---------------------------------------------------------------------------
// What the clipboard holds

bool TCustomRollViewEdit::CanPasteRVF()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->CanPasteRVF();
    return HasFormat(RVFFormat());
}

bool TCustomRollViewEdit::CanPasteRTF()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->CanPasteRTF();
    return HasFormat(RTFFormat());
}

bool TCustomRollViewEdit::CanPaste()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->CanPaste();
    for (unsigned format : Clipboard()->Formats())
        if (format == CF_TEXT || format == CF_UNICODETEXT || format == CF_BITMAP ||
            format == CF_METAFILEPICT || format == RVFFormat() || format == RTFFormat())
            return true;
    return false;
}

AnsiString TCustomRollViewEdit::GetBasePathFromHTMLInClipboard()
{
    AnsiString block;
    if (!Clipboard()->GetAsBytes(RegisterClipboardFormatA(HTMLFormatName), block))
        return AnsiString();
    static const AnsiString key = "SourceURL:";
    const size_t at = block.find(key);
    if (at == AnsiString::npos)
        return AnsiString();
    const size_t from = at + key.size();
    const size_t to = block.find_first_of(AnsiString("\0\n\r", 3), from);
    return BasePathFromSourceURL(
        Trim(block.substr(from, to == AnsiString::npos ? AnsiString::npos : to - from)));
}

// ---------------------------------------------------------------------------
// Pasting

void TCustomRollViewEdit::Paste()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->Paste();
    if (!BeforeChange(false))
        return;
    bool doDefault = true;
    if (OnPaste)
        OnPaste(this, doDefault);
    if (!doDefault)
        return;
    try {
        const std::vector<unsigned> formats = Clipboard()->Formats();
        auto holds = [&](unsigned format) {
            return std::find(formats.begin(), formats.end(), format) != formats.end();
        };
        if (holds(RVFFormat())) {
            PasteRVF();
        } else if (holds(RTFFormat())) {
            PasteRTF();
        } else if (holds(CF_UNICODETEXT)) {
            const bool unicode = Style()->TextStyles()->Items(CurTextStyleNo())->Unicode();
            if (!unicode && holds(CF_TEXT))
                PasteText();
            else
                PasteTextW();
        } else if (holds(CF_TEXT)) {
            PasteText();
        } else if (holds(CF_BITMAP)) {
            PasteBitmap(false);
        } else if (holds(CF_METAFILEPICT)) {
            PasteMetafile(false);
        }
    } catch (const std::exception&) {
        // What went in before the failure was recorded and laid out; the
        // paste ends here.
        EditRVData()->EditBeep();
    }
}

void TCustomRollViewEdit::PasteRVF()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->PasteRVF();
    AnsiString block;
    if (!Clipboard()->GetAsBytes(RVFFormat(), block))
        return;
    // A length the block cannot hold is refused; what follows the N bytes is not read.
    const auto* b = reinterpret_cast<const unsigned char*>(block.data());
    const uint32_t length =
        block.size() < 4 ? 0 : b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    if (block.size() < 4 || length > block.size() - 4) {
        if (Style())
            EditRVData()->EditBeep();
        return;
    }
    TMemoryStream stream;
    stream.WriteBuffer(block.data() + 4, length);
    stream.SetPosition(0);
    InsertRVFFromStreamEd(&stream);
}

void TCustomRollViewEdit::PasteRTF()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->PasteRTF();
    AnsiString block;
    if (!Clipboard()->GetAsBytes(RTFFormat(), block))
        return;
    TMemoryStream stream;
    stream.WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
    stream.SetPosition(0);
    TBasePathScope scope(GetRTFReadProperties(), GetBasePathFromHTMLInClipboard());
    InsertRTFFromStreamEd(&stream);
}

void TCustomRollViewEdit::PasteText()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->PasteText();
    if (!HasFormat(CF_TEXT))
        return;
    // The clipboard's ANSI text is in the ANSI code page: it reaches the
    // current text style through UTF-16, by the code-page rules.
    const AnsiString raw = RVU_GetRawUnicode(AnsiToWide(Clipboard()->AsText(), CP_ACP));
    InsertInGroup([&] { return EditRVData()->InsertTextW_(raw, false); });
}

void TCustomRollViewEdit::PasteTextW()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->PasteTextW();
    AnsiString block;
    if (!Clipboard()->GetAsBytes(CF_UNICODETEXT, block))
        return;
    // Cut at the first zero unit within the block's whole units.
    size_t units = block.size() / 2;
    for (size_t i = 0; i < units; ++i)
        if (block[2 * i] == 0 && block[2 * i + 1] == 0) {
            units = i;
            break;
        }
    block.resize(units * 2);
    if (block.empty())
        return;
    InsertInGroup([&] { return EditRVData()->InsertTextW_(block, false); });
}

void TCustomRollViewEdit::PasteBitmap(bool textAsName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->PasteBitmap(textAsName);
    if (!HasFormat(CF_BITMAP))
        return;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(Clipboard());
    if (bitmap->Empty()) {
        if (Style())
            EditRVData()->EditBeep();
        return;
    }
    const AnsiString name = textAsName && HasFormat(CF_TEXT) ? Clipboard()->AsText() : AnsiString();
    InsertPicture(name, bitmap.release(), rvvaBaseline);
}

void TCustomRollViewEdit::PasteMetafile(bool textAsName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->PasteMetafile(textAsName);
    if (!HasFormat(CF_METAFILEPICT))
        return;
    auto metafile = std::make_unique<TMetafile>();
    metafile->Assign(Clipboard());
    if (metafile->Empty()) {
        if (Style())
            EditRVData()->EditBeep();
        return;
    }
    if (metafile->Inch() == 0)
        metafile->SetInch(1440);
    AnsiString name = textAsName && HasFormat(CF_TEXT) ? Clipboard()->AsText() : AnsiString();
    InsertInGroup([&] {
        TRVEditRVData* d = EditRVData();
        const int width = metafile->Width();
        const int height = metafile->Height();
        TCustomRVItemInfo* item = new TRVGraphicItemInfo(d, metafile.release(), rvvaBaseline);
        // The picture shows at the metafile's own size.
        static_cast<TRVGraphicItemInfo*>(item)->ImageWidth = width;
        static_cast<TRVGraphicItemInfo*>(item)->ImageHeight = height;
        return d->InsertSomething(item, name, true, false);
    });
}

void TCustomRollViewEdit::CutDef()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->CutDef();
    if (!BeforeChange(false))
        return;
    if (CopyDef())
        DeleteSelection();
}

// ---------------------------------------------------------------------------
// Messages

void TCustomRollViewEdit::HandleClipboardMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_CUT:
        CutDef();
        return;
    case WM_PASTE:
        Paste();
        return;
    case EM_CANPASTE: {
        message.Result = 0;
        if (GetReadOnly())
            return;
        const unsigned format = static_cast<unsigned>(message.WParam);
        if (format == 0)
            message.Result = CanPaste() ? 1 : 0;
        else if (format == CF_TEXT || format == CF_BITMAP || format == CF_METAFILEPICT ||
                 format == CF_UNICODETEXT)
            message.Result = HasFormat(format) ? 1 : 0;
        else if (format == RTFFormat())
            message.Result = CanPasteRTF() ? 1 : 0;
        else if (format == RVFFormat())
            message.Result = CanPasteRVF() ? 1 : 0;
        return;
    }
    default:
        return;
    }
}
