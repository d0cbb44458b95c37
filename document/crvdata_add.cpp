// The item store: appending items in paragraph and line mode, text lines and
// blocks, breaks, bullets, hot spots and pending checkpoints.
#include <memory>
#include <utility>

#include "document/crvdata.h"
#include "document/rvfuncs.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"

namespace {

// Calls Line(first, length) for every line of s. A line ends at CR LF, at a
// lone CR or at a lone LF (the same lines as after turning every line end into
// CR LF); the text after the last line end is the last line, empty when s ends
// with a line end.
template <class Fn> void ForEachLine(const AnsiString& s, Fn&& line)
{
    size_t pos = 0;
    for (;;) {
        const size_t brk = s.find_first_of("\r\n", pos);
        if (brk == AnsiString::npos)
            break;
        line(pos, brk - pos);
        pos = brk + (s[brk] == '\r' && brk + 1 < s.size() && s[brk + 1] == '\n' ? 2 : 1);
    }
    line(pos, s.size() - pos);
}

// Restores the store's paragraph mode however the block is left.
class TParagraphModeGuard {
public:
    explicit TParagraphModeGuard(TCustomRVData* data) : FData(data), FSaved(data->AddParagraphMode) {}
    ~TParagraphModeGuard() { FData->AddParagraphMode = FSaved; }
    TParagraphModeGuard(const TParagraphModeGuard&) = delete;
    TParagraphModeGuard& operator=(const TParagraphModeGuard&) = delete;

private:
    TCustomRVData* FData;
    bool FSaved;
};

} // namespace

void TCustomRVData::AddItem(AnsiString text, TCustomRVItemInfo* item)
{
    TCustomRVItemInfo* last = LastItem();
    if (item->ParaNo == -1 && last && !last->GetBoolValue(rvbpFullWidth)) {
        // Continue the line of the last item.
        item->SetSameAsPrev(true);
        item->ParaNo = last->ParaNo;
    } else {
        // A marker is never followed directly by the first item of a new
        // paragraph: an empty text item joins the marker's line first.
        if (last && last->StyleNo == rvsListMarker)
            AddNL(AnsiString(), 0, -1);
        const bool fullWidth = item->GetBoolValue(rvbpFullWidth);
        const bool br = item->GetBR();
        item->SetSameAsPrev(false);
        item->SetBR((br || !AddParagraphMode) && !fullWidth);
        if (item->ParaNo == -1)
            item->ParaNo = 0;
    }

    // A checkpoint the item brings along becomes the pending one, unless one is
    // pending already; either way its record is not needed any more.
    if (item->GetCheckpoint()) {
        std::unique_ptr<TRVCPInfo> carried(item->GetCheckpoint());
        item->SetCheckpoint(nullptr);
        if (!NotAddedCP)
            AddNamedCheckpointExTag(carried->Name, carried->RaiseEvent, carried->Tag);
    }

    TRVCPInfo* attached = NotAddedCP;
    SetCP(item, LastCP, NotAddedCP);
    try {
        UpdateItemPaletteInfo(item, false);
        item->Inserting(this, text, false);
        Items->AddObject(std::move(text), item);
    } catch (...) {
        // The item stays the caller's: give the checkpoint back as the pending one.
        if (attached) {
            item->SetCheckpoint(nullptr);
            UnlinkCheckpoint(attached, false);
            NotAddedCP = attached;
        }
        throw;
    }
    item->Inserted(this, Items->Count() - 1);
}

bool TCustomRVData::HasUnicodeStyle(int styleNo)
{
    TRVStyle* style = GetRVStyle();
    return style && style->TextStyles()->Items(styleNo)->Unicode();
}

AnsiString TCustomRVData::ReplaceTabs(AnsiString s, int styleNo, bool unicode)
{
    if (s.find('\t') == AnsiString::npos)
        return s;
    TRVStyle* style = GetRVStyle();
    if (!style)
        return unicode ? RV_ReplaceTabsW(s, 8) : RV_ReplaceTabsA(s, 8);
    if (style->TextStyles()->Items(styleNo)->Unicode())
        return RV_ReplaceTabsW(s, style->SpacesInTab());
    return RV_ReplaceTabsA(s, style->SpacesInTab());
}

