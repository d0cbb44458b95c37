// The item store: appending items in paragraph and line mode, text lines and
// blocks, breaks, bullets, hot spots and pending checkpoints.
#include <memory>

#include "document/crvdata.h"
#include "document/rvfuncs.h"
#include "document/rvstyle.h"
#include "document/rvuni.h"

namespace {

// Calls Line(first, length) for every line of s. A line ends at CR LF, at a
// lone CR or at a lone LF (the same lines as after turning every line end into
// CR LF); the text after the last line end is the last line, empty when s ends
// with a line end.
template <class Fn> void ForEachLine(const AnsiString& s, Fn&& Line)
{
    size_t Pos = 0;
    for (;;) {
        const size_t Brk = s.find_first_of("\r\n", Pos);
        if (Brk == AnsiString::npos)
            break;
        Line(Pos, Brk - Pos);
        Pos = Brk + (s[Brk] == '\r' && Brk + 1 < s.size() && s[Brk + 1] == '\n' ? 2 : 1);
    }
    Line(Pos, s.size() - Pos);
}

// Restores the store's paragraph mode however the block is left.
class TParagraphModeGuard {
public:
    explicit TParagraphModeGuard(TCustomRVData* Data) : FData(Data), FSaved(Data->AddParagraphMode) {}
    ~TParagraphModeGuard() { FData->AddParagraphMode = FSaved; }
    TParagraphModeGuard(const TParagraphModeGuard&) = delete;
    TParagraphModeGuard& operator=(const TParagraphModeGuard&) = delete;

private:
    TCustomRVData* FData;
    bool FSaved;
};

} // namespace

void TCustomRVData::AddItem(const AnsiString& Text, TCustomRVItemInfo* Item)
{
    TCustomRVItemInfo* Last = LastItem();
    if (Item->ParaNo == -1 && Last && !Last->GetBoolValue(rvbpFullWidth)) {
        // Continue the line of the last item.
        Item->SetSameAsPrev(true);
        Item->ParaNo = Last->ParaNo;
    } else {
        // A marker is never followed directly by the first item of a new
        // paragraph: an empty text item joins the marker's line first.
        if (Last && Last->StyleNo == rvsListMarker)
            AddNL(AnsiString(), 0, -1);
        const bool FullWidth = Item->GetBoolValue(rvbpFullWidth);
        const bool BR = Item->GetBR();
        Item->SetSameAsPrev(false);
        Item->SetBR((BR || !AddParagraphMode) && !FullWidth);
        if (Item->ParaNo == -1)
            Item->ParaNo = 0;
    }

    // A checkpoint the item brings along becomes the pending one, unless one is
    // pending already; either way its record is not needed any more.
    if (Item->Checkpoint) {
        std::unique_ptr<TRVCPInfo> Carried(Item->Checkpoint);
        Item->Checkpoint = nullptr;
        if (!NotAddedCP)
            AddNamedCheckpointExTag(Carried->Name, Carried->RaiseEvent, Carried->Tag);
    }

    TRVCPInfo* Attached = NotAddedCP;
    SetCP(Item, LastCP, NotAddedCP);
    try {
        Item->UpdatePaletteInfo(GetDoInPaletteMode(), false, GetRVPalette(), GetRVLogPalette());
        AnsiString s = Text;
        Item->Inserting(this, s, false);
        Items->AddObject(s, Item);
    } catch (...) {
        // The item stays the caller's: give the checkpoint back as the pending one.
        if (Attached) {
            Item->Checkpoint = nullptr;
            UnlinkCheckpoint(Attached, false);
            NotAddedCP = Attached;
        }
        throw;
    }
    Item->Inserted(this, Items->Count() - 1);
}

bool TCustomRVData::HasUnicodeStyle(int StyleNo)
{
    TRVStyle* Style = GetRVStyle();
    return Style && Style->TextStyles()->Items(StyleNo)->Unicode();
}

AnsiString TCustomRVData::ReplaceTabs(const AnsiString& s, int StyleNo, bool Unicode)
{
    if (s.find('\t') == AnsiString::npos)
        return s;
    TRVStyle* Style = GetRVStyle();
    if (!Style)
        return Unicode ? RV_ReplaceTabsW(s, 8) : RV_ReplaceTabsA(s, 8);
    if (Style->TextStyles()->Items(StyleNo)->Unicode())
        return RV_ReplaceTabsW(s, Style->SpacesInTab());
    return RV_ReplaceTabsA(s, Style->SpacesInTab());
}

