// Closing a cell editor and freeing it once none of its code runs (rvtinplace.h).
#include "table/rvtinplace.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "edit/rvundo.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"
#include "view/rollview.h"

namespace {

// Closed cell editors not freed yet, kept by one message posted to the
// application: delivered, or dropped unread, it frees them, all but those
// still held (FreeingHeld), which it keeps back until their next chance.
class TClosedEditors : public TObject {
public:
    ~TClosedEditors() override;
    std::vector<std::unique_ptr<TRVTableInplaceEdit>> Editors;
};

// The collection whose message is queued now, or null.
TClosedEditors* GQueued = nullptr;

// The closed editors whose message came while they were held.
// (Never freed: empty but for the time their calls or a play run.)
std::vector<std::unique_ptr<TRVTableInplaceEdit>>& HeldBack()
{
    static auto* editors = new std::vector<std::unique_ptr<TRVTableInplaceEdit>>;
    return *editors;
}

// Queues a closed editor to be freed by the message loop.
void QueueFree(std::unique_ptr<TRVTableInplaceEdit> editor)
{
    if (GQueued != nullptr) {
        GQueued->Editors.push_back(std::move(editor));
        return;
    }
    // In the collection before its message is posted: a message that cannot
    // be posted frees both at once.
    auto collection = std::make_unique<TClosedEditors>();
    collection->Editors.push_back(std::move(editor));
    GQueued = collection.get();
    PostMessage(Application->Handle(), WM_RVFREEINPLACE, std::move(collection), 0);
}

// The next chance of the editors held back: queued again once they are not
// held, after the last play when one runs.
void QueueHeldBack()
{
    if (TRVUndoList::AnyPlayRunning()) {
        TRVUndoList::AfterAllPlays(QueueHeldBack);
        return;
    }
    std::vector<std::unique_ptr<TRVTableInplaceEdit>>& held = HeldBack();
    for (size_t i = 0; i < held.size();) {
        if (held[i]->FreeingHeld()) {
            ++i;
            continue;
        }
        std::unique_ptr<TRVTableInplaceEdit> editor = std::move(held[i]);
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(i));
        QueueFree(std::move(editor));
    }
}

TClosedEditors::~TClosedEditors()
{
    if (GQueued == this)
        GQueued = nullptr;
    bool keptBack = false;
    for (std::unique_ptr<TRVTableInplaceEdit>& editor : Editors)
        if (editor->FreeingHeld()) {
            HeldBack().push_back(std::move(editor));
            keptBack = true;
        }
    // A play holds them all: the last to return gives them their chance (an
    // editor's own call does as it returns).
    if (keptBack)
        QueueHeldBack();
}

} // namespace

void TRVTableInplaceEdit::Close()
{
    if (FClosed)
        return;
    FClosed = true;
    // The focus stays in the editor that held the table, also when the editor
    // closes because its table leaves the document.
    const bool hadFocus = FocusedEx();
    if (auto* nested = dynamic_cast<TRVTableInplaceEdit*>(GetInplaceEditor()))
        if (Clearing)
            nested->SetClearingState();
    DestroyInplace();
    TCustomRollView* former = ParentViewer();
    if (ParentData != nullptr && Cell != nullptr)
        ParentData->UnassignChosenRVData(Cell);
    if (Table != nullptr && Table->InplaceEditor == this)
        Table->InplaceDeleted(Clearing);
    SetVisible(false);
    if ((!Clearing || hadFocus) && former != nullptr && former->HandleAllocated() &&
        (former->ComponentState() & csDestroying) == 0)
        former->SetFocusSilent();
    // Nothing of the document reaches the closed editor any more, nor the
    // editor the table, which may go before the editor is freed: the table's
    // handlers (its change, caret, mouse, drag and control-action ones) go too.
    // (OnDragDrop stays: a drop on the editor goes to the viewer, never to it.)
    OnChangeEx = nullptr;
    OnCaretGetOut = nullptr;
    OnFormatted = nullptr;
    OnRVMouseDown = nullptr;
    OnRVMouseUp = nullptr;
    OnControlAction = nullptr;
    OnMouseMove = nullptr;
    OnDragOver = nullptr;
    Table = nullptr;
    Cell = nullptr;
    ParentData = nullptr;
}

void TRVTableInplaceEdit::Release()
{
    Close();
    if (FReleased)
        return;
    FReleased = true;
    // Without an application the editor stays its parent's, freed with it.
    if (Application == nullptr)
        return;
    SetParent(nullptr);
    QueueFree(std::unique_ptr<TRVTableInplaceEdit>(this));
}

void TRVTableInplaceEdit::FreeClosed()
{
    if (GQueued == nullptr)
        return;
    // Taken out first: an editor freed may close or queue others.
    std::vector<std::unique_ptr<TRVTableInplaceEdit>> freed;
    std::vector<std::unique_ptr<TRVTableInplaceEdit>>& queued = GQueued->Editors;
    for (std::unique_ptr<TRVTableInplaceEdit>& editor : queued)
        if (!editor->FreeingHeld())
            freed.push_back(std::move(editor));
    queued.erase(std::remove(queued.begin(), queued.end(), nullptr), queued.end());
}

bool TRVTableInplaceEdit::FreeingHeld() const
{
    return FCallsRunning > 0 || TRVUndoList::AnyPlayRunning();
}

TRVTableInplaceEdit::THoldFreeing::~THoldFreeing()
{
    if (--FEditor.FCallsRunning == 0 && !HeldBack().empty())
        QueueHeldBack();
}
