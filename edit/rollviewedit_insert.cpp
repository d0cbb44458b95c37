// TCustomRollViewEdit: documents, text files and pictures inserted at the
// caret, each inside the insertion bracket (BeforeInserting, the insertion,
// AfterInserting) so that deleting the selection and inserting are one group.
#include <memory>

#include "document/rvfuncs.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "document/rvuni.h"
#include "edit/rollviewedit.h"
#include "platform/controls/controls.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphic.h"

bool TCustomRollViewEdit::InsertInGroup(const std::function<bool()>& insert)
{
    if (!BeforeInserting())
        return false;
    bool inserted = false;
    try {
        inserted = insert();
    } catch (...) {
        // The primitives recorded what went in: the group closes over it and
        // the document is laid out whole, so that undo takes it all back.
        EditRVData()->FormatAll();
        AfterInserting();
        throw;
    }
    AfterInserting();
    return inserted;
}

void TCustomRollViewEdit::BeforeUnicode()
{
    TRVStyle* style = Style();
    if (!style || style->TextStyles()->Items(CurTextStyleNo())->Unicode())
        return;
    const int unicodeStyle = style->DefUnicodeStyle();
    if (unicodeStyle >= 0 && unicodeStyle < style->TextStyles()->Count())
        SetCurTextStyleNo(unicodeStyle);
}

bool TCustomRollViewEdit::InsertRVFFromStreamEd(TStream* stream)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertRVFFromStreamEd(stream);
    if (!stream)
        return false;
    return InsertInGroup([&] { return EditRVData()->InsertRVFFromStreamEd_(*stream); });
}

bool TCustomRollViewEdit::InsertRTFFromStreamEd(TStream* stream)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertRTFFromStreamEd(stream);
    if (!stream)
        return false;
    return InsertInGroup([&] { return EditRVData()->InsertRTFFromStreamEd_(*stream); });
}

namespace {

// The file opened for reading; null (after a beep of the editor) when it cannot be.
std::unique_ptr<TFileStream> OpenForReading(const AnsiString& fileName)
{
    try {
        return std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace

bool TCustomRollViewEdit::InsertRVFFromFileEd(const AnsiString& fileName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertRVFFromFileEd(fileName);
    std::unique_ptr<TFileStream> stream = OpenForReading(fileName);
    return stream && InsertRVFFromStreamEd(stream.get());
}

bool TCustomRollViewEdit::InsertRTFFromFileEd(const AnsiString& fileName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertRTFFromFileEd(fileName);
    std::unique_ptr<TFileStream> stream = OpenForReading(fileName);
    return stream && InsertRTFFromStreamEd(stream.get());
}

bool TCustomRollViewEdit::InsertTextFromFile(const AnsiString& fileName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertTextFromFile(fileName);
    return InsertInGroup([&] { return EditRVData()->InsertTextFromFile(fileName, false, false); });
}

bool TCustomRollViewEdit::InsertOEMTextFromFile(const AnsiString& fileName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertOEMTextFromFile(fileName);
    return InsertInGroup([&] { return EditRVData()->InsertTextFromFile(fileName, true, false); });
}

bool TCustomRollViewEdit::InsertTextFromFileW(const AnsiString& fileName)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertTextFromFileW(fileName);
    return InsertInGroup([&] {
        BeforeUnicode();
        return EditRVData()->InsertTextFromFileW(fileName, false);
    });
}

bool TCustomRollViewEdit::InsertPicture(const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertPicture(name, graphic, vAlign);
    std::unique_ptr<TGraphic> owned(graphic);
    if (!graphic)
        return false;
    return InsertInGroup([&] {
        TRVEditRVData* d = EditRVData();
        TCustomRVItemInfo* item = new TRVGraphicItemInfo(d, owned.release(), vAlign);
        item->UpdatePaletteInfo(d->GetDoInPaletteMode(), false, d->GetRVPalette(), d->GetRVLogPalette());
        AnsiString text = name;
        return d->InsertSomething(item, text, true, false);
    });
}

// ---------------------------------------------------------------------------
// Items at the caret

bool TCustomRollViewEdit::InsertBuiltItem(TCustomRVItemInfo* item, const AnsiString& name)
{
    std::unique_ptr<TCustomRVItemInfo> owned(item);
    return InsertInGroup([&] {
        TCustomRVItemInfo* given = owned.release();
        AnsiString text = name;
        const bool inserted = EditRVData()->InsertSomething(given, text, true, false);
        // The data frees what it drops and clears the pointer; an item it
        // refused before taking it is still the caller's, and goes here.
        if (!inserted)
            delete given;
        return inserted;
    });
}

void TCustomRollViewEdit::InsertBreak(uint8_t width, TRVBreakStyle style, TColor color)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertBreak(width, style, color);
    InsertBuiltItem(new TRVBreakItemInfo(EditRVData(), width, style, color), AnsiString());
}

void TCustomRollViewEdit::InsertBullet(int imageIndex, TCustomImageList* imageList)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertBullet(imageIndex, imageList);
    InsertBuiltItem(new TRVBulletItemInfo(EditRVData(), imageIndex, imageList, rvvaBaseline), AnsiString());
}

