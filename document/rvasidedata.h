// A document built aside: a store that reads a document (RVF, RTF) with every
// setting of the document it is meant for, but keeps its items to itself until
// they are taken out and put into that document in one piece.
#pragma once

#include "document/crvdata.h"

// Borrows its style sheet, options, read modes, style maps and hooks (hyperlink
// reading, pictures and controls needed) from Target's root data, so that what
// it reads is made as Target would make it. It is the absolute root of its own
// items, so that list markers read into it are not entered into Target's list
// of markers (the caller registers them once the items are in place). Owns its
// items until TakeItems hands them out.
class TRVAsideRVData : public TCustomRVData {
public:
    explicit TRVAsideRVData(TCustomRVData* target) : FTarget(target) {}
    ~TRVAsideRVData() override;
    const char* ClassName() const override { return "TRVAsideRVData"; }

    TCustomRVData* GetParentData() override { return FTarget; }
    TCustomRVData* GetRootData() override { return FTarget->GetRootData(); }
    TCustomRVData* GetAbsoluteRootData() override { return this; }
    void DoneStyleMappings(TRVIntegerList* textMap, TRVIntegerList* paraMap,
                           TRVIntegerList* listMap) override;
    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

    // Hands out every item with its text, in document order, and empties the
    // store. An item keeps its checkpoint (unlinked from any chain: the taker
    // links it); a checkpoint after the last item is freed.
    std::vector<std::pair<AnsiString, TCustomRVItemInfo*>> TakeItems();

private:
    TCustomRVData* FTarget;
};
