// The published properties of the editor: the viewer's, then the editor's
// own; and the editor's registration under its class name, so that an editor
// held in a document as a control item is read back as one.
#include "edit/rollviewedit.h"
#include "platform/controls/cursors.h"
#include "platform/core/classreg.h"
#include "platform/core/typinfo.h"

namespace {

const TPersistentClass RollViewEditClass = RegisterClass<TRollViewEdit>("TRollViewEdit");

} // namespace

const TPropertyTable* TRollViewEdit::PropertyTable() const
{
    using E = TCustomRollViewEdit;
    (void)RollViewEditClass;
    static const TPropertyTable table =
        TPropTableBuilder<E>("TRollViewEdit", ViewerPropertyTable())
            .Set(
                "EditorOptions", [](const E* e) { return e->EditorOptions().Bits; },
                [](E* e, int64_t bits) {
                    e->SetEditorOptions(TRVEditorOptions::FromBits(static_cast<uint8_t>(bits)));
                },
                {"rvoClearTagOnStyleApp", "rvoCtrlJumps", "rvoDoNotWantReturns", "rvoDoNotWantShiftReturns",
                 "rvoWantTabs", "rvoAutoSwitchLang", "rvoHideReadOnlyCaret", "rvoNoImageResize"},
                TRVEditorOptions{rvoClearTagOnStyleApp}.Bits)
            .Bool("ReadOnly", &E::GetReadOnly, &E::SetReadOnly, false)
            // An editor starts with the text cursor: a cursor set back to the
            // viewer's default is written, to come back as it was.
            .Int("Cursor", &E::Cursor, &E::SetCursor, crIBeam)
            .WithIdents(CursorToIdent, IdentToCursor)
            .Int("UndoLimit", &E::UndoLimit, &E::SetUndoLimit, -1)
            // An editor takes no other navigation: a stream that names another raises.
            .Enum("TabNavigation", &E::TabNavigation, &E::SetTabNavigation,
                  {"rvtnNone", "rvtnTab", "rvtnCtrlTab"}, rvtnNone)
            .Build();
    return &table;
}
