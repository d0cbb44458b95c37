// TCustomRollViewEdit: documents, text files and pictures inserted at the
// caret, each inside the insertion bracket (BeforeInserting, the insertion,
// AfterInserting) so that deleting the selection and inserting are one group.
#include <memory>

#include "document/rvitem.h"
#include "document/rvstyle.h"
#include "document/rvstyle_text.h"
#include "edit/rollviewedit.h"
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