void TCustomRVData::AddNLTag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    const bool Unicode = HasUnicodeStyle(StyleNo);
    // Text for a Unicode style is UTF-16: half a code unit cannot be stored.
    if (Unicode)
        RVCheckUni(static_cast<int64_t>(s.size()));
    std::unique_ptr<TCustomRVItemInfo> Item(RollViewTextItemClass->Create(this));
    Item->StyleNo = StyleNo;
    Item->ParaNo = ParaNo;
    Item->Tag = Tag;
    if (Unicode)
        Item->ItemOptions.Include(rvioUnicode);
    AddItem(ReplaceTabs(s, StyleNo, false), Item.get());
    Item.release();
}

void TCustomRVData::AddFmt(const AnsiString& FormatStr, std::initializer_list<TFormatArg> Args, int StyleNo,
                           int ParaNo)
{
    AddNL(Format(FormatStr, Args), StyleNo, ParaNo);
}

void TCustomRVData::AddNLATag(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    if (HasUnicodeStyle(StyleNo))
        AddNLTag(RVU_AnsiToUnicode(GetStyleCodePage(StyleNo), s), StyleNo, ParaNo, Tag);
    else
        AddNLTag(s, StyleNo, ParaNo, Tag);
}

void TCustomRVData::AddNLWTag(const WideString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    AnsiString Raw = RVU_GetRawUnicode(s);
    if (GetRVStyle() && !HasUnicodeStyle(StyleNo))
        Raw = RVU_UnicodeToAnsi(GetStyleCodePage(StyleNo), Raw);
    AddNLTag(Raw, StyleNo, ParaNo, Tag);
}

void TCustomRVData::AddTextNL(const AnsiString& s, int StyleNo, int FirstParaNo, int OtherParaNo,
                              const TRVTag& Tag)
{
    const bool TagsPC = TagsArePChars();
    int ParaNo = FirstParaNo;
    ForEachLine(s, [&](size_t First, size_t Length) {
        // An empty line that would only continue the last line adds nothing.
        if (!(ParaNo == -1 && Length == 0))
            AddNLTag(s.substr(First, Length), StyleNo, ParaNo, RV_CopyTag(Tag, TagsPC));
        if (AddParagraphMode)
            ParaNo = OtherParaNo;
    });
}

void TCustomRVData::AddTextBlockNL(const AnsiString& s, int StyleNo, int ParaNo, const TRVTag& Tag)
{
    const bool TagsPC = TagsArePChars();
    TParagraphModeGuard Guard(this);
    AddParagraphMode = true;
    ForEachLine(s, [&](size_t First, size_t Length) {
        AddNLTag(s.substr(First, Length), StyleNo, ParaNo, RV_CopyTag(Tag, TagsPC));
        AddParagraphMode = false;
    });
}

int TCustomRVData::AddNamedCheckpointExTag(const AnsiString& CpName, bool RaiseEvent, const TRVTag& Tag)
{
    if (NotAddedCP)
        return CPCount - 1;
    TRVCPInfo* cp = new TRVCPInfo;
    cp->Name = CpName;
    cp->Tag = Tag;
    cp->RaiseEvent = RaiseEvent;
    NotAddedCP = cp;
    return CPCount++;
}

void TCustomRVData::AddBreakExTag(uint8_t Width, TRVBreakStyle Style, TColor Color, const TRVTag& Tag)
{
    std::unique_ptr<TRVBreakItemInfo> Item(new TRVBreakItemInfo(this, Width, Style, Color));
    Item->SetSameAsPrev(false);
    Item->ParaNo = 0;
    Item->Tag = Tag;
    AddItem(AnsiString(), Item.get());
    Item.release();
}

void TCustomRVData::AddHotspotExTag(const AnsiString& Name, int ImageIndex, int HotImageIndex,
                                    TCustomImageList* ImageList, int ParaNo, const TRVTag& Tag)
{
    std::unique_ptr<TRVHotspotItemInfo> Item(
        new TRVHotspotItemInfo(this, ImageIndex, HotImageIndex, ImageList, rvvaBaseline));
    Item->ParaNo = ParaNo;
    Item->Tag = Tag;
    AddItem(Name, Item.get());
    Item.release();
}

void TCustomRVData::AddBulletExTag(const AnsiString& Name, int ImageIndex, TCustomImageList* ImageList,
                                   int ParaNo, const TRVTag& Tag)
{
    std::unique_ptr<TRVBulletItemInfo> Item(new TRVBulletItemInfo(this, ImageIndex, ImageList, rvvaBaseline));
    Item->ParaNo = ParaNo;
    Item->Tag = Tag;
    AddItem(Name, Item.get());
    Item.release();
}