void TCustomRollViewEdit::InsertHotspot(int imageIndex, int hotImageIndex, TCustomImageList* imageList)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertHotspot(imageIndex, hotImageIndex, imageList);
    InsertBuiltItem(new TRVHotspotItemInfo(EditRVData(), imageIndex, hotImageIndex, imageList, rvvaBaseline),
                    AnsiString());
}

void TCustomRollViewEdit::InsertHotPicture(const AnsiString& name, TGraphic* graphic, TRVVAlign vAlign)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertHotPicture(name, graphic, vAlign);
    std::unique_ptr<TGraphic> owned(graphic);
    if (!graphic)
        return;
    TRVEditRVData* d = EditRVData();
    auto* item = new TRVHotGraphicItemInfo(d, owned.release(), vAlign);
    item->UpdatePaletteInfo(d->GetDoInPaletteMode(), false, d->GetRVPalette(), d->GetRVLogPalette());
    InsertBuiltItem(item, name);
}

void TCustomRollViewEdit::InsertControl(const AnsiString& name, TControl* control, TRVVAlign vAlign)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertControl(name, control, vAlign);
    // The control is the editor's from here on, inserted or not: the caller
    // could not tell a refusal from an insertion and must not keep it.
    std::unique_ptr<TControl> owned(control);
    if (!control)
        return;
    InsertInGroup([&] {
        // The item owns the control; the layout shows it.
        control->SetVisible(false);
        control->SetParent(this);
        TCustomRVItemInfo* item = new TRVControlItemInfo(EditRVData(), owned.release(), vAlign);
        AnsiString text = name;
        const bool inserted = EditRVData()->InsertSomething(item, text, true, false);
        if (!inserted)
            delete item;
        return inserted;
    });
}

bool TCustomRollViewEdit::InsertItem(const AnsiString& name, TCustomRVItemInfo* item)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertItem(name, item);
    if (!item)
        return false;
    return InsertBuiltItem(item, name);
}

void TCustomRollViewEdit::InsertTextItem(const AnsiString& text, const TRVTag& tag)
{
    InsertInGroup([&] {
        TRVEditRVData* d = EditRVData();
        TCustomRVItemInfo* item = RollViewTextItemClass->Create(d);
        item->StyleNo = d->CurTextStyleNo;
        item->SetTag(tag);
        AnsiString s = text;
        if (Style()->TextStyles()->Items(d->CurTextStyleNo)->Unicode())
            item->ItemOptions.Include(rvioUnicode);
        const bool inserted = d->InsertSomething(item, s, false, false);
        if (!inserted)
            delete item;
        return inserted;
    });
}

void TCustomRollViewEdit::InsertStringTag(const AnsiString& s, const TRVTag& tag)
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertStringTag(s, tag);
    if (!Style())
        return InsertTextItem(AnsiString(), tag);
    TRVEditRVData* d = EditRVData();
    AnsiString text = RV_ReplaceTabsA(s, Style()->SpacesInTab());
    if (Style()->TextStyles()->Items(d->CurTextStyleNo)->Unicode())
        text = RVU_AnsiToUnicode(d->GetStyleCodePage(d->CurTextStyleNo), text);
    InsertTextItem(text, tag);
}

void TCustomRollViewEdit::InsertStringWTag(const WideString& s, const TRVTag& tag)
{
    // The cell editor takes the UTF-16 text as it is: an 8-bit copy would
    // lose every character outside the code page.
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->InsertStringWTag(s, tag);
    if (!Style())
        return InsertTextItem(AnsiString(), tag);
    BeforeUnicode();
    TRVEditRVData* d = EditRVData();
    AnsiString text = RV_ReplaceTabsW(RVU_GetRawUnicode(s), Style()->SpacesInTab());
    if (!Style()->TextStyles()->Items(d->CurTextStyleNo)->Unicode())
        text = RVU_UnicodeToAnsi(d->GetStyleCodePage(d->CurTextStyleNo), text);
    InsertTextItem(text, tag);
}

bool TCustomRollViewEdit::InsertTextW_(const AnsiString& s, bool caretBefore)
{
    return InsertInGroup([&] {
        BeforeUnicode();
        return EditRVData()->InsertTextW_(s, caretBefore);
    });
}

int TCustomRollViewEdit::GetCurItemStyle()
{
    if (TCustomRollViewEdit* cell = CellEditor())
        return cell->GetCurItemStyle();
    TRVEditRVData* d = EditRVData();
    d->PrepareForEdit();
    const int itemNo = d->GetCurItemNo();
    // An editor without a style sheet has no item yet: text would go in the
    // current text style.
    return itemNo >= 0 ? d->GetItemStyle(itemNo) : d->CurTextStyleNo;
}