void TCustomRVData::AddNLTag(AnsiString s, int styleNo, int paraNo, const TRVTag& tag)
{
    const bool unicode = HasUnicodeStyle(styleNo);
    // Text for a Unicode style is UTF-16: half a code unit cannot be stored.
    if (unicode)
        RVCheckUni(static_cast<int64_t>(s.size()));
    std::unique_ptr<TCustomRVItemInfo> item(RollViewTextItemClass->Create(this));
    item->StyleNo = styleNo;
    item->ParaNo = paraNo;
    item->SetTag(tag);
    if (unicode)
        item->ItemOptions.Include(rvioUnicode);
    AddItem(ReplaceTabs(std::move(s), styleNo, false), item.get());
    item.release();
}

void TCustomRVData::AddFmt(const AnsiString& formatStr, std::initializer_list<TFormatArg> args, int styleNo,
                           int paraNo)
{
    AddNL(Format(formatStr, args), styleNo, paraNo);
}

void TCustomRVData::AddNLATag(const AnsiString& s, int styleNo, int paraNo, const TRVTag& tag)
{
    if (HasUnicodeStyle(styleNo))
        AddNLTag(RVU_AnsiToUnicode(GetStyleCodePage(styleNo), s), styleNo, paraNo, tag);
    else
        AddNLTag(s, styleNo, paraNo, tag);
}

void TCustomRVData::AddNLWTag(const WideString& s, int styleNo, int paraNo, const TRVTag& tag)
{
    AnsiString raw = RVU_GetRawUnicode(s);
    if (GetRVStyle() && !HasUnicodeStyle(styleNo))
        raw = RVU_UnicodeToAnsi(GetStyleCodePage(styleNo), raw);
    AddNLTag(raw, styleNo, paraNo, tag);
}

void TCustomRVData::AddTextNL(const AnsiString& s, int StyleNo, int firstParaNo, int OtherParaNo,
                              const TRVTag& Tag)
{
    const bool TagsPC = TagsArePChars();
    int paraNo = firstParaNo;
    ForEachLine(s, [&](size_t first, size_t length) {
        // An empty line that would only continue the last line adds nothing.
        if (!(paraNo == -1 && length == 0))
            AddNLTag(s.substr(first, length), StyleNo, paraNo, RV_CopyTag(Tag, TagsPC));
        if (AddParagraphMode)
            paraNo = OtherParaNo;
    });
}

void TCustomRVData::AddTextBlockNL(const AnsiString& s, int styleNo, int ParaNo, const TRVTag& Tag)
{
    const bool TagsPC = TagsArePChars();
    TParagraphModeGuard guard(this);
    AddParagraphMode = true;
    ForEachLine(s, [&](size_t first, size_t length) {
        AddNLTag(s.substr(first, length), styleNo, ParaNo, RV_CopyTag(Tag, TagsPC));
        AddParagraphMode = false;
    });
}

int TCustomRVData::AddNamedCheckpointExTag(const AnsiString& cpName, bool raiseEvent, const TRVTag& tag)
{
    if (NotAddedCP)
        return CPCount - 1;
    TRVCPInfo* cp = new TRVCPInfo;
    cp->Name = cpName;
    cp->Tag = tag;
    cp->RaiseEvent = raiseEvent;
    NotAddedCP = cp;
    return CPCount++;
}

void TCustomRVData::AddBreakExTag(uint8_t width, TRVBreakStyle style, TColor color, const TRVTag& tag)
{
    std::unique_ptr<TRVBreakItemInfo> item(new TRVBreakItemInfo(this, width, style, color));
    item->SetSameAsPrev(false);
    item->ParaNo = 0;
    item->SetTag(tag);
    AddItem(AnsiString(), item.get());
    item.release();
}

void TCustomRVData::AddHotspotExTag(const AnsiString& name, int imageIndex, int hotImageIndex,
                                    TCustomImageList* imageList, int paraNo, const TRVTag& tag)
{
    std::unique_ptr<TRVHotspotItemInfo> item(
        new TRVHotspotItemInfo(this, imageIndex, hotImageIndex, imageList, rvvaBaseline));
    item->ParaNo = paraNo;
    item->SetTag(tag);
    AddItem(name, item.get());
    item.release();
}

void TCustomRVData::AddBulletExTag(const AnsiString& name, int imageIndex, TCustomImageList* imageList,
                                   int paraNo, const TRVTag& tag)
{
    std::unique_ptr<TRVBulletItemInfo> item(new TRVBulletItemInfo(this, imageIndex, imageList, rvvaBaseline));
    item->ParaNo = paraNo;
    item->SetTag(tag);
    AddItem(name, item.get());
    item.release();
}
